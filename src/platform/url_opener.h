#pragma once

#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace norvane {

// Parses an address that came from outside (GitHub data, a notification's payload) and accepts it only when
// it is a well-formed http or https address with a host. Anything else (javascript:, file:, custom
// schemes, relative references) would hand the text to some other handler on the desktop, so it is refused.
std::optional<QUrl> webAddress(const QString& text);
bool isWebAddress(const QUrl& url);

// Opens web addresses in the user's browser. Returns false, and opens nothing, when the address is refused
// (not an http or https address) or the desktop could not open it.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual bool open(const QUrl& url) = 0;
    bool open(const QString& text);
};

// Opens through QDesktopServices, which on Linux hands the address to xdg-open. Needs a QGuiApplication;
// without one every address is refused rather than crashing inside Qt.
class DesktopUrlOpener final : public UrlOpener
{
public:
    using UrlOpener::open;
    bool open(const QUrl& url) override;
};

// Records what it was asked to open, for tests of the screens and models; applies the same refusal rule.
class RecordingUrlOpener final : public UrlOpener
{
public:
    using UrlOpener::open;
    bool open(const QUrl& url) override;

    const std::vector<QUrl>& opened() const { return m_opened; }
    const std::vector<QUrl>& refused() const { return m_refused; }

private:
    std::vector<QUrl> m_opened;
    std::vector<QUrl> m_refused;
};

} // namespace norvane
