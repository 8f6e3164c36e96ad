#include "github/github_errors.h"
#include "github/github_service.h"
#include "github/tls_trust.h"
#include "support/run_task.h"
#include "support/tls.h"
#include "support/world.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::testing;

namespace {

class TlsTest : public ::testing::Test {
protected:
    TlsTest()
    {
        fh::Scenario world = baseWorld();
        world.pullRequests = {pull("acme/api", 1, "me")};
        fh::FakeHub::Options options;
        options.tls = fh::FakeHub::Options::Tls{certificates.certificateFile(), certificates.keyFile()};
        hub = std::make_unique<fh::FakeHub>(std::move(world), options);
    }

    // What the caller is told: the message of the failure, or the number of pull requests fetched.
    QString fetchMine(const HttpSession& session)
    {
        try {
            const auto prs = runTask(GitHubService(session, hub->baseUrl())
                                         .fetchPullRequests(QStringLiteral("me"), QStringLiteral("tok-me")));
            return QStringLiteral("%1 pull requests").arg(prs.size());
        } catch (const GitHubAPIError& e) {
            return e.errorDescription();
        }
    }

    TestCertificates certificates;
    std::unique_ptr<fh::FakeHub> hub;
    QNetworkAccessManager nam;
};

} // namespace

TEST_F(TlsTest, ACertificateNobodyTrustsIsRefusedBeforeTheTokenIsSent)
{
    ASSERT_TRUE(hub->baseUrl().startsWith(QStringLiteral("https://")));
    const QString shown = fetchMine(HttpSession(&nam, QStringLiteral("Norvane/test")));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Network Error [search/issues (review-requested)]: The TLS certificate "
                                                "of 127.0.0.1 could not be verified (")))
        << shown.toStdString();
    EXPECT_TRUE(hub->requests().empty()); // no request, so no token, ever reached the server
}

TEST_F(TlsTest, AnAuthorityNamedAsForCurlAndGitIsTrustedBesideTheSystems)
{
    struct Case {
        const char* name;
        QString variable;
        QString value;
        QStringList problems;
    };
    const QString empty = certificates.keyFile(); // a key, not a certificate
    const Case cases[] = {
        {"a file", QStringLiteral("SSL_CERT_FILE"), certificates.caFile(), {}},
        {"folders, one without certificates", QStringLiteral("SSL_CERT_DIR"),
         QStringLiteral("/nonexistent:") + certificates.authorityFolder(),
         {QStringLiteral("SSL_CERT_DIR names /nonexistent, which holds no PEM certificate.")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment environment;
        environment.insert(c.variable, c.value);
        const ExtraAuthorities extra = extraAuthoritiesFromEnvironment(environment);
        EXPECT_EQ(extra.problems, c.problems);
        ASSERT_EQ(extra.certificates.size(), 1);
        HttpSession session(&nam, QStringLiteral("Norvane/test"));
        session.trustAlso(extra.certificates);
        hub->clearRequests();
        EXPECT_EQ(fetchMine(session), QStringLiteral("1 pull requests"));
        ASSERT_FALSE(hub->requests().empty());
        EXPECT_EQ(hub->requests().front().header(QStringLiteral("Authorization")), QStringLiteral("token tok-me"));
    }

    // A name that leads to no certificate is said, and trusts nothing.
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("SSL_CERT_FILE"), empty);
    const ExtraAuthorities none = extraAuthoritiesFromEnvironment(environment);
    EXPECT_TRUE(none.certificates.isEmpty());
    EXPECT_EQ(none.problems,
              QStringList{QStringLiteral("SSL_CERT_FILE names %1, which holds no PEM certificate.").arg(empty)});
}

TEST_F(TlsTest, AnHttpsRequestIsNeverRedirectedToPlainHttp)
{
    fh::FakeHub plain(baseWorld());
    hub->injectFault(fh::Fault::redirect(QStringLiteral("GET"), QStringLiteral("/search/issues"), 301, plain.baseUrl()));
    HttpSession session(&nam, QStringLiteral("Norvane/test"));
    session.trustAlso(QSslCertificate::fromPath(certificates.caFile()));
    EXPECT_EQ(fetchMine(session),
              QStringLiteral("Network Error [search/issues (review-requested)]: GitHub redirected the request to "
                             "%1; Norvane does not send your token to another host.")
                  .arg(plain.baseUrl()));
    EXPECT_TRUE(plain.requests().empty());
}
