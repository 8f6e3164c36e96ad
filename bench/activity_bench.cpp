// How the issues list and the dashboard cope with 30 watched repositories: 100 open issues each (3,000
// rows) filled, painted first and scrolled page by page, and 30 dashboard cards built, laid out and painted.
// Run: QT_QPA_PLATFORM=offscreen ./build/release/bench/activity_bench
#include "painted_list.h"
#include "ui/widgets/controls.h"
#include "ui/activity/dashboard_view.h"
#include "ui/activity/issue_row_view.h"

#include <QApplication>
#include <QListView>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>

#include <algorithm>

using namespace norvane;
using namespace norvane::ui;

namespace {

constexpr int kRepositories = 30;

QList<GitHubIssue> sampleIssues(int perRepository)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QStringList labels{QStringLiteral("bug"), QStringLiteral("needs-triage"),
                             QStringLiteral("payments"), QStringLiteral("performance"), QStringLiteral("ui")};
    QList<GitHubIssue> issues;
    for (int i = 0; i < kRepositories * perRepository; ++i) {
        GitHubIssue issue;
        issue.repository = QStringLiteral("northwind/service-%1").arg(i % kRepositories);
        issue.number = i + 1;
        issue.id = QStringLiteral("issue-%1-%2").arg(issue.repository).arg(i);
        issue.title =
            QStringLiteral("Checkout fails when the basket holds item %1 and the coupon expired").arg(i);
        issue.url = QStringLiteral("https://github.com/%1/issues/%2").arg(issue.repository).arg(issue.number);
        issue.author = QStringLiteral("author%1").arg(i % 9);
        issue.updatedAt = now.addSecs(-60 * i);
        issue.createdAt = now.addDays(-i);
        issue.labels = labels.mid(0, i % 6);
        issue.commentCount = i % 5;
        issues.append(issue);
    }
    return issues;
}

using IssueList = PaintedList<IssueListModel, IssueRowView>;

// Replacing the rows and laying the list out again: what every load and repository choice costs.
void BM_FillIssues(benchmark::State& state)
{
    const auto issues = sampleIssues(int(state.range(0)));
    IssueList list;
    for (auto _ : state) {
        list.model.setIssues(issues);
        list.view.doItemsLayout();
        benchmark::DoNotOptimize(list.view.verticalScrollBar()->maximum());
    }
}
BENCHMARK(BM_FillIssues)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// From an empty list to its first frame: the issues handed over, laid out and painted once.
void BM_FirstPaintIssues(benchmark::State& state)
{
    const auto issues = sampleIssues(int(state.range(0)));
    for (auto _ : state) {
        IssueList list;
        list.model.setIssues(issues);
        list.view.doItemsLayout();
        QPixmap frame(list.view.viewport()->size());
        list.view.viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.cacheKey());
    }
}
BENCHMARK(BM_FirstPaintIssues)->Arg(100)->Unit(benchmark::kMillisecond);

// One scroll step of a page, painted: a frame of scrolling. Smooth means well under 16 ms.
void BM_ScrollIssues(benchmark::State& state)
{
    IssueList list;
    list.model.setIssues(sampleIssues(int(state.range(0))));
    list.view.doItemsLayout();
    QScrollBar* bar = list.view.verticalScrollBar();
    QPixmap frame(list.view.viewport()->size());
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        list.view.viewport()->render(&frame);
    }
    countPaintedRows(state, list.visibleRows());
}
BENCHMARK(BM_ScrollIssues)->Arg(100)->Unit(benchmark::kMillisecond);

QList<RepoSummary> sampleSummaries(const QDateTime& now)
{
    QList<RepoSummary> summaries;
    for (int i = 0; i < kRepositories; ++i) {
        RepoSummary s;
        s.repository = QStringLiteral("northwind/service-%1").arg(i);
        s.openPRCount = i;
        s.lastCommitAt = now.addSecs(-3600 * i);
        s.lastCommitMessage = QStringLiteral("Bump the payment client to the next minor release");
        for (int d = 0; d < i % 6; ++d)
            s.recentDeploys.append(
                DeployInfo{QStringLiteral("production"), DeployInfo::Status(d % 5), now, {}});
        if (i % 3)
            s.environments = QStringList{QStringLiteral("preview"), QStringLiteral("staging"),
                                         QStringLiteral("production"), QStringLiteral("canary"),
                                         QStringLiteral("eu-west")};
        summaries.append(s);
    }
    return summaries;
}

// The dashboard as the tab holds it: a column of cards in a panel-sized scroll area.
struct Dashboard {
    Dashboard()
    {
        page.resize(560, 480);
        auto* column = new QVBoxLayout(&page);
        column->setContentsMargins(0, 0, 0, 0);
        scroll = verticalScrollArea(&page);
        auto* content = new QWidget(scroll);
        cardColumn = new QVBoxLayout(content);
        cardColumn->setContentsMargins(12, 8, 12, 8);
        cardColumn->setSpacing(8);
        cardColumn->addStretch();
        scroll->setWidget(content);
        column->addWidget(scroll);
        page.show();
    }
    // Cards in, then what the event loop does before the next frame: show them, size the page, lay it out
    // (a few rounds: each layout request posts the next).
    void build(const QList<RepoSummary>& summaries, const QDateTime& now)
    {
        for (const RepoSummary& summary : summaries) {
            cards.append(new RepoSummaryCard(summary, now, scroll->widget()));
            cardColumn->insertWidget(cardColumn->count() - 1, cards.last());
        }
        for (int round = 0; round < 3; ++round)
            QCoreApplication::sendPostedEvents();
    }
    int visibleCards() const
    {
        const QRect area(QPoint(0, scroll->verticalScrollBar()->value()), scroll->viewport()->size());
        return int(std::count_if(cards.begin(), cards.end(), [&](const QWidget* card) {
            return card->isVisible() && card->geometry().intersects(area);
        }));
    }

    QWidget page;
    QScrollArea* scroll = nullptr;
    QVBoxLayout* cardColumn = nullptr;
    QList<RepoSummaryCard*> cards;
};

// Building the dashboard's cards after a load, laid out and painted once: the tab's first frame.
void BM_DashboardCards(benchmark::State& state)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QList<RepoSummary> summaries = sampleSummaries(now);
    Dashboard dashboard;
    QPixmap frame(dashboard.scroll->viewport()->size());
    for (auto _ : state) {
        dashboard.build(summaries, now);
        dashboard.scroll->viewport()->render(&frame);
        state.PauseTiming();
        qDeleteAll(dashboard.cards);
        dashboard.cards.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DashboardCards)->Unit(benchmark::kMillisecond);

// Painting the built cards again, as a scroll or a clock tick does; reported per card in sight.
void BM_DashboardRepaint(benchmark::State& state)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    Dashboard dashboard;
    dashboard.build(sampleSummaries(now), now);
    QPixmap frame(dashboard.scroll->viewport()->size());
    for (auto _ : state)
        dashboard.scroll->viewport()->render(&frame);
    countPaintedRows(state, dashboard.visibleCards());
}
BENCHMARK(BM_DashboardRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
