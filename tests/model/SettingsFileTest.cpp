#include "model/SettingsFile.h"
#include "platform/SafeFile.h"

#include <gtest/gtest.h>

#include "support/ChildProcesses.h"
#include "support/PrintTo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <future>

using namespace model;

namespace {

class SettingsFile : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path() const { return dir.filePath(settingsFileName(QStringLiteral("Addizioni"))); }

    void put(const QByteArray& content) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    QByteArray contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // As the start window reads it: operationKind is 1 beforehand. Returns
    // kind, objective set, level set, and whether all three were read.
    std::tuple<int, int, int, bool> read(const QString& from = {}) const
    {
        StoredSettings s{1, 9, 9};
        const bool ok = readSettings(from.isEmpty() ? path() : from, s);
        return {s.operationKind, s.objectiveSet, s.levelSet, ok};
    }

    QTemporaryDir dir;
};

using Read = std::tuple<int, int, int, bool>;

// Root passes every permission check: as root, the test runs again as the
// user nobody, and this says whether it did (the caller then returns).
bool ranAsNobody()
{
    if (!testing_support::runningAsRoot())
        return false;
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    const auto run = testing_support::runThisProgramAsNobody(
        {"--gtest_filter=" + std::string(test->test_suite_name()) + "." + test->name(), "--gtest_color=no"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test."), std::string::npos) << run.output;
    return true;
}

// Links are planted by an ordinary user too: as root, the test first runs
// again as nobody, then goes on with root's own cases.
void alsoAsNobody()
{
    ranAsNobody();
}

// Every write fails, as on a full disk, also for root, while it lives.
class NoRoomForWrites {
public:
    NoRoomForWrites()
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_saved;
        none.rlim_cur = 0;
        m_active = setrlimit(RLIMIT_FSIZE, &none) == 0;
    }
    ~NoRoomForWrites()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
    bool m_active = false;
};

TEST_F(SettingsFile, WritesTheExactLineAndReadsItBack)
{
    const std::pair<StoredSettings, QByteArray> cases[] = {
        {{1, 2, 1}, QByteArray::fromHex("2031202032202031200D0A")},
        {{7, 1, 1}, QByteArray::fromHex("2037202031202031200D0A")},
        {{-3, 0, -1}, "-3  0 -1 \r\n"},
        {{32767, -32768, 12}, " 32767 -32768  12 \r\n"},
    };
    for (const auto& [settings, expected] : cases) {
        EXPECT_EQ(formatSettings(settings), expected);
        ASSERT_TRUE(writeSettings(path(), settings));
        EXPECT_EQ(contents(), expected);
        EXPECT_EQ(read(), Read(settings.operationKind, settings.objectiveSet, settings.levelSet, true));
    }
}

struct ReadCase {
    std::string name;
    QByteArray content;
    Read expected;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class SettingsRead : public SettingsFile, public testing::WithParamInterface<ReadCase> {};

// Each number is stored as soon as it is read; on a failure the two sets fall
// back to 1 and the kind keeps what it had by then. The file and the bytes
// alone read alike.
TEST_P(SettingsRead, StoresWhatItReadsAndFallsBackForTheRest)
{
    put(GetParam().content);
    EXPECT_EQ(read(), GetParam().expected);

    StoredSettings s{1, 9, 9};
    const bool ok = parseSettings(GetParam().content, s);
    EXPECT_EQ(Read(s.operationKind, s.objectiveSet, s.levelSet, ok), GetParam().expected);
}

QByteArray garbage(int size)
{
    QByteArray out(size, '\0');  // a NUL first, so the first field is no number
    std::uint32_t x = 12345;
    for (int i = 1; i < size; ++i) out[i] = char((x = x * 1103515245u + 12345u) >> 24);
    return out;
}

const Read kDefaults{1, 1, 1, false};

INSTANTIATE_TEST_SUITE_P(
    Contents, SettingsRead,
    testing::Values(
        ReadCase{"AsWritten", " 3  2  1 \r\n", {3, 2, 1, true}},
        ReadCase{"CommasWithoutBlanks", "3,2,1", {3, 2, 1, true}}, ReadCase{"SingleBlanks", "3 2 1", {3, 2, 1, true}},
        ReadCase{"ThreeLines", "3\r\n2\r\n1\r\n", {3, 2, 1, true}},
        ReadCase{"ThreeUnixLines", "3\n2\n1", {3, 2, 1, true}},
        ReadCase{"MixedSeparators", "   3 ,\r\n 2,,  1", {3, 2, 1, true}},
        ReadCase{"TextAfterThirdIgnored", "6 2 2 and more\r\n9 9 9\r\n", {6, 2, 2, true}},
        ReadCase{"SixteenBitLimits", "32767 -32768 0", {32767, -32768, 0, true}},
        ReadCase{"Negative", "-3 -2 -1", {-3, -2, -1, true}}, ReadCase{"OnlyFour", "4", {4, 1, 1, false}},
        ReadCase{"OnlyFourWithLineEnd", "4\r\n", {4, 1, 1, false}}, ReadCase{"TwoNumbers", "5 2", {5, 1, 1, false}},
        ReadCase{"Empty", "", kDefaults}, ReadCase{"OnlyBlanks", "   \r\n", kDefaults},
        ReadCase{"TooLarge", "99999", kDefaults}, ReadCase{"JustAbove16Bits", "32768 2 2", kDefaults},
        ReadCase{"JustBelow16Bits", "-32769 2 2", kDefaults}, ReadCase{"SecondTooLarge", "3 99999 2", {3, 1, 1, false}},
        ReadCase{"LettersAfterDigits", "1abc", kDefaults}, ReadCase{"LettersInSecond", "5 1abc 2", {5, 1, 1, false}},
        ReadCase{"Decimal", "2.0", kDefaults}, ReadCase{"Words", "tre due uno", kDefaults},
        ReadCase{"Signs", "+3 -0 +1", {3, 0, 1, true}}, ReadCase{"LoneSign", "- 2 1", kDefaults},
        ReadCase{"DoubleSign", "3 +-2 1", {3, 1, 1, false}},
        ReadCase{"LeadingZeros", "0000000000000000000003 -00002 01", {3, -2, 1, true}},
        ReadCase{"NulInsideAField", QByteArray("3\0 2 1", 6), kDefaults},
        ReadCase{"NulAsSeparator", QByteArray("3 2\0001", 6), {3, 1, 1, false}},
        ReadCase{"ByteOrderMark", "\xEF\xBB\xBF 3  2  1 \r\n", kDefaults},
        ReadCase{"SeparatorsOnly", "\t,\t,,\r\n\n ", kDefaults},
        ReadCase{"BinaryGarbage", garbage(4096), kDefaults},
        ReadCase{"OneMegabyteOfDigits", QByteArray(1 << 20, '7'), kDefaults},
        ReadCase{"OneMegabyteOfGarbage", garbage(1 << 20), kDefaults},
        ReadCase{"LineThenOneMegabyte", " 5  2  1 \r\n" + garbage(1 << 20), {5, 2, 1, true}}),
    [](const auto& info) { return info.param.name; });

TEST_F(SettingsFile, MissingFileGivesDefaultsAndSavesCreateOrReplaceItWhole)
{
    EXPECT_EQ(read(), kDefaults);
    ASSERT_FALSE(QFile::exists(path()));
    ASSERT_TRUE(writeSettings(path(), {1, 1, 1}));
    EXPECT_EQ(contents(), QByteArray(" 1  1  1 \r\n"));
    for (const QByteArray& old : {QByteArray(), QByteArray(" 9  9  9  9  9  9  9  9 \r\nrest\r\n")}) {
        put(old);
        ASSERT_TRUE(writeSettings(path(), {1, 2, 1}));
        EXPECT_EQ(contents(), QByteArray(" 1  2  1 \r\n"));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Addizioni.dat"});
}

TEST_F(SettingsFile, DirectoryOrMissingFolderIsASilentFailure)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Addizioni.dat")));
    EXPECT_EQ(read(), kDefaults);
    EXPECT_FALSE(writeSettings(path(), {2, 1, 1}));
    EXPECT_TRUE(QFileInfo(path()).isDir());

    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/Addizioni.dat"));
    EXPECT_EQ(read(nowhere), kDefaults);
    EXPECT_FALSE(writeSettings(nowhere, {1, 1, 1}));
}

// Whatever sits under the file's name, the read returns at once: a pipe
// without a writer would otherwise hold the program at start-up for ever.
TEST_F(SettingsFile, PipeOrDeviceUnderTheNameGivesDefaultsWithoutWaiting)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    auto pending = std::async(std::launch::async, [this] { return read(); });
    if (pending.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Release the stuck reader so that the test can end.
        const int writer = ::open(QFile::encodeName(path()).constData(), O_WRONLY | O_NONBLOCK);
        pending.wait();
        ::close(writer);
        FAIL() << "reading a pipe blocked";
    }
    EXPECT_EQ(pending.get(), kDefaults);

    // Nor is a pipe a settings file when a line is waiting in it.
    const int writer = ::open(QFile::encodeName(path()).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, " 3  2  1 \r\n", 11), 11);
    EXPECT_EQ(read(), kDefaults);
    ::close(writer);

    // An endless device: nothing of it is taken for settings.
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path()));
    EXPECT_EQ(read(), kDefaults);
}

