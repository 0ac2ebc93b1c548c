#include "journal/Database.h"
#include "journal/JournalTestSupport.h"
#include "journal/Writer.h"
#include "support/PgCluster.h"
#include "support/PrintTo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <memory>

namespace {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using journal_testing::count;
using journal_testing::writeRun;

// Every row of a table, in key order, as text: the same on both sides when
// every entry arrived once and whole.
QStringList dump(const QSqlDatabase& db, const journal::Table& table)
{
    QStringList rows;
    QSqlQuery q(db);
    const QString order = table.columns.contains(u"place"_s) ? u"run_id, place"_s : table.columns.first();
    if (!q.exec(u"SELECT "_s + table.columns.join(u", ") + u" FROM "_s + table.name + u" ORDER BY "_s + order))
        return {u"error: "_s + q.lastError().text()};
    while (q.next()) {
        QStringList fields;
        for (int c = 0; c < table.columns.size(); ++c) fields << q.value(c).toString();
        rows << fields.join(u'|');
    }
    return rows;
}

// The same tests on the local file alone and with a school's server.
class JournalWriter : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        if (GetParam()) {
            cluster = std::make_unique<testing_support::PgCluster>();
            ASSERT_TRUE(cluster->ok()) << cluster->error().toStdString();
        }
    }

    std::unique_ptr<journal::Writer> makeWriter()
    {
        journal::WriterOptions options;
        options.where.localFile = dir.filePath(u"registro.sqlite"_s);
        if (cluster) options.where.server = cluster->pupils();
        options.identity = {u"ADDIZIONI"_s, u"alunno"_s, u"aula3-pc2"_s};
        options.syncInterval = 1h;  // only the kicks of the test and of the entries
        options.retryInterval = 50ms;
        auto writer = std::make_unique<journal::Writer>(clock, ids);
        writer->start(options);
        return writer;
    }

    journal::Connection local() { return journal::openLocal(dir.filePath(u"registro.sqlite"_s)); }
    journal::Connection teacher() { return journal::openServer(cluster->teacher()); }

    QTemporaryDir dir;
    std::unique_ptr<testing_support::PgCluster> cluster;
    journal_testing::StepWallClock clock;
    journal::UuidSource ids;
};

