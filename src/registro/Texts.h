#pragma once

#include "registro/Reader.h"

#include <QString>
#include <QStringList>
#include <QTimeZone>

// How the teacher's window words what it reads: the table's columns, the
// operations and the filters. One place, so that the table, the CSV file and
// the printed report say the same.
namespace registro {

enum class Column { Date, Pupil, Copy, Objective, Level, Operations, Right, Wrong, Seconds, Grade, Count };

QStringList columnHeaders();
// A run as the table shows it, column by column; the date the Italian way,
// dd/MM/yyyy HH:mm in zone.
QStringList runTexts(const RunRow& row, const QTimeZone& zone);
QString runText(const RunRow& row, Column column, const QTimeZone& zone);
bool isNumberColumn(Column column);

// "7 × 8", "15 : 3", as the operation was posed (first term first).
QString operationText(int kind, int operand1, int operand2);
// "7 × 8: 5 errori su 6"
QString missedText(const MissedOperation& operation);

// "1 esecuzione", "3 esecuzioni".
QString runsText(int count);

// Longest text a name or title is shown whole at in the window: a name typed
// on a server can run to thousands of characters.
constexpr int kShownLength = 60;
// The text cut at the end with "…" when longer than max characters (a
// character never split in two).
QString shortText(const QString& text, int max = kShownLength);
// The whole text for a tooltip, in lines of at most 80 characters (at a space
// where there is one), so that a long one stays on the screen.
QString tipText(const QString& text);

// What the filter lets through, in words: "Alunno: Giulia   Copia: tutte ...".
QString filterText(const RunFilter& filter);

// The name shown for runs with no pupil's name.
inline const QString kUnnamed = QStringLiteral("(senza nome)");

}  // namespace registro
