// The journal under the faults of real machines: other processes writing at
// once, a folder the user may not write, a full disk.
#include "journal/Database.h"
#include "journal/JournalTestSupport.h"
#include "support/PgCluster.h"
#include "support/PrintTo.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QElapsedTimer>

#include <sys/mount.h>
#include <unistd.h>

namespace {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using journal_testing::count;

const QString kProbe = QStringLiteral(JOURNAL_PROBE);

struct ProbeResult {
    bool ran = false;
    QString output;
};

// The probe, as an ordinary user when this test runs as root: permissions
// mean nothing to root.
ProbeResult runProbe(const QStringList& arguments, bool asOrdinaryUser,
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess probe;
    probe.setProcessEnvironment(env);
    if (asOrdinaryUser && ::geteuid() == 0)
        probe.start(u"runuser"_s, QStringList{u"-u"_s, u"nobody"_s, u"--"_s, kProbe} + arguments);
    else
        probe.start(kProbe, arguments);
    const bool done = probe.waitForFinished(600000);
    return {done && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0,
            QString::fromLocal8Bit(probe.readAllStandardOutput() + probe.readAllStandardError())};
}

// Runs the test named by `filter` again in a mount namespace of its own
// (unshare), where it may mount a small file system that vanishes with it.
void runWithPrivateMounts(const QString& filter)
{
    QProcess inside;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"JOURNAL_PRIVATE_MOUNT"_s, u"1"_s);
    inside.setProcessEnvironment(env);
    QStringList args{u"--mount"_s, u"--propagation"_s, u"private"_s};
    if (::geteuid() != 0) args.prepend(u"--map-root-user"_s), args.prepend(u"--user"_s);
    inside.start(u"unshare"_s, args + QStringList{QCoreApplication::applicationFilePath(),
                                                  u"--gtest_filter=JournalFaults."_s + filter});
    ASSERT_TRUE(inside.waitForFinished(300000));
    const QString out = QString::fromLocal8Bit(inside.readAllStandardOutput() + inside.readAllStandardError());
    EXPECT_EQ(inside.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(u"[  PASSED  ] 1 test"_s)) << out.toStdString();
}

// Runs whose kept sums differ from what their operations add up to, or
// whose sums are missing.
const QString kSumsDiffer =
    u"SELECT count(*) FROM (SELECT run_id, count(*) AS n, sum(CASE WHEN help = '' THEN 1 ELSE 0 END) AS r, "
    u"sum(seconds) AS s FROM operations GROUP BY run_id) o LEFT JOIN run_sums k ON k.run_id = o.run_id "
    u"WHERE k.run_id IS NULL OR k.operations <> o.n OR k.right_answers <> o.r OR k.seconds <> o.s"_s;

// Four copies write 500 runs each at once into one file and on to one server:
// every run arrives exactly once in both, and its sums with it.
TEST(JournalFaults, FourCopiesWritingAtOnceLoseAndDoubleNothingInTheFileOrOnTheServer)
{
    testing_support::PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    QTemporaryDir dir;
    const journal::ServerSettings s = cluster.pupils();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ARITMETICA_REGISTRO"_s, u"host=%1 port=%2 database=%3 user=%4"_s.arg(s.host).arg(s.port).arg(
                                             s.database, s.user));

    std::vector<std::unique_ptr<QProcess>> copies;
    for (int i = 0; i < 4; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(kProbe, {dir.path(), u"500"_s, u"--sync"_s});
        copies.push_back(std::move(p));
    }
    for (auto& p : copies) {
        ASSERT_TRUE(p->waitForFinished(600000));
        const QString out = QString::fromLocal8Bit(p->readAllStandardOutput());
        EXPECT_TRUE(out.contains(u"flushed: 1"_s) && out.contains(u"synced: 1"_s)) << out.toStdString();
        // A loaded machine may let a connection time out, which is told;
        // nothing else is a problem here.
        EXPECT_EQ(out.count(u"problem: "_s), out.count(u"non risponde"_s)) << out.toStdString();
    }

    journal::Connection file = journal::openLocal(dir.filePath(u"registro.sqlite"_s));
    const QSqlDatabase db = file.database();
    EXPECT_EQ(count(db, u"SELECT count(*) FROM runs"_s), 2000);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM operations"_s), 40000);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM run_ends"_s), 2000);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM outbox"_s), 0);
    EXPECT_EQ(count(db, kSumsDiffer), 0);
    EXPECT_EQ(count(db, u"SELECT count(*) FROM run_sums"_s), 2000);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM runs"_s), 2000);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM operations"_s), 40000);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM run_ends"_s), 2000);
    // Each copy's runs whole: twenty operations each, no more, no fewer.
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM (SELECT run_id FROM operations GROUP BY run_id "
                            u"HAVING count(*) <> 20) AS odd"_s),
              0);
    EXPECT_EQ(cluster.count(kSumsDiffer), 0);
}

