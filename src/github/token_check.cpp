#include "github/token_check.h"

#include "core/github_wire.h"
#include "github/github_errors.h"

#include <QNetworkRequest>
#include <QUrl>

namespace norvane {

QCoro::Task<TokenOwner> fetchTokenOwner(HttpSession session, QString apiBaseURL, QString token, CancelToken cancel)
{
    QNetworkRequest request{QUrl(apiBaseURL + QStringLiteral("/user"))};
    request.setRawHeader("Authorization", QStringLiteral("token %1").arg(token).toUtf8());
    request.setRawHeader("Accept", "application/vnd.github+json");
    HttpReply reply;
    try {
        reply = co_await session.get(request, cancel);
    } catch (const TransportError& e) {
        co_return TokenOwner{TokenOwner::Kind::failed, {},
                             QStringLiteral("Could not reach GitHub to check this token: %1").arg(e.description())};
    }
    if (reply.statusCode == 401)
        co_return TokenOwner{TokenOwner::Kind::rejected, {}, {}};
    if (reply.statusCode == 200) {
        if (std::optional<QString> login = wire::decodeUserLogin(reply.body))
            co_return TokenOwner{TokenOwner::Kind::owner, *login, {}};
    }
    co_return TokenOwner{TokenOwner::Kind::failed, {},
                         QStringLiteral("GitHub could not check this token (HTTP %1). Try again in a moment.")
                             .arg(reply.statusCode)};
}

std::optional<QString> tokenRefusal(const TokenOwner& owner, const QString& typedLogin)
{
    switch (owner.kind) {
    case TokenOwner::Kind::rejected:
        return QStringLiteral("GitHub rejected this token.");
    case TokenOwner::Kind::failed:
        return owner.message;
    case TokenOwner::Kind::owner:
        break;
    }
    if (owner.login.compare(typedLogin, Qt::CaseInsensitive) != 0)
        return QStringLiteral("This token belongs to @%1, not @%2.").arg(owner.login, typedLogin);
    return std::nullopt;
}

} // namespace norvane
