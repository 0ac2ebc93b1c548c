// The school server's encrypted connections, set up by the project's script
// with --tls on a real server listening on TCP: the machines connect only
// over TLS, to a server whose certificate the school's CA signed for the
// name they use.
#include "journal/Database.h"
#include "support/PgCluster.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

namespace {

using namespace Qt::Literals::StringLiterals;

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ServerTls, OnlyAVerifiedEncryptedConnectionGetsIn)
{
    testing_support::PgCluster cluster(/*logStatements=*/false, /*tcp=*/true);
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    // A plain line as the old set-up had the technician write: it must go.
    const QString hba = cluster.sql(u"SHOW hba_file"_s);
    {
        QFile file(hba);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("host registro registro_alunni,registro_docenti 127.0.0.1/32 scram-sha-256\n");
    }
    ASSERT_FALSE(cluster.sql(u"SELECT pg_reload_conf()"_s).isNull());
    journal::ServerSettings plain = cluster.pupils();
    plain.host = u"127.0.0.1"_s;
    plain.sslMode = u"disable"_s;
    ASSERT_TRUE(journal::openServer(plain).isOpen()) << "before: a plain connection gets in";

    const QString folder = cluster.folder() + u"/ca"_s;
    QString out;
    ASSERT_TRUE(cluster.runScript({u"--tls"_s, folder, u"--nome-server"_s, u"localhost"_s}, &out)) << out.toStdString();
    EXPECT_TRUE(out.contains(folder + u"/ca.crt"_s)) << "the file to copy is named: " << out.toStdString();
    const QByteArray ca = contents(folder + u"/ca.crt"_s);
    ASSERT_TRUE(ca.startsWith("-----BEGIN CERTIFICATE-----"));
    EXPECT_TRUE(QFile::exists(folder + u"/ca.key"_s));
    const QString dataDir = cluster.sql(u"SHOW data_directory"_s);
    EXPECT_TRUE(QDir(dataDir).entryList({u"*.key"_s}).isEmpty()) << "no key in the data directory";

    journal::ServerSettings machine = cluster.pupils();
    machine.host = u"localhost"_s;
    machine.sslRootCert = folder + u"/ca.crt"_s;
    ASSERT_EQ(machine.effectiveSslMode(), u"verify-full");
    {
        journal::Connection c = journal::openServer(machine);
        ASSERT_TRUE(c.isOpen()) << c.error().text().toStdString();
        QSqlQuery q(c.database());
        ASSERT_TRUE(q.exec(u"SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"_s) && q.next());
        EXPECT_TRUE(q.value(0).toBool());
    }

    // Another CA (made here), a name the certificate was not made for, no TLS.
    QProcess openssl;
    openssl.setWorkingDirectory(cluster.folder());
    openssl.start(u"openssl"_s, {u"req"_s, u"-x509"_s, u"-new"_s, u"-newkey"_s, u"rsa:2048"_s, u"-noenc"_s,
                                 u"-keyout"_s, u"altra.key"_s, u"-out"_s, u"altra.crt"_s, u"-days"_s, u"2"_s,
                                 u"-subj"_s, u"/CN=Altra CA"_s});
    ASSERT_TRUE(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
    journal::ServerSettings otherCa = machine, otherName = machine;
    otherCa.sslRootCert = cluster.folder() + u"/altra.crt"_s;
    otherName.host = u"127.0.0.1"_s;
    for (const auto& [why, settings] : {std::pair{"another CA", otherCa}, std::pair{"another name", otherName},
                                        std::pair{"no TLS", plain}}) {
        journal::Connection c = journal::openServer(settings);
        EXPECT_FALSE(c.isOpen()) << why;
    }
    const QString rules = QString::fromUtf8(contents(hba));
    EXPECT_TRUE(rules.contains(u"\n# tolta da registro-server.sh: host registro"_s)) << rules.toStdString();

    // Again (a machine added later): the same CA, one block of lines.
    ASSERT_TRUE(cluster.runScript({u"--tls"_s, folder, u"--nome-server"_s, u"localhost"_s}, &out)) << out.toStdString();
    EXPECT_EQ(contents(folder + u"/ca.crt"_s), ca);
    EXPECT_EQ(QString::fromUtf8(contents(hba)).count(u"hostssl"_s), 1);
    journal::Connection again = journal::openServer(machine);
    EXPECT_TRUE(again.isOpen()) << again.error().text().toStdString();
}

}  // namespace
