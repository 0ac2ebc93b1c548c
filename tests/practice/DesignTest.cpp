// The window as designed: texts, colours, fonts and a layout in which nothing
// covers anything else except the panels that share one place.

#include "PracticeTestSupport.h"

#include <QRect>

using namespace practice_tests;
using forms::Control;
using forms::Kind;

namespace {

QRect rectOf(const Control& c)
{
    return {c.left(), c.top(), c.width(), c.height()};
}

// Controls allowed to share their place: the five stacked panels, the two
// operation panels, and the cross rectangles laid over the answers.
bool mayOverlap(const Control& a, const Control& b)
{
    const QStringList operationPanels = {u"fraNumero"_s, u"fraSegno"_s};
    if (kStackedPanels.contains(a.name()) && kStackedPanels.contains(b.name())) return true;
    if (operationPanels.contains(a.name()) && operationPanels.contains(b.name())) return true;
    return a.transparent() || b.transparent();
}

// Every visible control with a place on the window, pairwise within its
// container, and inside that container.
void expectNoOverlaps(const practice::PracticeWindow& w)
{
    std::vector<const Control*> containers = {nullptr};
    for (const auto& c : w.controls())
        if (c->kind() == Kind::Frame) containers.push_back(c.get());
    for (const Control* container : containers) {
        std::vector<const Control*> placed;
        for (const Control* c : w.children(container))
            if (c->visible() && c->kind() != Kind::Line && c->kind() != Kind::MenuItem) placed.push_back(c);
        const QRect bounds = container ? QRect(0, 0, container->width(), container->height())
                                       : QRect(0, 0, w.innerWidth(), w.innerHeight());
        for (std::size_t i = 0; i < placed.size(); ++i) {
            EXPECT_TRUE(bounds.contains(rectOf(*placed[i]))) << placed[i]->objectName().toStdString();
            for (std::size_t j = i + 1; j < placed.size(); ++j) {
                if (mayOverlap(*placed[i], *placed[j])) continue;
                EXPECT_FALSE(rectOf(*placed[i]).intersects(rectOf(*placed[j])))
                    << placed[i]->objectName().toStdString() << " and " << placed[j]->objectName().toStdString();
            }
        }
    }
}

struct PracticeDesign : PracticeFixture {
    PracticeDesign() { scriptAddition(7, 15, 1); }
};

}  // namespace

TEST_F(PracticeDesign, FixedTextsAreTheProgramsOwn)
{
    practice::PracticeWindow w(services);
    const std::tuple<const char16_t*, int, const char16_t*> texts[] = {
        {u"Label5", 1, u"Operazioni eseguite"},
        {u"Label5", 0, u"Risposte esatte "},
        {u"Label5", 3, u"Risposte errate"},
        {u"Label5", 4, u"Tempo parziale"},
        {u"Label5", 5, u"Tempo totale"},
        {u"LblAiuto", -1, u"Ti aiuto ?"},
        {u"Option3", 1, u"Sì"},
        {u"Option3", 0, u"No"},
        {u"lblIntervento", -1, u"Ora intevengo io"},
        {u"optOK", -1, u"OK"},
        {u"Label6", -1, u"Esercitazione terminata"},
        {u"Label3", -1, u"Se ricominci, gli esercizi andranno persi"},
        {u"Option4", 0, u"VISUALIZZA"},
        {u"Option4", 1, u"Ricomincia"},
        {u"Label7", -1, u"si audio"},
        {u"mnuVisualizza", -1, u"Visualizza operazioni eseguite"},
        {u"lblRisultato1", -1, u"?"},
        {u"lblSegno2", -1, u"?"},
        {u"Option1", 10, u"Cancella"},
        {u"Option1", 11, u"Verifica"},
        {u"Option1", 12, u"Avanti"},
        {u"Option1", 13, u"Esci"},
        {u"Option5", 0, u"="},
        {u"Option5", 1, u"<"},
        {u"Option5", 2, u">"},
        {u"Option5", 3, u"Verifica"},
        {u"Option5", 4, u"Avanti"},
        {u"Option5", 5, u"Esci"},
    };
    for (const auto& [name, index, text] : texts)
        EXPECT_EQ(w.c(name, index).caption(), QString::fromUtf16(text)) << w.c(name, index).objectName().toStdString();
    for (int digit = 0; digit <= 9; ++digit) EXPECT_EQ(w.c(u"Option1", digit).caption(), QString::number(digit));
    EXPECT_EQ(w.c(u"LblTempoParziale").toolTip(), u"Secondi impiegati per ogni risposta");
    EXPECT_EQ(w.c(u"LblTempoTotale").toolTip(), u"Secondi impiegati per ogni esercizio");
    EXPECT_EQ(w.c(u"mnuVisualizza").kind(), Kind::MenuItem);
    EXPECT_TRUE(w.c(u"mnuVisualizza").enabled());
    EXPECT_EQ(w.find(u"Label5", 2), nullptr);
}

