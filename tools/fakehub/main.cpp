// norvane-fakehub: serves a scenario on 127.0.0.1 until killed. The first line of standard output is the
// base address, so scripts can read it and point the client at it. The scenario's timeline plays on the
// clock from then on, or one event per SIGUSR1 with --manual-timeline.
#include "fakehub.h"
#include "fakehub_options.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <variant>

using namespace norvane::fakehub;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments());
    const auto fail = [](const QString& message, int exitCode = 2) {
        std::fprintf(stderr, "norvane-fakehub: %s\n", qPrintable(message));
        return exitCode;
    };
    if (const auto* error = std::get_if<CommandLineError>(&commandLine))
        return fail(error->message, error->exitCode);
    if (std::holds_alternative<CommandLineHelp>(commandLine))
        printHelp(QCoreApplication::arguments());
    CommandLineOptions options = std::get<CommandLineOptions>(commandLine);

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
        if (options.generate) {
            const QByteArray json = QJsonDocument(generateScenarioJson(*options.generate)).toJson();
            if (options.print) {
                std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
                return 0;
            }
            scenario = Scenario::fromJson(json);
        } else {
            scenario = Scenario::fromFile(*options.scenarioFile);
        }
        std::mutex printing;
        bool addressPrinted = false;
        if (options.logRequests) {
            options.hub.onRequest = [&](const RecordedRequest& r) {
                std::lock_guard lock(printing);
                if (!addressPrinted) // a request can only follow the address, but stay safe
                    return;
                const QString query = r.query.isEmpty() ? QString() : QLatin1Char('?') + r.query;
                std::printf("request %s %s%s\n", qPrintable(r.method), qPrintable(r.path), qPrintable(query));
                std::fflush(stdout);
            };
        }
        FakeHub hub(std::move(scenario), options.hub);
        for (const auto& [resource, limit] : options.rateLimits)
            hub.setRateLimit(resource, limit);
        {
            std::lock_guard lock(printing);
            std::printf("%s\n", qPrintable(hub.baseUrl()));
            std::fflush(stdout);
            addressPrinted = true;
        }
        const bool manual = options.manualTimeline;
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
                const int count = hub.playTimeline(played);
                if (options.logRequests && manual) {
                    // Tests wait for this line: a signal alone does not say when the world has changed.
                    std::lock_guard lock(printing);
                    std::printf("played %d\n", count);
                    std::fflush(stdout);
                }
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
