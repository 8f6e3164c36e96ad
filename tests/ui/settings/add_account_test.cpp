#include "support/wait.h"
#include "support/world.h"
#include "ui/device_flow_support.h"
#include "ui/settings/add_account_view.h"
#include "ui/settings/settings_controls.h"
#include "ui/settings/sheet_overlay.h"
#include "ui/ui_support.h"
#include "ui/widgets/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using namespace std::chrono_literals;
using norvane::testing::waitUntil;
using Panel = AddAccountView::Panel;

namespace {

using norvane::testing::FastTimer;
using norvane::testing::kClientId;
using norvane::testing::startHub;

// A panel-sized page with the sheet presented over it, as the settings page presents it.
struct Sheet
{
    explicit Sheet(
        std::optional<GitHubAccount> reauth = std::nullopt, fakehub::FakeHub* hub = nullptr,
        QString clientId = kClientId,
        fakehub::FakeHub* flowHub = nullptr) // whose device-flow clock the sheet's waits move; `hub`'s
    {
        host.setFixedSize(560, 600);
        auto* page = new QVBoxLayout(&host);
        page->addWidget(new ThemedLabel(u"Accounts"_s, TextStyle::headline, ThemeColor::primary));
        page->addWidget(behind);
        page->addStretch();
        GitHubDeviceAuth::Config config;
        config.clientId = std::move(clientId);
        // Port 9 of the loopback: nothing listens, so a sheet without a hub never reaches out.
        config.webBaseURL = hub ? hub->baseUrl() : u"http://127.0.0.1:9"_s;
        config.apiBaseURL = config.webBaseURL;
        signIn = std::make_unique<SignInModel>(SignInModel::Dependencies{
            HttpSession(&network), config, std::make_shared<FastTimer>(flowHub ? flowHub : hub)});
        signIn->begin(std::move(reauth));
        view = new AddAccountView(*signIn, &opener);
        overlay = new SheetOverlay(&host, view);
        overlay->show();
        host.show();
    }
    const AddAccountView::Controls& c() const { return view->controls(); }
    bool activate()
    {
        host.activateWindow();
        return QTest::qWaitForWindowActive(&host);
    }

    QNetworkAccessManager network;
    RecordingUrlOpener opener;
    std::unique_ptr<SignInModel> signIn; // outlives the sheet
    QWidget host;
    QPushButton* behind = new QPushButton(u"Behind the sheet"_s);
    QPointer<AddAccountView> view;
    QPointer<SheetOverlay> overlay;
};

// The shown panel has the height its content needs, and no text in the sheet is cut off: every single-line
// label and button has the width it asks for.
void expectLaidOut(const AddAccountView& sheet)
{
    const QWidget* page = sheet.controls().back->parentWidget()->parentWidget();
    for (const QWidget* panel : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!panel->isVisibleTo(&sheet))
            continue;
        const int forWidth = panel->heightForWidth(panel->width());
        EXPECT_EQ(panel->height(), forWidth >= 0 ? forWidth : panel->sizeHint().height());
    }
    for (const QWidget* w : sheet.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&sheet))
            continue;
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        if ((label && !label->wordWrap() && !label->text().isEmpty()) || button) {
            EXPECT_GE(w->width(), w->sizeHint().width())
                << (label ? label->text() : button->text()).toStdString();
        }
    }
}

