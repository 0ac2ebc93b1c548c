#pragma once

#include "app/Services.h"
#include "forms/Form.h"
#include "layout/Layout.h"

#include <QString>

#include <vector>

namespace certificate {

// FrmStampaEsercizio: the list of the operations done in the practice window,
// with the time of each exercise. The pupil types a name, prints the list
// and opens the certificate from here.
class ExercisesWindow final : public forms::Form {
public:
    // Record lines shown: three columns of ten (the third is never filled).
    static constexpr int kShownLines = 30;
    static constexpr int kLinesPerColumn = 10;
    static constexpr int kLinePointSize = 12;

    explicit ExercisesWindow(Services& services);

    void printExercises();

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;

private:
    void buildDesign();
    void connectHandlers();

    void Option1_MouseDown(int index);
    void Option1_MouseUp(int index);
    void Option1_GotFocus(int index);
    void Option1_LostFocus(int index);
    void cmdAvanti_Click();

    void showNameEntry();
    void printExercisesHeader(platform::Printer& printer);

    Services m_services;
    model::AppState& m_state;
    std::vector<layout::ControlLayout> m_layout;
};

}  // namespace certificate
