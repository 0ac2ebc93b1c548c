// Printing the worksheet: a name line and the title, the sixty lines last
// shown on screen, and the title again at the foot of the page.

#include "platform/PrintReport.h"
#include "platform/Printer.h"
#include "worksheets/SheetTables.h"
#include "worksheets/WorksheetWindow.h"

namespace worksheets {

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCourier = u"Courier"_s;
const QString kFontsFailed = u"La stampante non ha dato l'elenco dei font."_s;
const QString kHeaderFailed = u"Errore durante la stampa dell'intestazione."_s;
const QString kSheetFailed = u"Errore durante la stampa della scheda."_s;

constexpr int kHeaderX = 1000;
constexpr int kNameY = 1000, kTitleY = 1500;
constexpr double kNamePt = 14, kTitlePt = 12;
constexpr double kPupilBodyPt = 12, kTeacherBodyPt = 10;
constexpr int kFooterX = 1000, kFooterY = 15100;
constexpr double kFooterPt = 8;

}  // namespace

void WorksheetWindow::printSheet()
{
    platform::Dialogs& dialogs = m_services.dialogs;
    const auto printer = platform::openPrintJob(m_services.printers, u"schede"_s, dialogs);
    if (!printer)
        return;

    // A printer error at any step, the header's included, is reported in a
    // message box; the window and its sheet stay as they are.
    platform::PrintResult result{false, {}, kFontsFailed};
    try {
        const QString font = platform::findCourier(*printer);
        if (font.isEmpty()) {
            dialogs.message(platform::kMissingCourierMessage);
            return;
        }
        printer->setFontName(font);

        result.error = kHeaderFailed;
        printSheetHeader(*printer);

        result.error = kSheetFailed;
        // The body shows what was last on screen, pupil or teacher version;
        // the button pressed only chooses the size.
        printer->setFontSize(m_state.sheetPrintMode == 1 ? kPupilBodyPt : kTeacherBodyPt);
        forEachSlot(kSheetSlots, [&] {
            const int s = m_state.slotIndex - 1;
            const PrintedBlock& block = kPrintedBlocks[std::size_t(s / kSlotsPerBlock)];
            printer->setCurrentX(block.x);
            printer->setCurrentY(block.top + kPrintedRowPitch * (s % kSlotsPerBlock));
            printer->printLine(m_state.doneOperations[std::size_t(m_state.slotIndex)]);
        });

        printer->setFontSize(kFooterPt);
        printer->setCurrentX(kFooterX);
        printer->setCurrentY(kFooterY);
        printer->printLine(m_state.objectiveText);
        result = printer->endDocument();
    } catch (...) {
        // result.error names the step that failed.
    }
    platform::reportPrintResult(dialogs, result);
}

// The header sets "Courier" whichever of the two fonts the check found, and
// the body and footer keep it.
void WorksheetWindow::printSheetHeader(platform::Printer& printer)
{
    printer.setFontName(kCourier);
    printer.setCurrentX(kHeaderX);
    printer.setCurrentY(kNameY);
    printer.setFontSize(kNamePt);
    // The pupil writes the name by hand after it.
    printer.printLine(u"Cognome e nome: "_s);
    printer.setCurrentX(kHeaderX);
    printer.setCurrentY(kTitleY);
    printer.setFontSize(kTitlePt);
    printer.printLine(m_state.objectiveText);
}

}  // namespace worksheets
