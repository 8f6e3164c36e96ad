#include "core/json_reader.h"
#include "core/pr_rules.h"
#include "core/relative_time.h"
#include "support/translations.h"
#include "core/search_section.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using AS = PullRequest::ApprovalStatus;
using CI = PullRequest::CIStatus;

namespace {

const QDateTime kBase = QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

PullRequest pr(const char* id, const char* repo, int hoursAgo = 0)
{
    PullRequest p;
    p.id = QString::fromLatin1(id);
    p.repository = QString::fromLatin1(repo);
    p.updatedAt = kBase.addSecs(-3600 * hoursAgo);
    p.createdAt = p.updatedAt;
    p.state = u"open"_s;
    return p;
}

// A pull request as the badge sees it.
PullRequest badgePR(bool yours, bool requested, bool assigned, std::optional<AS> approval)
{
    PullRequest p = pr("x", "o/r");
    p.isYourPR = yours;
    p.reviewRequested = requested;
    p.isAssigned = assigned;
    p.approvalStatus = approval;
    return p;
}

QStringList ids(const QList<PullRequest>& prs)
{
    QStringList out;
    for (const auto& p : prs)
        out.append(p.id);
    return out;
}

QStringList names(const QList<PRUpdateType>& types)
{
    QStringList out;
    for (auto t : types)
        out.append(rawValue(t));
    return out;
}

} // namespace

TEST(SeenState, ChangesTable)
{
    PRSeenState seen{u"aaa"_s, 2, 5, CI::pending, AS::pending};
    struct Case
    {
        const char* name;
        std::function<void(PullRequest&)> edit;
        QStringList expected;
    };
    const Case cases[] = {
        {"unchanged", [](PullRequest&) {}, {}},
        {"new head", [](PullRequest& p) { p.headSha = u"bbb"_s; }, {u"newCommits"_s}},
        {"more reviews", [](PullRequest& p) { p.reviewCount = 3; }, {u"newReview"_s}},
        {"fewer reviews", [](PullRequest& p) { p.reviewCount = 1; }, {}},
        {"more comments", [](PullRequest& p) { p.commentCount = 6; }, {u"newComments"_s}},
        {"ci pending to failure", [](PullRequest& p) { p.ciStatus = CI::failure; }, {u"ciStatusChanged"_s}},
        {"ci to unknown", [](PullRequest& p) { p.ciStatus = CI::unknown; }, {}},
        {"approval alone is not an update", [](PullRequest& p) { p.approvalStatus = AS::approved; }, {}},
        {"enrichment failed",
         [](PullRequest& p) {
             p.headSha.reset();
             p.reviewCount.reset();
             p.commentCount.reset();
             p.ciStatus.reset();
         },
         {}},
        {"everything, in order",
         [](PullRequest& p) {
             p.ciStatus = CI::success;
             p.commentCount = 9;
             p.reviewCount = 4;
             p.headSha = u"ccc"_s;
         },
         {u"newCommits"_s, u"newReview"_s, u"newComments"_s, u"ciStatusChanged"_s}},
    };
    for (const Case& c : cases) {
        PullRequest p = pr("gh-1", "o/r");
        p.headSha = u"aaa"_s;
        p.reviewCount = 2;
        p.commentCount = 5;
        p.ciStatus = CI::pending;
        c.edit(p);
        EXPECT_EQ(names(seen.changes(p)), c.expected) << c.name;
    }

    // A snapshot taken before CI was known never flags a later verdict.
    PRSeenState unknownCI{u"aaa"_s, 0, 0, CI::unknown, std::nullopt};
    PullRequest p = pr("gh-1", "o/r");
    p.ciStatus = CI::success;
    EXPECT_TRUE(unknownCI.changes(p).isEmpty());
    EXPECT_TRUE(PRSeenState::snapshot(p).changes(p).isEmpty());
}

