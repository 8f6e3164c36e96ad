#include "github/github_errors.h"
#include "github/github_service.h"
#include "github/tls_trust.h"
#include "support/run_task.h"
#include "support/tls.h"
#include "support/world.h"

#include <QNetworkAccessManager>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::testing;

namespace {

const QString kGet = u"GET"_s;

// me wrote acme/api#1, whose head commit sha1 failed its checks; acme/api has an open issue.
fh::Scenario redirectWorld()
{
    fh::Scenario s = baseWorld();
    s.pullRequests = {pull("acme/api", 1, "me")};
    fh::Issue issue;
    issue.number = 7;
    issue.title = u"Crash"_s;
    issue.author = u"alice"_s;
    issue.state = u"open"_s;
    issue.createdAt = utc("2026-12-01T08:00:00Z");
    issue.updatedAt = issue.createdAt;
    s.repository(u"acme/api"_s)->issues = {issue};
    s.repository(u"acme/api"_s)->checks[u"sha1"_s].checkRuns = {checkRun("build", "completed", "failure")};
    return s;
}

class RedirectTest : public ::testing::Test
{
protected:
    GitHubService service() { return GitHubService(HttpSession(&nam, u"Norvane/test"_s), hub.baseUrl()); }

    // What the caller is told: the message of the failure it gets, or empty when the call succeeds.
    static QString outcome(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const GitHubAPIError& e) {
            return e.errorDescription();
        } catch (const TransportError& e) {
            return e.description();
        }
        return {};
    }

    void fetchMine() { runTask(service().fetchPullRequests(u"me"_s, u"tok-me"_s)); }

    fh::FakeHub hub{redirectWorld()};
    fh::FakeHub other{baseWorld()}; // the other host: another port, the same users and tokens
    QNetworkAccessManager nam;
};

} // namespace

