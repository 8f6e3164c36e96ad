#include "models/pr_model_fixture.h"
#include "models/watched_repo_store.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace norvane;
using namespace norvane::testing;

namespace {

const QUuid kMona = QUuid::fromString(u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s);
const QUuid kTheo = QUuid::fromString(u"0F9AFC2B-8D3C-4E0E-9E55-1C2B3D4E5F60"_s);
const QUuid kWatched = QUuid::fromString(u"6D6F6E61-0000-4000-8000-000000000003"_s);

// A preferences file as this and earlier versions write it, every key set to a value other than its
// default, with what a later version added: a key of its own, an account field and a notification switch.
const QByteArray kTodaysFile =
    R"ini([General]
activity_feed_enabled=false
blocked_repositories=acme, spam/x
favorite_repositories=acme/web
github_accounts="@ByteArray([{\"avatarUrl\":\"https://a/1.png\",\"id\":\"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\",\"tokenIdentifier\":\"github_token_1\",\"username\":\"mona\"},{\"host\":\"ghe.example.com\",\"id\":\"0F9AFC2B-8D3C-4E0E-9E55-1C2B3D4E5F60\",\"label\":\"Work\",\"oauthClientId\":\"Iv1.abc\",\"tokenIdentifier\":\"github_token_2\",\"username\":\"theo\"}])"
later_version_setting=kept
notification_settings="@ByteArray({\"notifyOnApproval\":false,\"notifyOnChangesRequested\":true,\"notifyOnMerge\":false,\"notifyOnReviewRequest\":true,\"pollingIntervalMinutes\":5})"
pr_sections_E621E1F8-C36C-495A-93FC-0C247A3E6E5F="@ByteArray([{\"name\":\"Urgent\",\"notify\":true,\"query\":\"label:urgent\"}])"
pr_seen_states_E621E1F8-C36C-495A-93FC-0C247A3E6E5F="@ByteArray({\"gh-1\":{\"approvalStatus\":\"approved\",\"ciStatus\":\"success\",\"commentCount\":2,\"headSha\":\"abc\",\"reviewCount\":1}})"
pr_snoozes_E621E1F8-C36C-495A-93FC-0C247A3E6E5F="@ByteArray({\"gh-1\":{\"at\":818000000,\"changesRequested\":false,\"reviewRequested\":true,\"until\":818086400}})"
selected_repository=acme/api
selected_sort_option=PR #
tray_icon_style=dark
watched_repos="@ByteArray([{\"accountId\":\"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\",\"fullName\":\"acme/api\",\"id\":\"6D6F6E61-0000-4000-8000-000000000003\"}])"
)ini";

