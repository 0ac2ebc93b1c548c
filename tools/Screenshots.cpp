// Renders the program's windows in the states a user meets them in, into PNG
// files: screenshots <output folder>. The windows are driven through their
// own event handlers, with a fixed random seed and clock, so every run gives
// the same pictures.
#include "app/Services.h"
#include "program/Windows.h"
#include "model/AppState.h"
#include "model/RandomSource.h"
#include "ui/FormView.h"
#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"
#include "ui/QtWindowHost.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

class FixedClock final : public platform::Clock {
public:
    double seconds = 36000;
    double secondsSinceMidnight() override { return seconds; }
    QString shortDate() override { return u"08/12/26"_s; }
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

    Program(const QString& copy, const QString& outDir)
        : printers(outDir, copy, clock),
          host([this](const QString& name) { return app::createWindow(name, services); }),
          services{state, random, clock, dialogs, host, copy, &printers, &surfaces}
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
        if (!view->grab().save(file))
            qFatal("cannot write %s", qPrintable(file));
        QTextStream(stdout) << file << "\n";
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

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(u"Fusion"_s);
    const QString out = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s).absolutePath();
    QDir().mkpath(out);
    // Settings files and printouts land where the pictures go.
    QDir::setCurrent(out);
    auto file = [&](const QString& name) { return QDir(out).filePath(name + u".png"); };
    QStringList only;
    for (int i = 2; i < argc; ++i)
        only << QString::fromLocal8Bit(argv[i]);
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
    return 0;
}
