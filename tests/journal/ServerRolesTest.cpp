// The school server's roles against a real server set up by the project's
// script: each machine logs in as its own role and PostgreSQL itself keeps
// it to its own rows, out of the others' statements and out of every entry.
#include "journal/Database.h"
#include "journal/Rows.h"
#include "support/PgCluster.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

using namespace Qt::Literals::StringLiterals;

// Runs one statement the way the sender does (positional values); the rows
// it touched, or -1 when the server refused it.
int send(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
    return q.exec() ? q.numRowsAffected() : -1;
}

QStringList column(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    QStringList values;
    if (!q.exec(sql)) return {u"<refused>"_s};
    while (q.next()) values << q.value(0).toString();
    return values;
}

int addRun(const QSqlDatabase& db, const QString& id, const QString& machine)
{
    return send(db, journal::insertStatement(journal::tables()[journal::kRuns], 1),
                {id, u"ADDIZIONI"_s, u"alunno"_s, machine, 1, u"obiettivo"_s, 1, u"livello"_s, u"oggi"_s, 1, u""_s});
}

int nameRun(const QSqlDatabase& db, const QString& id, const QString& run, const QString& pupil)
{
    return send(db, journal::insertStatement(journal::tables()[journal::kPupilNames], 1), {id, run, pupil, u"ora"_s, 2});
}

int endRun(const QSqlDatabase& db, const QString& run)
{
    return send(db, journal::insertStatement(journal::tables()[journal::kRunEnds], 1),
                {run, u"ora"_s, 3, 20, 0, 60, 1, u"OTTIMO"_s});
}

class ServerRoles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        cluster = new testing_support::PgCluster;
        if (!cluster->ok()) return;
        first = cluster->addMachine(u"pc-01"_s, &output);
        if (!first.isEmpty()) second = cluster->addMachine(u"PC-02"_s, &output);
    }
    static void TearDownTestSuite() { delete cluster; }
    void SetUp() override
    {
        ASSERT_TRUE(cluster->ok()) << cluster->error().toStdString();
        ASSERT_FALSE(second.isEmpty()) << output.toStdString();
    }

    static inline testing_support::PgCluster* cluster = nullptr;
    static inline QString first, second, output;
};

TEST_F(ServerRoles, EachMachineAddsOnlyItsOwnRunsAndTheRowsOfThem)
{
    EXPECT_EQ(first, u"registro_m_pc_01");
    EXPECT_EQ(second, u"registro_m_pc_02");
    journal::Connection a = journal::openServer(cluster->as(first));
    journal::Connection b = journal::openServer(cluster->as(second));
    ASSERT_TRUE(a.isOpen()) << a.error().text().toStdString();
    ASSERT_TRUE(b.isOpen()) << b.error().text().toStdString();

    EXPECT_EQ(addRun(a.database(), u"a1"_s, u"pc-01"_s), 1);
    EXPECT_EQ(addRun(a.database(), u"a1"_s, u"pc-01"_s), 0) << "a repeat is ignored, as the sender needs";
    EXPECT_EQ(addRun(a.database(), u"a2"_s, u"PC-02"_s), -1) << "a run of another machine";
    EXPECT_EQ(addRun(b.database(), u"b1"_s, u"PC-02"_s), 1);
    EXPECT_EQ(send(b.database(), journal::insertStatement(journal::tables()[journal::kSheets], 1),
                   {u"s1"_s, u"j1"_s, u"ADDIZIONI"_s, u"u"_s, u"pc-01"_s, u"ora"_s, 1, u"1.0"_s, 1, 1, u"o"_s, 1,
                    u"l"_s, 1, 1, u""_s, u""_s}),
              -1)
        << "a sheet of another machine";

    // The rows of a run: only for the machine's own.
    EXPECT_EQ(nameRun(a.database(), u"n1"_s, u"a1"_s, u"Ada"_s), 1);
    EXPECT_EQ(endRun(a.database(), u"a1"_s), 1);
    EXPECT_EQ(nameRun(a.database(), u"n2"_s, u"b1"_s, u"Ada"_s), -1) << "renaming another machine's run";
    EXPECT_EQ(endRun(a.database(), u"b1"_s), -1);
    EXPECT_EQ(send(a.database(), u"INSERT INTO operations SELECT 'b1', 1, 1, 1, 1, 1, '2', '', '', 1, 'r', 'o', 1"_s),
              -1);
    // A row whose run is gone (erased) is dropped, so the rest still goes.
    EXPECT_EQ(nameRun(a.database(), u"n3"_s, u"gone"_s, u"Ada"_s), 0);

    // Logged in as a machine, becoming the group changes nothing.
    ASSERT_TRUE(QSqlQuery(a.database()).exec(u"SET ROLE registro_alunni"_s));
    EXPECT_EQ(column(a.database(), u"SELECT current_user"_s), QStringList{u"registro_alunni"_s});
    EXPECT_EQ(addRun(a.database(), u"a3"_s, u"PC-02"_s), -1);
    EXPECT_EQ(nameRun(a.database(), u"n4"_s, u"b1"_s, u"Bea"_s), -1);

    EXPECT_EQ(cluster->sql(u"SELECT string_agg(id || ':' || machine, ' ' ORDER BY id) FROM runs"_s),
              u"a1:pc-01 b1:PC-02");
    EXPECT_EQ(cluster->sql(u"SELECT string_agg(id || ':' || run_id, ' ' ORDER BY id) FROM pupil_names"_s), u"n1:a1");

    // The school's old shared login still adds for any machine.
    journal::Connection shared = journal::openServer(cluster->pupils());
    ASSERT_TRUE(shared.isOpen()) << shared.error().text().toStdString();
    EXPECT_EQ(addRun(shared.database(), u"c1"_s, u"vecchio-pc"_s), 1);
}

