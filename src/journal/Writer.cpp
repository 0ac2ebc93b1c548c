// The writer's queue and its messages: what the windows hand over waits here
// for the writer thread, which puts it in the local file (LocalStore); the
// sync thread sends the file's outbox on to a school's server (Sender).

#include "journal/Writer.h"

#include "journal/LocalStore.h"
#include "journal/Sender.h"
#include "journal/ServerProblems.h"
#include "journal/Upkeep.h"
#include "journal/Spill.h"

#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include <cerrno>
#include <cstdlib>

#include <sys/statvfs.h>
#include <unistd.h>

namespace journal {

using namespace Qt::Literals::StringLiterals;
using SteadyClock = std::chrono::steady_clock;

namespace {

// Rows written to the local file in one transaction.
constexpr std::size_t kBatchRows = 500;
// A file other copies hold is tried again soon, and told only when held this
// long (while the program closes: given up after this long).
constexpr std::chrono::seconds kBusyPatience{60};
constexpr std::chrono::seconds kBusyAtExit{15};
constexpr std::chrono::milliseconds kBusyRetry{200};
// How long a closing copy lets a batch on its way to the server finish.
constexpr std::chrono::milliseconds kSyncGraceAtExit{800};

enum class Problem { Settings, Unwritable, DiskFull, Busy, Damaged, Unreachable, Refused, Outdated, Spilled };

QString damagedText(const Salvage& salvage)
{
    QString text = u"Il registro dei risultati era danneggiato: è stato messo da parte come %1 e ne è stato "
                   u"cominciato uno nuovo."_s.arg(QDir::toNativeSeparators(salvage.aside));
    if (salvage.unreadable)
        return text + u" Dal registro danneggiato non si è potuto leggere nulla: i risultati che non erano ancora "
                      u"stati inviati al server restano solo nel file messo da parte."_s;
    if (salvage.rows > 0)
        text += u" Le voci che si sono potute leggere (%1) sono state riprese nel nuovo registro."_s.arg(salvage.rows);
    if (salvage.unsentLost > 0)
        text += u" %1 voci non ancora inviate al server non si sono potute leggere: restano solo nel file messo da "
                u"parte."_s.arg(salvage.unsentLost);
    return text;
}

// Why a file or its folder may not be written, as the system says it.
QString unwritableCause(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct statvfs disk {};
    if (::statvfs(folder.constData(), &disk) == 0 && (disk.f_flag & ST_RDONLY))
        return platform::systemErrorText(EROFS);
    if (::access(folder.constData(), W_OK | X_OK) != 0) return platform::systemErrorText(errno);
    const QByteArray file = QFile::encodeName(path);
    if (::access(file.constData(), F_OK) == 0 && ::access(file.constData(), W_OK) != 0)
        return platform::systemErrorText(errno);
    return {};
}

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
        default: {
            // The cause in Italian words where the system tells it; the
            // database's own words last, after the sentence.
            const QString cause = unwritableCause(path);
            return u"Il registro dei risultati (%1) non si può scrivere%2. Si può continuare a lavorare: i "
                   u"risultati restano in memoria e vengono scritti appena possibile. (%3)"_s.arg(
                       file, cause.isEmpty() ? QString() : u": "_s + cause, detail);
        }
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

}  // namespace

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

// --- the queue -------------------------------------------------------------------

class Writer::Impl {
public:
    Impl(platform::Clock& clock, IdSource& ids) : clock(clock), ids(ids) {}

    void configure(std::function<WriterOptions()> resolve);
    void finish();

    Row& stamp(Row& row, const QString& timeColumn)
    {
        row.time = clock.now();
        row.timeColumn = timeColumn;
        return row;
    }
    void enqueue(std::vector<Row> rows, bool endsSomething);
    void report(Problem problem, const QString& text, const QString& cause = {});

    void writerLoop();
    void syncLoop();
    bool takeInSpills(LocalStore& store);
    void spillRest();

    platform::Clock& clock;
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

    // The entries waiting for the local file, and the writer's state.
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable written;
    std::condition_variable resolvedChanged;
    std::deque<Row> queue;
    std::function<WriterOptions()> resolve;  // empty until configured
    std::optional<WriterOptions> options;    // set by the writer thread
    bool writing = false;                    // a batch is being written
    quint64 failedWrites = 0;
    bool stopping = false;
    bool running = false;
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
    Sender* sender = nullptr;  // the sync worker's, while it runs
    std::thread syncer;

