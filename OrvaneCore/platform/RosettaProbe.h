#pragma once

#include <memory>

namespace orvane {

// Whether this machine can run x86_64 programs (the game's Intel Java needs it).
class RosettaProbe {
public:
    virtual ~RosettaProbe() = default;
    virtual bool isInstalled() = 0;

    // The process-wide real implementation.
    static std::shared_ptr<RosettaProbe> system();
};

} // namespace orvane
