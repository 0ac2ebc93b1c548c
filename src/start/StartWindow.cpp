// frmInizio's behaviour: the start sequence, the choice of objective and
// level, the objective-set switch, the curtain and the menu bar.

#include "start/StartWindow.h"

#include "model/SettingsFile.h"
#include "model/Tables.h"
#include "start/Names.h"
#include "start/StartColors.h"

namespace start {

using namespace Qt::Literals::StringLiterals;
using forms::Event;
using model::int16;

StartWindow::StartWindow(Services& services)
    : Form(kStartWindow, kDesignWidth, kDesignHeight), m_services(services), m_state(services.state)
{
    buildDesign();
    connectHandlers();
}

void StartWindow::connectHandlers()
{
    on(u"Option1"_s, Event::MouseDown, [this](int i) { Option1_MouseDown(i); });
    on(u"Option1"_s, Event::MouseUp, [this](int i) { releaseOption(u"Option1"_s, i); });
    on(u"Option2"_s, Event::MouseDown, [this](int i) { Option2_MouseDown(i); });
    on(u"Option2"_s, Event::MouseUp, [this](int i) { releaseOption(u"Option2"_s, i); });
    on(u"Option3"_s, Event::MouseDown, [this](int i) { Option3_MouseDown(i); });
    on(u"Option3"_s, Event::MouseUp, [this](int i) { releaseOption(u"Option3"_s, i); });
    on(u"Option3"_s, Event::GotFocus, [this](int i) { Option3_GotFocus(i); });
    on(u"Option3"_s, Event::LostFocus, [this](int i) { Option3_LostFocus(i); });
    on(u"lblCambiaOb"_s, Event::Click, [this](int i) { lblCambiaOb_Click(i); });
    on(u"TimerTendine"_s, Event::Timer, [this](int) { TimerTendine_Timer(); });
    on(u"mnuSchede"_s, Event::Click, [this](int) { mnuSchede_Click(); });
    on(u"mnuValutazione"_s, Event::Click, [this](int) { mnuValutazione_Click(); });
    on(u"mnuEsempi"_s, Event::Click, [this](int) { mnuEsempi_Click(); });
    on(u"mnuInfo"_s, Event::Click, [this](int) { mnuInfo_Click(); });
    // Frame1 has no click handler: in the copy named OPERAZIONI it would open
    // a window this program does not have.
}

// --- window events ---------------------------------------------------------

void StartWindow::Form_Load()
{
    m_state.operationKind = 1;
    // The curtain first, so that the layout keeps its panels at half width.
    avviaTendina();
    m_layout = layout::captureLayout(*this);

    c(u"Label1").setCaption(u"Obiettivo: "_s);
    c(u"Label3").setCaption(u"Livello: "_s);

    const QString& name = m_services.programName;
    m_state.exeBaseName = name;
    setCaption(name);
    c(u"lblNomeOperazione").setCaption(name);
    m_state.operationTitle = name;

    c(u"Frame2").setEnabled(false);
    c(u"Frame3").setEnabled(false);
    // The stored objective set is not shown: the window always opens with
    // objectives 1-3 in front.
    leggiLivelli();
}

void StartWindow::Form_Activate()
{
    // Back from the practice window or a menu window: choose again. The
    // summary lines keep showing the last choice.
    azzeraObiettivi();
    azzeraLivelli();
    c(u"Frame2").setEnabled(false);
    c(u"Frame3").setEnabled(false);
    // No operation is in progress here.
    tellJournalProblems(m_services);
}

void StartWindow::Form_Resize()
{
    forms::Control& right = c(u"Picture1");
    forms::Control& left = c(u"Picture2");
    const int rightWidth = right.width();
    const int leftWidth = left.width();
    layout::applyLayout(*this, m_layout);
    // The proportions would bring back the half-width panels; once the timer
    // has stopped nothing would open them again and the window would stay
    // covered. An open curtain therefore keeps its thin strips.
    if (m_curtainOpen) {
        right.setWidth(rightWidth);
        left.setWidth(leftWidth);
    }
    dockCurtain();
}

void StartWindow::Form_Unload()
{
    chiudiTutto();
}

// --- choices ----------------------------------------------------------------

void StartWindow::Option1_MouseDown(int index)
{
    if (index < 0 || index >= int(model::kObjectives.size())) return;
    const model::ObjectiveInfo& objective = model::kObjectives[std::size_t(index)];

    azzeraObiettivi();
    forms::Control& marker = c(u"Label9", index);
    bringToFront(marker);
    marker.setBackColor(kChosen);
    forms::markChosen(c(u"Option1", index), true, kChosen, kButtonText);

    m_state.objectiveText = objective.text.toString();
    c(u"Label1").setCaption(objective.summaryPrefix % m_state.objectiveText);
    m_state.variantLow = objective.variantLow;
    m_state.variantHigh = objective.variantHigh;

    // A level chosen before stays in force, and so does "Avanti".
    c(u"Frame2").setEnabled(true);
}

void StartWindow::Option2_MouseDown(int index)
{
    if (index < 0 || index >= int(model::kLevels.size())) return;
    const model::LevelInfo& level = model::kLevels[std::size_t(index)];

    azzeraLivelli();
    m_state.rangeMin = level.rangeMin;
    m_state.rangeMax = level.rangeMax;
    m_state.levelNumber = int16(index + 1);
    m_levelPrefix = level.summaryPrefix.toString();
    m_state.levelText = model::levelTextFor(m_state.rangeMin, m_state.rangeMax);
    c(u"Label3").setCaption(m_levelPrefix % m_state.levelText);
    m_state.maxAnswerDigits = 3;
    c(u"Frame3").setEnabled(true);

    c(u"Label10", index).setBackColor(kChosen);
    forms::markChosen(c(u"Option2", index), true, kChosen, kButtonText);
}

void StartWindow::Option3_MouseDown(int index)
{
    if (index == 0) {
        scriviLivelli();
        // With a class list the pupil first says who they are.
        if (m_services.classroom && !m_services.classroom->pupils().empty())
            m_services.host.show(kChiSeiWindow, forms::Modality::Modal);
        else
            m_services.host.show(kPracticeWindow, forms::Modality::Modeless);
    } else if (index == 1) {
        chiudiTutto();
    }
}

// The buttons act on the press; on the release they must not stay chosen.
void StartWindow::releaseOption(const QString& name, int index)
{
    if (forms::Control* button = find(name, index)) button->setSelected(false);
}

void StartWindow::Option3_GotFocus(int index)
{
    forms::Control& button = c(u"Option3", index);
    button.setSelected(false);
    button.setBackColor(kFocusedButton);
}

void StartWindow::Option3_LostFocus(int index)
{
    forms::Control& button = c(u"Option3", index);
    button.setSelected(false);
    button.setBackColor(kButton);
}

void StartWindow::lblCambiaOb_Click(int index)
{
    if (index != 0) return;
    azzeraObiettivi();
    azzeraLivelli();
    c(u"Label1").setCaption(u"Obiettivo"_s);
    c(u"Label3").setCaption(u"Livello"_s);
    c(u"Frame2").setEnabled(false);
    c(u"Frame3").setEnabled(false);

    // Computed wide so that 32767 cannot overflow; anything that is not 1 or
    // 2 afterwards (a stored 0, a negative value) starts again at 1.
    int next = int(m_objectiveSet) + 1;
    if (next != 1 && next != 2) next = 1;
    m_objectiveSet = int16(next);

    const int first = m_objectiveSet == 1 ? 0 : 3;
    c(u"lblNomeOperazione").setCaption(m_state.exeBaseName % u'.' % QString::number(m_objectiveSet));
    c(u"Frame1").setCaption(u"OBIETTIVI " % QString::number(m_objectiveSet));
    for (int i = first; i < first + 3; ++i) bringToFront(c(u"Option1", i));

    scriviLivelli();
}

// --- window methods -----------------------------------------------------------

void StartWindow::azzeraObiettivi()
{
    for (int i = 0; i < int(model::kObjectives.size()); ++i) {
        forms::markChosen(c(u"Option1", i), false, kChosen, kButtonText);
        c(u"Label9", i).setBackColor(kMarker);
    }
}

void StartWindow::azzeraLivelli()
{
    for (int i = 0; i < int(model::kLevels.size()); ++i) {
        forms::markChosen(c(u"Option2", i), false, kChosen, kButtonText);
        c(u"Label10", i).setBackColor(kMarker);
    }
}

void StartWindow::chiudiTutto()
{
    m_services.host.unloadAll();
}

void StartWindow::leggiLivelli()
{
    const QString file = model::settingsFileName(m_state.exeBaseName);
    // Saves of this copy that a killed program cut short may have left their
    // temporary files beside the settings file.
    model::removeSaveLeftovers(file, m_services.clock.now());
    model::StoredSettings settings{m_state.operationKind, m_objectiveSet, m_levelSet};
    model::readSettings(file, settings);
    m_state.operationKind = settings.operationKind;
    m_objectiveSet = settings.objectiveSet;
    m_levelSet = settings.levelSet;
}

void StartWindow::scriviLivelli()
{
    // A failed save only means nothing is remembered.
    model::writeSettings(model::settingsFileName(m_state.exeBaseName),
                         {m_state.operationKind, m_objectiveSet, m_levelSet});
}

// --- curtain -------------------------------------------------------------------

void StartWindow::avviaTendina()
{
    const int half = outerWidth() / 2;
    c(u"Picture1").setWidth(half);
    c(u"Picture2").setWidth(half);
    dockCurtain();
    c(u"TimerTendine").setEnabled(true);
}

void StartWindow::dockCurtain()
{
    forms::Control& right = c(u"Picture1");
    forms::Control& left = c(u"Picture2");
    right.move(innerWidth() - right.width(), 0, right.width(), innerHeight());
    left.move(0, 0, left.width(), innerHeight());
}

void StartWindow::TimerTendine_Timer()
{
    forms::Control& right = c(u"Picture1");
    forms::Control& left = c(u"Picture2");
    // A width that would go negative ends the step; only the check follows.
    if (right.width() - kCurtainStep >= 0) {
        right.setWidth(right.width() - kCurtainStep);
        dockCurtain();
        if (left.width() - kCurtainStep >= 0) left.setWidth(left.width() - kCurtainStep);
    }
    if (right.width() <= kCurtainOpenWidth) {
        c(u"TimerTendine").setEnabled(false);
        c(u"mnuSchede").setEnabled(true);
        m_curtainOpen = true;
        // Under the curtain nothing could take the focus.
        if (!focused())
            focusFirst();
    }
}

// --- menu bar ----------------------------------------------------------------------

void StartWindow::mnuSchede_Click()
{
    m_services.host.show(kWorksheetWindow, forms::Modality::Modeless);
}

void StartWindow::mnuValutazione_Click()
{
    m_services.host.show(kValutazioneWindow, forms::Modality::Modal);
}

void StartWindow::mnuEsempi_Click()
{
    m_services.host.show(kEsempiWindow, forms::Modality::Modal);
}

void StartWindow::mnuInfo_Click()
{
    m_services.host.show(kAutoreWindow, forms::Modality::Modal);
}

}  // namespace start
