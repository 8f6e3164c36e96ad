#include "ui/settings/add_account_view.h"

#include "platform/url_opener.h"
#include "ui/settings/settings_controls.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace norvane::ui {

namespace {

// The user code, large enough to read off the screen and type into the browser.
class CodeLabel final : public QLabel
{
public:
    explicit CodeLabel(QWidget* parent) : QLabel(parent)
    {
        setTextFormat(Qt::PlainText); // GitHub's code, shown as sent
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPixelSize(30);
        mono.setBold(true);
        setFont(mono);
        setContentsMargins(20, 10, 20, 10);
        setAlignment(Qt::AlignCenter);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(color(ThemeColor::controlBackground, palette()));
            painter.setPen(QPen(color(ThemeColor::blue, palette()), 1.5));
            painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);
        }
        QLabel::paintEvent(event);
    }
};

QVBoxLayout* column(QWidget* owner, int spacing)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QLineEdit* textField(const QString& placeholder, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    field->setFont(textFont(TextStyle::body));
    field->setMinimumHeight(28);
    return field;
}

ThemedLabel* centred(ThemedLabel* label)
{
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    return label;
}

// "github.com" for the public web host, "ghe.example.com:8443" for another: what the buttons spell out.
QString hostText(const QString& webBaseURL)
{
    const QUrl url(webBaseURL);
    QString text = url.host();
    if (url.port() != -1)
        text += QLatin1Char(':') + QString::number(url.port());
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return text + path;
}

QString openVerificationText(const QString& host)
{
    //: The button that opens the page where the code is entered; %1 is the server, e.g. "github.com"
    return AddAccountView::tr("Open %1/login/device").arg(host);
}

QString createTokenText(const QString& host)
{
    //: A link to the server's page of tokens; %1 is the server, e.g. "github.com"
    return AddAccountView::tr("Create a token at %1/settings/tokens").arg(host);
}

} // namespace

AddAccountView::AddAccountView(SignInModel& model, UrlOpener* urlOpener, QWidget* parent)
    : QWidget(parent), m_model(&model), m_urlOpener(urlOpener), m_reauthAccount(model.reauthAccount())
{
    setFixedSize(kWidth, kHeight);
    // The sheet takes the focus when presented (so Escape and Return reach it) but is no stop for Tab.
    setFocusPolicy(Qt::ClickFocus);

    auto* root = column(this, 0);
    m_controls.title =
        //: The sheet's title when an account signs in again; %1 is its login
        new ThemedLabel(m_reauthAccount ? tr("Reconnect %1").arg(m_reauthAccount->username)
                                        : tr("Add GitHub Account"),
                        TextStyle::headline, ThemeColor::primary, this);
    m_controls.title->setAlignment(Qt::AlignCenter);
    setAccessibleRole(this, QAccessible::Dialog);
    setAccessibleName(m_controls.title->text());
    m_controls.title->setContentsMargins(16, 14, 16, 12);
    root->addWidget(m_controls.title);
    root->addWidget(divider(this));

    m_scroll = verticalScrollArea(this);
    auto* content = new QWidget(m_scroll);
    content->setAutoFillBackground(false);
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(20, 16, 20, 16);
    stack->setSpacing(16);
    // Made first, so Tab reaches the server choice first, as it is drawn.
    QWidget* server = buildServerBlock();
    m_devicePanel = buildDeviceFlowPanel();
    m_manualPanel = buildManualPanel();
    stack->addWidget(server);
    stack->addWidget(m_devicePanel);
    stack->addWidget(m_manualPanel);
    stack->addStretch();
    m_scroll->setWidget(content);
    root->addWidget(m_scroll, 1);

    root->addWidget(divider(this));
    root->addWidget(buildBottomBar());

    // Escape and Return belong to the sheet while the focus is anywhere in it, not to the page behind.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, m_controls.cancel, &QAbstractButton::click);
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* confirm = new QShortcut(QKeySequence(key), this);
        confirm->setContext(Qt::WidgetWithChildrenShortcut);
        connect(confirm, &QShortcut::activated, this, [this] {
            if (m_showManualEntry && m_controls.add->isEnabled())
                m_controls.add->click();
        });
    }

    connect(m_model, &SignInModel::deviceStateChanged, this, &AddAccountView::showState);
    connect(m_model, &SignInModel::signedIn, this, &AddAccountView::added);
    connect(m_model, &SignInModel::checkingChanged, this, &AddAccountView::updateBusy);
    connect(m_model, &SignInModel::savingChanged, this, &AddAccountView::updateBusy);
    connect(m_model, &SignInModel::tokenMessageChanged, this, &AddAccountView::setManualError);
    showState(m_model->deviceState());
    setManualEntryShown(false);
    updateServerFields();
}

