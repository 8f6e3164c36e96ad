#include "models/change_notifier.h"

#include "core/stored_encoding.h"
#include "platform/debug_log.h"

#include <QPointer>
#include <QUuid>

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

// Posts and logs the outcome; nothing else is needed once the request is built.
QCoro::Task<> postAndLog(std::shared_ptr<Notifier> notifier, NotificationRequest request, QString sentLine,
                         QString failedPrefix)
{
    const std::optional<QString> error = co_await notifier->post(std::move(request));
    debugLog(kNotifications, error ? failedPrefix + *error : sentLine);
}

QCoro::Task<> requestAndReport(std::shared_ptr<Notifier> notifier, std::function<void(const QString&)> print)
{
    const AuthorizationAnswer answer = co_await notifier->requestAuthorization();
    if (answer.granted)
        print(QStringLiteral("✅ Notification permission granted"));
    else if (answer.error)
        print(QStringLiteral("❌ Notification permission error: ") + *answer.error);
}

QCoro::Task<> runDebugTest(std::shared_ptr<Notifier> notifier)
{
    const NotificationPermission permission = co_await notifier->permissionStatus();
    const int code = static_cast<int>(permission);
    debugLog(kNotifications, QStringLiteral("Auth status: %1").arg(code));
    if (permission != NotificationPermission::Authorized) {
        debugLog(kNotifications,
                 QStringLiteral("❌ Not authorized — status: %1. Enable in System Settings → Notifications.")
                     .arg(code));
        co_return;
    }
    NotificationRequest request{QStringLiteral("debug-test-") + uuidText(QUuid::createUuid()),
                                ChangeNotifier::tr("✅ Notifications working"),
                                std::nullopt,
                                ChangeNotifier::tr("Norvane can deliver notifications on this device."),
                                std::nullopt,
                                true};
    const std::optional<QString> error = co_await notifier->post(std::move(request));
    debugLog(kNotifications, error ? QStringLiteral("❌ Test notification failed: ") + *error
                                   : QStringLiteral("📬 Test notification sent"));
}

} // namespace

ChangeNotifier::ChangeNotifier(std::shared_ptr<Notifier> notifier, AppIdentity identity,
                               std::function<void(const QString&)> print, QObject* parent)
    : QObject(parent), m_notifier(std::move(notifier)), m_identity(std::move(identity)),
      m_print(std::move(print))
{
}

// --- Change detection --------------------------------------------------------------------------------------

