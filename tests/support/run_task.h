#pragma once

#include "support/wait.h"

#include <exception>
#include <optional>
#include <qcoro/qcorotask.h>
#include <stdexcept>

namespace norvane::testing {

namespace detail {
template <typename T>
QCoro::Task<> capture(QCoro::Task<T> task, std::optional<T>& value, std::exception_ptr& error, bool& done)
{
    try {
        value = co_await task;
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
}

inline QCoro::Task<> capture(QCoro::Task<> task, std::exception_ptr& error, bool& done)
{
    try {
        co_await task;
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
}
} // namespace detail

// Runs a coroutine to its end on this thread's event loop and returns its value or rethrows its exception.
// (QCoro's own waitFor never returns when the coroutine throws.)
template <typename T> T runTask(QCoro::Task<T> task, int timeoutMs = 30000)
{
    std::optional<T> value;
    std::exception_ptr error;
    bool done = false;
    auto runner = detail::capture(std::move(task), value, error, done);
    if (!waitUntil([&] { return done; }, timeoutMs))
        throw std::runtime_error("coroutine did not finish in time");
    if (error)
        std::rethrow_exception(error);
    return std::move(*value);
}

inline void runTask(QCoro::Task<> task, int timeoutMs = 30000)
{
    std::exception_ptr error;
    bool done = false;
    auto runner = detail::capture(std::move(task), error, done);
    if (!waitUntil([&] { return done; }, timeoutMs))
        throw std::runtime_error("coroutine did not finish in time");
    if (error)
        std::rethrow_exception(error);
}

} // namespace norvane::testing
