#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <map>
#include <optional>
#include <stdexcept>

// The world a fakehub serves: users with their tokens, repositories with their activity, pull requests
// with reviews and CI, and the OAuth app of the device flow. Plain data; FakeHub guards it with a mutex.
namespace norvane::fakehub {

// A scenario document that cannot be used. The message names the key path and the problem, e.g.
// `scenario demo.json: key "pull_requests[3].author": unknown user "sma"`.
class ScenarioError : public std::runtime_error
{
public:
    explicit ScenarioError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct User
{
    QString login;
    qint64 id = 0;
    QString name;
    QString email;
    QStringList tokens;
    // Tokens that authenticate like the others but, like GitHub's fine-grained tokens, cannot read the
    // notification feed (403). Also listed in `tokens`.
    QStringList fineGrainedTokens;
};

// One thread of a user's notification feed: the latest activity on a pull request that concerns them.
struct NotificationThread
{
    qint64 id = 0;
    QString user; // whose feed it is in
    QString repository;
    qint64 number = 0;
    QString reason; // review_requested, author, assign, comment, ...
    QDateTime updatedAt;
    bool unread = true;
};

struct Review
{
    qint64 id = 0;
    QString user;
    QString state; // APPROVED, CHANGES_REQUESTED, COMMENTED, DISMISSED, PENDING
    QString body;
    std::optional<QDateTime> submittedAt; // GitHub omits it for PENDING reviews
    QString commitId;
};

struct CommitStatus
{
    qint64 id = 0;
    QString context;
    QString state; // success, pending, failure, error
    QString description;
    QString targetUrl;
    QDateTime createdAt;
};

struct CheckRun
{
    qint64 id = 0;
    QString name;
    QString status; // queued, in_progress, completed, ...
    std::optional<QString> conclusion;
    std::optional<QDateTime> startedAt;
    std::optional<QDateTime> completedAt;
};

// Legacy statuses and check runs reported for one commit.
struct CommitChecks
{
    QList<CommitStatus> statuses; // in the order they were reported
    QList<CheckRun> checkRuns;
};

struct Commit
{
    QString sha;
    QString message;
    QString author; // a user's login
    QDateTime date;
};

struct DeploymentStatus
{
    qint64 id = 0;
    QString state;
    QString description;
    QDateTime createdAt;
};

struct Deployment
{
    qint64 id = 0;
    QString environment;
    QString ref;
    QString sha;
    QString task;
    QString description;
    QString creator;
    QDateTime createdAt;
    QList<DeploymentStatus> statuses; // oldest first; the API lists them newest first
};

struct WorkflowRun
{
    qint64 id = 0;
    QString name;
    QString status;
    std::optional<QString> conclusion;
    QDateTime createdAt;
    QDateTime updatedAt;
    QString headBranch;
    QString headSha;
    QString event;
    QString actor;
    qint64 runNumber = 0;
};

struct Issue
{
    qint64 id = 0;
    qint64 number = 0;
    QString title;
    QString body;
    QString author;
    QStringList labels;
    QStringList assignees;
    qint64 comments = 0;
    QString state; // open, closed
    QDateTime createdAt;
    QDateTime updatedAt;
    std::optional<QDateTime> closedAt;
};

// A team asked to review a pull request; it belongs to the organisation that owns the repository.
struct RequestedTeam
{
    QString slug;
    QString name;
    QStringList members; // logins; a review-requested search of a member finds the pull request
};

struct PullRequest
{
    qint64 id = 0;     // the issue id: what searches and the issue list report
    qint64 pullId = 0; // the id of the pull-request object itself
    QString repository;
    qint64 number = 0;
    QString title;
    QString body;
    QString author;
    QStringList assignees;
    QStringList requestedReviewers;
    QList<RequestedTeam> requestedTeams;
    QStringList labels;
    bool draft = false;
    QString state; // open, closed
    bool merged = false;
    QDateTime createdAt;
    QDateTime updatedAt;
    std::optional<QDateTime> closedAt;
    QString headSha;
    QString headRef;
    QString baseRef;
    qint64 comments = 0;
    qint64 reviewComments = 0;
    qint64 commits = 1;
    qint64 additions = 0;
    qint64 deletions = 0;
    qint64 changedFiles = 0;
    QList<Review> reviews; // chronological, as GitHub lists them
};

struct Environment
{
    qint64 id = 0;
    QString name;
    QDateTime createdAt;
};

struct Repository
{
    qint64 id = 0;
    QString owner;
    QString name;
    QString description;
    bool isPrivate = false;
    bool archived = false;
    std::optional<QStringList> visibleTo; // logins; absent means every user
    QString defaultBranch;
    QDateTime createdAt;
    QList<Environment> environments;
    QList<Commit> commits;
    QList<Deployment> deployments;
    QList<WorkflowRun> workflowRuns;
    QList<Issue> issues;
    std::map<QString, CommitChecks> checks; // by commit sha

