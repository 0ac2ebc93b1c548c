#pragma once

#include "platform/Printer.h"
#include "registro/Reader.h"

namespace registro {

// Prints the runs the filter lets through as a fixed-pitch listing, page
// after page, and, for one pupil, the operations missed most; then ends the
// document. today is the date printed in the heading. All is read first: when
// a read fails, nothing reaches the printer and the result says why.
platform::PrintResult printReport(platform::Printer& printer, Reader& reader, const RunFilter& filter,
                                  const QString& today);

// The same in two steps, so that the reading can be done on another thread:
// the listing read whole (error says why a read failed), then printed.
struct ReportListing {
    QStringList rows;
    QList<MissedOperation> missed;
    QString error;
};
ReportListing readReport(Reader& reader, const RunFilter& filter);
platform::PrintResult printReport(platform::Printer& printer, const ReportListing& listing, const RunFilter& filter,
                                  const QString& today);

// About how many pages printReport needs for so many runs.
int reportPages(int runs);

// One run as a line of the listing, and the listing's heading.
QString reportLine(const RunRow& row, const QTimeZone& zone);
QString reportHeading();

}  // namespace registro
