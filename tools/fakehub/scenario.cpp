#include "scenario.h"

#include "core/json_reader.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <initializer_list>

namespace norvane::fakehub {

const User* Scenario::userByToken(const QString& token) const
{
    if (token.isEmpty())
        return nullptr;
    for (const User& u : users) {
        if (u.tokens.contains(token))
            return &u;
    }
    return nullptr;
}

QList<const NotificationThread*> Scenario::feedOf(const QString& login) const
{
    QList<const NotificationThread*> feed;
    for (const NotificationThread& thread : notifications) {
        if (thread.user == login)
            feed.append(&thread);
    }
    std::stable_sort(feed.begin(), feed.end(), [](auto* a, auto* b) { return b->updatedAt < a->updatedAt; });
    return feed;
}

QDateTime Scenario::feedModified(const QString& login) const
{
    QDateTime latest = now.isValid() ? now.toUTC() : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    for (const NotificationThread& thread : notifications) {
        if (thread.user == login)
            latest = std::max(latest, thread.updatedAt);
    }
    return latest;
}

void Scenario::notify(const QString& login, const QString& repository, qint64 number, const QString& reason)
{
    // Whole seconds, as Last-Modified tells them, and later than anything the feed said before.
    const QDateTime previous = feedModified(login);
    QDateTime when = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
    if (when <= previous)
        when = previous.addSecs(1);
    for (NotificationThread& thread : notifications) {
        if (thread.user == login && thread.repository == repository && thread.number == number) {
            thread.reason = reason;
            thread.updatedAt = when;
            thread.unread = true;
            return;
        }
    }
    notifications.append(NotificationThread{takeId(), login, repository, number, reason, when, true});
}

const User* Scenario::user(const QString& login) const
{
    for (const User& u : users) {
        if (u.login == login)
            return &u;
    }
    return nullptr;
}

// The lists are Qt's implicitly shared ones: the element is reached through their non-const access, which
// detaches, so a change never reaches a copy of the world (a snapshot, the scenario a hub was built from).
Repository* Scenario::repository(const QString& fullName)
{
    const Repository* found = std::as_const(*this).repository(fullName);
    return found ? &repositories[found - repositories.constData()] : nullptr;
}

const Repository* Scenario::repository(const QString& fullName) const
{
    for (const Repository& r : repositories) {
        // GitHub treats owner and repository names case-insensitively.
        if (r.fullName().compare(fullName, Qt::CaseInsensitive) == 0)
            return &r;
    }
    return nullptr;
}

PullRequest* Scenario::pullRequest(const QString& repository, qint64 number)
{
    const PullRequest* found = std::as_const(*this).pullRequest(repository, number);
    return found ? &pullRequests[found - pullRequests.constData()] : nullptr;
}

const PullRequest* Scenario::pullRequest(const QString& repository, qint64 number) const
{
    for (const PullRequest& pr : pullRequests) {
        if (pr.number == number && pr.repository.compare(repository, Qt::CaseInsensitive) == 0)
            return &pr;
    }
    return nullptr;
}

const RequestedTeam* Scenario::team(const QString& repository, const QString& slug) const
{
    const QString owner = repository.section(QLatin1Char('/'), 0, 0);
    for (const PullRequest& pr : pullRequests) {
        if (pr.repository.section(QLatin1Char('/'), 0, 0).compare(owner, Qt::CaseInsensitive) != 0)
            continue;
        for (const RequestedTeam& t : pr.requestedTeams) {
            if (t.slug.compare(slug, Qt::CaseInsensitive) == 0)
                return &t;
        }
    }
    return nullptr;
}

bool Scenario::numberTaken(const QString& repo, qint64 number) const
{
    const Repository* r = repository(repo);
    return pullRequest(repo, number) ||
           (r && std::any_of(r->issues.begin(), r->issues.end(),
                             [&](const Issue& i) { return i.number == number; }));
}

namespace {

const QSet<QString> kReviewStates{"APPROVED", "CHANGES_REQUESTED", "COMMENTED", "DISMISSED", "PENDING"};
const QSet<QString> kStatusStates{"success", "pending", "failure", "error"};
const QSet<QString> kCheckStatuses{"queued", "in_progress", "completed", "waiting", "requested", "pending"};
const QSet<QString> kCheckConclusions{"success", "failure",   "neutral",         "cancelled",
                                      "skipped", "timed_out", "action_required", "stale"};
const QSet<QString> kDeploymentStates{"error",   "failure", "inactive",   "pending",
                                      "success", "queued",  "in_progress"};
const QSet<QString> kRunStatuses{"requested", "in_progress", "completed", "queued", "pending", "waiting"};
const QSet<QString> kOpenClosed{"open", "closed"};

// Reads one scenario document into a Scenario, checking every reference so that a typo in a login or a
// repository name is reported where it stands instead of silently producing an emptier world.
class Parser
{
public:
    explicit Parser(QDateTime now) { m_scenario.now = now.toUTC(); }