TEST(Filters, InclusionTable)
{
    struct Case
    {
        bool yours, requested, assigned, draft;
        std::optional<AS> approval;
        QList<PRFilter> included;
    };
    using F = PRFilter;
    const Case cases[] = {
        {false, true, false, false, std::nullopt, {F::all, F::needsReview}},
        {false, false, true, false, AS::approved, {F::all, F::needsReview}},
        {true, false, false, false, AS::pending, {F::all, F::myPending}},
        {true, false, false, false, AS::approved, {F::all, F::myApproved}},
        {true, false, true, false, AS::changesRequested, {F::all, F::needsReview, F::myChanges}},
        // My draft is a draft whatever its reviews say.
        {true, false, false, true, AS::pending, {F::all, F::drafts}},
        {true, false, false, true, AS::approved, {F::all, F::drafts}},
        {true, false, false, true, AS::changesRequested, {F::all, F::drafts}},
        {true, false, false, false, std::nullopt, {F::all}},
        {false, false, false, true, AS::pending, {F::all}},
    };
    for (const Case& c : cases) {
        PullRequest p = pr("gh-1", "o/r");
        p.isYourPR = c.yours;
        p.reviewRequested = c.requested;
        p.isAssigned = c.assigned;
        p.isDraft = c.draft;
        p.approvalStatus = c.approval;
        for (F f : kAllFilters)
            EXPECT_EQ(filterIncludes(f, p), c.included.contains(f)) << rawValue(f).toStdString();
    }
    // A review asked of the user's team is a review request too.
    PullRequest team = badgePR(false, true, false, std::nullopt);
    team.requestedTeam = u"o/web"_s;
    EXPECT_TRUE(filterIncludes(F::needsReview, team));
    EXPECT_EQ(prFilterFromRaw(u"Review"_s), F::needsReview);
    EXPECT_FALSE(prFilterFromRaw(u"needsReview"_s).has_value());
}

TEST(Sorting, EachOptionIsStable)
{
    QList<PullRequest> prs{pr("a", "alpha/y", 1), pr("b", "Zeta/x", 3), pr("c", "alpha/y", 5),
                           pr("d", "Zeta/x", 3)};
    prs[0].number = 5;
    prs[1].number = 9;
    prs[2].number = 9;
    prs[3].number = 1;
    prs[0].createdAt = kBase.addDays(-10);
    // A record without times (a stored one can lack them) sorts as older than any time, as QDateTime orders.
    prs.append(pr("e", "alpha/y"));
    prs[4].number = 7;
    prs[4].updatedAt = prs[4].createdAt = QDateTime();
    const std::pair<PRSortOption, const char*> cases[] = {
        {PRSortOption::updated, "a,b,d,c,e"},
        {PRSortOption::created, "b,d,c,a,e"},
        {PRSortOption::repository,
         "b,d,e,c,a"}, // Zeta before alpha; oldest update first within one repository
        {PRSortOption::prNumber, "b,c,e,a,d"},
    };
    for (const auto& [option, expected] : cases) {
        QList<PullRequest> copy = prs;
        sortPullRequests(copy, option);
        EXPECT_EQ(ids(copy).join(u','), QString::fromLatin1(expected)) << rawValue(option).toStdString();
    }
    EXPECT_EQ(prSortOptionFromRaw(u"PR #"_s), PRSortOption::prNumber);
    EXPECT_FALSE(prSortOptionFromRaw(u"prNumber"_s).has_value());
}

TEST(RepositoryScope, BlockingRules)
{
    const QSet<QString> blocked{u"acme"_s, u"other/x"_s};
    const std::pair<const char*, bool> cases[] = {
        {"acme/api", true}, {"acme/web", true}, {"acme-labs/api", false}, {"Acme/api", false},
        {"other/x", true},  {"other/y", false}, {"/acme/z", true},        {"acme", true},
    };
    for (const auto& [repo, expected] : cases)
        EXPECT_EQ(isBlocked(QString::fromLatin1(repo), blocked), expected) << repo;

    QSet<QString> set{u"acme/api"_s, u"other/x"_s, u"acme/web"_s};
    addOwnerBlock(set, u"acme"_s);
    EXPECT_EQ(set, (QSet<QString>{u"acme"_s, u"other/x"_s}));
}