AddAccountView::~AddAccountView()
{
    // Nothing the model may still say concerns a sheet being taken down; whoever began the sign-in ends it.
    // A sheet dismissed but not yet deleted may outlive its model, when both go with their page.
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
}

QWidget* AddAccountView::labelBlock(QLineEdit** field, bool withHint)
{
    auto* block = new QWidget(this);
    auto* layout = column(block, 6);
    auto* title = new ThemedLabel(tr("Label (optional)"), TextStyle::callout, ThemeColor::primary, block);
    layout->addWidget(title);
    //: Examples of an account's label
    *field = textField(tr("e.g., Personal, Work"), block);
    title->setBuddy(*field);
    connect(*field, &QLineEdit::textChanged, this, &AddAccountView::setLabel);
    layout->addWidget(*field);
    if (withHint)
        layout->addWidget(new ThemedLabel(tr("Helps differentiate multiple GitHub accounts"),
                                          TextStyle::caption, ThemeColor::secondary, block));
    return block;
}

QWidget* AddAccountView::buildDeviceFlowPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = column(panel, 16);
    layout->addWidget(labelBlock(&m_controls.label, true));
    layout->addWidget(divider(panel));
    m_idlePanel = buildIdlePanel();
    m_loadingPanel = buildLoadingPanel();
    m_awaitingPanel = buildAwaitingPanel();
    m_failedPanel = buildFailedPanel();
    for (QWidget* state : {m_idlePanel, m_loadingPanel, m_awaitingPanel, m_failedPanel})
        layout->addWidget(state);
    return panel;
}

QWidget* AddAccountView::buildIdlePanel()
{
    auto* panel = new QWidget(this);
    auto* layout = column(panel, 16);
    layout->addWidget(new SymbolLabel(Symbol::personBadgeKeyFill, ThemeColor::blue, 40, panel), 0,
                      Qt::AlignHCenter);
    layout->addWidget(centred(
        new ThemedLabel(tr("Norvane will open GitHub in your browser.\nNo passwords are stored in the app."),
                        TextStyle::callout, ThemeColor::secondary, panel)));
    m_controls.connect = new ProminentButton(Symbol::arrowRightCircleFill, tr("Connect with GitHub"), panel);
    connect(m_controls.connect, &QAbstractButton::clicked, this, &AddAccountView::startDeviceFlow);
    layout->addWidget(m_controls.connect);
    m_controls.useToken = new PlainButton(tr("Use a Personal Access Token instead"), TextStyle::caption,
                                          ThemeColor::secondary, std::nullopt, panel);
    connect(m_controls.useToken, &QAbstractButton::clicked, this, [this] {
        setManualEntryShown(true);
        m_controls.username->setFocus(Qt::OtherFocusReason);
    });
    layout->addWidget(m_controls.useToken, 0, Qt::AlignHCenter);
    return panel;
}

QWidget* AddAccountView::buildLoadingPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = column(panel, 10);
    layout->setContentsMargins(0, 24, 0, 0);
    m_controls.loadingSpinner = new Spinner(20, panel);
    layout->addWidget(m_controls.loadingSpinner, 0, Qt::AlignHCenter);
    layout->addWidget(centred(
        new ThemedLabel(tr("Connecting to GitHub…"), TextStyle::callout, ThemeColor::secondary, panel)));
    return panel;
}

