#include "registro/Reader.h"

#include "certificate/Grade.h"

#include <QCollator>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace registro {

namespace {

// A run's pupil is the name typed last for it, else the name its class
// pupil has now (renames follow the id); "" when there is neither.
QString currentPupilOf(const QString& run)
{
    return u"COALESCE((SELECT n.pupil FROM pupil_names n WHERE n.run_id = "_s % run %
           u".id ORDER BY n.named_ms DESC, n.id DESC LIMIT 1), "
           u"(SELECT p.name FROM class_pupils p WHERE p.id = "_s % run % u".pupil_id), '')"_s;
}
const QString kCurrentPupil = currentPupilOf(u"r"_s);
// Runs of a class pupil where no name was typed, from the class list's row
// to the pupil's runs in their index (by day when the days are bounded),
// never through every run. '' is no class pupil's id: it marks the runs of
// nobody who said who they were.
const QString kChosenNotTyped =
    u"SELECT c.id FROM class_pupils p CROSS JOIN runs c WHERE c.pupil_id = p.id AND p.name = ? AND c.pupil_id > ''"_s;
const QString kNoTypedName = u" AND NOT EXISTS (SELECT 1 FROM pupil_names t WHERE t.run_id = c.id)"_s;
// The same rule seen from a name row n: no later row names its run.
const QString kNotReplaced =
    u"NOT EXISTS (SELECT 1 FROM pupil_names m WHERE m.run_id = n.run_id "
    u"AND (m.named_ms > n.named_ms OR (m.named_ms = n.named_ms AND m.id > n.id)))"_s;

// Worked out for the page's runs only, once they are chosen.
const QString kRunColumns =
    u"r.id, r.started_ms, r.copy, r.objective, r.objective_text, r.level, r.level_text, "_s % kCurrentPupil %
    u", (SELECT COUNT(*) FROM operations o WHERE o.run_id = r.id), "
    u"e.run_id, e.right_answers, e.wrong_answers, e.total_seconds, e.grade, e.finished"_s;

// "3 7" holds two wrong answers.
int wrongAnswersIn(const QString& attempts)
{
    return int(attempts.split(u' ', Qt::SkipEmptyParts).size());
}

void sortForPeople(QStringList& names)
{
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

// Deletions go in slices, well below either database's limit on parameters.
constexpr qsizetype kDeleteSlice = 400;

}  // namespace

struct Reader::Where {
    QString sql;  // " WHERE ..." or ""
    QVariantList values;

