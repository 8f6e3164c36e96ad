#include "models/watched_repo_store.h"
#include "ui/settings/flow_layout.h"
#include "ui/settings/settings_support.h"
#include "ui/settings/settings_view.h"
#include "ui/settings/sheet_overlay.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

// The settings screen's lists, which follow the models, and what its buttons and the sheet do.
namespace norvane::ui {

using namespace settings;

namespace {

// A suggested repository: a plus and the name on a pale accent capsule.
class ChipButton final : public QAbstractButton
{
public:
    ChipButton(const QString& name, QWidget* parent) : QAbstractButton(parent)
    {
        setText(name);
        //: Tooltip of a suggested repository; %1 is its owner/name
        setToolTip(plainToolTip(SettingsView::tr("Watch %1").arg(name)));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }
    QSize sizeHint() const override
    {
        const QFontMetrics metrics(textFont(TextStyle::caption));
        return QSize(8 + plusSize() + 3 + metrics.horizontalAdvance(text()) + 8, metrics.height() + 8);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor accent = color(ThemeColor::accent, palette());
        painter.setPen(hasFocus() ? QPen(accent, 1) : Qt::NoPen);
        painter.setBrush(withAlpha(accent, isDown() ? 0.25 : 0.12));
        const qreal radius = std::min(12.0, height() / 2.0);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        const int plus = plusSize();
        painter.drawPixmap(8, (height() - plus) / 2,
                           symbolPixmap(Symbol::plus, accent, plus, devicePixelRatioF()));
        painter.setFont(textFont(TextStyle::caption));
        painter.setPen(accent);
        const int x = 8 + plus + 3;
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }

private:
    static int plusSize() { return QFontMetrics(textFont(TextStyle::caption2)).height() - 2; }
};

} // namespace

// --- Lists that follow the models
// ----------------------------------------------------------------------------

void SettingsView::updateAccounts()
{
    QStringList shown;
    for (const GitHubAccount& account : m_model.accounts()) {
        shown.append(
            QStringList{account.id.toString(), account.displayNameWithHost(), account.username,
                        m_model.reauthNeeded().contains(account.id) ? QStringLiteral("reconnect") : QString()}
                .join(QLatin1Char('\n')));
    }
    if (shown == m_accountsShown)
        return;
    m_accountsShown = shown;
    relayout();
    clearLayout(m_accountList);
    m_reconnectButtons.clear();
    m_removeButtons.clear();
    QWidget* list = m_accountList->parentWidget();
    if (m_model.accounts().isEmpty()) {
        m_accountList->addWidget(
            label(tr("No accounts configured"), TextStyle::callout, ThemeColor::secondary, list));
        return;
    }
    for (const GitHubAccount& account : m_model.accounts()) {
        auto* card = new Card(list, 8);
        auto* layout = row(card, 10, QMargins(12, 10, 12, 10));
        layout->addWidget(new SymbolLabel(Symbol::personCircleFill, ThemeColor::blue, 22, card));
        auto* names = new QWidget(card);
        auto* nameColumn = column(names, 2);
        nameColumn->addWidget(
            label(account.displayNameWithHost(), TextStyle::body, ThemeColor::primary, names));
        if (account.label)
            nameColumn->addWidget(label(account.username, TextStyle::caption, ThemeColor::secondary, names));
        layout->addWidget(names);
        layout->addStretch();
        if (m_model.reauthNeeded().contains(account.id)) {
            auto* reconnect = new FilledButton(tr("Reconnect"), ThemeColor::orange, TextStyle::caption, card);
            connect(reconnect, &QAbstractButton::clicked, this,
                    [this, account] { presentAddAccount(account); });
            m_reconnectButtons.insert(account.id, reconnect);
            layout->addWidget(reconnect);
        }
        //: Spoken name of the trash button of an account; %1 is the account's name (and server)
        auto* remove = new SymbolButton(Symbol::trash, ThemeColor::red,
                                        tr("Remove %1").arg(account.displayNameWithHost()), card);
        connect(remove, &QToolButton::clicked, this, [this, account] { removeAccount(account); });
        m_removeButtons.insert(account.id, remove);
        layout->addWidget(remove);
        m_accountList->addWidget(card);
    }
}

void SettingsView::updatePermission()
{
    relayout();
    const PermissionAppearance look = permissionAppearance(m_model.notificationPermissionStatus());
    auto* card = static_cast<Card*>(m_permissionCard);
    card->setTint(look.tint, 0.1);
    auto* layout = static_cast<QHBoxLayout*>(card->layout());
    if (m_permissionIcon) {
        layout->removeWidget(m_permissionIcon);
        delete m_permissionIcon;
    }
    m_permissionIcon = new SymbolLabel(look.symbol, look.tint, symbolSizeFor(TextStyle::callout) + 2, card);
    layout->insertWidget(0, m_permissionIcon);
    //: %1 is one of "Not Requested", "Denied", "Enabled", "Checking..."
    m_permissionLabel->setText(tr("Notification Permission: %1").arg(look.word));
    // Where the desktop has no known settings panel there is nowhere to send the user.
    m_openSettings->setVisible(look.offersOpenSettings && bool(m_deps.openNotificationSettings));
}

void SettingsView::updateNotificationSettings()
{
    const NotificationSettings& settings = m_model.notificationSettings();
    const bool values[] = {settings.notifyOnReviewRequest, settings.notifyOnTeamReviewRequest,
                           settings.notifyOnChangesRequested, settings.notifyOnApproval};
    for (int i = 0; i < m_switches.size(); ++i) {
        const QSignalBlocker blocker(m_switches[i]);
        m_switches[i]->setChecked(values[i]);
    }
    int selected = -1;
    const QList<PollingChoice> choices = pollingChoices();
    for (int i = 0; i < choices.size(); ++i) {
        if (choices[i].minutes == settings.pollingIntervalMinutes)
            selected = i;
    }
    m_polling->setSelectedIndex(selected);
}

void SettingsView::updateTestError()
{
    relayout();
    const std::optional<QString>& message = m_model.errorMessage();
    m_testError->setText(message.value_or(QString()));
    m_testError->setVisible(message.has_value());
}

QStringList SettingsView::blockedRowsShown() const
{
    return m_blockedShown.value_or(QStringList());
}

void SettingsView::updateBlocked()
{
    QStringList entries = m_model.blockedRepositories().values();
    std::sort(entries.begin(), entries.end());
    if (entries == m_blockedShown)
        return;
    m_blockedShown = entries;
    relayout();
    clearLayout(m_blockedList);
    QWidget* list = m_blockedList->parentWidget();
    if (entries.isEmpty()) {
        m_blockedList->addWidget(
            label(tr("No blocked repos or orgs"), TextStyle::caption, ThemeColor::secondary, list));
        return;
    }
    for (const QString& entry : entries) {
        QHBoxLayout* layout = nullptr;
        Card* card = entryRow(list, &layout);
        const bool organisation = !entry.contains(QLatin1Char('/'));
        layout->addWidget(new SymbolLabel(organisation ? Symbol::building2Slash : Symbol::xmarkCircleFill,
                                          ThemeColor::red, symbolSizeFor(TextStyle::caption), card));
        layout->addWidget(label(entry, TextStyle::callout, ThemeColor::primary, card));
        if (organisation)
            //: A small badge beside a blocked organisation: every repository of it is blocked
            layout->addWidget(smallBadge(tr("all repos"), card));
        layout->addStretch();
        auto* unblock =
            new PlainButton(tr("Unblock"), TextStyle::caption, ThemeColor::accent, std::nullopt, card);
        unblock->setAccessibleDescription(entry);
        connect(unblock, &QAbstractButton::clicked, this, [this, entry] {
            QSet<QString> blocked = m_model.blockedRepositories();
            blocked.remove(entry);
            m_model.setBlockedRepositories(blocked);
            m_model.saveRepositorySettings();
        });
        layout->addWidget(unblock);
        m_blockedList->addWidget(card);
    }
}

void SettingsView::updateFavorites()
{
    QStringList names = m_model.favoriteRepositories().values();
    std::sort(names.begin(), names.end());
    if (names == m_favoritesShown)
        return;
    m_favoritesShown = names;
    relayout();
    clearLayout(m_favoriteList);
    QWidget* list = m_favoriteList->parentWidget();
    if (names.isEmpty()) {
        m_favoriteList->addWidget(
            label(tr("No favorite repositories"), TextStyle::caption, ThemeColor::secondary, list));
        return;
    }
    for (const QString& name : names) {
        QHBoxLayout* layout = nullptr;
        Card* card = entryRow(list, &layout);
        layout->addWidget(
            new SymbolLabel(Symbol::starFill, ThemeColor::yellow, symbolSizeFor(TextStyle::caption), card));
        layout->addWidget(label(name, TextStyle::callout, ThemeColor::primary, card));
        layout->addStretch();
        auto* remove =
            new PlainButton(tr("Remove"), TextStyle::caption, ThemeColor::accent, std::nullopt, card);
        remove->setAccessibleDescription(name);
        connect(remove, &QAbstractButton::clicked, this, [this, name] { m_model.toggleFavorite(name); });
        layout->addWidget(remove);
        m_favoriteList->addWidget(card);
    }
}

void SettingsView::updateWatchCards()
{
    relayout();
    // Rebuilt only when the accounts change, so a field being typed in keeps its focus across polls.
    clearLayout(m_watchList);
    m_watchCards.clear();
    QWidget* list = m_watchList->parentWidget();
    for (const GitHubAccount& account : m_model.accounts()) {
        const QUuid id = account.id;
        WatchCard watch;
        auto* card = new Card(list, 8);
        watch.card = card;
        auto* layout = column(card, 8, QMargins(12, 10, 12, 10));
        layout->addWidget(label(account.displayNameWithHost(), TextStyle::subheadline, ThemeColor::primary,
                                card, QFont::Medium));
        auto* entries = new QWidget(card);
        watch.entries = column(entries, 4);
        layout->addWidget(entries);
        watch.suggestions = new QWidget(card);
        column(watch.suggestions, 6);
        layout->addWidget(watch.suggestions);

        auto* input = new QWidget(card);
        auto* inputRow = row(input, 8);
        watch.input = new QLineEdit(input);
        watch.input->setPlaceholderText(tr("e.g. apple/swift or your-org/your-repo"));
        //: Spoken name of the field; %1 is the account's name (and server)
        watch.input->setAccessibleName(tr("Repository to watch for %1").arg(account.displayNameWithHost()));
        watch.input->setText(m_newRepoInputs.value(id));
        watch.add = new QPushButton(tr("Add"), input);
        watch.add->setEnabled(!watch.input->text().isEmpty());
        connect(watch.input, &QLineEdit::textChanged, this, [this, id](const QString& text) {
            m_newRepoInputs.insert(id, text);
            if (const auto it = m_watchCards.constFind(id); it != m_watchCards.cend())
                it->add->setEnabled(!text.isEmpty());
        });
        connect(watch.input, &QLineEdit::textEdited, this, [this, id] {
            m_newRepoErrors.remove(id);
            if (const auto it = m_watchCards.constFind(id); it != m_watchCards.cend())
                it->error->hide();
        });
        connect(watch.input, &QLineEdit::returnPressed, this, [this, id] {
            if (!m_newRepoInputs.value(id).isEmpty())
                addWatched(id);
        });
        connect(watch.add, &QPushButton::clicked, this, [this, id] { addWatched(id); });
        inputRow->addWidget(watch.input, 1);
        inputRow->addWidget(watch.add);
        layout->addWidget(input);
        watch.error = label(m_newRepoErrors.value(id), TextStyle::caption, ThemeColor::red, card);
        watch.error->setVisible(m_newRepoErrors.contains(id));
        layout->addWidget(watch.error);
        m_watchCards.insert(id, watch);
        m_watchList->addWidget(card);
    }
    updateWatchEntries();
}

void SettingsView::updateWatchEntries()
{
    // Every poll comes here (the suggestions follow the pull requests); most change nothing.
    const QStringList available = m_model.availableRepositories();
    for (auto it = m_watchCards.begin(); it != m_watchCards.end(); ++it) {
        WatchCard& watch = it.value();
        const QList<WatchedRepo> repos = m_store.repos(it.key());
        const QStringList names = watchSuggestions(available, repos);
        if (repos != watch.shownEntries) {
            watch.shownEntries = repos;
            relayout();
            rebuildWatchEntries(watch, repos);
        }
        if (names != watch.shownSuggestions) {
            watch.shownSuggestions = names;
            relayout();
            rebuildSuggestions(watch, it.key(), names);
        }
    }
}

void SettingsView::rebuildWatchEntries(WatchCard& watch, const QList<WatchedRepo>& repos)
{
    QWidget* card = watch.card;
    clearLayout(watch.entries);
    if (repos.isEmpty()) {
        watch.entries->addWidget(
            label(tr("No repos watched"), TextStyle::caption, ThemeColor::secondary, card));
    }
    for (const WatchedRepo& repo : repos) {
        auto* line = new QWidget(card);
        auto* layout = row(line, 6);
        layout->addWidget(label(repo.fullName, TextStyle::callout, ThemeColor::primary, line));
        layout->addStretch();
        auto* remove = new SymbolButton(Symbol::xmarkCircleFill, ThemeColor::secondary,
                                        tr("Stop watching %1").arg(repo.fullName), line, 14);
        const QUuid entryId = repo.id;
        connect(remove, &QToolButton::clicked, this, [this, entryId] { m_store.remove(entryId); });
        layout->addWidget(remove);
        watch.entries->addWidget(line);
    }
}

void SettingsView::rebuildSuggestions(WatchCard& watch, const QUuid& accountId, const QStringList& names)
{
    auto* suggestions = static_cast<QVBoxLayout*>(watch.suggestions->layout());
    clearLayout(suggestions);
    watch.chips.clear();
    watch.suggestions->setVisible(!names.isEmpty());
    if (names.isEmpty())
        return;
    //: Above the repositories of the user's pull requests, offered to be watched
    suggestions->addWidget(
        label(tr("From your PR activity:"), TextStyle::caption, ThemeColor::secondary, watch.suggestions));
    auto* chips = new QWidget(watch.suggestions);
    auto* flow = new FlowLayout(6, chips);
    for (const QString& name : names) {
        auto* chip = new ChipButton(name, chips);
        // A suggestion is a name GitHub gave us, so it is added as it stands.
        connect(chip, &QAbstractButton::clicked, this,
                [this, name, accountId] { m_store.add(name, accountId); });
        flow->addWidget(chip);
        watch.chips.append(chip);
    }
    suggestions->addWidget(chips);
}

// --- Actions -----------------------------------------------------------------------------------------------

void SettingsView::removeAccount(const GitHubAccount& account)
{
    // Its watched entries first, so no tab reloads them for an account that is already gone.
    m_store.removeAll(account.id);
    m_model.removeAccount(account);
}

void SettingsView::setNotificationField(bool NotificationSettings::*field, bool on)
{
    NotificationSettings settings = m_model.notificationSettings();
    settings.*field = on;
    m_model.setNotificationSettings(settings);
    m_model.saveNotificationSettings();
}

void SettingsView::blockEntry()
{
    const QString text = trimmedBlockInput(m_blockInput->text());
    if (!isValidBlockEntry(text)) {
        m_blockError->setText(tr("Enter an org (my-org) or repo (my-org/repo)"));
        m_blockError->show();
        return;
    }
    if (text.contains(QLatin1Char('/')))
        m_model.blockRepository(text);
    else
        m_model.blockOwner(text);
    m_blockInput->clear();
}

void SettingsView::addWatched(const QUuid& accountId)
{
    const QString input = m_newRepoInputs.value(accountId);
    const auto it = m_watchCards.find(accountId);
    if (!isValidRepoName(input)) {
        m_newRepoErrors.insert(accountId, tr("Use format: owner/repo"));
        if (it != m_watchCards.end()) {
            it->error->setText(m_newRepoErrors.value(accountId));
            it->error->show();
        }
        return;
    }
    // GitHub's names ignore letter case: Octo/Hello is the octo/hello already listed, and a second entry
    // would show every issue twice.
    if (const std::optional<WatchedRepo> existing = m_store.find(input, accountId)) {
        m_newRepoErrors.insert(accountId, tr("Already watching %1").arg(existing->fullName));
        if (it != m_watchCards.end()) {
            it->error->setText(m_newRepoErrors.value(accountId));
            it->error->show();
        }
        return;
    }
    m_store.add(input, accountId);
    m_newRepoInputs.remove(accountId);
    m_newRepoErrors.remove(accountId);
    if (it != m_watchCards.end()) {
        it->input->clear();
        it->error->hide();
    }
}

QAbstractButton* SettingsView::reconnectButton(const QUuid& accountId) const
{
    return m_reconnectButtons.value(accountId);
}

QAbstractButton* SettingsView::removeAccountButton(const QUuid& accountId) const
{
    return m_removeButtons.value(accountId);
}

QLineEdit* SettingsView::watchedInput(const QUuid& accountId) const
{
    return m_watchCards.value(accountId).input;
}

QPushButton* SettingsView::watchedAddButton(const QUuid& accountId) const
{
    return m_watchCards.value(accountId).add;
}

ThemedLabel* SettingsView::watchedErrorLabel(const QUuid& accountId) const
{
    return m_watchCards.value(accountId).error;
}

QList<QAbstractButton*> SettingsView::suggestionChips(const QUuid& accountId) const
{
    return m_watchCards.value(accountId).chips;
}

// --- The sheet and the alert -------------------------------------------------------------------------------

void SettingsView::presentAddAccount(std::optional<GitHubAccount> reauth)
{
    if (m_sheet)
        return;
    // A new sheet and a fresh sign-in every time, so it starts at the first step with empty fields and a new
    // device flow.
    m_signIn->begin(std::move(reauth));
    auto* sheet = new AddAccountView(*m_signIn, m_deps.addAccount.urlOpener);
    connect(sheet, &AddAccountView::added, this, &SettingsView::signIn);
    connect(sheet, &AddAccountView::cancelled, this, &SettingsView::dismissAddAccount);
    m_sheet = new SheetOverlay(window(), sheet);
    // However the sheet goes, its sign-in ends and the account it was opened for is forgotten.
    connect(m_sheet, &QObject::destroyed, m_signIn, &SignInModel::end);
    m_sheet->show();
}

void SettingsView::dismissAddAccount()
{
    m_signIn->end();
    if (m_sheet) {
        // Ended now: its deletion, later, must not end a sign-in a later sheet began.
        disconnect(m_sheet, &QObject::destroyed, m_signIn, nullptr);
        m_sheet->close();
        m_sheet.clear();
    }
}

AddAccountView* SettingsView::addAccountView() const
{
    return m_sheet ? qobject_cast<AddAccountView*>(m_sheet->sheet()) : nullptr;
}

void SettingsView::signIn(const QString& username, const QString& token, const std::optional<QString>& label,
                          const AccountServer& server)
{
    if (const std::optional<GitHubAccount> account = m_signIn->reauthAccount()) {
        reconnect(*account, username, token);
        return;
    }
    addNewAccount(username, token, label, server);
}

QCoro::Task<> SettingsView::addNewAccount(QString username, QString token, std::optional<QString> label,
                                          AccountServer server)
{
    QPointer<SettingsView> self(this);
    // The sheet stays up, busy, until the keychain answered: an unlock prompt can take its time.
    const SignInModel::Added outcome = co_await m_signIn->add(username, token, label, server);
    // A second press while the first one's token is being saved adds nothing and leaves the sheet up.
    if (!self || outcome == SignInModel::Added::busy)
        co_return;
    dismissAddAccount();
    if (outcome == SignInModel::Added::notAdded) {
        showAlert(tr("Account Not Added"),
                  //: %1 is the login of the account
                  tr("The token for @%1 could not be saved in the system keychain, so the account "
                     "was not added. Make sure the keychain is unlocked, then add the account again.")
                      .arg(username));
    }
}

QCoro::Task<> SettingsView::reconnect(GitHubAccount account, QString login, QString token)
{
    QPointer<SettingsView> self(this);
    // The sheet stays up, busy, until the keychain answered, as for a new account: only then is the account
    // reconnected, or not.
    const SignInModel::Reconnected outcome = co_await m_signIn->reconnect(account, login, token);
    if (!self || outcome == SignInModel::Reconnected::busy)
        co_return;
    dismissAddAccount();
    switch (outcome) {
    case SignInModel::Reconnected::reconnected:
    case SignInModel::Reconnected::busy:
        break;
    case SignInModel::Reconnected::mismatch:
        // The token belongs to someone else: it was dropped, and the account stays marked.
        showAlert(tr("Account Mismatch"), reauthMismatchMessage(login, account.username));
        break;
    case SignInModel::Reconnected::notSaved:
        showAlert(tr("Reconnect Failed"),
                  //: %1 is the login of the account
                  tr("The new token for @%1 could not be saved in the system keychain. Make sure the "
                     "keychain is unlocked, then reconnect again.")
                      .arg(account.username));
        break;
    }
}

void SettingsView::showAlert(const QString& title, const QString& message)
{
    dismissAlert();
    m_alertTitle = title;
    m_alertMessage = message;
    auto* card = new AlertCard(title, message);
    connect(card, &AlertCard::dismissed, this, &SettingsView::dismissAlert);
    m_alert = new SheetOverlay(window(), card);
    m_alert->show();
}

bool SettingsView::isPresenting() const
{
    return bool(m_sheet) || bool(m_alert);
}

void SettingsView::discardTypedInput()
{
    m_newRepoInputs.clear();
    m_newRepoErrors.clear();
    for (const WatchCard& watch : std::as_const(m_watchCards)) {
        const QSignalBlocker blocker(watch.input);
        watch.input->clear();
        watch.add->setEnabled(false);
        watch.error->hide();
    }
    m_blockInput->clear();
    m_blockError->hide();
}

bool SettingsView::isAlertShown() const
{
    return bool(m_alert);
}

void SettingsView::dismissAlert()
{
    if (m_alert) {
        m_alert->close();
        m_alert.clear();
    }
}

} // namespace norvane::ui