TEST_P(JournalWriter, EveryEntryArrivesOnceAndWholeWithItsTimeAndOffset)
{
    auto writer = makeWriter();
    const QString run = writeRun(*writer, 7);
    writer->pupilNamed(run, u"Ada"_s);
    writer->pupilNamed(run, u"Ada Rossi"_s);  // typed again: a second row, the later wins
    platform::SheetPrinted sheet{u"docenti"_s, 1, 3, u"CALCOLO DEL TERMINE"_s, 1, u"NUMERO MASSIMO da  1 a 30"_s,
                                 {u"  3 + . = 5"_s, u" 12 + 4 = ."_s}, {u"  3 + (2) = 5"_s, u" 12 + 4 = (16)"_s}};
    writer->sheetsPrinted({sheet, sheet});
    const QString idle = writer->runStarted({1, u"x"_s, 1, u"y"_s});  // opened and left before any answer
    writer->runEnded(idle, {0, 0, 0, false, u"Non classificato"_s});
    ASSERT_TRUE(writer->flush(30s)) << writer->problemsTold().join(u'\n').toStdString();
    EXPECT_TRUE(writer->problemsTold().isEmpty()) << writer->problemsTold().join(u'\n').toStdString();

    journal::Connection file = local();
    ASSERT_TRUE(file.isOpen());
    const QSqlDatabase db = file.database();
    EXPECT_EQ(count(db, u"SELECT count(*) FROM operations WHERE run_id = '"_s + run + u"'"_s), 20);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM runs"_s), 1);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM run_ends"_s), 1);
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(u"SELECT copy, os_user, machine, objective, level_text, started_at, started_ms FROM runs"_s));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), u"ADDIZIONI");
    EXPECT_EQ(q.value(1).toString(), u"alunno");
    EXPECT_EQ(q.value(2).toString(), u"aula3-pc2");
    EXPECT_EQ(q.value(3).toInt(), 1);
    EXPECT_EQ(q.value(4).toString(), u"NUMERO MASSIMO da  30 a 60");
    EXPECT_EQ(q.value(5).toString(), u"2026-12-08T10:30:15+01:00");
    EXPECT_EQ(q.value(6).toLongLong(), QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15), QTimeZone::utc()).toMSecsSinceEpoch());
    ASSERT_TRUE(q.exec(u"SELECT wrong_attempts, help, record_line FROM operations WHERE place IN (3, 4, 20) ORDER BY place"_s));
    QStringList seen;
    while (q.next()) seen << q.value(0).toString() + u'/' + q.value(1).toString() + u'/' + q.value(2).toString();
    EXPECT_EQ(seen, (QStringList{u"7 12/aiuto/run 7 line 3"_s, u"//run 7 line 4"_s, u"/intervento/run 7 line 20"_s}));
    ASSERT_TRUE(q.exec(u"SELECT sheet_number, sheet_count, job_id, teacher_lines FROM sheets ORDER BY sheet_number"_s));
    ASSERT_TRUE(q.next());
    const QString job = q.value(2).toString();
    EXPECT_EQ(q.value(3).toString(), u"  3 + (2) = 5\n 12 + 4 = (16)");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    EXPECT_EQ(q.value(1).toInt(), 2);
    EXPECT_EQ(q.value(2).toString(), job);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM pupil_names"_s), 2);
    q.finish();  // no read snapshot left open

    if (!cluster) {
        EXPECT_EQ(count(db, u"SELECT count(*) FROM outbox"_s), 0) << "nothing to send without a server";
        return;
    }
    ASSERT_TRUE(writer->syncNow(30s));
    journal::Connection server = teacher();
    ASSERT_TRUE(server.isOpen()) << server.error().text().toStdString();
    for (const journal::Table& table : journal::tables())
        EXPECT_EQ(dump(server.database(), table), dump(db, table)) << table.name.toStdString();
    EXPECT_EQ(count(db, u"SELECT count(*) FROM outbox"_s), 0);

    // Sent, but the machine stopped before it could cross them off: sent
    // again, they are ignored.
    ASSERT_TRUE(QSqlQuery(db).exec(u"INSERT INTO outbox (entry_table, entry_key, place) "
                                   u"SELECT 'operations', run_id, place FROM operations"_s));
    ASSERT_TRUE(writer->syncNow(30s));
    EXPECT_EQ(count(server.database(), u"SELECT count(*) FROM operations"_s), 20);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM outbox"_s), 0);
}

