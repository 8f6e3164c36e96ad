#pragma once

#include <QNetworkRequest>
#include <QString>
#include <QUrl>

namespace norvane {

// The kinds of request Norvane sends to GitHub. Each carries its own headers, and only those; the session
// adds the User-Agent and the transfer timeout to every one.
enum class GitHubRequestKind {
    // A query of the REST API on an account's API host: the account's token, and GitHub's v3 media type.
    apiQuery,
    // `GET /user` on the API host, asking whose a token is: the token, and GitHub's unversioned media type.
    tokenOwner,
    // The device flow's form posts on the web host (`/login/device/code`, `/login/oauth/access_token`): no
    // token, and JSON asked for, since these answer form-encoded text unless told otherwise.
    oauthForm,
};

// The one place a request to GitHub gets its headers: `Authorization` ("token " and the token, not a bearer
// scheme) for the two API kinds only, and the `Accept` of its kind. No API-version header is sent: GitHub
// answers with its default REST version, which every query's decoder is written against.
//
// Where a request may go is the caller's part: `url` is on the host the token was given for, and the session
// refuses a redirect that would carry it anywhere else.
QNetworkRequest gitHubRequest(GitHubRequestKind kind, const QUrl& url, const QString& token = {});

} // namespace norvane