TEST_F(SettingsFile, LinksCountOnlyWhenTheyLeadToAFile)
{
    alsoAsNobody();
    const QString target = dir.filePath(QStringLiteral("elsewhere.dat"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(" 4  2  1 \r\n") == 11);
    }
    ASSERT_TRUE(QFile::link(target, path()));
    EXPECT_EQ(read(), Read(4, 2, 1, true));

    // A link to itself (a loop), and one to nothing.
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_EQ(::symlink("Addizioni.dat", QFile::encodeName(path()).constData()), 0);
    EXPECT_EQ(read(), kDefaults);
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QFile::remove(target));
    ASSERT_TRUE(QFile::link(target, path()));
    EXPECT_EQ(read(), kDefaults);
}

// Only the first MiB is looked at, whatever the file's size: a file of a
// gigabyte (sparse, so the test costs no disk) neither fills the memory nor
// takes long.
TEST_F(SettingsFile, OnlyTheFirstMebibyteIsRead)
{
    constexpr int kMiB = 1 << 20;
    put(QByteArray(kMiB - 5, ' ') + "6 2 1");  // the last byte read is the 1
    ASSERT_EQ(read(), Read(6, 2, 1, true));
    put(QByteArray(kMiB - 4, ' ') + "6 2 1");  // the 1 lies beyond
    ASSERT_EQ(read(), Read(6, 1, 1, false));

    put(" 6  2  1 \r\n");
    {
        QFile file(path());
        ASSERT_TRUE(file.resize(qint64(1) << 30));
    }
    EXPECT_EQ(read(), Read(6, 2, 1, true));
}

