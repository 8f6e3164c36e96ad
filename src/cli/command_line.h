#pragma once

#include "core/github_account.h"

#include <QStringList>
#include <optional>

namespace norvane::cli {

// The headless commands: prs, issues, dashboard, status. They run on a QCoreApplication (no display needed)
// and drive the same models as the app.
enum ExitCode { ok = 0, usage = 2, authentication = 3, failure = 4 };

// The stored account --account names: "login" when exactly one account has that login, "login@host" always
// (see accountNamed). Otherwise the account is absent and `error` says why, naming the accounts as
// "login@host".
struct AccountChoice
{
    std::optional<GitHubAccount> account;
    QString error;
};
AccountChoice chooseAccount(const QList<GitHubAccount>& accounts, const QString& name);

bool isCommand(const QStringList& arguments); // arguments[0] is the program
// Builds its own QCoreApplication; returns the process exit code.
int run(int argc, char** argv);

} // namespace norvane::cli
