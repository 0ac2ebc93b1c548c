#pragma once

#include "app/Services.h"
#include "app/WindowNames.h"
#include "forms/Form.h"
#include "layout/Layout.h"
#include "worksheets/SheetGenerator.h"
#include "worksheets/SheetTables.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace platform {
class Printer;
}

namespace worksheets {

using windows::kWorksheetWindow;

// The sixty lines of one sheet as printed, slot s at index s - 1.
using SheetLines = std::array<QString, kSheetSlots>;

// One sheet in both versions.
struct Worksheet {
    SheetLines pupil;
    SheetLines teacher;
};

// The sheets of one print job and what the job was printed under: the title
// on its pages and what the journal files it by.
struct SheetJob {
    std::vector<Worksheet> sheets;
    QString title;
    int operation = 1;
    int objective = 0;  // 1..6, 0 before one is chosen
    model::int16 level = 0;
    QString levelText;
    QString printedAt;  // "10:41"
};

// FrmStampaSchede: the teacher prepares a sheet of sixty operations of one
// kind at one objective and one level, looks at it in the pupil version
// (unknowns as dots) or the teacher version (answers in brackets) and prints
// it, or prints up to forty different sheets and their keys at once; the
// keys printed always answer the pupil sheets printed last. The
// frames lead through the steps: objective, level, pupil sheet, teacher
// sheet; the operation may be chosen at any time.
class WorksheetWindow final : public forms::Form {
public:
    static constexpr int kDesignWidth = 18210;
    static constexpr int kDesignHeight = 7200;
    static constexpr int kMaxSheets = 40;

    static constexpr forms::Rgb kBackground = 0xFFFFC0;
    static constexpr forms::Rgb kMarker = 0xFFFFC0;      // marker strip of a button not chosen
    static constexpr forms::Rgb kChosen = 0xFF0000;      // chosen button text and marker
    static constexpr forms::Rgb kButtonText = 0x0000C0;  // dark blue

    explicit WorksheetWindow(Services& services);

    const SheetGenerator& generator() const { return m_generator; }

    // --- window methods --------------------------------------------------
    void fillSlot() { m_generator.fillSlot(); }
    void resetObjectiveButtons();
    void resetLevelButtons();
    void resetOperationButtons();
    void printSheet();
    void printSheetHeader(platform::Printer& printer, const QString& title);

    // How many different sheets a print button prints: 1..kMaxSheets.
    int sheetCount() const { return m_sheetCount; }

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;

private:
    void buildDesign();
    void connectHandlers();
    void clearLines();
    // Runs `body` for slotIndex = 1 to `last`; slotIndex ends at last + 1.
    template <typename Body>
    void forEachSlot(int last, Body body)
    {
        for (m_state.slotIndex = 1; m_state.slotIndex <= last; ++m_state.slotIndex) body();
    }

    // Every print job of the window is made here, one page a sheet, in
    // order: a single page (the lines last shown) as it always was, more
    // numbered (sheets 1..N of m_batch, pupil or teacher version, or the
    // keys of the last pupil job). `note`, when given, is told after a job
    // that went well. Whether the job was printed (or saved).
    bool printSheets(const std::vector<SheetLines>& pages, const QString& title, const QString& note = {});
    // The keys of the last pupil job, whatever the window shows now.
    void printKeys(const SheetJob& pupilJob);
    // A job of the sheets in the choices now in force.
    SheetJob jobOfChoices(std::vector<Worksheet> sheets) const;
    // Hands the sheets of a printed job to the results journal.
    void journalPrinted(const SheetJob& job);
    // Sheets 1..count of the current batch, drawn as far as they are missing.
    const std::vector<Worksheet>& batchOf(int count);
    Worksheet storedSheet() const;
    // What shows the title: the objective's title, then the level, as far
    // as they have been chosen in this window.
    void showTitle();
    void setSheetCount(int count);
    void showSheetCounts();
    void showPrinting(int frame, bool visible);

    void Option1_MouseDown(int index);
    void Option2_MouseDown(int index);
    void Option3_MouseDown(int index);
    void releaseOption(const QString& name, int index);
    void lblCambiaObSchede_Click();
    void CmdSchedaAlunni_GotFocus();
    void CmdSchedaDocenti_GotFocus();
    void CmdSchedaAlunni_Click();
    void CmdSchedaDocenti_Click();
    void CmdRicomincia_Click();
    void CmdStampaAlunni_Click();
    void CmdStampaDocenti_Click();
    void txtNumeroSchede_Change(int index);
    void txtNumeroSchede_LostFocus(int index);
    void Command1_Click();

    Services m_services;
    model::AppState& m_state;
    SheetGenerator m_generator;
    std::vector<layout::ControlLayout> m_layout;
    int m_operation = 0;   // Option3 index
    int m_objective = -1;  // Option1 index chosen in this window
    bool m_levelChosen = false;
    int m_sheetCount = 1;
    // The sheets of the last print job of more than one sheet, the first
    // being the stored one, so that the keys answer the sheets printed.
    // Emptied whenever the sheet would be drawn otherwise.
    std::vector<Worksheet> m_batch;
    // The sheet whose pupil or teacher version the screen and doneOperations
    // hold, since a view put it there.
    std::optional<Worksheet> m_onScreen;
    // The last pupil job whose answers are known: the sheets the class
    // holds, which the teacher's print answers from then on.
    std::optional<SheetJob> m_pupilJob;
};

}  // namespace worksheets
