// Changes to fakehub's world: the calls tests and the timeline use to make things happen on "GitHub".
#include "fakehub_impl.h"

#include <algorithm>
#include <stdexcept>

namespace norvane::fakehub {

namespace {

PullRequest& needPull(Scenario& world, const QString& repo, qint64 number)
{
    PullRequest* pr = world.pullRequest(repo, number);
    if (!pr)
        throw std::invalid_argument(
            QStringLiteral("fakehub: no pull request %1#%2").arg(repo).arg(number).toStdString());
    return *pr;
}

Repository& needRepo(Scenario& world, const QString& repo)
{
    Repository* r = world.repository(repo);
    if (!r)
        throw std::invalid_argument(QStringLiteral("fakehub: no repository %1").arg(repo).toStdString());
    return *r;
}

// A change made while running: now, but always after the previous update so that the change shows
// in the second-precision timestamps.
QDateTime touch(const QDateTime& previous)
{
    return std::max(QDateTime::currentDateTimeUtc(), previous.addSecs(1));
}

// The changes shared by the control calls and the timeline; the caller holds the hub's mutex.
void addReviewTo(Scenario& world, const QString& repo, qint64 number, Review review)
{
    PullRequest& pr = needPull(world, repo, number);
    if (!world.user(review.user))
        throw std::invalid_argument("fakehub: unknown reviewer " + review.user.toStdString());
    if (review.id == 0)
        review.id = world.takeId();
    if (review.commitId.isEmpty())
        review.commitId = pr.headSha;
    pr.updatedAt = touch(pr.updatedAt);
    if (review.state != QLatin1String("PENDING")) {
        if (!review.submittedAt)
            review.submittedAt = pr.updatedAt;
        pr.requestedReviewers.removeAll(review.user);
    }
    pr.reviews.append(review);
    if (review.state != QLatin1String("PENDING") && review.user != pr.author)
        world.notify(pr.author, pr.repository, number, QStringLiteral("author"));
}

void requestReviewIn(Scenario& world, const QString& repo, qint64 number, const QString& login)
{
    PullRequest& pr = needPull(world, repo, number);
    if (!world.user(login))
        throw std::invalid_argument("fakehub: unknown user " + login.toStdString());
    if (!pr.requestedReviewers.contains(login))
        pr.requestedReviewers.append(login);
    pr.updatedAt = touch(pr.updatedAt);
    world.notify(login, pr.repository, number, QStringLiteral("review_requested"));
}

// Asks a team for a review: GitHub lists it in requested_teams and every member hears of it.
void requestTeamReviewIn(Scenario& world, const QString& repo, qint64 number, const QString& slug)
{
    const RequestedTeam* team = world.team(repo, slug);
    if (!team)
        throw std::invalid_argument("fakehub: unknown team " + slug.toStdString());
    const RequestedTeam asked = *team; // the list below may grow and move it
    PullRequest& pr = needPull(world, repo, number);
    const bool already = std::any_of(pr.requestedTeams.begin(), pr.requestedTeams.end(),
                                     [&](const RequestedTeam& t) { return t.slug == asked.slug; });
    if (!already)
        pr.requestedTeams.append(asked);
    pr.updatedAt = touch(pr.updatedAt);
    for (const QString& member : asked.members)
        world.notify(member, pr.repository, number, QStringLiteral("review_requested"));
}

void setCheckRunIn(Scenario& world, const QString& repo, const QString& sha, CheckRun run)
{
    QList<CheckRun>& runs = needRepo(world, repo).checks[sha].checkRuns;
    for (CheckRun& existing : runs) {
        if (existing.name == run.name) {
            run.id = run.id ? run.id : existing.id;
            existing = run;
            return;
        }
    }
    if (run.id == 0)
        run.id = world.takeId();
    runs.append(run);
}

void addIssueTo(Scenario& world, const QString& repo, Issue issue)
{
    Repository& r = needRepo(world, repo);
    if (issue.number <= 0 || world.numberTaken(repo, issue.number))
        throw std::invalid_argument("fakehub: issue number already used or not positive");
    if (issue.id == 0)
        issue.id = world.takeId();
    if (issue.state.isEmpty())
        issue.state = QStringLiteral("open");
    if (!issue.createdAt.isValid())
        issue.createdAt = QDateTime::currentDateTimeUtc();
    if (!issue.updatedAt.isValid())
        issue.updatedAt = issue.createdAt;
    r.issues.append(issue);
}

template <typename T> T* newest(QList<T>& items, const std::function<bool(const T&)>& matches)
{
    T* found = nullptr;
    for (T& item : items) {
        if (matches(item) && (!found || item.createdAt >= found->createdAt))
            found = &item;
    }
    return found;
}

void apply(Scenario& world, const TimelineEvent& e)
{
    using Kind = TimelineEvent::Kind;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    switch (e.kind) {
    case Kind::RequestReview:
        if (e.team.isEmpty())
            requestReviewIn(world, e.repository, e.number, e.user);
        else
            requestTeamReviewIn(world, e.repository, e.number, e.team);
        break;
    case Kind::Review:
        addReviewTo(world, e.repository, e.number, Review{0, e.user, e.state, e.body, std::nullopt, {}});
        break;
    case Kind::CheckRun: {
        const QString sha = needPull(world, e.repository, e.number).headSha;
        CheckRun run{0, e.name, e.status, e.conclusion, now, std::nullopt};
        if (e.status == QLatin1String("completed"))
            run.completedAt = now;
        setCheckRunIn(world, e.repository, sha, run);
        break;
    }
    case Kind::Issue: {
        Issue issue;
        issue.number = e.number;
        issue.title = e.title;
        issue.author = e.user;
        issue.labels = e.labels;
        addIssueTo(world, e.repository, issue);
        break;
    }
    case Kind::DeploymentStatus: {
        Deployment* d =
            newest<Deployment>(needRepo(world, e.repository).deployments,
                               [&](const Deployment& d) { return d.environment == e.environment; });
        if (!d)
            throw std::invalid_argument("fakehub: no deployment to " + e.environment.toStdString());
        d->statuses.append(DeploymentStatus{world.takeId(), e.state, {}, now});
        break;
    }
    case Kind::WorkflowRun: {
        WorkflowRun* run = newest<WorkflowRun>(needRepo(world, e.repository).workflowRuns,
                                               [&](const WorkflowRun& w) { return w.name == e.name; });
        if (!run)
            throw std::invalid_argument("fakehub: no workflow run " + e.name.toStdString());
        run->status = e.status;
        run->conclusion = e.conclusion;
        run->updatedAt = touch(run->updatedAt);
        break;
    }
    case Kind::Comment: {
        PullRequest& pr = needPull(world, e.repository, e.number);
        ++pr.comments;
        pr.updatedAt = touch(pr.updatedAt);
        if (e.user != pr.author)
            world.notify(pr.author, pr.repository, pr.number, QStringLiteral("author"));
        break;
    }
    case Kind::Assign: {
        PullRequest& pr = needPull(world, e.repository, e.number);
        if (!pr.assignees.contains(e.user))
            pr.assignees.append(e.user);
        pr.updatedAt = touch(pr.updatedAt);
        world.notify(e.user, pr.repository, pr.number, QStringLiteral("assign"));
        break;
    }
    case Kind::RevokeToken:
        for (User& user : world.users) {
            if (user.login == e.user)
                user.tokens.removeAll(e.token);
        }
        break;
    }
}

} // namespace

void FakeHub::addReview(const QString& repo, qint64 number, Review review)
{
    mutate([&](Scenario& world) { addReviewTo(world, repo, number, std::move(review)); });
}

void FakeHub::requestReview(const QString& repo, qint64 number, const QString& login)
{
    mutate([&](Scenario& world) { requestReviewIn(world, repo, number, login); });
}

void FakeHub::requestTeamReview(const QString& repo, qint64 number, const QString& slug)
{
    mutate([&](Scenario& world) { requestTeamReviewIn(world, repo, number, slug); });
}

void FakeHub::setCheckRun(const QString& repo, const QString& sha, CheckRun run)
{
    mutate([&](Scenario& world) { setCheckRunIn(world, repo, sha, std::move(run)); });
}

void FakeHub::setCommitStatus(const QString& repo, const QString& sha, CommitStatus status)
{
    mutate([&](Scenario& world) {
        Repository& r = needRepo(world, repo);
        if (status.id == 0)
            status.id = world.takeId();
        if (!status.createdAt.isValid())
            status.createdAt = QDateTime::currentDateTimeUtc();
        r.checks[sha].statuses.append(status);
    });
}

void FakeHub::addIssue(const QString& repo, Issue issue)
{
    mutate([&](Scenario& world) { addIssueTo(world, repo, std::move(issue)); });
}

int FakeHub::playTimeline(std::chrono::seconds upTo)
{
    std::lock_guard lock(d->mutex);
    int played = 0;
    while (d->timelinePlayed < static_cast<std::size_t>(d->world.timeline.size()) &&
           d->world.timeline.at(static_cast<qsizetype>(d->timelinePlayed)).at <= upTo) {
        // Counted first: an event that cannot apply is skipped rather than retried forever.
        const TimelineEvent& e = d->world.timeline.at(static_cast<qsizetype>(d->timelinePlayed++));
        apply(d->world, e);
        ++played;
    }
    return played;
}

std::optional<std::chrono::seconds> FakeHub::nextTimelineEvent() const
{
    std::lock_guard lock(d->mutex);
    if (d->timelinePlayed >= static_cast<std::size_t>(d->world.timeline.size()))
        return std::nullopt;
    return d->world.timeline.at(static_cast<qsizetype>(d->timelinePlayed)).at;
}

void FakeHub::addPullRequest(PullRequest pr)
{
    mutate([&](Scenario& world) {
        Repository& r = needRepo(world, pr.repository);
        if (pr.number <= 0 || world.numberTaken(pr.repository, pr.number))
            throw std::invalid_argument("fakehub: pull request number already used or not positive");
        pr.repository = r.fullName();
        if (pr.id == 0)
            pr.id = world.takeId();
        if (pr.pullId == 0)
            pr.pullId = world.takeId();
        if (pr.state.isEmpty())
            pr.state = QStringLiteral("open");
        if (!pr.createdAt.isValid())
            pr.createdAt = QDateTime::currentDateTimeUtc();
        if (!pr.updatedAt.isValid())
            pr.updatedAt = pr.createdAt;
        if (pr.headSha.isEmpty())
            pr.headSha = QStringLiteral("%1").arg(pr.pullId, 40, 16, QLatin1Char('0'));
        if (pr.headRef.isEmpty())
            pr.headRef = QStringLiteral("feature/%1").arg(pr.number);
        if (pr.baseRef.isEmpty())
            pr.baseRef = r.defaultBranch;
        world.pullRequests.append(pr);
    });
}

void FakeHub::closePullRequest(const QString& repo, qint64 number, bool merged)
{
    mutate([&](Scenario& world) {
        PullRequest& pr = needPull(world, repo, number);
        pr.state = QStringLiteral("closed");
        pr.merged = merged;
        pr.updatedAt = touch(pr.updatedAt);
        pr.closedAt = pr.updatedAt;
    });
}

void FakeHub::setUpdatedAt(const QString& repo, qint64 number, const QDateTime& when)
{
    mutate([&](Scenario& world) { needPull(world, repo, number).updatedAt = when.toUTC(); });
}

QString FakeHub::headSha(const QString& repo, qint64 number) const
{
    std::lock_guard lock(d->mutex);
    return needPull(d->world, repo, number).headSha;
}

} // namespace norvane::fakehub
