#include "app/clock.h"

namespace app {

QDate SystemClock::today() const
{
    return QDate::currentDate();
}

QTime SystemClock::now() const
{
    return QTime::currentTime();
}

} // namespace app