    void bindTo(QSqlQuery& query) const
    {
        for (const QVariant& value : values)
            query.addBindValue(value);
    }
};

Reader::Reader(QSqlDatabase db, QTimeZone zone) : m_db(std::move(db)), m_zone(std::move(zone))
{
    if (m_db.driverName() == u"QSQLITE"_s && m_db.isOpen()) {
        // A pupil's runs lie all over a big file: mapped (SQLite maps up to
        // 2 GiB), its pages are read without a system call and a copy each,
        // and a cache that holds a pupil's pages (a million runs: about 60
        // MiB) keeps them at hand for the next read of the same pupil.
        QSqlQuery pragma(m_db);
        pragma.exec(u"PRAGMA mmap_size = 2147418112"_s);
        pragma.exec(u"PRAGMA cache_size = -131072"_s);
    }
}

bool Reader::fail(const QSqlQuery& query)
{
    m_error = query.lastError().text();
    if (m_error.isEmpty())
        m_error = u"errore della base di dati"_s;
    return false;
}

bool Reader::ensureConnected()
{
    if (m_db.isOpen() && QSqlQuery(m_db).exec(u"SELECT 1"_s))
        return true;
    m_db.close();
    if (m_db.open())
        return true;
    m_error = m_db.lastError().text();
    if (m_error.isEmpty())
        m_error = u"impossibile aprire il registro"_s;
    return false;
}

Reader::Where Reader::whereFor(const RunFilter& filter, const QString& runId, bool checked) const
{
    QStringList clauses;
    Where where;
    if (!filter.pupil.isEmpty()) {
        // The pupil's name rows that no later name on their run replaced, and
        // the runs of the class pupil of that name with no name typed; or,
        // unchecked, every run either ever named.
        QString chosen = kChosenNotTyped;
        where.values << filter.pupil << filter.pupil;
        if (filter.from.isValid()) {
            chosen += u" AND c.started_ms >= ?"_s;
            where.values << filter.from.startOfDay(m_zone).toMSecsSinceEpoch();
        }
        if (filter.to.isValid()) {
            chosen += u" AND c.started_ms < ?"_s;
            where.values << filter.to.addDays(1).startOfDay(m_zone).toMSecsSinceEpoch();
        }
        if (checked)
            clauses << runId % u" IN (SELECT n.run_id FROM pupil_names n WHERE n.pupil = ? AND "_s % kNotReplaced %
                           u" UNION "_s % chosen % kNoTypedName % u")"_s;
        else
            clauses << runId % u" IN (SELECT n.run_id FROM pupil_names n WHERE n.pupil = ? UNION "_s % chosen % u")"_s;
    }
    if (!filter.copy.isEmpty()) {
        // The copy's index holds its runs newest first: a page stops when full.
        clauses << u"r.copy = ?"_s;
        where.values << filter.copy;
    }
    if (filter.from.isValid()) {
        clauses << u"r.started_ms >= ?"_s;
        where.values << filter.from.startOfDay(m_zone).toMSecsSinceEpoch();
    }
    if (filter.to.isValid()) {
        clauses << u"r.started_ms < ?"_s;
        where.values << filter.to.addDays(1).startOfDay(m_zone).toMSecsSinceEpoch();
    }
    if (!clauses.isEmpty())
        where.sql = u" WHERE "_s % clauses.join(u" AND "_s);
    return where;
}

QStringList Reader::pupils()
{
    // Each name once, if one of its rows was not replaced by a later name on
    // its run. The names are walked one index seek apiece, not row by row
    // through every name ever typed.
    QStringList found = names(u"WITH RECURSIVE typed(pupil) AS ("
                              u"SELECT (SELECT pupil FROM pupil_names WHERE pupil <> '' ORDER BY pupil LIMIT 1) "
                              u"UNION ALL SELECT (SELECT n.pupil FROM pupil_names n WHERE n.pupil > typed.pupil "
                              u"ORDER BY n.pupil LIMIT 1) FROM typed WHERE typed.pupil IS NOT NULL) "
                              u"SELECT p.pupil FROM typed p WHERE p.pupil IS NOT NULL "
                              u"AND EXISTS (SELECT 1 FROM pupil_names n WHERE n.pupil = p.pupil "
                              u"AND EXISTS (SELECT 1 FROM runs r WHERE r.id = n.run_id) AND "_s %
                              kNotReplaced % u")"_s);
    if (!m_error.isEmpty())
        return {};
    // And the class pupils with a run of their own that no typed name took.
    const QStringList chosen = names(u"SELECT DISTINCT p.name FROM class_pupils p WHERE EXISTS (SELECT 1 FROM runs c "
                                     u"WHERE c.pupil_id = p.id AND NOT EXISTS (SELECT 1 FROM pupil_names t "
                                     u"WHERE t.run_id = c.id))"_s);
    for (const QString& name : chosen)
        if (!found.contains(name))
            found << name;
    sortForPeople(found);
    return found;
}

QStringList Reader::copies()
{
    // A handful of copies among a million runs: one index seek each.
    return names(u"WITH RECURSIVE c(copy) AS (SELECT (SELECT copy FROM runs ORDER BY copy LIMIT 1) "
                 u"UNION ALL SELECT (SELECT r.copy FROM runs r WHERE r.copy > c.copy ORDER BY r.copy LIMIT 1) "
                 u"FROM c WHERE c.copy IS NOT NULL) SELECT copy FROM c WHERE copy IS NOT NULL"_s);
}

QStringList Reader::names(const QString& sql)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        fail(query);
        return {};
    }
    m_error.clear();
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    sortForPeople(names);
    return names;
}

