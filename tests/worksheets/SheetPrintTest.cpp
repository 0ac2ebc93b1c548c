#include "WorksheetTestSupport.h"
#include "support/RecordingJournal.h"

#include <functional>
#include <stdexcept>

using namespace worksheets_test;
using testing_support::PrintedItem;

namespace {

// A printer whose n-th printed line fails.
class JammingPrinter final : public platform::Printer {
public:
    explicit JammingPrinter(int failAt) : m_failAt(failAt) {}
    QStringList fonts() override { return {u"Courier"_s}; }
    QString fontName() const override { return {}; }
    void setFontName(const QString&) override {}
    double fontSize() const override { return 12; }
    void setFontSize(double) override {}
    bool fontBold() const override { return false; }
    void setFontBold(bool) override {}
    int currentX() const override { return 0; }
    void setCurrentX(int) override {}
    int currentY() const override { return 0; }
    void setCurrentY(int) override {}
    void printLine(const QString&) override
    {
        if (++m_lines == m_failAt) throw std::runtime_error("paper jam");
    }
    void printImage(const platform::DrawingSurface&, int, int) override {}
    void drawLine(int, int, int, int, int, int) override {}
    void fillBox(int, int, int, int, int) override {}
    void newPage() override {}
    platform::PrintResult endDocument() override { return {true, {}, {}}; }

private:
    int m_failAt;
    int m_lines = 0;
};

struct JammingFactory final : platform::PrinterFactory {
    int failAt = 1;
    std::unique_ptr<platform::Printer> open(const QString&) override
    {
        return std::make_unique<JammingPrinter>(failAt);
    }
};

struct SheetPrintTest : WorksheetFixture {
    // The bodies of the pages of the last job: each page a name line, its
    // title, its number among `count` when more than one, sixty lines of one
    // size and the footer.
    std::vector<QStringList> pages(int count, double size, QString title = {}) const
    {
        using What = PrintedItem::What;
        if (title.isEmpty()) title = state.objectiveText;
        const std::size_t numbered = count > 1 ? 1 : 0;
        std::vector<QStringList> out;
        const auto& items = printed();
        std::size_t i = 0;
        for (int page = 1; page <= count; ++page, ++i) {
            if (items.size() < i + 64 + numbered) {
                ADD_FAILURE() << "page " << page << " cut short";
                break;
            }
            EXPECT_EQ(items[i].text, u"Cognome e nome: "_s) << page;
            EXPECT_EQ(items[i + 1].text, title) << page;
            if (numbered) {
                EXPECT_EQ(items[i + 2], (PrintedItem{What::Text, u"Scheda %1 di %2"_s.arg(page).arg(count),
                                                     u"Courier"_s, 12, false, 8000, 1000}));
            }
            i += 2 + numbered;
            QStringList body;
            for (std::size_t s = i; s < i + 60; ++s) {
                EXPECT_EQ(items[s].size, size);
                body << items[s].text;
            }
            out.push_back(body);
            i += 60;
            EXPECT_EQ(items[i].text, title) << page;
            EXPECT_EQ(items[i + 1].what, page < count ? What::NewPage : What::End) << page;
            ++i;
        }
        EXPECT_EQ(i, items.size());
        return out;
    }

    const std::vector<PrintedItem>& printed() const { return printers.last()->items; }
    // The sixty body lines: texts, and one size for all of them.
    QStringList body(double size) const
    {
        QStringList texts;
        for (int i = 2; i < 62; ++i) {
            EXPECT_EQ(printed()[std::size_t(i)].size, size);
            texts << printed()[std::size_t(i)].text;
        }
        return texts;
    }
};

}  // namespace

