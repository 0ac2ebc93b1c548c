// A school's server under a lab's load, on a throwaway PostgreSQL cluster:
//  - fifty machines (the journal probe, each with its own file) send two
//    hundred runs each at once: entries a second into the server, the time
//    from a run's end to its arrival (p50, p99), the server's peak
//    connections;
//  - a machine offline for a month (2,000 runs) catches up: <= 10 s;
//  - a copy closes with the server frozen (SIGSTOP) in the middle of a
//    pass: <= 3 s.
//   school_bench <journal_probe>
// Exits 1 when a target is missed.
#include "journal/Writer.h"
#include "platform/Clock.h"
#include "support/PgCluster.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// The cluster's processes: the postmaster and its children.
std::vector<pid_t> serverProcesses(qint64 postmaster)
{
    std::vector<pid_t> pids{pid_t(postmaster)};
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/"_s + entry + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == postmaster) pids.push_back(pid_t(entry.toLongLong()));
    }
    return pids;
}

void signalServer(const testing_support::PgCluster& cluster, int signal)
{
    for (const pid_t pid : serverProcesses(cluster.serverPid())) ::kill(pid, signal);
}

journal::WriterOptions optionsFor(const QTemporaryDir& dir, const journal::ServerSettings& server)
{
    journal::WriterOptions options;
    options.where.localFile = dir.filePath(u"registro.sqlite"_s);
    options.where.server = server;
    options.identity = {u"ADDIZIONI"_s, u"alunno"_s, u"aula-1"_s};
    options.syncInterval = 1h;
    return options;
}

void writeRuns(journal::Writer& writer, int runs)
{
    for (int r = 0; r < runs; ++r) {
        const QString id = writer.runStarted({1, u"CALCOLO DEL RISULTATO"_s, 2, u"NUMERO MASSIMO da  30 a 60"_s});
        for (int place = 1; place <= 20; ++place) {
            platform::OperationClosed op;
            op.place = place;
            op.kind = 1;
            op.operand1 = r % 30 + 1;
            op.operand2 = place;
            op.expected = QString::number(op.operand1 + op.operand2);
            op.seconds = 3;
            op.recordLine = u"riga"_s;
            writer.operationClosed(id, op);
        }
        writer.runEnded(id, {18, 2, 60, true, u"OTTIMO"_s});
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: school_bench <journal_probe>\n");
        return 2;
    }
    const QString probe = QString::fromLocal8Bit(argv[1]);
    bool met = true;

    {
        testing_support::PgCluster cluster;
        if (!cluster.ok()) {
            std::fprintf(stderr, "no cluster: %s\n", qPrintable(cluster.error()));
            return 2;
        }
        // When each run's end reached the server, for the bench alone.
        cluster.sql(u"ALTER TABLE run_ends ADD COLUMN arrived_ms BIGINT "
                    u"DEFAULT (extract(epoch FROM clock_timestamp()) * 1000)::bigint"_s);
        const journal::ServerSettings s = cluster.pupils();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ARITMETICA_REGISTRO"_s,
                   u"host=%1 port=%2 database=%3 user=%4"_s.arg(s.host).arg(s.port).arg(s.database, s.user));
        constexpr int kMachines = 50, kRuns = 200;
        std::vector<std::unique_ptr<QTemporaryDir>> folders;
        std::vector<std::unique_ptr<QProcess>> machines;
        QElapsedTimer all;
        all.start();
        for (int i = 0; i < kMachines; ++i) {
            folders.push_back(std::make_unique<QTemporaryDir>());
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->start(probe, {folders.back()->path(), QString::number(kRuns), u"--sync-until"_s, u"300"_s});
            machines.push_back(std::move(p));
        }
        long long peak = 0;
        for (auto& p : machines)
            while (!p->waitForFinished(100))
                peak = std::max(peak, cluster.count(u"SELECT count(*) FROM pg_stat_activity WHERE usename = '"_s +
                                                    s.user + u"'"_s));
        const double seconds = all.elapsed() / 1000.0;
        const long long entries = cluster.count(u"SELECT (SELECT count(*) FROM runs) + (SELECT count(*) FROM "
                                                u"operations) + (SELECT count(*) FROM run_ends)"_s);
        const QStringList delays =
            cluster.sql(u"SELECT percentile_cont(ARRAY[0.5, 0.99]) WITHIN GROUP (ORDER BY arrived_ms - ended_ms) "
                        u"FROM run_ends"_s)
                .trimmed()
                .remove(u'{')
                .remove(u'}')
                .split(u',');
        std::printf("50 machines x 200 runs at once: %lld entries (%s expected) in %.1f s, %.0f entries/s into the "
                    "server\n  from a run's end to its arrival: p50 %s ms, p99 %s ms\n  peak connections of the "
                    "pupils' role: %lld (one a machine at most: %s)\n",
                    entries, entries == kMachines * kRuns * 22LL ? "as" : "NOT as", seconds, entries / seconds,
                    qPrintable(delays.value(0)), qPrintable(delays.value(1)), peak, peak <= kMachines ? "met" : "MISSED");
        met = met && entries == kMachines * kRuns * 22LL && peak <= kMachines;
    }

    {
        testing_support::PgCluster cluster;
        QTemporaryDir dir;
        platform::SystemClock clock;
        journal::UuidSource ids;
        journal::Writer writer(clock, ids);
        cluster.stop();
        writer.start(optionsFor(dir, cluster.pupils()));
        writeRuns(writer, 2000);
        writer.flush(5min);
        cluster.start();
        QElapsedTimer catchUp;
        catchUp.start();
        bool synced = false;
        while (!synced && catchUp.elapsed() < 60000) synced = writer.syncNow(60s);
        const double s = catchUp.elapsed() / 1000.0;
        std::printf("A month offline (2,000 runs, %lld entries) caught up in %.2f s (target <= 10 s): %s\n",
                    cluster.count(u"SELECT count(*) FROM operations"_s) + 4000, s, synced && s <= 10 ? "met" : "MISSED");
        met = met && synced && s <= 10;
    }

    {
        testing_support::PgCluster cluster;
        QTemporaryDir dir;
        platform::SystemClock clock;
        journal::UuidSource ids;
        journal::Writer writer(clock, ids);
        writer.start(optionsFor(dir, cluster.pupils()));
        writeRuns(writer, 20);
        writer.syncNow(30s);
        signalServer(cluster, SIGSTOP);
        writeRuns(writer, 20);  // the last run's end starts a pass, which hangs
        writer.flush(30s);
        QThread::msleep(300);
        QElapsedTimer closing;
        closing.start();
        writer.finish();
        const double s = closing.elapsed() / 1000.0;
        signalServer(cluster, SIGCONT);
        std::printf("A copy closing with the server frozen ended its journal in %.2f s (target <= 3 s): %s\n", s,
                    s <= 3 ? "met" : "MISSED");
        met = met && s <= 3;
    }
    return met ? 0 : 1;
}
