#include "registro/Texts.h"

#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

namespace registro {

QStringList columnHeaders()
{
    return {u"Data"_s,       u"Alunno"_s, u"Copia"_s,  u"Obiettivo"_s, u"Livello"_s,
            u"Operazioni"_s, u"Esatte"_s, u"Errate"_s, u"Tempo (s)"_s, u"Valutazione"_s};
}

QString runText(const RunRow& row, Column column, const QTimeZone& zone)
{
    switch (column) {
    case Column::Date: return QDateTime::fromMSecsSinceEpoch(row.startedMs, zone).toString(u"dd/MM/yyyy HH:mm"_s);
    case Column::Pupil: return row.pupil;
    case Column::Copy: return row.copy;
    case Column::Objective: return row.objectiveText;
    case Column::Level: return row.levelText;
    case Column::Operations: return QString::number(row.operations);
    case Column::Right: return QString::number(row.right);
    case Column::Wrong: return QString::number(row.wrong);
    case Column::Seconds: return QString::number(row.seconds);
    case Column::Grade: return row.grade;
    case Column::Count: break;
    }
    return {};
}

QStringList runTexts(const RunRow& row, const QTimeZone& zone)
{
    QStringList texts;
    for (int column = 0; column < int(Column::Count); ++column)
        texts << runText(row, Column(column), zone);
    return texts;
}

bool isNumberColumn(Column column)
{
    return column == Column::Operations || column == Column::Right || column == Column::Wrong ||
           column == Column::Seconds;
}

QString operationText(int kind, int operand1, int operand2)
{
    static const QString signs[] = {u"+"_s, u"-"_s, u"×"_s, u":"_s};
    const QString sign = kind >= 1 && kind <= 4 ? signs[kind - 1] : u"?"_s;
    return QString::number(operand1) % u' ' % sign % u' ' % QString::number(operand2);
}

QString missedText(const MissedOperation& operation)
{
    return operationText(operation.kind, operation.operand1, operation.operand2) % u": "_s %
           QString::number(operation.missed) % (operation.missed == 1 ? u" errore su "_s : u" errori su "_s) %
           QString::number(operation.posed);
}

QString runsText(int count)
{
    return QString::number(count) % (count == 1 ? u" esecuzione"_s : u" esecuzioni"_s);
}

QString shortText(const QString& text, int max)
{
    if (text.size() <= max || max < 1)
        return text;
    qsizetype keep = max - 1;
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.first(keep) % u'…';
}

QString tipText(const QString& text)
{
    constexpr qsizetype kLine = 80;
    if (text.size() <= kLine)
        return text;
    QStringList lines;
    qsizetype start = 0;
    while (text.size() - start > kLine) {
        qsizetype end = text.lastIndexOf(u' ', start + kLine);
        if (end <= start) {
            end = start + kLine;
            if (text.at(end - 1).isHighSurrogate())
                --end;
            lines << text.mid(start, end - start);
            start = end;
        } else {
            lines << text.mid(start, end - start);
            start = end + 1;
        }
    }
    lines << text.mid(start);
    return lines.join(u'\n');
}

QString filterText(const RunFilter& filter)
{
    const QString pupil = filter.pupil.isEmpty() ? u"tutti"_s : filter.pupil;
    const QString copy = filter.copy.isEmpty() ? u"tutte"_s : filter.copy;
    QString dates = u"tutte"_s;
    const QString format = u"dd/MM/yyyy"_s;
    if (filter.from.isValid() && filter.to.isValid())
        dates = u"dal "_s % filter.from.toString(format) % u" al "_s % filter.to.toString(format);
    else if (filter.from.isValid())
        dates = u"dal "_s % filter.from.toString(format);
    else if (filter.to.isValid())
        dates = u"fino al "_s % filter.to.toString(format);
    return u"Alunno: "_s % pupil % u"   Copia: "_s % copy % u"   Date: "_s % dates;
}

}  // namespace registro
