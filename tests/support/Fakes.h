#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QString>
#include <QTimeZone>
#include <QStringList>

namespace testing_support {

// A clock the test sets by hand.
class FakeClock final : public platform::Clock {
public:
    double seconds = 36000.0;  // 10:00:00
    QString date = QStringLiteral("08/12/26");
    QDate day = QDate(2026, 12, 8);  // the day now() gives
    int reads = 0;

    double secondsSinceMidnight() override
    {
        ++reads;
        return seconds;
    }
    QString shortDate() override { return date; }
    QDateTime now() override
    {
        return {day, QTime::fromMSecsSinceStartOfDay(int(seconds * 1000) % 86400000), QTimeZone(3600)};
    }
    void advance(double by) { seconds += by; }
};

// Records every message box instead of showing it.
class RecordingDialogs final : public platform::Dialogs {
public:
    QStringList messages;
    void message(const QString& text) override { messages << text; }
};

}  // namespace testing_support