TEST_P(JournalWriter, ADamagedFileIsMovedAsideWithTheDateAndANewOneBegun)
{
    const QByteArray garbage = QByteArray("not a journal at all\n").repeated(200);
    QFile damaged(dir.filePath(u"registro.sqlite"_s));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(garbage);
    damaged.close();

    auto writer = makeWriter();
    writeRun(*writer, 1);
    ASSERT_TRUE(writer->flush(30s));
    const QStringList asides =
        QDir(dir.path()).entryList({u"registro-danneggiato-2026-12-08-1030??.sqlite"_s}, QDir::Files);
    ASSERT_EQ(asides.size(), 1) << QDir(dir.path()).entryList().join(u' ').toStdString();
    const QString aside = dir.filePath(asides.first());
    QFile kept(aside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << "the damaged file is kept";
    EXPECT_EQ(kept.readAll(), garbage);
    ASSERT_EQ(writer->problemsTold().size(), 1);
    EXPECT_TRUE(writer->problemsTold().first().contains(QDir::toNativeSeparators(aside)));
    EXPECT_EQ(writer->takeProblem(), writer->problemsTold().first());
    EXPECT_TRUE(writer->takeProblem().isEmpty()) << "told once";

    journal::Connection file = local();
    EXPECT_EQ(count(file.database(), u"SELECT count(*) FROM operations"_s), 20);
    if (cluster) {
        ASSERT_TRUE(writer->syncNow(30s));
        EXPECT_EQ(count(teacher().database(), u"SELECT count(*) FROM operations"_s), 20);
    }
}

// A copy closed before it handed anything over opens no file to close it;
// one entry handed over before the writer's start is written at the end.
TEST(JournalWriterEnd, NothingHandedOverOpensNoFileAndAnEntryIsWrittenAtTheEnd)
{
    QTemporaryDir dir;
    journal_testing::StepWallClock clock;
    journal::UuidSource ids;
    const QString path = dir.filePath(u"registro.sqlite"_s);
    const auto options = [&] {
        journal::WriterOptions o;
        o.where.localFile = path;
        return o;
    };
    {
        journal::Writer writer(clock, ids);
        writer.prepare(options);
        writer.finish();
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    {
        journal::Writer writer(clock, ids);
        writer.prepare(options);
        writeRun(writer, 1);
        writer.finish();
    }
    journal::Connection file = journal::openLocal(path);
    EXPECT_EQ(count(file.database(), u"SELECT count(*) FROM operations"_s), 20);
}

// A file damaged in one index, as a failing disk leaves it: it goes aside,
// and what it holds goes into the new file, those rows not yet sent to the
// server still to be sent, those already sent not again.
TEST(JournalSalvage, ADamagedFilesRowsAreTakenIntoTheNewOneAndWhatWasUnsentIsStillSent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"registro.sqlite"_s);
    journal_testing::StepWallClock clock;
    journal::UuidSource ids;
    journal::WriterOptions options;
    options.where.localFile = path;
    // A server nobody answers at: everything waits in the outbox.
    options.where.server = journal::ServerSettings{dir.filePath(u"nessuno"_s), 5432, u"registro"_s, u"a"_s, {}, {}, {}};
    options.syncInterval = 1h;
    QString sentRun;
    {
        journal::Writer writer(clock, ids);
        writer.start(options);
        sentRun = writeRun(writer, 1);
        writeRun(writer, 2);
        ASSERT_TRUE(writer.flush(30s));
    }
    {
        journal::Connection file = journal::openLocal(path);
        QSqlQuery sent(file.database());
        // The first run reached the server before the damage.
        ASSERT_TRUE(sent.exec(u"DELETE FROM outbox WHERE entry_key = '%1'"_s.arg(sentRun)));
        ASSERT_TRUE(sent.exec(u"PRAGMA wal_checkpoint(TRUNCATE)"_s));
    }
    {
        // The index of the runs' start times is overwritten; the tables are whole.
        journal::Connection file = journal::openLocal(path);
        const qint64 page = count(file.database(), u"SELECT rootpage FROM sqlite_master WHERE name = 'runs_started_ms'"_s);
        const qint64 size = count(file.database(), u"PRAGMA page_size"_s);
        file.close();
        QFile raw(path);
        ASSERT_TRUE(raw.open(QIODevice::ReadWrite));
        ASSERT_TRUE(raw.seek((page - 1) * size));
        raw.write(QByteArray(int(size), '\x5a'));
    }

    journal::Writer writer(clock, ids);
    writer.start(options);
    writeRun(writer, 3);
    ASSERT_TRUE(writer.flush(30s));
    const QStringList told = writer.problemsTold();
    const auto damaged = std::find_if(told.begin(), told.end(), [](const QString& t) { return t.contains(u"danneggiato"_s); });
    ASSERT_NE(damaged, told.end()) << told.join(u'\n').toStdString();
    EXPECT_TRUE(damaged->contains(u"sono state riprese nel nuovo registro"_s)) << damaged->toStdString();
    writer.finish();

    journal::Connection file = journal::openLocal(path);
    const QSqlDatabase db = file.database();
    EXPECT_EQ(count(db, u"SELECT count(*) FROM runs"_s), 3);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM operations"_s), 60);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM run_ends"_s), 3);
    // Runs 2 and 3, each its run, twenty operations and its end; run 1 not again.
    EXPECT_EQ(count(db, u"SELECT count(*) FROM outbox"_s), 44);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM outbox WHERE entry_key = '%1'"_s.arg(sentRun)), 0);
    EXPECT_EQ(QDir(dir.path()).entryList({u"registro-danneggiato-*.sqlite"_s}, QDir::Files).size(), 1);
}

