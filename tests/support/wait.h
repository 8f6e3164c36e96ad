#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>

namespace norvane::testing {

// Spins the event loop until `done` holds or the time runs out. Tests only: product code never waits.
// The default bound is generous because a loaded machine (a build beside the tests, a CI runner) can be many
// times slower than a quiet one; a wait that succeeds returns as soon as `done` holds, so the bound costs a
// passing test nothing. A wait that is meant to run out passes its own short bound.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000)
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

} // namespace norvane::testing
