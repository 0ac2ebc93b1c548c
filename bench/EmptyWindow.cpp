// The yardstick for start-up: the least a Qt Widgets program does to put a
// window on screen. It starts like the program (Fusion style, one top-level
// window) and quits right after the window's first paint.
#include <QApplication>
#include <QPaintEvent>
#include <QTimer>
#include <QWidget>

namespace {

class EmptyWindow final : public QWidget {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        if (!m_painted) {
            m_painted = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    bool m_painted = false;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    EmptyWindow window;
    window.setWindowTitle(QStringLiteral("vuota"));
    window.resize(792, 560);  // the start window's size at 96 dpi
    window.show();
    return app.exec();
}
