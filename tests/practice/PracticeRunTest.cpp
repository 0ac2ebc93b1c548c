// The practice run as a whole: opening, the twenty operations, the end panel,
// restarting, the clocks and the window's own events.

#include "PracticeTestSupport.h"

using namespace practice_tests;

namespace {

struct PracticeRun : PracticeFixture {
    PracticeRun() { scriptAddition(7, 15, 1); }  // every operation is 7 + 15 = ?

    // Answers right and moves on, until `count` operations are closed.
    void answerRight(int count, double seconds = 1)
    {
        for (int i = 0; i < count; ++i) {
            if (i > 0) avanti();
            answer(u"22", seconds);
        }
    }
};

}  // namespace

TEST_F(PracticeRun, OpeningShowsTheFirstOperationWithEmptyStatistics)
{
    open();
    EXPECT_EQ(state.operationIndex, 1);
    EXPECT_EQ(state.exerciseNumber, 1);
    EXPECT_EQ(caption(u"LblOperazione"), u"1");
    for (auto name : {u"lblRisEsatte", u"lblRisErrate", u"LblTempoParziale", u"LblTempoTotale", u"LblEsito"})
        EXPECT_TRUE(caption(name).isEmpty()) << QString::fromUtf16(name).toStdString();
    EXPECT_EQ(caption(u"LblNumero1"), u"7");
    EXPECT_EQ(caption(u"LblSegno"), u"+");
    EXPECT_EQ(caption(u"LblNumero2"), u"15");
    EXPECT_EQ(caption(u"LblUguale"), u"=");
    EXPECT_EQ(caption(u"lblRisultato1"), u"?");
    EXPECT_EQ(state.expectedAnswer, u"22");
    for (auto name : {u"Line1", u"Line2", u"Line3", u"Line4"}) EXPECT_FALSE(ctl(name).visible());  // not crossed out
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(frontOperationPanel(), u"fraNumero");
    EXPECT_EQ(window().soundMode, u"siSuono");
}

TEST_F(PracticeRun, ARightAnswerIsCountedTimedAndWaitsForAvanti)
{
    open();
    answer(u"22", 5);
    EXPECT_EQ(caption(u"LblEsito"), u"Esatto");
    EXPECT_EQ(state.rightAnswers, 1);
    EXPECT_EQ(caption(u"lblRisEsatte"), u"1");
    EXPECT_EQ(caption(u"LblTempoParziale"), u"5");
    EXPECT_EQ(state.answerSeconds, 5);
    EXPECT_EQ(window().answerMark, u"  ");
    EXPECT_EQ(numericKeypad(), u"00000000000011");

    clock.advance(30);  // time after the closing is not counted
    avanti();
    EXPECT_EQ(state.operationIndex, 2);
    EXPECT_EQ(caption(u"LblEsito"), u"");
    EXPECT_EQ(caption(u"LblTempoParziale"), u"");
    EXPECT_EQ(caption(u"lblRisultato1"), u"?");
    answer(u"22", 3);
    EXPECT_EQ(state.totalSeconds, 8);
    EXPECT_EQ(caption(u"LblTempoTotale"), u"8");
}

TEST_F(PracticeRun, TheTwentiethRightAnswerBringsTheEndPanelAtOnce)
{
    open();
    answerRight(20);
    EXPECT_EQ(state.operationIndex, 20);
    EXPECT_EQ(state.rightAnswers, 20);
    EXPECT_EQ(frontPanel(), u"fraAvviso");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraAvviso"_s});
    EXPECT_TRUE(ctl(u"Option4", 0).isEffectivelyEnabled());
    EXPECT_TRUE(ctl(u"Option4", 1).isEffectivelyEnabled());
    EXPECT_FALSE(ctl(u"Option1", 12).isEffectivelyEnabled());  // no "Avanti" past the end
}

TEST_F(PracticeRun, TheTwentiethClosedByHelpWaitsForAvantiAndDrawsNoMore)
{
    open();
    answerRight(19);
    avanti();
    answer(u"21", 2);
    si();
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(numericKeypad(), u"00000000000011");
    const QString twentieth = line(20);
    const std::size_t draws = random.drawsMade();

    avanti();
    EXPECT_EQ(frontPanel(), u"fraAvviso");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraAvviso"_s});
    EXPECT_EQ(state.operationIndex, 20);
    EXPECT_EQ(random.drawsMade(), draws);
    EXPECT_EQ(line(20), twentieth);
    EXPECT_TRUE(line(21).isEmpty());
}

