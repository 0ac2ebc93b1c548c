#pragma once

#include <QString>
#include <QStringList>

namespace model {

// A row of the operation read aloud: the texts of its places, left to right,
// become an Italian sentence ("3 più 6 uguale punto di domanda"). Blank places
// are left out.
QString spokenOperation(const QStringList& texts);

// A sign or operator as it is said ("<" is "minore di"); anything else as it is.
QString spokenSymbol(const QString& text);

// A line of the exercise record in words: the operation with its answer in
// the blank, then the wrong answers, whether help gave it, and the seconds
// (" 4 =  . :  2   9* ....   8°  (s. 2)" is "4 uguale 8 diviso 2, risposta
// sbagliata: 9, con l'aiuto, 2 secondi"). A line that is no record stays.
QString spokenRecordLine(const QString& line);

}  // namespace model
