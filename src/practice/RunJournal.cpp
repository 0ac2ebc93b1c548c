#include "practice/RunJournal.h"

#include "certificate/Grade.h"
#include "practice/PracticeWindow.h"

namespace practice {

namespace {

// The objective as the start window numbers it, found by its variants; 0
// when another window (the worksheets) left ranges of its own.
int objectiveNumber(const model::AppState& state)
{
    for (std::size_t i = 0; i < model::kObjectives.size(); ++i)
        if (model::kObjectives[i].variantLow == state.variantLow && model::kObjectives[i].variantHigh == state.variantHigh)
            return int(i) + 1;
    return 0;
}

}  // namespace

void RunJournal::runStarted()
{
    if (!m_services.journal) return;
    runLeft();
    // A review is kept as one: its operations are the pupil's mistakes.
    const bool review = !m_state.plannedOperations.empty();
    m_state.journalRunId = m_services.journal->runStarted(
        {review ? 0 : objectiveNumber(m_state), review ? platform::kReviewObjectiveText : m_state.objectiveText,
         m_state.levelNumber, m_state.levelText, m_state.pupilId});
    m_open = true;
}

void RunJournal::operationPosed(model::Operation operation)
{
    m_operation = operation;
    m_wrongAttempts.clear();
    m_intervention = false;
}

void RunJournal::wrongAnswer()
{
    m_wrongAttempts << m_state.typedAnswer.trimmed();
}

void RunJournal::closed(platform::Help help)
{
    if (!m_services.journal || !m_open) return;
    platform::OperationClosed op;
    op.place = m_state.operationIndex;
    op.kind = int(m_operation);
    // The terms as generated: the dividend is the product of the two factors.
    op.operand1 = m_operation == model::Operation::Division ? m_state.operandA * m_state.operandB : m_state.operandA;
    op.operand2 = m_state.operandB;
    op.variant = m_state.variantCode;
    op.expected = m_state.expectedAnswer.trimmed();
    op.wrongAttempts = m_wrongAttempts;
    op.help = help;
    op.seconds = m_state.answerSeconds;
    if (op.place >= 0 && op.place < model::kRecordSlots) op.recordLine = m_state.doneOperations[std::size_t(op.place)];
    m_services.journal->operationClosed(m_state.journalRunId, op);
    if (op.place >= PracticeWindow::kOperationsPerRun) end(true);
}

void RunJournal::end(bool finished)
{
    if (!m_services.journal || !m_open) return;
    m_open = false;
    const int grade = certificate::gradeNumber(m_state.rightAnswers, m_state.operationIndex);
    m_services.journal->runEnded(m_state.journalRunId,
                                 {m_state.rightAnswers, m_state.wrongAnswers,
                                  m_state.exerciseSeconds[1] + m_state.exerciseSeconds[2], finished,
                                  certificate::gradeTextFor(grade)});
}

}  // namespace practice
