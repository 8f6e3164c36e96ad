#include "github/tls_trust.h"

#include <QDir>
#include <QFileInfo>

namespace norvane {

namespace {

// The folders Qt's OpenSSL backend looks in on Unix, in its order.
const char* const kSystemFolders[] = {
    "/etc/ssl/certs/",     "/usr/lib/ssl/certs/", "/usr/share/ssl/",
    "/usr/local/ssl/",     "/var/ssl/certs/",     "/usr/local/ssl/certs/",
    "/etc/openssl/certs/", "/opt/openssl/certs/", "/etc/ssl/",
};

} // namespace

QSet<QString> systemCertificateFiles()
{
    QSet<QString> files;
    const QStringList patterns{QStringLiteral("*.pem"), QStringLiteral("*.crt")};
    for (const char* folder : kSystemFolders) {
        const QFileInfoList entries = QDir(QString::fromLatin1(folder)).entryInfoList(patterns, QDir::Files);
        for (const QFileInfo& entry : entries) {
            const QString path = entry.canonicalFilePath();
            if (!path.isEmpty())
                files.insert(path);
        }
    }
    return files;
}

ExtraAuthorities extraAuthoritiesFromEnvironment(const QProcessEnvironment& environment,
                                                 const QSet<QString>& systemFiles)
{
    ExtraAuthorities extra;
    QSet<QSslCertificate> seen;
    QSet<QString> read;
    // Reads one file unless it is the system's or was read already under another name (a hash link beside its
    // *.pem); false when it was skipped.
    const auto readFile = [&](const QString& path, QList<QSslCertificate>& found) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty() && (systemFiles.contains(canonical) || read.contains(canonical)))
            return false;
        read.insert(canonical);
        found += QSslCertificate::fromPath(path, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        return true;
    };
    const auto keep = [&](const QList<QSslCertificate>& found) {
        for (const QSslCertificate& certificate : found) {
            if (!seen.contains(certificate)) {
                seen.insert(certificate);
                extra.certificates.append(certificate);
            }
        }
    };

    const QString file = environment.value(QStringLiteral("SSL_CERT_FILE"));
    if (!file.isEmpty()) {
        QList<QSslCertificate> found;
        if (readFile(file, found) && found.isEmpty())
            extra.problems.append(
                QStringLiteral("SSL_CERT_FILE names %1, which holds no PEM certificate.").arg(file));
        keep(found);
    }
    const QStringList folders =
        environment.value(QStringLiteral("SSL_CERT_DIR")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        QList<QSslCertificate> found;
        bool skipped = false;
        // Every file: OpenSSL's folders name theirs by hash, a person's by anything. In the system's folder
        // the hash names lead to the same files as the *.pem names, so both are skipped.
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& entry : entries)
            skipped = !readFile(entry.filePath(), found) || skipped;
        if (found.isEmpty() && !skipped)
            extra.problems.append(
                QStringLiteral("SSL_CERT_DIR names %1, which holds no PEM certificate.").arg(folder));
        keep(found);
    }
    return extra;
}

} // namespace norvane
