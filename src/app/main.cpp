#include "cli/command_line.h"
#include "platform/app_identity.h"
#include "platform/debug_log.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace norvane;

int main(int argc, char* argv[])
{
    // Headless commands run without a display, on their own core application.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (cli::isCommand(arguments))
        return cli::run(argc, argv);

    QCoreApplication app(argc, argv);
    const AppIdentity identity = AppIdentity::current();
    QCoreApplication::setOrganizationName(QStringLiteral("Norvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Norvane"));
    QCoreApplication::setApplicationVersion(identity.version);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Keeps you on top of your GitHub pull requests."));
    parser.addHelpOption();
    const QCommandLineOption versionOption(QStringLiteral("version"), QStringLiteral("Print the version and exit."));
    parser.addOption(versionOption);
    parser.process(app);

    if (parser.isSet(versionOption)) {
        QTextStream(stdout) << "Norvane " << identity.version << " (" << identity.build << ")\n";
        return 0;
    }

    const bool debug = isDebugMode();
    qInfo().noquote() << QStringLiteral("🚀 Norvane starting up - Debug mode: ") +
                             (debug ? QStringLiteral("true") : QStringLiteral("false"));
    if (debug)
        qInfo().noquote() << QStringLiteral("✅ Debug mode is ENABLED");
    processDebugLogger().waitUntilIdle();
    return 0;
}