void ChangeNotifier::update(const QList<PullRequest>& prs, const GitHubAccount& account,
                            bool sendNotifications, const NotificationSettings& settings)
{
    // Once an account has been fetched, a pull request that shows up later is new to the user: it counts
    // as "not requested, no verdict" before, so a fresh review request notifies. The first fetch of an
    // account (launch, account switch) has nothing to compare with and stays silent.
    const bool knownAccount = m_previousByAccount.contains(account.id);
    QHash<QString, PRState> prev = m_previousByAccount.value(account.id);
    debugLog(kNotifications,
             QStringLiteral("updatePRStatesAndNotify: Checking %1 PRs for account %2, sendNotifications=%3")
                 .arg(prs.size())
                 .arg(account.username, boolText(sendNotifications)));
    for (const PullRequest& p : prs) {
        const auto oldIt = prev.constFind(p.id);
        const bool hasExistingState = oldIt != prev.constEnd();
        const PRState previous = hasExistingState ? *oldIt : PRState{};
        const PRState* old = (hasExistingState || knownAccount) ? &previous : nullptr;
        debugLog(kNotifications,
                 QStringLiteral("PR #%1: isYourPR=%2, approvalStatus=%3, oldStatus=%4, hasExistingState=%5")
                     .arg(p.number)
                     .arg(boolText(p.isYourPR), statusName(p.approvalStatus),
                          statusName(hasExistingState ? old->approvalStatus : std::nullopt),
                          boolText(hasExistingState)));
        // Being assigned someone else's pull request asks for my attention as a review request does. My own
        // pull request assigned to me asks nothing of me, whether it was assigned before I first saw it or
        // after: "me requested your review" is no news.
        const bool assignedToMe = p.isAssigned && !p.isYourPR;
        const bool requested = p.reviewRequested || assignedToMe;
        // A review asked of one of my teams has its own switch; being asked myself afterwards is news again.
        const bool teamOnly = isTeamReviewRequest(p) && !assignedToMe;
        if (old && sendNotifications) {
            const QString prefix = QStringLiteral("PR #%1: ").arg(p.number);
            if (requested && (!old->reviewRequested || (old->teamOnly && !teamOnly))) {
                debugLog(kNotifications, prefix + QStringLiteral("New review request detected"));
                if (!settings.notifyOnReviewRequest)
                    debugLog(kNotifications,
                             prefix + QStringLiteral("Review request notifications disabled in settings"));
                else if (teamOnly && !settings.notifyOnTeamReviewRequest)
                    debugLog(kNotifications,
                             prefix +
                                 QStringLiteral("Team review request notifications disabled in settings"));
                else
                    post(TestKind::reviewRequested, p);
            }
            if (p.approvalStatus && p.isYourPR) {
                using AS = PullRequest::ApprovalStatus;
                if (*p.approvalStatus == AS::approved && old->approvalStatus != AS::approved) {
                    debugLog(kNotifications,
                             prefix + QStringLiteral("Approval detected (old: %1 -> new: approved)")
                                          .arg(statusName(old->approvalStatus)));
                    if (!settings.notifyOnApproval)
                        debugLog(kNotifications,
                                 prefix + QStringLiteral("Approval notifications disabled in settings"));
                    else
                        post(TestKind::approved, p);
                }
                if (*p.approvalStatus == AS::changesRequested &&
                    old->approvalStatus != AS::changesRequested) {
                    debugLog(kNotifications,
                             prefix + QStringLiteral(
                                          "Changes requested detected (old: %1 -> new: changesRequested)")
                                          .arg(statusName(old->approvalStatus)));
                    if (!settings.notifyOnChangesRequested)
                        debugLog(kNotifications,
                                 prefix +
                                     QStringLiteral("Changes requested notifications disabled in settings"));
                    else
                        post(TestKind::changesRequested, p);
                }
            }
        }
        // An unknown verdict is a reviews query that failed, not a change: the last known verdict stays the
        // one to compare with, or the next good answer would announce an old approval again.
        std::optional<PullRequest::ApprovalStatus> verdict = p.approvalStatus;
        if (verdict == PullRequest::ApprovalStatus::unknown && hasExistingState)
            verdict = previous.approvalStatus;
        prev.insert(p.id, PRState{verdict, requested, teamOnly});
    }
    m_previousByAccount.insert(account.id, prev);
    debugLog(
        kNotifications,
        QStringLiteral("updatePRStatesAndNotify: Completed, tracking state for %1 PRs").arg(prev.size()));
}

void ChangeNotifier::post(TestKind event, const PullRequest& p)
{
    QString called, skipped, title, body, sent, failed;
    switch (event) {
    case TestKind::reviewRequested:
        called = QStringLiteral("sendReviewRequestNotification called for PR #");
        skipped =
            QStringLiteral("⚠️ Skipping notification (no bundle ID): Review requested for ") + p.title;
        //: A notification's title (the emoji stays first)
        title = tr("👀 Review Requested");
        body = isTeamReviewRequest(p)
                   //: A notification: %1 is the author's login, %2 a team ("org/slug"), %3 the title
                   ? tr("%1 requested a review from @%2 on '%3'")
                         .arg(p.author.value_or(tr("Someone")), *p.requestedTeam, p.title)
                   //: A notification: %1 is the author's login, %2 the pull request's title
                   : tr("%1 requested your review on '%2'").arg(p.author.value_or(tr("Someone")), p.title);
        sent = QStringLiteral("📬 Notification sent for review request: ");
        failed = QStringLiteral("❌ Failed to send review request notification: ");
        break;
    case TestKind::changesRequested:
        called = QStringLiteral("sendChangesRequestedNotification called for PR #");
        skipped =
            QStringLiteral("⚠️ Skipping notification (no bundle ID): Changes requested for ") + p.title;
        //: A notification's title (the emoji stays first)
        title = tr("🔧 Changes Requested");
        //: A notification: %1 is the pull request's title
        body = tr("'%1' needs changes before it can merge").arg(p.title);
        sent = QStringLiteral("📬 Notification sent for changes requested: ");
        failed = QStringLiteral("❌ Failed to send changes requested notification: ");
        break;
    case TestKind::approved:
        called = QStringLiteral("sendApprovalNotification called for PR #");
        skipped = QStringLiteral("⚠️ Skipping notification (no bundle ID): %1 approved").arg(p.title);
        //: A notification's title (the emoji stays first)
        title = tr("✅ PR Approved");
        //: A notification: %1 is the pull request's title
        body = tr("'%1' is ready to merge").arg(p.title);
        sent = QStringLiteral("📬 Notification sent for approved PR: ");
        failed = QStringLiteral("❌ Failed to send approval notification: ");
        break;
    }
    debugLog(kNotifications, called + QString::number(p.number) + QStringLiteral(": ") + p.title);
    if (!m_identity.bundleIdentifier) {
        debugLog(kNotifications, skipped);
        return;
    }
    NotificationRequest request{uuidText(QUuid::createUuid()), title, p.repository, body, p.url, true, true};
    // The sent line names the pull request's title.
    postAndLog(m_notifier, request, sent + p.title, failed);
}

