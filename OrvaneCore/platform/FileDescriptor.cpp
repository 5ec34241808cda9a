#include "platform/FileDescriptor.h"

#include <unistd.h>

namespace orvane {

void FileDescriptor::reset()
{
    if (m_fd >= 0)
        ::close(m_fd); // A failed close of a descriptor we only read is of no consequence.
    m_fd = -1;
}

} // namespace orvane
