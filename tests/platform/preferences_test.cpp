#include "platform/preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace norvane;

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
        const QString file = QStringLiteral("/preferences.ini");
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
        {QStringLiteral("github_accounts"), R"([{"id":"A","username":"ünï"}])"},
        {QStringLiteral("empty_data"), QByteArray()},
        {QStringLiteral("binary"), binary},
        {QStringLiteral("pr_seen_states_0F5C2B1A-3C4D-4E5F-8A9B-0C1D2E3F4A5B"), "{}"},
    };
    const QList<std::pair<QString, QString>> strings = {
        {QStringLiteral("selected_repository"), QStringLiteral("octo/hello-world")},
        {QStringLiteral("selected_sort_option"), QStringLiteral("PR #")},
        {QStringLiteral("empty_string"), QString()},
        {QStringLiteral("at_sign"), QStringLiteral("@ByteArray(not really)")},
        {QStringLiteral("commas_quotes"), QStringLiteral(R"(a, "b", c\d)")},
        {QStringLiteral("multiline"), QStringLiteral("line 1\nline 2\ttab")},
        {QStringLiteral("looks_numeric"), QStringLiteral("42")},
        {QStringLiteral("emoji"), QStringLiteral("👀 Review ✅")},
    };
    const QList<std::pair<QString, QStringList>> lists = {
        {QStringLiteral("blocked_repositories"), {QStringLiteral("octo"), QStringLiteral("acme/widgets")}},
        {QStringLiteral("favorite_repositories"), {}},
        {QStringLiteral("one_item"), {QStringLiteral("only/one")}},
        {QStringLiteral("one_empty_item"), {QString()}},
        {QStringLiteral("tricky_items"),
         {QStringLiteral("a, b"), QStringLiteral("@x"), QStringLiteral("\"q\""), QString(),
          QStringLiteral("ü")}},
    };
    for (const auto& [key, value] : datas)
        m_prefs->setData(key, value);
    for (const auto& [key, value] : strings)
        m_prefs->setString(key, value);
    for (const auto& [key, value] : lists)
        m_prefs->setStringList(key, value);

    Preferences& prefs = reopened();
    for (const auto& [key, value] : datas) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_TRUE(prefs.data(key).has_value());
        EXPECT_EQ(*prefs.data(key), value);
    }
    for (const auto& [key, value] : strings) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_TRUE(prefs.string(key).has_value());
        EXPECT_EQ(*prefs.string(key), value);
    }
    for (const auto& [key, value] : lists) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_TRUE(prefs.stringList(key).has_value());
        EXPECT_EQ(*prefs.stringList(key), value);
    }
    const QStringList keys = prefs.keys();
    EXPECT_EQ(keys.size(), datas.size() + strings.size() + lists.size());
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

TEST_P(PreferencesTest, OverwriteAndRemoveAreKeptAcrossARestart)
{
    m_prefs->setString(QStringLiteral("selected_repository"), QStringLiteral("a/b"));
    m_prefs->setString(QStringLiteral("selected_repository"), QStringLiteral("c/d"));
    m_prefs->setData(QStringLiteral("notification_settings"), "{}");
    m_prefs->remove(QStringLiteral("notification_settings"));
    m_prefs->remove(QStringLiteral("never_written")); // harmless

    Preferences& prefs = reopened();
    EXPECT_EQ(prefs.string(QStringLiteral("selected_repository")), QStringLiteral("c/d"));
    EXPECT_FALSE(prefs.data(QStringLiteral("notification_settings")).has_value());
    EXPECT_EQ(prefs.keys(), QStringList{QStringLiteral("selected_repository")});
}

