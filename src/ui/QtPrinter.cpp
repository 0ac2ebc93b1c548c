#include "ui/QtPrinter.h"

#include "ui/QtDrawingSurface.h"

#include "platform/SystemError.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinterInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ui {

QtPrinter::QtPrinter(const QString& pdfPath) : m_pdfPath(pdfPath)
{
    if (m_pdfPath.isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setPrinterName(QPrinterInfo::defaultPrinter().printerName());
        m_printer->setPageSize(QPageSize(QPageSize::A4));
        m_printer->setFullPage(true);  // positions count from the corner of the sheet
        m_device = m_printer.get();
    }
    m_font.setFamily(QStringLiteral("Arial"));
    m_font.setPointSizeF(12);
}

QtPrinter::~QtPrinter()
{
    // Only a PDF is painted as it goes; a printer's painter is active only
    // within endDocument().
    if (m_painter.isActive())
        m_painter.end();
    // A job dropped before its end is no printout.
    if (m_pdfFile.isOpen() && pdfFileStillNamed())
        ::unlink(QFile::encodeName(m_pdfPath).constData());
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

double QtPrinter::toDevice(int twips) const { return twips * m_device->logicalDpiY() / 1440.0; }

bool QtPrinter::begin()
{
    if (m_begun)
        return !m_failed;
    m_begun = true;
    if (m_pdfPath.isEmpty())
        return true;  // the printer is begun by endDocument()
    m_failed = !createPdfFile() || !m_painter.begin(m_device);
    return !m_failed;
}

// The PDF can only be a new file of its folder: made under a free name,
// never through a link (a link planted under the name only takes the name),
// and written through this one open file, whatever the name is made to
// point at meanwhile.
bool QtPrinter::createPdfFile()
{
    const QString first = m_pdfPath;
    const QString stem = first.endsWith(u".pdf") ? first.chopped(4) : first;
    int fd = -1;
    for (int n = 1; fd < 0 && n <= 1000; ++n) {
        m_pdfPath = n == 1 ? first : stem % u'-' % QString::number(n) % u".pdf";
        fd = ::open(QFile::encodeName(m_pdfPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    m_pdfCreateError = fd < 0 ? errno : 0;
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) != 0) {
        m_pdfCreateError = errno;
        ::close(fd);
        fd = -1;
    }
    if (fd < 0 || !m_pdfFile.openDescriptor(fd)) {
        m_pdfPath = first;
        return false;
    }
    m_pdfDevice = info.st_dev;
    m_pdfInode = info.st_ino;
    m_pdf = std::make_unique<QPdfWriter>(&m_pdfFile);
    m_pdf->setResolution(1200);
    // The whole sheet: positions count from its corner.
    m_pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    m_device = m_pdf.get();
    return true;
}

// The file's name still leads to the file written, and to nothing else.
bool QtPrinter::pdfFileStillNamed() const
{
    struct stat info {};
    return ::lstat(QFile::encodeName(m_pdfPath).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_dev == m_pdfDevice && info.st_ino == m_pdfInode;
}

void QtPrinter::printLine(const QString& text)
{
    if (!begin())
        return;
    const QFontMetricsF metrics(m_font, m_device);
    if (!text.isEmpty()) {
        const QPointF at(toDevice(m_x), toDevice(m_y) + metrics.ascent());
        if (m_pdfPath.isEmpty()) {
            m_steps.push_back({Step::Kind::Text, m_font, at, text, {}, {}});
        } else {
            m_painter.setFont(m_font);
            m_painter.setPen(Qt::black);
            m_painter.drawText(at, text);
        }
    }
    m_x = 0;
    m_y += int(std::lround(metrics.height() * 1440.0 / m_device->logicalDpiY()));
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
    if (m_pdfPath.isEmpty())
        m_steps.push_back({Step::Kind::Image, {}, {}, {}, target, image});
    else
        m_painter.drawImage(target, image);
}

void QtPrinter::drawLine(int x1, int y1, int x2, int y2, int widthTwips, int grey)
{
    if (!begin())
        return;
    Step step{Step::Kind::Line, {}, {}, {}, {}, {}, {}, toDevice(widthTwips), grey};
    step.line = QLineF(toDevice(x1), toDevice(y1), toDevice(x2), toDevice(y2));
    if (m_pdfPath.isEmpty())
        m_steps.push_back(step);
    else
        paint(step);
}

void QtPrinter::fillBox(int x, int y, int width, int height, int grey)
{
    if (!begin() || width <= 0 || height <= 0)
        return;
    Step step{Step::Kind::Box, {}, {}, {}, {}, {}, {}, 0, grey};
    step.target = QRectF(toDevice(x), toDevice(y), toDevice(width), toDevice(height));
    if (m_pdfPath.isEmpty())
        m_steps.push_back(step);
    else
        paint(step);
}

void QtPrinter::paint(const Step& step)
{
    const int grey = std::clamp(step.grey, 0, 255);
    switch (step.kind) {
    case Step::Kind::Text:
        m_painter.setFont(step.font);
        m_painter.setPen(Qt::black);
        m_painter.drawText(step.at, step.text);
        break;
    case Step::Kind::Image: m_painter.drawImage(step.target, step.image); break;
    case Step::Kind::Line:
        m_painter.setPen(QPen(QColor(grey, grey, grey), step.width, Qt::SolidLine, Qt::FlatCap));
        m_painter.drawLine(step.line);
        break;
    case Step::Kind::Box: m_painter.fillRect(step.target, QColor(grey, grey, grey)); break;
    case Step::Kind::NewPage: break;
    }
}

void QtPrinter::newPage()
{
    if (m_pdfPath.isEmpty())
        m_steps.push_back({Step::Kind::NewPage, {}, {}, {}, {}, {}});
    else if (begin() && !m_device->newPage())
        m_failed = true;
    m_x = 0;
    m_y = 0;
}

// The whole job, painted at once: the job goes to the printer as the
// painter ends.
bool QtPrinter::sendToPrinter()
{
    const std::vector<Step> steps = std::exchange(m_steps, {});
    if (!m_painter.begin(m_printer.get()))
        return false;
    bool ok = true;
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::NewPage)
            ok = m_printer->newPage() && ok;
        else
            paint(step);
    }
    return m_painter.end() && ok;
}

platform::PrintResult QtPrinter::endDocument()
{
    platform::PrintResult result;
    if (m_pdfPath.isEmpty()) {
        result.ok = sendToPrinter();
        if (!result.ok)
            result.error = QStringLiteral("La stampante non ha accettato la pagina.");
        return result;
    }
    const bool began = begin();
    const bool ended = m_painter.isActive() ? m_painter.end() : false;
    const QString shown = QDir::toNativeSeparators(m_pdfPath);
    if (!m_pdfFile.isOpen()) {
        result.error = platform::systemFailureMessage(u"Impossibile scrivere il file " % shown, m_pdfCreateError);
        return result;
    }
    // The PDF writer does not look at what its writes came to: a full disk
    // shows only here.
    const bool written = began && ended && !m_failed && m_pdfFile.errorNumber() == 0 && m_pdfFile.size() > 0 &&
                         m_pdfFile.sync();
    const bool named = pdfFileStillNamed();
    if (written && named) {
        result.ok = true;
        result.savedFile = QFileInfo(m_pdfPath).absoluteFilePath();
    } else if (!named) {
        result.error = u"Il file " % shown % u" è stato spostato o sostituito durante la stampa.";
    } else {
        // Nothing that looks like a printout stays behind.
        ::unlink(QFile::encodeName(m_pdfPath).constData());
        result.error = platform::systemFailureMessage(u"Impossibile scrivere il file " % shown, m_pdfFile.errorNumber());
    }
    m_pdfFile.close();
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
    return QDir(m_outputDir).filePath(m_programName % u'-' % documentName % u'-' % date % u'-' % time % u".pdf");
}

std::unique_ptr<platform::Printer> QtPrinterFactory::open(const QString& documentName)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        return std::make_unique<QtPrinter>(QString());
    return std::make_unique<QtPrinter>(pdfPathFor(documentName));
}

}  // namespace ui
