#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QSet>
#include <QSslCertificate>
#include <QStringList>

namespace norvane {

// Certificate authorities to trust besides the system's, for a GitHub Enterprise whose certificate a
// company's own authority signed. Read from the variables curl, git and OpenSSL read: SSL_CERT_FILE (a file
// of PEM certificates) and SSL_CERT_DIR (folders of PEM files, separated by ':'). They only add authorities:
// certificates are always verified, and nothing turns that off.
struct ExtraAuthorities
{
    QList<QSslCertificate> certificates; // each once
    QStringList problems;                // one line per named file or folder that holds no certificate
};

// The files Qt reads the system's authorities from (its OpenSSL backend: the *.pem and *.crt files of the
// usual folders), by canonical path. Listed, not parsed.
QSet<QString> systemCertificateFiles();

// Files in `systemFiles` are skipped: Qt trusts them already, and many set-ups name the system's own bundle
// in these variables, whose 400-odd certificates would otherwise be parsed a second time.
ExtraAuthorities extraAuthoritiesFromEnvironment(
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
    const QSet<QString>& systemFiles = systemCertificateFiles());

} // namespace norvane
