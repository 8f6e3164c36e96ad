#include "core/stored_encoding.h"
#include "failure.h"
#include "github/github_service.h"
#include "github/rate_limit.h"
#include "github/response_cache.h"
#include "support/run_task.h"
#include "support/translation.h"
#include "support/world.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::testing;
using AS = norvane::PullRequest::ApprovalStatus;

namespace {

const QUuid kMe = QUuid::fromString(u"{6f1c1f0e-0000-4000-8000-000000000001}"_s);
const QUuid kAlice = QUuid::fromString(u"{6f1c1f0e-0000-4000-8000-000000000002}"_s);

class ConditionalRequestsTest : public ::testing::Test
{
protected:
    ConditionalRequestsTest()
    {
        session.setResponseCache(std::make_shared<ResponseCache>(cacheDir.path()));
        session.setRateLimitLedger(std::make_shared<RateLimitLedger>());
    }

    void start(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    QList<norvane::PullRequest> fetch(const QUuid& account, const QString& login, const QString& token)
    {
        return runTask(GitHubService(session, hub->baseUrl())
                           .forAccount(GitHubAccount{account, login, QString(), std::nullopt})
                           .fetchPullRequests(login, token));
    }
    QList<norvane::PullRequest> fetchMine() { return fetch(kMe, u"me"_s, u"tok-me"_s); }
    int corePointsUsed(const char* token = "tok-me")
    {
        return hub->rateLimit(QString::fromLatin1(token)).used;
    }
    int conditionalRequests()
    {
        int n = 0;
        for (const auto& r : hub->requests())
            n += r.header(u"If-None-Match"_s).isEmpty() ? 0 : 1;
        return n;
    }

    QTemporaryDir cacheDir;
    QNetworkAccessManager nam;
    HttpSession session{&nam, u"Norvane/test"_s};
    std::unique_ptr<fh::FakeHub> hub;
};

// Both users see acme/api: #1 is mine with alice asked to review, #2 is alice's with me asked to review.
fh::Scenario sharedWorld()
{
    fh::Scenario s = baseWorld();
    auto mine = pull("acme/api", 1, "me", "2026-12-01T10:00:00Z");
    mine.requestedReviewers = {u"alice"_s};
    auto theirs = pull("acme/api", 2, "alice", "2026-12-02T10:00:00Z");
    theirs.requestedReviewers = {u"me"_s};
    s.pullRequests = {mine, theirs};
    return s;
}

// The records in their stored form, so two fetches compare field by field.
QByteArrayList stored(const QList<norvane::PullRequest>& prs)
{
    QByteArrayList out;
    for (const auto& pr : prs)
        out.append(QJsonDocument(toJson(pr)).toJson(QJsonDocument::Compact));
    return out;
}

} // namespace

TEST_F(ConditionalRequestsTest, AnUnchangedWorldCostsNothingAndAChangeOnlyItsOwnAnswers)
{
    start(sharedWorld());
    const auto first = fetchMine();
    EXPECT_EQ(corePointsUsed(), 2 * 4);
    EXPECT_EQ(conditionalRequests(), 0);

    hub->clearRequests();
    const auto second = fetchMine();
    EXPECT_EQ(stored(second), stored(first));
    EXPECT_EQ(corePointsUsed(), 2 * 4) << "every per-pull-request answer should have been a 304";
    EXPECT_EQ(conditionalRequests(), 3 + 2 * 4);

    // A review on #1 changes its reviews and its detail (updated_at); #2 and the CI answers stay 304s.
    hub->addReview(u"acme/api"_s, 1, review("alice", "APPROVED", nullptr));
    const auto third = fetchMine();
    EXPECT_EQ(corePointsUsed(), 2 * 4 + 2);
    const auto it = std::find_if(third.begin(), third.end(), [](const auto& pr) { return pr.number == 1; });
    ASSERT_NE(it, third.end());
    EXPECT_EQ(it->approvalStatus, AS::approved);
}

TEST_F(ConditionalRequestsTest, AccountsAndTokensNeverShareAnAnswer)
{
    start(sharedWorld());
    fetchMine();

    // alice sees the same repository and the same pull requests, through her own part of the cache.
    hub->clearRequests();
    fetch(kAlice, u"alice"_s, u"tok-alice"_s);
    EXPECT_EQ(conditionalRequests(), 0);

    // The same account with another token (a reconnect) does not reuse what the old token was told.
    hub->mutate([](fh::Scenario& s) {
        for (fh::User& u : s.users) {
            if (u.login == QLatin1String("me"))
                u.tokens.append(u"tok-me-2"_s);
        }
    });
    hub->clearRequests();
    fetch(kMe, u"me"_s, u"tok-me-2"_s);
    EXPECT_EQ(conditionalRequests(), 0);

    // Removing the account removes its answers, and only its answers; what its requests bring afterwards (a
    // late answer) is kept for it no more, nor its readings.
    const GitHubService service(session, hub->baseUrl());
    service.forgetAccount(kMe);
    EXPECT_FALSE(QDir(cacheDir.filePath(uuidText(kMe))).exists());
    EXPECT_TRUE(QDir(cacheDir.filePath(uuidText(kAlice))).exists());
    EXPECT_EQ(fetchMine().size(), 2);
    EXPECT_FALSE(QDir(cacheDir.filePath(uuidText(kMe))).exists());
    EXPECT_TRUE(service.rateLimits(kMe).isEmpty());
    EXPECT_FALSE(service.rateLimits(kAlice).isEmpty());
}

// A github.com-like hub and an Enterprise-like one side by side, one account on each, through one service.
TEST_F(ConditionalRequestsTest, EachAccountTalksOnlyToItsOwnHostWithItsOwnToken)
{
    start(sharedWorld());
    fh::Scenario enterpriseWorld = sharedWorld();
    for (fh::User& u : enterpriseWorld.users)
        u.tokens = {u"ghe-"_s + u.login};
    fh::FakeHub::Options layout;
    layout.enterprise = true;
    fh::FakeHub enterprise(enterpriseWorld, layout);
    const QUuid kWork = QUuid::fromString(u"{6f1c1f0e-0000-4000-8000-000000000003}"_s);
    GitHubAccount work{kWork, u"me"_s, QString(), std::nullopt};
    work.host = enterprise.baseUrl();
    const GitHubService service(session, hub->baseUrl());

    const auto cached = [&](const QUuid& account) {
        QByteArray all;
        for (const QFileInfo& f : QDir(cacheDir.filePath(uuidText(account))).entryInfoList(QDir::Files)) {
            QFile file(f.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            all += file.readAll();
        }
        return all;
    };
    for (int round = 0; round < 2; ++round) { // the second round is answered by 304s from each host's cache
        const auto mine = runTask(service.forAccount(GitHubAccount{kMe, u"me"_s, QString(), std::nullopt})
                                      .fetchPullRequests(u"me"_s, u"tok-me"_s));
        const auto ours = runTask(service.forAccount(work).fetchPullRequests(u"me"_s, u"ghe-me"_s));
        ASSERT_EQ(mine.size(), 2);
        ASSERT_EQ(ours.size(), 2);
        for (const auto& pr : mine)
            EXPECT_TRUE(pr.url.startsWith(hub->baseUrl() + u'/')) << pr.url.toStdString();
        for (const auto& pr : ours)
            EXPECT_TRUE(pr.url.startsWith(enterprise.baseUrl() + u'/')) << pr.url.toStdString();
    }
    ASSERT_FALSE(enterprise.requests().empty());
    for (const auto& r : enterprise.requests()) {
        EXPECT_TRUE(r.path.startsWith(u"/api/v3/"_s)) << r.path.toStdString();
        EXPECT_EQ(r.header(u"Authorization"_s), u"token ghe-me"_s);
    }
    for (const auto& r : hub->requests())
        EXPECT_EQ(r.header(u"Authorization"_s), u"token tok-me"_s);

    // Each account's cache folder and rate-limit readings hold its own host's answers only.
    const QByteArray ourCache = cached(kWork);
    EXPECT_TRUE(ourCache.contains(enterprise.apiUrl().toUtf8()));
    EXPECT_FALSE(ourCache.contains(hub->baseUrl().toUtf8()));
    EXPECT_FALSE(cached(kMe).contains(enterprise.baseUrl().toUtf8()));
    const auto readings = service.rateLimits(kWork);
    ASSERT_TRUE(readings.contains(u"core"_s));
    EXPECT_EQ(readings[u"core"_s].remaining, enterprise.rateLimit(u"ghe-me"_s).remaining);
}

TEST_F(ConditionalRequestsTest, DamagedEntriesAreMissesNeverErrors)
{
    start(sharedWorld());
    const auto first = fetchMine();
    QDirIterator files(cacheDir.path(), QDir::Files, QDirIterator::Subdirectories);
    int damaged = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll();
        file.resize(0);
        file.seek(0);
        // Alternate between a cut-off entry and garbage.
        file.write(damaged++ % 2 ? bytes.left(bytes.size() - 3) : QByteArray("\x00\xff garbage", 10));
    }
    ASSERT_GT(damaged, 0);
    hub->clearRequests();
    EXPECT_EQ(stored(fetchMine()), stored(first));
    EXPECT_EQ(conditionalRequests(), 0);
}

// An entry that is intact but no longer decodes (written by a Norvane that read answers otherwise, say) is
// not handed back on GitHub's 304 for ever: it is dropped, asked for afresh once, and stored anew.
TEST_F(ConditionalRequestsTest, AStoredAnswerThatNoLongerDecodesIsAskedForAfreshOnce)
{
    start(sharedWorld());
    const auto first = fetchMine();
    const int asked = int(hub->requests().size());
    QDirIterator files(cacheDir.path(), QDir::Files, QDirIterator::Subdirectories);
    int rewritten = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QList<QByteArray> lines = file.readAll().split('\n');
        ASSERT_GT(lines.size(), 3);
        const QString url = QString::fromUtf8(lines[1].mid(4)); // "url ..."
        const QByteArray key = lines[2].mid(11);                // "credential ..."
        file.seek(0);
        const auto stored = ResponseCache::decodeEntry(file.readAll(), url, key);
        ASSERT_TRUE(stored) << url.toStdString();
        CachedResponse undecodable = *stored;
        undecodable.body = "null"; // valid JSON that no reply decodes from, with its digest
        file.resize(0);
        file.seek(0);
        file.write(ResponseCache::encodeEntry(url, key, undecodable));
        ++rewritten;
    }
    ASSERT_EQ(rewritten, asked); // every answer was stored
    hub->clearRequests();
    EXPECT_EQ(stored(fetchMine()), stored(first));
    EXPECT_EQ(int(hub->requests().size()), 2 * asked); // each confirmed by a 304, then asked afresh once
    EXPECT_EQ(conditionalRequests(), asked);
    hub->clearRequests();
    EXPECT_EQ(stored(fetchMine()), stored(first));
    EXPECT_EQ(conditionalRequests(), int(hub->requests().size())); // all stored anew
}

