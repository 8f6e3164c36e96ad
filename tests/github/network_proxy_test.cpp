#include "github/http_session.h"
#include "github/network_proxy.h"

#include <QNetworkProxyQuery>
#include <gtest/gtest.h>

using namespace norvane;

namespace {

TEST(SystemProxyFactory, TheProxyVariablesApplyButNeverToTheLoopback)
{
    const QByteArray saved = qgetenv("http_proxy");
    const QByteArray savedHttps = qgetenv("https_proxy");
    const QByteArray savedNo = qgetenv("no_proxy");
    qputenv("http_proxy", "http://proxy.example:3128");
    qputenv("https_proxy", "http://proxy.example:3128");
    qputenv("no_proxy", "ghe.internal");
    SystemProxyFactory factory;
    const std::pair<const char*, bool> cases[] = {
        {"https://api.github.com/search/issues", true}, {"http://ghe.example.com/api/v3", true},
        {"https://ghe.internal/api/v3", false},         {"http://127.0.0.1:8080/user", false},
        {"http://localhost:8080/user", false},          {"http://[::1]:8080/user", false},
    };
    for (const auto& [address, proxied] : cases) {
        const QList<QNetworkProxy> proxies =
            factory.queryProxy(QNetworkProxyQuery(QUrl(QString::fromUtf8(address))));
        ASSERT_FALSE(proxies.isEmpty()) << address;
        EXPECT_EQ(proxies.first().type() == QNetworkProxy::HttpProxy, proxied) << address;
        if (proxied) {
            EXPECT_EQ(proxies.first().hostName(), QStringLiteral("proxy.example")) << address;
            EXPECT_EQ(proxies.first().port(), 3128) << address;
        }
    }
    const auto restore = [](const char* name, const QByteArray& value) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    };
    restore("http_proxy", saved);
    restore("https_proxy", savedHttps);
    restore("no_proxy", savedNo);
}

TEST(TransportFailureText, AnUnverifiedCertificateSaysWhatIsWrong)
{
    const QUrl url(QStringLiteral("https://api.github.com/user"));
    const QString text = transportFailureText(QNetworkReply::SslHandshakeFailedError,
                                              QStringLiteral("SSL handshake failed"), url);
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("The TLS certificate of api.github.com could not be verified")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("SSL handshake failed")));
    EXPECT_EQ(transportFailureText(QNetworkReply::ConnectionRefusedError,
                                   QStringLiteral("Connection refused"), url),
              QStringLiteral("Connection refused"));
}

} // namespace