TEST_F(SettingsFile, UnreadableFileGivesDefaults)
{
    if (ranAsNobody())
        return;
    put(" 3  2  1 \r\n");
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::Permissions()));
    EXPECT_EQ(read(), kDefaults);
}

// A folder the user may not write into, holding a settings file the user may
// write: no temporary file can be made, so the file is rewritten where it
// lies, and a write that fails there still leaves the old line whole.
TEST_F(SettingsFile, ReadOnlyFolderRewritesAWritableFileInPlace)
{
    if (ranAsNobody())
        return;
    put(" 32767 -32768  12 \r\n");
    const QString other = dir.filePath(QStringLiteral("Sottrazioni.dat"));
    ASSERT_TRUE(QFile::copy(path(), other));
    ASSERT_TRUE(QFile::setPermissions(other, QFileDevice::ReadOwner));
    const QString missing = dir.filePath(QStringLiteral("Divisioni.dat"));
    const auto writable = QFile::permissions(dir.path());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const bool saved = writeSettings(path(), {7, 1, 1});
    const QByteArray afterSave = contents();
    bool savedWithNoRoom = true;
    {
        NoRoomForWrites noRoom;
        ASSERT_TRUE(noRoom.active());
        savedWithNoRoom = writeSettings(path(), {2, 2, 2});
    }
    const QByteArray afterFailure = contents();
    const bool savedReadOnlyFile = writeSettings(other, {7, 1, 1});
    const bool savedMissing = writeSettings(missing, {7, 1, 1});
    QFile::setPermissions(dir.path(), writable);

    EXPECT_TRUE(saved);
    EXPECT_EQ(afterSave, QByteArray(" 7  1  1 \r\n"));
    EXPECT_FALSE(savedWithNoRoom);
    EXPECT_EQ(afterFailure, QByteArray(" 7  1  1 \r\n"));
    EXPECT_FALSE(savedReadOnlyFile);
    EXPECT_FALSE(savedMissing);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Addizioni.dat", "Sottrazioni.dat"}));
}

