#include "support/translations.h"

#include <QApplication>
#include <gtest/gtest.h>

// The GoogleTest main for tests that need widgets, a tray icon or the desktop's services: a QApplication
// on the platform the environment names (xcb inside scripts/desktop-session).
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const ScopedTranslation english(QStringLiteral("en"));
    return RUN_ALL_TESTS();
}
