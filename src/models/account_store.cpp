#include "models/account_store.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"
#include "core/stored_keys.h"
#include "platform/preferences.h"

#include <QJsonDocument>

namespace norvane {

AccountStore::AccountStore(std::shared_ptr<Preferences> preferences) : m_preferences(std::move(preferences))
{
}

AccountStore::Loaded AccountStore::load()
{
    Loaded loaded;
    const QString key = storedName();
    const auto data = m_preferences->data(key);
    if (!data) {
        loaded.notes.append(QStringLiteral("No %1 data found in UserDefaults").arg(key));
        return loaded;
    }
    loaded.notes.append(QStringLiteral("Found %1 data, %2 bytes").arg(key).arg(data->size()));
    QJsonArray objects;
    QList<GitHubAccount> accounts;
    try {
        objects = parseJsonArray(*data);
        accounts = gitHubAccountsFromJson(objects);
    } catch (const DecodeError& e) {
        loaded.status = Loaded::Status::unreadable;
        loaded.problem = e.description();
        loaded.notes.append(QStringLiteral("Failed to decode accounts JSON"));
        return loaded;
    }
    loaded.status = Loaded::Status::read;
    loaded.notes.append(QStringLiteral("Decoded %1 accounts").arg(accounts.size()));
    m_stored.clear();
    for (qsizetype i = 0; i < accounts.size(); ++i)
        m_stored.insert(accounts[i].id, {accounts[i], objects[i].toObject()});
    m_accounts = std::move(accounts);
    return loaded;
}

void AccountStore::add(const GitHubAccount& account)
{
    m_accounts.append(account);
    save();
}

void AccountStore::remove(const QUuid& accountId)
{
    m_accounts.removeIf([&](const GitHubAccount& account) { return account.id == accountId; });
    save();
}

void AccountStore::save()
{
    QJsonArray objects;
    for (const GitHubAccount& account : std::as_const(m_accounts)) {
        const auto stored = m_stored.constFind(account.id);
        objects.append(
            encodeOver(account, stored == m_stored.constEnd() ? nullptr : &*stored, kGitHubAccountKeys));
    }
    m_preferences->setData(storedName(), QJsonDocument(objects).toJson(QJsonDocument::Compact));
}

GitHubAccount AccountStore::newAccount(const QString& username, std::optional<QString> label,
                                       const AccountServer& server)
{
    return GitHubAccount{
        QUuid::createUuid(), username,    QStringLiteral("github_token_") + uuidText(QUuid::createUuid()),
        std::move(label),    server.host, server.host ? server.oauthClientId : std::nullopt};
}

QString AccountStore::storedName()
{
    return norvane::storedName(StoredKey::accounts);
}

std::optional<QByteArray> AccountStore::storedForm(const Preferences& preferences)
{
    return preferences.data(storedName());
}

} // namespace norvane
