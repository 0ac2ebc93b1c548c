#pragma once

#include "model/AppState.h"
#include "model/RandomSource.h"
#include "model/Tables.h"
#include "platform/Clock.h"

#include <QString>

namespace worksheets {

struct SheetOperation;

// The two texts of one slot: the pupil's, with the unknown as a dot, and the
// teacher's, with the answer in brackets.
struct SheetLine {
    QString pupil;
    QString teacher;
};

// Fills the slots of a worksheet: a fresh operation for the chosen level and
// objective, written once for the pupil (the unknown as a dot) and once for
// the teacher (the answer in brackets). Additions until another operation is
// chosen.
class SheetGenerator {
public:
    SheetGenerator(model::AppState& state, model::RandomSource& random, platform::Clock& clock);

    void setOperation(model::Operation operation);
    model::Operation operation() const;

    // Fills slot slotIndex of pupilLines and teacherLines.
    void fillSlot();
    // Draws the variant and the numbers and stores the two texts at slotIndex
    // (for every operation; the name is the addition sheet's).
    void GeneraAddSchede();
    // The same draw, handed back instead of stored; false when no variant of
    // 1..12 is chosen, and then the line is left as it was.
    bool drawLine(SheetLine& line);
    // operandA, operandB and signOffset for worksheetLevel (the two numbers
    // of any operation).
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
    const SheetOperation* m_operation;
    model::int16 m_sheetVariant = 0;
    QString m_signAnswer;
};

}  // namespace worksheets
