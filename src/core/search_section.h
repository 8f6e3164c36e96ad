#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace norvane {

// A section of the pull-request tab defined by the user's own GitHub search. Its pull requests are listed
// under its chip; they count in the badge and notify only when `notify` is on or a built-in search found
// them too.
struct SearchSection
{
    QString name;
    QString query;
    bool notify = false;

    friend bool operator==(const SearchSection&, const SearchSection&) = default;
};

// An account holds at most this many sections.
inline constexpr qsizetype kMaxSections = 10;

// The text searched for a section: the user's query, then `is:pr`, `is:open` and `archived:false` for each
// of those the query does not already settle (a query that says `is:closed` or `archived:true` keeps it).
QString sectionSearchText(const QString& query);

// Why a list of sections cannot be kept; none when it can.
enum class SectionProblem { none, emptyName, emptyQuery, duplicateName, tooMany };
SectionProblem sectionProblem(const QList<SearchSection>& sections);
// Names and queries without surrounding blanks (what is kept of what the user typed).
SearchSection trimmedSection(SearchSection section);

// The stored form: a JSON array of {name, query, notify}. Reading never fails: an unreadable document reads
// as no section, and an entry without a usable name and query, or whose name an earlier entry holds, is
// skipped; past the limit the rest are dropped.
QByteArray sectionsToStored(const QList<SearchSection>& sections);
QList<SearchSection> sectionsFromStored(const QByteArray& stored);

} // namespace norvane