// A lab at the end of a lesson: fifty machines, each with its own file,
// send two hundred runs each at once while the server is stopped and started
// twice. Every entry arrives once, every machine is done within four minutes
// of the server's return, and no machine holds more than one connection.
// Here fifty machines share two cores and one disk, so the bound is set for
// a slow test machine; a real lab does it in a fraction of that.
TEST(JournalFaults, FiftyMachinesSendingAtOnceThroughTwoServerRestartsLoseAndDoubleNothing)
{
    constexpr int kMachines = 50;
    constexpr int kRuns = 200;
    testing_support::PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error().toStdString();
    const journal::ServerSettings s = cluster.pupils();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ARITMETICA_REGISTRO"_s, u"host=%1 port=%2 database=%3 user=%4"_s.arg(s.host).arg(s.port).arg(
                                             s.database, s.user));
    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    std::vector<std::unique_ptr<QProcess>> machines;
    for (int i = 0; i < kMachines; ++i) {
        folders.push_back(std::make_unique<QTemporaryDir>());
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(kProbe, {folders.back()->path(), QString::number(kRuns), u"--sync-until"_s, u"330"_s});
        machines.push_back(std::move(p));
    }
    long long peak = 0;
    const auto watch = [&](int ms) {
        QElapsedTimer t;
        t.start();
        do {
            peak = std::max(peak, cluster.count(u"SELECT count(*) FROM pg_stat_activity WHERE usename = '"_s +
                                                s.user + u"'"_s));
            if (ms > 0) QThread::msleep(100);
        } while (t.elapsed() < ms);
    };
    for (int restart = 0; restart < 2; ++restart) {
        watch(1500);
        ASSERT_TRUE(cluster.stop());
        QThread::msleep(1000);
        ASSERT_TRUE(cluster.start());
    }
    QElapsedTimer back;
    back.start();
    for (auto& p : machines) {
        while (!p->waitForFinished(200) && back.elapsed() < 300000) watch(0);
        ASSERT_EQ(p->state(), QProcess::NotRunning);
        const QString out = QString::fromLocal8Bit(p->readAllStandardOutput());
        EXPECT_TRUE(out.contains(u"flushed: 1"_s) && out.contains(u"synced: 1"_s)) << out.toStdString();
    }
    EXPECT_LT(back.elapsed(), 240000) << "every machine done within four minutes of the server's return";
    EXPECT_LE(peak, kMachines) << "one connection a machine at most";
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM runs"_s), kMachines * kRuns);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM operations"_s), kMachines * kRuns * 20);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM run_ends"_s), kMachines * kRuns);
    // Rows sent again after a restart add nothing to their run's sums.
    EXPECT_EQ(cluster.count(kSumsDiffer), 0);
    EXPECT_EQ(cluster.count(u"SELECT count(*) FROM run_sums"_s), kMachines * kRuns);
    std::printf("peak connections: %lld, last machine done %lld ms after the server's return\n", peak,
                back.elapsed());
}