    Scenario parse(const QJsonObject& root)
    {
        const JsonReader r(root);
        checkKeys(r, {"now", "users", "oauth_app", "repositories", "pull_requests", "timeline"});
        const QJsonArray users = r.array(QStringLiteral("users"));
        for (qsizetype i = 0; i < users.size(); ++i)
            readUser(element(r, QStringLiteral("users"), users, i), i);
        if (const auto app = r.optionalObject(QStringLiteral("oauth_app")))
            readOAuthApp(JsonReader(*app, r.pathOf(QStringLiteral("oauth_app"))));
        const QJsonArray repos = r.optionalArray(QStringLiteral("repositories")).value_or(QJsonArray());
        for (qsizetype i = 0; i < repos.size(); ++i)
            readRepository(element(r, QStringLiteral("repositories"), repos, i));
        const QJsonArray prs = r.optionalArray(QStringLiteral("pull_requests")).value_or(QJsonArray());
        for (qsizetype i = 0; i < prs.size(); ++i)
            readPullRequest(element(r, QStringLiteral("pull_requests"), prs, i));
        forEach(r, QStringLiteral("timeline"), [&](const JsonReader& e) { readTimelineEvent(e); });
        std::stable_sort(m_scenario.timeline.begin(), m_scenario.timeline.end(),
                         [](const TimelineEvent& a, const TimelineEvent& b) { return a.at < b.at; });
        m_scenario.nextId = m_nextId;
        return std::move(m_scenario);
    }

private:
    static JsonReader element(const JsonReader& parent, const QString& key, const QJsonArray& array,
                              qsizetype i)
    {
        const QString path = parent.pathOf(QStringLiteral("%1[%2]").arg(key).arg(i));
        if (!array.at(i).isObject())
            throw DecodeError(QStringLiteral("key \"%1\": expected an object, found %2")
                                  .arg(path, jsonTypeName(array.at(i))));
        return JsonReader(array.at(i).toObject(), path);
    }

    template <typename Fn> static void forEach(const JsonReader& r, const QString& key, Fn fn)
    {
        const QJsonArray array = r.optionalArray(key).value_or(QJsonArray());
        for (qsizetype i = 0; i < array.size(); ++i)
            fn(element(r, key, array, i));
    }

    static void checkKeys(const JsonReader& r, std::initializer_list<const char*> known)
    {
        for (const QString& key : r.object().keys()) {
            if (std::none_of(known.begin(), known.end(),
                             [&](const char* k) { return key == QLatin1String(k); }))
                r.fail(key, QStringLiteral("unknown key"));
        }
    }

    QDateTime time(const JsonReader& r, const QString& key) const
    {
        const QString text = r.string(key);
        const auto t = parseScenarioTime(text, m_scenario.now);
        if (!t)
            r.fail(key, QStringLiteral("\"%1\" is not a time (ISO 8601 with a zone, \"now\", \"-2h\", "
                                       "\"today 09:30\" or \"today -2h\")")
                            .arg(text));
        return *t;
    }

    std::optional<QDateTime> optionalTime(const JsonReader& r, const QString& key) const
    {
        if (!r.optionalString(key))
            return std::nullopt;
        return time(r, key);
    }

