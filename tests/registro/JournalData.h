#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <QVariant>

#include <optional>
#include <vector>

// Journals filled the way the pupils' machines fill them: plain inserts into
// the journal's tables, so the readers are tested on real rows.
namespace registro_test {

// The school's zone in every test: one hour ahead of UTC.
inline QTimeZone schoolZone() { return QTimeZone(3600); }

inline QDateTime at(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), schoolZone());
}

struct Operation {
    int kind = 3;
    int operand1 = 7;
    int operand2 = 8;
    QString wrongAttempts = {};  // "54 55"
    QString help = {};           // "", "aiuto", "intervento"
    int seconds = 5;
    int variant = 1;
};

struct JournalRun {
    QString id = {};
    QString copy = QStringLiteral("MOLTIPLICAZIONI");
    QDateTime started = {};
    std::vector<Operation> operations = {};
    // The names typed for it, in order; the last one counts.
    QStringList names = {};
    bool ended = true;  // false: the program was killed during the run
    int objective = 1;
    int level = 2;
    QString pupilId = {};  // chosen in "Chi sei?"
};

class JournalWriter {
public:
    explicit JournalWriter(QSqlDatabase db) : m_db(std::move(db)) {}

    QString error() const { return m_error; }

    // Many runs in one transaction: one disk flush, not hundreds.
    bool add(const std::vector<JournalRun>& runs)
    {
        if (!m_db.transaction()) {
            m_error = m_db.lastError().text();
            return false;
        }
        for (const JournalRun& run : runs)
            if (!insert(run)) {
                m_db.rollback();
                return false;
            }
        return m_db.commit() || (m_error = m_db.lastError().text(), false);
    }
    bool add(const JournalRun& run) { return add(std::vector<JournalRun>{run}); }

private:
    bool insert(const JournalRun& run)
    {
        const qint64 ms = run.started.toMSecsSinceEpoch();
        if (!exec(u"INSERT INTO runs (id, copy, os_user, machine, objective, objective_text, level, level_text, "
                  u"started_at, started_ms, pupil_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  {run.id, run.copy, QStringLiteral("alunno"), QStringLiteral("aula1"), run.objective,
                   QStringLiteral("%1. Calcolo").arg(run.objective), run.level,
                   QStringLiteral("NUMERO MASSIMO da  1 a %1").arg(run.level * 30),
                   run.started.toString(Qt::ISODate), ms, run.pupilId}))
            return false;
        int place = 0, right = 0, wrong = 0, seconds = 0;
        for (const Operation& op : run.operations) {
            ++place;
            const qint64 done = ms + place * 10000;
            if (!exec(u"INSERT INTO operations (run_id, place, kind, operand1, operand2, variant, expected, "
                      u"wrong_attempts, help, seconds, record_line, done_at, done_ms) "
                      u"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                      {run.id, place, op.kind, op.operand1, op.operand2, op.variant, QStringLiteral("56"), op.wrongAttempts,
                       op.help, op.seconds, lineOf(run.id, place),
                       QDateTime::fromMSecsSinceEpoch(done, schoolZone()).toString(Qt::ISODate), done}))
                return false;
            right += op.help.isEmpty();
            wrong += int(op.wrongAttempts.split(u' ', Qt::SkipEmptyParts).size());
            seconds += op.seconds;
        }
        int named = 0;
        for (const QString& name : run.names) {
            ++named;
            if (!exec(u"INSERT INTO pupil_names (id, run_id, pupil, named_at, named_ms) VALUES (?, ?, ?, ?, ?)",
                      {QString(run.id + u"-n" + QString::number(named)), run.id, name, run.started.toString(Qt::ISODate),
                       ms + 300000 + named}))
                return false;
        }
        if (!run.ended)
            return true;
        return exec(u"INSERT INTO run_ends (run_id, ended_at, ended_ms, right_answers, wrong_answers, total_seconds, "
                    u"finished, grade) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                    {run.id, run.started.toString(Qt::ISODate), ms + 250000, right, wrong, seconds,
                     place == 20 ? 1 : 0, QStringLiteral("BUONO")});
    }

public:
    // The record line a test finds again: "<run> op <place>".
    static QString lineOf(const QString& runId, int place)
    {
        return QString(runId + u" op " + QString::number(place) + u"     . (s. 5)");
    }

public:
    bool exec(const char16_t* sql, const QVariantList& values)
    {
        QSqlQuery query(m_db);
        query.prepare(QString::fromUtf16(sql));
        // A null QString would be bound as NULL; the journal writes "".
        for (const QVariant& value : values)
            query.addBindValue(value.typeId() == QMetaType::QString && value.toString().isNull()
                                   ? QVariant(QStringLiteral(""))
                                   : value);
        if (!query.exec()) {
            m_error = query.lastError().text();
            return false;
        }
        return true;
    }

private:
    QSqlDatabase m_db;
    QString m_error;
};

// n operations of the same kind, all right at once.
inline std::vector<Operation> rightOperations(int n, int seconds = 5)
{
    return std::vector<Operation>(std::size_t(n), Operation{3, 2, 3, {}, {}, seconds});
}

}  // namespace registro_test
