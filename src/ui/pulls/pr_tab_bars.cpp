// The pull-request tab's bars: the repository menu, the filter tabs and the sort menu.
#include "models/pr_view_model.h"
#include "ui/pulls/pr_row_menu.h"
#include "ui/pulls/pr_tab.h"
#include "ui/widgets/controls.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

namespace norvane::ui {

QString repositoryMenuLabel(const QString& repo, int count)
{
    return QStringLiteral("%1 (%2)").arg(repo).arg(count);
}

namespace {

Symbol sortSymbol(PRSortOption option)
{
    switch (option) {
    case PRSortOption::updated:
        return Symbol::clockArrowCirclepath;
    case PRSortOption::created:
        return Symbol::calendar;
    case PRSortOption::repository:
        return Symbol::folder;
    case PRSortOption::prNumber:
        break;
    }
    return Symbol::number;
}

QString allRepositoriesText(int count)
{
    //: The repository menu's first entry; %1 counts the pull requests shown
    return PullRequestTab::tr("All Repositories (%1)").arg(count);
}

} // namespace

void PullRequestTab::buildRepositoryBar()
{
    m_repositoryBar = new QWidget(this);
    auto* row = new QHBoxLayout(m_repositoryBar);
    row->setContentsMargins(12, 8, 12, 0);
    row->setSpacing(6);
    row->addWidget(
        new ThemedLabel(tr("Repository:"), TextStyle::subheadline, ThemeColor::secondary, m_repositoryBar));
    m_repositoryMenu = new QMenu(this);
    connect(m_repositoryMenu, &QMenu::aboutToShow, this, &PullRequestTab::populateRepositoryMenu);
    m_repositoryButton = new MenuButton(m_repositoryMenu, m_repositoryBar);
    m_repositoryButton->setMaximumTextWidth(320);
    m_repositoryButton->setAccessibleName(tr("Repository"));
    row->addWidget(m_repositoryButton);
    m_clearRepository = new SymbolButton(Symbol::xmarkCircleFill, ThemeColor::secondary,
                                         tr("Show all repositories"), m_repositoryBar, 12);
    connect(m_clearRepository, &QToolButton::clicked, this, [this] {
        m_model.setSelectedRepository(std::nullopt);
        m_model.saveRepositorySettings();
    });
    row->addWidget(m_clearRepository);
    row->addStretch();
    // At the end of the bar: the filter row below has no room left for it with six tabs and the sort.
    m_snoozedMenu = new QMenu(this);
    connect(m_snoozedMenu, &QMenu::aboutToShow, this, &PullRequestTab::populateSnoozedMenu);
    m_snoozedButton = new MenuButton(m_snoozedMenu, m_repositoryBar);
    m_snoozedButton->setLeading(Symbol::clock, ThemeColor::secondary);
    row->addWidget(m_snoozedButton);
}

QWidget* PullRequestTab::buildFilterRow()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 6, 8, 6);
    row->setSpacing(0);
    for (PRFilter filter : kAllFilters) {
        auto* tab = new PillButton(PillButton::Kind::filter, filterTitle(filter), bar);
        // Only the view changes: the filter choice is not kept across runs.
        connect(tab, &QAbstractButton::clicked, this, [this, filter] { m_model.setSelectedFilter(filter); });
        m_filterTabs.append(tab);
        row->addWidget(tab);
    }
    row->addStretch();

    m_sortMenu = new QMenu(this);
    auto* group = new QActionGroup(m_sortMenu);
    for (PRSortOption option : kAllSortOptions) {
        QAction* action = m_sortMenu->addAction(sortTitle(option));
        action->setIcon(symbolIcon(sortSymbol(option), color(ThemeColor::primary, palette())));
        action->setCheckable(true);
        action->setData(int(option));
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, option] {
            m_model.setSelectedSortOption(option);
            m_model.saveRepositorySettings();
        });
    }
    m_sortButton = new MenuButton(m_sortMenu, bar);
    row->addWidget(m_sortButton);
    return bar;
}

