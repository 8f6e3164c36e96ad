#include "core/stored_encoding.h"
#include "models/account_store.h"
#include "platform/preferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"github_accounts"_s;
const QString kMona = u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s;
const QString kTheo = u"0F9AFC2B-8D3C-4E0E-9E55-1C2B3D4E5F60"_s;

// mona as another version stored her: with a key this version does not know and one it does not write
// itself in this order; theo as an Enterprise account.
const QByteArray kStored =
    QStringLiteral(
        R"([{"username":"mona","id":"%1","tokenIdentifier":"github_token_1","avatarUrl":"https://a/1.png"},)"
        R"({"id":"%2","username":"theo","tokenIdentifier":"github_token_2","label":"Work",)"
        R"("host":"ghe.example.com","oauthClientId":"Iv1.abc"}])")
        .arg(kMona, kTheo)
        .toUtf8();

QStringList logins(const QList<GitHubAccount>& accounts)
{
    QStringList result;
    for (const GitHubAccount& account : accounts)
        result.append(account.username);
    return result;
}

QJsonArray storedArray(const Preferences& preferences)
{
    return QJsonDocument::fromJson(preferences.data(kKey).value_or(QByteArray())).array();
}

} // namespace

// Reading a stored list, Enterprise accounts included: the preferences-file test.
TEST(AccountStore, AMissingOrUnreadableListChangesNothing)
{
    const struct
    {
        const char* name;
        std::optional<QByteArray> stored;
        AccountStore::Loaded::Status status;
    } cases[] = {
        {"nothing stored", std::nullopt, AccountStore::Loaded::Status::missing},
        {"cut off", QByteArrayLiteral(R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F")"),
         AccountStore::Loaded::Status::unreadable},
        {"an object, not a list", QByteArrayLiteral(R"({"id":"x"})"),
         AccountStore::Loaded::Status::unreadable},
        // One entry that does not decode (which do not: the GitHubAccount tests) makes the whole list
        // unreadable.
        {"one account without a login: none of them reads",
         QStringLiteral(
             R"([{"id":"%1","username":"mona","tokenIdentifier":"t"},{"id":"%2","tokenIdentifier":"u"}])")
             .arg(kMona, kTheo)
             .toUtf8(),
         AccountStore::Loaded::Status::unreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto preferences = std::make_shared<InMemoryPreferences>();
        preferences->setData(kKey, kStored);
        AccountStore store(preferences);
        ASSERT_EQ(store.load().status, AccountStore::Loaded::Status::read);
        if (c.stored)
            preferences->setData(kKey, *c.stored);
        else
            preferences->remove(kKey);

        const AccountStore::Loaded loaded = store.load();
        EXPECT_EQ(loaded.status, c.status);
        // What the store held stays, and so do the stored bytes: nothing is rewritten by a read.
        EXPECT_EQ(logins(store.accounts()), (QStringList{u"mona"_s, u"theo"_s}));
        EXPECT_EQ(preferences->data(kKey), c.stored);
        EXPECT_EQ(loaded.problem.isEmpty(), c.status == AccountStore::Loaded::Status::missing);
    }
    // A value of another kind under the key (a hand-edited file) reads as nothing stored.
    auto preferences = std::make_shared<InMemoryPreferences>();
    preferences->setString(kKey, QString::fromUtf8(kStored));
    AccountStore store(preferences);
    EXPECT_EQ(store.load().status, AccountStore::Loaded::Status::missing);
    EXPECT_TRUE(store.accounts().isEmpty());
}

TEST(AccountStore, WritingTheListBackKeepsWhatOtherVersionsStored)
{
    auto preferences = std::make_shared<InMemoryPreferences>();
    preferences->setData(kKey, kStored);
    AccountStore store(preferences);
    store.load();

    // Saved unchanged: each account's object exactly as it was read, unknown keys included.
    store.save();
    const QJsonArray asRead = QJsonDocument::fromJson(kStored).array();
    EXPECT_EQ(storedArray(*preferences), asRead);

    // Adding one writes it after the others, which stay as they were.
    const GitHubAccount ada = AccountStore::newAccount(u"ada"_s);
    store.add(ada);
    QJsonArray written = storedArray(*preferences);
    ASSERT_EQ(written.size(), 3);
    EXPECT_EQ(written[0], asRead[0]);
    EXPECT_EQ(written[1], asRead[1]);
    EXPECT_EQ(gitHubAccountFromJson(written[2].toObject()), ada);

    // Removing one leaves the rest as they were, in order.
    store.remove(store.accounts()[1].id);
    written = storedArray(*preferences);
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[0].toObject()[u"avatarUrl"_s].toString(), u"https://a/1.png"_s);
    EXPECT_EQ(gitHubAccountFromJson(written[1].toObject()), ada);
    EXPECT_EQ(logins(store.accounts()), (QStringList{u"mona"_s, u"ada"_s}));

    // Removing an account no longer there changes nothing in the list.
    store.remove(QUuid::createUuid());
    EXPECT_EQ(storedArray(*preferences), written);

    // The last one gone leaves an empty list stored, not a missing one.
    store.remove(store.accounts()[0].id);
    store.remove(ada.id);
    EXPECT_EQ(preferences->data(kKey), QByteArray("[]"));
    EXPECT_FALSE(store.first().has_value());
}

TEST(AccountStore, AddingOverAnUnreadableListReplacesIt)
{
    auto preferences = std::make_shared<InMemoryPreferences>();
    preferences->setData(kKey, QByteArrayLiteral("[{\"id\":"));
    AccountStore store(preferences);
    ASSERT_EQ(store.load().status, AccountStore::Loaded::Status::unreadable);
    const GitHubAccount mona = AccountStore::newAccount(u"mona"_s);
    store.add(mona);
    AccountStore again(preferences);
    ASSERT_EQ(again.load().status, AccountStore::Loaded::Status::read);
    EXPECT_EQ(again.accounts(), QList<GitHubAccount>{mona});
}

TEST(AccountStore, NewAccountsGetFreshIdentitiesOnTheirServer)
{
    const struct
    {
        const char* name;
        AccountServer server;
        std::optional<QString> host;
        std::optional<QString> clientId;
    } cases[] = {
        {"github.com", {}, std::nullopt, std::nullopt},
        // A client id means something only on the server it was registered on.
        {"github.com with a stray client id", {std::nullopt, u"Iv1.x"_s}, std::nullopt, std::nullopt},
        {"Enterprise", {u"ghe.example.com:8443"_s, u"Iv1.x"_s}, u"ghe.example.com:8443"_s, u"Iv1.x"_s},
    };
    const QRegularExpression identifier(
        u"^github_token_[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"_s);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GitHubAccount account = AccountStore::newAccount(u"mona"_s, u"Home"_s, c.server);
        EXPECT_EQ(account.username, u"mona"_s);
        EXPECT_EQ(account.label, u"Home"_s);
        EXPECT_EQ(account.host, c.host);
        EXPECT_EQ(account.oauthClientId, c.clientId);
        EXPECT_TRUE(identifier.match(account.tokenIdentifier).hasMatch())
            << account.tokenIdentifier.toStdString();
        EXPECT_FALSE(account.id.isNull());
    }
}
