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

#include <gtest/gtest.h>

namespace norvane::testing {

// A polling timer the test fires by hand.
class ManualPollingTimer final : public PollingTimer {
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

// A PRViewModel over a fakehub world, in-memory preferences and keychain, and a recording notifier.
class PRModelTest : public ::testing::Test {
protected:
    void startHub(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    PRViewModel& makeModel(bool withBundleId = true, std::optional<QString> pollOverride = std::nullopt,
                           bool debugMode = false)
    {
        PRViewModel::Dependencies deps{
            GitHubService(HttpSession(&nam, HttpSession::defaultUserAgent(), transferTimeoutMs),
                          hub ? hub->baseUrl() : QStringLiteral("http://127.0.0.1:9")),
            keychain,
            preferences,
            notifier,
            AppIdentity{withBundleId ? std::optional<QString>(QStringLiteral("com.norvane.app"))
                                     : std::nullopt,
                        QStringLiteral("1.0"), QStringLiteral("1")},
            nullptr,
            pollOverride,
            debugMode,
            QStringLiteral("https://github.example"),
            [this](const QString& line) { printed.append(line); },
            [this] { return clock; },
        };
        auto timerPtr = std::make_unique<ManualPollingTimer>();
        timer = timerPtr.get();
        deps.timer = std::move(timerPtr);
        model = std::make_unique<PRViewModel>(std::move(deps));
        return *model;
    }

    // Stores an account for `login` with its fakehub token, as a previous run would have.
    GitHubAccount storedAccount(const char* login, std::optional<QString> label = std::nullopt)
    {
        GitHubAccount account{QUuid::createUuid(), QString::fromLatin1(login),
                              QStringLiteral("github_token_") + uuidText(QUuid::createUuid()), label};
        (*keychain->storage())[account.tokenIdentifier] = QStringLiteral("tok-") + account.username;
        return account;
    }

    void storeAccounts(const QList<GitHubAccount>& accounts)
    {
        preferences->setData(QStringLiteral("github_accounts"), QJsonDocument(toJson(accounts)).toJson());
    }

    bool settle() { return waitUntil([this] { return !model->isRefreshing(); }); }

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
    std::shared_ptr<InMemoryKeychainService> keychain = std::make_shared<InMemoryKeychainService>();
    std::shared_ptr<RecordingNotifier> notifier = std::make_shared<RecordingNotifier>();
    ManualPollingTimer* timer = nullptr;
    QStringList printed;
    std::unique_ptr<PRViewModel> model;
};

} // namespace norvane::testing
