// The least a window with text needs before its first frame: the empty
// window's size and style, one line in the start window's title font and a
// menu bar with one item, the font configuration read ahead on a thread as
// the program reads it. Against the empty window it shows what any text
// costs; the program is measured against both. Quits right after its first
// paint.
#include "QuitAfterFirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include <fontconfig/fontconfig.h>

#include <thread>

int main(int argc, char* argv[])
{
    std::thread fontConfig([] { FcInit(); });
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setStyle(QStringLiteral("Fusion"));
        QuitAfterFirstPaint<QMainWindow> window;
        window.setWindowTitle(QStringLiteral("testo"));
        auto* title = new QLabel(QStringLiteral("Addizioni"));
        title->setFont(QFont(QStringLiteral("Arial"), 48, QFont::Bold));
        window.setCentralWidget(title);
        window.menuBar()->addAction(QStringLiteral("Esci"));
        window.resize(792, 560);
        window.show();
        result = app.exec();
    }
    fontConfig.join();
    return result;
}
