#pragma once

// A throw-away certificate authority and a server certificate it signed for 127.0.0.1, made at test time with
// the openssl command, so a fakehub can serve HTTPS that only a client trusting this authority accepts.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <stdexcept>

namespace norvane::testing {

class TestCertificates
{
public:
    TestCertificates()
    {
        if (!m_dir.isValid())
            throw std::runtime_error("no temporary folder for the certificates");
        QFile extensions(path("server.ext"));
        if (!extensions.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the certificate extensions");
        extensions.write("basicConstraints=critical,CA:FALSE\n"
                         "keyUsage=critical,digitalSignature\n"
                         "extendedKeyUsage=serverAuth\n"
                         "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
        extensions.close();
        const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                             QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
                QStringList{QStringLiteral("-keyout"), path("ca.key"), QStringLiteral("-out"), caFile(),
                            QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                            QStringLiteral("/CN=Norvane Test CA"), QStringLiteral("-addext"),
                            QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                            QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
        openssl(QStringList{QStringLiteral("req")} + ec +
                QStringList{QStringLiteral("-keyout"), keyFile(), QStringLiteral("-out"), path("server.csr"),
                            QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")});
        openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), path("server.csr"),
                 QStringLiteral("-CA"), caFile(), QStringLiteral("-CAkey"), path("ca.key"),
                 QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"),
                 QStringLiteral("-extfile"), path("server.ext"), QStringLiteral("-out"), certificateFile()});
    }

    QString caFile() const { return path("ca.pem"); }              // the authority's certificate
    QString certificateFile() const { return path("server.pem"); } // the server's, signed by it
    QString keyFile() const { return path("server.key"); }
    // A folder holding only the authority's certificate, as SSL_CERT_DIR names one.
    QString authorityFolder() const
    {
        const QString folder = path("authorities");
        QDir().mkpath(folder);
        QFile::copy(caFile(), QDir(folder).filePath(QStringLiteral("norvane-test-ca.pem")));
        return folder;
    }

private:
    QString path(const char* name) const { return QDir(m_dir.path()).filePath(QString::fromLatin1(name)); }

    static void openssl(const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("openssl"), arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            throw std::runtime_error("openssl " + arguments.join(QLatin1Char(' ')).toStdString() +
                                     " failed: " + process.readAll().toStdString());
    }

    QTemporaryDir m_dir;
};

} // namespace norvane::testing
