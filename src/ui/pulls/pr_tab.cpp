#include "ui/pulls/pr_tab.h"

#include "models/pr_view_model.h"
#include "platform/url_opener.h"
#include "ui/pulls/list_selection.h"
#include "ui/pulls/pr_list_model.h"
#include "ui/pulls/pr_row_menu.h"
#include "ui/pulls/pr_row_view.h"
#include "ui/pulls/rate_limit_line.h"
#include "ui/widgets/controls.h"

#include <QEasingCurve>
#include <QHBoxLayout>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace norvane::ui {

PullRequestTab::PullRequestTab(PRViewModel& model, UrlOpener& urlOpener, QWidget* parent)
    : QWidget(parent), m_model(model), m_urlOpener(urlOpener)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_reauthBanner = new ControlStrip(this);
    auto* reauthRow = new QHBoxLayout(m_reauthBanner);
    reauthRow->setContentsMargins(12, 6, 12, 6);
    reauthRow->setSpacing(6);
    reauthRow->addWidget(
        new SymbolLabel(Symbol::exclamationmarkTriangle, ThemeColor::orange, 12, m_reauthBanner));
    m_reauthLabel = new ThemedLabel({}, TextStyle::callout, ThemeColor::primary, m_reauthBanner);
    m_reauthLabel->setTextFormat(Qt::PlainText);
    m_reauthLabel->setWordWrap(true);
    reauthRow->addWidget(m_reauthLabel, 1);
    m_reconnect = new QPushButton(tr("Reconnect"), m_reauthBanner);
    connect(m_reconnect, &QPushButton::clicked, this, &PullRequestTab::reconnectRequested);
    reauthRow->addWidget(m_reconnect);
    column->addWidget(m_reauthBanner);

    m_errorBanner = new ControlStrip(this);
    auto* bannerRow = new QHBoxLayout(m_errorBanner);
    bannerRow->setContentsMargins(12, 6, 12, 6);
    bannerRow->setSpacing(6);
    bannerRow->addWidget(
        new SymbolLabel(Symbol::exclamationmarkTriangle, ThemeColor::orange, 12, m_errorBanner));
    m_errorLabel = new ThemedLabel({}, TextStyle::caption, ThemeColor::secondary, m_errorBanner);
    m_errorLabel->setWordWrap(true);
    bannerRow->addWidget(m_errorLabel, 1);
    column->addWidget(m_errorBanner);
    column->addWidget(new RateLimitLine(m_model, this));

    buildRepositoryBar();
    column->addWidget(m_repositoryBar);
    column->addWidget(buildFilterRow());
    column->addWidget(buildSectionRow());
    buildListArea();
    column->addWidget(m_states, 1);

    const auto rows = [this] { reloadRows(); };
    connect(&m_model, &PRViewModel::pullRequestsChanged, this, rows);
    connect(&m_model, &PRViewModel::selectedFilterChanged, this, rows);
    connect(&m_model, &PRViewModel::selectedSectionChanged, this, rows);
    connect(&m_model, &PRViewModel::sectionsChanged, this, [this] {
        rebuildSectionChips();
        reloadRows();
    });
    connect(&m_model, &PRViewModel::selectedRepositoryChanged, this, rows);
    connect(&m_model, &PRViewModel::selectedSortOptionChanged, this, rows);
    connect(&m_model, &PRViewModel::blockedRepositoriesChanged, this, rows);
    connect(&m_model, &PRViewModel::favoriteRepositoriesChanged, this, rows);
    // Switching accounts swaps the seen snapshots before the new list arrives.
    connect(&m_model, &PRViewModel::seenStatesChanged, this, [this] { reloadUpdates(); });
    connect(&m_model, &PRViewModel::selectedAccountChanged, this, [this] {
        reloadUpdates();
        updateListState();
        updateReauthBanner();
    });
    connect(&m_model, &PRViewModel::isLoadingChanged, this, [this] { updateListState(); });
    connect(&m_model, &PRViewModel::accountsChanged, this, [this] { updateListState(); });
    connect(&m_model, &PRViewModel::errorMessageChanged, this, [this] {
        updateErrorBanner();
        updateListState();
    });
    connect(&m_model, &PRViewModel::reauthNeededChanged, this, [this] {
        updateReauthBanner();
        updateListState();
    });

    updateReauthBanner();
    updateErrorBanner();
    reloadRows();
}

PullRequestTab::~PullRequestTab() = default;

