#pragma once

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// The journals the read side is tested on: a real SQLite file. Each gives a
// connection for the pupils' machines (which insert) and one for the teacher.
namespace registro_test {

class Backend {
public:
    virtual ~Backend() = default;
    virtual QString error() const = 0;  // empty when it is ready
    virtual QSqlDatabase pupils() = 0;
    virtual QSqlDatabase teacher() = 0;
};

class Connection {
public:
    explicit Connection(const QString& driver)
        : m_name(QStringLiteral("registro-test-%1").arg(++counter()))
    {
        QSqlDatabase::addDatabase(driver, m_name);
    }
    ~Connection()
    {
        { QSqlDatabase::database(m_name, false).close(); }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    static int& counter()
    {
        static int n = 0;
        return n;
    }
    QString m_name;
};

// The journal's tables as the local file has them.
inline const char* const kTables[] = {
    "CREATE TABLE runs (id TEXT PRIMARY KEY, copy TEXT NOT NULL, os_user TEXT NOT NULL, machine TEXT NOT NULL, "
    "objective INTEGER NOT NULL, objective_text TEXT NOT NULL, level INTEGER NOT NULL, level_text TEXT NOT NULL, "
    "started_at TEXT NOT NULL, started_ms BIGINT NOT NULL)",
    "CREATE TABLE operations (run_id TEXT NOT NULL, place INTEGER NOT NULL, kind INTEGER NOT NULL, "
    "operand1 INTEGER NOT NULL, operand2 INTEGER NOT NULL, variant INTEGER NOT NULL, expected TEXT NOT NULL, "
    "wrong_attempts TEXT NOT NULL, help TEXT NOT NULL, seconds INTEGER NOT NULL, record_line TEXT NOT NULL, "
    "done_at TEXT NOT NULL, done_ms BIGINT NOT NULL, PRIMARY KEY (run_id, place))",
    "CREATE TABLE run_ends (run_id TEXT PRIMARY KEY, ended_at TEXT NOT NULL, ended_ms BIGINT NOT NULL, "
    "right_answers INTEGER NOT NULL, wrong_answers INTEGER NOT NULL, total_seconds INTEGER NOT NULL, "
    "finished INTEGER NOT NULL, grade TEXT NOT NULL)",
    "CREATE TABLE pupil_names (id TEXT PRIMARY KEY, run_id TEXT NOT NULL, pupil TEXT NOT NULL, "
    "named_at TEXT NOT NULL, named_ms BIGINT NOT NULL)",
    "CREATE INDEX runs_started_ms ON runs (started_ms)",
    "CREATE INDEX runs_copy ON runs (copy)",
    "CREATE INDEX pupil_names_run_id ON pupil_names (run_id)",
    "CREATE INDEX pupil_names_pupil ON pupil_names (pupil)",
};

class SqliteBackend final : public Backend {
public:
    SqliteBackend() : m_connection(QStringLiteral("QSQLITE"))
    {
        QSqlDatabase db = m_connection.db();
        db.setDatabaseName(m_dir.filePath(QStringLiteral("registro.sqlite")));
        if (!db.open()) {
            m_error = db.lastError().text();
            return;
        }
        for (const char* statement : kTables) {
            QSqlQuery query(db);
            if (!query.exec(QString::fromLatin1(statement)))
                m_error = query.lastError().text();
        }
    }
    QString error() const override { return m_error; }
    QSqlDatabase pupils() override { return m_connection.db(); }
    QSqlDatabase teacher() override { return m_connection.db(); }
    QString path() const { return m_dir.filePath(QStringLiteral("registro.sqlite")); }

private:
    QTemporaryDir m_dir;
    Connection m_connection;
    QString m_error;
};

inline std::unique_ptr<Backend> makeBackend(const QString& kind)
{
    Q_UNUSED(kind);
    return std::make_unique<SqliteBackend>();
}

}  // namespace registro_test