TEST(AddAccountView, AddAccountShowsOnlyForManualEntryNeedsBothFieldsAndSaysWhatIsMissing)
{
    Sheet sheet;
    expectLaidOut(*sheet.view);
    EXPECT_FALSE(sheet.c().add->isVisibleTo(sheet.view));
    sheet.c().useToken->click();
    EXPECT_EQ(sheet.view->shownPanel(), Panel::manual);
    EXPECT_TRUE(sheet.c().add->isVisibleTo(sheet.view));
    EXPECT_EQ(sheet.c().token->echoMode(), QLineEdit::Password);
    struct Case
    {
        QString username, token;
        bool enabled;
    };
    const Case cases[] = {{u"octo"_s, {}, false},
                          {{}, u"ghp_x"_s, false},
                          {u"octo"_s, u"ghp_x"_s, true},
                          // Not trimmed: GitHub decides what a blank is worth.
                          {u" "_s, u" "_s, true}};
    for (const Case& c : cases) {
        sheet.c().username->setText(c.username);
        sheet.c().token->setText(c.token);
        EXPECT_EQ(sheet.c().add->isEnabled(), c.enabled)
            << c.username.toStdString() << "/" << c.token.toStdString();
    }
    // Sent anyway (Return does so), it says what is missing; Back clears the message and keeps what was
    // typed.
    QSignalSpy added(sheet.view, &AddAccountView::added);
    sheet.c().token->clear();
    sheet.view->submitManualEntry();
    EXPECT_EQ(added.count(), 0);
    EXPECT_TRUE(sheet.c().manualError->isVisibleTo(sheet.view));
    EXPECT_EQ(sheet.c().manualError->text(), u"Username and token are required"_s);
    sheet.c().back->click();
    EXPECT_EQ(sheet.view->shownPanel(), Panel::idle);
    EXPECT_FALSE(sheet.c().add->isVisibleTo(sheet.view));
    sheet.c().useToken->click();
    EXPECT_FALSE(sheet.c().manualError->isVisibleTo(sheet.view));
    EXPECT_EQ(sheet.c().username->text(), u" "_s);
    sheet.c().tokenSettings->click();
    EXPECT_EQ(sheet.opener.opened(), std::vector<QUrl>{QUrl(u"http://127.0.0.1:9/settings/tokens"_s)});
}

TEST(AddAccountView, AManualTokenIsShownToGitHubBeforeAnythingIsHandedOn)
{
    const auto hub = startHub();
    struct Case
    {
        const char* name;
        const char* login;
        const char* token;
        bool offline;        // the sheet asks where nothing listens
        const char* refusal; // the start of the message; null: handed on
    };
    const Case cases[] = {
        {"another-login", "me", "tok-alice", false, "This token belongs to @alice, not @me."},
        {"offline", "me", "tok-me", true, "Could not reach GitHub to check this token: "},
        {"accepted", "ALICE", "tok-alice", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sheet sheet(std::nullopt, c.offline ? nullptr : hub.get());
        QSignalSpy added(sheet.view, &AddAccountView::added);
        sheet.c().useToken->click();
        sheet.c().username->setText(QString::fromLatin1(c.login));
        sheet.c().token->setText(QString::fromLatin1(c.token));
        hub->clearRequests();
        sheet.c().add->click();
        // Until GitHub answers the button says what is going on and takes no second press.
        EXPECT_TRUE(sheet.view->isCheckingToken());
        EXPECT_EQ(sheet.c().add->text(), u"Checking…"_s);
        EXPECT_FALSE(sheet.c().add->isEnabled());
        EXPECT_TRUE(sheet.c().busy->isVisibleTo(sheet.view));
        sheet.view->submitManualEntry();
        ASSERT_TRUE(waitUntil([&] { return !sheet.view->isCheckingToken(); }));
        EXPECT_EQ(hub->requests(u"GET"_s, u"/user"_s).size(), c.offline ? 0u : 1u);
        EXPECT_EQ(sheet.c().add->text(), u"Add Account"_s);
        EXPECT_TRUE(sheet.c().add->isEnabled());
        EXPECT_FALSE(sheet.c().busy->isVisibleTo(sheet.view));
        if (!c.refusal) {
            ASSERT_EQ(added.count(), 1);
            EXPECT_EQ(added[0][0].toString(), u"ALICE"_s);
            EXPECT_FALSE(sheet.c().manualError->isVisibleTo(sheet.view));
            continue;
        }
        EXPECT_EQ(added.count(), 0);
        EXPECT_TRUE(sheet.c().manualError->isVisibleTo(sheet.view));
        EXPECT_TRUE(sheet.c().manualError->text().startsWith(QString::fromUtf8(c.refusal)))
            << sheet.c().manualError->text().toStdString();
        // The typed values stay for correction.
        EXPECT_EQ(sheet.c().username->text(), QString::fromLatin1(c.login));
        EXPECT_EQ(sheet.c().token->text(), QString::fromLatin1(c.token));
        expectLaidOut(*sheet.view);
    }
}

TEST(SheetOverlay, CoversItsHostCentresTheSheetAndKeepsThePageBehindOutOfReach)
{
    Sheet sheet;
    ASSERT_TRUE(sheet.activate());
    EXPECT_EQ(sheet.overlay->geometry(), sheet.host.rect());
    EXPECT_EQ(sheet.overlay->sheetGeometry(), QRect(60, 70, 440, 460));

    // Clicks go where the window sends them: not to the button behind, but into the sheet.
    QSignalSpy behind(sheet.behind, &QPushButton::clicked);
    QWindow* window = sheet.host.windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, sheet.behind->geometry().center());
    EXPECT_EQ(behind.count(), 0);
    QTest::mouseClick(window, Qt::LeftButton, {},
                      sheet.c().useToken->mapTo(&sheet.host, sheet.c().useToken->rect().center()));
    EXPECT_EQ(sheet.view->shownPanel(), Panel::manual);
    // Tab goes round the sheet's controls and never reaches the page.
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(sheet.view->isAncestorOf(QApplication::focusWidget())) << i;
    }

    // The overlay goes with its sheet, and closing the overlay takes the sheet along.
    delete sheet.view.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sheet.overlay.isNull());
    auto* other = new QWidget;
    QPointer<SheetOverlay> overlay = new SheetOverlay(&sheet.host, other);
    QPointer<QWidget> guard = other;
    overlay->show();
    overlay->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(overlay.isNull());
    EXPECT_TRUE(guard.isNull());
}