    QString oneOf(const JsonReader& r, const QString& key, const QSet<QString>& allowed,
                  std::optional<QString> fallback = std::nullopt) const
    {
        const QString value = fallback ? r.optionalString(key).value_or(*fallback) : r.string(key);
        if (!allowed.contains(value)) {
            QStringList names(allowed.begin(), allowed.end());
            names.sort();
            r.fail(key,
                   QStringLiteral("\"%1\" is not one of %2").arg(value, names.join(QStringLiteral(", "))));
        }
        return value;
    }

    QString userRef(const JsonReader& r, const QString& key) const
    {
        const QString login = r.string(key);
        if (!m_scenario.user(login))
            r.fail(key, QStringLiteral("unknown user \"%1\"").arg(login));
        return login;
    }

    QStringList userList(const JsonReader& r, const QString& key) const
    {
        const QStringList logins = r.optionalStringList(key).value_or(QStringList());
        for (qsizetype i = 0; i < logins.size(); ++i) {
            if (!m_scenario.user(logins[i]))
                r.fail(QStringLiteral("%1[%2]").arg(key).arg(i),
                       QStringLiteral("unknown user \"%1\"").arg(logins[i]));
        }
        return logins;
    }

    qint64 id(const JsonReader& r, const QString& key = QStringLiteral("id"))
    {
        if (const auto explicitId = r.optionalInt64(key))
            return *explicitId;
        return m_nextId++;
    }

    static QString fakeSha(const QString& seed)
    {
        return QString::fromLatin1(QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Sha1).toHex());
    }

    void readUser(const JsonReader& r, qsizetype index)
    {
        checkKeys(r, {"login", "id", "name", "email", "tokens", "fine_grained_tokens"});
        User u;
        u.login = r.string(QStringLiteral("login"));
        if (u.login.isEmpty() || m_scenario.user(u.login))
            r.fail(QStringLiteral("login"), QStringLiteral("\"%1\" is empty or used twice").arg(u.login));
        u.id = r.optionalInt64(QStringLiteral("id")).value_or(index + 1);
        u.name = r.optionalString(QStringLiteral("name")).value_or(u.login);
        u.email =
            r.optionalString(QStringLiteral("email")).value_or(u.login + QStringLiteral("@example.com"));
        u.tokens = r.optionalStringList(QStringLiteral("tokens")).value_or(QStringList());
        for (const QString& token : u.tokens) {
            if (token.isEmpty() || m_scenario.userByToken(token))
                r.fail(QStringLiteral("tokens"),
                       QStringLiteral("token \"%1\" is empty or used twice").arg(token));
        }
        u.fineGrainedTokens =
            r.optionalStringList(QStringLiteral("fine_grained_tokens")).value_or(QStringList());
        for (const QString& token : u.fineGrainedTokens) {
            if (token.isEmpty() || u.tokens.contains(token) || m_scenario.userByToken(token))
                r.fail(QStringLiteral("fine_grained_tokens"),
                       QStringLiteral("token \"%1\" is empty or used twice").arg(token));
        }
        u.tokens += u.fineGrainedTokens;
        m_scenario.users.append(u);
    }

    void readOAuthApp(const JsonReader& r)
    {
        checkKeys(r, {"client_id", "expires_in", "interval", "auto_approve_as"});
        OAuthApp app;
        app.clientId = r.string(QStringLiteral("client_id"));
        app.expiresIn = static_cast<int>(r.optionalInt64(QStringLiteral("expires_in")).value_or(900));
        app.interval = static_cast<int>(r.optionalInt64(QStringLiteral("interval")).value_or(5));
        if (app.expiresIn < 0 || app.interval < 0)
            r.fail(QStringLiteral("interval"),
                   QStringLiteral("expires_in and interval must not be negative"));
        if (r.optionalString(QStringLiteral("auto_approve_as")))
            app.autoApproveAs = userRef(r, QStringLiteral("auto_approve_as"));
        m_scenario.oauthApp = app;
    }

