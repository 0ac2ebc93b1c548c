#pragma once

#include "journal/Database.h"
#include "journal/Settings.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"

#include <QString>

#include <future>
#include <optional>

class QSqlError;

namespace registro {
class Reader;
}

namespace registro_ui {

// The copy of the program that opens the teacher's window instead of the
// pupils' start window.
inline const QString kTeacherCopy = QStringLiteral("REGISTRO");

// The journal the teacher's window reads. Settings that name a server but
// are malformed are told and open nothing, not even the local file, which
// would look like a journal with no runs; a journal that cannot be opened is
// told, and the window tries again on its own.
std::optional<journal::Connection> openTeacherJournal(const journal::Location& where, platform::Dialogs& dialogs);

// Why the local journal at path did not open: the cause in Italian words
// where it is a common one, the driver's text after it.
QString localOpenFailure(const QString& path, const QSqlError& error);

// "conserva": removes the runs older than the settings keep, recorded as it
// goes under by ("user@machine"); a failure is told. Nothing when the
// settings keep everything.
void applyRetention(const journal::Location& where, registro::Reader& reader, platform::Clock& clock,
                    platform::Dialogs& dialogs, const std::shared_future<QString>& by);

// Opens the journal of the working folder (the school's server when one is
// named, else the local file), shows the teacher's window and runs the
// application until it is closed.
int runTeacherWindow(platform::PrinterFactory& printers, platform::Clock& clock, platform::Dialogs& dialogs);

}  // namespace registro_ui
