// Fuzz targets for everything Norvane reads from the network or from stored preferences, in one libFuzzer
// executable. The target is chosen by NORVANE_FUZZ_TARGET (scripts/fuzz and the corpus tests set it); one
// binary instead of one per target keeps the sanitized build to a single compile and link.
//
// A target decodes the bytes the way the program does, feeds whatever decodes to the rules that consume
// it, and checks properties that must hold for any input (a stored value read back equals what was
// written). Decode errors are expected; any other exception, a sanitizer report or a failed check is a find.

#include "core/activity_records.h"
#include "core/activity_rules.h"
#include "core/github_account.h"
#include "core/github_rules.h"
#include "core/github_wire.h"
#include "core/json_reader.h"
#include "core/pr_rules.h"
#include "core/relative_time.h"
#include "core/snooze.h"
#include "core/stored_encoding.h"
#include "core/watched_repo.h"
#include "github/rate_limit.h"
#include "github/response_cache.h"
#include "platform/preferences.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <string_view>

using namespace norvane;

namespace {

// A failed property: report it the way a sanitizer would, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

const QDateTime& fixedNow()
{
    static const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);
    return now;
}

template <typename F> void decoding(F&& decode)
{
    try {
        decode();
    } catch (const DecodeError& e) {
        FUZZ_CHECK(!e.description().isEmpty());
    }
}

// Re-encodes a decoded stored value and decodes it again: what was read must survive being written back.
template <typename T, typename Encode, typename Decode>
void roundTrips(const T& value, Encode encode, Decode decode)
{
    const QByteArray written = QJsonDocument(encode(value)).toJson(QJsonDocument::Compact);
    const QJsonDocument again = QJsonDocument::fromJson(written);
    FUZZ_CHECK(decode(again) == value);
}

// --- GitHub replies ----------------------------------------------------------------------------------------

void searchPage(const QByteArray& body)
{
    decoding([&] {
        QList<PullRequest> prs;
        for (const wire::SearchItem& item : wire::decodeSearchResponse(body))
            prs.append(pullRequestFromSearchItem(item, SearchKind::reviewRequested, fixedNow()));
        QList<PullRequest> merged = mergeSearchResults(prs + prs);
        FUZZ_CHECK(merged.size() <= prs.size());
        sortByUpdatedDescending(merged);
        for (const PRSortOption option : kAllSortOptions)
            sortPullRequests(merged, option);
        for (const PRFilter filter : kAllFilters)
            countForFilter(merged, filter, {});
        availableRepositories(merged, {}, {});
        badgeFor(merged);
    });
    decoding([&] { wire::decodeSearchTotalCount(body); });
}

void pullDetail(const QByteArray& body)
{
    decoding([&] { wire::decodePRDetail(body); });
}

void reviews(const QByteArray& body)
{
    decoding([&] {
        const ReviewVerdict verdict = reviewVerdict(wire::decodeReviews(body), fixedNow());
        FUZZ_CHECK(verdict.result.reviewCount >= 0);
        if (verdict.result.lastChangeRequest)
            FUZZ_CHECK(verdict.result.lastChangeRequest->bodyPreview.size() <= 400);
    });
}

void combinedStatus(const QByteArray& body)
{
    decoding([&] { legacyCIStatus(wire::decodeCommitStatus(body)); });
}

void checkRuns(const QByteArray& body)
{
    decoding([&] { checkRunsCIStatus(wire::decodeCheckRuns(body)); });
}

void issues(const QByteArray& body)
{
    decoding([&] {
        const QList<wire::Issue> items = wire::decodeIssues(body);
        for (const wire::Issue& issue : items) {
            parseGitHubDate(issue.createdAt);
            extractRepoName(issue.htmlUrl);
        }
    });
}

void commits(const QByteArray& body)
{
    decoding([&] {
        for (const wire::Commit& commit : wire::decodeCommits(body)) {
            const QString line = commitMessageFirstLine(commit.message);
            // Only a bare line feed ends the line: CR LF stays inside it, as the rule says.
            for (qsizetype i = line.indexOf(QLatin1Char('\n')); i >= 0;
                 i = line.indexOf(QLatin1Char('\n'), i + 1))
                FUZZ_CHECK(i > 0 && line.at(i - 1) == QLatin1Char('\r'));
            if (const auto date = parseGitHubDate(commit.authorDate))
                isSameLocalDay(*date, fixedNow(), QTimeZone::utc());
        }
    });
}

