#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <optional>

namespace norvane::testing {

// Spins the event loop until `done` holds or the time runs out. Tests only: product code never waits.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::usleep(200);
    }
    return true;
}

// Runs a task to completion in a nested event loop and returns its result or rethrows its exception.
// QCoro 0.8's own waitFor never leaves its loop when the task throws.
template <typename T> T runTask(QCoro::Task<T>&& task)
{
    QEventLoop loop;
    bool done = false;
    std::optional<T> result;
    std::exception_ptr error;
    auto run = [&](QCoro::Task<T> t) -> QCoro::Task<> {
        try {
            result.emplace(co_await std::move(t));
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        loop.quit();
    };
    auto runner = run(std::move(task));
    if (!done)
        loop.exec();
    if (error)
        std::rethrow_exception(error);
    return std::move(*result);
}

} // namespace norvane::testing