    void readRepository(const JsonReader& r)
    {
        checkKeys(r, {"full_name", "id", "description", "private", "archived", "visible_to", "default_branch",
                      "created_at", "environments", "commits", "deployments", "workflow_runs", "issues",
                      "checks"});
        Repository repo;
        const QString fullName = r.string(QStringLiteral("full_name"));
        const QStringList parts = fullName.split(QLatin1Char('/'));
        if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty())
            r.fail(QStringLiteral("full_name"),
                   QStringLiteral("\"%1\" is not of the form owner/name").arg(fullName));
        if (m_scenario.repository(fullName))
            r.fail(QStringLiteral("full_name"), QStringLiteral("\"%1\" is listed twice").arg(fullName));
        repo.owner = parts[0];
        repo.name = parts[1];
        repo.id = id(r);
        repo.description = r.optionalString(QStringLiteral("description")).value_or(QString());
        repo.isPrivate = r.optionalBoolean(QStringLiteral("private")).value_or(false);
        repo.archived = r.optionalBoolean(QStringLiteral("archived")).value_or(false);
        if (r.has(QStringLiteral("visible_to")))
            repo.visibleTo = userList(r, QStringLiteral("visible_to"));
        repo.defaultBranch =
            r.optionalString(QStringLiteral("default_branch")).value_or(QStringLiteral("main"));
        repo.createdAt = optionalTime(r, QStringLiteral("created_at")).value_or(m_scenario.now.addYears(-2));

        const QStringList envs = r.optionalStringList(QStringLiteral("environments")).value_or(QStringList());
        for (const QString& name : envs)
            repo.environments.append(Environment{m_nextId++, name, repo.createdAt});
        forEach(r, QStringLiteral("commits"),
                [&](const JsonReader& c) { repo.commits.append(readCommit(c)); });
        forEach(r, QStringLiteral("deployments"),
                [&](const JsonReader& d) { repo.deployments.append(readDeployment(d, repo)); });
        forEach(r, QStringLiteral("workflow_runs"),
                [&](const JsonReader& w) { repo.workflowRuns.append(readWorkflowRun(w, repo)); });
        forEach(r, QStringLiteral("issues"), [&](const JsonReader& i) {
            Issue issue = readIssue(i);
            if (std::any_of(repo.issues.begin(), repo.issues.end(),
                            [&](const Issue& o) { return o.number == issue.number; }))
                i.fail(QStringLiteral("number"),
                       QStringLiteral("%1 is used twice in %2").arg(issue.number).arg(fullName));
            repo.issues.append(issue);
        });
        if (const auto checks = r.optionalObject(QStringLiteral("checks"))) {
            const JsonReader cr(*checks, r.pathOf(QStringLiteral("checks")));
            for (const QString& sha : checks->keys()) {
                const JsonReader one(cr.objectValue(sha), cr.pathOf(sha));
                checkKeys(one, {"statuses", "check_runs"});
                readChecks(one, repo.checks[sha]);
            }
        }
        m_scenario.repositories.append(repo);
    }

    Commit readCommit(const JsonReader& r)
    {
        checkKeys(r, {"sha", "message", "author", "date"});
        Commit c;
        c.message = r.string(QStringLiteral("message"));
        c.author = userRef(r, QStringLiteral("author"));
        c.date = time(r, QStringLiteral("date"));
        c.sha = r.optionalString(QStringLiteral("sha")).value_or(fakeSha(c.message + gitHubTime(c.date)));
        return c;
    }

    Deployment readDeployment(const JsonReader& r, const Repository& repo)
    {
        checkKeys(r, {"id", "environment", "ref", "sha", "task", "description", "creator", "created_at",
                      "state", "statuses"});
        Deployment d;
        d.id = id(r);
        d.environment = r.string(QStringLiteral("environment"));
        d.ref = r.optionalString(QStringLiteral("ref")).value_or(repo.defaultBranch);
        d.sha = r.optionalString(QStringLiteral("sha")).value_or(fakeSha(QString::number(d.id)));
        d.task = r.optionalString(QStringLiteral("task")).value_or(QStringLiteral("deploy"));
        d.description = r.optionalString(QStringLiteral("description")).value_or(QString());
        d.creator = userRef(r, QStringLiteral("creator"));
        d.createdAt = time(r, QStringLiteral("created_at"));
        if (r.has(QStringLiteral("state")))
            d.statuses.append(DeploymentStatus{
                m_nextId++, oneOf(r, QStringLiteral("state"), kDeploymentStates), {}, d.createdAt});
        forEach(r, QStringLiteral("statuses"), [&](const JsonReader& s) {
            checkKeys(s, {"id", "state", "description", "created_at"});
            DeploymentStatus st;
            st.id = id(s);
            st.state = oneOf(s, QStringLiteral("state"), kDeploymentStates);
            st.description = s.optionalString(QStringLiteral("description")).value_or(QString());
            st.createdAt = optionalTime(s, QStringLiteral("created_at")).value_or(d.createdAt);
            d.statuses.append(st);
        });
        return d;
    }