TEST_F(SettingsFile, FailedWriteKeepsTheOldFileWhole)
{
    put(" 3  2  1 \r\n");
    bool written = true;
    {
        NoRoomForWrites noRoom;
        ASSERT_TRUE(noRoom.active());
        written = writeSettings(path(), {7, 1, 1});
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(), QByteArray(" 3  2  1 \r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Addizioni.dat"});
}

// A save never writes through the name: a link, whatever it leads to, is
// replaced by a regular file and its target stays as it was (run by root with
// the name linked to /dev/null, following it would replace the system's null
// device); a file with a second name keeps its old line under that name. A
// pipe under the name itself stays a pipe.
TEST_F(SettingsFile, LinksAreReplacedAndNeverWrittenThrough)
{
    alsoAsNobody();
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    // A device node of our own where root may make one; /dev/null otherwise,
    // which an ordinary user cannot replace anyway.
    QByteArray device = "/dev/null";
    if (testing_support::runningAsRoot()) {
        device = QFile::encodeName(dir.filePath(QStringLiteral("null")));
        ASSERT_EQ(mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    struct stat deviceBefore {};
    ASSERT_EQ(stat(device.constData(), &deviceBefore), 0);
    QTemporaryDir elsewhere;
    const QString shared = elsewhere.filePath(QStringLiteral("shared.dat"));
    const QByteArray name = QFile::encodeName(path());

    ASSERT_EQ(mkfifo(name.constData(), 0600), 0);
    EXPECT_FALSE(writeSettings(path(), {7, 1, 1}));
    struct stat after {};
    ASSERT_EQ(lstat(name.constData(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));

    const std::pair<const char*, QByteArray> links[] = {
        {"a link to a pipe", fifo},
        {"a link to a device node", device},
        {"a link to nothing", QFile::encodeName(elsewhere.filePath(QStringLiteral("nothing.dat")))},
        {"a link to a folder", QFile::encodeName(elsewhere.path())},
        {"a link to a file", QFile::encodeName(shared)},
    };
    for (const auto& [what, target] : links) {
        SCOPED_TRACE(what);
        {
            QFile file(shared);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(" 3  2  1 \r\n") == 11);
        }
        ::unlink(name.constData());
        ASSERT_EQ(symlink(target.constData(), name.constData()), 0);
        EXPECT_TRUE(writeSettings(path(), {7, 1, 1}));
        ASSERT_EQ(lstat(name.constData(), &after), 0);
        EXPECT_TRUE(S_ISREG(after.st_mode));
        EXPECT_EQ(contents(), QByteArray(" 7  1  1 \r\n"));
        QFile file(shared);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray(" 3  2  1 \r\n"));
    }
    struct stat fifoAfter {}, deviceAfter {};
    ASSERT_EQ(lstat(fifo.constData(), &fifoAfter), 0);
    EXPECT_TRUE(S_ISFIFO(fifoAfter.st_mode));
    ASSERT_EQ(lstat(device.constData(), &deviceAfter), 0);
    EXPECT_TRUE(S_ISCHR(deviceAfter.st_mode));
    EXPECT_EQ(deviceAfter.st_rdev, deviceBefore.st_rdev);
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"shared.dat"});

    // A hard link: the other name keeps the old line.
    ::unlink(name.constData());
    ASSERT_EQ(::link(QFile::encodeName(shared).constData(), name.constData()), 0);
    EXPECT_TRUE(writeSettings(path(), {5, 1, 1}));
    EXPECT_EQ(contents(), QByteArray(" 5  1  1 \r\n"));
    QFile file(shared);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(" 3  2  1 \r\n"));
}