TEST_F(PracticeRun, TheTwentiethClosedByTheInterventionEndsAtOnce)
{
    open();
    answerRight(19);
    avanti();
    for (int i = 0; i < 3; ++i) {
        answer(u"21", 1);
        no();
    }
    ASSERT_EQ(frontPanel(), u"fraIntervento");
    ok();
    EXPECT_EQ(frontPanel(), u"fraAvviso");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraAvviso"_s});
}

TEST_F(PracticeRun, RicominciaStartsAgainButTheTotalTimeGoesOn)
{
    open();
    answerRight(20, 10);
    ASSERT_EQ(state.totalSeconds, 200);
    clock.advance(100);
    press(u"Option4", 1);

    EXPECT_EQ(state.operationIndex, 1);
    EXPECT_EQ(state.exerciseNumber, 1);
    EXPECT_EQ(state.rightAnswers, 0);
    EXPECT_EQ(state.wrongAnswers, 0);
    EXPECT_EQ(caption(u"LblOperazione"), u"1");
    EXPECT_EQ(caption(u"lblRisEsatte"), u"");
    EXPECT_EQ(caption(u"LblTempoTotale"), u"");
    EXPECT_EQ(state.exerciseSeconds[1], 0);
    EXPECT_EQ(state.exerciseSecondsText[1], u"");
    EXPECT_EQ(state.exerciseSecondsText[2], u"");
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierino"_s});
    EXPECT_FALSE(ctl(u"Option4", 1).selected());

    answer(u"22", 4);
    EXPECT_EQ(caption(u"LblTempoTotale"), u"204");
    EXPECT_EQ(state.exerciseSecondsText[1], u"4");
}

TEST_F(PracticeRun, ResizingOrMinimisingDiscardsTheRun)
{
    open();
    answerRight(3, 2);
    avanti();
    answer(u"21", 1);  // wrong: help offered

    window().setInnerSize(14000, 9000);
    EXPECT_EQ(state.operationIndex, 1);
    EXPECT_EQ(state.wrongAnswers, 0);
    EXPECT_EQ(caption(u"lblRisErrate"), u"");
    EXPECT_EQ(line(1), kSevenPlusFifteen);
    EXPECT_TRUE(line(2).isEmpty() && line(4).isEmpty());
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(enabledPanels(), QStringList{u"fraTastierino"_s});
    EXPECT_FALSE(ctl(u"Line3").visible());

    answer(u"22", 1);
    window().setInnerSize(0, 0);  // minimised
    EXPECT_EQ(state.operationIndex, 1);
    EXPECT_EQ(state.rightAnswers, 0);
    window().setInnerSize(practice::PracticeWindow::kDesignWidth, practice::PracticeWindow::kDesignHeight);
    EXPECT_EQ(state.operationIndex, 1);
    EXPECT_EQ(state.totalSeconds, 2 * 3 + 1);  // nothing resets the total
    EXPECT_EQ(ctl(u"fraNumero").left(), 240);  // the design layout is back
    EXPECT_EQ(ctl(u"lblRisultato1").left(), ctl(u"lblRifer", 2).left());
}

TEST_F(PracticeRun, TheSecondExerciseBeginsAtOperationEleven)
{
    open();
    answerRight(10, 5);
    EXPECT_EQ(caption(u"LblTempoTotale"), u"50");
    EXPECT_EQ(state.exerciseNumber, 1);
    EXPECT_EQ(state.exerciseSecondsText[1], u"50");

    avanti();
    EXPECT_EQ(state.operationIndex, 11);
    EXPECT_EQ(state.exerciseNumber, 2);
    EXPECT_EQ(caption(u"LblTempoTotale"), u"");
    answer(u"21", 1);
    no();
    EXPECT_EQ(caption(u"LblTempoTotale"), u"");  // blank until the operation is closed
    answer(u"22", 3);
    EXPECT_EQ(caption(u"LblTempoTotale"), u"54");
    EXPECT_EQ(state.exerciseSecondsText[1], u"50");
    EXPECT_EQ(state.exerciseSecondsText[2], u"4");
}