QWidget* AddAccountView::buildAwaitingPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = column(panel, 10);
    layout->addWidget(centred(
        new ThemedLabel(tr("Enter this code at GitHub:"), TextStyle::callout, ThemeColor::secondary, panel)));
    m_controls.code = new CodeLabel(panel);
    layout->addWidget(m_controls.code, 0, Qt::AlignHCenter);
    m_controls.copyCode = new PlainButton(tr("Copy Code"), TextStyle::callout, ThemeColor::accent,
                                          Symbol::docOnClipboard, panel);
    connect(m_controls.copyCode, &QAbstractButton::clicked, this, [this] {
        // setText replaces whatever the clipboard held, in every format, with the code alone.
        QGuiApplication::clipboard()->setText(m_controls.code->text(), QClipboard::Clipboard);
    });
    layout->addWidget(m_controls.copyCode, 0, Qt::AlignHCenter);
    // Its label names the host of the flow under way, set when the flow starts.
    m_controls.openVerification = new ProminentButton(
        Symbol::safari, openVerificationText(hostText(m_model->configFor({}).webBaseURL)), panel);
    // The page GitHub named, as it named it; the label only says where that normally is.
    connect(m_controls.openVerification, &QAbstractButton::clicked, this,
            [this] { open(m_verificationURL); });
    layout->addWidget(m_controls.openVerification, 0, Qt::AlignHCenter);

    auto* waiting = new QWidget(panel);
    auto* row = new QHBoxLayout(waiting);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_controls.waitingSpinner = new Spinner(12, waiting);
    row->addWidget(m_controls.waitingSpinner);
    row->addWidget(new ThemedLabel(tr("Waiting for you to authorize in the browser…"), TextStyle::caption,
                                   ThemeColor::secondary, waiting));
    layout->addWidget(waiting, 0, Qt::AlignHCenter);
    m_controls.cancelFlow =
        new PlainButton(tr("Cancel"), TextStyle::caption, ThemeColor::secondary, std::nullopt, panel);
    connect(m_controls.cancelFlow, &QAbstractButton::clicked, m_model, &SignInModel::cancelDeviceFlow);
    layout->addWidget(m_controls.cancelFlow, 0, Qt::AlignHCenter);
    return panel;
}

QWidget* AddAccountView::buildFailedPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = column(panel, 12);
    layout->addWidget(new SymbolLabel(Symbol::xmarkCircleFill, ThemeColor::red, 32, panel), 0,
                      Qt::AlignHCenter);
    m_controls.failure =
        centred(new ThemedLabel(QString(), TextStyle::callout, ThemeColor::secondary, panel));
    layout->addWidget(m_controls.failure);
    m_controls.tryAgain = new ProminentButton(std::nullopt, tr("Try Again"), panel);
    connect(m_controls.tryAgain, &QAbstractButton::clicked, this, &AddAccountView::startDeviceFlow);
    layout->addWidget(m_controls.tryAgain, 0, Qt::AlignHCenter);
    return panel;
}

QWidget* AddAccountView::buildManualPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = column(panel, 16);
    m_controls.back =
        new PlainButton(tr("Back"), TextStyle::body, ThemeColor::primary, Symbol::chevronLeft, panel);
    connect(m_controls.back, &QAbstractButton::clicked, this, [this] {
        // Going back gives up the check: its answer would add an account from a panel no longer shown.
        m_model->abandonTokenCheck();
        setManualEntryShown(false);
    });
    layout->addWidget(m_controls.back);
    layout->addWidget(labelBlock(&m_controls.manualLabel, false));

    const auto fieldBlock = [panel](const QString& title, QLineEdit* field) {
        auto* block = new QWidget(panel);
        auto* blockLayout = column(block, 6);
        auto* label = new ThemedLabel(title, TextStyle::callout, ThemeColor::primary, block);
        blockLayout->addWidget(label);
        field->setParent(block);
        label->setBuddy(field);
        blockLayout->addWidget(field);
        return block;
    };
    //: Placeholder of the login field
    m_controls.username = textField(tr("username"), panel);
    layout->addWidget(fieldBlock(tr("GitHub Username"), m_controls.username));
    //: Placeholder of the token field: how a token begins; keep it as it is
    m_controls.token = textField(tr("ghp_…"), panel);
    m_controls.token->setEchoMode(QLineEdit::Password);
    layout->addWidget(fieldBlock(tr("Personal Access Token"), m_controls.token));
    for (QLineEdit* field : {m_controls.username, m_controls.token})
        connect(field, &QLineEdit::textChanged, this, &AddAccountView::updateAddEnabled);

    auto* notes = new QWidget(panel);
    auto* notesLayout = column(notes, 6);
    m_controls.tokenSettings = new PlainButton(createTokenText(hostText(m_model->configFor({}).webBaseURL)),
                                               TextStyle::caption, ThemeColor::accent, std::nullopt, notes);
    connect(m_controls.tokenSettings, &QAbstractButton::clicked, this, [this] {
        if (const std::optional<AccountServer> server = chosenServer())
            open(QUrl(m_model->configFor(*server).webBaseURL + QStringLiteral("/settings/tokens")));
    });
    notesLayout->addWidget(m_controls.tokenSettings);
    //: "repo" and "public_repo" are GitHub's names of the scopes: keep them as they are
    notesLayout->addWidget(new ThemedLabel(tr("Required scopes: repo (or public_repo for public repos only)"),
                                           TextStyle::caption, ThemeColor::secondary, notes));
    m_controls.manualError = new ThemedLabel(QString(), TextStyle::caption, ThemeColor::red, notes);
    // GitHub's and the network's words can be long, and a login is shown as typed, never as markup.
    m_controls.manualError->setWordWrap(true);
    m_controls.manualError->setTextFormat(Qt::PlainText);
    m_controls.manualError->hide();
    notesLayout->addWidget(m_controls.manualError);
    layout->addWidget(notes);
    return panel;
}

