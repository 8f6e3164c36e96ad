// norvane-fakehub: serves a scenario on 127.0.0.1 until killed. The first line of standard output is the
// base address, so scripts can read it and point the client at it.
#include "fakehub.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <csignal>
#include <cstdio>
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
    parser.addOptions({scenarioOption, generateOption, printOption, portOption, latencyOption});
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
    if (parser.isSet(scenarioOption) == parser.isSet(generateOption))
        return fail(QStringLiteral("give exactly one of --scenario FILE and --generate N"));

    // Block the stop signals before any thread starts, so that only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
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
        FakeHub hub(std::move(scenario), options);
        std::printf("%s\n", qPrintable(hub.baseUrl()));
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stopSignals, &signal);
        hub.stop();
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
    return 0;
}
