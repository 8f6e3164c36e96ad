#include "models/pr_model_fixture.h"

#include <QDir>
#include <QTemporaryDir>

using namespace norvane;
using namespace norvane::testing;

namespace {

// me has one pull request of their own in acme/api and one review request in acme/web.
fh::Scenario smallWorld()
{
    fh::Scenario s = baseWorld();
    auto mine = pull("acme/api", 1, "me", "2026-12-01T10:00:00Z");
    auto requested = pull("acme/web", 2, "alice", "2026-12-02T10:00:00Z");
    requested.requestedReviewers = {u"me"_s};
    auto alices = pull("acme/api", 3, "alice", "2026-12-03T10:00:00Z");
    alices.requestedReviewers = {u"alice"_s};
    s.pullRequests = {mine, requested, alices};
    return s;
}

} // namespace

TEST_F(PRModelTest, LaunchSelectsTheFirstStoredAccountAndRefreshesItOnce)
{
    startHub(smallWorld());
    const GitHubAccount me = storedAccount("me", u"Work"_s);
    const GitHubAccount bob = storedAccount("bob");
    storeAccounts({me, bob});
    PRViewModel& m = makeModel();

    QList<bool> loadingSeen;
    QObject::connect(&m, &PRViewModel::isLoadingChanged, [&](bool loading) { loadingSeen.append(loading); });
    std::optional<GitHubAccount> seenBySignal;
    QObject::connect(&m, &PRViewModel::selectedAccountChanged, [&](const auto& a) {
        // The engine has already switched when observers hear about it.
        EXPECT_TRUE(m.isRefreshing());
        seenBySignal = a;
    });
    m.loadAccounts();
    EXPECT_EQ(m.accounts(), (QList<GitHubAccount>{me, bob}));
    EXPECT_EQ(m.selectedAccount(), me);
    EXPECT_EQ(seenBySignal, me);
    EXPECT_TRUE(m.isLoading());
    ASSERT_TRUE(settle());
    EXPECT_FALSE(m.isLoading());
    EXPECT_EQ(loadingSeen, (QList<bool>{true, false}));
    EXPECT_EQ(ids(), (QStringList{u"gh-1002"_s, u"gh-1001"_s}));
    EXPECT_EQ(searches(), 3u);
    // A launch that refreshes does not notify.
    EXPECT_TRUE(notifier->posts().empty());
}

TEST_F(PRModelTest, AddingAndRemovingAccounts)
{
    startHub(smallWorld());
    PRViewModel& m = makeModel();
    m.loadAccounts();
    m.startPolling();

    runTask(m.addAccount(u"me"_s, u"tok-me"_s, std::nullopt));
    ASSERT_EQ(m.accounts().size(), 1);
    const GitHubAccount me = m.accounts().first();
    EXPECT_EQ(keychain->storage()->at(me.tokenIdentifier), u"tok-me"_s);
    EXPECT_EQ(m.selectedAccount(), me);
    ASSERT_TRUE(settle());
    EXPECT_EQ(m.pullRequests().size(), 2);

    // The engine addresses a github.com account to this run's github.com, an Enterprise one to its server.
    EXPECT_EQ(m.endpoints(me).apiBaseURL, hub->baseUrl());
    GitHubAccount work = me;
    work.host = u"ghe.example.com:8443"_s;
    EXPECT_EQ(m.endpoints(work),
              (GitHubEndpoints{u"https://ghe.example.com:8443/api/v3"_s, u"https://ghe.example.com:8443"_s}));

    // A second account (even the same login) is stored but not selected.
    runTask(m.addAccount(u"bob"_s, u"tok-bob"_s, u"Side"_s));
    EXPECT_EQ(m.accounts().size(), 2);
    EXPECT_EQ(m.selectedAccount(), me);
    const GitHubAccount bob = m.accounts().at(1);

    // Removing the selected account selects the first remaining one and refreshes it.
    m.removeAccount(me);
    EXPECT_EQ(m.selectedAccount(), bob);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(m.pullRequests().isEmpty()); // bob has no pull requests in this world
    EXPECT_TRUE(waitUntil([&] { return keychain->storage()->count(me.tokenIdentifier) == 0; }));

    // Removing the last one leaves no selection and the last list in place.
    hub->addPullRequest(pull("acme/web", 9, "bob"));
    m.refresh();
    ASSERT_TRUE(settle());
    ASSERT_EQ(m.pullRequests().size(), 1);
    m.removeAccount(bob);
    EXPECT_FALSE(m.selectedAccount().has_value());
    EXPECT_FALSE(m.isRefreshing());
    EXPECT_EQ(m.pullRequests().size(), 1);
    // A poll tick then does nothing at all. (A tick during a run: the superseded-run test.)
    hub->clearRequests();
    timer->fire();
    EXPECT_FALSE(m.isRefreshing());
    EXPECT_TRUE(hub->requests().empty());
}