void PullRequestTab::buildListArea()
{
    m_states = new QStackedWidget(this);

    auto* loading = new QWidget(m_states);
    auto* loadingColumn = new QVBoxLayout(loading);
    loadingColumn->addStretch();
    auto* spinner = new QProgressBar(loading);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedWidth(120);
    loadingColumn->addWidget(spinner, 0, Qt::AlignHCenter);
    loadingColumn->addWidget(
        new ThemedLabel(tr("Loading PRs..."), TextStyle::callout, ThemeColor::secondary, loading), 0,
        Qt::AlignHCenter);
    loadingColumn->addStretch();
    m_states->addWidget(loading);

    auto* empty = new QWidget(m_states);
    auto* emptyColumn = new QVBoxLayout(empty);
    emptyColumn->setSpacing(8);
    emptyColumn->addStretch();
    emptyColumn->addWidget(new SymbolLabel(Symbol::checkmarkCircle, ThemeColor::green, 48, empty), 0,
                           Qt::AlignHCenter);
    emptyColumn->addWidget(
        new ThemedLabel(tr("All caught up!"), TextStyle::title, ThemeColor::primary, empty), 0,
        Qt::AlignHCenter);
    m_emptyDetail = new ThemedLabel({}, TextStyle::caption, ThemeColor::secondary, empty);
    emptyColumn->addWidget(m_emptyDetail, 0, Qt::AlignHCenter);
    emptyColumn->addStretch();
    m_states->addWidget(empty);

    m_list = new QListView(m_states);
    m_listModel = new PRListModel(m_list);
    m_rowView = new PRRowView(m_list);
    m_list->setModel(m_listModel);
    m_list->setItemDelegate(m_rowView);
    setUpRowList(m_list);
    m_list->viewport()->setCursor(Qt::PointingHandCursor);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->verticalScrollBar()->setSingleStep(20);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) { openRow(index.row()); });
    m_listModel->setWokeTest([this](const QString& id) { return m_model.wokeFromSnooze(id); });
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_list->indexAt(pos);
        if (index.isValid())
            openRowMenu(index.row(), m_list->viewport()->mapToGlobal(pos));
    });
    m_states->addWidget(m_list);

    auto* unavailable = new QWidget(m_states);
    auto* unavailableColumn = new QVBoxLayout(unavailable);
    unavailableColumn->setSpacing(8);
    unavailableColumn->addStretch();
    unavailableColumn->addWidget(
        new SymbolLabel(Symbol::exclamationmarkTriangle, ThemeColor::orange, 40, unavailable), 0,
        Qt::AlignHCenter);
    unavailableColumn->addWidget(
        new ThemedLabel(tr("Pull requests not loaded"), TextStyle::title, ThemeColor::primary, unavailable),
        0, Qt::AlignHCenter);
    m_unavailableDetail = new ThemedLabel({}, TextStyle::caption, ThemeColor::secondary, unavailable);
    m_unavailableDetail->setTextFormat(Qt::PlainText);
    unavailableColumn->addWidget(m_unavailableDetail, 0, Qt::AlignHCenter);
    unavailableColumn->addStretch();
    m_states->addWidget(unavailable);
}

// --- Model to view -----------------------------------------------------------------------------------------

void PullRequestTab::reloadRows()
{
    const QList<PullRequest> prs = m_model.filteredPullRequests();
    QList<QList<PRUpdateType>> updates;
    updates.reserve(prs.size());
    for (const PullRequest& pr : prs)
        updates.append(m_model.unseenUpdates(pr));
    m_listModel->setRows(prs, std::move(updates));
    setSelectedPRId(validSelection(rowIds(), m_selectedPRId));
    updateRepositoryBar();
    updateFilterCounts();
    updateSortMenu();
    updateSnoozedButton();
    updateListState();
}

void PullRequestTab::reloadUpdates()
{
    QList<QList<PRUpdateType>> updates;
    for (const PullRequest& pr : m_listModel->pullRequests())
        updates.append(m_model.unseenUpdates(pr));
    m_listModel->setUpdates(std::move(updates));
}

void PullRequestTab::updateListState()
{
    const auto& account = m_model.selectedAccount();
    if (m_model.isLoading())
        m_states->setCurrentIndex(int(ListState::loading));
    else if (account && !m_model.hasListForSelectedAccount())
        m_states->setCurrentIndex(int(ListState::unavailable));
    else if (m_listModel->rowCount() == 0)
        m_states->setCurrentIndex(int(ListState::empty));
    else
        m_states->setCurrentIndex(int(ListState::list));
    m_emptyDetail->setText(m_model.accounts().isEmpty() ? tr("Add a GitHub account in Settings")
                                                        : tr("No PRs match this filter"));
    if (account) {
        m_unavailableDetail->setText(
            m_model.selectedAccountNeedsReauth()
                //: %1 is the account's login
                ? tr("Reconnect %1 to load its pull requests.").arg(account->username)
                //: %1 is the account's login
                : tr("Refresh to try loading the pull requests of %1 again.").arg(account->username));
    }
}

void PullRequestTab::updateReauthBanner()
{
    const bool rejected = m_model.selectedAccountNeedsReauth();
    m_reauthLabel->setText(rejected ? tokenRejectedText(m_model.selectedAccount()->username) : QString());
    m_reauthBanner->setVisible(rejected);
}

