#include "WorksheetTestSupport.h"
#include "practice/PracticeWindow.h"
#include "start/StartForms.h"
#include "start/StartWindow.h"
#include "support/ChoicePanels.h"

#include <QFile>
#include <QRect>

#include <vector>

using namespace worksheets_test;
using forms::Form;
using testing_support::expectMarks;
using testing_support::frontObjectives;
using worksheets::WorksheetWindow;

namespace {

// Frame2, Frame3, Frame4 enabled; CmdStampaAlunni, CmdStampaDocenti visible.
std::vector<bool> steps(const Form& w)
{
    return {w.c(u"Frame2").enabled(), w.c(u"Frame3").enabled(), w.c(u"Frame4").enabled(),
            w.c(u"CmdStampaAlunni").visible(), w.c(u"CmdStampaDocenti").visible()};
}

QRect rect(const forms::Control& c)
{
    return QRect(c.left(), c.top(), c.width(), c.height());
}

}  // namespace

using WorksheetWindowTest = WorksheetFixture;

// The sixty lines fill a grid of two blocks of three columns of ten, in
// order, in a fixed-pitch font so that the columns stay aligned; nothing else
// lies on the grid, and everything lies inside its window or frame.
TEST_F(WorksheetWindowTest, DesignLaysOutTheGridAndThePanels)
{
    WorksheetWindow w(services);
    QRect grid;
    for (int s = 1; s <= 60; ++s) {
        const forms::Control& line = w.c(u"LblOp", s);
        EXPECT_TRUE(line.visible() && line.container() == nullptr) << s;
        EXPECT_EQ(line.font().family, u"Courier New"_s) << s;
        grid |= rect(line);
        if (s % 10 != 1) {  // below the one before
            EXPECT_EQ(line.left(), w.c(u"LblOp", s - 1).left()) << s;
            EXPECT_GT(line.top(), w.c(u"LblOp", s - 1).top()) << s;
        }
        if (s % 30 > 10 || s % 30 == 0) {  // a column right of the one before, clear of it
            const forms::Control& before = w.c(u"LblOp", s - 10);
            EXPECT_GE(line.left(), before.left() + before.width()) << s;
        }
        if (s > 30) {  // the second block below the first
            EXPECT_GT(line.top(), w.c(u"LblOp", 30).top()) << s;
        }
    }
    for (const auto& control : w.controls()) {
        const forms::Control* frame = control->container();
        const QRect area =
            frame ? QRect(0, 0, frame->width(), frame->height()) : QRect(0, 0, w.designWidth(), w.designHeight());
        EXPECT_TRUE(area.contains(rect(*control))) << control->objectName().toStdString();
        if (!frame && control->name() != u"LblOp") {
            EXPECT_FALSE(grid.intersects(rect(*control))) << control->objectName().toStdString();
        }
    }
    // Two objective buttons share each place; a frame disables the buttons it holds.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rect(w.c(u"Option1", i)), rect(w.c(u"Option1", (i + 3) % 6)));
    EXPECT_EQ(w.c(u"CmdSchedaAlunni").container(), &w.c(u"Frame3"));
    EXPECT_EQ(w.c(u"CmdStampaDocenti").container(), &w.c(u"Frame4"));
    // The odd texts stay as the program has them.
    EXPECT_EQ(w.c(u"CmdStampaAlunni").caption(), u"STAMPA SCHEDA "_s);
    EXPECT_EQ(w.c(u"Option1", 4).caption(), u"5. Calcolo del segno:  =  <  >"_s);
    EXPECT_EQ(w.c(u"Option2", 0).caption(), u"da 1   a 30"_s);
    EXPECT_EQ(w.c(u"Option2", 1).caption(), u"da 30  a  60"_s);
}

