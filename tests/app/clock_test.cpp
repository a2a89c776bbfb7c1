#include "app/clock.h"

#include <QTest>

namespace {

// A clock read across midnight: the first reading of the date is the day before.
class MidnightClock final : public app::Clock {
public:
    QDate today() const override { return m_datesRead++ == 0 ? QDate(2026, 12, 10) : QDate(2026, 12, 11); }
    QTime now() const override { return QTime(0, 0, 1); }

private:
    mutable int m_datesRead = 0;
};

} // namespace

class ClockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void current_isOneMoment()
    {
        QCOMPARE(app::FixedClock(QDate(2026, 12, 10), QTime(14, 5, 9)).current(), QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9)));
        // Never the day before with the time after midnight.
        QCOMPARE(MidnightClock().current(), QDateTime(QDate(2026, 12, 11), QTime(0, 0, 1)));
    }
};

QTEST_GUILESS_MAIN(ClockTest)
#include "clock_test.moc"
