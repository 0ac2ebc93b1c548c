// Help after a wrong answer, refusals, and the intervention.

#include "PracticeTestSupport.h"

using namespace practice_tests;

namespace {

struct PracticeHelp : PracticeFixture {
    PracticeHelp() { scriptAddition(7, 15, 1); }  // 7 + 15 = ?, expected "22"

    void refuseThreeTimes()
    {
        for (int i = 0; i < 3; ++i) {
            answer(u"21", 1);
            no();
        }
    }
};

}  // namespace

TEST_F(PracticeHelp, WrongThenSiShowsTheRightAnswerAndClosesTheOperation)
{
    open();
    answer(u"21", 6);
    si();
    EXPECT_EQ(state.rightAnswers, 0);
    EXPECT_EQ(state.wrongAnswers, 1);
    EXPECT_EQ(caption(u"lblCorrezione"), u"22");
    EXPECT_EQ(caption(u"lblCorrezioneS"), u"22");
    EXPECT_EQ(caption(u"lblRisultato1"), u"21");  // still there, still crossed out
    EXPECT_TRUE(ctl(u"Line3").visible());
    EXPECT_EQ(caption(u"LblEsito"), u"");
    EXPECT_EQ(caption(u"LblTempoParziale"), u"6");
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(numericKeypad(), u"00000000000011");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierino"_s});

    avanti();  // the next operation clears the answer area
    EXPECT_EQ(caption(u"lblCorrezione"), u"");
    EXPECT_FALSE(ctl(u"Line3").visible());
    EXPECT_EQ(state.helpRefusals, 0);
}

TEST_F(PracticeHelp, WrongNoRightCountsBoth)
{
    open();
    answer(u"21", 2);
    no();
    EXPECT_EQ(caption(u"LblEsito"), u"");
    EXPECT_EQ(state.helpRefusals, 1);
    EXPECT_FALSE(ctl(u"Line3").visible());
    EXPECT_FALSE(ctl(u"Line1").visible());
    EXPECT_EQ(state.typedAnswer, u"");
    answer(u"22", 2);
    EXPECT_EQ(state.wrongAnswers, 1);
    EXPECT_EQ(state.rightAnswers, 1);
    EXPECT_EQ(caption(u"LblEsito"), u"Esatto");
    EXPECT_EQ(caption(u"LblTempoParziale"), u"4");  // the wrong attempt's time is inside
}

TEST_F(PracticeHelp, TheThirdRefusalBringsTheInterventionAndOkClosesTheOperation)
{
    open();
    refuseThreeTimes();
    EXPECT_EQ(state.wrongAnswers, 3);
    EXPECT_EQ(state.helpRefusals, 0);
    EXPECT_EQ(frontPanel(), u"fraIntervento");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraIntervento"_s});
    EXPECT_TRUE(ctl(u"optOK").isEffectivelyEnabled());
    EXPECT_EQ(caption(u"lblRisultato1"), u"21");  // the crossed-out answer stays
    EXPECT_TRUE(ctl(u"Line4").visible());
    EXPECT_EQ(window().focused(), &ctl(u"optOK"));

    ok();
    EXPECT_EQ(caption(u"lblCorrezione"), u"22");
    EXPECT_EQ(state.rightAnswers, 0);
    EXPECT_EQ(state.wrongAnswers, 3);
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierino"_s});
    EXPECT_EQ(numericKeypad(), u"00000000000011");
    EXPECT_TRUE(line(1).endsWith(u" 22°  (s. 3)"));
}

TEST_F(PracticeHelp, EnterOnOkActsLikeTheClickAndTheNextInterventionShowsAgain)
{
    open();
    refuseThreeTimes();
    window().keyDown(ctl(u"optOK"), forms::kKeyEnter);
    EXPECT_EQ(caption(u"lblCorrezione"), u"22");
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_TRUE(line(1).endsWith(u"(s. 3)"));

    // The panel is now disabled behind the keypad: Enter does nothing more.
    const QString closed = line(1);
    window().keyDown(ctl(u"optOK"), forms::kKeyEnter);
    EXPECT_EQ(line(1), closed);

    avanti();
    refuseThreeTimes();
    EXPECT_EQ(frontPanel(), u"fraIntervento");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraIntervento"_s});
    EXPECT_FALSE(ctl(u"optOK").selected());
    ok();
    EXPECT_EQ(state.wrongAnswers, 6);
    EXPECT_EQ(frontPanel(), u"fraTastierino");
}

TEST_F(PracticeHelp, AnyOtherKeyOnOkIsSwallowed)
{
    open();
    refuseThreeTimes();
    const QString before = line(1);
    for (int key : {32, 27, 65, 9}) EXPECT_EQ(window().keyDown(ctl(u"optOK"), key), 0) << key;
    EXPECT_EQ(frontPanel(), u"fraIntervento");
    EXPECT_EQ(line(1), before);
    EXPECT_EQ(caption(u"lblCorrezione"), u"");
}

TEST_F(PracticeHelp, TheRefusalCountBelongsToTheOperation)
{
    open();
    answer(u"21", 1);
    no();
    answer(u"21", 1);
    no();
    answer(u"22", 1);  // two refusals, then right
    avanti();
    answer(u"21", 1);
    no();
    EXPECT_EQ(state.helpRefusals, 1);
    EXPECT_EQ(frontPanel(), u"fraTastierino");  // no intervention yet
}

TEST_F(PracticeHelp, SignVariantsGetTheReducedKeypadBack)
{
    state.variantLow = 7;
    state.variantHigh = 12;
    random.setValues({});
    scriptAddition(7, 15, 10);  // 22 ? 7 + 15, expected "="
    open();
    sign(1);
    verificaSign();
    EXPECT_EQ(frontPanel(), u"fraAiuto");
    no();
    EXPECT_EQ(frontPanel(), u"fraTastierinoRidotto");
    EXPECT_EQ(signKeypad(), u"111000");
    EXPECT_EQ(caption(u"lblSegno2"), u"?");
    sign(2);
    verificaSign();
    si();
    EXPECT_EQ(caption(u"lblCorrezioneS"), u"=");
    EXPECT_EQ(caption(u"lblSegno2"), u">");
    EXPECT_EQ(frontPanel(), u"fraTastierinoRidotto");
    EXPECT_EQ(signKeypad(), u"000011");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierinoRidotto"_s});
}
