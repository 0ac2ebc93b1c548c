// Renders the program's windows in the states a user meets them in, into PNG
// files: screenshots <output folder>. The windows are driven through their
// own event handlers, with a fixed random seed and clock, so every run gives
// the same pictures.
#include "app/Services.h"
#include "journal/Database.h"
#include "journal/Writer.h"
#include "app/WindowNames.h"
#include "program/Windows.h"
#include "model/AppState.h"
#include "model/RandomSource.h"
#include "ui/Accessibility.h"
#include "ui/FormView.h"
#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"
#include "ui/QtWindowHost.h"
#include "ui/registro/TeacherWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScreen>
#include <QThread>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimeZone>

#include <atomic>
#include <functional>
#include <mutex>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

class FixedClock final : public platform::Clock {
public:
    double seconds = 36000;
    double secondsSinceMidnight() override { return seconds; }
    QString shortDate() override { return u"08/12/26"_s; }
    QDateTime now() override { return {QDate(2026, 12, 8), QTime::fromMSecsSinceStartOfDay(int(seconds * 1000))}; }
};

// A class list of twelve, one of whom got some divisions wrong.
class ClassOfTwelve final : public platform::Classroom {
public:
    std::vector<platform::ClassPupil> pupils() override
    {
        std::vector<platform::ClassPupil> list;
        for (const char* name : {"Alessia", "Andrea", "Beatrice", "Davide", "Elena", "Federico", "Giulia", "Leonardo",
                                 "Marco", "Martina", "Sofia", "Tommaso"})
            list.push_back({QString::fromLatin1(name).toLower(), QString::fromLatin1(name)});
        return list;
    }
    std::vector<platform::MissedOperation> mistakes(const QString& pupil, const std::vector<int>&, int) override
    {
        if (pupil != u"giulia"_s) return {};
        return {{1, 7, 8, 1}, {1, 9, 6, 1}};
    }
};

class SilentDialogs final : public platform::Dialogs {
public:
    void message(const QString& text) override { QTextStream(stdout) << "message: " << text << "\n"; }
};

// One program run, as main wires it, started under a given copy name.
struct Program {
    model::AppState state;
    model::StdRandomSource random{20261208};
    FixedClock clock;
    SilentDialogs dialogs;
    ui::QtPrinterFactory printers;
    ui::QtDrawingSurfaceFactory surfaces;
    ui::QtWindowHost host;
    Services services;

    Program(const QString& copy, const QString& outDir, platform::Journal* journal = nullptr)
        : printers(outDir, copy, clock),
          host([this](const QString& name) { return app::createWindow(name, services); }),
          services{state, random, clock, dialogs, host, copy, &printers, &surfaces, journal}
    {
    }

    forms::Form& show(const QString& name)
    {
        host.route([&] { host.show(name); });
        return *host.find(name);
    }
    void act(const std::function<void()>& f) { host.route(f); }
    void press(const QString& window, const QString& control, int index = -1)
    {
        forms::Form* form = host.find(window);
        if (!form)
            qFatal("no window %s", qPrintable(window));
        act([&] { form->press(form->c(control, index)); });
    }
    void openCurtain()
    {
        forms::Form& start = *host.find(u"frmInizio"_s);
        forms::Control& timer = start.c(u"TimerTendine"_s);
        for (int tick = 0; tick < 1000 && timer.enabled(); ++tick)
            act([&] { start.timerTick(timer); });
    }
    void grab(const QString& window, const QString& file)
    {
        ui::FormView* view = host.viewOf(window);
        if (!view)
            qFatal("no view %s", qPrintable(window));
        QCoreApplication::processEvents();
        if (screenReport.isEmpty()) {
            if (!view->grab().save(file))
                qFatal("cannot write %s", qPrintable(file));
        } else {
            grabScreen(view, file);
        }
        QTextStream(stdout) << file << "\n";
    }

