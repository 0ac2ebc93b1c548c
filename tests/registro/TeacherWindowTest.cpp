#include "Backends.h"
#include "JournalData.h"

#include "registro/Texts.h"
#include "ui/registro/ClassPanel.h"
#include "ui/registro/PupilChart.h"
#include "ui/registro/TeacherProgram.h"
#include "ui/registro/TeacherWindow.h"

#include "support/Fakes.h"
#include "support/Recorders.h"

#include <QAccessible>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QScreen>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QtCharts/QLineSeries>

#include <unistd.h>

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
    int csvAsked = 0;  // times the CSV file was asked for
    QString pupilPath;
    std::unique_ptr<registro_ui::TeacherWindow> window;

    template <typename T>
    T* child(const QString& name, QWidget* in = nullptr) const
    {
        T* found = (in ? in : window.get())->findChild<T*>(name);
        if (!found)
            qFatal("no %s", qPrintable(name));
        return found;
    }
    QStringList column(registro::Column column, registro_ui::TeacherWindow* in = nullptr) const
    {
        registro::RunsModel& model = (in ? in : window.get())->model();
        QStringList texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts << model.data(model.index(row, int(column))).toString();
        return texts;
    }
    // Chooses without waiting for what the choice reads.
    void pick(const QString& combo, const QString& text, QWidget* in = nullptr)
    {
        auto* box = child<QComboBox>(combo, in);
        const int index = box->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        box->setCurrentIndex(index);
    }
    void choose(const QString& combo, const QString& text)
    {
        pick(combo, text);
        settle();
    }
    // The window reads on a thread of its own: wait until it has shown all.
    void settle(registro_ui::TeacherWindow* in = nullptr)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!(in ? in : window.get())->isReading(), 20000);
    }
    registro_ui::TeacherWindow::Questions scripted()
    {
        return {[this](QWidget*, const QString& question) {
                    questions << question;
                    return answer;
                },
                [this](QWidget*, const QString&) {
                    ++csvAsked;
                    return csvPath;
                },
                [this](QWidget*, const QString&) { return pupilPath; }};
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
        window = std::make_unique<registro_ui::TeacherWindow>(*reader, printers, clock, dialogs, u"prova"_s, scripted());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        settle();
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
        settle();
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
        // The errors are read when they come in front.
        auto* errors = child<QListWidget>(u"errori"_s);
        QCOMPARE(errors->count(), 0);
        child<QTabWidget>(u"dettagli"_s)->setCurrentIndex(2);
        settle();
        QCOMPARE(errors->count(), 1);
        QCOMPARE(errors->item(0)->text(), u"7 × 8: 1 errore su 1"_s);

        choose(u"copia"_s, u"ADDIZIONI"_s);
        QCOMPARE(window->model().rowCount(), 0);
        QVERIFY(child<QPlainTextEdit>(u"righe"_s)->toPlainText().isEmpty());
        choose(u"alunno"_s, u"Tutti gli alunni"_s);
        QCOMPARE(column(registro::Column::Pupil), QStringList({u"Marco"_s}));
        choose(u"copia"_s, u"Tutte le copie"_s);
        child<QDateEdit>(u"al"_s)->setDate(QDate(2026, 12, 2));
        settle();
        QCOMPARE(window->model().rowCount(), 4);  // not until the date is switched on
        child<QCheckBox>(u"alAttivo"_s)->setChecked(true);
        settle();
        QCOMPARE(column(registro::Column::Copy), QStringList({u"ADDIZIONI"_s, u"MOLTIPLICAZIONI"_s}));
    }

    void theTeacherExportsPrintsAndDeletesAPupil()
    {
        QTemporaryDir dir;
        csvPath = dir.filePath(u"registro.csv"_s);
        choose(u"alunno"_s, u"Giulia"_s);
        child<QPushButton>(u"esporta"_s)->click();
        settle();
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList records = QString::fromUtf8(csv.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0], registro::columnHeaders().join(u','));
        QVERIFY(records[1].startsWith(u"03/12/2026 11:00,Giulia,MOLTIPLICAZIONI,"_s));
        QCOMPARE(dialogs.messages.last(), u"Esportate 2 esecuzioni nel file:\n"_s % csvPath);

        child<QPushButton>(u"stampa"_s)->click();
        settle();
        QCOMPARE(printers.documentNames, QStringList{u"registro"_s});
        const QStringList printed = printers.last()->texts();
        QVERIFY(printed.contains(u"Alunno: Giulia   Copia: tutte   Date: tutte"_s));
        QVERIFY(printed.contains(u"7 × 8: 1 errore su 1"_s));

        // Her data for the family, the export recorded.
        pupilPath = dir.filePath(u"dati-Giulia.txt"_s);
        child<QPushButton>(u"esportaAlunno"_s)->click();
        settle();
        QCOMPARE(dialogs.messages.last(), u"I dati di Giulia (2 esecuzioni) sono nel file:\n"_s % pupilPath);
        QFile data(pupilPath);
        QVERIFY(data.open(QIODevice::ReadOnly));
        QVERIFY(data.readAll().startsWith("Registro dei risultati: i dati di Giulia\n"));
        QSqlQuery audit(backend->teacher());
        QVERIFY(audit.exec(u"SELECT action || ' ' || pupil || ' ' || runs FROM journal_audit"_s) && audit.next());
        QCOMPARE(audit.value(0).toString(), u"esportazione Giulia 2"_s);
        audit.finish();

        answer = false;
        child<QPushButton>(u"elimina"_s)->click();
        settle();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains(u"tutte le 2 esecuzioni di Giulia"_s));
        QCOMPARE(reader->countRuns({}), 4);

        answer = true;
        child<QPushButton>(u"elimina"_s)->click();
        settle();
        QCOMPARE(reader->countRuns({}), 2);
        QCOMPARE(dialogs.messages.last(), u"Eliminate 2 esecuzioni di Giulia."_s);
        QVERIFY(audit.exec(u"SELECT pupil FROM tombstones"_s) && audit.next());
        QCOMPARE(audit.value(0).toString(), u"Giulia"_s);
        audit.finish();
        QCOMPARE(child<QComboBox>(u"alunno"_s)->findText(u"Giulia"_s), -1);
        QCOMPARE(child<QComboBox>(u"alunno"_s)->currentIndex(), 0);
        QCOMPARE(window->model().rowCount(), 2);
    }

    // The file chosen is a new file under its name, whatever the name was: a
    // link to nothing (which would make a file outside the folder), a link to
    // someone's file or a second name of it, which keep what they held.
    void anExportReplacesTheNameAndNeverWritesThroughIt()
    {
        QTemporaryDir dir, elsewhere;
        csvPath = dir.filePath(u"registro.csv"_s);
        const QString outside = elsewhere.filePath(u"fuori.csv"_s);
        const QString someones = elsewhere.filePath(u"compiti.txt"_s);
        for (const QString& how : {u"link to nothing"_s, u"link to a file"_s, u"hard link"_s}) {
            QFile::remove(csvPath);
            QFile victim(someones);
            QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("da non toccare") > 0);
            victim.close();
            if (how == u"link to nothing")
                QVERIFY(QFile::link(outside, csvPath));
            else if (how == u"link to a file")
                QVERIFY(QFile::link(someones, csvPath));
            else
                QVERIFY(::link(QFile::encodeName(someones).constData(), QFile::encodeName(csvPath).constData()) == 0);
            child<QPushButton>(u"esporta"_s)->click();
            settle();
            QCOMPARE(dialogs.messages.last(), u"Esportate 4 esecuzioni nel file:\n"_s % csvPath);
            const QFileInfo made(csvPath);
            QVERIFY2(made.isFile() && !made.isSymLink(), qPrintable(how));
            QFile csv(csvPath);
            QVERIFY(csv.open(QIODevice::ReadOnly));
            QVERIFY2(csv.readAll().startsWith(registro::columnHeaders().join(u',').toUtf8()), qPrintable(how));
            QVERIFY2(!QFile::exists(outside), qPrintable(how));
            QVERIFY(victim.open(QIODevice::ReadOnly));
            QCOMPARE(victim.readAll(), QByteArray("da non toccare"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"registro.csv"_s});
    }

    // A name a server let through at 2,000 characters is cut everywhere and
    // never widens the window; a year of runs is a point a week; the file
    // for an Italian spreadsheet has its own form.
    void aLongNameAndAYearOfRunsStayReadable()
    {
        const QString longName = u"Maria Giovanna "_s.repeated(134).left(2000);
        const int before = window->sizeHint().width();
        std::vector<JournalRun> runs{{u"long"_s, u"ADDIZIONI"_s, at(2026, 12, 6, 9), rightOperations(20), {longName}}};
        // Every day for ten weeks from Monday 14 September, help taken on odd days.
        for (int day = 0; day < 70; ++day) {
            std::vector<Operation> operations = rightOperations(4, 2 + day % 2 * 2);
            if (day % 2)
                operations[0].help = u"aiuto"_s;
            runs.push_back({u"ada"_s + QString::number(day), u"ADDIZIONI"_s,
                            QDateTime(QDate(2026, 9, 14).addDays(day), QTime(10, 0), schoolZone()), operations,
                            {u"Ada"_s}});
        }
        JournalWriter writer(backend->pupils());
        QVERIFY2(writer.add(runs), qPrintable(writer.error()));
        window->refresh();
        settle();

        auto* pupils = child<QComboBox>(u"alunno"_s);
        const int index = pupils->findData(longName);
        QVERIFY(index > 0);
        QCOMPARE(pupils->itemText(index), longName.first(registro::kShownLength - 1) % u'…');
        QCOMPARE(pupils->itemData(index, Qt::ToolTipRole).toString().replace(u'\n', u' '), longName.trimmed());
        pupils->setCurrentIndex(index);
        settle();
        QCOMPARE(window->model().rowCount(), 1);
        const QModelIndex name = window->model().index(0, int(registro::Column::Pupil));
        QCOMPARE(name.data().toString().size(), registro::kShownLength);
        QCOMPARE(name.data(Qt::ToolTipRole).toString().replace(u'\n', u' '), longName.trimmed());
        const QModelIndex objective = window->model().index(0, int(registro::Column::Objective));
        QCOMPARE(objective.data(Qt::ToolTipRole).toString(), objective.data().toString());
        QVERIFY(child<QLabel>(u"titoloEsecuzione"_s)->text().endsWith(u"… — ADDIZIONI — 06/12/2026 09:00"_s));
        window->classes().reload();
        settle();
        const int available = window->screen()->availableGeometry().width();
        QCOMPARE(window->sizeHint().width(), before);
        QVERIFY2(window->sizeHint().width() < available, qPrintable(QString::number(window->sizeHint().width())));

        // Seventy days over ten weeks: ten points, in the chart and in its table.
        choose(u"alunno"_s, u"Ada"_s);
        child<QTabWidget>(u"dettagli"_s)->setCurrentIndex(1);
        settle();
        auto* chart = window->findChild<registro_ui::PupilChart*>();
        const QList<QPointF> right = chart->rightShare()->points();
        QCOMPARE(right.size(), 10);
        QCOMPARE(right[0], QPointF(at(2026, 9, 14, 0).toMSecsSinceEpoch(), 100 - 25 * 3 / 7.0));
        QCOMPARE(chart->secondsPerOperation()->points()[0].y(), (4 * 2 + 3 * 4) / 7.0);
        QStandardItemModel* table = chart->table();
        QCOMPARE(table->rowCount(), 10);
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << table->item(9, c)->text();
        QCOMPARE(cells, QStringList({u"settimana dal 16/11/2026"_s, u"86"_s, u"3,1"_s, u"7"_s}));
        Q_EMIT chart->rightShare()->hovered(right[3] + QPointF(3600e3, -2), true);
        QTRY_COMPARE(QToolTip::text(), u"settimana dal 05/10/26: 7 esecuzioni"_s);

        QTemporaryDir dir;
        const QString path = dir.filePath(u"fogli.csv"_s);
        registro_ui::TeacherWindow::Questions italian = scripted();
        italian.csvFile = [&](QWidget*, const QString&) {
            return registro_ui::TeacherWindow::CsvChoice(path, registro::CsvForm::Italian);
        };
        registro_ui::TeacherWindow other(*reader, printers, clock, dialogs, u"prova"_s, italian);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        settle(&other);
        // Opened over the long name, it is no wider either.
        pick(u"alunno"_s, registro::shortText(longName), &other);
        settle(&other);
        QCOMPARE(other.sizeHint().width(), before);
        // Its frame too inside the work area.
        QCOMPARE(other.width(), std::min(1180, available - (other.frameGeometry().width() - other.width())));
        pick(u"alunno"_s, u"Tutti gli alunni"_s, &other);
        settle(&other);
        other.exportCsv();
        settle(&other);
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> records = csv.readAll().split('\n');
        QCOMPARE(records[0], "\xEF\xBB\xBF" % registro::columnHeaders().join(u';').toUtf8() % "\r");
        QVERIFY(records[1].startsWith("06/12/2026 09:00;Maria Giovanna "));
        QCOMPARE(records.size(), 4 + 71 + 2);  // the header, every run, the empty end
    }

    void theClassPartKeepsTheListAndTheRunsFollowARename()
    {
        auto& panel = window->classes();
        dialogs.messages.clear();
        QStringList answers{u"3A"_s, u"Ugo"_s, u"Ugo B."_s};
        panel.setQuestions({[&](QWidget*, const QString&, const QString&) { return std::optional(answers.takeFirst()); },
                            [](QWidget*, const QString&) { return std::optional(u"Zoe\n\nAda\nZoe"_s); },
                            [](QWidget*) { return QString(); }, [](QWidget*, const QString&) { return true; }});
        auto* list = child<QListWidget>(u"alunniClasse"_s);
        QVERIFY(!child<QPushButton>(u"incollaElenco"_s)->isEnabled());
        panel.newClass();
        settle();
        QCOMPARE(child<QComboBox>(u"classe"_s)->currentText(), u"3A"_s);
        panel.pasteList();
        settle();
        panel.addPupil();
        settle();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(2)->text(), u"Zoe"_s);

        // Ugo practised once after choosing his name; his run follows the rename.
        const QString ugo = list->item(1)->data(Qt::UserRole).toString();
        JournalWriter writer(backend->pupils());
        QVERIFY(writer.add(JournalRun{u"u1"_s, u"ADDIZIONI"_s, at(2026, 12, 6, 9), rightOperations(20), {}, true, 1,
                                      2, ugo}));
        list->setCurrentRow(1);
        panel.renamePupil();
        settle();
        QCOMPARE(list->item(1)->text(), u"Ugo B."_s);
        choose(u"alunno"_s, u"Ugo B."_s);
        QCOMPARE(column(registro::Column::Pupil), QStringList{u"Ugo B."_s});

        list->setCurrentRow(1);
        panel.movePupilOut();
        settle();
        QCOMPARE(list->count(), 2);
        QCOMPARE(dialogs.messages, QStringList());

        // One run is one: said in the singular.
        QCOMPARE(child<QLabel>(u"conteggio"_s)->text(), u"1 esecuzione"_s);
        answer = true;
        window->deletePupil();
        settle();
        QVERIFY(questions.last().startsWith(u"Eliminare dal registro l'unica esecuzione di Ugo B.,"_s));
        QCOMPARE(dialogs.messages.last(), u"Eliminata 1 esecuzione di Ugo B."_s);
    }

    void aStalledServerLeavesTheWindowAliveAndTheNewestChoiceWins()
    {
        PostgresBackend server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        JournalWriter writer(server.pupils());
        QVERIFY2(writer.add(std::vector<JournalRun>{
                     {u"g"_s, u"ADDIZIONI"_s, at(2026, 12, 1, 9), rightOperations(20), {u"Giulia"_s}},
                     {u"m"_s, u"ADDIZIONI"_s, at(2026, 12, 2, 9), rightOperations(20), {u"Marco"_s}}}),
                 qPrintable(writer.error()));
        registro::Reader teacher(server.teacher(), schoolZone());
        auto stalled =
            std::make_unique<registro_ui::TeacherWindow>(teacher, printers, clock, dialogs, u"server"_s, scripted());
        stalled->show();
        settle(stalled.get());
        QCOMPARE(column(registro::Column::Pupil, stalled.get()), QStringList({u"Marco"_s, u"Giulia"_s}));

        // Another session holds the runs (or another table) for two seconds.
        testing_support::PgCluster& cluster = PostgresBackend::cluster();
        const auto holdTheRuns = [&](QProcess& holder, const QString& table = u"runs"_s) {
            holder.setProcessEnvironment(cluster.adminEnvironment());
            holder.start(u"psql"_s, {u"-X"_s, u"-q"_s, u"-d"_s, u"registro"_s, u"-c"_s,
                                     u"BEGIN; LOCK TABLE "_s % table %
                                         u" IN ACCESS EXCLUSIVE MODE; SELECT pg_sleep(2); COMMIT;"_s});
            QTRY_COMPARE_WITH_TIMEOUT(cluster.count(u"SELECT count(*) FROM pg_locks WHERE mode = 'AccessExclusiveLock' "
                                                    u"AND granted AND relation = '"_s %
                                                    table % u"'::regclass"_s),
                                      1LL, 10000);
        };
        QProcess holder;
        holdTheRuns(holder);
        QSignalSpy resets(&stalled->model(), &QAbstractItemModel::modelReset);
        QElapsedTimer waited;
        waited.start();
        pick(u"alunno"_s, u"Giulia"_s, stalled.get());
        pick(u"alunno"_s, u"Marco"_s, stalled.get());
        stalled->repaint();
        QVERIFY2(waited.elapsed() < 1000, "the window waited for the server");
        QVERIFY(stalled->isReading());
        QVERIFY(child<QLabel>(u"lettura"_s, stalled.get())->isVisible());
        QCOMPARE(stalled->cursor().shape(), Qt::BusyCursor);

        settle(stalled.get());
        QCOMPARE(column(registro::Column::Pupil, stalled.get()), QStringList{u"Marco"_s});
        QCOMPARE(resets.size(), 1);  // Giulia's table, asked for first, was never shown
        QVERIFY(!child<QLabel>(u"lettura"_s, stalled.get())->isVisible());
        QCOMPARE(stalled->cursor().shape(), Qt::ArrowCursor);
        QTRY_COMPARE_WITH_TIMEOUT(holder.state(), QProcess::NotRunning, 10000);
        QCOMPARE(holder.exitCode(), 0);

        // An export and a report wait for the server with the window alive,
        // then are done as ever; a second press meanwhile starts nothing.
        QTemporaryDir dir;
        csvPath = dir.filePath(u"registro.csv"_s);
        const qsizetype told = dialogs.messages.size();
        const qsizetype printed = printers.documentNames.size();
        const int asked = csvAsked;
        QProcess exporting;
        holdTheRuns(exporting);
        waited.restart();
        child<QPushButton>(u"esporta"_s, stalled.get())->click();
        QTRY_COMPARE(csvAsked, asked + 1);  // the file chosen, the runs being read
        for (const QString& button : {u"esporta"_s, u"stampa"_s, u"stampa"_s})
            child<QPushButton>(button, stalled.get())->click();
        stalled->repaint();
        QVERIFY2(waited.elapsed() < 1000, "the window waited for the server");
        QVERIFY(stalled->isReading());
        settle(stalled.get());
        QVERIFY2(waited.elapsed() > 1000, "the server was not stalled");
        QCOMPARE(dialogs.messages.mid(told), QStringList{u"Esportata 1 esecuzione nel file:\n"_s % csvPath});
        QCOMPARE(csvAsked, asked + 1);
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> records = csv.readAll().split('\n');
        QCOMPARE(records.size(), 3);
        QVERIFY(records[1].startsWith("02/12/2026 09:00,Marco,"));
        QCOMPARE(printers.documentNames.size(), printed + 1);
        QVERIFY(printers.last()->texts().contains(u"Esecuzioni: 1"_s));
        QTRY_COMPARE_WITH_TIMEOUT(exporting.state(), QProcess::NotRunning, 10000);

        // So does a new class, made once: a second press meanwhile asks nothing.
        int named = 0;
        stalled->classes().setQuestions({[&](QWidget*, const QString&, const QString&) {
                                             ++named;
                                             return std::optional(u"4B"_s);
                                         },
                                         {}, {}, {}});
        const qsizetype toldBefore = dialogs.messages.size();
        QProcess changing;
        holdTheRuns(changing, u"classes"_s);
        waited.restart();
        child<QPushButton>(u"nuovaClasse"_s, stalled.get())->click();
        child<QPushButton>(u"nuovaClasse"_s, stalled.get())->click();
        stalled->repaint();
        QVERIFY2(waited.elapsed() < 1000, "the window waited for the server");
        QVERIFY(stalled->isReading());
        QVERIFY(child<QLabel>(u"lettura"_s, stalled.get())->isVisible());
        settle(stalled.get());
        QVERIFY2(waited.elapsed() > 1000, "the server was not stalled");
        QCOMPARE(named, 1);
        QCOMPARE(child<QComboBox>(u"classe"_s, stalled.get())->currentText(), u"4B"_s);
        QCOMPARE(cluster.count(u"SELECT count(*) FROM classes"_s), 1LL);
        QCOMPARE(dialogs.messages.size(), toldBefore);
        QTRY_COMPARE_WITH_TIMEOUT(changing.state(), QProcess::NotRunning, 10000);

        // Closed in the middle of a read: it goes at once and ends cleanly.
        QProcess again;
        holdTheRuns(again);
        child<QPushButton>(u"aggiorna"_s, stalled.get())->click();
        QVERIFY(stalled->close());
        QVERIFY(!stalled->isVisible());
        stalled.reset();
        QTRY_COMPARE_WITH_TIMEOUT(again.state(), QProcess::NotRunning, 10000);
        QCOMPARE(again.exitCode(), 0);
    }

    // A local journal that cannot be opened is told with its cause in words.
    void aMalformedSettingsFileIsToldAndOpensNoJournal()
    {
        QTemporaryDir dir;
        QFile conf(dir.filePath(u"registro.conf"_s));
        QVERIFY(conf.open(QIODevice::WriteOnly) && conf.write("host = server.scuola.lan\nporta = 5432\n") > 0);
        conf.close();
        const journal::Location where = journal::locate(dir.path(), QProcessEnvironment());
        QVERIFY(!registro_ui::openTeacherJournal(where, dialogs));
        QVERIFY2(dialogs.messages.last().contains(u"riga 2"_s), qPrintable(dialogs.messages.last()));
        QVERIFY(dialogs.messages.last().endsWith(u"Il registro non viene aperto: correggere il file e riavviare."_s));
        QVERIFY(!QFile::exists(dir.filePath(journal::kLocalFileName)));

        journal::Location missing;
        missing.localFile = dir.filePath(u"manca/registro.sqlite"_s);
        QVERIFY(registro_ui::openTeacherJournal(missing, dialogs));
        QCOMPARE(dialogs.messages.last(), u"Impossibile aprire il registro dei risultati: il file o la cartella non "
                                          u"esiste. (No such file or directory)"_s);
    }

    // "conserva = 1 mese" at the teacher's start on 2 January 2027, 9:30.
    void theTeachersStartKeepsOnlyWhatTheSettingsSay()
    {
        const auto restore = qScopeGuard([this] { clock = {}; });
        const qsizetype told = dialogs.messages.size();
        journal::Location where;
        const std::shared_future<QString> by = registro_ui::lookUpTeacher();
        registro_ui::applyRetention(where, *reader, clock, dialogs, by);
        QCOMPARE(reader->countRuns({}), 4);
        clock.day = QDate(2027, 1, 2);
        clock.seconds = 9.5 * 3600;
        where.keepMonths = 1;
        registro_ui::applyRetention(where, *reader, clock, dialogs, by);
        QCOMPARE(reader->countRuns({}), 3);
        QCOMPARE(reader->runs({}, 10).last().id, u"r2"_s);
        QCOMPARE(dialogs.messages.size(), told);
    }

    // A server that goes away is told as such, never as an empty journal,
    // and read again on its own once it is back; the teacher's commands
    // connect afresh.
    void aServerBackFromARestartIsReadAgainOnItsOwn()
    {
        PostgresBackend server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        JournalWriter writer(server.pupils());
        QVERIFY2(writer.add(std::vector<JournalRun>{
                     {u"g"_s, u"ADDIZIONI"_s, at(2026, 12, 1, 9), rightOperations(20), {u"Giulia"_s}},
                     {u"m"_s, u"ADDIZIONI"_s, at(2026, 12, 2, 9), rightOperations(20), {u"Marco"_s}}}),
                 qPrintable(writer.error()));
        registro::Reader teacher(server.teacher(), schoolZone());
        registro_ui::TeacherWindow restarted(teacher, printers, clock, dialogs, u"server"_s, scripted());
        restarted.setRetryInterval(std::chrono::milliseconds(300));
        restarted.show();
        settle(&restarted);
        auto* status = child<QLabel>(u"conteggio"_s, &restarted);
        QCOMPARE(status->text(), u"2 esecuzioni"_s);

        testing_support::PgCluster& cluster = PostgresBackend::cluster();
        QVERIFY2(cluster.stop(), qPrintable(cluster.error()));
        auto restart = qScopeGuard([&] { cluster.start(); });
        child<QPushButton>(u"aggiorna"_s, &restarted)->click();
        settle(&restarted);
        QVERIFY2(status->text().startsWith(u"Lettura del registro non riuscita: "_s), qPrintable(status->text()));
        QVERIFY(!status->text().contains(u"esecuzioni"_s));
        QCOMPARE(restarted.model().rowCount(), 0);
        const QString title = child<QLabel>(u"titoloEsecuzione"_s, &restarted)->text();
        QVERIFY2(title.startsWith(u"Il registro non si è potuto leggere"_s), qPrintable(title));

        QVERIFY2(cluster.start(), qPrintable(cluster.error()));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), u"2 esecuzioni"_s, 15000);
        QCOMPARE(restarted.model().rowCount(), 2);

        // The window's own connection was cut by the restart too.
        settle(&restarted);
        pick(u"alunno"_s, u"Giulia"_s, &restarted);
        settle(&restarted);
        answer = true;
        child<QPushButton>(u"elimina"_s, &restarted)->click();
        settle(&restarted);
        QCOMPARE(dialogs.messages.last(), u"Eliminata 1 esecuzione di Giulia."_s);
        QCOMPARE(cluster.count(u"SELECT count(*) FROM runs"_s), 1);
    }
};

QTEST_MAIN(TeacherWindowTest)
#include "TeacherWindowTest.moc"
