#pragma once

// What the tests of the sign-in sheet and the settings page share: a fakehub with an OAuth App, and a clock
// that lets the device flow's waits pass at once.

#include "github/github_device_auth.h"
#include "support/world.h"

#include <chrono>
#include <memory>
#include <qcoro/qcorotimer.h>

namespace norvane::testing {

using namespace std::chrono_literals;

inline const QString kClientId = QStringLiteral("Ov23liNorvaneTest001");

// Each sleep of the flow takes a few real milliseconds and moves this clock and fakehub's device-flow clock
// on by the seconds asked for, so polls are never too fast for fakehub and nobody waits for them.
class FastTimer final : public DeviceAuthTimer
{
public:
    explicit FastTimer(fakehub::FakeHub* hub) : m_hub(hub) {}
    QDateTime now() const override { return m_start.addSecs(m_elapsed); }
    QCoro::Task<> sleep(int seconds, CancelToken interrupt) override
    {
        co_await QCoro::sleepFor(5ms);
        if (interrupt && interrupt->isCancelled())
            co_return;
        m_elapsed += seconds;
        if (m_hub)
            m_hub->advanceClock(std::chrono::seconds(seconds));
    }

private:
    fakehub::FakeHub* m_hub;
    QDateTime m_start = QDateTime::currentDateTimeUtc();
    qint64 m_elapsed = 0;
};

// A fakehub whose OAuth App is kClientId; codes live a day of virtual time, longer than any test polls.
inline std::unique_ptr<fakehub::FakeHub> startHub(fakehub::Scenario world = baseWorld())
{
    fakehub::OAuthApp app;
    app.clientId = kClientId;
    app.expiresIn = 24 * 60 * 60;
    world.oauthApp = app;
    return std::make_unique<fakehub::FakeHub>(std::move(world));
}

} // namespace norvane::testing
