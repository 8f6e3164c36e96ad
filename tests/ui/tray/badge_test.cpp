#include "core/pr_rules.h"
#include "ui/tray/paw_icon.h"
#include "ui/ui_support.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::ui;

namespace {

const QColor kPlain(20, 20, 20);
const QColor kRed(255, 59, 48);
const QColor kBlue(0, 122, 255);
const QColor kPurple(175, 82, 222);

PullRequest pr(bool requested, bool yours, std::optional<PullRequest::ApprovalStatus> approval)
{
    static int next = 0;
    PullRequest p;
    p.id = QStringLiteral("gh-%1").arg(++next);
    p.reviewRequested = requested;
    p.isYourPR = yours;
    p.approvalStatus = approval;
    return p;
}

QList<PullRequest> repeat(int n, bool requested, bool yours,
                          std::optional<PullRequest::ApprovalStatus> approval)
{
    QList<PullRequest> prs;
    for (int i = 0; i < n; ++i)
        prs.append(pr(requested, yours, approval));
    return prs;
}

// The colour of a logical point of the image.
QColor at(const QImage& image, qreal x, qreal y)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(int(x * dpr), int(y * dpr));
}

bool same(const QColor& a, const QColor& b)
{
    return a.alpha() == 255 && std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2;
}

qreal textWidth(const QString& text)
{
    return QFontMetricsF(badgeFont()).horizontalAdvance(text);
}

TEST(TrayBadge, ColourCountAndWidthFollowThePullRequests)
{
    using AS = PullRequest::ApprovalStatus;
    struct Case
    {
        const char* name;
        QList<PullRequest> prs;
        BadgeColor color;
        QColor drawn;
        int count;
    };
    const QList<Case> cases{
        {"nothing to count", {}, BadgeColor::none, kPlain, 0},
        {"own pending only", repeat(2, false, true, AS::pending), BadgeColor::none, kPlain, 0},
        {"review request and changes requested",
         repeat(1, true, false, std::nullopt) + repeat(1, false, true, AS::changesRequested), BadgeColor::red,
         kRed, 2},
        {"three approved", repeat(3, false, true, AS::approved), BadgeColor::purple, kPurple, 3},
        {"120 review requests", repeat(120, true, false, std::nullopt), BadgeColor::blue, kBlue, 120},
    };
    for (const qreal dpr : {1.0, 2.0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " @" + std::to_string(dpr));
            const Badge badge = badgeFor(c.prs);
            EXPECT_EQ(badge.color, c.color);
            EXPECT_EQ(badge.count, c.color == BadgeColor::none ? badge.count : c.count);
            const QImage image = trayIconImage(badge, kPlain, c.drawn, dpr);
            EXPECT_EQ(image.devicePixelRatio(), dpr);

            // The paw's pad and a toe are painted in the badge colour (or the plain colour); the corners are
            // not.
            EXPECT_TRUE(same(at(image, 9, 13.5), c.drawn)) << at(image, 9, 13.5).name().toStdString();
            EXPECT_TRUE(same(at(image, 6.3, 4.0), c.drawn));
            EXPECT_EQ(at(image, 0.5, 0.5).alpha(), 0);
            EXPECT_EQ(at(image, 0.5, 17.5).alpha(), 0);

            if (c.color == BadgeColor::none) {
                EXPECT_EQ(image.size(), QSize(18, 18) * dpr);
                continue;
            }
            const qreal badgeWidth = std::max(textWidth(QString::number(c.count)) + 4, 10.0);
            EXPECT_EQ(image.width(), int(std::ceil((20 + badgeWidth) * dpr)));
            EXPECT_EQ(image.height(), int(18 * dpr));
            // A transparent gap of 2 between paw and badge, then the badge, centred on the height.
            EXPECT_EQ(at(image, 18.5, 9).alpha(), 0);
            EXPECT_TRUE(same(at(image, 21.5, 9), c.drawn));
            EXPECT_TRUE(same(at(image, 20 + badgeWidth - 1.5, 9), c.drawn));
            EXPECT_EQ(at(image, 22, 3.5).alpha(), 0) << "above the 10-high badge";
            EXPECT_EQ(at(image, 22, 14.5).alpha(), 0) << "below the 10-high badge";
            // The count is written in white inside the badge: at eight pixels its strokes are thinner than a
            // pixel at 1x, so look for pixels clearly lightened towards white.
            int white = 0;
            for (qreal x = 20; x < 20 + badgeWidth; x += 0.5 / dpr) {
                for (qreal y = 4; y < 14; y += 0.5 / dpr) {
                    const QColor p = at(image, x, y);
                    white += p.alpha() == 255 && p.green() > c.drawn.green() + 60 && p.red() >= c.drawn.red();
                }
            }
            EXPECT_GT(white, 0);
        }
    }
}