TEST_F(PracticeDesign, Colours)
{
    practice::PracticeWindow w(services);
    EXPECT_EQ(w.backColor(), 0xFFE0C0u);
    for (const auto& c : w.controls()) {
        if (c->kind() != Kind::Frame) continue;
        EXPECT_EQ(c->backColor(), 0xFFE0C0u) << c->name().toStdString();
    }
    EXPECT_EQ(w.c(u"lblRisultato1").backColor(), 0xFFFFC0u);
    EXPECT_EQ(w.c(u"lblRisultato1").foreColor(), 0xC00000u);
    EXPECT_EQ(w.c(u"lblSegno2").foreColor(), 0xC00000u);
    EXPECT_EQ(w.c(u"optOK").backColor(), 0xFFC0C0u);
    for (auto name : {u"LblEsito", u"Label7", u"lblCorrezione", u"Line1", u"Line2", u"Line3", u"Line4"})
        EXPECT_EQ(w.c(name).foreColor(), 0xFF0000u) << QString::fromUtf16(name).toStdString();
    EXPECT_EQ(w.c(u"lblCorrezioneS").foreColor(), 0xC00000u);
    for (const Control* c : {&w.c(u"LblAiuto"), &w.c(u"Option3", 0), &w.c(u"Option3", 1)})
        EXPECT_EQ(c->foreColor(), 0x0000C0u);
}

TEST_F(PracticeDesign, AnchorsAndCrossesAreNotSeen)
{
    practice::PracticeWindow w(services);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(w.c(u"lblRifer", i).visible());
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(w.c(u"lblRif2", i).visible());
    EXPECT_FALSE(w.c(u"lblRiferimento").visible());
    for (auto name : {u"Line1", u"Line2", u"Line3", u"Line4"}) EXPECT_FALSE(w.c(name).visible());
    EXPECT_TRUE(w.c(u"lblLinee").caption().isEmpty());
    EXPECT_TRUE(w.c(u"lblLineeS").caption().isEmpty());
}

TEST_F(PracticeDesign, FontsAreLargeEnoughForAChild)
{
    practice::PracticeWindow w(services);
    for (auto name : {u"LblNumero1", u"LblNumero2", u"LblSegno", u"LblUguale", u"lblRisultato1", u"lblNumero4",
                      u"lblNumero6", u"LblNumero8", u"lblUguale2", u"lblSegno2"}) {
        const forms::Font& font = w.c(name).font();
        EXPECT_TRUE(font.bold && font.pointSize >= 24 && font.pointSize <= 28)
            << QString::fromUtf16(name).toStdString();
    }
    for (int i = 0; i <= 13; ++i) {
        const forms::Font& font = w.c(u"Option1", i).font();
        EXPECT_TRUE(font.bold);
        EXPECT_GE(font.pointSize, i <= 9 ? 18 : 12) << i;
    }
    for (int i = 0; i < 3; ++i) EXPECT_GE(w.c(u"Label1", i).font().pointSize, 12);
}

TEST_F(PracticeDesign, TheAnswerLabelsHoldTheirLongestAnswers)
{
    practice::PracticeWindow w(services);
    // A bold digit is at most about 0.6 em wide; 1 point is 20 twips.
    const auto textWidth = [](const Control& c, int characters) {
        return int(characters * 0.6 * c.font().pointSize * 20);
    };
    EXPECT_GE(w.c(u"lblRisultato1").width(), textWidth(w.c(u"lblRisultato1"), 3));
    EXPECT_GE(w.c(u"lblSegno2").width(), textWidth(w.c(u"lblSegno2"), 1));
    // The cross rectangle lies on the answer label.
    const QRect answer = rectOf(w.c(u"lblRisultato1"));
    EXPECT_TRUE(answer.contains(rectOf(w.c(u"lblLinee"))));
    EXPECT_TRUE(rectOf(w.c(u"lblSegno2")).contains(rectOf(w.c(u"lblLineeS"))));
}

TEST_F(PracticeDesign, NothingOverlapsButTheSharedPanels)
{
    practice::PracticeWindow designed(services);
    EXPECT_NEAR(designed.innerWidth(), 11500, 300);
    EXPECT_NEAR(designed.innerHeight(), 8200, 300);
    expectNoOverlaps(designed);

    state.variantLow = 1;
    state.variantHigh = 12;
    random.setValues({});
    for (int variant = 1; variant <= 12; ++variant) scriptAddition(7, 15, variant);
    open();
    for (int variant = 1; variant <= 12; ++variant) {
        SCOPED_TRACE(variant);
        expectNoOverlaps(window());
        window().nextOperation();
    }
}

TEST_F(PracticeDesign, TheStackedPanelsShareOnePlaceAndSize)
{
    open();
    const Control& anchor = ctl(u"lblRiferimento");
    const QRect first = rectOf(ctl(kStackedPanels.front()));
    for (const QString& name : kStackedPanels) {
        EXPECT_EQ(ctl(name).left(), anchor.left()) << name.toStdString();
        EXPECT_EQ(ctl(name).top(), anchor.top()) << name.toStdString();
        EXPECT_EQ(rectOf(ctl(name)), first) << name.toStdString();
    }
    EXPECT_EQ(rectOf(ctl(u"fraNumero")), rectOf(ctl(u"fraSegno")));
}

TEST_F(PracticeDesign, TheCrossStaysOnTheAnswerAtAnyWindowSize)
{
    open();
    window().setInnerSize(2 * practice::PracticeWindow::kDesignWidth, practice::PracticeWindow::kDesignHeight);
    const QRect answer = rectOf(ctl(u"lblRisultato1"));
    const QRect cross = rectOf(ctl(u"lblLinee"));
    EXPECT_NEAR(cross.center().x(), answer.center().x(), 20);
    EXPECT_TRUE(answer.contains(cross));
    EXPECT_EQ(ctl(u"Line3").x1(), cross.left());
    // The stacked panels follow their anchor to its new place.
    EXPECT_EQ(ctl(u"fraAvviso").left(), ctl(u"lblRiferimento").left());
}
