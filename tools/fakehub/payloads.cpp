#include "payloads.h"

#include <QCryptographicHash>
#include <utility>

namespace norvane::fakehub {

namespace {

QJsonValue timeOrNull(const std::optional<QDateTime>& t)
{
    return t ? QJsonValue(gitHubTime(*t)) : QJsonValue(QJsonValue::Null);
}

QString nodeId(const char* kind, qint64 id)
{
    return QString::fromLatin1(QByteArray(kind).append(QByteArray::number(id)).toBase64());
}

// Stable pseudo ids for things the scenario does not number (organisations, labels).
qint64 stableId(const QString& seed)
{
    const QByteArray h = QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Sha1);
    qint64 id = 0;
    for (int i = 0; i < 6; ++i)
        id = (id << 8) | static_cast<unsigned char>(h[i]);
    return id;
}

QJsonObject href(const QString& url)
{
    return QJsonObject{{QStringLiteral("href"), url}};
}

} // namespace

Payloads::Payloads(const Scenario& world, QString base) : m_world(world), m_base(std::move(base)) {}

QString Payloads::apiRepo(const QString& fullName) const
{
    return m_base + QStringLiteral("/repos/") + fullName;
}

QJsonObject Payloads::error(const QString& message, int status)
{
    QJsonObject body{{QStringLiteral("message"), message},
                     {QStringLiteral("documentation_url"), QStringLiteral("https://docs.github.com/rest")}};
    // GitHub's 401 body carries no status; its other error bodies carry it as a string.
    if (status != 401)
        body.insert(QStringLiteral("status"), QString::number(status));
    return body;
}

QJsonValue Payloads::simpleUser(const QString& login) const
{
    if (login.isEmpty())
        return QJsonValue::Null;
    const User* known = m_world.user(login);
    const qint64 id = known ? known->id : stableId(login);
    const QString api = m_base + QStringLiteral("/users/") + login;
    return QJsonObject{
        {QStringLiteral("login"), login},
        {QStringLiteral("id"), id},
        {QStringLiteral("node_id"), nodeId("U_", id)},
        {QStringLiteral("avatar_url"), m_base + QStringLiteral("/avatars/") + login},
        {QStringLiteral("gravatar_id"), QString()},
        {QStringLiteral("url"), api},
        {QStringLiteral("html_url"), m_base + QLatin1Char('/') + login},
        {QStringLiteral("followers_url"), api + QStringLiteral("/followers")},
        {QStringLiteral("following_url"), api + QStringLiteral("/following{/other_user}")},
        {QStringLiteral("gists_url"), api + QStringLiteral("/gists{/gist_id}")},
        {QStringLiteral("starred_url"), api + QStringLiteral("/starred{/owner}{/repo}")},
        {QStringLiteral("subscriptions_url"), api + QStringLiteral("/subscriptions")},
        {QStringLiteral("organizations_url"), api + QStringLiteral("/orgs")},
        {QStringLiteral("repos_url"), api + QStringLiteral("/repos")},
        {QStringLiteral("events_url"), api + QStringLiteral("/events{/privacy}")},
        {QStringLiteral("received_events_url"), api + QStringLiteral("/received_events")},
        // Repository owners that are not scenario users stand for organisations.
        {QStringLiteral("type"), known ? QStringLiteral("User") : QStringLiteral("Organization")},
        {QStringLiteral("site_admin"), false},
    };
}

QJsonObject Payloads::authenticatedUser(const User& user) const
{
    QJsonObject o = simpleUser(user.login).toObject();
    const QDateTime joined = m_world.now.addYears(-5);
    qint64 owned = 0;
    for (const Repository& r : m_world.repositories)
        owned += (r.owner == user.login) ? 1 : 0;
    const std::pair<const char*, QJsonValue> extra[] = {
        {"name", user.name},
        {"company", QJsonValue::Null},
        {"blog", QString()},
        {"location", QJsonValue::Null},
        {"email", user.email},
        {"hireable", QJsonValue::Null},
        {"bio", QJsonValue::Null},
        {"twitter_username", QJsonValue::Null},
        {"public_repos", owned},
        {"public_gists", 0},
        {"followers", 0},
        {"following", 0},
        {"created_at", gitHubTime(joined)},
        {"updated_at", gitHubTime(joined)},
        {"private_gists", 0},
        {"total_private_repos", 0},
        {"owned_private_repos", 0},
        {"disk_usage", 0},
        {"collaborators", 0},
        {"two_factor_authentication", true},
        {"plan", QJsonObject{{QStringLiteral("name"), QStringLiteral("free")},
                             {QStringLiteral("space"), 976562499},
                             {QStringLiteral("private_repos"), 10000},
                             {QStringLiteral("collaborators"), 0}}},
    };
    for (const auto& [key, value] : extra)
        o.insert(QLatin1String(key), value);
    return o;
}

