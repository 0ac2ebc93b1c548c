#include "Backends.h"
#include "JournalData.h"

#include "registro/Texts.h"
#include "ui/registro/PupilChart.h"
#include "ui/registro/TeacherWindow.h"

#include "support/Fakes.h"
#include "support/Recorders.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QtCharts/QLineSeries>

using namespace Qt::Literals::StringLiterals;
using namespace registro_test;

class TeacherWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SqliteBackend> backend;
    std::unique_ptr<registro::Reader> reader;
    testing_support::RecordingPrinterFactory printers;
    testing_support::FakeClock clock;
    testing_support::RecordingDialogs dialogs;
    QStringList questions;
    bool answer = false;
    QString csvPath;
    std::unique_ptr<registro_ui::TeacherWindow> window;

    template <typename T>
    T* child(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        if (!found)
            qFatal("no %s", qPrintable(name));
        return found;
    }
    QStringList column(registro::Column column) const
    {
        QStringList texts;
        for (int row = 0; row < window->model().rowCount(); ++row)
            texts << window->model().data(window->model().index(row, int(column))).toString();
        return texts;
    }
    void choose(const QString& combo, const QString& text)
    {
        auto* box = child<QComboBox>(combo);
        const int index = box->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        box->setCurrentIndex(index);
    }

