// FrmStampaSchede's behaviour: loading, the choice of objective and level,
// the objective-set switch, and the pupil and teacher sheets on screen.

#include "worksheets/WorksheetWindow.h"

#include "model/Tables.h"
#include "worksheets/SheetTables.h"

#include <algorithm>

namespace worksheets {

using namespace Qt::Literals::StringLiterals;
using forms::Event;

namespace {
using windows::kStartWindow;
}

WorksheetWindow::WorksheetWindow(Services& services)
    : Form(kWorksheetWindow, kDesignWidth, kDesignHeight),
      m_services(services),
      m_state(services.state),
      m_generator(services.state, services.random, services.clock)
{
    buildDesign();
    connectHandlers();
}

void WorksheetWindow::connectHandlers()
{
    on(u"Option1"_s, Event::MouseDown, [this](int i) { Option1_MouseDown(i); });
    on(u"Option1"_s, Event::MouseUp, [this](int i) { releaseOption(u"Option1"_s, i); });
    on(u"Option2"_s, Event::MouseDown, [this](int i) { Option2_MouseDown(i); });
    on(u"Option2"_s, Event::MouseUp, [this](int i) { releaseOption(u"Option2"_s, i); });
    on(u"lblCambiaObSchede"_s, Event::Click, [this](int) { lblCambiaObSchede_Click(); });
    on(u"CmdSchedaAlunni"_s, Event::GotFocus, [this](int) { CmdSchedaAlunni_GotFocus(); });
    on(u"CmdSchedaDocenti"_s, Event::GotFocus, [this](int) { CmdSchedaDocenti_GotFocus(); });
    on(u"CmdSchedaAlunni"_s, Event::Click, [this](int) { CmdSchedaAlunni_Click(); });
    on(u"CmdSchedaDocenti"_s, Event::Click, [this](int) { CmdSchedaDocenti_Click(); });
    on(u"CmdRicomincia"_s, Event::Click, [this](int) { CmdRicomincia_Click(); });
    on(u"CmdStampaAlunni"_s, Event::Click, [this](int) { CmdStampaAlunni_Click(); });
    on(u"CmdStampaDocenti"_s, Event::Click, [this](int) { CmdStampaDocenti_Click(); });
    on(u"Command1"_s, Event::Click, [this](int) { Command1_Click(); });
}

// --- window events -------------------------------------------------------------

void WorksheetWindow::Form_Load()
{
    m_layout = layout::captureLayout(*this);

    m_state.sheetObjectiveSet = 1;
    c(u"Label1").setCaption(m_state.objectiveText);
    m_state.sheetSize = kSheetSlots;
    m_state.sheetPrintMode = 0;
    for (int s = 1; s <= kSheetSlots; ++s) m_state.doneOperations[std::size_t(s)].clear();
    // Stored only; nothing is shown before a pupil sheet is asked for.
    forEachSlot(kSheetSlots, [this] { fillSlot(); });

    c(u"Frame3").setEnabled(false);
    c(u"Frame4").setEnabled(false);
    setCaption(u"ADDIZIONI.1"_s);
    setFocus(c(u"Option1", 0));
}

void WorksheetWindow::Form_Resize()
{
    layout::applyLayout(*this, m_layout);
}

void WorksheetWindow::Form_Unload()
{
    m_services.host.show(kStartWindow, forms::Modality::Modeless);
}

void WorksheetWindow::Command1_Click()
{
    m_services.host.unload(name());
}

// --- choices ---------------------------------------------------------------------

void WorksheetWindow::Option1_MouseDown(int index)
{
    if (index < 0 || index >= int(kSheetObjectives.size())) return;
    const SheetObjective& objective = kSheetObjectives[std::size_t(index)];

    resetObjectiveButtons();
    forms::Control& marker = c(u"Label9", index);
    bringToFront(marker);
    marker.setBackColor(kChosen);
    c(u"Option1", index).setForeColor(kChosen);

    m_state.objectiveText = objective.title.toString();
    m_state.variantLow = objective.variantLow;
    m_state.variantHigh = objective.variantHigh;
    c(u"Label1").setCaption(m_state.objectiveText);

    c(u"Frame2").setEnabled(true);
    c(u"Frame3").setEnabled(false);
    c(u"Frame4").setEnabled(false);

    // One fill where the last slot loop stopped (61 after any of them): no
    // line on screen or on paper changes.
    fillSlot();
}

void WorksheetWindow::Option2_MouseDown(int index)
{
    if (index < 0 || index >= int(kSheetLevels.size())) return;
    const SheetLevel& level = kSheetLevels[std::size_t(index)];

    resetLevelButtons();
    m_state.rangeMin = level.rangeMin;
    m_state.rangeMax = level.rangeMax;
    m_state.worksheetLevel = int16(index + 1);

    c(u"Frame3").setEnabled(true);
    setFocus(c(u"CmdSchedaAlunni"));

    m_state.levelText = model::levelTextFor(m_state.rangeMin, m_state.rangeMax);
    c(u"Label1").setCaption(m_state.objectiveText % u"   -   " % m_state.levelText);

    // A new sheet is drawn but not shown: the lines on screen stay.
    forEachSlot(std::clamp<int>(m_state.sheetSize, 0, model::kRecordSlots - 1), [this] { fillSlot(); });

    c(u"Label10", index).setBackColor(kChosen);
    c(u"Option2", index).setForeColor(kChosen);
}

// The buttons act on the press; on the release they must not stay chosen.
void WorksheetWindow::releaseOption(const QString& name, int index)
{
    if (forms::Control* button = find(name, index)) button->setSelected(false);
}

void WorksheetWindow::lblCambiaObSchede_Click()
{
    resetObjectiveButtons();
    resetLevelButtons();
    c(u"Frame2").setEnabled(false);
    c(u"Frame3").setEnabled(false);

    // Anything but 1 or 2 afterwards (a value never set) starts at set 1.
    int next = int(m_state.sheetObjectiveSet) + 1;
    if (next != 1 && next != 2) next = 1;
    m_state.sheetObjectiveSet = int16(next);

    const int first = (next - 1) * kObjectivesPerSet;
    c(u"Frame1").setCaption(u"OBIETTIVI " % QString::number(next));
    for (int i = first; i < first + kObjectivesPerSet; ++i) bringToFront(c(u"Option1", i));
}

void WorksheetWindow::CmdSchedaAlunni_GotFocus()
{
    c(u"CmdStampaAlunni").setVisible(true);
}

void WorksheetWindow::CmdSchedaDocenti_GotFocus()
{
    c(u"CmdStampaDocenti").setVisible(true);
}

void WorksheetWindow::resetObjectiveButtons()
{
    for (int i = 0; i < int(kSheetObjectives.size()); ++i) {
        c(u"Option1", i).setForeColor(kButtonText);
        c(u"Label9", i).setBackColor(kMarker);
    }
}

void WorksheetWindow::resetLevelButtons()
{
    for (int i = 0; i < int(kSheetLevels.size()); ++i) {
        c(u"Option2", i).setForeColor(kButtonText);
        c(u"Label10", i).setBackColor(kMarker);
    }
}

// --- the sheet on screen -----------------------------------------------------------

void WorksheetWindow::clearLines()
{
    for (int s = 1; s <= kSheetSlots; ++s) c(u"LblOp", s).setCaption(QString());
}

void WorksheetWindow::CmdSchedaAlunni_Click()
{
    clearLines();
    c(u"Frame4").setEnabled(true);
    setFocus(c(u"CmdSchedaDocenti"));
    // Every press shows a new sheet; what is shown is also what prints.
    forEachSlot(kSheetSlots, [this] {
        fillSlot();
        const auto s = std::size_t(m_state.slotIndex);
        c(u"LblOp", m_state.slotIndex).setCaption(m_state.pupilLines[s]);
        m_state.doneOperations[s] = m_state.pupilLines[s];
    });
}

void WorksheetWindow::CmdSchedaDocenti_Click()
{
    clearLines();
    // The answers of the last fills: nothing is drawn again.
    forEachSlot(kSheetSlots, [this] {
        const auto s = std::size_t(m_state.slotIndex);
        c(u"LblOp", m_state.slotIndex).setCaption(m_state.teacherLines[s]);
        m_state.doneOperations[s] = m_state.teacherLines[s];
    });
}

void WorksheetWindow::CmdRicomincia_Click()
{
    c(u"CmdStampaAlunni").setVisible(false);
    c(u"CmdStampaDocenti").setVisible(false);
    // The screen only: doneOperations still holds the sheet last shown.
    clearLines();
}

void WorksheetWindow::CmdStampaAlunni_Click()
{
    m_state.sheetPrintMode = 1;
    printSheet();
}

void WorksheetWindow::CmdStampaDocenti_Click()
{
    m_state.sheetPrintMode = 2;
    printSheet();
}

}  // namespace worksheets
