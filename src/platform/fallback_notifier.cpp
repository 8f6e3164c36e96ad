#include "platform/fallback_notifier.h"

namespace norvane {

FallbackNotifier::FallbackNotifier(std::shared_ptr<Notifier> preferred, std::shared_ptr<Notifier> fallback,
                                   QObject* parent)
    : Notifier(parent), m_preferred(std::move(preferred)), m_fallback(std::move(fallback))
{
    connect(m_preferred.get(), &Notifier::activated, this, &Notifier::activated);
    connect(m_fallback.get(), &Notifier::activated, this, &Notifier::activated);
    connect(m_preferred.get(), &Notifier::markSeenRequested, this, &Notifier::markSeenRequested);
    connect(m_fallback.get(), &Notifier::markSeenRequested, this, &Notifier::markSeenRequested);
}

QCoro::Task<Notifier*> FallbackNotifier::chosen()
{
    if (!m_usesFallback) {
        // Both notifiers are owned here, so nothing dangles across the await.
        const NotificationPermission permission = co_await m_preferred->permissionStatus();
        if (!m_usesFallback)
            m_usesFallback = permission == NotificationPermission::Denied;
    }
    co_return *m_usesFallback ? m_fallback.get() : m_preferred.get();
}

QCoro::Task<std::optional<QString>> FallbackNotifier::post(NotificationRequest request)
{
    Notifier* notifier = co_await chosen();
    co_return co_await notifier->post(std::move(request));
}

QCoro::Task<NotificationPermission> FallbackNotifier::permissionStatus()
{
    Notifier* notifier = co_await chosen();
    co_return co_await notifier->permissionStatus();
}

QCoro::Task<AuthorizationAnswer> FallbackNotifier::requestAuthorization()
{
    Notifier* notifier = co_await chosen();
    co_return co_await notifier->requestAuthorization();
}

} // namespace norvane