TEST_F(WorksheetWindowTest, LoadPreparesStateAndWindow)
{
    state.operationKind = 4;
    state.objectiveText = u"CALCOLO DEL SEGNO"_s;  // as the start window left it
    state.sheetPrintMode = 2;
    state.doneOperations.fill(u"record"_s);
    WorksheetWindow& w = open();
    EXPECT_EQ(state.operationKind, 4);
    EXPECT_EQ(state.sheetObjectiveSet, 1);
    EXPECT_EQ(state.sheetSize, 60);
    EXPECT_EQ(state.sheetPrintMode, 0);
    EXPECT_EQ(state.slotIndex, 61);
    EXPECT_EQ(state.doneOperations[0], u"record"_s);
    EXPECT_EQ(state.doneOperations[61], u"record"_s);
    EXPECT_EQ(stored(state.doneOperations), QStringList(60, QString()));
    EXPECT_EQ(lines(w), QStringList(60, QString()));
    EXPECT_EQ(w.c(u"Label1").caption(), u"CALCOLO DEL SEGNO"_s);
    EXPECT_EQ(w.caption(), u"ADDIZIONI.1"_s);
    EXPECT_EQ(frontObjectives(w), std::vector<int>({0, 1, 2}));
    EXPECT_EQ(w.focused(), &w.c(u"Option1", 0));
    EXPECT_TRUE(w.c(u"Frame1").enabled());
    EXPECT_EQ(steps(w), std::vector<bool>({false, false, false, false, false}));

    w.press(u"Option2"_s, 2);  // levels wait for an objective
    EXPECT_EQ(state.worksheetLevel, 0);

    // The layout was taken at load: twice the width, twice every left and width.
    const QRect designed = rect(w.c(u"LblOp", 60));
    w.setInnerSize(2 * w.designWidth(), w.designHeight());
    EXPECT_EQ(rect(w.c(u"LblOp", 60)),
              QRect(2 * designed.left(), designed.top(), 2 * designed.width(), designed.height()));
}

TEST_F(WorksheetWindowTest, FramesAndPrintButtonsThroughTheSteps)
{
    WorksheetWindow& w = open();
    w.press(u"Option1"_s, 1);
    EXPECT_EQ(steps(w), std::vector<bool>({true, false, false, false, false}));
    w.press(u"Option2"_s, 1);
    EXPECT_EQ(steps(w), std::vector<bool>({true, true, false, true, false}));
    EXPECT_EQ(w.focused(), &w.c(u"CmdSchedaAlunni"));
    w.click(w.c(u"CmdSchedaAlunni"));
    EXPECT_EQ(steps(w), std::vector<bool>({true, true, true, true, true}));
    EXPECT_EQ(w.focused(), &w.c(u"CmdSchedaDocenti"));
    w.click(w.c(u"lblCambiaObSchede"));
    EXPECT_EQ(steps(w), std::vector<bool>({false, false, true, true, true}));
    w.click(w.c(u"CmdRicomincia"));
    EXPECT_EQ(steps(w), std::vector<bool>({false, false, true, false, false}));
    w.press(u"Option1"_s, 3);
    EXPECT_EQ(steps(w), std::vector<bool>({true, false, false, false, false}));
    // Only the focus brings a print button back.
    w.setFocus(w.c(u"Command1"));
    w.press(u"Option2"_s, 0);
    w.click(w.c(u"CmdSchedaAlunni"));
    EXPECT_EQ(steps(w), std::vector<bool>({true, true, true, true, true}));
}

TEST_F(WorksheetWindowTest, ChoicesSetTheSharedState)
{
    WorksheetWindow& w = open();
    const int variants[6][2] = {{1, 1}, {2, 3}, {1, 3}, {1, 6}, {7, 12}, {1, 12}};
    const QStringList titles = {u"ADDIZIONI.1   -   CALCOLO DEL RISULTATO"_s,
                                u"ADDIZIONI.1   -   CALCOLO DI UN TERMINE"_s,
                                u"ADDIZIONI.1   -   CALCOLO CASUALE DEL RISULTATO O DI UN TERMINE"_s,
                                u"ADDIZIONI.2   -   CALCOLO DEL NUMERO"_s,
                                u"ADDIZIONI.2   -   CALCOLO DEL SEGNO"_s,
                                u"ADDIZIONI.2   -   CALCOLO CASUALE DEL NUMERO O DEL SEGNO"_s};
    for (int i = 5; i >= 0; --i) {
        state.operationKind = 3;
        w.press(u"Option1"_s, i);
        EXPECT_EQ(state.variantLow, variants[i][0]);
        EXPECT_EQ(state.variantHigh, variants[i][1]);
        EXPECT_EQ(state.objectiveText, titles[i]);
        EXPECT_EQ(w.c(u"Label1").caption(), titles[i]);
        EXPECT_EQ(state.operationKind, 3);  // the stray fill leaves the copy's kind
        EXPECT_FALSE(w.c(u"Option1", i).selected());
        expectMarks(w, u"Option1", u"Label9", 6, i);
    }
    const int ranges[4][2] = {{1, 30}, {30, 60}, {60, 99}, {1, 99}};
    for (int i = 3; i >= 0; --i) {
        w.press(u"Option2"_s, i);
        EXPECT_EQ(state.rangeMin, ranges[i][0]);
        EXPECT_EQ(state.rangeMax, ranges[i][1]);
        EXPECT_EQ(state.worksheetLevel, i + 1);
        EXPECT_FALSE(w.c(u"Option2", i).selected());
        expectMarks(w, u"Option2", u"Label10", 4, i);
    }
    EXPECT_EQ(state.levelText, u"NUMERO MASSIMO da  1 a 30"_s);
    EXPECT_EQ(w.c(u"Label1").caption(), u"ADDIZIONI.1   -   CALCOLO DEL RISULTATO   -   NUMERO MASSIMO da  1 a 30"_s);
    expectMarks(w, u"Option1", u"Label9", 6, 0);  // the objective stays marked
}

