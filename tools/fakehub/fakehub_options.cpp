#include "fakehub_options.h"

#include <QCommandLineParser>
#include <cstdlib>

namespace norvane::fakehub {

namespace {

struct Parser
{
    Parser()
    {
        parser.setApplicationDescription(QStringLiteral("A fake GitHub for tests, the demo and benchmarks."));
        parser.addHelpOption();
        parser.addOptions({scenario, generate, print, port, latency, manualTimeline, logRequests, rateLimit,
                           tlsCert, tlsKey, enterprise, feedInterval});
    }

    QCommandLineParser parser;
    const QCommandLineOption scenario{QStringLiteral("scenario"), QStringLiteral("Scenario file to serve."),
                                      QStringLiteral("file")};
    const QCommandLineOption generate{QStringLiteral("generate"),
                                      QStringLiteral("Serve a generated world of N pull requests."),
                                      QStringLiteral("N")};
    const QCommandLineOption print{QStringLiteral("print"),
                                   QStringLiteral("With --generate: print the scenario and exit.")};
    const QCommandLineOption port{QStringLiteral("port"), QStringLiteral("Port (default: a free one)."),
                                  QStringLiteral("port"), QStringLiteral("0")};
    const QCommandLineOption latency{QStringLiteral("latency-ms"),
                                     QStringLiteral("Delay added to every answer."), QStringLiteral("ms"),
                                     QStringLiteral("0")};
    const QCommandLineOption manualTimeline{
        QStringLiteral("manual-timeline"),
        QStringLiteral("Play the scenario's timeline one event per SIGUSR1 instead of on the clock.")};
    const QCommandLineOption logRequests{
        QStringLiteral("log-requests"),
        QStringLiteral("After the address, print one line per request: \"request METHOD PATH[?QUERY]\"; with "
                       "--manual-timeline also \"played N\" once a SIGUSR1's events are applied.")};
    const QCommandLineOption rateLimit{
        QStringLiteral("rate-limit"),
        QStringLiteral("Budget of a rate-limit resource per token and window, e.g. core=5000 or search=30 "
                       "(repeatable). SIGUSR2 spends the core budget of every token at once."),
        QStringLiteral("resource=N")};
    const QCommandLineOption tlsCert{
        QStringLiteral("tls-cert"),
        QStringLiteral("Serve HTTPS with this certificate chain (PEM; with --tls-key)."),
        QStringLiteral("file")};
    const QCommandLineOption tlsKey{QStringLiteral("tls-key"),
                                    QStringLiteral("The private key of --tls-cert (PEM)."),
                                    QStringLiteral("file")};
    const QCommandLineOption enterprise{
        QStringLiteral("enterprise"),
        QStringLiteral(
            "GitHub Enterprise Server's layout: the API under /api/v3, the web host at the root.")};
    const QCommandLineOption feedInterval{
        QStringLiteral("feed-poll-interval"),
        QStringLiteral("X-Poll-Interval of the notification feed, in seconds (default 60, as GitHub)."),
        QStringLiteral("seconds"), QStringLiteral("60")};
};

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    Parser p;
    QCommandLineParser& parser = p.parser;
    if (!parser.parse(arguments))
        return CommandLineError{parser.errorText(), 1};
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return CommandLineHelp{};

    CommandLineOptions options;
    bool portOk = false;
    bool latencyOk = false;
    options.hub.port = parser.value(p.port).toInt(&portOk);
    options.hub.latency = std::chrono::milliseconds(parser.value(p.latency).toInt(&latencyOk));
    if (!portOk || options.hub.port < 0 || options.hub.port > 65535 || !latencyOk ||
        options.hub.latency.count() < 0)
        return CommandLineError{QStringLiteral("--port and --latency-ms take non-negative numbers")};
    bool feedOk = false;
    options.hub.feedPollIntervalSecs = parser.value(p.feedInterval).toInt(&feedOk);
    if (!feedOk || options.hub.feedPollIntervalSecs < 1)
        return CommandLineError{
            QStringLiteral("--feed-poll-interval takes a number of seconds of at least 1")};
    if (parser.isSet(p.tlsCert) != parser.isSet(p.tlsKey))
        return CommandLineError{QStringLiteral("--tls-cert and --tls-key go together")};
    options.hub.enterprise = parser.isSet(p.enterprise);
    if (parser.isSet(p.tlsCert))
        options.hub.tls = FakeHub::Options::Tls{parser.value(p.tlsCert), parser.value(p.tlsKey)};
    if (parser.isSet(p.scenario) == parser.isSet(p.generate))
        return CommandLineError{QStringLiteral("give exactly one of --scenario FILE and --generate N")};
    for (const QString& value : parser.values(p.rateLimit)) {
        const QStringList parts = value.split(QLatin1Char('='));
        bool ok = false;
        const int limit = parts.size() == 2 ? parts[1].toInt(&ok) : 0;
        if (!ok || limit < 0 || parts[0].isEmpty())
            return CommandLineError{QStringLiteral("--rate-limit takes RESOURCE=N, e.g. core=5000")};
        options.rateLimits.append({parts[0], limit});
    }
    if (parser.isSet(p.generate)) {
        bool ok = false;
        const int n = parser.value(p.generate).toInt(&ok);
        if (!ok || n < 0)
            return CommandLineError{QStringLiteral("--generate takes a non-negative number")};
        options.generate = n;
    } else {
        options.scenarioFile = parser.value(p.scenario);
    }
    options.print = parser.isSet(p.print);
    options.logRequests = parser.isSet(p.logRequests);
    options.manualTimeline = parser.isSet(p.manualTimeline);
    return options;
}

void printHelp(const QStringList& arguments)
{
    Parser p;
    // Qt's parser prints the help and exits; only it knows the Qt options --help-all lists.
    p.parser.process(arguments);
    std::exit(EXIT_SUCCESS); // not reached: the arguments asked for help
}

} // namespace norvane::fakehub