TEST(TrayBadge, TheBadgeIsAtLeastTenWideAndOtherwiseTheTextPlusFour)
{
    struct Case
    {
        QSizeF text;
        qreal badgeWidth;
    };
    for (const Case c : {Case{{4.5, 9}, 10}, Case{{6, 9}, 10}, Case{{6.5, 9}, 10.5}, Case{{14.2, 9}, 18.2}}) {
        const BadgeLayout layout = badgeLayout(QSizeF(18, 18), c.text);
        EXPECT_DOUBLE_EQ(layout.badge.width(), c.badgeWidth);
        EXPECT_DOUBLE_EQ(layout.badge.x(), 20);
        EXPECT_DOUBLE_EQ(layout.canvas.width(), 20 + c.badgeWidth);
        EXPECT_DOUBLE_EQ(layout.badge.y(), 4);
        EXPECT_DOUBLE_EQ(layout.text.center().x(), layout.badge.center().x());
        EXPECT_DOUBLE_EQ(layout.text.center().y(), layout.badge.center().y());
    }
    // An icon shorter than the badge: the canvas takes the badge's height and centres the icon.
    const BadgeLayout small = badgeLayout(QSizeF(8, 6), QSizeF(5, 8));
    EXPECT_DOUBLE_EQ(small.canvas.height(), 10);
    EXPECT_DOUBLE_EQ(small.icon.y(), 2);
    EXPECT_DOUBLE_EQ(small.badge.y(), 0);
}

// The square icon's pixels, sorted by what they show.
struct SquareIconPixels
{
    explicit SquareIconPixels(const QImage& image, const QColor& badge)
    {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                if (p.alpha() == 255 && std::min({p.red(), p.green(), p.blue()}) >= 200)
                    white |= QRect(x, y, 1, 1);
                badgeColoured += same(p, badge);
            }
        }
    }
    QRect white; // the bounding box of the white pixels: the digits
    int badgeColoured = 0;
};

TEST(SquareTrayIcon, TheCountSitsReadablyOnTheLowerRightCorner)
{
    struct Case
    {
        const char* name;
        Badge badge;
        QColor drawn;
        qreal minDigitHeight; // at a 22-pixel slot
    };
    const QList<Case> cases{
        {"nothing to count", {BadgeColor::none, 0}, kPlain, 0},
        {"red 2", {BadgeColor::red, 2}, kRed, 9},
        {"purple 3", {BadgeColor::purple, 3}, kPurple, 9},
        {"blue 120", {BadgeColor::blue, 120}, kBlue, 7},
        {"1000 reads 999+", {BadgeColor::red, 1000}, kRed, 7},
    };
    for (const qreal dpr : {1.0, 2.0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " @" + std::to_string(dpr));
            const QImage image = squareTrayImage(c.badge, kPlain, c.drawn, 22, dpr);
            ASSERT_EQ(image.size(), QSize(22, 22) * dpr);
            EXPECT_EQ(image.devicePixelRatio(), dpr);
            // The paw, 18 high in the middle of the slot: a toe in the badge colour (or the plain colour),
            // and nothing in the top left corner.
            EXPECT_TRUE(same(at(image, 2 + 6.3, 2 + 4), c.drawn)) << at(image, 8.3, 6).name().toStdString();
            EXPECT_EQ(at(image, 0.5, 0.5).alpha(), 0);

            const SquareIconPixels pixels(image, c.drawn);
            if (c.badge.color == BadgeColor::none) {
                EXPECT_TRUE(pixels.white.isEmpty());
                EXPECT_TRUE(same(at(image, 2 + 9, 2 + 13.5), kPlain)) << "the pad";
                continue;
            }
            // White digits, tall enough, in the lower part and wholly inside the slot.
            const QRect digits = pixels.white;
            ASSERT_FALSE(digits.isEmpty());
            EXPECT_GE(digits.height(), c.minDigitHeight * dpr);
            EXPECT_GE(digits.top(), 22 * dpr / 3);
            EXPECT_GT(digits.left(), 0);
            EXPECT_LT(digits.right(), image.width() - 1);
            EXPECT_LT(digits.bottom(), image.height() - 1);
            // One or two digits keep to the badge's share of the width; longer counts may widen it.
            if (c.badge.count < 100) {
                EXPECT_GE(digits.left(), 0.4 * image.width());
            }
            // The badge's colour lies under the digits and before them, and fills the bottom right corner.
            for (const QPoint& p : {QPoint(digits.center().x(), digits.bottom() + int(dpr)),
                                    QPoint(digits.left() - int(2 * dpr), digits.center().y()),
                                    QPoint(image.width() - int(3 * dpr), image.height() - int(3 * dpr))})
                EXPECT_TRUE(same(image.pixelColor(p), c.drawn))
                    << p.x() << "," << p.y() << " " << image.pixelColor(p).name().toStdString();
        }
    }
}

