#include "ui/QtPrinter.h"

#include "ui/QtDrawingSurface.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinterInfo>
#include <QRegularExpression>

#include <cmath>

namespace ui {

QtPrinter::QtPrinter(const QString& pdfPath) : m_pdfPath(pdfPath), m_printer(QPrinter::HighResolution)
{
    if (m_pdfPath.isEmpty()) {
        m_printer.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
    } else {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(m_pdfPath);
    }
    m_printer.setPageSize(QPageSize(QPageSize::A4));
    m_printer.setFullPage(true);  // positions count from the corner of the sheet
    m_font.setFamily(QStringLiteral("Arial"));
    m_font.setPointSizeF(12);
}

QtPrinter::~QtPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

QStringList QtPrinter::availableFonts()
{
    QStringList fonts;
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    for (QString family : QFontDatabase::families()) {
        family.remove(foundry);
        if (!fonts.contains(family))
            fonts << family;
    }
    for (const QString& alias : {QStringLiteral("Courier"), QStringLiteral("Courier New")}) {
        if (fonts.contains(alias))
            continue;
        QFont font(alias);
        font.setStyleHint(QFont::AnyStyle, QFont::NoFontMerging);
        if (QFontInfo(font).fixedPitch())
            fonts << alias;
    }
    return fonts;
}

QStringList QtPrinter::fonts() { return availableFonts(); }

double QtPrinter::toDevice(int twips) const { return twips * m_printer.resolution() / 1440.0; }

bool QtPrinter::begin()
{
    if (m_begun)
        return !m_failed;
    m_begun = true;
    if (!m_pdfPath.isEmpty()) {
        // QPainter would only warn; find out first whether the file can be made.
        QFile probe(m_pdfPath);
        if (!probe.open(QIODevice::WriteOnly)) {
            m_failed = true;
            return false;
        }
        probe.close();
    }
    m_failed = !m_painter.begin(&m_printer);
    if (m_failed && !m_pdfPath.isEmpty())
        QFile::remove(m_pdfPath);
    return !m_failed;
}

void QtPrinter::printLine(const QString& text)
{
    if (!begin())
        return;
    m_painter.setFont(m_font);
    const QFontMetricsF metrics(m_font, &m_printer);
    if (!text.isEmpty()) {
        m_painter.setPen(Qt::black);
        m_painter.drawText(QPointF(toDevice(m_x), toDevice(m_y) + metrics.ascent()), text);
    }
    m_x = 0;
    m_y += int(std::lround(metrics.height() * 1440.0 / m_printer.resolution()));
}

void QtPrinter::printImage(const platform::DrawingSurface& surface, int xTwips, int yTwips)
{
    if (!begin())
        return;
    const auto* qtSurface = dynamic_cast<const QtDrawingSurface*>(&surface);
    if (!qtSurface)
        return;
    const QImage& image = qtSurface->image();
    // The image's size on screen: 15 twips a pixel.
    const QRectF target(toDevice(xTwips), toDevice(yTwips), toDevice(image.width() * 15),
                        toDevice(image.height() * 15));
    m_painter.drawImage(target, image);
}

void QtPrinter::newPage()
{
    if (begin() && !m_printer.newPage())
        m_failed = true;
    m_x = 0;
    m_y = 0;
}

platform::PrintResult QtPrinter::endDocument()
{
    platform::PrintResult result;
    const bool began = begin();
    const bool ended = m_painter.isActive() ? m_painter.end() : false;
    if (!began || !ended) {
        result.error = m_pdfPath.isEmpty() ? QStringLiteral("La stampante non ha accettato la pagina.")
                                           : u"Impossibile scrivere il file " % QDir::toNativeSeparators(m_pdfPath);
        return result;
    }
    if (!m_pdfPath.isEmpty()) {
        if (QFileInfo(m_pdfPath).size() <= 0) {
            result.error = u"Impossibile scrivere il file " % QDir::toNativeSeparators(m_pdfPath);
            return result;
        }
        result.savedFile = QFileInfo(m_pdfPath).absoluteFilePath();
    }
    result.ok = true;
    return result;
}

QtPrinterFactory::QtPrinterFactory(QString outputDir, QString programName, platform::Clock& clock)
    : m_outputDir(std::move(outputDir)), m_programName(std::move(programName)), m_clock(clock)
{
}

QString QtPrinterFactory::pdfPathFor(const QString& documentName)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9]+"));
    const int seconds = int(m_clock.secondsSinceMidnight());
    const QString time = QStringLiteral("%1%2%3")
                             .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                             .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    QString date = m_clock.shortDate();
    date.replace(unsafe, QStringLiteral("-"));
    const QString stem = m_programName % u'-' % documentName % u'-' % date % u'-' % time;
    const QDir dir(m_outputDir);
    QString path = dir.filePath(stem + u".pdf");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(stem % u'-' % QString::number(n) % u".pdf");
    return path;
}

std::unique_ptr<platform::Printer> QtPrinterFactory::open(const QString& documentName)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        return std::make_unique<QtPrinter>(QString());
    return std::make_unique<QtPrinter>(pdfPathFor(documentName));
}

}  // namespace ui