TEST_F(SheetPrintTest, HeaderSixtyLinesInTwoColumnsAndFooter)
{
    worksheets::WorksheetWindow& w = open();
    showPupilSheet(w, 1, 2);
    w.click(w.c(u"CmdStampaAlunni"));
    EXPECT_EQ(state.sheetPrintMode, 1);
    EXPECT_EQ(printers.documentNames, QStringList{u"schede"_s});
    EXPECT_TRUE(dialogs.messages.isEmpty());

    const QString title = u"ADDIZIONI.1   -   CALCOLO DI UN TERMINE"_s;
    using What = PrintedItem::What;
    const auto& items = printed();
    ASSERT_EQ(items.size(), 64u);
    EXPECT_EQ(items[0], (PrintedItem{What::Text, u"Cognome e nome: "_s, u"Courier"_s, 14, false, 1000, 1000}));
    EXPECT_EQ(items[1], (PrintedItem{What::Text, title, u"Courier"_s, 12, false, 1000, 1500}));
    // First slot of each block of ten, where the page puts it.
    const int blocks[6][3] = {{1, 1000, 2000},  {11, 1000, 6500}, {21, 1000, 11000},
                              {31, 6000, 2000}, {41, 6000, 6500}, {51, 6000, 11000}};
    for (const auto& [first, x, y] : blocks)
        for (int r = 0; r < 10; ++r) {
            const int s = first + r;
            EXPECT_EQ(items[std::size_t(1 + s)], (PrintedItem{What::Text, state.doneOperations[std::size_t(s)],
                                                              u"Courier"_s, 12, false, x, y + 400 * r}))
                << "slot " << s;
        }
    EXPECT_EQ(body(12), lines(w));
    EXPECT_EQ(items[62], (PrintedItem{What::Text, title, u"Courier"_s, 8, false, 1000, 15100}));
    EXPECT_EQ(items[63].what, What::End);
}

TEST_F(SheetPrintTest, WhatPrintsIsWhatWasShownTheButtonOnlySetsTheSize)
{
    worksheets::WorksheetWindow& w = open();
    showPupilSheet(w);
    w.click(w.c(u"CmdSchedaDocenti"));
    const QStringList teacher = lines(w);
    w.click(w.c(u"CmdStampaAlunni"));
    EXPECT_EQ(body(12), teacher);
    w.click(w.c(u"CmdStampaDocenti"));
    EXPECT_EQ(state.sheetPrintMode, 2);
    EXPECT_EQ(body(10), teacher);

    // Cleared from the screen, still printed.
    w.click(w.c(u"CmdRicomincia"));
    w.setFocus(w.c(u"CmdSchedaAlunni"));
    ASSERT_TRUE(w.c(u"CmdStampaAlunni").visible());
    w.click(w.c(u"CmdStampaAlunni"));
    EXPECT_EQ(body(12), teacher);
    EXPECT_EQ(printers.opened.size(), 3u);
}

TEST_F(SheetPrintTest, PrintRightAfterALevelChoicePrintsEmptyLines)
{
    worksheets::WorksheetWindow& w = open();
    w.press(u"Option1"_s, 0);
    w.press(u"Option2"_s, 0);
    w.click(w.c(u"CmdStampaAlunni"));
    ASSERT_EQ(printed().size(), 64u);
    EXPECT_EQ(printed()[0].text, u"Cognome e nome: "_s);
    EXPECT_EQ(body(12), QStringList(60, QString()));
    EXPECT_EQ(printed()[62].text, u"ADDIZIONI.1   -   CALCOLO DEL RISULTATO"_s);
}

