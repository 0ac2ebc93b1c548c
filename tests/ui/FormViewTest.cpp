#include "ui/Accessibility.h"
#include "ui/FormView.h"
#include "ui/QtWindowHost.h"
#include "ui/Widgets.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

using namespace forms;
using namespace Qt::Literals::StringLiterals;

namespace {

// A window with one of each kind of control the binding handles.
class Sample : public Form {
public:
    QStringList log;

    Sample() : Form(u"frmSample"_s, 6000, 4500)
    {
        setCaption(u"SAMPLE"_s);
        setBackColor(0xFFE0C0);
        Control& frame = add(Kind::Frame, u"fraTasti"_s).geometry(300, 300, 3000, 1500).border().caption(u"TASTI"_s);
        for (int i = 0; i < 2; ++i)
            add(Kind::OptionButton, u"Option1"_s, i, &frame)
                .caption(QString::number(i))
                .geometry(150 + 1200 * i, 400, 1000, 600)
                .back(0xFFE0C0)
                .fore(0x0000C0);
        add(Kind::OptionButton, u"optOK"_s).caption(u"OK"_s).geometry(3600, 300, 1200, 600);
        add(Kind::Label, u"LblEsito"_s).geometry(300, 2100, 3000, 450).fore(0xFF0000).caption(u"Esatto"_s);
        add(Kind::TextBox, u"txtNome"_s).geometry(300, 2700, 3000, 400).maxLength(4);
        add(Kind::Line, u"Line1"_s, &frame).line(0, 0, 600, 600).fore(0xFF0000);
        add(Kind::MenuItem, u"mnuVedi"_s).caption(u"Vedi"_s);
        Control& panel = add(Kind::Frame, u"fraNome"_s).geometry(3600, 1200, 2200, 1500);
        add(Kind::TextBox, u"txtNome2"_s, &panel).geometry(100, 100, 2000, 400);
        add(Kind::CommandButton, u"cmdAvanti"_s, &panel).geometry(100, 700, 2000, 500);
        // Hides the panel that holds the focus and sends the focus elsewhere,
        // as the name entry of the exercises list does.
        on(u"cmdAvanti"_s, Event::Click, [this](int) {
            c(u"fraNome"_s).setVisible(false);
            setFocus(c(u"optOK"_s));
        });

        on(u"Option1"_s, Event::MouseDown, [this](int i) {
            log << u"down%1"_s.arg(i);
            c(u"LblEsito"_s).setCaption(u"premuto %1"_s.arg(i));
            c(u"Option1"_s, i).setEnabled(false);  // as "Verifica" does to itself
        });
        on(u"Option1"_s, Event::MouseUp, [this](int i) {
            log << u"up%1"_s.arg(i);
            c(u"Option1"_s, i).setSelected(false);
        });
        on(u"optOK"_s, Event::Click, [this](int) { log << u"ok"_s; });
        onKeyDown(u"optOK"_s, [this](int, int& key) {
            if (key == kKeyEnter)
                log << u"ok"_s;
            else
                key = 0;
        });
        on(u"mnuVedi"_s, Event::Click, [this](int) { log << u"menu"_s; });
        bindKey('0', c(u"Option1"_s, 0));  // keyboard mode only
        on(u"LblEsito"_s, Event::Click, [this](int) { log << u"label"_s; });
        setBackgroundClickable(true);
    }

    QList<QSize> sizes;
    void Form_Resize() override { sizes << QSize(innerWidth(), innerHeight()); }
    void Form_Click() override { log << u"form"_s; }
};

}  // namespace

class FormViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::QtWindowHost> host;
    Sample* form = nullptr;
    ui::FormView* view = nullptr;

    template <typename W>
    W* widget(const QString& objectName)
    {
        W* w = view->findChild<W*>(objectName);
        if (!w)
            qFatal("no widget %s", qPrintable(objectName));
        return w;
    }

