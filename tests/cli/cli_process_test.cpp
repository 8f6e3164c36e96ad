#include "core/activity_records.h"
#include "core/github_account.h"
#include "core/json_reader.h"
#include "core/pull_request.h"
#include "core/stored_encoding.h"
#include "github/http_session.h"
#include "platform/keychain_service.h"
#include "support/run_task.h"
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

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::testing;

namespace {

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the real norvane executable, as a status bar or a script would.
class CliTest : public ::testing::Test
{
protected:
    void start(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    Result run(QStringList args, QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
    {
        if (hub && !args.contains(u"--api-url"_s))
            args << u"--api-url"_s << hub->baseUrl() << u"--web-url"_s << hub->baseUrl();
        env.insert(u"HOME"_s, home.path());
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        env.remove(u"DEBUG_MODE"_s);
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
        env.insert(u"NORVANE_TEST_TOKEN"_s, token);
        // No session bus: any keychain access would fail loudly.
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/bus"_s);
        args << u"--user"_s << login << u"--token-env"_s << u"NORVANE_TEST_TOKEN"_s << u"--profile"_s
             << profile.path();
        return run(args, env);
    }

    QTemporaryDir home;
    QTemporaryDir profile;
    std::unique_ptr<fh::FakeHub> hub;
};

// A world that mirrors the app's sample data: two review requests (one of them asked of my team), and four
// pull requests of mine (pending, approved twice, changes requested).
fh::Scenario sampleWorld()
{
    fh::Scenario s = baseWorld();
    auto requestedA = pull("acme/api", 1, "alice", "2026-12-06T09:00:00Z");
    requestedA.requestedReviewers = {u"me"_s};
    auto requestedB = pull("acme/web", 2, "bob", "2026-12-06T08:00:00Z");
    requestedB.requestedTeams = {{u"core"_s, u"Core"_s, {u"me"_s}}};
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

TEST_F(CliTest, StatusMirrorsTheBadgeAndTheTabs)
{
    start(sampleWorld());
    const struct
    {
        const char* format;
        const char* expected;
    } cases[] = {
        {"text", "red 5\nAll 6 · Review 2 · Pending 1 · Approved 2 · Changes 1 · Drafts 0\n"},
        {"json",
         "{\"badge\":{\"color\":\"red\",\"count\":5},\"counts\":{\"All\":6,\"Approved\":2,\"Changes\":1,"
         "\"Drafts\":0,\"Pending\":1,\"Review\":2},\"rateLimit\":RATE,\"searchesPerPoll\":3,\"sections\":0}"
         "\n"},
        {"waybar",
         "{\"alt\":\"red\",\"class\":\"red\",\"text\":\"5\",\"tooltip\":\"All 6\\nReview 2\\nPending 1\\n"
         "Approved 2\\nChanges 1\\nDrafts 0\"}\n"},
    };
    for (const auto& c : cases) {
        const Result r =
            runAs(u"me"_s, u"tok-me"_s, {u"status"_s, u"--format"_s, QString::fromLatin1(c.format)});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        // The last answers' budgets, as GitHub stated them: the reset as a stored timestamp.
        QJsonObject rate;
        for (const QString& resource : {u"core"_s, u"search"_s}) {
            const auto budget = hub->rateLimit(u"tok-me"_s, resource);
            rate.insert(resource, QJsonObject{{u"limit"_s, budget.limit},
                                              {u"remaining"_s, budget.remaining},
                                              {u"reset"_s, double(budget.reset - 978307200)}});
        }
        QString expected = QString::fromUtf8(c.expected);
        expected.replace(u"RATE"_s, QString::fromUtf8(QJsonDocument(rate).toJson(QJsonDocument::Compact)));
        EXPECT_EQ(r.out, expected) << c.format;
    }
}

TEST_F(CliTest, PrsJsonDecodesIntoTheRecordsAndARepeatIsAnsweredFromTheSharedCache)
{
    start(sampleWorld());
    const QStringList args{u"prs"_s, u"--json"_s};
    const Result first = runAs(u"me"_s, u"tok-me"_s, args);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QJsonArray array = parseJsonArray(first.out.toUtf8());
    ASSERT_EQ(array.size(), 6);
    QStringList order;
    const fh::Scenario world = hub->snapshot(); // held: `source` points into it
    for (const QJsonValue& v : array) {
        const norvane::PullRequest pr = pullRequestFromJson(v.toObject());
        order.append(QString::number(pr.number));
        const fh::PullRequest* source = world.pullRequest(pr.repository, pr.number);
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(pr.title, source->title);
        EXPECT_EQ(pr.headSha, source->headSha);
        EXPECT_EQ(pr.url, hub->baseUrl() + u"/%1/pull/%2"_s.arg(pr.repository).arg(pr.number));
        const QJsonValue from = v[u"reviewRequestedFrom"_s];
        EXPECT_EQ(from, pr.number == 1   ? QJsonValue(u"you"_s)
                        : pr.number == 2 ? QJsonValue(u"acme/core"_s)
                                         : QJsonValue(QJsonValue::Null))
            << pr.number;
    }
    EXPECT_EQ(order.join(u','), u"1,2,3,4,5,6"_s); // newest update first
    EXPECT_EQ(hub->requests().size(), 3u + 4u * 6u);
    EXPECT_FALSE(first.out.contains(u"[Keychain]"_s));
    const auto afterFirst = hub->rateLimit(u"tok-me"_s);
    EXPECT_EQ(afterFirst.used, 4 * 6);
    hub->clearRequests();

    const Result second = runAs(u"me"_s, u"tok-me"_s, args);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, first.out);
    // The same requests, each with its validator, and not one point of the core budget spent.
    EXPECT_EQ(hub->requests().size(), 3u + 4u * 6u);
    for (const auto& request : hub->requests())
        EXPECT_FALSE(request.header(u"If-None-Match"_s).isEmpty()) << request.path.toStdString();
    EXPECT_EQ(hub->rateLimit(u"tok-me"_s).used, afterFirst.used);

    // The cache lives in the profile, for the user alone, and never holds the token itself.
    const QString cache = profile.filePath(u"cache/http"_s);
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

// Snoozed pull requests (stored by the app) are left out, and with --all listed in their places, flagged.
TEST_F(CliTest, PrsLeavesSnoozedOnesOutUnlessAll)
{
    start(sampleWorld());
    {
        // The account --user me stands for, always the same; #3 until it changes (snoozed after its last
        // update), #5 until 2100-01-01, #6 woken already.
        const QUuid me =
            QUuid::createUuidV5(QUuid::fromString(u"{8e5f0c3a-2b7d-4c61-9a0e-5f3b1d2c4e6a}"_s), u"me"_s);
        QSettings(profile.filePath(u"preferences.ini"_s), QSettings::IniFormat)
            .setValue(
                u"pr_snoozes_"_s + uuidText(me),
                QByteArray(R"({"gh-1003":{"at":850000000},"gh-1005":{"at":850000000,"until":3124137600},)"
                           R"("gh-1006":{"at":850000000,"woke":true}})"));
        QSettings(profile.filePath(u"preferences.ini"_s), QSettings::IniFormat)
            .setValue(u"pr_sections_"_s + uuidText(me),
                      QByteArray(R"([{"name":"Web","query":"repo:acme/web"}])"));
    }
    const struct
    {
        QStringList args;
        const char* numbers;
        QStringList snoozedUntil;
        const char* sections = "";
    } cases[] = {
        {{u"prs"_s, u"--json"_s}, "1,2,4,6", {u""_s, u""_s, u""_s, u""_s}, ",Web,,Web"},
        {{u"prs"_s, u"--json"_s, u"--all"_s},
         "1,2,3,4,5,6",
         {u""_s, u""_s, u"change"_s, u""_s, u"2100-01-01T00:00:00Z"_s, u""_s},
         ",Web,,,Web,Web"},
        {{u"prs"_s, u"--json"_s, u"--section"_s, u"Web"_s}, "2,6", {u""_s, u""_s}, "Web,Web"},
        {{u"prs"_s, u"--json"_s, u"--section"_s, u"Web"_s, u"--all"_s},
         "2,5,6",
         {u""_s, u"2100-01-01T00:00:00Z"_s, u""_s},
         "Web,Web,Web"},
    };
    for (const auto& c : cases) {
        const Result r = runAs(u"me"_s, u"tok-me"_s, c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QStringList numbers, until, sections;
        for (const QJsonValue& v : parseJsonArray(r.out.toUtf8())) {
            numbers.append(QString::number(v[u"number"_s].toInteger()));
            sections.append(v[u"sections"_s].toVariant().toStringList().join(u'+'));
            until.append(v[u"snoozedUntil"_s].toString()); // null reads as ""
            EXPECT_TRUE(v.toObject().contains(u"snoozedUntil"_s));
        }
        EXPECT_EQ(numbers.join(u','), QLatin1String(c.numbers));
        EXPECT_EQ(until, c.snoozedUntil);
        EXPECT_EQ(sections.join(u','), QLatin1String(c.sections));
    }
    // A name the account has no section by is a usage error.
    const Result unknown = runAs(u"me"_s, u"tok-me"_s, {u"prs"_s, u"--section"_s, u"web"_s});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, u"norvane: no section \"web\" for me (its sections: Web)\n"_s);
    const Result table = runAs(u"me"_s, u"tok-me"_s, {u"prs"_s, u"--all"_s});
    EXPECT_TRUE(table.out.contains(u"mine,snoozed"_s)) << table.out.toStdString();
    const Result status = runAs(u"me"_s, u"tok-me"_s, {u"status"_s});
    EXPECT_EQ(status.out, u"red 4\nAll 4 · Review 2 · Pending 0 · Approved 1 · Changes 1 · Drafts 0\n"_s);
}

// Every command keeps one contract: standard output carries only the command's output, a failure exits 3
// (token missing or rejected) or 4 (anything else) with its reason as the last line on standard error.
// prs and status share their path; issues and dashboard each learn of failures their own way.
TEST_F(CliTest, EveryCommandKeepsTheExitCodeContract)
{
    start(sampleWorld());
    const auto expectFailure = [&](const Result& r, int code, const std::string& situation) {
        EXPECT_EQ(r.exitCode, code) << situation << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << situation << ": " << r.out.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << situation << ": " << r.err.toStdString();
        return r.err.trimmed();
    };
    // Before any request: the token's variable is empty, or the profile holds no account.
    EXPECT_EQ(expectFailure(runAs(u"me"_s, QString(), {u"status"_s}), 3, "empty variable"),
              u"norvane: the environment variable NORVANE_TEST_TOKEN holds no token"_s);
    EXPECT_TRUE(expectFailure(run({u"prs"_s, u"--profile"_s, profile.path()}), 3, "no account")
                    .startsWith(u"norvane: no GitHub account is set up"_s));

    const QString rejectedToken =
        u"norvane: GitHub rejected the token for me (HTTP 401). Sign in again in Norvane's settings."_s;
    const struct
    {
        QStringList command;
        QString rejected; // the line a rejected token gives
    } commands[] = {
        {{u"prs"_s, u"--json"_s}, rejectedToken},
        {{u"issues"_s, u"--json"_s}, u"norvane: Token expired. Re-authenticate in Settings."_s},
        {{u"dashboard"_s, u"--json"_s}, rejectedToken},
    };
    const QStringList watched{u"--repo"_s, u"acme/api"_s};
    fh::FakeHub elsewhere(baseWorld());
    const QString refused = u"GitHub redirected the request to %1; Norvane does not send your token to "
                            "another host."_s.arg(elsewhere.baseUrl().mid(u"http://"_s.size()));
    for (const auto& c : commands) {
        const std::string name = c.command.first().toStdString();
        EXPECT_EQ(expectFailure(runAs(u"me"_s, u"revoked"_s, c.command + watched), 3, name + ", rejected"),
                  c.rejected);

        hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/**"_s, 503));
        Result r = runAs(u"me"_s, u"tok-me"_s, c.command + watched);
        hub->clearFaults();
        EXPECT_TRUE(expectFailure(r, 4, name + ", 503").contains(u"503"_s));

        // Sent on to another host: the token stays home, and the command says where it was sent.
        hub->injectFault(fh::Fault::redirect(u"GET"_s, u"/**"_s, 302, elsewhere.baseUrl()));
        r = runAs(u"me"_s, u"tok-me"_s, c.command + watched);
        hub->clearFaults();
        EXPECT_TRUE(expectFailure(r, 4, name + ", redirect").contains(refused));
        EXPECT_TRUE(elsewhere.requests().empty()) << name;

        // Nothing watched: issues and dashboard have nothing to show, which is no failure.
        r = runAs(u"me"_s, u"tok-me"_s, c.command);
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << name << ": " << r.err.toStdString();
        EXPECT_FALSE(QJsonDocument::fromJson(r.out.toUtf8()).isNull()) << name << ": " << r.out.toStdString();
    }
}

TEST_F(CliTest, UsageErrorsExitTwoWithTheUsage)
{
    const QList<QStringList> cases{
        {u"prs"_s, u"--bogus"_s},
        {u"status"_s, u"--format"_s, u"xml"_s},
        {u"issues"_s, u"--repo"_s, u"not-a-repo"_s},
        {u"prs"_s, u"--api-url"_s, u"ftp://example.com"_s},
        {u"status"_s, u"--section"_s, u"Web"_s},
    };
    for (const QStringList& args : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(u"norvane: "_s)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"Usage: norvane COMMAND [OPTIONS]"_s));
    }
    const Result help = run({u"status"_s, u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(u"--token-env NAME"_s));
}

TEST_F(CliTest, StoredAccountsAndTheProfileStayAsTheyWere)
{
    start(sampleWorld());
    // A profile as the app leaves it: three accounts (two of them "me", on github.com and on a GitHub
    // Enterprise Server), a blocked owner and seen snapshots.
    {
        QSettings settings(profile.filePath(u"preferences.ini"_s), QSettings::IniFormat);
        const QByteArray accounts =
            R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","username":"alice","tokenIdentifier":"github_token_a"},)"
            R"({"id":"0F9AFC2B-8D3C-4E0E-9E55-1C2B3D4E5F60","username":"me","tokenIdentifier":"github_token_b"},)"
            R"({"id":"5A1D0E37-2C4B-4F6A-8B9C-0D1E2F3A4B5C","username":"ME","tokenIdentifier":"github_token_c",)"
            R"("host":"ghe.example.com"}])";
        settings.setValue(u"github_accounts"_s, accounts);
        settings.setValue(u"blocked_repositories"_s, QStringList{u"acme/web"_s, u"x"_s});
    }
    QFile file(profile.filePath(u"preferences.ini"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // --account picks a stored account by its login when only one has it, or by login@host; the token
    // comes from the keychain, which is not reachable here, so the failure names the account chosen.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/bus"_s);
    const auto noToken = [](const char* login) {
        return u"\nnorvane: Failed to retrieve token for %1. Add token in Settings.\n"_s.arg(
            QLatin1String(login));
    };
    const struct
    {
        const char* account;
        int exitCode;
        QString errEnd;
    } choices[] = {
        {"Alice", 3, noToken("alice")},
        {"me@GitHub.com", 3, noToken("me")},
        {"me@ghe.example.com", 3, noToken("ME")},
        {"me", 2,
         u"norvane: \"me\" names 2 stored accounts (me@github.com, ME@ghe.example.com): give one as "
         "LOGIN@HOST\n"_s},
        {"nobody", 2,
         u"norvane: no stored account \"nobody\" (stored: alice@github.com, me@github.com, "
         "ME@ghe.example.com)\n"_s},
        {"alice@ghe.example.com", 2,
         u"norvane: no stored account \"alice@ghe.example.com\" (stored: alice@github.com, me@github.com, "
         "ME@ghe.example.com)\n"_s},
    };
    for (const auto& c : choices) {
        const Result r =
            run({u"status"_s, u"--profile"_s, profile.path(), u"--account"_s, QString::fromLatin1(c.account)},
                env);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.account << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.account;
        // A usage error is the whole of standard error; the keychain's own lines come before its failure.
        EXPECT_TRUE(c.exitCode == 2 ? r.err == c.errEnd : r.err.endsWith(c.errEnd))
            << c.account << ": " << r.err.toStdString();
    }

    // With the token from the environment, the profile's blocked repositories shape the counts, and the
    // refresh's seen snapshots are not written back.
    const Result r = runAs(u"me"_s, u"tok-me"_s, {u"status"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"red 5\nAll 3 · Review 1 · Pending 1 · Approved 1 · Changes 0 · Drafts 0\n"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);

    // Nothing was created outside the profile: not in the home, config or data folders.
    QStringList created;
    QDirIterator it(home.path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        created.append(it.next());
    EXPECT_TRUE(created.isEmpty()) << created.join(u'\n').toStdString();
}

TEST_F(CliTest, IssuesForTheGivenRepositories)
{
    fh::Scenario s = sampleWorld();
    fh::Issue bug;
    bug.id = 901;
    bug.number = 41;
    bug.title = u"Crash on start"_s;
    bug.author = u"alice"_s;
    bug.labels = {u"bug"_s};
    bug.comments = 2;
    bug.state = u"open"_s;
    bug.createdAt = utc("2026-12-01T08:00:00Z");
    bug.updatedAt = utc("2026-12-04T08:00:00Z");
    s.repository(u"acme/web"_s)->issues = {bug};
    start(s);

    Result r = runAs(u"me"_s, u"tok-me"_s,
                     {u"issues"_s, u"--json"_s, u"--repo"_s, u"acme/api"_s, u"--repo"_s, u"acme/web"_s});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray issues = parseJsonArray(r.out.toUtf8());
    ASSERT_EQ(issues.size(), 1);
    const norvane::GitHubIssue issue = gitHubIssueFromJson(issues.at(0).toObject());
    EXPECT_EQ(issue.id, u"issue-acme/web-901"_s);
    EXPECT_EQ(issue.updatedAt, utc("2026-12-04T08:00:00Z"));
    EXPECT_EQ(issue.labels, QStringList{u"bug"_s});
    EXPECT_EQ(issue.author, u"alice"_s);

    // Nothing watched and no --repo: a hint, not an error.
    r = runAs(u"me"_s, u"tok-me"_s, {u"issues"_s});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(u"No watched repositories"_s));
}

TEST_F(CliTest, TheDashboardPrintsEveryCardAndWarnsOfEachFailedQuery)
{
    start(sampleWorld());
    const QStringList dashboard{u"dashboard"_s, u"--json"_s, u"--repo"_s,
                                u"acme/api"_s,  u"--repo"_s, u"acme/web"_s};

    // One repository's pull-request count fails: both cards, that figure missing, and one warning.
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 500).times(1));
    Result r = runAs(u"me"_s, u"tok-me"_s, dashboard);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray cards = parseJsonArray(r.out.toUtf8());
    ASSERT_EQ(cards.size(), 2);
    QList<int> counts;
    for (const QJsonValue& card : cards)
        counts.append(card.toObject().value(u"openPRCount"_s).toInt());
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (QList<int>{0, 3})); // the tab's card, too, counts what it could not ask as none
    const QStringList warnings = r.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(warnings.size(), 1) << r.err.toStdString();
    EXPECT_TRUE(warnings[0].startsWith(u"norvane: warning: GitHub answered HTTP 500 for /search/issues ("_s))
        << warnings[0].toStdString();

    // A reply past the size bound is stopped mid-way with its status 200 already read: a failed query too.
    hub->clearFaults();
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 200,
                                           QByteArray("{}").leftJustified(HttpSession::kMaxReplyBytes + 1))
                         .times(1));
    r = runAs(u"me"_s, u"tok-me"_s, dashboard);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(parseJsonArray(r.out.toUtf8()).size(), 2);
    EXPECT_TRUE(
        r.err.startsWith(u"norvane: warning: The reply from 127.0.0.1 was larger than 32 MiB; Norvane "
                         "stopped reading it. (/search/issues ("_s))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count(u'\n'), 1);

    // Every query fails: nothing to print, and a failure.
    hub->clearFaults();
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/**"_s, 500));
    r = runAs(u"me"_s, u"tok-me"_s, dashboard);
    EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith(u"norvane: every query of the dashboard failed (10 of them): GitHub "
                                 "answered HTTP 500 for "_s))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count(u'\n'), 1);
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
    env.remove(u"SSL_CERT_FILE"_s);
    env.remove(u"SSL_CERT_DIR"_s);

    Result r = runAs(u"me"_s, u"tok-me"_s, {u"prs"_s}, env);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(r.err.startsWith(u"norvane: Network Error [search/issues (review-requested)]: The TLS "
                                 "certificate of 127.0.0.1 could not be verified ("_s))
        << r.err.toStdString();
    EXPECT_TRUE(hub->requests().empty());

    env.insert(u"SSL_CERT_FILE"_s, certificates.caFile());
    r = runAs(u"me"_s, u"tok-me"_s, {u"prs"_s, u"--json"_s}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(parseJsonArray(r.out.toUtf8()).size(), 6);
    EXPECT_EQ(hub->requests().size(), 3u + 4u * 6u);
}

// Stored accounts with their tokens in the keychain of scripts/desktop-session (a test of its own, labelled
// "desktop").
class CliKeychainTest : public CliTest
{
};

// Each account's token goes to its own host only: --api-url stands in for github.com, never for a GitHub
// Enterprise Server account's server, whose token and host stay together.
TEST_F(CliKeychainTest, EachStoredAccountsTokenGoesOnlyToItsOwnHost)
{
    start(sampleWorld()); // github.com's stand-in, given as --api-url
    fh::Scenario serverWorld = sampleWorld();
    for (fh::User& u : serverWorld.users)
        u.tokens = {u"ghe-"_s + u.login};
    fh::FakeHub::Options layout;
    layout.enterprise = true;
    fh::FakeHub server(serverWorld, layout);
    const QString suffix = QUuid::createUuid().toString(QUuid::Id128);
    GitHubAccount onGitHub{QUuid::createUuid(), u"me"_s, u"github_token_com_"_s + suffix, std::nullopt};
    GitHubAccount onServer{QUuid::createUuid(), u"me"_s, u"github_token_ghe_"_s + suffix, std::nullopt};
    onServer.host = server.baseUrl();
    QSettings(profile.filePath(u"preferences.ini"_s), QSettings::IniFormat)
        .setValue(u"github_accounts"_s, QJsonDocument(toJson(QList{onServer, onGitHub})).toJson());
    SystemKeychainService keychain;
    ASSERT_TRUE(runTask(keychain.save(u"tok-me"_s, onGitHub.tokenKey())));
    ASSERT_TRUE(runTask(keychain.save(u"ghe-me"_s, onServer.tokenKey())));

    const struct
    {
        QStringList account;
        fh::FakeHub* asked;
        fh::FakeHub* notAsked;
        QString authorization;
    } cases[] = {
        {{}, &server, hub.get(), u"token ghe-me"_s}, // the first stored account
        {{u"--account"_s, u"me@github.com"_s}, hub.get(), &server, u"token tok-me"_s},
    };
    for (const auto& c : cases) {
        hub->clearRequests();
        server.clearRequests();
        const Result r = run(QStringList{u"status"_s, u"--profile"_s, profile.path()} + c.account);
        EXPECT_EQ(r.exitCode, 0) << c.account.join(u' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(),
                  "red 5\nAll 6 · Review 2 · Pending 1 · Approved 2 · Changes 1 · Drafts 0\n");
        EXPECT_TRUE(c.notAsked->requests().empty()) << c.account.join(u' ').toStdString();
        const auto requests = c.asked->requests();
        EXPECT_EQ(requests.size(), 3u + 4u * 6u) << c.account.join(u' ').toStdString();
        for (const auto& request : requests)
            EXPECT_EQ(request.header(u"Authorization"_s), c.authorization) << request.path.toStdString();
    }
    runTask(keychain.remove(onGitHub.tokenKey()));
    runTask(keychain.remove(onServer.tokenKey()));
}
