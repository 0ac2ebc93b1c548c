#include "program/SessionEnd.h"

#include "journal/Writer.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};
std::atomic<journal::Writer*> g_atExit{nullptr};
std::atomic<bool> g_loopRunning{false};
// Read in a signal handler: they must not take locks.
static_assert(std::atomic<journal::Writer*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

extern "C" void onSignal(int number)
{
    // Before the event loop runs no one would read the note, and nothing has
    // been handed to the journal yet: a start that hangs still ends.
    if (!g_loopRunning.load()) {
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

extern "C" void finishAtExit()
{
    if (journal::Writer* journal = g_atExit.exchange(nullptr)) journal->finish();
}

}  // namespace

SessionEnd::SessionEnd(QGuiApplication& app, journal::Writer& journal) : m_journal(journal)
{
    // A signal is only noted in its handler; the journal is finished from
    // the event loop, where it may take locks and write.
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SessionEnd::signalled);
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(number, &action, nullptr);
        QTimer::singleShot(0, this, [] { g_loopRunning.store(true); });
    }
    // Logout: the session manager asks before it ends the program.
    connect(&app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { m_journal.finish(); });
    connect(&app, &QCoreApplication::aboutToQuit, this, [this] { m_journal.finish(); });
}

SessionEnd::~SessionEnd()
{
    // The journal goes with main's scope; exit() after that has nothing to do.
    g_atExit.store(nullptr);
    g_loopRunning.store(false);
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) ::signal(number, SIG_DFL);
}

void SessionEnd::armExit()
{
    // Functions run at exit in the reverse order of their registration:
    // Qt's registry of connections, made first, goes after the journal.
    [[maybe_unused]] const bool available = QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
    [[maybe_unused]] const QStringList names = QSqlDatabase::connectionNames();
    if (g_atExit.exchange(&m_journal) == nullptr) std::atexit(finishAtExit);
}

void SessionEnd::signalled()
{
    char byte = 0;
    while (::read(g_signalPipe[0], &byte, 1) > 0) {
    }
    m_journal.finish();
    // exit(), not quit(): a window may refuse to close, a signal may not be refused.
    QCoreApplication::exit(0);
}
