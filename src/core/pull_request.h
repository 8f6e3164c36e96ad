#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace norvane {

// The latest standing change request on a pull request.
struct ChangeRequestInfo
{
    QString reviewer;
    QString bodyPreview;
    QDateTime submittedAt;

    friend bool operator==(const ChangeRequestInfo&, const ChangeRequestInfo&) = default;
};

// A semantic display colour; the UI maps it to its palette.
enum class DisplayColor { green, red, orange, purple, gray, blue };

// One tracked open pull request with its enrichment. The first thirteen fields come from the search
// result; the rest are filled in by enrichment and start absent. Identified by `id`; deliberately no
// equality operator, callers compare the fields they care about.
struct PullRequest
{
    enum class ApprovalStatus { approved, changesRequested, pending, unknown };
    enum class CIStatus { success, pending, failure, error, unknown };

    QString id;
    qint64 number = 0;
    QString title;
    QString url;
    QString repository;
    std::optional<QString> author;
    QDateTime createdAt;
    QDateTime updatedAt;
    bool isDraft = false;
    QString state;
    bool reviewRequested = false;
    bool isYourPR = false;
    bool isAssigned = false;
    std::optional<ApprovalStatus> approvalStatus;
    std::optional<CIStatus> ciStatus;
    std::optional<QStringList> requestedReviewers;
    std::optional<QString> headSha;
    std::optional<QString> headBranch; // the branch the pull request proposes, from its detail
    std::optional<int> reviewCount;
    std::optional<int> commentCount;
    std::optional<ChangeRequestInfo> lastChangeRequest;
    std::optional<int> reviewCommentCount;
    // With `reviewRequested`: the review was asked of this team of the user's ("org/slug"), not of the user.
    std::optional<QString> requestedTeam;
    // The user's sections whose search found it, in the order they are listed.
    QStringList sections;

    // Whether one of the three searches (review requested, authored, assigned) found it; a pull request only
    // a section found counts in the badge and notifies only through that section's switch.
    bool isFromBuiltInSearches() const { return reviewRequested || isYourPR || isAssigned; }

    DisplayColor color() const;
    bool isMergeable() const;
};

QString rawValue(PullRequest::ApprovalStatus status);
QString rawValue(PullRequest::CIStatus status);
std::optional<PullRequest::ApprovalStatus> approvalStatusFromRaw(const QString& raw);
std::optional<PullRequest::CIStatus> ciStatusFromRaw(const QString& raw);
QString displayColorName(DisplayColor color);

// Stored JSON forms. Decoders throw DecodeError naming the offending key.
QJsonObject toJson(const ChangeRequestInfo& info);
ChangeRequestInfo changeRequestInfoFromJson(const QJsonObject& object, const QString& path = {});
QJsonObject toJson(const PullRequest& pr);
PullRequest pullRequestFromJson(const QJsonObject& object, const QString& path = {});

} // namespace norvane