// Each reason a server cannot be used is told in its own words, once, and
// the password itself never: a missing or open password file, a wrong
// password, a database that is not there, no server at all, older tables.
TEST(JournalSync, EachReasonTheServerCannotBeUsedIsToldInItsOwnWords)
{
    testing_support::PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    QTemporaryDir dir;
    const QByteArray passFile = qgetenv("PGPASSFILE");
    const auto restore = qScopeGuard([&] { qputenv("PGPASSFILE", passFile); });
    const auto told = [&](const journal::ServerSettings& server, const QByteArray& passwords, QFile::Permissions mode) {
        QFile file(dir.filePath(u"pgpass"_s));
        file.remove();
        if (!passwords.isNull()) {
            EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(passwords) == passwords.size());
            file.close();
            file.setPermissions(mode);
        }
        qputenv("PGPASSFILE", QFile::encodeName(file.fileName()));
        journal_testing::StepWallClock clock;
        journal::UuidSource ids;
        journal::WriterOptions options;
        options.where.localFile = dir.filePath(u"registro.sqlite"_s);
        options.where.server = server;
        options.syncInterval = 1h;
        journal::Writer writer(clock, ids);
        writer.start(options);
        writeRun(writer, 1);
        EXPECT_TRUE(writer.flush(30s));
        EXPECT_FALSE(writer.syncNow(30s));
        const QStringList problems = writer.problemsTold();
        EXPECT_EQ(problems.size(), 1) << problems.join(u'\n').toStdString();
        return problems.join(u'\n');
    };
    const journal::ServerSettings pupils = cluster.pupils();
    const QByteArray line = "*:*:*:" + pupils.user.toUtf8() + ":";
    const auto own = QFile::ReadOwner | QFile::WriteOwner;
    const QByteArray right = line + testing_support::PgCluster::pupilsPassword().toUtf8() + "\n";

    EXPECT_TRUE(told(pupils, {}, own).contains(u"Manca il file delle password"_s));
    EXPECT_TRUE(told(pupils, right, own | QFile::ReadGroup | QFile::ReadOther).contains(u"chmod 600"_s));
    const QString wrong = told(pupils, line + "segreto-sbagliato\n", own);
    EXPECT_TRUE(wrong.contains(u"rifiuta l'accesso"_s)) << wrong.toStdString();
    EXPECT_FALSE(wrong.contains(u"segreto-sbagliato"_s));
    journal::ServerSettings elsewhere = pupils;
    elsewhere.database = u"registro_altro"_s;
    EXPECT_TRUE(told(elsewhere, right, own).contains(u"non c'è il database registro_altro"_s));
    elsewhere = pupils;
    elsewhere.host = dir.filePath(u"nessun-server"_s);
    EXPECT_TRUE(told(elsewhere, right, own).contains(u"non risponde"_s));

    ASSERT_FALSE(cluster.sql(u"DELETE FROM schema_version WHERE version = (SELECT max(version) FROM schema_version)"_s)
                     .isNull());
    const QString older = told(pupils, right, own);
    EXPECT_TRUE(older.contains(u"il tecnico deve eseguire registro-server.sh"_s)) << older.toStdString();
}

