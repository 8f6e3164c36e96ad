#include "ui/pulls/sample_pull_requests.h"

#include "models/pr_view_model.h"

namespace norvane::ui {

void loadSamplePullRequests(PRViewModel& model)
{
    using AS = PullRequest::ApprovalStatus;
    using CI = PullRequest::CIStatus;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString me = model.selectedAccount() ? model.selectedAccount()->username : QStringLiteral("you");
    struct Sample
    {
        const char* id;
        qint64 number;
        const char* path;
        const char* title;
        QString author;
        qint64 createdAgo, updatedAgo; // seconds
        bool requested, yours;
        std::optional<AS> approval;
        CI ci;
        const char* sha;
        int reviews, comments;
    };
    const Sample samples[] = {
        {"test-1", 123, "/example/repo/pull/123", "Add new feature for user authentication",
         QStringLiteral("teammate"), 86400, 7200, true, false, std::nullopt, CI::success, "abc123new", 1, 5},
        {"test-2", 456, "/example/repo/pull/456", "Fix: Resolve memory leak in data loader", me, 2 * 86400,
         3600, false, true, AS::pending, CI::unknown, "def456", 0, 3},
        {"test-3", 789, "/example/repo/pull/789", "Update dependencies to latest versions", me, 3 * 86400,
         7200, false, true, AS::approved, CI::success, "ghi789", 2, 1},
        {"test-4", 101, "/example/repo/pull/101", "Refactor API client for better performance", me, 12 * 3600,
         3 * 3600, false, true, AS::changesRequested, CI::failure, "jkl101", 3, 7},
        {"test-5", 555, "/example/repo/pull/555", "Add analytics tracking for user events", me, 6 * 3600,
         90 * 60, false, true, AS::approved, CI::pending, "mno555", 1, 0},
        {"test-6", 999, "/security/toolkit/pull/999", "Fix critical security vulnerability in auth flow",
         QStringLiteral("security-team"), 3600, 30 * 60, true, false, std::nullopt, CI::success, "pqr999", 0,
         2},
    };
    const QString webBaseURL = model.webBaseURL();
    QList<PullRequest> prs;
    for (const Sample& s : samples) {
        PullRequest p;
        p.id = QString::fromLatin1(s.id);
        p.number = s.number;
        p.title = QString::fromLatin1(s.title);
        p.url = webBaseURL + QString::fromLatin1(s.path);
        p.repository = QString::fromLatin1(s.path).section(QLatin1Char('/'), 1, 2);
        p.author = s.author;
        p.createdAt = now.addSecs(-s.createdAgo);
        p.updatedAt = now.addSecs(-s.updatedAgo);
        p.state = QStringLiteral("open");
        p.reviewRequested = s.requested;
        p.isYourPR = s.yours;
        p.approvalStatus = s.approval;
        p.ciStatus = s.ci;
        p.headSha = QString::fromLatin1(s.sha);
        p.reviewCount = s.reviews;
        p.commentCount = s.comments;
        prs.append(p);
    }

    // What was "seen" of four of them: test-1 got a commit, test-2 comments, test-4 a review and test-5 a
    // change of its checks since.
    SeenStateMap seen;
    seen.insert(QStringLiteral("test-1"), {QStringLiteral("abc123old"), 1, 5, CI::success, std::nullopt});
    seen.insert(QStringLiteral("test-2"), {QStringLiteral("def456"), 0, 1, CI::unknown, AS::pending});
    seen.insert(QStringLiteral("test-4"),
                {QStringLiteral("jkl101"), 2, 7, CI::failure, AS::changesRequested});
    seen.insert(QStringLiteral("test-5"), {QStringLiteral("mno555"), 1, 0, CI::success, AS::approved});
    model.showSample(prs, seen);
}

} // namespace norvane::ui
