#pragma once

#include <QNetworkProxyFactory>

namespace norvane {

// The desktop's proxy settings (on Linux the http_proxy, https_proxy and no_proxy variables), as a desktop
// user expects them to apply; the loopback interface is always reached directly, so a proxy meant for the
// outside world never swallows a local GitHub (a test server, an SSH tunnel).
class SystemProxyFactory final : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;
};

// Makes every network access of the process use SystemProxyFactory.
void useSystemProxies();

} // namespace norvane