TEST(RepositoryScope, FilteredListCountsAndMenu)
{
    QList<PullRequest> prs{pr("1", "m/m", 1), pr("2", "a/b", 2), pr("3", "z/z", 3), pr("4", "blocked/q", 4),
                           pr("5", "a/b", 5)};
    prs[0].reviewRequested = true;
    prs[1].reviewRequested = true;
    prs[3].reviewRequested = true;
    const QSet<QString> blocked{u"blocked"_s};

    PRScope scope;
    scope.blocked = blocked;
    scope.filter = PRFilter::needsReview;
    EXPECT_EQ(ids(filteredPullRequests(prs, scope)), (QStringList{u"1"_s, u"2"_s}));
    scope.repository = u"a/b"_s;
    EXPECT_EQ(ids(filteredPullRequests(prs, scope)), QStringList{u"2"_s});
    // Tab counts ignore the selected repository.
    EXPECT_EQ(countForFilter(prs, PRFilter::needsReview, blocked), 2);
    EXPECT_EQ(countForFilter(prs, PRFilter::all, blocked), 4);
    // Repository counts ignore blocks and filters.
    EXPECT_EQ(countForRepository(prs, u"a/b"_s), 2);
    EXPECT_EQ(countForRepository(prs, u"blocked/q"_s), 1);

    EXPECT_EQ(availableRepositories(prs, blocked, {u"z/z"_s, u"a/b"_s}),
              (QStringList{u"a/b"_s, u"z/z"_s, u"m/m"_s}));
}

TEST(Badge, ColourCountAndTheTrayToolTipSayingWhatItCounts)
{
    const PullRequest request = badgePR(false, true, false, std::nullopt);
    const PullRequest changes = badgePR(true, false, false, AS::changesRequested);
    const PullRequest approved = badgePR(true, false, false, AS::approved);
    PullRequest team = request;
    team.requestedTeam = u"o/web"_s;
    PullRequest teamAssigned = team;
    teamAssigned.isAssigned = true;
    struct Case
    {
        QList<PullRequest> prs;
        BadgeColor color;
        QString expected;
        bool teamRequests = true;
    };
    const Case cases[] = {
        {{}, BadgeColor::none, "Norvane"},
        // Neither the user's pending pull request nor others' approvals count.
        {{badgePR(true, false, false, AS::pending), badgePR(false, false, false, AS::approved)},
         BadgeColor::none,
         "Norvane"},
        {{approved}, BadgeColor::purple, "Norvane\n1 pull request needs you: 1 approved"},
        {{request}, BadgeColor::blue, "Norvane\n1 pull request needs you: 1 review request"},
        {{approved, request},
         BadgeColor::blue,
         "Norvane\n2 pull requests need you: 1 review request, 1 approved"},
        {{request, request, request, changes, approved},
         BadgeColor::red,
         "Norvane\n5 pull requests need you: 3 review requests, 1 with changes requested, 1 approved"},
        // Requested and assigned counts once, as a review request; the user's own pull request assigned to
        // the user counts in both of its parts.
        {{badgePR(false, true, true, std::nullopt), badgePR(true, false, true, AS::changesRequested)},
         BadgeColor::red,
         "Norvane\n3 pull requests need you: 1 review request, 1 assigned to you, 1 with changes requested"},
        // A team's review request counts unless its switch is off; an assignment counts whatever it says.
        {{team, request}, BadgeColor::blue, "Norvane\n2 pull requests need you: 2 review requests"},
        {{team, request}, BadgeColor::blue, "Norvane\n1 pull request needs you: 1 review request", false},
        {{team, approved}, BadgeColor::purple, "Norvane\n1 pull request needs you: 1 approved", false},
        {{teamAssigned}, BadgeColor::blue, "Norvane\n1 pull request needs you: 1 assigned to you", false},
    };
    for (const Case& c : cases) {
        const BadgeCounts counts = badgeCounts(c.prs, c.teamRequests);
        EXPECT_EQ(trayToolTip(counts), c.expected);
        EXPECT_EQ(badgeFor(c.prs, c.teamRequests), (Badge{c.color, counts.total()}))
            << c.expected.toStdString();
    }
    QList<PullRequest> many;
    for (int i = 0; i < 1000; ++i)
        many.append(request);
    EXPECT_EQ(trayToolTip(badgeCounts(many)), "Norvane\n1000 pull requests need you: 1000 review requests")
        << "the exact count, however large";
    // A rejected token adds its line whether or not anything needs the user.
    EXPECT_EQ(trayToolTip(BadgeCounts{}, u"theo"_s), "Norvane\nGitHub no longer accepts the token for theo.");
    EXPECT_EQ(
        trayToolTip(badgeCounts({request}), u"theo"_s),
        "Norvane\n1 pull request needs you: 1 review request\nGitHub no longer accepts the token for theo.");
}

