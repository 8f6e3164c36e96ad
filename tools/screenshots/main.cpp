// Writes pictures of the screens for a person to look at; nothing is checked (the tests do that). The panel
// over fakehub's demo world, signed in as its demo user: each tab, the settings page, the add-account sheet
// and a rejected token, in a light and a dark palette; and the tray icon's badges, eight times as large.
// norvane-screenshots OUTPUT_DIR (scripts/screenshots builds and runs it).
#include "core/github_account.h"
#include "core/pr_rules.h"
#include "fakehub/fakehub.h"
#include "models/account_store.h"
#include "models/dashboard_view_model.h"
#include "models/issues_view_model.h"
#include "models/pr_view_model.h"
#include "models/watched_repo_store.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"
#include "platform/translations.h"
#include "platform/url_opener.h"
#include "screenshots/theme_palette.h"
#include "ui/panel/content_view.h"
#include "ui/pulls/pr_tab.h"
#include "ui/settings/add_account_view.h"
#include "ui/settings/sections_editor.h"
#include "ui/settings/settings_view.h"
#include "ui/tray/paw_icon.h"
#include "ui/widgets/controls.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <cstdio>

using namespace norvane;
using namespace norvane::ui;

namespace {

// Runs the event loop until `done` holds, for at most fifteen seconds.
void settle(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(15'000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
}

// Each badge at a 22-pixel slot, 1x then 2x, on a light and on a dark bar, every pixel eight times as large.
QImage trayIcons()
{
    const std::pair<Badge, QColor> badges[] = {{{BadgeColor::none, 0}, QColor(20, 20, 20)},
                                               {{BadgeColor::red, 2}, QColor(255, 59, 48)},
                                               {{BadgeColor::purple, 3}, QColor(175, 82, 222)},
                                               {{BadgeColor::blue, 120}, QColor(0, 122, 255)},
                                               {{BadgeColor::red, 1000}, QColor(255, 59, 48)}};
    QImage sheet(4 * 8 + 2 * (22 + 44), int(std::size(badges)) * 52, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(236, 236, 236));
    QPainter painter(&sheet);
    painter.fillRect(sheet.width() / 2, 0, sheet.width() / 2, sheet.height(), QColor(43, 43, 43));
    for (int row = 0; row < int(std::size(badges)); ++row) {
        int x = 4;
        for (const qreal dpr : {1.0, 2.0, 1.0, 2.0}) {
            const QColor plain = x < sheet.width() / 2 ? QColor(20, 20, 20) : QColor(Qt::white);
            QImage icon = squareTrayImage(badges[row].first, plain, badges[row].second, 22, dpr);
            icon.setDevicePixelRatio(1);
            painter.drawImage(x, row * 52 + 4, icon);
            x += icon.width() + 8;
        }
    }
    painter.end();
    return sheet.scaled(sheet.size() * 8);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // In the desktop's language, as the app: LANG=de_DE.UTF-8 scripts/screenshots.
    installTranslations(TranslationScope::UserLanguage);
    if (argc != 2) {
        std::fprintf(stderr, "usage: norvane-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QFile demo(QStringLiteral(NORVANE_SOURCE_DIR "/tools/fakehub/scenarios/demo.json"));
    if (!QDir().mkpath(out) || !demo.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "norvane-screenshots: cannot write to %s or read the demo world\n", argv[1]);
        return 1;
    }
    fakehub::FakeHub hub(fakehub::Scenario::fromJson(demo.readAll()));
    int failures = 0;
    const auto save = [&](const QImage& image, const QString& name) {
        const QString path = out + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!image.save(path)) {
            std::fprintf(stderr, "norvane-screenshots: could not write %s\n", qPrintable(path));
            ++failures;
        }
    };

    for (const bool dark : {false, true}) {
        const QString tail = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        QNetworkAccessManager network;
        auto preferences = std::make_shared<InMemoryPreferences>();
        auto keychain = std::make_shared<InMemoryKeychainService>();
        RecordingUrlOpener opener;
        const GitHubAccount mona = AccountStore::newAccount(QStringLiteral("mona"));
        AccountStore(preferences).add(mona);
        keychain->storage()->insert_or_assign(mona.tokenKey(), QStringLiteral("demo-token"));
        const AppIdentity identity{QStringLiteral("com.norvane.app"), QStringLiteral("0.1.0"),
                                   QStringLiteral("1")};
        PRViewModel model(
            PRViewModel::Dependencies{GitHubService(HttpSession(&network), hub.baseUrl()), keychain,
                                      preferences, std::make_shared<RecordingNotifier>(), identity, nullptr,
                                      std::nullopt, false, hub.baseUrl(), [](const QString&) {}});
        model.loadAccounts();
        settle([&] { return !model.isLoading(); });
        GitHubDeviceAuth::Config auth;
        auth.webBaseURL = auth.apiBaseURL = hub.baseUrl();
        ContentView view(
            ContentView::Dependencies{&model,
                                      &opener,
                                      hub.baseUrl(),
                                      false,
                                      GitHubService(HttpSession(&network), hub.baseUrl()),
                                      keychain,
                                      preferences,
                                      identity,
                                      {},
                                      AddAccountDependencies{HttpSession(&network), auth, &opener, nullptr}});
        // The whole application's palette, as the desktop gives it: menus are windows of their own.
        QApplication::setPalette(themePalette(dark));
        view.setAutoFillBackground(true);
        for (const char* repo : {"northwind/api", "northwind/web", "northwind/mobile", "northwind/infra"})
            view.watchedRepoStore()->add(QString::fromLatin1(repo), mona.id);
        view.show();
        settle(
            [&] { return !view.issuesViewModel()->isLoading() && !view.dashboardViewModel()->isLoading(); });

        for (const auto& [tab, name] : {std::pair{AppTab::prs, "prs"}, std::pair{AppTab::issues, "issues"},
                                        std::pair{AppTab::dashboard, "dashboard"}}) {
            view.setSelectedTab(tab);
            settle([] { return true; });
            save(view.grab().toImage(), QStringLiteral("panel-") + QLatin1String(name) + tail);
        }
        // The first row's menu, and two pull requests snoozed: "Snoozed 2" and its list.
        view.setSelectedTab(AppTab::prs);
        PullRequestTab& prs = *view.pullRequestTab();
        if (QMenu* menu = prs.openRowMenu(0)) {
            settle([] { return true; });
            save(menu->grab().toImage(), QStringLiteral("row-menu") + tail);
            menu->close();
        }
        const QList<PullRequest> shown = model.filteredPullRequests();
        for (int i = 0; i < 2 && i < shown.size(); ++i)
            model.snooze(shown[i], i == 0 ? SnoozeLength::untilChange : SnoozeLength::day);
        prs.populateSnoozedMenu();
        settle([] { return true; });
        save(view.grab().toImage(), QStringLiteral("panel-snoozed") + tail);
        prs.snoozedButton()->menu()->popup(prs.snoozedButton()->mapToGlobal(QPoint(0, 0)));
        settle([] { return true; });
        save(prs.snoozedButton()->menu()->grab().toImage(), QStringLiteral("snoozed-menu") + tail);
        prs.snoozedButton()->menu()->close();
        for (const PullRequest& pr : QList<PullRequest>(model.snoozedPullRequests()))
            model.unsnooze(pr.id);

        // Two sections of the user's own: their chips after the filters, the second one chosen.
        model.setSections({{QStringLiteral("Web team"), QStringLiteral("repo:northwind/web")},
                           {QStringLiteral("Drafts in org"), QStringLiteral("org:northwind is:draft")}});
        settle([&] { return !model.isRefreshing(); });
        model.setSelectedSection(QStringLiteral("Drafts in org"));
        settle([] { return true; });
        save(view.grab().toImage(), QStringLiteral("panel-sections") + tail);
        model.setSelectedFilter(PRFilter::all);

        view.setSelectedTab(AppTab::settings);
        SettingsView& settings = *view.settingsView();
        QScrollBar* bar = settings.scrollArea()->verticalScrollBar();
        for (const auto& [share, name] :
             {std::pair{0, "top"}, std::pair{50, "middle"}, std::pair{100, "bottom"}}) {
            bar->setValue(bar->maximum() * share / 100);
            settle([] { return true; });
            save(view.grab().toImage(), QStringLiteral("settings-") + QLatin1String(name) + tail);
        }
        bar->setValue(0);
        // A query GitHub refuses, refused inline in its words.
        SectionsEditor& sections = *settings.sectionsEditor();
        sections.openForm(std::nullopt);
        sections.nameField()->setText(QStringLiteral("Typo"));
        sections.queryField()->setText(QStringLiteral("lable:urgent"));
        sections.save();
        settle([&] { return !sections.statusLabel()->text().endsWith(QChar(0x2026)); });
        settings.scrollArea()->ensureWidgetVisible(&sections);
        settle([] { return true; });
        save(view.grab().toImage(), QStringLiteral("settings-sections") + tail);
        bar->setValue(0);
        settings.presentAddAccount();
        settle([] { return true; });
        save(view.grab().toImage(), QStringLiteral("add-account") + tail);
        settings.addAccountView()->controls().useToken->click();
        settle([] { return true; });
        save(view.grab().toImage(), QStringLiteral("add-account-token") + tail);
        settings.dismissAddAccount();

        // A failed refresh and a token GitHub no longer accepts, as the pull-request tab says them.
        model.setErrorMessage(QStringLiteral("Network error: the request timed out."));
        model.setReauthNeeded({mona.id});
        view.setSelectedTab(AppTab::prs);
        settle([] { return true; });
        save(view.grab().toImage(), QStringLiteral("panel-reauth") + tail);
        QCoreApplication::sendPostedEvents(); // the models' cancels, while the network is still there
    }
    save(trayIcons(), QStringLiteral("tray-icons-22px"));
    std::printf("norvane-screenshots: pictures in %s\n", argv[1]);
    return failures == 0 ? 0 : 1;
}