// A reply past the session's bound is cut off and fails its query by name, straight or after a redirect
// within the host, and is never stored; one of exactly the bound is read and stored as usual.
TEST_F(ConditionalRequestsTest, AnOversizedReplyFailsItsQueryAndIsNeverStored)
{
    start(sharedWorld());
    const ScopedTranslation english(u"en"_s); // the English forms of counted texts, as the program has them
    ASSERT_TRUE(english.installed());
    constexpr qint64 bound = 16 * 1024;
    session.setMaxReplyBytes(bound);
    const QByteArray noResults = R"({"total_count":0,"incomplete_results":false,"items":[]})";
    struct Case
    {
        const char* name;
        bool redirected;
        qint64 size;
        int storedAnswers; // -1: the fetch fails
    };
    const Case cases[] = {
        {"one byte over", false, bound + 1, -1},
        {"far over, after a redirect", true, 64 * bound, -1},
        {"exactly the bound", false, bound, 3},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        session.setResponseCache(std::make_shared<ResponseCache>(dir.path()));
        hub->clearFaults();
        if (c.redirected)
            hub->injectFault(fh::Fault::redirect(u"GET"_s, u"/search/issues"_s, 301).times(1));
        hub->injectFault(
            fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 200, noResults.leftJustified(c.size))
                .withHeader("ETag", "\"big\""));
        const auto e = failureOf([&] { fetchMine(); });
        if (c.storedAnswers < 0) {
            ASSERT_TRUE(e.has_value()) << c.name;
            EXPECT_EQ(e->kind(), GitHubAPIError::Kind::networkError) << c.name;
            EXPECT_TRUE(
                e->errorDescription().startsWith(u"Network Error [search/issues (review-requested)]: "_s))
                << e->errorDescription().toStdString();
            EXPECT_TRUE(e->errorDescription().contains(u"larger than 16384 bytes"_s)) << c.name;
        } else {
            EXPECT_FALSE(e.has_value()) << c.name << ": " << e->errorDescription().toStdString();
        }
        int files = 0;
        for (QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
            ++files;
        EXPECT_EQ(files, std::max(c.storedAnswers, 0)) << c.name;
    }
}

