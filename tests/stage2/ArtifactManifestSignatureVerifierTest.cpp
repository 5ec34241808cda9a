#include "json/DecodingError.h"
#include "json/JsonWriter.h"
#include "platform/Ed25519.h"
#include "stage2/ArtifactManifestSignatureVerifier.h"

#include "support/QtPrinters.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <openssl/err.h>
#include <openssl/evp.h>

using namespace orvane;
using orvane::test::policyRefusal;

namespace {

using Dates = JsonDateDecodingStrategy;

// A fresh Ed25519 key pair made with OpenSSL, independently of the code under test.
class TestSigningKey final {
public:
    TestSigningKey() : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519")) {}
    ~TestSigningKey() { EVP_PKEY_free(m_key); }
    TestSigningKey(const TestSigningKey&) = delete;
    TestSigningKey& operator=(const TestSigningKey&) = delete;

    QByteArray publicKey() const
    {
        QByteArray out(32, '\0');
        std::size_t length = 32;
        EVP_PKEY_get_raw_public_key(m_key, reinterpret_cast<unsigned char*>(out.data()), &length);
        return out;
    }

    QByteArray sign(const QByteArray& message) const
    {
        QByteArray out(64, '\0');
        std::size_t length = 64;
        EVP_MD_CTX* ctx = EVP_MD_CTX_new();
        EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, m_key);
        EVP_DigestSign(ctx, reinterpret_cast<unsigned char*>(out.data()), &length,
                       reinterpret_cast<const unsigned char*>(message.constData()), std::size_t(message.size()));
        EVP_MD_CTX_free(ctx);
        return out;
    }

    PinnedManifestSigningKey pinned(const char* keyID, const char* providerID) const
    {
        return {QString::fromUtf8(keyID), QString::fromUtf8(providerID), publicKey()};
    }

private:
    EVP_PKEY* m_key;
};

AuthorizedArtifactManifest sampleManifest()
{
    AuthorizedArtifact artifact{"example-mod", "1.0.0", "https://cdn.example.com/mods/example.jar", "mods/example.jar",
                                QString(64, u'a'), 1234, "MIT", "example-mod-rights"};
    return {1,
            "manifest-1",
            "tekkit-2",
            "acme.provider",
            "1.2.6",
            QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC),
            QDateTime(QDate(2026, 12, 9), QTime(7, 21, 8), Qt::UTC),
            {artifact}};
}

QByteArray payloadOf(const AuthorizedArtifactManifest& manifest)
{
    return encodeJson(toJson(manifest));
}

class SignatureVerifierTest : public ::testing::Test {
protected:
    SignedArtifactManifestEnvelope envelope(const QByteArray& payload, const char* keyID = "k1") const
    {
        return {1, QString::fromUtf8(keyID), payload, key.sign(payload)};
    }

    QString refusal(const SignedArtifactManifestEnvelope& e, Dates dates = Dates::iso8601) const
    {
        return policyRefusal([&] { verifier.verify(e, dates); });
    }

    TestSigningKey key;
    TestSigningKey otherKey;
    ArtifactManifestSignatureVerifier verifier{{key.pinned("k1", "acme.provider"), otherKey.pinned("k2", "other")}};
};

const QString invalidJson = QStringLiteral("Signed artifact manifest payload is invalid JSON.");
const QString verificationFailed = QStringLiteral("Artifact manifest signature verification failed.");

} // namespace

TEST(ArtifactManifestSignatureVerifierKeys, KeySetSizeAndIdentifiers)
{
    std::vector<TestSigningKey> keys(33);
    std::vector<PinnedManifestSigningKey> pinned;
    for (std::size_t i = 0; i < keys.size(); ++i)
        pinned.push_back(keys[i].pinned(QByteArray("k").append(QByteArray::number(qulonglong(i))).constData(), "p"));
    const auto build = [](std::vector<PinnedManifestSigningKey> set) {
        return policyRefusal([&] { ArtifactManifestSignatureVerifier{set}; });
    };
    EXPECT_EQ(build({}), "Manifest signing-key set is empty or too large.");
    EXPECT_EQ(build(pinned), "Manifest signing-key set is empty or too large.");
    pinned.pop_back();
    EXPECT_EQ(ArtifactManifestSignatureVerifier(pinned).keysByID().size(), 32u);
    EXPECT_EQ(ArtifactManifestSignatureVerifier({pinned[0]}).keysByID().at("k0"), pinned[0]);

    const QByteArray key = keys[0].publicKey();
    for (const char* id : {"Key1", "key 1", "a/b", "", "k\xc3\xa9"})
        EXPECT_EQ(build({{QString::fromUtf8(id), "p", key}}), "Artifact manifest has an invalid signing key id.") << id;
    EXPECT_EQ(build({{"k", "Provider", key}}), "Artifact manifest has an invalid signing-key provider id.");
    EXPECT_NO_THROW(ArtifactManifestSignatureVerifier({{"a.b-c_9", "p", key}}));
    EXPECT_NO_THROW(ArtifactManifestSignatureVerifier({{QString(128, u'k'), "p", key}}));
    EXPECT_EQ(build({{QString(129, u'k'), "p", key}}), "Artifact manifest has an invalid signing key id.");
    EXPECT_EQ(build({{"k1", "p", key}, {"k1", "q", keys[1].publicKey()}}), "Duplicate manifest signing key id: k1");
}

