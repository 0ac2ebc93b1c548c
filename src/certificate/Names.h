#pragma once

#include "app/WindowNames.h"

#include <QString>

namespace certificate {

using namespace windows;

// The one message both printouts refuse with, letter for letter.
inline const QString kTooFewOperations = QStringLiteral("Esegui almeno 10 operazioni. ");
// Printing needs at least this many operations started.
inline constexpr int kMinimumOperations = 10;

}  // namespace certificate
