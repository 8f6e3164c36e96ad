// How the pull-request list copes with 1,000 rows: filling it and scrolling through it page by page.
// Run: QT_QPA_PLATFORM=offscreen ./build/release/bench/pr_list_bench
#include "painted_list.h"
#include "ui/pr_list_model.h"
#include "ui/pr_row_view.h"

#include <QApplication>
#include <QListView>
#include <QPixmap>
#include <QScrollBar>
#include <benchmark/benchmark.h>

using namespace norvane;
using namespace norvane::ui;

namespace {

QList<PullRequest> samplePullRequests(int count)
{
    using AS = PullRequest::ApprovalStatus;
    using CI = PullRequest::CIStatus;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<PullRequest> prs;
    for (int i = 0; i < count; ++i) {
        PullRequest p;
        p.id = QStringLiteral("gh-%1").arg(i);
        p.number = i + 1;
        p.title = QStringLiteral("Change number %1 to the billing pipeline and its retries").arg(i);
        p.repository = QStringLiteral("acme/repo-%1").arg(i % 17);
        p.url = QStringLiteral("https://github.com/%1/pull/%2").arg(p.repository).arg(p.number);
        p.author = QStringLiteral("author%1").arg(i % 9);
        p.updatedAt = now.addSecs(-60 * i);
        p.createdAt = now.addDays(-i);
        p.reviewRequested = i % 3 == 0;
        p.isYourPR = i % 3 == 1;
        p.isAssigned = i % 5 == 0;
        p.isDraft = i % 11 == 0;
        p.approvalStatus = std::array{AS::approved, AS::pending, AS::changesRequested}[i % 3];
        p.ciStatus = std::array{CI::success, CI::pending, CI::failure, CI::error}[i % 4];
        if (p.isYourPR)
            p.requestedReviewers = QStringList{QStringLiteral("alice"), QStringLiteral("bob")};
        p.reviewCommentCount = i % 4;
        if (i % 6 == 2)
            p.lastChangeRequest =
                ChangeRequestInfo{QStringLiteral("carol"), QStringLiteral("Please add a test"), now};
        prs.append(p);
    }
    return prs;
}

QList<QList<PRUpdateType>> sampleUpdates(int count)
{
    QList<QList<PRUpdateType>> updates;
    for (int i = 0; i < count; ++i)
        updates.append(i % 4 == 0 ? QList<PRUpdateType>{PRUpdateType::newCommits, PRUpdateType::newReview}
                                  : QList<PRUpdateType>{});
    return updates;
}

using List = PaintedList<PRListModel, PRRowView>;

// Replacing the rows and laying the list out again: what every refresh and filter change costs.
void BM_FillList(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto prs = samplePullRequests(count);
    const auto updates = sampleUpdates(count);
    List list;
    for (auto _ : state) {
        list.model.setRows(prs, updates);
        list.view.doItemsLayout();
        benchmark::DoNotOptimize(list.view.verticalScrollBar()->maximum());
    }
}
BENCHMARK(BM_FillList)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// One scroll step of a page, painted: a frame of scrolling. Smooth means well under 16 ms.
void BM_ScrollOnePage(benchmark::State& state)
{
    const int count = int(state.range(0));
    List list;
    list.model.setRows(samplePullRequests(count), sampleUpdates(count));
    list.view.doItemsLayout();
    QScrollBar* bar = list.view.verticalScrollBar();
    QPixmap frame(list.view.viewport()->size());
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        list.view.viewport()->render(&frame);
    }
}
BENCHMARK(BM_ScrollOnePage)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
