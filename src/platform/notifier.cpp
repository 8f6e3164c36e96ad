#include "platform/notifier.h"

namespace norvane {

// A held post: the suspended post coroutine and the answer it will get.
struct RecordingNotifier::Pending
{
    std::optional<QString> error;
    std::coroutine_handle<> waiter;
};

namespace {

// Awaiting a held post. It shares the Pending record because QCoro awaits a copy of the awaitable.
struct Held
{
    std::shared_ptr<RecordingNotifier::Pending> pending;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const noexcept { pending->waiter = handle; }
    void await_resume() const noexcept {}
};

} // namespace

QCoro::Task<std::optional<QString>> RecordingNotifier::post(NotificationRequest request)
{
    m_posts.push_back(std::move(request));
    if (!m_hold)
        co_return std::nullopt;
    auto pending = std::make_shared<Pending>();
    m_pending.push_back(pending);
    Held held{pending};
    co_await held;
    co_return pending->error;
}

bool RecordingNotifier::completeNext(std::optional<QString> error)
{
    if (m_pending.empty())
        return false;
    std::shared_ptr<Pending> pending = std::move(m_pending.front());
    m_pending.pop_front();
    pending->error = std::move(error);
    // Like a real completion, the answer arrives later from the event loop, not inside this call.
    QMetaObject::invokeMethod(
        this, [pending] { pending->waiter.resume(); }, Qt::QueuedConnection);
    return true;
}

QCoro::Task<NotificationPermission> RecordingNotifier::permissionStatus()
{
    co_return NotificationPermission(m_permission);
}

QCoro::Task<AuthorizationAnswer> RecordingNotifier::requestAuthorization()
{
    ++m_authorizationRequests;
    co_return AuthorizationAnswer(m_answer); // a copy: QCoro would move from the member
}

} // namespace norvane
