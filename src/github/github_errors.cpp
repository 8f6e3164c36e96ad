#include "github/github_errors.h"

#include <QCoreApplication>
#include <QNetworkReply>

namespace norvane {

TransportError::TransportError(int code, QString description, QVariantMap info)
    : m_code(code), m_description(std::move(description)), m_info(std::move(info)),
      m_what(m_description.toStdString())
{
}

bool TransportError::isCancellation() const
{
    return m_code == QNetworkReply::OperationCanceledError;
}

bool TransportError::isRedirectFailure() const
{
    return m_code == QNetworkReply::InsecureRedirectError || m_code == QNetworkReply::TooManyRedirectsError;
}

QString TransportError::printed() const
{
    return QStringLiteral("TransportError(domain: %1, code: %2, \"%3\")")
        .arg(domain())
        .arg(m_code)
        .arg(m_description);
}

GitHubAPIError::GitHubAPIError(Kind kind, QString endpoint, int status, QString body, QString error)
    : m_kind(kind), m_endpoint(std::move(endpoint)), m_statusCode(status), m_body(std::move(body)),
      m_error(std::move(error))
{
    m_what = errorDescription().toStdString();
}

GitHubAPIError GitHubAPIError::badURL(const QString& address)
{
    return GitHubAPIError(Kind::badURL, address, 0, {}, {});
}

GitHubAPIError GitHubAPIError::badServerResponse(const QString& endpoint, int statusCode, const QString& body,
                                                 std::optional<QDateTime> retryAt)
{
    GitHubAPIError error(Kind::badServerResponse, endpoint, statusCode, body, {});
    error.m_retryAt = std::move(retryAt);
    return error;
}

GitHubAPIError GitHubAPIError::networkError(const QString& endpoint, const TransportError& error)
{
    return GitHubAPIError(Kind::networkError, endpoint, 0, {}, error.description());
}

GitHubAPIError GitHubAPIError::decodingError(const QString& endpoint, const QString& decoderError,
                                             const QString& body)
{
    return GitHubAPIError(Kind::decodingError, endpoint, 0, body, decoderError);
}

QString GitHubAPIError::errorDescription() const
{
    switch (m_kind) {
    case Kind::badURL:
        //: %1 is the address that could not be parsed
        return QCoreApplication::translate("GitHubError", "Invalid URL: %1").arg(m_endpoint);
    case Kind::badServerResponse:
        //: %1 names the request (e.g. "search/issues (author)"), %2 is the HTTP status, %3 the start of the
        //: server's answer
        return QCoreApplication::translate("GitHubError", "API Error [%1]: HTTP %2 - %3")
            .arg(m_endpoint, QString::number(m_statusCode), m_body.left(200));
    case Kind::networkError:
        //: %1 names the request, %2 is the network's own error text
        return QCoreApplication::translate("GitHubError", "Network Error [%1]: %2").arg(m_endpoint, m_error);
    case Kind::decodingError:
        break;
    }
    //: %1 names the request, %2 says what in the answer was wrong, %3 is the start of the answer
    return QCoreApplication::translate("GitHubError", "JSON Decode Error [%1]: %2 - Response: %3")
        .arg(m_endpoint, m_error, m_body.left(200));
}

QString GitHubServiceError::errorDescription() const
{
    return QCoreApplication::translate("GitHubError", "GitHub rejected the access token (HTTP 401).");
}

} // namespace norvane
