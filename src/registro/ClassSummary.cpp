#include "registro/ClassSummary.h"

#include "registro/Texts.h"

#include <QCollator>
#include <QDateTime>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace registro {

namespace {

// The end row is written as the twentieth operation closes.
constexpr int kOperationsOfAFinishedRun = 20;
constexpr int kMissedShown = 3;

// A pupil's runs of some days, by the index on (pupil_id, started_ms).
const QString kClassRuns =
    u"r.pupil_id IN (SELECT p.id FROM class_pupils p WHERE p.class_id = ? AND p.in_list = 1) "
    u"AND r.started_ms >= ? AND r.started_ms < ?"_s;

// A run's figures from its end row, one row a run, as the table of runs
// shows them; a run cut short, without one, from the operations it closed.
const QString kRunOperations = u"CASE WHEN e.finished = 1 THEN "_s % QString::number(kOperationsOfAFinishedRun) %
                               u" ELSE (SELECT COUNT(*) FROM operations o WHERE o.run_id = r.id) END"_s;
const QString kRunRight =
    u"CASE WHEN e.run_id IS NULL THEN (SELECT COUNT(*) FROM operations o WHERE o.run_id = r.id AND o.help = '') "
    u"ELSE e.right_answers END"_s;
const QString kRunSeconds = u"CASE WHEN e.run_id IS NULL THEN (SELECT COALESCE(SUM(o.seconds), 0) FROM operations o "
                            u"WHERE o.run_id = r.id) ELSE e.total_seconds END"_s;
// The chosen days and the days before in one pass; grouped by pupil alone,
// the rows come in the index's order and need no sorting.
QString sumOver(const QString& days, const QString& figure)
{
    return u"SUM(CASE WHEN r.started_ms "_s % days % u" THEN "_s % figure % u" ELSE 0 END)"_s;
}
const QString kFigures = u"SELECT r.pupil_id, "_s % sumOver(u">= ?"_s, u"1"_s) % u", "_s %
                         sumOver(u">= ?"_s, kRunOperations) % u", "_s % sumOver(u">= ?"_s, kRunRight) % u", "_s %
                         sumOver(u">= ?"_s, kRunSeconds) % u", "_s % sumOver(u"< ?"_s, kRunOperations) % u", "_s %
                         sumOver(u"< ?"_s, kRunRight) %
                         u" FROM runs r LEFT JOIN run_ends e ON e.run_id = r.id WHERE "_s % kClassRuns %
                         u" GROUP BY r.pupil_id"_s;

// The operations answered wrong at least once, by the partial index on them.
const QString kMissed = u"SELECT r.pupil_id, o.kind, o.operand1, o.operand2, COUNT(*) "
                        u"FROM runs r JOIN operations o ON o.run_id = r.id WHERE "_s %
                        kClassRuns %
                        u" AND o.wrong_attempts <> '' GROUP BY r.pupil_id, o.kind, o.operand1, o.operand2 "
                        u"ORDER BY 1, 5 DESC, 2, 3, 4"_s;

// Runs that no class pupil carries and whose last typed name, if any, is empty:
// the table of runs shows them "(senza nome)".
const QString kWithoutPupil =
    u"SELECT COUNT(*) FROM runs r WHERE r.pupil_id = '' AND r.started_ms >= ? AND r.started_ms < ? "
    u"AND COALESCE((SELECT n.pupil FROM pupil_names n WHERE n.run_id = r.id "
    u"ORDER BY n.named_ms DESC, n.id DESC LIMIT 1), '') = ''"_s;

std::optional<int> percent(int right, int operations)
{
    if (operations <= 0)
        return std::nullopt;
    return int(std::lround(100.0 * right / operations));
}

bool prepared(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (query.exec())
        return true;
    *error = query.lastError().text();
    if (error->isEmpty())
        *error = u"errore della base di dati"_s;
    return false;
}

}  // namespace

Days daysOf(Period period, QDate today)
{
    switch (period) {
    case Period::Week: return {today.addDays(-6), today};
    case Period::Month: return {today.addDays(-29), today};
    case Period::SchoolYear: break;
    }
    return {QDate(today.month() >= 9 ? today.year() : today.year() - 1, 9, 1), today};
}

std::optional<int> PupilSummary::percentRight() const
{
    return percent(right, operations);
}

std::optional<int> PupilSummary::percentRightBefore() const
{
    return percent(rightBefore, operationsBefore);
}

std::optional<int> PupilSummary::change() const
{
    const auto now = percentRight(), then = percentRightBefore();
    if (!now || !then)
        return std::nullopt;
    return *now - *then;
}

std::optional<double> PupilSummary::secondsPerOperation() const
{
    if (operations <= 0)
        return std::nullopt;
    return double(seconds) / operations;
}

QStringList attentionReasons(const PupilSummary& pupil, QDate today)
{
    QStringList reasons;
    if (const auto share = pupil.percentRight(); share && *share < kAttentionShare)
        reasons << u"giuste sotto il "_s % QString::number(kAttentionShare) % u" %"_s;
    if (const auto change = pupil.change(); change && *change <= -kAttentionFall)
        reasons << u"in calo di "_s % QString::number(-*change) % u" punti"_s;
    if (!pupil.lastPractised.isValid())
        reasons << u"non si è mai esercitato"_s;
    else if (const qint64 idle = pupil.lastPractised.daysTo(today); idle >= kAttentionIdleDays)
        reasons << u"non si esercita da "_s % QString::number(idle) % u" giorni"_s;
    return reasons;
}

