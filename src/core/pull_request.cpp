#include "core/pull_request.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"

#include <QJsonArray>

#include <limits>

namespace norvane {

using ApprovalStatus = PullRequest::ApprovalStatus;
using CIStatus = PullRequest::CIStatus;

DisplayColor PullRequest::color() const
{
    if (isYourPR && approvalStatus == ApprovalStatus::approved)
        return DisplayColor::green;
    if (approvalStatus == ApprovalStatus::changesRequested)
        return DisplayColor::red;
    if (reviewRequested)
        return DisplayColor::orange;
    if (isAssigned)
        return DisplayColor::purple;
    if (!isYourPR)
        return DisplayColor::gray;
    return DisplayColor::blue;
}

bool PullRequest::isMergeable() const
{
    if (approvalStatus != ApprovalStatus::approved)
        return false;
    return !ciStatus || *ciStatus == CIStatus::success || *ciStatus == CIStatus::unknown;
}

QString rawValue(ApprovalStatus status)
{
    switch (status) {
    case ApprovalStatus::approved:
        return QStringLiteral("approved");
    case ApprovalStatus::changesRequested:
        return QStringLiteral("changes_requested");
    case ApprovalStatus::pending:
        return QStringLiteral("pending");
    case ApprovalStatus::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QString rawValue(CIStatus status)
{
    switch (status) {
    case CIStatus::success:
        return QStringLiteral("success");
    case CIStatus::pending:
        return QStringLiteral("pending");
    case CIStatus::failure:
        return QStringLiteral("failure");
    case CIStatus::error:
        return QStringLiteral("error");
    case CIStatus::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

std::optional<ApprovalStatus> approvalStatusFromRaw(const QString& raw)
{
    for (auto s : {ApprovalStatus::approved, ApprovalStatus::changesRequested, ApprovalStatus::pending,
                   ApprovalStatus::unknown}) {
        if (rawValue(s) == raw)
            return s;
    }
    return std::nullopt;
}

std::optional<CIStatus> ciStatusFromRaw(const QString& raw)
{
    for (auto s : {CIStatus::success, CIStatus::pending, CIStatus::failure, CIStatus::error, CIStatus::unknown}) {
        if (rawValue(s) == raw)
            return s;
    }
    return std::nullopt;
}

QString displayColorName(DisplayColor color)
{
    switch (color) {
    case DisplayColor::green:
        return QStringLiteral("green");
    case DisplayColor::red:
        return QStringLiteral("red");
    case DisplayColor::orange:
        return QStringLiteral("orange");
    case DisplayColor::purple:
        return QStringLiteral("purple");
    case DisplayColor::gray:
        return QStringLiteral("gray");
    case DisplayColor::blue:
        break;
    }
    return QStringLiteral("blue");
}

QJsonObject toJson(const ChangeRequestInfo& info)
{
    return QJsonObject{
        {QStringLiteral("reviewer"), info.reviewer},
        {QStringLiteral("bodyPreview"), info.bodyPreview},
        {QStringLiteral("submittedAt"), toStoredTimestamp(info.submittedAt)},
    };
}

ChangeRequestInfo changeRequestInfoFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    return ChangeRequestInfo{
        r.string(QStringLiteral("reviewer")),
        r.string(QStringLiteral("bodyPreview")),
        r.storedDate(QStringLiteral("submittedAt")),
    };
}

QJsonObject toJson(const PullRequest& pr)
{
    QJsonObject o{
        {QStringLiteral("id"), pr.id},
        {QStringLiteral("number"), double(pr.number)},
        {QStringLiteral("title"), pr.title},
        {QStringLiteral("url"), pr.url},
        {QStringLiteral("repository"), pr.repository},
        {QStringLiteral("createdAt"), toStoredTimestamp(pr.createdAt)},
        {QStringLiteral("updatedAt"), toStoredTimestamp(pr.updatedAt)},
        {QStringLiteral("isDraft"), pr.isDraft},
        {QStringLiteral("state"), pr.state},
        {QStringLiteral("reviewRequested"), pr.reviewRequested},
        {QStringLiteral("isYourPR"), pr.isYourPR},
        {QStringLiteral("isAssigned"), pr.isAssigned},
    };
    if (pr.author)
        o.insert(QStringLiteral("author"), *pr.author);
    if (pr.approvalStatus)
        o.insert(QStringLiteral("approvalStatus"), rawValue(*pr.approvalStatus));
    if (pr.ciStatus)
        o.insert(QStringLiteral("ciStatus"), rawValue(*pr.ciStatus));
    if (pr.requestedReviewers)
        o.insert(QStringLiteral("requestedReviewers"), QJsonArray::fromStringList(*pr.requestedReviewers));
    if (pr.headSha)
        o.insert(QStringLiteral("headSha"), *pr.headSha);
    if (pr.headBranch)
        o.insert(QStringLiteral("headBranch"), *pr.headBranch);
    if (pr.reviewCount)
        o.insert(QStringLiteral("reviewCount"), *pr.reviewCount);
    if (pr.commentCount)
        o.insert(QStringLiteral("commentCount"), *pr.commentCount);
    if (pr.lastChangeRequest)
        o.insert(QStringLiteral("lastChangeRequest"), toJson(*pr.lastChangeRequest));
    if (pr.reviewCommentCount)
        o.insert(QStringLiteral("reviewCommentCount"), *pr.reviewCommentCount);
    return o;
}

static std::optional<int> optionalInt(const JsonReader& r, const QString& key)
{
    const auto v = r.optionalInt64(key);
    if (!v)
        return std::nullopt;
    if (*v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
        r.fail(key, QStringLiteral("%1 does not fit a 32-bit integer").arg(*v));
    return static_cast<int>(*v);
}

template <typename Enum, typename FromRaw>
static std::optional<Enum> optionalEnum(const JsonReader& r, const QString& key, FromRaw fromRaw)
{
    const auto raw = r.optionalString(key);
    if (!raw)
        return std::nullopt;
    const auto value = fromRaw(*raw);
    if (!value)
        r.fail(key, QStringLiteral("\"%1\" is not a known value").arg(*raw));
    return value;
}

PullRequest pullRequestFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    PullRequest pr;
    pr.id = r.string(QStringLiteral("id"));
    pr.number = r.int64(QStringLiteral("number"));
    pr.title = r.string(QStringLiteral("title"));
    pr.url = r.string(QStringLiteral("url"));
    pr.repository = r.string(QStringLiteral("repository"));
    pr.author = r.optionalString(QStringLiteral("author"));
    pr.createdAt = r.storedDate(QStringLiteral("createdAt"));
    pr.updatedAt = r.storedDate(QStringLiteral("updatedAt"));
    pr.isDraft = r.boolean(QStringLiteral("isDraft"));
    pr.state = r.string(QStringLiteral("state"));
    pr.reviewRequested = r.boolean(QStringLiteral("reviewRequested"));
    pr.isYourPR = r.boolean(QStringLiteral("isYourPR"));
    pr.isAssigned = r.boolean(QStringLiteral("isAssigned"));
    pr.approvalStatus = optionalEnum<ApprovalStatus>(r, QStringLiteral("approvalStatus"), approvalStatusFromRaw);
    pr.ciStatus = optionalEnum<CIStatus>(r, QStringLiteral("ciStatus"), ciStatusFromRaw);
    pr.requestedReviewers = r.optionalStringList(QStringLiteral("requestedReviewers"));
    pr.headSha = r.optionalString(QStringLiteral("headSha"));
    pr.headBranch = r.optionalString(QStringLiteral("headBranch"));
    pr.reviewCount = optionalInt(r, QStringLiteral("reviewCount"));
    pr.commentCount = optionalInt(r, QStringLiteral("commentCount"));
    if (const auto cr = r.optionalObject(QStringLiteral("lastChangeRequest")))
        pr.lastChangeRequest = changeRequestInfoFromJson(*cr, r.pathOf(QStringLiteral("lastChangeRequest")));
    pr.reviewCommentCount = optionalInt(r, QStringLiteral("reviewCommentCount"));
    return pr;
}

} // namespace norvane
