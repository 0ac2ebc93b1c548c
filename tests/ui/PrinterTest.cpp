#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"

#include "support/ChildProcesses.h"
#include "support/Fakes.h"
#include "support/PdfText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

double twipsToPoints(int twips) { return twips / 20.0; }

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : u"<none>"_s;
}

// A list of exercises or a certificate, as the windows print them.
platform::PrintResult printDocument(ui::QtPrinterFactory& printers, const QString& document)
{
    const std::unique_ptr<platform::Printer> printer = printers.open(document);
    if (document == u"attestato"_s) {
        ui::QtDrawingSurface card(3750, 5205, 0xC0FFFF);
        card.printLine(u"ATTESTATO DI MERITO"_s);
        printer->printImage(card, 1000, 100);
    } else {
        printer->setFontName(u"Courier"_s);
        for (int line = 0; line < 40; ++line)
            printer->printLine(u"  3 + 6 = 9   errori: 0   secondi: 4"_s);
    }
    return printer->endDocument();
}

}  // namespace

class PrinterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textLandsWhereTheTwipsSay()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"page.pdf"_s);
        ui::QtPrinter printer(pdf);
        printer.setFontName(u"Liberation Sans"_s);
        printer.setFontSize(14);
        printer.setCurrentX(1000);
        printer.setCurrentY(1000);
        printer.printLine(u"Cognome"_s);
        QCOMPARE(printer.currentX(), 0);
        const int nextLine = printer.currentY();
        QVERIFY2(nextLine > 1000 + 14 * 20 && nextLine < 1000 + 14 * 20 * 2, qPrintable(QString::number(nextLine)));
        printer.setCurrentX(6000);
        printer.setCurrentY(15100);
        printer.printLine(u"Piede"_s);
        const auto result = printer.endDocument();
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.savedFile, QFileInfo(pdf).absoluteFilePath());

        const auto words = testing_support::pdfWords(pdf);
        QCOMPARE(words.size(), 2);
        QCOMPARE(words[0].text, u"Cognome"_s);
        // Text boxes start at the pen, give or take the glyphs' side bearing
        // and the line's leading.
        QVERIFY(qAbs(words[0].x - twipsToPoints(1000)) < 2);
        QVERIFY(qAbs(words[0].y - twipsToPoints(1000)) < 4);
        QCOMPARE(words[1].text, u"Piede"_s);
        QVERIFY(qAbs(words[1].x - twipsToPoints(6000)) < 2);
        QVERIFY(qAbs(words[1].y - twipsToPoints(15100)) < 4);
    }

    void aNewPageStartsAtTheTopOfTheNextSheet()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"pages.pdf"_s);
        ui::QtPrinter printer(pdf);
        printer.setCurrentY(5000);
        printer.printLine(u"Prima"_s);
        printer.newPage();
        QCOMPARE(printer.currentY(), 0);
        printer.setCurrentX(1000);
        printer.setCurrentY(1000);
        printer.printLine(u"Seconda"_s);
        QVERIFY(printer.endDocument().ok);
        auto page = [&](int n) {
            const QString number = QString::number(n);
            return testing_support::runTool(u"pdftotext"_s, {u"-f"_s, number, u"-l"_s, number, pdf, u"-"_s}).trimmed();
        };
        QCOMPARE(page(1), u"Prima"_s);
        QCOMPARE(page(2), u"Seconda"_s);
    }

    void aFileThatCannotBeWrittenIsReportedNotPretended()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"missing/sub/page.pdf"_s);
        ui::QtPrinter printer(pdf);
        printer.printLine(u"x"_s);
        const auto result = printer.endDocument();
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(u"page.pdf"_s));
        QVERIFY(!QFile::exists(pdf));
    }

    void theFontListOffersCourierWhenAFixedPitchFaceStandsBehindIt()
    {
        const QStringList fonts = ui::QtPrinter::availableFonts();
        QVERIFY(!fonts.isEmpty());
        for (const QString& f : fonts)
            QVERIFY2(!f.contains(u'['), qPrintable(f));
        QFont courier(u"Courier New"_s);
        courier.setStyleHint(QFont::AnyStyle, QFont::NoFontMerging);
        if (!QFontInfo(courier).fixedPitch())
            QSKIP("no fixed-pitch face on this machine");
        QVERIFY(fonts.contains(u"Courier New"_s));
    }

    // A printout is always a new file of the working folder. A name taken,
    // even by a link that leads nowhere (in a shared folder anyone may plant
    // one under the coming name), goes to the next number; nothing is written
    // through a link, nor into a file the name is swapped for while printing,
    // and a printout whose name no longer leads to it is not reported saved.
    void printoutsAreNewFilesOfTheFolderWhateverIsPlantedThere()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        testing_support::FakeClock clock;
        clock.seconds = 10 * 3600 + 5 * 60 + 7.5;
        clock.date = u"08/12/26"_s;
        ui::QtPrinterFactory factory(dir.path(), u"ADDIZIONI"_s, clock);
        const QString first = dir.filePath(u"ADDIZIONI-schede-08-12-26-100507.pdf"_s);
        QCOMPARE(factory.pdfPathFor(u"schede"_s), first);

        const QString planted = elsewhere.filePath(u"planted.pdf"_s);
        QVERIFY(QFile::link(planted, first));
        auto result = printDocument(factory, u"schede"_s);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(QFileInfo(result.savedFile).fileName(), u"ADDIZIONI-schede-08-12-26-100507-2.pdf"_s);
        QVERIFY(QFileInfo(first).isSymLink());
        QVERIFY(!QFile::exists(planted));
        result = printDocument(factory, u"schede"_s);
        QCOMPARE(QFileInfo(result.savedFile).fileName(), u"ADDIZIONI-schede-08-12-26-100507-3.pdf"_s);

        // The name swapped for a link to someone's file once the job has begun.
        const QString victim = elsewhere.filePath(u"compiti.txt"_s);
        {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("da non toccare") > 0);
        }
        const auto printer = factory.open(u"esercizi"_s);
        printer->printLine(u"Cognome"_s);
        const QString made = dir.filePath(u"ADDIZIONI-esercizi-08-12-26-100507.pdf"_s);
        QVERIFY(QFileInfo(made).isFile());
        QVERIFY(QFile::remove(made));
        QVERIFY(QFile::link(victim, made));
        printer->printLine(u"Nome"_s);
        result = printer->endDocument();
        QVERIFY(!result.ok);
        QVERIFY(result.savedFile.isEmpty());
        QVERIFY2(result.error.contains(u"sostituito"_s), qPrintable(result.error));
        QCOMPARE(fileText(victim), u"da non toccare"_s);
        QCOMPARE(QFile::symLinkTarget(made), victim);

        // A job dropped before its end leaves nothing either.
        factory.open(u"attestato"_s)->printLine(u"ATTESTATO"_s);
        QCOMPARE(QDir(dir.path()).entryList({u"*attestato*"_s}, QDir::AllEntries | QDir::System), QStringList());
    }

    // On a disk that is full, or fills up halfway, a printout that fails
    // leaves no file behind, neither empty nor cut short, and says why. The disk is a small
    // tmpfs mounted where only this test sees it.
    void aPrintoutThatFailsLeavesNoFile()
    {
        if (!testing_support::inPrivateMounts()) {
            const auto run = testing_support::runThisProgramWithPrivateMounts({QTest::currentTestFunction()});
            QVERIFY2(run.exitCode == 0 && run.output.find("PASS   : PrinterTest::aPrintoutThatFailsLeavesNoFile()") !=
                                              std::string::npos,
                     run.output.c_str());
            return;
        }
        QTemporaryDir dir;
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        QCOMPARE(::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=256k"), 0);
        testing_support::FakeClock clock;
        ui::QtPrinterFactory factory(dir.path(), u"ADDIZIONI"_s, clock);
        for (const int room : {0, 6 * 1024}) {
            QFile filler(dir.filePath(u"filler"_s));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(1024, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            filler.close();
            QVERIFY(filler.resize(std::max<qint64>(0, filler.size() - room)));
            for (const QString& document : {u"esercizi"_s, u"attestato"_s}) {
                const auto result = printDocument(factory, document);
                QVERIFY2(!result.ok, qPrintable(document));
                QVERIFY2(result.error.startsWith(u"Impossibile scrivere il file "_s), qPrintable(result.error));
                QVERIFY2(result.error.contains(u".pdf: il disco è pieno. ("_s), qPrintable(result.error));
                QCOMPARE(QDir(dir.path()).entryList({u"*.pdf"_s}, QDir::Files | QDir::System), QStringList());
            }
            QVERIFY(filler.remove());
        }
        // With room again, the same jobs are saved.
        QVERIFY(printDocument(factory, u"attestato"_s).ok);
        ::umount2(mountPoint.constData(), MNT_DETACH);
    }

    void aSurfaceImageIsPrintedAtItsScreenSize()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"card.pdf"_s);
        ui::QtDrawingSurface surface(3750, 5205, 0xC0FFFF);
        surface.setFontSize(20);
        surface.setCurrentX(500);
        surface.printLine(u"ATTESTATO"_s);
        QCOMPARE(surface.currentX(), 0);
        QVERIFY(surface.currentY() > 20 * 20);
        QVERIFY(surface.textWidth(u"ATTESTATO DI MERITO"_s) > surface.textWidth(u"ATTESTATO"_s));

        ui::QtPrinter printer(pdf);
        printer.printImage(surface, 1000, 100);
        QVERIFY(printer.endDocument().ok);
        const QString list = testing_support::runTool(u"pdfimages"_s, {u"-list"_s, pdf});
        // 3750 x 5205 twips on screen are 250 x 347 pixels.
        QVERIFY2(list.contains(QRegularExpression(u"\\b250\\s+347\\b"_s)), qPrintable(list));
    }
};

QTEST_MAIN(PrinterTest)
#include "PrinterTest.moc"
