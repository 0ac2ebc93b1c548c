#include "journal/Database.h"
#include "support/PgCluster.h"

#include "support/PrintTo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

using namespace Qt::Literals::StringLiterals;

const QStringList kTables = {u"runs"_s, u"operations"_s, u"run_ends"_s, u"pupil_names"_s, u"sheets"_s};

QStringList localColumns(const QSqlDatabase& db, const QString& table)
{
    QStringList names;
    QSqlQuery q(db);
    q.exec(u"PRAGMA table_info("_s + table + u")"_s);
    while (q.next()) names << q.value(1).toString();
    return names;
}

QString scalar(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
}

bool execute(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    return q.exec(sql);
}

TEST(JournalDatabase, TheLocalFileIsMadeOnceAsTheUmaskSaysInWalModeAtTheLatestVersion)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder others may read: the file is private all the same.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                      QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                      QFileDevice::ExeOther));
    const QString path = dir.filePath(u"registro.sqlite"_s);
    const mode_t umask = ::umask(077);
    const auto restore = qScopeGuard([umask] { ::umask(umask); });
    {
        journal::Connection c = journal::openLocal(path);
        ASSERT_TRUE(c.isOpen()) << c.error().text().toStdString();
        const QSqlDatabase db = c.database();
        EXPECT_EQ(scalar(db, u"PRAGMA journal_mode"_s), u"wal");
        EXPECT_EQ(scalar(db, u"PRAGMA busy_timeout"_s).toInt(), journal::kBusyTimeoutMs);
        EXPECT_EQ(journal::schemaVersion(db), journal::latestSchemaVersion());
        EXPECT_GE(journal::latestSchemaVersion(), 1);
        // The names the teacher's window reads.
        EXPECT_EQ(localColumns(db, u"runs"_s),
                  (QStringList{u"id"_s, u"copy"_s, u"os_user"_s, u"machine"_s, u"objective"_s, u"objective_text"_s,
                               u"level"_s, u"level_text"_s, u"started_at"_s, u"started_ms"_s, u"pupil_id"_s}));
        EXPECT_EQ(localColumns(db, u"run_ends"_s),
                  (QStringList{u"run_id"_s, u"ended_at"_s, u"ended_ms"_s, u"right_answers"_s, u"wrong_answers"_s,
                               u"total_seconds"_s, u"finished"_s, u"grade"_s}));
        for (const QString& table : kTables) EXPECT_FALSE(localColumns(db, table).isEmpty()) << table.toStdString();
        ASSERT_TRUE(execute(db, u"INSERT INTO pupil_names VALUES ('n1', 'r1', 'Ada', 'x', 1)"_s));
    }
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);

    // Opened again: nothing is made twice and nothing is lost.
    journal::Connection again = journal::openLocal(path);
    ASSERT_TRUE(again.isOpen()) << again.error().text().toStdString();
    EXPECT_EQ(scalar(again.database(), u"SELECT count(*) FROM schema_version"_s).toInt(),
              int(journal::migrations().size()));
    EXPECT_EQ(scalar(again.database(), u"SELECT pupil FROM pupil_names"_s), u"Ada");
}

// The backup the README gives a technician: sqlite3's ".backup" of a file in
// use keeps what is still only in its write-ahead log.
TEST(JournalDatabase, AFileInUseIsCopiedWholeBySqlite3Backup)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"registro.sqlite"_s);
    journal::Connection open = journal::openLocal(path);
    ASSERT_TRUE(open.isOpen()) << open.error().text().toStdString();
    ASSERT_TRUE(execute(open.database(), u"INSERT INTO pupil_names VALUES ('n1', 'r1', 'Ada', 'x', 1)"_s));
    ASSERT_GT(QFileInfo(path + u"-wal"_s).size(), 0);

    QProcess sqlite;
    sqlite.setWorkingDirectory(dir.path());
    sqlite.start(u"sqlite3"_s, {path, u".backup registro-copia.sqlite"_s});
    ASSERT_TRUE(sqlite.waitForFinished(30000));
    ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();

    journal::Connection copy = journal::openLocal(dir.filePath(u"registro-copia.sqlite"_s));
    ASSERT_TRUE(copy.isOpen()) << copy.error().text().toStdString();
    EXPECT_EQ(scalar(copy.database(), u"SELECT pupil FROM pupil_names"_s), u"Ada");
    EXPECT_EQ(journal::schemaVersion(copy.database()), journal::latestSchemaVersion());
}