TEST_P(PreferencesTest, AMissingKeyOrAValueOfAnotherKindReadsAsAbsent)
{
    m_prefs->setData(QStringLiteral("data"), "[1]");
    m_prefs->setString(QStringLiteral("text"), QStringLiteral("x, y"));
    m_prefs->setStringList(QStringLiteral("list"), {QStringLiteral("x"), QStringLiteral("y")});

    Preferences& prefs = reopened();
    EXPECT_FALSE(prefs.data(QStringLiteral("missing")).has_value());
    EXPECT_FALSE(prefs.string(QStringLiteral("missing")).has_value());
    EXPECT_FALSE(prefs.stringList(QStringLiteral("missing")).has_value());
    EXPECT_FALSE(prefs.string(QStringLiteral("data")).has_value());
    EXPECT_FALSE(prefs.stringList(QStringLiteral("data")).has_value());
    EXPECT_FALSE(prefs.data(QStringLiteral("text")).has_value());
    EXPECT_FALSE(prefs.data(QStringLiteral("list")).has_value());
    EXPECT_FALSE(prefs.string(QStringLiteral("list")).has_value());
}

INSTANTIATE_TEST_SUITE_P(Stores, PreferencesTest, ::testing::ValuesIn(kStores),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsPreferences, AProfileKeepsItsOwnFileApartFromOtherProfiles)
{
    QTemporaryDir root;
    const QString first = root.filePath(QStringLiteral("first/nested"));
    auto a = SettingsPreferences::forProfile(first);
    auto b = SettingsPreferences::forProfile(root.filePath(QStringLiteral("second")));
    a->setString(QStringLiteral("selected_repository"), QStringLiteral("a/b"));

    EXPECT_EQ(a->location(), QDir(first).filePath(QStringLiteral("preferences.ini")));
    EXPECT_TRUE(QFile::exists(a->location())) << "written through at once, not at exit";
    EXPECT_FALSE(b->string(QStringLiteral("selected_repository")).has_value());
}