void Reader::completeFromOperations(RunRow& row)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT help, seconds, wrong_attempts FROM operations WHERE run_id = ?"_s);
    query.addBindValue(row.id);
    if (!query.exec()) {
        fail(query);
        return;
    }
    row.operations = row.right = row.wrong = row.seconds = 0;
    while (query.next()) {
        ++row.operations;
        if (query.value(0).toString().isEmpty())
            ++row.right;
        row.seconds += query.value(1).toInt();
        row.wrong += wrongAnswersIn(query.value(2).toString());
    }
    row.grade = certificate::gradeTextFor(certificate::gradeNumber(row.right, row.operations));
    row.finished = false;
}

QList<RunRow> Reader::runs(const RunFilter& filter, int limit, const std::optional<RunCursor>& after)
{
    // A pupil's runs are sorted first, and only the newest are checked for
    // a later name (a lookup a run) until the page is full.
    const bool onePupil = !filter.pupil.isEmpty();
    Where where = whereFor(filter, u"r.id"_s, !onePupil);
    if (after) {
        where.sql += where.sql.isEmpty() ? u" WHERE "_s : u" AND "_s;
        where.sql += u"(r.started_ms, r.id) < (?, ?)"_s;
        where.values << after->startedMs << after->id;
    }
    const QString order = u" ORDER BY r.started_ms DESC, r.id DESC"_s;
    const QString limitText = u" LIMIT "_s % QString::number(std::max(0, limit));
    QString page = u"SELECT r.id FROM runs r"_s % where.sql % order % limitText;
    if (onePupil) {
        // Neither database may fold the sorted runs into the check, or it
        // would be made for every run: PostgreSQL keeps a subquery with an
        // OFFSET apart, SQLite one with a LIMIT (-1: none).
        const bool sqlite = m_db.driverName() == u"QSQLITE"_s;
        page = u"SELECT c.id FROM (SELECT r.id, r.pupil_id FROM runs r"_s % where.sql % order %
               (sqlite ? u" LIMIT -1"_s : u" OFFSET 0"_s) % u") c WHERE "_s % currentPupilOf(u"c"_s) % u" = ?"_s %
               limitText;
        where.values << filter.pupil;
    }
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT "_s % kRunColumns % u" FROM ("_s % page %
                  u") page JOIN runs r ON r.id = page.id LEFT JOIN run_ends e ON e.run_id = r.id"_s % order);
    where.bindTo(query);
    if (!query.exec()) {
        fail(query);
        return {};
    }
    m_error.clear();
    QList<RunRow> rows;
    QList<qsizetype> cutShort;
    while (query.next()) {
        RunRow row;
        row.id = query.value(0).toString();
        row.startedMs = query.value(1).toLongLong();
        row.copy = query.value(2).toString();
        row.objective = query.value(3).toInt();
        row.objectiveText = query.value(4).toString();
        row.level = query.value(5).toInt();
        row.levelText = query.value(6).toString();
        row.pupil = query.value(7).toString();
        row.operations = query.value(8).toInt();
        if (query.value(9).isNull()) {
            cutShort << rows.size();
        } else {
            row.right = query.value(10).toInt();
            row.wrong = query.value(11).toInt();
            row.seconds = query.value(12).toInt();
            row.grade = query.value(13).toString();
            row.finished = query.value(14).toInt() != 0;
        }
        rows << row;
    }
    query.finish();
    for (qsizetype i : cutShort)
        completeFromOperations(rows[i]);
    return rows;
}

bool Reader::forEachRun(const RunFilter& filter, const std::function<bool(const RunRow&)>& callback)
{
    constexpr int kPage = 2000;
    std::optional<RunCursor> cursor;
    for (;;) {
        const QList<RunRow> page = runs(filter, kPage, cursor);
        if (!m_error.isEmpty())
            return false;
        for (const RunRow& row : page)
            if (!callback(row))
                return true;
        if (page.size() < kPage)
            return true;
        cursor = RunCursor{page.last().startedMs, page.last().id};
    }
}

int Reader::countRuns(const RunFilter& filter)
{
    const Where where = whereFor(filter);
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT COUNT(*) FROM runs r"_s % where.sql);
    where.bindTo(query);
    if (!query.exec() || !query.next()) {
        fail(query);
        return 0;
    }
    m_error.clear();
    return query.value(0).toInt();
}

