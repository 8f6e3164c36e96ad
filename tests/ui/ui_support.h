#pragma once

// What the panel's tests share: an engine over in-memory services, the two palettes, and screenshots.

#include "core/github_account.h"
#include "core/stored_encoding.h"
#include "github/github_service.h"
#include "github/http_session.h"
#include "models/pr_view_model.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"
#include "platform/url_opener.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QDir>
#include <QJsonDocument>
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
    void start(double seconds, std::function<void()> tick) override
    {
        interval = seconds;
        m_tick = std::move(tick);
        ++starts;
    }
    void stop() override { m_tick = nullptr; }
    bool isActive() const override { return bool(m_tick); }

    double interval = 0;
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
    ManualTimer* feedTimer = nullptr; // the notification feed's; owned by the engine

    // Nothing listens on port 9 of the loopback: a refresh fails at once instead of reaching out.
    PRViewModel::Dependencies dependencies(QString apiURL = QStringLiteral("http://127.0.0.1:9"))
    {
        auto manual = std::make_unique<ManualTimer>();
        timer = manual.get();
        auto feed = std::make_unique<ManualTimer>();
        feedTimer = feed.get();
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
        deps.feedTimer = std::move(feed);
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

inline QPalette lightPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0xf5, 0xf5, 0xf7));
    p.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(0xee, 0xee, 0xf0));
    p.setColor(QPalette::Text, QColor(0x1d, 0x1d, 0x1f));
    p.setColor(QPalette::Button, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::ButtonText, QColor(0x1d, 0x1d, 0x1f));
    p.setColor(QPalette::Highlight, QColor(0, 122, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(0x1d, 0x1d, 0x1f, 140));
    p.setColor(QPalette::Mid, QColor(0xd0, 0xd0, 0xd4));
    return p;
}

inline QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x1e, 0x1e, 0x20));
    p.setColor(QPalette::WindowText, QColor(0xf2, 0xf2, 0xf5));
    p.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2d));
    p.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x35));
    p.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf5));
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    p.setColor(QPalette::ButtonText, QColor(0xf2, 0xf2, 0xf5));
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(0xf2, 0xf2, 0xf5, 150));
    p.setColor(QPalette::Mid, QColor(0x48, 0x48, 0x4c));
    return p;
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

// Saves a picture of the widget under <build>/screenshots/ for a person to look at.
inline QString saveScreenshot(QWidget& widget, const QString& name)
{
    const QString dir = QStringLiteral(NORVANE_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    widget.grab().save(path);
    return path;
}

} // namespace norvane::testing
