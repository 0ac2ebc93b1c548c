// The record line of each operation: wrong attempts, the closing, the seconds,
// all in fixed columns.

#include "PracticeTestSupport.h"
#include "practice/Record.h"

using namespace practice_tests;

namespace {

struct PracticeRecord : PracticeFixture {
    PracticeRecord() { scriptAddition(7, 15, 1); }
};

// The character (counting from 1) where the first occurrence of `answer` ends.
qsizetype answerEnd(const QString& line, QStringView answer)
{
    return line.indexOf(answer) + answer.size();
}

}  // namespace

TEST_F(PracticeRecord, RightAtOnceFillsTheLineTo54Characters)
{
    open();
    ASSERT_EQ(line(1), kSevenPlusFifteen);
    answer(u"22", 5);
    EXPECT_EQ(line(1), kSevenPlusFifteen + dots(21) + u"  22   (s. 5)"_s);
    EXPECT_EQ(line(1).size(), 54);
    EXPECT_EQ(line(1).indexOf(u"(s."), 48);  // characters 49 to 51
}

TEST_F(PracticeRecord, WrongThenRightKeepsTheAnswerColumn)
{
    open();
    answer(u"21", 3);
    EXPECT_EQ(line(1), kSevenPlusFifteen + u"  21* "_s);
    no();
    answer(u"22", 9);
    EXPECT_EQ(line(1), kSevenPlusFifteen + u"  21* "_s + dots(15) + u"  22   (s.12)"_s);
    EXPECT_EQ(line(1).size(), 54);
}

TEST_F(PracticeRecord, WrongThenHelpClosesWithTheRightAnswerMarked)
{
    open();
    answer(u"21", 4);
    clock.advance(5);
    si();
    EXPECT_EQ(line(1), kSevenPlusFifteen + u"  21* "_s + dots(16) + u" 22°  (s. 9)"_s);
    EXPECT_EQ(line(1).size(), 54);
    EXPECT_EQ(answerEnd(line(1), u"22"), 45);
}

TEST_F(PracticeRecord, TwoWrongAndARightStillEndTheAnswerAtCharacter45)
{
    open();
    answer(u"21", 1);
    no();
    answer(u"3", 1);
    no();
    answer(u"22", 1);
    const QString expected = kSevenPlusFifteen + u"  21*    3* "_s + dots(9) + u"  22   (s. 3)"_s;
    EXPECT_EQ(line(1), expected);
    EXPECT_EQ(answerEnd(line(1), u"22"), 45);
}

TEST_F(PracticeRecord, SecondsStandRightAlignedInTwoPlaces)
{
    open();
    for (const auto& [seconds, text] : {std::pair{7, u" (s. 7)"}, {12, u" (s.12)"}, {150, u" (s.150)"}}) {
        answer(u"22", seconds);
        EXPECT_TRUE(line(state.operationIndex).endsWith(u"  22  "_s + QString::fromUtf16(text)))
            << line(state.operationIndex).toStdString();
        avanti();
    }
}

TEST_F(PracticeRecord, ThreeAttemptsAndTheInterventionStillMeetTheColumn)
{
    open();
    for (QStringView wrong : {u"21", u"20", u"19"}) {
        answer(wrong, 1);
        no();
    }
    ASSERT_EQ(line(1).size(), 20 + 3 * 6);
    ok();  // the third "No" brought the intervention
    EXPECT_EQ(line(1), kSevenPlusFifteen + u"  21*   20*   19* "_s + dots(4) + u" 22°  (s. 3)"_s);
    EXPECT_EQ(line(1).lastIndexOf(u"22") + 2, 45);
}

TEST(PracticeRecordPieces, ALineAlreadyPastTheAnswerColumnGetsNoDots)
{
    model::AppState s;
    s.operationIndex = 1;
    s.doneOperations[1] = QString(45, u'x');
    practice::prepareRecordDots(s);
    EXPECT_TRUE(s.recordDots.isEmpty());
    s.typedAnswer = u"22"_s;
    s.typedAnswerPad = u"  "_s;
    s.answerSecondsPad = u" "_s;
    s.answerSecondsText = u"5"_s;
    practice::appendRightClosing(s, u"  "_s);
    EXPECT_EQ(s.doneOperations[1], QString(45, u'x') + u"  22   (s. 5)"_s);
}