QStringList Reader::recordLines(const QString& runId)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT record_line FROM operations WHERE run_id = ? ORDER BY place"_s);
    query.addBindValue(runId);
    if (!query.exec()) {
        fail(query);
        return {};
    }
    m_error.clear();
    QStringList lines;
    while (query.next())
        lines << query.value(0).toString();
    return lines;
}

QList<ChartPoint> Reader::chart(const RunFilter& filter)
{
    // One row a run: the sums its operations left as they arrived, with the
    // run's start and copy, so that the runs themselves are not read.
    const Where where = whereFor(filter, u"r.run_id"_s);
    QSqlQuery runs(m_db);
    runs.setForwardOnly(true);
    runs.prepare(u"SELECT r.started_ms, r.operations, r.right_answers, r.seconds FROM run_sums r"_s % where.sql %
                 u" ORDER BY r.started_ms, r.run_id"_s);
    where.bindTo(runs);
    if (!runs.exec()) {
        fail(runs);
        return {};
    }
    QList<ChartPoint> chart;
    while (runs.next()) {
        const int closed = runs.value(1).toInt();
        if (closed <= 0)
            continue;
        chart.append({runs.value(0).toLongLong(), runs.value(2).toDouble() / closed,
                      runs.value(3).toDouble() / closed, closed});
    }
    m_error.clear();
    return chart;
}

QList<MissedOperation> Reader::missedOperations(const RunFilter& filter, int limit)
{
    const Where where = whereFor(filter);
    const QString missed = u"SUM(CASE WHEN o.wrong_attempts <> '' THEN 1 ELSE 0 END)"_s;
    QSqlQuery worst(m_db);
    worst.setForwardOnly(true);
    worst.prepare(u"SELECT o.kind, o.operand1, o.operand2, "_s % missed %
                  u", COUNT(*) FROM runs r JOIN operations o ON o.run_id = r.id"_s % where.sql %
                  u" GROUP BY o.kind, o.operand1, o.operand2 HAVING "_s % missed %
                  u" > 0 ORDER BY 4 DESC, 5, 1, 2, 3 LIMIT "_s % QString::number(std::max(0, limit)));
    where.bindTo(worst);
    if (!worst.exec()) {
        fail(worst);
        return {};
    }
    QList<MissedOperation> found;
    while (worst.next())
        found.append({worst.value(0).toInt(), worst.value(1).toInt(), worst.value(2).toInt(),
                      worst.value(3).toInt(), worst.value(4).toInt()});
    m_error.clear();
    return found;
}

PupilStatistics Reader::pupilStatistics(const RunFilter& filter, int missedLimit)
{
    PupilStatistics statistics;
    statistics.chart = chart(filter);
    if (!m_error.isEmpty())
        return {};
    statistics.missed = missedOperations(filter, missedLimit);
    if (!m_error.isEmpty())
        return {};
    return statistics;
}

bool Reader::run(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(m_db);
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec() || fail(query);
}

bool Reader::recordAudit(const QString& action, const QString& pupil, int runs, const Stamp& stamp)
{
    return run(u"INSERT INTO journal_audit (id, action, pupil, runs, done_at, done_ms, done_by) "
               u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
               {QUuid::createUuid().toString(QUuid::WithoutBraces), action, pupil, runs,
                stamp.at.toString(Qt::ISODate), stamp.at.toMSecsSinceEpoch(), stamp.by});
}

