#pragma once

#include "app/window.h"

#include <QStringView>

class QChartView;
class QPushButton;

namespace store {
class QuerySource;
}

namespace review {

// What sets one chart window apart from the others: the query it draws and its texts.
struct ChartDefinition {
    const char* name;
    QStringView sql;
    QStringView title;
    QStringView categoryAxisTitle;
    QStringView valueAxisTitle;
    // How the value axis writes its numbers (a printf format).
    QStringView valueLabelFormat;
    QStringView returnCaption;
};

// A chart of the one row a query returns: each column a bar series of its own colour, named
// by the column in the legend at the side. The query is read once, when the window is loaded;
// the return button hides the window, which keeps that reading for the rest of the run. A query
// with no row draws a chart without data.
class ChartWindow : public app::Window {
    Q_OBJECT
public:
    ChartWindow(app::Context& context, const ChartDefinition& definition);

    void load() override;
    // The close button goes back to the sales-analysis menu, as the return button does.
    void closeRequested() override;

    store::QuerySource* dataGraph;
    // The chart, named GráficosDeVandas; its member is spelt in plain letters.
    QChartView* GraficosDeVandas;
    QPushButton* cmdExit;

private:
    void drawChart(const ChartDefinition& definition);
    void cmdExit_Click();
};

// frmMonthSale: this year's sales by month.
class MonthSaleWindow : public ChartWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmMonthSale";
    explicit MonthSaleWindow(app::Context& context);
};

// frmSale: the units sold by product category.
class CategorySaleWindow : public ChartWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmSale";
    explicit CategorySaleWindow(app::Context& context);
};

// frmLastYear: last year's sales by month.
class LastYearWindow : public ChartWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmLastYear";
    explicit LastYearWindow(app::Context& context);
};

} // namespace review
