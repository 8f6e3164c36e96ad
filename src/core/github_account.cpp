#include "core/github_account.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"

namespace norvane {

QString GitHubAccount::displayName() const
{
    if (label && !label->isEmpty())
        return *label + QStringLiteral(" (") + username + QLatin1Char(')');
    return username;
}

QJsonObject toJson(const GitHubAccount& account)
{
    QJsonObject o{
        {QStringLiteral("id"), uuidText(account.id)},
        {QStringLiteral("username"), account.username},
        {QStringLiteral("tokenIdentifier"), account.tokenIdentifier},
    };
    if (account.label)
        o.insert(QStringLiteral("label"), *account.label);
    return o;
}

GitHubAccount gitHubAccountFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    return GitHubAccount{
        r.uuid(QStringLiteral("id")),
        r.string(QStringLiteral("username")),
        r.string(QStringLiteral("tokenIdentifier")),
        r.optionalString(QStringLiteral("label")),
    };
}

QJsonArray toJson(const QList<GitHubAccount>& accounts)
{
    return encodeObjectArray(accounts);
}

QList<GitHubAccount> gitHubAccountsFromJson(const QJsonArray& array)
{
    return decodeObjectArray<GitHubAccount>(array, gitHubAccountFromJson);
}

} // namespace norvane
