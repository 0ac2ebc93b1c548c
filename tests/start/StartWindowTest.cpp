#include "StartTestSupport.h"
#include "support/RecordingJournal.h"
#include "support/ChoicePanels.h"

#include <algorithm>

using namespace start_test;
using forms::Form;
using start::StartWindow;
using testing_support::expectMarks;
using testing_support::frontObjectives;

namespace {

bool enabled(const Form& w, QStringView name)
{
    return w.c(name).enabled();
}

}  // namespace

using StartWindowTest = StartFixture;

// --- start sequence and settings ------------------------------------------------

TEST_F(StartWindowTest, FreshStartWithoutSettingsFile)
{
    state.operationKind = 6;
    StartWindow& w = showStart();
    EXPECT_EQ(state.operationKind, 1);
    EXPECT_EQ(w.c(u"Label1").caption(), u"Obiettivo: "_s);
    EXPECT_EQ(w.c(u"Label3").caption(), u"Livello: "_s);
    EXPECT_TRUE(enabled(w, u"Frame1"));
    EXPECT_FALSE(enabled(w, u"Frame2"));
    EXPECT_FALSE(enabled(w, u"Frame3"));
    EXPECT_EQ(frontObjectives(w), std::vector<int>({0, 1, 2}));
    EXPECT_EQ(w.caption(), u"ADDIZIONI"_s);
    EXPECT_EQ(w.c(u"lblNomeOperazione").caption(), u"ADDIZIONI"_s);
    EXPECT_EQ(state.exeBaseName, u"ADDIZIONI"_s);
    EXPECT_EQ(state.operationTitle, u"ADDIZIONI"_s);
    EXPECT_EQ(w.objectiveSet(), 1);
    EXPECT_EQ(w.levelSet(), 1);
    EXPECT_FALSE(QFile::exists(settingsPath()));  // loading writes nothing
}

