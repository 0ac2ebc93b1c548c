#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <functional>
#include <optional>

// The read side of the results journal: what the teacher's window asks of a
// journal, the local SQLite file or the school's PostgreSQL server alike.
namespace registro {

// Which runs are looked at. Unset parts let every run through.
struct RunFilter {
    QString pupil = {};  // empty: every pupil, named or not
    QString copy = {};   // empty: every copy
    QDate from = {};     // first day, inclusive; null: no bound
    QDate to = {};       // last day, inclusive; null: no bound
    bool operator==(const RunFilter&) const = default;
};

// One practice run as the table lists it. A run with no end row was cut
// short: its figures come from the operations it closed.
struct RunRow {
    QString id;
    qint64 startedMs = 0;
    QString pupil;
    QString copy;
    int objective = 0;
    QString objectiveText;
    int level = 0;
    QString levelText;
    int operations = 0;  // operations closed
    int right = 0;
    int wrong = 0;       // wrong answers typed
    int seconds = 0;
    QString grade;
    bool finished = false;
};

// Where the next page of runs starts: runs are listed newest first.
struct RunCursor {
    qint64 startedMs = 0;
    QString id;
    bool operator==(const RunCursor&) const = default;
};

// One run of one pupil on the chart.
struct ChartPoint {
    qint64 startedMs = 0;
    double rightShare = 0;        // right answers per operation closed, 0..1
    double secondsPerOperation = 0;
    int operations = 0;           // closed, to weigh the run against others
};

// An operation a pupil met, and how often it went wrong.
struct MissedOperation {
    int kind = 0;
    int operand1 = 0;
    int operand2 = 0;
    int missed = 0;  // times answered wrong at least once
    int posed = 0;
};

// What the filtered runs of a pupil say, read in one pass.
struct PupilStatistics {
    QList<ChartPoint> chart;          // runs that closed an operation, oldest first
    QList<MissedOperation> missed;    // operations got wrong, the worst first
};

// When and by whom the journal was changed, for tombstones and the audit.
struct Stamp {
    QDateTime at;
    QString by;  // "user@machine" of the teacher's copy
};

// The actions the audit records.
inline const QString kAuditExport = QStringLiteral("esportazione");
inline const QString kAuditErase = QStringLiteral("cancellazione");
inline const QString kAuditRetention = QStringLiteral("conservazione");

class Reader {
public:
    // Dates are days in zone: a filter's "from 8 December" starts at its
    // midnight there.
    explicit Reader(QSqlDatabase db, QTimeZone zone = QTimeZone::systemTimeZone());

    // The choices the filters offer: names that are some run's current
    // pupil, and the copies that wrote runs. Sorted.
    QStringList pupils();
    QStringList copies();

    // Up to limit runs, newest first, after the cursor when one is given.
    QList<RunRow> runs(const RunFilter& filter, int limit, const std::optional<RunCursor>& after = {});
    // Every run, newest first, a page at a time; the callback says whether to go on.
    bool forEachRun(const RunFilter& filter, const std::function<bool(const RunRow&)>& callback);
    int countRuns(const RunFilter& filter);

    // A run's record lines, in the order they were posed.
    QStringList recordLines(const QString& runId);

    // The filtered runs that closed an operation, oldest first.
    QList<ChartPoint> chart(const RunFilter& filter);
    // The operations missed most in them (up to limit), the worst first.
    QList<MissedOperation> missedOperations(const RunFilter& filter, int limit);
    // Both.
    PupilStatistics pupilStatistics(const RunFilter& filter, int missedLimit);

    // Deletes the runs whose current pupil is this name, with their
    // operations, ends and names, and the name wherever else it was typed;
    // writes the tombstone that has every machine erase the pupil from its
    // own file, and the audit's row; all in one transaction. The number of
    // runs deleted, or nothing on failure (lastError() says why).
    std::optional<int> deletePupil(const QString& pupil, const Stamp& stamp);

    // Removes the runs that started before cutoffMs, with their operations,
    // ends and names, and the sheets printed before it, and records it in
    // the audit; on a school's server through its function
    // registro_remove_older. The number of runs removed, or nothing.
    std::optional<int> removeRunsBefore(qint64 cutoffMs, const Stamp& stamp);

    // One row of the audit (an export: kAuditExport).
    bool recordAudit(const QString& action, const QString& pupil, int runs, const Stamp& stamp);

    // Opens the connection again when it is closed or no longer answers (a
    // server restarted since): the teacher's own commands call it first.
    bool ensureConnected();

    // The database's message for the last query that failed; empty when the
    // last one succeeded.
    QString lastError() const { return m_error; }
    QTimeZone zone() const { return m_zone; }
    const QSqlDatabase& database() const { return m_db; }

private:
    struct Where;
    // The clauses on r, a run's row or its sums' (whose id is r.run_id).
    // Unchecked, a pupil's clause lets through every run ever given their
    // name, and the caller keeps those whose pupil they still are.
    Where whereFor(const RunFilter& filter, const QString& runId = QStringLiteral("r.id"), bool checked = true) const;
    bool fail(const class QSqlQuery& query);
    // The first column of a query, each value once, sorted as people read.
    QStringList names(const QString& sql);
    // Runs a statement with positional values; false sets the error.
    bool run(const QString& sql, const QVariantList& values);
    void completeFromOperations(RunRow& row);

    QSqlDatabase m_db;
    QTimeZone m_zone;
    QString m_error;
};

}  // namespace registro
