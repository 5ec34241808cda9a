#pragma once

#include <QString>

#include <cstdint>
#include <filesystem>
#include <memory>

namespace orvane {

// The facts about this machine that the capability report holds. Every fact has a fallback, so
// nothing here throws: 0 for sizes, "unknown" for texts, false for flags.
class SystemFacts {
public:
    virtual ~SystemFacts() = default;

    // Installed memory in bytes; 0 when unknown.
    virtual std::uint64_t physicalMemoryBytes() = 0;

    // The text value of a named system setting, "unknown" when there is none. Understands the names
    // "machdep.cpu.brand_string" (processor), "hw.model" (hardware model), "hw.memsize" (memory in
    // bytes, decimal) and "sysctl.proc_translated" ("0"); any other name a.b.c reads the kernel's
    // setting a/b/c. Only names made of letters, digits, "_" and "." without "..", empty parts or a
    // leading "." are looked up.
    virtual QString sysctlString(const QString& name) = 0;

    // The host's architecture as uname(2) names it, with "aarch64" read as "arm64".
    virtual QString architecture() = 0;

    // Whether this process runs under binary translation. Nothing on Linux translates us: false.
    virtual bool processTranslated() = 0;

    // Bytes an unprivileged user may still write on the volume holding `folder`; 0 when unknown.
    virtual std::uint64_t volumeAvailableBytes(const std::filesystem::path& folder) = 0;

    // The operating system's name and version for people to read.
    virtual QString osVersion() = 0;

    // The process-wide real implementation.
    static std::shared_ptr<SystemFacts> system();
};

} // namespace orvane
