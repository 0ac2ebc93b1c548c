// Printing the worksheet: a name line and the title, the sixty lines last
// shown on screen, and the title again at the foot of the page; or as many
// different sheets, or their keys, one a page, numbered. Once pupil sheets
// are printed, the teacher's print gives their keys.

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

// Hours and minutes of the clock, as "10:41".
QString clockTime(platform::Clock& clock)
{
    const int minutes = std::clamp(int(clock.secondsSinceMidnight() / 60), 0, 24 * 60 - 1);
    return u"%1:%2"_s.arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

// Keeps a message instead of showing it, to show it with another.
struct MessageText final : platform::Dialogs {
    QString text;
    void message(const QString& t) override { text = t; }
};

}  // namespace

void WorksheetWindow::printSheet()
{
    const bool pupils = m_state.sheetPrintMode == 1;
    // Once pupil sheets are out, the teacher's print answers them, whatever
    // has been shown or chosen since.
    if (!pupils && m_pupilJob) {
        printKeys(*m_pupilJob);
        return;
    }
    // One sheet is what was last shown, pupil or teacher version alike; the
    // button pressed only chooses the size.
    if (m_sheetCount <= 1) {
        SheetLines shown;
        for (int s = 1; s <= kSheetSlots; ++s) shown[std::size_t(s - 1)] = m_state.doneOperations[std::size_t(s)];
        // A page that is no version of the sheet a view put there (printed
        // before any view, or lines another window wrote) has no known key:
        // the journal files it under the stored sheet, the version of its
        // button being the page.
        const bool known = m_onScreen && (shown == m_onScreen->pupil || shown == m_onScreen->teacher);
        Worksheet sheet = known ? *m_onScreen : storedSheet();
        if (shown != sheet.pupil && shown != sheet.teacher) (pupils ? sheet.pupil : sheet.teacher) = shown;
        SheetJob job = jobOfChoices({sheet});
        if (!printSheets({shown}, job.title)) return;
        journalPrinted(job);
        if (pupils) {
            if (known) {
                job.printedAt = clockTime(m_services.clock);
                m_pupilJob = std::move(job);
            } else {
                m_pupilJob.reset();
            }
            showSheetCounts();
        }
        return;
    }
    // More are the sheets of the batch, or their keys, in the same order.
    const std::vector<Worksheet>& batch = batchOf(m_sheetCount);
    SheetJob job = jobOfChoices({batch.begin(), batch.begin() + m_sheetCount});
    std::vector<SheetLines> pages;
    for (const Worksheet& sheet : job.sheets) pages.push_back(pupils ? sheet.pupil : sheet.teacher);
    if (!printSheets(pages, job.title)) return;
    journalPrinted(job);
    if (pupils) {
        job.printedAt = clockTime(m_services.clock);
        m_pupilJob = std::move(job);
        showSheetCounts();
    }
}

void WorksheetWindow::printKeys(const SheetJob& pupilJob)
{
    std::vector<SheetLines> pages;
    for (const Worksheet& sheet : pupilJob.sheets) pages.push_back(sheet.teacher);
    const QString note =
        pupilJob.sheets.size() == 1
            ? u"Soluzioni della scheda stampata alle "_s + pupilJob.printedAt
            : u"Soluzioni delle %1 schede stampate alle %2"_s.arg(pupilJob.sheets.size()).arg(pupilJob.printedAt);
    if (printSheets(pages, pupilJob.title, note)) journalPrinted(pupilJob);
}

SheetJob WorksheetWindow::jobOfChoices(std::vector<Worksheet> sheets) const
{
    SheetJob job;
    job.sheets = std::move(sheets);
    job.title = m_state.objectiveText;
    job.operation = int(m_generator.operation());
    job.objective = m_objective + 1;
    job.level = m_state.worksheetLevel;
    job.levelText = m_state.levelText;
    return job;
}

void WorksheetWindow::journalPrinted(const SheetJob& job)
{
    if (!m_services.journal) return;
    const auto lines = [](const SheetLines& sheet) { return QStringList(sheet.begin(), sheet.end()); };
    std::vector<platform::SheetPrinted> printed;
    for (const Worksheet& sheet : job.sheets)
        printed.push_back({m_state.sheetPrintMode == 1 ? u"alunni"_s : u"docenti"_s, job.operation, job.objective,
                           job.title, job.level, job.levelText, lines(sheet.pupil), lines(sheet.teacher)});
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

bool WorksheetWindow::printSheets(const std::vector<SheetLines>& pages, const QString& title, const QString& note)
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
            printSheetHeader(*printer, title);
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
            printer->printLine(title);
        }
        result = printer->endDocument();
    } catch (...) {
        // result.error names the step that failed.
    }
    if (result.ok && !note.isEmpty()) {
        // One box: the note, then where the file went, if it went to one.
        MessageText printerSays;
        platform::reportPrintResult(printerSays, result);
        dialogs.message(printerSays.text.isEmpty() ? note : note % u"\n\n" % printerSays.text);
    } else {
        platform::reportPrintResult(dialogs, result);
    }
    return result.ok;
}

// The header sets "Courier" whichever of the two fonts the check found, and
// the body and footer keep it.
void WorksheetWindow::printSheetHeader(platform::Printer& printer, const QString& title)
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
    printer.printLine(title);
}

}  // namespace worksheets
