#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace platform {

// A picture box that keeps what is drawn on it as an image: text in a font
// and colour, at a horizontal pen position, one line after the other.
// Positions and widths are in twips.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual int width() const = 0;   // inner width
    virtual int height() const = 0;  // inner height

    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual void setColor(std::uint32_t rgb) = 0;  // 0xRRGGBB

    // Width of the text in the current font.
    virtual int textWidth(const QString& text) = 0;
    virtual int currentX() const = 0;
    virtual void setCurrentX(int twips) = 0;
    virtual int currentY() const = 0;

    // Writes at the pen position; then the pen goes to the start of the next
    // line. An empty text is a line feed in the current font.
    virtual void printLine(const QString& text) = 0;

    // Bumped whenever the image changes, so a view knows to repaint.
    virtual std::uint64_t revision() const = 0;
};

class DrawingSurfaceFactory {
public:
    virtual ~DrawingSurfaceFactory() = default;
    // A surface of the given size (twips) filled with the background colour.
    virtual std::unique_ptr<DrawingSurface> create(int widthTwips, int heightTwips, std::uint32_t backRgb) = 0;
};

}  // namespace platform
