#include "ui/pulls/pr_row_menu.h"

#include "core/relative_time.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/theme.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QRegularExpression>

namespace norvane::ui {

namespace {

class MenuText
{
    Q_DECLARE_TR_FUNCTIONS(PRRowMenu)
};

} // namespace

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
        return MenuText::tr("until it changes");
    const QDateTime until = snooze.until->toLocalTime();
    //: The date of a snooze's end in Qt's date pattern (ddd: weekday, d: day, MMM: month), e.g. "Tue 9 Dec"
    const QString day = QLocale().toString(until.date(), MenuText::tr("ddd d MMM"));
    //: A snooze's end: %1 is the day, such as "Tue 9 Dec", %2 the time of day
    return MenuText::tr("until %1, %2").arg(day, clockTimeText(until));
}

QMenu* buildRowMenu(const PullRequest& pr, RowMenuActions actions, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setAccessibleName(MenuText::tr("Pull request #%1").arg(pr.number));
    const QColor tint = color(ThemeColor::primary, menu->palette());
    const auto copy = [](const QString& text) {
        QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
    };

    QAction* open = menu->addAction(symbolIcon(Symbol::safari, tint), MenuText::tr("Open in Browser"));
    QObject::connect(open, &QAction::triggered, menu, [open = actions.open] { open(); });
    QAction* link = menu->addAction(symbolIcon(Symbol::docOnClipboard, tint), MenuText::tr("Copy Link"));
    QObject::connect(link, &QAction::triggered, menu, [copy, url = pr.url] { copy(url); });
    QAction* branch =
        menu->addAction(symbolIcon(Symbol::arrowTriangleBranch, tint), MenuText::tr("Copy Branch Name"));
    QAction* checkout = menu->addAction(MenuText::tr("Copy Checkout Command"));
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
        QString text;
        SnoozeLength length;
    } snoozes[] = {{MenuText::tr("Snooze until it changes"), SnoozeLength::untilChange},
                   {MenuText::tr("Snooze for a day"), SnoozeLength::day},
                   {MenuText::tr("Snooze for a week"), SnoozeLength::week}};
    for (const auto& s : snoozes) {
        QAction* item = menu->addAction(symbolIcon(Symbol::clock, tint), s.text);
        QObject::connect(item, &QAction::triggered, menu,
                         [snooze = actions.snooze, length = s.length] { snooze(length); });
    }
    return menu;
}

} // namespace norvane::ui