TEST_F(RedirectTest, AnotherHostNeverReceivesTheTokenAndTheQuerysFailureSaysWhereItWasSent)
{
    const QString refused = u"GitHub redirected the request to %1; Norvane does not send your token to "
                            "another host."_s.arg(other.baseUrl().mid(u"http://"_s.size()));
    struct Case
    {
        const char* name;
        QString path;
        int status;
        std::function<void()> call;
        QString shown; // what the caller is told; empty where the query's failures are not reported
    };
    const Case cases[] = {
        {"search", u"/search/issues"_s, 301, [&] { fetchMine(); },
         u"Network Error [search/issues (review-requested)]: "_s + refused},
        // A record simply stays without its detail, as with any failure of that query.
        {"pull-request detail", u"/repos/acme/api/pulls/1"_s, 302, [&] { fetchMine(); }, QString()},
        {"reviews", u"/repos/acme/api/pulls/1/reviews"_s, 307, [&] { fetchMine(); }, refused},
        {"issues", u"/repos/acme/api/issues"_s, 308,
         [&] { runTask(service().fetchIssues(u"acme/api"_s, u"tok-me"_s)); },
         u"Network Error [repos/acme/api/issues]: "_s + refused},
        {"open pull-request count", u"/search/issues"_s, 302,
         [&] { runTask(service().fetchOpenPRCount(u"acme/api"_s, u"tok-me"_s)); },
         u"Network Error [search/issues (pr count acme/api)]: "_s + refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hub.clearFaults();
        hub.clearRequests();
        hub.injectFault(fh::Fault::redirect(kGet, c.path, c.status, other.baseUrl()));
        EXPECT_EQ(outcome(c.call), c.shown);
        EXPECT_EQ(hub.requests(kGet, c.path).size(), 1u);
        EXPECT_TRUE(other.requests().empty());
    }
}

TEST_F(RedirectTest, WithinTheHostTheTokenFollowsAHandfulOfHops)
{
    // GitHub moves a renamed repository's requests within its API host: each query is simply asked again.
    const std::pair<QString, int> redirects[] = {{u"/search/issues"_s, 301},
                                                 {u"/repos/acme/api/pulls/1"_s, 302},
                                                 {u"/repos/acme/api/pulls/1/reviews"_s, 307},
                                                 {u"/repos/acme/api/commits/sha1/check-runs"_s, 308}};
    for (const auto& [path, status] : redirects)
        hub.injectFault(fh::Fault::redirect(kGet, path, status, {}).times(1));
    const auto prs = runTask(service().fetchPullRequests(u"me"_s, u"tok-me"_s));
    ASSERT_EQ(prs.size(), 1);
    EXPECT_EQ(prs[0].headSha, u"sha1"_s);
    EXPECT_EQ(prs[0].ciStatus, norvane::PullRequest::CIStatus::failure);
    for (const auto& [path, status] : redirects) {
        SCOPED_TRACE(path.toStdString());
        const auto asked = hub.requests(kGet, path);
        ASSERT_GE(asked.size(), 2u);
        EXPECT_EQ(asked[1].query, asked[0].query);
        EXPECT_EQ(asked[1].header(u"Authorization"_s), u"token tok-me"_s);
    }

    // A server that keeps sending the request round in circles is given up on after five hops.
    hub.clearFaults();
    hub.clearRequests();
    hub.injectFault(fh::Fault::redirect(kGet, u"/search/issues"_s, 302, {}));
    EXPECT_EQ(
        outcome([&] { fetchMine(); }).toStdString(),
        "Network Error [search/issues (review-requested)]: GitHub redirected the request more than 5 times; "
        "Norvane stopped following it.");
    EXPECT_EQ(hub.requests().size(), 6u);
}

// Over HTTPS: which certificates are trusted, and that the token never leaves for plain HTTP.
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

// A certificate nobody trusts is refused before any request is sent: the CLI's TLS test runs that through
// the real program.
TEST_F(TlsTest, AnAuthorityNamedAsForCurlAndGitIsTrustedBesideTheSystems)
{
    struct Case
    {
        const char* name;
        QString file;    // SSL_CERT_FILE
        QString folders; // SSL_CERT_DIR
        QSet<QString> systemFiles;
        qsizetype certificates;
        QStringList problems;
    };
    const QString ca = certificates.caFile();
    const QString folder = certificates.authorityFolder();
    const QString caInFolder = QFileInfo(QDir(folder).filePath(u"norvane-test-ca.pem"_s)).canonicalFilePath();
    const QString empty = certificates.keyFile(); // a key, not a certificate
    const QString noCertificate = u"%1 names %2, which holds no PEM certificate."_s;
    const Case cases[] = {
        {"a file", ca, {}, {}, 1, {}},
        {"folders, one without certificates",
         {},
         u"/nonexistent:"_s + folder,
         {},
         1,
         {noCertificate.arg(u"SSL_CERT_DIR"_s, u"/nonexistent"_s)}},
        {"a name that leads to no certificate trusts nothing",
         empty,
         {},
         {},
         0,
         {noCertificate.arg(u"SSL_CERT_FILE"_s, empty)}},
        {"the same authority in the file and a folder, twice over, is kept once",
         ca,
         folder + u":"_s + folder,
         {},
         1,
         {}},
        {"the system's own file is not read again",
         QFileInfo(ca).canonicalFilePath(),
         {},
         {QFileInfo(ca).canonicalFilePath()},
         0,
         {}},
        {"nor the system's folder", {}, folder, {caInFolder}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment environment;
        if (!c.file.isEmpty())
            environment.insert(u"SSL_CERT_FILE"_s, c.file);
        if (!c.folders.isEmpty())
            environment.insert(u"SSL_CERT_DIR"_s, c.folders);
        const ExtraAuthorities extra = extraAuthoritiesFromEnvironment(environment, c.systemFiles);
        EXPECT_EQ(extra.problems, c.problems);
        ASSERT_EQ(extra.certificates.size(), c.certificates);
        if (extra.certificates.isEmpty())
            continue;
        HttpSession session(&nam, u"Norvane/test"_s);
        session.trustAlso(extra.certificates);
        hub->clearRequests();
        EXPECT_EQ(fetchMine(session), u"1 pull requests"_s);
        ASSERT_FALSE(hub->requests().empty());
        EXPECT_EQ(hub->requests().front().header(u"Authorization"_s), u"token tok-me"_s);
    }
}

// The authorities are read once, by the first https request of the session or its copies; plain http reads
// none.
TEST_F(TlsTest, TheAuthoritiesAreReadWhenTheFirstHttpsRequestNeedsThem)
{
    int reads = 0;
    HttpSession session(&nam, u"Norvane/test"_s);
    session.trustAlsoWhenNeeded([&] {
        ++reads;
        return QSslCertificate::fromPath(certificates.caFile());
    });
    fh::FakeHub plain(baseWorld());
    runTask(GitHubService(session, plain.baseUrl()).fetchPullRequests(u"me"_s, u"tok-me"_s));
    EXPECT_FALSE(plain.requests().empty());
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(fetchMine(session), u"1 pull requests"_s);
    EXPECT_EQ(fetchMine(session), u"1 pull requests"_s);
    EXPECT_EQ(reads, 1);
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
