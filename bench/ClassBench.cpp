// The class at a glance over a big journal: 100,000 runs of 20 operations by
// the 25 pupils of a class list over a school year (every tenth run with no
// pupil), made with the teacher's window bench's SQL. Times the view from the
// choice of its tab to the frame that shows the figures (its first paint) and
// to the one that adds the missed facts, and the change to the school year.
//   class_bench [--runs N] [--keep FILE]
// Fails when the first paint takes more than 300 ms.
#include "RegistroBenchSupport.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "registro/Reader.h"
#include "ui/registro/ClassView.h"
#include "ui/registro/TeacherWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace registro_bench;

namespace {

constexpr int kPupils = 25;
constexpr double kTarget = 300;

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const Options given = options();
    const int runs = given.runs;
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString path = journalFor(given, dir.path(), kPupils, true, out);
    if (path.isEmpty())
        return 2;

    LastDayClock clock(runs);
    NoDialogs dialogs;
    NoPrinters printers;
    const journal::Connection file = journal::openLocal(path);
    registro::Reader reader(file.database());
    registro_ui::TeacherWindow window(reader, printers, clock, dialogs, path);
    window.show();
    settle(window);

    auto* parts = window.findChild<QTabWidget*>(u"parti"_s);
    auto* table = window.findChild<QTableView*>(u"riepilogoClasse"_s);
    auto* period = window.findChild<QComboBox*>(u"periodo"_s);
    const QStandardItemModel& model = window.classView().model();
    // The figures are shown first, the missed facts a moment later.
    // Asleep until the read thread hands something over: a spinning wait
    // would take the core the reading needs.
    auto waitFor = [&](auto done) {
        while (!done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    auto complete = [&] {
        return !window.isReading() && !model.index(0, registro_ui::ClassView::Missed).data().toString().isEmpty();
    };
    Timer timer;
    timer.restart();
    parts->setCurrentWidget(&window.classView());
    waitFor([&] { return model.rowCount() > 0; });
    const Times first = untilPainted(table->viewport(), timer);
    waitFor(complete);
    const Times whole = untilPainted(table->viewport(), timer);
    const int rows = model.rowCount();
    timer.restart();
    period->setCurrentIndex(period->findText(u"Anno scolastico"_s));
    waitFor([&] { return model.index(0, registro_ui::ClassView::Missed).data().toString().isEmpty(); });
    waitFor(complete);
    const Times year = untilPainted(table->viewport(), timer);

    const bool met = first.wall <= kTarget && rows == kPupils;
    out << "pupils shown: " << rows << "\n"
        << QString::asprintf("%-56s %7.1f ms (CPU %6.1f ms)   target <= %.0f ms%s\n",
                             "class view, last 30 days, first paint", first.wall, first.cpu, kTarget,
                             first.wall <= kTarget ? "" : "   MISSED")
        << QString::asprintf("%-56s %7.1f ms (CPU %6.1f ms)\n", "  with the missed facts", whole.wall, whole.cpu)
        << QString::asprintf("%-56s %7.1f ms (CPU %6.1f ms)\n", "class view, the school year, with the missed facts",
                             year.wall, year.cpu)
        << (met ? "Every target met.\n" : "A target was missed.\n");
    return met ? 0 : 1;
}