    WorkflowRun readWorkflowRun(const JsonReader& r, const Repository& repo)
    {
        checkKeys(r, {"id", "name", "status", "conclusion", "created_at", "updated_at", "head_branch",
                      "head_sha", "event", "actor", "run_number"});
        WorkflowRun w;
        w.id = id(r);
        w.name = r.string(QStringLiteral("name"));
        w.status = oneOf(r, QStringLiteral("status"), kRunStatuses);
        w.conclusion = r.optionalString(QStringLiteral("conclusion"));
        w.createdAt = time(r, QStringLiteral("created_at"));
        w.updatedAt = optionalTime(r, QStringLiteral("updated_at")).value_or(w.createdAt);
        w.headBranch = r.optionalString(QStringLiteral("head_branch")).value_or(repo.defaultBranch);
        w.headSha = r.optionalString(QStringLiteral("head_sha")).value_or(fakeSha(QString::number(w.id)));
        w.event = r.optionalString(QStringLiteral("event")).value_or(QStringLiteral("push"));
        w.actor = r.has(QStringLiteral("actor")) ? userRef(r, QStringLiteral("actor")) : QString();
        w.runNumber = r.optionalInt64(QStringLiteral("run_number")).value_or(repo.workflowRuns.size() + 1);
        return w;
    }

    Issue readIssue(const JsonReader& r)
    {
        checkKeys(r, {"id", "number", "title", "body", "author", "labels", "assignees", "comments", "state",
                      "created_at", "updated_at", "closed_at"});
        Issue i;
        i.id = id(r);
        i.number = r.int64(QStringLiteral("number"));
        i.title = r.string(QStringLiteral("title"));
        i.body = r.optionalString(QStringLiteral("body")).value_or(QString());
        i.author = userRef(r, QStringLiteral("author"));
        i.labels = r.optionalStringList(QStringLiteral("labels")).value_or(QStringList());
        i.assignees = userList(r, QStringLiteral("assignees"));
        i.comments = r.optionalInt64(QStringLiteral("comments")).value_or(0);
        i.state = oneOf(r, QStringLiteral("state"), kOpenClosed, QStringLiteral("open"));
        i.createdAt = time(r, QStringLiteral("created_at"));
        i.updatedAt = optionalTime(r, QStringLiteral("updated_at")).value_or(i.createdAt);
        i.closedAt = optionalTime(r, QStringLiteral("closed_at"));
        return i;
    }

    // Reads the "statuses" and "check_runs" arrays of `r` (a commit entry or a pull request).
    void readChecks(const JsonReader& r, CommitChecks& into)
    {
        forEach(r, QStringLiteral("statuses"), [&](const JsonReader& s) {
            checkKeys(s, {"id", "context", "state", "description", "target_url", "created_at"});
            CommitStatus st;
            st.id = id(s);
            st.context = s.optionalString(QStringLiteral("context")).value_or(QStringLiteral("ci/build"));
            st.state = oneOf(s, QStringLiteral("state"), kStatusStates);
            st.description = s.optionalString(QStringLiteral("description")).value_or(QString());
            st.targetUrl = s.optionalString(QStringLiteral("target_url")).value_or(QString());
            st.createdAt = optionalTime(s, QStringLiteral("created_at")).value_or(m_scenario.now);
            into.statuses.append(st);
        });
        forEach(r, QStringLiteral("check_runs"), [&](const JsonReader& c) {
            checkKeys(c, {"id", "name", "status", "conclusion", "started_at", "completed_at"});
            CheckRun run;
            run.id = id(c);
            run.name = c.string(QStringLiteral("name"));
            run.status = oneOf(c, QStringLiteral("status"), kCheckStatuses);
            if (c.optionalString(QStringLiteral("conclusion")))
                run.conclusion = oneOf(c, QStringLiteral("conclusion"), kCheckConclusions);
            run.startedAt = optionalTime(c, QStringLiteral("started_at"));
            run.completedAt = optionalTime(c, QStringLiteral("completed_at"));
            into.checkRuns.append(run);
        });
    }

