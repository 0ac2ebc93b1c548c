#pragma once

#include "registro/Reader.h"

#include <QAtomicInteger>
#include <QObject>
#include <QThread>

#include <array>
#include <functional>
#include <memory>

namespace registro {

// Where the teacher's window reads what it shows: a thread of its own with a
// connection of its own, a clone of the window's opened there (a QSqlDatabase
// belongs to the thread that opened it), so a slow or stalled server never
// holds the window up. Jobs run one at a time in the order posted. Each has a
// lane, and a newer job of its lane makes it stale: a stale job that has not
// started is skipped, and the result of one that has is dropped.
class ReadThread final {
public:
    // The teacher's commands (Csv to ClassChange) have a lane each: one never
    // makes another stale.
    enum Lane {
        Choices, Table, Page, Lines, Statistics, Missed, Printout, Class, Count, Classes, ClassPupils,
        Csv, Report, Removal, PupilData, ClassChange,
        LaneCount
    };

    // like: the window's connection. Results are applied on receiver's thread.
    ReadThread(const QSqlDatabase& like, QTimeZone zone, QObject* receiver);
    // Waits for the job running, if any: a stalled server is given up within
    // the connection's own timeouts.
    ~ReadThread();
    ReadThread(const ReadThread&) = delete;
    ReadThread& operator=(const ReadThread&) = delete;

    // read runs on the thread; when the connection cannot be opened it is not
    // run and the result's error says why. apply gets the result on the
    // receiver's thread unless the job went stale meanwhile.
    template <typename Result>
    void post(Lane lane, std::function<Result(Reader&)> read, std::function<void(const Result&)> apply)
    {
        auto result = std::make_shared<Result>();
        postErased(
            lane,
            [read = std::move(read), result](Reader* reader, const QString& openError) {
                if (reader)
                    *result = read(*reader);
                else
                    result->error = openError;
                return result->error.isEmpty();
            },
            [apply = std::move(apply), result] { apply(*result); });
    }
    // Makes the jobs of lane posted so far stale.
    void supersede(Lane lane);

    // Whether jobs are waiting or running; told on the receiver's thread as it changes.
    bool busy() const;
    void onBusyChanged(std::function<void(bool busy)> told);

private:
    struct Shared;
    struct Connection;
    void postErased(Lane lane, std::function<bool(Reader*, const QString&)> read, std::function<void()> apply);

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Connection> m_connection;  // used on the thread only
    QObject* m_receiver;
    QThread m_thread;
    QObject* m_context;  // lives on the thread: jobs are queued to it
};

}  // namespace registro
