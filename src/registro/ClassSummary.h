#pragma once

#include "registro/Reader.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The class at a glance: one row of figures per pupil of a class list over
// some days, read with aggregates over indexed columns so that a year of a
// school's runs is summed in a blink. QtCore and QtSql only.
namespace registro {

struct ClassChoice {
    QString id;
    QString name;
};

// The days looked at, both ends included.
struct Days {
    QDate from;
    QDate to;
    int count() const { return int(from.daysTo(to)) + 1; }
    // The same number of days just before these.
    Days before() const { return {from.addDays(-count()), from.addDays(-1)}; }
};

enum class Period { Week, Month, SchoolYear };
// The last 7 or 30 days up to today, or the school year so far (from 1 September).
Days daysOf(Period period, QDate today);

// The attention rule, stated once: a pupil is followed when their share of
// right answers is under 70 %, or fell by 10 points or more against the days
// before, or they have not practised for 14 days.
inline constexpr int kAttentionShare = 70;
inline constexpr int kAttentionFall = 10;
inline constexpr int kAttentionIdleDays = 14;

struct PupilSummary {
    QString id;
    QString name;
    int runs = 0;
    int operations = 0;
    int right = 0;
    int seconds = 0;
    int operationsBefore = 0;  // in the days before
    int rightBefore = 0;
    QDate lastPractised;  // any day, not only the chosen ones; null: never
    QList<MissedOperation> missedMost;  // the chosen days', the worst first
    QStringList attention;  // why the pupil is followed; empty: not followed

    // Per cent right, rounded; nothing without an operation.
    std::optional<int> percentRight() const;
    std::optional<int> percentRightBefore() const;
    // In points, as the two rounded shares show it; nothing unless both are known.
    std::optional<int> change() const;
    std::optional<double> secondsPerOperation() const;
};

// Why the pupil is followed, by the rule above; empty when they are not.
QStringList attentionReasons(const PupilSummary& pupil, QDate today);

struct ClassSummary {
    QList<PupilSummary> pupils;  // the followed first, then the others, each by name
    int runsWithoutPupil = 0;    // of the chosen days, in the whole journal
    QString error;
};

// The classes of the journal, sorted as people read them.
QList<ClassChoice> readClasses(Reader& reader, QString* error);
// The pupils in the class's list, with their figures over days; the missed
// facts, which cost about as much again, are read apart, so that the figures
// can be shown first.
ClassSummary readClassSummary(Reader& reader, const QString& classId, const Days& days, QDate today);
// Fills in each pupil's missed facts over days; the error, or "".
QString readMissedMost(Reader& reader, const QString& classId, const Days& days, QList<PupilSummary>& pupils);

// "▲ 8", "▼ 3", "=": the change in points; "" when unknown.
QString changeText(std::optional<int> change);
// "7 × 8, 9 - 4, 6 + 7"
QString missedMostText(const QList<MissedOperation>& missed);

}  // namespace registro
