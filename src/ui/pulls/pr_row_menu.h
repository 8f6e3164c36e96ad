#pragma once

#include "core/pull_request.h"
#include "core/snooze.h"

#include <QString>
#include <functional>
#include <optional>

class QMenu;
class QWidget;

// The pull-request row's menu (right-click, the Menu key, Shift+F10) and what its items copy.
namespace norvane::ui {

// `word` as one word for a POSIX shell: as it is when it holds only characters no shell gives a meaning
// to, otherwise in single quotes.
QString shellQuoted(const QString& word);
// "git fetch origin pull/N/head:BRANCH && git switch BRANCH"; none without the head branch.
std::optional<QString> checkoutCommand(const PullRequest& pr);
// How the snoozed list names a snooze's end: "until it changes", "until Tue 9 Dec, 14:05" (local time).
QString snoozeEndText(const Snooze& snooze);

struct RowMenuActions
{
    std::function<void()> open;
    std::function<void(SnoozeLength)> snooze;
};

// Open in Browser, the three copies to the clipboard, then the three snoozes. The menu is deleted when it
// closes.
QMenu* buildRowMenu(const PullRequest& pr, RowMenuActions actions, QWidget* parent);

} // namespace norvane::ui
