#include "program/Windows.h"
#include "ui/QtDrawingSurface.h"
#include "ui/QtPrinter.h"

#include "support/Fakes.h"
#include "support/PdfText.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using testing_support::PdfWord;
using testing_support::pdfWords;
using testing_support::runTool;

// The n-th word with this text, or a word with empty text.
PdfWord find(const QList<PdfWord>& words, const QString& text, int n = 1)
{
    for (const PdfWord& w : words)
        if (w.text == text && --n == 0)
            return w;
    return {};
}

bool near(double points, int twips, double tolerance = 4) { return qAbs(points - twips / 20.0) <= tolerance; }

}  // namespace

// The printouts through the real Qt printer into PDF files, read back with
// poppler: the texts, where they stand on the page, and the card's image.
class PrintoutsPdfTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    model::AppState state;
    model::StdRandomSource random{7};
    testing_support::FakeClock clock;
    testing_support::RecordingDialogs dialogs;
    std::unique_ptr<ui::QtPrinterFactory> printers;
    ui::QtDrawingSurfaceFactory surfaces;
    std::unique_ptr<forms::WindowHost> host;
    std::unique_ptr<Services> services;

    QString onlyPdf(const QString& document)
    {
        const QStringList files = QDir(dir.path()).entryList({u"ADDIZIONI-"_s + document + u"-*.pdf"_s});
        return files.size() == 1 ? QDir(dir.path()).filePath(files.first()) : QString();
    }

