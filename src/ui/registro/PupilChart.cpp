#include "ui/registro/PupilChart.h"

#include <QCursor>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QTableView>
#include <QToolTip>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace registro_ui {

namespace {

// Below this height the axes' titles would leave the dates no room.
constexpr int kRoomyHeight = 200;

}  // namespace

PupilChart::PupilChart(QWidget* parent)
    : QChartView(parent),
      m_right(new QLineSeries),
      m_seconds(new QLineSeries),
      m_time(new QDateTimeAxis),
      m_percent(new QValueAxis),
      m_secondsAxis(new QValueAxis)
{
    setObjectName(u"grafico"_s);
    setAccessibleName(u"Andamento dell'alunno"_s);
    setAccessibleDescription(u"Risposte esatte e secondi per operazione di ogni esecuzione; la tabella accanto ne dà i valori"_s);
    m_table.setHorizontalHeaderLabels({u"Data"_s, u"Esatte (%)"_s, u"Secondi per operazione"_s, u"Esecuzioni"_s});
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignTop);
    m_right->setName(u"Risposte esatte (%)"_s);
    m_seconds->setName(u"Secondi per operazione"_s);
    for (QLineSeries* series : {m_right, m_seconds}) {
        chart->addSeries(series);
        connect(series, &QLineSeries::hovered, this, [this](const QPointF& point, bool over) {
            if (over)
                QToolTip::showText(QCursor::pos(), tipAt(point.x()), this);
            else
                QToolTip::hideText();
        });
    }
    m_time->setFormat(u"dd/MM/yy"_s);
    m_time->setTitleText(u"Data"_s);
    // A little above 100, so that a perfect run is not cut by the frame.
    m_percent->setRange(0, 105);
    m_percent->setTickType(QValueAxis::TicksDynamic);
    m_percent->setTickAnchor(0);
    m_percent->setTickInterval(25);
    m_percent->setLabelFormat(u"%d"_s);
    m_percent->setTitleText(u"Esatte (%)"_s);
    m_secondsAxis->setLabelFormat(u"%d"_s);
    m_secondsAxis->setTitleText(u"Secondi"_s);
    chart->addAxis(m_time, Qt::AlignBottom);
    chart->addAxis(m_percent, Qt::AlignLeft);
    chart->addAxis(m_secondsAxis, Qt::AlignRight);
    m_right->attachAxis(m_time);
    m_right->attachAxis(m_percent);
    m_seconds->attachAxis(m_time);
    m_seconds->attachAxis(m_secondsAxis);
    m_percent->setLinePenColor(m_right->color());
    m_secondsAxis->setLinePenColor(m_seconds->color());
    qreal left = 0, top = 0, right = 0, bottom = 0;
    chart->layout()->getContentsMargins(&left, &top, &right, &bottom);
    m_roomyFrame = QMarginsF(left, top, right, bottom);
    // The view's own first chart is released, not deleted, when replaced.
    std::unique_ptr<QChart> first(this->chart());
    setChart(chart);
}

void PupilChart::setPoints(const QList<registro::ChartPoint>& runs, const QTimeZone& zone)
{
    m_groups = registro::groupChart(runs, zone);
    m_zone = zone;
    const QList<registro::ChartGroup>& points = m_groups;
    QList<QPointF> right, seconds;
    right.reserve(points.size());
    seconds.reserve(points.size());
    double slowest = 0;
    for (const registro::ChartGroup& point : points) {
        right.append({double(point.startedMs), point.rightShare * 100});
        seconds.append({double(point.startedMs), point.secondsPerOperation});
        slowest = std::max(slowest, point.secondsPerOperation);
    }
    // One call each: the chart redraws once, not once a point. A dot for each
    // run while they can be told apart; beyond that the line says it.
    const bool dots = points.size() <= registro::kMostChartPoints;
    m_right->setPointsVisible(dots);
    m_seconds->setPointsVisible(dots);
    m_right->replace(right);
    m_seconds->replace(seconds);

    const QLocale locale;
    m_table.setRowCount(0);
    for (const registro::ChartGroup& point : points) {
        auto cell = [](const QString& text) {
            auto* item = new QStandardItem(text);
            item->setEditable(false);
            return item;
        };
        QList<QStandardItem*> row{cell(registro::chartPeriodText(point, zone, u"dd/MM/yyyy"_s)),
                                  cell(locale.toString(qRound(point.rightShare * 100))),
                                  cell(locale.toString(point.secondsPerOperation, 'f', 1)),
                                  cell(locale.toString(point.runs))};
        for (int column = 1; column < row.size(); ++column)
            row[column]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table.appendRow(row);
    }

    // A day either side, so that a single run still has an axis to sit on.
    constexpr qint64 kDay = 24 * 3600 * 1000;
    const qint64 first = points.isEmpty() ? 0 : points.first().startedMs;
    const qint64 last = points.isEmpty() ? kDay : points.last().startedMs;
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(first - kDay / 2, zone),
                     QDateTime::fromMSecsSinceEpoch(last + kDay / 2, zone));
    m_time->setTickCount(std::clamp(int(points.size()), 2, 7));
    m_secondsAxis->setRange(0, std::max(10.0, slowest * 1.1));
    m_secondsAxis->applyNiceNumbers();
    m_secondsAxis->setMax(m_secondsAxis->max() * 1.05);
}

void PupilChart::resizeEvent(QResizeEvent* event)
{
    // A short chart (a small screen, big text) gives its axes' titles and the
    // room around its frame up for the dates and figures, which it would cut
    // otherwise, and marks the per cent every 50; the legend and the axes'
    // colours still tell which line is which.
    const bool roomy = height() >= kRoomyHeight;
    if (roomy != m_roomy) {
        m_roomy = roomy;
        for (QAbstractAxis* axis : std::initializer_list<QAbstractAxis*>{m_time, m_percent, m_secondsAxis})
            axis->setTitleVisible(roomy);
        m_percent->setTickInterval(roomy ? 25 : 50);
        const QMarginsF frame = roomy ? m_roomyFrame : QMarginsF();
        chart()->layout()->setContentsMargins(frame.left(), frame.top(), frame.right(), frame.bottom());
    }
    QChartView::resizeEvent(event);
}

QString PupilChart::tipAt(double x) const
{
    if (m_groups.isEmpty())
        return {};
    const auto nearest = std::min_element(m_groups.begin(), m_groups.end(), [x](const auto& a, const auto& b) {
        return std::abs(double(a.startedMs) - x) < std::abs(double(b.startedMs) - x);
    });
    return registro::chartTipText(*nearest, m_zone);
}

QWidget* PupilChart::withTable()
{
    auto* page = new QWidget;
    auto* view = new QTableView;
    view->setObjectName(u"tabellaAndamento"_s);
    view->setAccessibleName(u"Andamento dell'alunno in tabella"_s);
    view->setModel(&m_table);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(this, 3);
    layout->addWidget(view, 1);
    return page;
}

}  // namespace registro_ui
