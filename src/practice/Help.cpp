// Help after a wrong answer, the intervention after three refusals, and the
// red crosses over a wrong answer.

#include "practice/PracticeWindow.h"

#include "practice/Record.h"

namespace practice {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRefusalsBeforeIntervention = 3;

}  // namespace

void PracticeWindow::NoNo()
{
    c(u"LblEsito").setCaption(QString());
    ++m_state.helpRefusals;
    if (m_state.helpRefusals >= kRefusalsBeforeIntervention) {
        // The crossed-out answer stays on screen behind the notice.
        disablePanels();
        forms::Control& intervento = c(u"fraIntervento");
        intervento.setEnabled(true);
        bringToFront(intervento);
        forms::Control& ok = c(u"optOK");
        ok.setSelected(false);
        // Enter acknowledges too, so "OK" takes the keyboard.
        setFocus(ok);
        m_state.helpRefusals = 0;
        m_journal.interventionShown();
        return;
    }

    hideCorrectionMarks();
    c(u"lblRisultato1").setCaption(u"?"_s);
    c(u"lblSegno2").setCaption(u"?"_s);
    m_state.typedAnswer.clear();
    disablePanels();
    if (model::isNumberVariant(m_state.variantCode)) {
        forms::Control& keypad = c(u"fraTastierino");
        keypad.setEnabled(true);
        bringToFront(keypad);
        openNumberEntry();
        c(u"Option1", 0).setSelected(false);
    } else {
        forms::Control& keypad = c(u"fraTastierinoRidotto");
        keypad.setEnabled(true);
        bringToFront(keypad);
        c(u"Option5", 0).setSelected(false);
        openSignEntry();
    }
}

void PracticeWindow::sisi()
{
    // The operation's time runs up to this moment, as for a right answer.
    recordTimes();
    appendHelpClosing(m_state);
    m_journal.helpClosed();
    c(u"lblCorrezione").setCaption(m_state.expectedAnswer);
    c(u"lblCorrezioneS").setCaption(m_state.expectedAnswer);
    describeOperation();
    c(u"LblEsito").setCaption(QString());
    disablePanels();
    if (model::isNumberVariant(m_state.variantCode)) {
        forms::Control& keypad = c(u"fraTastierino");
        keypad.setEnabled(true);
        bringToFront(keypad);
        closeNumberEntry();
        c(u"Option1", 0).setSelected(false);
    } else {
        forms::Control& keypad = c(u"fraTastierinoRidotto");
        keypad.setEnabled(true);
        bringToFront(keypad);
        closeSignEntry();
        c(u"Option5", 0).setSelected(false);
    }
}

void PracticeWindow::placeCorrectionMarks()
{
    const auto strike = [](const forms::Control& box, forms::Control& down, forms::Control& up) {
        const int l = box.left(), t = box.top(), w = box.width(), h = box.height();
        down.setLine(l, t, l + w, t + h);
        up.setLine(l, t + h, l + w, t);
    };
    strike(c(u"lblLinee"), c(u"Line3"), c(u"Line4"));
    strike(c(u"lblLineeS"), c(u"Line1"), c(u"Line2"));
}

void PracticeWindow::Option3_MouseDown(int index)
{
    if (index == 0)
        NoNo();
    else if (index == 1)
        sisi();
}

void PracticeWindow::Option3_MouseUp(int index)
{
    if (forms::Control* button = find(u"Option3", index)) button->setSelected(false);
}

void PracticeWindow::optOK_Click()
{
    sisi();
    checkProgress();
}

void PracticeWindow::optOK_KeyDown(int& keyCode)
{
    if (keyCode == forms::kKeyEnter)
        optOK_Click();
    else
        keyCode = 0;  // no other key acts on "OK"
}

}  // namespace practice