    void readPullRequest(const JsonReader& r)
    {
        checkKeys(r, {"id",
                      "pull_id",
                      "repository",
                      "number",
                      "title",
                      "body",
                      "author",
                      "assignees",
                      "requested_reviewers",
                      "requested_teams",
                      "labels",
                      "draft",
                      "state",
                      "merged",
                      "created_at",
                      "updated_at",
                      "closed_at",
                      "head_sha",
                      "head_ref",
                      "base_ref",
                      "comments",
                      "review_comments",
                      "commits",
                      "additions",
                      "deletions",
                      "changed_files",
                      "reviews",
                      "statuses",
                      "check_runs"});
        PullRequest pr;
        pr.repository = r.string(QStringLiteral("repository"));
        Repository* repo = m_scenario.repository(pr.repository);
        if (!repo)
            r.fail(QStringLiteral("repository"),
                   QStringLiteral("unknown repository \"%1\"").arg(pr.repository));
        pr.repository = repo->fullName();
        pr.number = r.int64(QStringLiteral("number"));
        if (m_scenario.numberTaken(pr.repository, pr.number))
            r.fail(QStringLiteral("number"),
                   QStringLiteral("%1 is already used in %2 (issues and pull requests share numbers)")
                       .arg(pr.number)
                       .arg(pr.repository));
        pr.id = id(r);
        pr.pullId = id(r, QStringLiteral("pull_id"));
        pr.title = r.string(QStringLiteral("title"));
        pr.body = r.optionalString(QStringLiteral("body")).value_or(QString());
        pr.author = userRef(r, QStringLiteral("author"));
        pr.assignees = userList(r, QStringLiteral("assignees"));
        pr.requestedReviewers = userList(r, QStringLiteral("requested_reviewers"));
        forEach(r, QStringLiteral("requested_teams"), [&](const JsonReader& t) {
            checkKeys(t, {"slug", "name", "members"});
            const QString slug = t.string(QStringLiteral("slug"));
            pr.requestedTeams.append({slug, t.optionalString(QStringLiteral("name")).value_or(slug),
                                      userList(t, QStringLiteral("members"))});
        });
        pr.labels = r.optionalStringList(QStringLiteral("labels")).value_or(QStringList());
        pr.draft = r.optionalBoolean(QStringLiteral("draft")).value_or(false);
        pr.state = oneOf(r, QStringLiteral("state"), kOpenClosed, QStringLiteral("open"));
        pr.merged = r.optionalBoolean(QStringLiteral("merged")).value_or(false);
        pr.createdAt = time(r, QStringLiteral("created_at"));
        pr.updatedAt = optionalTime(r, QStringLiteral("updated_at")).value_or(pr.createdAt);
        pr.closedAt = optionalTime(r, QStringLiteral("closed_at"));
        pr.headSha = r.optionalString(QStringLiteral("head_sha"))
                         .value_or(fakeSha(pr.repository + QLatin1Char('#') + QString::number(pr.number)));
        pr.headRef = r.optionalString(QStringLiteral("head_ref"))
                         .value_or(QStringLiteral("feature/%1").arg(pr.number));
        pr.baseRef = r.optionalString(QStringLiteral("base_ref")).value_or(repo->defaultBranch);
        pr.comments = r.optionalInt64(QStringLiteral("comments")).value_or(0);
        pr.reviewComments = r.optionalInt64(QStringLiteral("review_comments")).value_or(0);
        pr.commits = r.optionalInt64(QStringLiteral("commits")).value_or(1);
        pr.additions = r.optionalInt64(QStringLiteral("additions")).value_or(10);
        pr.deletions = r.optionalInt64(QStringLiteral("deletions")).value_or(2);
        pr.changedFiles = r.optionalInt64(QStringLiteral("changed_files")).value_or(1);
        forEach(r, QStringLiteral("reviews"), [&](const JsonReader& v) {
            checkKeys(v, {"id", "user", "state", "body", "submitted_at", "commit_id"});
            Review review;
            review.id = id(v);
            review.user = userRef(v, QStringLiteral("user"));
            review.state = oneOf(v, QStringLiteral("state"), kReviewStates);
            review.body = v.optionalString(QStringLiteral("body")).value_or(QString());
            review.submittedAt = optionalTime(v, QStringLiteral("submitted_at"));
            review.commitId = v.optionalString(QStringLiteral("commit_id")).value_or(pr.headSha);
            pr.reviews.append(review);
        });
        // Statuses and check runs written on a pull request belong to its head commit.
        if (r.has(QStringLiteral("statuses")) || r.has(QStringLiteral("check_runs")))
            readChecks(r, repo->checks[pr.headSha]);
        m_scenario.pullRequests.append(pr);
    }

