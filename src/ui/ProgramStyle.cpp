#include "ui/ProgramStyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace ui {

namespace {

// An icon of the style that is made the first time it is needed.
class DeferredIconEngine final : public QIconEngine {
public:
    DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which, Qt::LayoutDirection direction)
        : m_style(style), m_which(which), m_direction(direction)
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    // Known without making it: the style's own icons are never empty. Asking
    // would make it, as a tool button asks while it is laid out.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("ui::DeferredIconEngine"); }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon& icon()
    {
        if (!m_made) {
            m_made = true;
            QStyleOption option;
            option.direction = m_direction;
            if (m_style)
                m_icon = m_style->standardIcon(m_which, &option);
        }
        return m_icon;
    }

    QPointer<QStyle> m_style;  // gone with the application's style
    QStyle::StandardPixmap m_which;
    Qt::LayoutDirection m_direction;
    QIcon m_icon;
    bool m_made = false;
};

}  // namespace

ProgramStyle::ProgramStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const
{
    if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(icon, option, widget);
    // The direction the base style would go by: the option's, or else the
    // application's.
    const Qt::LayoutDirection direction = option ? option->direction : QGuiApplication::layoutDirection();
    return QIcon(new DeferredIconEngine(baseStyle(), icon, direction));
}

void ProgramStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    if (element != PE_PanelButtonCommand || !option) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // A copy of the option's own kind (Fusion reads a button's features from
    // it), on the stack: QStyleOption's destructor is not virtual.
    const auto drawWithSharedPalette = [&](auto copy) {
        copy.palette = sharedPalette(option->palette);
        // Which group is current follows the widget's state, not its colours.
        copy.palette.setCurrentColorGroup(option->palette.currentColorGroup());
        QProxyStyle::drawPrimitive(element, &copy, painter, widget);
    };
    if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option))
        drawWithSharedPalette(QStyleOptionButton(*button));
    else
        drawWithSharedPalette(QStyleOption(*option));
}

void ProgramStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const
{
    // The menu bar has the focus only while the keyboard walks it (Alt).
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (m_keyboardMode && element == CE_MenuBarItem && item && (item->state & State_Selected) && widget &&
        widget->hasFocus()) {
        QStyleOptionMenuItem walked(*item);
        walked.state |= State_Sunken;
        QProxyStyle::drawControl(element, &walked, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

const QPalette& ProgramStyle::sharedPalette(const QPalette& palette) const
{
    // The windows only ever set plain colours; a palette with a gradient or
    // a texture is painted as it is.
    QByteArray key;
    key.reserve(int(QPalette::NColorGroups) * int(QPalette::NColorRoles) * int(sizeof(QRgb) + 1));
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const QBrush& brush = palette.brush(QPalette::ColorGroup(group), QPalette::ColorRole(role));
            if (brush.gradient() || brush.style() == Qt::TexturePattern)
                return palette;
            const QRgb rgba = brush.color().rgba();
            key.append(reinterpret_cast<const char*>(&rgba), sizeof rgba);
            key.append(char(brush.style()));
        }
    // The windows' design tables hold a few dozen colour sets; the bound is
    // only there should that ever change.
    if (m_palettes.size() >= 256 && !m_palettes.contains(key))
        m_palettes.clear();
    auto it = m_palettes.find(key);
    if (it == m_palettes.end())
        it = m_palettes.insert(key, palette);
    return *it;
}

}  // namespace ui
