#include "ui/registro/ScreenRoom.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace registro_ui {

WrappingRow::WrappingRow(QList<Item> first, int between, QList<Item> second, QWidget* parent)
    : QWidget(parent),
      m_first(std::move(first)),
      m_second(std::move(second)),
      m_between(between),
      m_rows(new QVBoxLayout(this)),
      m_top(new QHBoxLayout),
      m_bottom(new QHBoxLayout)
{
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->addLayout(m_top);
    m_rows->addLayout(m_bottom);
    // Its height is its rows'; whatever more the window has goes elsewhere.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    measure();
}

void WrappingRow::arrange(bool wrapped)
{
    for (QHBoxLayout* row : {m_top, m_bottom})
        while (QLayoutItem* item = row->takeAt(0))
            delete item;  // the controls stay, children of the row
    const auto add = [](QHBoxLayout* row, const QList<Item>& items) {
        for (const Item& item : items) {
            if (item.widget)
                row->addWidget(item.widget);
            else if (item.stretch)
                row->addStretch(item.stretch);
            else
                row->addSpacing(item.spacing);
        }
    };
    add(m_top, m_first);
    if (wrapped) {
        m_top->addStretch(1);
        add(m_bottom, m_second);
    } else {
        m_top->addSpacing(m_between);
        add(m_top, m_second);
    }
    m_wrapped = wrapped;
}

void WrappingRow::measure()
{
    arrange(true);
    m_twoRowsWidth = std::max(m_top->minimumSize().width(), m_bottom->minimumSize().width());
    arrange(false);
    m_oneRowWidth = m_top->sizeHint().width();
}

QSize WrappingRow::minimumSizeHint() const
{
    return {m_twoRowsWidth, sizeHint().height()};
}

void WrappingRow::follow()
{
    const bool wrap = width() < m_oneRowWidth;
    if (wrap == m_wrapped)
        return;
    arrange(wrap);
    updateGeometry();
}

void WrappingRow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    follow();
}

void WrappingRow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The controls' sizes as the style shown gives them.
    const bool wrapped = m_wrapped;
    measure();
    arrange(wrapped);
    updateGeometry();
    follow();
}

namespace {

class WorkAreaKeeper final : public QObject {
public:
    explicit WorkAreaKeeper(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show) {
            // The desktop frames and places the window just after it shows.
            m_placing = true;
            QTimer::singleShot(0, this, [this] { keep(); });
            QTimer::singleShot(1500, this, [this] { m_placing = false; });
        } else if (m_placing && event->type() == QEvent::Move) {
            QTimer::singleShot(0, this, [this] { keep(); });
        }
        return false;
    }

private:
    void keep()
    {
        QWidget* w = m_window;
        if (!w->isVisible() || w->isMinimized() || w->isMaximized() || w->isFullScreen() || !w->screen())
            return;
        const QRect available = w->screen()->availableGeometry();
        const QRect outer = w->frameGeometry();
        if (available.contains(outer))
            return;
        const QRect inner = w->geometry();
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                             outer.bottom() - inner.bottom());
        const QSize room = available.marginsRemoved(frame).size();
        if (inner.width() > room.width() || inner.height() > room.height())
            w->resize(std::min(inner.width(), room.width()), std::min(inner.height(), room.height()));
        const QRect now = w->frameGeometry();
        const int x = std::clamp(now.left(), available.left(),
                                 std::max(available.left(), available.right() + 1 - now.width()));
        const int y = std::clamp(now.top(), available.top(),
                                 std::max(available.top(), available.bottom() + 1 - now.height()));
        if (x != now.left() || y != now.top())
            w->move(x, y);
    }

    QWidget* m_window;
    bool m_placing = false;
};

}  // namespace

void keepInWorkArea(QWidget* window)
{
    new WorkAreaKeeper(window);
}

}  // namespace registro_ui
