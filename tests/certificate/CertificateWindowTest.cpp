// The certificate: grade, card, and its three commands.

#include "CertificateTestSupport.h"

#include "certificate/Grade.h"

#include <gmock/gmock.h>

#include <vector>

namespace certificate_tests {
namespace {

using W = PrintedItem::What;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlack = 0x000000;

class CertificateWindowTest : public CertificateFixture {
protected:
    CertificateWindowTest()
    {
        state.operationTitle = u"ADDIZIONI"_s;
        state.objectiveText = u"CALCOLO DEL RISULTATO"_s;
        state.levelText = u"NUMERO MASSIMO da  1 a 30"_s;
    }
    void run(int right, int started)
    {
        recordRun(started);
        state.rightAnswers = model::int16(right);
    }
    testing_support::RecordingSurface& card() const
    {
        if (surfaces.created.size() != 1) throw std::logic_error("expected one card surface");
        return *surfaces.created.front();
    }
    forms::Control& printButton(certificate::CertificateWindow& w) const { return w.c(u"Option5", 0); }
};

// --- the grade -------------------------------------------------------------------

struct GradeCase {
    int right;
    int started;
    const char16_t* grade;
    friend void PrintTo(const GradeCase& g, std::ostream* os) { *os << g.right << " of " << g.started; }
};

class GradeTableTest : public CertificateWindowTest, public ::testing::WithParamInterface<GradeCase> {};

TEST_P(GradeTableTest, GradeWordFollowsTheShareOfRightAnswers)
{
    const GradeCase& g = GetParam();
    run(g.right, g.started);

    auto& w = openCertificate();

    EXPECT_EQ(state.gradeText, QString::fromUtf16(g.grade));
    const bool graded = state.gradeText != u"Non classificato";
    EXPECT_EQ(printButton(w).enabled(), graded);
    EXPECT_EQ(printButton(w).caption(), graded ? u"STAMPA L'ATTESTATO"_s : u"ATTESTATO NON STAMPABILE"_s);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, GradeTableTest,
                         ::testing::Values(GradeCase{10, 10, u"OTTIMO"}, GradeCase{9, 10, u"OTTIMO"},
                                           GradeCase{18, 20, u"OTTIMO"}, GradeCase{17, 20, u"DISTINTO"},
                                           GradeCase{8, 10, u"DISTINTO"}, GradeCase{15, 20, u"BUONO"},
                                           GradeCase{13, 20, u"SUFFICIENTE"}, GradeCase{12, 20, u"SUFFICIENTE"},
                                           GradeCase{11, 20, u"SUFFICIENTE (!)"}, GradeCase{10, 20, u"SUFFICIENTE (!)"},
                                           GradeCase{5, 10, u"SUFFICIENTE (!)"}, GradeCase{9, 20, u"Non classificato"},
                                           GradeCase{4, 10, u"Non classificato"}, GradeCase{0, 0, u"Non classificato"},
                                           GradeCase{9, 9, u"OTTIMO"}));

TEST(GradeTest, AboveTenIsNotGraded)
{
    // More right answers than operations cannot come from a practice run, but
    // the table says what it would be.
    EXPECT_EQ(certificate::gradeNumber(12, 10), 12);
    EXPECT_EQ(certificate::gradeTextFor(11), u"Non classificato");
    EXPECT_EQ(certificate::gradeNumber(7, 0), 0);
    EXPECT_EQ(certificate::gradeNumber(1, 3), 3);  // 3.33 rounded down
}

// --- the card ----------------------------------------------------------------------

TEST_F(CertificateWindowTest, CardLinesComeInOrderWithTheirFontsAndColours)
{
    run(17, 20);
    state.pupilName = u"mARIO"_s;
    auto& w = openCertificate();

    EXPECT_EQ(w.caption(), u"Form1");
    EXPECT_EQ(w.c(u"Picture1").surface(), &card());
    // Text, size, colour, bold for each line; "" is an empty line, fed in the
    // font then in use.
    struct Line {
        QString text;
        double size;
        std::uint32_t color;
        bool bold;
    };
    const double design = w.c(u"Picture1").font().pointSize;
    const std::vector<Line> expected{
        {QString(), design, 0, false},
        {QString(), design, 0, false},
        {QString(), design, 0, false},
        {u"ATTESTATO DI MERITO"_s, 20, kRed, true},
        {u"rilasciato a"_s, 12, kBlack, false},
        {u"Mario"_s, 20, kRed, true},
        {QString(), 20, kRed, true},
        {QString(), 20, kRed, true},
        {u"per aver eseguito"_s, 12, kBlack, false},
        {QString(), 12, kBlack, false},
        {u"ADDIZIONI"_s, 12, kBlack, true},
        {QString(), 12, kBlack, true},
        {u"CALCOLO DEL RISULTATO"_s, 12, kBlack, true},
        {QString(), 12, kBlack, true},
        {u"NUMERO MASSIMO da  1 a 30"_s, 12, kBlack, true},
        {QString(), 12, kBlack, true},
        {u"con la valutazione di"_s, 12, kBlack, false},
        {QString(), 12, kBlack, false},
        {u"DISTINTO"_s, 14, kRed, true},
        {QString(), 14, kRed, true},
        {u"con 17 risposte esatte su 20 richieste"_s, 12, kBlack, false},
        {QString(), 12, kBlack, false},
        {QString(), 12, kBlack, false},
        {u"Data  08/12/26"_s, 12, kBlack, false},
    };
    const auto& items = card().items;
    ASSERT_EQ(items.size(), expected.size());
    int y = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Line& e = expected[i];
        const PrintedItem& got = items[i];
        EXPECT_EQ(got.text, e.text) << i;
        EXPECT_EQ(got.font, u"arial") << i;
        EXPECT_EQ(got.size, e.size) << i;
        EXPECT_EQ(got.bold, e.bold) << i;
        // Each line starts where the one before ended, one line of its font.
        EXPECT_EQ(got.y, y) << i;
        y += testing_support::recordedLineHeight(got.size);
        if (e.text.isEmpty()) continue;
        EXPECT_EQ(got.color, e.color) << i;
        // Centred: half the card's width less half the text's (the recorder's
        // text is 10 twips a point a character).
        const double textWidth = e.text.size() * e.size * 10;
        EXPECT_NEAR(got.x, card().width() / 2.0 - textWidth / 2.0, 0.5) << i;
    }
    // A screen reader reads the picture by its lines.
    EXPECT_EQ(w.c(u"Picture1").spokenName(),
              u"ATTESTATO DI MERITO, rilasciato a, Mario, per aver eseguito, ADDIZIONI, CALCOLO DEL RISULTATO, "
              "NUMERO MASSIMO da 1 a 30, con la valutazione di, DISTINTO, con 17 risposte esatte su 20 richieste, "
              "Data 08/12/26"_s);
}

TEST_F(CertificateWindowTest, CardIsShownAndUpdatedBeforeEachTextLine)
{
    run(20, 20);
    state.pupilName = u"Anna"_s;
    std::vector<std::size_t> drawnAtUpdate;
    std::vector<bool> shownAtUpdate;
    host.onDoEvents = [&] {
        drawnAtUpdate.push_back(surfaces.created.empty() ? 0 : surfaces.created.front()->items.size());
        shownAtUpdate.push_back(host.isShown(u"FrmAttestato"_s));
    };

    openCertificate();

    // Eleven text lines, the first after the three empty ones; the empty
    // lines need no update of their own.
    ASSERT_EQ(drawnAtUpdate.size(), 11u);
    EXPECT_EQ(drawnAtUpdate.front(), 3u);
    EXPECT_EQ(drawnAtUpdate.back(), card().items.size() - 1);
    for (bool shown : shownAtUpdate) EXPECT_TRUE(shown);
}

TEST_F(CertificateWindowTest, NameIsCapitalisedAndStoredBack)
{
    const std::pair<QString, QString> cases[] = {
        {u"LUCIA"_s, u"Lucia"_s},
        {u"giovanni"_s, u"Giovanni"_s},
        {u"élodie"_s, u"Élodie"_s},
        {u"ÖZIL ÇAĞLAR"_s, u"Özil çağlar"_s},
        // Half of a broken pair is a character of its own, not a pair with the M.
        {QChar(0xD83D) + u"mARIO"_s, QChar(0xD83D) + u"mario"_s},
    };
    for (const auto& [typed, printed] : cases) {
        run(10, 10);
        state.pupilName = typed;
        surfaces.created.clear();

        openCertificate();

        EXPECT_EQ(state.pupilName, printed);
        EXPECT_EQ(card().items.at(5).text, printed);
        host.unload(u"FrmAttestato"_s);
    }
}

TEST_F(CertificateWindowTest, EmptyNameStaysEmptyAndKeepsItsLine)
{
    run(10, 10);

    openCertificate();

    EXPECT_EQ(state.pupilName, QString());
    EXPECT_EQ(card().items.at(5).text, QString());
    EXPECT_EQ(card().items.at(5).size, 20);
    EXPECT_EQ(card().items.at(6).y, card().items.at(5).y + testing_support::recordedLineHeight(20));
}

TEST_F(CertificateWindowTest, NothingStartedStillDrawsTheCard)
{
    run(0, 0);

    auto& w = openCertificate();

    EXPECT_EQ(card().items.at(18).text, u"Non classificato");
    EXPECT_EQ(card().items.at(20).text, u"con 0 risposte esatte su 0 richieste");
    EXPECT_FALSE(printButton(w).enabled());
}

TEST_F(CertificateWindowTest, TheCardFillsItsPictureAndTheButtonsStayBelowIt)
{
    run(20, 20);
    auto& w = openCertificate();

    const forms::Control& picture = w.c(u"Picture1");
    EXPECT_EQ(card().width(), picture.width());
    EXPECT_EQ(card().height(), picture.height());
    const forms::Control& frame = w.c(u"Frame4");
    EXPECT_GE(frame.top(), picture.top() + picture.height());
    EXPECT_LE(frame.top() + frame.height(), w.innerHeight());
    for (int i = 0; i < 3; ++i) {
        const forms::Control& button = w.c(u"Option5", i);
        EXPECT_EQ(button.container(), &frame);
        EXPECT_LE(button.left() + button.width(), frame.width());
        EXPECT_LE(button.top() + button.height(), frame.height());
    }
}

// --- printing ----------------------------------------------------------------------

TEST_F(CertificateWindowTest, PrintingPutsTheCardOnThePageEveryTime)
{
    run(18, 20);
    auto& w = openCertificate();

    w.press(u"Option5", 0);
    w.press(u"Option5", 0);

    EXPECT_EQ(printers.documentNames, (QStringList{u"attestato"_s, u"attestato"_s}));
    for (const auto* printer : printers.opened) {
        ASSERT_EQ(printer->items.size(), 2u);
        EXPECT_EQ(printer->items[0].what, W::Image);
        EXPECT_EQ(printer->items[0].x, 1000);
        EXPECT_EQ(printer->items[0].y, 100);
        EXPECT_EQ(printer->items[1].what, W::End);
    }
    EXPECT_TRUE(printButton(w).enabled());
    EXPECT_FALSE(printButton(w).selected());
    EXPECT_THAT(dialogs.messages, IsEmpty());
}

TEST_F(CertificateWindowTest, NineOperationsAreGradedButNotPrinted)
{
    run(9, 9);
    auto& w = openCertificate();
    EXPECT_EQ(state.gradeText, u"OTTIMO");

    w.press(u"Option5", 0);

    EXPECT_THAT(dialogs.messages, ElementsAre(u"Esegui almeno 10 operazioni. "_s));
    EXPECT_THAT(printers.opened, IsEmpty());
    EXPECT_FALSE(printButton(w).enabled());
    EXPECT_EQ(printButton(w).caption(), u"STAMPA L'ATTESTATO");
}

TEST_F(CertificateWindowTest, UngradedCertificateCannotBePressed)
{
    run(4, 10);
    auto& w = openCertificate();

    w.press(u"Option5", 0);

    EXPECT_THAT(printers.opened, IsEmpty());
    EXPECT_THAT(dialogs.messages, IsEmpty());
}

TEST_F(CertificateWindowTest, AFailedPrintIsReportedAndTheButtonStaysUsable)
{
    run(20, 20);
    state.pupilName = u"Mario"_s;
    printers.nextResult = {false, QString(), u"Impossibile scrivere il file x.pdf"_s};
    auto& w = openCertificate();

    w.press(u"Option5", 0);

    EXPECT_THAT(dialogs.messages, ElementsAre(u"Stampa non riuscita. Impossibile scrivere il file x.pdf"_s));
    EXPECT_TRUE(printButton(w).enabled());
    EXPECT_EQ(state.gradeText, u"OTTIMO");
    EXPECT_EQ(state.pupilName, u"Mario");
    EXPECT_TRUE(host.isShown(u"FrmAttestato"_s));

    printers.nextResult = {true, u"/tmp/attestato.pdf"_s, QString()};
    w.press(u"Option5", 0);
    EXPECT_EQ(dialogs.messages.last(), u"La stampa è stata salvata nel file:\n/tmp/attestato.pdf");
}

TEST_F(CertificateWindowTest, WithoutSurfaceOrPrinterNothingBreaks)
{
    run(10, 10);
    state.pupilName = u"MARIO"_s;
    services.surfaces = nullptr;
    auto& w = openCertificate();
    EXPECT_EQ(state.gradeText, u"OTTIMO");
    EXPECT_EQ(state.pupilName, u"Mario");
    EXPECT_EQ(w.c(u"Picture1").surface(), nullptr);

    w.press(u"Option5", 0);

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"Stampa non riuscita."));
    host.unload(u"FrmAttestato"_s);

    services.surfaces = &surfaces;
    services.printers = nullptr;
    auto& again = openCertificate();
    again.press(u"Option5", 0);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].startsWith(u"Stampa non riuscita."));
}

// --- leaving -------------------------------------------------------------------------

TEST_F(CertificateWindowTest, TornaAndEscapeGoBackToTheList)
{
    run(20, 20);
    for (bool escape : {false, true}) {
        openList().press(u"Option1", 3);
        auto& w = dynamic_cast<certificate::CertificateWindow&>(*host.find(u"FrmAttestato"_s));

        if (escape)
            EXPECT_TRUE(w.typeKey(forms::kKeyEscape));
        else
            w.press(u"Option5", 1);

        EXPECT_FALSE(host.isLoaded(u"FrmAttestato"_s));
        ASSERT_NE(host.active(), nullptr);
        EXPECT_EQ(host.active()->name(), u"FrmStampaEsercizio");
    }
}

TEST_F(CertificateWindowTest, FineSessioneClosesEveryWindow)
{
    run(20, 20);
    host.show(u"FrmOperativo"_s);
    openList().press(u"Option1", 3);

    host.find(u"FrmAttestato"_s)->press(u"Option5", 2);

    EXPECT_TRUE(host.loadedForms().empty());
}

}  // namespace
}  // namespace certificate_tests
