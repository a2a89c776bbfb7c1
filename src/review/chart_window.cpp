#include "review/chart_window.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "review/query_connection.h"
#include "store/convert.h"
#include "store/query_source.h"
#include "store/value.h"
#include "ui/captions.h"
#include "ui/fonts.h"
#include "ui/named.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLegend>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace review {
namespace {

constexpr QStringView kCaption = u"                                              Graph of Sales";

// Twelve colours told apart at a glance, one for each column a chart draws.
constexpr std::array<QRgb, 12> kColours = {
    0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd, 0x8c564b,
    0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf, 0x000080, 0xffd700,
};

// A stored value as a bar's height: money exactly as far as a bar can show it; no value is 0.
qreal barHeight(const store::Value& value)
{
    switch (value.kind()) {
    case store::Value::Kind::Null:
        return 0;
    case store::Value::Kind::Currency:
        return store::convert::currencyToNumber(value.toCurrency());
    default:
        return value.toNumber();
    }
}

constexpr ChartDefinition kMonthSale{
    MonthSaleWindow::kName,
    u"SELECT January, February, March, April, May, June,July,August,September, October, November,December  FROM YearSales",
    u"SALES ANALYSIS FOR THIS YEAR",
    u"Months- See Color for Months on the Side",
    u"Amount Sold in US$",
    u"$%.0f",
    u"RETURN",
};

constexpr ChartDefinition kCategorySale{
    CategorySaleWindow::kName,
    u"SELECT Bakery,Beverage,Cleaning,Dairy,Frozen, Fruits, Grain,Grocery,Health,Meat, Miscelaneous, Vegetable  FROM tblCathegory ",
    u"SALE ANALYSIS FOR THIS MONTH",
    u"Cathegories - See Color For Names on the Side.",
    u"UNITS SOLD",
    u"%.0f",
    u"RETURN ",
};

constexpr ChartDefinition kLastYear{
    LastYearWindow::kName,
    u"SELECT January, February, March, April, May, June,July,August,September, October, November,December  FROM  LastYearSales",
    u"Sales for Last Year",
    u"Month - See Colors for Months on the Side",
    u"Amount in US$",
    u"$%.0f",
    u"RETURN",
};

} // namespace

ChartWindow::ChartWindow(app::Context& context, const ChartDefinition& definition)
    : app::Window(context, QString::fromLatin1(definition.name))
{
    setWindowTitle(kCaption.toString());

    dataGraph = openQuerySource(context, QStringLiteral("dataGraph"), kQueryConnection, definition.sql.toString(), this);

    GraficosDeVandas = ui::makeNamed<QChartView>(QStringLiteral("Gr\u00e1ficosDeVandas"), this);
    GraficosDeVandas->setRenderHint(QPainter::Antialiasing);
    GraficosDeVandas->setMinimumSize(740, 470);
    GraficosDeVandas->setAccessibleName(definition.title.toString());

    cmdExit = ui::makeNamed<QPushButton>(QStringLiteral("cmdExit"), definition.returnCaption.toString(), this);
    cmdExit->setMinimumSize(140, 36);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(GraficosDeVandas, 1);
    layout->addLayout(buttons);

    connect(cmdExit, &QPushButton::clicked, this, &ChartWindow::cmdExit_Click);

    drawChart(definition);
    ui::nameControls(this);
    fixSize();
}

void ChartWindow::drawChart(const ChartDefinition& definition)
{
    auto* chart = new QChart;
    chart->setTitle(definition.title.toString());
    chart->setTitleFont(ui::headingFont(font(), 12));
    chart->setMargins(QMargins(4, 4, 4, 4));

    // One bar set for each column of the query's row, in the query's order.
    auto* series = new QBarSeries;
    // The bars of the one row stand side by side across most of the plot.
    series->setBarWidth(0.9);
    if (dataGraph->recordCount() > 0) {
        const QStringList& columns = dataGraph->fieldNames();
        for (int column = 0; column < columns.size(); ++column) {
            auto* bars = new QBarSet(columns.at(column));
            bars->setColor(QColor(kColours[std::size_t(column) % kColours.size()]));
            bars->setBorderColor(Qt::black);
            bars->append(barHeight(dataGraph->value(0, column)));
            series->append(bars);
        }
    }
    chart->addSeries(series);

    auto* categories = new QBarCategoryAxis;
    categories->append(QStringLiteral(" "));
    categories->setTitleText(definition.categoryAxisTitle.toString());
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);

    auto* values = new QValueAxis;
    values->setTitleText(definition.valueAxisTitle.toString());
    values->setLabelFormat(definition.valueLabelFormat.toString());
    qreal highest = 0;
    for (const QBarSet* bars : series->barSets())
        highest = std::max(highest, bars->at(0));
    values->setRange(0, highest > 0 ? highest : 1);
    values->applyNiceNumbers();
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);

    QLegend* legend = chart->legend();
    legend->setVisible(true);
    legend->setAlignment(Qt::AlignRight);
    legend->setMarkerShape(QLegend::MarkerShapeRectangle);

    GraficosDeVandas->setChart(chart);
}

void ChartWindow::load()
{
    centreOnScreen();
}

void ChartWindow::cmdExit_Click()
{
    context().windows.show(QStringLiteral("frmGraphsCall"));
    context().windows.hide(objectName());
}

void ChartWindow::closeRequested()
{
    cmdExit_Click();
}

MonthSaleWindow::MonthSaleWindow(app::Context& context) : ChartWindow(context, kMonthSale) {}
CategorySaleWindow::CategorySaleWindow(app::Context& context) : ChartWindow(context, kCategorySale) {}
LastYearWindow::LastYearWindow(app::Context& context) : ChartWindow(context, kLastYear) {}

} // namespace review
