// norvane-fakehub: serves a scenario on 127.0.0.1 until killed. The first line of standard output is the
// base address, so scripts can read it and point the client at it. The scenario's timeline plays on the
// clock from then on, or one event per SIGUSR1 with --manual-timeline.
#include "fakehub.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <pthread.h>

using namespace norvane::fakehub;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A fake GitHub for tests, the demo and benchmarks."));
    parser.addHelpOption();
    const QCommandLineOption scenarioOption(
        QStringLiteral("scenario"), QStringLiteral("Scenario file to serve."), QStringLiteral("file"));
    const QCommandLineOption generateOption(QStringLiteral("generate"),
                                            QStringLiteral("Serve a generated world of N pull requests."),
                                            QStringLiteral("N"));
    const QCommandLineOption printOption(QStringLiteral("print"),
                                         QStringLiteral("With --generate: print the scenario and exit."));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port (default: a free one)."),
                                        QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption latencyOption(QStringLiteral("latency-ms"),
                                           QStringLiteral("Delay added to every answer."),
                                           QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption manualTimelineOption(
        QStringLiteral("manual-timeline"),
        QStringLiteral("Play the scenario's timeline one event per SIGUSR1 instead of on the clock."));
    const QCommandLineOption logRequestsOption(
        QStringLiteral("log-requests"),
        QStringLiteral("After the address, print one line per request: \"request METHOD PATH[?QUERY]\"."));
    const QCommandLineOption rateLimitOption(
        QStringLiteral("rate-limit"),
        QStringLiteral("Budget of a rate-limit resource per token and window, e.g. core=5000 or search=30 "
                       "(repeatable). SIGUSR2 spends the core budget of every token at once."),
        QStringLiteral("resource=N"));
    const QCommandLineOption tlsCertOption(
        QStringLiteral("tls-cert"), QStringLiteral("Serve HTTPS with this certificate chain (PEM; with --tls-key)."),
        QStringLiteral("file"));
    const QCommandLineOption tlsKeyOption(QStringLiteral("tls-key"),
                                          QStringLiteral("The private key of --tls-cert (PEM)."),
                                          QStringLiteral("file"));
    const QCommandLineOption enterpriseOption(
        QStringLiteral("enterprise"),
        QStringLiteral(
            "GitHub Enterprise Server's layout: the API under /api/v3, the web host at the root."));
    const QCommandLineOption feedIntervalOption(
        QStringLiteral("feed-poll-interval"),
        QStringLiteral("X-Poll-Interval of the notification feed, in seconds (default 60, as GitHub)."),
        QStringLiteral("seconds"), QStringLiteral("60"));
    parser.addOptions({scenarioOption, generateOption, printOption, portOption, latencyOption,
                       manualTimelineOption, logRequestsOption, rateLimitOption, tlsCertOption, tlsKeyOption,
                       enterpriseOption, feedIntervalOption});
    parser.process(app);

    const auto fail = [](const QString& message) {
        std::fprintf(stderr, "norvane-fakehub: %s\n", qPrintable(message));
        return 2;
    };
    bool portOk = false;
    bool latencyOk = false;
    FakeHub::Options options;
    options.port = parser.value(portOption).toInt(&portOk);
    options.latency = std::chrono::milliseconds(parser.value(latencyOption).toInt(&latencyOk));
    if (!portOk || options.port < 0 || options.port > 65535 || !latencyOk || options.latency.count() < 0)
        return fail(QStringLiteral("--port and --latency-ms take non-negative numbers"));
    bool feedOk = false;
    options.feedPollIntervalSecs = parser.value(feedIntervalOption).toInt(&feedOk);
    if (!feedOk || options.feedPollIntervalSecs < 1)
        return fail(QStringLiteral("--feed-poll-interval takes a number of seconds of at least 1"));
    if (parser.isSet(tlsCertOption) != parser.isSet(tlsKeyOption))
        return fail(QStringLiteral("--tls-cert and --tls-key go together"));
    options.enterprise = parser.isSet(enterpriseOption);
    if (parser.isSet(tlsCertOption))
        options.tls = FakeHub::Options::Tls{parser.value(tlsCertOption), parser.value(tlsKeyOption)};
    if (parser.isSet(scenarioOption) == parser.isSet(generateOption))
        return fail(QStringLiteral("give exactly one of --scenario FILE and --generate N"));
    QList<std::pair<QString, int>> rateLimits;
    for (const QString& value : parser.values(rateLimitOption)) {
        const QStringList parts = value.split(QLatin1Char('='));
        bool ok = false;
        const int limit = parts.size() == 2 ? parts[1].toInt(&ok) : 0;
        if (!ok || limit < 0 || parts[0].isEmpty())
            return fail(QStringLiteral("--rate-limit takes RESOURCE=N, e.g. core=5000"));
        rateLimits.append({parts[0], limit});
    }

    // Block the stop signals before any thread starts, so that only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGUSR1);
    sigaddset(&stopSignals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        Scenario scenario;
        if (parser.isSet(generateOption)) {
            bool ok = false;
            const int n = parser.value(generateOption).toInt(&ok);
            if (!ok || n < 0)
                return fail(QStringLiteral("--generate takes a non-negative number"));
            const QByteArray json = QJsonDocument(generateScenarioJson(n)).toJson();
            if (parser.isSet(printOption)) {
                std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
                return 0;
            }
            scenario = Scenario::fromJson(json);
        } else {
            scenario = Scenario::fromFile(parser.value(scenarioOption));
        }
        std::mutex printing;
        bool addressPrinted = false;
        if (parser.isSet(logRequestsOption)) {
            options.onRequest = [&](const RecordedRequest& r) {
                std::lock_guard lock(printing);
                if (!addressPrinted) // a request can only follow the address, but stay safe
                    return;
                const QString query = r.query.isEmpty() ? QString() : QLatin1Char('?') + r.query;
                std::printf("request %s %s%s\n", qPrintable(r.method), qPrintable(r.path), qPrintable(query));
                std::fflush(stdout);
            };
        }
        FakeHub hub(std::move(scenario), options);
        for (const auto& [resource, limit] : rateLimits)
            hub.setRateLimit(resource, limit);
        {
            std::lock_guard lock(printing);
            std::printf("%s\n", qPrintable(hub.baseUrl()));
            std::fflush(stdout);
            addressPrinted = true;
        }
        const bool manual = parser.isSet(manualTimelineOption);
        const auto started = std::chrono::steady_clock::now();
        std::chrono::seconds played{0};
        for (;;) {
            const auto next = hub.nextTimelineEvent();
            int signal = 0;
            if (manual || !next) {
                sigwait(&stopSignals, &signal);
            } else {
                const auto wait = std::max(std::chrono::steady_clock::duration::zero(),
                                           started + *next - std::chrono::steady_clock::now());
                const auto secs = std::chrono::duration_cast<std::chrono::seconds>(wait);
                const timespec timeout{static_cast<time_t>(secs.count()),
                                       static_cast<long>((wait - secs) / std::chrono::nanoseconds(1))};
                signal = sigtimedwait(&stopSignals, nullptr, &timeout);
            }
            if (signal == SIGINT || signal == SIGTERM)
                break;
            if (signal == SIGUSR2) {
                hub.exhaustRateLimit();
                continue;
            }
            if (!next)
                continue;
            if (manual && signal == SIGUSR1)
                played = *next;
            else if (!manual && signal < 0)
                played = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() -
                                                                          started);
            try {
                hub.playTimeline(played);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "norvane-fakehub: timeline: %s\n", e.what());
            }
        }
        hub.stop();
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
    return 0;
}
