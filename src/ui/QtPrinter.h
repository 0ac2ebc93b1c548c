#pragma once

#include "platform/Clock.h"
#include "platform/Printer.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <memory>

namespace ui {

// Prints on the system's default printer, or, when none is configured, into
// a PDF file. The font list is what the platform can really print with.
class QtPrinter final : public platform::Printer {
public:
    // With an empty pdfPath the page goes to the default printer.
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
    void newPage() override;
    platform::PrintResult endDocument() override;

    // The families of the platform, foundry suffixes stripped, plus "Courier"
    // and "Courier New" when the platform maps them to a fixed-pitch face.
    static QStringList availableFonts();

private:
    bool begin();
    double toDevice(int twips) const;

    QString m_pdfPath;
    QPrinter m_printer;
    QPainter m_painter;
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

    // A file name in outputDir that does not exist yet.
    QString pdfPathFor(const QString& documentName);

private:
    QString m_outputDir;
    QString m_programName;
    platform::Clock& m_clock;
};

}  // namespace ui
