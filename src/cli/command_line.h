#pragma once

#include <QStringList>

namespace norvane::cli {

// The headless commands: prs, issues, dashboard, status. They run on a QCoreApplication (no display needed)
// and drive the same models as the app.
enum ExitCode { ok = 0, usage = 2, authentication = 3, failure = 4 };

bool isCommand(const QStringList& arguments); // arguments[0] is the program
// Builds its own QCoreApplication; returns the process exit code.
int run(int argc, char** argv);

} // namespace norvane::cli
