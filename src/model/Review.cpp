#include "model/Review.h"

#include <algorithm>

namespace model {

namespace {

// The addition levels' terms and sums, as the generator draws them.
struct AdditionBounds {
    int low, high, minSum, maxSum;
};
constexpr std::array<AdditionBounds, 4> kAdditionBounds{{
    {1, 20, 0, 30},
    {20, 49, 30, 60},
    {20, 79, 60, 98},
    {20, 109, 0, 98},
}};

bool within(int value, int low, int high)
{
    return value >= low && value <= high;
}

}  // namespace

bool fitsLevel(const PlannedOperation& op, const AppState& state)
{
    const int a = op.operandA, b = op.operandB, min = state.rangeMin, max = state.rangeMax;
    switch (Operation(op.kind)) {
        case Operation::Addition: {
            if (state.levelNumber < 1 || state.levelNumber > int(kAdditionBounds.size()))
                return false;
            const AdditionBounds& l = kAdditionBounds[std::size_t(state.levelNumber - 1)];
            return within(a, l.low, l.high) && within(b, l.low, l.high) && within(a + b, l.minSum, l.maxSum);
        }
        case Operation::Subtraction: return within(a, min, max) && within(b, min, max) && a > b;
        case Operation::Multiplication:
        case Operation::Division: {
            const int lowest = std::max(min, 2);
            if (lowest * lowest <= max)
                return within(a, lowest, max) && within(b, lowest, max) && a * b <= max;
            return within(a, 2, max / 2) && within(b, 2, max / 2) && within(a * b, min, max);
        }
    }
    return false;
}

std::vector<PlannedOperation> planReview(const std::vector<platform::MissedOperation>& mistakes,
                                         const AppState& state, int count)
{
    std::vector<PlannedOperation> plan;
    const auto add = [&plan, count](const PlannedOperation& op) {
        if (int(plan.size()) < count && std::find(plan.begin(), plan.end(), op) == plan.end())
            plan.push_back(op);
    };
    std::vector<PlannedOperation> facts;
    for (const platform::MissedOperation& m : mistakes) {
        if (m.kind < 1 || m.kind > 4 || m.variant < 1 || m.variant > 12)
            continue;
        PlannedOperation op{int16(m.kind), int16(m.operand1), int16(m.operand2), int16(m.variant)};
        // The journal keeps a division's dividend; the state keeps its factors.
        if (Operation(m.kind) == Operation::Division) {
            if (m.operand2 == 0 || m.operand1 % m.operand2 != 0)
                continue;
            op.operandA = int16(m.operand1 / m.operand2);
        }
        facts.push_back(op);
        add(op);
    }
    for (const PlannedOperation& fact : facts)
        for (const auto& [da, db] : {std::pair{0, 1}, {1, 0}, {0, -1}, {-1, 0}}) {
            const PlannedOperation near{fact.kind, int16(fact.operandA + da), int16(fact.operandB + db), fact.variant};
            if (fitsLevel(near, state))
                add(near);
        }
    for (std::size_t i = 0; !plan.empty() && int(plan.size()) < count; ++i)
        plan.push_back(plan[i]);
    return plan;
}

void setOperands(AppState& state, Operation operation, int operandA, int operandB)
{
    state.operandA = int16(operandA);
    state.operandB = int16(operandB);
    switch (operation) {
        case Operation::Addition:
            state.additionSum = int16(operandA + operandB);
            state.operandAText = decimal(state.operandA);
            state.operandBText = decimal(state.operandB);
            state.sumText = decimal(state.additionSum);
            break;
        case Operation::Subtraction:
            state.resultPad = padBelowTen(operandA - operandB);
            state.operandAPad = padBelowTen(operandA);
            state.operandBPad = padBelowTen(operandB);
            break;
        case Operation::Multiplication:
        case Operation::Division:
            state.operandAPad = padBelowTen(operandA);
            state.operandBPad = padBelowTen(operandB);
            state.resultPad = padBelowTen(operandA * operandB);
            break;
    }
}

}  // namespace model
