#include "platform/url_opener.h"

#include <gtest/gtest.h>

using namespace norvane;

namespace {

// Addresses arrive from GitHub and from notification payloads; only web pages may be opened.
const std::pair<const char*, bool> kAddresses[] = {
    {"https://github.com/octo/hello/pull/7", true},
    {"http://github.com/octo/hello/issues/1", true},
    {"HTTPS://GitHub.com/octo/hello", true},
    {"  https://github.com/login/device  ", true},
    {"https://user@ghe.example.com:8443/a?b=c#d", true},
    {"javascript:alert(1)", false},
    {"JavaScript://github.com/%0Aalert(1)", false},
    {"file:///etc/passwd", false},
    {"file://github.com/x", false},
    {"x-github-client://openRepo/octo/hello", false},
    {"vscode://file/home/me/.bashrc", false},
    {"mailto:someone@example.com", false},
    {"data:text/html,<script>alert(1)</script>", false},
    {"ftp://example.com/file", false},
    {"https://", false},
    {"https:///no-host", false},
    {"//github.com/octo", false},
    {"/octo/hello/pull/7", false},
    {"github.com/octo/hello", false},
    {"https://exa mple.com/", false},
    {"", false},
};

TEST(UrlOpener, OnlyHttpAndHttpsAddressesWithAHostAreAccepted)
{
    for (const auto& [text, accepted] : kAddresses) {
        SCOPED_TRACE(text);
        EXPECT_EQ(webAddress(QString::fromUtf8(text)).has_value(), accepted);
        EXPECT_EQ(isWebAddress(QUrl(QString::fromUtf8(text).trimmed())), accepted);
    }
}

TEST(UrlOpener, TheRecordingOpenerOpensWebPagesAndReportsEveryRefusal)
{
    RecordingUrlOpener opener;
    int expectedOpened = 0;
    int expectedRefused = 0;
    for (const auto& [text, accepted] : kAddresses) {
        SCOPED_TRACE(text);
        EXPECT_EQ(opener.open(QString::fromUtf8(text)), accepted);
        accepted ? ++expectedOpened : ++expectedRefused;
    }
    ASSERT_EQ(static_cast<int>(opener.opened().size()), expectedOpened);
    EXPECT_EQ(opener.opened().front(), QUrl(QStringLiteral("https://github.com/octo/hello/pull/7")));
    // Text refused before parsing never reaches the opener; a parsed URL with a bad scheme is recorded.
    EXPECT_TRUE(opener.refused().empty());
    EXPECT_FALSE(opener.open(QUrl(QStringLiteral("javascript:alert(1)"))));
    ASSERT_EQ(opener.refused().size(), 1u);
    EXPECT_EQ(static_cast<int>(opener.opened().size()), expectedOpened);
    (void)expectedRefused;
}

TEST(UrlOpener, TheDesktopOpenerRefusesEverythingWithoutAGuiApplication)
{
    // This test binary runs in a QCoreApplication: Qt would crash opening a URL here.
    DesktopUrlOpener opener;
    EXPECT_FALSE(opener.open(QStringLiteral("https://github.com/octo/hello")));
    EXPECT_FALSE(opener.open(QStringLiteral("javascript:alert(1)")));
}

} // namespace
