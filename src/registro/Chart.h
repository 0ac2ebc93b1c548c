#pragma once

#include "registro/Reader.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTimeZone>

// A pupil's chart over a school year: past a few dozen runs a point a run
// turns into a tangle, so runs are taken together a day or a week at a time.
namespace registro {

// Above this many points the runs are taken a day at a time, and above this
// many days a week at a time.
constexpr int kMostChartPoints = 60;

enum class ChartStep { Run, Day, Week };

// One point of the chart: the mean of the runs of its run, day or week.
struct ChartGroup {
    ChartStep step = ChartStep::Run;
    qint64 startedMs = 0;  // the run's start, or the midnight its day or week (Monday) starts at
    QDate day;             // the run's day, the day, or the week's Monday
    int runs = 0;
    double rightShare = 0;
    double secondsPerOperation = 0;
};

// The points, oldest first, from runs oldest first; days and weeks in zone.
QList<ChartGroup> groupChart(const QList<ChartPoint>& points, const QTimeZone& zone);

// What a point stands for: "05/12/26 08:00", "05/12/26", "settimana dal 07/12/26".
QString chartPeriodText(const ChartGroup& group, const QTimeZone& zone, const QString& dayFormat = QStringLiteral("dd/MM/yy"));
// Its tooltip: "settimana dal 07/12/26: 14 esecuzioni".
QString chartTipText(const ChartGroup& group, const QTimeZone& zone);

}  // namespace registro
