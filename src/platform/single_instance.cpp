#include "platform/single_instance.h"

#include "platform/debug_log.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace norvane {

namespace {
const QByteArray kShow = "show\n";
// A running instance answers a local socket at once; one that does not within this is as good as gone.
constexpr int kKnockTimeoutMs = 2000;
// While another start holds the lock but does not answer yet, knock again this often ...
constexpr int kRetryMs = 100;
// ... for this long: a start that holds the lock this long without answering has hung.
constexpr int kWaitForHolderMs = 15000;
// A lock file that names no owner is one whose writer died between creating and filling it.
constexpr qint64 kOwnerlessLockAgeMs = 5000;
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
    : QObject(parent), m_path(std::move(socketPath)), m_lock(m_path + QStringLiteral(".lock"))
{
    // Held for the whole run: only a dead holder makes it stale, never its age.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::start()
{
    m_giveUp = QDeadlineTimer(kWaitForHolderMs);
    knock();
}

void SingleInstance::knock()
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
    connect(m_knock, &QLocalSocket::errorOccurred, this, &SingleInstance::noAnswer);
    connect(timeout, &QTimer::timeout, this, &SingleInstance::noAnswer);
    timeout->start(kKnockTimeoutMs);
    m_knock->connectToServer(m_path);
}

void SingleInstance::noAnswer()
{
    if (!m_knock)
        return;
    m_knock->disconnect(this);
    m_knock->abort();
    m_knock->deleteLater();
    m_knock = nullptr;

    if (m_lock.tryLock(0)) {
        listen();
        return;
    }
    qint64 pid = 0;
    QString host, application;
    const QFileInfo lockFile(m_path + QStringLiteral(".lock"));
    if (!m_lock.getLockInfo(&pid, &host, &application) &&
        lockFile.lastModified().msecsTo(QDateTime::currentDateTime()) > kOwnerlessLockAgeMs) {
        m_lock.removeStaleLockFile();
        if (m_lock.tryLock(0)) {
            listen();
            return;
        }
    }
    if (m_giveUp.hasExpired()) {
        // Another start holds the instance and never answered. Two instances would notify twice; leaving
        // is the lesser evil, and the log says why.
        debugLog(QStringLiteral("Startup"),
                 QStringLiteral("⚠️ Another Norvane (process %1) holds %2 but does not answer; leaving it running")
                     .arg(pid)
                     .arg(lockFile.filePath()));
        Q_EMIT handedOver();
        return;
    }
    // Another start is taking the instance at this moment: its socket answers shortly.
    QTimer::singleShot(kRetryMs, this, &SingleInstance::knock);
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    // The lock is ours and nobody answered: a socket file still there was left by a crash.
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
