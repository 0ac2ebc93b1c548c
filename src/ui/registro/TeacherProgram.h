#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"

#include <QString>

namespace registro_ui {

// The copy of the program that opens the teacher's window instead of the
// pupils' start window.
inline const QString kTeacherCopy = QStringLiteral("REGISTRO");

// Opens the journal of the working folder (the school's server when one is
// named, else the local file), shows the teacher's window and runs the
// application until it is closed.
int runTeacherWindow(platform::PrinterFactory& printers, platform::Clock& clock, platform::Dialogs& dialogs);

}  // namespace registro_ui