TEST(SquareTrayIcon, CountsAboveNineHundredNinetyNineReadAsSuch)
{
    const QList<std::pair<int, QString>> cases{
        {1, "1"}, {42, "42"}, {999, "999"}, {1000, "999+"}, {123456, "999+"}};
    for (const auto& [count, text] : cases)
        EXPECT_EQ(squareBadgeText(count), text) << count;
}

TEST(SquareTrayIcon, TheIconHoldsEachSlotSizeAtBothPixelRatios)
{
    const Badge badge{BadgeColor::blue, 7};
    const QIcon icon = squareTrayIcon(badge, kPlain, kBlue, 1.0);
    for (const qreal dpr : {1.0, 2.0}) {
        for (const int size : kTraySlotSizes) {
            SCOPED_TRACE(std::to_string(size) + " @" + std::to_string(dpr));
            const QImage shown = icon.pixmap(QSize(size, size), dpr)
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage drawn = squareTrayImage(badge, kPlain, kBlue, size, dpr);
            ASSERT_EQ(shown.size(), drawn.size()) << "drawn for the slot, not scaled";
            EXPECT_EQ(shown, drawn);
        }
    }
}

// WCAG's relative luminance and contrast ratio.
qreal luminance(const QColor& c)
{
    const auto channel = [](qreal v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
qreal contrast(const QColor& a, const QColor& b)
{
    const qreal la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(TrayIconStyle, ThePlainPawStandsOutOnThePanelEachStyleIsFor)
{
    const QColor gnomeBar(0, 0, 0), darkBar(0x2e, 0x34, 0x40), lightBar(0xf6, 0xf5, 0xf4);
    struct Case
    {
        TrayIconStyle style;
        QPalette app;
        QColor panel;
        bool readable;
    };
    const Case cases[] = {
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), lightBar, true},
        {TrayIconStyle::automatic, norvane::testing::darkPalette(), darkBar, true},
        // What the setting is for: a light app theme under GNOME's dark top bar.
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), gnomeBar, false},
        {TrayIconStyle::light, norvane::testing::lightPalette(), gnomeBar, true},
        {TrayIconStyle::light, norvane::testing::darkPalette(), darkBar, true},
        {TrayIconStyle::dark, norvane::testing::darkPalette(), lightBar, true},
        {TrayIconStyle::dark, norvane::testing::lightPalette(), lightBar, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(rawValue(c.style).toStdString() + " on " + c.panel.name().toStdString());
        for (const qreal dpr : {1.0, 2.0}) {
            // The icon as the tray composes it over its bar.
            QImage slot(QSize(22, 22) * dpr, QImage::Format_ARGB32_Premultiplied);
            slot.setDevicePixelRatio(dpr);
            slot.fill(c.panel);
            QPainter painter(&slot);
            painter.drawImage(QPointF(0, 0),
                              squareTrayImage(Badge{}, plainTrayColor(c.style, c.app), QColor(), 22, dpr));
            painter.end();
            // The pad's middle and an inner toe are solid paw; the slot's corner is bar.
            const QColor pad = at(slot, 2 + 9, 2 + 13), toe = at(slot, 2 + 6.3, 2 + 4);
            EXPECT_EQ(at(slot, 0.5, 0.5).rgb(), c.panel.rgb());
            EXPECT_EQ(pad.rgb(), toe.rgb()) << "one flat colour";
            if (c.readable)
                EXPECT_GE(contrast(pad, c.panel), 4.5);
            else
                EXPECT_LT(contrast(pad, c.panel), 1.5);
        }
    }
}

} // namespace
