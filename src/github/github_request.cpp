#include "github/github_request.h"

#include "github/http_session.h"

namespace norvane {

QNetworkRequest gitHubRequest(GitHubRequestKind kind, const QUrl& url, const QString& token)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(HttpSession::kTimeoutMs);
    switch (kind) {
    case GitHubRequestKind::apiQuery:
        request.setRawHeader("Authorization", QStringLiteral("token %1").arg(token).toUtf8());
        request.setRawHeader("Accept", "application/vnd.github.v3+json");
        break;
    case GitHubRequestKind::tokenOwner:
        request.setRawHeader("Authorization", QStringLiteral("token %1").arg(token).toUtf8());
        request.setRawHeader("Accept", "application/vnd.github+json");
        break;
    case GitHubRequestKind::oauthForm:
        request.setRawHeader("Accept", "application/json");
        break;
    }
    return request;
}

} // namespace norvane
