#pragma once

#include "platform/FileOperations.h"
#include "platform/HostArchitecture.h"
#include "platform/RosettaProbe.h"

#include <QString>

namespace orvane {

// Installed when the host runs x86_64 code: the host is x86_64 itself, or an enabled binfmt_misc
// handler (under `root`/proc/sys/fs/binfmt_misc) takes x86_64 ELF executables, as a translator
// such as Rosetta for Linux, FEX or qemu-user registers one. Never hangs on a FIFO; never throws.
class LinuxRosettaProbe final : public RosettaProbe {
public:
    explicit LinuxRosettaProbe(std::filesystem::path root = "/", QString hostArchitecture = orvane::hostArchitecture(),
                               std::shared_ptr<FileOperations> files = FileOperations::system());

    bool isInstalled() override;

private:
    bool hasX86_64Handler() const;

    std::filesystem::path m_root;
    QString m_hostArchitecture;
    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
