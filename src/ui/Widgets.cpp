#include "ui/Widgets.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace ui {

namespace {
// Labels, frames and the window: the width of a start-window button's frame.
constexpr int kFocusFrameWidth = 3;
}  // namespace

bool showsKeyboardFocus(const QWidget* widget)
{
    return widget->hasFocus() && widget->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void paintFocusFrame(QWidget* widget, int width)
{
    QPainter p(widget);
    p.setPen(QPen(QColor(0x00, 0x00, 0x00), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(widget->rect()).adjusted(width / 2.0 + 1, width / 2.0 + 1, -width / 2.0 - 1, -width / 2.0 - 1));
}

FrameWidget::FrameWidget(QWidget* parent) : QWidget(parent) {}

void FrameWidget::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    update();
}

void FrameWidget::setBorder(bool border)
{
    m_border = border;
    update();
}

void FrameWidget::setFill(const QColor& fill)
{
    m_fill = fill;
    update();
}

void FrameWidget::setTitleColor(const QColor& color)
{
    m_titleColor = color;
    update();
}

void FrameWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_fill.isValid())
        p.fillRect(rect(), m_fill);
    if (m_border) {
        const QFontMetrics fm(font());
        const int top = m_title.isEmpty() ? 0 : fm.height() / 2;
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(QRect(0, top, width() - 1, height() - top - 1));
        if (!m_title.isEmpty()) {
            const int textWidth = fm.horizontalAdvance(m_title);
            const QRect textRect(8, 0, textWidth + 6, fm.height());
            if (m_fill.isValid())
                p.fillRect(textRect, m_fill);
            else
                p.fillRect(textRect, palette().color(QPalette::Window));
            QColor color = m_titleColor.isValid() ? m_titleColor : palette().color(QPalette::WindowText);
            if (!isEnabled())
                color = palette().color(QPalette::Disabled, QPalette::WindowText);
            p.setPen(color);
            p.drawText(textRect, Qt::AlignCenter, m_title);
        }
    }
    if (showsKeyboardFocus(this)) {
        p.end();
        paintFocusFrame(this, kFocusFrameWidth);
    }
}

LineWidget::LineWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::setLine(QPoint from, QPoint to, const QColor& color, int width)
{
    const int margin = width;
    const QRect box = QRect(from, to).normalized().adjusted(-margin, -margin, margin, margin);
    setGeometry(box);
    m_from = from - box.topLeft();
    m_to = to - box.topLeft();
    m_color = color;
    m_width = width;
    update();
}

void LineWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(m_color, m_width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(m_from, m_to);
}

ShapeWidget::ShapeWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::setShape(ShapeKind kind, const QColor& fill, const QColor& border)
{
    m_kind = kind;
    m_fill = fill;
    m_border = border;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(m_border.isValid() ? QPen(m_border, 1) : QPen(Qt::NoPen));
    p.setBrush(m_fill.isValid() ? QBrush(m_fill) : QBrush(Qt::NoBrush));
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    switch (m_kind) {
    case ShapeKind::Rectangle: p.drawRect(r); break;
    case ShapeKind::RoundedRectangle: {
        const qreal radius = std::min(r.width(), r.height()) / 6;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    case ShapeKind::Oval: p.drawEllipse(r); break;
    }
}

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {}

void PictureWidget::setFill(const QColor& fill)
{
    m_fill = fill;
    // A filled picture covers everything beneath it: Qt then skips painting
    // what it hides (the curtain hides the whole start window at first).
    setAttribute(Qt::WA_OpaquePaintEvent, m_fill.isValid() && m_fill.alpha() == 255);
    update();
}

void PictureWidget::setImageScale(double scale)
{
    if (scale == m_imageScale)
        return;
    m_imageScale = scale;
    update();
}

void PictureWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_fill.isValid())
        p.fillRect(rect(), m_fill);
    if (m_source)
        if (const QImage* image = m_source(); image && !image->isNull()) {
            if (m_imageScale == 1.0) {
                p.drawImage(QPoint(0, 0), *image);
            } else {
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(QRectF(0, 0, image->width() * m_imageScale, image->height() * m_imageScale), *image);
            }
        }
    if (showsKeyboardFocus(this)) {
        p.end();
        paintFocusFrame(this, kFocusFrameWidth);
    }
}

FocusRing::FocusRing(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FocusRing::paintEvent(QPaintEvent*)
{
    paintFocusFrame(this, kFocusFrameWidth);
}

void LabelWidget::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    placeRing();
}

void LabelWidget::focusOutEvent(QFocusEvent* event)
{
    QLabel::focusOutEvent(event);
    placeRing();
}

void LabelWidget::moveEvent(QMoveEvent* event)
{
    QLabel::moveEvent(event);
    if (m_ring)
        placeRing();
}

void LabelWidget::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    if (m_ring)
        placeRing();
}

void LabelWidget::hideEvent(QHideEvent* event)
{
    QLabel::hideEvent(event);
    if (m_ring)
        m_ring->hide();
}

void LabelWidget::placeRing()
{
    if (!showsKeyboardFocus(this) || !isVisible() || !parentWidget()) {
        if (m_ring)
            m_ring->hide();
        return;
    }
    if (!m_ring) {
        m_ring = new FocusRing(parentWidget());
        m_ring->setObjectName(objectName() + u"_focus");
    }
    const int m = FocusRing::kMargin;
    m_ring->setGeometry(geometry().adjusted(-m, -m, m, m));
    m_ring->raise();
    m_ring->show();
}

BackgroundFocusWidget::BackgroundFocusWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::TabFocus);
    setGeometry(parent->rect());
    lower();
}

void BackgroundFocusWidget::paintEvent(QPaintEvent*)
{
    if (showsKeyboardFocus(this))
        paintFocusFrame(this, kFocusFrameWidth);
}

OptionPushButton::OptionPushButton(QWidget* parent) : QPushButton(parent)
{
    setCheckable(true);
}

void OptionPushButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (showsKeyboardFocus(this))
        paintFocusFrame(this, std::max(kFocusFrameWidth, height() / 16));
}

}  // namespace ui
