#include "stage2/InstallRootPaths.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "stage2/NameFolding.h"
#include "stage2/SafeRelativePath.h"
#include "stage2/UnicodeTextChecks.h"

#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace orvane {

namespace {

constexpr qsizetype maximumComponentByteCount = 255;

[[noreturn]] void refuse(const char* text, const QString& subject = QString())
{
    throw OrvaneError::policyDenied(QString::fromUtf8(text) + subject);
}

// What `path` names, without following a final link; nothing when it does not exist. Callers
// reach it only through components already found not to be links, so no link is followed at all.
std::optional<mode_t> kindWithoutFollowing(const std::filesystem::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0)
        return info.st_mode;
    if (errno == ENOENT || errno == ENOTDIR)
        return std::nullopt;
    throwErrno("lstat", path);
}

void refuseLink(mode_t kind, const QString& component)
{
    if (S_ISLNK(kind))
        refuse("Install root contains a symbolic link at component: ", component);
}

// A canonical root as a volume that folds names would name it, ending with "/".
QString rootKey(const std::filesystem::path& root)
{
    return withTrailingSlash(pathCollisionKey(pathText(root)));
}

} // namespace

void refuseInspection()
{
    refuse("Install root could not be inspected.");
}

QString withTrailingSlash(QString text)
{
    if (!text.endsWith(u'/'))
        text += u'/';
    return text;
}

QString splitAbsoluteInstallPath(const QString& path)
{
    if (!path.startsWith(u'/') || path.contains(QChar(u'\0')))
        refuse("Install root must be an absolute local path.");
    QStringList pieces = path.split(u'/', Qt::KeepEmptyParts);
    pieces.removeFirst();
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    for (const QString& piece : pieces) {
        if (piece.isEmpty())
            refuse("Install root contains an empty path component.");
    }
    for (const QString& piece : pieces)
        checkInstallRootComponent(piece);
    return u'/' + pieces.join(u'/');
}

void checkInstallRootComponent(QStringView component)
{
    if (component.isEmpty() || component == u"." || component == u".." || hasUnpairedSurrogate(component)
        || !isInNormalizationFormC(component) || utf8ByteCount(component) > maximumComponentByteCount
        || containsControlCharacter(component) || containsInvisibleFormatCharacter(component))
        refuse("Install root contains an unsafe path component.");
}

std::filesystem::path canonicalizeInstallRoot(const QUrl& url, bool mustExist)
{
    // A URL that names no local file has no path here: it is refused as not absolute.
    QString current = splitAbsoluteInstallPath(url.isLocalFile() ? url.toLocalFile() : QString());
    QStringList missing;

    // The nearest existing ancestor. lstat does not follow a final link, so a link counts as existing
    // and is caught below by the comparison with its resolved path.
    for (;;) {
        const std::filesystem::path candidate = pathFromText(current);
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) == 0)
            break;
        const int error = errno;
        if (error != ENOENT && error != ENOTDIR)
            refuseInspection();
        if (current == u"/")
            refuse("Install root has no existing ancestor.");
        const qsizetype slash = current.lastIndexOf(u'/');
        const QString last = current.mid(slash + 1);
        checkInstallRootComponent(last);
        missing.prepend(last);
        current = slash == 0 ? QStringLiteral("/") : current.left(slash);
    }
    if (mustExist && !missing.isEmpty())
        refuse("The approved install root must already exist.");

    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(pathFromText(current).c_str(), nullptr),
                                                               &std::free);
    if (!resolved)
        refuse("Install root could not be canonicalized.");
    const std::optional<QString> resolvedText = exactPathText(std::filesystem::path(std::string(resolved.get())));
    if (!resolvedText)
        refuse("Install root has a non-UTF-8 canonical path.");
    // Any difference means a link or alias somewhere in the part that exists.
    if (*resolvedText != current)
        refuse("Install root contains a symbolic-link alias.");

    QString result = current;
    for (const QString& component : missing)
        result = withTrailingSlash(result) + component;
    return pathFromText(result);
}

void walkInstallRoot(const std::filesystem::path& root)
{
    const std::optional<QString> rootText = exactPathText(root);
    if (!rootText)
        refuse("Install root contains an unsafe path component.");
    const QStringList components = splitAbsoluteInstallPath(*rootText).split(u'/', Qt::SkipEmptyParts);

    std::filesystem::path current("/");
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QString& component = components[i];
        const QString key = pathCollisionKey(component);
        std::vector<QString> matches;
        for (const auto& entry : std::filesystem::directory_iterator(current)) {
            // A name that is not UTF-8 cannot be the component, nor one of its spellings; one with a
            // leading U+FEFF is read with it, a spelling of the name without it.
            const std::optional<QString> name = exactPathText(entry.path().filename());
            if (name && pathCollisionKey(*name) == key)
                matches.push_back(*name);
        }
        if (matches.empty())
            return; // the rest does not exist yet
        if (matches.size() > 1 || matches.front() != component)
            refuse("Install root uses a case alias or colliding path component.");

        current /= pathFromText(component);
        const std::optional<mode_t> kind = kindWithoutFollowing(current);
        if (!kind)
            return; // gone since the listing: the rest does not exist either
        refuseLink(*kind, component);
        if (i + 1 < components.size() && !S_ISDIR(*kind))
            refuse("Install root traverses a non-directory component.");
    }
}

void walkInstallLocation(const std::filesystem::path& root, const QString& relativePath)
{
    std::filesystem::path current = root;
    for (const QString& component : relativePath.split(u'/', Qt::SkipEmptyParts)) {
        current /= pathFromText(component);
        const std::optional<mode_t> kind = kindWithoutFollowing(current);
        if (!kind)
            return;
        refuseLink(*kind, component);
    }
}

bool installRootsCoincide(const std::filesystem::path& a, const std::filesystem::path& b)
{
    return rootKey(a) == rootKey(b);
}

bool installRootIsInside(const std::filesystem::path& path, const std::filesystem::path& root)
{
    const QString pathKey = rootKey(path);
    const QString key = rootKey(root);
    return pathKey.size() > key.size() && pathKey.startsWith(key);
}

std::filesystem::path joinUnderRoot(const std::filesystem::path& root, const QString& relativePath)
{
    // Paths stand for file URLs here; a relative one names no location at all.
    if (!root.is_absolute())
        refuse("Install plan root must be a file URL.");
    std::string prefix = root.native();
    if (prefix.back() != '/')
        prefix += '/';
    // Lexically normal, so a ".." in the text is judged by where it leads, not by how it starts.
    std::string joined = std::filesystem::path(prefix + relativePath.toStdString()).lexically_normal().native();
    while (joined.size() > 1 && joined.back() == '/')
        joined.pop_back();
    if (relativePath.contains(QChar(u'\0')) || hasUnpairedSurrogate(relativePath) || joined.size() <= prefix.size()
        || joined.compare(0, prefix.size(), prefix) != 0)
        refuse("Install plan path escaped its root.");
    return std::filesystem::path(joined);
}

} // namespace orvane
