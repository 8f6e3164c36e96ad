#pragma once

#include "core/activity_records.h"
#include "core/github_account.h"
#include "core/github_rules.h"
#include "core/github_wire.h"
#include "core/pull_request.h"
#include "core/search_section.h"
#include "github/cancellation.h"
#include "github/github_errors.h"
#include "github/http_session.h"

#include <QDateTime>
#include <QNetworkRequest>
#include <QSet>
#include <QString>
#include <QTimeZone>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace norvane {

// The one way Norvane talks to the GitHub REST API. Holds no mutable state: each call copies what it needs
// into its coroutine, so a call may outlive the service object that started it. Failures are thrown as
// GitHubServiceError, GitHubAPIError or TransportError, as each query documents.
class GitHubService
{
public:
    struct Options
    {
        std::function<QDateTime()> now;    // default: the current time
        std::optional<QTimeZone> timeZone; // "today" is judged here; default: the system's zone
                                           // at each load (a laptop travels)
    };
    struct LastCommit
    {
        QDateTime date;
        QString message;
    };

    static QString defaultBaseURL() { return QStringLiteral("https://api.github.com"); }
    static QString defaultWebURL() { return QStringLiteral("https://github.com"); }

    explicit GitHubService(HttpSession session, QString baseURL = defaultBaseURL(), Options options = {});

    QString baseURL() const;

    // The same service on the account's own API host (this service's address for a github.com account, its
    // server's for an Enterprise one), with its GET answers kept in (and revalidated against) the account's
    // part of the session's response cache, and its rate-limit readings filed under that account. Accounts
    // never share a stored answer, and an account's token only ever goes to its own host.
    GitHubService forAccount(const GitHubAccount& account) const;
    // Drops what the cache and the ledger hold for an account, when it is removed.
    void forgetAccount(const QUuid& accountId) const;
    // The latest rate-limit reading per resource ("core", "search", ...) seen for an account.
    QMap<QString, RateLimitReading> rateLimits(const QUuid& accountId) const;

    // Open pull requests the user is asked to review, wrote, or is assigned to; enriched, newest first.
    QCoro::Task<QList<PullRequest>> fetchPullRequests(QString username, QString token,
                                                      CancelToken cancel = {}) const;
    // The same list for the feed's news: the three searches, then detail, reviews and CI only for the pull
    // requests `needsEnrichment` picks against `onScreen` (the account's list as shown) and `named`
    // (pullRequestKey of what the feed's changed threads named); every other record keeps its enrichment
    // from `onScreen`. Fails as fetchPullRequests does.
    QCoro::Task<QList<PullRequest>> fetchChangedPullRequests(QString username, QString token,
                                                             QList<PullRequest> onScreen, QSet<QString> named,
                                                             CancelToken cancel = {}) const;

    // The three searches and, after them, each section's search (its search text, 50 results at most, through
    // the same answer cache); the pull requests only a section found are enriched too. Each record names the
    // sections that hold it. One section's failing search leaves the others: its reason is in
    // `sectionErrors` under its name. GitHub's rate limit, a rejected token and cancelling still end the
    // whole fetch. With `onScreen`, it enriches as fetchChangedPullRequests does.
    struct Answer
    {
        QList<PullRequest> pullRequests;
        QHash<QString, QString> sectionErrors;
    };
    QCoro::Task<Answer>
    fetchPullRequestsWithSections(QString username, QString token, QList<SearchSection> sections,
                                  std::optional<QList<PullRequest>> onScreen = std::nullopt,
                                  QSet<QString> named = {}, CancelToken cancel = {}) const;
    // Runs a section's search once: how many pull requests it matches, or GitHub's reason for refusing it
    // (the validation error's message, else the answer's message), or why no answer came.
    struct SectionCheck
    {
        enum class Outcome { matches, refused, failed };
        Outcome outcome = Outcome::failed;
        qint64 count = 0;
        QString message;
    };
    QCoro::Task<SectionCheck> checkSectionQuery(QString query, QString token, CancelToken cancel = {}) const;

