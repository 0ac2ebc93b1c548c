// FrmStampaSchede's behaviour: loading, the choice of operation, objective
// and level, the objective-set switch, the pupil and teacher sheets on
// screen, and how many sheets a print job holds.

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
    on(u"Option3"_s, Event::MouseDown, [this](int i) { Option3_MouseDown(i); });
    on(u"Option3"_s, Event::MouseUp, [this](int i) { releaseOption(u"Option3"_s, i); });
    on(u"lblCambiaObSchede"_s, Event::Click, [this](int) { lblCambiaObSchede_Click(); });
    on(u"CmdSchedaAlunni"_s, Event::GotFocus, [this](int) { CmdSchedaAlunni_GotFocus(); });
    on(u"CmdSchedaDocenti"_s, Event::GotFocus, [this](int) { CmdSchedaDocenti_GotFocus(); });
    on(u"CmdSchedaAlunni"_s, Event::Click, [this](int) { CmdSchedaAlunni_Click(); });
    on(u"CmdSchedaDocenti"_s, Event::Click, [this](int) { CmdSchedaDocenti_Click(); });
    on(u"CmdRicomincia"_s, Event::Click, [this](int) { CmdRicomincia_Click(); });
    on(u"CmdStampaAlunni"_s, Event::Click, [this](int) { CmdStampaAlunni_Click(); });
    on(u"CmdStampaDocenti"_s, Event::Click, [this](int) { CmdStampaDocenti_Click(); });
    on(u"txtNumeroSchede"_s, Event::Change, [this](int i) { txtNumeroSchede_Change(i); });
    on(u"txtNumeroSchede"_s, Event::LostFocus, [this](int i) { txtNumeroSchede_LostFocus(i); });
    on(u"CmdMeno"_s, Event::Click, [this](int) { setSheetCount(m_sheetCount - 1); });
    on(u"CmdPiu"_s, Event::Click, [this](int) { setSheetCount(m_sheetCount + 1); });
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
    m_onScreen.reset();
    m_pupilJob.reset();
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
    forms::markChosen(c(u"Option1", index), true, kChosen, kButtonText);

    m_objective = index;
    m_levelChosen = false;
    m_batch.clear();
    m_state.objectiveText = kSheetOperations[std::size_t(m_operation)].name % u'.' % objective.title;
    m_state.variantLow = objective.variantLow;
    m_state.variantHigh = objective.variantHigh;
    showTitle();

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
    m_levelChosen = true;
    showTitle();

    // A new sheet is drawn but not shown: the lines on screen stay.
    m_batch.clear();
    forEachSlot(std::clamp<int>(m_state.sheetSize, 0, model::kRecordSlots - 1), [this] { fillSlot(); });

    c(u"Label10", index).setBackColor(kChosen);
    forms::markChosen(c(u"Option2", index), true, kChosen, kButtonText);
}

// The buttons act on the press; on the release they must not stay chosen.
void WorksheetWindow::releaseOption(const QString& name, int index)
{
    if (forms::Control* button = find(name, index)) button->setSelected(false);
}

// The operation changes the sheets only: the copy's own operationKind, which
// its practice poses and its settings file keeps, is never touched here.
void WorksheetWindow::Option3_MouseDown(int index)
{
    if (index < 0 || index >= int(kSheetOperations.size())) return;
    const SheetOperation& operation = kSheetOperations[std::size_t(index)];

    resetOperationButtons();
    c(u"Label11", index).setBackColor(kChosen);
    forms::markChosen(c(u"Option3", index), true, kChosen, kButtonText);
    m_operation = index;
    m_generator.setOperation(operation.operation);
    setCaption(operation.name % u".1");
    if (m_objective >= 0) {
        m_state.objectiveText = operation.name % u'.' % kSheetObjectives[std::size_t(m_objective)].title;
        showTitle();
    }

    // As after a level choice, a new sheet is drawn but not shown; its
    // answers wait for a pupil sheet of this operation.
    c(u"Frame4").setEnabled(false);
    m_batch.clear();
    forEachSlot(std::clamp<int>(m_state.sheetSize, 0, model::kRecordSlots - 1), [this] { fillSlot(); });
}