    // The whole screen as the desktop shows it, once its window manager has
    // placed the window; and where every object a screen reader is told of
    // stands, by the accessible geometry, for the test that checks it.
    static inline QString screenReport;
    static void grabScreen(QWidget* view, const QString& file)
    {
        view->raise();
        view->activateWindow();
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 700) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(20);
        }
        if (!view->screen()->grabWindow(0).save(file))
            qFatal("cannot write %s", qPrintable(file));
        QFile report(screenReport);
        if (!report.open(QIODevice::Append))
            qFatal("cannot write %s", qPrintable(screenReport));
        QTextStream out(&report);
        const QString shot = QFileInfo(file).completeBaseName();
        const QRect area = view->screen()->availableGeometry();
        out << shot << "\t-\tscreen\t\t" << area.x() << '\t' << area.y() << '\t' << area.width() << '\t'
            << area.height() << "\n";
        std::function<void(QAccessibleInterface*, const QString&)> walk = [&](QAccessibleInterface* iface,
                                                                              const QString& path) {
            const QAccessible::State state = iface->state();
            if (state.invisible || state.offscreen)
                return;
            const QRect r = iface->rect();
            out << shot << '\t' << path << '\t' << int(iface->role()) << '\t'
                << iface->text(QAccessible::Name).simplified() << '\t' << r.x() << '\t' << r.y() << '\t'
                << r.width() << '\t' << r.height() << "\n";
            for (int i = 0; i < iface->childCount(); ++i)
                if (QAccessibleInterface* child = iface->child(i))
                    walk(child, path + u'.' + QString::number(i));
        };
        walk(QAccessible::queryAccessibleInterface(view), u"0"_s);
    }
};

// Starts a practice run of the given objective (variant range) on additions.
void startPractice(Program& p, int objective, int level)
{
    p.show(u"frmInizio"_s);
    p.openCurtain();
    p.press(u"frmInizio"_s, u"Option1"_s, objective - 1 - (objective > 3 ? 0 : 0));
    p.press(u"frmInizio"_s, u"Option2"_s, level - 1);
    p.press(u"frmInizio"_s, u"Option3"_s, 0);
}

void typeRight(Program& p)
{
    const QString answer = p.state.expectedAnswer.trimmed();
    if (p.state.variantCode >= 7) {
        p.press(u"FrmOperativo"_s, u"Option5"_s, int(QStringLiteral("=<>").indexOf(answer)));
        p.press(u"FrmOperativo"_s, u"Option5"_s, 3);
    } else {
        for (QChar digit : answer)
            p.press(u"FrmOperativo"_s, u"Option1"_s, digit.digitValue());
        p.press(u"FrmOperativo"_s, u"Option1"_s, 11);
    }
}

void typeWrong(Program& p)
{
    const QString answer = p.state.expectedAnswer.trimmed();
    if (p.state.variantCode >= 7) {
        p.press(u"FrmOperativo"_s, u"Option5"_s, answer == u"="_s ? 1 : 0);
        p.press(u"FrmOperativo"_s, u"Option5"_s, 3);
    } else {
        for (QChar digit : QString::number(answer.toInt() + 1))
            p.press(u"FrmOperativo"_s, u"Option1"_s, digit.digitValue());
        p.press(u"FrmOperativo"_s, u"Option1"_s, 11);
    }
}

void avanti(Program& p)
{
    p.press(u"FrmOperativo"_s, p.state.variantCode >= 7 ? u"Option5"_s : u"Option1"_s,
            p.state.variantCode >= 7 ? 4 : 12);
}

// A whole run: a few wrong answers, the rest right.
void playRun(Program& p)
{
    for (int op = 1; op <= 20; ++op) {
        p.clock.seconds += 3 + op % 7;
        if (op % 6 == 0) {
            typeWrong(p);
            p.press(u"FrmOperativo"_s, u"Option3"_s, 0);  // "No"
        }
        typeRight(p);
        if (op < 20)
            avanti(p);
    }
}

// The journal's wall clock, moved by hand from one lesson to the next.
class LessonClock final : public platform::Clock {
public:
    double secondsSinceMidnight() override { return now().time().msecsSinceStartOfDay() / 1000.0; }
    QString shortDate() override { return u"08/12/26"_s; }
    QDateTime now() override
    {
        std::lock_guard lock(m_mutex);
        m_time = m_time.addSecs(7);
        return m_time;
    }
    void set(const QDateTime& time)
    {
        std::lock_guard lock(m_mutex);
        m_time = time;
    }

private:
    std::mutex m_mutex;
    QDateTime m_time;
};

class CountingIds final : public journal::IdSource {
public:
    QString newId() override { return u"00000000-0000-4000-8000-%1"_s.arg(++m_next, 12, 10, QChar(u'0')); }

private:
    std::atomic<int> m_next = 0;
};