TEST_F(ServerRoles, APupilsRoleReadsNoEntryAndChangesNone)
{
    journal::Connection a = journal::openServer(cluster->as(first));
    ASSERT_TRUE(a.isOpen());
    ASSERT_EQ(addRun(a.database(), u"r1"_s, u"pc-01"_s) + cluster->count(u"SELECT count(*) FROM runs WHERE id = 'r1'"_s), 2);
    for (const QString& table : {u"runs"_s, u"operations"_s, u"run_ends"_s, u"pupil_names"_s, u"sheets"_s,
                                 u"machine_roles"_s, u"journal_audit"_s})
        EXPECT_EQ(column(a.database(), u"SELECT count(*) FROM "_s + table), QStringList{u"<refused>"_s}) << table.toStdString();
    EXPECT_EQ(send(a.database(), u"UPDATE runs SET machine = 'pc-01'"_s), -1);
    EXPECT_EQ(send(a.database(), u"DELETE FROM runs"_s), -1);
    EXPECT_EQ(column(a.database(), u"SELECT registro_machine()"_s), QStringList{u"pc-01"_s});
    // Who was erased, for its own file: the one table it reads.
    ASSERT_FALSE(cluster->sql(u"INSERT INTO tombstones VALUES ('t1', 'Ada', 'ieri', 1, 'maestra@aula')"_s).isNull());
    EXPECT_EQ(column(a.database(), u"SELECT pupil FROM tombstones"_s), QStringList{u"Ada"_s});
    EXPECT_EQ(send(a.database(), u"INSERT INTO tombstones VALUES ('t2', 'Bea', 'ieri', 1, 'x')"_s), -1);
    EXPECT_EQ(column(a.database(), u"SELECT max(version) FROM schema_version"_s),
              QStringList{QString::number(journal::latestSchemaVersion())});
}

