#pragma once

#include "scenario.h"

#include <QList>
#include <QString>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace norvane::fakehub {

// Splits a raw query string ("q=a%20b&per_page=1") into decoded pairs. Both "+" and "%20" mean a blank.
QList<std::pair<QString, QString>> decodeQueryString(const std::string& raw);

// The subset of GitHub's issue-search syntax the client uses: blank-separated qualifiers, all of which
// must hold. Anything else (free text, unknown or negated qualifiers) is refused, so that a client that
// builds a query GitHub would read differently fails loudly here instead of silently matching nothing.
struct SearchQuery
{
    std::optional<bool> pullRequests; // type:pr / is:pr → true, type:issue / is:issue → false
    std::optional<QString> state;     // open, closed
    std::optional<bool> archived;
    QStringList reviewRequested;
    QStringList authors;
    QStringList assignees;
    QStringList repos;
    QStringList owners;        // org: / user: (any of them, as with repo:)
    QStringList labels;        // label: (all of them)
    QStringList teamReviews;   // team-review-requested:ORG/SLUG
    std::optional<bool> draft; // is:draft → true, draft:true / draft:false

    // nullopt with `error` set when the text uses something outside the subset.
    static std::optional<SearchQuery> parse(const QString& text, QString* error);
};

// One search hit: a pull request or an issue of a repository.
struct SearchHit
{
    const Repository* repo = nullptr;
    const PullRequest* pr = nullptr;
    const Issue* issue = nullptr;
    QDateTime created;
    QDateTime updated;
};

// Every item `viewer` may see that matches, ordered by `sort` ("updated", "created"; anything else keeps
// best-match order, which here is newest update first) in `order` ("asc" or "desc").
std::vector<SearchHit> runSearch(const Scenario& world, const SearchQuery& query, const QString& viewer,
                                 const QString& sort, const QString& order);

} // namespace norvane::fakehub