TEST_F(SheetPrintTest, OnlyCourierOrCourierNewSpelledExactly)
{
    worksheets::WorksheetWindow& w = open();
    showPupilSheet(w);
    const QStringList shown = lines(w);
    for (const QStringList& fonts :
         {QStringList{u"Arial"_s, u"Times New Roman"_s}, QStringList{u"courier"_s, u"COURIER NEW"_s}, QStringList{}}) {
        dialogs.messages.clear();
        printers.nextFontList = fonts;
        w.click(w.c(u"CmdStampaAlunni"));
        EXPECT_EQ(dialogs.messages, QStringList{u"Devi installare il font Courier o il font Courier New"_s});
        EXPECT_TRUE(printed().empty());
    }
    EXPECT_EQ(lines(w), shown);

    dialogs.messages.clear();
    printers.nextFontList = {u"Arial"_s, u"Courier New"_s};
    w.click(w.c(u"CmdStampaAlunni"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(printed().size(), 64u);
}

TEST_F(SheetPrintTest, HowTheJobEndedIsReported)
{
    worksheets::WorksheetWindow& w = open();
    showPupilSheet(w);
    printers.nextResult = {false, {}, u"Carta esaurita."_s};
    w.click(w.c(u"CmdStampaAlunni"));
    printers.nextResult = {true, u"/tmp/ADDIZIONI-schede.pdf"_s, {}};
    w.click(w.c(u"CmdStampaAlunni"));
    EXPECT_EQ(dialogs.messages, QStringList({u"Stampa non riuscita. Carta esaurita."_s,
                                             u"La stampa è stata salvata nel file:\n/tmp/ADDIZIONI-schede.pdf"_s}));
}

// A printer error, in the header or later, is reported; the window and its
// sheet stay.
TEST_F(SheetPrintTest, PrinterErrorsAreReportedAndTheSheetStays)
{
    JammingFactory jamming;
    services.printers = &jamming;
    worksheets::WorksheetWindow& w = open();
    showPupilSheet(w);
    const QStringList shown = lines(w);
    for (int failAt : {1, 2, 30, 63}) {
        dialogs.messages.clear();
        jamming.failAt = failAt;
        w.click(w.c(u"CmdStampaAlunni"));
        ASSERT_EQ(dialogs.messages.size(), 1) << failAt;
        EXPECT_TRUE(dialogs.messages[0].startsWith(u"Stampa non riuscita. "_s)) << failAt;
    }
    EXPECT_TRUE(host.isShown(u"FrmStampaSchede"_s));
    EXPECT_EQ(lines(w), shown);
    EXPECT_EQ(stored(state.doneOperations), shown);
}

TEST_F(SheetPrintTest, WithoutPrintersTheUserIsTold)
{
    services.printers = nullptr;
    worksheets::WorksheetWindow& w = open();
    showPupilSheet(w);
    w.click(w.c(u"CmdStampaAlunni"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"Stampa non riuscita. "_s));
}

// Several different sheets in one job, one a page and numbered, the first
// being the sheet on screen; their keys answer them page for page, whichever
// is printed first, and asking for more keeps the sheets already printed.
TEST_F(SheetPrintTest, SeveralSheetsAndTheirKeysPageForPage)
{
    worksheets::WorksheetWindow& w = open();
    w.press(u"Option3"_s, 1);
    showPupilSheet(w, 5, 3);
    const QStringList shown = lines(w);
    w.textEdited(w.c(u"txtNumeroSchede", 1), u"3"_s);

    w.click(w.c(u"CmdStampaDocenti"));
    const std::vector<QStringList> keys = pages(3, 10);
    w.click(w.c(u"CmdStampaAlunni"));
    const std::vector<QStringList> sheets = pages(3, 12);
    ASSERT_EQ(sheets.size(), 3u);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(sheets[0], shown);
    EXPECT_TRUE(sheets[0] != sheets[1] && sheets[1] != sheets[2] && sheets[0] != sheets[2]);
    for (std::size_t k = 0; k < 3; ++k)
        for (int s = 0; s < 60; ++s)
            EXPECT_TRUE(keys[k][s].startsWith(sheets[k][s] + kGap) && keys[k][s].endsWith(u')'))
                << k << ": " << keys[k][s].toStdString();
    EXPECT_EQ(lines(w), shown);  // the screen stays

    w.textEdited(w.c(u"txtNumeroSchede", 0), u"5"_s);
    w.click(w.c(u"CmdStampaAlunni"));
    const std::vector<QStringList> more = pages(5, 12);
    ASSERT_EQ(more.size(), 5u);
    EXPECT_EQ(std::vector<QStringList>(more.begin(), more.begin() + 3), sheets);

    // A new pupil sheet starts the next job's sheets.
    w.click(w.c(u"CmdSchedaAlunni"));
    w.click(w.c(u"CmdStampaAlunni"));
    const std::vector<QStringList> next = pages(5, 12);
    ASSERT_EQ(next.size(), 5u);
    EXPECT_EQ(next[0], lines(w));
    EXPECT_NE(next[1], more[1]);
}

// A printed job goes to the journal, each sheet in both versions; a job that
// failed does not.
TEST_F(SheetPrintTest, PrintedJobsGoToTheJournalWithBothVersionsOfEachSheet)
{
    testing_support::RecordingJournal journal;
    services.journal = &journal;
    worksheets::WorksheetWindow& w = open();
    w.press(u"Option3"_s, 1);  // subtractions
    showPupilSheet(w, 5, 3);
    const QStringList shown = lines(w);

    printers.nextResult = {false, {}, u"Carta esaurita."_s};
    w.click(w.c(u"CmdStampaAlunni"));
    EXPECT_TRUE(journal.printJobs.empty());

    printers.nextResult = {true, {}, {}};
    w.click(w.c(u"CmdStampaAlunni"));
    ASSERT_EQ(journal.printJobs.size(), 1u);
    ASSERT_EQ(journal.printJobs[0].size(), 1u);
    const platform::SheetPrinted& one = journal.printJobs[0][0];
    EXPECT_EQ(one.version, u"alunni");
    EXPECT_EQ(one.kind, 2);
    EXPECT_EQ(one.objective, 6);
    EXPECT_EQ(one.level, 4);
    EXPECT_EQ(one.objectiveText, state.objectiveText);
    EXPECT_EQ(one.levelText, state.levelText);
    EXPECT_EQ(one.pupilLines, shown);
    EXPECT_EQ(one.teacherLines, stored(state.teacherLines));

    // Three pupil sheets at another level, then their keys after yet another
    // level: filed as printed, under the level they were printed at.
    w.press(u"Option2"_s, 1);
    const QString levelText = state.levelText;
    w.textEdited(w.c(u"txtNumeroSchede", 0), u"3"_s);
    w.click(w.c(u"CmdStampaAlunni"));
    const std::vector<QStringList> sheets = pages(3, 12);
    w.press(u"Option2"_s, 0);
    w.click(w.c(u"CmdStampaDocenti"));
    const std::vector<QStringList> keys = pages(3, 10);
    ASSERT_EQ(journal.printJobs.size(), 3u);
    const auto& job = journal.printJobs[2];
    ASSERT_EQ(job.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(job[k].version, u"docenti");
        EXPECT_EQ(job[k].levelText, levelText);
        EXPECT_EQ(job[k].pupilLines, sheets[k]) << k;
        EXPECT_EQ(job[k].teacherLines, keys[k]) << k;
    }
    EXPECT_NE(sheets[1], sheets[2]);
}

// Whatever is shown or chosen after pupil sheets are printed, the teacher's
// print gives their keys, page for page under their title, and says which
// job they answer; the key on screen is the first of them.
TEST_F(SheetPrintTest, KeysAnswerTheLastPupilJobWhateverWasChosenSince)
{
    worksheets::WorksheetWindow& w = open();
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"new sheet", [&] { w.click(w.c(u"CmdSchedaAlunni")); }},
        {"level", [&] { w.press(u"Option2"_s, 2); }},
        {"objective", [&] { showPupilSheet(w, 1, 1); }},
        {"operation",
         [&] {
             w.press(u"Option3"_s, 2);
             w.click(w.c(u"CmdSchedaAlunni"));
         }},
        {"count", [&] { w.textEdited(w.c(u"txtNumeroSchede", 0), u"7"_s); }},
    };
    for (const int count : {1, 3})
        for (const auto& [what, change] : changes) {
            SCOPED_TRACE(testing::Message() << count << " sheets, then " << what);
            w.press(u"Option3"_s, 0);
            showPupilSheet(w, 4, 0);
            w.textEdited(w.c(u"txtNumeroSchede", 0), QString::number(count));
            clock.seconds = 9 * 3600 + 5 * 60 + 59;
            w.click(w.c(u"CmdStampaAlunni"));
            const QString title = state.objectiveText;
            const std::vector<QStringList> sheets = pages(count, 12);

            change();
            // The teacher's count shows the keys it will print, and stays.
            EXPECT_EQ(w.c(u"txtNumeroSchede", 1).caption(), QString::number(count));
            EXPECT_FALSE(w.c(u"txtNumeroSchede", 1).enabled() || w.c(u"CmdPiu", 1).enabled());
            clock.advance(3600);
            dialogs.messages.clear();
            w.click(w.c(u"CmdStampaDocenti"));
            const std::vector<QStringList> keys = pages(count, 10, title);
            ASSERT_EQ(keys.size(), sheets.size());
            for (std::size_t k = 0; k < keys.size(); ++k)
                for (int s = 0; s < 60; ++s)
                    ASSERT_TRUE(keys[k][s].startsWith(sheets[k][s] + kGap) && keys[k][s].endsWith(u')'))
                        << k << ": " << keys[k][s].toStdString();
            EXPECT_EQ(dialogs.messages, QStringList{count == 1 ? u"Soluzioni della scheda stampata alle 9:05"_s
                                                               : u"Soluzioni delle 3 schede stampate alle 9:05"_s});

            w.click(w.c(u"CmdSchedaDocenti"));
            EXPECT_EQ(lines(w), keys[0]);
        }

    // Where the file went follows in the same box.
    printers.nextResult = {true, u"/tmp/ADDIZIONI-schede.pdf"_s, {}};
    dialogs.messages.clear();
    w.click(w.c(u"CmdStampaDocenti"));
    EXPECT_EQ(dialogs.messages, QStringList{u"Soluzioni delle 3 schede stampate alle 9:05\n\n"
                                            u"La stampa è stata salvata nel file:\n/tmp/ADDIZIONI-schede.pdf"_s});
}