QJsonObject Payloads::repository(const Repository& repo) const
{
    const QString api = apiRepo(repo.fullName());
    const QString web = m_base + QLatin1Char('/') + repo.fullName();
    qint64 openIssues = 0;
    for (const Issue& i : repo.issues)
        openIssues += i.state == QLatin1String("open") ? 1 : 0;
    QJsonObject o{
        {QStringLiteral("id"), repo.id},
        {QStringLiteral("node_id"), nodeId("R_", repo.id)},
        {QStringLiteral("name"), repo.name},
        {QStringLiteral("full_name"), repo.fullName()},
        {QStringLiteral("owner"), simpleUser(repo.owner)},
        {QStringLiteral("private"), repo.isPrivate},
        {QStringLiteral("html_url"), web},
        {QStringLiteral("description"), repo.description},
        {QStringLiteral("fork"), false},
        {QStringLiteral("url"), api},
        {QStringLiteral("git_url"), web + QStringLiteral(".git")},
        {QStringLiteral("ssh_url"), QStringLiteral("git@127.0.0.1:%1.git").arg(repo.fullName())},
        {QStringLiteral("clone_url"), web + QStringLiteral(".git")},
        {QStringLiteral("svn_url"), web},
        {QStringLiteral("mirror_url"), QJsonValue::Null},
        {QStringLiteral("homepage"), QJsonValue::Null},
        {QStringLiteral("language"), QJsonValue::Null},
        {QStringLiteral("forks_count"), 0},
        {QStringLiteral("stargazers_count"), 0},
        {QStringLiteral("watchers_count"), 0},
        {QStringLiteral("size"), 1024},
        {QStringLiteral("default_branch"), repo.defaultBranch},
        {QStringLiteral("open_issues_count"), openIssues},
        {QStringLiteral("topics"), QJsonArray()},
        {QStringLiteral("has_issues"), true},
        {QStringLiteral("has_projects"), false},
        {QStringLiteral("has_wiki"), false},
        {QStringLiteral("has_pages"), false},
        {QStringLiteral("has_downloads"), true},
        {QStringLiteral("has_discussions"), false},
        {QStringLiteral("archived"), repo.archived},
        {QStringLiteral("disabled"), false},
        {QStringLiteral("pushed_at"), gitHubTime(m_world.now)},
        {QStringLiteral("created_at"), gitHubTime(repo.createdAt)},
        {QStringLiteral("updated_at"), gitHubTime(m_world.now)},
        {QStringLiteral("permissions"), QJsonObject{{QStringLiteral("admin"), false},
                                                    {QStringLiteral("push"), true},
                                                    {QStringLiteral("pull"), true}}},
        {QStringLiteral("allow_rebase_merge"), true},
        {QStringLiteral("temp_clone_token"), QString()},
        {QStringLiteral("allow_squash_merge"), true},
        {QStringLiteral("allow_merge_commit"), true},
        {QStringLiteral("allow_forking"), true},
        {QStringLiteral("forks"), 0},
        {QStringLiteral("open_issues"), openIssues},
        {QStringLiteral("license"), QJsonValue::Null},
        {QStringLiteral("watchers"), 0},
    };
    static const std::pair<const char*, const char*> templates[] = {
        {"archive_url", "/{archive_format}{/ref}"},
        {"assignees_url", "/assignees{/user}"},
        {"blobs_url", "/git/blobs{/sha}"},
        {"branches_url", "/branches{/branch}"},
        {"collaborators_url", "/collaborators{/collaborator}"},
        {"comments_url", "/comments{/number}"},
        {"commits_url", "/commits{/sha}"},
        {"compare_url", "/compare/{base}...{head}"},
        {"contents_url", "/contents/{+path}"},
        {"contributors_url", "/contributors"},
        {"deployments_url", "/deployments"},
        {"downloads_url", "/downloads"},
        {"events_url", "/events"},
        {"forks_url", "/forks"},
        {"git_commits_url", "/git/commits{/sha}"},
        {"git_refs_url", "/git/refs{/sha}"},
        {"git_tags_url", "/git/tags{/sha}"},
        {"hooks_url", "/hooks"},
        {"issue_comment_url", "/issues/comments{/number}"},
        {"issue_events_url", "/issues/events{/number}"},
        {"issues_url", "/issues{/number}"},
        {"keys_url", "/keys{/key_id}"},
        {"labels_url", "/labels{/name}"},
        {"languages_url", "/languages"},
        {"merges_url", "/merges"},
        {"milestones_url", "/milestones{/number}"},
        {"notifications_url", "/notifications{?since,all,participating}"},
        {"pulls_url", "/pulls{/number}"},
        {"releases_url", "/releases{/id}"},
        {"stargazers_url", "/stargazers"},
        {"statuses_url", "/statuses/{sha}"},
        {"subscribers_url", "/subscribers"},
        {"subscription_url", "/subscription"},
        {"tags_url", "/tags"},
        {"teams_url", "/teams"},
        {"trees_url", "/git/trees{/sha}"},
    };
    for (const auto& [key, suffix] : templates)
        o.insert(QLatin1String(key), api + QLatin1String(suffix));
    return o;
}

