#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>

namespace orvane {

// Incremental SHA-256 over OpenSSL's EVP interface.
class Sha256 final {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t size);
    // The 32 digest bytes; the hasher cannot be used afterwards.
    QByteArray finish();

    static QByteArray digest(QByteArrayView bytes);

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

// Lowercase hexadecimal SHA-256 of everything readable from `fd` from its current offset, or of its
// first `limit` bytes, stopping there without a read to find the end; `byteCount` receives the number
// of bytes hashed. Throws std::system_error naming `pathForErrors`.
QString sha256HexOfDescriptor(int fd, const char* pathForErrors, unsigned long long* byteCount = nullptr,
                              std::optional<unsigned long long> limit = std::nullopt);

} // namespace orvane
