// Long sessions through the window logic: many whole practice runs and many
// pupil sheets, checked as they go, with the heap and the resident memory
// compared between the end of a warm-up and the end of the session. SOAK_RUNS
// sets how many runs and sheets (50 by default; make bench plays 1000).
#include "soak/HeapCount.h"
#include "soak/Session.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

using namespace Qt::Literals::StringLiterals;
using soak::kPractice;
using soak::kStart;
using soak::kWorksheets;

// Between the warm-up and the end, the live heap may differ by a few texts of
// other lengths (a longer total time, other numbers), never by a window or a
// sheet left behind (tens of KiB each) or by a block per run.
constexpr long kHeapSlackBytes = 8 * 1024;
constexpr long kHeapSlackBlocks = 16;
// Resident memory moves in pages and with the allocator's free lists.
constexpr long kResidentSlack = 2 * 1024 * 1024;

int soakRuns()
{
    bool ok = false;
    const int runs = qEnvironmentVariableIntValue("SOAK_RUNS", &ok);
    return ok && runs > 0 ? runs : 50;
}

// Long enough to meet every kind of detour the sessions below take at least
// once, so that what is allocated once for all is in before the first reading.
int warmUpRuns(int runs)
{
    return std::min(std::max(20, runs / 10), runs / 2);
}

struct Memory {
    soak::HeapCount heap;
    long resident = 0;  // bytes
};

Memory readMemory()
{
    Memory m;
    m.heap = soak::liveHeap();
    long pages = 0;
    long residentPages = 0;
    std::ifstream("/proc/self/statm") >> pages >> residentPages;
    m.resident = residentPages * sysconf(_SC_PAGESIZE);
    return m;
}

// `rounds`: how many runs or sheets lie between the two readings.
void expectFlat(const Memory& warm, const Memory& end, int rounds, const char* what)
{
    if (!soak::heapCounted()) {
        // Under AddressSanitizer: its quarantine and its own heap say nothing
        // about this program, so only the runs and their checks count.
        std::printf("%s: memory not checked under AddressSanitizer\n", what);
        return;
    }
    std::printf(
        "%s, %d between the readings: live heap %ld -> %ld bytes in %ld -> %ld blocks, resident %ld -> %ld KiB\n", what,
        rounds, warm.heap.bytes, end.heap.bytes, warm.heap.blocks, end.heap.blocks, warm.resident / 1024,
        end.resident / 1024);
    EXPECT_LE(end.heap.bytes - warm.heap.bytes, kHeapSlackBytes) << what << ": the heap grew";
    EXPECT_LE(end.heap.blocks - warm.heap.blocks, kHeapSlackBlocks) << what << ": blocks were left behind";
    EXPECT_LE(end.resident - warm.resident, kResidentSlack) << what << ": the resident memory grew";
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_folder.path()));
        // The copy that drills all four operations.
        QFile settings(u"OPERAZIONI.dat"_s);
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        ASSERT_GT(settings.write(" 7  1  1 \r\n"), 0);
    }
    void TearDown() override { QDir::setCurrent(m_previous); }

private:
    QTemporaryDir m_folder;
    QString m_previous;
};

// How the pupil meets one operation.
enum class Plan { Right, WrongThenHelp, WrongRefuseRight, Intervention };

Plan planFor(int run, int operation)
{
    switch ((run * 7 + operation * 3) % 12) {
        case 0:
        case 1: return Plan::WrongThenHelp;
        case 2: return Plan::WrongRefuseRight;
        case 3: return Plan::Intervention;
        default: return Plan::Right;
    }
}

struct Tally {
    int right = 0;
    int wrong = 0;
};

// One operation, answered by plan; then on to the next one.
void playOperation(soak::Session& s, soak::Pupil& p, Plan plan, Tally& tally)
{
    const auto answerWrong = [&] {
        s.clock.advance(3);
        p.enter(p.wrong());
        p.verifica();
        ++tally.wrong;
    };
    const auto answerRight = [&] {
        s.clock.advance(5);
        p.enter(p.right());
        p.verifica();
        ++tally.right;
    };
    switch (plan) {
        case Plan::Right: answerRight(); break;
        case Plan::WrongThenHelp:
            answerWrong();
            p.si();
            break;
        case Plan::WrongRefuseRight:
            answerWrong();
            p.no();
            answerRight();
            break;
        case Plan::Intervention:
            for (int refusal = 0; refusal < 3; ++refusal) {
                answerWrong();
                p.no();
            }
            p.ok();
            break;
    }
    if (!p.runOver()) p.avanti();
}

// A whole run of twenty operations from a fresh start; checks what the
// window and the record show at its end.
void playRun(soak::Session& s, soak::Pupil& p, int run)
{
    ASSERT_EQ(s.state.operationIndex, 1) << "run " << run;
    Tally tally;
    for (int operation = 1; operation <= 20; ++operation) {
        ASSERT_FALSE(p.runOver()) << "run " << run << " ended before operation " << operation;
        ASSERT_EQ(s.state.operationIndex, operation) << "run " << run;
        playOperation(s, p, planFor(run, operation), tally);
    }
    ASSERT_TRUE(p.runOver()) << "run " << run;
    EXPECT_EQ(s.state.operationIndex, 20) << "run " << run;
    EXPECT_EQ(s.state.rightAnswers, tally.right) << "run " << run;
    EXPECT_EQ(s.state.wrongAnswers, tally.wrong) << "run " << run;
    EXPECT_EQ(s.control(kPractice, u"lblRisEsatte").caption(), tally.right ? QString::number(tally.right) : QString())
        << "run " << run;
    for (int slot = 1; slot <= 20; ++slot)
        EXPECT_FALSE(s.state.doneOperations[std::size_t(slot)].isEmpty()) << "run " << run << ", slot " << slot;
    EXPECT_TRUE(s.state.doneOperations[21].isEmpty()) << "run " << run << " wrote past its twenty lines";
}

