#pragma once

#include <QString>

// The evaluation of a practice run, as the certificate states it.
namespace certificate {

inline const QString kNotGraded = QStringLiteral("Non classificato");

// 10 × right ÷ started, rounded down; 0 when nothing was started.
int gradeNumber(int rightAnswers, int operationIndex);

// The grade word for g: OTTIMO for 9 and 10 down to "SUFFICIENTE (!)" for 5;
// anything else is not graded.
QString gradeTextFor(int grade);

// First character upper case, the rest lower case ("mARIO" -> "Mario").
QString capitalisedName(const QString& name);

}  // namespace certificate