TEST_F(ServerRoles, NoPupilsSessionSeesTheStatementsOfAnother)
{
    const auto open = [](const journal::ServerSettings& as) {
        journal::Connection c = journal::openServer(as);
        EXPECT_TRUE(c.isOpen()) << c.error().text().toStdString();
        return c;
    };
    journal::Connection a = open(cluster->as(first)), a2 = open(cluster->as(first)), b = open(cluster->as(second));
    journal::Connection shared = open(cluster->pupils()), shared2 = open(cluster->pupils());
    const QString statements = u"SELECT coalesce(query, '') FROM pg_stat_activity"_s;
    for (journal::Connection* c : {&a, &shared})
        ASSERT_EQ(column(c->database(), u"SELECT 'Ada Rossi' AS segreto"_s), QStringList{u"Ada Rossi"_s});
    for (journal::Connection* c : {&a2, &b, &shared, &shared2, &a}) {
        const QStringList seen = column(c->database(), statements);
        EXPECT_FALSE(seen.join(u'\n').contains(u"Ada Rossi"_s)) << seen.join(u'\n').toStdString();
    }
    // The same look works: the teacher's sessions, tracked, see each other.
    journal::Connection t = open(cluster->teacher()), t2 = open(cluster->teacher());
    ASSERT_EQ(column(t.database(), u"SELECT 'Bea Bianchi' AS docente"_s), QStringList{u"Bea Bianchi"_s});
    EXPECT_TRUE(column(t2.database(), statements).join(u'\n').contains(u"Bea Bianchi"_s));
}

TEST_F(ServerRoles, TheScriptGivesNoMachineTheRoleOfAnother)
{
    QString out;
    EXPECT_TRUE(cluster->addMachine(u"pc_01"_s, &out).isNull());
    EXPECT_TRUE(out.contains(u"registro_m_pc_01"_s)) << out.toStdString();
    EXPECT_EQ(cluster->sql(u"SELECT machine FROM machine_roles WHERE role = 'registro_m_pc_01'"_s), u"pc-01");
    // Again for the same machine (a new password): the same role.
    EXPECT_EQ(cluster->addMachine(u"pc-01"_s, &out), first) << out.toStdString();
}

TEST_F(ServerRoles, TheScriptRemovesRunsOlderThanItIsToldAndRecordsIt)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch(), day = 86400000;
    ASSERT_FALSE(cluster->sql(u"INSERT INTO runs VALUES ('old', 'c', 'u', 'pc-01', 1, 'o', 1, 'l', 'x', %1), "
                              u"('new', 'c', 'u', 'pc-01', 1, 'o', 1, 'l', 'x', %2); "
                              u"INSERT INTO pupil_names VALUES ('n', 'old', 'Ada', 'x', 1); "
                              u"INSERT INTO operations VALUES ('old', 1, 1, 2, 3, 1, '5', '', '', 4, 'l', 'x', 1), "
                              u"('new', 1, 1, 2, 3, 1, '5', '', '', 4, 'l', 'x', 1)"_s
                                  .arg(now - 400 * day)
                                  .arg(now - 300 * day))
                     .isNull());
    QString out;
    ASSERT_TRUE(cluster->runScript({u"--conserva"_s, u"1 anno"_s}, &out)) << out.toStdString();
    EXPECT_EQ(cluster->sql(u"SELECT string_agg(id, ',') FROM runs"_s), u"new");
    EXPECT_EQ(cluster->count(u"SELECT count(*) FROM pupil_names"_s), 0);
    EXPECT_EQ(cluster->sql(u"SELECT string_agg(run_id || ' ' || seconds, ',') FROM run_sums"_s), u"new 4");
    EXPECT_EQ(cluster->sql(u"SELECT action || ' ' || runs FROM journal_audit"_s), u"conservazione 1");
    EXPECT_FALSE(cluster->runScript({u"--conserva"_s, u"per sempre"_s}, &out));
}

// What a technician runs on a machine (avvia --verifica-registro): it says
// whether the role is this machine's, and adds nothing.
TEST_F(ServerRoles, TheCheckOfAMachinesSetUpTellsAWrongMachineAndAddsNothing)
{
    const QString here = cluster->addMachine(QSysInfo::machineHostName(), &output);
    ASSERT_FALSE(here.isEmpty()) << output.toStdString();
    QTemporaryDir dir;
    const auto check = [&](const QString& role, QString* said) {
        QFile conf(dir.filePath(u"registro.conf"_s));
        if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate)) return -1;
        conf.write(u"host = %1\nport = %2\ndatabase = registro\nuser = %3\n"_s.arg(cluster->socketDir())
                       .arg(cluster->port())
                       .arg(role)
                       .toUtf8());
        conf.close();
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(QStringLiteral(REGISTRO_VERIFICA), {});
        if (!tool.waitForFinished(60000)) return -1;
        *said = QString::fromUtf8(tool.readAllStandardOutput());
        return tool.exitCode();
    };
    QString said;
    EXPECT_EQ(check(here, &said), 0) << said.toStdString();
    EXPECT_TRUE(said.contains(u"ok:    il ruolo è quello di questa macchina"_s)) << said.toStdString();
    EXPECT_EQ(check(first, &said), 1);
    EXPECT_TRUE(said.contains(u"ERRORE: il ruolo è della macchina «pc-01»"_s)) << said.toStdString();
    EXPECT_EQ(check(u"registro_docenti"_s, &said), 1);
    EXPECT_TRUE(said.contains(u"ERRORE: l'utente non può aggiungere esecuzioni"_s)) << said.toStdString();
    EXPECT_EQ(cluster->count(u"SELECT count(*) FROM runs"_s), 0);
}