// What the journal met is told when the start window is in front, where no
// operation can be interrupted: all of it in one box, and only once.
TEST_F(StartWindowTest, JournalProblemsAreToldOnceWhenTheWindowIsActive)
{
    testing_support::RecordingJournal journal;
    services.journal = &journal;
    StartWindow& w = showStart();
    EXPECT_TRUE(dialogs.messages.isEmpty());

    journal.problems << u"Il disco è pieno."_s << u"Il server non risponde."_s;
    w.activate();
    EXPECT_EQ(dialogs.messages, QStringList{u"Il disco è pieno.\n\nIl server non risponde."_s});
    w.activate();
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(StartWindowTest, SettingsOfThisCopyAreReadButTheStoredSetIsNotShown)
{
    writeSettingsFile(" 7  1  1 \r\n");  // another copy's file
    services.programName = u"SOTTRAZIONI"_s;
    writeSettingsFile("4,2,2");
    StartWindow& w = showStart();
    EXPECT_EQ(state.operationKind, 4);
    EXPECT_EQ(w.objectiveSet(), 2);
    EXPECT_EQ(w.levelSet(), 2);
    EXPECT_EQ(frontObjectives(w), std::vector<int>({0, 1, 2}));
    EXPECT_EQ(w.c(u"Frame1").caption(), u"OBIETTIVI"_s);
    EXPECT_EQ(w.c(u"lblNomeOperazione").caption(), u"SOTTRAZIONI"_s);
}

// A save killed halfway leaves its temporary file; the next start of the
// copy clears its own, and only its own: not another copy's, nor a file a
// user named like the old temporary files.
TEST_F(StartWindowTest, StartClearsWhatInterruptedSavesOfThisCopyLeft)
{
    writeSettingsFile(" 4  2  1 \r\n");
    const QString killed = u".ADDIZIONI.dat.tmp-aritmetica.999999999.1"_s;  // no process has that pid
    const QStringList kept{u".SOTTRAZIONI.dat.tmp-aritmetica.999999999.1"_s, u"ADDIZIONI.dat.xYzAbC"_s};
    for (const QString& name : kept + QStringList{killed}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    showStart();
    EXPECT_EQ(state.operationKind, 4);
    EXPECT_FALSE(QFile::exists(killed));
    for (const QString& name : kept)
        EXPECT_TRUE(QFile::exists(name)) << name.toStdString();
}

TEST_F(StartWindowTest, UnreadableSettingsFallBackToDefaults)
{
    const struct {
        QByteArray content;
        int kind;
    } cases[] = {{"", 1}, {"x 2 2", 1}, {"4", 4}, {" 3  2 ", 3}, {"5 70000 2", 5}};
    for (const auto& c : cases) {
        writeSettingsFile(c.content);
        state.operationKind = 9;
        StartWindow& w = showStart();
        EXPECT_EQ(state.operationKind, c.kind) << c.content.constData();
        EXPECT_EQ(w.objectiveSet(), 1) << c.content.constData();
        EXPECT_EQ(w.levelSet(), 1) << c.content.constData();
        host.unloadAll();
    }
}

// --- choices ----------------------------------------------------------------------

TEST_F(StartWindowTest, ChoicesFollowTheStateTable)
{
    StartWindow& w = showStart();
    // Nothing chosen: the level buttons do not react.
    w.press(u"Option2", 0);
    EXPECT_EQ(w.c(u"Label3").caption(), u"Livello: "_s);
    EXPECT_EQ(state.rangeMax, 0);
    EXPECT_FALSE(enabled(w, u"Frame3"));

    w.press(u"Option1", 1);  // objective chosen
    EXPECT_TRUE(enabled(w, u"Frame2"));
    EXPECT_FALSE(enabled(w, u"Frame3"));
    expectMarks(w, u"Option1", u"Label9", 6, 1);

    w.press(u"Option2", 0);  // ready
    EXPECT_TRUE(enabled(w, u"Frame2"));
    EXPECT_TRUE(enabled(w, u"Frame3"));
    expectMarks(w, u"Option2", u"Label10", 4, 0);
    EXPECT_EQ(w.c(u"Label3").caption(), u"Livello n.1:         NUMERO MASSIMO da  1 a 30"_s);

    // Another objective keeps the level and "Avanti".
    w.press(u"Option1", 2);
    expectMarks(w, u"Option1", u"Label9", 6, 2);
    expectMarks(w, u"Option2", u"Label10", 4, 0);
    EXPECT_TRUE(enabled(w, u"Frame3"));
    EXPECT_EQ(w.c(u"Label3").caption(), u"Livello n.1:         NUMERO MASSIMO da  1 a 30"_s);
    EXPECT_EQ(state.rangeMax, 30);
    // The chosen strip is brought in front of the one sharing its place.
    const auto& stack = w.children(&w.c(u"Frame1"));
    EXPECT_GT(std::find(stack.begin(), stack.end(), &w.c(u"Label9", 2)),
              std::find(stack.begin(), stack.end(), &w.c(u"Label9", 5)));
}

TEST_F(StartWindowTest, ObjectiveSetsTextVariantsAndSummary)
{
    const struct {
        int low, high;
        QString line;
    } expected[] = {
        {1, 1, u"Obiettivo n.1:     CALCOLO DEL RISULTATO"_s},
        {2, 3, u"Obiettivo n.2:     CALCOLO DEL TERMINE"_s},
        {1, 3, u"Obiettivo n.3:     CALCOLO CASUALE DEL RISULTATO O DEL TERMINE"_s},
        {1, 6, u"Obiettivo n.4:     CALCOLO DEL NUMERO"_s},
        {7, 12, u"Obiettivo n.5:     CALCOLO DEL SEGNO"_s},
        {1, 12, u"Obiettivo n.6:     CALCOLO CASUALE DEL NUMERO O DEL SEGNO"_s},
    };
    StartWindow& w = showStart();
    for (int i = 0; i < 6; ++i) {
        w.press(u"Option1", i);
        EXPECT_EQ(w.c(u"Label1").caption(), expected[i].line);
        EXPECT_EQ(state.objectiveText, expected[i].line.mid(19));  // after "Obiettivo n.1:     "
        EXPECT_EQ(state.variantLow, expected[i].low) << i;
        EXPECT_EQ(state.variantHigh, expected[i].high) << i;
    }
}

TEST_F(StartWindowTest, LevelSetsRangeTextsAndDigits)
{
    const struct {
        int min, max;
        QString line;
    } expected[] = {
        {1, 30, u"Livello n.1:         NUMERO MASSIMO da  1 a 30"_s},
        {30, 60, u"Livello n.2:         NUMERO MASSIMO da  30 a 60"_s},
        {60, 99, u"Livello n.3:         NUMERO MASSIMO da  60 a 99"_s},
        {1, 99, u"Livello n.4:         NUMERO MASSIMO da  1 a 99"_s},
    };
    StartWindow& w = showStart();
    w.press(u"Option1", 0);
    for (int i = 0; i < 4; ++i) {
        state.maxAnswerDigits = 0;
        w.press(u"Option2", i);
        EXPECT_EQ(w.c(u"Label3").caption(), expected[i].line);
        EXPECT_EQ(w.levelPrefix(), expected[i].line.left(21));  // "Livello n.1:" and nine blanks
        EXPECT_EQ(state.levelText, expected[i].line.mid(21));
        EXPECT_EQ(state.rangeMin, expected[i].min);
        EXPECT_EQ(state.rangeMax, expected[i].max);
        EXPECT_EQ(state.levelNumber, i + 1);
        EXPECT_EQ(state.maxAnswerDigits, 3);
    }
}

TEST_F(StartWindowTest, ReleasedButtonsAreNeverLeftSelected)
{
    StartWindow& w = showStart();
    for (auto [name, index] : {std::pair{u"Option1", 4}, {u"Option2", 3}, {u"Option3", 0}}) {
        forms::Control& button = w.c(name, index);
        w.mouseDown(button);
        EXPECT_TRUE(button.selected());  // chosen on the press
        w.mouseUp(button);
        EXPECT_FALSE(button.selected());
    }
}

TEST_F(StartWindowTest, ActivationResetsTheButtonsButKeepsTheSummary)
{
    StartWindow& w = showStart();
    for (const QString& other : {u"FrmOperativo"_s, u"frmEsempi"_s}) {
        w.press(u"Option1", 3);
        w.press(u"Option2", 2);
        host.show(other, forms::Modality::Modeless);
        host.unload(other);
        EXPECT_EQ(host.active(), &w);
        expectMarks(w, u"Option1", u"Label9", 6, -1);
        expectMarks(w, u"Option2", u"Label10", 4, -1);
        EXPECT_FALSE(enabled(w, u"Frame2"));
        EXPECT_FALSE(enabled(w, u"Frame3"));
        EXPECT_EQ(w.c(u"Label1").caption(), u"Obiettivo n.4:     CALCOLO DEL NUMERO"_s);
        EXPECT_EQ(w.c(u"Label3").caption(), u"Livello n.3:         NUMERO MASSIMO da  60 a 99"_s);
        EXPECT_EQ(state.variantHigh, 6);
    }
}

// --- objective-set switch -------------------------------------------------------------

TEST_F(StartWindowTest, SwitchAlternatesTheSetsAndSavesEachTime)
{
    writeSettingsFile(" 1  1  1 \r\n");
    StartWindow& w = showStart();
    w.press(u"Option1", 0);
    w.press(u"Option2", 0);

    w.click(w.c(u"lblCambiaOb", 0));
    EXPECT_EQ(frontObjectives(w), std::vector<int>({3, 4, 5}));
    EXPECT_EQ(w.c(u"Frame1").caption(), u"OBIETTIVI 2"_s);
    EXPECT_EQ(w.c(u"lblNomeOperazione").caption(), u"ADDIZIONI.2"_s);
    EXPECT_EQ(settingsFile(), QByteArray(" 1  2  1 \r\n"));
    // Both choices have to be made again; the shared values stay.
    EXPECT_EQ(w.c(u"Label1").caption(), u"Obiettivo"_s);
    EXPECT_EQ(w.c(u"Label3").caption(), u"Livello"_s);
    EXPECT_FALSE(enabled(w, u"Frame2"));
    EXPECT_FALSE(enabled(w, u"Frame3"));
    expectMarks(w, u"Option1", u"Label9", 6, -1);
    expectMarks(w, u"Option2", u"Label10", 4, -1);
    EXPECT_EQ(state.rangeMax, 30);

    w.click(w.c(u"lblCambiaOb", 0));
    EXPECT_EQ(frontObjectives(w), std::vector<int>({0, 1, 2}));
    EXPECT_EQ(w.c(u"Frame1").caption(), u"OBIETTIVI 1"_s);
    EXPECT_EQ(w.c(u"lblNomeOperazione").caption(), u"ADDIZIONI.1"_s);
    EXPECT_EQ(settingsFile(), QByteArray(" 1  1  1 \r\n"));
}

// Only a stored 1 switches to the second set; without a file the first set
// is taken; any other stored value (2, 0, negative, the largest) lands on
// the first set. The kind and the level set are carried through.
TEST_F(StartWindowTest, SwitchGoesToTheSecondSetOnlyFromTheFirst)
{
    const struct {
        QByteArray stored;  // empty: no settings file
        int set;
        QByteArray saved;
    } cases[] = {
        {"", 2, " 1  2  1 \r\n"},
        {" 3  2  2 \r\n", 1, " 3  1  2 \r\n"},
        {" 2 0 1 \r\n", 1, " 2  1  1 \r\n"},
        {" 2 -5 1 \r\n", 1, " 2  1  1 \r\n"},
        {" 2 32767 1 \r\n", 1, " 2  1  1 \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.constData());
        if (c.stored.isEmpty())
            QFile::remove(settingsPath());
        else
            writeSettingsFile(c.stored);
        StartWindow& w = showStart();
        w.click(w.c(u"lblCambiaOb", 0));
        EXPECT_EQ(w.objectiveSet(), c.set);
        EXPECT_EQ(frontObjectives(w), c.set == 1 ? std::vector<int>({0, 1, 2}) : std::vector<int>({3, 4, 5}));
        EXPECT_EQ(w.c(u"Frame1").caption(), u"OBIETTIVI "_s + QString::number(c.set));
        EXPECT_EQ(settingsFile(), c.saved);
        w.click(w.c(u"lblCambiaOb", 0));
        EXPECT_EQ(w.objectiveSet(), 3 - c.set);
        host.unloadAll();
    }
}

// --- going on, leaving ------------------------------------------------------------------

TEST_F(StartWindowTest, AvantiSavesThenOpensThePracticeWindowModeless)
{
    StartWindow& w = showStart();
    w.press(u"Option1", 0);
    w.press(u"Option2", 3);
    w.press(u"Option3", 0);
    auto* practice = static_cast<PracticeStandIn*>(host.find(u"FrmOperativo"_s));
    ASSERT_NE(practice, nullptr);
    EXPECT_EQ(practice->fileAtLoad, QByteArray(" 1  1  1 \r\n"));
    EXPECT_TRUE(host.isShown(u"FrmOperativo"_s));
    EXPECT_EQ(host.active(), practice);
    EXPECT_FALSE(w.inputBlocked());
}

TEST_F(StartWindowTest, AvantiWritesTheKindAsItIsNow)
{
    writeSettingsFile(" 4  2  1 \r\n");
    StartWindow& w = showStart();
    state.operationKind = 1;  // changed since the file was read
    w.press(u"Option1", 5);
    w.press(u"Option2", 1);
    w.press(u"Option3", 0);
    EXPECT_EQ(settingsFile(), QByteArray(" 1  2  1 \r\n"));
}

TEST_F(StartWindowTest, EsciOrClosingTheWindowUnloadsEverything)
{
    StartWindow& w = showStart();
    w.press(u"Option1", 0);
    w.press(u"Option2", 0);
    w.press(u"Option3", 0);
    ASSERT_EQ(host.loadedForms().size(), 2u);
    w.press(u"Option3", 1);
    EXPECT_TRUE(host.loadedForms().empty());

    StartWindow& again = showStart();
    host.show(u"FrmOperativo"_s);
    host.unload(again.name());
    EXPECT_TRUE(host.loadedForms().empty());
}

TEST_F(StartWindowTest, FocusColoursOfAvantiAndEsci)
{
    StartWindow& w = showStart();
    openCurtain(w);
    forms::Control& esci = w.c(u"Option3", 1);
    esci.setSelected(true);
    w.setFocus(esci);
    EXPECT_EQ(esci.backColor(), 0xFFC080u);
    EXPECT_FALSE(esci.selected());
    esci.setSelected(true);
    w.setFocus(w.c(u"Option1", 0));
    EXPECT_EQ(esci.backColor(), 0xFFE0C0u);
    EXPECT_FALSE(esci.selected());
}

// What the red strips say to a screen reader, and where the focus waits.
TEST_F(StartWindowTest, TheChosenButtonsAreDescribedAndTheFocusWaitsOnTheFirstOneSeen)
{
    StartWindow& w = showStart();
    EXPECT_EQ(w.focused(), nullptr);  // everything is under the curtain
    openCurtain(w);
    EXPECT_EQ(w.focused(), &w.c(u"Option1", 0));  // not objective 4, which it covers
    const auto chosen = [&w] {
        QStringList names;
        for (const auto& control : w.controls())
            if (control->accessibleDescription() == u"scelto") names << control->objectName();
        return names;
    };
    w.press(u"Option1", 1);
    w.press(u"Option1", 2);
    w.press(u"Option2", 3);
    EXPECT_EQ(chosen(), QStringList({u"Option1_2"_s, u"Option2_3"_s}));
    w.activate();  // back from the practice window: nothing is chosen
    EXPECT_EQ(chosen(), QStringList());
    w.press(u"Option1", 0);
    w.click(w.c(u"lblCambiaOb", 0));
    EXPECT_EQ(chosen(), QStringList());
    EXPECT_EQ(w.focused(), &w.c(u"Option1", 3));  // in the place of the one it covers
}

// --- curtain ------------------------------------------------------------------------------

TEST_F(StartWindowTest, CurtainStartsAtHalfTheOuterWidthOnTop)
{
    StartWindow& w = showStart();
    // Design outer width 11880 + 2 x 60 = 12000: each panel 6000.
    const forms::Control& left = w.c(u"Picture2");
    const forms::Control& right = w.c(u"Picture1");
    EXPECT_EQ(left.width(), 6000);
    EXPECT_EQ(right.width(), 6000);
    EXPECT_EQ(left.left(), 0);
    EXPECT_EQ(right.left(), 11880 - 6000);
    EXPECT_EQ(right.height(), 8400);
    EXPECT_TRUE(w.c(u"TimerTendine").enabled());
    const auto& top = w.children(nullptr);
    EXPECT_EQ(top.back(), &right);
    EXPECT_EQ(top[top.size() - 2], &left);
}

TEST_F(StartWindowTest, CurtainOpensOnTheEightiethTick)
{
    StartWindow& w = showStart();
    forms::Control& timer = w.c(u"TimerTendine");
    // 6000 - 79 x 75 = 75 is still too wide; 6000 - 80 x 75 = 0 is open.
    for (int tick = 1; tick <= 79; ++tick) {
        w.timerTick(timer);
        ASSERT_FALSE(w.c(u"mnuSchede").enabled()) << tick;
    }
    EXPECT_EQ(w.c(u"Picture1").width(), 75);
    EXPECT_EQ(w.c(u"Picture1").left(), 11880 - 75);
    w.timerTick(timer);
    EXPECT_TRUE(w.c(u"mnuSchede").enabled());
    EXPECT_FALSE(timer.enabled());
    EXPECT_EQ(w.c(u"Picture1").width(), 0);
    EXPECT_EQ(w.c(u"Picture2").width(), 0);
    EXPECT_EQ(w.c(u"Picture1").left(), 11880);
}

TEST_F(StartWindowTest, ResizeWhileOpeningRestartsFromHalfWidth)
{
    StartWindow& w = showStart();
    forms::Control& timer = w.c(u"TimerTendine");
    for (int tick = 0; tick < 20; ++tick) w.timerTick(timer);
    w.setInnerSize(2 * 11880, 8400);
    // 6000 of 11880 scaled to 23760.
    EXPECT_EQ(w.c(u"Picture1").width(), 12000);
    EXPECT_EQ(w.c(u"Picture2").width(), 12000);
    EXPECT_EQ(w.c(u"Picture1").left(), 23760 - 12000);
    EXPECT_EQ(w.c(u"Frame1").width(), 2 * 6480);
    // 12000 - 159 x 75 = 75, 12000 - 160 x 75 = 0.
    for (int tick = 0; tick < 159; ++tick) w.timerTick(timer);
    EXPECT_FALSE(w.c(u"mnuSchede").enabled());
    EXPECT_EQ(w.c(u"Picture1").left(), 23760 - 75);
    w.timerTick(timer);
    EXPECT_TRUE(w.c(u"mnuSchede").enabled());
}

TEST_F(StartWindowTest, CurtainStopsAtSeventyFourTwips)
{
    StartWindow& w = showStart();
    w.setInnerSize(295, 8400);  // panels 6000/11880 of 295 = 149 wide
    ASSERT_EQ(w.c(u"Picture1").width(), 149);
    w.timerTick(w.c(u"TimerTendine"));
    EXPECT_EQ(w.c(u"Picture1").width(), 74);
    EXPECT_TRUE(w.c(u"mnuSchede").enabled());
}

TEST_F(StartWindowTest, MinimisedCurtainStopsAndAnOpenCurtainStaysOpen)
{
    StartWindow& w = showStart();
    forms::Control& timer = w.c(u"TimerTendine");
    w.timerTick(timer);
    w.setInnerSize(0, 0);
    w.timerTick(timer);  // 0 - 75 would go negative: only the check runs
    EXPECT_EQ(w.c(u"Picture1").width(), 0);
    EXPECT_EQ(w.c(u"Picture2").width(), 0);
    EXPECT_TRUE(w.c(u"mnuSchede").enabled());
    EXPECT_FALSE(timer.enabled());

    // Restored, the window must not be covered again by a stopped curtain.
    w.setInnerSize(11880, 8400);
    EXPECT_LE(w.c(u"Picture1").width(), 74);
    EXPECT_LE(w.c(u"Picture2").width(), 74);
    EXPECT_EQ(w.c(u"Picture1").left(), 11880 - w.c(u"Picture1").width());
    EXPECT_EQ(w.c(u"Picture1").height(), 8400);
    EXPECT_EQ(w.c(u"Frame2").left(), 6960);
}

// --- menu bar -----------------------------------------------------------------------------

TEST_F(StartWindowTest, MenuBarShowsFourCommands)
{
    StartWindow& w = showStart();
    QStringList captions;
    for (const auto& control : w.controls())
        if (control->kind() == forms::Kind::MenuItem && control->visible()) captions << control->caption();
    EXPECT_EQ(captions, QStringList({u"Stampa schede"_s, u"Valutazione"_s, u"Esemplicazione"_s, u"Abaout"_s}));

    w.click(w.c(u"mnuSchede"));
    EXPECT_FALSE(requested.contains(u"FrmStampaSchede"_s));
    while (w.c(u"TimerTendine").enabled()) w.timerTick(w.c(u"TimerTendine"));
    w.click(w.c(u"mnuSchede"));  // not built yet: the host gets nothing back
    EXPECT_TRUE(requested.contains(u"FrmStampaSchede"_s));
    EXPECT_EQ(host.active(), &w);
}

TEST_F(StartWindowTest, InformationWindowsAreModal)
{
    StartWindow& w = showStart();
    for (auto [item, window] : {std::pair{u"mnuValutazione", u"FrmValutazione"_s},
                                {u"mnuEsempi", u"frmEsempi"_s},
                                {u"mnuInfo", u"frmAutore"_s}}) {
        w.click(w.c(item));
        Form* info = host.find(window);
        ASSERT_NE(info, nullptr) << window.toStdString();
        EXPECT_EQ(host.active(), info);
        EXPECT_TRUE(w.inputBlocked());
        w.press(u"Option1", 0);
        EXPECT_EQ(w.c(u"Label1").caption(), u"Obiettivo: "_s);

        // Closed by "Chiudi", or by Escape as its keyboard mode does.
        if (window == u"frmEsempi")
            info->click(info->c(u"Command1"));
        else
            EXPECT_TRUE(info->typeKey(forms::kKeyEscape));
        EXPECT_FALSE(host.isLoaded(window));
        EXPECT_FALSE(w.inputBlocked());
        EXPECT_EQ(host.active(), &w);
    }
}

TEST_F(StartWindowTest, Frame1ClickDoesNothingInTheOperazioniCopy)
{
    services.programName = u"OPERAZIONI"_s;
    StartWindow& w = showStart();
    requested.clear();
    w.click(w.c(u"Frame1"));
    EXPECT_TRUE(requested.isEmpty());
    EXPECT_EQ(host.active(), &w);
}
