#pragma once

#include "model/AppState.h"
#include "model/Tables.h"

#include <QStringView>

#include <array>

// The fixed tables of the worksheet window: its operations, objectives and
// levels, how each level draws the numbers of each operation, how each of the
// twelve variants is written on a sheet, and where the printed page puts
// each slot.
namespace worksheets {

using model::int16;

inline constexpr int kSheetSlots = 60;

// Option1 0..5. Buttons 0..2 form the set "OBIETTIVI 1", 3..5 "OBIETTIVI 2".
struct SheetObjective {
    QStringView buttonCaption;
    int16 variantLow;
    int16 variantHigh;
    // objectiveText, which heads the printed sheet, is the operation's name,
    // a dot and this: "ADDIZIONI.1   -   CALCOLO DEL RISULTATO".
    QStringView title;
};

inline constexpr std::array<SheetObjective, 6> kSheetObjectives{{
    {u"1. Calcolo del risultato", 1, 1, u"1   -   CALCOLO DEL RISULTATO"},
    {u"2. Calcolo di un termine", 2, 3, u"1   -   CALCOLO DI UN TERMINE"},
    {u"3. Calcolo del risultato o di un termine", 1, 3, u"1   -   CALCOLO CASUALE DEL RISULTATO O DI UN TERMINE"},
    {u"4. Calcolo di un termine", 1, 6, u"2   -   CALCOLO DEL NUMERO"},
    {u"5. Calcolo del segno:  =  <  >", 7, 12, u"2   -   CALCOLO DEL SEGNO"},
    {u"6. Calcolo di un termine o del segno", 1, 12, u"2   -   CALCOLO CASUALE DEL NUMERO O DEL SEGNO"},
}};
inline constexpr int kObjectivesPerSet = 3;

// Option2 0..3; worksheetLevel is the index + 1. The range goes into the
// shared rangeMin/rangeMax for the practice window; the sheet draws its
// numbers by its operation's table below.
struct SheetLevel {
    QStringView buttonCaption;
    int16 rangeMin;
    int16 rangeMax;
};

inline constexpr std::array<SheetLevel, 4> kSheetLevels{{
    {u"da 1   a 30", 1, 30},
    {u"da 30  a  60", 30, 60},
    {u"da 60  a 99", 60, 99},
    {u"da 1 a 99", 1, 99},
}};

// How one level draws the two numbers of an operation. Each is
// Int(Rnd * span) + base, drawn one after the other; the pair is kept when
// checkedMin <= checked <= checkedMax, where checked is the sum, the
// difference, the product or the dividend. Then C is drawn, and a number
// moved by C must stay within offsetMin..offsetMax, or the draw starts again.
struct SheetDraw {
    int span;
    int base;
    int checkedMin;
    int checkedMax;
    int offsetMin;
    int offsetMax;
};

// The two addends. The sum plus C must fit on every slot, whether a number
// is moved or not. A bound of 0 below means none: every sum is positive.
inline constexpr std::array<SheetDraw, 4> kAdditionDraws{{
    {20, 2, 0, 30, 0, 30},
    {30, 10, 30, 60, 30, 60},
    {60, 20, 60, 90, 60, 90},
    {90, 20, 0, 90, 1, 90},
}};

// Minuend, then subtrahend, both in the level's range; the difference is at
// least 1.
inline constexpr std::array<SheetDraw, 4> kSubtractionDraws{{
    {30, 1, 1, 29, 1, 30},
    {31, 30, 1, 30, 1, 60},
    {40, 60, 1, 39, 1, 99},
    {99, 1, 1, 98, 1, 99},
}};

// Two factors from 2 up to half the level's top; the product in the range.
inline constexpr std::array<SheetDraw, 4> kMultiplicationDraws{{
    {14, 2, 1, 30, 1, 30},
    {29, 2, 30, 60, 1, 60},
    {48, 2, 60, 99, 1, 99},
    {48, 2, 1, 99, 1, 99},
}};

// Divisor, then quotient, drawn as the two factors above: the dividend is
// their product, in the range, so every division comes out exact.
inline constexpr const std::array<SheetDraw, 4>& kDivisionDraws = kMultiplicationDraws;

// Option3 0..3: the operation of the sheets. Every number written stays
// below 100, so two places and the pads keep the columns aligned.
struct SheetOperation {
    model::Operation operation;
    QStringView buttonCaption;
    QStringView name;  // heads the titles: "SOTTRAZIONI.1"
    QStringView sign;  // as the practice window writes it
    // Addition and multiplication may write the terms in either order; the
    // variants that swap them keep A before B for the other two.
    bool swapsTerms;
    // The addition sheet checks the sum plus C on every slot; the others
    // check only the number a sign variant really moves.
    bool offsetOnEverySlot;
    const std::array<SheetDraw, 4>& draws;
};

inline constexpr std::array<SheetOperation, 4> kSheetOperations{{
    {model::Operation::Addition, u"Addizioni", u"ADDIZIONI", u"+", true, true, kAdditionDraws},
    {model::Operation::Subtraction, u"Sottrazioni", u"SOTTRAZIONI", u"-", false, false, kSubtractionDraws},
    {model::Operation::Multiplication, u"Moltiplicazioni", u"MOLTIPLICAZIONI", u"x", true, false,
     kMultiplicationDraws},
    {model::Operation::Division, u"Divisioni", u"DIVISIONI", u":", false, false, kDivisionDraws},
}};

// C, the distance between the result and the number compared with it:
// Int(Rnd * 3) + 1.
inline constexpr int kOffsetSpan = 3;
inline constexpr int kOffsetBase = 1;

// What the teacher text gives as the answer of a variant: the result, the
// number written as {A}, the one written as {B}, or the sign.
enum class SheetAnswer { Result, FirstTerm, SecondTerm, Sign };

// How a variant is written. In the pupil text {o} is the operation's sign,
// and {A}, {B}, {R} and {X} stand for operandA, operandB, resultValue and
// compareValue, each with its pad. For a division A is the dividend, B the
// divisor and R the quotient.
struct SheetVariant {
    QStringView pupil;
    SheetAnswer answer;
    // 0: resultValue is written. Otherwise compareValue = result +
    // compareSign * C is written instead, and resultValue is left alone.
    int compareSign;
    QStringView sign;  // the sign variants' answer
    // The addition sheet writes B before A here; an operation that cannot
    // swap its terms writes A in B's place and B in A's.
    bool swapped;
};

inline constexpr std::array<SheetVariant, 12> kSheetVariants{{
    {u"{A}  {o}  {B}  =   .", SheetAnswer::Result, 0, u"", false},
    {u"  . {o}  {B}  =  {R}", SheetAnswer::FirstTerm, 0, u"", false},
    {u"{A}  {o}   .   = {R}", SheetAnswer::SecondTerm, 0, u"", false},
    {u"  . =  {A}  {o}  {B}", SheetAnswer::Result, 0, u"", false},
    {u"{R}  =   .  {o}  {B}", SheetAnswer::FirstTerm, 0, u"", false},
    // The unknown stands in the second place but its value is operandA.
    {u"{R}  =  {B}  {o}   .", SheetAnswer::FirstTerm, 0, u"", true},
    {u"{A}  {o}  {B}  .  {R}", SheetAnswer::Sign, 0, u"=", false},
    {u"{A}  {o}  {B}  .  {X}", SheetAnswer::Sign, -1, u">", false},
    {u"{A}  {o}  {B}  .  {X}", SheetAnswer::Sign, +1, u"<", false},
    {u"{X}  .  {B}  {o}  {A}", SheetAnswer::Sign, +1, u">", true},
    {u"{R}  .  {B}  {o}  {A}", SheetAnswer::Sign, 0, u"=", true},
    {u"{X}  .  {B}  {o}  {A}", SheetAnswer::Sign, -1, u"<", true},
}};

// Between the pupil text and the answer in the teacher text.
inline constexpr QStringView kTeacherGap = u"       ";
inline constexpr QStringView kNumberAnswerOpen = u"   (";
inline constexpr QStringView kSignAnswerOpen = u"    (";

// The printed page: two columns of three blocks of ten lines. Slot s (1..60)
// lies in block (s - 1) / 10, at row (s - 1) % 10 of it.
struct PrintedBlock {
    int x;
    int top;
};
inline constexpr std::array<PrintedBlock, 6> kPrintedBlocks{{
    {1000, 2000},
    {1000, 6500},
    {1000, 11000},
    {6000, 2000},
    {6000, 6500},
    {6000, 11000},
}};
inline constexpr int kPrintedRowPitch = 400;
inline constexpr int kSlotsPerBlock = 10;

}  // namespace worksheets
