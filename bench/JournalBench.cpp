// The journal's own figures: how large the local file grows per run, and how
// fast a school's server takes what a machine kept while it was away.
//   journal_bench [runs for the catch-up, default 10000]
// A throwaway PostgreSQL cluster is started for the measurement (initdb and
// pg_ctl, as the tests do) and stopped at the end.
#include "journal/Database.h"
#include "journal/Writer.h"
#include "platform/Clock.h"
#include "support/PgCluster.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

// A run as the practice window hands it over: twenty operations with record
// lines of the usual length, its end and the pupil's name.
void writeRun(platform::Journal& journal, int n)
{
    const QString id = journal.runStarted({6, u"CALCOLO CASUALE DEL NUMERO O DEL SEGNO"_s, 4,
                                           u"NUMERO MASSIMO da  1 a 99"_s});
    for (int place = 1; place <= 20; ++place) {
        platform::OperationClosed op;
        op.place = place;
        op.kind = 1 + (n + place) % 4;
        op.operand1 = 10 + place;
        op.operand2 = 3 + n % 7;
        op.variant = 1 + place % 12;
        op.expected = QString::number(op.operand1 + op.operand2);
        if (place % 5 == 0) op.wrongAttempts = {u"12"_s};
        op.help = place % 10 == 0 ? platform::Help::Accepted : platform::Help::None;
        op.seconds = 4 + place % 9;
        op.recordLine = u" 13 +  7 = .     r.  12* ..............  20   (s. 7)"_s;
        journal.operationClosed(id, op);
    }
    journal.runEnded(id, {18, 4, 130, true, u"OTTIMO"_s});
    journal.pupilNamed(id, u"Mariangela"_s);
}

qint64 fileBytes(const QString& path)
{
    return QFileInfo(path).size() + QFileInfo(path + u"-wal"_s).size();
}

// Writes `runs` runs through a writer and waits until they are in the file.
bool fill(const journal::WriterOptions& options, int runs)
{
    platform::SystemClock clock;
    journal::UuidSource ids;
    journal::Writer writer(clock, ids);
    writer.start(options);
    for (int i = 0; i < runs; ++i) writeRun(writer, i);
    return writer.flush(10min);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    constexpr int kEntriesPerRun = 1 + 20 + 1 + 1;

    // File size: a thousand runs on one machine, written back from the WAL.
    {
        QTemporaryDir dir;
        journal::WriterOptions options;
        options.where.localFile = dir.filePath(u"registro.sqlite"_s);
        options.identity = journal::Identity::ofThisProcess(u"OPERAZIONI"_s);
        const qint64 empty = [&] {
            journal::Connection c = journal::openLocal(options.where.localFile);
            return fileBytes(options.where.localFile);
        }();
        if (!fill(options, 1000)) return 1;
        journal::Connection c = journal::openLocal(options.where.localFile);
        QSqlQuery(c.database()).exec(u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
        const qint64 full = fileBytes(options.where.localFile);
        std::printf("journal file: %.0f bytes per run (%d entries each; 1000 runs: %.2f MiB, empty file %lld bytes)\n",
                    double(full - empty) / 1000.0, kEntriesPerRun, double(full) / (1024.0 * 1024.0),
                    static_cast<long long>(empty));
    }

    // Catch-up: `runs` runs kept while the server was out of reach, then
    // sent by a copy that finds it again.
    testing_support::PgCluster cluster;
    if (!cluster.ok()) {
        std::fprintf(stderr, "no PostgreSQL cluster: %s\n", qPrintable(cluster.error()));
        return 1;
    }
    QTemporaryDir dir;
    journal::WriterOptions options;
    options.where.localFile = dir.filePath(u"registro.sqlite"_s);
    options.where.server = cluster.pupils();
    options.where.server->port = cluster.port() + 1;  // nobody answers there
    options.identity = journal::Identity::ofThisProcess(u"OPERAZIONI"_s);
    options.syncInterval = 1h;
    QElapsedTimer writing;
    writing.start();
    if (!fill(options, runs)) return 1;
    const double writeSeconds = writing.elapsed() / 1000.0;
    const qint64 queued = [&] {
        journal::Connection c = journal::openLocal(options.where.localFile);
        QSqlQuery q(c.database());
        return q.exec(u"SELECT count(*) FROM outbox"_s) && q.next() ? q.value(0).toLongLong() : -1;
    }();

    options.where.server = cluster.pupils();
    platform::SystemClock clock;
    journal::UuidSource ids;
    journal::Writer writer(clock, ids);
    QElapsedTimer sending;
    sending.start();
    writer.start(options);  // a pass at start
    const bool complete = writer.syncNow(30min);
    const double seconds = sending.elapsed() / 1000.0;
    const long long onServer = cluster.count(u"SELECT (SELECT count(*) FROM runs) + (SELECT count(*) FROM operations) + "
                                             u"(SELECT count(*) FROM run_ends) + (SELECT count(*) FROM pupil_names)"_s);
    std::printf("written locally: %d runs in %.1f s (%.0f entries/s)\n", runs, writeSeconds,
                double(runs) * kEntriesPerRun / writeSeconds);
    std::printf("catch-up: %lld queued entries (%d runs) on the server in %.1f s, %.0f entries/s%s\n",
                static_cast<long long>(queued), runs, seconds, double(onServer) / seconds,
                complete && onServer == queued ? "" : "  INCOMPLETE");
    return complete && onServer == queued ? 0 : 1;
}
