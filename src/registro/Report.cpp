#include "registro/Report.h"

#include "platform/PrintReport.h"
#include "registro/Texts.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace registro {

namespace {

// A4 in twips, and the margins the listing keeps.
constexpr int kLeft = 900;
constexpr int kTop = 900;
constexpr int kBottom = 16838 - 900;
constexpr double kListingPoints = 8;
// Rows of the listing on a page after the first.
constexpr int kRowsPerPage = 75;

QString cell(const QString& text, int width, bool right = false)
{
    const QString cut = text.left(width);
    return right ? cut.rightJustified(width) : cut.leftJustified(width);
}

// Prints lines and starts a new page, with the heading again, when the next
// line would run past the bottom margin.
class Pages {
public:
    Pages(platform::Printer& printer, QString font) : m_printer(printer), m_font(std::move(font)) {}

    void line(const QString& text, double points, bool bold = false)
    {
        m_printer.setFontName(m_font);
        m_printer.setFontSize(points);
        m_printer.setFontBold(bold);
        const int step = m_steps.contains(points) ? m_steps.value(points) : int(points * 24);
        if (m_printer.currentY() + step > kBottom) {
            m_printer.newPage();
            ++m_page;
            m_printer.setCurrentY(kTop);
            if (!m_repeat.isEmpty()) {
                const QString repeat = m_repeat;
                m_repeat.clear();  // no recursion through the heading itself
                line(u"Registro dei risultati - pagina "_s % QString::number(m_page), kListingPoints, true);
                line({}, kListingPoints);
                line(repeat, kListingPoints, true);
                m_repeat = repeat;
            }
            m_printer.setFontSize(points);
            m_printer.setFontBold(bold);
        }
        const int before = m_printer.currentY();
        m_printer.setCurrentX(kLeft);
        m_printer.printLine(text);
        m_steps.insert(points, m_printer.currentY() - before);
    }
    // The table's heading, printed again at the top of each further page.
    void repeatOnNewPages(const QString& heading) { m_repeat = heading; }

private:
    platform::Printer& m_printer;
    QString m_font;
    QHash<double, int> m_steps;
    QString m_repeat;
    int m_page = 1;
};

}  // namespace

QString reportHeading()
{
    return cell(u"Data"_s, 16) % u' ' % cell(u"Alunno"_s, 15) % u' ' % cell(u"Copia"_s, 15) % u' ' %
           cell(u"Ob."_s, 3, true) % u' ' % cell(u"Liv."_s, 4, true) % u' ' % cell(u"Op."_s, 3, true) % u' ' %
           cell(u"Esatte"_s, 6, true) % u' ' % cell(u"Errate"_s, 6, true) % u' ' % cell(u"Tempo"_s, 5, true) %
           u' ' % u"Valutazione"_s;
}

QString reportLine(const RunRow& row, const QTimeZone& zone)
{
    return cell(runText(row, Column::Date, zone), 16) % u' ' % cell(row.pupil, 15) % u' ' % cell(row.copy, 15) %
           u' ' % cell(QString::number(row.objective), 3, true) % u' ' % cell(QString::number(row.level), 4, true) %
           u' ' % cell(QString::number(row.operations), 3, true) % u' ' % cell(QString::number(row.right), 6, true) %
           u' ' % cell(QString::number(row.wrong), 6, true) % u' ' % cell(QString::number(row.seconds), 5, true) %
           u' ' % row.grade;
}

int reportPages(int runs) { return 1 + std::max(0, runs - 40 + kRowsPerPage - 1) / kRowsPerPage; }

ReportListing readReport(Reader& reader, const RunFilter& filter)
{
    ReportListing listing;
    bool read = reader.forEachRun(filter, [&](const RunRow& row) {
        listing.rows << reportLine(row, reader.zone());
        return true;
    });
    if (read && !filter.pupil.isEmpty()) {
        listing.missed = reader.pupilStatistics(filter, 10).missed;
        read = reader.lastError().isEmpty();
    }
    if (!read)
        listing.error = reader.lastError();
    return listing;
}

platform::PrintResult printReport(platform::Printer& printer, Reader& reader, const RunFilter& filter,
                                  const QString& today)
{
    if (platform::findCourier(printer).isEmpty())
        return {false, {}, platform::kMissingCourierMessage};
    return printReport(printer, readReport(reader, filter), filter, today);
}

platform::PrintResult printReport(platform::Printer& printer, const ReportListing& listing, const RunFilter& filter,
                                  const QString& today)
{
    const QString font = platform::findCourier(printer);
    if (font.isEmpty())
        return {false, {}, platform::kMissingCourierMessage};
    // Everything is read before the first line goes out: a read that fails
    // half-way must leave no printout, and a printer cannot take back a page.
    if (!listing.error.isEmpty())
        return {false, {}, u"La lettura del registro si è interrotta e non è stato stampato nulla ("_s %
                               listing.error % u")."_s};
    const QStringList& rows = listing.rows;
    const QList<MissedOperation>& missed = listing.missed;

    Pages pages(printer, font);
    printer.setCurrentY(kTop);
    pages.line(u"Registro dei risultati"_s, 14, true);
    pages.line({}, 10);
    pages.line(u"Stampato il "_s % today, 10);
    pages.line(filterText(filter), 10);
    pages.line(u"Esecuzioni: "_s % QString::number(rows.size()), 10);
    pages.line({}, 10);
    pages.line(reportHeading(), kListingPoints, true);
    pages.repeatOnNewPages(reportHeading());
    for (const QString& row : std::as_const(rows))
        pages.line(row, kListingPoints);
    pages.repeatOnNewPages({});

    if (!missed.isEmpty()) {
        pages.line({}, 10);
        pages.line(u"Operazioni sbagliate più spesso"_s, 10, true);
        for (const MissedOperation& operation : missed)
            pages.line(missedText(operation), 10);
    }
    return printer.endDocument();
}

}  // namespace registro
