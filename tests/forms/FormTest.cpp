#include "forms/Form.h"
#include "forms/WindowHost.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace forms;
using namespace Qt::Literals::StringLiterals;

namespace {

// A small window with a frame of option buttons, a label and a text box,
// whose handlers log what reaches them.
class Probe : public Form {
public:
    QStringList log;

    Probe() : Form(u"frmProbe"_s, 6000, 4000)
    {
        Control& frame = add(Kind::Frame, u"Frame1"_s).geometry(100, 100, 3000, 2000);
        for (int i = 0; i < 3; ++i)
            add(Kind::OptionButton, u"Option1"_s, i, &frame).caption(QString::number(i));
        add(Kind::Label, u"lblRis"_s).caption(u"?"_s);
        add(Kind::TextBox, u"txtNome"_s).maxLength(5);
        add(Kind::CommandButton, u"cmdA"_s);
        add(Kind::Timer, u"Timer1"_s).interval(5).enabled(false);

        on(u"Option1"_s, Event::MouseDown, [this](int i) {
            log << u"down%1"_s.arg(i);
            if (i == 2)
                c(u"Option1"_s, 2).setEnabled(false);  // a press that disables its own button
            if (i == 1)
                mouseDown(c(u"Option1"_s, 0));  // input arriving while a handler runs
        });
        on(u"Option1"_s, Event::MouseUp, [this](int i) {
            log << u"up%1"_s.arg(i);
            c(u"Option1"_s, i).setSelected(false);
        });
        on(u"lblRis"_s, Event::Change, [this](int) { log << u"change:"_s + c(u"lblRis"_s).caption(); });
        on(u"txtNome"_s, Event::Change, [this](int) { log << u"text:"_s + c(u"txtNome"_s).caption(); });
        on(u"cmdA"_s, Event::GotFocus, [this](int) { log << u"got:cmdA"_s; });
        on(u"cmdA"_s, Event::LostFocus, [this](int) { log << u"lost:cmdA"_s; });
        on(u"Option1"_s, Event::GotFocus, [this](int i) { log << u"got%1"_s.arg(i); });
        on(u"Timer1"_s, Event::Timer, [this](int) { log << u"tick"_s; });
        on(u"Option1"_s, Event::Click, [this](int i) { log << u"click%1"_s.arg(i); });
    }

    int resizes = 0;
    void Form_Resize() override { ++resizes; }
    void Form_Click() override { log << u"form"_s; }
};

}  // namespace

TEST(Form, CaptionChangeFiresOnlyWhenTheTextChanges)
{
    Probe f;
    Control& label = f.c(u"lblRis"_s);
    label.setCaption(u"?"_s);
    label.setCaption(u"12"_s);
    label.setCaption(u"12"_s);
    label.setCaption(u"?"_s);
    EXPECT_EQ(f.log, QStringList({u"change:12"_s, u"change:?"_s}));
}

TEST(Form, ControlsAreFoundByNameAndIndex)
{
    Probe f;
    EXPECT_EQ(f.c(u"Option1"_s, 2).objectName(), u"Option1_2"_s);
    EXPECT_EQ(f.c(u"lblRis"_s).objectName(), u"lblRis"_s);
    EXPECT_EQ(f.find(u"Option1"_s, 3), nullptr);
    EXPECT_THROW(f.c(u"nothing"_s), std::out_of_range);
}

TEST(Form, ADisabledOrHiddenContainerStopsInputToItsChildren)
{
    Probe f;
    Control& frame = f.c(u"Frame1"_s);
    Control& button = f.c(u"Option1"_s, 0);

    frame.setEnabled(false);
    f.press(button);
    frame.setEnabled(true);
    frame.setVisible(false);
    f.press(button);
    EXPECT_TRUE(f.log.isEmpty());

    frame.setVisible(true);
    f.press(button);
    EXPECT_EQ(f.log, QStringList({u"down0"_s, u"up0"_s}));
}