TEST_F(WorksheetWindowTest, SetSwitchTwiceReturnsToTheFirstSet)
{
    WorksheetWindow& w = open();
    w.press(u"Option1"_s, 2);
    w.press(u"Option2"_s, 2);
    w.click(w.c(u"lblCambiaObSchede"));
    EXPECT_EQ(w.c(u"Frame1").caption(), u"OBIETTIVI 2"_s);
    EXPECT_EQ(frontObjectives(w), std::vector<int>({3, 4, 5}));
    EXPECT_EQ(state.sheetObjectiveSet, 2);
    expectMarks(w, u"Option1", u"Label9", 6, -1);
    expectMarks(w, u"Option2", u"Label10", 4, -1);
    // The choice made before stays in force until another one is made.
    EXPECT_EQ(state.variantLow, 1);
    EXPECT_EQ(state.variantHigh, 3);
    w.click(w.c(u"lblCambiaObSchede"));
    EXPECT_EQ(w.c(u"Frame1").caption(), u"OBIETTIVI 1"_s);
    EXPECT_EQ(frontObjectives(w), std::vector<int>({0, 1, 2}));
    EXPECT_EQ(state.sheetObjectiveSet, 1);
    EXPECT_EQ(state.objectiveText, u"ADDIZIONI.1   -   CALCOLO CASUALE DEL RISULTATO O DI UN TERMINE"_s);
}

TEST_F(WorksheetWindowTest, PupilAndTeacherSheetsOnScreen)
{
    WorksheetWindow& w = open();
    showPupilSheet(w, 0, 1);
    const QStringList first = lines(w);
    EXPECT_EQ(first, stored(state.pupilLines));
    EXPECT_EQ(stored(state.doneOperations), first);
    for (const QString& line : first) EXPECT_TRUE(line.endsWith(u"  =   ."_s)) << line.toStdString();

    w.click(w.c(u"CmdSchedaAlunni"));
    EXPECT_NE(lines(w), first);  // a new sheet every time
    const QStringList pupil = lines(w);

    w.click(w.c(u"CmdSchedaDocenti"));
    EXPECT_EQ(lines(w), stored(state.teacherLines));
    EXPECT_EQ(stored(state.doneOperations), lines(w));
    for (int s = 0; s < 60; ++s) {
        // The same operation with its sum: "A  +  B  =   ." then the gap and "(A+B)".
        const QStringList parts = pupil[s].split(u'+');
        const int sum = parts[0].trimmed().toInt() + parts[1].section(u'=', 0, 0).trimmed().toInt();
        EXPECT_EQ(lines(w)[s], pupil[s] % kGap % (sum < 10 ? u" " : u"") % u"   (" % QString::number(sum) % u")");
    }
    const QStringList teacher = lines(w);

    w.click(w.c(u"CmdRicomincia"));
    EXPECT_EQ(lines(w), QStringList(60, QString()));
    EXPECT_EQ(stored(state.doneOperations), teacher);

    w.click(w.c(u"CmdSchedaDocenti"));
    w.press(u"Option2"_s, 2);  // a new sheet is drawn, the screen stays
    EXPECT_EQ(lines(w), teacher);
    EXPECT_NE(stored(state.teacherLines), teacher);
}

TEST_F(WorksheetWindowTest, ObjectiveChoiceTouchesOnlyTheSlotTheLoopStoppedAt)
{
    WorksheetWindow& w = open();
    showPupilSheet(w, 0, 0);
    const model::RecordArray pupils = state.pupilLines;
    w.press(u"Option1"_s, 4);
    EXPECT_EQ(stored(state.pupilLines), stored(pupils));
    EXPECT_NE(state.pupilLines[61], pupils[61]);
}

