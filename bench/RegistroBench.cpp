// The teacher's window over a big journal: 100,000 runs of 20 operations
// (2,000,000 operations) by 200 pupils over a school year, made with SQL in
// one transaction. Times the first paint of the window, a filter, and one
// pupil's chart, and states the file's size per run.
//   registro_bench [--runs N] [--keep FILE]
// Fails when a target is missed: first paint 500 ms, filter 100 ms, chart 100 ms.
#include "RegistroBenchSupport.h"
#include "journal/Database.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "registro/Reader.h"
#include "ui/registro/PupilChart.h"
#include "ui/registro/TeacherWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QtCharts/QLineSeries>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

using namespace registro_bench;

namespace {

constexpr int kPupils = 200;

class NoClock final : public platform::Clock {
public:
    double secondsSinceMidnight() override { return 36000; }
    QString shortDate() override { return u"08/12/26"_s; }
    QDateTime now() override { return {QDate(2026, 12, 8), QTime(10, 0)}; }
};
class NoDialogs final : public platform::Dialogs {
public:
    void message(const QString& text) override { QTextStream(stderr) << text << "\n"; }
};
class NoPrinters final : public platform::PrinterFactory {
public:
    std::unique_ptr<platform::Printer> open(const QString&) override { return nullptr; }
};

Times median(std::vector<Times> values)
{
    std::vector<double> wall, cpu;
    for (const Times& t : values) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int runs = 100000;
    QString keep;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--runs"_s)
            runs = args[i + 1].toInt();
        else if (args[i] == u"--keep"_s)
            keep = args[i + 1];
    }
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString path = keep.isEmpty() ? dir.filePath(u"registro.sqlite"_s) : keep;
    if (!QFileInfo::exists(path)) {
        QElapsedTimer fill;
        fill.start();
        if (!registro_bench::makeJournal(path, runs, kPupils, false))
            return 2;
        out << "journal of " << runs << " runs (" << runs * 20LL << " operations) made in "
            << fill.elapsed() / 1000.0 << " s\n";
    }
    const qint64 bytes = QFileInfo(path).size();
    out << "file size: " << bytes / 1048576.0 << " MiB, " << bytes / double(runs) << " bytes per run\n";
    out.flush();

    NoClock clock;
    NoDialogs dialogs;
    NoPrinters printers;
    bool met = true;
    auto report = [&](const char* what, Times t, double target) {
        out << QString::asprintf("%-48s %7.1f ms (CPU %6.1f ms)   target <= %.0f ms%s\n", what, t.wall, t.cpu,
                                 target, t.wall <= target ? "" : "   MISSED");
        out.flush();
        met = met && t.wall <= target;
    };
    {
        Timer timer;
        timer.restart();
        const journal::Connection file = journal::openLocal(path);
        registro::Reader reader(file.database());
        registro_ui::TeacherWindow window(reader, printers, clock, dialogs, path);
        window.show();
        auto* table = window.findChild<QTableView*>(u"esecuzioni"_s);
        report("first paint of the window", untilShown(window, table->viewport(), timer), 500);

        auto* copy = window.findChild<QComboBox*>(u"copia"_s);
        auto* pupil = window.findChild<QComboBox*>(u"alunno"_s);
        auto* details = window.findChild<QTabWidget*>(u"dettagli"_s);
        auto* chart = window.findChild<registro_ui::PupilChart*>();
        std::vector<Times> copyTimes, pupilTimes, chartTimes, choiceTimes;
        for (int round = 0; round < 5; ++round) {
            // The table and the lines of its newest run.
            details->setCurrentIndex(0);
            pupil->setCurrentIndex(0);
            settle(window);
            timer.restart();
            copy->setCurrentIndex(1 + round % (copy->count() - 1));
            copyTimes.push_back(untilShown(window, table->viewport(), timer));
            copy->setCurrentIndex(0);
            settle(window);

            timer.restart();
            pupil->setCurrentIndex(pupil->count() - 1 - round * 17);
            pupilTimes.push_back(untilShown(window, table->viewport(), timer));

            // The chart alone: the pupil's figures read and drawn. The window
            // read them on its own connection; this one reads them once
            // untimed, as the window's reading did when it shared it.
            details->setCurrentIndex(1);
            settle(window);
            QCoreApplication::processEvents();
            reader.pupilStatistics(window.filter(), 10);
            timer.restart();
            chart->setPoints(reader.pupilStatistics(window.filter(), 10).chart, reader.zone());
            chartTimes.push_back(untilPainted(chart->viewport(), timer));

            // With the chart in front, choosing a pupil redraws the table,
            // reads the pupil's figures and draws the chart.
            pupil->setCurrentIndex(0);
            settle(window);
            QCoreApplication::processEvents();
            timer.restart();
            pupil->setCurrentIndex(1 + round * 23);
            choiceTimes.push_back(untilShown(window, chart->viewport(), timer));
        }
        out << "a pupil's chart has " << chart->rightShare()->count() << " runs\n";
        report("a filter (copy), median of 5", median(copyTimes), 100);
        report("a filter (pupil), median of 5", median(pupilTimes), 100);
        report("one pupil's chart, median of 5", median(chartTimes), 100);
        report("a pupil chosen with the chart in front, median of 5", median(choiceTimes), 100);
        window.close();
    }
    out << (met ? "Every target met.\n" : "A target was missed.\n");
    return met ? 0 : 1;
}
