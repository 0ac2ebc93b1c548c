// The two keypads: what each button does and which buttons work when.

#include "PracticeTestSupport.h"

using namespace practice_tests;

namespace {

// Numeric keypad flags, Option1(0..13): ten digits, Cancella, Verifica,
// Avanti, Esci.
const QString kNumberEntry = u"11111111110000"_s;
const QString kNumberTyped = u"11111111111100"_s;
const QString kNumberAnswered = u"00000000000011"_s;
// Reduced keypad flags, Option5(0..5): =, <, >, Verifica, Avanti, Esci.
const QString kSignEntry = u"111000"_s;
const QString kSignChosen = u"111100"_s;
const QString kSignAnswered = u"000011"_s;

struct PracticeNumberKeypad : PracticeFixture {
    PracticeNumberKeypad() { scriptAddition(3, 4, 1); }  // 3 + 4 = ?, expected "7"
};

struct PracticeSignKeypad : PracticeFixture {
    PracticeSignKeypad()
    {
        state.variantLow = 7;
        state.variantHigh = 12;
        scriptAddition(3, 4, 8);  // 3 + 4 ? 6, expected ">"
    }
};

}  // namespace

TEST_F(PracticeNumberKeypad, EnablingFollowsTheAnswerThroughEveryState)
{
    open();
    EXPECT_EQ(numericKeypad(), kNumberEntry);  // entry
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierino"_s});

    type(u"5");
    EXPECT_EQ(numericKeypad(), kNumberTyped);
    cancella();
    EXPECT_EQ(caption(u"lblRisultato1"), u"?");
    EXPECT_EQ(state.typedAnswer, u"");
    EXPECT_EQ(numericKeypad(), kNumberEntry);  // back to "?"

    type(u"6");
    verifica();  // wrong: help
    EXPECT_EQ(frontPanel(), u"fraAiuto");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraAiuto"_s});
    EXPECT_FALSE(ctl(u"Option1", 0).isEffectivelyEnabled());
    EXPECT_TRUE(ctl(u"Option3", 0).isEffectivelyEnabled());
    EXPECT_TRUE(ctl(u"Option3", 1).isEffectivelyEnabled());

    no();  // entry again
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierino"_s});
    EXPECT_EQ(numericKeypad(), kNumberEntry);
    EXPECT_EQ(caption(u"lblRisultato1"), u"?");

    type(u"7");
    verifica();  // right: answered
    EXPECT_EQ(numericKeypad(), kNumberAnswered);
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierino"_s});
    EXPECT_FALSE(ctl(u"Option1", 12).selected());
}

TEST_F(PracticeNumberKeypad, AFourthDigitIsIgnored)
{
    open();
    type(u"1234");
    EXPECT_EQ(state.typedAnswer, u"123");
    EXPECT_EQ(caption(u"lblRisultato1"), u"123");
    cancella();
    EXPECT_EQ(caption(u"lblRisultato1"), u"12");
    EXPECT_EQ(numericKeypad(), kNumberTyped);
}

TEST_F(PracticeNumberKeypad, ALeadingZeroMakesTheAnswerWrong)
{
    open();
    type(u"07");
    verifica();
    EXPECT_EQ(caption(u"LblEsito"), u"Errato");
    EXPECT_EQ(state.wrongAnswers, 1);
    EXPECT_EQ(caption(u"lblRisErrate"), u"1");
    EXPECT_EQ(state.rightAnswers, 0);
    EXPECT_EQ(window().answerMark, u"* ");
    EXPECT_EQ(frontPanel(), u"fraAiuto");
    // The wrong answer stays, crossed out.
    EXPECT_EQ(caption(u"lblRisultato1"), u"07");
    for (auto name : {u"Line1", u"Line2", u"Line3", u"Line4"}) EXPECT_TRUE(ctl(name).visible());
}

TEST_F(PracticeNumberKeypad, OnlyOneRightAnswerCountsPerOperation)
{
    open();
    type(u"7");
    verifica();
    press(u"Option1", 11);  // disabled now
    press(u"Option1", 7);
    EXPECT_EQ(state.rightAnswers, 1);
    EXPECT_EQ(state.typedAnswer, u"7");
}

TEST_F(PracticeNumberKeypad, ButtonsAreReleasedWhenTheMouseGoesUp)
{
    open();
    forms::Control& five = ctl(u"Option1", 5);
    window().mouseDown(five);
    EXPECT_TRUE(five.selected());
    window().mouseUp(five);
    EXPECT_FALSE(five.selected());
    // "Verifica" is disabled by its own press; the release still clears it.
    forms::Control& verify = ctl(u"Option1", 11);
    window().mouseDown(verify);
    window().mouseUp(verify);
    EXPECT_FALSE(verify.selected());
}

