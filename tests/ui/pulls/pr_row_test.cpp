#include "ui/pulls/pr_row.h"
#include "ui/pulls/pr_row_menu.h"
#include "ui/pulls/pr_row_view.h"
#include "ui/ui_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::ui;
using namespace Qt::StringLiterals;
using AS = PullRequest::ApprovalStatus;
using CI = PullRequest::CIStatus;

namespace {

const QDateTime kNow(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

PullRequest base()
{
    PullRequest p;
    p.id = u"gh-1"_s;
    p.number = 42;
    p.title = u"Make the thing faster"_s;
    p.url = u"https://github.com/acme/api/pull/42"_s;
    p.repository = u"acme/api"_s;
    p.updatedAt = kNow.addSecs(-2 * 3600);
    p.createdAt = kNow.addDays(-3);
    p.state = u"open"_s;
    return p;
}

QString verdictText(const PRRowContent& row)
{
    return row.verdict ? row.verdict->text : u"-"_s;
}

TEST(PRRow, VerdictBadgeFirstRuleWins)
{
    struct Case
    {
        const char* name;
        bool yours, requested, assigned;
        std::optional<AS> approval;
        std::optional<CI> ci;
        const char* verdict;
        ThemeColor color;
    };
    const ThemeColor orange = ThemeColor::orange, green = ThemeColor::green, red = ThemeColor::red;
    const Case cases[] = {
        {"own, approved, CI pending", true, false, false, AS::approved, CI::pending,
         "Approved, waiting on CI", orange},
        {"own, approved, CI failed", true, false, false, AS::approved, CI::failure, "Approved, CI failing",
         red},
        {"own, approved, CI error", true, false, false, AS::approved, CI::error, "Approved, CI failing", red},
        {"own, approved, CI absent", true, false, false, AS::approved, std::nullopt, "Ready to merge", green},
        {"requested, someone approved", false, true, false, AS::approved, CI::success, "Already approved",
         green},
        {"assigned, someone approved", false, false, true, AS::approved, CI::pending, "Already approved",
         green},
        {"not involved, approved", false, false, false, AS::approved, CI::success, "Ready to merge", green},
        {"own, changes requested", true, false, false, AS::changesRequested, CI::success, "Needs changes",
         red},
        {"pending", true, false, false, AS::pending, CI::success, "-", ThemeColor::gray},
        {"no status", false, true, false, std::nullopt, std::nullopt, "-", ThemeColor::gray},
    };
    for (const Case& c : cases) {
        PullRequest p = base();
        p.isYourPR = c.yours;
        p.reviewRequested = c.requested;
        p.isAssigned = c.assigned;
        p.approvalStatus = c.approval;
        p.ciStatus = c.ci;
        const auto row = rowContent(p, {}, false, kNow);
        EXPECT_EQ(verdictText(row), QString::fromUtf8(c.verdict)) << c.name;
        if (row.verdict) {
            EXPECT_EQ(row.verdict->color, c.color) << c.name;
        }
    }
}

TEST(PRRow, RoleAndWaitingLines)
{
    struct Case
    {
        bool yours, requested, assigned;
        std::optional<QString> role;
    };
    const Case roles[] = {
        {true, true, true, u"Role: Author"_s},
        {false, true, true, u"Role: Reviewer"_s},
        {false, false, true, u"Role: Assigned"_s},
        {false, false, false, std::nullopt},
    };
    for (const Case& c : roles) {
        PullRequest p = base();
        p.isYourPR = c.yours;
        p.reviewRequested = c.requested;
        p.isAssigned = c.assigned;
        EXPECT_EQ(roleText(p), c.role);
    }
    // An unknown CI status shows no line, as none does.
    EXPECT_FALSE(ciLine(CI::unknown));

    // Reviewers still awaited are named only on the user's own pull request.
    PullRequest own = base();
    own.isYourPR = true;
    own.requestedReviewers = QStringList{u"alice"_s, u"bob"_s};
    EXPECT_EQ(rowContent(own, {}, false, kNow).waitingOn, u"alice, bob"_s);
    own.requestedReviewers = QStringList{};
    EXPECT_EQ(rowContent(own, {}, false, kNow).waitingOn, std::nullopt);
    PullRequest theirs = base();
    theirs.requestedReviewers = QStringList{u"alice"_s};
    EXPECT_EQ(rowContent(theirs, {}, false, kNow).waitingOn, std::nullopt);
}

TEST(PRRow, UnseenUpdatesComeInAFixedOrder)
{
    const QList<PRUpdateType> all = kAllUpdateTypes;
    const auto icons = rowContent(base(), all, false, kNow).updates;
    QStringList helps;
    for (const UpdateIcon& icon : icons)
        helps.append(icon.help);
    EXPECT_EQ(helps,
              (QStringList{u"CI status changed"_s, u"New comments"_s, u"New commits"_s, u"New review"_s}));
    // (The tint and the ring each state gets: the painted row's pixels, below.)
    // Back from a snooze, without updates: marked all the same, until selected.
    const PRRowContent woke = rowContent(base(), {}, false, kNow, true);
    EXPECT_TRUE(woke.ring);
    EXPECT_EQ(woke.background, RowBackground::unseen);
    EXPECT_TRUE(woke.updates.isEmpty());
    EXPECT_EQ(rowContent(base(), {}, true, kNow, true).background, RowBackground::selected);
    EXPECT_FALSE(rowContent(base(), {}, false, kNow).ring);
}

// Each item of the row's menu, in order, and what it puts on the clipboard or asks of the engine.
TEST(PRRow, TheRowMenuCopiesAndSnoozes)
{
    const struct
    {
        const char* branch;
        const char* command;
    } checkouts[] = {
        {"feature/faster-x_1.2",
         "git fetch origin pull/42/head:feature/faster-x_1.2 && git switch feature/faster-x_1.2"},
        // Characters a shell acts on stay inside single quotes.
        {"x;rm$(id)", "git fetch origin 'pull/42/head:x;rm$(id)' && git switch 'x;rm$(id)'"},
        {"it's", "git fetch origin 'pull/42/head:it'\\''s' && git switch 'it'\\''s'"},
        {"", nullptr},
        {nullptr, nullptr},
    };
    for (const auto& c : checkouts) {
        PullRequest pr = base();
        if (c.branch)
            pr.headBranch = QString::fromUtf8(c.branch);
        const auto command = checkoutCommand(pr);
        EXPECT_EQ(command, c.command ? std::optional(QString::fromUtf8(c.command)) : std::nullopt)
            << (c.branch ? c.branch : "(none)");

        int opened = 0;
        QList<SnoozeLength> snoozed;
        QMenu* menu =
            buildRowMenu(pr, {[&] { ++opened; }, [&](SnoozeLength l) { snoozed.append(l); }}, nullptr);
        QStringList texts;
        QStringList copied;
        for (QAction* action : menu->actions()) {
            texts.append(action->isSeparator() ? u"-"_s : action->text());
            QGuiApplication::clipboard()->setText(u"before"_s);
            if (action->isEnabled())
                action->trigger();
            copied.append(QGuiApplication::clipboard()->text());
        }
        EXPECT_EQ(texts, (QStringList{u"Open in Browser"_s, u"Copy Link"_s, u"Copy Branch Name"_s,
                                      u"Copy Checkout Command"_s, u"-"_s, u"Snooze until it changes"_s,
                                      u"Snooze for a day"_s, u"Snooze for a week"_s}));
        const QString branch = c.branch && *c.branch ? QString::fromUtf8(c.branch) : u"before"_s;
        EXPECT_EQ(copied.mid(0, 4),
                  (QStringList{u"before"_s, pr.url, branch, command.value_or(u"before"_s)}));
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(snoozed,
                  (QList<SnoozeLength>{SnoozeLength::untilChange, SnoozeLength::day, SnoozeLength::week}));
        delete menu;
    }
}

// Paints a row the way the list does and returns the picture.
QImage paint(const PRRowContent& row, const QPalette& palette, int width = 520)
{
    const RowLayout layout = layoutRow(row, palette, width);
    QImage image(width, int(std::ceil(layout.height)), QImage::Format_ARGB32_Premultiplied);
    image.fill(palette.color(QPalette::Window));
    QPainter painter(&image);
    PaintedRowView::paintRow(painter, layout, image.rect(), palette, false);
    return image;
}

TEST(PRRow, ASpokenRowSaysWhatThePaintedLinesSayInReadingOrder)
{
    PullRequest bare = base();
    PullRequest full = base();
    full.author = u"octocat"_s;
    full.isYourPR = true;
    full.approvalStatus = AS::changesRequested;
    full.ciStatus = CI::failure;
    full.isDraft = true;
    full.requestedReviewers = QStringList{u"theo"_s, u"priya"_s};
    full.reviewCommentCount = 3;
    full.lastChangeRequest = ChangeRequestInfo{u"alice"_s, u"Please split this"_s, kNow.addDays(-1)};
    PullRequest reviewer = base();
    reviewer.reviewRequested = true;
    reviewer.approvalStatus = AS::approved;
    reviewer.ciStatus = CI::success;
    PullRequest team = base();
    team.reviewRequested = true;
    team.requestedTeam = u"acme/web-reviewers"_s;
    struct Case
    {
        const char* name;
        PullRequest pr;
        QList<PRUpdateType> updates;
        QString description;
    };
    const Case cases[] = {
        {"bare", bare, {}, "2 hr. ago"},
        {"everything a row can show",
         full,
         {PRUpdateType::newReview, PRUpdateType::newCommits},
         "Author: octocat. 2 hr. ago. Needs changes. Draft. CI: Failed. Role: Author. Waiting on: theo, "
         "priya. "
         "3 review comments. Changes requested by alice 1 day ago: \"Please split this\". New commits. New "
         "review"},
        {"a review request someone approved",
         reviewer,
         {PRUpdateType::ciStatusChanged},
         "Requested your review 2 hr. ago. Already approved. CI: Passing. Role: Reviewer. CI status changed"},
        {"a review asked of the user's team",
         team,
         {},
         "Review requested from @acme/web-reviewers 2 hr. ago. Role: Reviewer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SpokenRow spoken = spokenRow(rowContent(c.pr, c.updates, false, kNow));
        EXPECT_EQ(spoken.name, u"acme/api #42, Make the thing faster"_s);
        EXPECT_EQ(spoken.description, c.description);
    }
}

TEST(PRRowView, TheSelectionTintWinsOverTheUnseenTintAndKeepsRingAndIcons)
{
    const QPalette palette = norvane::testing::lightPalette();
    PullRequest p = base();
    p.reviewRequested = true;
    const QList<PRUpdateType> updates{PRUpdateType::newCommits};
    const QColor window = palette.color(QPalette::Window);
    const QColor blue = color(ThemeColor::blue, palette);
    const QColor accent = color(ThemeColor::accent, palette);
    const auto blend = [&](const QColor& c, double alpha) {
        return QColor(int(std::lround(window.red() * (1 - alpha) + c.red() * alpha)),
                      int(std::lround(window.green() * (1 - alpha) + c.green() * alpha)),
                      int(std::lround(window.blue() * (1 - alpha) + c.blue() * alpha)));
    };
    const auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
               std::abs(a.blue() - b.blue()) <= 2;
    };
    // A spot of bare background: right of everything, in the first line.
    const QPoint bare(510, 3);

    const QImage unseen = paint(rowContent(p, updates, false, kNow), palette);
    EXPECT_TRUE(near(unseen.pixelColor(bare), blend(blue, 0.05)))
        << unseen.pixelColor(bare).name().toStdString();
    EXPECT_TRUE(near(unseen.pixelColor(1, 20), blend(blue, 0.05)));

    const QImage selected = paint(rowContent(p, updates, true, kNow), palette);
    EXPECT_TRUE(near(selected.pixelColor(bare), blend(accent, 0.12)))
        << selected.pixelColor(bare).name().toStdString();
    EXPECT_TRUE(near(selected.pixelColor(1, 20), accent)) << "the leading bar";

    // The ring: a blue outline six points from the dot's centre, on both.
    const RowLayout layout = layoutRow(rowContent(p, updates, true, kNow), palette, 520);
    const QPointF centre = layout.dot.center();
    for (const QImage* image : {&unseen, &selected}) {
        const QColor ring = image->pixelColor(int(centre.x()), int(centre.y() - 6));
        EXPECT_GT(ring.blue(), ring.red() + 60) << ring.name().toStdString();
    }
    EXPECT_EQ(PaintedRowView::helpAt(layout, layout.pieces[1].rect.center()), u"New commits"_s);

    const QImage plain = paint(rowContent(p, {}, false, kNow), palette);
    EXPECT_TRUE(near(plain.pixelColor(bare), window));
}

TEST(PRRowView, HelpTextsAreFoundWhereTheirPartsAreDrawn)
{
    PullRequest p = base();
    p.reviewRequested = true;
    p.approvalStatus = AS::approved;
    p.reviewCommentCount = 3;
    const QPalette palette = norvane::testing::lightPalette();
    const RowLayout layout = layoutRow(rowContent(p, {}, false, kNow), palette, 520);
    QStringList helps;
    for (const RowPiece& piece : layout.pieces) {
        const QString help = PaintedRowView::helpAt(layout, piece.rect.center());
        if (!help.isEmpty() && !helps.contains(help))
            helps.append(help);
    }
    EXPECT_EQ(helps,
              (QStringList{u"Another reviewer has already approved this PR"_s, u"3 review comments"_s}));
    EXPECT_EQ(PaintedRowView::helpAt(layout, QPointF(2, 2)), QString());
    // A long title is cut to the row's width instead of widening it.
    p.title = QString(400, u'w');
    for (const RowPiece& piece : layoutRow(rowContent(p, {}, false, kNow), palette, 300).pieces)
        EXPECT_LE(piece.rect.right(), 300 - 12 + 0.5) << piece.text.left(20).toStdString();
}

TEST(PRRowView, TheQuickHeightMatchesTheFullLayout)
{
    const QPalette palette = norvane::testing::lightPalette();
    struct Case
    {
        const char* name;
        std::function<void(PullRequest&)> change;
    };
    const Case cases[] = {
        {"bare", [](PullRequest&) {}},
        {"status line", [](PullRequest& p) { p.ciStatus = CI::success; }},
        {"role only", [](PullRequest& p) { p.isAssigned = true; }},
        {"verdict", [](PullRequest& p) { p.approvalStatus = AS::changesRequested; }},
        {"draft and comments",
         [](PullRequest& p) {
             p.isDraft = true;
             p.reviewCommentCount = 2;
         }},
        {"everything",
         [](PullRequest& p) {
             p.isYourPR = true;
             p.ciStatus = CI::failure;
             p.approvalStatus = AS::changesRequested;
             p.requestedReviewers = QStringList{u"bob"_s};
             p.isDraft = true;
             p.reviewCommentCount = 1;
             p.lastChangeRequest = ChangeRequestInfo{u"bob"_s, u"No"_s, kNow};
         }},
    };
    for (const Case& c : cases) {
        PullRequest p = base();
        c.change(p);
        const auto row = rowContent(p, {PRUpdateType::newComments}, false, kNow);
        EXPECT_DOUBLE_EQ(rowHeight(row), layoutRow(row, palette, 520).height) << c.name;
    }
}

} // namespace
