#pragma once

#include "registro/Reader.h"

#include <QtCharts/QChartView>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace registro_ui {

// One pupil over time: the share of right answers of each run (left axis,
// per cent) and the mean seconds per operation (right axis).
class PupilChart final : public QChartView {
public:
    explicit PupilChart(QWidget* parent = nullptr);

    void setPoints(const QList<registro::ChartPoint>& points, const QTimeZone& zone);
    QLineSeries* rightShare() const { return m_right; }
    QLineSeries* secondsPerOperation() const { return m_seconds; }

private:
    QLineSeries* m_right;
    QLineSeries* m_seconds;
    QDateTimeAxis* m_time;
    QValueAxis* m_percent;
    QValueAxis* m_secondsAxis;
};

}  // namespace registro_ui
