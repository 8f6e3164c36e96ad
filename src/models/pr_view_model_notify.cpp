#include "models/pr_view_model.h"

namespace norvane {

// --- Notifications -----------------------------------------------------------------------------------------

void PRViewModel::checkNotificationPermissionStatus()
{
    m_notify->checkPermission();
}

void PRViewModel::sendTestNotification()
{
    m_notify->sendDebugTest();
}

void PRViewModel::sendTestReviewNotification()
{
    m_notify->sendTest(ChangeNotifier::TestKind::reviewRequested, webBaseURL());
}

void PRViewModel::sendTestChangesNotification()
{
    m_notify->sendTest(ChangeNotifier::TestKind::changesRequested, webBaseURL());
}

void PRViewModel::sendTestApprovalNotification()
{
    m_notify->sendTest(ChangeNotifier::TestKind::approved, webBaseURL());
}

// --- Polling, the notification feed, sleep and the network -------------------------------------------------

double PRViewModel::pollingInterval() const
{
    return m_schedule->interval(m_notificationSettings);
}

void PRViewModel::startPolling()
{
    m_notify->requestPermission();
    m_schedule->start(pollingInterval());
    m_feed->start();
}

bool PRViewModel::isPolling() const
{
    return m_schedule->isPolling();
}

bool PRViewModel::isWatchingActivityFeed() const
{
    return m_feed->isWatching(m_selectedAccount ? std::optional<QUuid>(m_selectedAccount->id) : std::nullopt);
}

void PRViewModel::setNetworkOnline(bool online)
{
    m_schedule->setNetworkOnline(online);
}

void PRViewModel::systemResumed()
{
    m_schedule->systemResumed();
}

void PRViewModel::catchUp()
{
    m_runner->oweCatchUp();
    refreshForNews();
}

} // namespace norvane
