#include "registro/Csv.h"

#include "registro/Texts.h"

using namespace Qt::Literals::StringLiterals;

namespace registro {

namespace {

QString csvField(QString field)
{
    static const QString formulaStarts = u"=+-@\t\r"_s;
    if (!field.isEmpty() && formulaStarts.contains(field.front()))
        field.prepend(u'\'');
    if (field.contains(u',') || field.contains(u'"') || field.contains(u'\n') || field.contains(u'\r'))
        return u'"' % field.replace(u"\""_s, u"\"\""_s) % u'"';
    return field;
}

}  // namespace

QByteArray csvRecord(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted << csvField(field);
    return (quoted.join(u',') % u"\r\n"_s).toUtf8();
}

bool writeRunsCsv(Reader& reader, const RunFilter& filter, QIODevice& out, QString* error)
{
    auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (out.write(csvRecord(columnHeaders())) < 0)
        return failed(out.errorString());
    bool written = true;
    const bool read = reader.forEachRun(filter, [&](const RunRow& row) {
        written = out.write(csvRecord(runTexts(row, reader.zone()))) >= 0;
        return written;
    });
    if (!written)
        return failed(out.errorString());
    if (!read)
        return failed(reader.lastError());
    return true;
}

}  // namespace registro