// Objectives 0..5 and levels 0..3 in turn.
int objectiveFor(int round)
{
    return round % 6;
}
int levelFor(int round)
{
    return (round / 6) % 4;
}

TEST_F(Soak, WholePracticeRunsLeaveNothingBehind)
{
    const int runs = soakRuns();
    const int warmUp = warmUpRuns(runs);
    soak::Session s(u"OPERAZIONI"_s);
    soak::Pupil p{s};
    s.showStart();
    s.openPractice(objectiveFor(0), levelFor(0));

    Memory warm;
    for (int run = 0; run < runs; ++run) {
        playRun(s, p, run);
        if (HasFatalFailure()) return;
        if (run % 10 == 4) {
            // The list of exercises and the certificate, then back to the run.
            p.visualizza();
            s.press(soak::kExercises, u"Option1", 3);  // "ATTESTATO"
            ASSERT_TRUE(s.host.isLoaded(soak::kCertificate)) << "run " << run;
            EXPECT_FALSE(s.state.gradeText.isEmpty()) << "run " << run;
            s.press(soak::kCertificate, u"Option5", 1);  // back to the list
            s.press(soak::kExercises, u"Option1", 0);    // the list closes, the run shows again
            ASSERT_TRUE(s.host.isShown(kPractice)) << "run " << run;
            p.ricomincia();
        } else if (run % 20 == 9) {
            // The pupil closes the window and starts again from the start window.
            s.host.unload(kPractice);
            s.openPractice(objectiveFor(run), levelFor(run));
        } else if (run % 20 == 19) {
            // A run left halfway with "Esci".
            p.ricomincia();
            Tally ignored;
            for (int operation = 1; operation <= 5; ++operation) playOperation(s, p, Plan::Right, ignored);
            s.clock.advance(4);
            p.enter(p.right());
            p.verifica();
            p.esci();
            ASSERT_FALSE(s.host.isLoaded(kPractice)) << "run " << run;
            s.openPractice(objectiveFor(run + 1), levelFor(run + 1));
        } else {
            p.ricomincia();
        }
        s.host.collect();
        ASSERT_EQ(s.host.loadedForms().size(), 2u) << "run " << run << ": only the start and practice windows";
        if (run + 1 == warmUp) warm = readMemory();
    }
    expectFlat(warm, readMemory(), runs - warmUp, "practice runs");
    EXPECT_EQ(s.dialogs.count, 0) << s.dialogs.last.toStdString();
}

TEST_F(Soak, PupilSheetsLeaveNothingBehind)
{
    const int sheets = soakRuns();
    const int warmUp = warmUpRuns(sheets);
    soak::Session s(u"ADDIZIONI"_s);
    s.showStart();
    s.openCurtain();
    s.openWorksheets();

    Memory warm;
    Memory end;
    model::RecordArray previous;
    for (int sheet = 0; sheet < sheets; ++sheet) {
        s.pupilSheet(objectiveFor(sheet), levelFor(sheet));
        ASSERT_NE(s.state.pupilLines, previous) << "sheet " << sheet << " is the one before";
        previous = s.state.pupilLines;
        for (int slot = 1; slot <= 60; ++slot) {
            const QString line = s.state.pupilLines[std::size_t(slot)];
            ASSERT_FALSE(line.isEmpty()) << "sheet " << sheet << ", line " << slot;
            ASSERT_EQ(s.control(kWorksheets, u"LblOp", slot).caption(), line) << "sheet " << sheet;
            ASSERT_EQ(s.state.doneOperations[std::size_t(slot)], line) << "sheet " << sheet;
        }
        // Read with a pupil sheet on screen, before this round's detours.
        if (sheet == warmUp) warm = readMemory();
        if (sheet + 1 == sheets) end = readMemory();
        if (sheet % 3 == 2) {
            s.focusAndClick(kWorksheets, u"CmdSchedaDocenti");
            for (int slot = 1; slot <= 60; ++slot)
                ASSERT_EQ(s.control(kWorksheets, u"LblOp", slot).caption(), s.state.teacherLines[std::size_t(slot)])
                    << "sheet " << sheet;
        }
        if (sheet % 5 == 4) {
            s.focusAndClick(kWorksheets, u"CmdRicomincia");
            ASSERT_TRUE(s.control(kWorksheets, u"LblOp", 1).caption().isEmpty()) << "sheet " << sheet;
        }
        if (sheet % 25 == 24) {
            s.focusAndClick(kWorksheets, u"Command1");  // "ESCI": back to the start window
            ASSERT_FALSE(s.host.isLoaded(kWorksheets)) << "sheet " << sheet;
            ASSERT_TRUE(s.host.isShown(kStart));
            s.openWorksheets();
        }
        s.host.collect();
        ASSERT_EQ(s.host.loadedForms().size(), 2u) << "sheet " << sheet << ": only the start and worksheet windows";
    }
    expectFlat(warm, end, sheets - 1 - warmUp, "pupil sheets");
}

}  // namespace
