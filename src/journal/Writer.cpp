#include "journal/Writer.h"

#include "journal/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTimeZone>
#include <QUuid>
#include <QVariant>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

using namespace Qt::Literals::StringLiterals;
using Clock = std::chrono::steady_clock;

namespace {

enum TableIndex { kRuns, kOperations, kRunEnds, kPupilNames, kSheets };

// How the outbox names a row of each table: its key, and for operations the place.
const QString kOutboxJoin[] = {
    u"t.id = o.entry_key"_s,
    u"t.run_id = o.entry_key AND t.place = o.place"_s,
    u"t.run_id = o.entry_key"_s,
    u"t.id = o.entry_key"_s,
    u"t.id = o.entry_key"_s,
};

struct Row {
    Row(TableIndex table, QVariantList values, QString key, int place = 0, int identityAt = -1)
        : table(table), values(std::move(values)), key(std::move(key)), place(place), identityAt(identityAt)
    {
    }
    TableIndex table;
    QVariantList values;
    QString key;
    int place = 0;
    int identityAt = -1;     // where copy, os_user and machine go, filled by the worker
    bool wakesSync = false;  // the end of a run or a print job: worth sending now
    // When it happened; the worker writes it out (ISO text and milliseconds)
    // at timeAt, so that the window's thread only reads the clock.
    QDateTime time;
    int timeAt = -1;
};

// Rows written to the local file in one transaction.
constexpr std::size_t kBatchRows = 500;
// A file other copies hold is tried again soon, and told only when held this
// long (while the program closes: given up after this long).
constexpr std::chrono::seconds kBusyPatience{60};
constexpr std::chrono::seconds kBusyAtExit{15};
constexpr std::chrono::milliseconds kBusyRetry{200};

// Rows read from the outbox and sent in one transaction.
constexpr int kSyncBatch = 1000;
// Rows in one INSERT sent to the server: fewer round trips.
constexpr int kRowsPerStatement = 200;

enum class Problem { Settings, Unwritable, DiskFull, Busy, Damaged, Unreachable, Refused };

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> fileId(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

QString insertStatement(const Table& table, int rows)
{
    QStringList placeholders;
    const QString one = u"("_s + QStringList(table.columns.size(), u"?"_s).join(u", ") + u")"_s;
    for (int i = 0; i < rows; ++i) placeholders << one;
    // A row already there is a repeat: ignored, not an error.
    return u"INSERT INTO "_s + table.name + u" ("_s + table.columns.join(u", ") + u") VALUES "_s +
           placeholders.join(u", ") + u" ON CONFLICT DO NOTHING"_s;
}

qint64 epochMs(const QDateTime& time)
{
    return time.toMSecsSinceEpoch();
}

}  // namespace

QDateTime SystemWallClock::now()
{
    const QDateTime local = QDateTime::currentDateTime();
    return local;
}

QString UuidSource::newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString isoWithOffset(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(u"yyyy-MM-ddTHH:mm:ss"_s) + (offset < 0 ? u'-' : u'+') +
           u"%1:%2"_s.arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

Identity Identity::ofThisProcess(const QString& copy)
{
    Identity id;
    id.copy = copy;
    // The account, not $USER, which su and sudo may leave behind.
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        id.osUser = QString::fromLocal8Bit(found->pw_name);
    else
        id.osUser = QString::number(::geteuid());
    id.machine = QSysInfo::machineHostName();
    return id;
}

// --- the workers -----------------------------------------------------------

class Writer::Impl {
public:
    Impl(WallClock& clock, IdSource& ids) : clock(clock), ids(ids) {}

    void start(WriterOptions options);
    void stop();

    void enqueue(std::vector<Row> rows, bool endsSomething);
    void report(Problem problem, const QString& text);
    // Appends the two time columns to be filled from `time`.
    int stamp(QVariantList& values, QDateTime& time);

    void writerLoop();
    void syncLoop();

    WriterOptions options;
    WallClock& clock;
    IdSource& ids;

    // Runs posed but not yet answered in, held back: a run left before any
    // answer (a window opened and closed, every resize) says nothing.
    // Only the window thread touches it.
    std::map<QString, Row> unanswered;
    void release(const QString& runId)
    {
        if (const auto it = unanswered.find(runId); it != unanswered.end()) {
            enqueue({std::move(it->second)}, false);
            unanswered.erase(it);
        }
    }

    // The entries waiting for the local file.
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable written;
    std::deque<Row> queue;
    bool writing = false;        // a batch is being written
    quint64 failedWrites = 0;
    bool stopping = false;
    bool started = false;
    std::thread writer;

    // The sync worker.
    std::mutex syncMutex;
    std::condition_variable syncWake;
    std::condition_variable passDone;
    bool syncKick = false;
    bool syncStopping = false;
    bool passRunning = false;
    quint64 passes = 0;
    bool lastPassComplete = false;
    long long sent = 0;
    std::thread syncer;

    // Problems, each kind told once.
    mutable std::mutex problemMutex;
    std::set<Problem> told;
    QStringList waiting;
    QStringList history;
    std::function<void()> problemCallback;

    bool outboxWanted() const { return options.where.server.has_value(); }
    void kickSync()
    {
        {
            std::lock_guard lock(syncMutex);
            syncKick = true;
        }
        syncWake.notify_all();
    }
    QString serverName() const
    {
        return options.where.server ? options.where.server->host + u'/' + options.where.server->database : QString();
    }
};

void Writer::Impl::report(Problem problem, const QString& text)
{
    std::function<void()> callback;
    {
        std::lock_guard lock(problemMutex);
        if (!told.insert(problem).second) return;
        waiting << text;
        history << text;
        callback = problemCallback;
    }
    if (callback) callback();
}

int Writer::Impl::stamp(QVariantList& values, QDateTime& time)
{
    time = clock.now();
    const auto at = int(values.size());
    values << QVariant() << QVariant();
    return at;
}

void Writer::Impl::enqueue(std::vector<Row> rows, bool endsSomething)
{
    {
        std::lock_guard lock(mutex);
        if (endsSomething && !rows.empty()) rows.back().wakesSync = true;
        // An empty text is "", never NULL: every column is NOT NULL.
        for (Row& row : rows)
            for (QVariant& value : row.values)
                if (value.typeId() == QMetaType::QString && value.toString().isNull()) value = QString(u""_s);
        for (Row& row : rows) queue.push_back(std::move(row));
    }
    wake.notify_one();
}

// --- the local file ------------------------------------------------------------

namespace {

QString problemText(Fault fault, const QString& path, const QString& detail)
{
    const QString file = QDir::toNativeSeparators(path);
    switch (fault) {
        case Fault::DiskFull:
            return u"Il disco è pieno: il registro dei risultati (%1) non si può aggiornare. Si può continuare "
                   u"a lavorare: i risultati restano in memoria e vengono scritti appena c'è spazio."_s.arg(file);
        case Fault::Busy:
            return u"Il registro dei risultati (%1) è bloccato da un altro programma. Si può continuare a "
                   u"lavorare: i risultati restano in memoria e vengono scritti appena si libera."_s.arg(file);
        case Fault::Damaged:
            return u"Il registro dei risultati era danneggiato: è stato messo da parte come %1 e ne è stato "
                   u"cominciato uno nuovo."_s.arg(detail);
        default:
            return u"Il registro dei risultati (%1) non si può scrivere (%2). Si può continuare a lavorare: i "
                   u"risultati restano in memoria e vengono scritti appena possibile."_s.arg(file, detail);
    }
}

Problem problemOf(Fault fault)
{
    switch (fault) {
        case Fault::DiskFull: return Problem::DiskFull;
        case Fault::Busy: return Problem::Busy;
        case Fault::Damaged: return Problem::Damaged;
        case Fault::Unreachable: return Problem::Unreachable;
        case Fault::Refused: return Problem::Refused;
        default: return Problem::Unwritable;
    }
}

// The writer thread's connection to the local file.
class LocalStore {
public:
    LocalStore(QString path, WallClock& clock) : m_path(std::move(path)), m_clock(clock) {}

    // Opens the file; a damaged one is moved aside and a new one begun
    // (Damaged, with the new file open and `detail` naming the old one).
    Fault open(QString* detail);
    // Writes the rows (and their outbox entries) in one transaction.
    // Damaged means the file was moved aside: the caller writes again.
    Fault write(const std::vector<Row>& rows, bool outbox, QString* detail);
    void close()
    {
        m_inserts.clear();
        m_outbox.reset();
        m_connection.close();
    }

private:
    bool reallyDamaged();
    bool moveAside(QString* detail);
    Fault fail(const QSqlError& error, QString* detail)
    {
        *detail = error.text();
        return classify(error, true);
    }

    QString m_path;
    WallClock& m_clock;
    Connection m_connection;
    std::optional<FileId> m_id;
    std::vector<QSqlQuery> m_inserts;
    std::optional<QSqlQuery> m_outbox;
};

Fault LocalStore::open(QString* detail)
{
    close();
    Fault result = Fault::None;
    m_connection = openLocal(m_path);
    if (!m_connection.isOpen()) {
        const Fault fault = fail(m_connection.error(), detail);
        if (fault != Fault::Damaged) return fault;
        if (!reallyDamaged()) return Fault::Busy;  // try again later
        if (!moveAside(detail)) return Fault::Unwritable;
        m_connection = openLocal(m_path);
        if (!m_connection.isOpen()) return fail(m_connection.error(), detail);
        result = Fault::Damaged;  // moved aside; the new file is open
    }
    m_id = fileId(m_path);
    const QSqlDatabase db = m_connection.database();
    for (const Table& table : tables()) {
        QSqlQuery insert(db);
        insert.prepare(insertStatement(table, 1));
        m_inserts.push_back(std::move(insert));
    }
    m_outbox.emplace(db);
    m_outbox->prepare(u"INSERT INTO outbox (entry_table, entry_key, place) VALUES (?, ?, ?)"_s);
    return result;
}

Fault LocalStore::write(const std::vector<Row>& rows, bool outbox, QString* detail)
{
    // Another copy may have moved a damaged file aside: write to the new one.
    if (m_connection.isOpen() && fileId(m_path) != m_id) close();
    // Damaged: moved aside and a new file opened; the caller tells it and
    // writes again.
    if (!m_connection.isOpen())
        if (const Fault fault = open(detail); fault != Fault::None) return fault;
    QSqlDatabase db = m_connection.database();
    QSqlQuery control(db);
    if (!control.exec(u"BEGIN IMMEDIATE"_s)) return fail(control.lastError(), detail);
    const auto rollBack = [&](const QSqlError& error) {
        QSqlQuery(db).exec(u"ROLLBACK"_s);
        const Fault fault = fail(error, detail);
        if (fault == Fault::Damaged && reallyDamaged()) {
            QString aside;
            if (moveAside(&aside)) *detail = aside;
            close();
            return Fault::Damaged;
        }
        return fault == Fault::Damaged ? Fault::Busy : fault;
    };
    for (const Row& row : rows) {
        QSqlQuery& insert = m_inserts[std::size_t(row.table)];
        for (int i = 0; i < row.values.size(); ++i) insert.bindValue(i, row.values[i]);
        if (!insert.exec()) return rollBack(insert.lastError());
        if (outbox) {
            m_outbox->bindValue(0, tables()[std::size_t(row.table)].name);
            m_outbox->bindValue(1, row.key);
            m_outbox->bindValue(2, row.place);
            if (!m_outbox->exec()) return rollBack(m_outbox->lastError());
        }
    }
    if (!control.exec(u"COMMIT"_s)) return rollBack(control.lastError());
    return Fault::None;
}

// A file that answers "corrupt" once may have met a passing fault: only a
// file that a fresh connection finds damaged too is moved aside.
bool LocalStore::reallyDamaged()
{
    close();
    Connection check(u"QSQLITE"_s);
    QSqlDatabase db = check.database();
    db.setDatabaseName(m_path);
    db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
    if (!db.open()) return classify(db.lastError(), true) == Fault::Damaged;
    QSqlQuery q(db);
    if (!q.exec(u"PRAGMA quick_check"_s)) return classify(q.lastError(), true) == Fault::Damaged;
    return !q.next() || q.value(0).toString() != u"ok";
}

// The damaged file, with its WAL, goes aside under a name with the date; it
// is never deleted.
bool LocalStore::moveAside(QString* detail)
{
    const QFileInfo info(m_path);
    const QString stampText = m_clock.now().toString(u"yyyy-MM-dd-HHmmss"_s);
    QString aside;
    for (int n = 1;; ++n) {
        aside = info.dir().filePath(info.completeBaseName() + u"-danneggiato-"_s + stampText +
                                    (n > 1 ? u"-"_s + QString::number(n) : QString()) + u"."_s + info.suffix());
        if (!QFileInfo::exists(aside)) break;
    }
    if (!QFile::rename(m_path, aside)) {
        *detail = u"impossibile spostare il file danneggiato"_s;
        return false;
    }
    for (const QString& suffix : {u"-wal"_s, u"-shm"_s})
        if (QFileInfo::exists(m_path + suffix)) QFile::rename(m_path + suffix, aside + suffix);
    *detail = QDir::toNativeSeparators(aside);
    return true;
}

}  // namespace

void Writer::Impl::writerLoop()
{
    if (!options.where.problem.isEmpty()) report(Problem::Settings, options.where.problem);
    LocalStore store(options.where.localFile, clock);
    QString detail;
    if (const Fault fault = store.open(&detail); fault != Fault::None)
        report(problemOf(fault), problemText(fault, options.where.localFile, detail));
    kickSync();  // a first pass, now that the file is there

    Clock::time_point retryAt = Clock::time_point::min();  // after a failed write
    Clock::time_point busySince = Clock::time_point::max();   // other copies holding the file since
    std::unique_lock lock(mutex);
    for (;;) {
        if (queue.empty()) {
            written.notify_all();
            if (stopping) break;
            wake.wait(lock);
            continue;
        }
        if (!stopping && Clock::now() < retryAt) {
            wake.wait_until(lock, retryAt);
            continue;
        }
        // Short transactions: other copies wait for the file no longer than
        // one batch. The rows are moved out, so the window's thread never
        // waits for a copy.
        const auto taken = qsizetype(std::min<std::size_t>(queue.size(), kBatchRows));
        std::vector<Row> batch(std::make_move_iterator(queue.begin()),
                               std::make_move_iterator(queue.begin() + taken));
        queue.erase(queue.begin(), queue.begin() + taken);
        writing = true;
        lock.unlock();
        for (Row& row : batch) {
            if (row.timeAt >= 0) {
                row.values[row.timeAt] = isoWithOffset(row.time);
                row.values[row.timeAt + 1] = epochMs(row.time);
            }
            if (row.identityAt >= 0) {
                const Identity& me = options.identity;
                int at = row.identityAt;
                for (const QString& value : {me.copy, me.osUser, me.machine})
                    row.values[at++] = value.isNull() ? QString(u""_s) : value;
            }
        }
        Fault fault = store.write(batch, outboxWanted(), &detail);
        if (fault == Fault::Damaged) {
            report(Problem::Damaged, problemText(fault, options.where.localFile, detail));
            fault = store.write(batch, outboxWanted(), &detail);  // into the new file
        }
        bool wakesSync = false;
        for (const Row& row : batch) wakesSync = wakesSync || row.wakesSync;
        lock.lock();
        writing = false;
        if (fault != Fault::None)  // back in front, to be tried again
            queue.insert(queue.begin(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
        if (fault == Fault::None) {
            retryAt = Clock::time_point::min();
            busySince = Clock::time_point::max();
            if (wakesSync && outboxWanted()) kickSync();
            continue;
        }
        // Copies writing at once wait for each other: only a file held for
        // long is a problem to tell, and the last entries are not given up
        // for it at once.
        if (fault == Fault::Busy) {
            const auto now = Clock::now();
            if (busySince == Clock::time_point::max()) busySince = now;
            if (now - busySince < (stopping ? kBusyAtExit : kBusyPatience)) {
                retryAt = now + std::min<Clock::duration>(kBusyRetry, options.retryInterval);
                continue;
            }
        }
        lock.unlock();
        report(problemOf(fault), problemText(fault, options.where.localFile, detail));
        lock.lock();
        ++failedWrites;  // told before anyone waiting hears of it
        written.notify_all();
        if (stopping) break;  // the last try failed: what was kept stays
        retryAt = Clock::now() + options.retryInterval;
    }
    lock.unlock();
    store.close();
}

// --- the server ----------------------------------------------------------------

namespace {

class Sender {
public:
    Sender(const QString& path, const ServerSettings& server) : m_path(path), m_server(server) {}

    // Sends one batch of the outbox. Returns the rows sent, 0 when nothing
    // was waiting, -1 on failure with `fault` and `detail` set.
    long long sendBatch(Fault* fault, QString* detail);
    bool connect(Fault* fault, QString* detail);

private:
    bool ensureLocal(QString* detail);
    QString m_path;
    ServerSettings m_server;
    Connection m_local;
    std::optional<FileId> m_localId;
    Connection m_remote;
};

bool Sender::ensureLocal(QString* detail)
{
    if (m_local.isOpen() && fileId(m_path) == m_localId) return true;
    m_local = openLocal(m_path);
    m_localId = fileId(m_path);
    if (!m_local.isOpen()) *detail = m_local.error().text();
    return m_local.isOpen();
}

bool Sender::connect(Fault* fault, QString* detail)
{
    if (m_remote.isOpen()) return true;
    m_remote = openServer(m_server);
    if (m_remote.isOpen()) return true;
    *fault = Fault::Unreachable;
    *detail = m_remote.error().text();
    m_remote.close();
    return false;
}

long long Sender::sendBatch(Fault* fault, QString* detail)
{
    if (!ensureLocal(detail)) {
        *fault = Fault::Busy;
        return -1;
    }
    const QSqlDatabase local = m_local.database();
    QSqlQuery range(local);
    if (!range.exec(u"SELECT min(seq), max(seq), count(*) FROM (SELECT seq FROM outbox ORDER BY seq LIMIT %1)"_s.arg(
            kSyncBatch)) ||
        !range.next()) {
        *fault = Fault::Busy;
        *detail = range.lastError().text();
        return -1;
    }
    if (range.value(2).toLongLong() == 0) return 0;
    const qint64 first = range.value(0).toLongLong();
    const qint64 last = range.value(1).toLongLong();
    const long long entries = range.value(2).toLongLong();
    range.finish();

    if (!connect(fault, detail)) return -1;
    QSqlDatabase remote = m_remote.database();
    const auto failRemote = [&](const QSqlError& error) {
        *detail = error.text();
        QSqlQuery(remote).exec(u"ROLLBACK"_s);
        // A server that no longer answers a trivial query went away.
        QSqlQuery probe(remote);
        *fault = probe.exec(u"SELECT 1"_s) ? Fault::Refused : Fault::Unreachable;
        m_remote.close();
        return -1;
    };
    QSqlQuery control(remote);
    if (!control.exec(u"BEGIN"_s)) return failRemote(control.lastError());
    for (std::size_t t = 0; t < tables().size(); ++t) {
        const Table& table = tables()[t];
        QSqlQuery rows(local);
        rows.setForwardOnly(true);
        if (!rows.exec(u"SELECT t."_s + table.columns.join(u", t.") + u" FROM outbox o JOIN "_s + table.name +
                       u" t ON "_s + kOutboxJoin[t] + u" WHERE o.entry_table = '"_s + table.name +
                       u"' AND o.seq BETWEEN %1 AND %2 ORDER BY o.seq"_s.arg(first).arg(last))) {
            *fault = Fault::Busy;
            *detail = rows.lastError().text();
            QSqlQuery(remote).exec(u"ROLLBACK"_s);
            return -1;
        }
        QVariantList values;
        int count = 0;
        const int columns = int(table.columns.size());
        const auto flush = [&]() -> bool {
            if (count == 0) return true;
            QSqlQuery insert(remote);
            insert.prepare(insertStatement(table, count));
            for (int i = 0; i < values.size(); ++i) insert.bindValue(i, values[i]);
            if (!insert.exec()) {
                failRemote(insert.lastError());
                return false;
            }
            values.clear();
            count = 0;
            return true;
        };
        while (rows.next()) {
            for (int c = 0; c < columns; ++c) values << rows.value(c);
            if (++count == kRowsPerStatement && !flush()) return -1;
        }
        if (!flush()) return -1;
    }
    if (!control.exec(u"COMMIT"_s)) return failRemote(control.lastError());

    // Sent: off the outbox. Should this fail, the rows go again and the
    // server ignores them.
    QSqlQuery done(local);
    if (!done.exec(u"DELETE FROM outbox WHERE seq BETWEEN %1 AND %2"_s.arg(first).arg(last))) {
        *fault = Fault::Busy;
        *detail = done.lastError().text();
        return -1;
    }
    return entries;
}

}  // namespace

void Writer::Impl::syncLoop()
{
    Sender sender(options.where.localFile, *options.where.server);
    std::unique_lock lock(syncMutex);
    for (;;) {
        syncWake.wait_for(lock, options.syncInterval, [this] { return syncKick || syncStopping; });
        if (syncStopping) break;
        syncKick = false;
        passRunning = true;
        lock.unlock();

        bool complete = false;
        for (;;) {
            {
                std::lock_guard check(syncMutex);
                if (syncStopping) break;
            }
            Fault fault = Fault::None;
            QString detail;
            const long long n = sender.sendBatch(&fault, &detail);
            if (n == 0) {
                complete = true;
                break;
            }
            if (n < 0) {
                if (fault == Fault::Unreachable)
                    report(Problem::Unreachable,
                           u"Il server del registro (%1) non risponde. I risultati restano su questo computer e "
                           u"vengono inviati appena possibile."_s.arg(serverName()));
                else if (fault == Fault::Refused)
                    report(Problem::Refused, u"Il server del registro (%1) non accetta i risultati (%2). I "
                                             u"risultati restano su questo computer."_s.arg(serverName(), detail));
                break;
            }
            std::lock_guard count(syncMutex);
            sent += n;
        }

        lock.lock();
        passRunning = false;
        ++passes;
        lastPassComplete = complete;
        passDone.notify_all();
    }
}

void Writer::Impl::start(WriterOptions chosen)
{
    std::lock_guard lock(mutex);
    if (started) return;
    started = true;
    options = std::move(chosen);
    writer = std::thread([this] { writerLoop(); });
    if (options.where.server) syncer = std::thread([this] { syncLoop(); });
}

void Writer::Impl::stop()
{
    {
        std::lock_guard lock(mutex);
        // Never started: what was handed over is not written anywhere.
        stopping = true;
    }
    wake.notify_all();
    {
        std::lock_guard lock(syncMutex);
        syncStopping = true;
    }
    syncWake.notify_all();
    if (syncer.joinable()) syncer.join();
    if (writer.joinable()) writer.join();
}

// --- Writer ------------------------------------------------------------------

Writer::Writer(WallClock& clock, IdSource& ids) : m_impl(std::make_unique<Impl>(clock, ids)) {}

Writer::~Writer()
{
    m_impl->stop();
}

void Writer::start(WriterOptions options)
{
    m_impl->start(std::move(options));
}

void Writer::setProblemCallback(std::function<void()> callback)
{
    std::lock_guard lock(m_impl->problemMutex);
    m_impl->problemCallback = std::move(callback);
}

QString Writer::runStarted(const platform::RunStarted& run)
{
    const QString id = m_impl->ids.newId();
    Row row(kRuns, {id, {}, {}, {}, run.objective, run.objectiveText, run.level, run.levelText}, id, 0, 1);
    row.timeAt = m_impl->stamp(row.values, row.time);
    m_impl->unanswered.emplace(id, std::move(row));
    return id;
}

void Writer::operationClosed(const QString& runId, const platform::OperationClosed& op)
{
    if (runId.isEmpty()) return;
    m_impl->release(runId);
    static const QString kHelp[] = {QString(), u"aiuto"_s, u"intervento"_s};
    Row row(kOperations,
            {runId, op.place, op.kind, op.operand1, op.operand2, op.variant, op.expected, op.wrongAttempts.join(u' '),
             kHelp[int(op.help)], op.seconds, op.recordLine},
            runId, op.place);
    row.timeAt = m_impl->stamp(row.values, row.time);
    m_impl->enqueue({std::move(row)}, false);
}

void Writer::runEnded(const QString& runId, const platform::RunEnded& end)
{
    if (runId.isEmpty()) return;
    if (end.rightAnswers == 0 && end.wrongAnswers == 0 && m_impl->unanswered.erase(runId)) return;
    m_impl->release(runId);
    Row row(kRunEnds, {runId}, runId);
    row.timeAt = m_impl->stamp(row.values, row.time);
    row.values << end.rightAnswers << end.wrongAnswers << end.totalSeconds << (end.finished ? 1 : 0) << end.grade;
    m_impl->enqueue({std::move(row)}, true);
}

void Writer::pupilNamed(const QString& runId, const QString& pupil)
{
    if (runId.isEmpty()) return;
    m_impl->release(runId);
    const QString id = m_impl->ids.newId();
    Row row(kPupilNames, {id, runId, pupil}, id);
    row.timeAt = m_impl->stamp(row.values, row.time);
    m_impl->enqueue({std::move(row)}, true);
}

void Writer::sheetsPrinted(const std::vector<platform::SheetPrinted>& sheets)
{
    if (sheets.empty()) return;
    const QString job = m_impl->ids.newId();
    std::vector<Row> rows;
    int number = 0;
    for (const platform::SheetPrinted& sheet : sheets) {
        const QString id = m_impl->ids.newId();
        Row row(kSheets, {id, job, {}, {}, {}}, id, 0, 2);
        row.timeAt = m_impl->stamp(row.values, row.time);
        if (!rows.empty()) row.time = rows.front().time;  // one job, one moment
        row.values << sheet.version << sheet.kind << sheet.objective << sheet.objectiveText << sheet.level
                   << sheet.levelText << ++number << int(sheets.size()) << sheet.pupilLines.join(u'\n')
                   << sheet.teacherLines.join(u'\n');
        rows.push_back(std::move(row));
    }
    m_impl->enqueue(std::move(rows), true);
}

QString Writer::takeProblem()
{
    std::lock_guard lock(m_impl->problemMutex);
    return m_impl->waiting.isEmpty() ? QString() : m_impl->waiting.takeFirst();
}

bool Writer::flush(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_impl->mutex);
    const quint64 failures = m_impl->failedWrites;
    m_impl->written.wait_for(lock, timeout, [&] {
        return (m_impl->queue.empty() && !m_impl->writing) || m_impl->failedWrites != failures;
    });
    return m_impl->queue.empty() && !m_impl->writing;
}

bool Writer::syncNow(std::chrono::milliseconds timeout)
{
    if (!m_impl->options.where.server) return false;
    std::unique_lock lock(m_impl->syncMutex);
    const quint64 wanted = m_impl->passes + (m_impl->passRunning ? 2 : 1);
    m_impl->syncKick = true;
    m_impl->syncWake.notify_all();
    return m_impl->passDone.wait_for(lock, timeout, [&] { return m_impl->passes >= wanted; }) &&
           m_impl->lastPassComplete;
}

QStringList Writer::problemsTold() const
{
    std::lock_guard lock(m_impl->problemMutex);
    return m_impl->history;
}

long long Writer::entriesSent() const
{
    std::lock_guard lock(m_impl->syncMutex);
    return m_impl->sent;
}

}  // namespace journal
