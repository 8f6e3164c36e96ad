#include "github/github_service_internal.h"
#include "platform/debug_log.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace norvane {

using namespace detail;
using CIStatus = PullRequest::CIStatus;

namespace {

const QString kApi = QStringLiteral("API");
const QString kReviews = QStringLiteral("Reviews");

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

struct Search
{
    SearchKind kind;
    QString qualifier;
    QString endpoint;
};

QString searchAddress(const Ctx& ctx, const QString& text, int perPage)
{
    return ctx->baseURL + QStringLiteral("/search/issues?q=") + GitHubService::encodeQueryText(text) +
           QStringLiteral("&sort=updated&order=desc&per_page=%1").arg(perPage);
}

QCoro::Task<QList<PullRequest>> search(Ctx ctx, Search which, QString username, QString token,
                                       CancelToken cancel)
{
    // A section's qualifier is its whole search text; the built-in searches name the user after theirs.
    const QString text =
        which.kind == SearchKind::section
            ? which.qualifier
            : QStringLiteral("type:pr state:open archived:false ") + which.qualifier + username;
    const QString address = ctx->baseURL + QStringLiteral("/search/issues?q=") +
                            GitHubService::encodeQueryText(text) +
                            QStringLiteral("&sort=updated&order=desc&per_page=50");
    Classification how;
    const bool reviewSearch = which.kind == SearchKind::reviewRequested;
    if (reviewSearch) {
        how.statusLogPrefix = QStringLiteral("❌ fetchReviewRequests API Error - Status: ");
        debugLog(kApi, QStringLiteral("fetchReviewRequests - Token starts with: ") + token.left(9) +
                           QStringLiteral("..."));
    }
    const auto items = co_await fetchDecoded(ctx, address, which.endpoint, token, cancel, how,
                                             wire::decodeSearchResponse, reviewSearch);
    if (reviewSearch)
        debugLog(kApi, QStringLiteral("fetchReviewRequests returned %1 items").arg(items.size()));
    QList<PullRequest> prs;
    prs.reserve(items.size());
    const QDateTime now = ctx->now();
    for (const auto& item : items)
        prs.append(pullRequestFromSearchItem(item, which.kind, now));
    co_return prs;
}

QCoro::Task<wire::PRDetail> details(Ctx ctx, QString repo, qint64 number, QString token, CancelToken cancel)
{
    const QString endpoint = QStringLiteral("repos/%1/pulls/%2").arg(repo).arg(number);
    const QString address = ctx->baseURL + QLatin1Char('/') + endpoint;
    const Classification how;
    co_return co_await fetchDecoded(ctx, address, endpoint, token, cancel, how, wire::decodePRDetail);
}

QCoro::Task<ReviewFetchResult> reviews(Ctx ctx, QString repo, qint64 number, QString token,
                                       CancelToken cancel, OnRateLimit onLimit = OnRateLimit::readAsFailure)
{
    const QString endpoint = QStringLiteral("repos/%1/pulls/%2/reviews").arg(repo).arg(number);
    const QString address = ctx->baseURL + QLatin1Char('/') + endpoint;
    debugLog(kReviews, QStringLiteral("Fetching reviews from: ") + address);
    const auto url = parseAddress(address);
    if (!url) {
        debugLog(kReviews, QStringLiteral("❌ Invalid URL for reviews: ") + address);
        co_return ReviewFetchResult::unknown();
    }
    QList<wire::Review> list;
    // A stored answer that no longer decodes is asked for afresh, once.
    for (CacheUse use : {CacheUse::revalidate, CacheUse::refetch}) {
        // A transport failure is the caller's business: it ends the whole pull-request fetch.
        const HttpReply reply = co_await ctx->session.get(GitHubService::makeRequest(*url, token), cancel,
                                                          ctx->cachePartition, use);
        if (onLimit == OnRateLimit::stop && reply.statusCode != 200) {
            if (auto limited = rateLimitError(ctx, endpoint, reply))
                throw *limited;
        }
        // The body as text only for the failure lines: a good reply is decoded once, as JSON.
        const auto bodyText = [&reply] {
            return utf8Text(reply.body).value_or(QStringLiteral("No response body"));
        };
        if (!reply.isHttp) {
            debugLog(kReviews, QStringLiteral("❌ Non-HTTP response for PR #%1").arg(number));
            co_return ReviewFetchResult::unknown();
        }
        if (reply.statusCode != 200) {
            debugLog(kReviews, QStringLiteral("❌ API error fetching reviews for PR #%1: Status %2")
                                   .arg(number)
                                   .arg(reply.statusCode));
            debugLog(kReviews, QStringLiteral("Response: ") + bodyText());
            co_return ReviewFetchResult::unknown();
        }
        try {
            list = wire::decodeReviews(reply.body);
            break;
        } catch (const DecodeError& e) {
            debugLog(
                kReviews,
                QStringLiteral("❌ Failed to decode reviews for PR #%1: %2").arg(number).arg(e.description()));
            debugLog(kReviews, QStringLiteral("Raw response: ") + bodyText());
        }
        if (!reply.fromCache)
            co_return ReviewFetchResult::unknown();
    }

    const ReviewVerdict verdict = reviewVerdict(list, ctx->now());
    // Formatting these lines for every pull request of every poll is not free: only when they are written.
    if (isDebugMode()) {
        debugLog(
            kReviews,
            QStringLiteral("PR #%1 in %2: Found %3 total reviews").arg(number).arg(repo).arg(list.size()));
        for (const auto& r : list) {
            debugLog(kReviews, QStringLiteral("  - %1: %2 at %3")
                                   .arg(r.userLogin.value_or(QStringLiteral("unknown")), r.state,
                                        r.submittedAt.value_or(QStringLiteral("unknown"))));
        }
        debugLog(kReviews, QStringLiteral("PR #%1: Latest reviews per user:").arg(number));
        for (const auto& r : verdict.latestPerReviewer)
            debugLog(kReviews, QStringLiteral("  - %1: %2").arg(*r.userLogin, r.state));
        debugLog(kReviews, QStringLiteral("PR #%1: Final status = %2")
                               .arg(number)
                               .arg(approvalCaseName(verdict.result.status)));
    }
    co_return verdict.result;
}

QCoro::Task<CIStatus> legacyStatus(Ctx ctx, QString repo, QString sha, QString token, CancelToken cancel,
                                   OnRateLimit onLimit = OnRateLimit::readAsFailure)
{
    const QString address = ctx->baseURL + QStringLiteral("/repos/%1/commits/%2/status").arg(repo, sha);
    return fetchDecodedQuietly(
        ctx, address, token, cancel, CIStatus::unknown,
        [](const QByteArray& body) { return legacyCIStatus(wire::decodeCommitStatus(body)); }, onLimit);
}

QCoro::Task<CIStatus> checkRunsStatus(Ctx ctx, QString repo, QString sha, QString token, CancelToken cancel,
                                      OnRateLimit onLimit = OnRateLimit::readAsFailure)
{
    const QString address =
        ctx->baseURL + QStringLiteral("/repos/%1/commits/%2/check-runs?per_page=100").arg(repo, sha);
    return fetchDecodedQuietly(
        ctx, address, token, cancel, CIStatus::unknown,
        [](const QByteArray& body) { return checkRunsCIStatus(wire::decodeCheckRuns(body)); }, onLimit);
}

QCoro::Task<CIStatus> ciStatus(Ctx ctx, QString repo, QString sha, QString token, CancelToken cancel,
                               OnRateLimit onLimit = OnRateLimit::readAsFailure)
{
    // Both queries are in flight together; each starts running as soon as it is called.
    auto legacy = legacyStatus(ctx, repo, sha, token, cancel, onLimit);
    auto checks = checkRunsStatus(ctx, repo, sha, token, cancel, onLimit);
    // Both are awaited before a rate-limit error leaves, so neither outlives this frame.
    std::exception_ptr limited;
    CIStatus legacyResult = CIStatus::unknown;
    CIStatus checksResult = CIStatus::unknown;
    try {
        legacyResult = co_await legacy;
    } catch (const GitHubAPIError&) {
        limited = std::current_exception();
    }
    try {
        checksResult = co_await checks;
    } catch (const GitHubAPIError&) {
        limited = std::current_exception();
    }
    if (limited)
        std::rethrow_exception(limited);
    co_return combinedCIStatus(legacyResult, checksResult);
}

// What a refresh for the feed's news starts from: the account's list as shown, by id, and the pull requests
// the feed's changed threads named.
struct Known
{
    QHash<QString, PullRequest> onScreen;
    QSet<QString> named;
};

// GitHub's reason for refusing a search: the validation errors' messages, else the answer's own.
QString refusalOf(const QString& body)
{
    const QJsonObject answer = QJsonDocument::fromJson(body.toUtf8()).object();
    QStringList reasons;
    for (const QJsonValue& error : answer.value(QStringLiteral("errors")).toArray()) {
        const QString message = error.toObject().value(QStringLiteral("message")).toString();
        if (!message.isEmpty())
            reasons << message;
    }
    if (!reasons.isEmpty())
        return reasons.join(QLatin1Char('\n'));
    const QString message = answer.value(QStringLiteral("message")).toString();
    return message.isEmpty() ? body : message;
}

// Runs each section's search and folds its pull requests into `prs`: one that is there already gains the
// section's name, any other joins the list holding only it. A search that fails leaves the others.
QCoro::Task<> addSections(Ctx ctx, QList<PullRequest>& prs, const QList<SearchSection>& sections,
                          QString username, QString token, CancelToken cancel,
                          QHash<QString, QString>& errors)
{
    QHash<QString, qsizetype> indexById;
    for (qsizetype i = 0; i < prs.size(); ++i)
        indexById.insert(prs[i].id, i);
    for (const SearchSection& section : sections) {
        // Named, not a temporary in the co_await: g++ 12 frees such a temporary early inside a try block.
        const Search which{SearchKind::section, sectionSearchText(section.query),
                           QStringLiteral("search/issues (section)")};
        QList<PullRequest> found;
        try {
            found = co_await search(ctx, which, username, token, cancel);
        } catch (const GitHubAPIError& e) {
            if (e.retryAt() || (cancel && cancel->isCancelled()) ||
                (e.kind() == GitHubAPIError::Kind::badServerResponse && e.statusCode() == 401))
                throw;
            errors.insert(section.name,
                          e.kind() == GitHubAPIError::Kind::badServerResponse && e.statusCode() == 422
                              ? refusalOf(e.body())
                              : e.errorDescription());
            debugLog(kApi, QStringLiteral("❌ The search of section %1 failed: %2")
                               .arg(section.name, errors.value(section.name)));
            continue;
        } catch (const TransportError& e) {
            if (cancel && cancel->isCancelled())
                throw;
            errors.insert(section.name, e.description());
            continue;
        }
        debugLog(kApi, QStringLiteral("Section %1: %2 PRs").arg(section.name).arg(found.size()));
        for (PullRequest& pr : found) {
            const auto at = indexById.constFind(pr.id);
            if (at != indexById.constEnd()) {
                if (!prs[*at].sections.contains(section.name))
                    prs[*at].sections.append(section.name);
                continue;
            }
            pr.sections = {section.name};
            indexById.insert(pr.id, prs.size());
            prs.append(std::move(pr));
        }
    }
}

// Detail, reviews and CI of one pull request, one request after another (the CI pair aside).
QCoro::Task<> enrich(Ctx ctx, PullRequest& pr, QString username, QString token, CancelToken cancel)
{
    try {
        const wire::PRDetail detail = co_await details(ctx, pr.repository, pr.number, token, cancel);
        pr.headSha = detail.headSha;
        pr.headBranch = detail.headBranch;
        pr.commentCount = int(detail.comments.value_or(0) + detail.reviewComments.value_or(0));
        if (detail.reviewComments)
            pr.reviewCommentCount = int(*detail.reviewComments);
        if (pr.isYourPR)
            pr.requestedReviewers = detail.requestedReviewers;
        if (pr.reviewRequested)
            pr.requestedTeam = requestedTeam(detail, username, pr.repository);
    } catch (const GitHubAPIError& e) {
        // The record simply stays without detail, unless GitHub stopped answering altogether: a list
        // of records without their verdicts is not the list, so the refresh ends with the limit.
        if (e.retryAt())
            throw;
    }

    if (pr.isYourPR || pr.reviewRequested || pr.isAssigned || !pr.sections.isEmpty()) {
        if (isDebugMode())
            debugLog(
                kReviews,
                QStringLiteral("Fetching reviews for PR #%1 (isYourPR=%2, reviewRequested=%3, isAssigned=%4)")
                    .arg(pr.number)
                    .arg(flag(pr.isYourPR), flag(pr.reviewRequested), flag(pr.isAssigned)));
        const ReviewFetchResult result =
            co_await reviews(ctx, pr.repository, pr.number, token, cancel, OnRateLimit::stop);
        pr.approvalStatus = result.status;
        pr.reviewCount = result.reviewCount;
        if (pr.isYourPR)
            pr.lastChangeRequest = result.lastChangeRequest;
    } else {
        debugLog(kReviews,
                 QStringLiteral("Skipping reviews for PR #%1 (not yours, not requested, not assigned)")
                     .arg(pr.number));
    }

    if (pr.headSha)
        pr.ciStatus = co_await ciStatus(ctx, pr.repository, *pr.headSha, token, cancel, OnRateLimit::stop);
}

QCoro::Task<GitHubService::Answer> pullRequests(Ctx ctx, QString username, QString token, CancelToken cancel,
                                                std::optional<Known> known, QList<SearchSection> sections)
{
    debugLog(kApi, QStringLiteral("fetchPullRequests() called for username: ") + username);
    const auto requested = co_await search(ctx,
                                           {SearchKind::reviewRequested, QStringLiteral("review-requested:"),
                                            QStringLiteral("search/issues (review-requested)")},
                                           username, token, cancel);
    debugLog(kApi, QStringLiteral("Review requests: %1").arg(requested.size()));
    const auto authored = co_await search(
        ctx, {SearchKind::authored, QStringLiteral("author:"), QStringLiteral("search/issues (author)")},
        username, token, cancel);
    debugLog(kApi, QStringLiteral("User PRs: %1").arg(authored.size()));
    const auto assigned = co_await search(
        ctx, {SearchKind::assigned, QStringLiteral("assignee:"), QStringLiteral("search/issues (assignee)")},
        username, token, cancel);
    debugLog(kApi, QStringLiteral("Assigned PRs: %1").arg(assigned.size()));

    QList<PullRequest> prs = mergeSearchResults(requested + authored + assigned);
    GitHubService::Answer answer;
    co_await addSections(ctx, prs, sections, username, token, cancel, answer.sectionErrors);
    if (isDebugMode()) {
        debugLog(kApi, QStringLiteral("Unique PRs after merge (%1 total):").arg(prs.size()));
        for (const auto& pr : prs) {
            debugLog(kApi, QStringLiteral("  - #%1 '%2' isYourPR=%3 author=%4")
                               .arg(pr.number)
                               .arg(pr.title, flag(pr.isYourPR), pr.author.value_or(QStringLiteral("nil"))));
        }
    }

    // One pull request at a time, one request at a time (the CI pair aside), to bound the load on GitHub.
    int enriched = 0;
    for (PullRequest& pr : prs) {
        if (known) {
            const auto shown = known->onScreen.constFind(pr.id);
            const PullRequest* onScreen = shown != known->onScreen.constEnd() ? &*shown : nullptr;
            if (!needsEnrichment(pr, onScreen,
                                 known->named.contains(pullRequestKey(pr.repository, pr.number)))) {
                keepEnrichment(pr, *onScreen);
                continue;
            }
        }
        co_await enrich(ctx, pr, username, token, cancel);
        ++enriched;
    }
    if (known)
        debugLog(kApi, QStringLiteral("Enriched %1 of %2 PRs; the others kept what the list showed")
                           .arg(enriched)
                           .arg(prs.size()));

    sortByUpdatedDescending(prs);
    answer.pullRequests = std::move(prs);
    co_return answer;
}

QCoro::Task<GitHubService::Answer> pullRequestsTranslated(Ctx ctx, QString username, QString token,
                                                          CancelToken cancel,
                                                          std::optional<Known> known = std::nullopt,
                                                          QList<SearchSection> sections = {})
{
    try {
        co_return co_await pullRequests(std::move(ctx), std::move(username), std::move(token),
                                        std::move(cancel), std::move(known), std::move(sections));
    } catch (const GitHubAPIError& e) {
        if (e.kind() == GitHubAPIError::Kind::badServerResponse && e.statusCode() == 401)
            throw GitHubServiceError(GitHubServiceError::Kind::unauthorized);
        throw;
    }
}

} // namespace

