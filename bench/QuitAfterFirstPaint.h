#pragma once

#include <QCoreApplication>
#include <QPaintEvent>
#include <QTimer>

// A window of the start-up yardsticks: it quits right after its first paint,
// as the program does with ARITMETICA_EXIT_AFTER_PAINT.
template <typename Window>
class QuitAfterFirstPaint final : public Window {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        Window::paintEvent(event);
        if (!m_painted) {
            m_painted = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    bool m_painted = false;
};
