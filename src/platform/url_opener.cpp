#include "platform/url_opener.h"

#include "platform/debug_log.h"

#include <QDesktopServices>
#include <QGuiApplication>

namespace norvane {

bool isWebAddress(const QUrl& url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme(); // QUrl keeps schemes in lower case
    return scheme == QStringLiteral("https") || scheme == QStringLiteral("http");
}

std::optional<QUrl> webAddress(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!isWebAddress(url))
        return std::nullopt;
    return url;
}

bool UrlOpener::open(const QString& text)
{
    const std::optional<QUrl> url = webAddress(text);
    if (!url) {
        debugLog(QStringLiteral("URL"), QStringLiteral("⚠️ Refused to open address: ") + text);
        return false;
    }
    return open(*url);
}

bool DesktopUrlOpener::open(const QUrl& url)
{
    if (!isWebAddress(url)) {
        debugLog(QStringLiteral("URL"), QStringLiteral("⚠️ Refused to open address: ") + url.toString());
        return false;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        debugLog(QStringLiteral("URL"), QStringLiteral("❌ Cannot open addresses without a GUI application"));
        return false;
    }
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        debugLog(QStringLiteral("URL"), QStringLiteral("❌ The desktop could not open ") + url.toString());
    return opened;
}

bool RecordingUrlOpener::open(const QUrl& url)
{
    if (!isWebAddress(url)) {
        m_refused.push_back(url);
        return false;
    }
    m_opened.push_back(url);
    return true;
}

} // namespace norvane
