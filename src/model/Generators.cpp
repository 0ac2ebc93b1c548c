#include "model/Generators.h"

#include <algorithm>

namespace model {

namespace {

struct AdditionLevel {
    int span;  // operand = Int(Rnd * span) + base
    int base;
    int minSum;
    int maxSum;
    bool reseedEachAttempt;
};

// Levels 1..4. Level 2 seeds again from the clock before every attempt.
constexpr std::array<AdditionLevel, 4> kAdditionLevels{{
    {20, 1, 0, 30, false},
    {30, 20, 30, 60, true},
    {60, 20, 60, 98, false},
    {90, 20, 0, 98, false},
}};

void randomizeTimer(RandomSource& random, platform::Clock& clock)
{
    random.randomize(clock.secondsSinceMidnight());
}

// Draws Int(Rnd * (max - min + 1)) + min in 32 bits (the width may exceed 16).
int drawInRange(RandomSource& random, int min, int max) { return drawInt(random, max - min + 1, min); }

void setWidthTwoPads(AppState& state)
{
    state.operandAPad = padBelowTen(state.operandA);
    state.operandBPad = padBelowTen(state.operandB);
    state.resultPad = padBelowTen(state.operandA * state.operandB);
}

// Factor rule shared by multiplication and division. Leaves the previous
// operands when no pair can be drawn.
void generateFactors(AppState& state, RandomSource& random, platform::Clock& clock)
{
    randomizeTimer(random, clock);
    const int min = state.rangeMin;
    const int max = state.rangeMax;
    // Factors are whole numbers from 2 up; no level has a range without them.
    if (min < 1 || max < 4 || max < min)
        return;

    // The plain rule draws both factors from the level's range and wants the
    // product within its top. At levels 2 and 3 (30..60, 60..99) no such pair
    // exists; there both factors come from 2..max/2 and the product must lie
    // inside the range instead (30..60, 60..99).
    const int lowestFactor = std::max(min, 2);
    const bool plainRuleHasPairs = lowestFactor * lowestFactor <= max;

    for (int attempt = 0; attempt < kMaxDrawAttempts; ++attempt) {
        int a = 0;
        int b = 0;
        bool accepted = false;
        if (plainRuleHasPairs) {
            a = drawInRange(random, min, max);
            b = drawInRange(random, min, max);
            accepted = !(a * b > max || b == 1 || a == 1);
        } else {
            a = drawInRange(random, 2, max / 2);
            b = drawInRange(random, 2, max / 2);
            accepted = a * b >= min && a * b <= max;
        }
        if (accepted) {
            state.operandA = int16(a);
            state.operandB = int16(b);
            setWidthTwoPads(state);
            return;
        }
    }
}

}  // namespace

void generateAdditionOperands(AppState& state, RandomSource& random, platform::Clock& clock)
{
    randomizeTimer(random, clock);
    if (state.levelNumber >= 1 && state.levelNumber <= int(kAdditionLevels.size())) {
        const AdditionLevel& level = kAdditionLevels[std::size_t(state.levelNumber - 1)];
        const int16 oldA = state.operandA;
        const int16 oldB = state.operandB;
        const int16 oldSum = state.additionSum;
        bool accepted = false;
        for (int attempt = 0; attempt < kMaxDrawAttempts && !accepted; ++attempt) {
            if (level.reseedEachAttempt)
                randomizeTimer(random, clock);
            state.operandA = int16(drawInt(random, level.span, level.base));
            state.operandB = int16(drawInt(random, level.span, level.base));
            state.additionSum = int16(state.operandA + state.operandB);
            accepted = state.additionSum >= level.minSum && state.additionSum <= level.maxSum;
        }
        if (!accepted) {
            state.operandA = oldA;
            state.operandB = oldB;
            state.additionSum = oldSum;
        }
    }
    state.operandAText = decimal(state.operandA);
    state.operandBText = decimal(state.operandB);
    state.sumText = decimal(state.additionSum);
}

void generateSubtractionOperands(AppState& state, RandomSource& random, platform::Clock& clock)
{
    randomizeTimer(random, clock);
    const int min = state.rangeMin;
    const int max = state.rangeMax;
    if (max <= min)
        return;  // no pair with operandA > operandB
    for (int attempt = 0; attempt < kMaxDrawAttempts; ++attempt) {
        const int a = drawInRange(random, min, max);
        const int b = drawInRange(random, min, max);
        if (a > b) {
            state.operandA = int16(a);
            state.operandB = int16(b);
            state.resultPad = padBelowTen(a - b);
            state.operandAPad = padBelowTen(a);
            state.operandBPad = padBelowTen(b);
            return;
        }
    }
}

void generateMultiplicationOperands(AppState& state, RandomSource& random, platform::Clock& clock)
{
    generateFactors(state, random, clock);
}

void generateDivisionOperands(AppState& state, RandomSource& random, platform::Clock& clock)
{
    generateFactors(state, random, clock);
}

}  // namespace model
