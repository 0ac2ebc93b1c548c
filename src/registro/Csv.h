#pragma once

#include "registro/Reader.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

namespace registro {

// One record of a CSV file (RFC 4180): UTF-8, fields with a comma, a quote
// or a line break in double quotes with quotes doubled, CR LF at the end.
// A text a spreadsheet would take for a formula (=, +, -, @ first) gets a
// leading apostrophe: pupils type their names themselves.
QByteArray csvRecord(const QStringList& fields);

// The header row and every run the filter lets through, as the table shows
// them. False when reading or writing failed; error says why.
bool writeRunsCsv(Reader& reader, const RunFilter& filter, QIODevice& out, QString* error);

}  // namespace registro
