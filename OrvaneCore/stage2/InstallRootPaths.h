#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

#include <filesystem>

namespace orvane {

// Checks of the folders a staged install may write into. They read the file system (lstat,
// realpath, directory listings) and never change it. Refusals are OrvaneError::policyDenied;
// errors of a listing or of lstat on a path known to exist pass through unchanged.

// Refuses with "Install root could not be inspected.": a folder on the way, or the mounts that
// show it, could be neither read nor found missing.
[[noreturn]] void refuseInspection();

// `text` ending with "/" (added when missing).
QString withTrailingSlash(QString text);

// "/" followed by the checked components joined with "/"; a trailing "/" is dropped, an empty
// component elsewhere ("//a", "/a//b") is refused.
QString splitAbsoluteInstallPath(const QString& path);

// One component: not empty, ".", or "..", in NFC, at most 255 UTF-8 bytes, no control characters,
// and no default-ignorable or bidirectional control character.
void checkInstallRootComponent(QStringView component);

// The canonical folder of a local file URL. The part that exists must resolve to itself (no link
// or alias anywhere in it); missing components are kept, checked, after it. With `mustExist`,
// nothing may be missing.
std::filesystem::path canonicalizeInstallRoot(const QUrl& url, bool mustExist);

// Walks `root` from "/" comparing each component with the names actually listed in its parent
// under the collision key (case, normal form and invisible characters ignored): a component that
// is present only under another spelling, or next to a sibling spelled the same way, is refused,
// as is a link or a non-folder on the way. The walk ends quietly at the first component that does
// not exist yet.
void walkInstallRoot(const std::filesystem::path& root);

// Checks each component of `relativePath` that exists under the walked `root` without following
// links: a location that passes through or ends at a link is refused, as on a root. Names are
// resolved as the volume resolves them; the check ends quietly at the first that does not exist.
void walkInstallLocation(const std::filesystem::path& root, const QString& relativePath);

// Canonical roots compared as a volume that folds names would see them (the key of
// pathCollisionKey): one folder, or `path` strictly inside `root`. By text alone: the planner also
// compares what the roots are (InstallRootIdentity).
bool installRootsCoincide(const std::filesystem::path& a, const std::filesystem::path& b);
bool installRootIsInside(const std::filesystem::path& path, const std::filesystem::path& root);

// The file under `root` at `relativePath`; refuses a result that is not strictly inside the root.
std::filesystem::path joinUnderRoot(const std::filesystem::path& root, const QString& relativePath);

} // namespace orvane
