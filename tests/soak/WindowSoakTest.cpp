// The real windows, opened, used once and closed again, round after round in
// one program life, as a class uses the program all day: the practice window
// (Avanti, one answer, Esci) and the worksheet window (a pupil sheet, ESCI),
// on real widgets with the program's own style, every frame painted. The
// resident memory after a warm-up and after the rounds must stay within
// 1 MiB. WINDOW_SOAK_ROUNDS sets the rounds of each window (500 by default).
#include "program/Windows.h"
#include "soak/Session.h"
#include "ui/FormView.h"
#include "ui/ProgramStyle.h"
#include "ui/QtDrawingSurface.h"
#include "ui/QtWindowHost.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kWarmUpRounds = 50;
constexpr long kResidentSlack = 1024 * 1024;

// AddressSanitizer's quarantine and shadow memory say nothing about the
// program's: under it the rounds are played and checked, and fewer.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryCounts = false;
#else
constexpr bool kMemoryCounts = true;
#endif

int rounds()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("WINDOW_SOAK_ROUNDS", &ok);
    return ok && n > 0 ? n : kMemoryCounts ? 500 : 50;
}

// What the allocator keeps free for reuse goes back first, so that only what
// the program holds counts: when a window's backing store (MiBs) comes from
// the heap rather than its own mapping is up to glibc's moving thresholds.
long residentBytes()
{
    malloc_trim(0);
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

class WindowSoak : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    model::AppState m_state;
    model::StdRandomSource m_random{20261208};
    soak::StepClock m_clock;
    soak::QuietDialogs m_dialogs;
    ui::QtDrawingSurfaceFactory m_surfaces;
    std::unique_ptr<ui::QtWindowHost> m_host;
    std::unique_ptr<Services> m_services;

    // Paints whatever is due and deletes the windows closed meanwhile.
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget* widget(const QString& window, const QString& name)
    {
        ui::FormView* view = m_host->viewOf(window);
        QWidget* w = view ? view->findChild<QWidget*>(name) : nullptr;
        if (!w)
            qFatal("no widget %s in %s", qPrintable(name), qPrintable(window));
        return w;
    }

    // Mouse down and up on a button, as the pupil's mouse does it.
    void press(const QString& window, const QString& name)
    {
        QPointer<QWidget> w = widget(window, name);
        if (!w->isEnabled() || !w->isVisible())
            qFatal("%s in %s cannot be pressed", qPrintable(name), qPrintable(window));
        QTest::mousePress(w, Qt::LeftButton);
        if (w && w->isVisible())
            QTest::mouseRelease(w, Qt::LeftButton);
        settle();
    }

    // Avanti on the start window, one right answer, Esci.
    bool practiceRound(int round)
    {
        press(soak::kStart, u"Option1_%1"_s.arg(round % 3));
        press(soak::kStart, u"Option2_%1"_s.arg(round % 4));
        press(soak::kStart, u"Option3_0"_s);
        ui::FormView* view = m_host->viewOf(soak::kPractice);
        if (!view || !view->isVisible())
            return false;
        m_clock.advance(4);
        const QString answer = m_state.expectedAnswer.trimmed();
        for (QChar digit : answer)
            press(soak::kPractice, u"Option1_"_s + digit);
        press(soak::kPractice, u"Option1_11"_s);  // "Verifica"
        if (m_host->find(soak::kPractice)->c(u"LblEsito"_s).caption() != u"Esatto"_s)
            return false;
        press(soak::kPractice, u"Option1_13"_s);  // "Esci"
        return !m_host->isLoaded(soak::kPractice) && m_host->loadedForms().size() == 1;
    }

    // The worksheet window from the menu, a pupil sheet, ESCI.
    bool worksheetRound(int round)
    {
        auto* menu = m_host->viewOf(soak::kStart)->findChild<QAction*>(u"mnuSchede"_s);
        if (!menu || !menu->isEnabled())
            return false;
        menu->trigger();
        settle();
        ui::FormView* view = m_host->viewOf(soak::kWorksheets);
        if (!view || !view->isVisible())
            return false;
        press(soak::kWorksheets, u"Option1_%1"_s.arg(round % 3));
        press(soak::kWorksheets, u"Option2_%1"_s.arg(round % 4));
        press(soak::kWorksheets, u"CmdSchedaAlunni"_s);
        if (m_host->find(soak::kWorksheets)->c(u"LblOp"_s, 60).caption().isEmpty())
            return false;
        press(soak::kWorksheets, u"Command1"_s);  // "ESCI"
        return !m_host->isLoaded(soak::kWorksheets) && m_host->loadedForms().size() == 1;
    }

    void soak(const char* what, bool (WindowSoak::*round)(int))
    {
        const int n = rounds();
        for (int r = 0; r < kWarmUpRounds; ++r)
            QVERIFY2((this->*round)(r), qPrintable(u"warm-up round %1"_s.arg(r)));
        const long before = residentBytes();
        for (int r = 0; r < n; ++r)
            QVERIFY2((this->*round)(kWarmUpRounds + r), qPrintable(u"round %1"_s.arg(r)));
        const long after = residentBytes();
        if (!kMemoryCounts) {
            std::printf("%s, %d rounds: memory not checked under AddressSanitizer\n", what, n);
            return;
        }
        std::printf("%s, %d rounds after %d of warm-up: resident %ld -> %ld KiB (%+.1f KiB a round)\n", what, n,
                    kWarmUpRounds, before / 1024, after / 1024, double(after - before) / 1024.0 / n);
        std::fflush(stdout);
        QVERIFY2(after - before <= kResidentSlack,
                 qPrintable(u"%1: resident memory grew by %2 KiB"_s.arg(what).arg((after - before) / 1024)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The offscreen platform says so at every window shown.
        static const QtMessageHandler testLog = qInstallMessageHandler(nullptr);
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(u"This plugin does not support"_s))
                testLog(type, context, message);
        });
        QApplication::setStyle(new ui::ProgramStyle);
        QVERIFY(m_folder.isValid());
        QVERIFY(QDir::setCurrent(m_folder.path()));
        m_host = std::make_unique<ui::QtWindowHost>(
            [this](const QString& name) { return app::createWindow(name, *m_services); });
        m_services = std::make_unique<Services>(
            Services{m_state, m_random, m_clock, m_dialogs, *m_host, u"ADDIZIONI"_s, nullptr, &m_surfaces});
        m_host->route([this] { m_host->show(soak::kStart); });
        QVERIFY(QTest::qWaitForWindowExposed(m_host->viewOf(soak::kStart)));
        // The curtain opens on its timer; then the worksheet menu works.
        QTRY_VERIFY_WITH_TIMEOUT(
            m_host->viewOf(soak::kStart)->findChild<QAction*>(u"mnuSchede"_s)->isEnabled(), 30000);
    }

    void practiceWindowOpenedAnsweredAndLeft() { soak("practice window", &WindowSoak::practiceRound); }
    void worksheetWindowOpenedAndLeft() { soak("worksheet window", &WindowSoak::worksheetRound); }

    void cleanupTestCase() { m_host.reset(); }
};

QTEST_MAIN(WindowSoak)
#include "WindowSoakTest.moc"