QJsonArray Payloads::labels(const QString& repoFullName, const QStringList& names) const
{
    static const char* const palette[] = {"d73a4a", "a2eeef", "7057ff", "008672", "e4e669", "0075ca"};
    QJsonArray out;
    for (const QString& name : names) {
        const qint64 id = stableId(repoFullName + QLatin1Char(':') + name);
        out.append(QJsonObject{
            {QStringLiteral("id"), id},
            {QStringLiteral("node_id"), nodeId("LA_", id)},
            {QStringLiteral("url"), apiRepo(repoFullName) + QStringLiteral("/labels/") + name},
            {QStringLiteral("name"), name},
            {QStringLiteral("description"), QJsonValue::Null},
            {QStringLiteral("color"), QLatin1String(palette[id % 6])},
            {QStringLiteral("default"), false},
        });
    }
    return out;
}

QJsonArray Payloads::users(const QStringList& logins) const
{
    QJsonArray out;
    for (const QString& login : logins)
        out.append(simpleUser(login));
    return out;
}

QJsonObject Payloads::issueCommon(const QString& repoFullName, qint64 id, qint64 number, const QString& title,
                                  const QString& body, const QString& author, const QStringList& labelNames,
                                  const QStringList& assignees, qint64 comments, const QString& state,
                                  const QDateTime& created, const QDateTime& updated,
                                  const std::optional<QDateTime>& closed) const
{
    const QString api = apiRepo(repoFullName) + QStringLiteral("/issues/") + QString::number(number);
    const bool isClosed = state == QLatin1String("closed");
    return QJsonObject{
        {QStringLiteral("url"), api},
        {QStringLiteral("repository_url"), apiRepo(repoFullName)},
        {QStringLiteral("labels_url"), api + QStringLiteral("/labels{/name}")},
        {QStringLiteral("comments_url"), api + QStringLiteral("/comments")},
        {QStringLiteral("events_url"), api + QStringLiteral("/events")},
        {QStringLiteral("html_url"),
         m_base + QLatin1Char('/') + repoFullName + QStringLiteral("/issues/") + QString::number(number)},
        {QStringLiteral("id"), id},
        {QStringLiteral("node_id"), nodeId("I_", id)},
        {QStringLiteral("number"), number},
        {QStringLiteral("title"), title},
        {QStringLiteral("user"), simpleUser(author)},
        {QStringLiteral("labels"), labels(repoFullName, labelNames)},
        {QStringLiteral("state"), state},
        {QStringLiteral("locked"), false},
        {QStringLiteral("assignee"),
         assignees.isEmpty() ? QJsonValue(QJsonValue::Null) : simpleUser(assignees.first())},
        {QStringLiteral("assignees"), users(assignees)},
        {QStringLiteral("milestone"), QJsonValue::Null},
        {QStringLiteral("comments"), comments},
        {QStringLiteral("created_at"), gitHubTime(created)},
        {QStringLiteral("updated_at"), gitHubTime(updated)},
        {QStringLiteral("closed_at"), timeOrNull(closed)},
        {QStringLiteral("closed_by"), QJsonValue::Null},
        {QStringLiteral("author_association"), QStringLiteral("MEMBER")},
        {QStringLiteral("active_lock_reason"), QJsonValue::Null},
        {QStringLiteral("body"), body.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(body)},
        {QStringLiteral("state_reason"),
         isClosed ? QJsonValue(QStringLiteral("completed")) : QJsonValue::Null},
        {QStringLiteral("pinned_comment"), QJsonValue::Null},
    };
}

QJsonObject Payloads::issue(const PullRequest& pr) const
{
    QJsonObject o = issueCommon(pr.repository, pr.id, pr.number, pr.title, pr.body, pr.author, pr.labels,
                                pr.assignees, pr.comments, pr.state, pr.createdAt, pr.updatedAt, pr.closedAt);
    const QString web =
        m_base + QLatin1Char('/') + pr.repository + QStringLiteral("/pull/") + QString::number(pr.number);
    // A pull request's issue form points at its pull page.
    o.insert(QStringLiteral("html_url"), web);
    o.insert(QStringLiteral("draft"), pr.draft);
    o.insert(
        QStringLiteral("pull_request"),
        QJsonObject{
            {QStringLiteral("url"),
             apiRepo(pr.repository) + QStringLiteral("/pulls/") + QString::number(pr.number)},
            {QStringLiteral("html_url"), web},
            {QStringLiteral("diff_url"), web + QStringLiteral(".diff")},
            {QStringLiteral("patch_url"), web + QStringLiteral(".patch")},
            {QStringLiteral("merged_at"), pr.merged ? timeOrNull(pr.closedAt) : QJsonValue(QJsonValue::Null)},
        });
    return o;
}

QJsonObject Payloads::issue(const Repository& repo, const Issue& i) const
{
    return issueCommon(repo.fullName(), i.id, i.number, i.title, i.body, i.author, i.labels, i.assignees,
                       i.comments, i.state, i.createdAt, i.updatedAt, i.closedAt);
}

QJsonObject Payloads::searchItem(const PullRequest& pr) const
{
    QJsonObject o = issue(pr);
    o.insert(QStringLiteral("score"), 1.0);
    return o;
}

QJsonObject Payloads::searchItem(const Repository& repo, const Issue& i) const
{
    QJsonObject o = issue(repo, i);
    o.insert(QStringLiteral("score"), 1.0);
    return o;
}

