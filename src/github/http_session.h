#pragma once

#include "github/cancellation.h"

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPair>
#include <QString>

#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace norvane {

// What came back for one request that reached a server. Transport failures are thrown as TransportError.
struct HttpReply {
    bool isHttp = true;
    int statusCode = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

// What a network-level failure says to a person: Qt's own text, made plainer where it does not say what to do.
QString transportFailureText(QNetworkReply::NetworkError error, const QString& qtText, const QUrl& url);

// The process's shared HTTP session: one QNetworkAccessManager, the 60-second transfer timeout and the
// User-Agent GitHub insists on. Callers build the request with only the headers they mean to send.
class HttpSession {
public:
    static constexpr int kTimeoutMs = 60'000;

    // `timeoutMs`: how long a transfer may stall; only tests that wait for a time-out shorten it.
    explicit HttpSession(QNetworkAccessManager* manager, QString userAgent = defaultUserAgent(),
                         int timeoutMs = kTimeoutMs);

    static QString defaultUserAgent();

    // Throws TransportError when no reply arrives (including a cancelled token, before or during the transfer).
    QCoro::Task<HttpReply> get(QNetworkRequest request, CancelToken cancel) const;
    QCoro::Task<HttpReply> postForm(QNetworkRequest request, QByteArray form, CancelToken cancel) const;

    QNetworkAccessManager* manager() const { return m_manager; }

private:
    QNetworkAccessManager* m_manager;
    QString m_userAgent;
    int m_timeoutMs;
};

} // namespace norvane
