#pragma once

#include "github/cancellation.h"
#include "github/github_service.h"

#include <QString>
#include <optional>
#include <qcoro/qcorotask.h>

namespace norvane {

// What GitHub said about a token when asked whose it is (GET /user).
struct TokenOwner
{
    enum class Kind {
        owner,    // `login` owns the token
        rejected, // 401: GitHub does not accept the token
        failed,   // GitHub could not be asked, or gave no usable answer; `message` says what happened
    };
    Kind kind = Kind::failed;
    QString login;
    QString message;
};

// Asks `github`'s API host (the one the account will belong to) which login `token` belongs to. Never
// throws; a cancelled token ends as `failed`.
QCoro::Task<TokenOwner> fetchTokenOwner(GitHubService github, QString token, CancelToken cancel);

// Why a personal access token typed for `typedLogin` is refused, or nothing when it is that login's (compared
// without regard to case, as a reconnect compares).
std::optional<QString> tokenRefusal(const TokenOwner& owner, const QString& typedLogin);

} // namespace norvane