QWidget* AddAccountView::buildBottomBar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 10, 16, 10);
    m_controls.busy = new QWidget(bar);
    auto* busyRow = new QHBoxLayout(m_controls.busy);
    busyRow->setContentsMargins(0, 0, 0, 0);
    busyRow->setSpacing(6);
    busyRow->addWidget(new Spinner(12, m_controls.busy));
    m_controls.busyText =
        new ThemedLabel(QString(), TextStyle::caption, ThemeColor::secondary, m_controls.busy);
    busyRow->addWidget(m_controls.busyText);
    m_controls.busy->hide();
    m_controls.cancel = new QPushButton(tr("Cancel"), bar);
    m_controls.cancel->setFont(textFont(TextStyle::body));
    m_controls.cancel->setMinimumHeight(32);
    connect(m_controls.cancel, &QAbstractButton::clicked, this, &AddAccountView::cancelled);
    row->addWidget(m_controls.cancel);
    row->addStretch();
    row->addWidget(m_controls.busy);
    m_controls.add = new ProminentButton(std::nullopt, tr("Add Account"), bar);
    m_controls.add->setMinimumHeight(m_controls.cancel->minimumHeight());
    // Wide enough for either of its texts, so "Checking…" and back never moves or cuts it.
    m_controls.add->setText(tr("Checking…"));
    const int checkingWidth = m_controls.add->sizeHint().width();
    m_controls.add->setText(tr("Add Account"));
    m_controls.add->setMinimumWidth(std::max(checkingWidth, m_controls.add->sizeHint().width()));
    connect(m_controls.add, &QAbstractButton::clicked, this, &AddAccountView::submitManualEntry);
    row->addWidget(m_controls.add);
    return bar;
}

AddAccountView::Panel AddAccountView::shownPanel() const
{
    if (m_showManualEntry)
        return Panel::manual;
    switch (m_model->deviceState().kind) {
    case DeviceAuthState::Kind::idle:
        return Panel::idle;
    case DeviceAuthState::Kind::loading:
        return Panel::loading;
    case DeviceAuthState::Kind::awaitingAuthorization:
        return Panel::awaiting;
    case DeviceAuthState::Kind::failed:
        break;
    }
    return Panel::failed;
}

void AddAccountView::setManualEntryShown(bool shown)
{
    m_showManualEntry = shown;
    // Show before hiding, so a focus leaving a hidden control lands on one that is still there.
    (shown ? m_manualPanel : m_devicePanel)->show();
    (shown ? m_devicePanel : m_manualPanel)->hide();
    m_controls.add->setVisible(shown);
    updateAddEnabled();
    m_scroll->verticalScrollBar()->setValue(0);
    relayout();
    keepFocusInside();
}

