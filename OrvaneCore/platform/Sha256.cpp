#include "platform/Sha256.h"

#include "platform/HexDigest.h"
#include "platform/SystemError.h"
#include "platform/TransferBuffer.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>

#include <unistd.h>

namespace orvane {

namespace {

// Fetched once: naming the digest at each start makes OpenSSL 3 look it up again, a cost that shows
// when a world of small files is hashed one file at a time.
const EVP_MD* sha256Method()
{
    static const EVP_MD* const method = [] {
        const EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
        return fetched ? fetched : EVP_sha256();
    }();
    return method;
}

} // namespace

struct Sha256::Context {
    EVP_MD_CTX* ctx = nullptr;
    ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : m_context(std::make_unique<Context>())
{
    m_context->ctx = EVP_MD_CTX_new();
    if (!m_context->ctx)
        throw std::bad_alloc();
    if (EVP_DigestInit_ex(m_context->ctx, sha256Method(), nullptr) != 1)
        throw std::runtime_error("SHA-256 could not be started");
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size)
{
    if (size > 0 && EVP_DigestUpdate(m_context->ctx, data, size) != 1)
        throw std::runtime_error("SHA-256 update failed");
}

QByteArray Sha256::finish()
{
    QByteArray out(EVP_MAX_MD_SIZE, '\0');
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(m_context->ctx, reinterpret_cast<unsigned char*>(out.data()), &length) != 1)
        throw std::runtime_error("SHA-256 could not be finished");
    out.truncate(int(length));
    return out;
}

QByteArray Sha256::digest(QByteArrayView bytes)
{
    Sha256 hasher;
    hasher.update(bytes.data(), std::size_t(bytes.size()));
    return hasher.finish();
}

QString sha256HexOfDescriptor(int fd, const char* pathForErrors, unsigned long long* byteCount,
                              std::optional<unsigned long long> limit)
{
    const std::span<std::byte> buffer = transferBuffer();
    Sha256 hasher;
    unsigned long long total = 0;
    while (!limit || total < *limit) {
        const std::size_t wanted = limit ? std::size_t(std::min<unsigned long long>(buffer.size(), *limit - total))
                                         : buffer.size();
        const ssize_t n = ::read(fd, buffer.data(), wanted);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwErrno("read", pathForErrors);
        }
        if (n == 0)
            break;
        hasher.update(buffer.data(), std::size_t(n));
        total += static_cast<unsigned long long>(n);
    }
    if (byteCount)
        *byteCount = total;
    return hexDigest(hasher.finish());
}

} // namespace orvane