void WorksheetWindow::showTitle()
{
    c(u"Label1").setCaption(m_levelChosen ? m_state.objectiveText % u"   -   " % m_state.levelText
                                          : m_state.objectiveText);
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
    showPrinting(0, true);
}

void WorksheetWindow::CmdSchedaDocenti_GotFocus()
{
    showPrinting(1, true);
}

// A print button comes and goes with the choice of how many sheets it prints.
void WorksheetWindow::showPrinting(int frame, bool visible)
{
    c(frame == 0 ? u"CmdStampaAlunni" : u"CmdStampaDocenti").setVisible(visible);
    for (const QStringView control : {u"txtNumeroSchede", u"CmdMeno", u"CmdPiu"})
        c(control, frame).setVisible(visible);
}

void WorksheetWindow::resetObjectiveButtons()
{
    for (int i = 0; i < int(kSheetObjectives.size()); ++i) {
        forms::markChosen(c(u"Option1", i), false, kChosen, kButtonText);
        c(u"Label9", i).setBackColor(kMarker);
    }
}

void WorksheetWindow::resetLevelButtons()
{
    for (int i = 0; i < int(kSheetLevels.size()); ++i) {
        forms::markChosen(c(u"Option2", i), false, kChosen, kButtonText);
        c(u"Label10", i).setBackColor(kMarker);
    }
}

void WorksheetWindow::resetOperationButtons()
{
    for (int i = 0; i < int(kSheetOperations.size()); ++i) {
        forms::markChosen(c(u"Option3", i), false, kChosen, kButtonText);
        c(u"Label11", i).setBackColor(kMarker);
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
    m_batch.clear();
    forEachSlot(kSheetSlots, [this] {
        fillSlot();
        const auto s = std::size_t(m_state.slotIndex);
        c(u"LblOp", m_state.slotIndex).setCaption(m_state.pupilLines[s]);
        m_state.doneOperations[s] = m_state.pupilLines[s];
    });
    m_onScreen = storedSheet();
}

void WorksheetWindow::CmdSchedaDocenti_Click()
{
    clearLines();
    // The answers of the last fills: nothing is drawn again. Once pupil
    // sheets are printed, the key shown is the first of theirs, the page the
    // teacher's print starts with, not the key of a sheet no one holds.
    m_onScreen = m_pupilJob ? m_pupilJob->sheets.front() : storedSheet();
    forEachSlot(kSheetSlots, [this] {
        const auto s = std::size_t(m_state.slotIndex);
        const QString& line = m_onScreen->teacher[s - 1];
        c(u"LblOp", m_state.slotIndex).setCaption(line);
        m_state.doneOperations[s] = line;
    });
}

void WorksheetWindow::CmdRicomincia_Click()
{
    showPrinting(0, false);
    showPrinting(1, false);
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

// --- how many sheets ---------------------------------------------------------------

// One count for both print buttons, so that the keys printed answer the
// sheets printed; both boxes show it.
void WorksheetWindow::setSheetCount(int count)
{
    m_sheetCount = std::clamp(count, 1, kMaxSheets);
    showSheetCounts();
}

// Once pupil sheets are out, the teacher's print gives their keys: its box
// shows how many and cannot be changed, so it never promises other keys.
void WorksheetWindow::showSheetCounts()
{
    for (int i = 0; i < 2; ++i) {
        const bool fixed = i == 1 && m_pupilJob;
        const int count = fixed ? int(m_pupilJob->sheets.size()) : m_sheetCount;
        c(u"txtNumeroSchede", i).setCaption(QString::number(count));
        c(u"txtNumeroSchede", i).setEnabled(!fixed);
        c(u"CmdMeno", i).setEnabled(!fixed && count > 1);
        c(u"CmdPiu", i).setEnabled(!fixed && count < kMaxSheets);
    }
}

void WorksheetWindow::txtNumeroSchede_Change(int index)
{
    forms::Control& box = c(u"txtNumeroSchede", index);
    QString digits;
    for (const QChar ch : box.caption())
        if (ch >= u'0' && ch <= u'9') digits += ch;
    // A box emptied to type another number keeps the count until one is typed.
    if (digits.isEmpty()) {
        box.setCaption(QString());
        return;
    }
    setSheetCount(digits.toInt());
}

void WorksheetWindow::txtNumeroSchede_LostFocus(int)
{
    showSheetCounts();
}

}  // namespace worksheets
