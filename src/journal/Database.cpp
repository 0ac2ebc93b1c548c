#include "journal/Database.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include <sys/vfs.h>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

struct MigrationText {
    const char16_t* name;
    const char16_t* sql;
};

#include "journal/Migrations.inc"

QString uniqueConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return u"journal-"_s + QString::number(counter.fetchAndAddRelaxed(1) + 1);
}

// SQLite result codes the journal tells apart (the primary code, the low
// byte of an extended one).
enum SqliteCode {
    kPerm = 3, kBusy = 5, kLocked = 6, kReadOnly = 8, kIoErr = 10, kCorrupt = 11, kFull = 13,
    kCantOpen = 14, kNotADb = 26,
};

bool exec(QSqlDatabase& db, const QString& statement, QSqlError* error)
{
    QSqlQuery query(db);
    if (query.exec(statement)) return true;
    if (error) *error = query.lastError();
    return false;
}

// A new file is readable and writable by what the umask leaves: the
// program runs with 077 (private), or 007 where a school shares the folder.
bool create(const QString& path, QSqlError* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666);
    if (fd < 0) {
        if (errno == EEXIST) return true;  // another copy made it meanwhile
        // The system's words alone: whoever tells it puts them after an
        // Italian sentence.
        *error = QSqlError(QString::fromLocal8Bit(std::strerror(errno)), QString(), QSqlError::ConnectionError,
                           QString::number(kCantOpen));
        return false;
    }
    ::close(fd);
    return true;
}

std::atomic<FileSystemTypeProbe> g_fileSystemType{nullptr};

// statfs's magic numbers of the file systems other machines may share.
bool isNetworkType(unsigned long type)
{
    switch (type) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x5346414F:  // AFS
        case 0x6B414653:  // kAFS
        case 0x73757245:  // Coda
        case 0x564C:      // NCP
        case 0x00C36400:  // Ceph
        case 0x01021997:  // 9P
        case 0x0BD00BD0:  // Lustre
        case 0x01161970:  // GFS2
        case 0x7461636F:  // OCFS2
        case 0x65735546:  // FUSE (sshfs, gvfs...): not known to be local
            return true;
        default: return false;
    }
}

}  // namespace

void setFileSystemTypeProbe(FileSystemTypeProbe probe)
{
    g_fileSystemType.store(probe);
}

bool onNetworkFileSystem(const QString& folder)
{
    if (const FileSystemTypeProbe probe = g_fileSystemType.load()) return isNetworkType((unsigned long)probe(folder));
    struct statfs info {};
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0) return false;
    return isNetworkType((unsigned long)info.f_type);
}

Fault classify(const QSqlError& error, bool local)
{
    if (!error.isValid()) return Fault::None;
    if (!local) return error.type() == QSqlError::ConnectionError ? Fault::Unreachable : Fault::Refused;
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    if (!ok) return Fault::Unwritable;
    switch (code) {
        case kCorrupt:
        case kNotADb: return Fault::Damaged;
        case kFull: return Fault::DiskFull;
        case kBusy:
        case kLocked: return Fault::Busy;
        default: return Fault::Unwritable;
    }
}

// --- Connection ------------------------------------------------------------

Connection::Connection(const QString& driver) : m_name(uniqueConnectionName())
{
    QSqlDatabase::addDatabase(driver, m_name);
}

Connection::~Connection()
{
    close();
}

Connection& Connection::operator=(Connection&& other) noexcept
{
    if (this != &other) {
        close();
        m_name = std::exchange(other.m_name, {});
        m_error = other.m_error;
    }
    return *this;
}

