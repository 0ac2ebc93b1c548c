#pragma once

#include "platform/Clock.h"
#include "platform/Printer.h"
#include "platform/SafeFile.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <sys/types.h>

#include <memory>
#include <vector>

namespace ui {

// Prints on the system's default printer, or, when none is configured, into
// a PDF file. The font list is what the platform can really print with. A job
// dropped before endDocument() prints nothing: the printer's pages are kept
// until then and only endDocument() sends them (Qt's CUPS engine sends
// whatever its painter ends with, and its QPrinter::abort() does nothing), and
// a dropped PDF is removed.
class QtPrinter final : public platform::Printer {
public:
    // With an empty pdfPath the page goes to the default printer. Otherwise
    // the PDF is a new file of pdfPath's folder, made when the job starts:
    // pdfPath, or, when that name is taken, the same with "-2", "-3"... before
    // ".pdf".
    explicit QtPrinter(const QString& pdfPath);
    ~QtPrinter() override;

    QStringList fonts() override;
    QString fontName() const override { return m_font.family(); }
    void setFontName(const QString& name) override { m_font.setFamily(name); }
    double fontSize() const override { return m_font.pointSizeF(); }
    void setFontSize(double points) override { m_font.setPointSizeF(points); }
    bool fontBold() const override { return m_font.bold(); }
    void setFontBold(bool bold) override { m_font.setBold(bold); }
    int currentX() const override { return m_x; }
    void setCurrentX(int twips) override { m_x = twips; }
    int currentY() const override { return m_y; }
    void setCurrentY(int twips) override { m_y = twips; }
    void printLine(const QString& text) override;
    void printImage(const platform::DrawingSurface& surface, int xTwips, int yTwips) override;
    void drawLine(int x1, int y1, int x2, int y2, int widthTwips, int grey) override;
    void fillBox(int x, int y, int width, int height, int grey) override;
    void newPage() override;
    platform::PrintResult endDocument() override;

    // The families of the platform, foundry suffixes stripped, plus "Courier"
    // and "Courier New" when the platform maps them to a fixed-pitch face.
    static QStringList availableFonts();

private:
    // What a page to the printer holds until the job is sent.
    struct Step {
        enum class Kind { Text, Image, NewPage, Line, Box } kind;
        QFont font;
        QPointF at;
        QString text;
        QRectF target;  // an image's, or a box
        QImage image;
        QLineF line = {};
        double width = 0;
        int grey = 0;
    };

    bool begin();
    bool sendToPrinter();
    bool createPdfFile();
    bool pdfFileStillNamed() const;
    double toDevice(int twips) const;
    void paint(const Step& step);

    QString m_pdfPath;  // the name asked for, then the file's own
    platform::FileWriter m_pdfFile;
    int m_pdfCreateError = 0;
    dev_t m_pdfDevice = 0;
    ino_t m_pdfInode = 0;
    // Destroyed before the file it writes into, the painter before both.
    std::unique_ptr<QPdfWriter> m_pdf;
    std::unique_ptr<QPrinter> m_printer;
    QPagedPaintDevice* m_device = nullptr;
    QPainter m_painter;
    std::vector<Step> m_steps;  // the printer's pages, until endDocument()
    QFont m_font;
    int m_x = 0;
    int m_y = 0;
    bool m_begun = false;
    bool m_failed = false;
};

class QtPrinterFactory final : public platform::PrinterFactory {
public:
    // PDF files go into outputDir, named after the program, the document and
    // the time.
    QtPrinterFactory(QString outputDir, QString programName, platform::Clock& clock);
    std::unique_ptr<platform::Printer> open(const QString& documentName) override;

    // The name a PDF of the document is asked for under, in outputDir.
    QString pdfPathFor(const QString& documentName);

private:
    QString m_outputDir;
    QString m_programName;
    platform::Clock& m_clock;
};

}  // namespace ui
