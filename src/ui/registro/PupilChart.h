#pragma once

#include "registro/Chart.h"
#include "registro/Reader.h"

#include <QStandardItemModel>
#include <QtCharts/QChartView>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace registro_ui {

// One pupil over time: the share of right answers of each run (left axis,
// per cent) and the mean seconds per operation (right axis); past sixty runs
// a point a day, and past sixty days a point a week, the mean of its runs,
// whose period and count the point's tooltip tells. The same points are kept
// as a table (period, per cent right, seconds per operation, runs), which a
// screen reader walks where it cannot read a drawing.
class PupilChart final : public QChartView {
public:
    explicit PupilChart(QWidget* parent = nullptr);
    QStandardItemModel* table() { return &m_table; }
    // The chart beside a view of its table, as the window shows it.
    QWidget* withTable();

    void setPoints(const QList<registro::ChartPoint>& points, const QTimeZone& zone);
    // Small, so that the window fits a small screen; it grows with the room.
    QSize sizeHint() const override { return {400, 300}; }
    QLineSeries* rightShare() const { return m_right; }
    QLineSeries* secondsPerOperation() const { return m_seconds; }
    // What the point nearest to this time (ms since the epoch) stands for.
    QString tipAt(double x) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineSeries* m_right;
    QLineSeries* m_seconds;
    QDateTimeAxis* m_time;
    QValueAxis* m_percent;
    QValueAxis* m_secondsAxis;
    QStandardItemModel m_table;
    QList<registro::ChartGroup> m_groups;
    QMarginsF m_roomyFrame;  // the chart's own room around its frame
    bool m_roomy = true;
    QTimeZone m_zone;
};

}  // namespace registro_ui
