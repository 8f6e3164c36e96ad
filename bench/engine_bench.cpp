// The engine's pure work, each piece on its own: decoding a search page, merging and sorting the three
// searches, the filtered and sorted list the panel shows, the unseen updates of every row and the tray badge.
// Run: QT_QPA_PLATFORM=offscreen ./build/release/bench/engine_bench
#include "core/github_rules.h"
#include "core/github_wire.h"
#include "core/pr_rules.h"
#include "fakehub/payloads.h"
#include "platform/debug_log.h"
#include "sample_data.h"
#include "ui/tray/paw_icon.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <algorithm>

using namespace norvane;
using namespace norvane::bench;

namespace {

// A page of /search/issues as fakehub serves it, from its generated world: GitHub's keys and nesting.
QByteArray searchPage(int items)
{
    const fakehub::Scenario world = fakehub::Scenario::fromJson(
        QJsonDocument(fakehub::generateScenarioJson(items)).toJson(QJsonDocument::Compact));
    const fakehub::Payloads payloads(world, QStringLiteral("https://api.github.com"));
    QJsonArray list;
    for (const fakehub::PullRequest& pr : world.pullRequests)
        list.append(payloads.searchItem(pr));
    return QJsonDocument(QJsonObject{{"total_count", items}, {"incomplete_results", false}, {"items", list}})
        .toJson(QJsonDocument::Compact);
}

// The sample list in an order no sort finds already done.
QList<PullRequest> shuffled(int count)
{
    QList<PullRequest> prs = samplePullRequests(count);
    QRandomGenerator random(17);
    std::shuffle(prs.begin(), prs.end(), random);
    return prs;
}

void BM_DecodeSearchPage(benchmark::State& state)
{
    const QByteArray body = searchPage(int(state.range(0)));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state) {
        QList<PullRequest> prs;
        for (const wire::SearchItem& item : wire::decodeSearchResponse(body))
            prs.append(pullRequestFromSearchItem(item, SearchKind::authored, now));
        benchmark::DoNotOptimize(prs.size());
    }
    state.SetLabel(std::to_string(body.size()) + " bytes");
}
BENCHMARK(BM_DecodeSearchPage)->Arg(50)->Unit(benchmark::kMicrosecond);

// Three searches' worth: every pull request once, a third of them found by a second search as well.
void BM_MergeAndSort(benchmark::State& state)
{
    const QList<PullRequest> unique = shuffled(int(state.range(0)));
    QList<PullRequest> concatenated = unique;
    for (qsizetype i = 0; i < unique.size(); i += 3) {
        PullRequest again = unique[i];
        again.isAssigned = true;
        concatenated.append(again);
    }
    for (auto _ : state) {
        QList<PullRequest> merged = mergeSearchResults(concatenated);
        sortByUpdatedDescending(merged);
        benchmark::DoNotOptimize(merged.size());
    }
}
BENCHMARK(BM_MergeAndSort)->Arg(10'000)->Unit(benchmark::kMillisecond);

// What the panel recomputes on every change of tab, sort or repository: one case per filter and sort.
void BM_FilteredPullRequests(benchmark::State& state)
{
    const QList<PullRequest> prs = shuffled(10'000);
    PRScope scope;
    scope.filter = kAllFilters[state.range(0)];
    scope.sort = kAllSortOptions[state.range(1)];
    scope.blocked = {QStringLiteral("acme/repo-3"), QStringLiteral("other")};
    for (auto _ : state)
        benchmark::DoNotOptimize(filteredPullRequests(prs, scope).size());
    state.SetLabel((rawValue(scope.filter) + QLatin1Char('/') + rawValue(scope.sort)).toStdString());
}
BENCHMARK(BM_FilteredPullRequests)
    ->ArgsProduct({benchmark::CreateDenseRange(0, int(kAllFilters.size()) - 1, 1),
                   benchmark::CreateDenseRange(0, int(kAllSortOptions.size()) - 1, 1)})
    ->Unit(benchmark::kMillisecond);

// The unseen marks of every row after a refresh, against snapshots of an older state of each.
void BM_UnseenUpdates(benchmark::State& state)
{
    const QList<PullRequest> prs = samplePullRequests(int(state.range(0)));
    SeenStateMap seen;
    for (qsizetype i = 0; i < prs.size(); ++i) {
        PRSeenState snapshot = PRSeenState::snapshot(prs[i]);
        if (i % 2)
            snapshot.commentCount -= 1;
        if (i % 5 == 0)
            snapshot.headSha = QStringLiteral("older");
        seen.insert(prs[i].id, snapshot);
    }
    for (auto _ : state) {
        qsizetype marked = 0;
        for (const PullRequest& pr : prs) {
            const auto it = seen.constFind(pr.id);
            if (it != seen.constEnd())
                marked += it->changes(pr).size();
        }
        benchmark::DoNotOptimize(marked);
    }
}
BENCHMARK(BM_UnseenUpdates)->Arg(1'000)->Unit(benchmark::kMicrosecond);

// The tray icon after a refresh: one slot's image, and the whole icon (every slot size) the tray gets.
void BM_BadgeImage(benchmark::State& state)
{
    const qreal ratio = qreal(state.range(0));
    const Badge badge{BadgeColor::red, 12};
    for (auto _ : state)
        benchmark::DoNotOptimize(ui::squareTrayImage(badge, Qt::black, Qt::red, 22, ratio).sizeInBytes());
}
BENCHMARK(BM_BadgeImage)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_BadgeIcon(benchmark::State& state)
{
    const qreal ratio = qreal(state.range(0));
    const Badge badge{BadgeColor::red, 12};
    for (auto _ : state)
        benchmark::DoNotOptimize(ui::squareTrayIcon(badge, Qt::black, Qt::red, ratio).cacheKey());
}
BENCHMARK(BM_BadgeIcon)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// A diagnostic line with debug mode off: the call alone, and the call with a message formatted for it, as
// most call sites do. Run without DEBUG_MODE and without ~/.norvane_debug.
void BM_DebugLogOff(benchmark::State& state)
{
    const QString category = QStringLiteral("Reviews");
    const QString message = QStringLiteral("Skipping reviews");
    const bool formatted = state.range(0) != 0;
    qint64 number = 0;
    for (auto _ : state) {
        if (formatted)
            debugLog(category, QStringLiteral("Fetching reviews for PR #%1 in %2").arg(++number).arg(message));
        else
            debugLog(category, message);
    }
    state.SetLabel(isDebugMode() ? "debug mode ON: not the figure wanted" : "debug mode off");
}
BENCHMARK(BM_DebugLogOff)->Arg(0)->Arg(1);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
