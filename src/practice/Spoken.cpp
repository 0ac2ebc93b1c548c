#include "practice/Spoken.h"

namespace practice {

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

}  // namespace practice
