// One refresh of the pull-request engine against a running GitHub (norvane-fakehub in the benchmarks), timed
// inside the process: wall time, the CPU time of the whole process (Qt's HTTP thread included) and of the
// main thread alone, and the requests sent, per refresh. The process start and the first connection are outside every figure: the
// first refresh is a warm-up and is reported as run 0.
// Run: refresh_bench --api-url URL [--user bench] [--token bench-token] [--runs 5]; over HTTPS with the
// authority that signed the server's certificate in SSL_CERT_FILE.
// Prints one JSON object per refresh: {"run":1,"wall_ms":..,"cpu_ms":..,"main_thread_cpu_ms":..,"requests":..,...}
#include "core/github_account.h"
#include "github/github_service.h"
#include "github/http_session.h"
#include "github/network_proxy.h"
#include "github/tls_trust.h"
#include "models/pr_view_model.h"
#include "platform/app_identity.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTimer>

#include <cstdio>
#include <ctime>

using namespace norvane;

namespace {

// Counts what the engine asks for, so the request budget is checked from the client's side.
class CountingNetwork : public QNetworkAccessManager {
public:
    int sent = 0;

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request, QIODevice* data) override
    {
        ++sent;
        return QNetworkAccessManager::createRequest(op, request, data);
    }
};

double cpuMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    useSystemProxies(); // as the app does
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption apiOption(QStringLiteral("api-url"), QString(), QStringLiteral("url"));
    const QCommandLineOption userOption(QStringLiteral("user"), QString(), QStringLiteral("login"),
                                        QStringLiteral("bench"));
    const QCommandLineOption tokenOption(QStringLiteral("token"), QString(), QStringLiteral("token"),
                                         QStringLiteral("bench-token"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QString(), QStringLiteral("n"),
                                        QStringLiteral("5"));
    parser.addOptions({apiOption, userOption, tokenOption, runsOption});
    parser.process(app);
    const int runs = parser.value(runsOption).toInt();
    if (!parser.isSet(apiOption) || runs < 1) {
        std::fprintf(stderr, "usage: refresh_bench --api-url URL [--user LOGIN] [--token TOKEN] [--runs N]\n");
        return 2;
    }

    CountingNetwork network;
    // Over HTTPS, fakehub's throw-away authority is named in SSL_CERT_FILE, as the app takes it.
    HttpSession session(&network);
    session.trustAlso(extraAuthoritiesFromEnvironment().certificates);
    auto storage = std::make_shared<InMemoryKeychainService::Storage>();
    (*storage)[QStringLiteral("bench")] = parser.value(tokenOption);
    const GitHubAccount account{QUuid::createUuid(), parser.value(userOption), QStringLiteral("bench"),
                                std::nullopt};
    PRViewModel model(PRViewModel::Dependencies{
        GitHubService(session, parser.value(apiOption)),
        std::make_shared<InMemoryKeychainService>(storage),
        std::make_shared<InMemoryPreferences>(),
        std::make_shared<RecordingNotifier>(),
        AppIdentity::current(),
        nullptr,
        QStringLiteral("86400"), // no poll of its own during the runs
        false,
        parser.value(apiOption),
        [](const QString&) {},
    });

    int run = 0;
    int failures = 0;
    QElapsedTimer wall;
    double cpuAtStart = 0;
    double mainCpuAtStart = 0;
    int sentAtStart = 0;
    const auto begin = [&] {
        sentAtStart = network.sent;
        cpuAtStart = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        mainCpuAtStart = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        wall.start();
    };
    QObject::connect(&model, &PRViewModel::isLoadingChanged, &app, [&](bool loading) {
        if (loading)
            return;
        const double wallMs = double(wall.nsecsElapsed()) / 1e6;
        const double cpu = cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpuAtStart;
        const double mainCpu = cpuMs(CLOCK_THREAD_CPUTIME_ID) - mainCpuAtStart;
        if (model.errorMessage()) {
            std::fprintf(stderr, "refresh_bench: %s\n", qPrintable(*model.errorMessage()));
            ++failures;
        }
        std::printf("{\"run\":%d,\"wall_ms\":%.3f,\"cpu_ms\":%.3f,\"main_thread_cpu_ms\":%.3f,\"requests\":%d,"
                    "\"pull_requests\":%lld}\n",
                    run, wallMs, cpu, mainCpu, network.sent - sentAtStart,
                    static_cast<long long>(model.pullRequests().size()));
        std::fflush(stdout);
        if (run++ == runs || failures) {
            QTimer::singleShot(0, &app, [&] { QCoreApplication::exit(failures ? 1 : 0); });
            return;
        }
        // The next refresh starts from the event loop, as a poll does, not inside this signal.
        QTimer::singleShot(0, &model, [&] {
            begin();
            model.refresh();
        });
    });
    begin();
    model.setSelectedAccount(account);
    return app.exec();
}
