#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

// ctest runs this with LANG=it_IT.UTF-8: the short date is the Italian one.
TEST(SystemClock, ShortDateFollowsTheSystemLocale)
{
    platform::SystemClock clock;
    const QString before = QLocale(QLocale::Italian, QLocale::Italy).toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString date = clock.shortDate();
    const QString after = QLocale(QLocale::Italian, QLocale::Italy).toString(QDate::currentDate(), QLocale::ShortFormat);
    EXPECT_TRUE(date == before || date == after) << date.toStdString();  // midnight may pass in between
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d$")).match(date).hasMatch()) << date.toStdString();
}

TEST(SystemClock, SecondsSinceMidnightHaveFractionsAndStayInTheDay)
{
    platform::SystemClock clock;
    bool sawFraction = false;
    for (int i = 0; i < 200 && !sawFraction; ++i) {
        const double seconds = clock.secondsSinceMidnight();
        ASSERT_GE(seconds, 0.0);
        ASSERT_LT(seconds, 86400.0);
        sawFraction = seconds != double(qint64(seconds));
    }
    EXPECT_TRUE(sawFraction);
}
