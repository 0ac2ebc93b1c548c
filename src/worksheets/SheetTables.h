#pragma once

#include "model/AppState.h"

#include <QStringView>

#include <array>

// The fixed tables of the worksheet window: its objectives and levels, how
// each of the twelve variants is written on a sheet, and where the printed
// page puts each slot.
namespace worksheets {

using model::int16;

inline constexpr int kSheetSlots = 60;

// Option1 0..5. Buttons 0..2 form the set "OBIETTIVI 1", 3..5 "OBIETTIVI 2".
struct SheetObjective {
    QStringView buttonCaption;
    int16 variantLow;
    int16 variantHigh;
    QStringView title;  // objectiveText: heads the printed sheet
};

inline constexpr std::array<SheetObjective, 6> kSheetObjectives{{
    {u"1. Calcolo del risultato", 1, 1, u"ADDIZIONI.1   -   CALCOLO DEL RISULTATO"},
    {u"2. Calcolo di un termine", 2, 3, u"ADDIZIONI.1   -   CALCOLO DI UN TERMINE"},
    {u"3. Calcolo del risultato o di un termine", 1, 3,
     u"ADDIZIONI.1   -   CALCOLO CASUALE DEL RISULTATO O DI UN TERMINE"},
    {u"4. Calcolo di un termine", 1, 6, u"ADDIZIONI.2   -   CALCOLO DEL NUMERO"},
    {u"5. Calcolo del segno:  =  <  >", 7, 12, u"ADDIZIONI.2   -   CALCOLO DEL SEGNO"},
    {u"6. Calcolo di un termine o del segno", 1, 12, u"ADDIZIONI.2   -   CALCOLO CASUALE DEL NUMERO O DEL SEGNO"},
}};
inline constexpr int kObjectivesPerSet = 3;

// Option2 0..3; worksheetLevel is the index + 1. The range goes into the
// shared rangeMin/rangeMax for the practice window; the sheet itself draws
// its addends by the rule beside it.
struct SheetLevel {
    QStringView buttonCaption;
    int16 rangeMin;
    int16 rangeMax;
    // Each addend is Int(Rnd * span) + base.
    int span;
    int base;
    // The pair is kept when pairMin <= A + B <= pairMax, and the offset C
    // when offsetMin <= A + B + C <= offsetMax. A bound of 0 below means
    // none: every sum is positive.
    int pairMin;
    int pairMax;
    int offsetMin;
    int offsetMax;
};

inline constexpr std::array<SheetLevel, 4> kSheetLevels{{
    {u"da 1   a 30", 1, 30, 20, 2, 0, 30, 0, 30},
    {u"da 30  a  60", 30, 60, 30, 10, 30, 60, 30, 60},
    {u"da 60  a 99", 60, 99, 60, 20, 60, 90, 60, 90},
    {u"da 1 a 99", 1, 99, 90, 20, 0, 90, 1, 90},
}};

// C, the distance between the sum and the number compared with it:
// Int(Rnd * 3) + 1.
inline constexpr int kOffsetSpan = 3;
inline constexpr int kOffsetBase = 1;

// What the teacher text gives as the answer of a variant.
enum class SheetAnswer { Sum, FirstAddend, SecondAddend, Sign };

// How a variant is written. In the pupil text {A}, {B}, {R} and {X} stand
// for operandA, operandB, resultValue and compareValue, each with its pad.
struct SheetVariant {
    QStringView pupil;
    SheetAnswer answer;
    // 0: resultValue = A + B is written. Otherwise compareValue = A + B +
    // compareSign * C is written instead, and resultValue is left alone.
    int compareSign;
    QStringView sign;  // the sign variants' answer
};

inline constexpr std::array<SheetVariant, 12> kSheetVariants{{
    {u"{A}  +  {B}  =   .", SheetAnswer::Sum, 0, u""},
    {u"  . +  {B}  =  {R}", SheetAnswer::FirstAddend, 0, u""},
    {u"{A}  +   .   = {R}", SheetAnswer::SecondAddend, 0, u""},
    {u"  . =  {A}  +  {B}", SheetAnswer::Sum, 0, u""},
    {u"{R}  =   .  +  {B}", SheetAnswer::FirstAddend, 0, u""},
    // The unknown stands in the second place but its value is operandA.
    {u"{R}  =  {B}  +   .", SheetAnswer::FirstAddend, 0, u""},
    {u"{A}  +  {B}  .  {R}", SheetAnswer::Sign, 0, u"="},
    {u"{A}  +  {B}  .  {X}", SheetAnswer::Sign, -1, u">"},
    {u"{A}  +  {B}  .  {X}", SheetAnswer::Sign, +1, u"<"},
    {u"{X}  .  {B}  +  {A}", SheetAnswer::Sign, +1, u">"},
    {u"{R}  .  {B}  +  {A}", SheetAnswer::Sign, 0, u"="},
    {u"{X}  .  {B}  +  {A}", SheetAnswer::Sign, -1, u"<"},
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
