#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "registro/Csv.h"
#include "registro/ClassSummary.h"
#include "registro/ReadThread.h"
#include "registro/Reader.h"
#include "registro/RunsModel.h"

#include <QMainWindow>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <set>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTimer;

namespace registro_ui {

// "user@machine" of the teacher's copy, looked up on a thread of its own:
// the user's name may wait on a directory service.
std::shared_future<QString> lookUpTeacher();

class ClassPanel;
class FamilyPrint;
class ClassView;
class PupilChart;

// "Registro dei risultati": the teacher reads the journal. Filters over a
// table of runs; for the run picked, its record lines; for one pupil, the
// chart over time and the operations missed most; CSV, printing, deleting a
// pupil. All reading goes through the Reader; this is only the view. What the
// window shows is read on a thread of its own (registro::ReadThread), so the
// window stays alive while a server is slow; so do the teacher's own commands
// (export, print, delete), on a thread of their own, one of each at a time,
// and the class lists, on another.
class TeacherWindow final : public QMainWindow {
public:
    // The CSV file to write and its form; a bare path is today's form.
    struct CsvChoice {
        CsvChoice(QString path = {}, registro::CsvForm form = registro::CsvForm::Commas)
            : path(std::move(path)), form(form)
        {
        }
        QString path;
        registro::CsvForm form;
    };
    // What asks the teacher something; tests answer in their place.
    struct Questions {
        std::function<bool(QWidget* parent, const QString& question)> confirm;
        // The CSV file to write, or "" when the teacher gave up.
        std::function<CsvChoice(QWidget* parent, const QString& suggested)> csvFile;
        // The text file of a pupil's data, or "".
        std::function<QString(QWidget* parent, const QString& suggested)> pupilFile;
    };
    static Questions askingTheUser();

    // source says in the status bar where the journal is read from; by is
    // who the audit names (looked up here when not given).
    TeacherWindow(registro::Reader& reader, platform::PrinterFactory& printers, platform::Clock& clock,
                  platform::Dialogs& dialogs, const QString& source, Questions questions = askingTheUser(),
                  QWidget* parent = nullptr, std::shared_future<QString> by = {});

    registro::RunsModel& model() { return m_model; }
    ClassPanel& classes() { return *m_classes; }
    ClassView& classView() { return *m_classView; }
    registro::RunFilter filter() const;
    // Reads the choices and the table again, keeping the filter where it can.
    void refresh();
    // Whether reads for the window are waiting or running ("Lettura…").
    bool isReading() const
    {
        return m_reads->busy() || (m_figureReads && m_figureReads->busy()) || (m_commands && m_commands->busy()) ||
               (m_classReads && m_classReads->busy());
    }
    // While a read failed, the window reads again on its own this often.
    void setRetryInterval(std::chrono::milliseconds interval);
    void exportCsv();
    // Everything kept about the pupil chosen, to a text file for the family.
    void exportPupil();
    void printReport();
    // "Scheda dell'alunno": the pupil chosen, or every pupil of a class.
    void printFamilyPages();
    void deletePupil();
    // The pupil's runs over days, with their chart in front.
    void openPupil(const QString& pupil, const registro::Days& days);

private:
    void applyFilter();
    // A command already under way is not started again; false then.
    bool startCommand(registro::ReadThread::Lane lane);
    void endCommand(registro::ReadThread::Lane lane) { m_running.erase(lane); }
    void fillChoices(const QStringList& pupils, const QStringList& copies);
    void showRun(const QModelIndex& index);
    void showLines(const registro::RunRow& run, const QStringList& lines);
    void readingChanged(bool reading);
    void pupilChanged();
    void showPupil();
    void reportError(const QString& error);
    void showStatus();

    registro::Reader& m_reader;
    platform::PrinterFactory& m_printers;
    platform::Clock& m_clock;
    platform::Dialogs& m_dialogs;
    Questions m_questions;
    registro::RunsModel m_model;

    QComboBox* m_pupil = nullptr;
    QComboBox* m_copy = nullptr;
    QCheckBox* m_fromOn = nullptr;
    QDateEdit* m_from = nullptr;
    QCheckBox* m_toOn = nullptr;
    QDateEdit* m_to = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_runTitle = nullptr;
    QPlainTextEdit* m_lines = nullptr;
    QTabWidget* m_details = nullptr;
    QStackedWidget* m_chartPage = nullptr;
    PupilChart* m_chart = nullptr;
    QStackedWidget* m_missedPage = nullptr;
    QListWidget* m_missed = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_exportPupil = nullptr;
    std::shared_future<QString> m_by;  // "user@machine", looked up once
    std::set<registro::ReadThread::Lane> m_running;  // the commands under way
    std::unique_ptr<platform::Printer> m_printJob;   // open while the report is read
    ClassPanel* m_classes = nullptr;
    ClassView* m_classView = nullptr;
    QTabWidget* m_parts = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_reading = nullptr;
    bool m_filling = false;
    bool m_datesFromNewest = false;  // the next table read sets the unset dates
    std::pair<QString, QStringList> m_readyLines;  // a run's lines read with the table
    bool m_chartShown = false;   // the chart and the errors follow the filter,
    bool m_missedShown = false;  // each read when it comes in front
    QString m_lastError;
    QString m_countText;  // "N esecuzioni" of the last table read
    QTimer* m_retry = nullptr;
    FamilyPrint* m_family = nullptr;
    // Last: they are destroyed first, each waiting for a read under way.
    std::unique_ptr<registro::ReadThread> m_reads;
    std::unique_ptr<registro::ReadThread> m_figureReads;
    std::unique_ptr<registro::ReadThread> m_commands;
    std::unique_ptr<registro::ReadThread> m_classReads;  // the "Classi" part's reads and changes
};

}  // namespace registro_ui
