#include "startup/day_report.h"

#include "app/clock.h"
#include "app/context.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/schema.h"
#include "ui/layout_template.h"
#include "ui/services.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextDocument>
#include <QWidget>

#include <algorithm>
#include <map>

namespace startup {
namespace {

// A name the staff left empty, as the report shows it.
const QString kNoName = QStringLiteral("(none)");

QString shown(const QString& name)
{
    return name.trimmed().isEmpty() ? kNoName : name;
}

// The place of a category in the report: the store's categories in their own order first, then
// any other by name, and sales of no category last.
std::pair<int, QString> categoryOrder(const QString& name)
{
    if (name == kNoName)
        return {2, {}};
    const auto words = store::schema::categoryWords();
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (name.compare(QString::fromUtf16(words[i]), Qt::CaseInsensitive) == 0)
            return {0, QString::number(i).rightJustified(2, u'0')};
    }
    return {1, name.toLower()};
}

// The store's layout of the day's report: the first row of that name that has one.
QString storedLayout(store::Store& store)
{
    namespace schema = store::schema;
    store::RecordSource reports(store, QStringLiteral("Reports"), schema::kReportsTable.toString());
    const int nameField = reports.fieldIndex(u"Name");
    for (; !reports.atEnd(); reports.moveNext()) {
        const store::Value name = reports.field(nameField);
        if (name.isNull() || name.toText().compare(schema::kDayReport, Qt::CaseInsensitive) != 0)
            continue;
        const store::Value layout = reports.field(u"Layout");
        // A row without a layout is passed over for the next one that has one.
        if (!layout.isNull() && !layout.toText().trimmed().isEmpty())
            return layout.toText();
    }
    throw ui::LayoutError(QStringLiteral("The store holds no layout for the day's report (%1).").arg(schema::kDayReport));
}

// Keeps the window from taking input, and shows the busy pointer, while the report prints.
class Printing {
public:
    Printing(ui::Services& services, QWidget& window) : m_services(services), m_window(&window), m_focused(window.focusWidget())
    {
        m_services.setBusy(true);
        m_window->setEnabled(false);
    }
    ~Printing()
    {
        if (m_window)
            m_window->setEnabled(true);
        if (m_focused)
            m_focused->setFocus();
        m_services.setBusy(false);
    }
    Printing(const Printing&) = delete;
    Printing& operator=(const Printing&) = delete;

private:
    ui::Services& m_services;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focused;
};

} // namespace

DayFigures dayFigures(const DaySales& sales)
{
    namespace convert = store::convert;
    DayFigures figures;
    figures.day = sales.day;
    std::map<QString, DayFigures::Cashier> cashiers;
    std::map<QString, int> categories;
    for (const store::journal::Entry& entry : sales.entries) {
        if (entry.kind != store::journal::kSale)
            continue;
        if (figures.sales == 0)
            figures.firstSale = entry.number;
        figures.lastSale = entry.number;
        ++figures.sales;
        figures.takings = convert::add(figures.takings, entry.total);
        figures.tax = convert::add(figures.tax, entry.tax);

        const QString cashier = shown(entry.cashier);
        DayFigures::Cashier& byCashier = cashiers[cashier];
        byCashier.name = cashier;
        ++byCashier.sales;
        byCashier.takings = convert::add(byCashier.takings, entry.total);

        for (const store::journal::Line& line : entry.lines) {
            figures.units += line.quantity;
            categories[shown(line.category)] += line.quantity;
        }
    }
    for (const auto& [name, cashier] : cashiers)
        figures.cashiers.push_back(cashier);
    for (const auto& [name, units] : categories)
        figures.categories.push_back({name, units});
    std::stable_sort(figures.categories.begin(), figures.categories.end(),
        [](const DayFigures::Category& a, const DayFigures::Category& b) { return categoryOrder(a.name) < categoryOrder(b.name); });
    return figures;
}

QString reportsFolder(const QString& storePath)
{
    return QFileInfo(storePath).dir().filePath(QStringLiteral("Reports"));
}

