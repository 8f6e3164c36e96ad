// How the pull-request list copes with 1,000 rows: filling it and scrolling through it page by page.
// Run: QT_QPA_PLATFORM=offscreen ./build/release/bench/pr_list_bench
#include "painted_list.h"
#include "sample_data.h"
#include "ui/pulls/pr_list_model.h"
#include "ui/pulls/pr_row_view.h"

#include <QApplication>
#include <QListView>
#include <QPixmap>
#include <QScrollBar>
#include <benchmark/benchmark.h>

using namespace norvane;
using namespace norvane::ui;
using namespace norvane::bench;

namespace {

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

// From an empty list to its first frame on screen: the rows handed over, laid out and painted once. This is
// what the panel costs when it opens on a long list.
void BM_FirstPaint(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto prs = samplePullRequests(count);
    const auto updates = sampleUpdates(count);
    for (auto _ : state) {
        List list;
        list.model.setRows(prs, updates);
        list.view.doItemsLayout();
        QPixmap frame(list.view.viewport()->size());
        list.view.viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.cacheKey());
    }
}
BENCHMARK(BM_FirstPaint)->Arg(1000)->Unit(benchmark::kMillisecond);

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
    countPaintedRows(state, list.visibleRows());
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