QJsonObject Payloads::branch(const PullRequest& pr, const QString& ref, const QString& sha) const
{
    const Repository* repo = m_world.repository(pr.repository);
    return QJsonObject{
        {QStringLiteral("label"), (repo ? repo->owner : QString()) + QLatin1Char(':') + ref},
        {QStringLiteral("ref"), ref},
        {QStringLiteral("sha"), sha},
        {QStringLiteral("user"), simpleUser(repo ? repo->owner : pr.author)},
        {QStringLiteral("repo"), repo ? QJsonValue(repository(*repo)) : QJsonValue(QJsonValue::Null)},
    };
}

QJsonArray Payloads::teams(const PullRequest& pr) const
{
    const Repository* repo = m_world.repository(pr.repository);
    const QString org = repo ? repo->owner : QString();
    QJsonArray list;
    for (const RequestedTeam& team : pr.requestedTeams) {
        const qint64 id = stableId(org + QLatin1Char('/') + team.slug);
        const QString api = m_base + QStringLiteral("/teams/") + QString::number(id);
        list.append(QJsonObject{
            {QStringLiteral("id"), id},
            {QStringLiteral("node_id"), nodeId("T_", id)},
            {QStringLiteral("url"), api},
            {QStringLiteral("html_url"), m_base + QStringLiteral("/orgs/%1/teams/%2").arg(org, team.slug)},
            {QStringLiteral("name"), team.name},
            {QStringLiteral("slug"), team.slug},
            {QStringLiteral("description"), QJsonValue::Null},
            {QStringLiteral("privacy"), QStringLiteral("closed")},
            {QStringLiteral("notification_setting"), QStringLiteral("notifications_enabled")},
            {QStringLiteral("permission"), QStringLiteral("pull")},
            {QStringLiteral("members_url"), api + QStringLiteral("/members{/member}")},
            {QStringLiteral("repositories_url"), api + QStringLiteral("/repos")},
        });
    }
    return list;
}

QJsonObject Payloads::pull(const PullRequest& pr) const
{
    const QString api = apiRepo(pr.repository) + QStringLiteral("/pulls/") + QString::number(pr.number);
    const QString issueApi = apiRepo(pr.repository) + QStringLiteral("/issues/") + QString::number(pr.number);
    const QString web =
        m_base + QLatin1Char('/') + pr.repository + QStringLiteral("/pull/") + QString::number(pr.number);
    const QString statuses = apiRepo(pr.repository) + QStringLiteral("/statuses/") + pr.headSha;
    const QString baseSha = QString::fromLatin1(
        QCryptographicHash::hash((pr.repository + pr.baseRef).toUtf8(), QCryptographicHash::Sha1).toHex());
    return QJsonObject{
        {QStringLiteral("url"), api},
        {QStringLiteral("id"), pr.pullId},
        {QStringLiteral("node_id"), nodeId("PR_", pr.pullId)},
        {QStringLiteral("html_url"), web},
        {QStringLiteral("diff_url"), web + QStringLiteral(".diff")},
        {QStringLiteral("patch_url"), web + QStringLiteral(".patch")},
        {QStringLiteral("issue_url"), issueApi},
        {QStringLiteral("commits_url"), api + QStringLiteral("/commits")},
        {QStringLiteral("review_comments_url"), api + QStringLiteral("/comments")},
        {QStringLiteral("review_comment_url"),
         apiRepo(pr.repository) + QStringLiteral("/pulls/comments{/number}")},
        {QStringLiteral("comments_url"), issueApi + QStringLiteral("/comments")},
        {QStringLiteral("statuses_url"), statuses},
        {QStringLiteral("number"), pr.number},
        {QStringLiteral("state"), pr.state},
        {QStringLiteral("locked"), false},
        {QStringLiteral("title"), pr.title},
        {QStringLiteral("user"), simpleUser(pr.author)},
        {QStringLiteral("body"), pr.body.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(pr.body)},
        {QStringLiteral("labels"), labels(pr.repository, pr.labels)},
        {QStringLiteral("milestone"), QJsonValue::Null},
        {QStringLiteral("active_lock_reason"), QJsonValue::Null},
        {QStringLiteral("created_at"), gitHubTime(pr.createdAt)},
        {QStringLiteral("updated_at"), gitHubTime(pr.updatedAt)},
        {QStringLiteral("closed_at"), timeOrNull(pr.closedAt)},
        {QStringLiteral("merged_at"), pr.merged ? timeOrNull(pr.closedAt) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("merge_commit_sha"), QJsonValue::Null},
        {QStringLiteral("assignee"),
         pr.assignees.isEmpty() ? QJsonValue(QJsonValue::Null) : simpleUser(pr.assignees.first())},
        {QStringLiteral("assignees"), users(pr.assignees)},
        {QStringLiteral("requested_reviewers"), users(pr.requestedReviewers)},
        {QStringLiteral("requested_teams"), teams(pr)},
        {QStringLiteral("head"), branch(pr, pr.headRef, pr.headSha)},
        {QStringLiteral("base"), branch(pr, pr.baseRef, baseSha)},
        {QStringLiteral("_links"),
         QJsonObject{
             {QStringLiteral("self"), href(api)},
             {QStringLiteral("html"), href(web)},
             {QStringLiteral("issue"), href(issueApi)},
             {QStringLiteral("comments"), href(issueApi + QStringLiteral("/comments"))},
             {QStringLiteral("review_comments"), href(api + QStringLiteral("/comments"))},
             {QStringLiteral("review_comment"),
              href(apiRepo(pr.repository) + QStringLiteral("/pulls/comments{/number}"))},
             {QStringLiteral("commits"), href(api + QStringLiteral("/commits"))},
             {QStringLiteral("statuses"), href(statuses)},
         }},
        {QStringLiteral("author_association"), QStringLiteral("MEMBER")},
        {QStringLiteral("auto_merge"), QJsonValue::Null},
        {QStringLiteral("draft"), pr.draft},
        {QStringLiteral("merged"), pr.merged},
        {QStringLiteral("mergeable"),
         pr.state == QLatin1String("open") ? QJsonValue(true) : QJsonValue::Null},
        {QStringLiteral("rebaseable"), true},
        {QStringLiteral("mergeable_state"), pr.draft ? QStringLiteral("draft") : QStringLiteral("clean")},
        {QStringLiteral("merged_by"), QJsonValue::Null},
        {QStringLiteral("comments"), pr.comments},
        {QStringLiteral("review_comments"), pr.reviewComments},
        {QStringLiteral("maintainer_can_modify"), false},
        {QStringLiteral("commits"), pr.commits},
        {QStringLiteral("additions"), pr.additions},
        {QStringLiteral("deletions"), pr.deletions},
        {QStringLiteral("changed_files"), pr.changedFiles},
    };
}