TEST(Form, AModalWindowAboveBlocksInput)
{
    Probe f;
    f.setInputBlocked(true);
    f.press(f.c(u"Option1"_s, 0));
    f.formClick();
    EXPECT_TRUE(f.log.isEmpty());
}

TEST(Form, OptionButtonIsChosenOnMouseDownAndReleasesItsSiblings)
{
    Probe f;
    f.c(u"Option1"_s, 1).setSelected(true);
    f.mouseDown(f.c(u"Option1"_s, 0));
    EXPECT_TRUE(f.c(u"Option1"_s, 0).selected());
    EXPECT_FALSE(f.c(u"Option1"_s, 1).selected());
    f.mouseUp(f.c(u"Option1"_s, 0));
    EXPECT_FALSE(f.c(u"Option1"_s, 0).selected());
}

TEST(Form, ReleaseReachesAButtonThatItsOwnPressDisabled)
{
    Probe f;
    f.press(f.c(u"Option1"_s, 2));
    EXPECT_EQ(f.log, QStringList({u"down2"_s, u"up2"_s}));
    EXPECT_FALSE(f.c(u"Option1"_s, 2).selected());
    // A release without a press on a disabled button is still ignored.
    f.mouseUp(f.c(u"Option1"_s, 2));
    EXPECT_EQ(f.log.size(), 2);
}

TEST(Form, InputDuringAHandlerWaitsForItToFinish)
{
    Probe f;
    f.mouseDown(f.c(u"Option1"_s, 1));
    EXPECT_EQ(f.log, QStringList({u"down1"_s, u"down0"_s}));
}

TEST(Form, FocusMovesFireLostThenGotAndSkipDisabledControls)
{
    Probe f;
    f.setFocus(f.c(u"cmdA"_s));
    f.setFocus(f.c(u"cmdA"_s));
    f.setFocus(f.c(u"Option1"_s, 1));
    EXPECT_EQ(f.log, QStringList({u"got:cmdA"_s, u"lost:cmdA"_s, u"got1"_s}));

    f.c(u"Frame1"_s).setEnabled(false);
    f.setFocus(f.c(u"Option1"_s, 0));
    EXPECT_EQ(f.focused(), &f.c(u"Option1"_s, 1));
    f.setFocus(f.c(u"lblRis"_s));  // labels take no focus
    EXPECT_EQ(f.focused(), &f.c(u"Option1"_s, 1));
}

// A text box keeps at most its maximum length, counted in characters: an
// emoji is one, and is never cut in half.
TEST(Form, TextBoxKeepsAtMostItsLengthInWholeCharacters)
{
    const QString smile = u"😀"_s;
    Probe f;
    Control& box = f.c(u"txtNome"_s);
    f.textEdited(box, u"Giovanni"_s);
    EXPECT_EQ(box.caption(), u"Giova"_s);
    EXPECT_EQ(f.log, QStringList({u"text:Giova"_s}));
    f.textEdited(box, smile.repeated(6));
    EXPECT_EQ(box.caption(), smile.repeated(5));
    f.textEdited(box, u"ab"_s + smile.repeated(4));
    EXPECT_EQ(box.caption(), u"ab"_s + smile.repeated(3));
    f.textEdited(box, u"x"_s.repeated(10000));
    EXPECT_EQ(box.caption(), u"xxxxx"_s);

    // A sixth character leaves the caption as it was, but the box must be
    // told to show it again.
    f.log.clear();
    const auto before = box.revision();
    f.textEdited(box, u"xxxxxy"_s);
    EXPECT_EQ(box.caption(), u"xxxxx"_s);
    EXPECT_GT(box.revision(), before);
    EXPECT_TRUE(f.log.isEmpty());
    // What is kept as typed moves nothing.
    const auto settled = box.revision();
    f.textEdited(box, u"xxxxx"_s);
    EXPECT_EQ(box.revision(), settled);
}

