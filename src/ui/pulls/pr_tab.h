#pragma once

#include "core/pr_rules.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <optional>

class QListView;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QVariantAnimation;

namespace norvane {
class PRViewModel;
class UrlOpener;
} // namespace norvane

namespace norvane::ui {

class MenuButton;
class PillButton;
class PRListModel;
class PRRowView;
class SymbolButton;
class ThemedLabel;

// The pull-request tab: the reconnect banner while GitHub rejects the selected account's token, the error
// banner, the repository bar, the filter row with the sort menu, and the list with its loading, empty and
// unavailable states. Owns the keyboard selection of the list (Up, Down, Return).
class PullRequestTab final : public QWidget
{
    Q_OBJECT

public:
    // `unavailable`: the selected account's list has not arrived (its last answer was a failure).
    enum class ListState { loading, empty, list, unavailable };

    PullRequestTab(PRViewModel& model, UrlOpener& urlOpener, QWidget* parent = nullptr);
    ~PullRequestTab() override;

    const std::optional<QString>& selectedPRId() const { return m_selectedPRId; }
    void selectNextPR();
    void selectPreviousPR();
    // Marks the selected pull request seen, then opens it; nothing without a selection or a web address.
    void openSelectedPR();
    // Up, Down and Return without modifiers, and the Menu key or Shift+F10 for the selected row's menu;
    // false for any other key.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    // Opens the row's menu at `globalPos` (no position: under the row); returns it, or null for no row.
    QMenu* openRowMenu(int row, std::optional<QPoint> globalPos = std::nullopt);

    // The parts, for the panel and its tests.
    ListState listState() const;
    QWidget* errorBanner() const { return m_errorBanner; }
    QString errorText() const;
    QWidget* reauthBanner() const { return m_reauthBanner; }
    // The reconnect banner's sentence; empty while the banner is hidden.
    QString reauthText() const;
    QPushButton* reconnectButton() const { return m_reconnect; }
    QString unavailableDetailText() const;
    QWidget* repositoryBar() const { return m_repositoryBar; }
    MenuButton* repositoryButton() const { return m_repositoryButton; }
    QMenu* repositoryMenu() const { return m_repositoryMenu; }
    SymbolButton* clearRepositoryButton() const { return m_clearRepository; }
    const QList<PillButton*>& filterTabs() const { return m_filterTabs; }
    // One chip per section of the selected account, in their order, on a row of their own below the filters.
    const QList<PillButton*>& sectionChips() const { return m_sectionChips; }
    MenuButton* sortButton() const { return m_sortButton; }
    QMenu* sortMenu() const { return m_sortMenu; }
    // "Snoozed N" at the end of the repository bar, shown while N > 0; its menu lists them.
    MenuButton* snoozedButton() const { return m_snoozedButton; }
    void populateSnoozedMenu();
    QListView* listView() const { return m_list; }
    PRListModel* listModel() const { return m_listModel; }
    QString emptyDetailText() const;

    // Fills the repository menu from the model; runs each time the menu is about to open.
    void populateRepositoryMenu();

Q_SIGNALS:
    void selectedPRIdChanged(const std::optional<QString>& id);
    // "Reconnect" in the banner: the panel opens the reconnect sheet for the selected account.
    void reconnectRequested();

private:
    void buildRepositoryBar();
    QWidget* buildFilterRow();
    QWidget* buildSectionRow();
    void rebuildSectionChips();
    void buildListArea();
    void reloadRows();
    void reloadUpdates();
    void updateRepositoryBar();
    void updateFilterCounts();
    void updateSortMenu();
    void updateSnoozedButton();
    void updateListState();
    void updateErrorBanner();
    void updateReauthBanner();
    void setSelectedPRId(const std::optional<QString>& id);
    void scrollToSelection();
    void openRow(int row);
    QStringList rowIds() const;

    PRViewModel& m_model;
    UrlOpener& m_urlOpener;
    std::optional<QString> m_selectedPRId;

    QWidget* m_reauthBanner = nullptr;
    ThemedLabel* m_reauthLabel = nullptr;
    QPushButton* m_reconnect = nullptr;
    ThemedLabel* m_unavailableDetail = nullptr;
    QWidget* m_errorBanner = nullptr;
    ThemedLabel* m_errorLabel = nullptr;
    QWidget* m_repositoryBar = nullptr;
    MenuButton* m_repositoryButton = nullptr;
    QMenu* m_repositoryMenu = nullptr;
    SymbolButton* m_clearRepository = nullptr;
    QList<PillButton*> m_filterTabs;
    QWidget* m_sectionRow = nullptr;
    QWidget* m_sectionStrip = nullptr;
    QList<PillButton*> m_sectionChips;
    MenuButton* m_sortButton = nullptr;
    QMenu* m_sortMenu = nullptr;
    MenuButton* m_snoozedButton = nullptr;
    QMenu* m_snoozedMenu = nullptr;
    QStackedWidget* m_states = nullptr;
    ThemedLabel* m_emptyDetail = nullptr;
    QListView* m_list = nullptr;
    PRListModel* m_listModel = nullptr;
    PRRowView* m_rowView = nullptr;
    QPointer<QVariantAnimation> m_scroll;
};

// "owner/name (3)": how the repository menu names a repository.
QString repositoryMenuLabel(const QString& repo, int count);

} // namespace norvane::ui
