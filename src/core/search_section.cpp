#include "core/search_section.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <initializer_list>

namespace norvane {

namespace {

// Whether a term of the query (its negation included) is one of `terms` or starts with one of `prefixes`.
bool says(const QStringList& words, std::initializer_list<const char*> terms,
          std::initializer_list<const char*> prefixes = {})
{
    return std::any_of(words.begin(), words.end(), [&](QString word) {
        if (word.startsWith(QLatin1Char('-')))
            word.remove(0, 1);
        word = word.toLower();
        return std::any_of(terms.begin(), terms.end(),
                           [&](const char* t) { return word == QLatin1String(t); }) ||
               std::any_of(prefixes.begin(), prefixes.end(),
                           [&](const char* p) { return word.startsWith(QLatin1String(p)); });
    });
}

QString nameKey(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

} // namespace

QString sectionSearchText(const QString& query)
{
    const QStringList words = query.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList out = words;
    if (!says(words, {"is:pr", "type:pr", "is:pull-request", "type:pull-request", "is:issue", "type:issue"}))
        out << QStringLiteral("is:pr");
    if (!says(words, {"is:open", "is:closed", "is:merged", "is:unmerged"}, {"state:"}))
        out << QStringLiteral("is:open");
    if (!says(words, {}, {"archived:"}))
        out << QStringLiteral("archived:false");
    return out.join(QLatin1Char(' '));
}

SearchSection trimmedSection(SearchSection section)
{
    section.name = section.name.trimmed();
    section.query = section.query.simplified();
    return section;
}

SectionProblem sectionProblem(const QList<SearchSection>& sections)
{
    if (sections.size() > kMaxSections)
        return SectionProblem::tooMany;
    QSet<QString> names;
    for (const SearchSection& section : sections) {
        if (section.name.trimmed().isEmpty())
            return SectionProblem::emptyName;
        if (section.query.trimmed().isEmpty())
            return SectionProblem::emptyQuery;
        if (names.contains(nameKey(section.name)))
            return SectionProblem::duplicateName;
        names.insert(nameKey(section.name));
    }
    return SectionProblem::none;
}

QByteArray sectionsToStored(const QList<SearchSection>& sections)
{
    QJsonArray array;
    for (const SearchSection& section : sections) {
        array.append(QJsonObject{{QStringLiteral("name"), section.name},
                                 {QStringLiteral("query"), section.query},
                                 {QStringLiteral("notify"), section.notify}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QList<SearchSection> sectionsFromStored(const QByteArray& stored)
{
    QList<SearchSection> out;
    QSet<QString> names;
    for (const QJsonValue& value : QJsonDocument::fromJson(stored).array()) {
        const QJsonObject entry = value.toObject();
        const SearchSection section = trimmedSection({entry.value(QStringLiteral("name")).toString(),
                                                      entry.value(QStringLiteral("query")).toString(),
                                                      entry.value(QStringLiteral("notify")).toBool(false)});
        if (section.name.isEmpty() || section.query.isEmpty() || names.contains(nameKey(section.name)))
            continue;
        names.insert(nameKey(section.name));
        out.append(section);
        if (out.size() == kMaxSections)
            break;
    }
    return out;
}

} // namespace norvane
