#include "models/pr_view_model.h"
#include "support/wait.h"
#include "ui/panel/content_view.h"
#include "ui/pulls/pr_list_model.h"
#include "ui/pulls/pr_row.h"
#include "ui/pulls/pr_tab.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/settings/settings_controls.h"
#include "ui/settings/settings_view.h"
#include "ui/ui_support.h"
#include "ui/widgets/controls.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

bool interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::ButtonMenu:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::PageTab:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::Link:
    case QAccessible::ListItem:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
        return true;
    default:
        return false;
    }
}

// What a screen reader finds under `root` that a person can act on but that has no name, as "role (class)".
void collectUnnamed(QAccessibleInterface* node, QStringList& out, int& count)
{
    ++count;
    if (interactive(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()) {
        out.append(QStringLiteral("%1 (%2)")
                       .arg(int(node->role()))
                       .arg(node->object() ? QString::fromUtf8(node->object()->metaObject()->className())
                                           : QString()));
    }
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (child && !child->state().invisible)
            collectUnnamed(child, out, count);
    }
}

QStringList unnamedControls(QWidget* root, int* nodes = nullptr)
{
    QStringList out;
    int count = 0;
    collectUnnamed(QAccessible::queryAccessibleInterface(root), out, count);
    if (nodes)
        *nodes = count;
    return out;
}

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

struct Panel
{
    Panel()
    {
        accounts = world.storeAccounts({QStringLiteral("me"), QStringLiteral("work")});
        const QString nowhere = QStringLiteral("http://127.0.0.1:9");
        model = std::make_unique<PRViewModel>(world.dependencies(nowhere));
        model->loadAccounts();
        EXPECT_TRUE(waitUntil([this] { return !model->isLoading(); }));
        model->setErrorMessage(std::nullopt);
        view = std::make_unique<ContentView>(ContentView::Dependencies{
            model.get(),
            world.opener.get(),
            QStringLiteral("https://github.com"),
            true,
            GitHubService(HttpSession(&world.network), nowhere),
            world.keychain,
            world.preferences,
            AppIdentity{},
            {},
            AddAccountDependencies{
                HttpSession(&world.network), GitHubDeviceAuth::Config{}, world.opener.get(), {}}});
        norvane::ui::loadSamplePullRequests(*model);
        view->show();
    }

    norvane::testing::EngineWorld world;
    QList<GitHubAccount> accounts;
    std::unique_ptr<PRViewModel> model;
    std::unique_ptr<ContentView> view;
};

TEST(Accessibility, EveryTabAndTheSheetNameEveryControl)
{
    Panel panel;
    for (const AppTab tab : kAllTabs) {
        SCOPED_TRACE(rawValue(tab).toStdString());
        panel.view->setSelectedTab(tab);
        int nodes = 0;
        EXPECT_EQ(unnamedControls(panel.view.get(), &nodes), QStringList());
        EXPECT_GT(nodes, 20);
    }
    SettingsView* settings = panel.view->settingsView();
    settings->addAccountButton()->click();
    ASSERT_TRUE(settings->addAccountView());
    QAccessibleInterface* sheet = accessible(settings->addAccountView());
    EXPECT_EQ(sheet->role(), QAccessible::Dialog);
    EXPECT_EQ(sheet->text(QAccessible::Name), QStringLiteral("Add GitHub Account"));
    EXPECT_EQ(unnamedControls(settings->addAccountView()), QStringList());
    settings->dismissAddAccount();

    AlertCard alert(QStringLiteral("Account Mismatch"), QStringLiteral("You signed in as someone else."));
    EXPECT_EQ(accessible(&alert)->role(), QAccessible::AlertMessage);
    EXPECT_EQ(accessible(&alert)->text(QAccessible::Name), QStringLiteral("Account Mismatch"));
    EXPECT_EQ(accessible(&alert)->text(QAccessible::Description),
              QStringLiteral("You signed in as someone else."));
}

