#pragma once

#include "registro/Reader.h"

#include <QStandardItemModel>
#include <QtCharts/QChartView>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace registro_ui {

// One pupil over time: the share of right answers of each run (left axis,
// per cent) and the mean seconds per operation (right axis). The same points
// are kept as a table (date, per cent right, seconds per operation), which a
// screen reader walks where it cannot read a drawing.
class PupilChart final : public QChartView {
public:
    explicit PupilChart(QWidget* parent = nullptr);
    QStandardItemModel* table() { return &m_table; }
    // The chart beside a view of its table, as the window shows it.
    QWidget* withTable();

    void setPoints(const QList<registro::ChartPoint>& points, const QTimeZone& zone);
    QLineSeries* rightShare() const { return m_right; }
    QLineSeries* secondsPerOperation() const { return m_seconds; }

private:
    QLineSeries* m_right;
    QLineSeries* m_seconds;
    QDateTimeAxis* m_time;
    QValueAxis* m_percent;
    QValueAxis* m_secondsAxis;
    QStandardItemModel m_table;
};

}  // namespace registro_ui