bool Connection::isOpen() const
{
    return !m_name.isEmpty() && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Connection::database() const
{
    return m_name.isEmpty() ? QSqlDatabase() : QSqlDatabase::database(m_name, false);
}

void Connection::close()
{
    if (m_name.isEmpty()) return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
}

// --- opening -----------------------------------------------------------------

Connection openLocal(const QString& path, int busyTimeoutMs)
{
    Connection c(u"QSQLITE"_s);
    QSqlDatabase db = c.database();
    if (!db.isValid()) {
        c.setError(QSqlError(u"Manca il driver SQLite di Qt"_s, {}, QSqlError::ConnectionError));
        return c;
    }
    if (QSqlError error; !QFileInfo::exists(path) && !create(path, &error)) {
        c.setError(error);
        return c;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT="_s + QString::number(busyTimeoutMs));
    if (!db.open()) {
        c.setError(db.lastError());
        return c;
    }
    // WAL lets copies read while one writes; FULL makes every commit
    // survive a power cut, at the price of one sync on the worker thread.
    QSqlError error;
    // The outbox is the local file's own bookkeeping: what is still to be
    // sent to a school's server.
    // journal_state notes what the outbox lacks: rows written while no
    // server was named, to be sent once one is.
    const auto outbox = [&db, &error] {
        const QStringList present = db.tables();
        return (present.contains(u"outbox"_s) ||
                exec(db,
                     u"CREATE TABLE IF NOT EXISTS outbox (seq INTEGER PRIMARY KEY AUTOINCREMENT, "
                     u"entry_table TEXT NOT NULL, entry_key TEXT NOT NULL, place INTEGER NOT NULL DEFAULT 0)"_s,
                     &error)) &&
               (present.contains(u"journal_state"_s) ||
                exec(db, u"CREATE TABLE IF NOT EXISTS journal_state (key TEXT PRIMARY KEY, value INTEGER NOT NULL)"_s,
                     &error));
    };
    const bool shared = onNetworkFileSystem(QFileInfo(path).absolutePath());
    if (!exec(db, shared ? u"PRAGMA journal_mode=DELETE"_s : u"PRAGMA journal_mode=WAL"_s, &error) || !exec(db, u"PRAGMA synchronous=FULL"_s, &error) ||
        !migrate(db, &error) || !outbox()) {
        c.setError(error);
        db.close();
    }
    return c;
}

Connection openServer(const ServerSettings& server, const QString& user, int connectTimeoutSeconds)
{
    Connection c(u"QPSQL"_s);
    QSqlDatabase db = c.database();
    if (!db.isValid()) {
        c.setError(QSqlError(u"Manca il driver PostgreSQL di Qt"_s, {}, QSqlError::ConnectionError));
        return c;
    }
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(user.isEmpty() ? server.user : user);
    // A server that vanishes mid-send is given up within seconds, not after
    // TCP's minutes: the program waits for the sync worker when it closes.
    QString options = u"connect_timeout="_s + QString::number(connectTimeoutSeconds) +
                      u";keepalives_idle=10;keepalives_interval=5;keepalives_count=3;tcp_user_timeout=20000"
                      u";application_name=aritmetica"_s;
    // Encrypted where it crosses a network; SCRAM bound to the TLS channel,
    // so that no other way of logging in is accepted.
    const auto quoted = [](QString value) {
        value.replace(u'\\', u"\\\\"_s).replace(u'\'', u"\\'"_s);
        return QString(u"'"_s + value + u"'"_s);
    };
    if (const QString mode = server.effectiveSslMode(); !mode.isEmpty()) {
        options += u";sslmode="_s + mode;
        if (mode == u"require" || mode.startsWith(u"verify")) options += u";channel_binding=require"_s;
    }
    if (!server.sslRootCert.isEmpty()) options += u";sslrootcert="_s + quoted(server.sslRootCert);
    db.setConnectOptions(options);
    if (!db.open()) c.setError(db.lastError());
    return c;
}

Connection openForReading(const Location& where)
{
    if (where.server)
        return openServer(*where.server,
                          where.server->teacherUser.isEmpty() ? where.server->user : where.server->teacherUser);
    return openLocal(where.localFile);
}

// --- schema versions -----------------------------------------------------------

QStringList splitStatements(const QString& script)
{
    static const QRegularExpression comment(u"--[^\n]*"_s);
    QString text = script;
    text.remove(comment);
    QStringList statements;
    QString trigger;  // a trigger's body, whose statements end at its END
    for (const QString& part : text.split(u';')) {
        const QString statement = part.trimmed();
        if (!trigger.isEmpty()) {
            trigger += u";\n"_s + statement;
            if (statement.compare(u"END"_s, Qt::CaseInsensitive) == 0) statements << std::exchange(trigger, {});
        } else if (statement.startsWith(u"CREATE TRIGGER"_s, Qt::CaseInsensitive)) {
            trigger = statement;
        } else if (!statement.isEmpty()) {
            statements << statement;
        }
    }
    if (!trigger.isEmpty()) statements << trigger;
    return statements;
}

const std::vector<Table>& tables()
{
    static const std::vector<Table> list = {
        {u"runs"_s,
         {u"id"_s, u"copy"_s, u"os_user"_s, u"machine"_s, u"objective"_s, u"objective_text"_s, u"level"_s,
          u"level_text"_s, u"started_at"_s, u"started_ms"_s, u"pupil_id"_s}},
        {u"operations"_s,
         {u"run_id"_s, u"place"_s, u"kind"_s, u"operand1"_s, u"operand2"_s, u"variant"_s, u"expected"_s,
          u"wrong_attempts"_s, u"help"_s, u"seconds"_s, u"record_line"_s, u"done_at"_s, u"done_ms"_s}},
        {u"run_ends"_s,
         {u"run_id"_s, u"ended_at"_s, u"ended_ms"_s, u"right_answers"_s, u"wrong_answers"_s, u"total_seconds"_s,
          u"finished"_s, u"grade"_s}},
        {u"pupil_names"_s, {u"id"_s, u"run_id"_s, u"pupil"_s, u"named_at"_s, u"named_ms"_s}},
        {u"sheets"_s,
         {u"id"_s, u"job_id"_s, u"copy"_s, u"os_user"_s, u"machine"_s, u"printed_at"_s, u"printed_ms"_s,
          u"version"_s, u"kind"_s, u"objective"_s, u"objective_text"_s, u"level"_s, u"level_text"_s,
          u"sheet_number"_s, u"sheet_count"_s, u"pupil_lines"_s, u"teacher_lines"_s}},
    };
    return list;
}

const std::vector<Migration>& migrations()
{
    static const std::vector<Migration> list = [] {
        std::vector<Migration> result;
        for (const MigrationText& m : kMigrationTexts) {
            const QString name = QString::fromUtf16(m.name);
            QStringList local;
            for (const MigrationText* l = kLocalMigrationTexts; l->name; ++l)
                if (QString::fromUtf16(l->name) == name) local = splitStatements(QString::fromUtf16(l->sql));
            result.push_back(
                {name.section(u'-', 0, 0).toInt(), name, splitStatements(QString::fromUtf16(m.sql)), local});
        }
        return result;
    }();
    return list;
}

int latestSchemaVersion()
{
    return migrations().empty() ? 0 : migrations().back().version;
}

int schemaVersion(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(u"SELECT max(version) FROM schema_version"_s) || !query.next()) return 0;
    return query.value(0).toInt();
}

QString olderServerMessage(const QSqlDatabase& db, int required)
{
    QSqlQuery query(db);
    if (!query.exec(u"SELECT max(version) FROM schema_version"_s) || !query.next()) return {};
    const int version = query.value(0).toInt();
    if (version >= required) return {};
    return u"Il server del registro ha le tabelle della versione %1, questo programma richiede la versione %2: "
           u"il tecnico deve eseguire registro-server.sh sul server."_s.arg(version)
        .arg(required);
}

bool migrate(QSqlDatabase& db, QSqlError* error)
{
    // Already there (the usual case): nothing to parse or lock.
    if (schemaVersion(db) >= latestSchemaVersion()) return true;
    const bool sqlite = db.driverName() == u"QSQLITE";
    // Copies starting together: the first takes the write lock, the others
    // wait for it and then find the tables made.
    if (!exec(db, sqlite ? u"BEGIN IMMEDIATE"_s : u"BEGIN"_s, error)) return false;
    const auto fail = [&db] {
        QSqlQuery(db).exec(u"ROLLBACK"_s);
        return false;
    };
    if (!exec(db, u"CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY, name TEXT NOT NULL)"_s,
              error))
        return fail();
    const int current = schemaVersion(db);
    for (const Migration& m : migrations()) {
        if (m.version <= current) continue;
        if (sqlite)
            for (const QString& statement : m.localStatements)
                if (!exec(db, statement, error)) return fail();
        for (const QString& statement : m.statements)
            if (!exec(db, statement, error)) return fail();
        QSqlQuery record(db);
        record.prepare(u"INSERT INTO schema_version (version, name) VALUES (?, ?)"_s);
        record.addBindValue(m.version);
        record.addBindValue(m.name);
        if (!record.exec()) {
            if (error) *error = record.lastError();
            return fail();
        }
    }
    return exec(db, u"COMMIT"_s, error) || fail();
}

}  // namespace journal
