#include "stage2/ArtifactIntegrityVerifier.h"

#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <sys/types.h>

using namespace orvane;
using orvane::test::policyRefusal;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

const QByteArray content = QByteArrayLiteral("delivered bytes of a mod archive");

AuthorizedArtifact artifactFor(const QByteArray& bytes)
{
    AuthorizedArtifact a;
    a.id = QStringLiteral("mod-a");
    a.sha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    a.byteCount = std::uint64_t(bytes.size());
    return a;
}

const QString notRegular = QStringLiteral("Artifact is not a regular file: mod-a");
const QString wrongSize = QStringLiteral("Artifact size verification failed: mod-a");
const QString wrongDigest = QStringLiteral("Artifact SHA-256 verification failed: mod-a");

TEST(ArtifactIntegrityVerifier, bytesInMemory)
{
    const AuthorizedArtifact artifact = artifactFor(content);
    EXPECT_NO_THROW(ArtifactIntegrityVerifier::verify(QByteArrayView(content), artifact));

    // One byte short also has the wrong digest: size is judged first.
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(QByteArrayView(content).chopped(1), artifact); }),
              wrongSize);
    QByteArray flipped = content;
    flipped[3] = char(flipped[3] ^ 1);
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(QByteArrayView(flipped), artifact); }),
              wrongDigest);
    // The digest is compared exactly: the upper-case spelling of the right digest does not match.
    AuthorizedArtifact upper = artifact;
    upper.sha256 = upper.sha256.toUpper();
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(QByteArrayView(content), upper); }), wrongDigest);
}

TEST(ArtifactIntegrityVerifier, regularFiles)
{
    const TempDir dir;
    const std::filesystem::path file = dir / "mods/a.jar";
    writeFile(file, content);
    const AuthorizedArtifact artifact = artifactFor(content);
    EXPECT_NO_THROW(ArtifactIntegrityVerifier::verify(file, artifact));

    AuthorizedArtifact longer = artifact;
    longer.byteCount += 1;
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(file, longer); }), wrongSize);

    QByteArray flipped = content;
    flipped[0] = char(flipped[0] ^ 0x20);
    writeFile(dir / "mods/b.jar", flipped);
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(dir / "mods/b.jar", artifact); }), wrongDigest);

    // A large file is streamed, not read whole, and still compared exactly.
    const QByteArray big(3 * 1024 * 1024 + 17, 'z');
    writeFile(dir / "big.bin", big);
    EXPECT_NO_THROW(ArtifactIntegrityVerifier::verify(dir / "big.bin", artifactFor(big)));
}

TEST(ArtifactIntegrityVerifier, onlyARegularFileIsAccepted)
{
    const TempDir dir;
    const std::filesystem::path file = dir / "a.jar";
    writeFile(file, content);
    const AuthorizedArtifact artifact = artifactFor(content);

    // A link to the correct file is still refused: the link is what was delivered.
    std::filesystem::create_symlink(file, dir / "link.jar");
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(dir / "link.jar", artifact); }), notRegular);
    std::filesystem::create_symlink(dir / "missing", dir / "dangling.jar");
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(dir / "dangling.jar", artifact); }), notRegular);

    // A FIFO with no writer must be refused at once, never waited on.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(dir / "fifo", artifact); }), notRegular);

    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(policyRefusal([&] { ArtifactIntegrityVerifier::verify(dir / "folder", artifact); }), notRegular);
}

TEST(ArtifactIntegrityVerifier, fileSystemErrorsPassThrough)
{
    const TempDir dir;
    EXPECT_THROW(ArtifactIntegrityVerifier::verify(dir / "missing.jar", artifactFor(content)), std::system_error);
}

} // namespace
