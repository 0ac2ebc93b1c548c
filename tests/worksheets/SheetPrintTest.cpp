#include "WorksheetTestSupport.h"

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
