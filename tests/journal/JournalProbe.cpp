// A copy of the program as far as the journal sees it, for tests that need
// other processes: several copies at once, or a copy run as another user.
//   journal_probe <working folder> <runs> [--sync | --sync-until <seconds>]
// The server comes from ARITMETICA_REGISTRO or registro.conf, as in the
// program. Prints what it saw; exits 0 unless it could not run at all.
#include "journal/JournalTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QProcessEnvironment>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: journal_probe <folder> <runs> [--sync]\n");
        return 2;
    }
    journal::WriterOptions options;
    options.where = journal::locate(args[1], QProcessEnvironment::systemEnvironment());
    options.identity = journal::Identity::ofThisProcess(u"PROBE"_s);
    options.retryInterval = std::chrono::milliseconds(200);
    options.syncRetry = std::chrono::milliseconds(500);
    platform::SystemClock clock;
    journal::UuidSource ids;
    journal::Writer writer(clock, ids);
    writer.start(options);
    const int runs = args[2].toInt();
    for (int i = 0; i < runs; ++i) journal_testing::writeRun(writer, i);
    std::printf("flushed: %d\n", writer.flush(std::chrono::minutes(5)) ? 1 : 0);
    if (args.contains(u"--sync"_s)) std::printf("synced: %d\n", writer.syncNow(std::chrono::minutes(5)) ? 1 : 0);
    // Again and again until the server has everything, as long as allowed.
    if (const qsizetype at = args.indexOf(u"--sync-until"_s); at > 0 && at + 1 < args.size()) {
        QElapsedTimer elapsed;
        elapsed.start();
        const qint64 limit = args[at + 1].toLongLong() * 1000;
        bool synced = false;
        while (!synced && elapsed.elapsed() < limit) {
            synced = writer.syncNow(std::chrono::seconds(30));
            if (!synced) QThread::msleep(300);
        }
        std::printf("synced: %d\nsync ms: %lld\n", synced ? 1 : 0, elapsed.elapsed());
    }
    for (const QString& problem : writer.problemsTold()) std::printf("problem: %s\n", qPrintable(problem));
    return 0;
}
