#include "registro/Chart.h"
#include "registro/Csv.h"
#include "registro/Texts.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QTimeZone kZone(3600);

registro::ChartPoint runAt(QDate day, int hour, double right, double seconds)
{
    return {QDateTime(day, QTime(hour, 0), kZone).toMSecsSinceEpoch(), right, seconds};
}

TEST(ChartGroups, ARunAPointUpToSixtyThenADayThenAWeekFromMonday)
{
    // Sixty runs stay sixty points.
    QList<registro::ChartPoint> runs;
    for (int i = 0; i < 60; ++i)
        runs << runAt(QDate(2026, 12, 1), 8 + i / 10, 0.5, 4);
    QList<registro::ChartGroup> points = registro::groupChart(runs, kZone);
    ASSERT_EQ(points.size(), 60);
    EXPECT_EQ(registro::chartTipText(points[0], kZone), u"01/12/26 08:00: 1 esecuzione"_s);

    // One more: a point a day, the mean of its runs.
    runs << runAt(QDate(2026, 12, 2), 23, 1.0, 10);
    runs << runAt(QDate(2026, 12, 2), 9, 0.5, 6);
    points = registro::groupChart(runs, kZone);
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(points[0].runs, 60);
    EXPECT_EQ(points[1].runs, 2);
    EXPECT_DOUBLE_EQ(points[1].rightShare, 0.75);
    EXPECT_DOUBLE_EQ(points[1].secondsPerOperation, 8);
    EXPECT_EQ(points[1].startedMs, QDateTime(QDate(2026, 12, 2), QTime(0, 0), kZone).toMSecsSinceEpoch());
    EXPECT_EQ(registro::chartTipText(points[1], kZone), u"02/12/26: 2 esecuzioni"_s);

    // Sixty-one days: a point a week, Sunday in the week of the Monday before.
    runs.clear();
    for (int i = 0; i < 61; ++i)
        runs << runAt(QDate(2026, 10, 4).addDays(i), 10, i % 2, 5);  // 4 October 2026 is a Sunday
    points = registro::groupChart(runs, kZone);
    ASSERT_EQ(points.size(), 10);
    EXPECT_EQ(points[0].day, QDate(2026, 9, 28));
    EXPECT_EQ(points[0].runs, 1);
    EXPECT_EQ(registro::chartTipText(points[1], kZone), u"settimana dal 05/10/26: 7 esecuzioni"_s);
    EXPECT_EQ(registro::chartPeriodText(points[9], kZone, u"dd/MM/yyyy"_s), u"settimana dal 30/11/2026"_s);
    EXPECT_EQ(points[9].runs, 4);
    EXPECT_DOUBLE_EQ(points[9].rightShare, 0.5);
}

TEST(LongTexts, AreCutAtTheEndAndWholeInLinesForTheTooltip)
{
    EXPECT_EQ(registro::shortText(u"Giulia"_s), u"Giulia"_s);
    const QString name = u"Maria Giovanna "_s.repeated(140).trimmed();  // 2,099 characters
    const QString shown = registro::shortText(name);
    EXPECT_EQ(shown.size(), registro::kShownLength);
    EXPECT_EQ(shown, name.first(registro::kShownLength - 1) % u'…');
    // A character outside the BMP is never split in two.
    const QString emoji = u"a"_s.repeated(58) % u"😀😀"_s;
    EXPECT_EQ(registro::shortText(emoji), u"a"_s.repeated(58) % u'…');

    const QStringList lines = registro::tipText(name).split(u'\n');
    EXPECT_GT(lines.size(), 20);
    for (const QString& line : lines)
        EXPECT_LE(line.size(), 80);
    EXPECT_EQ(lines.join(u' '), name);
    // No space at all: cut every 80 characters.
    EXPECT_EQ(registro::tipText(u"x"_s.repeated(170)).split(u'\n').size(), 3);
}

TEST(CsvForms, CommasAsAlwaysAndTheItalianFormWithSemicolonsAndDecimalCommas)
{
    const QStringList fields{u"Rossi, Anna"_s, u"6.5"_s, u"a;b"_s, u"=1+1"_s, u"20"_s};
    EXPECT_EQ(registro::csvRecord(fields), QByteArray("\"Rossi, Anna\",6.5,a;b,'=1+1,20\r\n"));
    EXPECT_EQ(registro::csvRecord(fields, registro::CsvForm::Italian),
              QByteArray("Rossi, Anna;6,5;\"a;b\";'=1+1;20\r\n"));
}

}  // namespace
