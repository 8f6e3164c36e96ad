#pragma once

// What the panel's tests share: an engine over in-memory services, the two palettes, and a check for text
// shown as written.

#include "core/github_account.h"
#include "core/stored_encoding.h"
#include "github/github_service.h"
#include "github/http_session.h"
#include "models/pr_view_model.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"
#include "platform/url_opener.h"
#include "screenshots/theme_palette.h"
#include "support/wait.h"
#include "ui/panel/content_view.h"
#include "ui/settings/add_account_view.h"

#include <QAction>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace norvane::testing {

// Ticks only when a test says so.
class ManualTimer final : public PollingTimer
{
public:
    void start(double, std::function<void()> tick) override
    {
        m_tick = std::move(tick);
        ++starts;
    }
    void stop() override { m_tick = nullptr; }
    bool isActive() const override { return bool(m_tick); }

    int starts = 0;

private:
    std::function<void()> m_tick;
};

struct EngineWorld
{
    // Destroyed models cancel their requests from the event loop; those cancels run here, while the network
    // is still there, so no request outlives the test.
    ~EngineWorld() { QCoreApplication::sendPostedEvents(); }

    QNetworkAccessManager network;
    std::shared_ptr<InMemoryPreferences> preferences = std::make_shared<InMemoryPreferences>();
    std::shared_ptr<InMemoryKeychainService> keychain = std::make_shared<InMemoryKeychainService>();
    std::shared_ptr<RecordingNotifier> notifier = std::make_shared<RecordingNotifier>();
    std::shared_ptr<RecordingUrlOpener> opener = std::make_shared<RecordingUrlOpener>();
    QStringList printed;
    ManualTimer* timer = nullptr; // owned by the engine

    // Nothing listens on port 9 of the loopback: a refresh fails at once instead of reaching out.
    PRViewModel::Dependencies dependencies(QString apiURL = QStringLiteral("http://127.0.0.1:9"))
    {
        auto manual = std::make_unique<ManualTimer>();
        timer = manual.get();
        PRViewModel::Dependencies deps{
            GitHubService(HttpSession(&network), apiURL),
            keychain,
            preferences,
            notifier,
            AppIdentity{QStringLiteral("com.norvane.app"), QStringLiteral("0.1.0"), QStringLiteral("1")},
            std::move(manual),
            std::nullopt,
            false,
            QStringLiteral("https://github.com"),
            [this](const QString& line) { printed.append(line); }};
        deps.feedTimer = std::make_unique<ManualTimer>(); // the notification feed's
        return deps;
    }

    // Stores accounts for the engine's loadAccounts(), each with a token in the keychain; a login in `hosts`
    // belongs to that GitHub Enterprise Server host.
    QList<GitHubAccount> storeAccounts(const QStringList& logins, const QMap<QString, QString>& hosts = {})
    {
        QList<GitHubAccount> accounts;
        for (const QString& login : logins) {
            const QString tokenId = QStringLiteral("github_token_") + login;
            accounts.append(GitHubAccount{QUuid::createUuid(), login, tokenId, std::nullopt});
            if (hosts.contains(login))
                accounts.last().host = hosts[login];
            keychain->storage()->insert_or_assign(accounts.last().tokenKey(), QStringLiteral("tok-") + login);
        }
        preferences->setData(QStringLiteral("github_accounts"), QJsonDocument(toJson(accounts)).toJson());
        return accounts;
    }
};

// The panel over an engine of its own for `logins`, where nothing listens at `apiURL` unless a test says so;
// `settings` builds the settings tab with its sign-in sheet too.
struct PanelWorld
{
    explicit PanelWorld(const QStringList& logins = {QStringLiteral("me")}, bool debug = false,
                        const QString& apiURL = QStringLiteral("http://127.0.0.1:9"), bool settings = false)
    {
        accounts = world.storeAccounts(logins);
        model = std::make_unique<PRViewModel>(world.dependencies(apiURL));
        model->loadAccounts();
        // The first refresh fails at once where nothing listens: wait, so it cannot land in the middle of a
        // test.
        EXPECT_TRUE(waitUntil([this] { return !model->isLoading(); }));
        model->setErrorMessage(std::nullopt);
        ui::ContentView::Dependencies deps{model.get(),
                                           world.opener.get(),
                                           QStringLiteral("https://github.com"),
                                           debug,
                                           GitHubService(HttpSession(&world.network), apiURL),
                                           world.keychain,
                                           world.preferences};
        if (settings)
            deps.signIn = ui::AddAccountDependencies{HttpSession(&world.network), {}, world.opener.get(), {}};
        view = std::make_unique<ui::ContentView>(std::move(deps));
    }

    EngineWorld world;
    QList<GitHubAccount> accounts;
    std::unique_ptr<PRViewModel> model;
    std::unique_ptr<ui::ContentView> view;
};

// A menu's item texts, "---" for a divider; and the item of a given text.
inline QStringList menuTitles(const QMenu& menu)
{
    QStringList titles;
    for (const QAction* action : menu.actions())
        titles.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    return titles;
}
inline QAction* findAction(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == text)
            return action;
    }
    ADD_FAILURE() << "no menu item " << text.toStdString();
    return nullptr;
}

inline QPalette lightPalette()
{
    return themePalette(false);
}
inline QPalette darkPalette()
{
    return themePalette(true);
}

// Text from GitHub or typed by a person that looks like markup and holds a mnemonic sign.
// (No raw string literal: moc, which reads this header for some targets, cannot parse one.)
inline const QString kMarkupLike = QStringLiteral("<b>x</b> & <a href=\"http://evil\">y</a>");

// How often `text` is shown under `root` as written: in a label that never reads it as markup, or in a menu
// item with its '&' doubled. A label or menu item that would render it otherwise, or a tooltip that holds it
// unescaped, is a failure.
inline int shownAsWritten(const QWidget& root, const QString& text)
{
    int shown = 0;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (!label->text().contains(text))
            continue;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        shown += label->textFormat() == Qt::PlainText ? 1 : 0;
    }
    for (const QWidget* widget : root.findChildren<QWidget*>())
        EXPECT_FALSE(widget->toolTip().contains(text)) << widget->toolTip().toStdString();
    QString literal = text;
    literal.replace(QLatin1Char('&'), QStringLiteral("&&"));
    for (const QMenu* menu : root.findChildren<QMenu*>()) {
        for (const QAction* action : menu->actions()) {
            EXPECT_FALSE(action->text().contains(text)) << action->text().toStdString();
            shown += action->text().contains(literal) ? 1 : 0;
        }
    }
    return shown;
}

} // namespace norvane::testing
