#include "app/Services.h"
#include "app/WindowNames.h"
#include "program/Windows.h"
#include "model/AppState.h"
#include "model/RandomSource.h"
#include "platform/Clock.h"
#include "ui/FontConfigLoader.h"
#include "ui/FormView.h"
#include "ui/ProgramStyle.h"
#include "ui/QtDialogs.h"
#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"
#include "ui/QtWindowHost.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

#include <memory>

namespace {

// For start-up measurements: ends the program once the start window has been
// painted for the first time.
class QuitAfterFirstPaint final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

}  // namespace

int main(int argc, char* argv[])
{
    ui::FontConfigLoader fontConfig;  // meanwhile, on a thread of its own
    QApplication app(argc, argv);
    const auto fontConfigLoaded = qScopeGuard([&fontConfig] { fontConfig.wait(); });  // before the app goes
    QApplication::setStyle(new ui::ProgramStyle);  // Fusion

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

    std::unique_ptr<QuitAfterFirstPaint> quitAfterPaint;
    if (qEnvironmentVariableIsSet("ARITMETICA_EXIT_AFTER_PAINT"))
        quitAfterPaint = std::make_unique<QuitAfterFirstPaint>();
    host.route([&host, &quitAfterPaint] {
        host.show(windows::kStartWindow);
        if (quitAfterPaint)
            if (QObject* view = host.viewOf(windows::kStartWindow))
                view->installEventFilter(quitAfterPaint.get());
    });
    if (host.loadedForms().empty())
        return 0;
    return app.exec();
}
