#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QSslCertificate>
#include <QStringList>

namespace norvane {

// Certificate authorities to trust besides the system's, for a GitHub Enterprise whose certificate a company's
// own authority signed. Read from the variables curl, git and OpenSSL read: SSL_CERT_FILE (a file of PEM
// certificates) and SSL_CERT_DIR (folders of PEM files, separated by ':'). They only add authorities:
// certificates are always verified, and nothing turns that off.
struct ExtraAuthorities {
    QList<QSslCertificate> certificates;
    QStringList problems; // one line per named file or folder that holds no certificate
};

ExtraAuthorities extraAuthoritiesFromEnvironment(
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

} // namespace norvane