    void readTimelineEvent(const JsonReader& r)
    {
        using Kind = TimelineEvent::Kind;
        static const std::map<QString, Kind> kinds{
            {QStringLiteral("request_review"), Kind::RequestReview},
            {QStringLiteral("review"), Kind::Review},
            {QStringLiteral("check_run"), Kind::CheckRun},
            {QStringLiteral("issue"), Kind::Issue},
            {QStringLiteral("deployment_status"), Kind::DeploymentStatus},
            {QStringLiteral("workflow_run"), Kind::WorkflowRun},
            {QStringLiteral("revoke_token"), Kind::RevokeToken},
            {QStringLiteral("comment"), Kind::Comment},
            {QStringLiteral("assign"), Kind::Assign},
        };
        TimelineEvent e;
        const QString kind = r.string(QStringLiteral("kind"));
        const auto found = kinds.find(kind);
        if (found == kinds.end())
            r.fail(QStringLiteral("kind"), QStringLiteral("\"%1\" is not a timeline event").arg(kind));
        e.kind = found->second;
        const qint64 at = r.int64(QStringLiteral("at"));
        if (at < 0)
            r.fail(QStringLiteral("at"), QStringLiteral("seconds must not be negative"));
        e.at = std::chrono::seconds(at);
        if (e.kind == Kind::RevokeToken) {
            checkKeys(r, {"at", "kind", "user", "token"});
            e.user = userRef(r, QStringLiteral("user"));
            e.token = r.string(QStringLiteral("token"));
            if (!m_scenario.user(e.user)->tokens.contains(e.token))
                r.fail(QStringLiteral("token"), QStringLiteral("not a token of %1").arg(e.user));
            m_scenario.timeline.append(e);
            return;
        }
        e.repository = r.string(QStringLiteral("repository"));
        const Repository* repo = m_scenario.repository(e.repository);
        if (!repo)
            r.fail(QStringLiteral("repository"),
                   QStringLiteral("unknown repository \"%1\"").arg(e.repository));
        e.repository = repo->fullName();
        const auto pullRequest = [&] {
            e.number = r.int64(QStringLiteral("number"));
            if (!m_scenario.pullRequest(e.repository, e.number))
                r.fail(QStringLiteral("number"),
                       QStringLiteral("no pull request %1 in %2").arg(e.number).arg(e.repository));
        };
        switch (e.kind) {
        case Kind::RequestReview:
            if (r.has(QStringLiteral("team"))) {
                checkKeys(r, {"at", "kind", "repository", "number", "team"});
                pullRequest();
                e.team = r.string(QStringLiteral("team"));
                if (!m_scenario.team(e.repository, e.team))
                    r.fail(QStringLiteral("team"),
                           QStringLiteral(
                               "no pull request of %1's owner names the team \"%2\" in its requested_teams")
                               .arg(e.repository, e.team));
                break;
            }
            [[fallthrough]];
        case Kind::Comment:
        case Kind::Assign:
            checkKeys(r, {"at", "kind", "repository", "number", "user"});
            pullRequest();
            e.user = userRef(r, QStringLiteral("user"));
            break;
        case Kind::Review:
            checkKeys(r, {"at", "kind", "repository", "number", "user", "state", "body"});
            pullRequest();
            e.user = userRef(r, QStringLiteral("user"));
            e.state = oneOf(r, QStringLiteral("state"), kReviewStates);
            e.body = r.optionalString(QStringLiteral("body")).value_or(QString());
            break;
        case Kind::CheckRun:
            checkKeys(r, {"at", "kind", "repository", "number", "name", "status", "conclusion"});
            pullRequest();
            e.name = r.string(QStringLiteral("name"));
            e.status = oneOf(r, QStringLiteral("status"), kCheckStatuses);
            if (r.optionalString(QStringLiteral("conclusion")))
                e.conclusion = oneOf(r, QStringLiteral("conclusion"), kCheckConclusions);
            break;
        case Kind::Issue:
            checkKeys(r, {"at", "kind", "repository", "number", "user", "title", "labels"});
            e.number = r.int64(QStringLiteral("number"));
            if (e.number <= 0 || m_scenario.numberTaken(e.repository, e.number) ||
                std::any_of(
                    m_scenario.timeline.begin(), m_scenario.timeline.end(), [&](const TimelineEvent& o) {
                        return o.kind == Kind::Issue && o.repository == e.repository && o.number == e.number;
                    }))
                r.fail(QStringLiteral("number"),
                       QStringLiteral("%1 is not free in %2").arg(e.number).arg(e.repository));
            e.user = userRef(r, QStringLiteral("user"));
            e.title = r.string(QStringLiteral("title"));
            e.labels = r.optionalStringList(QStringLiteral("labels")).value_or(QStringList());
            break;
        case Kind::DeploymentStatus:
            checkKeys(r, {"at", "kind", "repository", "environment", "state"});
            e.environment = r.string(QStringLiteral("environment"));
            if (std::none_of(repo->deployments.begin(), repo->deployments.end(),
                             [&](const Deployment& d) { return d.environment == e.environment; }))
                r.fail(QStringLiteral("environment"),
                       QStringLiteral("no deployment to \"%1\" in %2").arg(e.environment, e.repository));
            e.state = oneOf(r, QStringLiteral("state"), kDeploymentStates);
            break;
        case Kind::WorkflowRun:
            checkKeys(r, {"at", "kind", "repository", "name", "status", "conclusion"});
            e.name = r.string(QStringLiteral("name"));
            if (std::none_of(repo->workflowRuns.begin(), repo->workflowRuns.end(),
                             [&](const WorkflowRun& w) { return w.name == e.name; }))
                r.fail(QStringLiteral("name"),
                       QStringLiteral("no workflow run \"%1\" in %2").arg(e.name, e.repository));
            e.status = oneOf(r, QStringLiteral("status"), kRunStatuses);
            e.conclusion = r.optionalString(QStringLiteral("conclusion"));
            break;
        case Kind::RevokeToken:
            break;
        }
        m_scenario.timeline.append(e);
    }

