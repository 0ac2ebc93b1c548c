#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"

#include "support/Fakes.h"
#include "support/PdfText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

double twipsToPoints(int twips) { return twips / 20.0; }

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

    void pdfFilesAreNamedAfterProgramDocumentAndTimeAndNeverReused()
    {
        QTemporaryDir dir;
        testing_support::FakeClock clock;
        clock.seconds = 10 * 3600 + 5 * 60 + 7.5;
        clock.date = u"08/12/26"_s;
        ui::QtPrinterFactory factory(dir.path(), u"ADDIZIONI"_s, clock);
        const QString first = factory.pdfPathFor(u"schede"_s);
        QCOMPARE(QFileInfo(first).fileName(), u"ADDIZIONI-schede-08-12-26-100507.pdf"_s);
        QFile(first).open(QIODevice::WriteOnly);
        QCOMPARE(QFileInfo(factory.pdfPathFor(u"schede"_s)).fileName(), u"ADDIZIONI-schede-08-12-26-100507-2.pdf"_s);
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