QJsonObject Payloads::review(const PullRequest& pr, const Review& r) const
{
    const QString web = m_base + QLatin1Char('/') + pr.repository + QStringLiteral("/pull/") +
                        QString::number(pr.number) + QStringLiteral("#pullrequestreview-") +
                        QString::number(r.id);
    const QString pullApi = apiRepo(pr.repository) + QStringLiteral("/pulls/") + QString::number(pr.number);
    QJsonObject o{
        {QStringLiteral("id"), r.id},
        {QStringLiteral("node_id"), nodeId("PRR_", r.id)},
        {QStringLiteral("user"), simpleUser(r.user)},
        {QStringLiteral("body"), r.body},
        {QStringLiteral("state"), r.state},
        {QStringLiteral("html_url"), web},
        {QStringLiteral("pull_request_url"), pullApi},
        {QStringLiteral("_links"),
         QJsonObject{{QStringLiteral("html"), href(web)}, {QStringLiteral("pull_request"), href(pullApi)}}},
        {QStringLiteral("commit_id"), r.commitId},
        {QStringLiteral("author_association"), QStringLiteral("MEMBER")},
    };
    // Pending reviews have no submitted_at at all, as on GitHub.
    if (r.submittedAt)
        o.insert(QStringLiteral("submitted_at"), gitHubTime(*r.submittedAt));
    return o;
}

QJsonObject Payloads::combinedStatus(const Repository& repo, const QString& sha) const
{
    // GitHub combines the newest status of each context.
    QList<CommitStatus> latest;
    const auto it = repo.checks.find(sha);
    if (it != repo.checks.end()) {
        for (auto s = it->second.statuses.crbegin(); s != it->second.statuses.crend(); ++s) {
            if (std::none_of(latest.begin(), latest.end(),
                             [&](const CommitStatus& l) { return l.context == s->context; }))
                latest.append(*s);
        }
    }
    bool anyFailure = false;
    bool allSuccess = !latest.isEmpty();
    QJsonArray statuses;
    for (const CommitStatus& s : latest) {
        anyFailure = anyFailure || s.state == QLatin1String("failure") || s.state == QLatin1String("error");
        allSuccess = allSuccess && s.state == QLatin1String("success");
        statuses.append(QJsonObject{
            {QStringLiteral("url"), apiRepo(repo.fullName()) + QStringLiteral("/statuses/") + sha},
            {QStringLiteral("avatar_url"), QJsonValue::Null},
            {QStringLiteral("id"), s.id},
            {QStringLiteral("node_id"), nodeId("SC_", s.id)},
            {QStringLiteral("state"), s.state},
            {QStringLiteral("description"),
             s.description.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s.description)},
            {QStringLiteral("target_url"),
             s.targetUrl.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s.targetUrl)},
            {QStringLiteral("context"), s.context},
            {QStringLiteral("created_at"), gitHubTime(s.createdAt)},
            {QStringLiteral("updated_at"), gitHubTime(s.createdAt)},
        });
    }
    // No statuses at all reads "pending", as GitHub answers.
    const QString state = anyFailure   ? QStringLiteral("failure")
                          : allSuccess ? QStringLiteral("success")
                                       : QStringLiteral("pending");
    return QJsonObject{
        {QStringLiteral("state"), state},
        {QStringLiteral("statuses"), statuses},
        {QStringLiteral("sha"), sha},
        {QStringLiteral("total_count"), statuses.size()},
        {QStringLiteral("repository"), repository(repo)},
        {QStringLiteral("commit_url"), apiRepo(repo.fullName()) + QStringLiteral("/commits/") + sha},
        {QStringLiteral("url"),
         apiRepo(repo.fullName()) + QStringLiteral("/commits/") + sha + QStringLiteral("/status")},
    };
}