namespace {

Known knownFrom(QList<PullRequest> onScreen, QSet<QString> named)
{
    Known known;
    known.onScreen.reserve(onScreen.size());
    for (PullRequest& pr : onScreen)
        known.onScreen.insert(pr.id, std::move(pr));
    known.named = std::move(named);
    return known;
}

QCoro::Task<QList<PullRequest>> listOnly(QCoro::Task<GitHubService::Answer> answer)
{
    co_return (co_await std::move(answer)).pullRequests;
}

} // namespace

QCoro::Task<QList<PullRequest>> GitHubService::fetchPullRequests(QString username, QString token,
                                                                 CancelToken cancel) const
{
    return listOnly(
        pullRequestsTranslated(m_context, std::move(username), std::move(token), std::move(cancel)));
}

QCoro::Task<GitHubService::Answer>
GitHubService::fetchPullRequestsWithSections(QString username, QString token, QList<SearchSection> sections,
                                             std::optional<QList<PullRequest>> onScreen, QSet<QString> named,
                                             CancelToken cancel) const
{
    std::optional<Known> known;
    if (onScreen)
        known = knownFrom(std::move(*onScreen), std::move(named));
    return pullRequestsTranslated(m_context, std::move(username), std::move(token), std::move(cancel),
                                  std::move(known), std::move(sections));
}