// What the school decides reaches each machine's own file at its next pass:
// a pupil erased on the server (their runs go, another pupil's stay, and it
// is recorded), the class lists the teacher made; and at start the runs older
// than the school keeps.
TEST(JournalSync, ErasuresClassListsAndRetentionReachTheMachinesOwnFile)
{
    testing_support::PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    QTemporaryDir dir;
    journal_testing::StepWallClock clock;
    journal::UuidSource ids;
    journal::WriterOptions options;
    options.where.localFile = dir.filePath(u"registro.sqlite"_s);
    options.where.server = cluster.pupils();
    options.identity = {u"ADDIZIONI"_s, u"alunno"_s, u"aula3-pc2"_s};
    options.syncInterval = 1h;
    {
        journal::Writer writer(clock, ids);
        writer.start(options);
        writer.pupilNamed(writeRun(writer, 1), u"Ada"_s);
        writer.pupilNamed(writeRun(writer, 2), u"Bea"_s);
        ASSERT_TRUE(writer.flush(30s));
        ASSERT_TRUE(writer.syncNow(30s));
    }
    ASSERT_FALSE(cluster.sql(u"INSERT INTO tombstones VALUES ('t1', 'Ada', 'ieri', 1, 'docente@aula'); "
                             u"INSERT INTO classes VALUES ('c1', '3A', 5); "
                             u"INSERT INTO class_pupils VALUES ('p1', 'c1', 'Carla', 1, 5)"_s)
                     .isNull());
    {
        // A run of long ago, from before the school said how long it keeps them.
        journal::Connection file = journal::openLocal(options.where.localFile);
        ASSERT_TRUE(QSqlQuery(file.database())
                        .exec(u"INSERT INTO runs (id, copy, os_user, machine, objective, objective_text, level, "
                              u"level_text, started_at, started_ms) VALUES ('vecchia', 'ADDIZIONI', 'a', 'm', 1, 'o', "
                              u"1, 'l', '2020-01-01', 1577836800000)"_s));
    }
    options.where.keepMonths = 24;
    journal::Writer writer(clock, ids);
    writer.start(options);
    ASSERT_TRUE(writer.syncNow(30s)) << writer.problemsTold().join(u'\n').toStdString();
    writer.finish();

    journal::Connection file = journal::openLocal(options.where.localFile);
    const QSqlDatabase db = file.database();
    EXPECT_EQ(count(db, u"SELECT count(*) FROM runs"_s), 1) << "Bea's run alone";
    EXPECT_EQ(count(db, u"SELECT count(*) FROM operations"_s), 20);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM run_sums WHERE operations = 20"_s), 1) << "Bea's sums alone";
    EXPECT_EQ(count(db, u"SELECT count(*) FROM run_sums"_s), 1);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM pupil_names WHERE pupil = 'Ada'"_s), 0);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM tombstones"_s), 1);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM journal_audit WHERE action = 'cancellazione' AND runs = 1"_s), 1);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM journal_audit WHERE action = 'conservazione' AND runs = 1"_s), 1);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM class_pupils WHERE name = 'Carla' AND class_id = 'c1'"_s), 1);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM runs"_s), 2) << "the machine erases its own file only";
}

INSTANTIATE_TEST_SUITE_P(, JournalWriter, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "SqliteAndServer" : "Sqlite"; });

// The server stops while a pupil is halfway through a run and comes back:
// nothing waits for it, it is told once, and every entry arrives once.
TEST(JournalSync, AServerStoppedInTheMiddleOfARunGetsEveryEntryOnceWhenItIsBack)
{
    testing_support::PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    QTemporaryDir dir;
    journal_testing::StepWallClock clock;
    journal::UuidSource ids;
    journal::WriterOptions options;
    options.where.localFile = dir.filePath(u"registro.sqlite"_s);
    options.where.server = cluster.pupils();
    options.syncInterval = 1h;
    journal::Writer writer(clock, ids);
    writer.start(options);

    const QString run = writer.runStarted({6, u"CALCOLO CASUALE DEL NUMERO O DEL SEGNO"_s, 4, u"x"_s});
    const auto operation = [&](int place) {
        platform::OperationClosed op;
        op.place = place;
        op.recordLine = u"line "_s + QString::number(place);
        writer.operationClosed(run, op);
    };
    for (int place = 1; place <= 10; ++place) operation(place);
    ASSERT_TRUE(writer.flush(30s));
    ASSERT_TRUE(writer.syncNow(30s));
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM operations"_s), 10);

    ASSERT_TRUE(cluster.stop());
    for (int place = 11; place <= 20; ++place) operation(place);
    writer.runEnded(run, {20, 0, 100, true, u"OTTIMO"_s});
    ASSERT_TRUE(writer.flush(30s)) << "the local file takes everything meanwhile";
    EXPECT_FALSE(writer.syncNow(30s));
    EXPECT_FALSE(writer.syncNow(30s));
    ASSERT_EQ(writer.problemsTold().size(), 1);
    EXPECT_TRUE(writer.problemsTold().first().contains(u"non risponde"));

    ASSERT_TRUE(cluster.start());
    EXPECT_TRUE(writer.syncNow(30s));
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM runs"_s), 1);
    EXPECT_EQ(cluster.count(u"SELECT count(DISTINCT place) FROM operations WHERE run_id = '"_s + run + u"'"_s), 20);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM operations"_s), 20);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM run_ends"_s), 1);
    EXPECT_EQ(writer.problemsTold().size(), 1);
}

}  // namespace
