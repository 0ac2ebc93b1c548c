#include "ui/registro/TeacherProgram.h"

#include "journal/Rows.h"
#include "journal/ServerProblems.h"
#include "platform/SystemError.h"
#include "registro/Reader.h"
#include "ui/registro/TeacherWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <cerrno>
#include <future>

#include <sys/statvfs.h>
#include <unistd.h>

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

// Why the local journal did not open, among the causes a teacher can act
// on (the system's number); 0 for any other.
int localCause(const QString& path, const QSqlError& error)
{
    constexpr auto kSqliteFull = u"13";
    if (error.nativeErrorCode() == kSqliteFull)
        return ENOSPC;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const QByteArray file = QFile::encodeName(path);
    struct statvfs disk {};
    int cause = 0;
    if (::access(folder.constData(), F_OK) != 0 || ::access(folder.constData(), X_OK) != 0)
        cause = errno;
    else if (::access(file.constData(), F_OK) != 0)
        cause = ::access(folder.constData(), W_OK) != 0 ? errno : 0;
    else if (::statvfs(folder.constData(), &disk) == 0 && (disk.f_flag & ST_RDONLY))
        cause = EROFS;
    else if (::access(file.constData(), R_OK | W_OK) != 0)
        cause = errno;
    switch (cause) {
    case ENOSPC: case EDQUOT: case EACCES: case EPERM: case ENOENT: case EROFS: return cause;
    default: return 0;
    }
}

}  // namespace

QString localOpenFailure(const QString& path, const QSqlError& error)
{
    const QString sentence = u"Impossibile aprire il registro dei risultati"_s;
    const QString technical = error.text().isEmpty() ? QString() : u" ("_s % error.text() % u')';
    if (const int cause = localCause(path, error))
        return sentence % u": "_s % platform::systemErrorText(cause) % u'.' % technical;
    return sentence % u'.' % technical;
}

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
        dialogs.message(localOpenFailure(where.localFile, connection.error()));
    else if (const QString older = where.server ? journal::olderServerMessage(connection.database()) : QString();
             !older.isEmpty())
        dialogs.message(older);
    return connection;
}

void applyRetention(const journal::Location& where, registro::Reader& reader, platform::Clock& clock,
                    platform::Dialogs& dialogs, const std::shared_future<QString>& by)
{
    if (where.keepMonths <= 0)
        return;
    const QDateTime now = clock.now();
    if (!reader.removeRunsBefore(now.addMonths(-where.keepMonths).toMSecsSinceEpoch(), {now, by.get()}))
        dialogs.message(u"Le esecuzioni più vecchie di quanto dice «conserva» non si sono potute togliere: "_s %
                        reader.lastError());
}

int runTeacherWindow(platform::PrinterFactory& printers, platform::Clock& clock, platform::Dialogs& dialogs)
{
    // The user and registro.conf may each wait on the school's network: both
    // are looked up once, on threads of their own, the user while the
    // journal opens.
    const std::shared_future<QString> by = lookUpTeacher();
    std::future<journal::Location> located =
        std::async(std::launch::async, [folder = QDir::currentPath(), environment = QProcessEnvironment::systemEnvironment()] {
            return journal::locate(folder, environment);
        });
    const journal::Location where = located.get();
    const std::optional<journal::Connection> connection = openTeacherJournal(where, dialogs);
    if (!connection)
        return 1;
    registro::Reader reader(connection->database());
    if (connection->isOpen())
        applyRetention(where, reader, clock, dialogs, by);
    TeacherWindow window(reader, printers, clock, dialogs, sourceText(where), TeacherWindow::askingTheUser(), nullptr,
                         by);
    window.show();
    return QApplication::exec();
}

}  // namespace registro_ui
