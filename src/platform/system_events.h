#pragma once

#include <QObject>

namespace norvane {

// What the desktop says about sleep and the network: logind's PrepareForSleep on the system bus, and
// NetworkManager's state through Qt's network-information backend. Where neither runs nothing is ever
// reported and the network counts as online.
class SystemEvents : public QObject
{
    Q_OBJECT

public:
    explicit SystemEvents(QObject* parent = nullptr);

    // Starts listening. Loading Qt's network backend asks NetworkManager for its state once.
    void start();
    // False from the moment the desktop reports no network until it reports one connected again; an unknown
    // state changes nothing, so where nothing is known the network counts as there. A hint for when to catch
    // up, never a reason to hold requests back.
    bool isOnline() const { return m_online; }

Q_SIGNALS:
    void resumed();
    void onlineChanged(bool online);

private Q_SLOTS:
    void onPrepareForSleep(bool goingToSleep);

private:
    void setOnline(bool online);

    bool m_online = true;
};

} // namespace norvane
