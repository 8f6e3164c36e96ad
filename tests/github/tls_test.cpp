#include "github/github_errors.h"
#include "github/github_service.h"
#include "github/tls_trust.h"
#include "support/run_task.h"
#include "support/tls.h"
#include "support/world.h"

#include <QNetworkAccessManager>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::testing;

namespace {

class TlsTest : public ::testing::Test
{
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
            const auto prs =
                runTask(GitHubService(session, hub->baseUrl()).fetchPullRequests(u"me"_s, u"tok-me"_s));
            return u"%1 pull requests"_s.arg(prs.size());
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
    ASSERT_TRUE(hub->baseUrl().startsWith(u"https://"_s));
    const QString shown = fetchMine(HttpSession(&nam, u"Norvane/test"_s));
    EXPECT_TRUE(shown.startsWith(u"Network Error [search/issues (review-requested)]: The TLS certificate "
                                 "of 127.0.0.1 could not be verified ("_s))
        << shown.toStdString();
    EXPECT_TRUE(hub->requests().empty()); // no request, so no token, ever reached the server
}

TEST_F(TlsTest, AnAuthorityNamedAsForCurlAndGitIsTrustedBesideTheSystems)
{
    struct Case
    {
        const char* name;
        QString variable;
        QString value;
        QStringList problems;
    };
    const QString empty = certificates.keyFile(); // a key, not a certificate
    const Case cases[] = {
        {"a file", u"SSL_CERT_FILE"_s, certificates.caFile(), {}},
        {"folders, one without certificates",
         u"SSL_CERT_DIR"_s,
         u"/nonexistent:"_s + certificates.authorityFolder(),
         {u"SSL_CERT_DIR names /nonexistent, which holds no PEM certificate."_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment environment;
        environment.insert(c.variable, c.value);
        const ExtraAuthorities extra = extraAuthoritiesFromEnvironment(environment);
        EXPECT_EQ(extra.problems, c.problems);
        ASSERT_EQ(extra.certificates.size(), 1);
        HttpSession session(&nam, u"Norvane/test"_s);
        session.trustAlso(extra.certificates);
        hub->clearRequests();
        EXPECT_EQ(fetchMine(session), u"1 pull requests"_s);
        ASSERT_FALSE(hub->requests().empty());
        EXPECT_EQ(hub->requests().front().header(u"Authorization"_s), u"token tok-me"_s);
    }

    // A name that leads to no certificate is said, and trusts nothing.
    QProcessEnvironment environment;
    environment.insert(u"SSL_CERT_FILE"_s, empty);
    const ExtraAuthorities none = extraAuthoritiesFromEnvironment(environment);
    EXPECT_TRUE(none.certificates.isEmpty());
    EXPECT_EQ(none.problems,
              QStringList{u"SSL_CERT_FILE names %1, which holds no PEM certificate."_s.arg(empty)});
}

TEST_F(TlsTest, AnHttpsRequestIsNeverRedirectedToPlainHttp)
{
    fh::FakeHub plain(baseWorld());
    hub->injectFault(fh::Fault::redirect(u"GET"_s, u"/search/issues"_s, 301, plain.baseUrl()));
    HttpSession session(&nam, u"Norvane/test"_s);
    session.trustAlso(QSslCertificate::fromPath(certificates.caFile()));
    EXPECT_EQ(fetchMine(session),
              u"Network Error [search/issues (review-requested)]: GitHub redirected the request to "
              "%1; Norvane does not send your token to another host."_s.arg(plain.baseUrl()));
    EXPECT_TRUE(plain.requests().empty());
}
