#include "platform/single_instance.h"

#include "platform/debug_log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace norvane {

namespace {
const QByteArray kShow = "show\n";
// A running instance answers a local socket at once; one that does not within this is as good as gone.
constexpr int kKnockTimeoutMs = 2000;
} // namespace

QString SingleInstance::socketPath(const QString& profileKey)
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    const QString key = profileKey.isEmpty() ? QStringLiteral("default") : QDir(profileKey).absolutePath();
    const QByteArray digest =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return directory + QStringLiteral("/norvane-") + QString::fromLatin1(digest) + QStringLiteral(".socket");
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_path(std::move(socketPath))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::start()
{
    m_knock = new QLocalSocket(this);
    auto* timeout = new QTimer(m_knock);
    timeout->setSingleShot(true);
    connect(m_knock, &QLocalSocket::connected, this, [this] { m_knock->write(kShow); });
    connect(m_knock, &QLocalSocket::bytesWritten, this, [this] {
        if (m_knock->bytesToWrite() > 0)
            return;
        debugLog(QStringLiteral("Startup"),
                 QStringLiteral("🔄 Norvane is already running; asked it to show its panel"));
        m_knock->disconnectFromServer();
        m_knock->deleteLater();
        m_knock = nullptr;
        Q_EMIT handedOver();
    });
    const auto noAnswer = [this] {
        if (!m_knock)
            return;
        m_knock->disconnect(this);
        m_knock->abort();
        m_knock->deleteLater();
        m_knock = nullptr;
        listen();
    };
    connect(m_knock, &QLocalSocket::errorOccurred, this, noAnswer);
    connect(timeout, &QTimer::timeout, this, noAnswer);
    timeout->start(kKnockTimeoutMs);
    m_knock->connectToServer(m_path);
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    // Nobody answered: a socket file still there was left by a crash.
    QLocalServer::removeServer(m_path);
    if (!m_server->listen(m_path))
        debugLog(QStringLiteral("Startup"),
                 QStringLiteral("⚠️ Could not listen on %1: %2").arg(m_path, m_server->errorString()));
    Q_EMIT becamePrimary();
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine(64) == kShow)
                    Q_EMIT showRequested();
            }
        });
    }
}

} // namespace norvane
