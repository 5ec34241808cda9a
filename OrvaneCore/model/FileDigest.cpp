#include "model/FileDigest.h"

#include "platform/RegularFile.h"
#include "platform/Sha256.h"

namespace orvane {

QString sha256Hex(const std::filesystem::path& file)
{
    // A FIFO or device is refused rather than read: it could block or never end.
    const FileDescriptor fd = openRegularFile(file, "read", nullptr, true);
    return sha256HexOfDescriptor(fd.get(), file.c_str());
}

} // namespace orvane
