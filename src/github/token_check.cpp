#include "github/token_check.h"

#include "github/github_errors.h"

#include <QCoreApplication>

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
            //: Shown under the token field; %1 is the network's own error text
            QCoreApplication::translate("TokenCheck", "Could not reach GitHub to check this token: %1")
                .arg(e.description())};
    }
    if (answer.statusCode == 401)
        co_return TokenOwner{TokenOwner::Kind::rejected, {}, {}};
    if (answer.statusCode == 200 && answer.login)
        co_return TokenOwner{TokenOwner::Kind::owner, *answer.login, {}};
    co_return TokenOwner{
        TokenOwner::Kind::failed,
        {},
        //: %1 is the HTTP status GitHub answered with
        QCoreApplication::translate("TokenCheck", "GitHub could not check this token (HTTP %1). Try again in "
                                                  "a moment.")
            .arg(answer.statusCode)};
}

std::optional<QString> tokenRefusal(const TokenOwner& owner, const QString& typedLogin)
{
    switch (owner.kind) {
    case TokenOwner::Kind::rejected:
        return QCoreApplication::translate("TokenCheck", "GitHub rejected this token.");
    case TokenOwner::Kind::failed:
        return owner.message;
    case TokenOwner::Kind::owner:
        break;
    }
    if (owner.login.compare(typedLogin, Qt::CaseInsensitive) != 0)
        //: %1 is the login the token belongs to, %2 the login that was typed
        return QCoreApplication::translate("TokenCheck", "This token belongs to @%1, not @%2.")
            .arg(owner.login, typedLogin);
    return std::nullopt;
}

} // namespace norvane
