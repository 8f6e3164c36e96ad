#pragma once

#include "device_flow.h"
#include "scenario.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// A small, honest model of GitHub served over HTTP on 127.0.0.1, for tests, the demo and benchmarks.
//
//     using namespace norvane::fakehub;
//     FakeHub hub(Scenario::fromFile(NORVANE_SOURCE_DIR "/tools/fakehub/scenarios/demo.json"));
//     service.setBaseUrl(hub.baseUrl());                       // http://127.0.0.1:<random port>
//     hub.injectFault(Fault::httpStatus("GET", "/search/issues", 502).times(1));
//     EXPECT_EQ(hub.requests("GET", "/repos/*/*/pulls/*").size(), 4u);
namespace norvane::fakehub {

// One request as it arrived, before any fault or latency.
struct RecordedRequest
{
    QString method;
    QString path;  // decoded path, without the query
    QString query; // the raw query string, still percent-encoded as sent
    QList<std::pair<QString, QString>> headers;
    QByteArray body;
    QDateTime arrivedAt;

    QString header(const QString& name) const;     // case-insensitive; empty when absent
    QString queryValue(const QString& name) const; // decoded; empty when absent
};

// A deliberate misbehaviour of one route. `path` is matched against the request path: "*" stands for
// any text inside one segment, "**" for any text across segments ("/repos/*/*/pulls/*/reviews").
struct Fault
{
    enum class Kind {
        HttpStatus,     // answer `status` with `body` (GitHub's error body for the status when empty)
        Delay,          // wait `delay`, then answer normally
        MalformedJson,  // the normal body with a stray comma: syntactically invalid JSON
        TruncatedJson,  // the first half of the normal body, correctly framed: HTTP fine, JSON cut off
        DropConnection, // close the connection without answering
        DropMidBody,    // send the headers and half the body, then close: an incomplete transfer
        Redirect,       // answer `status` (301, 302, 307, 308) with Location: `origin` + the request's path and query
    };

    Kind kind = Kind::HttpStatus;
    QString method = QStringLiteral("GET"); // "*" for any method
    QString path;
    int remaining = -1; // calls it still applies to; -1 for every call
    int status = 500;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers; // extra response headers (HttpStatus only)
    std::chrono::milliseconds delay{0};
    QString origin; // Redirect: "scheme://host:port" of the server it points to; empty for this hub itself

    static Fault httpStatus(QString method, QString path, int status, QByteArray body = {});
    static Fault delayed(QString method, QString path, std::chrono::milliseconds delay);
    static Fault malformedJson(QString method, QString path);
    static Fault truncatedJson(QString method, QString path);
    static Fault dropConnection(QString method, QString path);
    static Fault dropMidBody(QString method, QString path);
    // The same request again, on another server (`origin`, such as another hub's baseUrl()) or, with an
    // empty origin, on this one: limited to .times(k), the (k+1)-th call is answered normally.
    static Fault redirect(QString method, QString path, int status, QString origin = {});

    Fault& times(int calls)
    {
        remaining = calls;
        return *this;
    }
    Fault& withHeader(QByteArray name, QByteArray value)
    {
        headers.append({std::move(name), std::move(value)});
        return *this;
    }
    bool matches(const QString& requestMethod, const QString& requestPath) const;
};

// Glob match used by faults and request filters: "*" within a segment, "**" across segments.
bool pathMatches(const QString& pattern, const QString& path);

class FakeHub
{
public:
    struct Options
    {
        int port = 0; // 0: a free port chosen by the system
        std::chrono::milliseconds latency{0};
        // Called on a server thread with every request as it is logged, for a log outside the process.
        std::function<void(const RecordedRequest&)> onRequest;
        // Serve HTTPS with this certificate chain and key (PEM files); the base address is then https://.
        struct Tls
        {
            QString certificateFile;
            QString keyFile;
        };
        std::optional<Tls> tls;
        // GitHub Enterprise Server's layout: the REST API under /api/v3, the web host (device flow, pages)
        // at the root. An API path outside /api/v3 answers 404, as such a server does.
        bool enterprise = false;
        // X-Poll-Interval of the notification feed: how often a client may ask it (GitHub says 60).
        int feedPollIntervalSecs = 60;
    };