// The operation names the sheet, its title and the window; additions at
// load. Chosen later, it keeps the objective and the level, draws a new sheet
// without showing it and makes its answers wait for a pupil sheet.
TEST_F(WorksheetWindowTest, OperationChoiceNamesTheSheetsAndTheirTitles)
{
    state.operationKind = 5;
    WorksheetWindow& w = open();
    expectMarks(w, u"Option3", u"Label11", 4, 0);
    const QString names[] = {u"ADDIZIONI"_s, u"SOTTRAZIONI"_s, u"MOLTIPLICAZIONI"_s, u"DIVISIONI"_s};
    const QString signs[] = {u"+"_s, u"-"_s, u"x"_s, u":"_s};
    for (int i : {1, 2, 3, 0}) {
        w.press(u"Option3"_s, i);
        EXPECT_FALSE(w.c(u"Option3", i).selected());
        expectMarks(w, u"Option3", u"Label11", 4, i);
        EXPECT_EQ(w.caption(), names[i] + u".1"_s);
        showPupilSheet(w, 0, 0);
        EXPECT_EQ(state.objectiveText, names[i] + u".1   -   CALCOLO DEL RISULTATO"_s);
        for (const QString& line : lines(w))
            EXPECT_TRUE(line.mid(4, 1) == signs[i] && line.endsWith(u"  =   ."_s)) << line.toStdString();
    }

    w.press(u"Option1"_s, 4);
    w.press(u"Option2"_s, 1);
    w.click(w.c(u"CmdSchedaAlunni"));
    const QStringList shown = lines(w);
    ASSERT_TRUE(w.c(u"Frame4").enabled());
    w.press(u"Option3"_s, 3);
    EXPECT_EQ(state.objectiveText, u"DIVISIONI.2   -   CALCOLO DEL SEGNO"_s);
    EXPECT_EQ(w.c(u"Label1").caption(), u"DIVISIONI.2   -   CALCOLO DEL SEGNO   -   NUMERO MASSIMO da  30 a 60"_s);
    EXPECT_TRUE(w.c(u"Frame3").enabled());
    EXPECT_FALSE(w.c(u"Frame4").enabled());
    EXPECT_EQ(lines(w), shown);
    for (const QString& line : stored(state.pupilLines)) EXPECT_TRUE(line.contains(u" : "_s)) << line.toStdString();
    EXPECT_EQ(state.operationKind, 5);
}

// The operation frame and the choice of how many sheets fit the column beside
// the sheet without covering anything, and follow the window's size.
TEST_F(WorksheetWindowTest, OperationFrameAndSheetCountsFitTheColumn)
{
    WorksheetWindow& w = open();
    EXPECT_EQ(w.c(u"Frame5").caption(), u"OPERAZIONE"_s);
    EXPECT_EQ(w.c(u"Option3", 2).caption(), u"Moltiplicazioni"_s);
    auto noOverlaps = [&](const forms::Control* container) {
        const auto& children = w.children(container);
        for (std::size_t i = 0; i < children.size(); ++i)
            for (std::size_t j = i + 1; j < children.size(); ++j) {
                if (children[i]->name() == u"LblOp" || children[i]->name() == u"Option1") continue;
                EXPECT_FALSE(rect(*children[i]).intersects(rect(*children[j])))
                    << children[i]->objectName().toStdString() << " " << children[j]->objectName().toStdString();
            }
    };
    noOverlaps(nullptr);
    for (const QStringView frame : {u"Frame5", u"Frame2", u"Frame3", u"Frame4"}) noOverlaps(&w.c(frame));
    const QRect designed = rect(w.c(u"Frame5"));
    w.setInnerSize(2 * w.designWidth(), 2 * w.designHeight());
    EXPECT_EQ(rect(w.c(u"Frame5")), QRect(2 * designed.left(), 2 * designed.top(), 2 * designed.width(),
                                          2 * designed.height()));
}

