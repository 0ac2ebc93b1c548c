// The list of exercises done: what it shows, the name entry, the buttons and
// the printed list.

#include "CertificateTestSupport.h"
#include "support/RecordingJournal.h"

#include <gmock/gmock.h>

namespace certificate_tests {
namespace {

using W = PrintedItem::What;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ExercisesWindowTest : public CertificateFixture {};

// --- what the window shows -------------------------------------------------

// Slots 1 to operationIndex are shown in 12 points, as they are (also the
// gaps a worksheet leaves); the others are blank.
TEST_F(ExercisesWindowTest, ShowsOnlyTheLinesOfTheOperationsStarted)
{
    // A practice run with the sixth operation on screen, holding only its
    // operation part, and a line left over from an earlier run.
    recordRun(5);
    state.doneOperations[6] = u" 6 + 15 = .     r."_s;
    state.doneOperations[7] = u"left over from an earlier run"_s;
    state.operationIndex = 6;
    // What the worksheet window left: slots 1..60 emptied, some written.
    model::RecordArray worksheet;
    worksheet[1] = u"12 + 7 = ."_s;
    worksheet[3] = u"30 + . = 41"_s;

    for (const auto& [record, index] : {std::pair{state.doneOperations, 6}, std::pair{worksheet, 12}}) {
        state.doneOperations = record;
        state.operationIndex = model::int16(index);
        auto& list = openList();
        for (int i = 1; i <= 30; ++i) {
            EXPECT_EQ(list.c(u"LblOp", i).caption(), i <= index ? record[std::size_t(i)] : QString()) << i;
            EXPECT_EQ(list.c(u"LblOp", i).font().pointSize == 12, i <= index) << i;
        }
        if (index == 6) {  // read in words, not dots and marks
            EXPECT_EQ(list.c(u"LblOp", 6).spokenName(), u"6 più 15 uguale punto di domanda"_s);
        }
        EXPECT_EQ(list.c(u"Label1").caption(), u"Tempo per questo esercizio: 95 secondi");
        EXPECT_EQ(list.c(u"Label2").caption(), u"Tempo per questo esercizio: 123 secondi");
        host.unload(u"FrmStampaEsercizio"_s);
    }
}

TEST_F(ExercisesWindowTest, DesignHoldsTheNamePanelAndRoomForLongLines)
{
    auto& list = openList();

    // The odd texts stay as the program has them.
    EXPECT_EQ(list.c(u"Label5").caption(), u"E S E R C I Z I   E S E G U I T I ");
    EXPECT_EQ(list.c(u"Label6").caption(), u"   IMMETTI   IL  TUO  NOME");
    EXPECT_EQ(list.c(u"Label4").caption(), u"Il nome viene troncato automaticamente alla 15a lettera");
    // The name panel is hidden until asked for, and hides all it holds.
    const forms::Control& panel = list.c(u"fraNome");
    EXPECT_FALSE(panel.visible());
    for (const char16_t* name : {u"Label6", u"txtNome", u"Label4", u"Label9", u"cmdAvanti", u"Command8"})
        EXPECT_EQ(list.c(name).container(), &panel);

    // Columns in order, side by side, each wide enough for a closed record
    // line of 56 characters of Courier 12 pt (about 145 twips each), and all
    // inside the window.
    for (int column = 0; column < 2; ++column) {
        const forms::Control& top = list.c(u"LblOp", 1 + 10 * column);
        EXPECT_GE(top.width(), 56 * 145);
        EXPECT_LE(top.left() + top.width(), list.c(u"LblOp", 11 + 10 * column).left());
    }
    for (int i = 1; i <= 30; ++i) {
        const forms::Control& line = list.c(u"LblOp", i);
        EXPECT_LE(line.left() + line.width(), list.innerWidth()) << i;
        EXPECT_LE(line.top() + line.height(), list.c(u"Label1").top()) << i;
        if (i % 10 != 1) {
            const forms::Control& above = list.c(u"LblOp", i - 1);
            EXPECT_GE(line.top(), above.top() + above.height()) << i;
        }
    }
    const forms::Control& frame = list.c(u"Frame1");
    EXPECT_LE(frame.top() + frame.height(), list.innerHeight());
    EXPECT_LE(frame.left() + frame.width(), list.innerWidth());
}

TEST_F(ExercisesWindowTest, FocusedButtonIsMarkedByItsBackColour)
{
    auto& list = openList();

    EXPECT_EQ(list.focused(), list.find(u"Option1", 0));
    EXPECT_EQ(list.c(u"Option1", 0).backColor(), 0xFFC080u);
    EXPECT_EQ(list.c(u"Option1", 3).backColor(), 0xFFE0C0u);

    list.setFocus(list.c(u"Option1", 3));
    EXPECT_EQ(list.c(u"Option1", 0).backColor(), 0xFFE0C0u);
    EXPECT_EQ(list.c(u"Option1", 3).backColor(), 0xFFC080u);
    EXPECT_FALSE(list.c(u"Option1", 3).selected());
}

TEST_F(ExercisesWindowTest, ResizeKeepsTheProportions)
{
    auto& list = openList();
    const int left = list.c(u"LblOp", 11).left();
    const int width = list.c(u"LblOp", 11).width();

    list.setInnerSize(list.designWidth() * 2, list.designHeight());

    EXPECT_NEAR(list.c(u"LblOp", 11).left(), 2 * left, 1);
    EXPECT_NEAR(list.c(u"LblOp", 11).width(), 2 * width, 1);
}

// --- the name ---------------------------------------------------------------

// The name panel is centred on the screen, as far as the window allows.
TEST_F(ExercisesWindowTest, NameEntryIsCentredOnTheScreenButStaysInsideTheWindow)
{
    auto& list = openList();
    const forms::Control& panel = list.c(u"fraNome");
    const int right = list.innerWidth() - panel.width(), bottom = list.innerHeight() - panel.height();
    // A screen just larger than the window: the centred place is inside it.
    const int w = list.innerWidth() + 600, h = list.innerHeight() + 400;
    const struct {
        int screenW, screenH, left, top;
    } cases[] = {
        {w, h, (w - panel.width()) / 2, (h - panel.height()) / 2},
        {15 * 2560, 15 * 1440, right, bottom},  // centred, it would pass the window's edges
        {1500, 1500, 0, 0},                     // smaller than the panel: centring gives negative places
    };
    for (const auto& c : cases) {
        host.screenW = c.screenW;
        host.screenH = c.screenH;
        list.press(u"Option1", 1);
        EXPECT_TRUE(panel.visible());
        EXPECT_EQ(panel.left(), c.left) << c.screenW;
        EXPECT_EQ(panel.top(), c.top) << c.screenW;
        EXPECT_EQ(list.focused(), list.find(u"txtNome"));
        EXPECT_FALSE(list.c(u"Option1", 1).selected());
    }
}

TEST_F(ExercisesWindowTest, AvantiTakesTheNameOfAtMostFifteenCharacters)
{
    auto& list = openList();
    list.press(u"Option1", 1);

    list.textEdited(list.c(u"txtNome"), u"Mariangela Bianchi"_s);
    list.click(list.c(u"cmdAvanti"));

    EXPECT_EQ(state.pupilName, u"Mariangela Bian");
    EXPECT_FALSE(list.c(u"fraNome").visible());
    EXPECT_EQ(list.focused(), list.find(u"Option1", 2));
    EXPECT_EQ(list.c(u"Option1", 2).backColor(), 0xFFC080u);
}

// The name goes to the journal, each time it is confirmed, for the run the
// list shows; with no run there is nothing to name.
TEST_F(ExercisesWindowTest, TheConfirmedNameNamesTheRunInTheJournal)
{
    testing_support::RecordingJournal journal;
    services.journal = &journal;
    auto& list = openList();
    const auto name = [&list](const QString& text) {
        list.press(u"Option1", 1);
        list.textEdited(list.c(u"txtNome"), text);
        list.click(list.c(u"cmdAvanti"));
    };
    name(u"Nessuno"_s);
    EXPECT_TRUE(journal.runs.empty());

    state.journalRunId = journal.runStarted({});
    name(u"Ada"_s);
    name(u"Ada Rossi"_s);
    EXPECT_EQ(journal.runs[0].pupils, (QStringList{u"Ada"_s, u"Ada Rossi"_s}));
}

TEST_F(ExercisesWindowTest, EsciOfTheNamePanelDoesNothing)
{
    auto& list = openList();
    list.press(u"Option1", 1);
    list.textEdited(list.c(u"txtNome"), u"Luca"_s);

    list.click(list.c(u"Command8"));
    list.press(u"Command8");

    EXPECT_TRUE(list.c(u"fraNome").visible());
    EXPECT_TRUE(host.isLoaded(u"FrmStampaEsercizio"_s));
    EXPECT_EQ(state.pupilName, QString());
}

// --- the other buttons ----------------------------------------------------------

TEST_F(ExercisesWindowTest, EsciShowsThePracticeWindowAgain)
{
    auto& list = openList();

    list.press(u"Option1", 0);

    EXPECT_FALSE(host.isLoaded(u"FrmStampaEsercizio"_s));
    EXPECT_TRUE(host.isShown(u"FrmOperativo"_s));
    ASSERT_NE(host.active(), nullptr);
    EXPECT_EQ(host.active()->name(), u"FrmOperativo");
}

TEST_F(ExercisesWindowTest, AttestatoOpensTheCertificateOverTheList)
{
    recordRun(20);
    auto& list = openList();

    list.press(u"Option1", 3);

    EXPECT_TRUE(host.isShown(u"FrmAttestato"_s));
    EXPECT_TRUE(host.isShown(u"FrmStampaEsercizio"_s));
    EXPECT_EQ(host.active()->name(), u"FrmAttestato");
    EXPECT_FALSE(list.c(u"Option1", 3).selected());
}

// --- printing ------------------------------------------------------------------

TEST_F(ExercisesWindowTest, PrintingIsRefusedUnderTenOperations)
{
    recordRun(9);
    auto& list = openList();

    list.press(u"Option1", 2);

    EXPECT_THAT(dialogs.messages, ElementsAre(u"Esegui almeno 10 operazioni. "_s));
    EXPECT_THAT(printers.opened, IsEmpty());
    EXPECT_TRUE(list.c(u"Option1", 2).enabled());
}

TEST_F(ExercisesWindowTest, TenLinesWithANamePrintHeaderHeadingLinesAndTotals)
{
    recordRun(10);
    state.pupilName = u"Mario"_s;
    auto& list = openList();

    list.press(u"Option1", 2);

    ASSERT_EQ(printers.documentNames, QStringList{u"esercizi"_s});
    // The default font list offers "Courier New" before "Courier".
    const QString f = u"Courier New"_s;
    // Listing lines follow at the recorder's 12 pt line height of 288 twips.
    std::vector<PrintedItem> expected{
        {W::Text, u"Nome Mario    Data di stampa 08/12/26"_s, f, 16, false, 1000, 1000},
        {W::Text, QString(), f, 12, true, 0, 2000},
        {W::Text, u"Esercizio n.1"_s, f, 12, true, 1000, 2288},
    };
    for (int s = 1; s <= 10; ++s) expected.push_back({W::Text, lineFor(s), f, 12, true, 1000, 2576 + 288 * (s - 1)});
    expected.push_back({W::Text, QString(), f, 12, true, 0, 5456});
    expected.push_back({W::Text, u"Eser. n.1: Tempo tot. 95 secondi"_s, f, 12, true, 1000, 13000});
    expected.push_back({W::Text, QString(), f, 12, true, 0, 13288});
    expected.push_back({W::Text, u"Eser. n.2: Tempo tot. 123 secondi"_s, f, 12, true, 1000, 13500});
    expected.push_back({W::End, QString(), f, 12, true, 0, 13788});
    EXPECT_EQ(printers.last()->items, expected);
    EXPECT_THAT(dialogs.messages, IsEmpty());  // a job sent to a printer needs no word
    EXPECT_TRUE(list.c(u"Option1", 0).enabled());
}

TEST_F(ExercisesWindowTest, TwentyLinesWithoutANameHaveTheDottedNameAndTwoHeadings)
{
    recordRun(20);
    state.exerciseSecondsText[2] = u"88"_s;
    auto& list = openList();

    list.press(u"Option1", 2);

    const auto& items = printers.last()->items;
    ASSERT_EQ(items.size(), 1u + 2 * 2 + 20 + 4 + 1);
    const QString f = u"Courier New"_s;
    EXPECT_EQ(items[0], (PrintedItem{W::Text, u"Nome '...................    Data di stampa 08/12/26"_s, f, 16, false,
                                     1000, 1000}));
    // Line 10 at 2576 + 9 * 288, then an empty line and the second heading.
    EXPECT_EQ(items[12], (PrintedItem{W::Text, lineFor(10), f, 12, true, 1000, 5168}));
    EXPECT_EQ(items[13], (PrintedItem{W::Text, QString(), f, 12, true, 0, 5456}));
    EXPECT_EQ(items[14], (PrintedItem{W::Text, u"Esercizio n.2"_s, f, 12, true, 1000, 5744}));
    EXPECT_EQ(items[15], (PrintedItem{W::Text, lineFor(11), f, 12, true, 1000, 6032}));
    EXPECT_EQ(items[24], (PrintedItem{W::Text, lineFor(20), f, 12, true, 1000, 8624}));
    EXPECT_EQ(items[25], (PrintedItem{W::Text, QString(), f, 12, true, 0, 8912}));
    EXPECT_EQ(items[26], (PrintedItem{W::Text, u"Eser. n.1: Tempo tot. 95 secondi"_s, f, 12, true, 1000, 13000}));
    EXPECT_EQ(items[28], (PrintedItem{W::Text, u"Eser. n.2: Tempo tot. 88 secondi"_s, f, 12, true, 1000, 13500}));
    EXPECT_EQ(items.back().what, W::End);
}

TEST_F(ExercisesWindowTest, TheNameConfirmedInThePanelIsPrinted)
{
    recordRun(10);
    clock.date = u"03/05/2027"_s;
    auto& list = openList();
    list.press(u"Option1", 1);
    list.textEdited(list.c(u"txtNome"), u"Anna"_s);
    list.click(list.c(u"cmdAvanti"));

    list.press(u"Option1", 2);

    EXPECT_EQ(printers.last()->items.front().text, u"Nome Anna    Data di stampa 03/05/2027");
}

TEST_F(ExercisesWindowTest, ListIsPrintedInTheFirstCourierFontListed)
{
    recordRun(10);
    printers.nextFontList = {u"Arial"_s, u"Courier"_s, u"Courier New"_s};
    auto& list = openList();

    list.press(u"Option1", 2);

    for (const auto& item : printers.last()->items) EXPECT_EQ(item.font, u"Courier");
}

TEST_F(ExercisesWindowTest, WithoutCourierNothingIsPrinted)
{
    recordRun(10);
    auto& list = openList();
    // Neither name, and the right name in the wrong case: the match is exact.
    for (const QStringList& fonts : {QStringList{u"Arial"_s, u"Times New Roman"_s},
                                     QStringList{u"courier new"_s, u"COURIER"_s, u"Courier 10 Pitch"_s}}) {
        dialogs.messages.clear();
        printers.nextFontList = fonts;

        list.press(u"Option1", 2);

        EXPECT_THAT(dialogs.messages, ElementsAre(u"Devi installare il font Courier o il font Courier New"_s));
        EXPECT_THAT(printers.last()->items, IsEmpty());
    }
}

TEST_F(ExercisesWindowTest, ASavedFileIsNamedToTheUser)
{
    recordRun(10);
    printers.nextResult = {true, u"/tmp/ADDIZIONI-esercizi.pdf"_s, QString()};
    auto& list = openList();

    list.press(u"Option1", 2);

    EXPECT_THAT(dialogs.messages, ElementsAre(u"La stampa è stata salvata nel file:\n/tmp/ADDIZIONI-esercizi.pdf"_s));
}

TEST_F(ExercisesWindowTest, AFailedPrintIsReportedAndChangesNothing)
{
    recordRun(20);
    state.pupilName = u"Mario"_s;
    const model::RecordArray before = state.doneOperations;
    printers.nextResult = {false, QString(), u"La stampante non risponde."_s};
    auto& list = openList();

    list.press(u"Option1", 2);

    EXPECT_THAT(dialogs.messages, ElementsAre(u"Stampa non riuscita. La stampante non risponde."_s));
    EXPECT_EQ(state.doneOperations, before);
    EXPECT_EQ(state.operationIndex, 20);
    EXPECT_EQ(state.pupilName, u"Mario");
    EXPECT_TRUE(host.isShown(u"FrmStampaEsercizio"_s));
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(list.c(u"Option1", i).enabled());

    // And the next attempt prints again.
    printers.nextResult = {true, QString(), QString()};
    list.press(u"Option1", 2);
    EXPECT_EQ(printers.opened.size(), 2u);
    EXPECT_EQ(printers.last()->items.back().what, W::End);
}

TEST_F(ExercisesWindowTest, WithoutAPrinterTheFailureIsSaid)
{
    recordRun(10);
    services.printers = nullptr;
    auto& list = openList();

    list.press(u"Option1", 2);

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"Stampa non riuscita."));
    EXPECT_TRUE(host.isShown(u"FrmStampaEsercizio"_s));
}

}  // namespace
}  // namespace certificate_tests
