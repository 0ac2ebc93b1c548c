#include "registro/Csv.h"

#include "registro/Texts.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace registro {

namespace {

QString csvField(QString field, CsvForm form)
{
    static const QString formulaStarts = u"=+-@\t\r"_s;
    static const QRegularExpression decimal(u"^-?[0-9]+\\.[0-9]+$"_s);
    if (form == CsvForm::Italian && decimal.match(field).hasMatch())
        field.replace(u'.', u',');
    if (!field.isEmpty() && formulaStarts.contains(field.front()))
        field.prepend(u'\'');
    const QChar separator = form == CsvForm::Italian ? u';' : u',';
    if (field.contains(separator) || field.contains(u'"') || field.contains(u'\n') || field.contains(u'\r'))
        return u'"' % field.replace(u"\""_s, u"\"\""_s) % u'"';
    return field;
}

}  // namespace

QByteArray csvRecord(const QStringList& fields, CsvForm form)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted << csvField(field, form);
    return (quoted.join(form == CsvForm::Italian ? u';' : u',') % u"\r\n"_s).toUtf8();
}

bool writeRunsCsv(Reader& reader, const RunFilter& filter, QIODevice& out, QString* error, CsvForm form)
{
    auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // The mark tells a spreadsheet the file is UTF-8, which it would not guess.
    if (form == CsvForm::Italian && out.write("\xEF\xBB\xBF") < 0)
        return failed(out.errorString());
    if (out.write(csvRecord(columnHeaders(), form)) < 0)
        return failed(out.errorString());
    bool written = true;
    const bool read = reader.forEachRun(filter, [&](const RunRow& row) {
        written = out.write(csvRecord(runTexts(row, reader.zone()), form)) >= 0;
        return written;
    });
    if (!written)
        return failed(out.errorString());
    if (!read)
        return failed(reader.lastError());
    return true;
}

}  // namespace registro
