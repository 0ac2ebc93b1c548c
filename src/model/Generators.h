#pragma once

#include "model/AppState.h"
#include "model/RandomSource.h"
#include "platform/Clock.h"

// aGenera: the operand generators of the practice window. Each one draws the
// two numbers of the next operation into the shared state.
namespace model {

// Upper bound on redraws. With the level ranges every generator accepts
// within a few dozen draws; the bound only guarantees that a nonsensical
// state or a rigged source cannot hang the program. When it is reached the
// previous operands stay, as they do for an unknown level.
inline constexpr int kMaxDrawAttempts = 100000;

void generateAdditionOperands(AppState& state, RandomSource& random, platform::Clock& clock);
void generateSubtractionOperands(AppState& state, RandomSource& random, platform::Clock& clock);
void generateMultiplicationOperands(AppState& state, RandomSource& random, platform::Clock& clock);
void generateDivisionOperands(AppState& state, RandomSource& random, platform::Clock& clock);

}  // namespace model
