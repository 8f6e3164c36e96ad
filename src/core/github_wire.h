#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Records of GitHub's replies, with GitHub's snake-case keys. Decoders throw DecodeError naming the key;
// unknown keys are ignored, optional keys may be missing or null.
namespace norvane::wire {

// One item of GET /search/issues.
struct SearchItem
{
    qint64 id = 0;
    qint64 number = 0;
    QString title;
    QString htmlUrl;
    std::optional<QString> userLogin;
    QString createdAt;
    QString updatedAt;
    bool draft = false;
    QString state;
};
QList<SearchItem> decodeSearchResponse(const QByteArray& body);

// A team asked to review a pull request.
struct RequestedTeam
{
    QString slug;
    std::optional<QString> htmlUrl; // https://HOST/orgs/ORG/teams/SLUG
};

// One thread of GET /notifications: what it is about (`subject.url`, the API address of a pull request,
// issue, commit, ...; null for some kinds) and when it last changed.
struct NotificationThread
{
    QString id;
    QString updatedAt;
    std::optional<QString> subjectUrl;
    QString reason;
};
QList<NotificationThread> decodeNotifications(const QByteArray& body);

// GET /repos/{repo}/pulls/{n}
struct PRDetail
{
    QString headSha;
    std::optional<QString> headBranch; // head.ref
    QStringList requestedReviewers;
    QList<RequestedTeam> requestedTeams; // none when GitHub leaves the key out
    std::optional<qint64> comments;
    std::optional<qint64> reviewComments;
};
PRDetail decodePRDetail(const QByteArray& body);

// GET /repos/{repo}/pulls/{n}/reviews, in chronological order.
struct Review
{
    QString state;
    std::optional<QString> userLogin;
    std::optional<QString> body;
    std::optional<QString> submittedAt;
};
QList<Review> decodeReviews(const QByteArray& body);

// GET /repos/{repo}/commits/{sha}/status
struct CommitStatus
{
    QString state;
    QStringList statuses; // each status's state
};
CommitStatus decodeCommitStatus(const QByteArray& body);

// GET /repos/{repo}/commits/{sha}/check-runs
struct CheckRun
{
    QString status;
    std::optional<QString> conclusion;
};
struct CheckRuns
{
    qint64 totalCount = 0;
    QList<CheckRun> runs;
};
CheckRuns decodeCheckRuns(const QByteArray& body);

// GET /repos/{repo}/issues (pull requests included, told apart by `pull_request`).
struct Issue
{
    qint64 id = 0;
    qint64 number = 0;
    QString title;
    QString htmlUrl;
    std::optional<QString> userLogin;
    QString createdAt;
    QString updatedAt;
    QStringList labels;
    qint64 comments = 0;
    bool isPullRequest = false;
};
QList<Issue> decodeIssues(const QByteArray& body);

qint64 decodeSearchTotalCount(const QByteArray& body);

// GET /repos/{repo}/commits: message and author date of each commit.
struct Commit
{
    QString message;
    QString authorDate;
};
QList<Commit> decodeCommits(const QByteArray& body);

QStringList decodeEnvironmentNames(const QByteArray& body);

struct Deployment
{
    qint64 id = 0;
    QString environment;
    QString createdAt;
};
QList<Deployment> decodeDeployments(const QByteArray& body);
QStringList decodeDeploymentStatusStates(const QByteArray& body);

struct WorkflowRun
{
    qint64 id = 0;
    QString name;
    QString status;
    std::optional<QString> conclusion;
    QString createdAt;
    std::optional<QString> headBranch;
};
QList<WorkflowRun> decodeWorkflowRuns(const QByteArray& body);

// POST /login/device/code, asked for JSON.
struct DeviceCode
{
    QString deviceCode;
    QString userCode;
    QString verificationUri;
    qint64 expiresIn = 0;
    qint64 interval = 0;
};
DeviceCode decodeDeviceCode(const QByteArray& body);

// POST /login/oauth/access_token, asked for JSON: a token, or GitHub's error code and its description.
struct AccessTokenAnswer
{
    std::optional<QString> accessToken;
    std::optional<QString> error;
    std::optional<QString> errorDescription;
};
AccessTokenAnswer decodeAccessTokenAnswer(const QByteArray& body);

// GET /user: the login, or nullopt for a body that is no object with a string "login". Never throws.
std::optional<QString> decodeUserLogin(const QByteArray& body);

} // namespace norvane::wire
