#include "Backends.h"
#include "JournalData.h"

#include "journal/Classes.h"
#include "journal/Writer.h"
#include "ui/QtPrinter.h"
#include "ui/registro/FamilyPrint.h"
#include "ui/registro/TeacherWindow.h"

#include "support/Fakes.h"
#include "support/PdfText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace registro_test;

// "Scheda dell'alunno" from the teacher's window, through the real printer
// into PDF files read back with poppler: a pupil's page, then a class's.
class FamilyPageTest : public QObject {
    Q_OBJECT

    QTemporaryDir printouts;
    std::unique_ptr<SqliteBackend> backend;
    std::unique_ptr<registro::Reader> reader;
    std::unique_ptr<ui::QtPrinterFactory> printers;
    testing_support::FakeClock clock;  // 8 December 2026
    testing_support::RecordingDialogs dialogs;
    std::unique_ptr<registro_ui::TeacherWindow> window;

    template <typename T>
    T* child(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        if (!found)
            qFatal("no %s", qPrintable(name));
        return found;
    }
    void settle() { QTRY_VERIFY_WITH_TIMEOUT(!window->isReading(), 20000); }

    // Presses the button and reads the PDF the job made, page by page, each
    // line with its blanks simplified.
    QList<QStringList> printPages()
    {
        dialogs.messages.clear();
        QTest::mouseClick(child<QPushButton>(u"stampaScheda"_s), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return !dialogs.messages.isEmpty(); }, 20000))
            return {};
        const QString said = dialogs.messages.first();
        if (!said.startsWith(u"La stampa è stata salvata nel file:\n"_s))
            qWarning("%s", qPrintable(said));
        const QString text = testing_support::runTool(u"pdftotext"_s, {u"-layout"_s, said.section(u'\n', 1), u"-"_s});
        QList<QStringList> pages;
        for (const QString& page : text.split(u'\f', Qt::SkipEmptyParts)) {
            QStringList lines;
            for (const QString& line : page.split(u'\n'))
                if (!line.simplified().isEmpty())
                    lines << line.simplified();
            pages << lines;
        }
        return pages;
    }

