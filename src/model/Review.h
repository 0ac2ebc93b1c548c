#pragma once

#include "model/AppState.h"
#include "model/Tables.h"
#include "platform/Classroom.h"

#include <vector>

// The review of a pupil's own mistakes: a run of given operations instead of
// drawn ones.
namespace model {

// Whether the generators could have drawn these terms at the state's level.
bool fitsLevel(const PlannedOperation& operation, const AppState& state);

// count operations: the mistakes first, as they were posed and in their
// order, then their neighbours (one term one more or one less) that fit the
// state's level, then the same again from the top until there are count.
// Empty when there are no mistakes.
std::vector<PlannedOperation> planReview(const std::vector<platform::MissedOperation>& mistakes,
                                         const AppState& state, int count);

// The generators' last step for given terms: the operands and their texts
// and pads in the state, as a draw of them would leave them.
void setOperands(AppState& state, Operation operation, int operandA, int operandB);

}  // namespace model