TEST(RelativeTime, TheLargestWholeUnitInAbbreviatedEnglish)
{
    const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);
    struct Case
    {
        qint64 secondsAgo;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0 sec. ago"},         {59, "59 sec. ago"},       {60, "1 min. ago"},
        {3599, "59 min. ago"},     {3600, "1 hr. ago"},       {86399, "23 hr. ago"},
        {86400, "1 day ago"},      {6 * 86400, "6 days ago"}, {7 * 86400, "1 wk. ago"},
        {29 * 86400, "4 wk. ago"}, {-5 * 60, "in 5 min."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(relativeTimeText(now.addSecs(-c.secondsAgo), now), QString::fromUtf8(c.expected))
            << c.secondsAgo;
}

TEST(RelativeTime, MonthsAndYearsFollowTheCalendar)
{
    const QDateTime now(QDate(2026, 3, 31), QTime(12, 0), Qt::UTC);
    const std::pair<const char*, const char*> cases[] = {
        {"2026-03-01T12:00:00Z", "4 wk. ago"}, {"2026-02-28T12:00:00Z", "1 mo. ago"},
        {"2026-01-31T12:00:00Z", "2 mo. ago"}, {"2026-01-31T12:01:00Z", "1 mo. ago"},
        {"2025-03-31T12:00:00Z", "1 yr. ago"}, {"2023-04-01T12:00:00Z", "2 yr. ago"},
        {"2027-05-01T12:00:00Z", "in 1 yr."},
    };
    for (const auto& [then, expected] : cases)
        EXPECT_EQ(relativeTimeText(QDateTime::fromString(QLatin1String(then), Qt::ISODate), now),
                  QLatin1String(expected))
            << then;
}

// Polish has three forms (1; 2-4, 22-24; 5-21, 25), German two: each language takes its own.
TEST(RelativeTime, PluralFormsInGermanAndPolish)
{
    const QDateTime now(QDate(2026, 3, 31), QTime(12, 0), Qt::UTC);
    struct Case
    {
        const char* language;
        int days;  // ago when positive, ahead when negative
        int years; // ago
        const char* expected;
    };
    const Case cases[] = {
        {"pl", 1, 0, "1 dzień temu"}, {"pl", 2, 0, "2 dni temu"},     {"pl", 5, 0, "5 dni temu"},
        {"pl", -2, 0, "za 2 dni"},    {"pl", 0, 1, "1 rok temu"},     {"pl", 0, 2, "2 lata temu"},
        {"pl", 0, 5, "5 lat temu"},   {"pl", 0, 22, "22 lata temu"},  {"pl", 0, 25, "25 lat temu"},
        {"de", 1, 0, "vor 1 Tag"},    {"de", 5, 0, "vor 5 Tagen"},    {"de", -1, 0, "in 1 Tag"},
        {"de", 0, 1, "vor 1 Jahr"},   {"de", 0, 22, "vor 22 Jahren"},
    };
    for (const Case& c : cases) {
        const ScopedTranslation language(QLatin1String(c.language));
        EXPECT_EQ(relativeTimeText(now.addDays(-c.days).addYears(-c.years), now),
                  QString::fromUtf8(c.expected))
            << c.language << " " << c.days << " " << c.years;
    }
}

TEST(SectionRules, SearchTextAddsOnlyWhatTheQueryLeavesOpen)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {u"org:northwind label:urgent"_s, u"org:northwind label:urgent is:pr is:open archived:false"_s},
        {u"  team-review-requested:northwind/web  "_s,
         u"team-review-requested:northwind/web is:pr is:open archived:false"_s},
        {u"is:closed repo:a/b"_s, u"is:closed repo:a/b is:pr archived:false"_s},
        {u"state:closed archived:true"_s, u"state:closed archived:true is:pr"_s},
        {u"-archived:false type:PR is:merged"_s, u"-archived:false type:PR is:merged"_s},
        {u"is:issue is:open archived:false"_s, u"is:issue is:open archived:false"_s},
        // Words that only begin like a qualifier settle nothing.
        {u"label:is:open is:draft"_s, u"label:is:open is:draft is:pr is:open archived:false"_s},
    };
    for (const auto& [query, text] : cases)
        EXPECT_EQ(sectionSearchText(query), text) << query.toStdString();
}

