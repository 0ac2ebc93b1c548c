#include "worksheets/SheetGenerator.h"

#include "model/Generators.h"
#include "worksheets/SheetTables.h"

namespace worksheets {

using model::int16;
using namespace Qt::Literals::StringLiterals;

namespace {

const SheetVariant* variantRule(int variant)
{
    if (variant < 1 || variant > int(kSheetVariants.size())) return nullptr;
    return &kSheetVariants[std::size_t(variant - 1)];
}

const SheetDraw* drawRule(const SheetOperation& operation, int worksheetLevel)
{
    if (worksheetLevel < 1 || worksheetLevel > int(operation.draws.size())) return nullptr;
    return &operation.draws[std::size_t(worksheetLevel - 1)];
}

const SheetOperation& operationRule(model::Operation operation)
{
    for (const SheetOperation& rule : kSheetOperations)
        if (rule.operation == operation) return rule;
    return kSheetOperations.front();
}

// The numbers written for the two drawn ones, and the one the level checks.
struct Terms {
    int a, b, result, checked;
};

Terms termsOf(model::Operation operation, int first, int second)
{
    switch (operation) {
        case model::Operation::Addition: return {first, second, first + second, first + second};
        case model::Operation::Subtraction: return {first, second, first - second, first - second};
        case model::Operation::Multiplication: return {first, second, first * second, first * second};
        case model::Operation::Division: return {first * second, first, second, first * second};
    }
    return {first, second, 0, 0};
}

// The result of the terms left in the shared state. They may be whatever an
// earlier draw left when no level is chosen yet, a divisor of 0 among them.
int resultOf(model::Operation operation, int a, int b)
{
    switch (operation) {
        case model::Operation::Addition: return a + b;
        case model::Operation::Subtraction: return a - b;
        case model::Operation::Multiplication: return a * b;
        case model::Operation::Division: return b != 0 ? a / b : 0;
    }
    return 0;
}

// A number as a line writes it: its pad, then its digits.
struct Term {
    QString pad;
    QString digits;
    QString written() const { return pad + digits; }
    // The teacher's answer: the pad keeps the brackets of one- and two-digit
    // answers in one column.
    QString answer() const { return pad % kNumberAnswerOpen % digits % u')'; }
};

}  // namespace

SheetGenerator::SheetGenerator(model::AppState& state, model::RandomSource& random, platform::Clock& clock)
    : m_state(state), m_random(random), m_clock(clock), m_operation(&kSheetOperations.front())
{
}

void SheetGenerator::setOperation(model::Operation operation)
{
    m_operation = &operationRule(operation);
}

model::Operation SheetGenerator::operation() const
{
    return m_operation->operation;
}

void SheetGenerator::randomizeTimer()
{
    m_random.randomize(m_clock.secondsSinceMidnight());
}

// The copy's operationKind is left alone: it came from the copy's settings
// file, the practice poses it and "Avanti" saves it, whatever sheet is made.
void SheetGenerator::fillSlot()
{
    GeneraAddSchede();
}

void SheetGenerator::GeneraAddSchede()
{
    SheetLine line;
    if (!drawLine(line)) return;  // no objective chosen yet (range 0..0): the slot keeps its texts

    // Callers loop 1..60 and the objective choice fills the slot the last
    // loop stopped at; whatever slotIndex holds, nothing outside the
    // arrays is written.
    const int slot = m_state.slotIndex;
    if (slot < 0 || slot >= model::kRecordSlots) return;
    m_state.pupilLines[std::size_t(slot)] = line.pupil;
    m_state.teacherLines[std::size_t(slot)] = line.teacher;
}

bool SheetGenerator::drawLine(SheetLine& line)
{
    randomizeTimer();
    m_sheetVariant = int16(model::drawInt(m_random, m_state.variantHigh - m_state.variantLow + 1, m_state.variantLow));
    drawSheetAddends();

    const SheetVariant* rule = variantRule(m_sheetVariant);
    if (!rule) return false;

    const int result = resultOf(m_operation->operation, m_state.operandA, m_state.operandB);
    if (rule->compareSign == 0)
        m_state.resultValue = int16(result);
    else
        m_state.compareValue = int16(result + rule->compareSign * m_state.signOffset);
    if (rule->answer == SheetAnswer::Sign) m_signAnswer = rule->sign.toString();
    computeSheetPads();

    Term first{m_state.operandAPad, model::decimal(m_state.operandA)};
    Term second{m_state.operandBPad, model::decimal(m_state.operandB)};
    if (rule->swapped && !m_operation->swapsTerms) std::swap(first, second);
    const Term resultTerm{m_state.resultPad, model::decimal(m_state.resultValue)};

    QString pupil = rule->pupil.toString();
    pupil.replace(u"{o}"_s, m_operation->sign.toString());
    pupil.replace(u"{A}"_s, first.written());
    pupil.replace(u"{B}"_s, second.written());
    pupil.replace(u"{R}"_s, resultTerm.written());
    pupil.replace(u"{X}"_s, m_state.compareValuePad + model::decimal(m_state.compareValue));

    QString teacher = pupil + kTeacherGap;
    switch (rule->answer) {
        case SheetAnswer::Result: teacher += resultTerm.answer(); break;
        case SheetAnswer::FirstTerm: teacher += first.answer(); break;
        case SheetAnswer::SecondTerm: teacher += second.answer(); break;
        case SheetAnswer::Sign: teacher += kSignAnswerOpen % m_signAnswer % u')'; break;
    }
    line.pupil = pupil;
    line.teacher = teacher;
    return true;
}

void SheetGenerator::drawSheetAddends()
{
    randomizeTimer();
    const SheetDraw* draw = drawRule(*m_operation, m_state.worksheetLevel);
    if (!draw) return;  // no level chosen: the operands stay as they are
    const SheetVariant* variant = variantRule(m_sheetVariant);
    const int moved = variant ? variant->compareSign : 0;

    // Draw the pair until it fits, then C; a C that does not fit starts
    // again from the first number. The bound only stops a rigged source from
    // hanging the window; the previous operands stay then.
    for (int attempt = 0; attempt < model::kMaxDrawAttempts; ++attempt) {
        const int first = model::drawInt(m_random, draw->span, draw->base);
        const int second = model::drawInt(m_random, draw->span, draw->base);
        const Terms terms = termsOf(m_operation->operation, first, second);
        if (terms.checked < draw->checkedMin || terms.checked > draw->checkedMax) continue;
        const int c = model::drawInt(m_random, kOffsetSpan, kOffsetBase);
        const int shifted = m_operation->offsetOnEverySlot ? terms.result + c : terms.result + moved * c;
        if ((m_operation->offsetOnEverySlot || moved != 0) && (shifted < draw->offsetMin || shifted > draw->offsetMax))
            continue;
        m_state.operandA = int16(terms.a);
        m_state.operandB = int16(terms.b);
        m_state.signOffset = int16(c);
        return;
    }
}

void SheetGenerator::computeSheetPads()
{
    m_state.operandAPad = model::padBelowTen(m_state.operandA);
    m_state.operandBPad = model::padBelowTen(m_state.operandB);
    m_state.resultPad = model::padBelowTen(m_state.resultValue);
    m_state.compareValuePad = model::padBelowTen(m_state.compareValue);
}

}  // namespace worksheets
