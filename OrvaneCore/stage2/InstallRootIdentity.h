#pragma once

#include "stage2/MountTable.h"

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <vector>

#include <sys/types.h>

namespace orvane {

// What a canonical install root is, rather than how its path spells it: the device and inode of
// "/" and of each existing component, the folded names of the components not made yet, and where
// it lies in the file system that holds it. Two spellings of one folder, or one folder shown at two
// paths by a bind mount, are then the same root.
class InstallRootIdentity final {
public:
    // Reads the file system now (lstat of each component, the mount of the part that exists).
    // Refuses with OrvaneError::policyDenied("Install root could not be inspected.") when a
    // component can be neither read nor found missing.
    static InstallRootIdentity of(const std::filesystem::path& canonicalRoot, const MountTable& mounts);

    // By any evidence, inode or location: for the checks that refuse overlapping roots.
    bool isSameFolderAs(const InstallRootIdentity& other) const;
    bool isStrictlyInside(const InstallRootIdentity& other) const;

    // By every evidence: `other` is an ancestor by inode, and the folder lies inside it in its file
    // system too, so that a folder mounted in from elsewhere is not taken for one inside.
    bool liesWithin(const InstallRootIdentity& other) const;

private:
    // One folder on the way: an existing one by inode, a missing one by the deepest existing
    // folder and the folded names below it.
    struct Step {
        dev_t device = 0;
        ino_t inode = 0;
        QString missingKey;

        bool operator==(const Step&) const = default;
    };

    bool hasAncestorStep(const Step& step) const;
    bool locationIsStrictlyInside(const InstallRootIdentity& other) const;

    std::vector<Step> m_steps; // "/" first, the root itself last
    QByteArray m_device;       // of the file system holding the part that exists
    QString m_locationKey;     // collision key of the path in that file system, ending with "/"
};

} // namespace orvane
