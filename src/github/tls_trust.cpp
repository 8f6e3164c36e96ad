#include "github/tls_trust.h"

#include <QDir>
#include <QFileInfo>

namespace norvane {

ExtraAuthorities extraAuthoritiesFromEnvironment(const QProcessEnvironment& environment)
{
    ExtraAuthorities extra;
    const QString file = environment.value(QStringLiteral("SSL_CERT_FILE"));
    if (!file.isEmpty()) {
        const QList<QSslCertificate> found = QSslCertificate::fromPath(file, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (found.isEmpty())
            extra.problems.append(QStringLiteral("SSL_CERT_FILE names %1, which holds no PEM certificate.").arg(file));
        extra.certificates += found;
    }
    const QStringList folders =
        environment.value(QStringLiteral("SSL_CERT_DIR")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        QList<QSslCertificate> found;
        // Every file: OpenSSL's folders name theirs by hash, a person's by anything.
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& entry : entries)
            found += QSslCertificate::fromPath(entry.filePath(), QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (found.isEmpty())
            extra.problems.append(QStringLiteral("SSL_CERT_DIR names %1, which holds no PEM certificate.").arg(folder));
        extra.certificates += found;
    }
    return extra;
}

} // namespace norvane
