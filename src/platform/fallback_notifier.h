#pragma once

#include "platform/notifier.h"

#include <memory>

namespace norvane {

// Uses the preferred notifier while it is available and the fallback otherwise: the desktop's notification
// service, with the tray icon's balloon messages where no service runs. Which one serves is decided on the
// first call (asking the preferred one whether it is authorized) and kept for the rest of the run, so the
// answer never flips between two desktops' worth of behaviour. Clicks from either are passed on.
class FallbackNotifier final : public Notifier
{
    Q_OBJECT

public:
    FallbackNotifier(std::shared_ptr<Notifier> preferred, std::shared_ptr<Notifier> fallback,
                     QObject* parent = nullptr);

    QCoro::Task<std::optional<QString>> post(NotificationRequest request) override;
    QCoro::Task<NotificationPermission> permissionStatus() override;
    QCoro::Task<AuthorizationAnswer> requestAuthorization() override;

    // Absent until the first call has decided.
    std::optional<bool> usesFallback() const { return m_usesFallback; }

private:
    QCoro::Task<Notifier*> chosen();

    std::shared_ptr<Notifier> m_preferred;
    std::shared_ptr<Notifier> m_fallback;
    std::optional<bool> m_usesFallback;
};

} // namespace norvane
