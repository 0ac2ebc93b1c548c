#include "StartTestSupport.h"

#include "start/InfoWindows.h"

#include <QRect>
#include <QRegularExpression>

using namespace start_test;
using forms::Form;
using forms::Kind;

namespace {

QRect rectOf(const forms::Control& c)
{
    return QRect(c.left(), c.top(), c.width(), c.height());
}

// Every visible control lies wholly inside its container, or inside the
// window for controls placed on the window itself.
void expectNothingClipped(const Form& form)
{
    for (const auto& control : form.controls()) {
        if (control->kind() == Kind::MenuItem || control->kind() == Kind::Timer || control->kind() == Kind::Line)
            continue;
        const forms::Control* box = control->container();
        const QRect inside =
            box ? QRect(0, 0, box->width(), box->height()) : QRect(0, 0, form.designWidth(), form.designHeight());
        EXPECT_TRUE(inside.contains(rectOf(*control)))
            << form.name().toStdString() << ": " << control->objectName().toStdString();
    }
}

}  // namespace

using InfoWindowsTest = StartFixture;

TEST_F(InfoWindowsTest, DesignsFitTheirWindows)
{
    for (const QString& name : {u"frmInizio"_s, u"FrmValutazione"_s, u"frmEsempi"_s, u"frmAutore"_s}) {
        std::unique_ptr<Form> form = start::createStartForm(name, services);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->name(), name);
        expectNothingClipped(*form);
        EXPECT_EQ(form->fixedSize(), name != u"frmInizio"_s);
    }
    EXPECT_EQ(start::createStartForm(u"FrmOperativo"_s, services), nullptr);
}

TEST_F(InfoWindowsTest, ValutazioneClosesOnItsButtonOrAClickOnTheWindow)
{
    showStart();
    Form* w = host.show(u"FrmValutazione"_s, forms::Modality::Modal);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->caption(), u"SCALA  DI  VALUTAZIONE"_s);
    w->formClick();
    EXPECT_FALSE(host.isLoaded(u"FrmValutazione"_s));

    w = host.show(u"FrmValutazione"_s, forms::Modality::Modal);
    w->click(w->c(u"Command1"));
    EXPECT_FALSE(host.isLoaded(u"FrmValutazione"_s));

    // The other two close only by their button.
    Form* examples = host.show(u"frmEsempi"_s, forms::Modality::Modal);
    examples->formClick();
    EXPECT_TRUE(host.isLoaded(u"frmEsempi"_s));
}

TEST_F(InfoWindowsTest, ExamplesReadInOrderWithoutOverlaps)
{
    start::EsempiWindow w(services);
    // clang-format off
    const QStringList reading = {
        u"OPERAZIONI   DI   TIPO   1: segno di  = sempre a destra"_s,
        u"osa 1"_s, u"3 + 6 = ?"_s,
        u"osa 2"_s, u"3 + ? = 9"_s,
        u"osa 3"_s, u"? + 6 = 9"_s,
        u"OPERAZIONI    DI   TIPO   2: segno di = a destra o a sinistra secondo casualità"_s,
        u"osa 1"_s, u"3 + 6 = ?"_s, u"3 + ? = 9"_s, u"? + 6 = 9"_s,
        u"osa 2"_s, u"? = 3 + 6"_s, u"9 = ? + 6"_s, u"9 = 3 + ?"_s,
        u"osa 3"_s, u"3 + 6 ? 9"_s, u"3 + 6 ? 11"_s,
                    u"9 ?  3 + 6"_s, u"11 ? 3 + 6"_s,
    };
    // clang-format on
    std::vector<const forms::Control*> labels;
    for (const auto& c : w.controls())
        if (c->name() == u"Label1"_s) labels.push_back(c.get());
    ASSERT_EQ(int(labels.size()), reading.size());

    for (int i = 0; i < reading.size(); ++i) {
        const forms::Control& label = w.c(u"Label1", i);
        EXPECT_EQ(label.caption(), reading[i]) << i;
        const bool heading = label.caption().startsWith(u"OPERAZIONI"_s);
        const bool mark = label.caption().startsWith(u"osa"_s);
        EXPECT_EQ(label.foreColor(), heading || mark ? 0xFF0000u : 0x0000C0u) << i;
        EXPECT_EQ(label.font().pointSize, heading ? 12.0 : 19.5) << i;
        EXPECT_TRUE(label.font().bold);
        if (i > 0) {  // reading order: row by row, left to right
            const forms::Control& before = w.c(u"Label1", i - 1);
            EXPECT_TRUE(label.top() > before.top() || (label.top() == before.top() && label.left() > before.left()))
                << i;
        }
        for (int j = 0; j < i; ++j) EXPECT_FALSE(rectOf(label).intersects(rectOf(w.c(u"Label1", j)))) << i << " " << j;
    }
    EXPECT_EQ(w.caption(), u"Esempi"_s);
}

TEST_F(InfoWindowsTest, AboutNamesTheProgramAndVersionButNoPerson)
{
    start::AutoreWindow w(services);
    EXPECT_EQ(w.caption(), u"AUTORE"_s);
    EXPECT_TRUE(QRegularExpression(u"^\\d+\\.\\d+\\.\\d+$"_s).match(start::programVersion()).hasMatch());
    QString text;
    for (const auto& c : w.controls()) text += c->caption() + u'\n';
    EXPECT_TRUE(text.contains(start::programVersion()));
    EXPECT_FALSE(text.contains(QRegularExpression(u"@|www|http|[Tt]el|\\d{6,}"_s))) << text.toStdString();
    EXPECT_EQ(w.c(u"Command1").caption(), u"C h i u d i"_s);
}