// A working folder the user may not write: the pupil goes on, is told once,
// and the journal already there is left as it was.
TEST(JournalFaults, AReadOnlyFolderIsToldAndLeavesTheJournalThereUntouched)
{
    QTemporaryDir dir;
    {
        journal_testing::StepWallClock clock;
        journal::UuidSource ids;
        journal::WriterOptions options;
        options.where.localFile = dir.filePath(u"registro.sqlite"_s);
        journal::Writer writer(clock, ids);
        writer.start(options);
        journal_testing::writeRun(writer, 1);
        ASSERT_TRUE(writer.flush(30s));
    }
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                          QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), readOnly));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath(u"registro.sqlite"_s),
                                      QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QFile before(dir.filePath(u"registro.sqlite"_s));
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();

    const ProbeResult result = runProbe({dir.path(), u"2"_s}, true);
    EXPECT_TRUE(result.ran) << result.output.toStdString();
    EXPECT_TRUE(result.output.contains(u"flushed: 0"_s)) << result.output.toStdString();
    EXPECT_EQ(result.output.count(u"problem: "_s), 1) << result.output.toStdString();
    EXPECT_TRUE(result.output.contains(u"non si può scrivere"_s)) << result.output.toStdString();

    QFile after(dir.filePath(u"registro.sqlite"_s));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"registro.sqlite"_s});

    // An empty folder too: no file appears, and the probe still goes on.
    QTemporaryDir empty;
    ASSERT_TRUE(QFile::setPermissions(empty.path(), readOnly));
    const ProbeResult fresh = runProbe({empty.path(), u"1"_s}, true);
    EXPECT_TRUE(fresh.ran) << fresh.output.toStdString();
    EXPECT_EQ(fresh.output.count(u"problem: "_s), 1) << fresh.output.toStdString();
    EXPECT_TRUE(QDir(empty.path()).isEmpty());
    QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
    QFile::setPermissions(empty.path(), readOnly | QFileDevice::WriteOwner);
}

