#include "ui/ProgramStyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>

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

}  // namespace ui