QString PullRequestTab::reauthText() const
{
    return m_reauthBanner->isVisibleTo(this) ? m_reauthLabel->text() : QString();
}

QString PullRequestTab::unavailableDetailText() const
{
    return m_unavailableDetail->text();
}

void PullRequestTab::updateErrorBanner()
{
    const auto& message = m_model.errorMessage();
    m_errorLabel->setText(message.value_or(QString()));
    m_errorBanner->setVisible(message.has_value());
}

PullRequestTab::ListState PullRequestTab::listState() const
{
    return ListState(m_states->currentIndex());
}

QString PullRequestTab::errorText() const
{
    return m_errorBanner->isVisibleTo(this) ? m_errorLabel->text() : QString();
}

QString PullRequestTab::emptyDetailText() const
{
    return m_emptyDetail->text();
}

// --- Keyboard selection ------------------------------------------------------------------------------------

QStringList PullRequestTab::rowIds() const
{
    QStringList ids;
    ids.reserve(m_listModel->rowCount());
    for (const PullRequest& pr : m_listModel->pullRequests())
        ids.append(pr.id);
    return ids;
}

void PullRequestTab::setSelectedPRId(const std::optional<QString>& id)
{
    if (m_selectedPRId == id)
        return;
    m_selectedPRId = id;
    m_listModel->setSelectedId(id);
    if (id)
        scrollToSelection();
    Q_EMIT selectedPRIdChanged(id);
}

void PullRequestTab::selectNextPR()
{
    setSelectedPRId(nextSelection(rowIds(), m_selectedPRId));
}

void PullRequestTab::selectPreviousPR()
{
    setSelectedPRId(previousSelection(rowIds(), m_selectedPRId));
}

void PullRequestTab::openSelectedPR()
{
    if (!m_selectedPRId)
        return;
    const int row = m_listModel->rowOf(*m_selectedPRId);
    if (row < 0 || !webAddress(m_listModel->pullRequests()[row].url))
        return;
    openRow(row);
}

void PullRequestTab::openRow(int row)
{
    if (row < 0 || row >= m_listModel->rowCount())
        return;
    // Copied: marking it seen makes the list redraw.
    const PullRequest pr = m_listModel->pullRequests()[row];
    m_model.markAsSeen(pr);
    m_urlOpener.open(pr.url);
}

QMenu* PullRequestTab::openRowMenu(int row, std::optional<QPoint> globalPos)
{
    if (row < 0 || row >= m_listModel->rowCount())
        return nullptr;
    const PullRequest pr = m_listModel->pullRequests()[row];
    setSelectedPRId(pr.id);
    RowMenuActions actions{
        [this, id = pr.id] { openRow(m_listModel->rowOf(id)); },
        [this, pr](SnoozeLength length) { m_model.snooze(pr, length); },
    };
    QMenu* menu = buildRowMenu(pr, std::move(actions), this);
    if (!globalPos) {
        const QRect rect = m_list->visualRect(m_listModel->index(row));
        globalPos = m_list->viewport()->mapToGlobal(QPoint(rect.left() + 24, rect.bottom()));
    }
    menu->popup(*globalPos);
    return menu;
}

bool PullRequestTab::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        if (m_selectedPRId && (key == Qt::Key_F10 || modifiers == Qt::NoModifier))
            openRowMenu(m_listModel->rowOf(*m_selectedPRId));
        return m_selectedPRId.has_value();
    }
    if (modifiers)
        return false;
    switch (key) {
    case Qt::Key_Down:
        selectNextPR();
        return true;
    case Qt::Key_Up:
        selectPreviousPR();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openSelectedPR();
        return true;
    default:
        return false;
    }
}

void PullRequestTab::scrollToSelection()
{
    const int row = m_listModel->rowOf(*m_selectedPRId);
    if (row < 0)
        return;
    QScrollBar* bar = m_list->verticalScrollBar();
    const QRect target = m_list->visualRect(m_listModel->index(row));
    const QRect view = m_list->viewport()->rect();
    int delta = 0;
    if (target.top() < view.top())
        delta = target.top() - view.top();
    else if (target.bottom() > view.bottom())
        delta = std::min(target.bottom() - view.bottom(), target.top() - view.top());
    if (delta == 0)
        return;
    if (m_scroll)
        m_scroll->stop();
    // A short ease-out glide, so the eye can follow where the selection went.
    auto* glide = new QVariantAnimation(this);
    glide->setStartValue(bar->value());
    glide->setEndValue(bar->value() + delta);
    glide->setDuration(150);
    glide->setEasingCurve(QEasingCurve::OutCubic);
    connect(glide, &QVariantAnimation::valueChanged, bar,
            [bar](const QVariant& v) { bar->setValue(v.toInt()); });
    m_scroll = glide;
    glide->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace norvane::ui
