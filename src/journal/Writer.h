#pragma once

#include "journal/Settings.h"
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

// Wall-clock time as the journal stamps it: local time with its offset.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual QDateTime now() = 0;
};

class SystemWallClock final : public WallClock {
public:
    QDateTime now() override;
};

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

// Who writes: the copy's name, the operating-system user, the host.
struct Identity {
    QString copy;
    QString osUser;
    QString machine;
    static Identity ofThisProcess(const QString& copy);
};

struct WriterOptions {
    Location where;
    Identity identity;
    // A pass of the sync worker at start, after each run and sheet, and this
    // often besides.
    std::chrono::milliseconds syncInterval = std::chrono::minutes(3);
    // After a failed write (full disk, folder not writable, file locked) the
    // entries wait in memory this long before the next try.
    std::chrono::milliseconds retryInterval = std::chrono::seconds(20);
};

class Writer final : public platform::Journal {
public:
    Writer(WallClock& clock, IdSource& ids);
    // Writes what is still waiting (one last try), then stops the workers.
    // Nothing is sent to the server on the way out: it waits in the file.
    ~Writer() override;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Starts the workers, which open the file and the server. Entries handed
    // over before wait in memory, and get the identity given here. The
    // program calls it after its first frame: finding the user and reading
    // registro.conf stay off the way to it.
    void start(WriterOptions options);

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
