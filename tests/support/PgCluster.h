#pragma once

#include "journal/Settings.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

// A throwaway PostgreSQL cluster for one test: initdb into a temporary
// folder, started with pg_ctl on a socket in that folder (no TCP), set up
// with the project's own server script, stopped and removed at the end.
// As root (CI) the server runs as the postgres user through runuser. The
// roles log in with passwords that libpq reads from a private PGPASSFILE,
// which the constructor puts in this process's environment.
class PgCluster {
public:
    static constexpr const char* kDatabase = "registro";
    static constexpr const char* kPupilsRole = "registro_alunni";
    static constexpr const char* kTeacherRole = "registro_docenti";

    // logStatements: the server logs every statement (log_statement = all),
    // for tests of what reaches its log.
    // tcp: it listens on 127.0.0.1 too (pg_hba.conf lets no one in that way
    // until a test or the script says so).
    // setUp: false leaves the cluster bare, without the journal's database
    // and roles (a new server for a restore).
    explicit PgCluster(bool logStatements = false, bool tcp = false, bool setUp = true);
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // Whether the cluster runs and is set up; why not, when it is not.
    bool ok() const { return m_ok; }
    const QString& error() const { return m_error; }

    // Where the pupils' machines and the teacher connect.
    journal::ServerSettings pupils() const;
    journal::ServerSettings teacher() const;

    // Runs the set-up script with --macchina for a machine of this host
    // name, whose role's password goes in the PGPASSFILE. Returns the role
    // (null on failure, output says why), which a machine() settings names.
    QString addMachine(const QString& name, QString* output = nullptr);
    journal::ServerSettings as(const QString& role) const;
    // Runs the set-up script with these arguments, as the superuser.
    bool runScript(const QStringList& arguments, QString* output = nullptr,
                   const QProcessEnvironment& extra = QProcessEnvironment()) const;

    // The password a role logs in with, for this process's libpq.
    bool addPassword(const QString& role, const QString& password);
    // Runs a client program (psql, pg_dump, ...) as the superuser.
    bool client(const QString& program, const QStringList& arguments, QString* output = nullptr) const;

    bool stop();
    bool start();

    // Runs SQL as the superuser in the journal's database and returns what
    // psql prints (unaligned, tuples only), or a null string on failure.
    QString sql(const QString& statements, const QString& database = QString::fromLatin1(kDatabase)) const;
    // One number from a query, or -1.
    long long count(const QString& query) const;

    const QString& socketDir() const { return m_socketDir; }
    // The server's main process (postmaster.pid), or 0.
    qint64 serverPid() const;
    // A folder of the test's that the server's user may enter too.
    QString folder() const { return m_dir.path(); }
    int port() const { return m_port; }
    // The environment the project's scripts need to reach the cluster as
    // the superuser (and this build's password tool).
    QProcessEnvironment adminEnvironment() const;
    // What the server has written to its log so far.
    QString serverLog() const;
    // The passwords the roles were given.
    static QString pupilsPassword();
    static QString teacherPassword();

private:
    bool run(const QString& program, const QStringList& arguments, bool asServerUser, QString* output = nullptr,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const;
    bool fail(const QString& why);

    QTemporaryDir m_dir;
    QString m_binDir;
    QString m_dataDir;
    QString m_socketDir;
    int m_port = 0;
    bool m_logStatements = false;
    bool m_tcp = false;
    bool m_running = false;
    bool m_ok = false;
    QString m_error;
    QByteArray m_previousPassFile;
};

}  // namespace testing_support