class StoredPreferencesTest : public PRModelTest
{
protected:
    // Writes the preferences file and reads it as the model's preferences.
    void writeFile(const QByteArray& contents)
    {
        ASSERT_TRUE(dir.isValid());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contents), contents.size());
        file.close();
        profile = SettingsPreferences::forProfile(dir.path());
    }
    QByteArray readFile() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString path() const { return QDir(dir.path()).filePath(u"preferences.ini"_s); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(StoredPreferencesTest, AFileOfTodaysFormReadsAsItWasWrittenAndIsWrittenBackUnchanged)
{
    writeFile(kTodaysFile);
    PRViewModel& m = makeModel();
    ASSERT_FALSE(profile->location().isEmpty());

    EXPECT_EQ(m.notificationSettings(), (NotificationSettings{true, true, false, 5}));
    EXPECT_EQ(m.blockedRepositories(), (QSet<QString>{u"acme"_s, u"spam/x"_s}));
    EXPECT_EQ(m.favoriteRepositories(), QSet<QString>{u"acme/web"_s});
    EXPECT_EQ(m.selectedRepository(), u"acme/api"_s);
    EXPECT_EQ(m.selectedSortOption(), PRSortOption::prNumber);
    EXPECT_EQ(m.trayIconStyle(), TrayIconStyle::dark);
    EXPECT_FALSE(m.checksActivityFeed());

    m.loadAccounts();
    const GitHubAccount mona{kMona, u"mona"_s, u"github_token_1"_s, std::nullopt};
    const GitHubAccount theo{kTheo,       u"theo"_s, u"github_token_2"_s, u"Work"_s, u"ghe.example.com"_s,
                             u"Iv1.abc"_s};
    EXPECT_EQ(m.accounts(), (QList<GitHubAccount>{mona, theo}));
    EXPECT_EQ(m.selectedAccount(), mona);
    EXPECT_TRUE(waitUntil([&] { return !m.isRefreshing(); }));

    // The selected account's seen state.
    PullRequest seen;
    seen.id = u"gh-1"_s;
    seen.headSha = u"abc"_s;
    seen.reviewCount = 1;
    seen.commentCount = 2;
    seen.ciStatus = PullRequest::CIStatus::success;
    seen.approvalStatus = PullRequest::ApprovalStatus::approved;
    EXPECT_EQ(m.seenStates(), (SeenStateMap{{u"gh-1"_s, PRSeenState::snapshot(seen)}}));
    EXPECT_EQ(m.snoozeOf(u"gh-1"_s)->until, fromStoredTimestamp(818086400));

    WatchedRepoStore watched(profile);
    EXPECT_EQ(watched.watchedRepos(), (QList<WatchedRepo>{{kWatched, u"acme/api"_s, kMona}}));

    // Every value written again as it was read: the file is byte for byte what it was, the later version's
    // key and fields included.
    m.saveAccounts();
    m.saveNotificationSettings();
    m.saveRepositorySettings();
    m.setTrayIconStyle(TrayIconStyle::light);
    m.setTrayIconStyle(TrayIconStyle::dark);
    m.setChecksActivityFeed(true);
    m.setChecksActivityFeed(false);
    m.markAsSeen(seen);
    watched.remove(QUuid::createUuid()); // removes nothing, saves the list
    EXPECT_EQ(readFile().toStdString(), kTodaysFile.toStdString());

    // A change keeps the later version's switch.
    NotificationSettings settings = m.notificationSettings();
    settings.pollingIntervalMinutes = 7;
    m.setNotificationSettings(settings);
    m.saveNotificationSettings();
    const QJsonObject written = QJsonDocument::fromJson(*profile->data(u"notification_settings"_s)).object();
    EXPECT_EQ(written.value(u"notifyOnMerge"_s), QJsonValue(false));
    EXPECT_EQ(written.value(u"pollingIntervalMinutes"_s), QJsonValue(7));
}

TEST_F(StoredPreferencesTest, AnEmptyFileReadsAsEveryDefault)
{
    writeFile("");
    PRViewModel& m = makeModel();
    m.loadAccounts();
    EXPECT_TRUE(m.accounts().isEmpty());
    EXPECT_EQ(m.notificationSettings(), NotificationSettings{});
    EXPECT_TRUE(m.blockedRepositories().isEmpty());
    EXPECT_TRUE(m.favoriteRepositories().isEmpty());
    EXPECT_FALSE(m.selectedRepository().has_value());
    EXPECT_EQ(m.selectedSortOption(), PRSortOption::updated);
    EXPECT_EQ(m.trayIconStyle(), TrayIconStyle::automatic);
    EXPECT_TRUE(m.checksActivityFeed());
    EXPECT_TRUE(WatchedRepoStore(profile).watchedRepos().isEmpty());
    // Reading wrote nothing.
    EXPECT_FALSE(m.isRefreshing());
    EXPECT_TRUE(profile->keys().isEmpty());
    EXPECT_EQ(readFile(), QByteArray());

    // A sort only a newer version knows reads as the default and stays stored until the user picks one.
    profile->setString(u"selected_sort_option"_s, u"Reviewed"_s);
    PRViewModel& again = makeModel();
    EXPECT_EQ(again.selectedSortOption(), PRSortOption::updated);
    again.toggleFavorite(u"acme/api"_s);
    EXPECT_EQ(profile->string(u"selected_sort_option"_s), u"Reviewed"_s);
    again.setSelectedSortOption(PRSortOption::updated);
    again.saveRepositorySettings();
    EXPECT_EQ(profile->string(u"selected_sort_option"_s), u"Updated"_s);
}