// An answer without validators replaces the stored one: its validators are not sent again, or a 304 to
// them would bring back the answer that was replaced.
TEST_F(ConditionalRequestsTest, AnAnswerWithoutValidatorsDropsTheStoredOne)
{
    start(sharedWorld());
    fetchMine();
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 200,
                                           R"({"total_count":0,"incomplete_results":false,"items":[]})"));
    EXPECT_TRUE(fetchMine().isEmpty());
    hub->clearFaults();
    hub->clearRequests();
    EXPECT_EQ(fetchMine().size(), 2);
    EXPECT_EQ(conditionalRequests(), 2 * 4) << "only the per-pull-request answers are still stored";
}

TEST(ResponseCacheEntry, OnlyAnExactEntryForTheAddressAndCredentialReadsBack)
{
    const CachedResponse stored{"W/\"abc\"", "Thu, 05 Jul 2012 15:31:30 GMT", "{\"a\":1}\n"};
    const QString url = u"https://api.github.com/repos/o/r/pulls/1"_s;
    const QByteArray key = ResponseCache::credentialKey("token t1");
    const QByteArray good = ResponseCache::encodeEntry(url, key, stored);
    EXPECT_EQ(ResponseCache::decodeEntry(good, url, key), stored);

    QByteArray longer = good;
    longer.append('x');
    QByteArray wrongLength = good;
    wrongLength.replace("body 8\n", "body 9\n");
    const struct
    {
        const char* what;
        QByteArray bytes;
        QString url;
        QByteArray key;
    } misses[] = {
        {"empty", {}, url, key},
        {"cut off", good.left(good.size() - 1), url, key},
        {"trailing bytes", longer, url, key},
        {"length disagrees", wrongLength, url, key},
        {"another address", good, url + u"/reviews"_s, key},
        {"another token", good, url, ResponseCache::credentialKey("token t2")},
        {"no validators", ResponseCache::encodeEntry(url, key, {{}, {}, "{}"}), url, key},
        {"unknown format", QByteArray(good).replace("cache 2", "cache 3"), url, key},
        // Damage that keeps the length: the digest no longer matches the body.
        {"body changed", QByteArray(good).replace("{\"a\":1}", "{\"a\":2}"), url, key},
        {"digest changed", QByteArray(good).replace("digest ", "digest 0"), url, key},
    };
    for (const auto& m : misses)
        EXPECT_EQ(ResponseCache::decodeEntry(m.bytes, m.url, m.key), std::nullopt) << m.what;
}

