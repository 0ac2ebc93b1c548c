// Printing the worksheet: a name line and the title, the sixty lines last
// shown on screen, and the title again at the foot of the page; or as many
// different sheets, or their keys, one a page, numbered.

#include "platform/PrintReport.h"
#include "platform/Printer.h"
#include "worksheets/SheetTables.h"
#include "worksheets/WorksheetWindow.h"

#include <algorithm>

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
// "Scheda 3 di 25", right of the name line, clear of where the name is written.
constexpr int kNumberX = 8000, kNumberY = 1000;
constexpr double kNumberPt = 12;
// Sheets are drawn independently; one that repeats an earlier one of the job
// is drawn again, a few times at most (a rigged source may repeat forever).
constexpr int kRedraws = 20;

}  // namespace

void WorksheetWindow::printSheet()
{
    // One sheet is what was last shown, pupil or teacher version alike; the
    // button pressed only chooses the size.
    if (m_sheetCount <= 1) {
        SheetLines shown;
        for (int s = 1; s <= kSheetSlots; ++s) shown[std::size_t(s - 1)] = m_state.doneOperations[std::size_t(s)];
        if (printSheets({shown})) {
            // The journal keeps both versions; a page that is neither (printed
            // before any view) stands for the version of its button.
            Worksheet sheet = storedSheet();
            if (shown != sheet.pupil && shown != sheet.teacher)
                (m_state.sheetPrintMode == 1 ? sheet.pupil : sheet.teacher) = shown;
            journalPrinted({sheet});
        }
        return;
    }
    // More are the sheets of the batch, or their keys, in the same order.
    const std::vector<Worksheet>& sheets = batchOf(m_sheetCount);
    std::vector<SheetLines> pages;
    for (int i = 0; i < m_sheetCount; ++i)
        pages.push_back(m_state.sheetPrintMode == 1 ? sheets[std::size_t(i)].pupil : sheets[std::size_t(i)].teacher);
    if (printSheets(pages)) journalPrinted({sheets.begin(), sheets.begin() + m_sheetCount});
}

void WorksheetWindow::journalPrinted(const std::vector<Worksheet>& sheets)
{
    if (!m_services.journal) return;
    const auto lines = [](const SheetLines& sheet) { return QStringList(sheet.begin(), sheet.end()); };
    std::vector<platform::SheetPrinted> printed;
    for (const Worksheet& sheet : sheets)
        printed.push_back({m_state.sheetPrintMode == 1 ? u"alunni"_s : u"docenti"_s, int(m_generator.operation()),
                           m_objective + 1, m_state.objectiveText, m_state.worksheetLevel, m_state.levelText,
                           lines(sheet.pupil), lines(sheet.teacher)});
    m_services.journal->sheetsPrinted(printed);
}

Worksheet WorksheetWindow::storedSheet() const
{
    Worksheet sheet;
    for (int s = 1; s <= kSheetSlots; ++s) {
        sheet.pupil[std::size_t(s - 1)] = m_state.pupilLines[std::size_t(s)];
        sheet.teacher[std::size_t(s - 1)] = m_state.teacherLines[std::size_t(s)];
    }
    return sheet;
}

const std::vector<Worksheet>& WorksheetWindow::batchOf(int count)
{
    // The first sheet is the stored one, whose pupil and teacher versions
    // the window shows.
    if (m_batch.empty()) m_batch.push_back(storedSheet());
    auto repeats = [this](const Worksheet& sheet) {
        return std::any_of(m_batch.begin(), m_batch.end(),
                           [&](const Worksheet& earlier) { return earlier.pupil == sheet.pupil; });
    };
    while (int(m_batch.size()) < count) {
        Worksheet sheet;
        for (int attempt = 0; attempt <= kRedraws && (attempt == 0 || repeats(sheet)); ++attempt) {
            for (int s = 0; s < kSheetSlots; ++s) {
                SheetLine line;
                m_generator.drawLine(line);
                sheet.pupil[std::size_t(s)] = line.pupil;
                sheet.teacher[std::size_t(s)] = line.teacher;
            }
        }
        m_batch.push_back(std::move(sheet));
    }
    return m_batch;
}

bool WorksheetWindow::printSheets(const std::vector<SheetLines>& pages)
{
    platform::Dialogs& dialogs = m_services.dialogs;
    const auto printer = platform::openPrintJob(m_services.printers, u"schede"_s, dialogs);
    if (!printer)
        return false;

    // A printer error at any step, the header's included, is reported in a
    // message box; the window and its sheet stay as they are.
    platform::PrintResult result{false, {}, kFontsFailed};
    try {
        const QString font = platform::findCourier(*printer);
        if (font.isEmpty()) {
            dialogs.message(platform::kMissingCourierMessage);
            return false;
        }
        printer->setFontName(font);

        for (std::size_t page = 0; page < pages.size(); ++page) {
            if (page > 0) printer->newPage();
            result.error = kHeaderFailed;
            printSheetHeader(*printer);
            if (pages.size() > 1) {
                printer->setCurrentX(kNumberX);
                printer->setCurrentY(kNumberY);
                printer->setFontSize(kNumberPt);
                printer->printLine(u"Scheda " % QString::number(page + 1) % u" di " % QString::number(pages.size()));
            }

            result.error = kSheetFailed;
            printer->setFontSize(m_state.sheetPrintMode == 1 ? kPupilBodyPt : kTeacherBodyPt);
            forEachSlot(kSheetSlots, [&] {
                const int s = m_state.slotIndex - 1;
                const PrintedBlock& block = kPrintedBlocks[std::size_t(s / kSlotsPerBlock)];
                printer->setCurrentX(block.x);
                printer->setCurrentY(block.top + kPrintedRowPitch * (s % kSlotsPerBlock));
                printer->printLine(pages[page][std::size_t(s)]);
            });

            printer->setFontSize(kFooterPt);
            printer->setCurrentX(kFooterX);
            printer->setCurrentY(kFooterY);
            printer->printLine(m_state.objectiveText);
        }
        result = printer->endDocument();
    } catch (...) {
        // result.error names the step that failed.
    }
    platform::reportPrintResult(dialogs, result);
    return result.ok;
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