TEST(Form, TextBoxHoldsOneLineOfVisibleText)
{
    Probe f;
    Control& box = f.c(u"txtNome"_s);
    const std::pair<QString, QString> cases[] = {
        {u"a\tb\nc"_s, u"a b c"_s},                 // shown as blanks, kept as blanks
        {u"a\0b\r\u2028"_s, u"a b  "_s},
        {u"\u202Eab\u2066c\u202C"_s, u"abc"_s},     // direction overrides would leak
        {u"\u200Fشمس"_s, u"\u200Fشمس"_s},            // a plain direction mark stays
        {QString(QChar(0xD83D)) + u"ab"_s + QChar(0xDE00), u"ab"_s},  // broken pairs
    };
    for (const auto& [typed, kept] : cases) {
        f.textEdited(box, typed);
        EXPECT_EQ(box.caption(), kept);
    }
}

TEST(Form, TimerTicksOnlyWhileEnabled)
{
    Probe f;
    Control& timer = f.c(u"Timer1"_s);
    f.timerTick(timer);
    timer.setEnabled(true);
    f.timerTick(timer);
    EXPECT_EQ(f.log, QStringList({u"tick"_s}));
}

TEST(Form, ResizeFiresOnFirstSizeAndOnEveryChange)
{
    Probe f;
    f.setInnerSize(6000, 4000);
    f.setInnerSize(6000, 4000);
    f.setInnerSize(0, 0);
    f.setInnerSize(6000, 4000);
    EXPECT_EQ(f.resizes, 3);
}

TEST(Form, BringToFrontReordersOnlyTheContainersChildren)
{
    Probe f;
    Control& frame = f.c(u"Frame1"_s);
    f.bringToFront(f.c(u"Option1"_s, 0));
    const auto& inFrame = f.children(&frame);
    ASSERT_EQ(inFrame.size(), 3u);
    EXPECT_EQ(inFrame.back(), &f.c(u"Option1"_s, 0));
    EXPECT_EQ(inFrame.front(), &f.c(u"Option1"_s, 1));
    EXPECT_EQ(f.children(nullptr).front(), &frame);
}

TEST(Form, NothingReachesAnUnloadedWindow)
{
    Probe f;
    f.unload();
    f.press(f.c(u"Option1"_s, 0));
    f.formClick();
    f.setInnerSize(10, 10);
    EXPECT_TRUE(f.log.isEmpty());
    EXPECT_EQ(f.resizes, 0);
}

// --- what covers what, reading order, focus and keys -------------------------------

namespace {

// Two frames side by side, two buttons stacked in the left one, a label tied
// to a caption, and keys bound as a keypad binds them.
class Keypad : public Form {
public:
    QStringList log;

