#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The results journal as the pupil windows see it: they hand over small
// value records and go on. Nothing here may wait for a disk or a network;
// the journal writes on threads of its own.
namespace platform {

// The objective a review of a pupil's mistakes is kept under (objective 0).
inline const QString kReviewObjectiveText = QStringLiteral("RIPASSO DEI TUOI ERRORI");

// A practice run, handed over when its first operation is posed.
struct RunStarted {
    int objective = 0;  // as the start window numbers it; 0 when none fits
    QString objectiveText;
    int level = 0;
    QString levelText;
    // The pupil who chose their name in "Chi sei?"; empty when nobody did.
    QString pupilId = {};
};

// How an operation was closed, besides a right answer.
enum class Help { None, Accepted, Intervention };

// An operation of the run, handed over when it is closed.
struct OperationClosed {
    int place = 0;      // 1..20
    int kind = 0;       // 1 addition, 2 subtraction, 3 multiplication, 4 division
    int operand1 = 0;   // the first term as written (addend, minuend, factor, dividend)
    int operand2 = 0;   // the second term
    int variant = 0;
    QString expected;   // the expected answer, trimmed
    QStringList wrongAttempts;
    Help help = Help::None;
    int seconds = 0;
    QString recordLine;  // as the list of exercises shows it
};

// The end of a run: all twenty operations done, or left halfway.
struct RunEnded {
    int rightAnswers = 0;
    int wrongAnswers = 0;
    int totalSeconds = 0;
    bool finished = false;
    QString grade;
};

// One printed sheet; the sheets of one print job are handed over together.
struct SheetPrinted {
    QString version;  // "alunni" or "docenti": the button that printed it
    int kind = 1;
    int objective = 0;
    QString objectiveText;
    int level = 0;
    QString levelText;
    QStringList pupilLines;
    QStringList teacherLines;
};

class Journal {
public:
    virtual ~Journal() = default;
    // Returns the new run's id, by which the calls below name it.
    virtual QString runStarted(const RunStarted& run) = 0;
    virtual void operationClosed(const QString& runId, const OperationClosed& operation) = 0;
    virtual void runEnded(const QString& runId, const RunEnded& end) = 0;
    // The name typed in the list of exercises, for the run it lists.
    virtual void pupilNamed(const QString& runId, const QString& pupil) = 0;
    // One print job; its sheets are numbered in this order.
    virtual void sheetsPrinted(const std::vector<SheetPrinted>& sheets) = 0;
    // A problem the journal met, in Italian, to be told once; empty when
    // there is none. Asked where no operation is in progress.
    virtual QString takeProblem() = 0;
};

}  // namespace platform