TEST(AddAccountView, DeviceFlowAgainstFakehubFromConnectToTheSignedInUser)
{
    const auto hub = startHub();
    Sheet sheet(std::nullopt, hub.get());
    QSignalSpy added(sheet.view, &AddAccountView::added);
    QTest::keyClicks(sheet.c().label, u"Work"_s);

    sheet.c().connect->click();
    EXPECT_EQ(sheet.view->shownPanel(), Panel::loading);
    EXPECT_TRUE(sheet.c().loadingSpinner->isAnimating());
    ASSERT_TRUE(waitUntil([&] { return sheet.view->shownPanel() == Panel::awaiting; }));
    EXPECT_FALSE(sheet.c().loadingSpinner->isAnimating());
    EXPECT_TRUE(sheet.c().waitingSpinner->isAnimating());
    // The waiting panel's Cancel stops the flow; a new one brings a new code.
    sheet.c().cancelFlow->click();
    EXPECT_EQ(sheet.view->shownPanel(), Panel::idle);
    sheet.c().connect->click();
    ASSERT_TRUE(waitUntil([&] { return sheet.view->shownPanel() == Panel::awaiting; }));
    ASSERT_EQ(hub->deviceCodes().size(), 2u);
    const QString code = hub->deviceCodes().back().userCode;
    EXPECT_EQ(sheet.c().code->text(), code);
    expectLaidOut(*sheet.view);

    // Copy Code leaves exactly the code on the clipboard, whatever was there before.
    auto* before = new QMimeData;
    before->setHtml(u"<b>old</b>"_s);
    before->setText(u"old"_s);
    QGuiApplication::clipboard()->setMimeData(before);
    sheet.c().copyCode->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), code);
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasHtml());

    const QString host = QUrl(hub->baseUrl()).authority();
    EXPECT_EQ(sheet.c().openVerification->text(), u"Open "_s + host + u"/login/device"_s);
    sheet.c().openVerification->click();
    EXPECT_EQ(sheet.opener.opened(), std::vector<QUrl>{QUrl(hub->baseUrl() + u"/login/device"_s)});

    // A look at the manual panel, which has the label typed on this one, and back: the same code is still
    // awaited.
    sheet.c().useToken->click();
    EXPECT_EQ(sheet.view->shownPanel(), Panel::manual);
    EXPECT_EQ(sheet.c().manualLabel->text(), u"Work"_s);
    expectLaidOut(*sheet.view);
    sheet.c().back->click();
    EXPECT_EQ(sheet.view->shownPanel(), Panel::awaiting);
    EXPECT_EQ(sheet.c().code->text(), code);

    ASSERT_TRUE(hub->approveDeviceCode(code, u"me"_s));
    ASSERT_TRUE(waitUntil([&] { return added.count() == 1; }));
    EXPECT_EQ(added[0][0].toString(), u"me"_s);
    EXPECT_EQ(added[0][1].toString(), u"tok-me"_s);
    EXPECT_EQ(added[0][2].value<std::optional<QString>>(), std::optional(u"Work"_s));
}