private Q_SLOTS:
    void init()
    {
        backend = std::make_unique<SqliteBackend>();
        QVERIFY2(backend->error().isEmpty(), qPrintable(backend->error()));
        JournalWriter writer(backend->pupils());
        std::vector<Operation> missed = rightOperations(20, 4);
        missed[0] = {3, 7, 8, u"54 55"_s, u"aiuto"_s, 9};
        const std::vector<JournalRun> runs{
            {u"r1"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 1, 9), missed, {u"Giulia"_s}},
            {u"r2"_s, u"ADDIZIONI"_s, at(2026, 12, 2, 10), rightOperations(20), {u"Marco"_s}},
            {u"r3"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 3, 11), rightOperations(12, 3), {u"Giulia"_s}, false},
            {u"r4"_s, u"SOTTRAZIONI"_s, at(2026, 12, 5, 8), rightOperations(20)},
        };
        QVERIFY2(writer.add(runs), qPrintable(writer.error()));
        reader = std::make_unique<registro::Reader>(backend->teacher(), schoolZone());
        questions.clear();
        csvPath.clear();
        registro_ui::TeacherWindow::Questions scripted{
            [this](QWidget*, const QString& question) {
                questions << question;
                return answer;
            },
            [this](QWidget*, const QString&) { return csvPath; }};
        window = std::make_unique<registro_ui::TeacherWindow>(*reader, printers, clock, dialogs, u"prova"_s, scripted);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        reader.reset();
        backend.reset();
    }

    void theFiltersNarrowTheTableAndThePupilHasAChartAndErrors()
    {
        QCOMPARE(window->windowTitle(), u"Registro dei risultati"_s);
        QCOMPARE(column(registro::Column::Date).first(), u"05/12/2026 08:00"_s);
        QCOMPARE(window->model().rowCount(), 4);
        // The newest run has no name: its empty cell is read as such.
        const QModelIndex nameless = window->model().index(0, int(registro::Column::Pupil));
        QCOMPARE(nameless.data().toString(), QString());
        QCOMPARE(nameless.data(Qt::AccessibleTextRole).toString(), u"senza nome"_s);
        auto* pupils = child<QComboBox>(u"alunno"_s);
        QCOMPARE(pupils->count(), 3);
        QCOMPARE(pupils->itemText(1), u"Giulia"_s);

        // The newest run is picked and shows its lines under their exercise.
        QStringList lines = child<QPlainTextEdit>(u"righe"_s)->toPlainText().split(u'\n');
        QCOMPARE(lines.first(), u"Esercizio n.1"_s);
        QCOMPARE(lines.at(1), JournalWriter::lineOf(u"r4"_s, 1));
        QVERIFY(lines.contains(u"Esercizio n.2"_s));
        QVERIFY(!child<QPushButton>(u"elimina"_s)->isEnabled());

        choose(u"alunno"_s, u"Giulia"_s);
        QCOMPARE(column(registro::Column::Pupil), QStringList({u"Giulia"_s, u"Giulia"_s}));
        QCOMPARE(column(registro::Column::Operations), QStringList({u"12"_s, u"20"_s}));
        QVERIFY(child<QPushButton>(u"elimina"_s)->isEnabled());
        lines = child<QPlainTextEdit>(u"righe"_s)->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 1 + 10 + 2 + 2);  // twelve lines under two headings, a blank between

        child<QTabWidget>(u"dettagli"_s)->setCurrentIndex(1);
        auto* chart = window->findChild<registro_ui::PupilChart*>();
        const QList<QPointF> right = chart->rightShare()->points();
        QCOMPARE(right.size(), 2);
        QCOMPARE(right[0], QPointF(at(2026, 12, 1, 9).toMSecsSinceEpoch(), 95.0));
        QCOMPARE(right[1], QPointF(at(2026, 12, 3, 11).toMSecsSinceEpoch(), 100.0));
        QCOMPARE(chart->secondsPerOperation()->points()[0].y(), (9 + 19 * 4) / 20.0);
        QCOMPARE(chart->secondsPerOperation()->points()[1].y(), 3.0);
        // The same points as a table a screen reader walks cell by cell.
        auto* table = child<QTableView>(u"tabellaAndamento"_s);
        QAccessibleInterface* walked = QAccessible::queryAccessibleInterface(table);
        QVERIFY(walked && walked->tableInterface());
        QCOMPARE(walked->tableInterface()->rowCount(), 2);
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells << walked->tableInterface()->cellAt(1, c)->text(QAccessible::Name);
        QCOMPARE(cells, QStringList({u"03/12/2026 11:00"_s, u"100"_s, u"3,0"_s}));
        QCOMPARE(QAccessible::queryAccessibleInterface(chart)->text(QAccessible::Name), u"Andamento dell'alunno"_s);
        auto* errors = child<QListWidget>(u"errori"_s);
        QCOMPARE(errors->count(), 1);
        QCOMPARE(errors->item(0)->text(), u"7 × 8: 1 errore su 1"_s);

        choose(u"copia"_s, u"ADDIZIONI"_s);
        QCOMPARE(window->model().rowCount(), 0);
        QVERIFY(child<QPlainTextEdit>(u"righe"_s)->toPlainText().isEmpty());
        choose(u"alunno"_s, u"Tutti gli alunni"_s);
        QCOMPARE(column(registro::Column::Pupil), QStringList({u"Marco"_s}));
        choose(u"copia"_s, u"Tutte le copie"_s);
        child<QDateEdit>(u"al"_s)->setDate(QDate(2026, 12, 2));
        QCOMPARE(window->model().rowCount(), 4);  // not until the date is switched on
        child<QCheckBox>(u"alAttivo"_s)->setChecked(true);
        QCOMPARE(column(registro::Column::Copy), QStringList({u"ADDIZIONI"_s, u"MOLTIPLICAZIONI"_s}));
    }

    void theTeacherExportsPrintsAndDeletesAPupil()
    {
        QTemporaryDir dir;
        csvPath = dir.filePath(u"registro.csv"_s);
        choose(u"alunno"_s, u"Giulia"_s);
        child<QPushButton>(u"esporta"_s)->click();
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList records = QString::fromUtf8(csv.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0], registro::columnHeaders().join(u','));
        QVERIFY(records[1].startsWith(u"03/12/2026 11:00,Giulia,MOLTIPLICAZIONI,"_s));
        QCOMPARE(dialogs.messages.last(), u"Esportate 2 esecuzioni nel file:\n"_s % csvPath);

        child<QPushButton>(u"stampa"_s)->click();
        QCOMPARE(printers.documentNames, QStringList{u"registro"_s});
        const QStringList printed = printers.last()->texts();
        QVERIFY(printed.contains(u"Alunno: Giulia   Copia: tutte   Date: tutte"_s));
        QVERIFY(printed.contains(u"7 × 8: 1 errore su 1"_s));

        answer = false;
        child<QPushButton>(u"elimina"_s)->click();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains(u"tutte le 2 esecuzioni di Giulia"_s));
        QCOMPARE(reader->countRuns({}), 4);

        answer = true;
        child<QPushButton>(u"elimina"_s)->click();
        QCOMPARE(reader->countRuns({}), 2);
        QCOMPARE(dialogs.messages.last(), u"Eliminate 2 esecuzioni di Giulia."_s);
        QCOMPARE(child<QComboBox>(u"alunno"_s)->findText(u"Giulia"_s), -1);
        QCOMPARE(child<QComboBox>(u"alunno"_s)->currentIndex(), 0);
        QCOMPARE(window->model().rowCount(), 2);
    }
};

QTEST_MAIN(TeacherWindowTest)
#include "TeacherWindowTest.moc"
