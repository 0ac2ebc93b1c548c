#include "ui/QtDrawingSurface.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace ui {

namespace {
constexpr double kTwipsPerPixel = 15.0;
constexpr int kDotsPerMeter96 = 3780;  // 96 dpi: points convert as on screen

int toTwips(double pixels) { return int(std::lround(pixels * kTwipsPerPixel)); }
}  // namespace

QtDrawingSurface::QtDrawingSurface(int widthTwips, int heightTwips, std::uint32_t backRgb)
    : m_image(std::max(1, int(widthTwips / kTwipsPerPixel)), std::max(1, int(heightTwips / kTwipsPerPixel)),
              QImage::Format_RGB32),
      m_widthTwips(widthTwips),
      m_heightTwips(heightTwips),
      m_font(QStringLiteral("Arial"))
{
    m_image.setDotsPerMeterX(kDotsPerMeter96);
    m_image.setDotsPerMeterY(kDotsPerMeter96);
    m_image.fill(QColor::fromRgb(QRgb(0xFF000000u | backRgb)));
    m_font.setPointSizeF(8.25);
}

int QtDrawingSurface::textWidth(const QString& text)
{
    return toTwips(QFontMetricsF(m_font, &m_image).horizontalAdvance(text));
}

void QtDrawingSurface::printLine(const QString& text)
{
    const QFontMetricsF metrics(m_font, &m_image);
    if (!text.isEmpty()) {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(m_font);
        painter.setPen(QColor::fromRgb(QRgb(0xFF000000u | m_color)));
        painter.drawText(QPointF(m_x / kTwipsPerPixel, m_y / kTwipsPerPixel + metrics.ascent()), text);
        ++m_revision;
    }
    m_x = 0;
    m_y += toTwips(metrics.height());
}

}  // namespace ui