    Keypad() : Form(u"frmKeypad"_s, 8000, 4000)
    {
        Control& left = add(Kind::Frame, u"fraLeft"_s).geometry(100, 500, 3000, 2000);
        Control& right = add(Kind::Frame, u"fraRight"_s).geometry(3500, 400, 3000, 2000);
        add(Kind::OptionButton, u"Option1"_s, 1, &left).geometry(100, 100, 1000, 500);  // under 0
        add(Kind::OptionButton, u"Option1"_s, 0, &left).geometry(100, 100, 1000, 500);
        add(Kind::OptionButton, u"Option1"_s, 2, &left).geometry(100, 900, 1000, 500);
        add(Kind::Line, u"Line1"_s, &left).geometry(100, 900, 1000, 500);
        add(Kind::OptionButton, u"Option2"_s, 1, &right).geometry(1200, 100, 1000, 500);
        add(Kind::OptionButton, u"Option2"_s, 0, &right).geometry(100, 150, 1000, 500);
        add(Kind::TextBox, u"txtNome"_s, &right).geometry(100, 1000, 2000, 400);
        Control& caption = add(Kind::Label, u"Label5"_s).caption(u"Risposte esatte "_s).geometry(100, 3000, 2000, 300);
        add(Kind::Label, u"lblRisEsatte"_s).labelledBy(caption).geometry(100, 3300, 2000, 300);
        add(Kind::Picture, u"Picture1"_s).geometry(3400, 0, 4000, 4000).visible(false);  // a curtain

        for (const QString& name : {u"Option1"_s, u"Option2"_s}) {
            on(name, Event::MouseDown, [this, name](int i) {
                log << u"down:%1_%2"_s.arg(name).arg(i);
                if (name == u"Option2" && i == 0)
                    c(u"Option2"_s, 0).setEnabled(false);  // as "Verifica" disables itself
            });
            on(name, Event::MouseUp, [this, name](int i) { log << u"up:%1_%2"_s.arg(name).arg(i); });
            on(name, Event::Click, [this, name](int i) { log << u"click:%1_%2"_s.arg(name).arg(i); });
            on(name, Event::LostFocus, [this, name](int i) { log << u"lost:%1_%2"_s.arg(name).arg(i); });
        }
        bindKey('1', c(u"Option2"_s, 0));  // disabled after its first press...
        bindKey('1', c(u"Option2"_s, 1));  // ...then this one takes the key
        bindKey('2', c(u"Option1"_s, 1));  // covered: the key does nothing
        bindKey(kKeyEscape, c(u"Option1"_s, 2));
    }
};

QStringList names(const std::vector<Control*>& controls)
{
    QStringList out;
    for (const Control* c : controls)
        if (c->kind() != Kind::Label && c->kind() != Kind::Picture)
            out << c->objectName();
    return out;
}

}  // namespace

TEST(FormAccess, WhatCoversAControlIsWhatAClickOnItsMiddleWouldReach)
{
    Keypad f;
    EXPECT_TRUE(f.isCovered(f.c(u"Option1"_s, 1)));
    EXPECT_FALSE(f.isCovered(f.c(u"Option1"_s, 0)));
    EXPECT_FALSE(f.isCovered(f.c(u"Option1"_s, 2)));  // a line lets clicks through
    f.c(u"Option1"_s, 0).setVisible(false);
    EXPECT_FALSE(f.isCovered(f.c(u"Option1"_s, 1)));
    // A control in front of a frame covers what the frame holds.
    f.c(u"Picture1"_s).setVisible(true);
    EXPECT_TRUE(f.isCovered(f.c(u"Option2"_s, 0)));
    EXPECT_FALSE(f.isCovered(f.c(u"Option1"_s, 2)));
    EXPECT_FALSE(f.canFocus(f.c(u"Option2"_s, 0)));
    f.bringToFront(f.c(u"fraRight"_s));
    EXPECT_FALSE(f.isCovered(f.c(u"Option2"_s, 0)));
}

TEST(FormAccess, ReadingOrderGoesFrameByFrameLineByLine)
{
    Keypad f;
    // Right frame starts higher but a line runs as far down as its first
    // control: both frames stand on one line. Option2(0) starts lower than
    // Option2(1) but within its line, and stands left of it.
    EXPECT_EQ(names(f.readingOrder()),
              QStringList({u"fraLeft"_s, u"Option1_1"_s, u"Option1_0"_s, u"Option1_2"_s, u"fraRight"_s,
                           u"Option2_0"_s, u"Option2_1"_s, u"txtNome"_s}));
    EXPECT_EQ(f.c(u"lblRisEsatte"_s).spokenName(), u"Risposte esatte"_s);
    f.c(u"lblRisEsatte"_s).setCaption(u"7"_s);
    EXPECT_EQ(f.c(u"lblRisEsatte"_s).spokenName(), u"Risposte esatte: 7"_s);
    f.c(u"lblRisEsatte"_s).setAccessibleName(u"sette"_s);
    EXPECT_EQ(f.c(u"lblRisEsatte"_s).spokenName(), u"sette"_s);
}