TEST(Accessibility, TabsFiltersAndMenusSayTheirChoiceAndCount)
{
    Panel panel;
    const auto name = [](QObject* object) { return accessible(object)->text(QAccessible::Name); };
    QAccessibleInterface* prs = accessible(panel.view->tabButton(AppTab::prs));
    QAccessibleInterface* issues = accessible(panel.view->tabButton(AppTab::issues));
    EXPECT_EQ(prs->role(), QAccessible::PageTab);
    EXPECT_EQ(prs->text(QAccessible::Name),
              QStringLiteral("PRs, %1").arg(panel.model->countForFilter(PRFilter::all)));
    EXPECT_TRUE(prs->state().selected);
    EXPECT_FALSE(issues->state().selected);
    // The press action is a click: it selects the tab, and the states follow.
    issues->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(panel.view->selectedTab(), AppTab::issues);
    EXPECT_TRUE(issues->state().selected);
    EXPECT_FALSE(prs->state().selected);
    panel.view->setSelectedTab(AppTab::prs);

    EXPECT_EQ(name(panel.view->refreshButton()), QStringLiteral("Refresh"));
    EXPECT_EQ(name(panel.view->settingsButton()), QStringLiteral("Settings"));
    EXPECT_EQ(name(panel.view->debugButtons()[0]), QStringLiteral("Load Test Data"));

    PullRequestTab& tab = *panel.view->pullRequestTab();
    const PillButton* review = nullptr;
    for (const PillButton* filter : tab.findChildren<PillButton*>()) {
        if (filter->text() == rawValue(PRFilter::needsReview))
            review = filter;
    }
    ASSERT_TRUE(review);
    EXPECT_EQ(name(const_cast<PillButton*>(review)),
              QStringLiteral("Review, %1").arg(panel.model->countForFilter(PRFilter::needsReview)));
    QStringList menus;
    for (MenuButton* menu : tab.findChildren<MenuButton*>()) {
        EXPECT_EQ(accessible(menu)->role(), QAccessible::ButtonMenu);
        menus.append(name(menu));
    }
    menus.sort();
    EXPECT_EQ(menus, (QStringList{QStringLiteral("Repository: All Repositories (%1)")
                                      .arg(panel.model->countForFilter(PRFilter::all)),
                                  QStringLiteral("Sort by: Updated")}));
}

TEST(Accessibility, RowsReadWhatTheyShow)
{
    Panel panel;
    auto* list = panel.view->pullRequestTab()->findChild<QListView*>();
    ASSERT_TRUE(list);
    const PRListModel& model = *panel.view->pullRequestTab()->listModel();
    ASSERT_GE(model.rowCount(), 3);
    QAccessibleInterface* listed = accessible(list);
    ASSERT_EQ(listed->childCount(), model.rowCount());
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto content = model.index(row).data(PRListModel::ContentRole).value<PRRowContent>();
        const SpokenRow spoken = spokenRow(content);
        EXPECT_EQ(listed->child(row)->text(QAccessible::Name), spoken.name);
        EXPECT_EQ(listed->child(row)->text(QAccessible::Description), spoken.description);
        EXPECT_TRUE(spoken.name.contains(content.title));
    }
}

TEST(Accessibility, TheIntervalIsAGroupOfRadioButtonsAndSwitchesAreCheckBoxes)
{
    Panel panel;
    panel.view->setSelectedTab(AppTab::settings);
    SegmentedControl* picker = panel.view->settingsView()->pollingPicker();
    QAccessibleInterface* group = accessible(picker);
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    EXPECT_EQ(group->text(QAccessible::Name), QStringLiteral("Polling Interval"));
    ASSERT_EQ(group->childCount(), picker->titles().size());
    const int other = picker->selectedIndex() == 0 ? 1 : 0;
    QAccessibleInterface* segment = group->child(other);
    EXPECT_EQ(segment, group->child(other)) << "one interface a segment";
    EXPECT_EQ(segment->role(), QAccessible::RadioButton);
    EXPECT_EQ(segment->text(QAccessible::Name), picker->titles()[other]);
    EXPECT_FALSE(segment->state().checked);
    EXPECT_EQ(group->indexOfChild(segment), other);
    const int minutes = panel.model->notificationSettings().pollingIntervalMinutes;
    segment->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(picker->selectedIndex(), other);
    EXPECT_TRUE(segment->state().checked);
    EXPECT_EQ(group->text(QAccessible::Value), picker->titles()[other]);
    // Pressed like a click: the engine has the new interval.
    EXPECT_NE(panel.model->notificationSettings().pollingIntervalMinutes, minutes);

    // The switches read as check boxes, named by their row, checked as they show.
    const QList<SwitchControl*> switches = panel.view->settingsView()->findChildren<SwitchControl*>();
    ASSERT_FALSE(switches.isEmpty());
    for (SwitchControl* toggle : switches) {
        QAccessibleInterface* box = accessible(toggle);
        EXPECT_EQ(box->role(), QAccessible::CheckBox);
        EXPECT_FALSE(box->text(QAccessible::Name).isEmpty());
        EXPECT_EQ(bool(box->state().checked), toggle->isChecked());
        toggle->toggle();
        EXPECT_EQ(bool(box->state().checked), toggle->isChecked());
    }
}

