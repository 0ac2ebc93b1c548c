// FrmStampaEsercizio: what it shows, its buttons, the name entry and the
// printed list.

#include "certificate/ExercisesWindow.h"

#include "model/Spoken.h"

#include "certificate/Names.h"
#include "platform/PrintReport.h"

#include <algorithm>

namespace certificate {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr forms::Rgb kButtonBack = 0xFFE0C0;
constexpr forms::Rgb kButtonFocused = 0xFFC080;

// The first printer font named exactly "Courier" or "Courier New", or an
// empty text when there is neither.

}  // namespace

void ExercisesWindow::connectHandlers()
{
    using forms::Event;
    on(u"Option1"_s, Event::MouseDown, [this](int i) { Option1_MouseDown(i); });
    on(u"Option1"_s, Event::MouseUp, [this](int i) { Option1_MouseUp(i); });
    on(u"Option1"_s, Event::GotFocus, [this](int i) { Option1_GotFocus(i); });
    on(u"Option1"_s, Event::LostFocus, [this](int i) { Option1_LostFocus(i); });
    on(u"cmdAvanti"_s, Event::Click, [this](int) { cmdAvanti_Click(); });
    // Command8 "E S C I" of the name panel carries no action.
}

void ExercisesWindow::Form_Load()
{
    m_layout = layout::captureLayout(*this);

    // The record holds at most 20 lines; a larger count shows what fits.
    const int lines = std::clamp<int>(m_state.operationIndex, 0, kShownLines);
    for (int i = 1; i <= lines; ++i) {
        forms::Control& line = c(u"LblOp", i);
        line.setFontSize(kLinePointSize);
        line.setCaption(m_state.doneOperations[std::size_t(i)]);
        line.setAccessibleName(model::spokenRecordLine(line.caption()));  // dots and marks are for the eye
    }

    c(u"Label1").setCaption(u"Tempo per questo esercizio: " % m_state.exerciseSecondsText[1] % u" secondi");
    c(u"Label2").setCaption(u"Tempo per questo esercizio: " % m_state.exerciseSecondsText[2] % u" secondi");

    for (int i = 0; i < 4; ++i) c(u"Option1", i).setEnabled(true);
    // The name chosen in "Chi sei?"; the pupil may still type another.
    if (!m_state.pupilId.isEmpty()) c(u"txtNome").setCaption(m_state.pupilName);
    setFocus(c(u"Option1", 0));
}

void ExercisesWindow::Form_Resize()
{
    layout::applyLayout(*this, m_layout);
}

void ExercisesWindow::Form_Unload()
{
    m_services.host.show(kPracticeWindow);
}

void ExercisesWindow::Option1_MouseDown(int index)
{
    switch (index) {
        case 0: m_services.host.unload(name()); break;
        case 1: showNameEntry(); break;
        case 2:
            if (m_state.operationIndex >= kMinimumOperations)
                printExercises();
            else
                m_services.dialogs.message(kTooFewOperations);
            break;
        case 3: m_services.host.show(kCertificateWindow); break;
        default: break;
    }
}

void ExercisesWindow::Option1_MouseUp(int index)
{
    c(u"Option1", index).setSelected(false);
}

void ExercisesWindow::Option1_GotFocus(int index)
{
    forms::Control& button = c(u"Option1", index);
    button.setSelected(false);
    button.setBackColor(kButtonFocused);
}

void ExercisesWindow::Option1_LostFocus(int index)
{
    forms::Control& button = c(u"Option1", index);
    button.setSelected(false);
    button.setBackColor(kButtonBack);
}

// The panel is centred on the screen's size, as the pupil expects it in the
// middle, but it is a control of this window: it is kept inside the window's
// client area so that it can never end up out of reach.
void ExercisesWindow::showNameEntry()
{
    forms::Control& panel = c(u"fraNome");
    const int top = (m_services.host.screenHeight() - panel.height()) / 2;
    const int left = (m_services.host.screenWidth() - panel.width()) / 2;
    panel.setTop(std::clamp(top, 0, std::max(0, innerHeight() - panel.height())));
    panel.setLeft(std::clamp(left, 0, std::max(0, innerWidth() - panel.width())));
    panel.setVisible(true);
    setFocus(c(u"txtNome"));
}

void ExercisesWindow::cmdAvanti_Click()
{
    c(u"fraNome").setVisible(false);
    setFocus(c(u"Option1", 2));
    m_state.pupilName = c(u"txtNome").caption();
    // The run this list shows gets its pupil.
    if (m_services.journal && !m_state.journalRunId.isEmpty())
        m_services.journal->pupilNamed(m_state.journalRunId, m_state.pupilName);
}

void ExercisesWindow::printExercises()
{
    const auto printer = platform::openPrintJob(m_services.printers, u"esercizi"_s, m_services.dialogs);
    if (!printer)
        return;
    const QString font = platform::findCourier(*printer);
    if (font.isEmpty()) {
        m_services.dialogs.message(platform::kMissingCourierMessage);
        return;
    }
    printer->setFontName(font);

    printExercisesHeader(*printer);

    // The listing in bold: the one attribute switched on with the 12 pt.
    printer->setFontSize(12);
    printer->setFontBold(true);
    printer->setCurrentY(2000);
    const int lines = std::clamp<int>(m_state.operationIndex, 0, model::kRecordSlots - 1);
    for (int s = 1; s <= lines; ++s) {
        if (s == 1 || s == 11) {
            printer->printLine(QString());
            printer->setCurrentX(1000);
            printer->printLine(s == 1 ? u"Esercizio n.1"_s : u"Esercizio n.2"_s);
        }
        printer->setCurrentX(1000);
        printer->printLine(m_state.doneOperations[std::size_t(s)]);
    }

    printer->printLine(QString());
    printer->setCurrentX(1000);
    printer->setCurrentY(13000);
    printer->printLine(u"Eser. n.1: Tempo tot. " % m_state.exerciseSecondsText[1] % u" secondi");
    printer->printLine(QString());
    printer->setCurrentX(1000);
    printer->setCurrentY(13500);
    printer->printLine(u"Eser. n.2: Tempo tot. " % m_state.exerciseSecondsText[2] % u" secondi");

    platform::reportPrintResult(m_services.dialogs, printer->endDocument());
    c(u"Option1", 0).setEnabled(true);
}

void ExercisesWindow::printExercisesHeader(platform::Printer& printer)
{
    printer.setCurrentX(1000);
    printer.setCurrentY(1000);
    printer.setFontSize(16);
    printer.setFontBold(false);
    const QString date = u"    Data di stampa " % m_services.clock.shortDate();
    if (m_state.pupilName.isEmpty())
        printer.printLine(u"Nome '..................." % date);
    else
        printer.printLine(u"Nome " % m_state.pupilName % date);
}

}  // namespace certificate