QString fillDayReportLayout(const QString& layout, const DayFigures& figures, const QDateTime& printedAt, const QLocale& locale)
{
    namespace convert = store::convert;
    const auto saleNumber = [&figures](std::int64_t number) { return figures.sales == 0 ? QStringLiteral("-") : QString::number(number); };

    ui::LayoutValues values;
    values.set(QStringLiteral("Day"), convert::formatMediumDate(figures.day, locale));
    values.set(QStringLiteral("FirstSale"), saleNumber(figures.firstSale));
    values.set(QStringLiteral("LastSale"), saleNumber(figures.lastSale));
    values.set(QStringLiteral("Sales"), QString::number(figures.sales));
    values.set(QStringLiteral("Units"), QString::number(figures.units));
    values.set(QStringLiteral("Takings"), convert::formatCurrency(figures.takings, locale));
    values.set(QStringLiteral("Tax"), convert::formatCurrency(figures.tax, locale));
    values.set(QStringLiteral("Date"), convert::formatMediumDate(printedAt.date(), locale));
    values.set(QStringLiteral("Time"), convert::formatLongTime(printedAt.time(), locale));

    values.addSection(QStringLiteral("cashiers"));
    for (const DayFigures::Cashier& cashier : figures.cashiers) {
        ui::LayoutValues& row = values.addRow(QStringLiteral("cashiers"));
        row.set(QStringLiteral("Cashier"), cashier.name);
        row.set(QStringLiteral("Sales"), QString::number(cashier.sales));
        row.set(QStringLiteral("Takings"), convert::formatCurrency(cashier.takings, locale));
    }
    values.addSection(QStringLiteral("categories"));
    for (const DayFigures::Category& category : figures.categories) {
        ui::LayoutValues& row = values.addRow(QStringLiteral("categories"));
        row.set(QStringLiteral("Category"), category.name);
        row.set(QStringLiteral("Units"), QString::number(category.units));
    }
    return ui::fillLayout(layout, values, QStringLiteral("the day's report"));
}

PrintableDayReport printableDayReport(store::Store& store, const DayFigures& figures, const QDateTime& printedAt, const QLocale& locale)
{
    QString problem;
    try {
        return {fillDayReportLayout(storedLayout(store), figures, printedAt, locale), {}};
    } catch (const ui::LayoutError& e) {
        problem = e.message();
    } catch (const store::Error& e) {
        problem = QStringLiteral("The store's layout for the day's report could not be read: ") + e.message();
    }
    return {fillDayReportLayout(store::schema::defaultDayReportLayout(), figures, printedAt, locale), problem};
}

void printDayReport(app::Context& context, const DaySales& sales, QWidget& window)
{
    const QString name = QStringLiteral("Day report ") + sales.day.toString(QStringLiteral("yyyy-MM-dd"));
    QTextDocument document;
    PrintableDayReport printable;
    QString reason;
    QString copy;
    try {
        printable = printableDayReport(context.store, dayFigures(sales), context.clock.current(), context.locale);
        document.setHtml(printable.html);
        {
            const Printing printing(context.ui, window);
            context.platform.reportPrinter().print(document, name);
        }
        // The report is out; the manager is told that the store's own layout needs mending.
        if (!printable.problem.isEmpty()) {
            context.ui.message(QStringLiteral("The day's report was printed with the program's own layout. ") + printable.problem
                    + QStringLiteral("\n\nThe store's layout for the day's report needs mending."),
                QStringLiteral("Day Report Layout Not Used"), ui::Icon::Warning, ui::Buttons::Ok);
        }
        return;
    } catch (const platform::PrintError& e) {
        // A printer's failure says what happened and names the copy kept instead, when it kept one.
        reason = e.message();
        copy = e.savedCopy();
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    } catch (...) {
        reason = QStringLiteral("The report could not be made.");
    }

    if (copy.isEmpty() && !document.isEmpty()) {
        try {
            copy = platform::keepAsPdf(document, reportsFolder(context.store.path()), name);
            reason += QStringLiteral(" A copy was saved as \"%1\".").arg(QDir::toNativeSeparators(copy));
        } catch (const std::exception& e) {
            reason += QStringLiteral(" No copy could be saved either: ") + QString::fromUtf8(e.what());
        }
    }
    QString text = QStringLiteral("The day's report was not printed. ") + reason + QStringLiteral("\n\nThe day is closed.");
    if (!printable.problem.isEmpty())
        text += QStringLiteral("\n\nThe report was made with the program's own layout. ") + printable.problem;
    context.ui.message(text, QStringLiteral("Day Report Not Printed"), ui::Icon::Warning, ui::Buttons::Ok);
}

} // namespace startup
