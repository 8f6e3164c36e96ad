// Tray-icon messages under the session's tray host (trayer).
#include "platform/tray_message_notifier.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

QWidget* balloon()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && QByteArray(widget->metaObject()->className()) == "QBalloonTip")
            return widget;
    }
    return nullptr;
}

QStringList labelTexts(QWidget* widget)
{
    QStringList texts;
    for (QLabel* label : widget->findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
}

TEST(TrayMessageNotifier, ShowsTitleSubtitleAndBodyAndAClickDeliversTheLatestAddress)
{
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000));
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkGreen);
    QSystemTrayIcon icon{QIcon(pixmap)};
    TrayMessageNotifier notifier(&icon);
    EXPECT_EQ(QCoro::waitFor(notifier.permissionStatus()), NotificationPermission::Denied)
        << "icon not shown yet";
    EXPECT_TRUE(QCoro::waitFor(notifier.post({u"id"_s, u"t"_s, {}, u"b"_s, {}, true})).has_value());

    icon.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return icon.geometry().isValid(); }, 10000));
    EXPECT_EQ(QCoro::waitFor(notifier.permissionStatus()), NotificationPermission::Authorized);
    QSignalSpy clicks(&notifier, &Notifier::activated);

    NotificationRequest request{u"id-1"_s,
                                u"🔧 Changes Requested"_s,
                                u"octo/hello"_s,
                                u"'Fix <b>' needs changes"_s,
                                u"https://github.com/octo/hello/pull/3"_s,
                                true};
    ASSERT_EQ(QCoro::waitFor(notifier.post(request)), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([] { return balloon() != nullptr; }, 5000));
    const QString shown = labelTexts(balloon()).join(QLatin1Char('|'));
    EXPECT_TRUE(shown.contains(u"🔧 Changes Requested"_s)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"octo/hello"_s)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"needs changes"_s)) << shown.toStdString();

    QTest::mouseClick(balloon(), Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(!clicks.isEmpty() || clicks.wait(5000));
    EXPECT_EQ(clicks.at(0).at(0).toString(), u"https://github.com/octo/hello/pull/3"_s);

    // A message without an address: its click opens nothing, not the previous message's page.
    request.prUrl.reset();
    ASSERT_EQ(QCoro::waitFor(notifier.post(request)), std::nullopt);
    emit icon.messageClicked();
    EXPECT_EQ(clicks.size(), 1);
}

} // namespace
