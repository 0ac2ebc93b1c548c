#pragma once

#include "model/AppState.h"
#include "model/RandomSource.h"

// The presenters pose the operation that the generator drew: they draw the
// variant, set the expected answer, write the operation part of the record
// line and say what the practice window must show. They know nothing of
// widgets; the practice window applies the Presentation to its controls.
namespace model {

enum class AnswerPanel { None, Number, Sign };

// Where lblRisultato1 (the unknown) goes among the three number places.
enum class Placement { UnknownLeft, UnknownMiddle, UnknownRight };

struct Presentation {
    AnswerPanel panel = AnswerPanel::None;

    // Number panel (variants 1..6).
    Placement placement = Placement::UnknownRight;
    QString numero1;  // LblNumero1
    QString numero2;  // LblNumero2
    QString segno;    // LblSegno
    QString uguale;   // LblUguale

    // Sign panel (variants 7..12).
    QString numero4;  // lblNumero4
    QString numero6;  // lblNumero6
    QString numero8;  // LblNumero8
    QString uguale2;  // lblUguale2: the operation sign
    // Variants 7..9: lblUguale2 at lblRif2(1) and lblSegno2 at lblRif2(3);
    // variants 10..12 the other way round.
    bool operationOnLeft = true;
};

inline bool isNumberVariant(int variant) { return variant >= 1 && variant <= 6; }
inline bool isSignVariant(int variant) { return variant >= 7 && variant <= 12; }

Presentation VisualizzaAdd(AppState& state, RandomSource& random);
Presentation VisualizzaSot(AppState& state, RandomSource& random);
Presentation VisualizzaMol(AppState& state, RandomSource& random);
Presentation VisualizzaDiv(AppState& state, RandomSource& random);

// Right-aligns the addition texts and the answers: width 3 for the operands,
// the sum and expectedAnswer, width 4 for typedAnswer. Other lengths keep
// the pad they had.
void padOperationTexts(AppState& state);

// Stores a line at doneOperations(operationIndex); an index outside the
// record is left alone.
void writeRecordLine(AppState& state, const QString& line);

}  // namespace model
