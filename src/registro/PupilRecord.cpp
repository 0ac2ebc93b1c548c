#include "registro/PupilRecord.h"

#include "registro/Texts.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace registro {

namespace {

QString when(qint64 ms, const QTimeZone& zone)
{
    return QDateTime::fromMSecsSinceEpoch(ms, zone).toString(u"dd/MM/yyyy HH:mm"_s);
}

}  // namespace

std::optional<int> writePupilRecord(Reader& reader, const QString& pupil, const QDateTime& at, QIODevice& out,
                                    QString* error)
{
    const QTimeZone zone = reader.zone();
    QStringList text{u"Registro dei risultati: i dati di "_s % pupil,
                     u"Estratti il "_s % at.toTimeZone(zone).toString(u"dd/MM/yyyy 'alle' HH:mm"_s) % u'.',
                     {}};
    const auto failed = [&](const QString& why) -> std::optional<int> {
        *error = why.isEmpty() ? u"errore della base di dati"_s : why;
        return std::nullopt;
    };

    QSqlQuery where(reader.database());
    where.prepare(u"SELECT machine, os_user FROM runs WHERE id = ?"_s);
    QList<RunRow> runs;
    if (!reader.forEachRun({pupil}, [&](const RunRow& row) {
            runs << row;
            return true;
        }))
        return failed(reader.lastError());
    text << u"Esecuzioni: "_s % QString::number(runs.size());
    for (const RunRow& run : runs) {
        where.addBindValue(run.id);
        if (!where.exec() || !where.next())
            return failed(where.lastError().text());
        const QString computer = where.value(0).toString(), account = where.value(1).toString();
        where.finish();
        const QStringList lines = reader.recordLines(run.id);
        if (!reader.lastError().isEmpty())
            return failed(reader.lastError());
        text << QString() << u"Esecuzione del "_s % when(run.startedMs, zone) % u", copia "_s % run.copy %
                                 u", computer "_s % computer % u", utente "_s % account
             << u"Obiettivo: "_s % run.objectiveText % u"; livello: "_s % run.levelText
             << u"Operazioni: "_s % QString::number(run.operations) % u"; giuste: "_s % QString::number(run.right) %
                    u"; risposte sbagliate: "_s % QString::number(run.wrong) % u"; secondi: "_s %
                    QString::number(run.seconds) % u"; giudizio: "_s % run.grade %
                    (run.finished ? QString() : u" (lasciata a metà)"_s);
        text << lines;
    }

    // The name typed for runs that another name later took over.
    QSqlQuery replaced(reader.database());
    replaced.prepare(u"SELECT r.started_ms, r.copy FROM pupil_names n JOIN runs r ON r.id = n.run_id "
                     u"WHERE n.pupil = ? AND EXISTS (SELECT 1 FROM pupil_names m WHERE m.run_id = n.run_id AND "
                     u"(m.named_ms > n.named_ms OR (m.named_ms = n.named_ms AND m.id > n.id))) ORDER BY r.started_ms"_s);
    replaced.addBindValue(pupil);
    if (!replaced.exec())
        return failed(replaced.lastError().text());
    QStringList others;
    while (replaced.next())
        others << u"Esecuzione del "_s % when(replaced.value(0).toLongLong(), zone) % u", copia "_s %
                      replaced.value(1).toString();
    if (!others.isEmpty())
        text << QString() << u"Il nome fu scritto anche per esecuzioni poi attribuite a un altro nome:"_s << others;

    const QByteArray bytes = (text.join(u'\n') % u'\n').toUtf8();
    if (out.write(bytes) != bytes.size())
        return failed(out.errorString());
    return int(runs.size());
}

}  // namespace registro
