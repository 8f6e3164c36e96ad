#include "github/network_proxy.h"

#include <QHostAddress>

namespace norvane {

QList<QNetworkProxy> SystemProxyFactory::queryProxy(const QNetworkProxyQuery& query)
{
    const QString host = query.peerHostName();
    const QHostAddress address(host);
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
        (!address.isNull() && address.isLoopback()))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return QNetworkProxyFactory::systemProxyForQuery(query);
}

void useSystemProxies()
{
    // Qt takes ownership of the factory.
    QNetworkProxyFactory::setApplicationProxyFactory(new SystemProxyFactory);
}

} // namespace norvane