TEST(ArtifactManifestSignatureVerifierKeys, UnreadableKeyIsAPlatformError)
{
    EXPECT_THROW(ArtifactManifestSignatureVerifier({{"k", "p", QByteArray(31, 'x')}}), Ed25519KeyError);
    EXPECT_THROW(ArtifactManifestSignatureVerifier({{"k", "p", QByteArray()}}), Ed25519KeyError);
}

TEST_F(SignatureVerifierTest, AcceptsASignedManifestAndDigestsThePayloadAsSent)
{
    // Extra white space: the digest must be of these bytes, not of a re-encoding.
    const QByteArray payload = "  " + payloadOf(sampleManifest()) + "\n";
    const VerifiedArtifactManifest verified = verifier.verify(envelope(payload), Dates::iso8601);
    EXPECT_EQ(verified.keyID, "k1");
    EXPECT_EQ(verified.manifest, sampleManifest());
    EXPECT_EQ(verified.payloadSHA256,
              QString::fromLatin1(QCryptographicHash::hash(payload, QCryptographicHash::Sha256).toHex()));
    EXPECT_NE(verified.payloadSHA256,
              QString::fromLatin1(QCryptographicHash::hash(payloadOf(sampleManifest()), QCryptographicHash::Sha256).toHex()));
}

TEST_F(SignatureVerifierTest, TamperingFailsTheSignatureBeforeAnyParsing)
{
    const QByteArray payload = payloadOf(sampleManifest());
    auto flippedPayload = envelope(payload);
    flippedPayload.payload[0] = '['; // also no longer a manifest: the signature must fail first
    EXPECT_EQ(refusal(flippedPayload), verificationFailed);
    auto flippedSignature = envelope(payload);
    flippedSignature.signature[10] = char(flippedSignature.signature[10] ^ 0x01);
    EXPECT_EQ(refusal(flippedSignature), verificationFailed);
    // Signed by the other pinned key but claiming k1.
    EXPECT_EQ(refusal({1, "k1", payload, otherKey.sign(payload)}), verificationFailed);
    // A refused signature leaves nothing in OpenSSL's error queue for later callers.
    EXPECT_EQ(ERR_peek_error(), 0u);
}

TEST_F(SignatureVerifierTest, EnvelopeChecksInOrder)
{
    const QByteArray payload = payloadOf(sampleManifest());
    auto e = envelope(payload);
    e.schemaVersion = 2;
    e.keyID = "unknown";
    EXPECT_EQ(refusal(e), "Unsupported signed-manifest envelope schema.");
    EXPECT_EQ(refusal(envelope(payload, "K1")), "Artifact manifest has an invalid signing key id.");
    EXPECT_EQ(refusal({1, "k3", QByteArray(), QByteArray()}), "Artifact manifest uses an unknown signing key.");
    EXPECT_EQ(refusal({1, "k1", QByteArray(), key.sign(QByteArray())}), "Signed artifact manifest payload has an invalid size.");
    EXPECT_EQ(refusal({1, "k1", QByteArray(8'388'609, ' '), QByteArray(63, 'x')}),
              "Signed artifact manifest payload has an invalid size.");
    EXPECT_EQ(refusal({1, "k1", payload, key.sign(payload).left(63)}), "Artifact manifest signature has an invalid size.");
    EXPECT_EQ(refusal({1, "k1", payload, key.sign(payload) + 'x'}), "Artifact manifest signature has an invalid size.");
}

TEST_F(SignatureVerifierTest, PayloadOfExactlyTheLimitIsAccepted)
{
    QByteArray payload = payloadOf(sampleManifest());
    payload.append(QByteArray(8'388'608 - payload.size(), ' '));
    EXPECT_EQ(verifier.verify(envelope(payload), Dates::iso8601).manifest, sampleManifest());
}

