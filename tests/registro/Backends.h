#pragma once

#include "journal/Database.h"
#include "support/PgCluster.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// The journals the read side is tested on, made by the journal's own code:
// a real SQLite file, and a real PostgreSQL server set up by the school's
// script. Each gives the connection the pupils' machines write through and
// the one the teacher reads and deletes through.
namespace registro_test {

class Backend {
public:
    virtual ~Backend() = default;
    virtual QString error() const = 0;  // empty when it is ready
    virtual QSqlDatabase pupils() = 0;
    virtual QSqlDatabase teacher() = 0;
};

class SqliteBackend final : public Backend {
public:
    SqliteBackend() : m_file(journal::openLocal(path())) {}
    QString error() const override { return m_file.isOpen() ? QString() : m_file.error().text(); }
    QSqlDatabase pupils() override { return m_file.database(); }
    QSqlDatabase teacher() override { return m_file.database(); }
    QString path() const { return m_dir.filePath(journal::kLocalFileName); }

private:
    QTemporaryDir m_dir;
    journal::Connection m_file;
};

// One server for all the tests of a run (a cluster takes seconds to start),
// emptied for each test.
class PostgresBackend final : public Backend {
public:
    PostgresBackend()
    {
        if (!cluster().ok()) {
            m_error = cluster().error();
            return;
        }
        if (cluster().sql(QStringLiteral("TRUNCATE runs, operations, run_ends, pupil_names, sheets, tombstones, journal_audit, classes, class_pupils")).isNull()) {
            m_error = QStringLiteral("cannot empty the tables");
            return;
        }
        m_pupils = journal::openServer(cluster().pupils());
        m_teacher = journal::openServer(cluster().teacher());
        if (!m_pupils.isOpen())
            m_error = m_pupils.error().text();
        else if (!m_teacher.isOpen())
            m_error = m_teacher.error().text();
    }
    QString error() const override { return m_error; }
    QSqlDatabase pupils() override { return m_pupils.database(); }
    QSqlDatabase teacher() override { return m_teacher.database(); }

    static testing_support::PgCluster& cluster()
    {
        static testing_support::PgCluster running;
        return running;
    }

private:
    journal::Connection m_pupils;
    journal::Connection m_teacher;
    QString m_error;
};

inline std::unique_ptr<Backend> makeBackend(const QString& kind)
{
    if (kind == QStringLiteral("postgresql"))
        return std::make_unique<PostgresBackend>();
    return std::make_unique<SqliteBackend>();
}

}  // namespace registro_test