// The README's backup: the roles and a dump of the journal, restored into a
// new server, then the set-up script once more. Every row is back, each
// machine logs in with its old password, and the rules still hold.
TEST_F(ServerRoles, ADumpWithItsRolesRestoresIntoANewServerWithTheRulesAndPasswords)
{
    {
        journal::Connection a = journal::openServer(cluster->as(first));
        ASSERT_TRUE(a.isOpen()) << a.error().text().toStdString();
        ASSERT_EQ(addRun(a.database(), u"dump-1"_s, u"pc-01"_s), 1);
        ASSERT_EQ(nameRun(a.database(), u"dump-n1"_s, u"dump-1"_s, u"Ada"_s), 1);
    }
    const QString rows = u"SELECT (SELECT count(*) FROM runs) || ' ' || (SELECT count(*) FROM pupil_names) || ' ' || "
                         u"(SELECT count(*) FROM machine_roles)"_s;
    const QString before = cluster->sql(rows);
    const QString roles = cluster->folder() + u"/registro-ruoli.sql"_s;
    const QString dump = cluster->folder() + u"/registro.dump"_s;
    QString out;
    ASSERT_TRUE(cluster->client(u"pg_dumpall"_s, {u"--roles-only"_s, u"-f"_s, roles}, &out)) << out.toStdString();
    ASSERT_TRUE(cluster->client(u"pg_dump"_s, {u"-Fc"_s, u"-f"_s, dump, u"registro"_s}, &out)) << out.toStdString();

    testing_support::PgCluster fresh(false, false, /*setUp=*/false);
    ASSERT_TRUE(fresh.ok()) << fresh.error().toStdString();
    // The superuser's own role is in the file and already there: psql goes on.
    ASSERT_TRUE(fresh.client(u"psql"_s, {u"-X"_s, u"-q"_s, u"-d"_s, u"postgres"_s, u"-f"_s, roles}, &out));
    ASSERT_TRUE(fresh.client(u"createdb"_s, {u"registro"_s}, &out)) << out.toStdString();
    ASSERT_TRUE(fresh.client(u"pg_restore"_s, {u"-d"_s, u"registro"_s, dump}, &out)) << out.toStdString();
    ASSERT_TRUE(fresh.runScript({}, &out)) << out.toStdString();
    EXPECT_EQ(fresh.sql(rows), before);

    ASSERT_TRUE(fresh.addPassword(first, u"macchina-pc-01"_s));
    journal::Connection a = journal::openServer(fresh.as(first));
    ASSERT_TRUE(a.isOpen()) << a.error().text().toStdString();
    EXPECT_EQ(addRun(a.database(), u"dump-2"_s, u"pc-01"_s), 1);
    EXPECT_EQ(addRun(a.database(), u"dump-3"_s, u"PC-02"_s), -1) << "a run of another machine";
    EXPECT_EQ(column(a.database(), u"SELECT id FROM runs"_s), QStringList{u"<refused>"_s});
    journal::Connection teacher = journal::openServer(fresh.teacher());
    ASSERT_TRUE(teacher.isOpen()) << teacher.error().text().toStdString();
    EXPECT_EQ(column(teacher.database(), u"SELECT p.pupil FROM runs r JOIN pupil_names p ON p.run_id = r.id "
                                         u"WHERE r.id = 'dump-1'"_s),
              QStringList{u"Ada"_s});
}

}  // namespace
