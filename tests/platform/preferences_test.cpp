#include "platform/preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

// Each implementation under the same tests. `reopen` stands for the next launch: for the file-backed store
// a new object reads what the previous one wrote.
struct Store
{
    const char* name;
    std::function<std::unique_ptr<Preferences>(const QString& dir)> open;
    bool persistent;
};

const Store kStores[] = {
    {"in_memory", [](const QString&) { return std::make_unique<InMemoryPreferences>(); }, false},
    {"settings_file", [](const QString& dir) { return SettingsPreferences::forProfile(dir); }, true},
};

class PreferencesTest : public ::testing::TestWithParam<Store>
{
protected:
    QTemporaryDir m_dir;
    QTemporaryDir m_nextLaunch;
    std::unique_ptr<Preferences> m_prefs = GetParam().open(m_dir.path());

    // The store as the next launch sees it. The file is read from a copy at a new path, so nothing can come
    // from what QSettings still caches in this process for the old path.
    Preferences& reopened()
    {
        if (!GetParam().persistent)
            return *m_prefs;
        const QString file = u"/preferences.ini"_s;
        m_prefs.reset();
        EXPECT_TRUE(QFile::copy(m_dir.path() + file, m_nextLaunch.path() + file));
        m_prefs = GetParam().open(m_nextLaunch.path());
        return *m_prefs;
    }
};

