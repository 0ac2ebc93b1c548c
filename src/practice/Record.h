#pragma once

#include "model/AppState.h"

// The exercise record line of the operation on screen grows from what the
// presenter wrote: one piece per wrong attempt, then one closing. Both
// closings end the answer at character 45, so the times of a run stand in
// one column.
namespace practice {

inline constexpr int kAnswerColumn = 42;  // dots fill the line up to here

// doneOperations(operationIndex), or nullptr when the index is outside the
// record.
QString* currentRecordLine(model::AppState& state);

// recordDots := as many dots as bring the line to the answer column (none
// when it is already there or beyond).
void prepareRecordDots(model::AppState& state);

// typedAnswerPad, typedAnswer, answerMark ("* ").
void appendWrongAttempt(model::AppState& state, const QString& answerMark);

// recordDots less one, typedAnswerPad, typedAnswer, answerMark ("  "),
// " (s.", the seconds right-aligned in two places, ")".
void appendRightClosing(model::AppState& state, const QString& answerMark);

// recordDots, expectedAnswerPad, expectedAnswer as the presenter left it,
// "°  (s.", the seconds right-aligned in two places, ")".
void appendHelpClosing(model::AppState& state);

}  // namespace practice
