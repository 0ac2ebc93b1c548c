#pragma once

#include "platform/Dialogs.h"
#include "platform/Printer.h"

namespace platform {

// Tells the user where a finished print job went, or that it failed. A job
// sent to a real printer needs no word.
inline void reportPrintResult(Dialogs& dialogs, const PrintResult& result)
{
    if (!result.ok)
        dialogs.message(u"Stampa non riuscita. " + result.error);
    else if (!result.savedFile.isEmpty())
        dialogs.message(u"La stampa è stata salvata nel file:\n" + result.savedFile);
}

}  // namespace platform
