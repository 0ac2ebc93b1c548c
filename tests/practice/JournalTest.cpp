// What the practice window hands to the results journal.

#include "PracticeTestSupport.h"
#include "support/RecordingJournal.h"

using namespace practice_tests;

namespace {

struct PracticeJournal : PracticeFixture {
    testing_support::RecordingJournal journal;
    PracticeJournal()
    {
        services.journal = &journal;
        state.objectiveText = u"CALCOLO DEL RISULTATO"_s;
        state.levelText = u"NUMERO MASSIMO da  1 a 30"_s;
    }
};

}  // namespace

TEST_F(PracticeJournal, AWholeRunHandsOverEveryOperationAsRecordedAndItsEndOnce)
{
    journal.problems << u"Il disco è pieno"_s;
    scriptAddition(7, 15, 1);
    open();
    ASSERT_EQ(journal.runs.size(), 1u);
    const auto& run = journal.runs[0];
    EXPECT_EQ(state.journalRunId, run.id);
    EXPECT_EQ(run.start.objective, 1);
    EXPECT_EQ(run.start.objectiveText, u"CALCOLO DEL RISULTATO");
    EXPECT_EQ(run.start.level, 1);
    EXPECT_EQ(run.start.levelText, u"NUMERO MASSIMO da  1 a 30");

    answer(u"22", 3);
    avanti();
    answer(u"21", 2);  // wrong, then help accepted
    si();
    avanti();
    answer(u"20", 1);  // three wrong, three refusals: the program steps in
    no();
    answer(u"19", 1);
    no();
    answer(u"18", 1);
    no();
    ok();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "never in the middle of a run";
    for (int place = 4; place <= 20; ++place) {
        avanti();
        answer(u"22", 1);
    }
    EXPECT_EQ(dialogs.messages, QStringList{u"Il disco è pieno"_s}) << "told on the end panel";

    ASSERT_EQ(run.operations.size(), 20u);
    for (int place = 1; place <= 20; ++place) {
        const platform::OperationClosed& op = run.operations[std::size_t(place - 1)];
        EXPECT_EQ(op.place, place);
        EXPECT_EQ(op.recordLine, line(place)) << place;
        EXPECT_EQ(op.kind, 1);
        EXPECT_EQ(op.operand1, 7);
        EXPECT_EQ(op.operand2, 15);
        EXPECT_EQ(op.variant, 1);
        EXPECT_EQ(op.expected, u"22");
    }
    EXPECT_TRUE(run.operations[0].wrongAttempts.isEmpty());
    EXPECT_EQ(run.operations[0].help, platform::Help::None);
    EXPECT_EQ(run.operations[0].seconds, 3);
    EXPECT_EQ(run.operations[1].wrongAttempts, QStringList{u"21"_s});
    EXPECT_EQ(run.operations[1].help, platform::Help::Accepted);
    EXPECT_EQ(run.operations[2].wrongAttempts, (QStringList{u"20"_s, u"19"_s, u"18"_s}));
    EXPECT_EQ(run.operations[2].help, platform::Help::Intervention);
    EXPECT_EQ(run.operations[2].seconds, 3);
    EXPECT_EQ(run.operations[3].help, platform::Help::None);

    ASSERT_EQ(run.ends.size(), 1u);
    EXPECT_TRUE(run.ends[0].finished);
    EXPECT_EQ(run.ends[0].rightAnswers, 18);
    EXPECT_EQ(run.ends[0].wrongAnswers, 4);
    EXPECT_EQ(run.ends[0].totalSeconds, 3 + 2 + 3 + 17);
    EXPECT_EQ(run.ends[0].grade, u"OTTIMO");

    host.unload(u"FrmOperativo"_s);  // closing after the end adds nothing
    EXPECT_EQ(run.ends.size(), 1u);
    EXPECT_EQ(journal.runs.size(), 1u);
}

TEST_F(PracticeJournal, ARunLeftHalfwayEndsUnfinishedWithoutTheOperationStillOpen)
{
    state.operationKind = 5;  // divisions: 12 : 4 = ?
    scriptPair(3, 4, 1);
    open();
    answer(u"3", 4);
    avanti();
    answer(u"5", 1);  // wrong: the operation stays open

    window().setInnerSize(14000, 9000);  // a resize starts the run again
    ASSERT_EQ(journal.runs.size(), 2u);
    const auto& left = journal.runs[0];
    ASSERT_EQ(left.operations.size(), 1u);
    EXPECT_EQ(left.operations[0].kind, 4);
    EXPECT_EQ(left.operations[0].operand1, 12);
    EXPECT_EQ(left.operations[0].operand2, 4);
    EXPECT_EQ(left.operations[0].expected, u"3");
    ASSERT_EQ(left.ends.size(), 1u);
    EXPECT_FALSE(left.ends[0].finished);
    EXPECT_EQ(left.ends[0].rightAnswers, 1);
    EXPECT_EQ(left.ends[0].wrongAnswers, 1);
    EXPECT_EQ(left.ends[0].totalSeconds, 4);
    EXPECT_EQ(left.ends[0].grade, u"SUFFICIENTE (!)");  // 1 right of 2 started

    EXPECT_EQ(state.journalRunId, journal.runs[1].id);
    EXPECT_TRUE(journal.runs[1].ends.empty());
    host.unload(u"FrmOperativo"_s);  // closed by the pupil
    ASSERT_EQ(journal.runs[1].ends.size(), 1u);
    EXPECT_FALSE(journal.runs[1].ends[0].finished);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