// The six filters and the sort fill the 560 px row, so the sections' chips get a row of their own that
// scrolls sideways when they outgrow it; without sections it is hidden.
QWidget* PullRequestTab::buildSectionRow()
{
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setAccessibleName(tr("Sections"));
    m_sectionStrip = new QWidget(scroll);
    auto* row = new QHBoxLayout(m_sectionStrip);
    row->setContentsMargins(6, 0, 8, 6);
    row->setSpacing(0);
    row->addStretch();
    scroll->setWidget(m_sectionStrip);
    m_sectionRow = scroll;
    rebuildSectionChips();
    return scroll;
}

void PullRequestTab::rebuildSectionChips()
{
    qDeleteAll(m_sectionChips);
    m_sectionChips.clear();
    auto* row = static_cast<QHBoxLayout*>(m_sectionStrip->layout());
    for (const SearchSection& section : m_model.sections()) {
        auto* chip = new PillButton(PillButton::Kind::filter, section.name, m_sectionStrip);
        connect(chip, &QAbstractButton::clicked, this,
                [this, name = section.name] { m_model.setSelectedSection(name); });
        row->insertWidget(row->count() - 1, chip);
        m_sectionChips.append(chip);
    }
    m_sectionRow->setVisible(!m_sectionChips.isEmpty());
    if (!m_sectionChips.isEmpty())
        m_sectionRow->setFixedHeight(
            m_sectionStrip->sizeHint().height() +
            static_cast<QScrollArea*>(m_sectionRow)->horizontalScrollBar()->sizeHint().height());
    updateFilterCounts();
}

void PullRequestTab::populateRepositoryMenu()
{
    m_repositoryMenu->clear();
    const QStringList repos = m_model.availableRepositories();
    const QSet<QString>& favorites = m_model.favoriteRepositories();
    const QColor iconColor = color(ThemeColor::primary, palette());

    QAction* all = m_repositoryMenu->addAction(allRepositoriesText(m_model.countForFilter(PRFilter::all)));
    connect(all, &QAction::triggered, this, [this] {
        m_model.setSelectedRepository(std::nullopt);
        m_model.saveRepositorySettings();
    });
    m_repositoryMenu->addSeparator();

    const auto addRepository = [&](const QString& repo) {
        const bool favorite = favorites.contains(repo);
        QMenu* sub = m_repositoryMenu->addMenu(
            literalActionText(repositoryMenuLabel(repo, m_model.countForRepository(repo))));
        if (favorite)
            sub->setIcon(symbolIcon(Symbol::starFill, color(ThemeColor::yellow, palette())));
        connect(sub->addAction(symbolIcon(Symbol::checkmark, iconColor), tr("Select")), &QAction::triggered,
                this, [this, repo] {
                    m_model.setSelectedRepository(repo);
                    m_model.saveRepositorySettings();
                });
        connect(sub->addAction(symbolIcon(favorite ? Symbol::starSlash : Symbol::star, iconColor),
                               favorite ? tr("Remove from Favorites") : tr("Add to Favorites")),
                &QAction::triggered, this, [this, repo] { m_model.toggleFavorite(repo); });
        connect(sub->addAction(symbolIcon(Symbol::xmarkCircle, iconColor), tr("Block Repository")),
                &QAction::triggered, this, [this, repo] { m_model.blockRepository(repo); });
        const QString owner = repositoryOwner(repo);
        connect(sub->addAction(symbolIcon(Symbol::building2Slash, iconColor),
                               //: %1 is a repository's owner, a user or an organization
                               tr("Block all from %1").arg(owner)),
                &QAction::triggered, this, [this, owner] { m_model.blockOwner(owner); });
    };
    int favoriteCount = 0;
    for (const QString& repo : repos) {
        if (favorites.contains(repo)) {
            addRepository(repo);
            ++favoriteCount;
        }
    }
    if (favoriteCount > 0)
        m_repositoryMenu->addSeparator();
    for (const QString& repo : repos) {
        if (!favorites.contains(repo))
            addRepository(repo);
    }
}