TEST(RateLimitHit, OnlyAnswersGitHubMarksAsLimitsCount)
{
    const QDateTime now = utc("2026-12-07T10:00:00Z");
    const QByteArray primaryBody = R"({"message":"API rate limit exceeded for user ID 1."})";
    const QByteArray secondaryBody =
        R"({"message":"You have exceeded a secondary rate limit. Please wait."})";
    const HeaderList spent{{"X-RateLimit-Remaining", "0"},
                           {"X-RateLimit-Limit", "5000"},
                           {"X-RateLimit-Reset", QByteArray::number(now.addSecs(1200).toSecsSinceEpoch())}};
    using K = RateLimitHit::Kind;
    const struct
    {
        const char* what;
        int status;
        HeaderList headers;
        QByteArray body;
        std::optional<std::pair<K, qint64>> expected; // kind and seconds from now
    } cases[] = {
        {"primary: nothing remaining, until the reset", 403, spent, primaryBody, std::pair{K::primary, 1200}},
        {"secondary with Retry-After",
         403,
         {{"Retry-After", "30"}},
         secondaryBody,
         std::pair{K::secondary, 30}},
        {"header names in any case", 429, {{"retry-after", "90"}}, {}, std::pair{K::secondary, 90}},
        {"secondary without a time waits a minute",
         403,
         {{"X-RateLimit-Remaining", "4000"}},
         secondaryBody,
         std::pair{K::secondary, 60}},
        {"a refusal with budget left is no limit",
         403,
         {{"X-RateLimit-Remaining", "4000"}},
         R"({"message":"Resource not accessible by integration"})",
         std::nullopt},
        {"a 500 is no limit", 500, spent, primaryBody, std::nullopt},
        {"a reset in the past still waits a minute",
         403,
         {{"X-RateLimit-Remaining", "0"}, {"X-RateLimit-Reset", "100"}},
         primaryBody,
         std::pair{K::primary, 60}},
        // A clock behind GitHub's or a bad header never pauses for more than an hour.
        {"a reset in year 9999 waits an hour",
         429,
         {{"X-RateLimit-Remaining", "0"}, {"X-RateLimit-Reset", "253402300700"}},
         {},
         std::pair{K::primary, 3600}},
        {"a Retry-After date in year 9999 waits an hour",
         429,
         {{"Retry-After", "Fri, 31 Dec 9999 23:59:59 GMT"}},
         {},
         std::pair{K::secondary, 3600}},
    };
    for (const auto& c : cases) {
        const auto hit = rateLimitHit(c.status, c.headers, c.body, now);
        ASSERT_EQ(hit.has_value(), c.expected.has_value()) << c.what;
        if (hit) {
            EXPECT_EQ(hit->kind, c.expected->first) << c.what;
            EXPECT_EQ(now.secsTo(hit->retryAt), c.expected->second) << c.what;
        }
    }
}

