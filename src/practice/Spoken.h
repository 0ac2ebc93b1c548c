#pragma once

#include <QString>
#include <QStringList>

namespace practice {

// A row of the operation read aloud: the texts of its places, left to right,
// become an Italian sentence ("3 più 6 uguale punto di domanda"). Blank places
// are left out.
QString spokenOperation(const QStringList& texts);

// A sign or operator as it is said ("<" is "minore di"); anything else as it is.
QString spokenSymbol(const QString& text);

}  // namespace practice
