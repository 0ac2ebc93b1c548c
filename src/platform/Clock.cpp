#include "platform/Clock.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace platform {

double SystemClock::secondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

QString SystemClock::shortDate()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QDateTime SystemClock::now()
{
    return QDateTime::currentDateTime();
}

}  // namespace platform
