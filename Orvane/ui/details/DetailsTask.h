#pragma once

#include <qcoro/qcorotask.h>

namespace orvane {

// Starts a model operation and lets it run on. The sheet never awaits one: the model reports
// through its properties. A task let go unfinished frees itself when its coroutine completes.
inline void startTask(QCoro::Task<> task)
{
    (void)task;
}

} // namespace orvane
