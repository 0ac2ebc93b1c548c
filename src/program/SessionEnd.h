#pragma once

#include <QObject>

class QGuiApplication;
class QSocketNotifier;

namespace journal {
class Writer;
}

// The end of a session as the journal sees it: logout, SIGTERM, SIGHUP,
// SIGINT, the application quitting, and a display connection that breaks
// (the platform plugin then calls exit()). Each writes what the journal
// holds and closes its files before the process ends.
class SessionEnd final : public QObject {
public:
    SessionEnd(QGuiApplication& app, journal::Writer& journal);
    ~SessionEnd() override;
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // Just before the journal first opens its file: from then on an exit()
    // from anywhere finishes the journal first. Qt's database registry is
    // made here, so that it outlives that last write.
    void armExit();

private:
    void signalled();

    journal::Writer& m_journal;
    QSocketNotifier* m_notifier = nullptr;
};
