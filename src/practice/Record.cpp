#include "practice/Record.h"

#include <algorithm>

namespace practice {

using namespace Qt::Literals::StringLiterals;

namespace {

void append(model::AppState& state, const QString& piece)
{
    if (QString* line = currentRecordLine(state)) line->append(piece);
}

QString seconds(const model::AppState& state)
{
    return state.answerSecondsPad % state.answerSecondsText.trimmed() % u")";
}

}  // namespace

QString* currentRecordLine(model::AppState& state)
{
    const int index = state.operationIndex;
    if (index < 0 || index >= model::kRecordSlots) return nullptr;
    return &state.doneOperations[std::size_t(index)];
}

void prepareRecordDots(model::AppState& state)
{
    const QString* line = currentRecordLine(state);
    const auto length = line ? line->size() : 0;
    state.recordDots = QString(std::max<qsizetype>(0, kAnswerColumn - length), u'.');
}

void appendWrongAttempt(model::AppState& state, const QString& answerMark)
{
    append(state, state.typedAnswerPad % state.typedAnswer % answerMark);
}

void appendRightClosing(model::AppState& state, const QString& answerMark)
{
    // One dot fewer: the typed answer is padded to four places, the expected
    // one of the help closing to three.
    const QString dots = state.recordDots.isEmpty() ? QString() : state.recordDots.chopped(1);
    append(state, dots % state.typedAnswerPad % state.typedAnswer % answerMark % u" (s." % seconds(state));
}

void appendHelpClosing(model::AppState& state)
{
    append(state, state.recordDots % state.expectedAnswerPad % state.expectedAnswer % u"°  (s." % seconds(state));
}

}  // namespace practice