private Q_SLOTS:
    void initTestCase() { ui::installAccessibility(); }

    void init()
    {
        host = std::make_unique<ui::QtWindowHost>([](const QString&) { return std::make_unique<Sample>(); });
        host->route([this] { host->show(u"frmSample"_s); });
        form = static_cast<Sample*>(host->find(u"frmSample"_s));
        view = host->viewOf(*form);
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(view));
    }

    void cleanup() { host.reset(); }

    void widgetsCarryTheControlsNamesAndCaptions()
    {
        QCOMPARE(view->objectName(), u"frmSample"_s);
        QCOMPARE(view->windowTitle(), u"SAMPLE"_s);
        QCOMPARE(widget<QPushButton>(u"Option1_1"_s)->text(), u"1"_s);
        QCOMPARE(widget<QLabel>(u"LblEsito"_s)->text(), u"Esatto"_s);
        // Screen readers find a button by its caption.
        QCOMPARE(widget<QPushButton>(u"optOK"_s)->accessibleName(), QString());
        QCOMPARE(widget<QPushButton>(u"optOK"_s)->text(), u"OK"_s);
        QCOMPARE(widget<QLabel>(u"LblEsito"_s)->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    }

    void geometryIsFifteenTwipsAPixelAtTheDesignSize()
    {
        QCOMPARE(view->client()->size(), QSize(400, 300));
        QCOMPARE(widget<ui::FrameWidget>(u"fraTasti"_s)->geometry(), QRect(20, 20, 200, 100));
        QCOMPARE(widget<QPushButton>(u"Option1_1"_s)->geometry(), QRect(90, 27, 67, 40));
        QCOMPARE(form->sizes, QList<QSize>({QSize(6000, 4500)}));
    }

    void pressActsOnMouseDownAndReleaseClearsTheButton()
    {
        auto* button = widget<QPushButton>(u"Option1_0"_s);
        QTest::mousePress(button, Qt::LeftButton);
        // The handler disabled the pressed button, which releases it: the
        // release reaches the form after the press, and clears the button.
        QCOMPARE(form->log, QStringList({u"down0"_s, u"up0"_s}));
        QCOMPARE(widget<QLabel>(u"LblEsito"_s)->text(), u"premuto 0"_s);
        QVERIFY(!button->isEnabled());
        QVERIFY(!form->c(u"Option1"_s, 0).selected());
        QVERIFY(!button->isChecked());
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(form->log.size(), 2);
    }

    void aDisabledFrameDisablesItsButtons()
    {
        host->route([this] { form->c(u"fraTasti"_s).setEnabled(false); });
        auto* button = widget<QPushButton>(u"Option1_1"_s);
        QVERIFY(!button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(form->log.isEmpty());
    }

    void theKeyboardDoesNotWorkOptionButtonsButEnterReachesAKeyHandler()
    {
        auto* ok = widget<QPushButton>(u"optOK"_s);
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Space);
        QTest::keyClick(ok, Qt::Key_A);
        QVERIFY(form->log.isEmpty());
        QTest::keyClick(ok, Qt::Key_Return);
        QCOMPARE(form->log, QStringList({u"ok"_s}));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(form->log, QStringList({u"ok"_s, u"ok"_s}));
    }

    void menuLabelAndBackgroundClicksReachTheirHandlers()
    {
        QAction* menu = view->findChild<QAction*>(u"mnuVedi"_s);
        QVERIFY(menu);
        menu->trigger();
        QTest::mouseClick(widget<QLabel>(u"LblEsito"_s), Qt::LeftButton);
        QTest::mouseClick(view->client(), Qt::LeftButton, {}, QPoint(390, 290));
        QCOMPARE(form->log, QStringList({u"menu"_s, u"label"_s, u"form"_s}));
    }

    void hidingTheFocusedPanelLeavesTheFocusWhereTheFormPutIt()
    {
        auto* edit = widget<QLineEdit>(u"txtNome2"_s);
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::mouseClick(widget<QPushButton>(u"cmdAvanti"_s), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(form->focused(), &form->c(u"optOK"_s));
        QVERIFY(widget<QPushButton>(u"optOK"_s)->hasFocus());
    }

    void typingStopsAtTheMaximumLength()
    {
        auto* edit = widget<QLineEdit>(u"txtNome"_s);
        QTest::keyClicks(edit, u"Marianna"_s);
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"Mari"_s);
        QCOMPARE(edit->text(), u"Mari"_s);
    }

    // The widget's own limit would count UTF-16 units and stop at two emoji.
    void theLimitCountsCharactersNotUnits()
    {
        auto* edit = widget<QLineEdit>(u"txtNome"_s);
        const QString smile = u"😀"_s;
        for (int i = 0; i < 5; ++i)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, smile, Qt::NoModifier);
        QCOMPARE(form->c(u"txtNome"_s).caption(), smile.repeated(4));
        QCOMPARE(edit->text(), smile.repeated(4));

        edit->clear();
        edit->insert(u"x"_s.repeated(10000));  // a long paste
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"xxxx"_s);
        QCOMPARE(edit->text(), u"xxxx"_s);
    }

    void typingInsideAFullBoxKeepsTheCursorWhereItWas()
    {
        auto* edit = widget<QLineEdit>(u"txtNome"_s);
        QTest::keyClicks(edit, u"abcd"_s);
        edit->setCursorPosition(1);
        QTest::keyClicks(edit, u"Z"_s);
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"aZbc"_s);
        QCOMPARE(edit->text(), u"aZbc"_s);
        QCOMPARE(edit->cursorPosition(), 2);
    }

    // A screen reader or switch program edits the text through the box's
    // accessible interface, never with keys: that is typing too, and the
    // form's own writes are not.
    void assistiveTechnologyTypesAsTheKeysDo()
    {
        auto* edit = widget<QLineEdit>(u"txtNome"_s);
        QAccessibleEditableTextInterface* text = QAccessible::queryAccessibleInterface(edit)->editableTextInterface();
        QVERIFY(text);
        text->insertText(0, u"Marianna"_s);
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"Mari"_s);
        QCOMPARE(edit->text(), u"Mari"_s);
        text->deleteText(0, 2);
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"ri"_s);
        text->replaceText(0, 2, u"Luca"_s);  // what AT-SPI's SetTextContents does
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"Luca"_s);

        host->route([this] { form->c(u"txtNome"_s).setCaption(u"Giovanna"_s); });  // not cut as typing would be
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"Giovanna"_s);
        QCOMPARE(edit->text(), u"Giovanna"_s);

        host->route([this] { form->c(u"txtNome"_s).setEnabled(false); });
        text->replaceText(0, 8, u"Ugo"_s);  // no input reaches it: it shows its own text again
        QCOMPARE(form->c(u"txtNome"_s).caption(), u"Giovanna"_s);
        QCOMPARE(edit->text(), u"Giovanna"_s);
    }

    void resizingAndMinimisingReachTheFormInTwips()
    {
        view->resize(800, view->height() + 150);
        QTRY_COMPARE(form->sizes.last(), QSize(12000, 6750));
        view->showMinimized();
        QTRY_COMPARE(form->sizes.last(), QSize(0, 0));
        view->showNormal();
        QTRY_COMPARE(form->sizes.last(), QSize(12000, 6750));
    }

    // What a screen reader reads and presses: a push button whose press is
    // a mouse press and leaves nothing selected, a frame by its title, and a
    // covered button not shown and not pressed.
    void assistiveTechnologyReadsAndPressesAsTheFormSays()
    {
        auto* button = widget<QPushButton>(u"Option1_1"_s);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::PushButton);
        QCOMPARE(iface->text(QAccessible::Name), u"1"_s);
        QVERIFY(!iface->state().checkable);
        QAccessibleActionInterface* actions = iface->actionInterface();
        QVERIFY(actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(form->log, QStringList({u"down1"_s, u"up1"_s}));
        QVERIFY(!button->isChecked());
        QCOMPARE(widget<QLabel>(u"LblEsito"_s)->text(), u"premuto 1"_s);

        QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(widget<ui::FrameWidget>(u"fraTasti"_s));
        QCOMPARE(frame->role(), QAccessible::Grouping);
        QCOMPARE(frame->text(QAccessible::Name), u"TASTI"_s);

        // The window's controls are told in reading order, not in the order
        // they were made ("fraNome" was made after the text box below it).
        QAccessibleInterface* client = QAccessible::queryAccessibleInterface(view->client());
        QStringList told;
        for (int i = 0; i < client->childCount(); ++i)
            if (QObject* o = client->child(i)->object(); o->parent() == view->client())
                told << o->objectName();
        QStringList reading;
        for (const forms::Control* c : form->readingOrder())
            if (QWidget* w = view->widgetFor(*c); w && w->parent() == view->client())
                reading << w->objectName();
        QCOMPARE(told.mid(0, reading.size()), reading);
        QVERIFY(told.indexOf(u"fraNome"_s) < told.indexOf(u"LblEsito"_s));

        host->route([this] {
            form->c(u"fraNome"_s).move(3600, 300, 2200, 1500);  // over "OK"
            form->c(u"LblEsito"_s).setAccessibleDescription(u"scelto"_s);
        });
        QAccessibleInterface* ok = QAccessible::queryAccessibleInterface(widget<QPushButton>(u"optOK"_s));
        QVERIFY(ok->state().offscreen);
        QCOMPARE(widget<QPushButton>(u"optOK"_s)->focusPolicy(), Qt::NoFocus);
        ok->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTest::qWait(20);
        QCOMPARE(form->log.size(), 2);
        QCOMPARE(QAccessible::queryAccessibleInterface(widget<QLabel>(u"LblEsito"_s))->text(QAccessible::Description),
                 u"scelto"_s);
    }

    void keyboardModeLetsKeysPressWhatTheyAreBoundTo()
    {
        auto* other = widget<QPushButton>(u"Option1_1"_s);
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QTest::keyClick(other, Qt::Key_0);
        QVERIFY(form->log.isEmpty());  // not in keyboard mode
        host->setKeyboardMode(true);
        QTest::keyClick(other, Qt::Key_Shift);  // a modifier is no blank
        QVERIFY(form->log.isEmpty());
        QTest::keyClick(other, Qt::Key_0);
        QCOMPARE(form->log, QStringList({u"down0"_s, u"up0"_s}));
        QTest::keyClick(other, Qt::Key_Space);  // the focused button
        QCOMPARE(form->log, QStringList({u"down0"_s, u"up0"_s, u"down1"_s, u"up1"_s}));
    }

    // Tab reaches a label that acts on a click, framed around it, and last
    // the window, whose background acts on a click too; Space clicks them.
    void inKeyboardModeTabReachesWhatActsOnAClick()
    {
        QCOMPARE(widget<QLabel>(u"LblEsito"_s)->focusPolicy(), Qt::NoFocus);  // without the mode
        QVERIFY(!view->findChild<QWidget*>(u"frmSample_background"_s));
        host = std::make_unique<ui::QtWindowHost>([](const QString&) { return std::make_unique<Sample>(); });
        host->setKeyboardMode(true);
        host->route([this] { host->show(u"frmSample"_s); });
        form = static_cast<Sample*>(host->find(u"frmSample"_s));
        view = host->viewOf(*form);
        QVERIFY(QTest::qWaitForWindowExposed(view));

        auto* label = widget<QLabel>(u"LblEsito"_s);
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY(!label->hasFocus());  // a click moves no focus, as before
        auto* avanti = widget<QPushButton>(u"cmdAvanti"_s);
        avanti->setFocus();
        QTRY_VERIFY(avanti->hasFocus());
        QTest::keyClick(avanti, Qt::Key_Tab);
        QTRY_VERIFY(label->hasFocus());
        QCOMPARE(form->focused(), &form->c(u"LblEsito"_s));
        auto* ring = widget<QWidget>(u"LblEsito_focus"_s);
        QVERIFY(ring->isVisible());
        QCOMPARE(ring->geometry(), label->geometry().adjusted(-4, -4, 4, 4));
        QTest::keyClick(label, Qt::Key_Space);
        QCOMPARE(form->log, QStringList({u"label"_s, u"label"_s}));

        const QPoint edge(2, view->client()->height() / 2);
        QVERIFY(view->client()->grab().toImage().pixelColor(edge) != QColor(Qt::black));
        QTest::keyClick(label, Qt::Key_Tab);
        QTest::keyClick(widget<QLineEdit>(u"txtNome"_s), Qt::Key_Tab);
        auto* background = widget<QWidget>(u"frmSample_background"_s);
        QTRY_VERIFY(background->hasFocus());
        QTRY_VERIFY(form->backgroundFocused());
        QVERIFY(!ring->isVisible());
        QCOMPARE(view->client()->grab().toImage().pixelColor(edge), QColor(Qt::black));
        QTest::keyClick(background, Qt::Key_Space);
        QCOMPARE(form->log, QStringList({u"label"_s, u"label"_s, u"form"_s}));
    }

    void theCloseBoxUnloadsTheWindow()
    {
        view->close();
        QVERIFY(!host->isLoaded(u"frmSample"_s));
        QVERIFY(!view->isVisible());
    }
};

QTEST_MAIN(FormViewTest)
#include "FormViewTest.moc"
