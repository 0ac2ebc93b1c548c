#include "journal/Database.h"
#include "journal/Writer.h"
#include "platform/Clock.h"
#include "program/Windows.h"
#include "ui/FormView.h"
#include "ui/QtWindowHost.h"

#include "support/Fakes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// A whole practice run played on the real widgets with the real journal: it
// ends as one run of twenty operations in the file, whose record lines are
// the lines the list of exercises shows, and the name typed there.
class JournalViewTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    model::AppState state;
    model::StdRandomSource random{20261208};
    testing_support::FakeClock clock;
    testing_support::RecordingDialogs dialogs;
    platform::SystemClock wallClock;
    journal::UuidSource ids;
    std::unique_ptr<journal::Writer> writer;
    std::unique_ptr<ui::QtWindowHost> host;
    std::unique_ptr<Services> services;

    QWidget* widget(const QString& window, const QString& name)
    {
        ui::FormView* view = host->viewOf(window);
        auto* w = view ? view->findChild<QWidget*>(name) : nullptr;
        if (!w) qFatal("no widget %s in %s", qPrintable(name), qPrintable(window));
        return w;
    }
    void press(const QString& name, const QString& window = u"FrmOperativo"_s)
    {
        QWidget* w = widget(window, name);
        QVERIFY2(w->isEnabled() && w->isVisible(), qPrintable(name));
        QTest::mousePress(w, Qt::LeftButton);
        if (w->isVisible()) QTest::mouseRelease(w, Qt::LeftButton);
    }
    void typeAnswer(const QString& answer, bool sign)
    {
        if (sign) {
            press(u"Option5_%1"_s.arg(QStringLiteral("=<>").indexOf(answer)));
            press(u"Option5_3"_s);
        } else {
            for (QChar digit : answer) press(u"Option1_"_s + digit);
            press(u"Option1_11"_s);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        state.operationKind = 7;
        state.variantLow = 1;
        state.variantHigh = 12;
        state.levelNumber = 1;
        state.rangeMin = 1;
        state.rangeMax = 30;
        state.maxAnswerDigits = 3;
        state.exeBaseName = u"OPERAZIONI"_s;
        state.objectiveText = u"CALCOLO CASUALE DEL NUMERO O DEL SEGNO"_s;
        writer = std::make_unique<journal::Writer>(wallClock, ids);
        journal::WriterOptions options;
        options.where.localFile = dir.filePath(u"registro.sqlite"_s);
        options.identity = journal::Identity::ofThisProcess(u"OPERAZIONI"_s);
        writer->start(options);
        host = std::make_unique<ui::QtWindowHost>(
            [this](const QString& name) { return app::createWindow(name, *services); });
        services = std::make_unique<Services>(
            Services{state, random, clock, dialogs, *host, u"OPERAZIONI"_s, nullptr, nullptr, writer.get()});
        host->route([this] { host->show(u"FrmOperativo"_s); });
        QVERIFY(QTest::qWaitForWindowExposed(host->viewOf(u"FrmOperativo"_s)));
    }

    void aRunPlayedOnTheWidgetsIsOneRunInTheFileAsTheListShowsIt()
    {
        for (int operation = 1; operation <= 20; ++operation) {
            const bool sign = state.variantCode >= 7;
            const QString right = state.expectedAnswer.trimmed();
            const QString wrong = sign ? (right == u"=" ? u"<"_s : u"="_s) : QString::number(right.toInt() + 1);
            clock.advance(3);
            if (operation == 4) {  // wrong, "No", then right
                typeAnswer(wrong, sign);
                press(u"Option3_0"_s);
                typeAnswer(right, sign);
            } else if (operation == 9) {  // wrong, then help
                typeAnswer(wrong, sign);
                press(u"Option3_1"_s);
            } else {
                typeAnswer(right, sign);
            }
            if (operation < 20) press(sign ? u"Option5_4"_s : u"Option1_12"_s);
        }
        press(u"Option4_0"_s);  // VISUALIZZA
        const QString list = u"FrmStampaEsercizio"_s;
        QVERIFY(QTest::qWaitForWindowExposed(host->viewOf(list)));
        QStringList shown;
        for (int i = 1; i <= 20; ++i) shown << static_cast<QLabel*>(widget(list, u"LblOp_%1"_s.arg(i)))->text();
        press(u"Option1_1"_s, list);  // SCRIVI IL NOME
        auto* name = static_cast<QLineEdit*>(widget(list, u"txtNome"_s));
        QTest::keyClicks(name, u"Ada"_s);
        QTest::mouseClick(widget(list, u"cmdAvanti"_s), Qt::LeftButton);
        QCOMPARE(state.pupilName, u"Ada"_s);

        host.reset();
        QVERIFY(writer->flush(std::chrono::seconds(30)));
        QVERIFY2(writer->problemsTold().isEmpty(), qPrintable(writer->problemsTold().join(u'\n')));
        writer.reset();

        journal::Connection file = journal::openLocal(dir.filePath(u"registro.sqlite"_s));
        QVERIFY(file.isOpen());
        QSqlQuery q(file.database());
        QVERIFY(q.exec(u"SELECT r.copy, r.objective, e.finished, e.right_answers, e.wrong_answers, n.pupil "
                       u"FROM runs r JOIN run_ends e ON e.run_id = r.id JOIN pupil_names n ON n.run_id = r.id"_s));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), u"OPERAZIONI"_s);
        QCOMPARE(q.value(1).toInt(), 6);
        QCOMPARE(q.value(2).toInt(), 1);
        QCOMPARE(q.value(3).toInt(), 19);
        QCOMPARE(q.value(4).toInt(), 2);
        QCOMPARE(q.value(5).toString(), u"Ada"_s);
        QVERIFY(!q.next());  // one run
        QVERIFY(q.exec(u"SELECT record_line FROM operations ORDER BY place"_s));
        QStringList kept;
        while (q.next()) kept << q.value(0).toString();
        QCOMPARE(kept, shown);
        QCOMPARE(kept.size(), 20);
    }
};

QTEST_MAIN(JournalViewTest)
#include "JournalViewTest.moc"