QJsonObject Payloads::checkRun(const Repository& repo, const QString& sha, const CheckRun& run) const
{
    QJsonArray pulls;
    for (const PullRequest& pr : m_world.pullRequests) {
        if (pr.repository != repo.fullName() || pr.headSha != sha)
            continue;
        const QJsonObject repoRef{{QStringLiteral("id"), repo.id},
                                  {QStringLiteral("url"), apiRepo(repo.fullName())},
                                  {QStringLiteral("name"), repo.name}};
        pulls.append(QJsonObject{
            {QStringLiteral("url"),
             apiRepo(repo.fullName()) + QStringLiteral("/pulls/") + QString::number(pr.number)},
            {QStringLiteral("id"), pr.pullId},
            {QStringLiteral("number"), pr.number},
            {QStringLiteral("head"), QJsonObject{{QStringLiteral("ref"), pr.headRef},
                                                 {QStringLiteral("sha"), pr.headSha},
                                                 {QStringLiteral("repo"), repoRef}}},
            {QStringLiteral("base"), QJsonObject{{QStringLiteral("ref"), pr.baseRef},
                                                 {QStringLiteral("sha"), QString(40, QLatin1Char('0'))},
                                                 {QStringLiteral("repo"), repoRef}}},
        });
    }
    const QString api = apiRepo(repo.fullName()) + QStringLiteral("/check-runs/") + QString::number(run.id);
    const QJsonValue ciApp = QJsonObject{
        {QStringLiteral("id"), 15368},
        {QStringLiteral("slug"), QStringLiteral("github-actions")},
        {QStringLiteral("node_id"), nodeId("A_", 15368)},
        {QStringLiteral("owner"), simpleUser(repo.owner)},
        {QStringLiteral("name"), QStringLiteral("GitHub Actions")},
        {QStringLiteral("description"), QString()},
        {QStringLiteral("external_url"), m_base + QStringLiteral("/features/actions")},
        {QStringLiteral("html_url"), m_base + QStringLiteral("/apps/github-actions")},
        {QStringLiteral("created_at"), QStringLiteral("2018-07-30T09:30:17Z")},
        {QStringLiteral("updated_at"), QStringLiteral("2024-04-10T20:33:16Z")},
        {QStringLiteral("permissions"), QJsonObject{{QStringLiteral("metadata"), QStringLiteral("read")},
                                                    {QStringLiteral("contents"), QStringLiteral("read")},
                                                    {QStringLiteral("issues"), QStringLiteral("write")},
                                                    {QStringLiteral("single_file"), QStringLiteral("write")},
                                                    {QStringLiteral("checks"), QStringLiteral("write")}}},
        {QStringLiteral("events"), QJsonArray{QStringLiteral("push"), QStringLiteral("pull_request")}},
    };
    return QJsonObject{
        {QStringLiteral("id"), run.id},
        {QStringLiteral("head_sha"), sha},
        {QStringLiteral("node_id"), nodeId("CR_", run.id)},
        {QStringLiteral("external_id"), QString()},
        {QStringLiteral("url"), api},
        {QStringLiteral("html_url"),
         m_base + QLatin1Char('/') + repo.fullName() + QStringLiteral("/runs/") + QString::number(run.id)},
        {QStringLiteral("details_url"),
         m_base + QLatin1Char('/') + repo.fullName() + QStringLiteral("/runs/") + QString::number(run.id)},
        {QStringLiteral("status"), run.status},
        {QStringLiteral("conclusion"),
         run.conclusion ? QJsonValue(*run.conclusion) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("started_at"), timeOrNull(run.startedAt)},
        {QStringLiteral("completed_at"), timeOrNull(run.completedAt)},
        {QStringLiteral("output"),
         QJsonObject{{QStringLiteral("title"), run.name},
                     {QStringLiteral("summary"), QString()},
                     {QStringLiteral("text"), QJsonValue::Null},
                     {QStringLiteral("annotations_count"), 0},
                     {QStringLiteral("annotations_url"), api + QStringLiteral("/annotations")}}},
        {QStringLiteral("name"), run.name},
        {QStringLiteral("check_suite"), QJsonObject{{QStringLiteral("id"), run.id}}},
        {QStringLiteral("app"), ciApp},
        {QStringLiteral("pull_requests"), pulls},
    };
}