TEST(JournalDatabase, TheServerScriptMakesTheSameTablesAndRolesThatOnlyAddOrOnlyReadAndDelete)
{
    testing_support::PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();

    QTemporaryDir dir;
    journal::Connection local = journal::openLocal(dir.filePath(u"registro.sqlite"_s));
    ASSERT_TRUE(local.isOpen());
    for (const QString& table : kTables) {
        const QString server = cluster.sql(
            u"SELECT string_agg(column_name, ',' ORDER BY ordinal_position) FROM information_schema.columns "
            u"WHERE table_name = '"_s + table + u"'"_s);
        EXPECT_EQ(server, localColumns(local.database(), table).join(u','));
    }
    EXPECT_EQ(cluster.count(u"SELECT max(version) FROM schema_version"_s), journal::latestSchemaVersion());

    // The pupils' role: the password comes from the PGPASSFILE alone.
    journal::Connection pupils = journal::openServer(cluster.pupils());
    ASSERT_TRUE(pupils.isOpen()) << pupils.error().text().toStdString();
    ASSERT_TRUE(execute(pupils.database(), u"INSERT INTO runs VALUES ('r1', 'ADDIZIONI', 'u', 'pc', 1, 'o', 1, "
                                           u"'l', '2026-12-08T10:30:00+01:00', 0)"_s));
    const QString insert = u"INSERT INTO pupil_names (id, run_id, pupil, named_at, named_ms) "
                           u"VALUES ('n1', 'r1', 'Ada', '2026-12-08T10:30:15+01:00', 1) ON CONFLICT DO NOTHING"_s;
    EXPECT_TRUE(execute(pupils.database(), insert));
    EXPECT_TRUE(execute(pupils.database(), insert)) << "a repeat is ignored, not refused";
    EXPECT_FALSE(execute(pupils.database(), u"SELECT pupil FROM pupil_names"_s));
    EXPECT_FALSE(execute(pupils.database(), u"SELECT count(*) FROM runs"_s));
    EXPECT_FALSE(execute(pupils.database(), u"UPDATE pupil_names SET pupil = 'Bea'"_s));
    EXPECT_FALSE(execute(pupils.database(), u"DELETE FROM pupil_names"_s));
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM pupil_names WHERE pupil = 'Ada'"_s), 1);

    // The teacher's role reads and deletes, and adds nothing.
    journal::Location where;
    where.server = cluster.pupils();  // as registro.conf names it: user and teacher
    journal::Connection teacher = journal::openForReading(where);
    ASSERT_TRUE(teacher.isOpen()) << teacher.error().text().toStdString();
    EXPECT_EQ(scalar(teacher.database(), u"SELECT pupil FROM pupil_names"_s), u"Ada");
    EXPECT_EQ(scalar(teacher.database(), u"SELECT current_user"_s), u"registro_docenti");
    EXPECT_FALSE(execute(teacher.database(), QString(insert).replace(u"'n1'"_s, u"'n2'"_s)));

    // The script again (an update): the entries stay, the versions are not doubled.
    QProcess script;
    script.setProcessEnvironment(cluster.adminEnvironment());
    script.start(QStringLiteral(ARITMETICA_SOURCE_DIR "/packaging/registro-server.sh"), {});
    ASSERT_TRUE(script.waitForFinished(60000));
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM pupil_names"_s), 1);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM schema_version"_s), qint64(journal::migrations().size()));

    EXPECT_TRUE(execute(teacher.database(), u"DELETE FROM pupil_names WHERE pupil = 'Ada'"_s));
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM pupil_names"_s), 0);
}

TEST(JournalDatabase, TheScriptSendsOnlyScramVerifiersAndTheRolesLogInWithTheirPasswords)
{
    testing_support::PgCluster cluster(/*logStatements=*/true);
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    const QString log = cluster.serverLog();
    ASSERT_TRUE(log.contains(u"ALTER ROLE"_s)) << "the statements are not logged";
    EXPECT_FALSE(log.contains(testing_support::PgCluster::pupilsPassword()));
    EXPECT_FALSE(log.contains(testing_support::PgCluster::teacherPassword()));
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM pg_authid WHERE rolname IN ('registro_alunni', "
                            u"'registro_docenti') AND rolpassword LIKE 'SCRAM-SHA-256$4096:%'"_s),
              2);
    // Only a verifier made right lets the passwords in (pg_hba asks SCRAM).
    for (const journal::ServerSettings& role : {cluster.pupils(), cluster.teacher()}) {
        journal::Connection c = journal::openServer(role);
        EXPECT_TRUE(c.isOpen()) << role.user.toStdString() << ": " << c.error().text().toStdString();
    }
}

TEST(JournalDatabase, AServerOlderThanTheProgramIsToldWithWhatTheTechnicianMustRun)
{
    testing_support::PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    journal::Connection pupils = journal::openServer(cluster.pupils());
    journal::Connection teacher = journal::openServer(cluster.teacher());
    ASSERT_TRUE(pupils.isOpen() && teacher.isOpen());
    EXPECT_EQ(journal::olderServerMessage(teacher.database()), QString());

    const int server = journal::latestSchemaVersion(), program = server + 1;
    const QString told = u"Il server del registro ha le tabelle della versione %1, questo programma richiede la "
                         u"versione %2: il tecnico deve eseguire registro-server.sh sul server."_s.arg(server)
                             .arg(program);
    EXPECT_EQ(journal::olderServerMessage(teacher.database(), program), told);
    EXPECT_EQ(journal::olderServerMessage(pupils.database(), program), told) << "the pupils' machines tell it too";
}

}  // namespace

// Machines sharing a network folder cannot share WAL's memory: the file is
// kept with a rollback journal there, a new one and one left in WAL alike.
TEST(JournalDatabase, OnANetworkFileSystemTheFileKeepsARollbackJournal)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"registro.sqlite"_s);
    EXPECT_EQ(scalar(journal::openLocal(path).database(), u"PRAGMA journal_mode"_s), u"wal");
    EXPECT_FALSE(journal::onNetworkFileSystem(dir.path())) << "a test folder is local";

    journal::setFileSystemTypeProbe([](const QString&) -> long { return 0x6969; });  // NFS
    const auto local = qScopeGuard([] { journal::setFileSystemTypeProbe(nullptr); });
    EXPECT_EQ(scalar(journal::openLocal(path).database(), u"PRAGMA journal_mode"_s), u"delete");
    const QString fresh = dir.filePath(u"nuovo.sqlite"_s);
    journal::Connection c = journal::openLocal(fresh);
    EXPECT_EQ(scalar(c.database(), u"PRAGMA journal_mode"_s), u"delete");
    EXPECT_TRUE(execute(c.database(), u"INSERT INTO pupil_names VALUES ('n1', 'r1', 'Ada', 'x', 1)"_s));
    EXPECT_FALSE(QFileInfo::exists(fresh + u"-wal"_s));
}