TEST(Keyboard, TabWalksTheBarAndThePageInVisualOrderAndReturnActsLikeSpace)
{
    Panel panel;
    panel.view->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return panel.view->isActiveWindow(); }));
    panel.view->setFocus();
    const auto focusName = [] {
        QWidget* focused = QApplication::focusWidget();
        return focused ? accessible(focused)->text(QAccessible::Name) : QString();
    };
    QStringList visited;
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(focusName());
    }
    const QString all = QString::number(panel.model->countForFilter(PRFilter::all));
    EXPECT_EQ(visited.mid(0, 5), (QStringList{QStringLiteral("PRs, ") + all, QStringLiteral("Issues"),
                                              QStringLiteral("Dashboard"), QStringLiteral("settings"),
                                              QStringLiteral("Refresh")}))
        << visited.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(visited.contains(QStringLiteral("Settings")));
    EXPECT_TRUE(visited.contains(QStringLiteral("Repository: All Repositories (") + all + QLatin1Char(')')));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(focusName(), visited[visited.size() - 2]) << visited.join(QStringLiteral(" | ")).toStdString();

    panel.view->tabButton(AppTab::dashboard)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(panel.view->selectedTab(), AppTab::dashboard);
    panel.view->tabButton(AppTab::issues)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(panel.view->selectedTab(), AppTab::issues);
}

TEST(Keyboard, AFocusedControlShowsARingInBothPalettes)
{
    const std::pair<QString, QPalette> palettes[] = {
        {QStringLiteral("light"), norvane::testing::lightPalette()},
        {QStringLiteral("dark"), norvane::testing::darkPalette()}};
    for (const auto& [name, palette] : palettes) {
        SCOPED_TRACE(name.toStdString());
        Panel panel;
        panel.view->setPalette(palette);
        panel.view->setAutoFillBackground(true);
        panel.view->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return panel.view->isActiveWindow(); }));
        QWidget* controls[] = {panel.view->tabButton(AppTab::issues), panel.view->refreshButton(),
                               panel.view->footerButton()};
        for (QWidget* control : controls) {
            panel.view->setFocus();
            const QImage plain = control->grab().toImage();
            control->setFocus(Qt::TabFocusReason);
            EXPECT_NE(control->grab().toImage(), plain) << control->metaObject()->className();
        }
        panel.view->tabButton(AppTab::issues)->setFocus(Qt::TabFocusReason);
        norvane::testing::saveScreenshot(*panel.view, QStringLiteral("focus-ring-") + name);
    }
}

// Labels that show less than their text: a text cut off where it was not meant to be shortened.
QStringList cutLabels(QWidget* root)
{
    QStringList cut;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(root) || label->wordWrap() || label->text().isEmpty() ||
            !label->pixmap().isNull())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin() +
                           label->contentsMargins().left() + label->contentsMargins().right();
        if (label->width() + 1 < needed)
            cut.append(QStringLiteral("%1 (%2 of %3)").arg(label->text()).arg(label->width()).arg(needed));
    }
    return cut;
}

TEST(LargeText, WithTheDesktopFontHalfAsLargeAgainNoLabelIsCutOff)
{
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSizeF(before.pointSizeF() * 1.5);
    QApplication::setFont(large);
    {
        Panel panel;
        panel.view->resize(ContentView::kWidth, ContentView::kHeight);
        for (const AppTab tab : kAllTabs) {
            SCOPED_TRACE(rawValue(tab).toStdString());
            panel.view->setSelectedTab(tab);
            QApplication::processEvents();
            EXPECT_EQ(cutLabels(panel.view.get()), QStringList());
            norvane::testing::saveScreenshot(*panel.view,
                                             QStringLiteral("large-text-") + rawValue(tab).toLower());
        }
        SettingsView* settings = panel.view->settingsView();
        settings->addAccountButton()->click();
        QApplication::processEvents();
        EXPECT_EQ(cutLabels(settings->addAccountView()), QStringList());
        norvane::testing::saveScreenshot(*panel.view, QStringLiteral("large-text-sheet"));
        settings->dismissAddAccount();
    }
    QApplication::setFont(before);
}

} // namespace
