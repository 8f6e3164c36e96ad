#pragma once

#include "core/github_account.h"
#include "core/stored_record.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <memory>
#include <optional>

namespace norvane {

class Preferences;

// The accounts Norvane signs in with, in their stored form: one JSON array of account objects, in the order
// they were added, under the accounts key of the preferences. The one reader and writer of that key, used by
// the app's start, the commands and the engine.
//
// A store remembers each account's object as it last read it, so that writing the list back keeps what
// another version of Norvane stored with an account (keys this version does not know).
class AccountStore
{
public:
    explicit AccountStore(std::shared_ptr<Preferences> preferences);

    // The list, in the order the accounts were added: as last read, with the changes made since.
    const QList<GitHubAccount>& accounts() const { return m_accounts; }
    std::optional<GitHubAccount> first() const
    {
        return m_accounts.isEmpty() ? std::nullopt : std::optional<GitHubAccount>(m_accounts.first());
    }

    struct Loaded
    {
        enum class Status { missing, unreadable, read };
        Status status = Status::missing;
        QString problem;   // unreadable: what is wrong with the stored list
        QStringList notes; // what the read found, line by line, for the debug log
    };
    // Reads the stored list into accounts(). The whole list reads or none of it does: a missing or unreadable
    // list leaves accounts() as it was, and an unreadable one stays stored as it is until the next save.
    Loaded load();
    // Append or remove an account, and save.
    void add(const GitHubAccount& account);
    void remove(const QUuid& accountId);
    // Writes accounts() as the stored list. An account unchanged since it was read is written back exactly
    // as it was stored; a changed one keeps the keys this version does not know; a new one is encoded afresh.
    void save();

    // A new account: a fresh id and a fresh token identifier ("github_token_" and a UUID), on `server`.
    static GitHubAccount newAccount(const QString& username, std::optional<QString> label = std::nullopt,
                                    const AccountServer& server = {});

    // For diagnostics: the name the list is stored under, and its stored bytes as they are (nullopt when no
    // list is stored).
    static QString storedName();
    static std::optional<QByteArray> storedForm(const Preferences& preferences);

private:
    std::shared_ptr<Preferences> m_preferences;
    QList<GitHubAccount> m_accounts;
    QHash<QUuid, StoredRecord<GitHubAccount>> m_stored; // as read, by id
};

} // namespace norvane