// Ten lessons of a small class, each pupil one run a lesson on one copy, the
// name typed in the list of exercises: the journal the pupils' copies write.
// Each pupil gets surer and quicker from one lesson to the next.
void playLessons(const QString& journalFile, const QString& out)
{
    struct Pupil {
        QString name;
        double sureness;  // chance of a right first answer in the first lesson
        double seconds;   // seconds an operation takes in the first lesson
    };
    const Pupil pupils[] = {{u"Giulia"_s, 0.6, 11}, {u"Marco"_s, 0.8, 8}, {u"Sara"_s, 0.5, 13},
                            {u"Luca"_s, 0.88, 6}, {u"Anna"_s, 0.7, 9}};
    const QString copies[] = {u"MOLTIPLICAZIONI"_s, u"ADDIZIONI"_s, u"SOTTRAZIONI"_s};
    LessonClock wall;
    CountingIds ids;
    std::mt19937 draws(20261208);
    std::uniform_real_distribution<double> chance(0, 1);
    const QDate first(2026, 11, 9);
    int lesson = 0;
    for (QDate day = first; lesson < 10; day = day.addDays(1)) {
        if (day.dayOfWeek() > 5)
            continue;
        for (int n = 0; n < int(std::size(pupils)); ++n) {
            const Pupil& pupil = pupils[n];
            const QString copy = copies[(n + lesson) % 3 == 0 ? 0 : (n + lesson) % 3];
            journal::Writer writer(wall, ids);
            writer.start({journal::Location{journalFile, {}, {}}, {copy, u"alunno"_s, u"aula-2"_s}});
            wall.set(QDateTime(day, QTime(9, 0).addSecs(n * 1500), QTimeZone(3600)));
            // The copy's settings file picks its operations, as in the run folder.
            QFile settings(copy + u".dat"_s);
            if (!settings.open(QIODevice::WriteOnly) ||
                settings.write(copy == copies[0] ? " 4  1  1 \r\n" : copy == copies[1] ? " 1  1  1 \r\n" : " 2  1  1 \r\n") < 0)
                qFatal("cannot write %s", qPrintable(settings.fileName()));
            settings.close();
            Program p(copy, out, &writer);
            startPractice(p, lesson % 2 ? 1 : 4, 1 + lesson % 2);
            const double sureness = std::min(0.97, pupil.sureness + 0.025 * lesson);
            const double seconds = std::max(3.0, pupil.seconds * (1 - 0.05 * lesson));
            for (int op = 1; op <= 20; ++op) {
                p.clock.seconds += seconds * (0.6 + 0.8 * chance(draws));
                bool helped = false;
                for (int refusals = 0; !helped && chance(draws) > sureness;) {
                    typeWrong(p);
                    helped = chance(draws) < 0.5;
                    p.press(u"FrmOperativo"_s, u"Option3"_s, helped ? 1 : 0);  // "Sì" or "No"
                    if (!helped && ++refusals == 3) {
                        // The program steps in; "OK" closes the operation.
                        p.act([&] {
                            forms::Form& f = *p.host.find(u"FrmOperativo"_s);
                            f.click(f.c(u"optOK"_s));
                        });
                        helped = true;
                    }
                }
                if (!helped)
                    typeRight(p);
                if (op < 20 || helped)  // after help, "Avanti" leads on, to the end too
                    avanti(p);
            }
            p.press(u"FrmOperativo"_s, u"Option4"_s, 0);  // "VISUALIZZA"
            p.press(u"FrmStampaEsercizio"_s, u"Option1"_s, 1);  // "SCRIVI IL NOME"
            p.act([&] {
                forms::Form& f = *p.host.find(u"FrmStampaEsercizio"_s);
                f.textEdited(f.c(u"txtNome"_s), pupil.name);
                f.click(f.c(u"cmdAvanti"_s));
            });
        }
        ++lesson;
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(u"Fusion"_s);
    ui::installAccessibility();
    const QString out = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s).absolutePath();
    QDir().mkpath(out);
    // Settings files and printouts land where the pictures go.
    QDir::setCurrent(out);
    auto file = [&](const QString& name) { return QDir(out).filePath(name + u".png"); };
    QStringList only;
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        // --schermo=<file>: pictures of the whole screen, and a report of
        // where the objects a screen reader is told of stand.
        if (arg.startsWith(u"--schermo="_s))
            Program::screenReport = QDir(out).absoluteFilePath(arg.mid(10));
        else
            only << arg;
    }
    auto wanted = [&](const QString& name) { return only.isEmpty() || only.contains(name); };

    if (wanted(u"start"_s)) {
        Program p(u"ADDIZIONI"_s, out);
        p.show(u"frmInizio"_s);
        p.grab(u"frmInizio"_s, file(u"start-curtain"_s));
        p.openCurtain();
        p.press(u"frmInizio"_s, u"Option1"_s, 2);
        p.press(u"frmInizio"_s, u"Option2"_s, 3);
        p.grab(u"frmInizio"_s, file(u"start"_s));
        p.act([&] {
            forms::Form& f = *p.host.find(u"frmInizio"_s);
            f.click(f.c(u"lblCambiaOb"_s, 0));
        });
        p.press(u"frmInizio"_s, u"Option1"_s, 5);
        p.grab(u"frmInizio"_s, file(u"start-set2"_s));
    }
    if (wanted(u"who"_s)) {
        Program p(u"ADDIZIONI"_s, out);
        ClassOfTwelve classroom;
        p.services.classroom = &classroom;
        p.show(u"frmInizio"_s);
        p.openCurtain();
        p.press(u"frmInizio"_s, u"Option1"_s, 0);
        p.press(u"frmInizio"_s, u"Option2"_s, 0);
        p.press(u"frmInizio"_s, u"Option3"_s, 0);  // "Avanti"
        p.grab(windows::kChiSeiWindow, file(u"who"_s));
        p.press(windows::kChiSeiWindow, u"optAlunno"_s, 6);  // Giulia, who has mistakes to review
        p.grab(windows::kChiSeiWindow, file(u"who-review"_s));
    }
    if (wanted(u"info"_s)) {
        Program p(u"ADDIZIONI"_s, out);
        p.show(u"frmInizio"_s);
        for (const QString& w : {u"FrmValutazione"_s, u"frmEsempi"_s, u"frmAutore"_s}) {
            p.act([&] { p.host.show(w, forms::Modality::Modal); });
            p.grab(w, file(w));
            p.act([&] { p.host.unload(w); });
        }
    }
    if (wanted(u"practice"_s)) {
        {
            Program p(u"ADDIZIONI"_s, out);
            startPractice(p, 4, 1);  // a number in any place
            p.press(u"FrmOperativo"_s, u"Option1"_s, p.state.expectedAnswer.trimmed().at(0).digitValue());
            p.grab(u"FrmOperativo"_s, file(u"practice-entry"_s));
            p.press(u"FrmOperativo"_s, u"Option1"_s, 10);
            typeRight(p);
            p.grab(u"FrmOperativo"_s, file(u"practice-answered"_s));
            avanti(p);
            typeWrong(p);
            p.grab(u"FrmOperativo"_s, file(u"practice-help"_s));
            p.press(u"FrmOperativo"_s, u"Option3"_s, 1);  // "Sì"
            p.grab(u"FrmOperativo"_s, file(u"practice-helped"_s));
        }
        {
            Program p(u"OPERAZIONI"_s, out);
            p.state.operationKind = 7;
            startPractice(p, 5, 4);  // the sign
            p.state.operationKind = 7;
            p.grab(u"FrmOperativo"_s, file(u"practice-sign"_s));
            for (int i = 0; i < 3; ++i) {
                typeWrong(p);
                p.press(u"FrmOperativo"_s, u"Option3"_s, 0);
            }
            p.grab(u"FrmOperativo"_s, file(u"practice-intervention"_s));
        }
        {
            Program p(u"ADDIZIONI"_s, out);
            startPractice(p, 6, 2);
            playRun(p);
            p.grab(u"FrmOperativo"_s, file(u"practice-end"_s));
        }
    }
    if (wanted(u"printouts"_s)) {
        Program p(u"ADDIZIONI"_s, out);
        startPractice(p, 6, 2);
        playRun(p);
        p.press(u"FrmOperativo"_s, u"Option4"_s, 0);  // "VISUALIZZA"
        p.grab(u"FrmStampaEsercizio"_s, file(u"exercises"_s));
        p.press(u"FrmStampaEsercizio"_s, u"Option1"_s, 1);  // "SCRIVI IL NOME"
        p.act([&] {
            forms::Form& f = *p.host.find(u"FrmStampaEsercizio"_s);
            f.textEdited(f.c(u"txtNome"_s), u"giulia"_s);
        });
        p.grab(u"FrmStampaEsercizio"_s, file(u"exercises-name"_s));
        p.act([&] {
            forms::Form& f = *p.host.find(u"FrmStampaEsercizio"_s);
            f.click(f.c(u"cmdAvanti"_s));
        });
        p.press(u"FrmStampaEsercizio"_s, u"Option1"_s, 2);  // "STAMPA"
        p.press(u"FrmStampaEsercizio"_s, u"Option1"_s, 3);  // "ATTESTATO"
        p.grab(u"FrmAttestato"_s, file(u"certificate"_s));
        p.press(u"FrmAttestato"_s, u"Option5"_s, 0);  // "STAMPA L'ATTESTATO"
    }
    if (wanted(u"worksheets"_s)) {
        Program p(u"ADDIZIONI"_s, out);
        p.show(u"frmInizio"_s);
        p.openCurtain();
        p.act([&] {
            forms::Form& f = *p.host.find(u"frmInizio"_s);
            f.click(f.c(u"mnuSchede"_s));
        });
        p.grab(u"FrmStampaSchede"_s, file(u"worksheet-empty"_s));
        p.press(u"FrmStampaSchede"_s, u"Option1"_s, 2);
        p.press(u"FrmStampaSchede"_s, u"Option2"_s, 1);
        auto click = [&](const QString& control) {
            p.act([&] {
                forms::Form& f = *p.host.find(u"FrmStampaSchede"_s);
                f.setFocus(f.c(control));
                f.click(f.c(control));
            });
        };
        click(u"CmdSchedaAlunni"_s);
        p.grab(u"FrmStampaSchede"_s, file(u"worksheet-pupil"_s));
        click(u"CmdStampaAlunni"_s);
        click(u"CmdSchedaDocenti"_s);
        p.grab(u"FrmStampaSchede"_s, file(u"worksheet-teacher"_s));
        click(u"CmdStampaDocenti"_s);

        // Subtractions, a term or the sign, with 25 different sheets to print.
        p.press(u"FrmStampaSchede"_s, u"Option3"_s, 1);
        click(u"lblCambiaObSchede"_s);
        p.press(u"FrmStampaSchede"_s, u"Option1"_s, 5);
        p.press(u"FrmStampaSchede"_s, u"Option2"_s, 0);
        click(u"CmdSchedaAlunni"_s);
        p.act([&] {
            forms::Form& f = *p.host.find(u"FrmStampaSchede"_s);
            f.textEdited(f.c(u"txtNumeroSchede"_s, 0), u"25"_s);
        });
        p.grab(u"FrmStampaSchede"_s, file(u"worksheet-subtraction"_s));
        click(u"CmdStampaAlunni"_s);
        click(u"CmdSchedaDocenti"_s);
        click(u"CmdStampaDocenti"_s);

        // Divisions, a term anywhere, teacher version.
        p.press(u"FrmStampaSchede"_s, u"Option3"_s, 3);
        p.press(u"FrmStampaSchede"_s, u"Option1"_s, 3);
        p.press(u"FrmStampaSchede"_s, u"Option2"_s, 3);
        click(u"CmdSchedaAlunni"_s);
        click(u"CmdSchedaDocenti"_s);
        p.grab(u"FrmStampaSchede"_s, file(u"worksheet-division"_s));
    }
    if (wanted(u"registro"_s)) {
        QTemporaryDir scratch;
        const QString journalFile = scratch.filePath(u"registro.sqlite"_s);
        playLessons(journalFile, scratch.path());
        const journal::Connection journal = journal::openLocal(journalFile);
        registro::Reader reader(journal.database(), QTimeZone(3600));
        FixedClock clock;
        SilentDialogs dialogs;
        ui::QtPrinterFactory printers(out, u"REGISTRO"_s, clock);
        registro_ui::TeacherWindow window(reader, printers, clock, dialogs,
                                          u"Registro locale: /home/insegnante/.local/share/aritmetica/registro.sqlite"_s);
        // The README's picture at a size of its own; on the whole screen, the
        // window as the program sizes it.
        if (Program::screenReport.isEmpty())
            window.resize(1180, 760);
        window.show();
        auto grab = [&](const QString& name) {
            // The window reads on a thread of its own: what it shows first.
            while (window.isReading())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
            if (!Program::screenReport.isEmpty())
                Program::grabScreen(&window, file(name));
            else if (!window.grab().save(file(name)))
                qFatal("cannot write %s", qPrintable(name));
            QTextStream(stdout) << file(name) << "\n";
        };
        grab(u"registro"_s);
        auto* pupil = window.findChild<QComboBox*>(u"alunno"_s);
        pupil->setCurrentIndex(pupil->findText(u"Giulia"_s));
        window.findChild<QTabWidget*>(u"dettagli"_s)->setCurrentIndex(1);
        grab(u"registro-chart"_s);
        if (!Program::screenReport.isEmpty()) {
            // The other parts, for the check that every control is on the screen.
            auto* parts = window.findChild<QTabWidget*>(u"parti"_s);
            parts->setCurrentIndex(1);
            grab(u"registro-classi"_s);
            parts->setCurrentIndex(2);
            grab(u"registro-classe"_s);
        }
    }
    return 0;
}
