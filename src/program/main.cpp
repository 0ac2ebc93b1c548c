#include "app/Services.h"
#include "app/Windows.h"
#include "model/AppState.h"
#include "model/RandomSource.h"
#include "platform/Clock.h"
#include "ui/QtDialogs.h"
#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"
#include "ui/QtWindowHost.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));

    // Each copy of the program is a link with its own name: the name it was
    // started by, not the file the link points to.
    const QString programName = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName();
    QApplication::setApplicationName(programName);
    QApplication::setApplicationVersion(QStringLiteral(ARITMETICA_VERSION));

    model::AppState state;
    model::StdRandomSource random;
    platform::SystemClock clock;
    ui::QtDialogs dialogs;
    ui::QtPrinterFactory printers(QDir::currentPath(), programName, clock);
    ui::QtDrawingSurfaceFactory surfaces;

    Services* services = nullptr;
    ui::QtWindowHost host([&services](const QString& name) { return app::createWindow(name, *services); });
    Services wired{state, random, clock, dialogs, host, programName, &printers, &surfaces};
    services = &wired;
    if (const QString trace = qEnvironmentVariable("ARITMETICA_TRACE"); !trace.isEmpty())
        host.setTraceFile(trace);

    host.route([&host] { host.show(QStringLiteral("frmInizio")); });
    if (host.loadedForms().empty())
        return 0;
    return app.exec();
}
