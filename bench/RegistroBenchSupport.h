#pragma once

// What the benches of the teacher's window share: a big journal made with SQL
// in one transaction, and the clocks that time a window to its next paint.
#include "journal/Database.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "ui/registro/TeacherWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QEvent>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QWidget>

#include <ctime>
#include <memory>

namespace registro_bench {

// 500 runs a school day from 8:00, one a minute, from 1 September 2025, by
// :pupils pupils who type their names, or who chose them from the list of a
// class (:class = 1); every tenth run has no pupil. A run's operations lie
// together, as the program writes them (CROSS JOIN keeps the runs the outer
// loop). Operation figures come from a fixed hash of run and place, so every
// build measures the same journal.
inline const char* const kFill[] = {
    "CREATE TEMP TABLE n AS WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < :last) "
    "SELECT i FROM c",
    "INSERT INTO runs (id, copy, os_user, machine, objective, objective_text, level, level_text, started_at, "
    "started_ms, pupil_id) SELECT printf('%08x-1d2c-4b6a-9e0f-%012x', i * 2654435761 % 4294967296, i), "
    "CASE i % 7 WHEN 0 THEN 'ADDIZIONI' WHEN 1 THEN 'SOTTRAZIONI' WHEN 2 THEN 'ADDSOTTRAZIONI' "
    "WHEN 3 THEN 'MOLTIPLICAZIONI' WHEN 4 THEN 'DIVISIONI' WHEN 5 THEN 'MOLTDIVISIONI' ELSE 'OPERAZIONI' END, "
    "'alunno', 'aula-' || (i % 12), 1 + i % 6, (1 + i % 6) || '. Calcolo del risultato', 1 + i / 6 % 4, "
    "'NUMERO MASSIMO da  1 a 30', "
    "strftime('%Y-%m-%dT%H:%M:%S+01:00', (1756710000000 + (i / 500) * 86400000 + (i % 500) * 60000) / 1000 + 3600, "
    "'unixepoch'), 1756710000000 + (i / 500) * 86400000 + (i % 500) * 60000, "
    "CASE WHEN :class = 1 AND i % 10 <> 0 THEN printf('alunno-%03d', i % :pupils) ELSE '' END FROM n",
    "INSERT INTO classes SELECT 'classe-3a', '3A', 0 WHERE :class = 1",
    "INSERT INTO class_pupils SELECT printf('alunno-%03d', i), 'classe-3a', printf('Alunno %03d', i), 1, 0 FROM n "
    "WHERE i < :pupils AND :class = 1",
    "CREATE TEMP TABLE p AS WITH RECURSIVE c(place) AS (SELECT 1 UNION ALL SELECT place + 1 FROM c WHERE place < 20) "
    "SELECT place FROM c",
    "INSERT INTO operations SELECT r.id, p.place, 1 + (r.rowid + p.place) % 4, 2 + (r.rowid * 7 + p.place * 3) % 9, "
    "2 + (r.rowid * 5 + p.place * 11) % 9, 1 + p.place % 6, '42', "
    "CASE WHEN (r.rowid * 13 + p.place * 7) % 9 = 0 THEN '41' ELSE '' END, "
    "CASE WHEN (r.rowid * 13 + p.place * 7) % 27 = 0 THEN 'aiuto' ELSE '' END, 3 + (r.rowid + p.place * 5) % 14, "
    "printf('%3d x %2d = .     r.....................  42    (s.%2d)', 2 + (r.rowid * 7 + p.place * 3) % 9, "
    "2 + (r.rowid * 5 + p.place * 11) % 9, 3 + (r.rowid + p.place * 5) % 14), "
    "r.started_at, r.started_ms + p.place * 9000 FROM runs r CROSS JOIN p",
    "INSERT INTO run_ends SELECT o.run_id, max(o.done_at), max(o.done_ms), sum(o.help = ''), sum(o.wrong_attempts <> ''), "
    "sum(o.seconds), 1, CASE sum(o.help = '') / 2 WHEN 10 THEN 'OTTIMO' WHEN 9 THEN 'OTTIMO' WHEN 8 THEN 'DISTINTO' "
    "WHEN 7 THEN 'BUONO' WHEN 6 THEN 'SUFFICIENTE' WHEN 5 THEN 'SUFFICIENTE (!)' ELSE 'Non classificato' END "
    "FROM operations o GROUP BY o.run_id",
    "INSERT INTO pupil_names SELECT printf('%08x-5a5a-4c3c-8d8d-%012x', r.rowid, r.rowid), r.id, "
    "printf('Alunno %03d', r.rowid % :pupils), r.started_at, r.started_ms + 200000 FROM runs r "
    "WHERE r.rowid % 10 <> 0 AND :class = 0",
};

inline bool exec(QSqlDatabase& db, const QString& sql, int last, int pupils, bool asClass)
{
    QSqlQuery query(db);
    query.prepare(sql);
    const std::pair<QString, int> values[] = {{QStringLiteral(":last"), last},
                                              {QStringLiteral(":pupils"), pupils},
                                              {QStringLiteral(":class"), asClass ? 1 : 0}};
    for (const auto& [name, value] : values)
        if (sql.contains(name))
            query.bindValue(name, value);
    if (query.exec())
        return true;
    QTextStream(stderr) << "SQL failed: " << query.lastError().text() << "\n" << sql << "\n";
    return false;
}

// The file and its tables as the journal makes them, then filled.
inline bool makeJournal(const QString& path, int runs, int pupils, bool asClass)
{
    journal::Connection file = journal::openLocal(path);
    QSqlDatabase db = file.database();
    bool ok = file.isOpen() && db.transaction();
    if (!file.isOpen())
        QTextStream(stderr) << "cannot make " << path << ": " << file.error().text() << "\n";
    for (const char* statement : kFill)
        ok = ok && exec(db, QString::fromLatin1(statement), runs - 1, pupils, asClass);
    return ok && db.commit();
}

// Messages go to the terminal; nothing is printed.
class NoDialogs final : public platform::Dialogs {
public:
    void message(const QString& text) override { QTextStream(stderr) << text << "\n"; }
};
class NoPrinters final : public platform::PrinterFactory {
public:
    std::unique_ptr<platform::Printer> open(const QString&) override { return nullptr; }
};

// The afternoon of the journal's last school day: 500 runs a school day
// from 1 September 2025.
class LastDayClock final : public platform::Clock {
public:
    explicit LastDayClock(int runs) : m_day(QDate(2025, 9, 1).addDays((runs - 1) / 500)) {}
    double secondsSinceMidnight() override { return 16 * 3600; }
    QString shortDate() override { return m_day.toString(QStringLiteral("dd/MM/yy")); }
    QDateTime now() override { return m_day.startOfDay().addSecs(16 * 3600); }
    QDate day() const { return m_day; }

private:
    QDate m_day;
};

// --runs N (default 100,000) and --keep FILE, a journal kept and reused.
struct Options {
    int runs = 100000;
    QString keep;
};
inline Options options()
{
    Options given;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--runs"))
            given.runs = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--keep"))
            given.keep = args[i + 1];
    }
    return given;
}