void environments(const QByteArray& body)
{
    decoding([&] { wire::decodeEnvironmentNames(body); });
}

void deployments(const QByteArray& body)
{
    decoding([&] {
        QList<DeployInfo> deploys;
        for (const wire::Deployment& d : wire::decodeDeployments(body))
            deploys.append(DeployInfo{d.environment, DeployInfo::Status::success,
                                      parseGitHubDateOr(d.createdAt, fixedNow()),
                                      DeployInfo::Source::deployments});
        FUZZ_CHECK(mergeDeploys(deploys, {}).size() <= deploys.size());
    });
}

void deploymentStatuses(const QByteArray& body)
{
    decoding([&] { deploymentStatusFromStates(wire::decodeDeploymentStatusStates(body)); });
}

void workflowRuns(const QByteArray& body)
{
    decoding([&] {
        for (const wire::WorkflowRun& run : wire::decodeWorkflowRuns(body)) {
            isDeployWorkflowName(run.name);
            workflowRunDeployStatus(run);
        }
    });
}

void deviceCode(const QByteArray& body)
{
    decoding([&] {
        const wire::DeviceCode code = wire::decodeDeviceCode(body);
        QUrl(code.verificationUri, QUrl::StrictMode).isValid();
    });
}

void accessToken(const QByteArray& body)
{
    decoding([&] { wire::decodeAccessTokenAnswer(body); });
}

void user(const QByteArray& body)
{
    wire::decodeUserLogin(body); // never throws
}

// --- Stored preferences ------------------------------------------------------------------------------------

void accounts(const QByteArray& stored)
{
    decoding([&] {
        const QList<GitHubAccount> list = gitHubAccountsFromJson(parseJsonArray(stored));
        for (const GitHubAccount& account : list)
            account.displayName();
        roundTrips(
            list, [](const QList<GitHubAccount>& l) { return QJsonDocument(toJson(l)); },
            [](const QJsonDocument& d) { return gitHubAccountsFromJson(d.array()); });
    });
}

void seenStates(const QByteArray& stored)
{
    decoding([&] {
        const SeenStateMap map = seenStateMapFromJson(parseJsonObject(stored));
        PullRequest pr;
        pr.headSha = QStringLiteral("abc");
        pr.reviewCount = 1;
        pr.ciStatus = PullRequest::CIStatus::failure;
        for (const PRSeenState& state : map)
            state.changes(pr);
        roundTrips(
            map, [](const SeenStateMap& m) { return QJsonDocument(toJson(m)); },
            [](const QJsonDocument& d) { return seenStateMapFromJson(d.object()); });
    });
}

void snoozes(const QByteArray& stored)
{
    decoding([&] {
        const SnoozeMap map = snoozeMapFromJson(parseJsonObject(stored));
        PullRequest pr;
        pr.updatedAt = fixedNow();
        pr.reviewRequested = true;
        for (const Snooze& snooze : map) {
            snoozeWakes(snooze, pr, fixedNow());
            snoozedUntilJson(snooze);
        }
        roundTrips(
            map, [](const SnoozeMap& m) { return QJsonDocument(toJson(m)); },
            [](const QJsonDocument& d) { return snoozeMapFromJson(d.object()); });
    });
}

void watchedRepos(const QByteArray& stored)
{
    decoding([&] {
        const QList<WatchedRepo> list = watchedReposFromJson(parseJsonArray(stored));
        roundTrips(
            list, [](const QList<WatchedRepo>& l) { return QJsonDocument(toJson(l)); },
            [](const QJsonDocument& d) { return watchedReposFromJson(d.array()); });
    });
}

void notificationSettings(const QByteArray& stored)
{
    decoding([&] {
        const NotificationSettings settings = notificationSettingsFromJson(parseJsonObject(stored));
        roundTrips(
            settings, [](const NotificationSettings& s) { return QJsonDocument(toJson(s)); },
            [](const QJsonDocument& d) { return notificationSettingsFromJson(d.object()); });
    });
}

