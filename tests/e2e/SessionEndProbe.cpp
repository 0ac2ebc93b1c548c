// A copy of the program as its session ends: the real windows on the real X
// server, the real journal and the program's own handling of signals, logout
// and a lost display; a pupil who answers operation after operation through
// the practice window's keypad. Each operation handed to the journal is
// printed ("answered <run> <place>") once the journal has it, so that a test
// that ends this process at any moment knows what must be in the journal.
//   session_end_probe <seed>
//   session_end_probe stuck      (blocks before its event loop)
#include "app/Services.h"
#include "journal/Writer.h"
#include "model/AppState.h"
#include "model/Presenters.h"
#include "model/RandomSource.h"
#include "platform/Clock.h"
#include "program/SessionEnd.h"
#include "program/Windows.h"
#include "soak/Session.h"
#include "ui/QtWindowHost.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

// The program's journal, with a line on standard output for each operation.
class TellingJournal final : public platform::Journal {
public:
    explicit TellingJournal(journal::Writer& writer) : m_writer(writer) {}
    QString runStarted(const platform::RunStarted& run) override { return m_writer.runStarted(run); }
    void operationClosed(const QString& runId, const platform::OperationClosed& operation) override
    {
        m_writer.operationClosed(runId, operation);
        std::printf("answered %s %d\n", qPrintable(runId), operation.place);
        std::fflush(stdout);
    }
    void runEnded(const QString& runId, const platform::RunEnded& end) override { m_writer.runEnded(runId, end); }
    void pupilNamed(const QString& runId, const QString& pupil) override { m_writer.pupilNamed(runId, pupil); }
    void sheetsPrinted(const std::vector<platform::SheetPrinted>& sheets) override { m_writer.sheetsPrinted(sheets); }
    QString takeProblem() override { return m_writer.takeProblem(); }

private:
    journal::Writer& m_writer;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const quint64 seed = argc > 1 ? QByteArray(argv[1]).toULongLong() : 1;

    model::AppState state;
    model::StdRandomSource random(seed);
    platform::SystemClock clock;
    soak::QuietDialogs dialogs;
    soak::CountingSurfaceFactory surfaces;
    journal::UuidSource ids;
    journal::Writer writer(clock, ids);
    writer.prepare([folder = QDir::currentPath()] {
        return journal::WriterOptions{journal::locate(folder, QProcessEnvironment::systemEnvironment()),
                                      journal::Identity::ofThisProcess(u"ADDIZIONI"_s)};
    });
    SessionEnd sessionEnd(app, writer);
    if (argc > 1 && QByteArray(argv[1]) == "stuck") {  // a start that never reaches its event loop
        std::printf("stuck\n");
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return 3;
    }
    sessionEnd.armExit();
    writer.start();
    TellingJournal journal(writer);

    Services* services = nullptr;
    ui::QtWindowHost host([&services](const QString& name) { return app::createWindow(name, *services); });
    Services wired{state, random, clock, dialogs, host, u"ADDIZIONI"_s, nullptr, &surfaces, &journal};
    services = &wired;

    const auto press = [&host](const QString& window, QStringView control, int index) {
        if (forms::Form* form = host.find(window)) form->press(control, index);
    };
    // One step every few milliseconds: a digit, "Verifica" or "Avanti".
    QTimer pupil;
    QString typed;
    QObject::connect(&pupil, &QTimer::timeout, &app, [&] {
        host.route([&] {
            forms::Form* practice = host.find(soak::kPractice);
            if (!practice || !host.isShown(soak::kPractice)) {
                host.show(soak::kStart);
                press(soak::kStart, u"Option1", 0);
                press(soak::kStart, u"Option2", 0);
                press(soak::kStart, u"Option3", 0);  // "Avanti"
                typed.clear();
                return;
            }
            if (practice->c(u"fraAvviso").enabled()) {  // the run is over: another
                press(soak::kPractice, u"Option4", 1);
                typed.clear();
                return;
            }
            const QString answer = state.expectedAnswer.trimmed();
            if (typed != answer) {
                const QChar digit = answer.at(typed.size());
                press(soak::kPractice, u"Option1", digit.digitValue());
                typed += digit;
                return;
            }
            press(soak::kPractice, u"Option1", 11);  // "Verifica"
            press(soak::kPractice, u"Option1", 12);  // "Avanti"
            typed.clear();
        });
    });
    pupil.start(5);
    return app.exec();
}
