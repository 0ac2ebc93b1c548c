// The window as designed: a layout in which nothing covers anything else
// except the panels that share one place, fonts a child can read, and the
// few texts a fix could "correct".

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

// The few texts that a well-meaning fix could "correct" stay letter for
// letter; the others are seen through the tests of behaviour.
TEST_F(PracticeDesign, OddTextsStayAsTheProgramHasThem)
{
    practice::PracticeWindow w(services);
    EXPECT_EQ(w.c(u"lblIntervento").caption(), u"Ora intevengo io");
    EXPECT_EQ(w.c(u"Label5", 0).caption(), u"Risposte esatte ");  // with its trailing blank
    EXPECT_EQ(w.c(u"Label7").caption(), u"si audio");
    EXPECT_EQ(w.c(u"Option3", 1).caption(), u"Sì");
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
