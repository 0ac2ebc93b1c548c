#include "support/PgCluster.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QVersionNumber>

#include <pwd.h>
#include <unistd.h>

namespace testing_support {

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kPupilsPassword = u"alunni-segreta"_s;
const QString kTeacherPassword = u"docenti-segreta"_s;

// The newest server binaries: Debian keeps them out of PATH.
QString findBinDir()
{
    QVersionNumber best;
    QString found;
    const QDir versions(u"/usr/lib/postgresql"_s);
    for (const QString& entry : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString bin = versions.filePath(entry) + u"/bin"_s;
        const QVersionNumber v = QVersionNumber::fromString(entry);
        if (QFile::exists(bin + u"/pg_ctl"_s) && v > best) {
            best = v;
            found = bin;
        }
    }
    return found;
}

bool isRoot()
{
    return ::geteuid() == 0;
}

}  // namespace

QString PgCluster::pupilsPassword() { return kPupilsPassword; }
QString PgCluster::teacherPassword() { return kTeacherPassword; }

PgCluster::PgCluster(bool logStatements, bool tcp, bool setUp) : m_logStatements(logStatements), m_tcp(tcp)
{
    if (!m_dir.isValid()) {
        fail(u"no temporary folder"_s);
        return;
    }
    m_binDir = findBinDir();
    if (m_binDir.isEmpty()) {
        fail(u"no PostgreSQL server binaries under /usr/lib/postgresql"_s);
        return;
    }
    m_dataDir = m_dir.filePath(u"data"_s);
    m_socketDir = m_dir.path();
    m_port = 20000 + int(::getpid() % 20000);
    if (isRoot()) {
        // The server refuses to run as root: the folder goes to postgres.
        const passwd* pg = ::getpwnam("postgres");
        if (!pg || ::chown(QFile::encodeName(m_dir.path()).constData(), pg->pw_uid, pg->pw_gid) != 0) {
            fail(u"cannot hand the folder to the postgres user"_s);
            return;
        }
    }
    QString out;
    // No sync of the new files: a slow disk would spend seconds on a cluster
    // that lives for one test.
    if (!run(m_binDir + u"/initdb"_s, {u"-D"_s, m_dataDir, u"-U"_s, u"postgres"_s, u"-E"_s, u"UTF8"_s,
                                       u"--no-locale"_s, u"--no-sync"_s, u"--auth-local=trust"_s, u"--auth-host=reject"_s},
             true, &out)) {
        fail(u"initdb failed: "_s + out);
        return;
    }
    // The superuser may come in freely through the private socket; the
    // journal's roles must bring their passwords, as on a school's server.
    QFile hba(m_dataDir + u"/pg_hba.conf"_s);
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all postgres trust\nlocal all all scram-sha-256\n") < 0) {
        fail(u"cannot write pg_hba.conf"_s);
        return;
    }
    hba.close();

    const QString passFile = m_dir.filePath(u"pgpass"_s);
    QFile pass(passFile);
    const QString lines = u"*:*:*:%1:%2\n*:*:*:%3:%4\n"_s.arg(QString::fromLatin1(kPupilsRole), kPupilsPassword,
                                                            QString::fromLatin1(kTeacherRole), kTeacherPassword);
    if (!pass.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        pass.write(lines.toUtf8()) < 0) {
        fail(u"cannot write the password file"_s);
        return;
    }
    pass.close();
    m_previousPassFile = qgetenv("PGPASSFILE");
    qputenv("PGPASSFILE", QFile::encodeName(passFile));

    if (!start()) return;
    if (!setUp) {
        m_ok = true;
        return;
    }

    QProcessEnvironment env = adminEnvironment();
    env.insert(u"REGISTRO_PASSWORD_ALUNNI"_s, kPupilsPassword);
    env.insert(u"REGISTRO_PASSWORD_DOCENTI"_s, kTeacherPassword);
    if (!run(QStringLiteral(ARITMETICA_SOURCE_DIR "/packaging/registro-server.sh"), {}, false, &out, env)) {
        fail(u"the set-up script failed: "_s + out);
        return;
    }
    m_ok = true;
}

PgCluster::~PgCluster()
{
    stop();
    if (m_previousPassFile.isNull())
        qunsetenv("PGPASSFILE");
    else
        qputenv("PGPASSFILE", m_previousPassFile);
}

bool PgCluster::fail(const QString& why)
{
    m_ok = false;
    m_error = why;
    return false;
}

journal::ServerSettings PgCluster::pupils() const
{
    journal::ServerSettings s;
    s.host = m_socketDir;
    s.port = m_port;
    s.database = QString::fromLatin1(kDatabase);
    s.user = QString::fromLatin1(kPupilsRole);
    s.teacherUser = QString::fromLatin1(kTeacherRole);
    return s;
}

