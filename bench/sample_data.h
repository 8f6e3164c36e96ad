#pragma once

#include "core/pr_rules.h"
#include "core/pull_request.h"

#include <QDateTime>
#include <QList>

#include <array>

// Pull requests and unseen updates of every kind the list and the engine tell apart, for the benchmarks.
namespace norvane::bench {

inline QList<PullRequest> samplePullRequests(int count)
{
    using AS = PullRequest::ApprovalStatus;
    using CI = PullRequest::CIStatus;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<PullRequest> prs;
    for (int i = 0; i < count; ++i) {
        PullRequest p;
        p.id = QStringLiteral("gh-%1").arg(i);
        p.number = i + 1;
        p.title = QStringLiteral("Change number %1 to the billing pipeline and its retries").arg(i);
        p.repository = QStringLiteral("acme/repo-%1").arg(i % 17);
        p.url = QStringLiteral("https://github.com/%1/pull/%2").arg(p.repository).arg(p.number);
        p.author = QStringLiteral("author%1").arg(i % 9);
        p.updatedAt = now.addSecs(-60 * i);
        p.createdAt = now.addDays(-i);
        p.reviewRequested = i % 3 == 0;
        p.isYourPR = i % 3 == 1;
        p.isAssigned = i % 5 == 0;
        p.isDraft = i % 11 == 0;
        p.approvalStatus = std::array{AS::approved, AS::pending, AS::changesRequested}[(i / 3) % 3];
        p.ciStatus = std::array{CI::success, CI::pending, CI::failure, CI::error}[i % 4];
        if (p.isYourPR)
            p.requestedReviewers = QStringList{QStringLiteral("alice"), QStringLiteral("bob")};
        p.reviewCommentCount = i % 4;
        p.headSha = QStringLiteral("%1").arg(i * 7919, 40, 16, QLatin1Char('0'));
        p.reviewCount = i % 5;
        p.commentCount = i % 7;
        if (i % 6 == 2)
            p.lastChangeRequest =
                ChangeRequestInfo{QStringLiteral("carol"), QStringLiteral("Please add a test"), now};
        prs.append(p);
    }
    return prs;
}

inline QList<QList<PRUpdateType>> sampleUpdates(int count)
{
    QList<QList<PRUpdateType>> updates;
    for (int i = 0; i < count; ++i)
        updates.append(i % 4 == 0 ? QList<PRUpdateType>{PRUpdateType::newCommits, PRUpdateType::newReview}
                                  : QList<PRUpdateType>{});
    return updates;
}

} // namespace norvane::bench
