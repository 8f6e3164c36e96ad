#pragma once

#include "core/pr_rules.h"
#include "core/pull_request.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/painted_row_view.h"
#include "ui/widgets/theme.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// What one pull-request row says and in which colours, decided from the record and its unseen updates
// alone. The row's painter only places these parts.
namespace norvane::ui {

struct UpdateIcon
{
    PRUpdateType type;
    Symbol symbol;
    QString help;
};

struct CILine
{
    QString symbol;
    ThemeColor color;
    QString word;
};

struct VerdictBadge
{
    ThemeColor color;
    std::optional<Symbol> icon; // drawn before the text when there is no glyph
    QString glyph;              // an emoji or sign before the text
    QString text;
    QString help;
};

struct ChangeRequestLine
{
    QString quote;    // the preview between straight double quotes
    QString reviewer; // drawn heavier
    QString time;
};

struct PRRowContent
{
    ThemeColor dotColor = ThemeColor::gray;
    bool ring = false; // the unseen-updates ring around the dot
    RowBackground background = RowBackground::clear;

    QString header; // "owner/name/pull"
    QList<UpdateIcon> updates;
    QString number; // "#123"
    QString title;
    std::optional<QString> author;
    bool reviewRequested = false; // the time line is the orange review request
    QString time;                 // the whole time text
    std::optional<CILine> ci;
    std::optional<QString> role; // "Role: Author"
    std::optional<QString> waitingOn;
    std::optional<VerdictBadge> verdict;
    bool draft = false;
    std::optional<int> reviewComments;
    QString reviewCommentsHelp;
    std::optional<ChangeRequestLine> changeRequest;
};

// Unseen updates in the order the row shows them: by their names, in plain string order.
QList<PRUpdateType> rowUpdateOrder(QList<PRUpdateType> updates);
UpdateIcon updateIcon(PRUpdateType type);
std::optional<CILine> ciLine(const std::optional<PullRequest::CIStatus>& status);
std::optional<QString> roleText(const PullRequest& pr);
std::optional<VerdictBadge> verdictBadge(const PullRequest& pr);
QString reviewCommentHelp(int count);

// `woke`: back from a snooze and not seen since, which marks the row as unseen updates do.
PRRowContent rowContent(const PullRequest& pr, const QList<PRUpdateType>& updates, bool selected,
                        const QDateTime& now, bool woke = false);

// What a screen reader says of a row: the name is the repository, number and title ("northwind/web #100,
// Apple Pay in the checkout"); the description the rest of what the row shows, in reading order, one
// sentence a part ("Author: mona. 2 hr. ago. Ready to merge. CI: Passing. Role: Author").
struct SpokenRow
{
    QString name;
    QString description;
};
SpokenRow spokenRow(const PRRowContent& row);

} // namespace norvane::ui
