#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>

#include <exception>
#include <optional>
#include <string>

namespace norvane {

// The transfer itself failed: offline, refused, timed out, dropped, or cancelled by the caller.
class TransportError : public std::exception {
public:
    TransportError(int code, QString description, QVariantMap info = {});

    int code() const { return m_code; }                      // QNetworkReply::NetworkError
    QString description() const { return m_description; }  // the platform's own text
    QString domain() const { return QStringLiteral("QNetworkReply"); }
    const QVariantMap& info() const { return m_info; }
    bool isCancellation() const;
    // A redirect was refused (another origin) or there were too many: waiting will not mend it.
    bool isRedirectFailure() const;
    QString printed() const; // one-line form for logs
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_code;
    QString m_description;
    QVariantMap m_info;
    std::string m_what;
};

// A request to the GitHub API that did not produce the expected record.
class GitHubAPIError : public std::exception {
public:
    enum class Kind { badURL, badServerResponse, networkError, decodingError };

    static GitHubAPIError badURL(const QString& address);
    // `retryAt`: set when the answer was GitHub's rate limit, the time it accepts requests again.
    static GitHubAPIError badServerResponse(const QString& endpoint, int statusCode, const QString& body,
                                            std::optional<QDateTime> retryAt = std::nullopt);
    static GitHubAPIError networkError(const QString& endpoint, const TransportError& error);
    static GitHubAPIError decodingError(const QString& endpoint, const QString& decoderError, const QString& body);

    Kind kind() const { return m_kind; }
    QString endpoint() const { return m_endpoint; }
    int statusCode() const { return m_statusCode; }
    QString body() const { return m_body; }         // whole body; only the description cuts it
    QString address() const { return m_endpoint; }  // for badURL
    QString underlyingError() const { return m_error; }
    const std::optional<QDateTime>& retryAt() const { return m_retryAt; }
    QString errorDescription() const;
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    GitHubAPIError(Kind kind, QString endpoint, int status, QString body, QString error);
    Kind m_kind;
    QString m_endpoint;
    int m_statusCode = 0;
    QString m_body;
    QString m_error;
    std::optional<QDateTime> m_retryAt;
    std::string m_what;
};

// Failures the caller reacts to by asking the user to sign in again.
class GitHubServiceError : public std::exception {
public:
    enum class Kind { unauthorized };
    explicit GitHubServiceError(Kind kind = Kind::unauthorized) : m_kind(kind) {}
    Kind kind() const { return m_kind; }
    QString errorDescription() const;
    const char* what() const noexcept override { return "unauthorized"; }
    friend bool operator==(const GitHubServiceError&, const GitHubServiceError&) = default;

private:
    Kind m_kind;
};

} // namespace norvane
