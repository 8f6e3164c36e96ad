#pragma once

#include "fakehub.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <variant>

// norvane-fakehub's command line.
namespace norvane::fakehub {

struct CommandLineOptions
{
    // Exactly one of the two: a scenario file, or a generated world of this many pull requests.
    std::optional<QString> scenarioFile;
    std::optional<int> generate;
    bool print = false; // with generate: print the scenario and exit
    bool logRequests = false;
    bool manualTimeline = false;
    FakeHub::Options hub; // port, latency, TLS, layout and the feed's interval; no request log yet
    QList<std::pair<QString, int>> rateLimits; // resource and budget, in the order given
};

// --help (or --help-all): Qt's parser prints it (printHelp) and the process exits with 0.
struct CommandLineHelp
{
};

// The command line cannot be served: "norvane-fakehub: <message>" on standard error, and this exit code (1
// for what Qt's parser refuses, as it exits then, 2 for the rest).
struct CommandLineError
{
    QString message;
    int exitCode = 2;
};

using CommandLine = std::variant<CommandLineOptions, CommandLineHelp, CommandLineError>;

// `arguments` as the process received them, the program first. The first fault found is the one reported.
CommandLine parseCommandLine(const QStringList& arguments);

// Prints the help the arguments ask for (with --help-all, Qt's own options too) and exits with 0.
[[noreturn]] void printHelp(const QStringList& arguments);

} // namespace norvane::fakehub
