#pragma once

#include "platform/Clock.h"
#include "registro/ClassSummary.h"
#include "registro/ReadThread.h"

#include <QStandardItemModel>
#include <QTimeZone>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QStackedWidget;
class QTableView;

namespace registro_ui {

// "Classe": the class at a glance. One row per pupil of the class chosen
// over the days chosen, the pupils to follow first and marked; a row opened
// (click or Enter) shows that pupil's runs and chart. Read on the window's
// read thread, only while the view is in front.
class ClassView final : public QWidget {
public:
    enum Column { Mark, Pupil, Runs, Operations, Share, Change, Seconds, Last, Missed, ColumnCount };

    ClassView(registro::ReadThread& reads, platform::Clock& clock, QTimeZone zone, QWidget* parent = nullptr);
    void onOpenPupil(std::function<void(const QString& name, const registro::Days& days)> told)
    {
        m_open = std::move(told);
    }
    // What was read is out of date: read again now if in front, else when shown.
    void reload();
    const QStandardItemModel& model() const { return m_model; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void read();
    void show(const QList<registro::ClassChoice>& classes, const registro::ClassSummary& summary,
              const QString& error, const registro::Days& days);
    // The missed facts, after the figures are shown.
    void readMissed(const QString& classId, const QList<registro::PupilSummary>& pupils, const registro::Days& days);
    void open(const QModelIndex& index);

    registro::ReadThread& m_reads;
    platform::Clock& m_clock;
    QTimeZone m_zone;
    std::function<void(const QString&, const registro::Days&)> m_open;
    QStandardItemModel m_model;
    registro::Days m_days;  // those of the rows shown
    bool m_stale = true;
    QComboBox* m_class = nullptr;
    QComboBox* m_period = nullptr;
    QStackedWidget* m_pages = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_unnamed = nullptr;
};

}  // namespace registro_ui
