#include "platform/Ed25519.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <new>
#include <string>

namespace orvane {

struct Ed25519PublicKey::Key {
    EVP_PKEY* pkey = nullptr;
    ~Key() { EVP_PKEY_free(pkey); }
};

namespace {

constexpr qsizetype rawKeySize = 32;
constexpr qsizetype signatureSize = 64;
const unsigned char emptyMessage = 0;

} // namespace

Ed25519PublicKey::Ed25519PublicKey(QByteArrayView rawRepresentation)
{
    if (rawRepresentation.size() != rawKeySize)
        throw Ed25519KeyError("An Ed25519 public key must be 32 bytes; this one has "
                              + std::to_string(rawRepresentation.size()) + ".");
    auto key = std::make_shared<Key>();
    key->pkey = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                            reinterpret_cast<const unsigned char*>(rawRepresentation.data()),
                                            std::size_t(rawRepresentation.size()));
    if (!key->pkey) {
        ERR_clear_error();
        throw Ed25519KeyError("OpenSSL did not accept the Ed25519 public key.");
    }
    m_key = std::move(key);
}

bool Ed25519PublicKey::isValidSignature(QByteArrayView signature, QByteArrayView message) const
{
    if (signature.size() != signatureSize)
        return false;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    if (!ctx)
        throw std::bad_alloc();
    // Ed25519 signs the message itself: no digest is named, and the whole message goes in one call.
    bool valid = EVP_DigestVerifyInit(ctx, nullptr, nullptr, nullptr, m_key->pkey) == 1;
    if (valid) {
        const auto* data = message.isEmpty() ? &emptyMessage : reinterpret_cast<const unsigned char*>(message.data());
        valid = EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char*>(signature.data()),
                                 std::size_t(signature.size()), data, std::size_t(message.size()))
            == 1;
    }
    EVP_MD_CTX_free(ctx);
    // A refused signature leaves reasons in this thread's error queue; they must not leak into later calls.
    ERR_clear_error();
    return valid;
}

} // namespace orvane