// A full disk: a small tmpfs, mounted in a mount namespace of the test's own
// (unshare), so that nothing outlives the test. Entries wait while the disk
// is full, what was kept stays, and everything is written once room is back.
TEST(JournalFaults, AFullDiskKeepsWhatWasWrittenAndWritesTheRestWhenThereIsRoom)
{
    if (qEnvironmentVariableIsEmpty("JOURNAL_PRIVATE_MOUNT")) {
        runWithPrivateMounts(u"AFullDisk*"_s);
        return;
    }

    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    ASSERT_EQ(::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m"), 0);
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    const QString path = dir.filePath(u"registro.sqlite"_s);
    journal_testing::StepWallClock clock;
    journal::UuidSource ids;
    journal::WriterOptions options;
    options.where.localFile = path;
    options.retryInterval = 100ms;
    {
        journal::Writer writer(clock, ids);
        writer.start(options);
        journal_testing::writeRun(writer, 1);
        ASSERT_TRUE(writer.flush(30s));

        QFile filler(dir.filePath(u"filler"_s));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();

        for (int run = 2; run <= 4; ++run) journal_testing::writeRun(writer, run);
        EXPECT_FALSE(writer.flush(5s));
        ASSERT_EQ(writer.problemsTold().size(), 1);
        EXPECT_TRUE(writer.problemsTold().first().contains(u"disco è pieno"_s));
        {
            journal::Connection kept = journal::openLocal(path);
            EXPECT_EQ(count(kept.database(), u"SELECT count(*) FROM operations"_s), 20) << "what was kept stays";
        }

        ASSERT_TRUE(QFile::remove(dir.filePath(u"filler"_s)));
        EXPECT_TRUE(writer.flush(30s)) << "written once there is room";
    }
    {
        journal::Connection file = journal::openLocal(path);
        EXPECT_EQ(count(file.database(), u"SELECT count(*) FROM runs"_s), 4);
        EXPECT_EQ(count(file.database(), u"SELECT count(*) FROM operations"_s), 80);
        EXPECT_EQ(count(file.database(), u"SELECT count(*) FROM run_ends"_s), 4);
    }
}

// The disk still full when the copy ends: what memory holds goes to a spill
// file in the runtime folder (beside the journal there is no room), and the
// next start takes it in once, but never while it is still being written.
TEST(JournalFaults, WhatAFullDiskKeepsOutAtTheEndIsSpilledAndTakenInOnceAtTheNextStart)
{
    if (qEnvironmentVariableIsEmpty("JOURNAL_PRIVATE_MOUNT")) {
        runWithPrivateMounts(u"WhatAFullDisk*"_s);
        return;
    }

    QTemporaryDir dir, runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    ASSERT_EQ(::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m"), 0);
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    const QString path = dir.filePath(u"registro.sqlite"_s);
    journal_testing::StepWallClock clock;
    journal::UuidSource ids;
    journal::WriterOptions options;
    options.where.localFile = path;
    options.retryInterval = 100ms;
    const auto writeRuns = [&](int first, int last, bool fill) {
        journal::Writer writer(clock, ids);
        writer.start(options);
        if (fill) {
            EXPECT_TRUE(writer.flush(30s));
            QFile filler(dir.filePath(u"filler"_s));
            EXPECT_TRUE(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        for (int run = first; run <= last; ++run) journal_testing::writeRun(writer, run);
        writer.finish();
        return writer.problemsTold();
    };
    const auto counts = [&] {
        journal::Connection file = journal::openLocal(path);
        return std::pair(count(file.database(), u"SELECT count(*) FROM runs"_s),
                         count(file.database(), u"SELECT count(*) FROM operations"_s));
    };

    writeRuns(1, 1, false);
    const QStringList told = writeRuns(2, 4, true);
    ASSERT_FALSE(told.isEmpty());
    EXPECT_TRUE(told.last().contains(u"messi da parte"_s)) << told.join(u'\n').toStdString();
    const QStringList spilled = QDir(runtime.path()).entryList(QDir::Files);
    ASSERT_EQ(spilled.size(), 1);
    EXPECT_TRUE(told.last().contains(spilled.first())) << "the message names the file";
    EXPECT_EQ(QFileInfo(runtime.filePath(spilled.first())).permissions() & 0x0777,
              QFileDevice::ReadUser | QFileDevice::WriteUser);

    ASSERT_TRUE(QFile::remove(dir.filePath(u"filler"_s)));
    EXPECT_EQ(counts(), std::pair(1LL, 20LL));

    // Spills still being written, as a copy starting meanwhile finds them:
    // under the name one is written by, and cut short under a final name (as
    // an earlier version wrote them). The start leaves both as they are.
    const auto contents = [](const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    };
    const auto put = [](const QString& file, const QByteArray& bytes) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    };
    const QString whole = runtime.filePath(spilled.first());
    const QByteArray bytes = contents(whole);
    const QString beingWritten = QString(whole).replace(u"-da-scrivere-"_s, u"-in-scrittura-"_s);
    const QString cutShort = whole.chopped(6) + u"AbCdEf"_s;
    ASSERT_NE(beingWritten, whole);
    ASSERT_TRUE(QFile::rename(whole, beingWritten));
    ASSERT_TRUE(put(cutShort, bytes.left(bytes.size() / 2)));
    EXPECT_TRUE(writeRuns(5, 5, false).isEmpty());
    EXPECT_EQ(counts(), std::pair(2LL, 40LL));
    EXPECT_EQ(contents(beingWritten), bytes);
    EXPECT_EQ(contents(cutShort), bytes.left(bytes.size() / 2));

    // Both whole now: taken in at the next start, their rows once.
    ASSERT_TRUE(QFile::rename(beingWritten, whole));
    ASSERT_TRUE(put(cutShort, bytes));
    EXPECT_TRUE(writeRuns(6, 5, false).isEmpty());
    EXPECT_EQ(counts(), std::pair(5LL, 100LL)) << "taken in";
    EXPECT_TRUE(QDir(runtime.path()).isEmpty());
    writeRuns(6, 5, false);
    EXPECT_EQ(counts(), std::pair(5LL, 100LL)) << "once";
}

}  // namespace
