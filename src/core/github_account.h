#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace norvane {

// One signed-in GitHub account. Identified by `id`; equality compares every field, so a relabelled
// account is a different value with the same identity.
struct GitHubAccount {
    QUuid id;
    QString username;
    QString tokenIdentifier;
    std::optional<QString> label;

    // "label (username)" when a non-empty label is set, else the username.
    QString displayName() const;

    friend bool operator==(const GitHubAccount&, const GitHubAccount&) = default;
};

// The keys of its stored object.
inline const QStringList kGitHubAccountKeys{QStringLiteral("id"), QStringLiteral("username"),
                                            QStringLiteral("tokenIdentifier"), QStringLiteral("label")};
QJsonObject toJson(const GitHubAccount& account);
GitHubAccount gitHubAccountFromJson(const QJsonObject& object, const QString& path = {});

QJsonArray toJson(const QList<GitHubAccount>& accounts);
// The whole list decodes or nothing does: an unreadable element makes the stored list unreadable.
QList<GitHubAccount> gitHubAccountsFromJson(const QJsonArray& array);

} // namespace norvane