QJsonObject Payloads::commit(const Repository& repo, qsizetype index) const
{
    const Commit& c = repo.commits.at(index);
    const QString api = apiRepo(repo.fullName());
    const User* author = m_world.user(c.author);
    const QJsonObject identity{{QStringLiteral("name"), author ? author->name : c.author},
                               {QStringLiteral("email"), author ? author->email : QString()},
                               {QStringLiteral("date"), gitHubTime(c.date)}};
    QJsonArray parents;
    if (index + 1 < repo.commits.size()) {
        const QString parent = repo.commits.at(index + 1).sha;
        parents.append(QJsonObject{{QStringLiteral("url"), api + QStringLiteral("/commits/") + parent},
                                   {QStringLiteral("sha"), parent}});
    }
    return QJsonObject{
        {QStringLiteral("url"), api + QStringLiteral("/commits/") + c.sha},
        {QStringLiteral("sha"), c.sha},
        {QStringLiteral("node_id"), nodeId("C_", stableId(c.sha))},
        {QStringLiteral("html_url"),
         m_base + QLatin1Char('/') + repo.fullName() + QStringLiteral("/commit/") + c.sha},
        {QStringLiteral("comments_url"),
         api + QStringLiteral("/commits/") + c.sha + QStringLiteral("/comments")},
        {QStringLiteral("commit"),
         QJsonObject{
             {QStringLiteral("url"), api + QStringLiteral("/git/commits/") + c.sha},
             {QStringLiteral("author"), identity},
             {QStringLiteral("committer"), identity},
             {QStringLiteral("message"), c.message},
             {QStringLiteral("tree"),
              QJsonObject{{QStringLiteral("url"), api + QStringLiteral("/tree/") + c.sha},
                          {QStringLiteral("sha"), c.sha}}},
             {QStringLiteral("comment_count"), 0},
             {QStringLiteral("verification"),
              QJsonObject{{QStringLiteral("verified"), false},
                          {QStringLiteral("reason"), QStringLiteral("unsigned")},
                          {QStringLiteral("signature"), QJsonValue::Null},
                          {QStringLiteral("payload"), QJsonValue::Null},
                          {QStringLiteral("verified_at"), QJsonValue::Null}}},
         }},
        {QStringLiteral("author"), simpleUser(c.author)},
        {QStringLiteral("committer"), simpleUser(c.author)},
        {QStringLiteral("parents"), parents},
    };
}

QJsonObject Payloads::environment(const Repository& repo, const Environment& env) const
{
    return QJsonObject{
        {QStringLiteral("id"), env.id},
        {QStringLiteral("node_id"), nodeId("EN_", env.id)},
        {QStringLiteral("name"), env.name},
        {QStringLiteral("url"), apiRepo(repo.fullName()) + QStringLiteral("/environments/") + env.name},
        {QStringLiteral("html_url"), m_base + QLatin1Char('/') + repo.fullName() +
                                         QStringLiteral("/deployments/activity_log?environments_filter=") +
                                         env.name},
        {QStringLiteral("created_at"), gitHubTime(env.createdAt)},
        {QStringLiteral("updated_at"), gitHubTime(env.createdAt)},
        {QStringLiteral("protection_rules"), QJsonArray()},
        {QStringLiteral("deployment_branch_policy"), QJsonValue::Null},
    };
}

QJsonObject Payloads::deployment(const Repository& repo, const Deployment& d) const
{
    const QString api = apiRepo(repo.fullName()) + QStringLiteral("/deployments/") + QString::number(d.id);
    const QDateTime updated = d.statuses.isEmpty() ? d.createdAt : d.statuses.last().createdAt;
    return QJsonObject{
        {QStringLiteral("url"), api},
        {QStringLiteral("id"), d.id},
        {QStringLiteral("node_id"), nodeId("DE_", d.id)},
        {QStringLiteral("sha"), d.sha},
        {QStringLiteral("ref"), d.ref},
        {QStringLiteral("task"), d.task},
        {QStringLiteral("payload"), QJsonObject()},
        {QStringLiteral("original_environment"), d.environment},
        {QStringLiteral("environment"), d.environment},
        {QStringLiteral("description"),
         d.description.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(d.description)},
        {QStringLiteral("creator"), simpleUser(d.creator)},
        {QStringLiteral("created_at"), gitHubTime(d.createdAt)},
        {QStringLiteral("updated_at"), gitHubTime(updated)},
        {QStringLiteral("statuses_url"), api + QStringLiteral("/statuses")},
        {QStringLiteral("repository_url"), apiRepo(repo.fullName())},
        {QStringLiteral("transient_environment"), false},
        {QStringLiteral("production_environment"), d.environment == QLatin1String("production")},
    };
}

QJsonObject Payloads::deploymentStatus(const Repository& repo, const Deployment& d,
                                       const DeploymentStatus& s) const
{
    const QString deploymentApi =
        apiRepo(repo.fullName()) + QStringLiteral("/deployments/") + QString::number(d.id);
    const QString log =
        m_base + QLatin1Char('/') + repo.fullName() + QStringLiteral("/deployments/") + QString::number(d.id);
    return QJsonObject{
        {QStringLiteral("url"), deploymentApi + QStringLiteral("/statuses/") + QString::number(s.id)},
        {QStringLiteral("id"), s.id},
        {QStringLiteral("node_id"), nodeId("DES_", s.id)},
        {QStringLiteral("state"), s.state},
        {QStringLiteral("creator"), simpleUser(d.creator)},
        {QStringLiteral("description"), s.description},
        {QStringLiteral("environment"), d.environment},
        {QStringLiteral("target_url"), log},
        {QStringLiteral("created_at"), gitHubTime(s.createdAt)},
        {QStringLiteral("updated_at"), gitHubTime(s.createdAt)},
        {QStringLiteral("deployment_url"), deploymentApi},
        {QStringLiteral("repository_url"), apiRepo(repo.fullName())},
        {QStringLiteral("environment_url"), QString()},
        {QStringLiteral("log_url"), log},
    };
}

