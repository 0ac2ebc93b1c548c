#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace model {

using int16 = std::int16_t;

// Slots of the exercise record and of the worksheet lines.
inline constexpr int kRecordSlots = 91;  // indices 0..90
using RecordArray = std::array<QString, kRecordSlots>;

// An operation the practice window poses as given instead of drawing it:
// the review of a pupil's mistakes. The terms as the generators leave them
// (the two factors for a division).
struct PlannedOperation {
    int16 kind = 0;  // 1 addition, 2 subtraction, 3 multiplication, 4 division
    int16 operandA = 0;
    int16 operandB = 0;
    int16 variant = 0;
    bool operator==(const PlannedOperation&) const = default;
};

// The state every window shares for the whole program run. One instance,
// created by main and handed to each window by reference. Numbers start at 0,
// texts empty.
struct AppState {
    // --- operation being posed ------------------------------------------
    int16 operationKind = 0;
    int16 operandA = 0;
    int16 operandB = 0;
    int16 additionSum = 0;
    QString operandAText;
    QString operandBText;
    QString sumText;
    int16 resultValue = 0;
    QString expectedAnswer;
    QString typedAnswer;
    int16 variantLow = 0;
    int16 variantHigh = 0;
    int16 rangeMin = 0;
    int16 rangeMax = 0;
    int16 levelNumber = 0;
    int16 maxAnswerDigits = 0;
    QString operandAPad;
    QString operandBPad;
    QString sumPad;
    QString resultPad;
    int16 variantCode = 0;

    // --- practice run ---------------------------------------------------
    int16 operationIndex = 0;
    int16 exerciseNumber = 0;
    int16 rightAnswers = 0;
    int16 wrongAnswers = 0;
    int16 helpRefusals = 0;
    // Clock readings, seconds since midnight with fractions.
    double answerStartTime = 0;
    double answerEndTime = 0;
    // Second counts are kept wider than 16 bits: the total runs for the whole
    // program session and must not wrap.
    std::int32_t answerSeconds = 0;
    QString answerSecondsText;
    QString answerSecondsPad;
    std::array<std::int32_t, 4> exerciseSeconds{};
    std::array<QString, 5> exerciseSecondsText;
    std::int32_t totalSeconds = 0;
    QString totalSecondsText;
    // The results journal's id of the last run started; empty without one.
    QString journalRunId;
    // The pupil chosen in "Chi sei?"; empty when nobody was.
    QString pupilId;
    // Operations to pose in this order instead of drawn ones; empty: drawn.
    std::vector<PlannedOperation> plannedOperations;

    // --- exercise record --------------------------------------------------
    RecordArray doneOperations;
    QString recordDots;
    QString typedAnswerPad;
    QString expectedAnswerPad;

    // --- display texts ----------------------------------------------------
    QString exeBaseName;
    QString operationTitle;
    QString objectiveText;
    QString levelText;
    QString pupilName;
    QString gradeText;

    // --- worksheets -------------------------------------------------------
    int16 sheetObjectiveSet = 0;
    int16 worksheetLevel = 0;
    int16 sheetSize = 0;
    int16 sheetPrintMode = 0;
    int16 slotIndex = 0;
    int16 signOffset = 0;
    int16 compareValue = 0;
    QString compareValuePad;
    RecordArray pupilLines;
    RecordArray teacherLines;
};

// Shortest decimal form of a number, as captions show it.
inline QString decimal(int value) { return QString::number(value); }

// Decimal form that keeps a place for the sign of a non-negative number:
// " 17", "-3". The practice presenters store expected answers this way.
inline QString signedDecimal(int value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

// One blank before a number below 10, nothing otherwise (width-2 pads).
inline QString padBelowTen(int value) { return value < 10 ? QStringLiteral(" ") : QString(); }

}  // namespace model
