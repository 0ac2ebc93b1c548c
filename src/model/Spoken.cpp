#include "model/Spoken.h"

namespace model {

using namespace Qt::Literals::StringLiterals;

QString spokenSymbol(const QString& text)
{
    const QString t = text.trimmed();
    if (t == u"+") return u"più"_s;
    if (t == u"-") return u"meno"_s;
    if (t == u"x") return u"per"_s;
    if (t == u":") return u"diviso"_s;
    if (t == u"=") return u"uguale"_s;
    if (t == u"<") return u"minore di"_s;
    if (t == u">") return u"maggiore di"_s;
    if (t == u"?") return u"punto di domanda"_s;
    return t;
}

QString spokenOperation(const QStringList& texts)
{
    QStringList words;
    for (const QString& text : texts)
        if (const QString word = spokenSymbol(text); !word.isEmpty())
            words << word;
    return words.join(u' ');
}

namespace {

bool isOperationToken(const QString& t)
{
    static const QStringList signs = {u"+"_s, u"-"_s, u"x"_s, u":"_s, u"="_s, u"<"_s, u">"_s, u"."_s};
    if (signs.contains(t))
        return true;
    bool number = false;
    t.toInt(&number);
    return number;
}

}  // namespace

QString spokenRecordLine(const QString& line)
{
    // The dots up to the answer column may run on from the last number or
    // the addition's "r."; the blank of the operation is a dot on its own.
    QStringList tokens;
    for (QString t : line.split(u' ', Qt::SkipEmptyParts)) {
        if (t.size() > 1 && t.count(u'.') == t.size())
            continue;
        while (t.size() > 1 && t.endsWith(u'.') && !t.endsWith(u"(s."))
            t.chop(1);
        tokens << t;
    }
    QStringList operation;
    qsizetype i = 0;
    for (; i < tokens.size() && operation.size() < 5 && isOperationToken(tokens[i]); ++i)
        operation << tokens[i];
    if (operation.size() < 3 || !operation.contains(u"."_s))
        return line;

    QStringList wrong;
    QString answer, seconds;
    bool helped = false;
    for (; i < tokens.size(); ++i) {
        QString t = tokens[i];
        if (t == u"r")
            continue;  // the addition's "r."
        if (t.startsWith(u"(s.")) {
            t = t.mid(3);
            if (t.isEmpty() && i + 1 < tokens.size())
                t = tokens[++i];
            t.chop(t.endsWith(u')') ? 1 : 0);
            seconds = t;
        } else if (t.endsWith(u'*')) {
            wrong << spokenSymbol(t.chopped(1));
        } else if (t.endsWith(u"°")) {
            answer = t.chopped(1);
            helped = true;
        } else {
            answer = t;
        }
    }
    operation[operation.indexOf(u"."_s)] = answer.isEmpty() ? u"?"_s : answer;

    QString said = spokenOperation(operation);
    if (!wrong.isEmpty())
        said += (wrong.size() == 1 ? u", risposta sbagliata: "_s : u", risposte sbagliate: "_s) +
                wrong.mid(0, wrong.size() - 1).join(u", ") + (wrong.size() > 1 ? u" e "_s : QString()) + wrong.last();
    if (helped)
        said += u", con l'aiuto"_s;
    if (!seconds.isEmpty())
        said += u", "_s + seconds + (seconds == u"1" ? u" secondo"_s : u" secondi"_s);
    return said;
}

}  // namespace model