TEST_F(PRModelTest, RepositorySettingsAreWrittenThrough)
{
    PRViewModel& m = makeModel();
    m.setSelectedRepository(u"acme/api"_s);
    m.toggleFavorite(u"acme/api"_s);
    EXPECT_EQ(preferences->stringList(u"favorite_repositories"_s), QStringList{u"acme/api"_s});
    m.blockOwner(u"acme"_s);
    EXPECT_FALSE(m.selectedRepository().has_value()); // blocked by its owner: the selection resets
    EXPECT_FALSE(preferences->string(u"selected_repository"_s).has_value());
    EXPECT_EQ(preferences->stringList(u"blocked_repositories"_s), QStringList{u"acme"_s});
    EXPECT_EQ(m.favoriteRepositories(), QSet<QString>{u"acme/api"_s}); // favourites survive an owner block
    m.blockRepository(u"other/x"_s);
    m.toggleFavorite(u"other/y"_s);
    m.blockRepository(u"other/y"_s);
    EXPECT_FALSE(m.favoriteRepositories().contains(u"other/y"_s));
    EXPECT_EQ(preferences->stringList(u"favorite_repositories"_s), QStringList{u"acme/api"_s});
    EXPECT_EQ(preferences->stringList(u"blocked_repositories"_s).value_or(QStringList()).size(), 3);
    m.setSelectedSortOption(PRSortOption::repository);
    m.saveRepositorySettings();
    EXPECT_EQ(preferences->string(u"selected_sort_option"_s), u"Repository"_s);

    // Reading each of them back: the preferences-file test.
}

