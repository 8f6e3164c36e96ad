#include "core/activity_records.h"
#include "core/json_reader.h"
#include "core/pull_request.h"
#include "support/tls.h"
#include "support/world.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::testing;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the real norvane executable, as a status bar or a script would.
class CliTest : public ::testing::Test {
protected:
    void start(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    Result run(QStringList args, QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
    {
        if (hub && !args.contains(QStringLiteral("--api-url")))
            args << QStringLiteral("--api-url") << hub->baseUrl() << QStringLiteral("--web-url") << hub->baseUrl();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.remove(QStringLiteral("DEBUG_MODE"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(NORVANE_EXECUTABLE), args);
        // The fake server answers on its own threads; this thread only waits for the child.
        EXPECT_TRUE(process.waitForFinished(60000)) << "norvane did not finish";
        return Result{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                      QString::fromUtf8(process.readAllStandardError())};
    }

    Result runAs(const QString& login, const QString& token, QStringList args,
                 QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
    {
        env.insert(QStringLiteral("NORVANE_TEST_TOKEN"), token);
        // No session bus: any keychain access would fail loudly.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
        args << QStringLiteral("--user") << login << QStringLiteral("--token-env") << QStringLiteral("NORVANE_TEST_TOKEN")
             << QStringLiteral("--profile") << profile.path();
        return run(args, env);
    }

    QTemporaryDir home;
    QTemporaryDir profile;
    std::unique_ptr<fh::FakeHub> hub;
};

// A world that mirrors the app's sample data: two review requests, and four pull requests of mine
// (pending, approved twice, changes requested).
fh::Scenario sampleWorld()
{
    fh::Scenario s = baseWorld();
    auto requestedA = pull("acme/api", 1, "alice", "2026-12-06T09:00:00Z");
    requestedA.requestedReviewers = {QStringLiteral("me")};
    auto requestedB = pull("acme/web", 2, "bob", "2026-12-06T08:00:00Z");
    requestedB.requestedReviewers = {QStringLiteral("me")};
    auto pending = pull("acme/api", 3, "me", "2026-12-06T07:00:00Z");
    auto approvedA = pull("acme/api", 4, "me", "2026-12-06T06:00:00Z");
    approvedA.reviews = {review("alice", "APPROVED", "2026-12-06T05:00:00Z")};
    auto approvedB = pull("acme/web", 5, "me", "2026-12-06T05:00:00Z");
    approvedB.reviews = {review("bob", "APPROVED", "2026-12-06T04:00:00Z")};
    auto changes = pull("acme/web", 6, "me", "2026-12-06T04:00:00Z");
    changes.reviews = {review("alice", "CHANGES_REQUESTED", "2026-12-06T03:00:00Z", "Not yet")};
    s.pullRequests = {requestedA, requestedB, pending, approvedA, approvedB, changes};
    return s;
}

} // namespace

TEST_F(CliTest, PrsJsonDecodesBackIntoTheRecordsWithinTheRequestBudget)
{
    start(sampleWorld());
    const Result r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), {QStringLiteral("prs"), QStringLiteral("--json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray array = parseJsonArray(r.out.toUtf8());
    ASSERT_EQ(array.size(), 6);
    QStringList order;
    for (const QJsonValue& v : array) {
        const norvane::PullRequest pr = pullRequestFromJson(v.toObject());
        order.append(QString::number(pr.number));
        const fh::PullRequest* source = hub->snapshot().pullRequest(pr.repository, pr.number);
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(pr.title, source->title);
        EXPECT_EQ(pr.headSha, source->headSha);
        EXPECT_EQ(pr.url, hub->baseUrl() + QStringLiteral("/%1/pull/%2").arg(pr.repository).arg(pr.number));
    }
    EXPECT_EQ(order.join(QLatin1Char(',')), QStringLiteral("1,2,3,4,5,6")); // newest update first
    EXPECT_EQ(hub->requests().size(), 3u + 4u * 6u);
    EXPECT_FALSE(r.out.contains(QStringLiteral("[Keychain]")));
}

TEST_F(CliTest, StatusMirrorsTheBadgeAndTheTabs)
{
    start(sampleWorld());
    const struct {
        const char* format;
        const char* expected;
    } cases[] = {
        {"text", "red 5\nAll 6 · Review 2 · Pending 1 · Approved 2 · Changes 1 · Drafts 0\n"},
        {"json", "{\"badge\":{\"color\":\"red\",\"count\":5},\"counts\":{\"All\":6,\"Approved\":2,\"Changes\":1,"
                 "\"Drafts\":0,\"Pending\":1,\"Review\":2},\"rateLimit\":RATE}\n"},
        {"waybar", "{\"alt\":\"red\",\"class\":\"red\",\"text\":\"5\",\"tooltip\":\"All 6\\nReview 2\\nPending 1\\n"
                   "Approved 2\\nChanges 1\\nDrafts 0\"}\n"},
    };
    for (const auto& c : cases) {
        const Result r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"),
                               {QStringLiteral("status"), QStringLiteral("--format"), QString::fromLatin1(c.format)});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        // The last answers' budgets, as GitHub stated them: the reset as a stored timestamp.
        QJsonObject rate;
        for (const QString& resource : {QStringLiteral("core"), QStringLiteral("search")}) {
            const auto budget = hub->rateLimit(QStringLiteral("tok-me"), resource);
            rate.insert(resource, QJsonObject{{QStringLiteral("limit"), budget.limit},
                                              {QStringLiteral("remaining"), budget.remaining},
                                              {QStringLiteral("reset"), double(budget.reset - 978307200)}});
        }
        QString expected = QString::fromUtf8(c.expected);
        expected.replace(QStringLiteral("RATE"), QString::fromUtf8(QJsonDocument(rate).toJson(QJsonDocument::Compact)));
        EXPECT_EQ(r.out, expected) << c.format;
    }
}

TEST_F(CliTest, ARunAfterAnUnchangedOneIsAnsweredFromTheSharedCache)
{
    start(sampleWorld());
    const QStringList args{QStringLiteral("prs"), QStringLiteral("--json")};
    const Result first = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), args);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const auto afterFirst = hub->rateLimit(QStringLiteral("tok-me"));
    EXPECT_EQ(afterFirst.used, 4 * 6);
    hub->clearRequests();

    const Result second = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), args);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, first.out);
    // The same requests, each with its validator, and not one point of the core budget spent.
    EXPECT_EQ(hub->requests().size(), 3u + 4u * 6u);
    for (const auto& request : hub->requests())
        EXPECT_FALSE(request.header(QStringLiteral("If-None-Match")).isEmpty()) << request.path.toStdString();
    EXPECT_EQ(hub->rateLimit(QStringLiteral("tok-me")).used, afterFirst.used);

    // The cache lives in the profile, for the user alone, and never holds the token itself.
    const QString cache = profile.filePath(QStringLiteral("cache/http"));
    EXPECT_EQ(QFileInfo(cache).permissions() & 0x0077, QFileDevice::Permissions());
    QDirIterator files(cache, QDir::Files, QDirIterator::Subdirectories);
    int entries = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains("tok-me"));
        ++entries;
    }
    EXPECT_EQ(entries, 3 + 4 * 6);
}