TEST_F(PracticeRun, TheTimeLabelsAreCappedButTheCountsGoOn)
{
    state.totalSeconds = 870;  // earlier runs of this session
    open();
    answer(u"22", 98);
    EXPECT_EQ(caption(u"LblTempoParziale"), u"98");
    EXPECT_EQ(caption(u"LblTempoTotale"), u"968");
    avanti();
    answer(u"22", 31);
    EXPECT_EQ(caption(u"LblTempoParziale"), u"31");
    EXPECT_EQ(caption(u"LblTempoTotale"), u"999");
    avanti();
    answer(u"22", 125);
    EXPECT_EQ(caption(u"LblTempoParziale"), u"99");
    EXPECT_EQ(state.answerSeconds, 125);
    EXPECT_EQ(state.totalSeconds, 870 + 98 + 31 + 125);
    EXPECT_EQ(caption(u"LblTempoTotale"), u"999");
    EXPECT_TRUE(line(3).endsWith(u"(s.125)"));
}

TEST_F(PracticeRun, AnOperationAcrossMidnightCountsItsTrueTime)
{
    clock.seconds = 86395.5;
    open();
    clock.seconds = 4.0;  // 8.5 seconds later, on the next day
    type(u"22");
    verifica();
    EXPECT_EQ(state.answerSeconds, 8);
    EXPECT_EQ(state.totalSeconds, 8);
    EXPECT_EQ(caption(u"LblTempoParziale"), u"8");
    EXPECT_TRUE(line(1).endsWith(u"(s. 8)"));
}

TEST_F(PracticeRun, EachOperationReseedsFromTheClockAfterItIsPosed)
{
    clock.seconds = 1234.5;
    open();
    ASSERT_FALSE(random.seeds().empty());
    EXPECT_EQ(random.seeds().back(), 1234.5);
    EXPECT_EQ(state.answerStartTime, 1234.5);
}

TEST_F(PracticeRun, EsciLeavesTheWindowOnlyBetweenOperationsAndKeepsTheRecord)
{
    open();
    press(u"Option1", 13);
    ASSERT_TRUE(host.isLoaded(u"FrmOperativo"_s));  // disabled while waiting for the answer
    answer(u"22", 2);
    press(u"Option1", 13);
    EXPECT_FALSE(host.isLoaded(u"FrmOperativo"_s));
    EXPECT_EQ(state.operationIndex, 1);
    EXPECT_EQ(state.rightAnswers, 1);
    EXPECT_TRUE(line(1).endsWith(u"(s. 2)"));
}

TEST_F(PracticeRun, VisualizzaAndTheMenuOpenTheListOfExercisesDone)
{
    open();
    window().click(ctl(u"mnuVisualizza"));
    EXPECT_TRUE(host.isShown(u"FrmStampaEsercizio"_s));
    host.unload(u"FrmStampaEsercizio"_s);

    answerRight(20);
    press(u"Option4", 0);
    EXPECT_TRUE(host.isShown(u"FrmStampaEsercizio"_s));
    EXPECT_TRUE(host.isLoaded(u"FrmOperativo"_s));
    EXPECT_EQ(state.operationIndex, 20);  // still ended underneath
    EXPECT_EQ(frontPanel(), u"fraAvviso");
}