private Q_SLOTS:
    void init()
    {
        backend = std::make_unique<SqliteBackend>();
        QVERIFY2(backend->error().isEmpty(), qPrintable(backend->error()));
        journal::UuidSource ids;
        journal::ClassLists lists(backend->pupils(), ids, clock);
        const std::optional<QString> classId = lists.addClass(u"3A"_s);
        QVERIFY(classId);
        QCOMPARE(lists.addPupils(*classId, {u"Anna"_s, u"Bruno"_s, u"Carla"_s}), 3);
        const QString bruno = lists.pupils(*classId).at(1).id;

        // Anna: 16 right of 20 in two runs, 7 x 8 missed twice. Bruno chose
        // himself in "Chi sei?" and did one operation. Carla only practised
        // before the class's period.
        std::vector<Operation> first(10, Operation{3, 2, 3, {}, {}, 6});
        first[0] = {3, 7, 8, u"54"_s, u"aiuto"_s, 6};
        first[1] = {3, 7, 8, u"48"_s, u"aiuto"_s, 6};
        first[2] = {4, 15, 3, u"4"_s, u"aiuto"_s, 6};
        std::vector<Operation> second(10, Operation{1, 4, 5, {}, {}, 6});
        second[0] = {2, 12, 5, u"8"_s, u"aiuto"_s, 6};
        JournalRun brunoRun{u"b1"_s, u"ADDIZIONI"_s, at(2026, 12, 4, 9), {Operation{1, 3, 4, {}, {}, 1}}};
        brunoRun.pupilId = bruno;
        JournalWriter writer(backend->pupils());
        QVERIFY2(writer.add({{u"a1"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 1, 9), first, {u"Anna"_s}},
                             {u"a2"_s, u"OPERAZIONI"_s, at(2026, 12, 3, 9), second, {u"Anna"_s}},
                             brunoRun,
                             {u"c1"_s, u"ADDIZIONI"_s, at(2026, 11, 20, 9), second, {u"Carla"_s}}}),
                 qPrintable(writer.error()));

        reader = std::make_unique<registro::Reader>(backend->teacher(), schoolZone());
        printers = std::make_unique<ui::QtPrinterFactory>(printouts.path(), u"REGISTRO"_s, clock);
        window = std::make_unique<registro_ui::TeacherWindow>(*reader, *printers, clock, dialogs, u"prova"_s);
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

    void aPupilsPageThenAClassOfThreeWithTheTeachersCopiesBehind()
    {
        auto* pupils = child<QComboBox>(u"alunno"_s);
        pupils->setCurrentIndex(pupils->findText(u"Anna"_s));
        settle();
        const QList<QStringList> anna = printPages();
        QCOMPARE(anna.size(), 2);
        const QStringList page = anna[0];
        for (const QString& line :
             {u"Scheda dell'alunno"_s, u"Anna"_s, u"Classe: 3A"_s,
              u"Periodo: dal 09/11/26 al 08/12/26 (ultimi 30 giorni)"_s,
              u"Ha svolto 2 esercitazioni, 20 operazioni."_s, u"Ha risposto giusto 8 volte su 10."_s,
              u"In media ha impiegato 6 secondi per operazione."_s, u"Da ripassare:"_s,
              u"7 x 8 = ."_s, u"12 - 5 = ."_s, u"15 : 3 = ."_s})
            QVERIFY2(page.contains(line), qPrintable(line + u"\n---\n"_s + page.join(u'\n')));
        // The facts missed most, the worst first, beside each other.
        QVERIFY2(page.join(u'\n').contains(u"7 × 8: 2 errori su 2"_s), qPrintable(page.join(u'\n')));
        QVERIFY(page.indexOf(u"7 x 8 = ."_s) < page.indexOf(u"12 - 5 = ."_s));
        QVERIFY(!page.join(u' ').contains(u"(56)"_s));
        QVERIFY(!page.contains(u"copia per l'insegnante"_s));
        const QStringList copy = anna[1];
        for (const QString& line : {u"copia per l'insegnante"_s, u"Anna"_s, u"7 x 8 = . (56)"_s, u"12 - 5 = . (7)"_s,
                                    u"15 : 3 = . (5)"_s})
            QVERIFY2(copy.contains(line), qPrintable(line + u"\n---\n"_s + copy.join(u'\n')));

        // No pupil chosen: the class the teacher picks, over the dates set.
        pupils->setCurrentIndex(0);
        child<QCheckBox>(u"dalAttivo"_s)->setChecked(true);
        child<QDateEdit>(u"dal"_s)->setDate(QDate(2026, 12, 1));
        child<QCheckBox>(u"alAttivo"_s)->setChecked(true);
        child<QDateEdit>(u"al"_s)->setDate(QDate(2026, 12, 5));
        settle();
        QStringList offered;
        window->findChild<registro_ui::FamilyPrint*>()->setClassQuestion([&](QWidget*, const QStringList& classes) {
            offered = classes;
            return 0;
        });
        const QList<QStringList> pages = printPages();
        QCOMPARE(offered, QStringList{u"3A"_s});
        QCOMPARE(pages.size(), 6);
        const QStringList names{u"Anna"_s, u"Bruno"_s, u"Carla"_s};
        for (int i = 0; i < 6; ++i) {
            // One pupil a page, in the list's order; the copies after the pupils' pages.
            for (int other = 0; other < 3; ++other)
                QCOMPARE(pages[i].contains(names[other]), other == i % 3);
            QCOMPARE(pages[i].contains(u"copia per l'insegnante"_s), i >= 3);
            QVERIFY(pages[i].contains(u"Periodo: dal 01/12/26 al 05/12/26"_s));
        }
        for (const QString& line : {u"Ha svolto 1 esercitazione, 1 operazione."_s,
                                    u"Ha risposto giusto 10 volte su 10."_s,
                                    u"In media ha impiegato 1 secondo per operazione."_s})
            QVERIFY2(pages[1].contains(line), qPrintable(line + u"\n---\n"_s + pages[1].join(u'\n')));
        QVERIFY(pages[2].contains(u"Nel periodo non ha svolto esercitazioni."_s));
    }
};

QTEST_MAIN(FamilyPageTest)
#include "FamilyPageTest.moc"
