#include "journal/Upkeep.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

bool failed(const QSqlQuery& query, QString* error)
{
    *error = query.lastError().text();
    return false;
}

// The runs named by `runs` (a SELECT of ids, which may read the names)
// go with every row of theirs; their names last, as they may choose them.
bool removeRuns(QSqlDatabase& db, const QString& runs, const QVariantList& values, QString* error)
{
    for (const QString& statement : {u"DELETE FROM operations WHERE run_id IN ("_s, u"DELETE FROM run_ends WHERE run_id IN ("_s,
                                     u"DELETE FROM runs WHERE id IN ("_s, u"DELETE FROM pupil_names WHERE run_id IN ("_s}) {
        QSqlQuery q(db);
        q.prepare(statement + runs + u")"_s);
        for (const QVariant& v : values) q.addBindValue(v);
        if (!q.exec()) return failed(q, error);
    }
    return true;
}

bool audit(QSqlDatabase& db, const QString& action, const QString& pupil, int runs, const Done& done, QString* error)
{
    QSqlQuery q(db);
    q.prepare(u"INSERT INTO journal_audit (id, action, pupil, runs, done_at, done_ms, done_by) "
              u"VALUES (:id, :action, :pupil, :runs, :done_at, :done_ms, :done_by)"_s);
    q.bindValue(u":id"_s, QUuid::createUuid().toString(QUuid::WithoutBraces));
    q.bindValue(u":action"_s, action);
    q.bindValue(u":pupil"_s, pupil);
    q.bindValue(u":runs"_s, runs);
    q.bindValue(u":done_at"_s, done.at.toString(Qt::ISODate));
    q.bindValue(u":done_ms"_s, done.at.toMSecsSinceEpoch());
    q.bindValue(u":done_by"_s, done.by);
    return q.exec() || failed(q, error);
}

int count(QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    return q.exec() && q.next() ? q.value(0).toInt() : -1;
}

// A run's pupil: the latest name typed for it.
const QString kRunsOfPupil =
    u"SELECT n.run_id FROM pupil_names n WHERE n.pupil = ? AND NOT EXISTS (SELECT 1 FROM pupil_names m "
    u"WHERE m.run_id = n.run_id AND (m.named_ms > n.named_ms OR (m.named_ms = n.named_ms AND m.id > n.id)))"_s;

}  // namespace

int applyTombstones(QSqlDatabase& local, const QSqlDatabase& server, const Done& done, QString* error)
{
    QSqlQuery read(server);
    read.setForwardOnly(true);
    if (!read.exec(u"SELECT id, pupil, erased_at, erased_ms, erased_by FROM tombstones"_s)) {
        *error = read.lastError().text();
        return -1;
    }
    int removed = 0;
    while (read.next()) {
        const QVariantList stone{read.value(0), read.value(1), read.value(2), read.value(3), read.value(4)};
        if (count(local, u"SELECT count(*) FROM tombstones WHERE id = ?"_s, {stone[0]}) != 0) continue;
        if (!local.transaction()) {
            *error = local.lastError().text();
            return -1;
        }
        const QString pupil = stone[1].toString();
        const int runs = count(local, u"SELECT count(*) FROM ("_s + kRunsOfPupil + u") AS r"_s, {pupil});
        QSqlQuery mark(local);
        mark.prepare(u"INSERT INTO tombstones (id, pupil, erased_at, erased_ms, erased_by) VALUES (?, ?, ?, ?, ?)"_s);
        for (const QVariant& v : stone) mark.addBindValue(v);
        // Names typed for runs that are now another pupil's go too, as on the server.
        QSqlQuery names(local);
        names.prepare(u"DELETE FROM pupil_names WHERE pupil = ?"_s);
        names.addBindValue(pupil);
        if (runs < 0 || !removeRuns(local, kRunsOfPupil, {pupil}, error) || !names.exec() || !mark.exec() ||
            !audit(local, u"cancellazione"_s, pupil, runs, done, error) || !local.commit()) {
            if (error->isEmpty()) *error = local.lastError().text();
            local.rollback();
            return -1;
        }
        removed += runs;
    }
    return removed;
}

int removeRunsBefore(QSqlDatabase& local, qint64 cutoffMs, const Done& done, QString* error)
{
    const int runs = count(local, u"SELECT count(*) FROM runs WHERE started_ms < ?"_s, {cutoffMs});
    const int sheets = count(local, u"SELECT count(*) FROM sheets WHERE printed_ms < ?"_s, {cutoffMs});
    if (runs < 0 || sheets < 0) {
        *error = local.lastError().text();
        return -1;
    }
    if (runs == 0 && sheets == 0) return 0;
    if (!local.transaction()) {
        *error = local.lastError().text();
        return -1;
    }
    QSqlQuery oldSheets(local);
    oldSheets.prepare(u"DELETE FROM sheets WHERE printed_ms < ?"_s);
    oldSheets.addBindValue(cutoffMs);
    if (!removeRuns(local, u"SELECT id FROM runs WHERE started_ms < ?"_s, {cutoffMs}, error) || !oldSheets.exec() ||
        !audit(local, u"conservazione"_s, u""_s, runs, done, error) || !local.commit()) {
        if (error->isEmpty()) *error = local.lastError().text();
        local.rollback();
        return -1;
    }
    return runs;
}

bool takeClassLists(QSqlDatabase& local, const QSqlDatabase& server, QString* error)
{
    const struct {
        QString table;
        QStringList columns;
    } lists[] = {{u"classes"_s, {u"id"_s, u"name"_s, u"changed_ms"_s}},
                 {u"class_pupils"_s, {u"id"_s, u"class_id"_s, u"name"_s, u"in_list"_s, u"changed_ms"_s}}};
    if (!local.transaction()) {
        *error = local.lastError().text();
        return false;
    }
    for (const auto& list : lists) {
        QSqlQuery read(server);
        read.setForwardOnly(true);
        if (!read.exec(u"SELECT "_s + list.columns.join(u", ") + u" FROM "_s + list.table)) {
            *error = read.lastError().text();
            local.rollback();
            return false;
        }
        QStringList updates;
        for (const QString& c : list.columns.mid(1)) updates << c + u" = excluded."_s + c;
        QSqlQuery write(local);
        write.prepare(u"INSERT INTO "_s + list.table + u" ("_s + list.columns.join(u", ") + u") VALUES ("_s +
                      QStringList(list.columns.size(), u"?"_s).join(u", ") + u") ON CONFLICT (id) DO UPDATE SET "_s +
                      updates.join(u", ") + u" WHERE excluded.changed_ms > "_s + list.table + u".changed_ms"_s);
        while (read.next()) {
            for (int c = 0; c < list.columns.size(); ++c) write.bindValue(c, read.value(c));
            if (!write.exec()) {
                *error = write.lastError().text();
                local.rollback();
                return false;
            }
        }
    }
    if (!local.commit()) {
        *error = local.lastError().text();
        local.rollback();
        return false;
    }
    return true;
}

}  // namespace journal
