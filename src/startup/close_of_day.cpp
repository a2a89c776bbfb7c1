// The main menu's exit: closing the day. The day's money is booked into its month of the year
// table, today's lines are emptied and the daily totals cleared; on the first close of a new year
// the year before is kept in the last-year table instead.
#include "startup/main_window.h"

#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "platform/drives.h"
#include "platform/platform.h"
#include "startup/day_report.h"
#include "store/backup.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/journal.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/bound_date_picker.h"
#include "ui/services.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include <array>
#include <optional>

namespace startup {

namespace {

// The month columns of the year tables, January first.
constexpr std::array<const char16_t*, 12> kMonths{u"January", u"February", u"March", u"April", u"May", u"June", u"July",
    u"August", u"September", u"October", u"November", u"December"};

// A month, year or day figure. The columns default to 0; one that holds nothing counts as 0
// rather than leaving the day unclosed.
store::Currency amount(const store::RecordSource& source, QStringView field)
{
    const store::Value value = source.field(field);
    return value.isNull() ? store::Currency() : value.toCurrency();
}

// The year a year row is for. A row without a year, or with one no year can be, is for no year:
// the close leaves it, as it leaves a row of a year long past, and the program still ends.
std::optional<int> yearOf(const store::Value& stored)
{
    if (stored.isNull())
        return std::nullopt;
    try {
        return stored.toWhole();
    } catch (const store::Error&) {
        return std::nullopt;
    }
}

// The closed store, copied and checked into the folder Backups beside it and, when drive D is
// there, into the one on drive D beside the store's replica. A backup that fails is told, in
// one message for all, and the program ends all the same: the day is closed and safe in the
// store.
void backUpTheStore(const app::Context& context, const QDate& businessDate)
{
    QStringList folders{QFileInfo(context.store.path()).dir().filePath(QStringLiteral("Backups"))};
    const platform::Drives& drives = context.platform.drives();
    if (drives.driveExists(u'D'))
        folders << drives.hostPath(u"D:\\Program Files\\Point of Sale\\Backups");
    QStringList failures;
    for (const store::backup::Copy& copy : store::backup::make(context.store, businessDate, folders)) {
        if (!copy.made())
            failures << QStringLiteral("The store could not be backed up into the folder %1: %2.").arg(QDir::toNativeSeparators(copy.folder), copy.failure);
    }
    if (failures.isEmpty())
        return;
    failures << QStringLiteral("The day was closed all the same, and its sales are safe in the store. Make sure that the folder can be "
                               "written and that its disk has room: the next close of the day makes the backup again.");
    context.ui.message(failures.join(u' '), context.app.title, ui::Icon::Warning, ui::Buttons::Ok);
}

} // namespace

void MainWindow::cmdSair_Click()
{
    try {
        totalSale->refresh();
        dailySaledata->refresh();
    } catch (const store::Error& error) {
        // Nothing is written yet: the menu stays, and the manager learns why the day cannot close.
        context().ui.message(error.message(), context().app.title, ui::Icon::Critical, ui::Buttons::Ok);
        return;
    }

    try {
        if (context().ui.message(QStringLiteral("Are you sure you want to shut the system down?"),
                QStringLiteral("                 ARE YOU SURE?"), ui::Icon::Question, ui::Buttons::YesNo)
            == ui::Button::No)
            return;

        const std::int16_t businessYear = static_cast<std::int16_t>(Dta->date().year());

        if (context().ui.message(
                QStringLiteral("Are you closing for the day? If you press, 'yes', the system will update the database to prepare You to "
                               "open you point of sale safely tomorrow. If you press 'No', the system will keep the daily settings and "
                               "you will still see the data as you if you have not exited the system "),
                QStringLiteral("                         ARE YOU CLOSING FOR THE DAY?"), ui::Icon::Question, ui::Buttons::YesNo)
            == ui::Button::No) {
            context().ui.end();
            return;
        }

        if (YearSale->recordCount() < 1) {
            YearSale->addNew();
            YearSale->setField(u"Ano", businessYear);
            YearSale->update();
            YearSale->refresh();
        }

        if (totalSale->recordCount() < 1) {
            context().ui.end();
            return;
        }

        const std::optional<int> storedYear = yearOf(YearSale->field(u"Ano"));
        const QDate businessDay = Dta->date();
        std::optional<DaySales> closed;
        bool written = false;
        if (storedYear == businessYear) {
            closed = closeDay();
            written = true;
        } else if (storedYear && *storedYear + 1 == businessYear) {
            rollYearOver(); // the day's takings stay for the next close, and its report
            written = true;
        }

        // The close is in the store: the day's report is printed before the program ends. It
        // never stops the end; a report that cannot be printed is kept and the manager told.
        if (closed)
            printDayReport(context(), *closed, *this);
        // The store as this close or roll-over left it, kept in Backups; never stops the
        // program's end.
        if (written)
            backUpTheStore(context(), businessDay);
        context().ui.end();
    } catch (const store::Error& error) {
        // A failure part-way leaves the menu shown; the unit of work it was in wrote nothing. A
        // disk that failed is told, so that the day is closed again once it is sound.
        if (error.kind() == store::ErrorKind::IO)
            context().ui.message(QStringLiteral("The day could not be closed, and the program goes on. ") + error.message(),
                context().app.title, ui::Icon::Critical, ui::Buttons::Ok);
    } catch (...) {
        // A failure part-way leaves the menu shown; the unit of work it was in wrote nothing.
    }
}

DaySales MainWindow::closeDay()
{
    store::UnitOfWork unit(context().store);
    DaySales taken{Dta->date(), store::journal::sinceLastClose(context().store, true)};
    const store::Currency daily = amount(*totalSale, u"DailySale");

    YearSale->edit();
    const QStringView month = kMonths.at(std::size_t(Dta->date().month() - 1));
    YearSale->setField(month, store::convert::add(amount(*YearSale, month), daily));
    YearSale->setField(u"AnualTotal", store::convert::add(amount(*YearSale, u"AnualTotal"), daily));

    // Today's lines, first to last.
    if (dailySaledata->recordCount() >= 1)
        dailySaledata->removeAll();

    YearSale->update();

    totalSale->edit();
    totalSale->setField(u"DailySale", store::Currency());
    totalSale->setField(u"tDate", context().clock.today());
    totalSale->setField(u"totalItems", std::int16_t(0));
    totalSale->update();
    // The journal's sales so far are this close's.
    store::journal::recordClose(context().store, context().clock.current(), taken.day);
    unit.commit();
    return taken;
}

void MainWindow::rollYearOver()
{
    // The last-year row is written before the year row goes, and both in one unit: the year's
    // figures are never in neither table.
    store::UnitOfWork unit(context().store);
    if (lastYear->recordCount() > 0)
        lastYear->edit();
    else
        lastYear->addNew();
    store::Currency total;
    for (const char16_t* month : kMonths) {
        const store::Currency value = amount(*YearSale, month);
        lastYear->setField(month, value);
        total = store::convert::add(total, value);
    }
    lastYear->setField(u"AnualTotal", total);
    lastYear->update();
    YearSale->remove();
    unit.commit();
}

} // namespace startup