// A failure during a poll leaves no trace and the polling goes on; the same failure during a user refresh
// shows its description. Either way the list stays.
TEST_F(PRModelTest, RefreshFailuresAndWhatTheyLeaveBehind)
{
    transferTimeoutMs = 300;
    startHub(smallWorld());
    const GitHubAccount me = storedAccount("me");
    storeAccounts({me});
    PRViewModel& m = launch();
    const QStringList shown = ids();
    ASSERT_EQ(shown.size(), 2);

    const QString search = u"/search/issues"_s;
    const struct
    {
        fh::Fault fault;
        const char* message; // the start of what a user refresh shows
    } cases[] = {
        {fh::Fault::httpStatus(u"GET"_s, search, 502),
         "API Error [search/issues (review-requested)]: HTTP 502"},
        // The transfer timing out (a dropped connection reads the same: the GitHub tests).
        {fh::Fault::delayed(u"GET"_s, search, std::chrono::milliseconds(1500)),
         "Network Error [search/issues (review-requested)]: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        hub->clearFaults();
        m.refresh();
        ASSERT_TRUE(settle());
        ASSERT_FALSE(m.errorMessage().has_value());
        hub->injectFault(c.fault);
        poll();
        EXPECT_FALSE(m.errorMessage().has_value());
        EXPECT_EQ(ids(), shown);
        EXPECT_TRUE(timer->isActive());

        m.refresh();
        ASSERT_TRUE(settle());
        ASSERT_TRUE(m.errorMessage().has_value());
        EXPECT_TRUE(m.errorMessage()->startsWith(QString::fromUtf8(c.message)))
            << m.errorMessage()->toStdString();
        EXPECT_EQ(ids(), shown);
        EXPECT_FALSE(m.isLoading());
    }

    // A rejected token during a poll marks the account and clears the message.
    hub->clearFaults();
    (*keychain->storage())[me.tokenIdentifier] = u"revoked"_s;
    poll();
    EXPECT_EQ(m.reauthNeeded(), QSet<QUuid>{me.id});
    EXPECT_FALSE(m.errorMessage().has_value());
    EXPECT_EQ(ids(), shown);

    // A missing token names the login, whatever kind of refresh found it.
    keychain->storage()->erase(me.tokenIdentifier);
    poll();
    EXPECT_EQ(m.errorMessage(), u"Failed to retrieve token for me. Add token in Settings."_s);
    EXPECT_EQ(ids(), shown);
}

TEST_F(PRModelTest, ANewRefreshSupersedesTheOneInFlight)
{
    startHub(smallWorld());
    storeAccounts({storedAccount("me")});
    PRViewModel& m = makeModel();
    hub->injectFault(
        fh::Fault::delayed(u"GET"_s, u"/search/issues"_s, std::chrono::milliseconds(200)).times(1));
    m.loadAccounts(); // first run, slowed down
    ASSERT_TRUE(m.isRefreshing());
    hub->addPullRequest(pull("acme/api", 4, "me", "2026-12-05T10:00:00Z"));
    m.refresh(); // second run, started while the first waits for its first search
    ASSERT_TRUE(waitUntil([&] { return ids().size() == 3; }));
    waitUntil([] { return false; }, 300);
    // The list is the second run's; the first run's reply was thrown away.
    EXPECT_EQ(ids().first(), u"gh-1004"_s);
    EXPECT_EQ(ids().size(), 3);
    EXPECT_FALSE(m.isLoading());
    EXPECT_FALSE(m.errorMessage().has_value());
}

TEST_F(PRModelTest, AModelDestroyedMidRefreshNeverHearsFromIt)
{
    startHub(smallWorld());
    const GitHubAccount me = storedAccount("me");
    storeAccounts({me});
    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/search/**"_s, std::chrono::milliseconds(300)));
    PRViewModel& m = makeModel();
    m.loadAccounts();
    ASSERT_TRUE(waitUntil([this] { return !hub->requests(u"GET"_s, u"/search/**"_s).empty(); }));

    // Whatever the refresh does after the model started dying would reach observers of a half-destroyed
    // object; the sanitizers catch any later touch of the deleted one.
    bool dying = false;
    int heardWhileDying = 0;
    QObject::connect(&m, &PRViewModel::isLoadingChanged, [&] { heardWhileDying += dying; });
    QObject::connect(&m, &PRViewModel::errorMessageChanged, [&] { heardWhileDying += dying; });
    QObject::connect(&m, &PRViewModel::pullRequestsChanged, [&] { heardWhileDying += dying; });
    dying = true;
    model.reset();
    waitUntil([] { return false; }, 600);
    EXPECT_EQ(heardWhileDying, 0);
}

TEST_F(PRModelTest, TheListAlwaysBelongsToTheSelectedAccount)
{
    startHub(smallWorld());
    const GitHubAccount me = storedAccount("me");
    const GitHubAccount alice = storedAccount("alice");
    (*keychain->storage())[alice.tokenIdentifier] = u"revoked"_s;
    storeAccounts({me, alice});
    PRViewModel& m = makeModel();
    m.loadAccounts();
    ASSERT_TRUE(settle());
    ASSERT_EQ(ids().size(), 2);
    EXPECT_EQ(m.pullRequestsAccountId(), me.id);

    // Observers hear of the switch with the old rows already gone.
    QList<int> sizesSeen;
    QObject::connect(&m, &PRViewModel::selectedAccountChanged,
                     [&] { sizesSeen.append(int(m.pullRequests().size())); });
    m.setSelectedAccount(alice);
    EXPECT_EQ(sizesSeen, QList<int>{0});
    EXPECT_FALSE(m.hasListForSelectedAccount());
    ASSERT_TRUE(settle());
    // A rejected token leaves no list, and certainly not me's.
    EXPECT_TRUE(m.pullRequests().isEmpty());
    EXPECT_FALSE(m.hasListForSelectedAccount());
    EXPECT_TRUE(m.selectedAccountNeedsReauth());

    // The same account again keeps its list while it reloads.
    m.setSelectedAccount(me);
    ASSERT_TRUE(settle());
    ASSERT_EQ(ids().size(), 2);
    m.setSelectedAccount(me);
    EXPECT_EQ(ids().size(), 2);
    EXPECT_TRUE(m.hasListForSelectedAccount());
    EXPECT_FALSE(m.selectedAccountNeedsReauth());
    ASSERT_TRUE(settle());
}

// A token read may wait minutes behind an unlock prompt. A run superseded meanwhile (the user switched
// accounts) ends without touching its successor's flags, message or list, whatever the read brought.
TEST_F(PRModelTest, ARunSupersededWhileReadingItsTokenLeavesItsSuccessorAlone)
{
    const struct
    {
        const char* name;
        bool tokenStored;
    } cases[] = {{"token missing", false}, {"token read", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startHub(smallWorld());
        keychain = std::make_shared<InMemoryKeychainService>();
        heldKeychain = std::make_shared<HeldKeychain>(keychain);
        const GitHubAccount me = storedAccount("me");
        const GitHubAccount alice = storedAccount("alice");
        storeAccounts({me, alice});
        if (!c.tokenStored)
            keychain->storage()->erase(me.tokenIdentifier);
        heldKeychain->hold(me.tokenIdentifier);
        heldKeychain->hold(alice.tokenIdentifier);
        PRViewModel& m = makeModel();
        m.startPolling();
        m.loadAccounts();            // me's run waits for its token ...
        m.setSelectedAccount(alice); // ... when alice's run replaces it, and waits too
        ASSERT_EQ(heldKeychain->waiting(me.tokenIdentifier), 1);

        heldKeychain->release(me.tokenIdentifier);
        waitUntil([&] { return !m.isLoading() || m.errorMessage(); }, 200);
        EXPECT_FALSE(m.errorMessage().has_value()) << m.errorMessage().value_or(QString()).toStdString();
        EXPECT_TRUE(m.isLoading());
        EXPECT_TRUE(m.isRefreshing());
        timer->fire(); // skipped: alice's run is still going
        EXPECT_EQ(heldKeychain->waiting(alice.tokenIdentifier), 1);

        heldKeychain->release(alice.tokenIdentifier);
        ASSERT_TRUE(settle());
        EXPECT_FALSE(m.isLoading());
        EXPECT_FALSE(m.errorMessage().has_value());
        EXPECT_EQ(ids(), (QStringList{u"gh-1003"_s, u"gh-1002"_s}));
        for (const auto& request : hub->requests(u"GET"_s, u"/search/issues"_s))
            EXPECT_TRUE(request.query.contains(u"alice"_s)) << request.query.toStdString();
        model.reset();
        heldKeychain.reset();
    }
}

// Removing an account stops its refresh before forgetting what it stored, so no late reply writes its
// answers or rate-limit readings again, even when no account is left to select.
TEST_F(PRModelTest, RemovingAnAccountStopsItsRefreshBeforeForgettingIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    cache = std::make_shared<ResponseCache>(folder.path());
    ledger = std::make_shared<RateLimitLedger>();
    startHub(smallWorld());
    const GitHubAccount me = storedAccount("me");
    storeAccounts({me});
    PRViewModel& m = makeModel();
    m.loadAccounts();
    ASSERT_TRUE(settle());
    const auto folders = [&] { return QDir(folder.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); };
    ASSERT_EQ(folders().size(), 1);
    ASSERT_FALSE(ledger->readings(uuidText(me.id)).isEmpty());

    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/repos/**"_s, std::chrono::milliseconds(300)));
    hub->clearRequests();
    m.refresh();
    ASSERT_TRUE(waitUntil([&] { return !hub->requests(u"GET"_s, u"/repos/**"_s).empty(); }));
    m.removeAccount(me);
    ASSERT_TRUE(waitUntil([&] { return !m.isRefreshing(); }));
    waitUntil([] { return false; }, 600); // the delayed answers have come and gone
    EXPECT_TRUE(folders().isEmpty());
    EXPECT_TRUE(ledger->readings(uuidText(me.id)).isEmpty());
    EXPECT_FALSE(m.isLoading());
    EXPECT_FALSE(m.errorMessage().has_value());
}

// The same for its notification-feed check and its marks: whatever the late answer says (an answer to cache,
// a rate limit, a refusal), nothing of the account is written again once it is gone.
TEST_F(PRModelTest, RemovingAnAccountStopsItsFeedCheckAndDropsItsMarks)
{
    const struct
    {
        const char* what;
        const char* token;
        bool rateLimited;
    } cases[] = {{"a fresh answer", "tok-me", false},
                 {"a rate-limit answer", "tok-me", true},
                 {"a refused token", "revoked", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        cache = std::make_shared<ResponseCache>(folder.path());
        ledger = std::make_shared<RateLimitLedger>();
        startHub(smallWorld());
        const GitHubAccount me = storedAccount("me");
        (*keychain->storage())[me.tokenIdentifier] = QString::fromLatin1(c.token);
        storeAccounts({me});
        PRViewModel& m = launch();
        EXPECT_EQ(m.reauthNeeded().contains(me.id), c.token == std::string_view("revoked"));
        if (c.rateLimited)
            hub->exhaustRateLimit(u"core"_s);
        hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/notifications"_s, std::chrono::milliseconds(1000)));
        feedTimer->fire();
        ASSERT_TRUE(waitUntil([&] { return !hub->requests(u"GET"_s, u"/notifications"_s).empty(); }));
        ASSERT_FALSE(feedTimer->active) << "the check is in flight";

        m.removeAccount(me);
        // The next check is scheduled once this one is over: at the removal, or after its late answer.
        ASSERT_TRUE(waitUntil([&] { return feedTimer->active; }));
        EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
        EXPECT_TRUE(ledger->readings(uuidText(me.id)).isEmpty());
        EXPECT_EQ(m.pollsPausedUntil(me.id), std::nullopt);
        EXPECT_TRUE(m.reauthNeeded().isEmpty());
        model.reset();
    }
}
