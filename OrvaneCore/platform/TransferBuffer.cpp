#include "platform/TransferBuffer.h"

#include <memory>

namespace orvane {

std::span<std::byte> transferBuffer()
{
    constexpr std::size_t kSize = std::size_t(1) << 20;
    thread_local const std::unique_ptr<std::byte[]> buffer = std::make_unique_for_overwrite<std::byte[]>(kSize);
    return {buffer.get(), kSize};
}

} // namespace orvane
