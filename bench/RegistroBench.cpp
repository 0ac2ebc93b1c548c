// The teacher's window over a big journal: 100,000 runs of 20 operations
// (2,000,000 operations) by 200 pupils over a school year, made with SQL in
// one transaction, in a local file or (--server) on a throwaway PostgreSQL
// server set up by the school's script. Times the first paint of the window,
// a filter, and one pupil's chart and errors, and states the size per run.
//   registro_bench [--runs N] [--keep FILE] [--server] [--reads]
// --reads also times the reads alone, without the window.
// Fails when a target is missed: first paint 500 ms, filter 100 ms, chart 100 ms.
#include "RegistroBenchSupport.h"

#include "journal/Database.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "registro/Reader.h"
#include "registro/RunsModel.h"
#include "ui/registro/PupilChart.h"
#include "ui/registro/TeacherWindow.h"

#ifdef REGISTRO_BENCH_SERVER
#include "support/PgCluster.h"
#endif

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QtCharts/QLineSeries>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>
#include <utility>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace registro_bench;

namespace {

constexpr int kPupils = 200;

class NoClock final : public platform::Clock {
public:
    double secondsSinceMidnight() override { return 36000; }
    QString shortDate() override { return u"08/12/26"_s; }
    QDateTime now() override { return {QDate(2026, 12, 8), QTime(10, 0)}; }
};

#ifdef REGISTRO_BENCH_SERVER
// The same journal on the server: n holds each run's number, its rowid in
// the file and what is worked out from it once.
const char* const kServerFill[] = {
    "CREATE TEMP TABLE n AS SELECT i, i + 1 AS rowid, "
    "lpad(to_hex(i * 2654435761 % 4294967296), 8, '0') || '-1d2c-4b6a-9e0f-' || lpad(to_hex(i), 12, '0') AS id, "
    "1756710000000 + (i / 500) * 86400000 + (i % 500) * 60000 AS started_ms FROM generate_series(0::bigint, :last) i",
    "ALTER TABLE n ADD COLUMN started_at TEXT",
    "UPDATE n SET started_at = to_char(to_timestamp(started_ms / 1000 + 3600) AT TIME ZONE 'UTC', "
    "'YYYY-MM-DD\"T\"HH24:MI:SS\"+01:00\"')",
    "INSERT INTO runs (id, copy, os_user, machine, objective, objective_text, level, level_text, started_at, "
    "started_ms) SELECT id, "
    "CASE i % 7 WHEN 0 THEN 'ADDIZIONI' WHEN 1 THEN 'SOTTRAZIONI' WHEN 2 THEN 'ADDSOTTRAZIONI' "
    "WHEN 3 THEN 'MOLTIPLICAZIONI' WHEN 4 THEN 'DIVISIONI' WHEN 5 THEN 'MOLTDIVISIONI' ELSE 'OPERAZIONI' END, "
    "'alunno', 'aula-' || (i % 12), 1 + i % 6, (1 + i % 6) || '. Calcolo del risultato', 1 + i / 6 % 4, "
    "'NUMERO MASSIMO da  1 a 30', started_at, started_ms FROM n ORDER BY i",
    "INSERT INTO operations SELECT r.id, p.place, 1 + (r.rowid + p.place) % 4, 2 + (r.rowid * 7 + p.place * 3) % 9, "
    "2 + (r.rowid * 5 + p.place * 11) % 9, 1 + p.place % 6, '42', "
    "CASE WHEN (r.rowid * 13 + p.place * 7) % 9 = 0 THEN '41' ELSE '' END, "
    "CASE WHEN (r.rowid * 13 + p.place * 7) % 27 = 0 THEN 'aiuto' ELSE '' END, 3 + (r.rowid + p.place * 5) % 14, "
    "lpad((2 + (r.rowid * 7 + p.place * 3) % 9)::text, 3) || ' x ' || lpad((2 + (r.rowid * 5 + p.place * 11) % 9)::text, 2) "
    "|| ' = .     r.....................  42    (s.' || lpad((3 + (r.rowid + p.place * 5) % 14)::text, 2) || ')', "
    "r.started_at, r.started_ms + p.place * 9000 FROM n r, generate_series(1, 20) p(place) ORDER BY r.i, p.place",
    "INSERT INTO run_sums SELECT o.run_id, r.started_ms, r.copy, count(*), count(*) FILTER (WHERE o.help = ''), "
    "sum(o.seconds) FROM operations o JOIN runs r ON r.id = o.run_id GROUP BY o.run_id, r.started_ms, r.copy",
    "INSERT INTO run_ends SELECT o.run_id, max(o.done_at), max(o.done_ms), sum((o.help = '')::int), "
    "sum((o.wrong_attempts <> '')::int), sum(o.seconds), 1, CASE sum((o.help = '')::int) / 2 WHEN 10 THEN 'OTTIMO' "
    "WHEN 9 THEN 'OTTIMO' WHEN 8 THEN 'DISTINTO' WHEN 7 THEN 'BUONO' WHEN 6 THEN 'SUFFICIENTE' "
    "WHEN 5 THEN 'SUFFICIENTE (!)' ELSE 'Non classificato' END FROM operations o GROUP BY o.run_id",
    "INSERT INTO pupil_names SELECT lpad(to_hex(rowid), 8, '0') || '-5a5a-4c3c-8d8d-' || lpad(to_hex(rowid), 12, '0'), "
    "id, 'Alunno ' || lpad((rowid % 200)::text, 3, '0'), started_at, started_ms + 200000 FROM n WHERE rowid % 10 <> 0",
};

// The run count goes in as text: PostgreSQL prepares no CREATE TABLE AS.
bool execText(QSqlDatabase& db, QString sql, int last = 0)
{
    sql.replace(u":last"_s, QString::number(last));
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    QTextStream(stderr) << "SQL failed: " << query.lastError().text() << "\n" << sql << "\n";
    return false;
}
#endif

// Waits until the table shows what a filter let through, then for its next paint.
Times untilTableShown(QTableView* table, const Timer& timer)
{
    bool reset = false;
    const QMetaObject::Connection watch =
        QObject::connect(table->model(), &QAbstractItemModel::modelReset, [&reset] { reset = true; });
    while (!reset)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(watch);
    return untilPainted(table->viewport(), timer);
}

// Waits until the errors' list is filled again, then for its next paint.
Times untilListFilled(QListWidget* list, const Timer& timer)
{
    while (list->count() == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return untilPainted(list->viewport(), timer);
}

Times median(std::vector<Times> values)
{
    std::vector<double> wall, cpu;
    for (const Times& t : values) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

struct Report {
    QTextStream& out;
    bool met = true;
    void operator()(const char* what, Times t, double target)
    {
        out << QString::asprintf("%-52s %7.1f ms (CPU %6.1f ms)   target <= %.0f ms%s\n", what, t.wall, t.cpu, target,
                                 t.wall <= target ? "" : "   MISSED");
        out.flush();
        met = met && t.wall <= target;
    }
    void note(const char* what, Times t)
    {
        out << QString::asprintf("%-52s %7.1f ms (CPU %6.1f ms)\n", what, t.wall, t.cpu);
        out.flush();
    }
};

// The window over db, from its opening: connect opens the connection.
bool measure(const std::function<journal::Connection()>& connect, const QString& source, bool readsAlone,
             QTextStream& out)
{
    NoClock clock;
    NoDialogs dialogs;
    NoPrinters printers;
    Report report{out};
    Timer timer;
    timer.restart();
    const journal::Connection journal = connect();
    if (!journal.isOpen()) {
        out << "cannot open the journal: " << journal.error().text() << "\n";
        return false;
    }
    registro::Reader reader(journal.database());
    registro_ui::TeacherWindow window(reader, printers, clock, dialogs, source);
    window.show();
    auto* table = window.findChild<QTableView*>(u"esecuzioni"_s);
    report("first paint of the window (the newest runs)", untilTableShown(table, timer), 500);
    // The count of every run comes after, in the status bar.
    report.note("  ...and the count of the runs", untilShown(window, table->viewport(), timer));

    if (readsAlone) {
        // The reads of three pupils new to the journal's cache, on a
        // connection of their own: what the database costs, apart from drawing.
        settle(window);
        const journal::Connection own = connect();
        registro::Reader alone(own.database());
        for (const QString& who : {u"Alunno 033"_s, u"Alunno 034"_s, u"Alunno 035"_s}) {
            QElapsedTimer t;
            t.start();
            double last = 0;
            auto lap = [&t, &last] {
                const double now = t.nsecsElapsed() / 1e6;
                return now - std::exchange(last, now);
            };
            const QList<registro::RunRow> page = alone.runs({who}, registro::RunsModel::kPage);
            out << QString::asprintf("  reads of %s: page %.1f ms", qPrintable(who), lap());
            alone.countRuns({who});
            out << QString::asprintf(", count %.1f ms", lap());
            alone.recordLines(page.value(0).id);
            out << QString::asprintf(", lines %.1f ms", lap());
            alone.chart({who});
            out << QString::asprintf(", chart %.1f ms", lap());
            alone.missedOperations({who}, 10);
            out << QString::asprintf(", errors %.1f ms", lap());
            alone.pupils();
            alone.copies();
            out << QString::asprintf(", the choices %.1f ms\n", lap());
        }
    }
    auto* copy = window.findChild<QComboBox*>(u"copia"_s);
    auto* pupil = window.findChild<QComboBox*>(u"alunno"_s);
    auto* details = window.findChild<QTabWidget*>(u"dettagli"_s);
    auto* chart = window.findChild<registro_ui::PupilChart*>();
    auto* errors = window.findChild<QListWidget*>(u"errori"_s);
    std::vector<Times> copyTimes, pupilTimes, chartTimes, choiceTimes, choiceCountTimes, errorTimes;
    for (int round = 0; round < 5; ++round) {
        // The table and the lines of its newest run.
        details->setCurrentIndex(0);
        pupil->setCurrentIndex(0);
        settle(window);
        timer.restart();
        copy->setCurrentIndex(1 + round % (copy->count() - 1));
        copyTimes.push_back(untilTableShown(table, timer));
        settle(window);
        copy->setCurrentIndex(0);
        settle(window);

        timer.restart();
        pupil->setCurrentIndex(pupil->count() - 1 - round * 17);
        pupilTimes.push_back(untilTableShown(table, timer));

        // The chart alone: the pupil's figures read and drawn. The window
        // read them on its own connection; this one reads them once
        // untimed, as the window's reading did when it shared it.
        details->setCurrentIndex(1);
        settle(window);
        QCoreApplication::processEvents();
        reader.chart(window.filter());
        timer.restart();
        chart->setPoints(reader.chart(window.filter()), reader.zone());
        chartTimes.push_back(untilPainted(chart->viewport(), timer));

        // The errors, read when their page comes in front.
        settle(window);
        timer.restart();
        details->setCurrentIndex(2);
        errorTimes.push_back(untilListFilled(errors, timer));
        details->setCurrentIndex(1);

        // With the chart in front, choosing a pupil redraws the table,
        // reads the pupil's figures and draws the chart; the count in the
        // status bar follows, as at the first paint.
        pupil->setCurrentIndex(0);
        settle(window);
        QCoreApplication::processEvents();
        bool drawn = false;
        const QMetaObject::Connection watch =
            QObject::connect(chart->rightShare(), &QXYSeries::pointsReplaced, [&drawn] { drawn = true; });
        timer.restart();
        pupil->setCurrentIndex(1 + round * 23);
        while (!drawn)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QObject::disconnect(watch);
        choiceTimes.push_back(untilPainted(chart->viewport(), timer));
        choiceCountTimes.push_back(untilShown(window, table->viewport(), timer));
    }
    out << "a pupil's chart has " << chart->rightShare()->count() << " runs\n";
    report("a filter (copy), median of 5", median(copyTimes), 100);
    report("a filter (pupil), median of 5", median(pupilTimes), 100);
    report("one pupil's chart, median of 5", median(chartTimes), 100);
    report("a pupil chosen with the chart in front, median of 5", median(choiceTimes), 100);
    report.note("  ...and the count of their runs", median(choiceCountTimes));
    // Every operation of the pupil's runs is added up: no target of its own.
    report.note("a pupil's errors brought in front, median of 5", median(errorTimes));
    window.close();
    return report.met;
}

#ifdef REGISTRO_BENCH_SERVER
// The journal on a throwaway server: the school's script makes the tables
// and roles, the superuser fills them, the teacher's role reads.
int onServer(int runs, bool readsAlone, QTextStream& out)
{
    testing_support::PgCluster cluster;
    if (!cluster.ok()) {
        out << "no server: " << cluster.error() << "\n";
        return 2;
    }
    QElapsedTimer fill;
    fill.start();
    {
        journal::ServerSettings admin = cluster.teacher();
        admin.user = admin.teacherUser = u"postgres"_s;
        journal::Connection connection = journal::openServer(admin);
        QSqlDatabase db = connection.database();
        // The orphan check of the school's triggers, row by row, is of no use
        // here: every run is there before its rows.
        bool ok = connection.isOpen() && execText(db, u"SET session_replication_role = replica"_s) &&
                  execText(db, u"SET maintenance_work_mem = '256MB'"_s) && db.transaction();
        if (!connection.isOpen())
            out << "cannot fill the server: " << connection.error().text() << "\n";
        for (const char* statement : kServerFill)
            ok = ok && execText(db, QString::fromLatin1(statement), runs - 1);
        ok = ok && db.commit();
        // As autovacuum would have it after a while: statistics and the map
        // of pages whose rows every transaction sees.
        ok = ok && execText(db, u"VACUUM ANALYZE"_s);
        if (!ok)
            return 2;
    }
    out << "journal of " << runs << " runs (" << runs * 20LL << " operations) made on the server in "
        << fill.elapsed() / 1000.0 << " s\n";
    const qint64 bytes = cluster.sql(u"SELECT pg_database_size('registro')"_s).toLongLong();
    out << "database size: " << bytes / 1048576.0 << " MiB, " << bytes / double(runs) << " bytes per run\n";
    out.flush();
    const bool met =
        measure([&cluster] { return journal::openServer(cluster.teacher()); }, u"server"_s, readsAlone, out);
    out << (met ? "Every target met.\n" : "A target was missed.\n");
    return met ? 0 : 1;
}
#endif

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int runs = 100000;
    QString keep;
    bool server = false;
    bool readsAlone = false;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--runs"_s && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == u"--keep"_s && i + 1 < args.size())
            keep = args[++i];
        else if (args[i] == u"--server"_s)
            server = true;
        else if (args[i] == u"--reads"_s)
            readsAlone = true;
    }
    QTextStream out(stdout);
    if (server) {
#ifdef REGISTRO_BENCH_SERVER
        return onServer(runs, readsAlone, out);
#else
        out << "this build has no throwaway server (tests off)\n";
        return 2;
#endif
    }
    QTemporaryDir dir;
    const QString path = keep.isEmpty() ? dir.filePath(u"registro.sqlite"_s) : keep;
    if (!QFileInfo::exists(path)) {
        QElapsedTimer fill;
        fill.start();
        if (!makeJournal(path, runs, kPupils, false))
            return 2;
        out << "journal of " << runs << " runs (" << runs * 20LL << " operations) made in "
            << fill.elapsed() / 1000.0 << " s\n";
    }
    {
        // Tables of an older version are brought up to date once, untimed.
        const journal::Connection file = journal::openLocal(path);
    }
    const qint64 bytes = QFileInfo(path).size();
    out << "file size: " << bytes / 1048576.0 << " MiB, " << bytes / double(runs) << " bytes per run\n";
    out.flush();
    const bool met = measure([&path] { return journal::openLocal(path); }, path, readsAlone, out);
    out << (met ? "Every target met.\n" : "A target was missed.\n");
    return met ? 0 : 1;
}