TEST(PracticeRecordPieces, AnIndexOutsideTheRecordWritesNothing)
{
    model::AppState s;
    s.operationIndex = 91;
    s.typedAnswer = u"5"_s;
    practice::appendWrongAttempt(s, u"* "_s);
    practice::prepareRecordDots(s);
    EXPECT_EQ(s.recordDots, dots(42));
    for (const QString& line : s.doneOperations) EXPECT_TRUE(line.isEmpty());
}

// Sign answers are one character wide.
struct PracticeSignRecord : PracticeFixture {
    PracticeSignRecord()
    {
        state.variantLow = 7;  // objective 5: the relation sign
        state.variantHigh = 12;
        scriptAddition(7, 15, 7);  // 7 + 15 ? 22, "="
    }
};

TEST_F(PracticeSignRecord, AWrongSignAndTheHelpClosing)
{
    open();
    ASSERT_EQ(line(1), u"  7 +  15 .  22   r."_s);
    clock.advance(4);
    sign(1);
    verificaSign();
    EXPECT_EQ(line(1), u"  7 +  15 .  22   r.   <* "_s);
    si();
    EXPECT_EQ(line(1), u"  7 +  15 .  22   r.   <* "_s + dots(16) + u"  =°  (s. 4)"_s);
}

TEST_F(PracticeSignRecord, ARightSignClosesAtTheSameColumnAsANumber)
{
    open();
    clock.advance(6);
    sign(0);
    verificaSign();
    EXPECT_EQ(line(1), u"  7 +  15 .  22   r."_s + dots(21) + u"   =   (s. 6)"_s);
    EXPECT_EQ(answerEnd(line(1), u"="), 45);
}

// Subtractions keep a leading space on the expected answer, which the help
// closing writes as it is.
TEST_F(PracticeFixture, HelpClosingOfASubtractionIsOneCharacterLonger)
{
    state.operationKind = 2;
    scriptPair(17, 9, 1);  // 17 - 9 = ?, expected " 8"
    open();
    ASSERT_EQ(line(1), u"17 -  9 = . "_s);
    answer(u"7", 2);
    clock.advance(7);
    si();
    EXPECT_EQ(line(1), u"17 -  9 = .    7* "_s + dots(24) + u"   8°  (s. 9)"_s);
    EXPECT_EQ(answerEnd(line(1), u"8"), 46);
}

TEST_F(PracticeRecord, WhileTheSixthOperationIsOnScreenSixLinesExist)
{
    open();
    for (int i = 0; i < 5; ++i) {
        answer(u"22", 2);
        avanti();
    }
    answer(u"20", 1);  // wrong, help still pending
    for (int slot = 1; slot <= 5; ++slot) EXPECT_TRUE(line(slot).endsWith(u"(s. 2)")) << slot;
    EXPECT_EQ(line(6), kSevenPlusFifteen + u"  20* "_s);
    EXPECT_TRUE(line(7).isEmpty());
}

TEST_F(PracticeRecord, RestartEmptiesTheRunsSlotsOnlyAndWritesTheFirstLineAgain)
{
    state.doneOperations[0] = u"slot zero"_s;
    state.doneOperations[21] = u"worksheet line"_s;
    open();
    for (int i = 0; i < 3; ++i) {
        answer(u"22", 1);
        avanti();
    }
    window().restartPractice();
    EXPECT_EQ(line(1), kSevenPlusFifteen);
    for (int slot = 2; slot <= 20; ++slot) EXPECT_TRUE(line(slot).isEmpty()) << slot;
    EXPECT_EQ(line(0), u"slot zero");
    EXPECT_EQ(line(21), u"worksheet line");
}
