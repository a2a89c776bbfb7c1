// The sales review's tests: one fixture, one test class, its tests split by window.
#pragma once

#include "app/window_manager.h"
#include "review/chart_window.h"
#include "review/items_sold_window.h"
#include "review/query_grid.h"
#include "review/sales_menu.h"
#include "review/windows.h"
#include "startup/windows.h"
#include "store/record_source.h"
#include "support/test_context.h"

#include <QPushButton>
#include <QTest>

namespace reviewtest {

inline store::Value money(std::int64_t units)
{
    return store::Value(store::Currency::fromUnits(units));
}

inline store::Value whole(int n)
{
    return store::Value(std::int16_t(n));
}

// A fresh store with the sales review's windows and the main menu they go back to.
struct ReviewFixture : testing::TestContext {
    ReviewFixture()
    {
        review::registerWindows(windows);
        review::registerLinkedChartWindows(windows);
        startup::registerWindows(windows);
    }

    void addRow(const QString& table, const QList<std::pair<QString, store::Value>>& fields)
    {
        store::RecordSource source(*store, QStringLiteral("setup"), table);
        source.addNew();
        for (const auto& [name, value] : fields)
            source.setField(name, value);
        source.update();
    }

    // Sets fields of a table's first row.
    void setFirstRow(const QString& table, const QList<std::pair<QString, store::Value>>& fields)
    {
        store::RecordSource source(*store, QStringLiteral("setup"), table);
        source.edit();
        for (const auto& [name, value] : fields)
            source.setField(name, value);
        source.update();
    }

    void emptyTable(const QString& table)
    {
        store::RecordSource source(*store, QStringLiteral("setup"), table);
        while (!source.atEnd()) {
            source.remove();
            source.moveNext();
        }
    }

    template <class W = QWidget>
    W* open(const QString& name)
    {
        auto* window = windows.show(name);
        if (!QTest::qWaitForWindowExposed(window))
            qWarning("%s was not shown", qPrintable(name));
        return static_cast<W*>(window);
    }

    bool isShown(const QString& name) const
    {
        const QWidget* window = windows.find(name);
        return window && window->isVisible();
    }
};

inline void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace reviewtest

class TestReview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    // items_sold_test.cpp
    void gridShowsLines_data();
    void gridShowsLines();
    void gridKeepsTableOrder();
    void navigationMovesCurrentRow_data();
    void navigationMovesCurrentRow();
    void totalsShowStoredNumbers_data();
    void totalsShowStoredNumbers();
    void dateAndTimeOfOpening();
    void emptyDay();
    void emptyDailyTotals();
    void backToMain_data();
    void backToMain();
    void valueLabelsReadCaptionThenValue();
    void connectionMustNameTheStore_data();
    void connectionMustNameTheStore();

    // charts_test.cpp
    void chartShowsStoredRow_data();
    void chartShowsStoredRow();
    void emptyTableGivesChartWithoutData_data();
    void emptyTableGivesChartWithoutData();
    void chartKeepsFirstReading_data();
    void chartKeepsFirstReading();
    void categoryChart_keepsFirstReadingAfterASale();
    void chartReturn_data();
    void chartReturn();
    void menuOpensChartsAndStaysShown();
    void menuReturnToMain_data();
    void menuReturnToMain();
    void chartOfAnotherStoreIsReported();
    void chartModuleMissingIsReported();
};