TEST_F(ConditionalRequestsTest, ALimitEndsTheFetchWithItsRetryTimeInsteadOfAListWithoutVerdicts)
{
    start(sharedWorld());
    const auto expectRetryAt = [&](qint64 expected, int status, const char* what) {
        const auto e = failureOf([&] { fetchMine(); });
        ASSERT_TRUE(e && e->retryAt().has_value()) << what;
        EXPECT_NEAR(double(e->retryAt()->toSecsSinceEpoch()), double(expected), 2.0) << what;
        EXPECT_EQ(e->statusCode(), status) << what;
    };
    // The searches still answer, but every per-pull-request query meets the spent core budget.
    hub->exhaustRateLimit(u"core"_s);
    expectRetryAt(hub->rateLimit(u"tok-me"_s).reset, 403, "primary");

    hub->setRateLimit(u"core"_s, 5000);
    hub->advanceClock(std::chrono::hours(1));
    hub->secondaryRateLimit(std::chrono::seconds(45), 429);
    expectRetryAt(QDateTime::currentSecsSinceEpoch() + 45, 429, "secondary");

    // The ledger kept what GitHub said last about each budget: the spent core one from the first attempt.
    const auto readings = GitHubService(session, hub->baseUrl()).rateLimits(kMe);
    EXPECT_EQ(readings.keys(), (QStringList{u"core"_s, u"search"_s}));
    EXPECT_EQ(readings.value(u"core"_s).remaining, 0);
    EXPECT_EQ(readings.value(u"core"_s).limit, 5000);
}

