#include "search.h"

#include <QUrl>
#include <algorithm>

namespace norvane::fakehub {

QList<std::pair<QString, QString>> decodeQueryString(const std::string& raw)
{
    QList<std::pair<QString, QString>> out;
    const auto decode = [](QByteArray part) {
        part.replace('+', ' ');
        return QUrl::fromPercentEncoding(part);
    };
    for (const QByteArray& pair : QByteArray::fromStdString(raw).split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        if (eq < 0)
            out.append({decode(pair), QString()});
        else
            out.append({decode(pair.left(eq)), decode(pair.mid(eq + 1))});
    }
    return out;
}

std::optional<SearchQuery> SearchQuery::parse(const QString& text, QString* error)
{
    SearchQuery q;
    const auto refuse = [&](const QString& why) -> std::optional<SearchQuery> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QStringList terms = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (terms.isEmpty())
        return refuse(QStringLiteral("The search text is empty."));
    for (const QString& term : terms) {
        const qsizetype colon = term.indexOf(QLatin1Char(':'));
        const QString key = colon > 0 ? term.left(colon).toLower() : QString();
        const QString value = term.mid(colon + 1);
        if (key.isEmpty() || value.isEmpty())
            return refuse(QStringLiteral("Free text \"%1\" is not supported.").arg(term));
        if ((key == QLatin1String("type") || key == QLatin1String("is")) &&
            (value == QLatin1String("pr") || value == QLatin1String("pull-request"))) {
            q.pullRequests = true;
        } else if ((key == QLatin1String("type") || key == QLatin1String("is")) &&
                   value == QLatin1String("issue")) {
            q.pullRequests = false;
        } else if ((key == QLatin1String("state") || key == QLatin1String("is")) &&
                   (value == QLatin1String("open") || value == QLatin1String("closed"))) {
            q.state = value;
        } else if (key == QLatin1String("archived") &&
                   (value == QLatin1String("true") || value == QLatin1String("false"))) {
            q.archived = value == QLatin1String("true");
        } else if (key == QLatin1String("review-requested")) {
            q.reviewRequested.append(value);
        } else if (key == QLatin1String("author")) {
            q.authors.append(value);
        } else if (key == QLatin1String("assignee")) {
            q.assignees.append(value);
        } else if (key == QLatin1String("repo") && value.count(QLatin1Char('/')) == 1) {
            q.repos.append(value);
        } else if ((key == QLatin1String("org") || key == QLatin1String("user")) &&
                   !value.contains(QLatin1Char('/'))) {
            q.owners.append(value);
        } else if (key == QLatin1String("label")) {
            q.labels.append(value);
        } else if (key == QLatin1String("team-review-requested") && value.count(QLatin1Char('/')) == 1 &&
                   !value.startsWith(QLatin1Char('/')) && !value.endsWith(QLatin1Char('/'))) {
            q.teamReviews.append(value);
        } else if (key == QLatin1String("is") && value == QLatin1String("draft")) {
            q.draft = true;
        } else if (key == QLatin1String("draft") &&
                   (value == QLatin1String("true") || value == QLatin1String("false"))) {
            q.draft = value == QLatin1String("true");
        } else {
            return refuse(QStringLiteral("The qualifier \"%1\" is not supported.").arg(term));
        }
    }
    return q;
}

namespace {

bool containsCi(const QStringList& list, const QString& value)
{
    return list.contains(value, Qt::CaseInsensitive);
}

// True when every listed login is in `have` (GitHub ANDs repeated qualifiers of these kinds).
bool allIn(const QStringList& wanted, const QStringList& have)
{
    return std::all_of(wanted.begin(), wanted.end(), [&](const QString& w) { return containsCi(have, w); });
}

// What a search reads of a pull request or an issue.
struct Candidate
{
    bool isPr = false;
    QString state;
    QString author;
    QStringList assignees;
    QStringList reviewers; // logins, a requested team's members among them
    QStringList teams;     // "org/slug" of each requested team
    QStringList labels;
    bool draft = false;
};

bool matches(const SearchQuery& q, const Repository& repo, const Candidate& c)
{
    const bool isPr = c.isPr;
    const QString& state = c.state;
    if (q.pullRequests && *q.pullRequests != isPr)
        return false;
    if (q.state && *q.state != state)
        return false;
    if (q.archived && *q.archived != repo.archived)
        return false;
    if (!q.repos.isEmpty() && !containsCi(q.repos, repo.fullName()))
        return false;
    if (!q.owners.isEmpty() && !containsCi(q.owners, repo.owner))
        return false;
    if (q.draft && (!isPr || *q.draft != c.draft))
        return false;
    if (!allIn(q.authors, QStringList{c.author}) || !allIn(q.labels, c.labels) ||
        !allIn(q.teamReviews, c.teams))
        return false;
    return allIn(q.assignees, c.assignees) && allIn(q.reviewRequested, c.reviewers);
}

// GitHub's review-requested qualifier finds a request made to the user or to a team the user is in.
QStringList reviewRequestedFrom(const PullRequest& pr)
{
    QStringList logins = pr.requestedReviewers;
    for (const RequestedTeam& team : pr.requestedTeams)
        logins += team.members;
    return logins;
}

// A pull request's teams are its repository owner's, so team-review-requested names them "owner/slug".
Candidate candidate(const Repository& repo, const PullRequest& pr)
{
    QStringList teams;
    for (const RequestedTeam& team : pr.requestedTeams)
        teams.append(repo.owner + QLatin1Char('/') + team.slug);
    return {true, pr.state, pr.author, pr.assignees, reviewRequestedFrom(pr), teams, pr.labels, pr.draft};
}

} // namespace

std::vector<SearchHit> runSearch(const Scenario& world, const SearchQuery& query, const QString& viewer,
                                 const QString& sort, const QString& order)
{
    std::vector<SearchHit> hits;
    for (const PullRequest& pr : world.pullRequests) {
        const Repository* repo = world.repository(pr.repository);
        if (repo && repo->isVisibleTo(viewer) && matches(query, *repo, candidate(*repo, pr)))
            hits.push_back(SearchHit{repo, &pr, nullptr, pr.createdAt, pr.updatedAt});
    }
    for (const Repository& repo : world.repositories) {
        if (!repo.isVisibleTo(viewer))
            continue;
        for (const Issue& issue : repo.issues) {
            if (matches(query, repo,
                        Candidate{
                            false, issue.state, issue.author, issue.assignees, {}, {}, issue.labels, false}))
                hits.push_back(SearchHit{&repo, nullptr, &issue, issue.createdAt, issue.updatedAt});
        }
    }
    const bool byCreated = sort == QLatin1String("created");
    const bool ascending = order == QLatin1String("asc");
    std::stable_sort(hits.begin(), hits.end(), [&](const SearchHit& a, const SearchHit& b) {
        const QDateTime& ta = byCreated ? a.created : a.updated;
        const QDateTime& tb = byCreated ? b.created : b.updated;
        return ascending ? ta < tb : tb < ta;
    });
    return hits;
}

} // namespace norvane::fakehub
