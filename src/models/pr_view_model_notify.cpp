#include "models/pr_view_model.h"

#include "core/stored_encoding.h"
#include "platform/debug_log.h"
#include "platform/notifier.h"

#include <QLocale>

#include <cmath>

namespace norvane {

namespace {

const QString kNotifications = QStringLiteral("Notifications");

QString statusName(const std::optional<PullRequest::ApprovalStatus>& status)
{
    return status ? rawValue(*status) : QStringLiteral("nil");
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

PRViewModel::NotificationPermissionStatus mapPermission(NotificationPermission permission)
{
    switch (permission) {
    case NotificationPermission::NotDetermined:
        return PRViewModel::NotificationPermissionStatus::notDetermined;
    case NotificationPermission::Denied:
        return PRViewModel::NotificationPermissionStatus::denied;
    case NotificationPermission::Authorized:
        return PRViewModel::NotificationPermissionStatus::authorized;
    }
    return PRViewModel::NotificationPermissionStatus::unknown;
}

// Posts and logs the outcome; the model is not needed once the request is built.
QCoro::Task<> postAndLog(std::shared_ptr<Notifier> notifier, NotificationRequest request, QString sentLine,
                         QString failedPrefix)
{
    const std::optional<QString> error = co_await notifier->post(std::move(request));
    debugLog(kNotifications, error ? failedPrefix + *error : sentLine);
}

} // namespace

// --- Change detection --------------------------------------------------------------------------------------

void PRViewModel::updatePRStatesAndNotify(const QList<PullRequest>& prs, const GitHubAccount& account,
                                          bool sendNotifications)
{
    // Once an account has been fetched, a pull request that shows up later is new to the user: it counts
    // as "not requested, no verdict" before, so a fresh review request notifies. The first fetch of an
    // account (launch, account switch) has nothing to compare with and stays silent.
    const bool knownAccount = m_previousPRStatesByAccount.contains(account.id);
    QHash<QString, PRState> prev = m_previousPRStatesByAccount.value(account.id);
    debugLog(kNotifications, QStringLiteral("updatePRStatesAndNotify: Checking %1 PRs for account %2, sendNotifications=%3")
                                 .arg(prs.size())
                                 .arg(account.username, boolText(sendNotifications)));
    for (const PullRequest& p : prs) {
        const auto oldIt = prev.constFind(p.id);
        const bool hasExistingState = oldIt != prev.constEnd();
        const PRState previous = hasExistingState ? *oldIt : PRState{};
        const PRState* old = (hasExistingState || knownAccount) ? &previous : nullptr;
        debugLog(kNotifications, QStringLiteral("PR #%1: isYourPR=%2, approvalStatus=%3, oldStatus=%4, hasExistingState=%5")
                                     .arg(p.number)
                                     .arg(boolText(p.isYourPR), statusName(p.approvalStatus),
                                          statusName(hasExistingState ? old->approvalStatus : std::nullopt),
                                          boolText(hasExistingState)));
        // Being assigned someone else's pull request asks for my attention as a review request does. My own
        // pull request assigned to me asks nothing of me, whether it was assigned before I first saw it or
        // after: "me requested your review" is no news.
        const bool requested = p.reviewRequested || (p.isAssigned && !p.isYourPR);
        if (old && sendNotifications) {
            const QString prefix = QStringLiteral("PR #%1: ").arg(p.number);
            if (requested && !old->reviewRequested) {
                debugLog(kNotifications, prefix + QStringLiteral("New review request detected"));
                if (!m_notificationSettings.notifyOnReviewRequest)
                    debugLog(kNotifications, prefix + QStringLiteral("Review request notifications disabled in settings"));
                else
                    sendNotification(Event::reviewRequested, p);
            }
            if (p.approvalStatus && p.isYourPR) {
                using AS = PullRequest::ApprovalStatus;
                if (*p.approvalStatus == AS::approved && old->approvalStatus != AS::approved) {
                    debugLog(kNotifications, prefix + QStringLiteral("Approval detected (old: %1 -> new: approved)")
                                                          .arg(statusName(old->approvalStatus)));
                    if (!m_notificationSettings.notifyOnApproval)
                        debugLog(kNotifications, prefix + QStringLiteral("Approval notifications disabled in settings"));
                    else
                        sendNotification(Event::approved, p);
                }
                if (*p.approvalStatus == AS::changesRequested && old->approvalStatus != AS::changesRequested) {
                    debugLog(kNotifications, prefix + QStringLiteral("Changes requested detected (old: %1 -> new: changesRequested)")
                                                          .arg(statusName(old->approvalStatus)));
                    if (!m_notificationSettings.notifyOnChangesRequested)
                        debugLog(kNotifications,
                                 prefix + QStringLiteral("Changes requested notifications disabled in settings"));
                    else
                        sendNotification(Event::changesRequested, p);
                }
            }
        }
        // An unknown verdict is a reviews query that failed, not a change: the last known verdict stays the
        // one to compare with, or the next good answer would announce an old approval again.
        std::optional<PullRequest::ApprovalStatus> verdict = p.approvalStatus;
        if (verdict == PullRequest::ApprovalStatus::unknown && hasExistingState)
            verdict = previous.approvalStatus;
        prev.insert(p.id, PRState{verdict, requested});
    }
    m_previousPRStatesByAccount.insert(account.id, prev);
    debugLog(kNotifications,
             QStringLiteral("updatePRStatesAndNotify: Completed, tracking state for %1 PRs").arg(prev.size()));
}

void PRViewModel::sendNotification(Event event, const PullRequest& p)
{
    QString called, skipped, title, body, sent, failed;
    switch (event) {
    case Event::reviewRequested:
        called = QStringLiteral("sendReviewRequestNotification called for PR #");
        skipped = QStringLiteral("⚠️ Skipping notification (no bundle ID): Review requested for ") + p.title;
        title = QStringLiteral("👀 Review Requested");
        body = QStringLiteral("%1 requested your review on '%2'").arg(p.author.value_or(QStringLiteral("Someone")), p.title);
        sent = QStringLiteral("📬 Notification sent for review request: ");
        failed = QStringLiteral("❌ Failed to send review request notification: ");
        break;
    case Event::changesRequested:
        called = QStringLiteral("sendChangesRequestedNotification called for PR #");
        skipped = QStringLiteral("⚠️ Skipping notification (no bundle ID): Changes requested for ") + p.title;
        title = QStringLiteral("🔧 Changes Requested");
        body = QStringLiteral("'%1' needs changes before it can merge").arg(p.title);
        sent = QStringLiteral("📬 Notification sent for changes requested: ");
        failed = QStringLiteral("❌ Failed to send changes requested notification: ");
        break;
    case Event::approved:
        called = QStringLiteral("sendApprovalNotification called for PR #");
        skipped = QStringLiteral("⚠️ Skipping notification (no bundle ID): %1 approved").arg(p.title);
        title = QStringLiteral("✅ PR Approved");
        body = QStringLiteral("'%1' is ready to merge").arg(p.title);
        sent = QStringLiteral("📬 Notification sent for approved PR: ");
        failed = QStringLiteral("❌ Failed to send approval notification: ");
        break;
    }
    debugLog(kNotifications, called + QString::number(p.number) + QStringLiteral(": ") + p.title);
    if (!m_deps.identity.bundleIdentifier) {
        debugLog(kNotifications, skipped);
        return;
    }
    NotificationRequest request{uuidText(QUuid::createUuid()), title, p.repository, body, p.url, true};
    // The sent line names the pull request's title.
    postAndLog(m_deps.notifier, request, sent + p.title, failed);
}

// --- Permission and test notifications -------------------------------------------------------------------

QCoro::Task<> PRViewModel::updatePermissionStatus()
{
    QPointer<PRViewModel> self(this);
    const std::shared_ptr<Notifier> notifier = m_deps.notifier;
    const NotificationPermission permission = co_await notifier->permissionStatus();
    if (self)
        self->setPermissionStatus(mapPermission(permission));
}

void PRViewModel::checkNotificationPermissionStatus()
{
    updatePermissionStatus();
}

static QCoro::Task<> requestAndReport(std::shared_ptr<Notifier> notifier, std::function<void(const QString&)> print)
{
    const AuthorizationAnswer answer = co_await notifier->requestAuthorization();
    if (answer.granted)
        print(QStringLiteral("✅ Notification permission granted"));
    else if (answer.error)
        print(QStringLiteral("❌ Notification permission error: ") + *answer.error);
}

void PRViewModel::requestNotificationPermission()
{
    if (!m_deps.identity.bundleIdentifier) {
        print(QStringLiteral("⚠️ Notifications unavailable: No bundle identifier"));
        return;
    }
    requestAndReport(m_deps.notifier, m_deps.printLine);
}

void PRViewModel::sendTestReviewNotification()
{
    sendTypedTestNotification(QStringLiteral("Review Requested"),
                              QStringLiteral("teammate requested your review on 'Add new authentication feature'"),
                              QStringLiteral("/test/repo/pull/123"));
}

void PRViewModel::sendTestChangesNotification()
{
    sendTypedTestNotification(QStringLiteral("Changes Requested"),
                              QStringLiteral("Your PR 'Fix critical bug in payment processing' needs changes"),
                              QStringLiteral("/test/repo/pull/456"));
}

void PRViewModel::sendTestApprovalNotification()
{
    sendTypedTestNotification(QStringLiteral("PR Approved!"),
                              QStringLiteral("Your PR 'Update dependencies to latest versions' was approved"),
                              QStringLiteral("/test/repo/pull/789"));
}

void PRViewModel::sendTypedTestNotification(QString title, QString body, QString path)
{
    if (!m_deps.identity.bundleIdentifier) {
        setErrorMessage(QStringLiteral("Notifications require running from .app bundle"));
        return;
    }
    runTypedTest(std::move(title), std::move(body), std::move(path));
}

QCoro::Task<> PRViewModel::runTypedTest(QString title, QString body, QString path)
{
    QPointer<PRViewModel> self(this);
    const std::shared_ptr<Notifier> notifier = m_deps.notifier;
    const QString prUrl = webBaseURL() + path;
    const NotificationPermission permission = co_await notifier->permissionStatus();
    if (!self)
        co_return;
    switch (permission) {
    case NotificationPermission::Authorized:
        self->setErrorMessage(std::nullopt);
        co_await self->postTestNotification(title, body, prUrl);
        co_return;
    case NotificationPermission::Denied:
        self->setErrorMessage(
            QStringLiteral("Notifications denied. Enable in System Settings → Notifications → Norvane"));
        co_return;
    case NotificationPermission::NotDetermined:
        break;
    }
    self->setErrorMessage(QStringLiteral("Notification permission not requested yet. Requesting now..."));
    const AuthorizationAnswer answer = co_await notifier->requestAuthorization();
    if (!self)
        co_return;
    self->setErrorMessage(answer.granted
                              ? QStringLiteral("Permission granted! Try again.")
                              : QStringLiteral("Permission denied. Enable in System Settings → Notifications → Norvane"));
    self->checkNotificationPermissionStatus();
}

QCoro::Task<> PRViewModel::postTestNotification(QString title, QString body, QString prUrl)
{
    QPointer<PRViewModel> self(this);
    const std::shared_ptr<Notifier> notifier = m_deps.notifier;
    NotificationRequest request{QStringLiteral("test-") + uuidText(QUuid::createUuid()), title, std::nullopt, body,
                                prUrl, true};
    const std::optional<QString> error = co_await notifier->post(std::move(request));
    if (!self)
        co_return;
    self->setErrorMessage(error ? QStringLiteral("Notification failed: ") + *error
                                : QStringLiteral("Notification sent! Check Notification Center if not visible."));
}

void PRViewModel::sendTestNotification()
{
    runDebugTestNotification();
}

QCoro::Task<> PRViewModel::runDebugTestNotification()
{
    const std::shared_ptr<Notifier> notifier = m_deps.notifier;
    const NotificationPermission permission = co_await notifier->permissionStatus();
    const int code = static_cast<int>(permission);
    debugLog(kNotifications, QStringLiteral("Auth status: %1").arg(code));
    if (permission != NotificationPermission::Authorized) {
        debugLog(kNotifications,
                 QStringLiteral("❌ Not authorized — status: %1. Enable in System Settings → Notifications.").arg(code));
        co_return;
    }
    NotificationRequest request{QStringLiteral("debug-test-") + uuidText(QUuid::createUuid()),
                                QStringLiteral("✅ Notifications working"), std::nullopt,
                                QStringLiteral("Norvane can deliver notifications on this device."), std::nullopt, true};
    const std::optional<QString> error = co_await notifier->post(std::move(request));
    debugLog(kNotifications, error ? QStringLiteral("❌ Test notification failed: ") + *error
                                   : QStringLiteral("📬 Test notification sent"));
}

// --- Polling -----------------------------------------------------------------------------------------------

double PRViewModel::pollingInterval() const
{
    // Nothing here may poll faster than once a second: a zero, negative or not-a-number interval would
    // refresh back to back (or, converted to a timer's milliseconds, not at all).
    if (const auto& text = m_deps.pollIntervalOverride) {
        bool ok = false;
        const double seconds = text->trimmed().toDouble(&ok);
        if (ok && text->trimmed() == *text && std::isfinite(seconds) && seconds >= 1.0)
            return seconds;
        debugLog(QStringLiteral("Polling"),
                 QStringLiteral("⚠️ Ignoring NORVANE_POLL_INTERVAL_SECS=\"%1\": not a number of seconds of at least 1")
                     .arg(*text));
    }
    if (m_deps.debugMode)
        return 15.0;
    const int minutes = m_notificationSettings.pollingIntervalMinutes;
    return (minutes >= 1 ? minutes : NotificationSettings{}.pollingIntervalMinutes) * 60.0;
}

static constexpr double kFirstFeedCheckSecs = 3.0;

static QString doubleText(double value)
{
    // The default decimal form of a double: 900 seconds reads "900.0".
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) && !text.contains(QLatin1String("inf")) &&
        !text.contains(QLatin1String("nan")))
        text += QStringLiteral(".0");
    return text;
}

void PRViewModel::startPolling()
{
    m_deps.timer->stop();
    requestNotificationPermission();
    const double interval = pollingInterval();
    debugLog(QStringLiteral("Polling"),
             QStringLiteral("🔄 Starting background polling every %1 seconds").arg(doubleText(interval)));
    QPointer<PRViewModel> self(this);
    m_deps.timer->start(interval, [self] {
        debugLog(QStringLiteral("Polling"), QStringLiteral("⏰ Polling timer fired, triggering silent refresh"));
        if (self)
            self->refreshSilently();
    });
    m_feedStarted = true;
    // The feed keeps its own pace across restarts of the poll (each opening of the panel restarts it): a new
    // baseline there would swallow what happened since the last check. The first look sets the baseline; it
    // comes soon, so that what happens in the first minute is caught.
    if (!m_deps.feedTimer->isActive() && !m_feedCheck)
        restartActivityFeed(kFirstFeedCheckSecs);
}

bool PRViewModel::isPolling() const
{
    return m_deps.timer->isActive();
}

} // namespace norvane
