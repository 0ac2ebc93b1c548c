#pragma once

#include "app/Services.h"
#include "forms/Form.h"
#include "model/AppState.h"
#include "platform/Classroom.h"

#include <vector>

namespace start {

// FrmChiSei, "Chi sei?": before a run, where the machine has a class list,
// the pupil presses their name, or "Non sono nella lista". A pupil with
// mistakes in this machine's journal then chooses between the practice the
// start window chose and a review of those mistakes.
class WhoWindow final : public forms::Form {
public:
    static constexpr int kButtonWidth = 3000;
    static constexpr int kButtonHeight = 720;
    static constexpr int kGap = 180;
    static constexpr int kMargin = 360;
    static constexpr int kHeaderHeight = 1200;
    static constexpr int kReviewLength = 20;

    explicit WhoWindow(Services& services);

    // The grid's shape for this many names on this screen (twips).
    struct Grid {
        int columns = 1;
        int rows = 0;
        int buttonWidth = kButtonWidth;
        int buttonHeight = kButtonHeight;
        int width = 0;
        int height = 0;
    };
    static Grid gridFor(int count, int screenWidth, int screenHeight);

    const std::vector<platform::ClassPupil>& pupils() const { return m_pupils; }

private:
    WhoWindow(Services& services, const std::vector<platform::ClassPupil>& pupils);
    WhoWindow(Services& services, std::vector<platform::ClassPupil> pupils, const Grid& grid);
    void buildDesign();
    void optAlunno_MouseDown(int index);
    void optNonInLista_MouseDown();
    void optScelta_MouseDown(int index);
    void release(const QString& name, int index);
    void focusColour(const QString& name, int index, bool focused);
    // Closes this window and opens the practice window.
    void goOn();

    Services m_services;
    model::AppState& m_state;
    std::vector<platform::ClassPupil> m_pupils;
    std::vector<model::PlannedOperation> m_review;
    Grid m_grid;
};

}  // namespace start