TEST(FormAccess, SpacedOutCaptionsAreReadAsWordsAndATextBoxByItsCaption)
{
    struct Captions : Form {
        Captions() : Form(u"frmCaptions"_s, 4000, 4000)
        {
            const QStringList texts = {u"C h i u d i"_s, u"E S C I"_s, u"E S E R C I Z I   E S E G U I T I "_s,
                                       u"3 + 6 = ?"_s,   u"Sì"_s,      u"A"_s, u"x 1"_s, u"osa 1"_s};
            for (int i = 0; i < texts.size(); ++i)
                add(Kind::CommandButton, u"Command1"_s, i).caption(texts[i]);
            Control& prompt = add(Kind::Label, u"Label6"_s).caption(u"   IMMETTI   IL  TUO  NOME"_s);
            add(Kind::TextBox, u"txtNome"_s).caption(u"Mario"_s).labelledBy(prompt);
        }
    } f;
    QStringList spoken;
    for (int i = 0; i < 8; ++i)
        spoken << f.c(u"Command1"_s, i).spokenName();
    EXPECT_EQ(spoken, QStringList({u"Chiudi"_s, u"Esci"_s, u"Esercizi eseguiti"_s, u"3 + 6 = ?"_s, u"Sì"_s, u"A"_s,
                                   u"x 1"_s, u"osa 1"_s}));
    EXPECT_EQ(f.c(u"txtNome"_s).spokenName(), u"IMMETTI IL TUO NOME"_s);  // "Mario" is its value
}

TEST(FormAccess, FocusLeavesWhatAHandlerDisabledOrCoveredForTheNextInReadingOrder)
{
    Keypad f;
    f.setFocus(f.c(u"Option1"_s, 1));  // covered: refused
    EXPECT_EQ(f.focused(), nullptr);
    f.focusFirst();
    EXPECT_EQ(f.focused(), &f.c(u"Option1"_s, 0));

    // A button brought over the focused one takes the focus in its place.
    f.bringToFront(f.c(u"Option1"_s, 1));
    f.formClick();
    EXPECT_EQ(f.focused(), &f.c(u"Option1"_s, 1));

    f.setFocus(f.c(u"Option2"_s, 0));
    f.press(u"Option2"_s, 0);  // disables itself
    EXPECT_EQ(f.focused(), &f.c(u"Option2"_s, 1));
    EXPECT_TRUE(f.log.contains(u"lost:Option2_0"_s));

    // Covered by the curtain, with nothing left to take it: the focus goes.
    f.setFocus(f.c(u"Option2"_s, 1));
    f.c(u"txtNome"_s).setEnabled(false);
    f.c(u"Picture1"_s).setVisible(true);
    for (int i : {0, 1, 2}) f.c(u"Option1"_s, i).setEnabled(false);
    f.log.clear();
    f.formClick();  // any event: the focus settles after it
    EXPECT_EQ(f.focused(), nullptr);
    EXPECT_EQ(f.log, QStringList({u"lost:Option2_1"_s}));
}

TEST(FormAccess, KeysPressOnlyWhatAClickWouldReachNow)
{
    Keypad f;
    EXPECT_TRUE(f.typeKey('1'));
    EXPECT_EQ(f.log, QStringList({u"down:Option2_0"_s, u"up:Option2_0"_s}));  // disabled: no click
    f.log.clear();
    EXPECT_TRUE(f.typeKey('1'));  // the first is disabled now
    EXPECT_EQ(f.log, QStringList({u"down:Option2_1"_s, u"up:Option2_1"_s, u"click:Option2_1"_s}));
    f.log.clear();
    EXPECT_FALSE(f.typeKey('2'));  // bound to a covered button
    EXPECT_FALSE(f.typeKey('3'));  // bound to nothing
    f.mouseClick(f.c(u"Option1"_s, 1));
    EXPECT_TRUE(f.log.isEmpty());

    // Space and Enter press the focused option button; a text box keeps its keys.
    f.setFocus(f.c(u"Option1"_s, 0));
    EXPECT_TRUE(f.typeKey(kKeySpace));
    EXPECT_TRUE(f.typeKey(kKeyEnter));
    EXPECT_EQ(f.log.count(u"click:Option1_0"_s), 2);
    f.setFocus(f.c(u"txtNome"_s));
    EXPECT_FALSE(f.typeKey(kKeySpace));
    EXPECT_FALSE(f.typeKey('1'));
    EXPECT_TRUE(f.typeKey(kKeyEscape));
    EXPECT_TRUE(f.log.contains(u"click:Option1_2"_s));
    // A window that a modal one blocks takes no key.
    f.setInputBlocked(true);
    EXPECT_FALSE(f.typeKey(kKeyEscape));
}

