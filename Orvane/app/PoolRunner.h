#pragma once

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorotask.h>

#include <QThreadPool>
#include <QUnhandledException>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

namespace orvane {

// Runs blocking work (every session call) off the GUI thread and resumes the awaiting coroutine on the
// thread that awaited, so the window never waits for the session. The private pool has at least three
// threads, so a cancel is served while a launch watch holds one for minutes and another call runs.
//
// An exception thrown by the work reaches the awaiting coroutine unchanged: QtConcurrent wraps it in
// QUnhandledException, and run() rethrows the original, so the session's own sentence reaches the user.
class PoolRunner final {
public:
    static constexpr int minimumThreads = 3;

    explicit PoolRunner(int threads = minimumThreads);
    // Waits for the work already started.
    ~PoolRunner();
    PoolRunner(const PoolRunner&) = delete;
    PoolRunner& operator=(const PoolRunner&) = delete;

    // Waits up to `msecs` for the work already started; true when none is left.
    bool waitForDone(int msecs) { return m_pool.waitForDone(msecs); }
    // Calls started whose awaiting coroutine has not resumed yet (GUI thread only).
    int pending() const { return *m_pending; }

    // `work` goes to the pool here, before the caller suspends. Callers name a closure that captures
    // anything with a destructor before co_awaiting run() with it: g++ 12 destroys such a temporary
    // of a co_await expression twice (a shared_ptr capture then frees what another still holds).
    template <typename Work>
    auto run(Work&& work) -> QCoro::Task<std::invoke_result_t<std::decay_t<Work>&>>
    {
        return unwrapped(QtConcurrent::run(&m_pool, std::decay_t<Work>(std::forward<Work>(work))), m_pending);
    }

private:
    // Counts one call from its start until its coroutine has resumed and finished. It shares the count:
    // a call resumes from the event loop after its work ended, which may be after the runner is gone.
    struct Pending final {
        explicit Pending(std::shared_ptr<int> count) : count(std::move(count)) { ++*this->count; }
        ~Pending() { --*count; }
        Pending(const Pending&) = delete;
        Pending& operator=(const Pending&) = delete;
        std::shared_ptr<int> count;
    };

    template <typename Result>
    static QCoro::Task<Result> unwrapped(QFuture<Result> future, std::shared_ptr<int> pending)
    {
        const Pending counted(std::move(pending));
        try {
            if constexpr (std::is_void_v<Result>)
                co_await future;
            else
                co_return co_await future;
        } catch (const QUnhandledException& wrapped) {
            if (wrapped.exception())
                std::rethrow_exception(wrapped.exception());
            throw;
        }
    }

    QThreadPool m_pool;
    std::shared_ptr<int> m_pending = std::make_shared<int>(0);
};

} // namespace orvane
