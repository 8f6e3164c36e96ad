// Fault soak: the pull-request engine with its real network stack polls a fakehub every second while the hub
// misbehaves at random, in phases: a few polls with faults (and the world changing), then the faults stop and
// the list must match the world's true list within two polls. Checks no QNetworkReply outlives its request
// and RSS stays flat; AddressSanitizer and LeakSanitizer (asan preset) report everything else. The hub runs in
// a process of its own (this program with --hub-process, driven over its standard input), so the memory
// figure is the client's alone: the hub's threads and arenas grow with its delayed and dropped connections.
//
//     build/asan/bench/norvane-soak [--polls N] [--seed S]        # N polls (default 1000), at
//                                                                  # NORVANE_POLL_INTERVAL_SECS (default 1)
// Prints its figures and exits 1 when a check failed.

#include "core/github_account.h"
#include "core/pull_request.h"
#include "fakehub/fakehub.h"
#include "github/github_service.h"
#include "github/http_session.h"
#include "models/pr_view_model.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>
#include <malloc.h>
#include <map>

using namespace norvane;
namespace fh = norvane::fakehub;

namespace {

// Transfers stall for longer than this in the delay faults; short, so a stalled poll ends within one
// interval, as a 60-second stall ends within the app's usual 15 minutes.
constexpr int kTimeoutMs = 400;
const QString kRepo = QStringLiteral("bench-org/service-1");
// Fewer polls leave too little after the warm-up (a tenth of the run) to tell growth from it.
constexpr int kMinPollsForGrowth = 100;

enum class FaultKind {
    status,
    malformedJson,
    truncatedJson,
    delay,
    dropConnection,
    dropMidBody,
    rateLimit,
    revokedToken
};
const char* const kFaultNames[] = {"status code",          "malformed JSON",         "truncated JSON",
                                   "delay past time-out",  "dropped connection",     "dropped mid-body",
                                   "rate limit exhausted", "401, then a fresh token"};
const QList<FaultKind> kFaultKinds{FaultKind::status,    FaultKind::malformedJson,  FaultKind::truncatedJson,
                                   FaultKind::delay,     FaultKind::dropConnection, FaultKind::dropMidBody,
                                   FaultKind::rateLimit, FaultKind::revokedToken};
const QStringList kRoutes{QStringLiteral("/search/issues"), QStringLiteral("/repos/*/*/pulls/*"),
                          QStringLiteral("/repos/*/*/pulls/*/reviews"),
                          QStringLiteral("/repos/*/*/commits/*/status"),
                          QStringLiteral("/repos/*/*/commits/*/check-runs")};

// The soak's side of the hub process: one JSON command a line on the hub's standard input, "ok" back.
class HubProcess
{
public:
    HubProcess()
    {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QStringLiteral("--hub-process")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        m_baseUrl = QString::fromUtf8(readLine()).trimmed();
        if (!m_baseUrl.startsWith(QLatin1String("http://")))
            throw std::runtime_error("the hub process did not start");
    }
    ~HubProcess()
    {
        m_process.write("{\"op\":\"quit\"}\n");
        m_process.waitForBytesWritten(10'000);
        if (!m_process.waitForFinished(10'000))
            m_process.kill();
    }

    const QString& baseUrl() const { return m_baseUrl; }

    // Blocks until the hub has done it: the harness, not the engine, waits here, between two polls.
    void send(const QJsonObject& command)
    {
        m_process.write(QJsonDocument(command).toJson(QJsonDocument::Compact) + '\n');
        m_process.waitForBytesWritten(10'000);
        if (readLine().trimmed() != "ok")
            throw std::runtime_error("the hub process did not answer");
    }
    void op(const char* name) { send({{QStringLiteral("op"), QLatin1String(name)}}); }

private:
    QByteArray readLine()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10'000))
                return {};
        }
        return m_process.readLine();
    }

    QProcess m_process;
    QString m_baseUrl;
};

QJsonObject faultCommand(const char* kind, const QString& route)
{
    return {{QStringLiteral("op"), QStringLiteral("fault")},
            {QStringLiteral("kind"), QLatin1String(kind)},
            {QStringLiteral("route"), route}};
}

// GitHub's answer once the hourly allowance is spent.
QJsonObject rateLimitFault(const QString& route)
{
    // A budget that resets a second from now: background polls pause until then (the model honours the
    // reset), so the soak sees the pause and the resumption within its two-poll recovery.
    QJsonObject fault = faultCommand("status", route);
    fault.insert(QStringLiteral("status"), 403);
    fault.insert(QStringLiteral("body"),
                 QStringLiteral(R"({"message":"API rate limit exceeded for user ID 1.","documentation_url":)"
                                R"("https://docs.github.com/rest/overview/resources-in-the-rest-api#rate-limiting"})"));
    fault.insert(QStringLiteral("headers"),
                 QJsonArray{QJsonArray{QStringLiteral("x-ratelimit-limit"), QStringLiteral("5000")},
                            QJsonArray{QStringLiteral("x-ratelimit-remaining"), QStringLiteral("0")},
                            QJsonArray{QStringLiteral("x-ratelimit-reset"),
                                       QString::number(QDateTime::currentSecsSinceEpoch() + 1)}});
    return fault;
}

// Bytes the heap has handed out and not had back (glibc), to tell memory held by the program from a
// fragmented heap when RSS grows.
qint64 heapInUseKiB()
{
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
    return qint64(mallinfo2().uordblks / 1024);
#else
    return 0;
#endif
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// What the user sees of a pull request; two lists match when these agree for every id.
QString fingerprint(const QList<PullRequest>& prs)
{
    std::map<QString, QString> rows;
    const auto opt = [](const auto& value, auto text) { return value ? text(*value) : QStringLiteral("-"); };
    const auto number = [](auto v) { return QString::number(v); };
    for (const PullRequest& pr : prs) {
        rows[pr.id] =
            QStringList{pr.title,
                        pr.updatedAt.toString(Qt::ISODate),
                        number(pr.isDraft),
                        number(pr.reviewRequested),
                        number(pr.isYourPR),
                        number(pr.isAssigned),
                        opt(pr.approvalStatus, [](auto s) { return rawValue(s); }),
                        opt(pr.ciStatus, [](auto s) { return rawValue(s); }),
                        opt(pr.requestedReviewers, [](const QStringList& l) { return l.join(u','); }),
                        opt(pr.headSha, [](const QString& s) { return s; }),
                        opt(pr.reviewCount, number),
                        opt(pr.commentCount, number),
                        opt(pr.reviewCommentCount, number)}
                .join(u'|');
    }
    QStringList out;
    for (const auto& [id, row] : rows)
        out.append(id + u':' + row);
    return out.join(u'\n');
}

// Counts the polling timer's ticks and lets the soak act at each one before the engine does (or instead,
// once the soak is over).
class CountingTimer final : public PollingTimer
{
public:
    explicit CountingTimer(std::function<bool(int)> beforeTick) : m_beforeTick(std::move(beforeTick)) {}
    void start(double seconds, std::function<void()> tick) override
    {
        m_inner->start(seconds, [this, tick = std::move(tick)] {
            if (m_beforeTick(++m_ticks))
                tick();
        });
    }
    void stop() override { m_inner->stop(); }
    bool isActive() const override { return m_inner->isActive(); }

private:
    std::unique_ptr<PollingTimer> m_inner = makeQtPollingTimer();
    std::function<bool(int)> m_beforeTick;
    int m_ticks = 0;
};

// Accepts every notification and keeps none: a recording fake would grow with every one posted.
class DiscardingNotifier final : public Notifier
{
public:
    QCoro::Task<std::optional<QString>> post(NotificationRequest) override { co_return std::nullopt; }
    QCoro::Task<NotificationPermission> permissionStatus() override
    {
        co_return NotificationPermission::Authorized;
    }
    QCoro::Task<AuthorizationAnswer> requestAuthorization() override
    {
        co_return AuthorizationAnswer{true, {}};
    }
};

class Soak
{
public:
    Soak(int polls, quint32 seed) : m_polls(polls), m_seed(seed), m_random(seed)
    {
        m_hub = std::make_unique<HubProcess>();
        m_account = GitHubAccount{QUuid::createUuid(), QStringLiteral("bench"),
                                  QStringLiteral("github_token_bench"), std::nullopt};
        m_keychain->storage()->insert_or_assign(m_account.tokenIdentifier, m_token);
        auto preferences = std::make_shared<InMemoryPreferences>();
        preferences->setData(QStringLiteral("github_accounts"),
                             QJsonDocument(toJson(QList<GitHubAccount>{m_account})).toJson());
        // The soak counts what each poll meets; refreshes started by the notification feed would blur that.
        preferences->setString(QStringLiteral("activity_feed_enabled"), QStringLiteral("false"));
        // As in the app: answers cached per account and revalidated, so damaged answers meet the cache too.
        HttpSession session(&m_network, HttpSession::defaultUserAgent(), kTimeoutMs);
        session.setResponseCache(std::make_shared<ResponseCache>(m_cacheDir.path()));
        session.setRateLimitLedger(std::make_shared<RateLimitLedger>());
        PRViewModel::Dependencies deps{
            GitHubService(session, m_hub->baseUrl()),
            m_keychain,
            preferences,
            std::make_shared<DiscardingNotifier>(),
            AppIdentity{QStringLiteral("com.norvane.app"), QStringLiteral("0"), QStringLiteral("0")},
            std::make_unique<CountingTimer>([this](int tick) { return beforePoll(tick); }),
            qEnvironmentVariable("NORVANE_POLL_INTERVAL_SECS", QStringLiteral("1")),
            false,
            m_hub->baseUrl(),
            [](const QString&) {}};
        m_model = std::make_unique<PRViewModel>(std::move(deps));
    }

    int run()
    {
        QElapsedTimer clock;
        clock.start();
        m_model->loadAccounts();
        m_model->startPolling();
        QTimer watch;
        watch.setInterval(25);
        QObject::connect(&watch, &QTimer::timeout, [this] { watchRecovery(); });
        watch.start();
        QCoreApplication::exec();
        watch.stop();
        // A reference fetch started by the last clean phase ends first (on a loaded machine it can outlast
        // the run); a coroutine left suspended would be reported as a leak.
        QDeadlineTimer truthDeadline(20'000);
        while (m_truthFetches > 0 && !truthDeadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

        // Tear down as the app does: the model's cancels run from the event loop while the network lives.
        m_model.reset();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const int repliesAtEnd = int(m_network.findChildren<QNetworkReply*>().size());
        m_hub.reset();

        const qint64 rssGrowth = m_rssEnd - m_rssStart;
        std::printf("soak: %d polls in %.0f s, seed %u\n", m_lastTick, clock.elapsed() / 1000.0, m_seed);
        std::printf("soak: %d faults injected over %d polls with faults:", m_faultTotal, m_faultPolls);
        for (qsizetype i = 0; i < kFaultKinds.size(); ++i)
            std::printf("%s %s %d", i ? "," : "", kFaultNames[i], m_faultCounts[i]);
        std::printf(
            "\nsoak: %d recoveries after the faults stopped: %d within one poll, %d within two, %d failed\n",
            m_recoveries[1] + m_recoveries[2] + m_failedRecoveries, m_recoveries[1], m_recoveries[2],
            m_failedRecoveries);
        std::printf(
            "soak: replies left alive %d (alive three polls after first seen), at the end %d; most alive "
            "while the engine had nothing in flight %d\n",
            m_repliesLeftAlive, repliesAtEnd, m_maxSettledReplies);
        std::printf("soak: RSS %lld KiB after warm-up, %lld KiB at the end, growth %lld KiB\n",
                    static_cast<long long>(m_rssStart), static_cast<long long>(m_rssEnd),
                    static_cast<long long>(rssGrowth));
        if (m_heapEnd > 0)
            std::printf("soak: heap in use %lld KiB after warm-up, %lld KiB at the end\n",
                        static_cast<long long>(m_heapStart), static_cast<long long>(m_heapEnd));
        bool ok = m_failedRecoveries == 0 && m_repliesLeftAlive == 0 && repliesAtEnd == 0 &&
                  m_recoveries[1] + m_recoveries[2] > 0;
#if defined(__SANITIZE_ADDRESS__)
        // AddressSanitizer's quarantine keeps freed memory resident, so growth means nothing here.
        std::printf("soak: RSS growth not checked under AddressSanitizer\n");
#else
        // The client alone (the hub lives in its own process). A short run measures its warm-up, not growth:
        // 35 polls grew by 1.1 to 1.5 MB from the fourth poll, 300 by 140 KiB from the thirtieth.
        if (m_polls >= kMinPollsForGrowth)
            ok = ok && rssGrowth < 512;
        else
            std::printf("soak: RSS growth checked only in runs of %d polls or more\n", kMinPollsForGrowth);
#endif
        std::printf("soak: %s\n", ok ? "passed" : "FAILED");
        return ok ? 0 : 1;
    }

private:
    // Phases of a few polls: faults and world changes, then none until the list is right again. False once
    // the soak is over.
    bool beforePoll(int tick)
    {
        m_lastTick = tick;
        checkReplies();
        m_hub->op("clearRequests"); // the hub's request log would grow with the run
        watchRecovery(); // a refresh may have ended since the last look
        // Polls are counted as refreshes, not ticks: on a loaded machine a refresh can outlast its interval,
        // and the tick that finds it running is skipped by design. Two refreshes after the faults stopped
        // have ended (or far too many ticks have passed) and the list is still wrong: a failure.
        if (m_clean && !m_recovered && m_truth &&
            ((m_cleanPolls >= 2 && !m_model->isRefreshing()) || tick - m_cleanSince >= 10)) {
            ++m_failedRecoveries;
            std::printf("soak: poll %d: the list did not recover within two polls\n", tick);
            m_recovered = true;
        }
        if (tick >= m_polls) {
            m_rssEnd = residentKiB();
            m_heapEnd = heapInUseKiB();
            m_hub->op("clearFaults");
            QCoreApplication::quit();
            return false;
        }
        if (m_clean && m_recovered && tick >= m_phaseEnd) {
            m_clean = false;
            m_phaseEnd = tick + 1 + int(m_random.bounded(6));
        }
        if (!m_clean && tick >= m_phaseEnd) {
            startCleanPhase(tick);
            countCleanPoll();
            return true;
        }
        if (!m_clean)
            injectFaults();
        else if (!m_recovered)
            countCleanPoll();
        return true;
    }

    void injectFaults()
    {
        m_hub->op("clearFaults");
        ++m_faultPolls;
        // NORVANE_SOAK_STILL_WORLD=1 leaves the world alone, to tell the fake server's growth from the client's.
        if (m_random.bounded(3) == 0 && !qEnvironmentVariableIsSet("NORVANE_SOAK_STILL_WORLD"))
            changeWorld();
        const int faults = 1 + int(m_random.bounded(3));
        for (int i = 0; i < faults; ++i) {
            const auto kind = kFaultKinds[m_random.bounded(int(kFaultKinds.size()))];
            const QString route = kRoutes[m_random.bounded(int(kRoutes.size()))];
            const QString get = QStringLiteral("GET");
            ++m_faultCounts[int(kind)];
            ++m_faultTotal;
            switch (kind) {
            case FaultKind::status: {
                static const int statuses[] = {500, 502, 503, 404, 422, 403, 200};
                const int status = statuses[m_random.bounded(7)];
                QJsonObject fault = faultCommand("status", route);
                fault.insert(QStringLiteral("status"), status);
                // A 200 whose body has the wrong shape: JSON, but not what was asked for.
                if (status == 200)
                    fault.insert(QStringLiteral("body"), QStringLiteral("{}"));
                m_hub->send(fault);
                break;
            }
            case FaultKind::malformedJson:
                m_hub->send(faultCommand("malformedJson", route));
                break;
            case FaultKind::truncatedJson:
                m_hub->send(faultCommand("truncatedJson", route));
                break;
            case FaultKind::delay: {
                QJsonObject fault = faultCommand("delay", route);
                fault.insert(QStringLiteral("ms"), kTimeoutMs * 2);
                m_hub->send(fault);
                break;
            }
            case FaultKind::dropConnection: // on for the whole poll: Qt resends once on a kept-alive
                                            // connection
                m_hub->send(faultCommand("dropConnection", route));
                break;
            case FaultKind::dropMidBody:
                m_hub->send(faultCommand("dropMidBody", route));
                break;
            case FaultKind::rateLimit:
                m_hub->send(rateLimitFault(route));
                break;
            case FaultKind::revokedToken:
                revokeToken();
                break;
            }
        }
    }

    // The token stops working on GitHub's side; the next polls get 401 until the user reconnects.
    void revokeToken()
    {
        m_hub->op("revokeToken");
        m_revoked = true;
    }

    // What the settings screen does on "Reconnect": a fresh token into the keychain, the mark cleared, a
    // refresh.
    void reconnect()
    {
        m_token = QStringLiteral("bench-token-%1").arg(++m_tokenSerial);
        m_hub->send({{QStringLiteral("op"), QStringLiteral("setToken")}, {QStringLiteral("token"), m_token}});
        m_keychain->storage()->insert_or_assign(m_account.tokenIdentifier, m_token);
        m_revoked = false;
        QSet<QUuid> marked = m_model->reauthNeeded();
        marked.remove(m_account.id);
        m_model->setReauthNeeded(marked);
        m_model->refresh();
    }

    // The hub process picks the pull request and the change from these draws (changeWorld below).
    void changeWorld()
    {
        m_hub->send({{QStringLiteral("op"), QStringLiteral("changeWorld")},
                     {QStringLiteral("pick"), qint64(m_random.generate())},
                     {QStringLiteral("change"), int(m_random.bounded(5))},
                     {QStringLiteral("variant"), int(m_random.bounded(3))}});
    }

    // The tick about to run starts a refresh unless one is still running (it is then skipped).
    void countCleanPoll()
    {
        if (!m_model->isRefreshing())
            ++m_cleanPolls;
    }

    void startCleanPhase(int tick)
    {
        m_hub->op("clearFaults");
        m_cleanPolls = 0;
        if (m_revoked) {
            reconnect();
            ++m_cleanPolls; // its refresh is the first after the faults
        }
        m_clean = true;
        m_recovered = false;
        m_cleanSince = tick;
        m_phaseEnd = tick + 2;
        m_truth.reset();
        fetchTruth(m_token);
    }

    // The world's true list: what a client that meets no fault fetches now, over a network of its own.
    QCoro::Task<> fetchTruth(QString token)
    {
        const GitHubService reference(HttpSession(&m_referenceNetwork), m_hub->baseUrl());
        ++m_truthFetches;
        try {
            const QList<PullRequest> prs =
                co_await reference.fetchPullRequests(QStringLiteral("bench"), token);
            m_truth = fingerprint(prs);
        } catch (const std::exception& e) {
            // Nothing misbehaves now, so this is a finding about the hub or the client, not the engine.
            std::printf("soak: the fault-free reference fetch failed: %s\n", e.what());
            ++m_failedRecoveries;
            m_recovered = true;
        }
        --m_truthFetches;
    }

    // Every request ends within the time-out, stalls included, so a reply alive three polls after it was
    // first seen was left alive.
    void checkReplies()
    {
        QList<std::pair<QPointer<QNetworkReply>, int>> seen;
        for (QNetworkReply* reply : m_network.findChildren<QNetworkReply*>()) {
            const auto known = std::find_if(m_replies.begin(), m_replies.end(),
                                            [reply](const auto& entry) { return entry.first == reply; });
            const int firstSeen = known == m_replies.end() ? m_lastTick : known->second;
            if (m_lastTick - firstSeen == 3) {
                ++m_repliesLeftAlive;
                std::printf("soak: poll %d: a reply is still alive after three polls: %s\n", m_lastTick,
                            qPrintable(reply->url().path()));
            }
            seen.append({QPointer<QNetworkReply>(reply), firstSeen});
        }
        m_replies = std::move(seen);
    }

    void watchRecovery()
    {
        if (!m_clean || m_recovered || !m_truth || m_model->isRefreshing())
            return;
        if (fingerprint(m_model->pullRequests()) != *m_truth)
            return;
        m_recovered = true;
        ++m_recoveries[std::clamp(m_cleanPolls, 1, 2)];
        // A settled moment: nothing is in flight, so no reply may be alive.
        // A settled moment: the engine has nothing in flight. A request it gave up on may still be winding
        // down (its reply goes within the time-out); one that stays is caught by checkReplies().
        const QList<QNetworkReply*> alive = m_network.findChildren<QNetworkReply*>();
        for (const QNetworkReply* reply : alive)
            std::printf("soak: poll %d: a reply is alive with nothing in flight: %s (%s)\n", m_lastTick,
                        qPrintable(reply->url().path()), reply->isFinished() ? "finished" : "running");
        m_maxSettledReplies = std::max(m_maxSettledReplies, int(alive.size()));
        if (m_rssStart == 0 && m_lastTick >= std::max(m_polls / 10, 3)) {
            m_rssStart = residentKiB();
            m_heapStart = heapInUseKiB();
        }
    }

    const int m_polls;
    const quint32 m_seed;
    QRandomGenerator m_random;
    std::unique_ptr<HubProcess> m_hub;
    QTemporaryDir m_cacheDir;
    QNetworkAccessManager m_network;
    QNetworkAccessManager m_referenceNetwork;
    std::shared_ptr<InMemoryKeychainService> m_keychain = std::make_shared<InMemoryKeychainService>();
    GitHubAccount m_account;
    QString m_token = QStringLiteral("bench-token");
    int m_tokenSerial = 0;
    bool m_revoked = false;
    std::unique_ptr<PRViewModel> m_model;

    int m_lastTick = 0;
    bool m_clean = true;
    bool m_recovered = true;
    int m_cleanSince = 0;
    int m_cleanPolls = 0; // refreshes started since the faults stopped
    int m_truthFetches = 0; // reference fetches in flight
    int m_phaseEnd = 2;
    std::optional<QString> m_truth;

    int m_faultPolls = 0;
    int m_faultTotal = 0;
    int m_faultCounts[8] = {};
    int m_recoveries[3] = {};
    int m_failedRecoveries = 0;
    int m_maxSettledReplies = 0;
    int m_repliesLeftAlive = 0;
    QList<std::pair<QPointer<QNetworkReply>, int>>
        m_replies; // alive at the last poll, with the poll first seen
    qint64 m_rssStart = 0;
    qint64 m_rssEnd = 0;
    qint64 m_heapStart = 0;
    qint64 m_heapEnd = 0;
};

// --- The hub process -----------------------------------------------------------------------------------------

// The world changes but keeps its size, so that memory may not grow with it.
void changeWorld(fh::FakeHub& hub, quint32 pick, int change, int variant, int& added)
{
    const fh::Scenario world = hub.snapshot();
    QList<qint64> open;
    QHash<qint64, qsizetype> reviews;
    for (const fh::PullRequest& pr : world.pullRequests) {
        if (pr.state == QLatin1String("open") && pr.repository == kRepo) {
            open.append(pr.number);
            reviews.insert(pr.number, pr.reviews.size());
        }
    }
    if (open.isEmpty())
        return;
    const qint64 number = open[pick % quint32(open.size())];
    static const char* const verdicts[] = {"APPROVED", "CHANGES_REQUESTED", "COMMENTED"};
    static const char* const conclusions[] = {"success", "failure", "cancelled"};
    switch (change) {
    case 0: {
        if (reviews.value(number) >= 4)
            break;
        fh::Review review;
        review.user = QStringLiteral("ada");
        review.state = QString::fromLatin1(verdicts[variant]);
        hub.addReview(kRepo, number, review);
        break;
    }
    case 1: {
        fh::CheckRun run;
        run.name = QStringLiteral("build");
        run.status = QStringLiteral("completed");
        run.conclusion = QString::fromLatin1(conclusions[variant]);
        hub.setCheckRun(kRepo, hub.headSha(kRepo, number), run);
        break;
    }
    case 2:
        hub.requestReview(kRepo, number, QStringLiteral("bench"));
        break;
    case 3:
        if (open.size() > 10)
            hub.closePullRequest(kRepo, number);
        break;
    default: {
        if (open.size() >= 14)
            break;
        fh::PullRequest pr;
        pr.repository = kRepo;
        pr.number = 500 + (++added);
        pr.title = QStringLiteral("Soak change %1").arg(added);
        pr.author = QStringLiteral("brook");
        pr.state = QStringLiteral("open");
        pr.requestedReviewers = {QStringLiteral("bench")};
        pr.createdAt = pr.updatedAt = QDateTime::currentDateTimeUtc();
        pr.headSha = QStringLiteral("%1").arg(pr.number, 40, 10, QLatin1Char('0'));
        pr.headRef = QStringLiteral("soak-%1").arg(added);
        pr.baseRef = QStringLiteral("main");
        hub.addPullRequest(pr);
        break;
    }
    }
}

fh::Fault faultFrom(const QJsonObject& command)
{
    const QString get = QStringLiteral("GET");
    const QString route = command.value(QStringLiteral("route")).toString();
    const QString kind = command.value(QStringLiteral("kind")).toString();
    fh::Fault fault = kind == QLatin1String("malformedJson")   ? fh::Fault::malformedJson(get, route)
                      : kind == QLatin1String("truncatedJson") ? fh::Fault::truncatedJson(get, route)
                      : kind == QLatin1String("dropConnection") ? fh::Fault::dropConnection(get, route)
                      : kind == QLatin1String("dropMidBody")    ? fh::Fault::dropMidBody(get, route)
                      : kind == QLatin1String("delay")
                          ? fh::Fault::delayed(get, route, std::chrono::milliseconds(command.value(QStringLiteral("ms")).toInt()))
                          : fh::Fault::httpStatus(get, route, command.value(QStringLiteral("status")).toInt(),
                                                  command.value(QStringLiteral("body")).toString().toUtf8());
    for (const QJsonValue& header : command.value(QStringLiteral("headers")).toArray())
        fault.withHeader(header[0].toString().toUtf8(), header[1].toString().toUtf8());
    return fault;
}

// Serves the soak's world and does what the soak sends, one command a line, until "quit".
int runHub()
{
    auto world = fh::Scenario::fromJson(QJsonDocument(fh::generateScenarioJson(12)).toJson());
    fh::FakeHub hub(std::move(world));
    // The soak's own budget is not under test (an exhausted limit is one of its faults): a poll a second
    // plus the reference fetches would spend GitHub's 30 searches a minute whenever the world changes.
    hub.setRateLimit(QStringLiteral("core"), 1'000'000'000);
    hub.setRateLimit(QStringLiteral("search"), 1'000'000'000);
    std::printf("%s\n", qPrintable(hub.baseUrl()));
    std::fflush(stdout);
    int added = 0;
    std::string line;
    while (std::getline(std::cin, line)) {
        const QJsonObject command = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const QString op = command.value(QStringLiteral("op")).toString();
        if (op == QLatin1String("quit"))
            break;
        if (op == QLatin1String("clearRequests"))
            hub.clearRequests();
        else if (op == QLatin1String("clearFaults"))
            hub.clearFaults();
        else if (op == QLatin1String("fault"))
            hub.injectFault(faultFrom(command));
        else if (op == QLatin1String("revokeToken"))
            hub.mutate([](fh::Scenario& s) { s.users.first().tokens.clear(); });
        else if (op == QLatin1String("setToken")) {
            const QString token = command.value(QStringLiteral("token")).toString();
            hub.mutate([token](fh::Scenario& s) { s.users.first().tokens = {token}; });
        } else if (op == QLatin1String("changeWorld")) {
            changeWorld(hub, quint32(command.value(QStringLiteral("pick")).toInteger()),
                        command.value(QStringLiteral("change")).toInt(),
                        command.value(QStringLiteral("variant")).toInt(), added);
        }
        std::printf("ok\n");
        std::fflush(stdout);
    }
    hub.stop();
    std::printf("ok\n");
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--hub-process")))
        return runHub();
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption pollsOption(QStringLiteral("polls"),
                                         QStringLiteral("Polls to run (default 1000)."), QStringLiteral("n"),
                                         QStringLiteral("1000"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"), QStringLiteral("Random seed (default: random)."), QStringLiteral("s"));
    parser.addOptions({pollsOption, seedOption});
    parser.process(app);
    const quint32 seed =
        parser.isSet(seedOption) ? parser.value(seedOption).toUInt() : QRandomGenerator::global()->generate();
    Soak soak(parser.value(pollsOption).toInt(), seed);
    return soak.run();
}