    QCoro::Task<wire::PRDetail> fetchPRDetails(QString repo, qint64 prNumber, QString token,
                                               CancelToken cancel = {}) const;
    // Fails only with a TransportError; every other failure gives the unknown result.
    QCoro::Task<ReviewFetchResult> fetchReviewStatusAndCount(QString repo, qint64 prNumber, QString token,
                                                             CancelToken cancel = {}) const;
    // Never fails: failures read as unknown.
    QCoro::Task<PullRequest::CIStatus> fetchCIStatusForSha(QString repo, QString sha, QString token,
                                                           CancelToken cancel = {}) const;
    QCoro::Task<PullRequest::CIStatus> fetchLegacyCommitStatus(QString repo, QString sha, QString token,
                                                               CancelToken cancel = {}) const;
    QCoro::Task<PullRequest::CIStatus> fetchCheckRunsStatus(QString repo, QString sha, QString token,
                                                            CancelToken cancel = {}) const;

    // Repository activity for the issues and dashboard tabs.
    QCoro::Task<QList<GitHubIssue>> fetchIssues(QString repo, QString token, CancelToken cancel = {}) const;
    QCoro::Task<qint64> fetchOpenPRCount(QString repo, QString token, CancelToken cancel = {}) const;
    QCoro::Task<std::optional<LastCommit>> fetchLastCommit(QString repo, QString token,
                                                           CancelToken cancel = {}) const;
    QCoro::Task<std::optional<QStringList>> fetchEnvironments(QString repo, QString token,
                                                              CancelToken cancel = {}) const;
    QCoro::Task<QList<DeployInfo>> fetchDeploysToday(QString repo, QString token,
                                                     CancelToken cancel = {}) const;

    // One look at the user's notification feed (GET /notifications), asked with the validators of the last
    // answer so that "nothing new" is a 304, which costs no rate-limit points. Never throws.
    struct FeedCheck
    {
        enum class Outcome {
            changed,     // a fresh answer: the feed is not what was stored (or nothing was stored yet)
            unchanged,   // GitHub confirmed the stored answer
            refused,     // the token cannot read the feed (a fine-grained token's 403 or 404, a 401, ...)
            rateLimited, // a rate-limit answer; `retryAt` says when asking makes sense again
            failed,      // no answer, or a server failure: worth asking again later
        };
        Outcome outcome = Outcome::failed;
        int statusCode = 0;                  // 0 when no answer arrived
        std::optional<int> pollIntervalSecs; // X-Poll-Interval (at most an hour), when the answer gave one
        std::optional<QDateTime> retryAt;
        QByteArray lastModified; // of the feed as it now stands, when GitHub said
        QByteArray bodyDigest;   // SHA-256 of the feed as it now stands, when it was read
        // The feed's threads as it now stands (a fresh or a stored answer), each with the pull request it
        // names (pullRequestKey), when the answer was read and decoded; `threadsRead` says it was.
        struct Thread
        {
            QString id;
            QString updatedAt;
            std::optional<QString> pullRequest;
        };
        QList<Thread> threads;
        bool threadsRead = false;
    };
    QCoro::Task<FeedCheck> checkNotificationFeed(QString token, CancelToken cancel = {}) const;

    // What `GET /user` answered.
    struct UserAnswer
    {
        int statusCode = 0;
        std::optional<QString> login; // the answer's "login" when it is an object with a string there,
                                      // whatever the status
    };
    // Asks this service's API host whose `token` is (GET /user): the one request for it, for the device
    // flow's login lookup and the check of a typed token alike, each of which reads the answer its own way.
    // Never uses the answer cache. Throws TransportError when no answer came (a refused redirect and a
    // cancelled token included).
    QCoro::Task<UserAnswer> fetchUser(QString token, CancelToken cancel = {}) const;

    // The request every query sends: the token and GitHub's v3 media type, nothing else
    // (`gitHubRequest(GitHubRequestKind::apiQuery, ...)`).
    static QNetworkRequest makeRequest(const QUrl& url, const QString& token);
    static void logRequest(const QNetworkRequest& request, const QString& endpoint);
    static void logResponse(const HttpReply& reply, const QString& endpoint);
    // Percent-encodes search text the way a URL query allows: blanks become %20, ':' and '/' stay.
    static QString encodeQueryText(const QString& text);

    struct Context;

private:
    explicit GitHubService(std::shared_ptr<const Context> context) : m_context(std::move(context)) {}
    std::shared_ptr<const Context> m_context;
};

} // namespace norvane