    Scenario m_scenario;
    // Ids not given in the document come from here; far above hand-written ids so they do not collide.
    qint64 m_nextId = 1000000;
};

} // namespace

Scenario Scenario::fromJson(const QByteArray& json, std::optional<QDateTime> now)
{
    try {
        const QJsonObject root = parseJsonObject(json);
        QDateTime anchor = now.value_or(QDateTime::currentDateTimeUtc());
        if (!now && root.contains(QStringLiteral("now"))) {
            const auto fixed = parseScenarioTime(root.value(QStringLiteral("now")).toString(), anchor);
            if (!fixed)
                throw DecodeError(QStringLiteral("key \"now\": not an ISO 8601 time with a zone"));
            anchor = *fixed;
        }
        return Parser(anchor).parse(root);
    } catch (const DecodeError& e) {
        throw ScenarioError(e.description());
    }
}

Scenario Scenario::fromFile(const QString& path, std::optional<QDateTime> now)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ScenarioError(QStringLiteral("scenario %1: cannot read: %2").arg(path, file.errorString()));
    try {
        return fromJson(file.readAll(), now);
    } catch (const ScenarioError& e) {
        throw ScenarioError(QStringLiteral("scenario %1: %2").arg(path, QString::fromUtf8(e.what())));
    }
}

} // namespace norvane::fakehub
