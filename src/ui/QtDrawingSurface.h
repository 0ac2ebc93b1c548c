#pragma once

#include "platform/DrawingSurface.h"

#include <QFont>
#include <QImage>

namespace ui {

// A drawing surface on a QImage at screen resolution (15 twips a pixel).
class QtDrawingSurface final : public platform::DrawingSurface {
public:
    QtDrawingSurface(int widthTwips, int heightTwips, std::uint32_t backRgb);

    const QImage& image() const { return m_image; }

    int width() const override { return m_widthTwips; }
    int height() const override { return m_heightTwips; }
    void setFontName(const QString& name) override { m_font.setFamily(name); }
    void setFontSize(double points) override { m_font.setPointSizeF(points); }
    void setFontBold(bool bold) override { m_font.setBold(bold); }
    void setColor(std::uint32_t rgb) override { m_color = rgb; }
    int textWidth(const QString& text) override;
    int currentX() const override { return m_x; }
    void setCurrentX(int twips) override { m_x = twips; }
    int currentY() const override { return m_y; }
    void printLine(const QString& text) override;
    std::uint64_t revision() const override { return m_revision; }

private:
    QImage m_image;
    int m_widthTwips;
    int m_heightTwips;
    QFont m_font;
    std::uint32_t m_color = 0;
    int m_x = 0;
    int m_y = 0;
    std::uint64_t m_revision = 1;
};

class QtDrawingSurfaceFactory final : public platform::DrawingSurfaceFactory {
public:
    std::unique_ptr<platform::DrawingSurface> create(int widthTwips, int heightTwips, std::uint32_t backRgb) override
    {
        return std::make_unique<QtDrawingSurface>(widthTwips, heightTwips, backRgb);
    }
};

}  // namespace ui