TEST(SectionRules, StoredFormSkipsWhatCannotBeShownAndKeepsTheRest)
{
    const auto names = [](const QList<SearchSection>& sections) {
        QStringList out;
        for (const SearchSection& s : sections)
            out << s.name + u'=' + s.query + (s.notify ? u"!"_s : QString());
        return out.join(u',');
    };
    QByteArray eleven = "[";
    for (int i = 0; i < 11; ++i)
        eleven += QByteArray(i ? "," : "") + R"({"name":"s)" + QByteArray::number(i) + R"(","query":"q"})";
    eleven += "]";
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {R"([{"name":" Urgent ","query":"label:urgent","notify":true},{"name":"Web","query":"org:nw"}])",
         u"Urgent=label:urgent!,Web=org:nw"_s},
        {"", QString()},
        {"not json", QString()},
        {R"({"name":"x","query":"y"})", QString()},
        // Bad entries and a second use of a name (whatever its case) are skipped, the rest kept.
        {R"([1,{"name":"","query":"q"},{"name":"a"},{"name":"A","query":7},{"name":"a","query":"q","notify":"yes"},)"
         R"({"name":"A","query":"r"},null,{"name":"b","query":"s","later":1}])",
         u"a=q,b=s"_s},
        {eleven, u"s0=q,s1=q,s2=q,s3=q,s4=q,s5=q,s6=q,s7=q,s8=q,s9=q"_s},
    };
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(names(sectionsFromStored(stored)), expected) << stored.toStdString();
    const QList<SearchSection> kept = {{u"Web"_s, u"org:nw"_s, true}, {u"Ops"_s, u"label:ops"_s, false}};
    EXPECT_EQ(sectionsFromStored(sectionsToStored(kept)), kept);
}

TEST(SectionRules, ListsThatCannotBeKept)
{
    const SearchSection a{u"A"_s, u"q"_s};
    QList<SearchSection> ten(10, a);
    for (int i = 0; i < 10; ++i)
        ten[i].name += QString::number(i);
    const std::vector<std::pair<QList<SearchSection>, SectionProblem>> cases = {
        {{}, SectionProblem::none},
        {ten, SectionProblem::none},
        {ten + QList<SearchSection>{{u"B"_s, u"q"_s}}, SectionProblem::tooMany},
        {{a, {u" "_s, u"q"_s}}, SectionProblem::emptyName},
        {{{u"B"_s, u"  "_s}}, SectionProblem::emptyQuery},
        {{a, {u" a "_s, u"r"_s}}, SectionProblem::duplicateName},
    };
    for (const auto& [sections, problem] : cases)
        EXPECT_EQ(sectionProblem(sections), problem) << sections.size();
}
