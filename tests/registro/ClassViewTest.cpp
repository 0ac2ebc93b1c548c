#include "Backends.h"
#include "JournalData.h"

#include "registro/ClassSummary.h"
#include "ui/registro/ClassView.h"
#include "ui/registro/TeacherWindow.h"

#include "support/Fakes.h"
#include "support/Recorders.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace registro_test;

namespace {

// Today is 8 December 2026 (the fake clock): the last 30 days start on 9
// November, the 30 before on 10 October.
std::vector<Operation> ops(int right, std::vector<Operation> missed = {}, int seconds = 5)
{
    std::vector<Operation> all(std::size_t(right), Operation{3, 2, 3, {}, {}, seconds});
    all.insert(all.end(), missed.begin(), missed.end());
    return all;
}
Operation helped(int kind, int a, int b, int seconds = 5)
{
    return {kind, a, b, u"1"_s, u"aiuto"_s, seconds};
}
std::vector<Operation> times(int n, const Operation& op)
{
    return std::vector<Operation>(std::size_t(n), op);
}
std::vector<Operation> join(std::vector<Operation> a, const std::vector<Operation>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Anna: 20 right, one of 10 left halfway (9 right) and one cut short (5, 4
// right): 33 of 35, against all right before. Bruno: 13 of 20, under 70 %.
// Carla: 18 of 20 against 20 of 20, down 10 points. Dario: nothing for 14 days.
// Elena: exactly 70 %, up 10. Zeno: never. Fabio left the list; Gino is in 3B.
bool fill(Backend& backend)
{
    // The teacher makes the lists; the pupils' machines write the runs.
    JournalWriter lists(backend.teacher());
    const std::pair<const char16_t*, QVariantList> classes[] = {
        {u"INSERT INTO classes (id, name, changed_ms) VALUES (?, ?, 0)", {u"c3a"_s, u"3A"_s}},
        {u"INSERT INTO classes (id, name, changed_ms) VALUES (?, ?, 0)", {u"c3b"_s, u"3B"_s}},
    };
    for (const auto& [sql, values] : classes)
        if (!lists.exec(sql, values))
            return qWarning() << lists.error(), false;
    const std::tuple<QString, QString, QString, int> pupils[] = {
        {u"pa"_s, u"c3a"_s, u"Anna"_s, 1},  {u"pb"_s, u"c3a"_s, u"Bruno"_s, 1}, {u"pc"_s, u"c3a"_s, u"Carla"_s, 1},
        {u"pd"_s, u"c3a"_s, u"Dario"_s, 1}, {u"pe"_s, u"c3a"_s, u"Elena"_s, 1}, {u"pz"_s, u"c3a"_s, u"Zeno"_s, 1},
        {u"pf"_s, u"c3a"_s, u"Fabio"_s, 0}, {u"pg"_s, u"c3b"_s, u"Gino"_s, 1}};
    for (const auto& [id, classId, name, inList] : pupils)
        if (!lists.exec(u"INSERT INTO class_pupils (id, class_id, name, in_list, changed_ms) VALUES (?, ?, ?, ?, 0)",
                         {id, classId, name, inList}))
            return qWarning() << lists.error(), false;
    JournalWriter writer(backend.pupils());
    auto run = [](const QString& id, QDateTime started, std::vector<Operation> operations, const QString& pupil,
                  bool ended = true, QStringList names = {}) {
        JournalRun r{id, u"MOLTIPLICAZIONI"_s, started, std::move(operations), std::move(names), ended};
        r.pupilId = pupil;
        return r;
    };
    const std::vector<JournalRun> runs{
        run(u"a0"_s, at(2026, 11, 5, 10), ops(20, {}, 4), u"pa"_s),
        run(u"a1"_s, at(2026, 12, 1, 10), ops(20, {}, 4), u"pa"_s),
        run(u"a2"_s, at(2026, 12, 3, 10), ops(9, {helped(1, 2, 2, 4)}, 4), u"pa"_s),
        run(u"a3"_s, at(2026, 12, 7, 10), ops(4, {helped(1, 2, 2, 6)}, 6), u"pa"_s, false),
        run(u"b1"_s, at(2026, 12, 1, 10),
            ops(13, join(join(times(3, helped(3, 7, 8)), times(2, helped(2, 9, 4))),
                         {helped(3, 5, 5), helped(1, 6, 7)})),
            u"pb"_s),
        run(u"c0"_s, at(2026, 9, 1, 10), times(20, helped(3, 2, 2)), u"pc"_s),
        run(u"c1"_s, at(2026, 11, 1, 10), ops(20), u"pc"_s),
        run(u"c2"_s, at(2026, 12, 5, 10), ops(18, times(2, helped(4, 8, 2))), u"pc"_s),
        run(u"d1"_s, at(2026, 11, 24, 10), ops(20), u"pd"_s),
        run(u"e0"_s, at(2026, 10, 20, 10), ops(12, times(8, helped(2, 9, 4))), u"pe"_s),
        run(u"e1"_s, at(2026, 12, 8, 9), ops(14, times(6, helped(2, 9, 4))), u"pe"_s),
        run(u"f1"_s, at(2026, 12, 3, 10), times(20, helped(3, 2, 2)), u"pf"_s),
        run(u"g1"_s, at(2026, 12, 2, 10), times(20, helped(3, 2, 2)), u"pg"_s),
        // Runs no pupil of a list carries: two unnamed, one named by typing,
        // one unnamed before the days chosen.
        run(u"u1"_s, at(2026, 12, 4, 10), ops(20), {}),
        run(u"u2"_s, at(2026, 12, 4, 11), ops(20), {}),
        run(u"u3"_s, at(2026, 12, 4, 12), ops(20), {}, true, {u"Ugo"_s}),
        run(u"u4"_s, at(2026, 10, 1, 12), ops(20), {}),
    };
    if (writer.add(runs) && lists.error().isEmpty())
        return true;
    qWarning() << writer.error() << lists.error();
    return false;
}

// A row as the teacher reads it, in one line.
QString line(const registro::PupilSummary& p)
{
    const auto seconds = p.secondsPerOperation();
    return QStringList{p.attention.isEmpty() ? u""_s : u"!"_s,
                       p.name,
                       QString::number(p.runs),
                       QString::number(p.operations),
                       p.percentRight() ? QString::number(*p.percentRight()) : u"-"_s,
                       registro::changeText(p.change()),
                       seconds ? QString::number(*seconds, 'f', 2) : u"-"_s,
                       p.lastPractised.toString(Qt::ISODate),
                       registro::missedMostText(p.missedMost)}
        .join(u'|');
}

}  // namespace

class ClassViewTest : public QObject {
    Q_OBJECT

    testing_support::FakeClock clock;

private Q_SLOTS:
    void theFiguresTheChangeAndTheRuleOrderTheClass_data()
    {
        QTest::addColumn<QString>("journal");
        QTest::newRow("sqlite") << u"sqlite"_s;
        QTest::newRow("postgresql") << u"postgresql"_s;
    }
    void theFiguresTheChangeAndTheRuleOrderTheClass()
    {
        QFETCH(QString, journal);
        const std::unique_ptr<Backend> backend = makeBackend(journal);
        QVERIFY2(backend->error().isEmpty(), qPrintable(backend->error()));
        QVERIFY(fill(*backend));
        registro::Reader reader(backend->teacher(), schoolZone());
        QString error;
        const QList<registro::ClassChoice> classes = registro::readClasses(reader, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(classes.size(), 2);
        QCOMPARE(classes[0].name, u"3A"_s);

        const QDate today(2026, 12, 8);
        registro::ClassSummary summary =
            registro::readClassSummary(reader, u"c3a"_s, registro::daysOf(registro::Period::Month, today), today);
        QVERIFY2(summary.error.isEmpty(), qPrintable(summary.error));
        error = registro::readMissedMost(reader, u"c3a"_s, registro::daysOf(registro::Period::Month, today),
                                         summary.pupils);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QStringList lines;
        for (const registro::PupilSummary& pupil : summary.pupils)
            lines << line(pupil);
        QCOMPARE(lines, QStringList({
                            u"!|Bruno|1|20|65||5.00|2026-12-01|7 × 8, 9 - 4, 6 + 7"_s,
                            u"!|Carla|1|20|90|▼ 10|5.00|2026-12-05|8 : 2"_s,
                            u"!|Dario|1|20|100||5.00|2026-11-24|"_s,
                            u"!|Zeno|0|0|-||-||"_s,
                            u"|Anna|3|35|94|▼ 6|4.29|2026-12-07|2 + 2"_s,
                            u"|Elena|1|20|70|▲ 10|5.00|2026-12-08|9 - 4"_s,
                        }));
        QCOMPARE(summary.pupils[2].attention, QStringList({u"non si esercita da 14 giorni"_s}));
        QCOMPARE(summary.pupils[3].attention, QStringList({u"non si è mai esercitato"_s}));
        QCOMPARE(summary.runsWithoutPupil, 2);

        // Over the last week Anna fell from 100 % to 87 %; Bruno's and
        // Carla's runs lie on either side of its start.
        const registro::ClassSummary week =
            registro::readClassSummary(reader, u"c3a"_s, registro::daysOf(registro::Period::Week, today), today);
        QStringList order;
        for (const registro::PupilSummary& pupil : week.pupils)
            order << (pupil.attention.isEmpty() ? QString() : u"!"_s) % pupil.name % registro::changeText(pupil.change());
        QCOMPARE(order, QStringList({u"!Anna▼ 13"_s, u"!Dario"_s, u"!Zeno"_s, u"Bruno"_s, u"Carla"_s, u"Elena"_s}));
        QCOMPARE(week.runsWithoutPupil, 2);
    }

    void aPupilOpenedShowsTheirRunsAndChart()
    {
        SqliteBackend backend;
        QVERIFY(fill(backend));
        registro::Reader reader(backend.teacher(), schoolZone());
        testing_support::RecordingPrinterFactory printers;
        testing_support::RecordingDialogs dialogs;
        registro_ui::TeacherWindow window(reader, printers, clock, dialogs, u"prova"_s);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* parts = window.findChild<QTabWidget*>(u"parti"_s);
        QCOMPARE(parts->tabText(2), u"Classe"_s);
        parts->setCurrentIndex(2);
        QTRY_VERIFY_WITH_TIMEOUT(!window.isReading(), 20000);

        const QStandardItemModel& model = window.classView().model();
        QCOMPARE(model.rowCount(), 6);
        using V = registro_ui::ClassView;
        QCOMPARE(model.index(1, V::Mark).data(Qt::AccessibleTextRole).toString(), u"da seguire"_s);
        QCOMPARE(model.index(1, V::Change).data().toString(), u"▼ 10"_s);
        QCOMPARE(model.index(1, V::Change).data(Qt::AccessibleTextRole).toString(), u"in calo di 10 punti"_s);
        QCOMPARE(model.index(3, V::Last).data().toString(), u"mai"_s);
        QCOMPARE(model.index(4, V::Mark).data().toString(), QString());
        QCOMPARE(model.index(4, V::Seconds).data().toString(), u"4,3"_s);
        QCOMPARE(model.index(4, V::Last).data().toString(), u"07/12/26"_s);
        QCOMPARE(model.index(0, V::Missed).data().toString(), u"7 × 8, 9 - 4, 6 + 7"_s);
        QCOMPARE(model.index(3, V::Missed).data(Qt::AccessibleTextRole).toString(), u"nessuno"_s);
        QCOMPARE(window.findChild<QLabel*>(u"senzaAlunno"_s)->text(), u"Esecuzioni senza alunno: 2"_s);

        auto* table = window.findChild<QTableView*>(u"riepilogoClasse"_s);
        QCOMPARE(table->accessibleName(), u"Riepilogo della classe"_s);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(model.index(5, V::Runs)).center());
        QTRY_VERIFY_WITH_TIMEOUT(!window.isReading(), 20000);
        QCOMPARE(parts->currentIndex(), 0);
        QCOMPARE(window.filter().pupil, u"Elena"_s);
        QCOMPARE(window.filter().from, QDate(2026, 11, 9));
        QCOMPARE(window.filter().to, QDate(2026, 12, 8));
        QCOMPARE(window.findChild<QTabWidget*>(u"dettagli"_s)->currentIndex(), 1);
        QCOMPARE(window.model().rowCount(), 1);  // her run of 20 October is before the days

        // Enter on a row does the same.
        parts->setCurrentIndex(2);
        QTRY_VERIFY_WITH_TIMEOUT(!window.isReading(), 20000);
        table->setFocus();
        table->setCurrentIndex(model.index(0, V::Pupil));
        QTest::keyClick(table, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!window.isReading(), 20000);
        QCOMPARE(parts->currentIndex(), 0);
        QCOMPARE(window.filter().pupil, u"Bruno"_s);
    }
};

QTEST_MAIN(ClassViewTest)
#include "ClassViewTest.moc"
