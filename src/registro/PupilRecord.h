#pragma once

#include "registro/Reader.h"

#include <QDateTime>
#include <QIODevice>
#include <QString>

#include <optional>

namespace registro {

// Everything the journal keeps about one pupil, as a plain UTF-8 text file a
// family can read without a program of ours: each run whose pupil is this
// name (when, which copy on which computer and account, the objective and
// level, the figures and grade, and every record line), and the runs where
// the name was typed and later replaced by another. Sheets name no pupil.
// The number of runs written, or nothing when reading or writing failed
// (error says why).
std::optional<int> writePupilRecord(Reader& reader, const QString& pupil, const QDateTime& at, QIODevice& out,
                                    QString* error);

}  // namespace registro