// Where no temporary file can be made, the file is rewritten in place only
// when it is the name's own: a link or a file with a second name is left
// as it was and the save fails.
TEST_F(SettingsFile, ReadOnlyFolderNeverRewritesALinkOrAHardLinkInPlace)
{
    if (ranAsNobody())
        return;
    QTemporaryDir elsewhere;
    const QString shared = elsewhere.filePath(QStringLiteral("shared.dat"));
    {
        QFile file(shared);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(" 3  2  1 \r\n") == 11);
    }
    const QString linked = dir.filePath(QStringLiteral("Sottrazioni.dat"));
    ASSERT_TRUE(QFile::link(shared, linked));
    const QString second = dir.filePath(QStringLiteral("Divisioni.dat"));
    ASSERT_EQ(::link(QFile::encodeName(shared).constData(), QFile::encodeName(second).constData()), 0);
    const auto writable = QFile::permissions(dir.path());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool savedLink = writeSettings(linked, {7, 1, 1});
    const bool savedSecond = writeSettings(second, {7, 1, 1});
    QFile::setPermissions(dir.path(), writable);

    EXPECT_FALSE(savedLink);
    EXPECT_FALSE(savedSecond);
    EXPECT_EQ(QFile::symLinkTarget(linked), shared);
    QFile file(shared);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(" 3  2  1 \r\n"));
}

