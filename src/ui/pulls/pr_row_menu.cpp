#include "ui/pulls/pr_row_menu.h"

#include "ui/widgets/controls.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/theme.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QRegularExpression>

namespace norvane::ui {

QString shellQuoted(const QString& word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._/+@%=,:-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

std::optional<QString> checkoutCommand(const PullRequest& pr)
{
    if (!pr.headBranch || pr.headBranch->isEmpty())
        return std::nullopt;
    const QString branch = shellQuoted(*pr.headBranch);
    // The refspec is quoted whole when the branch needs it: pull/N/head:'x;y' would not be one word.
    const QString refspec = shellQuoted(QStringLiteral("pull/%1/head:%2").arg(pr.number).arg(*pr.headBranch));
    return QStringLiteral("git fetch origin %1 && git switch %2").arg(refspec, branch);
}

QString snoozeEndText(const Snooze& snooze)
{
    if (!snooze.until)
        return QStringLiteral("until it changes");
    return QStringLiteral("until ") +
           QLocale().toString(snooze.until->toLocalTime(), QStringLiteral("ddd d MMM, HH:mm"));
}

QMenu* buildRowMenu(const PullRequest& pr, RowMenuActions actions, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setAccessibleName(QStringLiteral("Pull request #%1").arg(pr.number));
    const QColor tint = color(ThemeColor::primary, menu->palette());
    const auto copy = [](const QString& text) {
        QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
    };

    QAction* open = menu->addAction(symbolIcon(Symbol::safari, tint), QStringLiteral("Open in Browser"));
    QObject::connect(open, &QAction::triggered, menu, [open = actions.open] { open(); });
    QAction* link = menu->addAction(symbolIcon(Symbol::docOnClipboard, tint), QStringLiteral("Copy Link"));
    QObject::connect(link, &QAction::triggered, menu, [copy, url = pr.url] { copy(url); });
    QAction* branch =
        menu->addAction(symbolIcon(Symbol::arrowTriangleBranch, tint), QStringLiteral("Copy Branch Name"));
    QAction* checkout = menu->addAction(QStringLiteral("Copy Checkout Command"));
    // Without the pull request's detail its branch is unknown: both stay in place, disabled.
    branch->setEnabled(pr.headBranch && !pr.headBranch->isEmpty());
    QObject::connect(branch, &QAction::triggered, menu,
                     [copy, name = pr.headBranch.value_or(QString())] { copy(name); });
    const auto command = checkoutCommand(pr);
    checkout->setEnabled(command.has_value());
    QObject::connect(checkout, &QAction::triggered, menu,
                     [copy, text = command.value_or(QString())] { copy(text); });
    menu->addSeparator();
    const struct
    {
        const char* text;
        SnoozeLength length;
    } snoozes[] = {{"Snooze until it changes", SnoozeLength::untilChange},
                   {"Snooze for a day", SnoozeLength::day},
                   {"Snooze for a week", SnoozeLength::week}};
    for (const auto& s : snoozes) {
        QAction* item = menu->addAction(symbolIcon(Symbol::clock, tint), QString::fromLatin1(s.text));
        QObject::connect(item, &QAction::triggered, menu,
                         [snooze = actions.snooze, length = s.length] { snooze(length); });
    }
    return menu;
}

} // namespace norvane::ui