TEST_F(SignatureVerifierTest, SignedPayloadThatIsNotAStrictManifestIsInvalidJson)
{
    const QByteArray good = payloadOf(sampleManifest());
    QJsonObject withoutArtifacts = toJson(sampleManifest());
    withoutArtifacts.remove("artifacts");
    const auto withArtifactField = [](const char* key, const QJsonValue& value) {
        QJsonObject manifest = toJson(sampleManifest());
        QJsonArray artifacts = manifest.value("artifacts").toArray();
        QJsonObject artifact = artifacts.at(0).toObject();
        artifact.insert(key, value);
        artifacts.replace(0, artifact);
        manifest.insert("artifacts", artifacts);
        return encodeJson(manifest);
    };

    const QByteArray deep = QByteArray("{\"junk\":") + QByteArray(40, '[') + QByteArray(40, ']') + "," + good.mid(1);
    for (const QByteArray& payload :
         {QByteArray("[]"), QByteArray("5"), QByteArray("{"), encodeJson(withoutArtifacts), withArtifactField("byteCount", -1),
          QByteArray("{\"providerID\":\"acme.provider\",") + good.mid(1),   // repeated top-level key
          QByteArray(good).replace("\"byteCount\"", "\"sha256\":\"x\",\"byteCount\""), // repeated nested key
          QByteArray(good).replace("\"MIT\"", "\"M\xff\""),                   // invalid UTF-8
          QByteArray(good).replace("\"MIT\"", "\"\\ud800\""),                 // unpaired surrogate
          withArtifactField("sourceURL", ""), withArtifactField("sourceURL", "https://h/a b"), deep}) {
        EXPECT_EQ(refusal(envelope(payload)), invalidJson) << payload.left(120).toStdString();
    }
    // ISO dates read with a numeric strategy.
    EXPECT_EQ(refusal(envelope(good), Dates::secondsSince1970), invalidJson);
}

TEST_F(SignatureVerifierTest, ProviderMustBeTheSigningKeysProvider)
{
    auto manifest = sampleManifest();
    manifest.providerID = "other";
    EXPECT_EQ(refusal(envelope(payloadOf(manifest))), "Artifact manifest provider does not match its signing key.");
    // The same manifest signed with the key pinned for "other" passes.
    const QByteArray payload = payloadOf(manifest);
    EXPECT_NO_THROW(verifier.verify({1, "k2", payload, otherKey.sign(payload)}, Dates::iso8601));
}

TEST_F(SignatureVerifierTest, DatesFollowTheCallersStrategy)
{
    const auto expected = sampleManifest();
    const auto payloadWith = [](const QJsonValue& issued, const QJsonValue& expires) {
        QJsonObject o = toJson(sampleManifest());
        o.insert("issuedAt", issued);
        o.insert("expiresAt", expires);
        return encodeJson(o);
    };
    const double issued = double(expected.issuedAt.toSecsSinceEpoch()) - 978'307'200;
    const double expires = double(expected.expiresAt.toSecsSinceEpoch()) - 978'307'200;
    EXPECT_EQ(verifier.verify(envelope(payloadWith(issued, expires)), Dates::secondsSince2001).manifest, expected);
}

TEST_F(SignatureVerifierTest, EnvelopeJsonIsReadStrictlyAndBounded)
{
    const auto original = envelope(payloadOf(sampleManifest()));
    const QByteArray json = encodeJson(toJson(original));
    const auto decoded = decodeSignedArtifactManifestEnvelope(json);
    EXPECT_EQ(decoded, original);
    EXPECT_EQ(verifier.verify(decoded, Dates::iso8601).manifest, sampleManifest());

    const QString signature = QString::fromLatin1(original.signature.toBase64());
    const auto withSignature = [&](const QString& text) {
        QJsonObject o = toJson(original);
        o.insert("signature", text);
        return encodeJson(o);
    };
    EXPECT_THROW(decodeSignedArtifactManifestEnvelope(withSignature(signature.chopped(2))), DecodingError); // "=" dropped
    EXPECT_THROW(decodeSignedArtifactManifestEnvelope(withSignature(signature.left(40) + "\n" + signature.mid(40))),
                 DecodingError);
    EXPECT_THROW(decodeSignedArtifactManifestEnvelope(
                     withSignature(QStringLiteral("-_") + signature.mid(2))), // the URL-safe alphabet
                 DecodingError);
    EXPECT_THROW(decodeSignedArtifactManifestEnvelope(QByteArray("{\"keyID\":\"k2\",") + json.mid(1)), DecodingError);

    const qsizetype tooLarge = SignedArtifactManifestEnvelope::maximumEncodedByteCount + 1;
    try {
        decodeSignedArtifactManifestEnvelope(QByteArray(tooLarge, 'x'));
        ADD_FAILURE() << "an oversized envelope was read";
    } catch (const DecodingError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("%1 bytes").arg(tooLarge))) << error.what();
    }
}

TEST(SignedArtifactManifestEnvelope, TheLargestPayloadReadsBackFromOurOwnWriting)
{
    // Bytes whose Base64 is all "/", which the writer escapes as "\/": twice the size of the text.
    const SignedArtifactManifestEnvelope largest{1, "k1", QByteArray(8'388'608, '\xff'), QByteArray(64, '\xff')};
    const QByteArray json = encodeJson(toJson(largest));
    ASSERT_GT(json.size(), 2 * 11'184'812);
    EXPECT_EQ(decodeSignedArtifactManifestEnvelope(json), largest);
}
