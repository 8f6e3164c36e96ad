#pragma once

#include "core/json_reader.h"
#include "core/stored_encoding.h"
#include "models/pr_view_model.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"
#include "support/run_task.h"
#include "support/world.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <coroutine>
#include <gtest/gtest.h>

namespace norvane::testing {

using namespace Qt::StringLiterals;

// A polling timer the test fires by hand.
class ManualPollingTimer final : public PollingTimer
{
public:
    void start(double seconds, std::function<void()> tick) override
    {
        interval = seconds;
        m_tick = std::move(tick);
        active = true;
        ++starts;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    void fire()
    {
        if (active && m_tick)
            m_tick();
    }

    double interval = 0;
    bool active = false;
    int starts = 0;

private:
    std::function<void()> m_tick;
};

// A token store that counts its reads and whose reads and saves of held identifiers wait until the test
// releases them, as a locked keyring's wait for its unlock prompt; with `refusesSaves` it keeps no token, as
// a keyring whose prompt was dismissed.
class HeldKeychain final : public KeychainService
{
public:
    explicit HeldKeychain(
        std::shared_ptr<InMemoryKeychainService> store = std::make_shared<InMemoryKeychainService>())
        : m_store(std::move(store))
    {
    }

    void put(const QString& tokenIdentifier, const QString& token)
    {
        (*m_store->storage())[tokenIdentifier] = token;
    }
    void erase(const QString& tokenIdentifier) { m_store->storage()->erase(tokenIdentifier); }

    // Holds every read of the identifier from now on, or only the next `reads`.
    void hold(const QString& tokenIdentifier, int reads = -1) { m_held.insert(tokenIdentifier, reads); }
    // Lets the waiting reads of the identifier finish, each to its end, before this returns.
    void release(const QString& tokenIdentifier)
    {
        m_held.remove(tokenIdentifier);
        for (std::coroutine_handle<> waiter : m_waiting.take(tokenIdentifier))
            waiter.resume();
    }
    qsizetype waiting(const QString& tokenIdentifier) const
    {
        return m_waiting.value(tokenIdentifier).size();
    }

    QCoro::Task<bool> save(QString token, QString tokenIdentifier) override
    {
        if (m_held.contains(tokenIdentifier)) {
            Wait wait{this, tokenIdentifier};
            co_await wait;
        }
        if (refusesSaves)
            co_return false;
        co_return co_await m_store->save(std::move(token), std::move(tokenIdentifier));
    }
    QCoro::Task<std::optional<QString>> getAsync(QString tokenIdentifier) override
    {
        ++reads;
        if (const auto held = m_held.find(tokenIdentifier); held != m_held.end() && *held != 0) {
            if (*held > 0)
                --*held;
            Wait wait{this, tokenIdentifier}; // a named local: g++ 12 destroys a temporary awaitable twice
            co_await wait;
        }
        co_return co_await m_store->getAsync(tokenIdentifier);
    }
    QCoro::Task<> remove(QString tokenIdentifier) override
    {
        return m_store->remove(std::move(tokenIdentifier));
    }

    int reads = 0;
    bool refusesSaves = false;

private:
    struct Wait
    {
        HeldKeychain* keychain;
        QString tokenIdentifier;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiter)
        {
            keychain->m_waiting[tokenIdentifier].append(waiter);
        }
        void await_resume() const noexcept {}
    };

    std::shared_ptr<InMemoryKeychainService> m_store;
    QHash<QString, int> m_held; // the reads still to hold; -1: all
    QHash<QString, QList<std::coroutine_handle<>>> m_waiting;
};

// A PRViewModel over a fakehub world, in-memory preferences and keychain, and a recording notifier.
class PRModelTest : public ::testing::Test
{
protected:
    void startHub(fh::Scenario world, fh::FakeHub::Options options = {})
    {
        hub = std::make_unique<fh::FakeHub>(std::move(world), std::move(options));
    }