TEST_F(CliTest, FailuresExitWithTheirCodeAndOneClearLine)
{
    start(sampleWorld());
    Result r = runAs(QStringLiteral("me"), QStringLiteral("revoked"), {QStringLiteral("prs")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, QStringLiteral("norvane: GitHub rejected the token for me (HTTP 401). Sign in again in "
                                    "Norvane's settings.\n"));
    EXPECT_TRUE(r.out.isEmpty());

    r = runAs(QStringLiteral("me"), QString(), {QStringLiteral("status")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, QStringLiteral("norvane: the environment variable NORVANE_TEST_TOKEN holds no token\n"));

    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/search/issues"), 503));
    r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), {QStringLiteral("prs")});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("norvane: API Error [search/issues (review-requested)]: HTTP 503")))
        << r.err.toStdString();
    hub->clearFaults();

    // No account stored in the profile.
    r = run({QStringLiteral("prs"), QStringLiteral("--profile"), profile.path()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("norvane: no GitHub account is set up")));
}

// Every command keeps one contract: standard output carries only the command's output, a failure exits 3
// (token missing or rejected) or 4 (anything else) with its reason as the last line on standard error.
TEST_F(CliTest, EveryCommandKeepsTheExitCodeContract)
{
    start(sampleWorld());
    {
        QSettings settings(profile.filePath(QStringLiteral("preferences.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("github_accounts"),
                          QByteArray(R"([{"id":"0F9AFC2B-8D3C-4E0E-9E55-1C2B3D4E5F60","username":"me",)"
                                     R"("tokenIdentifier":"github_token_b"}])"));
    }
    const QList<QStringList> commands{
        {QStringLiteral("prs"), QStringLiteral("--json")},
        {QStringLiteral("status"), QStringLiteral("--format"), QStringLiteral("json")},
        {QStringLiteral("issues"), QStringLiteral("--json")},
        {QStringLiteral("dashboard"), QStringLiteral("--json")},
    };
    const QStringList watched{QStringLiteral("--repo"), QStringLiteral("acme/api")};
    fh::FakeHub elsewhere(baseWorld());
    const QString refused = QStringLiteral("GitHub redirected the request to %1; Norvane does not send your token to "
                                           "another host.")
                                .arg(elsewhere.baseUrl().mid(QStringLiteral("http://").size()));
    for (const QStringList& command : commands) {
        const std::string name = command.first().toStdString();
        const auto expectFailure = [&](const Result& r, int code, const char* situation) {
            EXPECT_EQ(r.exitCode, code) << name << ", " << situation << ": " << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << name << ", " << situation << ": " << r.out.toStdString();
            EXPECT_TRUE(r.err.endsWith(QLatin1Char('\n')));
            return r.err.trimmed().split(QLatin1Char('\n')).last();
        };

        // A stored account whose token cannot be read: no keychain is reachable.
        QProcessEnvironment noKeychain = QProcessEnvironment::systemEnvironment();
        noKeychain.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                          QStringLiteral("unix:path=/nonexistent/bus"));
        Result r =
            run(command + watched + QStringList{QStringLiteral("--profile"), profile.path()}, noKeychain);
        EXPECT_TRUE(expectFailure(r, 3, "missing token")
                        .startsWith(QStringLiteral("norvane: Failed to retrieve token for me")))
            << r.err.toStdString();

        r = runAs(QStringLiteral("me"), QStringLiteral("revoked"), command + watched);
        const QString rejected = expectFailure(r, 3, "rejected token");
        EXPECT_TRUE(rejected.startsWith(QStringLiteral("norvane: "))) << rejected.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << name;

        hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/**"), 503));
        r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), command + watched);
        hub->clearFaults();
        EXPECT_TRUE(expectFailure(r, 4, "server error").contains(QStringLiteral("503")))
            << name << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << name;

        // Sent on to another host: the token stays home, and the command says where it was sent.
        hub->injectFault(fh::Fault::redirect(QStringLiteral("GET"), QStringLiteral("/**"), 302, elsewhere.baseUrl()));
        r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), command + watched);
        hub->clearFaults();
        // (The dashboard's line also names the query that failed first.)
        EXPECT_TRUE(expectFailure(r, 4, "redirect").contains(refused)) << name << r.err.toStdString();
        EXPECT_TRUE(elsewhere.requests().empty()) << name;

        // Nothing watched: issues and dashboard have nothing to show, which is no failure.
        r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), command);
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << name << ": " << r.err.toStdString();
        EXPECT_FALSE(QJsonDocument::fromJson(r.out.toUtf8()).isNull()) << name << ": " << r.out.toStdString();
    }
}

TEST_F(CliTest, UsageErrorsExitTwoWithTheUsage)
{
    const QList<QStringList> cases{
        {QStringLiteral("prs"), QStringLiteral("--bogus")},
        {QStringLiteral("status"), QStringLiteral("--format"), QStringLiteral("xml")},
        {QStringLiteral("prs"), QStringLiteral("--user"), QStringLiteral("me")},
        {QStringLiteral("issues"), QStringLiteral("--repo"), QStringLiteral("not-a-repo")},
        {QStringLiteral("prs"), QStringLiteral("--api-url"), QStringLiteral("ftp://example.com")},
    };
    for (const QStringList& args : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("norvane: "))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("Usage: norvane COMMAND [OPTIONS]")));
    }
    const Result help = run({QStringLiteral("status"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--token-env NAME")));
}

TEST_F(CliTest, StoredAccountsAndTheProfileStayAsTheyWere)
{
    start(sampleWorld());
    // A profile as the app leaves it: two accounts, a blocked owner and seen snapshots.
    {
        QSettings settings(profile.filePath(QStringLiteral("preferences.ini")), QSettings::IniFormat);
        const QByteArray accounts =
            R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","username":"alice","tokenIdentifier":"github_token_a"},)"
            R"({"id":"0F9AFC2B-8D3C-4E0E-9E55-1C2B3D4E5F60","username":"me","tokenIdentifier":"github_token_b"}])";
        settings.setValue(QStringLiteral("github_accounts"), accounts);
        settings.setValue(QStringLiteral("blocked_repositories"), QStringList{QStringLiteral("acme/web"), QStringLiteral("x")});
    }
    QFile file(profile.filePath(QStringLiteral("preferences.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // --account picks a stored account; the token comes from the keychain, which is not reachable here.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    Result r = run({QStringLiteral("status"), QStringLiteral("--profile"), profile.path(), QStringLiteral("--account"),
                    QStringLiteral("me")},
                   env);
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(
        QStringLiteral("\nnorvane: Failed to retrieve token for me. Add token in Settings.\n")))
        << r.err.toStdString();

    r = run({QStringLiteral("status"), QStringLiteral("--profile"), profile.path(), QStringLiteral("--account"),
             QStringLiteral("nobody")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, QStringLiteral("norvane: no stored account \"nobody\" (stored: alice, me)\n"));

    // With the token from the environment, the profile's blocked repositories shape the counts, and the
    // refresh's seen snapshots are not written back.
    r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), {QStringLiteral("status")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("red 5\nAll 3 · Review 1 · Pending 1 · Approved 1 · Changes 0 · Drafts 0\n"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);

    // Nothing was created outside the profile: not in the home, config or data folders.
    QStringList created;
    QDirIterator it(home.path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        created.append(it.next());
    EXPECT_TRUE(created.isEmpty()) << created.join(QLatin1Char('\n')).toStdString();
}

TEST_F(CliTest, IssuesAndDashboardForTheGivenRepositories)
{
    fh::Scenario s = sampleWorld();
    fh::Issue bug;
    bug.id = 901;
    bug.number = 41;
    bug.title = QStringLiteral("Crash on start");
    bug.author = QStringLiteral("alice");
    bug.labels = {QStringLiteral("bug")};
    bug.comments = 2;
    bug.state = QStringLiteral("open");
    bug.createdAt = utc("2026-12-01T08:00:00Z");
    bug.updatedAt = utc("2026-12-04T08:00:00Z");
    fh::Issue docs = bug;
    docs.id = 902;
    docs.number = 42;
    docs.title = QStringLiteral("Document the API");
    docs.labels = {};
    docs.updatedAt = utc("2026-12-05T08:00:00Z");
    s.repository(QStringLiteral("acme/api"))->issues = {bug};
    s.repository(QStringLiteral("acme/web"))->issues = {docs};
    s.repository(QStringLiteral("acme/api"))->environments = {fh::Environment{1, QStringLiteral("production"), utc("2026-01-01T00:00:00Z")}};
    start(s);

    Result r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"),
                     {QStringLiteral("issues"), QStringLiteral("--json"), QStringLiteral("--repo"), QStringLiteral("acme/api"),
                      QStringLiteral("--repo"), QStringLiteral("acme/web")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray issues = parseJsonArray(r.out.toUtf8());
    ASSERT_EQ(issues.size(), 2);
    const norvane::GitHubIssue newest = gitHubIssueFromJson(issues.at(0).toObject());
    EXPECT_EQ(newest.id, QStringLiteral("issue-acme/web-902")); // newest update first
    EXPECT_EQ(newest.updatedAt, utc("2026-12-05T08:00:00Z"));
    const norvane::GitHubIssue older = gitHubIssueFromJson(issues.at(1).toObject());
    EXPECT_EQ(older.labels, QStringList{QStringLiteral("bug")});
    EXPECT_EQ(older.author, QStringLiteral("alice"));

    r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"),
              {QStringLiteral("dashboard"), QStringLiteral("--json"), QStringLiteral("--repo"), QStringLiteral("acme/api")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray cards = parseJsonArray(r.out.toUtf8());
    ASSERT_EQ(cards.size(), 1);
    const QJsonObject card = cards.at(0).toObject();
    EXPECT_EQ(card.value(QStringLiteral("repository")).toString(), QStringLiteral("acme/api"));
    EXPECT_EQ(card.value(QStringLiteral("openPRCount")).toInt(), 3);
    EXPECT_EQ(card.value(QStringLiteral("environments")).toArray(), QJsonArray{QStringLiteral("production")});
    EXPECT_FALSE(card.contains(QStringLiteral("lastCommitAt"))); // no commits: the key is left out
    EXPECT_EQ(card.value(QStringLiteral("recentDeploys")).toArray().size(), 0);

    // Nothing watched and no --repo: a hint, not an error.
    r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), {QStringLiteral("issues")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("No watched repositories")));

    // A rejected token.
    r = runAs(QStringLiteral("me"), QStringLiteral("revoked"), {QStringLiteral("issues"), QStringLiteral("--repo"), QStringLiteral("acme/api")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, QStringLiteral("norvane: Token expired. Re-authenticate in Settings.\n"));
}

TEST_F(CliTest, TheDashboardPrintsEveryCardAndWarnsOfEachFailedQuery)
{
    start(sampleWorld());
    const QStringList dashboard{QStringLiteral("dashboard"), QStringLiteral("--json"),
                                QStringLiteral("--repo"),    QStringLiteral("acme/api"),
                                QStringLiteral("--repo"),    QStringLiteral("acme/web")};

    // One repository's pull-request count fails: both cards, that figure missing, and one warning.
    hub->injectFault(
        fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/search/issues"), 500).times(1));
    Result r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), dashboard);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray cards = parseJsonArray(r.out.toUtf8());
    ASSERT_EQ(cards.size(), 2);
    QList<int> counts;
    for (const QJsonValue& card : cards)
        counts.append(card.toObject().value(QStringLiteral("openPRCount")).toInt());
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (QList<int>{0, 3})); // the tab's card, too, counts what it could not ask as none
    const QStringList warnings = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(warnings.size(), 1) << r.err.toStdString();
    EXPECT_TRUE(warnings[0].startsWith(
        QStringLiteral("norvane: warning: GitHub answered HTTP 500 for /search/issues (")))
        << warnings[0].toStdString();

    // Every query fails: nothing to print, and a failure.
    hub->clearFaults();
    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/**"), 500));
    r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), dashboard);
    EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(
        r.err.startsWith(QStringLiteral("norvane: every query of the dashboard failed (10 of them): GitHub "
                                        "answered HTTP 500 for ")))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1);

    // A rejected token.
    hub->clearFaults();
    r = runAs(QStringLiteral("me"), QStringLiteral("revoked"), dashboard);
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// Over HTTPS, a certificate nobody trusts ends the command before any request (and so the token) is sent;
// the authority the user names as for curl and git is trusted.
TEST_F(CliTest, OverTlsOnlyTheSystemsAndTheNamedAuthoritiesAreTrusted)
{
    const norvane::testing::TestCertificates certificates;
    fh::FakeHub::Options options;
    options.tls = fh::FakeHub::Options::Tls{certificates.certificateFile(), certificates.keyFile()};
    hub = std::make_unique<fh::FakeHub>(sampleWorld(), options);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("SSL_CERT_FILE"));
    env.remove(QStringLiteral("SSL_CERT_DIR"));

    Result r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), {QStringLiteral("prs")}, env);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("norvane: Network Error [search/issues (review-requested)]: The TLS "
                                                "certificate of 127.0.0.1 could not be verified (")))
        << r.err.toStdString();
    EXPECT_TRUE(hub->requests().empty());

    env.insert(QStringLiteral("SSL_CERT_FILE"), certificates.caFile());
    r = runAs(QStringLiteral("me"), QStringLiteral("tok-me"), {QStringLiteral("prs"), QStringLiteral("--json")}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(parseJsonArray(r.out.toUtf8()).size(), 6);
    EXPECT_EQ(hub->requests().size(), 3u + 4u * 6u);
}
