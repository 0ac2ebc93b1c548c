#include "practice/PracticeWindow.h"
#include "ui/FormView.h"
#include "ui/QtWindowHost.h"

#include "support/Fakes.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// A whole practice run played on the real widgets, the way a pupil's mouse
// plays it: press and release on the keypad buttons found by their names.
class PracticeViewTest : public QObject {
    Q_OBJECT

    model::AppState state;
    model::StdRandomSource random{20261208};
    testing_support::FakeClock clock;
    testing_support::RecordingDialogs dialogs;
    std::unique_ptr<ui::QtWindowHost> host;
    std::unique_ptr<Services> services;
    ui::FormView* view = nullptr;

    QWidget* widget(const QString& name)
    {
        auto* w = view->findChild<QWidget*>(name);
        if (!w)
            qFatal("no widget %s", qPrintable(name));
        return w;
    }

    void press(const QString& name)
    {
        QWidget* w = widget(name);
        QVERIFY2(w->isEnabled() && w->isVisible(), qPrintable(name));
        QTest::mousePress(w, Qt::LeftButton);
        if (w->isVisible())
            QTest::mouseRelease(w, Qt::LeftButton);
    }

    QString caption(const QString& name) { return static_cast<QLabel*>(widget(name))->text(); }

    // The widget a click at the centre of `name` would reach.
    QWidget* topmostAtCentreOf(const QString& name)
    {
        QWidget* w = widget(name);
        return view->client()->childAt(w->mapTo(view->client(), w->rect().center()));
    }

    bool inFront(const QString& panel)
    {
        for (QWidget* w = topmostAtCentreOf(panel); w; w = w->parentWidget())
            if (w->objectName() == panel)
                return true;
        return false;
    }

    void typeAnswer(const QString& answer, bool sign)
    {
        if (sign) {
            press(u"Option5_%1"_s.arg(QStringLiteral("=<>").indexOf(answer)));
            press(u"Option5_3"_s);
        } else {
            for (QChar digit : answer)
                press(u"Option1_"_s + digit);
            press(u"Option1_11"_s);
        }
    }

    static QString wrongAnswer(const QString& right, bool sign)
    {
        if (sign)
            return right == u"="_s ? u"<"_s : u"="_s;
        return QString::number(right.toInt() + 1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        state.operationKind = 7;  // all four operations
        state.variantLow = 1;     // objective 6: a number or the sign
        state.variantHigh = 12;
        state.levelNumber = 1;
        state.rangeMin = 1;
        state.rangeMax = 30;
        state.maxAnswerDigits = 3;
        state.exeBaseName = u"OPERAZIONI"_s;
        host = std::make_unique<ui::QtWindowHost>([this](const QString& name) -> std::unique_ptr<forms::Form> {
            if (name == u"FrmOperativo"_s)
                return std::make_unique<practice::PracticeWindow>(*services);
            return nullptr;
        });
        services = std::make_unique<Services>(Services{state, random, clock, dialogs, *host});
        host->route([this] { host->show(u"FrmOperativo"_s); });
        view = host->viewOf(u"FrmOperativo"_s);
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(view));
    }

    void aWholeRunThroughTheKeypadsEndsOnTheEndPanel()
    {
        bool sawNumber = false;
        bool sawSign = false;
        for (int operation = 1; operation <= 20; ++operation) {
            QCOMPARE(caption(u"LblOperazione"_s), QString::number(operation));
            const bool sign = state.variantCode >= 7;
            (sign ? sawSign : sawNumber) = true;
            const QString keypad = sign ? u"fraTastierinoRidotto"_s : u"fraTastierino"_s;
            QVERIFY(inFront(keypad));
            const QString right = state.expectedAnswer.trimmed();
            clock.advance(4);

            if (operation == 3) {  // wrong, "No", then right
                typeAnswer(wrongAnswer(right, sign), sign);
                QCOMPARE(caption(u"LblEsito"_s), u"Errato"_s);
                QVERIFY(inFront(u"fraAiuto"_s));
                press(u"Option3_0"_s);
                QVERIFY(inFront(keypad));
            }
            if (operation == 5) {  // wrong, then help accepted
                typeAnswer(wrongAnswer(right, sign), sign);
                press(u"Option3_1"_s);
                QCOMPARE(caption(sign ? u"lblCorrezioneS"_s : u"lblCorrezione"_s), state.expectedAnswer);
            } else if (operation == 7) {  // three refusals, then Enter on "OK"
                for (int attempt = 0; attempt < 3; ++attempt) {
                    typeAnswer(wrongAnswer(right, sign), sign);
                    press(u"Option3_0"_s);
                }
                QVERIFY(inFront(u"fraIntervento"_s));
                QCOMPARE(caption(u"lblIntervento"_s), u"Ora intevengo io"_s);
                auto* ok = widget(u"optOK"_s);
                ok->setFocus();
                QTest::keyClick(ok, Qt::Key_Return);
            } else {
                typeAnswer(right, sign);
                QCOMPARE(caption(u"LblEsito"_s), u"Esatto"_s);
            }
            if (operation < 20) {
                QVERIFY(inFront(keypad));
                press(sign ? u"Option5_4"_s : u"Option1_12"_s);  // "Avanti"
            }
        }
        QVERIFY(sawNumber && sawSign);
        QVERIFY(inFront(u"fraAvviso"_s));
        QVERIFY(widget(u"Option4_0"_s)->isEnabled());
        QCOMPARE(static_cast<QPushButton*>(widget(u"Option4_0"_s))->text(), u"VISUALIZZA"_s);
        QCOMPARE(state.operationIndex, 20);
        QCOMPARE(state.rightAnswers, 18);  // every operation but the helped and the intervened one
        QCOMPARE(state.wrongAnswers, 5);
        QCOMPARE(caption(u"lblRisEsatte"_s), u"18"_s);
        QVERIFY(!state.doneOperations[20].isEmpty());
    }

    void ricominciaStartsANewRun()
    {
        press(u"Option4_1"_s);
        QCOMPARE(state.operationIndex, 1);
        QCOMPARE(caption(u"lblRisEsatte"_s), QString());
        QVERIFY(state.doneOperations[20].isEmpty());
        QVERIFY(!inFront(u"fraAvviso"_s));
    }

    void cleanupTestCase() { host.reset(); }
};

QTEST_MAIN(PracticeViewTest)
#include "PracticeViewTest.moc"