std::optional<int> Reader::removeRunsBefore(qint64 cutoffMs, const Stamp& stamp)
{
    if (m_db.driverName() == u"QPSQL"_s) {
        // The server's own function: the set-up script runs the same.
        QSqlQuery query(m_db);
        query.prepare(u"SELECT registro_remove_older(?, ?, ?, ?)"_s);
        for (const QVariant& value : QVariantList{cutoffMs, stamp.by, stamp.at.toString(Qt::ISODate),
                                                  stamp.at.toMSecsSinceEpoch()})
            query.addBindValue(value);
        if (!query.exec() || !query.next()) {
            fail(query);
            return std::nullopt;
        }
        m_error.clear();
        return query.value(0).toInt();
    }
    if (!m_db.transaction()) {
        m_error = m_db.lastError().text();
        return std::nullopt;
    }
    QSqlQuery count(m_db);
    count.prepare(u"SELECT COUNT(*) FROM runs WHERE started_ms < ?"_s);
    count.addBindValue(cutoffMs);
    if (!count.exec() || !count.next()) {
        fail(count);
        m_db.rollback();
        return std::nullopt;
    }
    const int removed = count.value(0).toInt();
    count.finish();
    const QString old = u" IN (SELECT id FROM runs WHERE started_ms < ?)"_s;
    for (const QString& statement : QStringList{
             u"DELETE FROM operations WHERE run_id"_s % old, u"DELETE FROM run_ends WHERE run_id"_s % old,
             u"DELETE FROM pupil_names WHERE run_id"_s % old, u"DELETE FROM runs WHERE started_ms < ?"_s,
             u"DELETE FROM sheets WHERE printed_ms < ?"_s})
        if (!run(statement, {cutoffMs})) {
            m_db.rollback();
            return std::nullopt;
        }
    if (!recordAudit(kAuditRetention, u""_s, removed, stamp) || !m_db.commit()) {
        if (m_error.isEmpty())
            m_error = m_db.lastError().text();
        m_db.rollback();
        return std::nullopt;
    }
    m_error.clear();
    return removed;
}

std::optional<int> Reader::deletePupil(const QString& pupil, const Stamp& stamp)
{
    // Checked before the transaction: a refusal must leave none open.
    if (pupil.isEmpty()) {
        m_error = u"nessun alunno scelto"_s;
        return std::nullopt;
    }
    if (!m_db.transaction()) {
        m_error = m_db.lastError().text();
        return std::nullopt;
    }
    auto rollBack = [this](const QSqlQuery& query) -> std::optional<int> {
        fail(query);
        m_db.rollback();
        return std::nullopt;
    };

    // The ids first: deleting the names would change which runs are the pupil's.
    const Where where = whereFor(RunFilter{pupil});
    QSqlQuery select(m_db);
    select.setForwardOnly(true);
    select.prepare(u"SELECT r.id FROM runs r"_s % where.sql);
    where.bindTo(select);
    if (!select.exec())
        return rollBack(select);
    QStringList ids;
    while (select.next())
        ids << select.value(0).toString();
    select.finish();

    for (qsizetype start = 0; start < ids.size(); start += kDeleteSlice) {
        const QStringList slice = ids.mid(start, kDeleteSlice);
        QStringList marks(slice.size(), u"?"_s);
        const QString in = u" IN ("_s % marks.join(u','), close = u")"_s;
        for (const QString& statement : {u"DELETE FROM operations WHERE run_id"_s, u"DELETE FROM run_ends WHERE run_id"_s,
                                         u"DELETE FROM pupil_names WHERE run_id"_s, u"DELETE FROM runs WHERE id"_s}) {
            QSqlQuery query(m_db);
            query.prepare(statement % in % close);
            for (const QString& id : slice)
                query.addBindValue(id);
            if (!query.exec())
                return rollBack(query);
        }
    }
    // The name typed for runs that are now another pupil's goes too; the
    // tombstone tells every machine, the audit that it was done.
    QSqlQuery names(m_db);
    names.prepare(u"DELETE FROM pupil_names WHERE pupil = ?"_s);
    names.addBindValue(pupil);
    if (!names.exec())
        return rollBack(names);
    const bool recorded =
        run(u"INSERT INTO tombstones (id, pupil, erased_at, erased_ms, erased_by) VALUES (?, ?, ?, ?, ?)"_s,
            {QUuid::createUuid().toString(QUuid::WithoutBraces), pupil, stamp.at.toString(Qt::ISODate),
             stamp.at.toMSecsSinceEpoch(), stamp.by}) &&
        recordAudit(kAuditErase, pupil, int(ids.size()), stamp);
    if (!recorded || !m_db.commit()) {
        if (recorded)
            m_error = m_db.lastError().text();
        m_db.rollback();
        return std::nullopt;
    }
    m_error.clear();
    return int(ids.size());
}

}  // namespace registro
