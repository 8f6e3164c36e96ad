// Recorded requests and the faults tests inject into fakehub's answers.
#include "fakehub_impl.h"

#include "search.h"

#include <QRegularExpression>

namespace norvane::fakehub {

QString RecordedRequest::header(const QString& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString RecordedRequest::queryValue(const QString& name) const
{
    for (const auto& [key, value] : decodeQueryString(query.toStdString())) {
        if (key == name)
            return value;
    }
    return {};
}

bool pathMatches(const QString& pattern, const QString& path)
{
    QString regex = QStringLiteral("^");
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) != QLatin1Char('*')) {
            regex += QRegularExpression::escape(pattern.at(i));
        } else if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('*')) {
            regex += QStringLiteral(".*");
            ++i;
        } else {
            regex += QStringLiteral("[^/]*");
        }
    }
    return QRegularExpression(regex + QLatin1Char('$')).match(path).hasMatch();
}

bool Fault::matches(const QString& requestMethod, const QString& requestPath) const
{
    const bool methodOk =
        method == QLatin1String("*") || method.compare(requestMethod, Qt::CaseInsensitive) == 0;
    return methodOk && pathMatches(path, requestPath);
}

static Fault makeFault(Fault::Kind kind, QString method, QString path)
{
    Fault f;
    f.kind = kind;
    f.method = std::move(method);
    f.path = std::move(path);
    return f;
}

Fault Fault::httpStatus(QString method, QString path, int status, QByteArray body)
{
    Fault f = makeFault(Kind::HttpStatus, std::move(method), std::move(path));
    f.status = status;
    f.body = std::move(body);
    return f;
}

Fault Fault::delayed(QString method, QString path, std::chrono::milliseconds delay)
{
    Fault f = makeFault(Kind::Delay, std::move(method), std::move(path));
    f.delay = delay;
    return f;
}

Fault Fault::malformedJson(QString method, QString path)
{
    return makeFault(Kind::MalformedJson, std::move(method), std::move(path));
}

Fault Fault::truncatedJson(QString method, QString path)
{
    return makeFault(Kind::TruncatedJson, std::move(method), std::move(path));
}

Fault Fault::dropConnection(QString method, QString path)
{
    return makeFault(Kind::DropConnection, std::move(method), std::move(path));
}

Fault Fault::dropMidBody(QString method, QString path)
{
    return makeFault(Kind::DropMidBody, std::move(method), std::move(path));
}

Fault Fault::redirect(QString method, QString path, int status, QString origin)
{
    Fault f = makeFault(Kind::Redirect, std::move(method), std::move(path));
    f.status = status;
    f.origin = std::move(origin);
    return f;
}

} // namespace norvane::fakehub
