#pragma once

#include <QDeadlineTimer>
#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace norvane {

// One running Norvane per user and profile. A start first knocks on a local socket in the runtime directory:
// when a running instance answers, it is asked to open its panel and this start hands over and leaves.
// Otherwise it takes a lock file beside the socket, and only the start holding the lock clears a socket a
// crash left behind and listens: two starts at once (login autostart and a click in the menu) can both
// find nobody answering, but only one of them gets the lock; the other knocks again until the winner
// answers. The lock is held for the life of the instance; one whose holder died is taken over.
// Everything happens on the event loop; nothing waits.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    // The socket for `profileKey` (a profile folder, or empty for the user's own preferences).
    static QString socketPath(const QString& profileKey);

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Emits exactly one of becamePrimary() or handedOver().
    void start();
    bool isListening() const;

Q_SIGNALS:
    void becamePrimary();
    void handedOver();
    // A later start asked this instance to show itself.
    void showRequested();

private:
    void knock();
    void noAnswer();
    void listen();
    void onNewConnection();

    QString m_path;
    QLockFile m_lock;
    QDeadlineTimer m_giveUp; // how long a lock holder that never answers is waited for
    QLocalServer* m_server = nullptr;
    QLocalSocket* m_knock = nullptr;
};

} // namespace norvane
