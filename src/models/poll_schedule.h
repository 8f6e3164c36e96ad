#pragma once

#include "core/pr_rules.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

namespace norvane {

// The repeating timer behind background polling, as a seam so tests can fire ticks themselves.
class PollingTimer
{
public:
    virtual ~PollingTimer() = default;
    // Replaces any running schedule: `tick` runs every `seconds` from now on.
    virtual void start(double seconds, std::function<void()> tick) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// A QTimer on the main thread.
std::unique_ptr<PollingTimer> makeQtPollingTimer();

// When the engine polls in the background: the poll timer's ticks, the accounts whose polls wait for GitHub's
// rate limit to lift, and the catch-up a few seconds after the machine woke or the network came back (tried
// once more when it failed).
class PollSchedule : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        std::unique_ptr<PollingTimer> timer;     // default: a QTimer
        std::optional<QString> intervalOverride; // the NORVANE_POLL_INTERVAL_SECS text, when set
        bool debugMode = false;                  // polls every 15 seconds
        int catchUpDelayMs = 5000;               // after a wake or a return online
        std::function<QDateTime()> now = {};     // default: the current time
        int catchUpRetryMs = 30000;              // after a catch-up that failed, before the one more try
    };
    explicit PollSchedule(Options options, QObject* parent = nullptr);

    // Seconds between polls: the override when it is a number of at least one second, 15 in debug mode,
    // else the settings' minutes (their default when under one).
    double interval(const NotificationSettings& settings) const;
    // (Re)starts the ticks, `pollDue` every `seconds` from now.
    void start(double seconds);
    bool isPolling() const { return m_options.timer->isActive(); }
    QDateTime now() const { return m_options.now(); }

    // Per account: GitHub's rate limit answered, and background requests wait until then. A pause ends by
    // itself when its time comes.
    std::optional<QDateTime> pausedUntil(const QUuid& accountId) const;
    bool isPaused(const QUuid& accountId) const;
    void setPaused(const QUuid& accountId, std::optional<QDateTime> until);
    // The line shown while the account's polls wait, in local time; none otherwise.
    std::optional<QString> pauseNotice(const QUuid& accountId) const;
    // The sentence a rate-limit failure gains: when Norvane asks again, in local time.
    static QString retryLine(const QDateTime& at);

    // The desktop's word on the network decides when a catch-up comes, never whether a poll is due: traffic
    // may flow where the desktop does not look. Coming back online or waking from sleep is followed, after
    // the delay, by one `catchUpDue` (one for both when they come together); a wake while the desktop
    // reports no network waits for its return.
    void setNetworkOnline(bool online);
    bool isNetworkOnline() const { return m_networkOnline; }
    void systemResumed();
    // How the refresh that caught up ended. A failure (the network may count as connected a moment before
    // it carries anything) is followed by one more `catchUpDue` after the retry delay, once per wake or
    // return.
    void catchUpEnded(bool fetched);

Q_SIGNALS:
    void pollDue();
    void catchUpDue();
    void pausesChanged();

private:
    void schedulePauseEnd();
    void endPausesThatAreOver();

    Options m_options;
    QHash<QUuid, QDateTime> m_pausedUntil;
    QTimer* m_pauseEnd = nullptr; // fires when the earliest pause is over
    QTimer* m_catchUp = nullptr;
    QTimer* m_catchUpRetry = nullptr;
    bool m_retryLeft = false; // the catch-up under way may still be tried once more
    bool m_networkOnline = true;
};

} // namespace norvane
