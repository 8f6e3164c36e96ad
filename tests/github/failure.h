#pragma once

#include "github/github_errors.h"

#include <functional>
#include <optional>

namespace norvane::testing {

// The error of type `Error` that `call` ends with, or none when it succeeds; any other error propagates.
template <class Error = GitHubAPIError> std::optional<Error> failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    return std::nullopt;
}

} // namespace norvane::testing
