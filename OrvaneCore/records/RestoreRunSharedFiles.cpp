#include "records/RestoreRun.h"

namespace orvane {

// Its undo file, when a link, moved the change time of every file with the same inode staged before it.
void RestoreRun::noteSharedFile(std::size_t index, const FileStamp& beforeOwnLink)
{
    const FileStamp& after = m_stamps[index].prior;
    followOwnChange(index, beforeOwnLink, after);
    m_sharedFiles[{after.device, after.inode}].push_back(index);
}

// Its swap renamed the prior file to the stage's name and the stage's removal unlinked that name: the
// change time of the others that are the same file moved, which its undo file shows when it is a link
// (a copy's stamp is another file's, which is never followed).
void RestoreRun::afterOwnChangeOf(std::size_t index)
{
    const FileStamp before = m_stamps[index].prior;
    const auto shared = m_sharedFiles.find({before.device, before.inode});
    if (shared == m_sharedFiles.end() || shared->second.size() < 2 || !m_prepared[index].undo)
        return;
    if (const auto after = stampIfPossible(*m_prepared[index].undo))
        followOwnChange(index, before, *after);
}

// Only a stamp that was exactly `before` (nothing happened to the file since it was measured) and
// only when nothing but the change time differs: a write by someone else still shows.
void RestoreRun::followOwnChange(std::size_t index, const FileStamp& before, const FileStamp& after)
{
    if (!after.sameContent(before))
        return;
    const auto shared = m_sharedFiles.find({before.device, before.inode});
    if (shared == m_sharedFiles.end())
        return;
    for (const std::size_t other : shared->second) {
        if (other != index && m_stamps[other].prior == before)
            m_stamps[other].prior = after;
    }
}

} // namespace orvane
