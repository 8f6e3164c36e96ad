#include "models/poll_schedule.h"

#include "core/relative_time.h"
#include "platform/debug_log.h"

#include <QLocale>
#include <QPointer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace norvane {

namespace {

const QString kPolling = QStringLiteral("Polling");

class QtPollingTimer final : public PollingTimer
{
public:
    void start(double seconds, std::function<void()> tick) override
    {
        m_timer.stop();
        QObject::disconnect(m_connection);
        // QTimer counts in whole milliseconds. The engine never asks for less than a second; should it, the
        // timer still waits a second rather than fire back to back (NaN included, which no cast may see).
        const double ms =
            std::isnan(seconds) ? 1000.0 : std::clamp(seconds * 1000.0, 1000.0, double(INT_MAX));
        m_timer.setInterval(int(ms));
        m_connection = QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
        m_timer.start();
    }
    void stop() override
    {
        m_timer.stop();
        QObject::disconnect(m_connection);
    }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    QMetaObject::Connection m_connection;
};

// The default decimal form of a double: 900 seconds reads "900.0".
QString doubleText(double value)
{
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1String("inf")) && !text.contains(QLatin1String("nan")))
        text += QStringLiteral(".0");
    return text;
}

} // namespace

std::unique_ptr<PollingTimer> makeQtPollingTimer()
{
    return std::make_unique<QtPollingTimer>();
}

PollSchedule::PollSchedule(Options options, QObject* parent) : QObject(parent), m_options(std::move(options))
{
    if (!m_options.timer)
        m_options.timer = makeQtPollingTimer();
    if (!m_options.now)
        m_options.now = [] { return QDateTime::currentDateTimeUtc(); };
    m_pauseEnd = new QTimer(this);
    m_pauseEnd->setSingleShot(true);
    m_pauseEnd->setTimerType(Qt::PreciseTimer);
    connect(m_pauseEnd, &QTimer::timeout, this, &PollSchedule::endPausesThatAreOver);
    m_catchUp = new QTimer(this);
    m_catchUp->setSingleShot(true);
    m_catchUp->setInterval(std::max(m_options.catchUpDelayMs, 0));
    const auto catchUpIfOnline = [this] {
        if (m_networkOnline) // else the network's return starts it again
            Q_EMIT catchUpDue();
    };
    connect(m_catchUp, &QTimer::timeout, this, catchUpIfOnline);
    m_catchUpRetry = new QTimer(this);
    m_catchUpRetry->setSingleShot(true);
    m_catchUpRetry->setInterval(std::max(m_options.catchUpRetryMs, 0));
    connect(m_catchUpRetry, &QTimer::timeout, this, catchUpIfOnline);
}

double PollSchedule::interval(const NotificationSettings& settings) const
{
    // Nothing here may poll faster than once a second: a zero, negative or not-a-number interval would
    // refresh back to back (or, converted to a timer's milliseconds, not at all).
    if (const auto& text = m_options.intervalOverride) {
        bool ok = false;
        const double seconds = text->trimmed().toDouble(&ok);
        if (ok && text->trimmed() == *text && std::isfinite(seconds) && seconds >= 1.0)
            return seconds;
        debugLog(
            kPolling,
            QStringLiteral(
                "⚠️ Ignoring NORVANE_POLL_INTERVAL_SECS=\"%1\": not a number of seconds of at least 1")
                .arg(*text));
    }
    if (m_options.debugMode)
        return 15.0;
    const int minutes = settings.pollingIntervalMinutes;
    return (minutes >= 1 ? minutes : NotificationSettings{}.pollingIntervalMinutes) * 60.0;
}

void PollSchedule::start(double seconds)
{
    m_options.timer->stop();
    debugLog(kPolling,
             QStringLiteral("🔄 Starting background polling every %1 seconds").arg(doubleText(seconds)));
    QPointer<PollSchedule> self(this);
    m_options.timer->start(seconds, [self] {
        debugLog(kPolling, QStringLiteral("⏰ Polling timer fired, triggering silent refresh"));
        if (self)
            Q_EMIT self->pollDue();
    });
}