namespace {

// A label and a picture that act on a click, read before the one button, and
// a background that acts on a click too.
class Clickable : public Form {
public:
    QStringList log;

    Clickable() : Form(u"frmClick"_s, 6000, 4000)
    {
        add(Kind::Label, u"lblCambia"_s).geometry(100, 100, 2000, 300);
        add(Kind::Picture, u"Picture1"_s).geometry(2200, 100, 2000, 300);
        add(Kind::Label, u"lblTesto"_s).geometry(100, 600, 2000, 300);  // no click handler
        add(Kind::OptionButton, u"Option1"_s, 0).geometry(100, 1000, 1000, 500);
        for (const QString& name : {u"lblCambia"_s, u"Picture1"_s, u"Option1"_s})
            on(name, Event::Click, [this, name](int) { log << name; });
        on(u"lblCambia"_s, Event::LostFocus, [this](int) { log << u"lost"_s; });
        setBackgroundClickable(true);
    }

    void Form_Click() override { log << u"form"_s; }
};

}  // namespace

TEST(FormAccess, InKeyboardModeWhatActsOnAClickTakesTheFocusAndItsKeys)
{
    WindowHost host(nullptr);
    Clickable f;
    f.setHost(&host);
    Control& label = f.c(u"lblCambia"_s);
    // Without the mode nothing but buttons takes the focus or a key.
    f.setFocus(label);
    f.focusBackground();
    EXPECT_EQ(f.focused(), nullptr);
    EXPECT_FALSE(f.backgroundFocused());
    EXPECT_FALSE(f.typeKey(kKeySpace));

    host.setKeyboardMode(true);
    EXPECT_TRUE(f.canFocus(f.c(u"Picture1"_s)));
    EXPECT_FALSE(f.canFocus(f.c(u"lblTesto"_s)));
    f.focusFirst();  // a button before the targets read ahead of it
    EXPECT_EQ(f.focused(), &f.c(u"Option1"_s, 0));
    f.setFocus(label);
    EXPECT_TRUE(f.typeKey(kKeySpace));
    EXPECT_TRUE(f.typeKey(kKeyEnter));
    EXPECT_FALSE(f.typeKey('x'));
    EXPECT_EQ(f.log, QStringList({u"lblCambia"_s, u"lblCambia"_s}));

    // A disabled target is no place for the focus, and its key does nothing.
    label.setEnabled(false);
    EXPECT_FALSE(f.canFocus(label));
    EXPECT_FALSE(f.typeKey(kKeySpace));
    label.setEnabled(true);

    f.log.clear();
    f.focusBackground();
    EXPECT_EQ(f.focused(), nullptr);
    EXPECT_TRUE(f.typeKey(kKeySpace));
    EXPECT_EQ(f.log, QStringList({u"lost"_s, u"form"_s}));
    f.setFocus(f.c(u"Picture1"_s));
    EXPECT_FALSE(f.backgroundFocused());
    f.setInputBlocked(true);  // under a modal window
    EXPECT_FALSE(f.typeKey(kKeySpace));
    EXPECT_EQ(f.log, QStringList({u"lost"_s, u"form"_s}));
}
