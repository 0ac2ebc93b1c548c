#pragma once

#include "model/AppState.h"
#include "model/RandomSource.h"
#include "platform/Clock.h"

#include <QString>

namespace worksheets {

// Fills the slots of a worksheet: a fresh addition for the chosen level and
// objective, written once for the pupil (the unknown as a dot) and once for
// the teacher (the answer in brackets).
class SheetGenerator {
public:
    SheetGenerator(model::AppState& state, model::RandomSource& random, platform::Clock& clock)
        : m_state(state), m_random(random), m_clock(clock)
    {
    }

    // Fills slot slotIndex of pupilLines and teacherLines.
    void fillSlot();
    void GeneraAddSchede();
    // operandA, operandB and signOffset for worksheetLevel.
    void drawSheetAddends();
    void computeSheetPads();

    // Window fields: the variant and the sign answer of the last fill.
    model::int16 sheetVariant() const { return m_sheetVariant; }
    const QString& signAnswer() const { return m_signAnswer; }

private:
    void randomizeTimer();

    model::AppState& m_state;
    model::RandomSource& m_random;
    platform::Clock& m_clock;
    model::int16 m_sheetVariant = 0;
    QString m_signAnswer;
};

}  // namespace worksheets
