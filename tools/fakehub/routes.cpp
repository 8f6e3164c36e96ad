// The HTTP answers of fakehub: GitHub's REST endpoints the client uses and the device flow of the web
// host, computed from the world under the hub's lock.
#include "fakehub_impl.h"
#include "payloads.h"
#include "search.h"

#include <QJsonDocument>
#include <QLocale>
#include <QTimeZone>
#include <QUrl>
#include <algorithm>
#include <functional>

namespace norvane::fakehub {

namespace {

using Params = QList<std::pair<QString, QString>>;

std::optional<QString> param(const Params& params, const QString& name)
{
    for (const auto& [key, value] : params) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

Reply json(const QJsonValue& value, int status = 200)
{
    Reply r;
    r.status = status;
    r.body = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                             : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return r;
}

Reply unauthorized(const QString& message)
{
    return json(Payloads::error(message, 401), 401);
}

Reply notFound()
{
    return json(Payloads::error(QStringLiteral("Not Found"), 404), 404);
}

Reply validationFailed(const QString& field, const QString& code, const QString& message = {})
{
    QJsonObject error{{QStringLiteral("resource"), QStringLiteral("Search")},
                      {QStringLiteral("field"), field},
                      {QStringLiteral("code"), code}};
    if (!message.isEmpty())
        error.insert(QStringLiteral("message"), message);
    QJsonObject body = Payloads::error(QStringLiteral("Validation Failed"), 422);
    body.insert(QStringLiteral("errors"), QJsonArray{error});
    body.insert(QStringLiteral("documentation_url"), QStringLiteral("https://docs.github.com/v3/search/"));
    return json(body, 422);
}

// GitHub's paging: per_page defaults to 30 and is capped at 100; page counts from 1.
QJsonArray pageOf(qsizetype count, const Params& params, const std::function<QJsonObject(qsizetype)>& build)
{
    const qsizetype perPage = std::clamp<qsizetype>(
        param(params, QStringLiteral("per_page")).value_or(QStringLiteral("30")).toLongLong(), 1, 100);
    const qsizetype page = std::max<qsizetype>(
        param(params, QStringLiteral("page")).value_or(QStringLiteral("1")).toLongLong(), 1);
    QJsonArray out;
    for (qsizetype i = (page - 1) * perPage; i < count && i < page * perPage; ++i)
        out.append(build(i));
    return out;
}

std::optional<qint64> number(const QString& text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok && n > 0 ? std::optional<qint64>(n) : std::nullopt;
}

Reply oauthReply(const OAuthReply& reply, bool wantsJson)
{
    Reply r = json(reply.body, reply.status);
    if (wantsJson)
        return r;
    // Without "Accept: application/json" GitHub's OAuth endpoints answer form-encoded.
    QByteArray form;
    for (auto it = reply.body.begin(); it != reply.body.end(); ++it) {
        if (!form.isEmpty())
            form.append('&');
        const QString value =
            it.value().isDouble() ? QString::number(it.value().toInteger()) : it.value().toString();
        form.append(QUrl::toPercentEncoding(it.key())).append('=').append(QUrl::toPercentEncoding(value));
    }
    r.body = form;
    r.contentType = "application/x-www-form-urlencoded; charset=utf-8";
    return r;
}

class RepoRoutes
{
public:
    RepoRoutes(const Scenario& world, const Payloads& payloads, const Repository& repo, const Params& params)
        : m_world(world), m_payloads(payloads), m_repo(repo), m_params(params)
    {
    }

    Reply answer(const QStringList& rest) const
    {
        const auto is = [&](std::initializer_list<const char*> shape) {
            if (rest.size() != static_cast<qsizetype>(shape.size()))
                return false;
            qsizetype i = 0;
            for (const char* part : shape) {
                if (part != nullptr && rest[i] != QLatin1String(part))
                    return false;
                ++i;
            }
            return true;
        };
        if (is({"pulls", nullptr}))
            return withPull(rest[1], [&](const PullRequest& pr) { return json(m_payloads.pull(pr)); });
        if (is({"pulls", nullptr, "reviews"}))
            return withPull(rest[1], [&](const PullRequest& pr) {
                return json(pageOf(pr.reviews.size(), m_params,
                                   [&](qsizetype i) { return m_payloads.review(pr, pr.reviews[i]); }));
            });
        if (is({"commits", nullptr, "status"}))
            return json(m_payloads.combinedStatus(m_repo, rest[1]));
        if (is({"commits", nullptr, "check-runs"}))
            return checkRuns(rest[1]);
        if (is({"issues"}))
            return issues();
        if (is({"commits"}))
            return commits();
        if (is({"environments"}))
            return environments();
        if (is({"deployments"}))
            return deployments();
        if (is({"deployments", nullptr, "statuses"}))
            return deploymentStatuses(rest[1]);
        if (is({"actions", "runs"}))
            return workflowRuns();
        return notFound();
    }

private:
    Reply withPull(const QString& text, const std::function<Reply(const PullRequest&)>& fn) const
    {
        const auto n = number(text);
        const PullRequest* pr = n ? m_world.pullRequest(m_repo.fullName(), *n) : nullptr;
        return pr ? fn(*pr) : notFound();
    }

    Reply checkRuns(const QString& sha) const
    {
        const auto it = m_repo.checks.find(sha);
        const QList<CheckRun> runs = it == m_repo.checks.end() ? QList<CheckRun>() : it->second.checkRuns;
        return json(QJsonObject{
            {QStringLiteral("total_count"), runs.size()},
            {QStringLiteral("check_runs"),
             pageOf(runs.size(), m_params,
                    [&](qsizetype i) { return m_payloads.checkRun(m_repo, sha, runs[i]); })},
        });
    }

    Reply issues() const
    {
        // Issues and pull requests together, newest first, as GitHub's default sort=created&direction=desc.
        const QString state = param(m_params, QStringLiteral("state")).value_or(QStringLiteral("open"));
        const auto wanted = [&](const QString& s) { return state == QLatin1String("all") || s == state; };
        std::vector<std::pair<QDateTime, QJsonObject>> items;
        for (const PullRequest& pr : m_world.pullRequests) {
            if (pr.repository == m_repo.fullName() && wanted(pr.state))
                items.emplace_back(pr.createdAt, m_payloads.issue(pr));
        }
        for (const Issue& issue : m_repo.issues) {
            if (wanted(issue.state))
                items.emplace_back(issue.createdAt, m_payloads.issue(m_repo, issue));
        }
        std::stable_sort(items.begin(), items.end(),
                         [](const auto& a, const auto& b) { return b.first < a.first; });
        return json(pageOf(static_cast<qsizetype>(items.size()), m_params,
                           [&](qsizetype i) { return items[i].second; }));
    }

    Reply commits() const
    {
        Repository sorted = m_repo;
        std::stable_sort(sorted.commits.begin(), sorted.commits.end(),
                         [](const Commit& a, const Commit& b) { return b.date < a.date; });
        return json(pageOf(sorted.commits.size(), m_params,
                           [&](qsizetype i) { return m_payloads.commit(sorted, i); }));
    }

    Reply environments() const
    {
        return json(QJsonObject{
            {QStringLiteral("total_count"), m_repo.environments.size()},
            {QStringLiteral("environments"),
             pageOf(m_repo.environments.size(), m_params,
                    [&](qsizetype i) { return m_payloads.environment(m_repo, m_repo.environments[i]); })},
        });
    }

    Reply deployments() const
    {
        const auto environment = param(m_params, QStringLiteral("environment"));
        QList<const Deployment*> list;
        for (const Deployment& d : m_repo.deployments) {
            if (!environment || d.environment == *environment)
                list.append(&d);
        }
        std::stable_sort(list.begin(), list.end(),
                         [](auto* a, auto* b) { return b->createdAt < a->createdAt; });
        return json(pageOf(list.size(), m_params,
                           [&](qsizetype i) { return m_payloads.deployment(m_repo, *list[i]); }));
    }

    Reply deploymentStatuses(const QString& idText) const
    {
        const auto id = number(idText);
        for (const Deployment& d : m_repo.deployments) {
            if (id && d.id == *id) {
                // Newest first, as GitHub lists them.
                const qsizetype n = d.statuses.size();
                return json(pageOf(n, m_params, [&](qsizetype i) {
                    return m_payloads.deploymentStatus(m_repo, d, d.statuses[n - 1 - i]);
                }));
            }
        }
        return notFound();
    }

    Reply workflowRuns() const
    {
        QList<const WorkflowRun*> runs;
        for (const WorkflowRun& run : m_repo.workflowRuns)
            runs.append(&run);
        std::stable_sort(runs.begin(), runs.end(),
                         [](auto* a, auto* b) { return b->createdAt < a->createdAt; });
        return json(QJsonObject{
            {QStringLiteral("total_count"), runs.size()},
            {QStringLiteral("workflow_runs"),
             pageOf(runs.size(), m_params,
                    [&](qsizetype i) { return m_payloads.workflowRun(m_repo, *runs[i]); })},
        });
    }

    const Scenario& m_world;
    const Payloads& m_payloads;
    const Repository& m_repo;
    const Params& m_params;
};

Reply searchIssues(const Scenario& world, const Payloads& payloads, const Params& params, const User& viewer)
{
    const auto text = param(params, QStringLiteral("q"));
    if (!text)
        return validationFailed(QStringLiteral("q"), QStringLiteral("missing"));
    QString why;
    const auto query = SearchQuery::parse(*text, &why);
    if (!query)
        return validationFailed(QStringLiteral("q"), QStringLiteral("invalid"), why);
    const std::vector<SearchHit> hits =
        runSearch(world, *query, viewer.login, param(params, QStringLiteral("sort")).value_or(QString()),
                  param(params, QStringLiteral("order")).value_or(QStringLiteral("desc")));
    const QJsonArray items = pageOf(static_cast<qsizetype>(hits.size()), params, [&](qsizetype i) {
        const SearchHit& hit = hits[static_cast<std::size_t>(i)];
        return hit.pr ? payloads.searchItem(*hit.pr) : payloads.searchItem(*hit.repo, *hit.issue);
    });
    return json(QJsonObject{{QStringLiteral("total_count"), static_cast<qint64>(hits.size())},
                            {QStringLiteral("incomplete_results"), false},
                            {QStringLiteral("search_type"), QStringLiteral("lexical")},
                            {QStringLiteral("items"), items}});
}

QByteArray httpDate(const QDateTime& time)
{
    return QLocale::c().toString(time.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'")).toLatin1();
}

// GitHub's notification feed: unread threads, newest first, with Last-Modified; asked with
// If-Modified-Since and nothing newer, a 304, which costs the token nothing. Fine-grained tokens are refused.
Reply notifications(const Scenario& world, const Payloads& payloads, const Params& params, const User& viewer,
                    const httplib::Request& request, int pollIntervalSecs)
{
    const QString token = QString::fromStdString(request.get_header_value("Authorization")).section(QLatin1Char(' '), 1).trimmed();
    if (viewer.fineGrainedTokens.contains(token))
        return json(Payloads::error(QStringLiteral("Resource not accessible by personal access token"), 403), 403);
    const QDateTime modified = world.feedModified(viewer.login);
    Reply reply;
    reply.headers.append({"Last-Modified", httpDate(modified)});
    reply.headers.append({"X-Poll-Interval", QByteArray::number(pollIntervalSecs)});
    if (request.has_header("If-Modified-Since")) {
        QDateTime since = QLocale::c().toDateTime(QString::fromStdString(request.get_header_value("If-Modified-Since")),
                                                  QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
        since.setTimeZone(QTimeZone::utc());
        if (since.isValid() && modified <= since) {
            reply.status = 304;
            return reply;
        }
    }
    const QList<const NotificationThread*> feed = world.feedOf(viewer.login);
    const Reply body = json(pageOf(feed.size(), params, [&](qsizetype i) { return payloads.thread(*feed[i]); }));
    reply.body = body.body;
    return reply;
}

} // namespace

Reply FakeHub::Impl::route(const httplib::Request& request)
{
    const QString path = QString::fromStdString(request.path);
    const std::size_t question = request.target.find('?');
    Params params = decodeQueryString(question == std::string::npos ? std::string()
                                                                    : request.target.substr(question + 1));

    if (request.method == "POST" &&
        (path == QLatin1String("/login/device/code") || path == QLatin1String("/login/oauth/access_token"))) {
        // GitHub takes the parameters from the form body or the query string.
        params.append(decodeQueryString(request.body));
        const bool wantsJson =
            request.get_header_value("Accept").find("application/json") != std::string::npos;
        const QString clientId = param(params, QStringLiteral("client_id")).value_or(QString());
        const OAuthReply reply =
            path.endsWith(QLatin1String("/code"))
                ? flow.requestCode(world, clientId,
                                   param(params, QStringLiteral("scope")).value_or(QString()), deviceClock(),
                                   base)
                : flow.pollToken(
                      world, clientId, param(params, QStringLiteral("device_code")).value_or(QString()),
                      param(params, QStringLiteral("grant_type")).value_or(QString()), deviceClock());
        return oauthReply(reply, wantsJson);
    }
    if (request.method != "GET")
        return notFound();

    const QString authorization = QString::fromStdString(request.get_header_value("Authorization"));
    if (authorization.isEmpty())
        return unauthorized(QStringLiteral("Requires authentication"));
    const qsizetype blank = authorization.indexOf(QLatin1Char(' '));
    const QString scheme = authorization.left(blank).toLower();
    const User* viewer = nullptr;
    if (blank > 0 && (scheme == QLatin1String("token") || scheme == QLatin1String("bearer")))
        viewer = world.userByToken(authorization.mid(blank + 1).trimmed());
    if (!viewer)
        return unauthorized(QStringLiteral("Bad credentials"));

    const Payloads payloads(world, base);
    if (path == QLatin1String("/notifications"))
        return notifications(world, payloads, params, *viewer, request, feedPollIntervalSecs);
    if (path == QLatin1String("/user"))
        return json(payloads.authenticatedUser(*viewer));
    if (path == QLatin1String("/search/issues"))
        return searchIssues(world, payloads, params, *viewer);
    const QStringList segments = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (segments.size() >= 3 && segments[0] == QLatin1String("repos")) {
        const Repository* repo = world.repository(segments[1] + QLatin1Char('/') + segments[2]);
        // GitHub answers 404, not 403, for a private repository the user cannot see.
        if (!repo || !repo->isVisibleTo(viewer->login))
            return notFound();
        return RepoRoutes(world, payloads, *repo, params).answer(segments.mid(3));
    }
    return notFound();
}

} // namespace norvane::fakehub
