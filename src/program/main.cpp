#include "app/Services.h"
#include "app/WindowNames.h"
#include "journal/Classes.h"
#include "journal/Writer.h"
#include "program/SessionEnd.h"
#include "program/Windows.h"
#include "model/AppState.h"
#include "model/RandomSource.h"
#include "platform/Clock.h"
#include "platform/FolderSharing.h"
#include "ui/Accessibility.h"
#include "ui/FontConfigLoader.h"
#include "ui/FormView.h"
#include "ui/ProgramStyle.h"
#include "ui/QtDialogs.h"
#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"
#include "ui/QtTranslations.h"
#include "ui/QtWindowHost.h"
#include "ui/registro/TeacherModule.h"
#include "ui/registro/TeacherProgram.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The teacher's window lives in a module beside the program (the real file,
// not the copy's link), so that the pupils' copies never load Qt Charts.
// Its files are made once the folder's sharing is known; the module loads meanwhile.
int runTeacherModule(platform::PrinterFactory& printers, platform::Clock& clock, platform::Dialogs& dialogs,
                     const std::shared_future<void>& folderRead)
{
    QLibrary module(QCoreApplication::applicationDirPath() + u'/' + QLatin1StringView(registro_ui::kTeacherModuleFile));
    const auto entry = reinterpret_cast<registro_ui::TeacherModuleEntry>(module.resolve(registro_ui::kTeacherModuleEntry));
    if (!entry) {
        // A broken installation: said to the teacher, not only on a terminal.
        qCritical("%s", qUtf8Printable(module.errorString()));
        dialogs.message(u"Il registro dei risultati non si può aprire: manca una parte del programma,\n"_s %
                        module.fileName() % u"\nReinstallare il programma."_s);
        return 1;
    }
    folderRead.wait();
    return entry(&printers, &clock, &dialogs);
}

// Runs a step once the start window has been painted for the first time:
// the journal opens then, and start-up measurements end there.
class AfterFirstPaint final : public QObject {
public:
    explicit AfterFirstPaint(std::function<void()> step) : m_step(std::move(step)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_step) QTimer::singleShot(0, qApp, std::exchange(m_step, {}));
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_step;
};

}  // namespace

int main(int argc, char* argv[])
{
    // Before any file is made: what the program makes is the user's alone,
    // or also the group's where the data folder's registro.conf says
    // "cartella = condivisa". The file is read on a thread of its own (the
    // folder may be on a slow server); until then all stays private, and the
    // journal, which the group shares, is made only after.
    ::umask(077);
    const std::shared_future<void> folderRead = std::async(std::launch::async, [] {
        ::umask(platform::umaskFor(platform::readFolderSharing(journal::kConfFileName)));
    }).share();
    ui::FontConfigLoader fontConfig;  // meanwhile, on a thread of its own
    QApplication app(argc, argv);
    ui::installItalianQtTexts();
    const auto fontConfigLoaded = qScopeGuard([&fontConfig] { fontConfig.wait(); });  // before the app goes
    // The one option: the pupil works the windows from the keyboard.
    const bool keyboardMode = QApplication::arguments().contains(QStringLiteral("--tastiera"));
    auto* style = new ui::ProgramStyle;  // Fusion
    style->setKeyboardMode(keyboardMode);
    QApplication::setStyle(style);
    ui::installAccessibility();

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
    // The teacher's copy reads the journal; it has no pupil windows.
    if (programName == registro_ui::kTeacherCopy)
        return runTeacherModule(printers, clock, dialogs, folderRead);

    // The results journal outlives the windows, which hand it their last entries.
    journal::UuidSource ids;
    journal::Writer journal(clock, ids);
    // The settings and the user are looked up on the journal's own thread.
    journal.prepare([folder = QDir::currentPath(), programName, folderRead] {
        folderRead.wait();
        return journal::WriterOptions{journal::locate(folder, QProcessEnvironment::systemEnvironment()),
                                      journal::Identity::ofThisProcess(programName)};
    });
    SessionEnd sessionEnd(app, journal);
    // A second after the start window is up: start-up stays the window's
    // alone, and no pupil answers sooner (what comes earlier waits in memory).
    AfterFirstPaint openJournal([&journal, &sessionEnd] {
        QTimer::singleShot(1000, qApp, [&journal, &sessionEnd] {
            sessionEnd.armExit();
            journal.start();
        });
    });

    Services* services = nullptr;
    ui::QtWindowHost host([&services](const QString& name) { return app::createWindow(name, *services); });
    // Read when "Avanti" is pressed, never before the first frame.
    journal::LocalClassroom classroom(QDir::currentPath());
    Services wired{state, random, clock, dialogs, host, programName, &printers, &surfaces, &journal, &classroom};
    services = &wired;
    // A problem met while no practice window is open is told at once; else
    // at the end of the run or back in the start window.
    journal.setProblemCallback([&host, &wired] {
        QMetaObject::invokeMethod(qApp, [&host, &wired] {
            if (!host.find(windows::kPracticeWindow)) tellJournalProblems(wired);
        }, Qt::QueuedConnection);
    });
    const auto quiet = qScopeGuard([&journal] { journal.setProblemCallback({}); });
    if (const QString trace = qEnvironmentVariable("ARITMETICA_TRACE"); !trace.isEmpty())
        host.setTraceFile(trace);
    host.setKeyboardMode(keyboardMode);

    std::unique_ptr<AfterFirstPaint> quitAfterPaint;
    if (qEnvironmentVariableIsSet("ARITMETICA_EXIT_AFTER_PAINT"))
        quitAfterPaint = std::make_unique<AfterFirstPaint>(&QCoreApplication::quit);
    host.route([&host, &quitAfterPaint, &openJournal] {
        host.show(windows::kStartWindow);
        if (QObject* view = host.viewOf(windows::kStartWindow)) {
            if (quitAfterPaint) view->installEventFilter(quitAfterPaint.get());
            view->installEventFilter(&openJournal);
        }
    });
    if (host.loadedForms().empty())
        return 0;
    return app.exec();
}
