#include "session/OverlayFileReplacement.h"

#include "json/DescribedError.h"
#include "model/OrvaneError.h"
#include "platform/AtomicWriteTemporary.h"
#include "session/EntryExists.h"

#include <QUuid>

#include <exception>
#include <set>

namespace orvane {

// One change on its way: where its new content waits (or where the removed file is set aside).
struct OverlayFileReplacement::Step {
    const Change* change = nullptr;
    std::filesystem::path beside;
    bool existed = false; // the file was there when the step was committed
};

OverlayFileReplacement::OverlayFileReplacement(std::shared_ptr<FileOperations> files) : m_files(std::move(files)) {}

std::filesystem::path OverlayFileReplacement::besideName(const std::filesystem::path& file) const
{
    // The shape of an atomic write's temporary file of `file`, with a name of our own choosing.
    const std::string pattern = atomicWriteTemporary::pattern(file);
    for (;;) {
        const QByteArray random = QUuid::createUuid().toByteArray(QUuid::Id128).left(6);
        std::string name = pattern;
        name.replace(name.size() - 6, 6, random.constData(), 6);
        if (!entryExists(name))
            return name;
    }
}

void OverlayFileReplacement::apply(const std::vector<Change>& changes) const
{
    std::vector<Step> steps;
    try {
        for (const Change& change : changes) {
            if (!change.remove)
                m_files->createDirectories(change.file.parent_path()); // a file put back into a folder removed since
            Step step{&change, besideName(change.file), false};
            if (!change.remove)
                m_files->writeAtomically(step.beside, change.bytes, change.mode);
            steps.push_back(std::move(step));
        }
    } catch (const std::exception&) {
        for (const Step& step : steps)
            removeQuietly(step.beside);
        throw;
    }
    std::size_t committed = 0;
    try {
        for (; committed < steps.size(); ++committed) {
            Step& step = steps[committed];
            step.existed = entryExists(step.change->file);
            if (step.change->remove) {
                if (step.existed)
                    m_files->moveNoReplace(step.change->file, step.beside);
            } else if (step.existed) {
                m_files->swap(step.beside, step.change->file);
            } else {
                m_files->moveNoReplace(step.beside, step.change->file);
            }
        }
        std::set<std::filesystem::path> folders;
        for (const Step& step : steps)
            folders.insert(step.change->file.parent_path());
        for (const auto& folder : folders)
            m_files->syncDirectory(folder);
    } catch (const std::exception& failure) {
        try {
            undo(steps, committed);
        } catch (const std::exception& undoFailure) {
            throw OrvaneError::io(QStringLiteral("The overlay restore failed (%1) and putting back the files it had "
                                                 "changed also failed (%2). Restore again, or restore the latest "
                                                 "pre-overlay backup by hand.")
                                      .arg(describe(failure), describe(undoFailure)));
        }
        for (const Step& step : steps)
            removeQuietly(step.beside);
        throw;
    }
    // What was exchanged out, or set aside, is what the files held before.
    for (const Step& step : steps)
        removeQuietly(step.beside);
}

void OverlayFileReplacement::undo(const std::vector<Step>& steps, std::size_t committed) const
{
    for (std::size_t i = committed; i-- > 0;) {
        const Step& step = steps[i];
        if (step.change->remove) {
            if (step.existed)
                m_files->moveNoReplace(step.beside, step.change->file);
        } else if (step.existed) {
            m_files->swap(step.beside, step.change->file);
        } else {
            m_files->moveNoReplace(step.change->file, step.beside);
        }
    }
}

void OverlayFileReplacement::removeQuietly(const std::filesystem::path& path) const noexcept
{
    try {
        if (entryExists(path))
            m_files->removeFile(path);
    } catch (const std::exception&) {
        // Named as a temporary file of its target: the next Apply or restore removes it.
    }
}

} // namespace orvane