QJsonObject Payloads::workflowRun(const Repository& repo, const WorkflowRun& run) const
{
    const QString api = apiRepo(repo.fullName()) + QStringLiteral("/actions/runs/") + QString::number(run.id);
    const qint64 workflowId = stableId(repo.fullName() + run.name) % 1000000;
    const QString file =
        run.name.toLower().replace(QLatin1Char(' '), QLatin1Char('-')) + QStringLiteral(".yml");
    const User* actor = m_world.user(run.actor);
    const QJsonObject identity{
        {QStringLiteral("name"), actor ? actor->name : QStringLiteral("GitHub")},
        {QStringLiteral("email"), actor ? actor->email : QStringLiteral("noreply@github.com")}};
    return QJsonObject{
        {QStringLiteral("id"), run.id},
        {QStringLiteral("name"), run.name},
        {QStringLiteral("node_id"), nodeId("WFR_", run.id)},
        {QStringLiteral("check_suite_id"), run.id},
        {QStringLiteral("check_suite_node_id"), nodeId("CS_", run.id)},
        {QStringLiteral("head_branch"), run.headBranch},
        {QStringLiteral("head_sha"), run.headSha},
        {QStringLiteral("path"), QStringLiteral(".github/workflows/") + file},
        {QStringLiteral("run_number"), run.runNumber},
        {QStringLiteral("event"), run.event},
        {QStringLiteral("display_title"), run.name},
        {QStringLiteral("status"), run.status},
        {QStringLiteral("conclusion"),
         run.conclusion ? QJsonValue(*run.conclusion) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("workflow_id"), workflowId},
        {QStringLiteral("url"), api},
        {QStringLiteral("html_url"), m_base + QLatin1Char('/') + repo.fullName() +
                                         QStringLiteral("/actions/runs/") + QString::number(run.id)},
        {QStringLiteral("pull_requests"), QJsonArray()},
        {QStringLiteral("created_at"), gitHubTime(run.createdAt)},
        {QStringLiteral("updated_at"), gitHubTime(run.updatedAt)},
        {QStringLiteral("actor"), run.actor.isEmpty() ? simpleUser(repo.owner) : simpleUser(run.actor)},
        {QStringLiteral("run_attempt"), 1},
        {QStringLiteral("run_started_at"), gitHubTime(run.createdAt)},
        {QStringLiteral("triggering_actor"),
         run.actor.isEmpty() ? simpleUser(repo.owner) : simpleUser(run.actor)},
        {QStringLiteral("jobs_url"), api + QStringLiteral("/jobs")},
        {QStringLiteral("logs_url"), api + QStringLiteral("/logs")},
        {QStringLiteral("check_suite_url"),
         apiRepo(repo.fullName()) + QStringLiteral("/check-suites/") + QString::number(run.id)},
        {QStringLiteral("artifacts_url"), api + QStringLiteral("/artifacts")},
        {QStringLiteral("cancel_url"), api + QStringLiteral("/cancel")},
        {QStringLiteral("rerun_url"), api + QStringLiteral("/rerun")},
        {QStringLiteral("workflow_url"),
         apiRepo(repo.fullName()) + QStringLiteral("/actions/workflows/") + QString::number(workflowId)},
        {QStringLiteral("head_commit"), QJsonObject{{QStringLiteral("id"), run.headSha},
                                                    {QStringLiteral("tree_id"), run.headSha},
                                                    {QStringLiteral("message"), run.name},
                                                    {QStringLiteral("timestamp"), gitHubTime(run.createdAt)},
                                                    {QStringLiteral("author"), identity},
                                                    {QStringLiteral("committer"), identity}}},
        {QStringLiteral("repository"), repository(repo)},
        {QStringLiteral("head_repository"), repository(repo)},
    };
}

QJsonObject Payloads::thread(const NotificationThread& t) const
{
    const Repository* repo = m_world.repository(t.repository);
    const PullRequest* pr = m_world.pullRequest(t.repository, t.number);
    const QString threadUrl = m_base + QStringLiteral("/notifications/threads/%1").arg(t.id);
    return QJsonObject{
        {QStringLiteral("id"), QString::number(t.id)},
        {QStringLiteral("repository"), repo ? QJsonValue(repository(*repo)) : QJsonValue::Null},
        {QStringLiteral("subject"),
         QJsonObject{{QStringLiteral("title"), pr ? pr->title : QString()},
                     {QStringLiteral("url"), apiRepo(t.repository) + QStringLiteral("/pulls/%1").arg(t.number)},
                     {QStringLiteral("latest_comment_url"),
                      apiRepo(t.repository) + QStringLiteral("/pulls/%1").arg(t.number)},
                     {QStringLiteral("type"), QStringLiteral("PullRequest")}}},
        {QStringLiteral("reason"), t.reason},
        {QStringLiteral("unread"), t.unread},
        {QStringLiteral("updated_at"), gitHubTime(t.updatedAt)},
        {QStringLiteral("last_read_at"), QJsonValue::Null},
        {QStringLiteral("url"), threadUrl},
        {QStringLiteral("subscription_url"), threadUrl + QStringLiteral("/subscription")},
    };
}

} // namespace norvane::fakehub
