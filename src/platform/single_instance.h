#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace norvane {

// One running Norvane per user and profile. A start first knocks on a local socket in the runtime directory:
// when a running instance answers, it is asked to open its panel and this start hands over and leaves;
// otherwise this start takes the socket (clearing one a crash left behind) and becomes the instance.
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
    void listen();
    void onNewConnection();

    QString m_path;
    QLocalServer* m_server = nullptr;
    QLocalSocket* m_knock = nullptr;
};

} // namespace norvane