// A preferences file holding `contents`, at a path of its own: QSettings caches a file's contents by name
// and, within one tick of the file system's clock, would not see new contents of the same size.
class ProfileWithFile
{
public:
    explicit ProfileWithFile(const QByteArray& contents)
    {
        static QTemporaryDir root;
        static int serial = 0;
        m_directory = root.filePath(QString::number(++serial));
        QDir().mkpath(m_directory);
        QFile file(QDir(m_directory).filePath(QStringLiteral("preferences.ini")));
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    ~ProfileWithFile() { QDir(m_directory).removeRecursively(); }
    const QString& directory() const { return m_directory; }

private:
    QString m_directory;
};

// String lists are stored in the INI text of the preferences file, so the bytes go there as the value.
std::optional<QStringList> storedList(const char* key, const QByteArray& value)
{
    const ProfileWithFile profile("[General]\n" + QByteArray(key) + '=' + value + '\n');
    auto preferences =
        SettingsPreferences::forProfile(profile.directory(), SettingsPreferences::OnDamage::readAsIs);
    return preferences->stringList(QString::fromLatin1(key));
}

QList<PullRequest> samplePullRequests()
{
    QList<PullRequest> prs;
    for (const char* repo : {"octo/one", "octo/two", "mona/api"}) {
        PullRequest pr;
        pr.id = QStringLiteral("gh-%1").arg(prs.size());
        pr.repository = QString::fromLatin1(repo);
        prs.append(pr);
    }
    return prs;
}

void blockedList(const QByteArray& value)
{
    const auto list = storedList("blocked_repositories", value);
    if (!list)
        return;
    QSet<QString> blocked(list->begin(), list->end());
    const QList<PullRequest> prs = samplePullRequests();
    PRScope scope;
    scope.blocked = blocked;
    const QList<PullRequest> shown = filteredPullRequests(prs, scope);
    for (const PullRequest& pr : shown)
        FUZZ_CHECK(!isBlocked(pr.repository, blocked));
    for (const QString& entry : *list) {
        isValidBlockEntry(trimHorizontalWhitespace(entry));
        repositoryOwner(entry);
    }
    addOwnerBlock(blocked, QStringLiteral("octo"));
    FUZZ_CHECK(isBlocked(QStringLiteral("octo/one"), blocked));
}

void favoriteList(const QByteArray& value)
{
    const auto list = storedList("favorite_repositories", value);
    if (!list)
        return;
    const QSet<QString> favorites(list->begin(), list->end());
    const QStringList repos = availableRepositories(samplePullRequests(), {}, favorites);
    FUZZ_CHECK(repos.size() == 3);
}

// --- Rules over text ---------------------------------------------------------------------------------------

void timestamp(const QByteArray& input)
{
    const QString text = QString::fromUtf8(input);
    const auto parsed = parseGitHubDate(text);
    if (parsed) {
        FUZZ_CHECK(parsed->isValid());
    }
    // What parses is a point in time that GitHub's own form of it parses back to (a zone offset can push a
    // date of year 1 or 9999 out of the four-digit years that form allows).
    if (parsed && parsed->date().year() >= 1 && parsed->date().year() <= 9999) {
        const auto again = parseGitHubDate(parsed->toUTC().toString(Qt::ISODateWithMs));
        FUZZ_CHECK(again && *again == *parsed);
        const auto stored = fromStoredTimestamp(toStoredTimestamp(*parsed));
        FUZZ_CHECK(stored && *stored == *parsed);
    }
    FuzzedDataProvider provider(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    const double seconds = provider.ConsumeFloatingPoint<double>();
    if (const auto time = fromStoredTimestamp(seconds))
        FUZZ_CHECK(time->isValid());
}

void repoName(const QByteArray& input)
{
    const QString text = QString::fromUtf8(input);
    const QString trimmed = trimHorizontalWhitespace(text);
    FUZZ_CHECK(trimHorizontalWhitespace(trimmed) == trimmed);
    if (isValidRepoName(trimmed)) {
        FUZZ_CHECK(trimmed.count(QLatin1Char('/')) == 1);
        FUZZ_CHECK(isValidBlockEntry(trimmed));
        FUZZ_CHECK(!repositoryOwner(trimmed).isEmpty());
    }
}

void blockEntry(const QByteArray& input)
{
    const QString text = trimHorizontalWhitespace(QString::fromUtf8(input));
    if (isValidBlockEntry(text)) {
        FUZZ_CHECK(text.count(QLatin1Char('/')) <= 1);
        FUZZ_CHECK(!text.startsWith(QLatin1Char('/')) && !text.endsWith(QLatin1Char('/')));
        QSet<QString> blocked{text};
        FUZZ_CHECK(isBlocked(text, blocked));
    }
}

void relativeTime(const QByteArray& input)
{
    FuzzedDataProvider provider(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    // Anywhere within ten thousand years of the epoch, both ways.
    constexpr qint64 kSpan = 10'000LL * 366 * 86'400'000;
    const QDateTime date =
        QDateTime::fromMSecsSinceEpoch(provider.ConsumeIntegralInRange(-kSpan, kSpan), Qt::UTC);
    const QDateTime now =
        QDateTime::fromMSecsSinceEpoch(provider.ConsumeIntegralInRange(-kSpan, kSpan), Qt::UTC);
    const QString text = relativeTimeText(date, now);
    FUZZ_CHECK(text.endsWith(QLatin1String(" ago")) || text.startsWith(QLatin1String("in ")));
    FUZZ_CHECK(!text.contains(QLatin1Char('-')));
}

// The whole preferences file as another program or a crash may have left it: it is either set aside whole
// (and the store starts empty) or every key the engine reads answers, with every getter, without crashing.
void preferencesFile(const QByteArray& contents)
{
    const ProfileWithFile profile(contents);
    const bool damaged = preferencesFileDamage(contents).has_value();
    auto preferences = SettingsPreferences::forProfile(profile.directory());
    if (damaged)
        FUZZ_CHECK(preferences->setAsidePath().has_value());
    if (preferences->setAsidePath()) {
        FUZZ_CHECK(preferences->keys().isEmpty());
        QFile aside(*preferences->setAsidePath());
        FUZZ_CHECK(aside.open(QIODevice::ReadOnly) && aside.readAll() == contents);
        return;
    }
    for (const QString& key : preferences->keys()) {
        if (const auto data = preferences->data(key))
            decoding([&] { parseJsonObject(*data); });
        preferences->string(key);
        preferences->stringList(key);
    }
}

// An entry of the HTTP answer cache as read from disk: anything but an exact entry is a miss, and an entry
// that reads back is exactly what encoding its parts gives.
void httpCache(const QByteArray& data)
{
    const QString url = QStringLiteral("https://api.github.com/repos/octo/one/pulls/1");
    const QByteArray key = ResponseCache::credentialKey("token t");
    if (const auto entry = ResponseCache::decodeEntry(data, url, key))
        FUZZ_CHECK(ResponseCache::encodeEntry(url, key, *entry) == data);
}

// An answer's headers ("Name: value" lines) and, after an empty line, its body, as the rate-limit rules
// read them: a limit never sends Norvane back in time.
void rateLimit(const QByteArray& data)
{
    const qsizetype split = data.indexOf("\n\n");
    HeaderList headers;
    for (const QByteArray& line : (split < 0 ? data : data.left(split)).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            headers.append({line.left(colon), line.mid(colon + 1)});
    }
    const QByteArray body = split < 0 ? QByteArray() : data.mid(split + 2);
    if (const auto reading = rateLimitReading(headers))
        FUZZ_CHECK(!reading->resource.isEmpty());
    for (const int status : {403, 429}) {
        if (const auto hit = rateLimitHit(status, headers, body, fixedNow()))
            FUZZ_CHECK(hit->retryAt.isValid() && hit->retryAt >= fixedNow());
    }
}

struct Target
{
    const char* name;
    void (*run)(const QByteArray&);
};

const Target kTargets[] = {
    {"search_page", searchPage},
    {"pull_detail", pullDetail},
    {"reviews", reviews},
    {"combined_status", combinedStatus},
    {"check_runs", checkRuns},
    {"issues", issues},
    {"commits", commits},
    {"environments", environments},
    {"deployments", deployments},
    {"deployment_statuses", deploymentStatuses},
    {"workflow_runs", workflowRuns},
    {"device_code", deviceCode},
    {"access_token", accessToken},
    {"user", user},
    {"accounts", accounts},
    {"seen_states", seenStates},
    {"snoozes", snoozes},
    {"watched_repos", watchedRepos},
    {"notification_settings", notificationSettings},
    {"blocked_list", blockedList},
    {"favorite_list", favoriteList},
    {"preferences_file", preferencesFile},
    {"timestamp", timestamp},
    {"repo_name", repoName},
    {"block_entry", blockEntry},
    {"relative_time", relativeTime},
    {"http_cache", httpCache},
    {"rate_limit", rateLimit},
};

const Target* g_target = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* wanted = std::getenv("NORVANE_FUZZ_TARGET");
    for (const Target& target : kTargets) {
        if (wanted && std::string_view(wanted) == target.name)
            g_target = &target;
    }
    if (!g_target) {
        std::fprintf(stderr, "Set NORVANE_FUZZ_TARGET to one of:");
        for (const Target& target : kTargets)
            std::fprintf(stderr, " %s", target.name);
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_target->run(bytes(data, size));
    return 0;
}