// A save killed between making its temporary file and putting it in place
// leaves that file behind; the sweep at start removes it and nothing else:
// not a file of another copy still writing, nor anything a user named, nor
// anything where the name's link leads, nor a link, a folder, a file with a
// second name or (as root) another user's file under the temporary pattern.
// A pid of another machine sharing the folder means nothing here: its file
// goes only after an hour. Names without a machine go by their pid.
TEST_F(SettingsFile, OnlyLeftoversOfKilledSavesAreRemoved)
{
    alsoAsNobody();
    const auto make = [](const QString& file) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write("x") == 1;
    };
    const qint64 now = 1709287200;  // 2024-03-01 10:00 UTC
    const auto madeAgo = [&](const QString& file, qint64 seconds) {
        const timespec times[2] = {{now - seconds, 0}, {now - seconds, 0}};
        return make(file) && ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0) == 0;
    };
    QDir work(dir.filePath(QStringLiteral("classe")));
    QDir teacher(dir.filePath(QStringLiteral("insegnante")));
    ASSERT_TRUE(work.mkpath(QStringLiteral(".")) && teacher.mkpath(QStringLiteral(".")));
    const QString settings = work.filePath(QStringLiteral("Addizioni.dat"));
    // What a teacher keeps beside the settings and in the folder the name leads to.
    const QString oldPattern = QStringLiteral(".Addizioni.dat.tmp-aritmetica.999999999.1");  // no pid is that high
    for (const QString& name : {QStringLiteral("Addizioni.dat.backup"), QStringLiteral("Addizioni.dat.aBcDeF"),
                                QStringLiteral(".Sottrazioni.dat.tmp-aritmetica.999999999.1"),
                                QStringLiteral(".Addizioni.dat.tmp-aritmetica.x999999999.1")})
        ASSERT_TRUE(make(work.filePath(name)));
    for (const QString& name : {QStringLiteral("registro"), QStringLiteral("registro.sqlite"),
                                QStringLiteral("registro.backup"), QStringLiteral("registro.aBcDeF"),
                                QStringLiteral(".registro.tmp-aritmetica.999999999.1"), oldPattern})
        ASSERT_TRUE(make(teacher.filePath(name)));
    ASSERT_TRUE(QFile::link(QStringLiteral("../insegnante/registro"), settings));
    // Under the pattern but not proved ours.
    ASSERT_TRUE(work.mkdir(QStringLiteral(".Addizioni.dat.tmp-aritmetica.999999999.2")));
    ASSERT_TRUE(QFile::link(teacher.filePath(QStringLiteral("registro.sqlite")),
                            work.filePath(QStringLiteral(".Addizioni.dat.tmp-aritmetica.999999999.3"))));
    ASSERT_EQ(::link(QFile::encodeName(teacher.filePath(QStringLiteral("registro.backup"))).constData(),
                     QFile::encodeName(work.filePath(QStringLiteral(".Addizioni.dat.tmp-aritmetica.999999999.4")))
                         .constData()),
              0);
    if (testing_support::runningAsRoot()) {
        const QString others = work.filePath(QStringLiteral(".Addizioni.dat.tmp-aritmetica.999999999.5"));
        ASSERT_TRUE(make(others));
        ASSERT_EQ(::chown(QFile::encodeName(others).constData(), 65534, 65534), 0);
    }
    // Another machine's save of under an hour, whose pid is no process here.
    ASSERT_TRUE(madeAgo(work.filePath(QStringLiteral(".Addizioni.dat.tmp-aritmetica.altro-pc.999999999.1")), 59 * 60));
    const QStringList before = work.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    const QStringList teachers = teacher.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);

    // A save cut short by a killed process, and one of a copy still writing.
    const pid_t child = ::fork();
    if (child == 0) {
        platform::SafeFile file(settings);
        const bool made = file.open(QIODevice::WriteOnly) && file.write(" 2 ") == 3;
        ::_exit(made ? 0 : 1);  // no destructor: the file stays as a kill leaves it
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    platform::SafeFile writing(settings);
    ASSERT_TRUE(writing.open(QIODevice::WriteOnly));
    // ".Addizioni.dat.tmp-aritmetica.<this host>"
    const QString thisHost = QFileInfo(writing.temporaryFileName()).fileName().section(u'.', 0, -3);
    ASSERT_FALSE(thisHost.endsWith(QStringLiteral(".altro-pc")));
    ASSERT_TRUE(make(work.filePath(thisHost + QStringLiteral(".999999999.1"))));
    ASSERT_TRUE(make(work.filePath(oldPattern)));
    // Another machine's of over an hour, whatever process has its pid here.
    ASSERT_TRUE(madeAgo(work.filePath(QStringLiteral(".Addizioni.dat.tmp-aritmetica.altro-pc.1.2")), 61 * 60));
    const QStringList withTemporaries =
        work.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    ASSERT_EQ(withTemporaries.size(), before.size() + 5);

    EXPECT_EQ(platform::removeSaveLeftovers(settings, QDateTime::fromSecsSinceEpoch(now)), 4);
    QStringList expected = before;
    expected << QFileInfo(writing.temporaryFileName()).fileName();
    expected.sort();
    EXPECT_EQ(work.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot), expected);
    EXPECT_EQ(teacher.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot), teachers);
    writing.cancelWriting();
}

}  // namespace
