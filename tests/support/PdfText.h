#pragma once

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace testing_support {

// What a command-line tool (poppler's pdftotext, pdfimages...) writes out.
inline QString runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A word on a PDF page and the top-left corner of its box, in points from the
// top-left corner of the page.
struct PdfWord {
    QString text;
    double x, y;
};

// The words of a PDF file, as poppler reads them.
inline QList<PdfWord> pdfWords(const QString& pdf)
{
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="[0-9.]+">([^<]*)</word>)re"));
    QList<PdfWord> words;
    for (auto it = word.globalMatch(
             runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
         it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return words;
}

}  // namespace testing_support
