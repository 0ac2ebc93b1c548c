#pragma once

#include "journal/Settings.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// Connections to the journal: the local SQLite file and a school's server.
// A QSqlDatabase belongs to the thread that opened it; each Connection has
// a name of its own and removes it when it goes.
namespace journal {

// What went wrong, as far as the journal acts on it.
enum class Fault {
    None,
    Damaged,      // the local file is not a database or is corrupt: move it aside
    DiskFull,     // no room: keep the entries and try again later
    Busy,         // another writer holds the file longer than the timeout
    Unwritable,   // the folder or the file may not be written
    Unreachable,  // the server does not answer
    Refused,      // the server answers but will not take the entries
    Outdated,     // the server's tables are older than the program's
};

Fault classify(const QSqlError& error, bool local);

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(Connection&& other) noexcept : m_name(std::exchange(other.m_name, {})), m_error(other.m_error) {}
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const;
    QSqlDatabase database() const;
    const QSqlError& error() const { return m_error; }
    void close();

    // A closed connection of the Qt driver named ("QSQLITE", "QPSQL").
    explicit Connection(const QString& driver);
    void setError(const QSqlError& error) { m_error = error; }

private:
    QString m_name;
    QSqlError m_error;
};

inline constexpr int kBusyTimeoutMs = 5000;
inline constexpr int kConnectTimeoutSeconds = 5;
// The sync worker's: a copy that closes waits no longer than this for a
// frozen server, yet a busy server still has time to answer.
inline constexpr int kSyncConnectTimeoutSeconds = 3;

// The local file, created when missing (private to the user unless the
// process's umask says otherwise), in WAL mode, with the busy timeout, its
// tables brought to the latest version and the local bookkeeping in place.
// On a network file system, where several machines may open one file and
// WAL's shared memory does not reach across them, in rollback-journal mode.
Connection openLocal(const QString& path, int busyTimeoutMs = kBusyTimeoutMs);

// Whether a folder lies on a network file system (NFS, SMB/CIFS, AFS...),
// by statfs's type. Tests may stand in for statfs: the one place it is read.
using FileSystemTypeProbe = long (*)(const QString& folder);
void setFileSystemTypeProbe(FileSystemTypeProbe probe);
bool onNetworkFileSystem(const QString& folder);

// The school's server as `user` (the settings' pupils' role when empty). The
// password comes from libpq (~/.pgpass, PGPASSFILE). Nothing is created there:
// the set-up script makes the tables.
Connection openServer(const ServerSettings& server, const QString& user = {},
                      int connectTimeoutSeconds = kConnectTimeoutSeconds);

// The journal as the teacher reads it: the server as the teacher's role when
// one is named, else the local file.
Connection openForReading(const Location& where);

// Versions of the shared tables: the latest this program knows, and the
// highest applied to a database (0 for none).
int latestSchemaVersion();
int schemaVersion(const QSqlDatabase& db);

// Read on connecting to a school's server: when its tables are older than
// this program needs, the one sentence that tells the teacher (or a pupils'
// machine) what the technician must run; empty when they are not, or when
// the version cannot be read.
QString olderServerMessage(const QSqlDatabase& db, int required = latestSchemaVersion());

// The numbered migrations, in order: the statements of each file.
struct Migration {
    int version;
    QString name;
    QStringList statements;
    QStringList localStatements;  // the local file's own, before the others
};
const std::vector<Migration>& migrations();

// Brings a database's shared tables up to the latest version, in one
// transaction; a database already there is left alone.
bool migrate(QSqlDatabase& db, QSqlError* error);

// The shared tables and their columns in order, as the numbered files make
// them; the writer inserts and the sync worker copies by these lists.
struct Table {
    QString name;
    QStringList columns;
};
const std::vector<Table>& tables();

// Splits a script into statements at semicolons, without comments; a
// trigger's body stays whole up to its END.
QStringList splitStatements(const QString& script);

}  // namespace journal