QList<ClassChoice> readClasses(Reader& reader, QString* error)
{
    QSqlQuery query(reader.database());
    QList<ClassChoice> classes;
    if (!prepared(query, u"SELECT id, name FROM classes"_s, {}, error))
        return classes;
    while (query.next())
        classes.append({query.value(0).toString(), query.value(1).toString()});
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(classes.begin(), classes.end(),
              [&](const ClassChoice& a, const ClassChoice& b) { return collator.compare(a.name, b.name) < 0; });
    return classes;
}

ClassSummary readClassSummary(Reader& reader, const QString& classId, const Days& days, QDate today)
{
    ClassSummary summary;
    const QSqlDatabase& db = reader.database();
    const auto startOf = [&](QDate day) { return day.startOfDay(reader.zone()).toMSecsSinceEpoch(); };
    const qint64 before = startOf(days.before().from), from = startOf(days.from), end = startOf(days.to.addDays(1));

    QSqlQuery pupils(db);
    if (!prepared(pupils,
                  u"SELECT p.id, p.name, (SELECT MAX(r.started_ms) FROM runs r WHERE r.pupil_id = p.id) "
                  u"FROM class_pupils p WHERE p.class_id = ? AND p.in_list = 1"_s,
                  {classId}, &summary.error))
        return summary;
    QHash<QString, qsizetype> rowOf;
    while (pupils.next()) {
        PupilSummary pupil;
        pupil.id = pupils.value(0).toString();
        pupil.name = pupils.value(1).toString();
        if (!pupils.value(2).isNull())
            pupil.lastPractised = QDateTime::fromMSecsSinceEpoch(pupils.value(2).toLongLong(), reader.zone()).date();
        rowOf.insert(pupil.id, summary.pupils.size());
        summary.pupils.append(pupil);
    }

    QSqlQuery figures(db);
    if (!prepared(figures, kFigures, {from, from, from, from, from, from, classId, before, end}, &summary.error))
        return summary;
    // A pupil put in the list since it was read waits for the next read.
    const auto pupilOf = [&](const QSqlQuery& query) -> PupilSummary* {
        const auto row = rowOf.constFind(query.value(0).toString());
        return row == rowOf.cend() ? nullptr : &summary.pupils[*row];
    };
    while (figures.next()) {
        PupilSummary* found = pupilOf(figures);
        if (!found)
            continue;
        found->runs = figures.value(1).toInt();
        found->operations = figures.value(2).toInt();
        found->right = figures.value(3).toInt();
        found->seconds = figures.value(4).toInt();
        found->operationsBefore = figures.value(5).toInt();
        found->rightBefore = figures.value(6).toInt();
    }

    QSqlQuery unnamed(db);
    if (!prepared(unnamed, kWithoutPupil, {from, end}, &summary.error) || !unnamed.next())
        return summary;
    summary.runsWithoutPupil = unnamed.value(0).toInt();

    for (PupilSummary& pupil : summary.pupils)
        pupil.attention = attentionReasons(pupil, today);
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(summary.pupils.begin(), summary.pupils.end(), [&](const PupilSummary& a, const PupilSummary& b) {
        if (a.attention.isEmpty() != b.attention.isEmpty())
            return b.attention.isEmpty();
        const int order = collator.compare(a.name, b.name);
        return order != 0 ? order < 0 : a.id < b.id;
    });
    return summary;
}

QString readMissedMost(Reader& reader, const QString& classId, const Days& days, QList<PupilSummary>& pupils)
{
    QHash<QString, PupilSummary*> pupilOf;
    for (PupilSummary& pupil : pupils) {
        pupil.missedMost.clear();
        pupilOf.insert(pupil.id, &pupil);
    }
    const auto startOf = [&](QDate day) { return day.startOfDay(reader.zone()).toMSecsSinceEpoch(); };
    QString error;
    QSqlQuery missed(reader.database());
    if (!prepared(missed, kMissed, {classId, startOf(days.from), startOf(days.to.addDays(1))}, &error))
        return error;
    while (missed.next()) {
        PupilSummary* pupil = pupilOf.value(missed.value(0).toString());
        if (pupil && pupil->missedMost.size() < kMissedShown)
            pupil->missedMost.append({missed.value(1).toInt(), missed.value(2).toInt(), missed.value(3).toInt(),
                                     missed.value(4).toInt(), 0});
    }
    return {};
}

QString changeText(std::optional<int> change)
{
    if (!change)
        return {};
    if (*change == 0)
        return u"="_s;
    return (*change > 0 ? u"▲ "_s : u"▼ "_s) % QString::number(std::abs(*change));
}

QString missedMostText(const QList<MissedOperation>& missed)
{
    QStringList texts;
    for (const MissedOperation& operation : missed)
        texts << operationText(operation.kind, operation.operand1, operation.operand2);
    return texts.join(u", "_s);
}

}  // namespace registro
