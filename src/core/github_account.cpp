#include "core/github_account.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>

namespace norvane {

QString GitHubAccount::displayName() const
{
    if (label && !label->isEmpty())
        return *label + QStringLiteral(" (") + username + QLatin1Char(')');
    return username;
}

QString GitHubAccount::displayNameWithHost() const
{
    if (!host)
        return displayName();
    return displayName() + QStringLiteral(" · ") + hostLabel(*host);
}

GitHubEndpoints gitHubComEndpoints()
{
    return {QStringLiteral("https://api.github.com"), QStringLiteral("https://github.com")};
}

GitHubEndpoints GitHubAccount::endpoints(const GitHubEndpoints& gitHubCom) const
{
    if (!host)
        return gitHubCom;
    const QString web = host->contains(QStringLiteral("://")) ? *host : QStringLiteral("https://") + *host;
    return {web + QStringLiteral("/api/v3"), web};
}

QString hostLabel(const QString& host)
{
    const qsizetype scheme = host.indexOf(QStringLiteral("://"));
    return scheme < 0 ? host : host.mid(scheme + 3);
}

QString accountAddress(const GitHubAccount& account)
{
    return account.username + QLatin1Char('@') +
           (account.host ? hostLabel(*account.host) : QStringLiteral("github.com"));
}

bool accountNamed(const GitHubAccount& account, const QString& name)
{
    const QString whole = name.contains(QLatin1Char('@')) ? accountAddress(account) : account.username;
    return whole.compare(name, Qt::CaseInsensitive) == 0;
}

namespace {

class HostText
{
    Q_DECLARE_TR_FUNCTIONS(EnterpriseHost)
};

} // namespace

EnterpriseHostCheck enterpriseHost(const QString& typed)
{
    const QString notAHost = HostText::tr("Enter the server's host name, such as github.example.com.");
    QString text = typed.trimmed();
    if (text.isEmpty())
        return {std::nullopt, HostText::tr("Enter your GitHub Enterprise Server's host name.")};
    QString scheme = QStringLiteral("https");
    if (const qsizetype colon = text.indexOf(QStringLiteral("://")); colon >= 0) {
        scheme = text.left(colon).toLower();
        text = text.mid(colon + 3);
        if (scheme != QLatin1String("https") && scheme != QLatin1String("http"))
            return {std::nullopt, HostText::tr("A GitHub Enterprise Server is reached over https.")};
    }
    if (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    // Only a host and a port: no path, query, user or blank may ride along into every request's address.
    static const QRegularExpression shape(
        QStringLiteral(R"(^([A-Za-z0-9.-]+|\[[0-9A-Fa-f:.]+\])(:([0-9]{1,5}))?$)"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return {std::nullopt, notAHost};
    const QString name = match.captured(1).toLower();
    if (!match.captured(3).isEmpty()) {
        const int port = match.captured(3).toInt();
        if (port < 1 || port > 65535)
            return {std::nullopt, notAHost};
    }
    static const QRegularExpression ipv4(QStringLiteral(R"(^(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})$)"));
    const QRegularExpressionMatch v4 = ipv4.match(name);
    if (v4.hasMatch()) {
        for (int i = 1; i <= 4; ++i) {
            if (v4.captured(i).toInt() > 255)
                return {std::nullopt, notAHost};
        }
    } else if (!name.startsWith(QLatin1Char('['))) {
        static const QRegularExpression label(QStringLiteral("^[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$"));
        const QStringList labels = name.split(QLatin1Char('.'));
        if (name.size() > 253 || !std::all_of(labels.begin(), labels.end(),
                                              [](const QString& l) { return label.match(l).hasMatch(); }))
            return {std::nullopt, notAHost};
        // No top-level domain is all digits: "10.1" or "12345" would reach an address, not a name.
        if (labels.last().contains(QRegularExpression(QStringLiteral("^[0-9]+$"))))
            return {std::nullopt, notAHost};
        if (name == QLatin1String("github.com") || name.endsWith(QLatin1String(".github.com")))
            return {std::nullopt,
                    //: %1 is the host name typed, such as "api.github.com"
                    HostText::tr("%1 is GitHub.com itself: choose GitHub.com instead.").arg(name)};
    }
    const bool loopback = (v4.hasMatch() && v4.captured(1).toInt() == 127) ||
                          name == QLatin1String("localhost") || name == QLatin1String("[::1]");
    if (scheme == QLatin1String("http") && !loopback)
        return {std::nullopt, HostText::tr("A GitHub Enterprise Server is reached over https.")};
    const QString hostAndPort = match.captured(2).isEmpty() ? name : name + match.captured(2);
    return {scheme == QLatin1String("http") ? QStringLiteral("http://") + hostAndPort : hostAndPort,
            QString()};
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
    if (account.host)
        o.insert(QStringLiteral("host"), *account.host);
    if (account.oauthClientId)
        o.insert(QStringLiteral("oauthClientId"), *account.oauthClientId);
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
        r.optionalString(QStringLiteral("host")),
        r.optionalString(QStringLiteral("oauthClientId")),
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

QString tokenStoreKey(const QString& tokenIdentifier, const std::optional<QString>& host)
{
    return host ? tokenIdentifier + QLatin1Char('@') + *host : tokenIdentifier;
}

QString GitHubAccount::tokenKey() const
{
    return tokenStoreKey(tokenIdentifier, host);
}

} // namespace norvane
