#pragma once

#include <QWidget>

class QListView;
class QMenu;
class QStackedWidget;

namespace norvane {
class IssuesViewModel;
class UrlOpener;
} // namespace norvane

namespace norvane::ui {

class ErrorBanner;
class IssueListModel;
class IssueRowView;
class MenuButton;
class SymbolButton;

// The issues tab: the repository filter bar, the list of open issues (or why there is none) and the error
// banner under it. Reads the model and writes only its repository filter; a click on a row opens the
// issue in the browser.
class IssuesView final : public QWidget
{
    Q_OBJECT

public:
    enum class State { loading, noWatchedRepos, allClear, list };

    IssuesView(IssuesViewModel& model, UrlOpener& urlOpener, QWidget* parent = nullptr);
    ~IssuesView() override;

    // The parts, for the panel's tests.
    State state() const;
    QWidget* filterBar() const { return m_filterBar; }
    MenuButton* repositoryButton() const { return m_repositoryButton; }
    QMenu* repositoryMenu() const { return m_repositoryMenu; }
    SymbolButton* clearButton() const { return m_clear; }
    QListView* listView() const { return m_list; }
    IssueListModel* listModel() const { return m_listModel; }
    ErrorBanner* errorBanner() const { return m_errorBanner; }

    // Fills the repository menu from the model; runs each time the menu is about to open.
    void populateRepositoryMenu();

private:
    QWidget* buildFilterBar();
    void buildStates();
    void reloadRows();
    void updateFilterBar();
    void updateState();
    void openRow(int row);

    IssuesViewModel& m_model;
    UrlOpener& m_urlOpener;

    QWidget* m_filterBar = nullptr;
    MenuButton* m_repositoryButton = nullptr;
    QMenu* m_repositoryMenu = nullptr;
    SymbolButton* m_clear = nullptr;
    QStackedWidget* m_states = nullptr;
    QListView* m_list = nullptr;
    IssueListModel* m_listModel = nullptr;
    IssueRowView* m_rowView = nullptr;
    ErrorBanner* m_errorBanner = nullptr;
};

} // namespace norvane::ui
