// The two keypads and the judging of an answer.

#include "practice/PracticeWindow.h"

#include "practice/Record.h"

namespace practice {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kCancella = 10;
constexpr int kVerifica = 11;
constexpr int kAvanti = 12;
constexpr int kEsci = 13;

constexpr int kSignVerifica = 3;
constexpr int kSignAvanti = 4;
constexpr int kSignEsci = 5;

}  // namespace

void PracticeWindow::openNumberEntry()
{
    for (int i = 0; i <= 9; ++i) c(u"Option1", i).setEnabled(true);
    for (int i = kCancella; i <= kEsci; ++i) c(u"Option1", i).setEnabled(false);
    c(u"Option1", 0).setSelected(false);
}

void PracticeWindow::closeNumberEntry()
{
    for (int i = 0; i <= kVerifica; ++i) c(u"Option1", i).setEnabled(false);
    c(u"Option1", kAvanti).setEnabled(true);
    c(u"Option1", kAvanti).setSelected(false);
    c(u"Option1", kEsci).setEnabled(true);
}

void PracticeWindow::openSignEntry()
{
    c(u"fraTastierinoRidotto").setEnabled(true);
    for (int i = 0; i <= 2; ++i) c(u"Option5", i).setEnabled(true);
    for (int i = kSignVerifica; i <= kSignEsci; ++i) c(u"Option5", i).setEnabled(false);
    c(u"Option5", 0).setSelected(false);
}

void PracticeWindow::closeSignEntry()
{
    for (int i = 0; i <= kSignVerifica; ++i) c(u"Option5", i).setEnabled(false);
    c(u"Option5", kSignAvanti).setEnabled(true);
    c(u"Option5", kSignEsci).setEnabled(true);
    c(u"Option5", kSignAvanti).setSelected(false);
}

void PracticeWindow::raiseAnswerPanels()
{
    if (model::isNumberVariant(m_state.variantCode)) {
        c(u"fraTastierino").setEnabled(true);
        bringToFront(c(u"fraNumero"));
        bringToFront(c(u"fraTastierino"));
        closeNumberEntry();
    } else if (model::isSignVariant(m_state.variantCode)) {
        c(u"fraTastierinoRidotto").setEnabled(true);
        bringToFront(c(u"fraSegno"));
        bringToFront(c(u"fraTastierinoRidotto"));
        closeSignEntry();
    }
}

void PracticeWindow::checkAnswer()
{
    // Texts, not numbers: "07" is not "7". The presenters may keep a leading
    // space on the expected answer, which never decides.
    const bool right = m_state.expectedAnswer.trimmed() == m_state.typedAnswer.trimmed();
    if (right) {
        c(u"LblEsito").setCaption(u"Esatto"_s);
        ++m_state.rightAnswers;
        c(u"lblRisEsatte").setCaption(model::decimal(m_state.rightAnswers));
        answerMark = u"  "_s;
        model::padOperationTexts(m_state);
        recordTimes();
        appendRightClosing(m_state, answerMark);
        m_journal.rightAnswer();
        disablePanels();
        raiseAnswerPanels();
        checkProgress();
        return;
    }

    c(u"LblEsito").setCaption(u"Errato"_s);
    // Both crosses: only the one in the panel in front is seen.
    for (const char16_t* name : {u"Line3", u"Line4", u"Line1", u"Line2"}) c(name).setVisible(true);
    answerMark = u"* "_s;
    ++m_state.wrongAnswers;
    c(u"lblRisErrate").setCaption(model::decimal(m_state.wrongAnswers));
    model::padOperationTexts(m_state);
    appendWrongAttempt(m_state, answerMark);
    m_journal.wrongAnswer();
    // The clock of the operation keeps running while help is offered.
    disablePanels();
    forms::Control& aiuto = c(u"fraAiuto");
    aiuto.setEnabled(true);
    bringToFront(aiuto);
    c(u"Option3", 0).setSelected(false);
}

void PracticeWindow::leaveWindow()
{
    m_services.host.unload(name());
}

void PracticeWindow::Option1_MouseDown(int index)
{
    if (index >= 0 && index <= 9) {
        // A digit beyond the most the answer may have is ignored.
        if (m_state.typedAnswer.size() < m_state.maxAnswerDigits) {
            m_state.typedAnswer += c(u"Option1", index).caption();
            c(u"lblRisultato1").setCaption(m_state.typedAnswer);
        }
        return;
    }
    switch (index) {
        case kCancella:
            if (!m_state.typedAnswer.isEmpty()) m_state.typedAnswer.chop(1);
            c(u"lblRisultato1").setCaption(m_state.typedAnswer.isEmpty() ? u"?"_s : m_state.typedAnswer);
            break;
        case kVerifica: checkAnswer(); break;
        case kAvanti: nextOperation(); break;
        case kEsci: leaveWindow(); break;
        default: break;
    }
}

void PracticeWindow::Option1_MouseUp(int index)
{
    if (forms::Control* button = find(u"Option1", index)) button->setSelected(false);
}

void PracticeWindow::Option5_MouseDown(int index)
{
    switch (index) {
        case 0:
        case 1:
        case 2:
            // A later sign replaces the earlier one.
            m_state.typedAnswer = c(u"Option5", index).caption();
            c(u"lblSegno2").setCaption(m_state.typedAnswer);
            break;
        case kSignVerifica: checkAnswer(); break;
        case kSignAvanti: nextOperation(); break;
        case kSignEsci: leaveWindow(); break;
        default: break;
    }
}

void PracticeWindow::Option5_MouseUp(int index)
{
    if (forms::Control* button = find(u"Option5", index)) button->setSelected(false);
}

void PracticeWindow::lblRisultato1_Change()
{
    const bool answered = c(u"lblRisultato1").caption() != u"?";
    c(u"Option1", kVerifica).setEnabled(answered);
    c(u"Option1", kCancella).setEnabled(answered);
    c(u"Option1", kCancella).setSelected(false);
    describeOperation();
}

void PracticeWindow::lblSegno2_Change()
{
    // Back to "?" changes nothing here: the entry states disable "Verifica".
    if (c(u"lblSegno2").caption() != u"?") c(u"Option5", kSignVerifica).setEnabled(true);
    describeOperation();
}

}  // namespace practice