    // Problems, each kind told once.
    mutable std::mutex problemMutex;
    // Each kind told once; the server's by cause, so that a new cause (the
    // password file made, the password still wrong) is told too.
    std::set<std::pair<Problem, QString>> told;
    QStringList waiting;
    QStringList history;
    std::function<void()> problemCallback;

    void kickSync()
    {
        {
            std::lock_guard lock(syncMutex);
            syncKick = true;
        }
        syncWake.notify_all();
    }
};

void Writer::Impl::report(Problem problem, const QString& text, const QString& cause)
{
    std::function<void()> callback;
    {
        std::lock_guard lock(problemMutex);
        if (!told.insert({problem, cause}).second) return;
        waiting << text;
        history << text;
        callback = problemCallback;
    }
    if (callback) callback();
}

void Writer::Impl::enqueue(std::vector<Row> rows, bool endsSomething)
{
    bool restart = false;
    {
        std::lock_guard lock(mutex);
        if (endsSomething && !rows.empty()) rows.back().wakesSync = true;
        for (Row& row : rows) queue.push_back(std::move(row));
        // Entries after finish() start the writer again.
        restart = resolve && !running;
    }
    if (restart) configure({});
    wake.notify_one();
}

// --- the local file ---------------------------------------------------------------

// Spill files of earlier runs that could not write: taken in first, then
// removed. Their rows carry their keys, so one taken in twice (a crash
// between the two steps) is still in the file once. One that does not read
// whole may still be being written (by an earlier version, under its final
// name): it is left for a later start.
bool Writer::Impl::takeInSpills(LocalStore& store)
{
    bool all = true;
    for (const QString& path : spillFiles(options->where.localFile)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        bool whole = false;
        std::vector<Row> rows = readRows(file, &whole);
        file.close();
        if (!whole) continue;
        QString detail;
        Salvage salvage;
        Fault fault = store.write(rows, &detail, &salvage);
        if (fault == Fault::Damaged) report(Problem::Damaged, damagedText(salvage));
        if (fault == Fault::None || fault == Fault::Damaged)
            QFile::remove(path);
        else
            all = false;  // tried again after the next write
    }
    return all;
}

// At the end, what could not be written leaves memory for a spill file.
void Writer::Impl::spillRest()
{
    std::vector<Row> rest(std::make_move_iterator(queue.begin()), std::make_move_iterator(queue.end()));
    queue.clear();
    if (rest.empty()) return;
    // Rows handed over since the last try are not yet filled in: a spill
    // file keeps rows as the file would.
    for (Row& row : rest) row.complete(options->identity);
    const QString where = spill(options->where.localFile, rest);
    const QString text =
        where.isEmpty()
            ? u"Gli ultimi risultati (%1 voci) non si sono potuti scrivere né nel registro né altrove: sono "
              u"andati persi."_s.arg(rest.size())
            : u"Gli ultimi risultati (%1 voci) non si sono potuti scrivere nel registro: sono stati messi da parte "
              u"in %2 e verranno ripresi al prossimo avvio."_s.arg(rest.size()).arg(QDir::toNativeSeparators(where));
    // The windows may be gone by now: the terminal hears it too.
    qWarning("%s", qUtf8Printable(text));
    report(Problem::Spilled, text);
}

void Writer::Impl::writerLoop()
{
    bool resolved = false;
    {
        std::lock_guard lock(mutex);
        resolved = options.has_value();
    }
    if (!resolved) {
        // The settings and the user are found here, off the window's thread.
        WriterOptions found = resolve();
        std::lock_guard lock(mutex);
        options = std::move(found);
    }
    resolvedChanged.notify_all();
    const Location& where = options->where;
    if (!where.problem.isEmpty()) report(Problem::Settings, where.problem);
    {
        std::lock_guard lock(syncMutex);
        syncStopping = false;
    }
    if (where.server && !syncer.joinable()) syncer = std::thread([this] { syncLoop(); });

    LocalStore store(where.localFile, clock, where.server.has_value());
    QString detail;
    Salvage salvage;
    // Spill files are taken in once the file is open: now, or after the
    // first write that gets through.
    bool spillsTaken = false;
    if (const Fault fault = store.open(&detail, &salvage); fault == Fault::Damaged)
        report(Problem::Damaged, damagedText(salvage));
    else if (fault != Fault::None)
        report(problemOf(fault), problemText(fault, where.localFile, detail));
    else
        spillsTaken = takeInSpills(store);
    if (where.keepMonths > 0) {
        // The school keeps results this long: older runs leave this file too.
        const QDateTime now = clock.now();
        QString error;
        QSqlDatabase db = store.database();
        if (removeRunsBefore(db, now.addMonths(-where.keepMonths).toMSecsSinceEpoch(),
                             {now, options->identity.osUser + u'@' + options->identity.machine}, &error) < 0)
            qWarning("%s", qUtf8Printable(error));
    }
    kickSync();  // a first pass, now that the file is there

    SteadyClock::time_point retryAt = SteadyClock::time_point::min();  // after a failed write
    SteadyClock::time_point busySince = SteadyClock::time_point::max();   // other copies holding the file since
    std::unique_lock lock(mutex);
    for (;;) {
        if (queue.empty()) {
            if (!spillsTaken && stopping) {
                // A last chance before the end, with nothing else to write.
                lock.unlock();
                spillsTaken = takeInSpills(store);
                lock.lock();
                if (!queue.empty()) continue;
            }
            written.notify_all();
            if (stopping) break;
            wake.wait(lock);
            continue;
        }
        if (!stopping && SteadyClock::now() < retryAt) {
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
        for (Row& row : batch) row.complete(options->identity);
        Fault fault = store.write(batch, &detail, &salvage);
        if (fault == Fault::Damaged) {  // written, into a new file
            report(Problem::Damaged, damagedText(salvage));
            fault = Fault::None;
        }
        bool wakesSync = false;
        for (const Row& row : batch) wakesSync = wakesSync || row.wakesSync;
        lock.lock();
        writing = false;
        if (fault != Fault::None)  // back in front, to be tried again
            queue.insert(queue.begin(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
        if (fault == Fault::None) {
            if (!spillsTaken) {
                lock.unlock();
                spillsTaken = takeInSpills(store);
                lock.lock();
            }
            retryAt = SteadyClock::time_point::min();
            busySince = SteadyClock::time_point::max();
            if (wakesSync && where.server) kickSync();
            continue;
        }
        // Copies writing at once wait for each other: only a file held for
        // long is a problem to tell, and the last entries are not given up
        // for it at once.
        if (fault == Fault::Busy) {
            const auto now = SteadyClock::now();
            if (busySince == SteadyClock::time_point::max()) busySince = now;
            if (now - busySince < (stopping ? kBusyAtExit : kBusyPatience)) {
                retryAt = now + std::min<SteadyClock::duration>(kBusyRetry, options->retryInterval);
                continue;
            }
        }
        lock.unlock();
        report(problemOf(fault), problemText(fault, where.localFile, detail));
        lock.lock();
        if (stopping) {
            // The last try failed: what is held goes to a spill file.
            spillRest();
            ++failedWrites;
            written.notify_all();
            break;
        }
        ++failedWrites;  // told before anyone waiting hears of it
        written.notify_all();
        retryAt = SteadyClock::now() + options->retryInterval;
    }
    if (lock.owns_lock()) lock.unlock();
    store.close();
}

// --- the server ---------------------------------------------------------------------

void Writer::Impl::syncLoop()
{
    const ServerSettings server = *options->where.server;
    const QString serverName = server.host + u'/' + server.database;
    Sender local(options->where.localFile, server);
    // The spread comes from who this is, not from chance: the same machine
    // waits the same, and machines differ.
    const double spread =
        double(qHash(options->identity.machine + u'\n' + options->identity.copy + u'\n' + options->identity.osUser) %
               1000) /
        1000.0;
    std::chrono::milliseconds retry = options->syncRetry;
    std::chrono::milliseconds wait = options->syncInterval;
    std::unique_lock lock(syncMutex);
    sender = &local;
    for (;;) {
        syncWake.wait_for(lock, wait, [this] { return syncKick || syncStopping; });
        if (syncStopping) break;
        syncKick = false;
        passRunning = true;
        lock.unlock();

        bool complete = false;
        bool kept = false;  // the school's erasures and class lists, once a pass
        for (;;) {
            {
                std::lock_guard check(syncMutex);
                if (syncStopping) break;
            }
            Fault fault = Fault::None;
            QString detail;
            const Done done{clock.now(), options->identity.osUser + u'@' + options->identity.machine};
            const long long n = kept || (kept = local.upkeep(done, &fault, &detail)) ? local.sendBatch(&fault, &detail) : -1;
            if (n == 0) {
                complete = true;
                break;
            }
            if (n < 0) {
                if (fault == Fault::Unreachable) {
                    const ServerProblem problem = serverProblem(server, detail);
                    report(Problem::Unreachable, problem.text, problem.cause);
                }
                else if (fault == Fault::Outdated)
                    report(Problem::Outdated, detail + u" I risultati restano su questo computer."_s);
                else if (fault == Fault::Refused)
                    report(Problem::Refused, u"Il server del registro (%1) non accetta i risultati. I risultati "
                                             u"restano su questo computer. (%2)"_s.arg(serverName, detail));
                break;
            }
            std::lock_guard count(syncMutex);
            sent += n;
        }

        // One short connection a pass: a school's server holds no idle
        // connection for each of its machines.
        local.disconnect();
        if (complete) {
            retry = options->syncRetry;
            wait = options->syncInterval;
        } else {
            wait = std::min(options->syncInterval,
                            std::chrono::duration_cast<std::chrono::milliseconds>(retry * (1.0 + spread)));
            retry = std::min(options->syncInterval, retry * 2);
        }
        lock.lock();
        passRunning = false;
        ++passes;
        lastPassComplete = complete;
        passDone.notify_all();
    }
    sender = nullptr;
}

// --- starting and finishing ---------------------------------------------------------

void Writer::Impl::configure(std::function<WriterOptions()> chosen)
{
    std::lock_guard lock(mutex);
    if (chosen && !resolve) resolve = std::move(chosen);
    if (running || !resolve) return;
    running = true;
    stopping = false;
    if (writer.joinable()) writer.join();
    writer = std::thread([this] { writerLoop(); });
}

void Writer::Impl::finish()
{
    {
        std::lock_guard lock(mutex);
        // Never configured (a test's writer): nothing to write to.
        if (!resolve) return;
        // Never started: nothing was handed over (an entry starts the
        // writer), so a copy closed at once does not open the file to close it.
        if (!running && queue.empty()) return;
    }
    configure({});
    // The sync worker stops first: no new batch, and one waiting on a frozen
    // server is cut off after a moment. What it was sending stays in the
    // outbox for the next start.
    {
        std::unique_lock lock(syncMutex);
        syncStopping = true;
        syncWake.notify_all();
        if (!passDone.wait_for(lock, kSyncGraceAtExit, [this] { return !passRunning; }) && sender)
            sender->abort();
    }
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (writer.joinable()) writer.join();
    {
        // The writer may have started the sync worker meanwhile.
        std::lock_guard lock(syncMutex);
        syncStopping = true;
    }
    syncWake.notify_all();
    if (syncer.joinable()) syncer.join();
    std::lock_guard lock(mutex);
    running = false;
}

// --- Writer -----------------------------------------------------------------------

Writer::Writer(platform::Clock& clock, IdSource& ids) : m_impl(std::make_unique<Impl>(clock, ids)) {}

Writer::~Writer()
{
    m_impl->finish();
}

void Writer::start(WriterOptions options)
{
    m_impl->configure([options = std::move(options)] { return options; });
}

void Writer::prepare(std::function<WriterOptions()> resolve)
{
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->resolve) m_impl->resolve = std::move(resolve);
}

void Writer::start()
{
    m_impl->configure({});
}

void Writer::finish()
{
    m_impl->finish();
}

void Writer::setProblemCallback(std::function<void()> callback)
{
    std::lock_guard lock(m_impl->problemMutex);
    m_impl->problemCallback = std::move(callback);
}

QString Writer::runStarted(const platform::RunStarted& run)
{
    const QString id = m_impl->ids.newId();
    Row row(kRuns, id);
    row.set(u"id"_s, id)
        .set(u"objective"_s, run.objective)
        .set(u"objective_text"_s, run.objectiveText)
        .set(u"level"_s, run.level)
        .set(u"level_text"_s, run.levelText)
        .set(u"pupil_id"_s, run.pupilId);
    row.identity = true;
    m_impl->unanswered.emplace(id, std::move(m_impl->stamp(row, u"started"_s)));
    return id;
}

void Writer::operationClosed(const QString& runId, const platform::OperationClosed& op)
{
    if (runId.isEmpty()) return;
    m_impl->release(runId);
    static const QString kHelp[] = {QString(), u"aiuto"_s, u"intervento"_s};
    Row row(kOperations, runId, op.place);
    row.set(u"run_id"_s, runId)
        .set(u"place"_s, op.place)
        .set(u"kind"_s, op.kind)
        .set(u"operand1"_s, op.operand1)
        .set(u"operand2"_s, op.operand2)
        .set(u"variant"_s, op.variant)
        .set(u"expected"_s, op.expected)
        .set(u"wrong_attempts"_s, op.wrongAttempts.join(u' '))
        .set(u"help"_s, kHelp[int(op.help)])
        .set(u"seconds"_s, op.seconds)
        .set(u"record_line"_s, op.recordLine);
    m_impl->enqueue({std::move(m_impl->stamp(row, u"done"_s))}, false);
}

void Writer::runEnded(const QString& runId, const platform::RunEnded& end)
{
    if (runId.isEmpty()) return;
    if (end.rightAnswers == 0 && end.wrongAnswers == 0 && m_impl->unanswered.erase(runId)) return;
    m_impl->release(runId);
    Row row(kRunEnds, runId);
    row.set(u"run_id"_s, runId)
        .set(u"right_answers"_s, end.rightAnswers)
        .set(u"wrong_answers"_s, end.wrongAnswers)
        .set(u"total_seconds"_s, end.totalSeconds)
        .set(u"finished"_s, end.finished ? 1 : 0)
        .set(u"grade"_s, end.grade);
    m_impl->enqueue({std::move(m_impl->stamp(row, u"ended"_s))}, true);
}

void Writer::pupilNamed(const QString& runId, const QString& pupil)
{
    if (runId.isEmpty()) return;
    m_impl->release(runId);
    const QString id = m_impl->ids.newId();
    Row row(kPupilNames, id);
    row.set(u"id"_s, id).set(u"run_id"_s, runId).set(u"pupil"_s, pupil);
    m_impl->enqueue({std::move(m_impl->stamp(row, u"named"_s))}, true);
}

void Writer::sheetsPrinted(const std::vector<platform::SheetPrinted>& sheets)
{
    if (sheets.empty()) return;
    const QString job = m_impl->ids.newId();
    std::vector<Row> rows;
    int number = 0;
    for (const platform::SheetPrinted& sheet : sheets) {
        const QString id = m_impl->ids.newId();
        Row row(kSheets, id);
        row.set(u"id"_s, id)
            .set(u"job_id"_s, job)
            .set(u"version"_s, sheet.version)
            .set(u"kind"_s, sheet.kind)
            .set(u"objective"_s, sheet.objective)
            .set(u"objective_text"_s, sheet.objectiveText)
            .set(u"level"_s, sheet.level)
            .set(u"level_text"_s, sheet.levelText)
            .set(u"sheet_number"_s, ++number)
            .set(u"sheet_count"_s, int(sheets.size()))
            .set(u"pupil_lines"_s, sheet.pupilLines.join(u'\n'))
            .set(u"teacher_lines"_s, sheet.teacherLines.join(u'\n'));
        row.identity = true;
        m_impl->stamp(row, u"printed"_s);
        if (!rows.empty()) row.time = rows.front().time;  // one job, one moment
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
    {
        // The settings are found on the writer's thread: wait for them.
        std::unique_lock lock(m_impl->mutex);
        if (!m_impl->resolvedChanged.wait_for(lock, timeout, [&] { return m_impl->options.has_value(); }) ||
            !m_impl->options->where.server)
            return false;
    }
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
