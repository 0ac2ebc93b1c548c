#pragma once

#include "registro/Reader.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

namespace registro {

// Commas: RFC 4180 as it stands. Italian: what a spreadsheet set to Italian
// opens as it is, with semicolons between fields, a byte-order mark before
// the file and decimal commas ("6,5").
enum class CsvForm { Commas, Italian };

// One record of a CSV file (RFC 4180): UTF-8, fields with a comma, a quote
// or a line break in double quotes with quotes doubled, CR LF at the end.
// A text a spreadsheet would take for a formula (=, +, -, @ first) gets a
// leading apostrophe: pupils type their names themselves.
// In the Italian form the separator is a semicolon, and a field that is a
// number with decimals has a comma for its point.
QByteArray csvRecord(const QStringList& fields, CsvForm form = CsvForm::Commas);

// The header row and every run the filter lets through, as the table shows
// them. False when reading or writing failed; error says why.
bool writeRunsCsv(Reader& reader, const RunFilter& filter, QIODevice& out, QString* error,
                  CsvForm form = CsvForm::Commas);

}  // namespace registro
