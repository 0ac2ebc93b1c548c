#include "ui/registro/TeacherProgram.h"

#include "journal/Rows.h"
#include "journal/ServerProblems.h"
#include "registro/Reader.h"
#include "ui/registro/TeacherWindow.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>

using namespace Qt::Literals::StringLiterals;

namespace registro_ui {

namespace {

// Where the window reads, for the status bar.
QString sourceText(const journal::Location& where)
{
    if (!where.server)
        return u"Registro locale: "_s % QDir::toNativeSeparators(where.localFile);
    const journal::ServerSettings& server = *where.server;
    const QString user = server.teacherUser.isEmpty() ? server.user : server.teacherUser;
    return u"Server della scuola: "_s % server.database % u" su "_s % server.host % u':' %
           QString::number(server.port) % u" (utente "_s % user % u')';
}

}  // namespace

std::optional<journal::Connection> openTeacherJournal(const journal::Location& where, platform::Dialogs& dialogs)
{
    if (!where.problem.isEmpty()) {
        dialogs.message(where.problem % u" Il registro non viene aperto: correggere il file e riavviare."_s);
        return std::nullopt;
    }
    journal::Connection connection = journal::openForReading(where);
    if (!connection.isOpen() && where.server) {
        // The teacher's role, with the cause in words a technician can act on.
        journal::ServerSettings teacher = *where.server;
        if (!teacher.teacherUser.isEmpty()) teacher.user = teacher.teacherUser;
        dialogs.message(journal::serverProblem(teacher, connection.error().text()).text);
    } else if (!connection.isOpen())
        dialogs.message(u"Impossibile aprire il registro dei risultati. "_s % connection.error().text());
    else if (const QString older = where.server ? journal::olderServerMessage(connection.database()) : QString();
             !older.isEmpty())
        dialogs.message(older);
    return connection;
}

void applyRetention(const journal::Location& where, registro::Reader& reader, platform::Clock& clock,
                    platform::Dialogs& dialogs)
{
    if (where.keepMonths <= 0)
        return;
    const journal::Identity who = journal::Identity::ofThisProcess(kTeacherCopy);
    const QDateTime now = clock.now();
    if (!reader.removeRunsBefore(now.addMonths(-where.keepMonths).toMSecsSinceEpoch(),
                                 {now, who.osUser % u'@' % who.machine}))
        dialogs.message(u"Le esecuzioni più vecchie di quanto dice «conserva» non si sono potute togliere: "_s %
                        reader.lastError());
}

int runTeacherWindow(platform::PrinterFactory& printers, platform::Clock& clock, platform::Dialogs& dialogs)
{
    const journal::Location where = journal::locate(QDir::currentPath(), QProcessEnvironment::systemEnvironment());
    const std::optional<journal::Connection> connection = openTeacherJournal(where, dialogs);
    if (!connection)
        return 1;
    registro::Reader reader(connection->database());
    if (connection->isOpen())
        applyRetention(where, reader, clock, dialogs);
    TeacherWindow window(reader, printers, clock, dialogs, sourceText(where));
    window.show();
    return QApplication::exec();
}

}  // namespace registro_ui
