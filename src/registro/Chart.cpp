#include "registro/Chart.h"

#include "registro/Texts.h"

#include <QDateTime>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace registro {

QList<ChartGroup> groupChart(const QList<ChartPoint>& points, const QTimeZone& zone)
{
    const auto dayOf = [&zone](const ChartPoint& point) {
        return QDateTime::fromMSecsSinceEpoch(point.startedMs, zone).date();
    };
    ChartStep step = ChartStep::Run;
    if (points.size() > kMostChartPoints) {
        QSet<QDate> days;
        for (const ChartPoint& point : points)
            days.insert(dayOf(point));
        step = days.size() > kMostChartPoints ? ChartStep::Week : ChartStep::Day;
    }
    QList<ChartGroup> groups;
    for (const ChartPoint& point : points) {
        QDate day = dayOf(point);
        if (step == ChartStep::Week)
            day = day.addDays(1 - day.dayOfWeek());
        if (step == ChartStep::Run || groups.isEmpty() || groups.last().day != day) {
            const qint64 at = step == ChartStep::Run ? point.startedMs : day.startOfDay(zone).toMSecsSinceEpoch();
            groups.append({step, at, day, 0, 0, 0});
        }
        // Sums first, means at the end.
        ChartGroup& group = groups.last();
        ++group.runs;
        group.rightShare += point.rightShare;
        group.secondsPerOperation += point.secondsPerOperation;
    }
    for (ChartGroup& group : groups) {
        group.rightShare /= group.runs;
        group.secondsPerOperation /= group.runs;
    }
    return groups;
}

QString chartPeriodText(const ChartGroup& group, const QTimeZone& zone, const QString& dayFormat)
{
    switch (group.step) {
    case ChartStep::Run:
        return QDateTime::fromMSecsSinceEpoch(group.startedMs, zone).toString(dayFormat % u" HH:mm"_s);
    case ChartStep::Day:
        return group.day.toString(dayFormat);
    case ChartStep::Week:
        return u"settimana dal "_s % group.day.toString(dayFormat);
    }
    return {};
}

QString chartTipText(const ChartGroup& group, const QTimeZone& zone)
{
    return chartPeriodText(group, zone) % u": "_s % runsText(group.runs);
}

}  // namespace registro
