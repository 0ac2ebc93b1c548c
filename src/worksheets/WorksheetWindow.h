#pragma once

#include "app/Services.h"
#include "app/WindowNames.h"
#include "forms/Form.h"
#include "layout/Layout.h"
#include "worksheets/SheetGenerator.h"

#include <QString>

#include <vector>

namespace platform {
class Printer;
}

namespace worksheets {

using windows::kWorksheetWindow;

// FrmStampaSchede: the teacher prepares a sheet of sixty additions at one
// objective and one level, looks at it in the pupil version (unknowns as
// dots) or the teacher version (answers in brackets) and prints it. The
// frames lead through the steps: objective, level, pupil sheet, teacher
// sheet.
class WorksheetWindow final : public forms::Form {
public:
    static constexpr int kDesignWidth = 16980;
    static constexpr int kDesignHeight = 5880;

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
    void printSheet();
    void printSheetHeader(platform::Printer& printer);

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

    void Option1_MouseDown(int index);
    void Option2_MouseDown(int index);
    void releaseOption(const QString& name, int index);
    void lblCambiaObSchede_Click();
    void CmdSchedaAlunni_GotFocus();
    void CmdSchedaDocenti_GotFocus();
    void CmdSchedaAlunni_Click();
    void CmdSchedaDocenti_Click();
    void CmdRicomincia_Click();
    void CmdStampaAlunni_Click();
    void CmdStampaDocenti_Click();
    void Command1_Click();

    Services m_services;
    model::AppState& m_state;
    SheetGenerator m_generator;
    std::vector<layout::ControlLayout> m_layout;
};

}  // namespace worksheets