// Files a user or another program may leave behind. Opening one, reading every key and kind from it and then
// saving must neither crash nor lose the new value.
TEST(SettingsPreferences, ACorruptOrHandEditedFileNeverBreaksReadersOrLaterWrites)
{
    const QList<std::pair<const char*, QByteArray>> files = {
        {"random bytes", QByteArray("\x8f\x00\xff[\x01=\xfe\n\x00\x00@Variant(", 20)},
        {"unterminated byte array", "[General]\ngithub_accounts=@ByteArray([{\"id\":\n"},
        {"variant of an unknown type",
         "[General]\ngithub_accounts=@Variant(\\0\\0\\x3\\xe8\\0\\0\\0\\x5junk)\n"},
        {"variant claiming a huge string",
         "[General]\nselected_repository=@Variant(\\0\\0\\0\\n\\0\\x7f\\xff\\xff\\xff\\xff)\n"},
        {"truncated variant list", "[General]\nblocked_repositories=@Variant(\\0\\0\\0\\t\\0\\0\\x10\\0)\n"},
        {"hand-written plain text", "[General]\ngithub_accounts=[{\"id\": \"x\"}]\nwatched_repos=\n"},
        {"broken lines",
         "github_accounts\n=\n[General\n\"unbalanced=\"\nkey=\"a, b\nnotification_settings=@Invalid(\n"},
        {"numbers and lists where text is expected",
         "[General]\nselected_sort_option=1, 2, "
         "3\nselected_repository=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x7)\n"},
        {"an empty file", ""},
    };
    const QStringList keys = {QStringLiteral("github_accounts"),
                              QStringLiteral("selected_repository"),
                              QStringLiteral("blocked_repositories"),
                              QStringLiteral("selected_sort_option"),
                              QStringLiteral("notification_settings"),
                              QStringLiteral("watched_repos"),
                              QStringLiteral("key"),
                              QStringLiteral("General/github_accounts")};
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        {
            QFile file(dir.filePath(QStringLiteral("preferences.ini")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        auto prefs = SettingsPreferences::forProfile(dir.path());
        for (const QString& key : prefs->keys() + keys) {
            (void)prefs->data(key);
            (void)prefs->string(key);
            (void)prefs->stringList(key);
        }
        prefs->setString(QStringLiteral("selected_repository"), QStringLiteral("safe/value"));
        auto next = SettingsPreferences::forProfile(dir.path());
        EXPECT_EQ(next->string(QStringLiteral("selected_repository")), QStringLiteral("safe/value"));
    }
}

TEST(SettingsPreferences, HandWrittenListsAndTextReadAsTheKindTheyLookLike)
{
    QTemporaryDir dir;
    {
        QFile file(dir.filePath(QStringLiteral("preferences.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nblocked_repositories=octo, acme/widgets\nfavorite_repositories=one/repo\n"
                   "github_accounts=[1]\n");
    }
    auto prefs = SettingsPreferences::forProfile(dir.path());
    EXPECT_EQ(prefs->stringList(QStringLiteral("blocked_repositories")),
              (QStringList{QStringLiteral("octo"), QStringLiteral("acme/widgets")}));
    EXPECT_EQ(prefs->stringList(QStringLiteral("favorite_repositories")),
              QStringList{QStringLiteral("one/repo")});
    // Binary values must be written as such: plain text is not taken for stored JSON data.
    EXPECT_FALSE(prefs->data(QStringLiteral("github_accounts")).has_value());
}

TEST(SettingsPreferences, AnUnwritableProfileLosesWritesWithoutCrashing)
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("not-a-directory"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto prefs = SettingsPreferences::forProfile(blocker); // a file where the directory should be
    prefs->setString(QStringLiteral("selected_repository"), QStringLiteral("a/b"));
    prefs->remove(QStringLiteral("selected_repository"));
    EXPECT_FALSE(QFileInfo(blocker).isDir());
}

} // namespace

namespace {

// A file that cannot be what QSettings wrote is moved aside whole and the store starts empty; anything
// QSettings could have written, or a person could have typed, is read where it is.
TEST(SettingsPreferences, ADamagedFileIsKeptAsideAndTheStoreStartsEmpty)
{
    const QByteArray sound = "[General]\nselected_repository=octo/api\n"
                             "github_accounts=\"@ByteArray([{\\\"id\\\":\\\"E621E1F8\\\"}])\"\n";
    const struct
    {
        const char* name;
        QByteArray contents;
        bool setAside;
    } cases[] = {
        {"sound file", sound, false},
        {"empty file", "", false},
        {"hand-edited without a final line feed", "[General]\nselected_repository=octo/api", false},
        {"cut inside a quoted value", sound.left(sound.size() - 12), true},
        {"cut inside a byte array", "[General]\nselected_repository=octo/api\ngithub_accounts=@ByteArray([{",
         true},
        {"zero-filled after a power cut", QByteArray(4096, '\0'), true},
        {"NUL bytes in the middle", sound + QByteArray(8, '\0') + sound, true},
        {"not UTF-8", "[General]\nselected_repository=caf\xe9/api\n", true},
        {"not INI", "[General\nselected_repository=octo/api\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("preferences.ini"));
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.contents);
        }
        auto prefs = SettingsPreferences::forProfile(dir.path());
        ASSERT_EQ(prefs->setAsidePath().has_value(), c.setAside);
        if (!c.setAside) {
            EXPECT_FALSE(prefs->setAsideNotice().has_value());
            continue;
        }
        EXPECT_TRUE(prefs->keys().isEmpty());
        const QString aside = *prefs->setAsidePath();
        EXPECT_TRUE(QFileInfo(aside).fileName().startsWith(QStringLiteral("preferences.ini.corrupt-")));
        QFile kept(aside);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), c.contents);
        EXPECT_TRUE(prefs->setAsideNotice()->contains(aside));
        // Written values go to a new file; the damaged one is never touched again, and is reported once.
        prefs->setString(QStringLiteral("selected_repository"), QStringLiteral("new/value"));
        EXPECT_EQ(SettingsPreferences::forProfile(dir.path())->setAsidePath(), std::nullopt);
        kept.seek(0);
        EXPECT_EQ(kept.readAll(), c.contents);
    }
}

TEST(SettingsPreferences, ReadersThatNeverWriteReadADamagedFileWhereItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preferences.ini"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nselected_repository=octo/api\ngithub_accounts=@ByteArray([{");
    }
    auto prefs = SettingsPreferences::forProfile(dir.path(), SettingsPreferences::OnDamage::readAsIs);
    EXPECT_EQ(prefs->string(QStringLiteral("selected_repository")), QStringLiteral("octo/api"));
    EXPECT_EQ(prefs->setAsidePath(), std::nullopt);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("preferences.ini")});
}

} // namespace