// One count, from 1 to 40, shown beside both print buttons and coming and
// going with them; typed in either box or stepped with "-" and "+".
TEST_F(WorksheetWindowTest, HowManySheetsToPrint)
{
    WorksheetWindow& w = open();
    auto shows = [&](const QString& text) {
        for (int i = 0; i < 2; ++i) EXPECT_EQ(w.c(u"txtNumeroSchede", i).caption(), text) << i;
    };
    auto steps = [&](bool minus, bool plus) {
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(w.c(u"CmdMeno", i).enabled(), minus) << i;
            EXPECT_EQ(w.c(u"CmdPiu", i).enabled(), plus) << i;
        }
    };
    auto visible = [&](int frame) {
        return w.c(u"txtNumeroSchede", frame).visible() && w.c(u"CmdMeno", frame).visible() &&
               w.c(u"CmdPiu", frame).visible();
    };
    EXPECT_EQ(w.sheetCount(), 1);
    EXPECT_FALSE(visible(0) || visible(1));
    showPupilSheet(w);
    EXPECT_TRUE(visible(0) && visible(1));
    shows(u"1"_s);
    steps(false, true);

    forms::Control& box = w.c(u"txtNumeroSchede", 1);
    const struct {
        const char16_t* typed;
        int count;
        const char16_t* shown;
    } typing[] = {{u"25", 25, u"25"}, {u"99", 40, u"40"}, {u"0", 1, u"1"}, {u"7a", 7, u"7"}, {u"x", 7, u""}};
    for (const auto& t : typing) {
        w.textEdited(box, QString::fromUtf16(t.typed));
        EXPECT_EQ(w.sheetCount(), t.count) << QString::fromUtf16(t.typed).toStdString();
        EXPECT_EQ(box.caption(), QString::fromUtf16(t.shown));
    }
    w.setFocus(box);
    w.setFocus(w.c(u"CmdSchedaAlunni"));  // an emptied box shows the count again on leaving
    shows(u"7"_s);

    w.textEdited(w.c(u"txtNumeroSchede", 0), u"39"_s);
    w.click(w.c(u"CmdPiu", 1));
    EXPECT_EQ(w.sheetCount(), 40);
    steps(true, false);
    w.click(w.c(u"CmdPiu", 0));
    EXPECT_EQ(w.sheetCount(), 40);
    w.click(w.c(u"CmdMeno", 0));
    shows(u"39"_s);
    steps(true, true);

    w.click(w.c(u"CmdRicomincia"));
    EXPECT_FALSE(visible(0) || visible(1));
    EXPECT_EQ(w.sheetCount(), 39);
}

// A copy keeps its own operations: the worksheet window leaves its choices of
// objective and range behind, but never the copy's kind, neither in the
// practice that follows nor in the settings file "Avanti" writes.
TEST_F(WorksheetWindowTest, TheCopyKeepsItsKindAfterTheWorksheets)
{
    services.programName = u"SOTTRAZIONI"_s;
    makeWindow = [this](const QString& name) -> std::unique_ptr<forms::Form> {
        if (name == u"FrmOperativo") return std::make_unique<practice::PracticeWindow>(services);
        if (auto sheet = worksheets::createWorksheetForm(name, services)) return sheet;
        return start::createStartForm(name, services);
    };
    testing_support::ScratchWorkingDir scratch;
    ASSERT_TRUE(scratch.entered());
    {
        QFile settings(u"SOTTRAZIONI.dat"_s);
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(" 2  1  1 \r\n");
    }

    auto& start = static_cast<start::StartWindow&>(*host.show(u"frmInizio"_s));
    EXPECT_EQ(state.operationKind, 2);
    for (int tick = 0; tick < 1000 && !start.curtainOpen(); ++tick) start.timerTick(start.c(u"TimerTendine"));
    start.click(start.c(u"mnuSchede"));
    forms::Form* sheets = host.find(u"FrmStampaSchede"_s);
    ASSERT_NE(sheets, nullptr);
    EXPECT_EQ(state.operationKind, 2);
    sheets->press(u"Option3"_s, 2);  // multiplications on the sheets only
    sheets->press(u"Option1"_s, 4);
    sheets->press(u"Option2"_s, 3);
    sheets->click(sheets->c(u"CmdSchedaAlunni"));
    EXPECT_TRUE(sheets->typeKey(forms::kKeyEscape));  // what ESCI does
    EXPECT_FALSE(host.isLoaded(u"FrmStampaSchede"_s));
    EXPECT_EQ(host.active(), &start);
    EXPECT_EQ(state.operationKind, 2);
    EXPECT_EQ(state.variantLow, 7);
    EXPECT_EQ(state.variantHigh, 12);
    EXPECT_EQ(state.rangeMin, 1);
    EXPECT_EQ(state.rangeMax, 99);
    EXPECT_EQ(state.objectiveText, u"MOLTIPLICAZIONI.2   -   CALCOLO DEL SEGNO"_s);

    start.press(u"Option1"_s, 0);
    start.press(u"Option2"_s, 0);
    start.press(u"Option3"_s, 0);  // "Avanti" saves the settings and starts the practice
    forms::Form* practice = host.find(u"FrmOperativo"_s);
    ASSERT_NE(practice, nullptr);
    EXPECT_EQ(practice->c(u"LblSegno").caption(), u"-"_s);
    EXPECT_TRUE(state.doneOperations[std::size_t(state.operationIndex)].contains(u" - "_s));
    QFile settings(u"SOTTRAZIONI.dat"_s);
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_EQ(settings.readAll(), QByteArray(" 2  1  1 \r\n"));
    settings.close();
    host.unloadAll();
}
