#include "certificate/Grade.h"

#include <cmath>

namespace certificate {

int gradeNumber(int rightAnswers, int operationIndex)
{
    if (operationIndex == 0) return 0;
    return int(std::floor(10.0 * rightAnswers / operationIndex));
}

QString gradeTextFor(int grade)
{
    switch (grade) {
        case 10:
        case 9: return QStringLiteral("OTTIMO");
        case 8: return QStringLiteral("DISTINTO");
        case 7: return QStringLiteral("BUONO");
        case 6: return QStringLiteral("SUFFICIENTE");
        case 5: return QStringLiteral("SUFFICIENTE (!)");
        default: return kNotGraded;
    }
}

QString capitalisedName(const QString& name)
{
    if (name.isEmpty()) return name;
    // A character outside the basic plane (an emoji, some letters with a case)
    // takes two UTF-16 units; it is kept whole, and only a true pair is one.
    const qsizetype first = name.size() > 1 && name.at(0).isHighSurrogate() && name.at(1).isLowSurrogate() ? 2 : 1;
    return name.left(first).toUpper() + name.mid(first).toLower();
}

}  // namespace certificate
