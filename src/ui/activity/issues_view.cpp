#include "ui/activity/issues_view.h"

#include "models/issues_view_model.h"
#include "platform/url_opener.h"
#include "ui/activity/issue_row_view.h"
#include "ui/widgets/controls.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace norvane::ui {

IssuesView::IssuesView(IssuesViewModel& model, UrlOpener& urlOpener, QWidget* parent)
    : QWidget(parent), m_model(model), m_urlOpener(urlOpener)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildFilterBar());
    buildStates();
    column->addWidget(m_states, 1);
    m_errorBanner = new ErrorBanner(this);
    column->addWidget(m_errorBanner);

    const auto rows = [this] { reloadRows(); };
    connect(&m_model, &IssuesViewModel::issuesChanged, this, rows);
    connect(&m_model, &IssuesViewModel::selectedRepositoryChanged, this, rows);
    // Whether the account watches anything can change without the issues changing (a first account).
    connect(&m_model, &IssuesViewModel::selectedAccountChanged, this, [this] { updateState(); });
    connect(&m_model, &IssuesViewModel::isLoadingChanged, this, [this] { updateState(); });
    connect(&m_model, &IssuesViewModel::errorMessageChanged, m_errorBanner, &ErrorBanner::setMessage);

    m_errorBanner->setMessage(m_model.errorMessage());
    reloadRows();
}

IssuesView::~IssuesView() = default;

QWidget* IssuesView::buildFilterBar()
{
    m_filterBar = new QWidget(this);
    auto* column = new QVBoxLayout(m_filterBar);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new ControlStrip(m_filterBar);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(12, 8, 12, 8);
    row->setSpacing(6);
    row->addWidget(new ThemedLabel(tr("Repository:"), TextStyle::subheadline, ThemeColor::primary, bar));
    m_repositoryMenu = new QMenu(this);
    connect(m_repositoryMenu, &QMenu::aboutToShow, this, &IssuesView::populateRepositoryMenu);
    m_repositoryButton = new MenuButton(m_repositoryMenu, bar);
    m_repositoryButton->setMaximumTextWidth(200);
    m_repositoryButton->setAccessibleName(tr("Repository"));
    row->addWidget(m_repositoryButton);
    row->addStretch();
    m_clear = new SymbolButton(Symbol::xmarkCircleFill, ThemeColor::secondary, tr("Show all repositories"),
                               bar, 12);
    connect(m_clear, &QToolButton::clicked, this, [this] { m_model.setSelectedRepository(std::nullopt); });
    row->addWidget(m_clear);
    column->addWidget(bar);
    column->addWidget(divider(m_filterBar));
    return m_filterBar;
}

void IssuesView::buildStates()
{
    m_states = new QStackedWidget(this);
    m_states->addWidget(loadingPage(tr("Loading issues..."), m_states));
    m_states->addWidget(emptyStatePage(Symbol::tray, ThemeColor::secondary, tr("No watched repos"),
                                       tr("Add repos in Settings to see their issues here"), m_states));
    m_states->addWidget(emptyStatePage(Symbol::checkmarkCircle, ThemeColor::green, tr("No open issues"),
                                       tr("All clear for the selected repos"), m_states));

    m_list = new QListView(m_states);
    m_listModel = new IssueListModel(m_list);
    m_rowView = new IssueRowView(m_list);
    m_list->setModel(m_listModel);
    m_list->setItemDelegate(m_rowView);
    setUpRowList(m_list);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    // The pointing hand over a row only: the space under a short list opens nothing.
    m_list->setMouseTracking(true);
    connect(m_list, &QAbstractItemView::entered, this,
            [this] { m_list->viewport()->setCursor(Qt::PointingHandCursor); });
    connect(m_list, &QAbstractItemView::viewportEntered, this, [this] { m_list->viewport()->unsetCursor(); });
    m_list->viewport()->setAutoFillBackground(false);
    m_list->verticalScrollBar()->setSingleStep(20);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) { openRow(index.row()); });
    m_states->addWidget(m_list);
}

void IssuesView::reloadRows()
{
    m_listModel->setIssues(m_model.filteredIssues());
    updateFilterBar();
    updateState();
}

void IssuesView::updateFilterBar()
{
    m_filterBar->setVisible(!m_model.availableRepositories().isEmpty());
    const auto& selected = m_model.selectedRepository();
    // The label keeps naming a selected repository even once it has no issues left to list.
    m_repositoryButton->setText(selected.value_or(tr("All Repositories")));
    m_repositoryButton->updateGeometry();
    m_clear->setVisible(selected.has_value());
}

void IssuesView::populateRepositoryMenu()
{
    m_repositoryMenu->clear();
    const auto entry = [this](const QString& text, std::optional<QString> repo) {
        connect(m_repositoryMenu->addAction(literalActionText(text)), &QAction::triggered, this,
                [this, repo] { m_model.setSelectedRepository(repo); });
    };
    entry(tr("All Repositories"), std::nullopt);
    m_repositoryMenu->addSeparator();
    for (const QString& repo : m_model.availableRepositories())
        entry(repo, repo);
}

void IssuesView::updateState()
{
    State state = State::list;
    if (m_model.isLoading())
        state = State::loading;
    else if (!m_model.hasWatchedRepos())
        state = State::noWatchedRepos;
    else if (m_listModel->rowCount() == 0)
        state = State::allClear;
    m_states->setCurrentIndex(int(state));
}

IssuesView::State IssuesView::state() const
{
    return State(m_states->currentIndex());
}

void IssuesView::openRow(int row)
{
    if (row < 0 || row >= m_listModel->rowCount())
        return;
    // Addresses come from the network: the opener refuses anything but http and https.
    m_urlOpener.open(m_listModel->issues()[row].url);
}

} // namespace norvane::ui
