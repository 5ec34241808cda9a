#pragma once

#include <QByteArrayView>

#include <memory>
#include <stdexcept>

namespace orvane {

// Raw bytes that the crypto library does not accept as an Ed25519 public key. A platform error:
// it says what the library refused, not a sentence of ours.
class Ed25519KeyError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An Ed25519 public key held by OpenSSL. Immutable; checks may run on any thread.
class Ed25519PublicKey final {
public:
    // The 32-byte raw key; anything else throws Ed25519KeyError.
    explicit Ed25519PublicKey(QByteArrayView rawRepresentation);

    // True only when `signature` is a valid Ed25519 signature of exactly `message` by this key.
    bool isValidSignature(QByteArrayView signature, QByteArrayView message) const;

private:
    struct Key;
    std::shared_ptr<const Key> m_key;
};

} // namespace orvane
