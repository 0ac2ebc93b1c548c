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

// However many wrong attempts come first and however the operation closes,
// each attempt is written at once and the closing answer ends at character
// 45 of a 54-character line. Every answer takes two seconds.
TEST_F(PracticeRecord, AttemptsAndClosingMeetTheAnswerColumn)
{
    enum class Closing { Right, Help, Intervention };
    const struct {
        QStringList wrong;
        Closing closing;
        QString rest;  // after the wrong attempts
    } cases[] = {
        {{}, Closing::Right, dots(21) + u"  22   (s. 2)"_s},
        {{u"21"_s}, Closing::Right, dots(15) + u"  22   (s. 4)"_s},
        {{u"21"_s}, Closing::Help, dots(16) + u" 22°  (s. 5)"_s},  // three seconds more to say "Sì"
        {{u"21"_s, u"3"_s}, Closing::Right, dots(9) + u"  22   (s. 6)"_s},
        {{u"21"_s, u"20"_s, u"19"_s}, Closing::Intervention, dots(4) + u" 22°  (s. 6)"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wrong.join(u' ').toStdString());
        open();
        ASSERT_EQ(line(1), kSevenPlusFifteen);
        QString attempts;
        for (const QString& wrong : c.wrong) {
            answer(wrong, 2);
            attempts += wrong.rightJustified(4) + u"* "_s;
            EXPECT_EQ(line(1), kSevenPlusFifteen + attempts);
            if (c.closing != Closing::Help) no();
        }
        if (c.closing == Closing::Right) answer(u"22", 2);
        if (c.closing == Closing::Help) {
            clock.advance(3);
            si();
        }
        if (c.closing == Closing::Intervention) ok();  // the third "No" brought it
        EXPECT_EQ(line(1), kSevenPlusFifteen + attempts + c.rest);
        EXPECT_EQ(line(1).size(), 54);
        EXPECT_EQ(line(1).lastIndexOf(u"22") + 2, 45);
        EXPECT_EQ(line(1).indexOf(u"(s."), 48);
        host.unload(u"FrmOperativo"_s);
    }
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
