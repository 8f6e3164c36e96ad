#pragma once

#include "core/github_account.h"
#include "core/pr_rules.h"
#include "core/pull_request.h"
#include "platform/app_identity.h"
#include "platform/notifier.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

namespace norvane {

// Turns the answers of successive refreshes into desktop notifications: a new review request, an approval of
// or changes requested on one of my pull requests, each as the settings allow. The first answer for an
// account only sets what later answers are compared with. Also keeps the desktop's notification permission
// and sends the settings screen's test notifications.
class ChangeNotifier : public QObject
{
    Q_OBJECT
public:
    enum class TestKind { reviewRequested, changesRequested, approved };

    // Without a bundle identifier nothing is posted; `print` is the process's standard output.
    ChangeNotifier(std::shared_ptr<Notifier> notifier, AppIdentity identity,
                   std::function<void(const QString&)> print, QObject* parent = nullptr);

    // Compares the account's answer with its previous one and, when `sendNotifications`, posts what changed.
    void update(const QList<PullRequest>& prs, const GitHubAccount& account, bool sendNotifications,
                const NotificationSettings& settings);

    // The desktop's answer on notifications; none until it was asked.
    const std::optional<NotificationPermission>& permission() const { return m_permission; }
    void checkPermission();
    // Asks the desktop for permission (polling starts); the outcome goes to standard output.
    void requestPermission();
    // A sample notification of that kind, linking `webBaseURL` (the settings screen's buttons); what came of
    // it is reported through `message`.
    void sendTest(TestKind kind, const QString& webBaseURL);
    // A plain notification whose outcome goes to the debug log.
    void sendDebugTest();

Q_SIGNALS:
    void permissionChanged(norvane::NotificationPermission permission);
    // The line the settings screen shows about a test notification; none clears it.
    void message(const std::optional<QString>& line);

private:
    struct PRState
    {
        std::optional<PullRequest::ApprovalStatus> approvalStatus;
        bool reviewRequested = false;
        bool teamOnly = false; // requested only through one of the user's teams
    };
    void post(TestKind event, const PullRequest& pr);
    QCoro::Task<> readPermission();
    QCoro::Task<> runTest(QString title, QString body, QString prUrl);
    QCoro::Task<> postTest(QString title, QString body, QString prUrl);

    std::shared_ptr<Notifier> m_notifier;
    AppIdentity m_identity;
    std::function<void(const QString&)> m_print;
    std::optional<NotificationPermission> m_permission;
    QHash<QUuid, QHash<QString, PRState>> m_previousByAccount;
};

} // namespace norvane