QString PgCluster::addMachine(const QString& name, QString* output)
{
    QString out;
    QProcessEnvironment env;
    env.insert(u"REGISTRO_PASSWORD_MACCHINA"_s, u"macchina-"_s + name);
    if (!runScript({u"--macchina"_s, name}, &out, env)) {
        if (output) *output = out;
        return {};
    }
    if (output) *output = out;
    const QString role = sql(u"SELECT role FROM machine_roles WHERE machine = '"_s + name + u"'"_s);
    if (role.isEmpty() || !addPassword(role, u"macchina-"_s + name))
        return {};
    return role;
}

bool PgCluster::addPassword(const QString& role, const QString& password)
{
    QFile pass(m_dir.filePath(u"pgpass"_s));
    return pass.open(QIODevice::Append) && pass.write(u"*:*:*:%1:%2\n"_s.arg(role, password).toUtf8()) >= 0;
}

bool PgCluster::client(const QString& program, const QStringList& arguments, QString* output) const
{
    return run(program, arguments, false, output, adminEnvironment());
}

journal::ServerSettings PgCluster::as(const QString& role) const
{
    journal::ServerSettings s = pupils();
    s.user = role;
    return s;
}

bool PgCluster::runScript(const QStringList& arguments, QString* output, const QProcessEnvironment& extra) const
{
    QProcessEnvironment env = adminEnvironment();
    env.insert(extra);
    return run(QStringLiteral(ARITMETICA_SOURCE_DIR "/packaging/registro-server.sh"), arguments, false, output, env);
}

journal::ServerSettings PgCluster::teacher() const
{
    journal::ServerSettings s = pupils();
    s.user = QString::fromLatin1(kTeacherRole);
    return s;
}

bool PgCluster::start()
{
    if (m_running) return true;
    QString out;
    // fsync off: a test's cluster need not survive a power cut.
    QString options = u"-k %1 -p %2 -c listen_addresses=%3 -c fsync=off"_s.arg(m_socketDir).arg(m_port).arg(
        m_tcp ? u"127.0.0.1"_s : QString());
    if (m_logStatements)
        options += u" -c log_statement=all"_s;
    if (!run(m_binDir + u"/pg_ctl"_s,
             {u"-D"_s, m_dataDir, u"-l"_s, m_dir.filePath(u"server.log"_s), u"-w"_s, u"-t"_s, u"60"_s, u"-o"_s,
              options, u"start"_s},
             true, &out))
        return fail(u"pg_ctl start failed: "_s + out);
    m_running = true;
    return true;
}

bool PgCluster::stop()
{
    if (!m_running) return true;
    QString out;
    if (!run(m_binDir + u"/pg_ctl"_s, {u"-D"_s, m_dataDir, u"-m"_s, u"fast"_s, u"-w"_s, u"stop"_s}, true, &out))
        return fail(u"pg_ctl stop failed: "_s + out);
    m_running = false;
    return true;
}

QProcessEnvironment PgCluster::adminEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"PGHOST"_s, m_socketDir);
    env.insert(u"PGPORT"_s, QString::number(m_port));
    env.insert(u"PGUSER"_s, u"postgres"_s);
    env.remove(u"PGDATABASE"_s);
    // psql's wrapper warns about a locale the machine lacks.
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    env.insert(u"REGISTRO_PASSWORD_TOOL"_s, QStringLiteral(REGISTRO_PASSWORD_TOOL));
    return env;
}

QString PgCluster::serverLog() const
{
    QFile log(m_dir.filePath(u"server.log"_s));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

QString PgCluster::sql(const QString& statements, const QString& database) const
{
    QString out;
    if (!client(u"psql"_s, {u"-X"_s, u"-q"_s, u"-tA"_s, u"-v"_s, u"ON_ERROR_STOP=1"_s, u"-d"_s, database, u"-c"_s,
                            statements},
                &out))
        return QString();
    return out.trimmed().isNull() ? u""_s : out.trimmed();
}

long long PgCluster::count(const QString& query) const
{
    bool ok = false;
    const long long n = sql(query).toLongLong(&ok);
    return ok ? n : -1;
}

bool PgCluster::run(const QString& program, const QStringList& arguments, bool asServerUser, QString* output,
                    const QProcessEnvironment& environment) const
{
    QProcess process;
    process.setProcessEnvironment(environment);
    // The postgres user may not enter the test's own folder.
    process.setWorkingDirectory(m_dir.path());
    if (asServerUser && isRoot())
        process.start(u"runuser"_s, QStringList{u"-u"_s, u"postgres"_s, u"--"_s, program} + arguments);
    else
        process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    const bool ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    // What a command prints on success; on failure, why, for the message.
    if (output)
        *output = QString::fromLocal8Bit(ok ? process.readAllStandardOutput()
                                            : process.readAllStandardOutput() + process.readAllStandardError());
    return ok;
}

qint64 PgCluster::serverPid() const
{
    QFile pidFile(m_dataDir + u"/postmaster.pid"_s);
    if (!pidFile.open(QIODevice::ReadOnly)) return 0;
    return pidFile.readLine().trimmed().toLongLong();
}

}  // namespace testing_support
