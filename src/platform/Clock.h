#pragma once

#include <QDateTime>
#include <QString>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since midnight, with fractions (Timer).
    virtual double secondsSinceMidnight() = 0;
    // Today's date in the system's short date format.
    virtual QString shortDate() = 0;
    // The wall-clock time with its offset from UTC, as the results journal
    // stamps its entries. Read from any thread.
    virtual QDateTime now() = 0;
};

// The real clock and the system locale.
class SystemClock final : public Clock {
public:
    double secondsSinceMidnight() override;
    QString shortDate() override;
    QDateTime now() override;
};

}  // namespace platform
