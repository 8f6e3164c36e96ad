#include "models/pr_view_model.h"
#include "support/wait.h"
#include "ui/panel/content_view.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/settings/settings_controls.h"
#include "ui/settings/settings_view.h"
#include "ui/ui_support.h"
#include "ui/widgets/controls.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Two accounts (so the account row shows), the debug buttons, the settings tab and the sample list.
struct Panel : norvane::testing::PanelWorld
{
    Panel() : PanelWorld({u"me"_s, u"work"_s}, true, u"http://127.0.0.1:9"_s, true)
    {
        norvane::ui::loadSamplePullRequests(*model);
        view->show();
    }
};

// Every control named and the polling interval read and chosen as radio buttons: the screen-reader and
// keyboard-only journeys.
TEST(Accessibility, SwitchesAreCheckBoxesAndAnAlertReadsAsOne)
{
    Panel panel;
    panel.view->setSelectedTab(AppTab::settings);
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
    AlertCard alert(u"Account Mismatch"_s, u"You signed in as someone else."_s);
    EXPECT_EQ(accessible(&alert)->role(), QAccessible::AlertMessage);
    EXPECT_EQ(accessible(&alert)->text(QAccessible::Name), u"Account Mismatch"_s);
    EXPECT_EQ(accessible(&alert)->text(QAccessible::Description), u"You signed in as someone else."_s);
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
    EXPECT_EQ(visited.mid(0, 5),
              (QStringList{u"PRs, "_s + all, u"Issues"_s, u"Dashboard"_s, u"settings"_s, u"Refresh"_s}))
        << visited.join(u" | "_s).toStdString();
    EXPECT_TRUE(visited.contains(u"Settings"_s));
    EXPECT_TRUE(visited.contains(u"Repository: All Repositories ("_s + all + u')'));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(focusName(), visited[visited.size() - 2]) << visited.join(u" | "_s).toStdString();

    panel.view->tabButton(AppTab::dashboard)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(panel.view->selectedTab(), AppTab::dashboard);
    panel.view->tabButton(AppTab::issues)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(panel.view->selectedTab(), AppTab::issues);
}

TEST(Keyboard, AFocusedControlShowsARingInBothPalettes)
{
    for (const QPalette& palette : {norvane::testing::lightPalette(), norvane::testing::darkPalette()}) {
        SCOPED_TRACE(palette.color(QPalette::Window).name().toStdString());
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
            cut.append(u"%1 (%2 of %3)"_s.arg(label->text()).arg(label->width()).arg(needed));
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
        }
        SettingsView* settings = panel.view->settingsView();
        settings->addAccountButton()->click();
        QApplication::processEvents();
        EXPECT_EQ(cutLabels(settings->addAccountView()), QStringList());
        settings->dismissAddAccount();
    }
    QApplication::setFont(before);
}

} // namespace
