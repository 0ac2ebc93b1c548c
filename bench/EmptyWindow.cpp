// The yardstick for start-up: the least a Qt Widgets program does to put a
// window on screen. It starts like the program (Fusion style, one top-level
// window) and quits right after the window's first paint.
#include "QuitAfterFirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QuitAfterFirstPaint<QWidget> window;
    window.setWindowTitle(QStringLiteral("vuota"));
    window.resize(792, 560);  // the start window's size at 96 dpi
    window.show();
    return app.exec();
}
