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

// Twenty-one examples that read row by row, left to right, none covering
// another; the truncated "osa" and the uneven blanks are the program's own.
TEST_F(InfoWindowsTest, ExamplesReadInOrderWithoutOverlaps)
{
    start::EsempiWindow w(services);
    int count = 0;
    for (const auto& c : w.controls()) count += c->name() == u"Label1"_s;
    ASSERT_EQ(count, 21);
    for (int i = 1; i < count; ++i) {
        const forms::Control& label = w.c(u"Label1", i);
        const forms::Control& before = w.c(u"Label1", i - 1);
        EXPECT_TRUE(label.top() > before.top() || (label.top() == before.top() && label.left() > before.left())) << i;
        for (int j = 0; j < i; ++j) EXPECT_FALSE(rectOf(label).intersects(rectOf(w.c(u"Label1", j)))) << i << " " << j;
    }
    EXPECT_EQ(w.c(u"Label1", 0).caption(), u"OPERAZIONI   DI   TIPO   1: segno di  = sempre a destra"_s);
    EXPECT_EQ(w.c(u"Label1", 1).caption(), u"osa 1"_s);
    EXPECT_EQ(w.c(u"Label1", 19).caption(), u"9 ?  3 + 6"_s);
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
