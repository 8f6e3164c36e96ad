#include "github/http_session.h"
#include "github/network_proxy.h"

#include <QNetworkProxyQuery>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
            EXPECT_EQ(proxies.first().hostName(), u"proxy.example"_s) << address;
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
    const QUrl url(u"https://api.github.com/user"_s);
    const QString text =
        transportFailureText(QNetworkReply::SslHandshakeFailedError, u"SSL handshake failed"_s, url);
    EXPECT_TRUE(text.startsWith(u"The TLS certificate of api.github.com could not be verified"_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"SSL handshake failed"_s));
    EXPECT_EQ(transportFailureText(QNetworkReply::ConnectionRefusedError, u"Connection refused"_s, url),
              u"Connection refused"_s);
}

} // namespace