    QString fullName() const { return owner + QLatin1Char('/') + name; }
    bool isVisibleTo(const QString& login) const { return !visibleTo || visibleTo->contains(login); }
};

struct OAuthApp
{
    QString clientId;
    int expiresIn = 900; // seconds a device code lives
    int interval = 5;    // minimum seconds between token polls
    // When set, every new device code is approved at once for this user (for the demo, where nobody
    // can visit the verification page).
    QString autoApproveAs;
};

// A change the world goes through by itself, `at` after the hub starts serving: what makes the demo live.
// Each kind reads the fields it needs; the scenario parser checks them against the world.
struct TimelineEvent
{
    enum class Kind {
        RequestReview,    // `user`, or the team `team`, is asked to review pull request `number`
        Review,           // `user` reviews pull request `number` with `state` and `body`
        CheckRun,         // the head commit of pull request `number` reports check run `name`
        Issue,            // `user` opens issue `number` titled `title` with `labels`
        DeploymentStatus, // the newest deployment to `environment` reaches `state`
        WorkflowRun,      // the newest run of workflow `name` reaches `status` and `conclusion`
        RevokeToken,      // `user` loses `token`: requests with it answer 401 from then on
        Comment,          // `user` comments on pull request `number`
        Assign,           // `user` is assigned to pull request `number`
    };

    std::chrono::seconds at{0};
    Kind kind = Kind::Review;
    QString repository;
    qint64 number = 0;
    QString user;
    QString team; // a team's slug, for a review requested from a team
    QString state;
    QString body;
    QString name;
    QString status;
    std::optional<QString> conclusion;
    QString environment;
    QString title;
    QStringList labels;
    QString token;
};

struct Scenario
{
    QDateTime now; // the instant relative times were resolved against
    QList<User> users;
    QList<Repository> repositories;
    QList<PullRequest> pullRequests;
    std::optional<OAuthApp> oauthApp;
    QList<TimelineEvent> timeline;           // by `at`, earliest first
    QList<NotificationThread> notifications; // filled by changes while running, newest last
    qint64 nextId = 1;                       // ids handed to objects added while running

    const User* userByToken(const QString& token) const;
    const User* user(const QString& login) const;
    Repository* repository(const QString& fullName);
    const Repository* repository(const QString& fullName) const;
    PullRequest* pullRequest(const QString& repository, qint64 number);
    const PullRequest* pullRequest(const QString& repository, qint64 number) const;
    // The team `slug` of the organisation owning `repository`, as a pull request there names it.
    const RequestedTeam* team(const QString& repository, const QString& slug) const;
    qint64 takeId() { return nextId++; }
    // The feed of `login`, newest first, and when it last changed (the scenario's `now` while empty).
    QList<const NotificationThread*> feedOf(const QString& login) const;
    QDateTime feedModified(const QString& login) const;
    // Adds or renews the thread of that pull request in the user's feed, as GitHub does for activity that
    // concerns them; the feed's date always moves forward, by a second at least.
    void notify(const QString& login, const QString& repository, qint64 number, const QString& reason);
    // Issues and pull requests share one sequence of numbers per repository.
    bool numberTaken(const QString& repository, qint64 number) const;

    // Parses a scenario document. Relative times ("-2h", "today 09:30") resolve against `now`, else
    // against the document's own "now", else against the current time. Throws ScenarioError.
    static Scenario fromJson(const QByteArray& json, std::optional<QDateTime> now = std::nullopt);
    static Scenario fromFile(const QString& path, std::optional<QDateTime> now = std::nullopt);
};

// Resolves a scenario time text against `now`: an ISO 8601 date-time, "now", an offset into the past
// such as "-2h" or "-1d3h30m" (units w, d, h, m, s), "today 09:30" (that local time of now's day) or
// "today -2h" (the offset, but never before local midnight of now's day). nullopt when it is none of these.
std::optional<QDateTime> parseScenarioTime(const QString& text, const QDateTime& now);

// Formats a time as GitHub does: "2026-12-06T10:00:00Z".
QString gitHubTime(const QDateTime& time);

// A synthetic world for benchmarks: one user "bench" (token "bench-token") and `pullRequests` pull
// requests spread over a few repositories, mixing review, CI and draft states. Deterministic.
QJsonObject generateScenarioJson(int pullRequests);

} // namespace norvane::fakehub
