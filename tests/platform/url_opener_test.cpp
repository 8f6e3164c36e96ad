#include "platform/url_opener.h"

#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

// Addresses arrive from GitHub and from notification payloads; only web pages may be opened.
const std::pair<const char*, bool> kAddresses[] = {
    {"https://github.com/octo/hello/pull/7", true},
    {"HTTPS://GitHub.com/octo/hello", true},
    {"  https://github.com/login/device  ", true},
    {"https://user@ghe.example.com:8443/a?b=c#d", true},
    {"javascript:alert(1)", false},
    {"JavaScript://github.com/%0Aalert(1)", false},
    {"file:///etc/passwd", false},
    {"x-github-client://openRepo/octo/hello", false},
    {"data:text/html,<script>alert(1)</script>", false},
    {"https://", false},
    {"https:///no-host", false},
    {"//github.com/octo", false},
    {"github.com/octo/hello", false},
    {"https://exa mple.com/", false},
    {"", false},
};

TEST(UrlOpener, OnlyHttpAndHttpsAddressesWithAHostAreAcceptedAndOpened)
{
    RecordingUrlOpener opener;
    std::size_t expectedOpened = 0;
    for (const auto& [text, accepted] : kAddresses) {
        SCOPED_TRACE(text);
        EXPECT_EQ(webAddress(QString::fromUtf8(text)).has_value(), accepted);
        EXPECT_EQ(isWebAddress(QUrl(QString::fromUtf8(text).trimmed())), accepted);
        EXPECT_EQ(opener.open(QString::fromUtf8(text)), accepted);
        expectedOpened += accepted;
    }
    ASSERT_EQ(opener.opened().size(), expectedOpened);
    EXPECT_EQ(opener.opened().front(), QUrl(u"https://github.com/octo/hello/pull/7"_s));
    // Text refused before parsing never reaches the opener; a parsed URL with a bad scheme is recorded.
    EXPECT_TRUE(opener.refused().empty());
    EXPECT_FALSE(opener.open(QUrl(u"javascript:alert(1)"_s)));
    ASSERT_EQ(opener.refused().size(), 1u);
    EXPECT_EQ(opener.opened().size(), expectedOpened);
}

TEST(UrlOpener, TheDesktopOpenerRefusesEverythingWithoutAGuiApplication)
{
    // This test binary runs in a QCoreApplication: Qt would crash opening a URL here.
    DesktopUrlOpener opener;
    EXPECT_FALSE(opener.open(u"https://github.com/octo/hello"_s));
    EXPECT_FALSE(opener.open(u"javascript:alert(1)"_s));
}

} // namespace