QCoro::Task<GitHubService::SectionCheck> GitHubService::checkSectionQuery(QString query, QString token,
                                                                          CancelToken cancel) const
{
    const Ctx ctx = m_context;
    SectionCheck check;
    try {
        const QString text = sectionSearchText(query);
        const HttpReply reply = co_await fetchClassified(ctx, searchAddress(ctx, text, 1),
                                                         QStringLiteral("search/issues (section check)"),
                                                         token, cancel, Classification{});
        check.count = decodeClassified(reply.body, QStringLiteral("search/issues (section check)"),
                                       Classification{}, wire::decodeSearchTotalCount);
        check.outcome = SectionCheck::Outcome::matches;
    } catch (const GitHubAPIError& e) {
        const bool refused = e.kind() == GitHubAPIError::Kind::badServerResponse && e.statusCode() == 422;
        check.outcome = refused ? SectionCheck::Outcome::refused : SectionCheck::Outcome::failed;
        check.message = refused ? refusalOf(e.body()) : e.errorDescription();
    } catch (const GitHubServiceError& e) {
        check.message = e.errorDescription();
    }
    co_return check;
}

QCoro::Task<QList<PullRequest>> GitHubService::fetchChangedPullRequests(QString username, QString token,
                                                                        QList<PullRequest> onScreen,
                                                                        QSet<QString> named,
                                                                        CancelToken cancel) const
{
    return listOnly(pullRequestsTranslated(m_context, std::move(username), std::move(token),
                                           std::move(cancel),
                                           knownFrom(std::move(onScreen), std::move(named))));
}

