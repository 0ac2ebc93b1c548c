#pragma once

#include <QString>

// The windows this part of the program is, or opens, by window name.
namespace certificate {

inline const QString kExercisesWindow = QStringLiteral("FrmStampaEsercizio");
inline const QString kCertificateWindow = QStringLiteral("FrmAttestato");
// Built elsewhere; shown again when the list of exercises closes.
inline const QString kPracticeWindow = QStringLiteral("FrmOperativo");

// The one message both printouts refuse with, letter for letter.
inline const QString kTooFewOperations = QStringLiteral("Esegui almeno 10 operazioni. ");
// Printing needs at least this many operations started.
inline constexpr int kMinimumOperations = 10;

}  // namespace certificate
