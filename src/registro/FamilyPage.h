#pragma once

#include "platform/Clock.h"
#include "platform/Printer.h"
#include "registro/Reader.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

// "Scheda dell'alunno": one printed page a pupil takes home, with how the
// pupil did over a period in words and in a chart, the facts to practise and
// a short worksheet of them; then the teacher's copy with the answers.
namespace registro {

// How many facts the page lists, and how many its worksheet poses.
inline constexpr int kFamilyFacts = 6;
inline constexpr int kFamilyWorksheetLines = 10;

// The days a page looks at.
struct FamilyPeriod {
    QDate from;
    QDate to;
    bool lastDays = false;  // no date was chosen: the last 30 days
    bool operator==(const FamilyPeriod&) const = default;
};
// The filter's days; a bound left unset is filled in from the other, or
// from today, to make 30 days.
FamilyPeriod familyPeriod(const RunFilter& filter, const QDate& today);
// "dal 10/11/26 al 09/12/26", with "(ultimi 30 giorni)" when none was chosen.
QString periodText(const FamilyPeriod& period);

// What one pupil's page shows.
struct FamilySheet {
    QString pupil;
    QString className;               // "" when in no class list
    QList<ChartPoint> runs;          // oldest first
    QList<MissedOperation> missed;   // the worst first
};

struct FamilySheets {
    QList<FamilySheet> sheets;
    QString error;
};

// A pupil's page; the class is the one whose list holds the name.
FamilySheets readFamilySheet(Reader& reader, const QString& pupil, const FamilyPeriod& period);
// A page for every pupil in the class's list, in the list's order.
FamilySheets readClassSheets(Reader& reader, platform::Clock& clock, const QString& classId,
                             const FamilyPeriod& period);

// The figures in plain words, a sentence each.
QStringList figuresText(const QList<ChartPoint>& runs);

// One bar of the chart: a day, or a week from its Monday.
struct ShareBar {
    QDate first;
    int operations = 0;
    int right = 0;
};
// Days for a period of up to 31 days, weeks beyond; every day or week of the
// period has its bar, an empty one when nothing was done.
struct ShareChart {
    bool weekly = false;
    QList<ShareBar> bars;
};
ShareChart shareChart(const QList<ChartPoint>& runs, const FamilyPeriod& period, const QTimeZone& zone);

// A fact written as the program's worksheets write it: the pupil's line with
// the unknown as a dot, the teacher's with the answer in brackets. Numbers
// are right-aligned to width digits, so the lines keep their columns. Empty
// when the fact has no whole answer.
struct FactLine {
    QString pupil;
    QString teacher;
};
FactLine factLine(const MissedOperation& fact, int width);

// Every pupil's page, then the teacher's copy of each, in one job; then ends
// the document. The worksheet needs a fixed-pitch font.
platform::PrintResult printFamilyPages(platform::Printer& printer, const QList<FamilySheet>& sheets,
                                       const FamilyPeriod& period, const QTimeZone& zone);

}  // namespace registro