TEST(AddAccountView, AnUnconfiguredClientIdFailsAtOnceWithoutARequest)
{
    const auto hub = startHub();
    Sheet sheet(std::nullopt, hub.get(), QString::fromLatin1(GitHubDeviceAuth::kUnconfiguredClientId));
    for (QAbstractButton* start : {sheet.c().connect, sheet.c().tryAgain}) {
        start->click();
        EXPECT_EQ(sheet.view->shownPanel(), Panel::failed);
        EXPECT_EQ(sheet.c().failure->text(),
                  u"GitHub OAuth App not configured.\nSee GitHubDeviceAuth for setup instructions."_s);
        EXPECT_TRUE(sheet.c().tryAgain->isVisibleTo(sheet.view));
        expectLaidOut(*sheet.view);
    }
    QTest::qWait(50);
    EXPECT_TRUE(hub->requests().empty());
}

// An Enterprise-layout hub with its own OAuth App and its own tokens ("ghe-<login>").
std::unique_ptr<fakehub::FakeHub> startEnterpriseHub()
{
    fakehub::Scenario world = norvane::testing::baseWorld();
    for (fakehub::User& u : world.users)
        u.tokens = {u"ghe-"_s + u.login};
    fakehub::OAuthApp app;
    app.clientId = u"Iv1.enterprise0001"_s;
    app.expiresIn = 24 * 60 * 60;
    world.oauthApp = app;
    fakehub::FakeHub::Options layout;
    layout.enterprise = true;
    return std::make_unique<fakehub::FakeHub>(std::move(world), layout);
}