TEST_F(PracticeSignKeypad, EnablingFollowsTheSignThroughEveryState)
{
    open();
    EXPECT_EQ(frontPanel(), u"fraTastierinoRidotto");
    EXPECT_EQ(frontOperationPanel(), u"fraSegno");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierinoRidotto"_s});
    EXPECT_EQ(signKeypad(), kSignEntry);
    EXPECT_EQ(caption(u"lblNumero4"), u"3");
    EXPECT_EQ(caption(u"lblNumero6"), u"4");
    EXPECT_EQ(caption(u"LblNumero8"), u"6");
    EXPECT_EQ(caption(u"lblUguale2"), u"+");

    sign(1);
    EXPECT_EQ(signKeypad(), kSignChosen);
    verificaSign();  // "<" is wrong
    EXPECT_EQ(frontPanel(), u"fraAiuto");
    no();
    EXPECT_EQ(caption(u"lblSegno2"), u"?");
    EXPECT_EQ(signKeypad(), kSignEntry);
    sign(2);
    verificaSign();
    EXPECT_EQ(caption(u"LblEsito"), u"Esatto");
    EXPECT_EQ(signKeypad(), kSignAnswered);
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierinoRidotto"_s});
}

TEST_F(PracticeSignKeypad, TheLastSignChosenIsJudged)
{
    open();
    sign(1);
    sign(2);
    EXPECT_EQ(caption(u"lblSegno2"), u">");
    verificaSign();
    EXPECT_EQ(state.rightAnswers, 1);
    EXPECT_EQ(state.wrongAnswers, 0);
}

TEST_F(PracticeSignKeypad, TheSignGoesRightOfTheOperationOrLeftOfIt)
{
    scriptAddition(3, 4, 11);  // second operation: 8 ? 3 + 4, expected ">"
    open();
    EXPECT_EQ(ctl(u"lblUguale2").left(), ctl(u"lblRif2", 1).left());
    EXPECT_EQ(ctl(u"lblSegno2").left(), ctl(u"lblRif2", 3).left());
    sign(2);
    verificaSign();
    avantiSign();
    EXPECT_EQ(caption(u"lblNumero4"), u"8");
    EXPECT_EQ(ctl(u"lblUguale2").left(), ctl(u"lblRif2", 3).left());
    EXPECT_EQ(ctl(u"lblSegno2").left(), ctl(u"lblRif2", 1).left());
    EXPECT_EQ(ctl(u"lblCorrezioneS").left(), ctl(u"lblSegno2").left());
    EXPECT_EQ(ctl(u"lblLineeS").left(), ctl(u"lblSegno2").left());
}

TEST_F(PracticeFixture, TheUnknownTakesItsPlaceAndTheCrossFollowsIt)
{
    state.variantLow = 1;
    state.variantHigh = 6;
    // Variants 1..6 of 7 + 15: unknown right, left, middle, left, middle, right.
    const int expectedPlace[] = {2, 0, 1, 0, 1, 2};
    for (int variant = 1; variant <= 6; ++variant) scriptAddition(7, 15, variant);
    open();
    for (int variant = 1; variant <= 6; ++variant) {
        SCOPED_TRACE(variant);
        if (variant > 1) {
            type(u"9");
            verifica();
            si();
            avanti();
        }
        forms::Control& answer = ctl(u"lblRisultato1");
        EXPECT_EQ(answer.left(), ctl(u"lblRifer", expectedPlace[variant - 1]).left());
        EXPECT_EQ(ctl(u"lblCorrezione").left(), answer.left());
        EXPECT_EQ(ctl(u"lblLinee").left(), answer.left() + 700);
        const forms::Control& rect = ctl(u"lblLinee");
        const forms::Control& down = ctl(u"Line3");
        const forms::Control& up = ctl(u"Line4");
        EXPECT_EQ(down.x1(), rect.left());
        EXPECT_EQ(down.y1(), rect.top());
        EXPECT_EQ(down.x2(), rect.left() + rect.width());
        EXPECT_EQ(down.y2(), rect.top() + rect.height());
        EXPECT_EQ(up.x1(), rect.left());
        EXPECT_EQ(up.y1(), rect.top() + rect.height());
        EXPECT_EQ(up.x2(), rect.left() + rect.width());
        EXPECT_EQ(up.y2(), rect.top());
        // The three labels of the row take the three places.
        QList<int> lefts = {answer.left(), ctl(u"LblNumero1").left(), ctl(u"LblNumero2").left()};
        std::sort(lefts.begin(), lefts.end());
        EXPECT_EQ(lefts,
                  (QList<int>{ctl(u"lblRifer", 0).left(), ctl(u"lblRifer", 1).left(), ctl(u"lblRifer", 2).left()}));
    }
}
