#pragma once

#include "journal/Writer.h"
#include "platform/Journal.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimeZone>

#include <mutex>

namespace journal_testing {

using namespace Qt::Literals::StringLiterals;

// 8 December 2026, 10:30:15 in Rome (UTC+1), one second on at every reading
// (the workers read it too).
class StepWallClock final : public platform::Clock {
public:
    double secondsSinceMidnight() override
    {
        std::lock_guard lock(m_mutex);
        return m_time.time().msecsSinceStartOfDay() / 1000.0;
    }
    QString shortDate() override { return u"08/12/26"_s; }
    QDateTime now() override
    {
        std::lock_guard lock(m_mutex);
        const QDateTime t = m_time;
        m_time = m_time.addSecs(1);
        return t;
    }

private:
    std::mutex m_mutex;
    QDateTime m_time{QDate(2026, 12, 8), QTime(10, 30, 15), QTimeZone(3600)};
};

// One run of twenty operations as the practice window hands it over: the
// third operation had two wrong attempts and help, the last an intervention.
inline QString writeRun(platform::Journal& journal, int number, int operations = 20, bool end = true)
{
    const QString id = journal.runStarted({1, u"CALCOLO DEL RISULTATO"_s, 2, u"NUMERO MASSIMO da  30 a 60"_s});
    for (int place = 1; place <= operations; ++place) {
        platform::OperationClosed op;
        op.place = place;
        op.kind = 1;
        op.operand1 = number % 30 + 1;
        op.operand2 = place;
        op.variant = 1;
        op.expected = QString::number(op.operand1 + op.operand2);
        if (place == 3) {
            op.wrongAttempts = {u"7"_s, u"12"_s};
            op.help = platform::Help::Accepted;
        }
        if (place == 20) op.help = platform::Help::Intervention;
        op.seconds = place;
        op.recordLine = u"run %1 line %2"_s.arg(number).arg(place);
        journal.operationClosed(id, op);
    }
    if (end) journal.runEnded(id, {operations - 2, 2, 210, operations == 20, u"OTTIMO"_s});
    return id;
}

inline long long count(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toLongLong() : -1;
}

}  // namespace journal_testing