// The journal to measure: the kept one, made first when missing, or one made
// in scratch. Empty when it could not be made.
inline QString journalFor(const Options& given, const QString& scratch, int pupils, bool asClass, QTextStream& out)
{
    const QString path = given.keep.isEmpty() ? scratch + QStringLiteral("/registro.sqlite") : given.keep;
    if (QFileInfo::exists(path))
        return path;
    QElapsedTimer fill;
    fill.start();
    if (!makeJournal(path, given.runs, pupils, asClass))
        return {};
    out << "journal of " << given.runs << " runs by " << pupils << " pupils made in " << fill.elapsed() / 1000.0
        << " s\n";
    out.flush();
    return path;
}

// Waits until widget has painted once more, and says how long since timer started.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// CPU time of this process, in ms: on a machine shared with other work the
// wall time also counts the waits for a core.
inline double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Timer {
    QElapsedTimer wall;
    double cpu = 0;
    void restart()
    {
        wall.restart();
        cpu = cpuMs();
    }
};

struct Times {
    double wall, cpu;
};

inline Times untilPainted(QWidget* widget, const Timer& timer)
{
    PaintWatch watch(widget);
    widget->update();
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return {timer.wall.nsecsElapsed() / 1e6, cpuMs() - timer.cpu};
}

// The window reads on a thread of its own: waits until it has shown what it
// read, then for the next paint of widget.
inline void settle(const registro_ui::TeacherWindow& window)
{
    while (window.isReading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
}

inline Times untilShown(const registro_ui::TeacherWindow& window, QWidget* widget, const Timer& timer)
{
    settle(window);
    return untilPainted(widget, timer);
}

}  // namespace registro_bench
