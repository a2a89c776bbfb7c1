#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace app {

// Today's date and the time of day, as the program reads them.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QTime now() const = 0;

    // The date and the time of one moment: read again when midnight passed between the two.
    QDateTime current() const
    {
        QDate date = today();
        QTime time = now();
        if (today() != date) {
            date = today();
            time = now();
        }
        return QDateTime(date, time);
    }
};

// The computer's clock.
class SystemClock final : public Clock {
public:
    QDate today() const override;
    QTime now() const override;
};

// A clock standing still at the date and time it is set to.
class FixedClock final : public Clock {
public:
    FixedClock(QDate today, QTime now) : m_today(today), m_now(now) {}

    QDate today() const override { return m_today; }
    QTime now() const override { return m_now; }

    void setToday(QDate today) { m_today = today; }
    void setNow(QTime now) { m_now = now; }

private:
    QDate m_today;
    QTime m_now;
};

} // namespace app
