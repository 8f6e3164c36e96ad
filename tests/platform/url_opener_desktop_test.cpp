// The desktop URL opener, with a recording xdg-open first on PATH in place of the user's browser.
#include "platform/url_opener.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

TEST(DesktopUrlOpener, HandsWebAddressesToTheDesktopAndNothingElse)
{
    QTemporaryDir bin;
    const QString log = bin.filePath(u"opened.log"_s);
    {
        QFile script(bin.filePath(u"xdg-open"_s));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"" + log.toUtf8() + "\"\n");
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    qputenv("PATH", bin.path().toUtf8() + ':' + qgetenv("PATH"));

    DesktopUrlOpener opener;
    for (const char* refused : {"javascript:alert(document.cookie)", "file:///etc/passwd"}) {
        SCOPED_TRACE(refused);
        EXPECT_FALSE(opener.open(QString::fromUtf8(refused)));
        EXPECT_FALSE(opener.open(QUrl(QString::fromUtf8(refused))));
    }
    EXPECT_TRUE(opener.open(u"https://github.com/octo/hello/pull/7?tab=files#diff"_s));

    QFile file(log);
    ASSERT_TRUE(QTest::qWaitFor([&] { return file.exists() && file.size() > 0; }, 10000));
    QTest::qWait(200); // a refused address would have been launched by now as well
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("https://github.com/octo/hello/pull/7?tab=files#diff\n"));
}

} // namespace
