#pragma once

#include "app/Services.h"
#include "forms/Form.h"
#include "layout/Layout.h"
#include "model/Presenters.h"
#include "practice/RunJournal.h"

#include <QString>

#include <vector>

namespace practice {

// FrmOperativo: the practice window. A practice run is two exercises of ten
// operations; the pupil answers on the numeric or the sign keypad, is offered
// help after a wrong answer, and every operation leaves its line in the
// exercise record.
class PracticeWindow final : public forms::Form {
public:
    static constexpr int kDesignWidth = 11520;
    static constexpr int kDesignHeight = 8160;
    static constexpr int kOperationsPerExercise = 10;
    static constexpr int kOperationsPerRun = 20;
    // lblLinee stands this far right of lblRisultato1 at the design size.
    static constexpr int kCrossOffset = 700;

    explicit PracticeWindow(Services& services);

    // Window fields.
    QString answerMark;  // "  " after a right answer, "* " after a wrong one
    QString soundMode;   // "siSuono" or "noSuono"; no sound is ever played

    // --- the practice run ----------------------------------------------
    void restartPractice();
    void startExercise();
    void nextOperation();
    void presentOperation();
    void checkProgress();
    void recordTimes();
    void stackPanels();
    void disablePanels();
    void hideCorrectionMarks();

    // --- answer entry ----------------------------------------------------
    void openNumberEntry();
    void closeNumberEntry();
    void openSignEntry();
    void closeSignEntry();
    void raiseAnswerPanels();
    void checkAnswer();

    // --- help and intervention -------------------------------------------
    void sisi();
    void NoNo();
    void placeCorrectionMarks();

    // --- placement of the unknown in the number panel ---------------------
    void placeUnknownLeft();
    void placeUnknownMiddle();
    void placeUnknownRight();

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Activate() override;
    void Form_Click() override;
    void Form_Unload() override;

private:
    void buildDesign();
    void connectHandlers();

    // Puts what the presenter posed on the panels.
    void showPresentation(const model::Presentation& p);
    // A review's operation, given instead of drawn.
    void presentPlanned(const model::PlannedOperation& planned);
    void alignCorrectionLabels();
    // The accessible names of the two operation panels: their rows as sentences.
    void describeOperation();
    void endRun();
    void leaveWindow();

    void Option1_MouseDown(int index);
    void Option1_MouseUp(int index);
    void Option5_MouseDown(int index);
    void Option5_MouseUp(int index);
    void Option3_MouseDown(int index);
    void Option3_MouseUp(int index);
    void Option4_MouseDown(int index);
    void Option4_MouseUp(int index);
    void optOK_Click();
    void optOK_KeyDown(int& keyCode);
    void lblRisultato1_Change();
    void lblSegno2_Change();
    void Label7_Click();
    void fraElaborazione_Click();
    void mnuVisualizza_Click();

    Services m_services;
    model::AppState& m_state;
    std::vector<layout::ControlLayout> m_layout;
    RunJournal m_journal;
};

}  // namespace practice
