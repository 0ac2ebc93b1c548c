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

const SheetLevel* levelRule(int worksheetLevel)
{
    if (worksheetLevel < 1 || worksheetLevel > int(kSheetLevels.size())) return nullptr;
    return &kSheetLevels[std::size_t(worksheetLevel - 1)];
}

}  // namespace

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
    randomizeTimer();
    m_sheetVariant = int16(model::drawInt(m_random, m_state.variantHigh - m_state.variantLow + 1, m_state.variantLow));
    drawSheetAddends();

    // No objective chosen yet (range 0..0): the slot keeps its texts.
    const SheetVariant* rule = variantRule(m_sheetVariant);
    if (!rule) return;

    const int sum = m_state.operandA + m_state.operandB;
    if (rule->compareSign == 0)
        m_state.resultValue = int16(sum);
    else
        m_state.compareValue = int16(sum + rule->compareSign * m_state.signOffset);
    if (rule->answer == SheetAnswer::Sign) m_signAnswer = rule->sign.toString();
    computeSheetPads();

    QString pupil = rule->pupil.toString();
    pupil.replace(u"{A}"_s, m_state.operandAPad + model::decimal(m_state.operandA));
    pupil.replace(u"{B}"_s, m_state.operandBPad + model::decimal(m_state.operandB));
    pupil.replace(u"{R}"_s, m_state.resultPad + model::decimal(m_state.resultValue));
    pupil.replace(u"{X}"_s, m_state.compareValuePad + model::decimal(m_state.compareValue));

    QString teacher = pupil + kTeacherGap;
    switch (rule->answer) {
        case SheetAnswer::Sum:
            teacher += m_state.resultPad % kNumberAnswerOpen % model::decimal(m_state.resultValue) % u')';
            break;
        case SheetAnswer::FirstAddend:
            teacher += m_state.operandAPad % kNumberAnswerOpen % model::decimal(m_state.operandA) % u')';
            break;
        case SheetAnswer::SecondAddend:
            teacher += m_state.operandBPad % kNumberAnswerOpen % model::decimal(m_state.operandB) % u')';
            break;
        case SheetAnswer::Sign: teacher += kSignAnswerOpen % m_signAnswer % u')'; break;
    }

    // Callers loop 1..60 and the objective choice fills the slot the last
    // loop stopped at; whatever slotIndex holds, nothing outside the
    // arrays is written.
    const int slot = m_state.slotIndex;
    if (slot < 0 || slot >= model::kRecordSlots) return;
    m_state.pupilLines[std::size_t(slot)] = pupil;
    m_state.teacherLines[std::size_t(slot)] = teacher;
}

void SheetGenerator::drawSheetAddends()
{
    randomizeTimer();
    const SheetLevel* level = levelRule(m_state.worksheetLevel);
    if (!level) return;  // no level chosen: the operands stay as they are

    // Draw A and B until the pair fits, then C; a C that does not fit starts
    // again from A. The bound only stops a rigged source from hanging the
    // window; the previous operands stay then.
    for (int attempt = 0; attempt < model::kMaxDrawAttempts; ++attempt) {
        const int a = model::drawInt(m_random, level->span, level->base);
        const int b = model::drawInt(m_random, level->span, level->base);
        if (a + b < level->pairMin || a + b > level->pairMax) continue;
        const int c = model::drawInt(m_random, kOffsetSpan, kOffsetBase);
        if (a + b + c < level->offsetMin || a + b + c > level->offsetMax) continue;
        m_state.operandA = int16(a);
        m_state.operandB = int16(b);
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
