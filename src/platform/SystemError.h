#pragma once

#include <QString>

// System errors as the program tells them: Italian words for the causes a
// user can act on, the system's own text after them for whoever helps.
namespace platform {

// "il disco è pieno", "permesso negato"... for a full disk or quota, a
// missing permission, a missing file or folder and a read-only disk; the
// system's text for any other cause; empty for 0.
QString systemErrorText(int errnum);

// "<sentence>: <cause>. (<system text>)", e.g. "Impossibile scrivere il file
// a.csv: il disco è pieno. (No space left on device)". A cause that has no
// Italian words is given once, in the system's text; with no cause (0) the
// sentence alone, with its full stop.
QString systemFailureMessage(const QString& sentence, int errnum);

}  // namespace platform
