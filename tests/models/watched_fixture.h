#pragma once

// The world the issues and dashboard model tests share: a fakehub, an in-memory token store that counts
// its reads, in-memory preferences, one WatchedRepoStore, and the accounts "me" and "alice".

#include "models/pr_model_fixture.h"
#include "models/repo_activity_model.h"
#include "models/watched_repo_store.h"
#include "support/wait.h"

#include <chrono>
#include <ostream>

// Readable failure output for Qt strings (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace norvane::testing {

using namespace std::chrono_literals;

inline fh::Repository repository(const char* owner, const char* name)
{
    fh::Repository r;
    r.id = qHash(QString::fromLatin1(owner) + QString::fromLatin1(name)) % 100'000 + 1'000;
    r.owner = QString::fromLatin1(owner);
    r.name = QString::fromLatin1(name);
    r.defaultBranch = u"main"_s;
    r.createdAt = utc("2024-01-01T00:00:00Z");
    return r;
}

inline fh::Issue openIssue(qint64 id, const char* title, const char* updated)
{
    fh::Issue i;
    i.id = id;
    i.number = id % 1000;
    i.title = QString::fromLatin1(title);
    i.author = u"alice"_s;
    i.state = u"open"_s;
    i.createdAt = utc("2026-11-01T08:00:00Z");
    i.updatedAt = utc(updated);
    return i;
}

class WatchedModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        keychain->put(me.tokenIdentifier, u"tok-me"_s);
        keychain->put(alice.tokenIdentifier, u"tok-alice"_s);
    }

    // The base world plus acme/ops, with one issue each in acme/api, acme/web and acme/ops.
    static fh::Scenario issueWorld()
    {
        fh::Scenario s = baseWorld();
        s.repositories.append(repository("acme", "ops"));
        s.repository(u"acme/api"_s)->issues = {openIssue(11, "api issue", "2026-12-01T10:00:00Z")};
        s.repository(u"acme/web"_s)->issues = {openIssue(21, "web issue", "2026-12-03T10:00:00Z")};
        s.repository(u"acme/ops"_s)->issues = {openIssue(31, "ops issue", "2026-12-02T10:00:00Z")};
        return s;
    }

    void start(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    // "Today" is 2026-12-06 in UTC.
    RepoActivityModel::Dependencies deps()
    {
        GitHubService::Options options;
        options.now = [] { return utc("2026-12-06T10:00:00Z"); };
        options.timeZone = QTimeZone::utc();
        return {GitHubService(HttpSession(&nam), hub->baseUrl(), options), keychain, store};
    }

    void watch(const GitHubAccount& account, std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            store->add(QString::fromLatin1(name), account.id);
    }

    std::size_t requestCount(const char* pattern = "**") const
    {
        return hub->requests(u"GET"_s, QString::fromLatin1(pattern)).size();
    }

    // Lets the event loop run for a while, for checks that something does NOT happen.
    static void settle(int ms)
    {
        waitUntil([] { return false; }, ms);
    }

    // Waits for the load in flight to end.
    static bool settled(const RepoActivityModel& model, int ms = 10000)
    {
        return waitUntil([&] { return !model.isLoading(); }, ms);
    }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
    std::shared_ptr<HeldKeychain> keychain = std::make_shared<HeldKeychain>();
    std::shared_ptr<InMemoryPreferences> preferences = std::make_shared<InMemoryPreferences>();
    std::shared_ptr<WatchedRepoStore> store = std::make_shared<WatchedRepoStore>(preferences);
    const GitHubAccount me{QUuid::fromString(u"AAAAAAAA-0000-4000-8000-000000000001"_s), u"me"_s, u"tid-me"_s,
                           std::nullopt};
    const GitHubAccount alice{QUuid::fromString(u"AAAAAAAA-0000-4000-8000-000000000002"_s), u"alice"_s,
                              u"tid-alice"_s, u"Work"_s};
};

} // namespace norvane::testing
