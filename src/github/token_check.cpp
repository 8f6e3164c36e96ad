#include "github/token_check.h"

#include "github/github_errors.h"

namespace norvane {

QCoro::Task<TokenOwner> fetchTokenOwner(GitHubService github, QString token, CancelToken cancel)
{
    GitHubService::UserAnswer answer;
    try {
        answer = co_await github.fetchUser(token, cancel);
    } catch (const TransportError& e) {
        co_return TokenOwner{
            TokenOwner::Kind::failed,
            {},
            QStringLiteral("Could not reach GitHub to check this token: %1").arg(e.description())};
    }
    if (answer.statusCode == 401)
        co_return TokenOwner{TokenOwner::Kind::rejected, {}, {}};
    if (answer.statusCode == 200 && answer.login)
        co_return TokenOwner{TokenOwner::Kind::owner, *answer.login, {}};
    co_return TokenOwner{TokenOwner::Kind::failed,
                         {},
                         QStringLiteral("GitHub could not check this token (HTTP %1). Try again in a moment.")
                             .arg(answer.statusCode)};
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
