#pragma once

#include "platform/ChildProcess.h"

#include <QByteArray>

#include <sys/types.h>

#include <optional>

namespace orvane {

// A program started to run on its own, such as the launcher run from its JAR. It is reaped when it
// ends, so it never lingers as a zombie, and the end of what it wrote to its standard error is kept,
// so that a start that failed can say why.
class StartedProcess {
public:
    virtual ~StartedProcess() = default;

    virtual pid_t pid() const = 0;
    // How it ended, once it has ended and was reaped; absent while it runs, and when its end could
    // not be learnt.
    virtual std::optional<ChildExit> exitStatus() const = 0;
    // The last bytes it wrote to its standard error so far (a bounded tail). Once exitStatus() is
    // known this holds everything it wrote up to its end.
    virtual QByteArray errorOutput() const = 0;

protected:
    StartedProcess() = default;
    StartedProcess(const StartedProcess&) = default;
    StartedProcess& operator=(const StartedProcess&) = default;
};

} // namespace orvane