TEST_P(PreferencesTest, EveryKindOfValueRoundTripsAcrossARestart)
{
    const QByteArray binary("\x00\x01\xff\xfe\n\r=@[]", 11);
    const QList<std::pair<QString, QByteArray>> datas = {
        {u"github_accounts"_s, R"([{"id":"A","username":"ünï"}])"},
        {u"empty_data"_s, QByteArray()},
        {u"binary"_s, binary},
    };
    const QList<std::pair<QString, QString>> strings = {
        {u"selected_repository"_s, u"octo/hello-world"_s},
        {u"empty_string"_s, QString()},
        {u"at_sign"_s, u"@ByteArray(not really)"_s},
        {u"commas_quotes"_s, QStringLiteral(R"(a, "b", c\d)")},
        {u"multiline"_s, u"line 1\nline 2\ttab"_s},
        {u"looks_numeric"_s, u"42"_s},
    };
    const QList<std::pair<QString, QStringList>> lists = {
        {u"blocked_repositories"_s, {u"octo"_s, u"acme/widgets"_s}},
        {u"favorite_repositories"_s, {}},
        {u"one_item"_s, {u"only/one"_s}},
        {u"one_empty_item"_s, {QString()}},
        {u"tricky_items"_s, {u"a, b"_s, u"@x"_s, u"\"q\""_s, QString(), u"ü"_s}},
    };
    for (const auto& [key, value] : datas)
        m_prefs->setData(key, value);
    for (const auto& [key, value] : strings)
        m_prefs->setString(key, value);
    for (const auto& [key, value] : lists)
        m_prefs->setStringList(key, value);

    Preferences& prefs = reopened();
    const auto expectKept = [](const auto& pairs, const auto& read) {
        for (const auto& [key, value] : pairs)
            EXPECT_EQ(read(key), std::optional(value)) << key.toStdString();
    };
    expectKept(datas, [&](const QString& key) { return prefs.data(key); });
    expectKept(strings, [&](const QString& key) { return prefs.string(key); });
    expectKept(lists, [&](const QString& key) { return prefs.stringList(key); });
    const QStringList keys = prefs.keys();
    EXPECT_EQ(keys.size(), datas.size() + strings.size() + lists.size());
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

TEST_P(PreferencesTest, OverwriteRemoveAndAValueOfAnotherKindAreKeptAcrossARestart)
{
    m_prefs->setString(u"selected_repository"_s, u"a/b"_s);
    m_prefs->setString(u"selected_repository"_s, u"c/d"_s);
    m_prefs->setData(u"notification_settings"_s, "{}");
    m_prefs->remove(u"notification_settings"_s);
    m_prefs->remove(u"never_written"_s); // harmless
    m_prefs->setData(u"data"_s, "[1]");
    m_prefs->setStringList(u"list"_s, {u"x"_s, u"y"_s});

    Preferences& prefs = reopened();
    EXPECT_EQ(prefs.string(u"selected_repository"_s), u"c/d"_s);
    EXPECT_FALSE(prefs.data(u"notification_settings"_s).has_value());
    EXPECT_EQ(prefs.keys(), (QStringList{u"data"_s, u"list"_s, u"selected_repository"_s}));
    // A missing key, or a value of another kind, reads as absent.
    EXPECT_FALSE(prefs.data(u"missing"_s).has_value());
    EXPECT_FALSE(prefs.string(u"missing"_s).has_value());
    EXPECT_FALSE(prefs.stringList(u"missing"_s).has_value());
    EXPECT_FALSE(prefs.string(u"data"_s).has_value());
    EXPECT_FALSE(prefs.stringList(u"data"_s).has_value());
    EXPECT_FALSE(prefs.data(u"selected_repository"_s).has_value());
    EXPECT_FALSE(prefs.data(u"list"_s).has_value());
    EXPECT_FALSE(prefs.string(u"list"_s).has_value());
}

INSTANTIATE_TEST_SUITE_P(Stores, PreferencesTest, ::testing::ValuesIn(kStores),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsPreferences, AProfileKeepsItsOwnFileApartFromOtherProfiles)
{
    QTemporaryDir root;
    const QString first = root.filePath(u"first/nested"_s);
    auto a = SettingsPreferences::forProfile(first);
    auto b = SettingsPreferences::forProfile(root.filePath(u"second"_s));
    a->setString(u"selected_repository"_s, u"a/b"_s);

    EXPECT_EQ(a->location(), QDir(first).filePath(u"preferences.ini"_s));
    EXPECT_TRUE(QFile::exists(a->location())) << "written through at once, not at exit";
    EXPECT_FALSE(b->string(u"selected_repository"_s).has_value());
}

// Files a user, another program or a crash may leave behind. One that cannot be what QSettings wrote is moved
// aside whole and the store starts empty; anything QSettings could have written, or a person could have
// typed, is read where it is. Either way reading every key and kind must not crash, and a new value is saved.
TEST(SettingsPreferences, ADamagedFileIsKeptAsideAndNoFileBreaksReadersOrLaterWrites)
{
    const QByteArray sound = "[General]\nselected_repository=octo/api\n"
                             "github_accounts=\"@ByteArray([{\\\"id\\\":\\\"E621E1F8\\\"}])\"\n";
    const std::tuple<const char*, QByteArray, bool> cases[] = {
        {"sound file", sound, false},
        {"hand-edited without a final line feed", "[General]\nselected_repository=octo/api", false},
        {"unterminated byte array", "[General]\ngithub_accounts=@ByteArray([{\"id\":\n", false},
        {"variant of an unknown type",
         "[General]\ngithub_accounts=@Variant(\\0\\0\\x3\\xe8\\0\\0\\0\\x5junk)\n", false},
        {"variant claiming a huge string",
         "[General]\nselected_repository=@Variant(\\0\\0\\0\\n\\0\\x7f\\xff\\xff\\xff\\xff)\n", false},
        {"truncated variant list", "[General]\nblocked_repositories=@Variant(\\0\\0\\0\\t\\0\\0\\x10\\0)\n",
         false},
        {"numbers and lists where text is expected",
         "[General]\nselected_sort_option=1, 2, "
         "3\nselected_repository=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x7)\n",
         false},
        {"cut inside a quoted value", sound.left(sound.size() - 12), true},
        {"cut inside a byte array", "[General]\nselected_repository=octo/api\ngithub_accounts=@ByteArray([{",
         true},
        {"NUL bytes in the middle", sound + QByteArray(8, '\0') + sound, true},
        {"not UTF-8", "[General]\nselected_repository=caf\xe9/api\n", true},
        {"not INI", "[General\nselected_repository=octo/api\n", true},
    };
    const QStringList keys = {u"github_accounts"_s,
                              u"selected_repository"_s,
                              u"blocked_repositories"_s,
                              u"selected_sort_option"_s,
                              u"notification_settings"_s,
                              u"watched_repos"_s,
                              u"key"_s,
                              u"General/github_accounts"_s};
    for (const auto& [name, contents, setAside] : cases) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        {
            QFile file(dir.filePath(u"preferences.ini"_s));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        auto prefs = SettingsPreferences::forProfile(dir.path());
        ASSERT_EQ(prefs->setAsidePath().has_value(), setAside);
        for (const QString& key : prefs->keys() + keys) {
            (void)prefs->data(key);
            (void)prefs->string(key);
            (void)prefs->stringList(key);
        }
        QFile kept(prefs->setAsidePath().value_or(QString()));
        if (setAside) {
            EXPECT_TRUE(prefs->keys().isEmpty());
            EXPECT_TRUE(QFileInfo(kept).fileName().startsWith(u"preferences.ini.corrupt-"_s));
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            EXPECT_EQ(kept.readAll(), contents);
            EXPECT_TRUE(prefs->setAsideNotice()->contains(kept.fileName()));
        } else {
            EXPECT_FALSE(prefs->setAsideNotice().has_value());
        }
        // Written values go to a new file; a damaged one is never touched again, and is reported once.
        prefs->setString(u"selected_repository"_s, u"safe/value"_s);
        auto next = SettingsPreferences::forProfile(dir.path());
        EXPECT_EQ(next->string(u"selected_repository"_s), u"safe/value"_s);
        EXPECT_EQ(next->setAsidePath(), std::nullopt);
        if (setAside) {
            kept.seek(0);
            EXPECT_EQ(kept.readAll(), contents);
        }
    }
}

TEST(SettingsPreferences, HandWrittenListsAndTextReadAsTheKindTheyLookLike)
{
    QTemporaryDir dir;
    {
        QFile file(dir.filePath(u"preferences.ini"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nblocked_repositories=octo, acme/widgets\nfavorite_repositories=one/repo\n"
                   "github_accounts=[1]\n");
    }
    auto prefs = SettingsPreferences::forProfile(dir.path());
    EXPECT_EQ(prefs->stringList(u"blocked_repositories"_s), (QStringList{u"octo"_s, u"acme/widgets"_s}));
    EXPECT_EQ(prefs->stringList(u"favorite_repositories"_s), QStringList{u"one/repo"_s});
    // Binary values must be written as such: plain text is not taken for stored JSON data.
    EXPECT_FALSE(prefs->data(u"github_accounts"_s).has_value());
}

TEST(SettingsPreferences, AnUnwritableProfileLosesWritesWithoutCrashing)
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(u"not-a-directory"_s);
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto prefs = SettingsPreferences::forProfile(blocker); // a file where the directory should be
    prefs->setString(u"selected_repository"_s, u"a/b"_s);
    prefs->remove(u"selected_repository"_s);
    EXPECT_FALSE(QFileInfo(blocker).isDir());
}

TEST(SettingsPreferences, ReadersThatNeverWriteReadADamagedFileWhereItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"preferences.ini"_s);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nselected_repository=octo/api\ngithub_accounts=@ByteArray([{");
    }
    auto prefs = SettingsPreferences::forProfile(dir.path(), SettingsPreferences::OnDamage::readAsIs);
    EXPECT_EQ(prefs->string(u"selected_repository"_s), u"octo/api"_s);
    EXPECT_EQ(prefs->setAsidePath(), std::nullopt);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"preferences.ini"_s});
}

} // namespace
