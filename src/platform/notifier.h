#pragma once

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <coroutine>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace norvane {

// One desktop notification, delivered at once.
struct NotificationRequest
{
    QString identifier; // the poster's own id for the request (a UUID, or "test-" + UUID)
    QString title;
    std::optional<QString> subtitle; // shown together with the body
    QString body;
    std::optional<QString> prUrl; // the page a click opens; without one a click does nothing
    bool sound = true;            // the desktop's default notification sound
    // With `prUrl`: a "Mark as Seen" button beside "Open", where the desktop shows buttons.
    bool offersMarkSeen = false;

    friend bool operator==(const NotificationRequest&, const NotificationRequest&) = default;
};

// Whether the desktop will show notifications. The numbers are those the platform reports for the same
// state, so logs that print the status as a number read alike everywhere.
enum class NotificationPermission : int {
    NotDetermined = 0,
    Denied = 1,
    Authorized = 2,
};

struct AuthorizationAnswer
{
    bool granted = false;
    std::optional<QString> error; // why it was not granted, when there is a reason
};

// Posts desktop notifications and reports clicks on them. Decides nothing about *whether* to notify: that is
// the models' business. Everything happens on the main thread; the coroutines resume there.
class Notifier : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Completes when the desktop has accepted or refused the notification: absent on success, else the
    // error's description.
    virtual QCoro::Task<std::optional<QString>> post(NotificationRequest request) = 0;
    virtual QCoro::Task<NotificationPermission> permissionStatus() = 0;
    // Asks for permission to show alerts with sound. Desktops without a prompt answer at once.
    virtual QCoro::Task<AuthorizationAnswer> requestAuthorization() = 0;

signals:
    // The user clicked a notification that carried a pull-request address.
    void activated(const QString& prUrl);
    // The user pressed "Mark as Seen" on the notification of that pull request.
    void markSeenRequested(const QString& prUrl);
};

// Records what is posted, for tests of the models. Posts complete at once without error unless completions
// are held, in which case each post waits until the test completes it, with or without an error.
class RecordingNotifier final : public Notifier
{
    Q_OBJECT

public:
    using Notifier::Notifier;

    QCoro::Task<std::optional<QString>> post(NotificationRequest request) override;
    QCoro::Task<NotificationPermission> permissionStatus() override;
    QCoro::Task<AuthorizationAnswer> requestAuthorization() override;

    const std::vector<NotificationRequest>& posts() const { return m_posts; }
    int authorizationRequests() const { return m_authorizationRequests; }

    void setPermission(NotificationPermission permission) { m_permission = permission; }
    void setAuthorizationAnswer(AuthorizationAnswer answer) { m_answer = std::move(answer); }
    void setHoldCompletions(bool hold) { m_hold = hold; }
    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    // Completes the oldest held post. Returns false when none is waiting.
    bool completeNext(std::optional<QString> error = std::nullopt);
    // Acts as a click on a delivered notification.
    void click(const QString& prUrl) { emit activated(prUrl); }
    void pressMarkSeen(const QString& prUrl) { emit markSeenRequested(prUrl); }

    struct Pending; // a held post

private:
    std::vector<NotificationRequest> m_posts;
    std::deque<std::shared_ptr<Pending>> m_pending;
    bool m_hold = false;
    NotificationPermission m_permission = NotificationPermission::Authorized;
    AuthorizationAnswer m_answer{true, std::nullopt};
    int m_authorizationRequests = 0;
};

} // namespace norvane