    PRViewModel& makeModel()
    {
        HttpSession session(&nam, HttpSession::defaultUserAgent(), transferTimeoutMs);
        session.setResponseCache(cache);
        session.setRateLimitLedger(ledger);
        PRViewModel::Dependencies deps{
            GitHubService(session, hub ? hub->baseUrl() : u"http://127.0.0.1:9"_s),
            heldKeychain ? std::shared_ptr<KeychainService>(heldKeychain)
            : tokenStore ? tokenStore
                         : keychain,
            profile ? profile : preferences,
            notifier,
            AppIdentity{u"com.norvane.app"_s, u"1.0"_s, u"1"_s},
            nullptr,
            std::nullopt,
            false,
            u"https://github.example"_s,
            [this](const QString& line) { printed.append(line); },
            [this] { return clock; },
        };
        auto timerPtr = std::make_unique<ManualPollingTimer>();
        timer = timerPtr.get();
        deps.timer = std::move(timerPtr);
        auto feedTimerPtr = std::make_unique<ManualPollingTimer>();
        feedTimer = feedTimerPtr.get();
        deps.feedTimer = std::move(feedTimerPtr);
        deps.catchUpDelayMs = 20;
        deps.catchUpRetryMs = 20;
        model = std::make_unique<PRViewModel>(std::move(deps));
        return *model;
    }

    // Stores an account for `login` with its fakehub token, as a previous run would have.
    GitHubAccount storedAccount(const char* login, std::optional<QString> label = std::nullopt)
    {
        GitHubAccount account{QUuid::createUuid(), QString::fromLatin1(login),
                              u"github_token_"_s + uuidText(QUuid::createUuid()), label};
        (*keychain->storage())[account.tokenIdentifier] = u"tok-"_s + account.username;
        return account;
    }

    void storeAccounts(const QList<GitHubAccount>& accounts)
    {
        preferences->setData(u"github_accounts"_s, QJsonDocument(toJson(accounts)).toJson());
    }

    bool settle()
    {
        return waitUntil([this] { return !model->isRefreshing(); });
    }

    // A model that reads the stored accounts, has refreshed the first, and polls.
    PRViewModel& launch()
    {
        PRViewModel& m = makeModel();
        m.loadAccounts();
        EXPECT_TRUE(settle());
        m.startPolling();
        return m;
    }

    std::size_t searches() const { return hub->requests(u"GET"_s, u"/search/issues"_s).size(); }

    // A poll tick, run to its end.
    void poll()
    {
        timer->fire();
        ASSERT_TRUE(settle());
    }

    QStringList ids() const
    {
        QStringList out;
        for (const auto& p : model->pullRequests())
            out.append(p.id);
        return out;
    }

    const norvane::PullRequest* find(qint64 number) const
    {
        for (const auto& p : model->pullRequests()) {
            if (p.number == number)
                return &p;
        }
        return nullptr;
    }

    QNetworkAccessManager nam;
    QDateTime clock = QDateTime::currentDateTimeUtc(); // the model's "now"; tests move it by hand
    int transferTimeoutMs = HttpSession::kTimeoutMs;
    std::unique_ptr<fh::FakeHub> hub;
    std::shared_ptr<InMemoryPreferences> preferences = std::make_shared<InMemoryPreferences>();
    std::shared_ptr<Preferences> profile; // when set, the model's preferences instead (a file)
    std::shared_ptr<InMemoryKeychainService> keychain = std::make_shared<InMemoryKeychainService>();
    std::shared_ptr<HeldKeychain> heldKeychain;  // when set, the model reads tokens through it
    std::shared_ptr<KeychainService> tokenStore; // otherwise, when set, the model keeps tokens in it
    std::shared_ptr<ResponseCache> cache;        // when set, the model's answer cache
    std::shared_ptr<RateLimitLedger> ledger;     // when set, the model's rate-limit ledger
    std::shared_ptr<RecordingNotifier> notifier = std::make_shared<RecordingNotifier>();
    ManualPollingTimer* timer = nullptr;
    ManualPollingTimer* feedTimer = nullptr; // paces the notification-feed checks
    QStringList printed;
    std::unique_ptr<PRViewModel> model;
};

} // namespace norvane::testing
