#pragma once

#include "platform/Dialogs.h"
#include "platform/Printer.h"

#include <memory>

// What the printing windows share: opening a job, the fixed-pitch font check,
// and telling the user how a job ended.
namespace platform {

inline const QString kMissingCourierMessage = QStringLiteral("Devi installare il font Courier o il font Courier New");

// Tells the user where a finished print job went, or that it failed. A job
// sent to a real printer needs no word.
inline void reportPrintResult(Dialogs& dialogs, const PrintResult& result)
{
    if (!result.ok)
        dialogs.message(u"Stampa non riuscita. " + result.error);
    else if (!result.savedFile.isEmpty())
        dialogs.message(u"La stampa è stata salvata nel file:\n" + result.savedFile);
}

// A print job, or nullptr after telling the user there is no printer.
inline std::unique_ptr<Printer> openPrintJob(PrinterFactory* printers, const QString& document, Dialogs& dialogs)
{
    std::unique_ptr<Printer> printer = printers ? printers->open(document) : nullptr;
    if (!printer)
        reportPrintResult(dialogs, {false, {}, QStringLiteral("Nessuna stampante disponibile.")});
    return printer;
}

// The first of the printer's fonts named exactly "Courier" or "Courier New":
// the listings line up by blanks and need a fixed pitch. Empty when neither.
inline QString findCourier(Printer& printer)
{
    for (const QString& font : printer.fonts())
        if (font == u"Courier" || font == u"Courier New")
            return font;
    return {};
}

}  // namespace platform