QCoro::Task<wire::PRDetail> GitHubService::fetchPRDetails(QString repo, qint64 prNumber, QString token,
                                                          CancelToken cancel) const
{
    return details(m_context, std::move(repo), prNumber, std::move(token), std::move(cancel));
}

QCoro::Task<ReviewFetchResult> GitHubService::fetchReviewStatusAndCount(QString repo, qint64 prNumber,
                                                                        QString token,
                                                                        CancelToken cancel) const
{
    return reviews(m_context, std::move(repo), prNumber, std::move(token), std::move(cancel));
}

QCoro::Task<CIStatus> GitHubService::fetchCIStatusForSha(QString repo, QString sha, QString token,
                                                         CancelToken cancel) const
{
    return ciStatus(m_context, std::move(repo), std::move(sha), std::move(token), std::move(cancel));
}

QCoro::Task<CIStatus> GitHubService::fetchLegacyCommitStatus(QString repo, QString sha, QString token,
                                                             CancelToken cancel) const
{
    return legacyStatus(m_context, std::move(repo), std::move(sha), std::move(token), std::move(cancel));
}

QCoro::Task<CIStatus> GitHubService::fetchCheckRunsStatus(QString repo, QString sha, QString token,
                                                          CancelToken cancel) const
{
    return checkRunsStatus(m_context, std::move(repo), std::move(sha), std::move(token), std::move(cancel));
}

} // namespace norvane