std::optional<QDateTime> PollSchedule::pausedUntil(const QUuid& accountId) const
{
    const auto it = m_pausedUntil.constFind(accountId);
    return it == m_pausedUntil.constEnd() ? std::nullopt : std::optional<QDateTime>(*it);
}

bool PollSchedule::isPaused(const QUuid& accountId) const
{
    const auto until = pausedUntil(accountId);
    return until && now() < *until;
}

void PollSchedule::setPaused(const QUuid& accountId, std::optional<QDateTime> until)
{
    if (pausedUntil(accountId) == until)
        return;
    if (until)
        m_pausedUntil.insert(accountId, *until);
    else
        m_pausedUntil.remove(accountId);
    schedulePauseEnd();
    Q_EMIT pausesChanged();
}

std::optional<QString> PollSchedule::pauseNotice(const QUuid& accountId) const
{
    if (!isPaused(accountId))
        return std::nullopt;
    //: Under the pull-request tab's bars; %1 is a time of day
    return tr("GitHub's rate limit: Norvane checks again at %1.").arg(clockTimeText(*pausedUntil(accountId)));
}

QString PollSchedule::retryLine(const QDateTime& at)
{
    //: Ends an error line of the pull-request tab; %1 is a time of day
    return tr("Norvane will try again at %1.").arg(clockTimeText(at));
}

void PollSchedule::schedulePauseEnd()
{
    if (m_pausedUntil.isEmpty()) {
        m_pauseEnd->stop();
        return;
    }
    const QDateTime first = *std::min_element(m_pausedUntil.cbegin(), m_pausedUntil.cend());
    // A pause lasts an hour at most, so the wait fits a timer; one that is over already ends at once.
    m_pauseEnd->start(int(std::clamp<qint64>(now().msecsTo(first), 0, 3'600'000)));
}

void PollSchedule::endPausesThatAreOver()
{
    const QDateTime current = now();
    QList<QUuid> over;
    for (auto it = m_pausedUntil.cbegin(); it != m_pausedUntil.cend(); ++it) {
        if (*it <= current)
            over.append(it.key());
    }
    // The next tick polls again. (Polling at once instead would collide with that tick, which a refresh
    // still running makes skip: the first good poll came an interval later.)
    for (const QUuid& id : over)
        setPaused(id, std::nullopt);
    schedulePauseEnd(); // a timer that fired early waits for the rest
}

void PollSchedule::setNetworkOnline(bool online)
{
    if (m_networkOnline == online)
        return;
    m_networkOnline = online;
    debugLog(kPolling,
             online
                 ? QStringLiteral("🔄 The network is back: refreshing shortly")
                 : QStringLiteral(
                       "⚠️ The desktop reports no network: polls go on, a refresh follows its return"));
    m_catchUpRetry->stop();
    m_retryLeft = online;
    if (online)
        m_catchUp->start();
    else
        m_catchUp->stop();
}

void PollSchedule::systemResumed()
{
    debugLog(kPolling, QStringLiteral("🔄 The system woke from sleep: refreshing shortly"));
    m_catchUpRetry->stop();
    m_retryLeft = true;
    m_catchUp->start(); // a wake and the network's return a moment later start one refresh, not two
}

void PollSchedule::catchUpEnded(bool fetched)
{
    if (fetched) {
        m_catchUpRetry->stop();
        m_retryLeft = false;
    } else if (std::exchange(m_retryLeft, false)) {
        debugLog(kPolling, QStringLiteral("🔄 The refresh after the wake or the network's return failed: "
                                          "trying once more in %1 seconds")
                               .arg(m_catchUpRetry->interval() / 1000));
        m_catchUpRetry->start();
    }
}

} // namespace norvane