TEST(AddAccountView, AnEnterpriseServerSignsInOnItsOwnHostOnly)
{
    const auto hub = startHub();
    const auto enterprise = startEnterpriseHub();
    const QString host = enterprise->baseUrl(); // http on the loopback: allowed for a server on this machine
    const QString hostText = QUrl(host).authority();
    Sheet sheet(std::nullopt, hub.get(), kClientId, enterprise.get());
    QSignalSpy added(sheet.view, &AddAccountView::added);
    EXPECT_FALSE(sheet.c().host->isVisibleTo(sheet.view));
    sheet.c().server->choose(1);
    EXPECT_TRUE(sheet.c().host->isVisibleTo(sheet.view));
    EXPECT_TRUE(sheet.c().clientId->isVisibleTo(sheet.view));

    // What is not a host is refused before anything is sent anywhere.
    const std::pair<QString, QString> refused[] = {
        {u"http://github.example.com"_s, u"A GitHub Enterprise Server is reached over https."_s},
        {u"github.example.com/login"_s, u"Enter the server's host name, such as github.example.com."_s},
    };
    for (const auto& [typed, message] : refused) {
        sheet.c().host->setText(typed);
        sheet.c().connect->click();
        EXPECT_EQ(sheet.view->shownPanel(), Panel::idle) << typed.toStdString();
        EXPECT_TRUE(sheet.c().hostError->isVisibleTo(sheet.view));
        EXPECT_EQ(sheet.c().hostError->text(), message);
    }

    sheet.c().host->setText(u"github.example.com"_s);
    QCoreApplication::processEvents(); // the scroll bar the fields brought settles first
    expectLaidOut(*sheet.view);

    // (Without the server's own OAuth App the flow is not configured: the sign-in model's tests.)
    sheet.c().host->setText(host + u'/');
    EXPECT_FALSE(sheet.c().hostError->isVisibleTo(sheet.view));
    EXPECT_EQ(sheet.c().tokenSettings->text(), u"Create a token at %1/settings/tokens"_s.arg(hostText));
    sheet.c().clientId->setText(u" Iv1.enterprise0001 "_s);
    sheet.c().connect->click();
    ASSERT_TRUE(waitUntil([&] { return sheet.view->shownPanel() == Panel::awaiting; }))
        << sheet.c().failure->text().toStdString();
    EXPECT_EQ(sheet.c().openVerification->text(), u"Open %1/login/device"_s.arg(hostText));
    ASSERT_TRUE(enterprise->approveDeviceCode(enterprise->deviceCodes().back().userCode, u"me"_s));
    ASSERT_TRUE(waitUntil([&] { return added.count() == 1; }));
    EXPECT_EQ(added[0][1].toString(), u"ghe-me"_s);
    const AccountServer expected{host, u"Iv1.enterprise0001"_s};
    EXPECT_EQ(added[0][3].value<AccountServer>(), expected);
    EXPECT_TRUE(hub->requests().empty()); // (the token path on the server: the two-hosts journey)

    // A reconnect stays on the account's server, with its client id, and offers no other.
    GitHubAccount work{QUuid::createUuid(), u"me"_s, u"id"_s, std::nullopt};
    work.host = host;
    work.oauthClientId = u"Iv1.enterprise0001"_s;
    Sheet reconnect(work, hub.get(), kClientId, enterprise.get());
    EXPECT_FALSE(reconnect.c().server->isVisibleTo(reconnect.view));
    EXPECT_EQ(reconnect.c().reconnectServer->text(), u"GitHub Enterprise Server: "_s + hostText);
    reconnect.c().connect->click();
    ASSERT_TRUE(waitUntil([&] { return reconnect.view->shownPanel() == Panel::awaiting; }));
    EXPECT_TRUE(hub->requests().empty());
    EXPECT_EQ(enterprise->deviceCodes().size(), 2u);
}

} // namespace

// The code GitHub sends and the name of the account being reconnected are shown as written, never as markup.
TEST(AddAccountView, TheCodeAndTheAccountNameAreShownAsWritten)
{
    const auto hub = startHub();
    const QString markup = norvane::testing::kMarkupLike;
    QJsonObject answer{{u"device_code"_s, u"d"_s},
                       {u"user_code"_s, markup},
                       {u"verification_uri"_s, hub->baseUrl() + u"/login/device"_s},
                       {u"expires_in"_s, 900},
                       {u"interval"_s, 5}};
    hub->injectFault(
        fakehub::Fault::httpStatus(u"POST"_s, u"/login/device/code"_s, 200, QJsonDocument(answer).toJson()));
    Sheet sheet(GitHubAccount{QUuid::createUuid(), markup, u"id"_s, std::nullopt}, hub.get());
    sheet.c().connect->click();
    ASSERT_TRUE(waitUntil([&] { return sheet.view->shownPanel() == Panel::awaiting; }));
    EXPECT_EQ(sheet.c().title->text(), u"Reconnect "_s + markup);
    EXPECT_EQ(sheet.c().code->text(), markup);
    EXPECT_EQ(norvane::testing::shownAsWritten(sheet.host, markup), 2);
}