void PullRequestTab::updateRepositoryBar()
{
    m_repositoryBar->setVisible(!m_model.availableRepositories().isEmpty() ||
                                !m_model.snoozedPullRequests().isEmpty());
    const auto& selected = m_model.selectedRepository();
    if (selected) {
        const bool favorite = m_model.favoriteRepositories().contains(*selected);
        m_repositoryButton->setLeading(favorite ? std::optional<Symbol>(Symbol::starFill) : std::nullopt);
        m_repositoryButton->setText(repositoryMenuLabel(*selected, m_model.countForRepository(*selected)));
    } else {
        m_repositoryButton->setLeading(std::nullopt);
        m_repositoryButton->setText(allRepositoriesText(m_model.countForFilter(PRFilter::all)));
    }
    m_repositoryButton->updateGeometry();
    m_clearRepository->setVisible(selected.has_value());
}

void PullRequestTab::updateFilterCounts()
{
    for (int i = 0; i < m_filterTabs.size(); ++i) {
        const PRFilter filter = kAllFilters[i];
        m_filterTabs[i]->setCount(m_model.countForFilter(filter));
        m_filterTabs[i]->setSelected(!m_model.selectedSection() && m_model.selectedFilter() == filter);
    }
    const QList<SearchSection>& sections = m_model.sections();
    for (int i = 0; i < m_sectionChips.size() && i < sections.size(); ++i) {
        PillButton* chip = m_sectionChips[i];
        chip->setCount(m_model.countForSection(sections[i].name));
        chip->setSelected(m_model.selectedSection() == sections[i].name);
        // A failed search says why on the chip; the text is GitHub's, shown as it is.
        const auto error = m_model.sectionError(sections[i].name);
        chip->setToolTip(error ? tr("The search failed: %1").arg(error->toHtmlEscaped()) : QString());
        chip->setAccessibleDescription(error ? tr("The search failed: %1").arg(*error) : QString());
    }
}

void PullRequestTab::populateSnoozedMenu()
{
    m_snoozedMenu->clear();
    const QColor iconColor = color(ThemeColor::primary, palette());
    for (const PullRequest& pr : m_model.snoozedPullRequests()) {
        const auto snooze = m_model.snoozeOf(pr.id);
        const QString end = snooze ? QStringLiteral(" (%1)").arg(snoozeEndText(*snooze)) : QString();
        QMenu* sub = m_snoozedMenu->addMenu(literalActionText(
            QStringLiteral("%1 #%2 %3%4").arg(pr.repository).arg(pr.number).arg(pr.title, end)));
        connect(sub->addAction(symbolIcon(Symbol::clockArrowCirclepath, iconColor), tr("Unsnooze")),
                &QAction::triggered, this, [this, id = pr.id] { m_model.unsnooze(id); });
    }
}

void PullRequestTab::updateSnoozedButton()
{
    const qsizetype count = m_model.snoozedPullRequests().size();
    //: The button that lists the snoozed pull requests, with their count
    const QString snoozed = tr("Snoozed %n", nullptr, int(count));
    m_snoozedButton->setText(snoozed);
    m_snoozedButton->setCompactText(QString::number(count));
    m_snoozedButton->setToolTip(snoozed);
    m_snoozedButton->setVisible(count > 0);
    m_snoozedButton->updateGeometry();
}

void PullRequestTab::updateSortMenu()
{
    const PRSortOption current = m_model.selectedSortOption();
    for (QAction* action : m_sortMenu->actions())
        action->setChecked(action->data().toInt() == int(current));
    //: The sort button; %1 is the sort order, such as "Updated"
    m_sortButton->setText(tr("Sort by: %1").arg(sortTitle(current)));
    m_sortButton->setCompactText(sortTitle(current));
    m_sortButton->updateGeometry();
}

} // namespace norvane::ui