void AddAccountView::showState(const DeviceAuthState& state)
{
    using Kind = DeviceAuthState::Kind;
    if (state.kind == Kind::awaitingAuthorization) {
        m_controls.code->setText(state.userCode);
        m_verificationURL = state.verificationURL;
    }
    if (state.kind == Kind::failed)
        m_controls.failure->setText(state.message);
    const std::pair<QWidget*, Kind> panels[] = {{m_idlePanel, Kind::idle},
                                                {m_loadingPanel, Kind::loading},
                                                {m_awaitingPanel, Kind::awaitingAuthorization},
                                                {m_failedPanel, Kind::failed}};
    for (const auto& [panel, kind] : panels) {
        if (kind == state.kind)
            panel->show();
    }
    for (const auto& [panel, kind] : panels) {
        if (kind != state.kind)
            panel->hide();
    }
    relayout();
    keepFocusInside();
}

void AddAccountView::relayout()
{
    // Wrapped texts make the panels' heights depend on their widths. Swapping panels does not always bring
    // a new layout pass to the page, which then keeps the old panel's height and spreads it over the new
    // one; lay the page out now.
    for (QWidget* panel : {m_serverBlock, m_devicePanel, m_scroll->widget()}) {
        panel->layout()->invalidate();
        panel->layout()->activate();
    }
}

void AddAccountView::updateAddEnabled()
{
    m_controls.add->setEnabled(!m_controls.username->text().isEmpty() &&
                               !m_controls.token->text().isEmpty() && !isCheckingToken() && !isWorking());
}

void AddAccountView::updateBusy()
{
    const bool checking = isCheckingToken();
    const bool working = isWorking();
    m_controls.add->setText(checking ? tr("Checking…") : tr("Add Account"));
    m_controls.busyText->setText(working ? tr("Saving the token…")
                                         : tr("Asking GitHub whose token this is…"));
    m_controls.busy->setVisible(checking || working);
    // Leaving while the token is being saved would not stop the save; the keychain answers within its
    // time-out.
    m_controls.cancel->setEnabled(!working);
    updateAddEnabled();
}

void AddAccountView::setManualError(const std::optional<QString>& message)
{
    m_controls.manualError->setText(message.value_or(QString()));
    m_controls.manualError->setVisible(message.has_value());
    relayout();
}

void AddAccountView::setLabel(const QString& label)
{
    m_model->setLabel(label);
    // One label, two fields: the one not being typed in follows.
    for (QLineEdit* field : {m_controls.label, m_controls.manualLabel}) {
        if (field && field->text() != label)
            field->setText(label);
    }
}

void AddAccountView::submitManualEntry()
{
    const QString username = m_controls.username->text();
    const QString token = m_controls.token->text();
    if (!m_model->mayCheckToken(username, token))
        return;
    if (const std::optional<AccountServer> server = chosenServer())
        m_model->checkToken(username, token, *server);
}

QWidget* AddAccountView::buildServerBlock()
{
    auto* block = new QWidget(this);
    m_serverBlock = block;
    auto* layout = column(block, 6);
    m_controls.server =
        //: The two kinds of server, by their product names
        new SegmentedControl({tr("GitHub.com"), tr("GitHub Enterprise Server")},
                             //: Spoken name of the choice between GitHub.com and an Enterprise Server
                             tr("Server"), block);
    m_controls.server->setSelectedIndex(0);
    connect(m_controls.server, &SegmentedControl::chosen, this, [this] {
        m_model->clearTokenMessage();
        m_controls.hostError->hide();
        updateServerFields();
        if (m_controls.server->selectedIndex() == 1)
            m_controls.host->setFocus(Qt::OtherFocusReason);
    });
    layout->addWidget(m_controls.server);

    const auto field = [block, layout](const QString& title, const QString& placeholder) {
        auto* label = new ThemedLabel(title, TextStyle::callout, ThemeColor::primary, block);
        layout->addWidget(label);
        QLineEdit* edit = textField(placeholder, block);
        label->setBuddy(edit);
        layout->addWidget(edit);
        return std::pair{label, edit};
    };
    //: The field's placeholder: an example of a server's host name
    const auto [hostTitle, host] = field(tr("Host"), tr("github.example.com"));
    m_controls.host = host;
    m_controls.hostError = new ThemedLabel(QString(), TextStyle::caption, ThemeColor::red, block);
    m_controls.hostError->setWordWrap(true);
    m_controls.hostError->setTextFormat(Qt::PlainText);
    m_controls.hostError->hide();
    layout->addWidget(m_controls.hostError);
    //: "Connect" is the button "Connect with GitHub"
    const auto [clientIdTitle, clientId] =
        field(tr("OAuth App client ID (optional)"), tr("the server's OAuth App, for Connect"));
    m_controls.clientId = clientId;
    connect(m_controls.host, &QLineEdit::textChanged, this, [this] {
        m_controls.hostError->hide();
        updateServerFields();
    });
    m_controls.reconnectServer = new ThemedLabel(QString(), TextStyle::callout, ThemeColor::secondary, block);
    m_controls.reconnectServer->setTextFormat(Qt::PlainText);
    layout->addWidget(m_controls.reconnectServer);

    // The fields belong to the Enterprise choice; a reconnect stays on the account's own server.
    for (QWidget* w : std::initializer_list<QWidget*>{hostTitle, host, clientIdTitle, clientId})
        w->setProperty("enterpriseField", true);
    if (m_reauthAccount) {
        m_controls.server->hide();
        for (QWidget* w : std::initializer_list<QWidget*>{hostTitle, host, clientIdTitle, clientId})
            w->hide();
        if (m_reauthAccount->host)
            //: %1 is the server's host name
            m_controls.reconnectServer->setText(
                tr("GitHub Enterprise Server: %1").arg(hostLabel(*m_reauthAccount->host)));
        else
            block->hide();
    } else {
        m_controls.reconnectServer->hide();
    }
    return block;
}