// --- Permission and test notifications -------------------------------------------------------------------

void ChangeNotifier::checkPermission()
{
    readPermission();
}

QCoro::Task<> ChangeNotifier::readPermission()
{
    QPointer<ChangeNotifier> self(this);
    const std::shared_ptr<Notifier> notifier = m_notifier;
    const NotificationPermission permission = co_await notifier->permissionStatus();
    if (!self || self->m_permission == permission)
        co_return;
    self->m_permission = permission;
    Q_EMIT self->permissionChanged(permission);
}

void ChangeNotifier::requestPermission()
{
    if (!m_identity.bundleIdentifier) {
        m_print(QStringLiteral("⚠️ Notifications unavailable: No bundle identifier"));
        return;
    }
    requestAndReport(m_notifier, m_print);
}

void ChangeNotifier::sendTest(TestKind kind, const QString& webBaseURL)
{
    if (!m_identity.bundleIdentifier) {
        Q_EMIT message(tr("Notifications require running from .app bundle"));
        return;
    }
    switch (kind) {
    case TestKind::reviewRequested:
        //: The title of a test notification
        runTest(tr("Review Requested"),
                //: A test notification; "teammate" stands for a login, the quoted text for a title
                tr("teammate requested your review on 'Add new authentication feature'"),
                webBaseURL + QStringLiteral("/test/repo/pull/123"));
        break;
    case TestKind::changesRequested:
        //: The title of a test notification
        runTest(tr("Changes Requested"),
                //: A test notification; the quoted text stands for a title
                tr("Your PR 'Fix critical bug in payment processing' needs changes"),
                webBaseURL + QStringLiteral("/test/repo/pull/456"));
        break;
    case TestKind::approved:
        //: The title of a test notification
        runTest(tr("PR Approved!"),
                //: A test notification; the quoted text stands for a title
                tr("Your PR 'Update dependencies to latest versions' was approved"),
                webBaseURL + QStringLiteral("/test/repo/pull/789"));
        break;
    }
}

QCoro::Task<> ChangeNotifier::runTest(QString title, QString body, QString prUrl)
{
    QPointer<ChangeNotifier> self(this);
    const std::shared_ptr<Notifier> notifier = m_notifier;
    const NotificationPermission permission = co_await notifier->permissionStatus();
    if (!self)
        co_return;
    switch (permission) {
    case NotificationPermission::Authorized:
        Q_EMIT self->message(std::nullopt);
        if (self)
            co_await self->postTest(title, body, prUrl);
        co_return;
    case NotificationPermission::Denied:
        Q_EMIT self->message(tr("Notifications denied. Enable in System Settings → Notifications → Norvane"));
        co_return;
    case NotificationPermission::NotDetermined:
        break;
    }
    Q_EMIT self->message(tr("Notification permission not requested yet. Requesting now..."));
    const AuthorizationAnswer answer = co_await notifier->requestAuthorization();
    if (!self)
        co_return;
    Q_EMIT self->message(answer.granted
                             ? tr("Permission granted! Try again.")
                             : tr("Permission denied. Enable in System Settings → Notifications → Norvane"));
    if (self)
        self->checkPermission();
}

QCoro::Task<> ChangeNotifier::postTest(QString title, QString body, QString prUrl)
{
    QPointer<ChangeNotifier> self(this);
    const std::shared_ptr<Notifier> notifier = m_notifier;
    NotificationRequest request{
        QStringLiteral("test-") + uuidText(QUuid::createUuid()), title, std::nullopt, body, prUrl, true};
    const std::optional<QString> error = co_await notifier->post(std::move(request));
    if (!self)
        co_return;
    Q_EMIT self->message(
        //: %1 is the desktop's reason
        error ? tr("Notification failed: %1").arg(*error)
              : tr("Notification sent! Check Notification Center if not visible."));
}

void ChangeNotifier::sendDebugTest()
{
    runDebugTest(m_notifier);
}

} // namespace norvane
