#pragma once

#include "journal/Rows.h"
#include "journal/Settings.h"
#include "platform/Clock.h"
#include "platform/Journal.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

// The journal the pupil windows write to. Every entry is handed to a worker
// thread, which writes it to the local SQLite file first; when a school names
// a server, a second worker sends what the file holds on to it, exactly once.
// No call made by a window waits for a disk or a network.
namespace journal {

// Keys made on the machine, so that every copy's rows differ everywhere.
class IdSource {
public:
    virtual ~IdSource() = default;
    virtual QString newId() = 0;
};

class UuidSource final : public IdSource {
public:
    QString newId() override;
};

// "2026-12-08T10:30:15+01:00": ISO 8601, always with the numeric offset.
QString isoWithOffset(const QDateTime& time);

struct WriterOptions {
    Location where;
    Identity identity;
    // A pass of the sync worker at start, after each run and sheet, and this
    // often besides.
    std::chrono::milliseconds syncInterval = std::chrono::minutes(3);
    // After a failed write (full disk, folder not writable, file locked) the
    // entries wait in memory this long before the next try.
    std::chrono::milliseconds retryInterval = std::chrono::seconds(20);
    // After a pass that could not reach the server, the next comes after
    // this, doubled at each failure up to syncInterval, and spread by up to
    // as much again by the machine's and copy's names, so that a lab's
    // machines do not all come back at the same moment.
    std::chrono::milliseconds syncRetry = std::chrono::seconds(10);
};

class Writer final : public platform::Journal {
public:
    // The clock stamps every entry with local time and its offset.
    Writer(platform::Clock& clock, IdSource& ids);
    // finish(), for whatever was handed over since.
    ~Writer() override;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Starts the workers, which open the file and the server. Entries handed
    // over before wait in memory, and get the identity given here. The
    // program calls it after its first frame: finding the user and reading
    // registro.conf stay off the way to it.
    void start(WriterOptions options);
    // The same in two steps, with the options found by `resolve` on the
    // writer's thread: the user lookup may wait on a directory service and
    // registro.conf on a network folder, and the window's thread waits for
    // neither. Prepared, the journal is written by finish() even when it was
    // never started.
    void prepare(std::function<WriterOptions()> resolve);
    void start();

    // Writes what is waiting, closes the files and stops the workers; what
    // cannot be written goes to a spill file, taken in at the next start.
    // Nothing more is sent to the server on the way out: it waits in the
    // file. Started first if it had not been yet. Entries handed over
    // afterwards start it again. Safe to call more than once.
    void finish();

    // Called on a worker thread whenever a problem is waiting to be told.
    void setProblemCallback(std::function<void()> callback);

    // --- platform::Journal ------------------------------------------------
    // A run is kept from its first answer on: one that ends before any
    // answer (a window opened and closed, a resize) leaves nothing.
    QString runStarted(const platform::RunStarted& run) override;
    void operationClosed(const QString& runId, const platform::OperationClosed& operation) override;
    void runEnded(const QString& runId, const platform::RunEnded& end) override;
    void pupilNamed(const QString& runId, const QString& pupil) override;
    void sheetsPrinted(const std::vector<platform::SheetPrinted>& sheets) override;
    QString takeProblem() override;

    // --- for tests and measurements ----------------------------------------
    // Waits until every entry handed over is in the local file; false when a
    // write failed or time ran out.
    bool flush(std::chrono::milliseconds timeout);
    // Asks for a sync pass now and waits for it; true when it left nothing
    // unsent.
    bool syncNow(std::chrono::milliseconds timeout);
    // Every problem told so far, in order.
    QStringList problemsTold() const;
    // Entries sent to the server by this process.
    long long entriesSent() const;

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace journal