std::optional<AccountServer> AddAccountView::chosenServer()
{
    if (m_reauthAccount)
        return AccountServer{m_reauthAccount->host, m_reauthAccount->oauthClientId};
    if (m_controls.server->selectedIndex() != 1)
        return AccountServer{};
    const EnterpriseHostCheck check = enterpriseHost(m_controls.host->text());
    if (!check.host) {
        m_controls.hostError->setText(check.error);
        m_controls.hostError->show();
        relayout();
        m_controls.host->setFocus(Qt::OtherFocusReason);
        return std::nullopt;
    }
    const QString clientId = m_controls.clientId->text().trimmed();
    return AccountServer{check.host, clientId.isEmpty() ? std::nullopt : std::optional(clientId)};
}

std::optional<QString> AddAccountView::shownWebBaseURL() const
{
    if (m_reauthAccount)
        return m_model->configFor({m_reauthAccount->host, m_reauthAccount->oauthClientId}).webBaseURL;
    if (m_controls.server->selectedIndex() != 1)
        return m_model->configFor({}).webBaseURL;
    const EnterpriseHostCheck check = enterpriseHost(m_controls.host->text());
    if (!check.host)
        return std::nullopt;
    return m_model->configFor({check.host, std::nullopt}).webBaseURL;
}

void AddAccountView::updateServerFields()
{
    if (!m_reauthAccount) {
        const bool enterprise = m_controls.server->selectedIndex() == 1;
        for (QWidget* w : m_controls.server->parentWidget()->findChildren<QWidget*>()) {
            if (w->property("enterpriseField").toBool())
                w->setVisible(enterprise);
        }
    }
    const std::optional<QString> web = shownWebBaseURL();
    m_controls.tokenSettings->setText(
        web ? createTokenText(hostText(*web))
            //: "Settings" and "Developer settings" name GitHub's own pages, in the server's language
            : tr("Create a token on your server, under Settings, Developer settings"));
    relayout();
}

void AddAccountView::startDeviceFlow()
{
    const std::optional<AccountServer> server = chosenServer();
    if (!server)
        return;
    m_controls.openVerification->setText(
        openVerificationText(hostText(m_model->configFor(*server).webBaseURL)));
    m_model->startDeviceFlow(*server);
}

void AddAccountView::open(const QUrl& url)
{
    if (m_urlOpener)
        m_urlOpener->open(url);
}

void AddAccountView::keepFocusInside()
{
    if (!isVisible())
        return;
    QWidget* focus = QApplication::focusWidget();
    if (focus != this && !isAncestorOf(focus))
        setFocus(Qt::OtherFocusReason);
}

void AddAccountView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    keepFocusInside();
}

void AddAccountView::paintEvent(QPaintEvent*)
{
    // Inside a SheetOverlay the card behind is the overlay's; on its own the sheet paints its background.
    if (isWindow()) {
        QPainter painter(this);
        painter.fillRect(rect(), color(ThemeColor::windowBackground, palette()));
    }
}

} // namespace norvane::ui