TEST_F(PracticeFixture, KindsThreeSixAndSevenMixTheOperations)
{
    struct Case {
        int kind;
        std::vector<int> picks;  // the operation drawn for each operation
        QStringList signs;       // LblSegno of each
    };
    const Case cases[] = {
        {3, {1, 2, 2, 1}, {u"+"_s, u"-"_s, u"-"_s, u"+"_s}},
        {6, {2, 1}, {u":"_s, u"x"_s}},
        {7, {1, 2, 3, 4, 2}, {u"+"_s, u"-"_s, u"x"_s, u":"_s, u"-"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        state.operationKind = int16_t(c.kind);
        random.setValues({});
        const int choices = c.kind == 7 ? 4 : 2;
        for (int pick : c.picks) {
            scriptChoice(pick, choices);
            const bool addition = (c.kind == 3 && pick == 1) || (c.kind == 7 && pick == 1);
            if (addition)
                scriptAddition(7, 15, 1);
            else
                scriptPair(4, 3, 1);  // 4 - 3, 4 x 3, 12 : 3
        }
        open();
        for (qsizetype i = 0; i < c.signs.size(); ++i) {
            if (i > 0) {
                clock.advance(1);
                type(u"9");  // wrong for each of them, then help
                verifica();
                si();
                avanti();
            }
            EXPECT_EQ(caption(u"LblSegno"), c.signs[i]) << "operation " << i + 1;
        }
        host.unload(u"FrmOperativo"_s);
    }
}

TEST_F(PracticeFixture, EveryKindPosesItsOwnOperation)
{
    const std::pair<int, QString> kinds[] = {
        {1, u"  7 +  15 = .     r."_s}, {2, u" 4 -  3 = . "_s}, {4, u" 4 x  3 = . "_s}, {5, u"12 :  3 = . "_s}};
    for (const auto& [kind, expectedLine] : kinds) {
        state.operationKind = int16_t(kind);
        random.setValues({});
        if (kind == 1)
            scriptAddition(7, 15, 1);
        else
            scriptPair(4, 3, 1);
        open();
        EXPECT_EQ(line(1), expectedLine) << kind;
        host.unload(u"FrmOperativo"_s);
    }
}

TEST_F(PracticeRun, AKindOutsideOneToSevenPosesNothing)
{
    open();
    answer(u"22", 1);
    const QString first = line(1);
    const std::size_t draws = random.drawsMade();

    state.operationKind = 8;
    avanti();
    EXPECT_EQ(state.operationIndex, 2);
    EXPECT_EQ(random.drawsMade(), draws);
    EXPECT_TRUE(line(2).isEmpty());
    EXPECT_EQ(line(1), first);
    // The keypad stays as the last operation left it.
    EXPECT_EQ(frontPanel(), u"fraTastierino");
    EXPECT_EQ(numericKeypad(), u"00000000000011");
    EXPECT_EQ(caption(u"LblNumero1"), u"7");

    state.operationKind = 0;
    avanti();
    EXPECT_EQ(state.operationIndex, 3);
    EXPECT_TRUE(line(3).isEmpty());
}

// --- the window's own events -------------------------------------------------

TEST_F(PracticeRun, HeaderLinesCarryTheOperationAndTheStartWindowsSummary)
{
    open();  // no start window: the summary lines stay blank
    EXPECT_EQ(caption(u"Label1", 0), u"   ");
    EXPECT_EQ(caption(u"Label1", 2), u"   ");
    host.unload(u"FrmOperativo"_s);

    forms::Form* start = host.load(u"frmInizio"_s);
    start->c(u"Label1").setCaption(u"Obiettivo n.1:     CALCOLO DEL RISULTATO"_s);
    start->c(u"Label3").setCaption(u"Livello n.1:         NUMERO MASSIMO da  1 a 30"_s);
    open();
    EXPECT_EQ(window().caption(), u"ADDIZIONI");
    EXPECT_EQ(caption(u"Label1", 1), u"   Operazione:        ADDIZIONI");
    EXPECT_EQ(caption(u"Label1", 0), u"   Obiettivo n.1:     CALCOLO DEL RISULTATO");
    EXPECT_EQ(caption(u"Label1", 2), u"   Livello n.1:         NUMERO MASSIMO da  1 a 30");
}

TEST_F(PracticeRun, ClicksOnTheWindowAndOnThePanelShowAndHideTheStatistics)
{
    open();
    forms::Control& stats = ctl(u"fraElaborazione");
    ASSERT_TRUE(stats.visible());
    window().formClick();
    EXPECT_FALSE(stats.visible());
    window().formClick();
    EXPECT_TRUE(stats.visible());
    window().click(stats);
    EXPECT_FALSE(stats.visible());
    window().click(stats);  // hidden: cannot be clicked
    EXPECT_FALSE(stats.visible());
    window().formClick();
    EXPECT_TRUE(stats.visible());
}

TEST_F(PracticeRun, TheSoundLabelTogglesAndARestartOnlyResetsTheMode)
{
    open();
    forms::Control& sound = ctl(u"Label7");
    window().click(sound);
    EXPECT_EQ(sound.caption(), u"no audio");
    EXPECT_EQ(window().soundMode, u"noSuono");
    window().click(sound);
    EXPECT_EQ(sound.caption(), u"si audio");
    EXPECT_EQ(window().soundMode, u"siSuono");

    window().click(sound);
    window().restartPractice();
    EXPECT_EQ(window().soundMode, u"siSuono");
    EXPECT_EQ(sound.caption(), u"no audio");  // the label is not touched
    window().click(sound);
    EXPECT_EQ(window().soundMode, u"noSuono");
}

TEST_F(PracticeRun, ActivatingTheWindowReleasesTheFirstDigit)
{
    open();
    ctl(u"Option1", 0).setSelected(true);
    host.show(u"FrmStampaEsercizio"_s);
    host.unload(u"FrmStampaEsercizio"_s);  // the practice window is active again
    EXPECT_FALSE(ctl(u"Option1", 0).selected());
}