private Q_SLOTS:
    void init()
    {
        state = model::AppState();
        dialogs.messages.clear();
        printers = std::make_unique<ui::QtPrinterFactory>(dir.path(), u"ADDIZIONI"_s, clock);
        host = std::make_unique<forms::WindowHost>(
            [this](const QString& name) { return app::createWindow(name, *services); });
        services = std::make_unique<Services>(
            Services{state, random, clock, dialogs, *host, u"ADDIZIONI"_s, printers.get(), &surfaces});
    }

    void cleanup()
    {
        host.reset();
        for (const QString& f : QDir(dir.path()).entryList({u"*.pdf"_s}))
            QFile::remove(QDir(dir.path()).filePath(f));
    }

    void theListOfExercisesLandsWhereItsLayoutSays()
    {
        state.operationIndex = 10;
        for (int i = 1; i <= 10; ++i)
            state.doneOperations[i] = u"  7 +  %1 = .     r..................... %2   (s. 5)"_s.arg(i + 10).arg(i + 17);
        state.exerciseSecondsText[1] = u"57"_s;
        state.pupilName = u"Giulia"_s;
        forms::Form* list = host->show(u"FrmStampaEsercizio"_s);
        list->press(list->c(u"Option1"_s, 2));  // "STAMPA"

        const QString pdf = onlyPdf(u"esercizi"_s);
        QVERIFY2(!pdf.isEmpty(), qPrintable(dialogs.messages.join(u'|')));
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains(pdf));

        // Text extraction does not keep runs of blanks: compare words.
        const QString text = runTool(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}).simplified();
        QVERIFY2(text.contains(u"Nome Giulia Data di stampa 08/12/26"_s), qPrintable(text.left(200)));
        QVERIFY(text.contains(u"Esercizio n.1"_s));
        QVERIFY(text.contains(u"7 + 20 = . r..................... 27 (s. 5)"_s));
        QVERIFY(text.contains(u"Eser. n.1: Tempo tot. 57 secondi"_s));

        const auto words = pdfWords(pdf);
        const PdfWord name = find(words, u"Nome"_s);
        QVERIFY(near(name.x, 1000, 2) && near(name.y, 1000));
        const PdfWord heading = find(words, u"Esercizio"_s);
        QVERIFY(near(heading.x, 1000, 2) && heading.y > 2000 / 20.0 && heading.y < 3000 / 20.0);
        const PdfWord total1 = find(words, u"Eser."_s);
        QVERIFY(near(total1.x, 1000, 2) && near(total1.y, 13000));
        const PdfWord total2 = find(words, u"Eser."_s, 2);
        QVERIFY(near(total2.y, 13500));
    }

    void theCertificatePageHoldsTheCardImageAtItsPlace()
    {
        state.operationIndex = 20;
        state.rightAnswers = 17;
        state.pupilName = u"giulia"_s;
        forms::Form* card = host->show(u"FrmAttestato"_s);
        card->press(card->c(u"Option5"_s, 0));  // "STAMPA L'ATTESTATO"

        const QString pdf = onlyPdf(u"attestato"_s);
        QVERIFY2(!pdf.isEmpty(), qPrintable(dialogs.messages.join(u'|')));
        const QString images = runTool(u"pdfimages"_s, {u"-list"_s, pdf});
        QCOMPARE(images.count(QRegularExpression(u"\\n\\s+1\\s+\\d+\\s+image"_s)), 1);

        // Rendered at 72 dpi, one pixel is one point: the card's light cyan
        // starts 1000 twips from the left and 100 from the top.
        runTool(u"pdftoppm"_s, {u"-r"_s, u"72"_s, u"-png"_s, u"-singlefile"_s, pdf, dir.filePath(u"card"_s)});
        const QImage page(dir.filePath(u"card.png"_s));
        QVERIFY(!page.isNull());
        auto isCardColour = [&](int x, int y) {
            const QColor c = page.pixelColor(x, y);
            return qAbs(c.red() - 0xC0) < 24 && c.green() > 230 && c.blue() > 230;
        };
        QVERIFY(isCardColour(1000 / 20 + 3, 100 / 20 + 3));
        QVERIFY(!isCardColour(1000 / 20 - 3, 100 / 20 + 3));
        QVERIFY(!isCardColour(1000 / 20 + 3, 100 / 20 - 3));
    }

    void aTeacherSheetKeepsItsColumnsOnPaper()
    {
        forms::Form* sheet = host->show(u"FrmStampaSchede"_s);
        sheet->press(sheet->c(u"Option1"_s, 2));  // result or a term
        sheet->press(sheet->c(u"Option2"_s, 1));  // 30 to 60
        sheet->setFocus(sheet->c(u"CmdSchedaAlunni"_s));
        sheet->click(sheet->c(u"CmdSchedaAlunni"_s));
        sheet->setFocus(sheet->c(u"CmdSchedaDocenti"_s));
        sheet->click(sheet->c(u"CmdSchedaDocenti"_s));
        sheet->click(sheet->c(u"CmdStampaDocenti"_s));

        const QString pdf = onlyPdf(u"schede"_s);
        QVERIFY2(!pdf.isEmpty(), qPrintable(dialogs.messages.join(u'|')));
        const QStringList lines = runTool(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}).split(u'\n');
        QVERIFY(lines.first().contains(u"Cognome e nome:"_s));
        // Every body line holds two operations, each answer in brackets; the
        // brackets of each column stand one under the other.
        QSet<qsizetype> leftBrackets, rightBrackets;
        int bodyLines = 0;
        for (const QString& line : lines) {
            const qsizetype first = line.indexOf(u'(');
            const qsizetype second = line.indexOf(u'(', first + 1);
            if (first < 0 || second < 0)
                continue;
            ++bodyLines;
            leftBrackets << first;
            rightBrackets << second;
        }
        QCOMPARE(bodyLines, 30);
        QCOMPARE(leftBrackets.size(), 1);
        QCOMPARE(rightBrackets.size(), 1);
    }

    // Twenty-five different division sheets in one file and their keys in
    // another, printed after a new sheet, another level, objective,
    // operation and count were chosen: a page each, numbered, and page k of
    // the keys answers page k of the sheets.
    void twentyFiveSheetsAndTheirKeysPageForPage()
    {
        forms::Form* sheet = host->show(u"FrmStampaSchede"_s);
        sheet->press(sheet->c(u"Option3"_s, 3));  // divisions
        sheet->press(sheet->c(u"Option1"_s, 5));  // a term or the sign
        sheet->press(sheet->c(u"Option2"_s, 3));  // 1 to 99
        sheet->setFocus(sheet->c(u"CmdSchedaAlunni"_s));
        sheet->click(sheet->c(u"CmdSchedaAlunni"_s));
        sheet->textEdited(sheet->c(u"txtNumeroSchede"_s, 0), u"25"_s);
        sheet->click(sheet->c(u"CmdStampaAlunni"_s));
        sheet->click(sheet->c(u"CmdSchedaAlunni"_s));
        sheet->press(sheet->c(u"Option2"_s, 0));
        sheet->press(sheet->c(u"Option1"_s, 3));
        sheet->press(sheet->c(u"Option2"_s, 1));
        sheet->press(sheet->c(u"Option3"_s, 0));
        sheet->click(sheet->c(u"CmdSchedaAlunni"_s));
        sheet->textEdited(sheet->c(u"txtNumeroSchede"_s, 0), u"7"_s);
        sheet->setFocus(sheet->c(u"CmdSchedaDocenti"_s));
        sheet->click(sheet->c(u"CmdStampaDocenti"_s));

        // Where each job went, in the order printed; the keys say which
        // sheets they answer first.
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY(dialogs.messages[1].startsWith(u"Soluzioni delle 25 schede stampate alle 10:00\n\n"_s));
        QStringList files;
        for (const QString& message : dialogs.messages)
            files << message.section(u'\n', -1);
        // pdftotext ends every page with a form feed.
        auto pagesOf = [](const QString& pdf) {
            QStringList pages = runTool(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}).split(u'\f');
            if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
            return pages;
        };
        const QStringList sheets = pagesOf(files[0]), keys = pagesOf(files[1]);
        QCOMPARE(sheets.size(), 25);
        QCOMPARE(keys.size(), 25);

        static const QRegularExpression answer(u"^\\((\\d+|[=<>])\\)$"_s);
        QSet<QString> different;
        for (int k = 0; k < 25; ++k) {
            const QString number = u"Scheda %1 di 25"_s.arg(k + 1);
            QVERIFY2(sheets[k].simplified().contains(number), qPrintable(sheets[k].left(300)));
            QVERIFY(keys[k].simplified().contains(number));
            // The key is the sheet with an answer after each of its sixty operations.
            QStringList keyWords;
            int answers = 0;
            for (const QString& word : keys[k].simplified().split(u' ')) {
                if (answer.match(word).hasMatch())
                    ++answers;
                else
                    keyWords << word;
            }
            QCOMPARE(answers, 60);
            QCOMPARE(keyWords, sheets[k].simplified().split(u' '));
            different << sheets[k].simplified().remove(number);
        }
        QCOMPARE(different.size(), 25);
    }
};

QTEST_MAIN(PrintoutsPdfTest)
#include "PrintoutsPdfTest.moc"
