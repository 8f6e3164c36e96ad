#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace norvane {

// Where a GitHub lives: the root of its REST API and its web host, both without a trailing slash.
struct GitHubEndpoints
{
    QString apiBaseURL;
    QString webBaseURL;

    friend bool operator==(const GitHubEndpoints&, const GitHubEndpoints&) = default;
};

// github.com's ("https://api.github.com", "https://github.com").
GitHubEndpoints gitHubComEndpoints();

// One signed-in GitHub account. Identified by `id`; equality compares every field, so a relabelled
// account is a different value with the same identity.
struct GitHubAccount
{
    QUuid id;
    QString username;
    QString tokenIdentifier;
    std::optional<QString> label;
    // The GitHub Enterprise Server the account belongs to, as enterpriseHost() gives it
    // ("github.example.com"); absent for github.com.
    std::optional<QString> host = std::nullopt;
    // The client id of the OAuth App registered on that server, for its device flow; not a secret.
    std::optional<QString> oauthClientId = std::nullopt;

    // "label (username)" when a non-empty label is set, else the username.
    QString displayName() const;
    // displayName(), then " · " and the host for an Enterprise account ("mona · github.example.com").
    QString displayNameWithHost() const;
    bool isEnterprise() const { return host.has_value(); }
    // The account's API and web addresses: `gitHubCom` for a github.com account, else its own server's
    // (API "https://HOST/api/v3", web "https://HOST"). A token is only ever sent to these.
    GitHubEndpoints endpoints(const GitHubEndpoints& gitHubCom) const;
    // The key of the account's token in the system keychain (see tokenStoreKey).
    QString tokenKey() const;

    friend bool operator==(const GitHubAccount&, const GitHubAccount&) = default;
};

// The keychain key of a token: the identifier itself for github.com, the identifier and the host for an
// Enterprise account. An older Norvane reads the record of an Enterprise account as a github.com one, and
// would send a token it found under the plain identifier to api.github.com; under this key it finds none.
QString tokenStoreKey(const QString& tokenIdentifier, const std::optional<QString>& host);

// The server a new account signs in to: no host for github.com.
struct AccountServer
{
    std::optional<QString> host;          // as enterpriseHost() gives it
    std::optional<QString> oauthClientId; // that server's OAuth App, when one was given

    friend bool operator==(const AccountServer&, const AccountServer&) = default;
};

// A GitHub Enterprise Server host as the user typed it, checked and put in its stored form: the host name in
// lower case with its port when one is given ("github.example.com", "ghe.corp:8443"). An "https://" in front
// and a "/" at the end are accepted; "http://" only for a loopback address (a server on this machine), which
// keeps the scheme ("http://127.0.0.1:8080"). Anything else gives the message to show instead.
struct EnterpriseHostCheck
{
    std::optional<QString> host;
    QString error;
};
EnterpriseHostCheck enterpriseHost(const QString& typed);
// The host as shown beside a login: the stored form without any scheme.
QString hostLabel(const QString& host);

// The account as one text names it on a command line, "login@host": the host as hostLabel gives it, or
// "github.com" for a github.com account.
QString accountAddress(const GitHubAccount& account);
// Whether `name` names the account: its login, or its address ("login@host"), either ignoring case (GitHub's
// logins and host names are not case-sensitive).
bool accountNamed(const GitHubAccount& account, const QString& name);

// The keys of its stored object.
inline const QStringList kGitHubAccountKeys{
    QStringLiteral("id"),    QStringLiteral("username"), QStringLiteral("tokenIdentifier"),
    QStringLiteral("label"), QStringLiteral("host"),     QStringLiteral("oauthClientId")};
QJsonObject toJson(const GitHubAccount& account);
GitHubAccount gitHubAccountFromJson(const QJsonObject& object, const QString& path = {});

QJsonArray toJson(const QList<GitHubAccount>& accounts);
// The whole list decodes or nothing does: an unreadable element makes the stored list unreadable.
QList<GitHubAccount> gitHubAccountsFromJson(const QJsonArray& array);

} // namespace norvane