    // Starts serving at once on its own threads; throws std::runtime_error when it cannot listen.
    explicit FakeHub(Scenario scenario);
    FakeHub(Scenario scenario, Options options);
    ~FakeHub();
    FakeHub(const FakeHub&) = delete;
    FakeHub& operator=(const FakeHub&) = delete;

    QString baseUrl() const; // "http://127.0.0.1:PORT" (https with TLS): the web host, and the API host too
                             // unless the hub has the Enterprise layout
    QString apiUrl() const;  // baseUrl(), or baseUrl() + "/api/v3" with the Enterprise layout
    int port() const;
    void stop(); // closes every connection and joins the threads; the destructor calls it

    // Every request so far, oldest first; optionally only those matching a method ("*" for any) and a
    // path pattern.
    std::vector<RecordedRequest> requests() const;
    std::vector<RecordedRequest> requests(const QString& method, const QString& pathPattern) const;
    void clearRequests();

    // Faults are tried in the order they were added; the first that matches and has calls left applies.
    void injectFault(Fault fault);
    void clearFaults();
    void setLatency(std::chrono::milliseconds latency); // added before every answer

    // Changes to the world, visible to the next request. Unknown repositories or numbers throw
    // std::invalid_argument: they are mistakes in the test.
    void mutate(const std::function<void(Scenario&)>& change);
    Scenario snapshot() const;
    // Adds a review (its id and submitted_at filled in when missing); like GitHub, the reviewer stops
    // being a requested reviewer and the pull request's updated_at moves to now.
    void addReview(const QString& repo, qint64 number, Review review);
    void requestReview(const QString& repo, qint64 number, const QString& login);
    // A team of the repository's owner (as a pull request's requested_teams names it) asked to review.
    void requestTeamReview(const QString& repo, qint64 number, const QString& slug);
    // Replaces the check run of the same name on that commit, or adds it.
    void setCheckRun(const QString& repo, const QString& sha, CheckRun run);
    // Reports a status for a context; the newest status of each context counts.
    void setCommitStatus(const QString& repo, const QString& sha, CommitStatus status);
    void addIssue(const QString& repo, Issue issue);
    void addPullRequest(PullRequest pr);
    void closePullRequest(const QString& repo, qint64 number, bool merged = false);
    void setUpdatedAt(const QString& repo, qint64 number, const QDateTime& when);
    QString headSha(const QString& repo, qint64 number) const;

    // The scenario's timeline. Applies, in order, every event not yet applied whose time is at most
    // `upTo` after the start, and returns how many it applied; the caller keeps the clock, so tests can
    // step through events without waiting. nextTimelineEvent() is when the next one is due (none: all
    // played).
    int playTimeline(std::chrono::seconds upTo);
    std::optional<std::chrono::seconds> nextTimelineEvent() const;

    // Rate limits, per token and resource ("core", "search"), as GitHub documents them: every authorised API
    // answer spends a point except a 304 to a conditional request, and a spent budget answers 403 with
    // X-RateLimit-Remaining: 0 until its window resets. Windows run on the clock advanceClock moves.
    struct RateLimitStatus
    {
        int limit = 0;
        int used = 0;
        int remaining = 0;
        qint64 reset = 0; // seconds since the epoch
    };
    RateLimitStatus rateLimit(const QString& token, const QString& resource = QStringLiteral("core")) const;
    void setRateLimit(const QString& resource, int limit); // default: core 5,000 an hour, search 30 a minute
    void exhaustRateLimit(const QString& resource = QStringLiteral("core")); // every token, this window
    // The secondary limit: every API request answers `status` (403 or 429) with Retry-After for a while.
    void secondaryRateLimit(std::chrono::seconds retryAfter, int status = 403);

    // Device flow. Codes are found by user code or device code.
    std::vector<DeviceCode> deviceCodes() const;
    bool approveDeviceCode(const QString& code, const QString& login);
    bool denyDeviceCode(const QString& code);
    // Moves the device-flow clock forward, so intervals and lifetimes pass without waiting.
    void advanceClock(std::chrono::milliseconds by);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace norvane::fakehub
