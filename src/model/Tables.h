#pragma once

#include "model/AppState.h"

#include <QStringView>

#include <array>
#include <span>

namespace model {

enum class Operation { Addition = 1, Subtraction = 2, Multiplication = 3, Division = 4 };

// What the start window's objective buttons set and show.
struct ObjectiveInfo {
    int16 variantLow;
    int16 variantHigh;
    QStringView buttonCaption;
    QStringView text;           // objectiveText
    QStringView summaryPrefix;  // before objectiveText in the summary line
};

inline constexpr std::array<ObjectiveInfo, 6> kObjectives{{
    {1, 1, u"1. Calcolo del risultato", u"CALCOLO DEL RISULTATO", u"Obiettivo n.1:     "},
    {2, 3, u"2. Calcolo di un termine", u"CALCOLO DEL TERMINE", u"Obiettivo n.2:     "},
    {1, 3, u"3. Calcolo del risultato o di un termine",
     u"CALCOLO CASUALE DEL RISULTATO O DEL TERMINE", u"Obiettivo n.3:     "},
    {1, 6, u"4. Calcolo di un termine", u"CALCOLO DEL NUMERO", u"Obiettivo n.4:     "},
    {7, 12, u"5. Calcolo del segno:  =  <  >", u"CALCOLO DEL SEGNO", u"Obiettivo n.5:     "},
    {1, 12, u"6. Calcolo di un termine o del segno", u"CALCOLO CASUALE DEL NUMERO O DEL SEGNO",
     u"Obiettivo n.6:     "},
}};

struct LevelInfo {
    int16 rangeMin;
    int16 rangeMax;
    QStringView buttonCaption;
    QStringView summaryPrefix;
};

inline constexpr std::array<LevelInfo, 4> kLevels{{
    {1, 30, u"1. Numeri da  1   a 30", u"Livello n.1:         "},
    {30, 60, u"2. Numeri da 30  a  60", u"Livello n.2:         "},
    {60, 99, u"3. Numeri da 60  a 99", u"Livello n.3:         "},
    {1, 99, u"4. Numeri da    1 a 99", u"Livello n.4:         "},
}};

// "NUMERO MASSIMO da  1 a 30": the range as the windows and printouts name it.
inline QString levelTextFor(int rangeMin, int rangeMax)
{
    return u"NUMERO MASSIMO da  " % decimal(rangeMin) % u" a " % decimal(rangeMax);
}

// Operations an operation kind may pose. With more than one, each operation
// draws Int(Rnd * n) + 1 to pick among them, in this order.
struct KindInfo {
    std::array<Operation, 4> operations;
    int count;
    std::span<const Operation> choices() const { return {operations.data(), std::size_t(count)}; }
};

inline constexpr std::array<KindInfo, 7> kKinds{{
    {{Operation::Addition}, 1},
    {{Operation::Subtraction}, 1},
    {{Operation::Addition, Operation::Subtraction}, 2},
    {{Operation::Multiplication}, 1},
    {{Operation::Division}, 1},
    {{Operation::Multiplication, Operation::Division}, 2},
    {{Operation::Addition, Operation::Subtraction, Operation::Multiplication, Operation::Division}, 4},
}};

// The kind's entry, or nullptr for a value outside 1..7 (which poses nothing).
inline const KindInfo* kindInfo(int operationKind)
{
    if (operationKind < 1 || operationKind > int(kKinds.size()))
        return nullptr;
    return &kKinds[std::size_t(operationKind - 1)];
}

}  // namespace model