// A limit met by the reviews or CI queries names the query, as every other error does, not its address.
TEST_F(ConditionalRequestsTest, ALimitMetByReviewsOrCINamesTheQuery)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/repos/acme/api/pulls/1/reviews", "repos/acme/api/pulls/1/reviews"},
        {"/repos/acme/api/commits/sha1/check-runs", "repos/acme/api/commits/sha1/check-runs"},
    };
    start(sharedWorld());
    for (const auto& [path, label] : cases) {
        hub->clearFaults();
        hub->injectFault(fh::Fault::httpStatus(u"GET"_s, QString::fromLatin1(path), 429,
                                               R"({"message":"You have exceeded a secondary rate limit."})")
                             .withHeader("Retry-After", "30"));
        const auto e = failureOf([&] { fetchMine(); });
        ASSERT_TRUE(e.has_value()) << path;
        EXPECT_EQ(e->endpoint(), QString::fromLatin1(label));
        EXPECT_TRUE(e->retryAt().has_value()) << path;
    }
}

TEST(RateLimitLedger, KeepsTheLowestCountOfAWindowAndEachNewWindow)
{
    const QDateTime reset = utc("2026-12-07T11:00:00Z");
    RateLimitLedger ledger;
    ledger.record(u"a"_s, {u"core"_s, 5000, 4800, reset});
    ledger.record(u"a"_s, {u"core"_s, 5000, 4801, reset}); // arrived late
    EXPECT_EQ(ledger.readings(u"a"_s).value(u"core"_s).remaining, 4800);
    ledger.record(u"a"_s, {u"core"_s, 5000, 4999, reset.addSecs(3600)});
    EXPECT_EQ(ledger.readings(u"a"_s).value(u"core"_s).remaining, 4999);
    EXPECT_TRUE(ledger.readings(u"b"_s).isEmpty());
}

TEST(ResponseCacheStore, StaysWithinItsBoundDroppingTheOldestAndOnlyForItsUser)
{
    QTemporaryDir dir;
    ResponseCache cache(dir.filePath(u"http"_s), 16 * 1024);
    const QByteArray body(1000, 'x');
    for (int i = 0; i < 40; ++i) {
        const QUrl url(u"https://api.github.com/repos/o/r/pulls/%1"_s.arg(i));
        cache.store(u"acct"_s, url, "token t", {"\"e\"", {}, body});
    }
    qint64 total = 0;
    QDirIterator files(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        total += QFileInfo(files.next()).size();
    EXPECT_LE(total, 16 * 1024);
    EXPECT_TRUE(cache.find(u"acct"_s, QUrl(u"https://api.github.com/repos/o/r/pulls/39"_s), "token t"));
    EXPECT_FALSE(cache.find(u"acct"_s, QUrl(u"https://api.github.com/repos/o/r/pulls/0"_s), "token t"));
    for (const QString& folder : {dir.filePath(u"http"_s), dir.filePath(u"http/acct"_s)})
        EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions())
            << folder.toStdString();
}
