#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

class DrawingSurface;

// How a print job ended. A job that went to a file names the file.
struct PrintResult {
    bool ok = false;
    QString savedFile;
    QString error;
};

// The system printer as the windows use it: fonts, a current position in
// twips from the top-left corner of the page, lines of text and images.
// The job starts with the first thing printed and ends with endDocument().
class Printer {
public:
    virtual ~Printer() = default;

    // Font families the printer can print with.
    virtual QStringList fonts() = 0;

    virtual QString fontName() const = 0;
    virtual void setFontName(const QString& name) = 0;
    virtual double fontSize() const = 0;
    virtual void setFontSize(double points) = 0;
    virtual bool fontBold() const = 0;
    virtual void setFontBold(bool bold) = 0;

    virtual int currentX() const = 0;
    virtual void setCurrentX(int twips) = 0;
    virtual int currentY() const = 0;
    virtual void setCurrentY(int twips) = 0;

    // Prints at the current position; then x goes back to 0 and y moves down
    // one line of the current font. An empty text only moves down.
    virtual void printLine(const QString& text) = 0;
    // Prints what the surface holds, at its size on screen, top-left at (x, y).
    virtual void printImage(const DrawingSurface& surface, int xTwips, int yTwips) = 0;
    // Charts, drawn as lines and boxes so they stay sharp at any resolution.
    // Grey runs from 0 (black) to 255 (white); neither moves the position.
    virtual void drawLine(int x1, int y1, int x2, int y2, int widthTwips, int grey) = 0;
    virtual void fillBox(int x, int y, int width, int height, int grey) = 0;
    // Ends the page and goes on with a fresh one in the same job; x and y go
    // back to 0, the font stays.
    virtual void newPage() = 0;
    // Finishes the page and sends it out.
    virtual PrintResult endDocument() = 0;
};

// Opens a print job; the name says what is printed ("esercizi", "schede"...).
class PrinterFactory {
public:
    virtual ~PrinterFactory() = default;
    virtual std::unique_ptr<Printer> open(const QString& documentName) = 0;
};

}  // namespace platform
