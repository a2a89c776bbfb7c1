#include "store/journal.h"

#include "store/error.h"
#include "store/statement.h"
#include "store/store.h"

#include <QSet>

#include <numeric>

namespace store::journal {
namespace {

constexpr const char* kCreateSales = R"sql(
CREATE TABLE "SalesJournal" (
    "SaleNumber" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Kind" TEXT NOT NULL CHECK ("Kind" IN ('Sale', 'NoSale')),
    "SoldAt" TEXT NOT NULL CHECK (length("SoldAt") = 19),
    "BusinessDate" TEXT NOT NULL CHECK (length("BusinessDate") = 10),
    "Cashier" TEXT,
    "Subtotal" INTEGER NOT NULL CHECK (typeof("Subtotal") = 'integer'),
    "Tax" INTEGER NOT NULL CHECK (typeof("Tax") = 'integer'),
    "Total" INTEGER NOT NULL CHECK (typeof("Total") = 'integer'),
    "AmountTendered" INTEGER NOT NULL CHECK (typeof("AmountTendered") = 'integer'),
    "Change" INTEGER NOT NULL CHECK (typeof("Change") = 'integer')
))sql";

constexpr const char* kCreateLines = R"sql(
CREATE TABLE "SalesJournalLines" (
    "SaleNumber" INTEGER NOT NULL REFERENCES "SalesJournal" ("SaleNumber"),
    "LineNumber" INTEGER NOT NULL CHECK ("LineNumber" >= 1),
    "Code" TEXT,
    "ProductName" TEXT,
    "Category" TEXT,
    "Quantity" INTEGER NOT NULL CHECK ("Quantity" BETWEEN -32768 AND 32767),
    "LineTotal" INTEGER NOT NULL CHECK (typeof("LineTotal") = 'integer'),
    PRIMARY KEY ("SaleNumber", "LineNumber")
) WITHOUT ROWID)sql";

constexpr const char* kCreateCloses = R"sql(
CREATE TABLE "DayCloses" (
    "CloseNumber" INTEGER PRIMARY KEY AUTOINCREMENT,
    "ClosedAt" TEXT NOT NULL CHECK (length("ClosedAt") = 19),
    "BusinessDate" TEXT NOT NULL CHECK (length("BusinessDate") = 10),
    "LastSaleNumber" INTEGER NOT NULL CHECK ("LastSaleNumber" >= 0)
))sql";

constexpr const char* kCreateDayIndex = R"sql(CREATE INDEX "SalesJournal by day" ON "SalesJournal" ("BusinessDate", "SaleNumber"))sql";

constexpr const char* kSalesColumns = R"sql("SaleNumber", "Kind", "SoldAt", "BusinessDate", "Cashier", "Subtotal", "Tax", "Total", "AmountTendered", "Change")sql";

const QStringList& salesColumns()
{
    static const QStringList columns{QStringLiteral("SaleNumber"), QStringLiteral("Kind"), QStringLiteral("SoldAt"),
        QStringLiteral("BusinessDate"), QStringLiteral("Cashier"), QStringLiteral("Subtotal"), QStringLiteral("Tax"), QStringLiteral("Total"),
        QStringLiteral("AmountTendered"), QStringLiteral("Change")};
    return columns;
}

const QStringList& linesColumns()
{
    static const QStringList columns{QStringLiteral("SaleNumber"), QStringLiteral("LineNumber"), QStringLiteral("Code"),
        QStringLiteral("ProductName"), QStringLiteral("Category"), QStringLiteral("Quantity"), QStringLiteral("LineTotal")};
    return columns;
}

bool hasColumns(Store& store, QStringView table, const QStringList& wanted)
{
    Statement info = store.prepare(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    QSet<QString> columns;
    while (info.step())
        columns.insert(info.columnText(1).toLower());
    for (const QString& column : wanted) {
        if (!columns.contains(column.toLower()))
            return false;
    }
    return true;
}

QString isoTime(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

void bindText(Statement& statement, int index, const QString& text)
{
    if (text.isNull())
        statement.bindNull(index);
    else
        statement.bindText(index, text);
}

// The entry on the statement's current row, read in the order of kSalesColumns.
Entry readEntry(const Statement& row)
{
    Entry entry;
    entry.number = row.columnInt(0);
    entry.kind = row.columnText(1);
    entry.at = QDateTime::fromString(row.columnText(2), Qt::ISODate);
    entry.businessDate = QDate::fromString(row.columnText(3), Qt::ISODate);
    entry.cashier = row.columnText(4);
    entry.subtotal = Currency::fromUnits(row.columnInt(5));
    entry.tax = Currency::fromUnits(row.columnInt(6));
    entry.total = Currency::fromUnits(row.columnInt(7));
    entry.amountTendered = Currency::fromUnits(row.columnInt(8));
    entry.change = Currency::fromUnits(row.columnInt(9));
    return entry;
}

void readLines(Store& store, Entry& entry)
{
    Statement lines = store.prepare(QStringLiteral(
        R"sql(SELECT "Code", "ProductName", "Category", "Quantity", "LineTotal" FROM "SalesJournalLines" WHERE "SaleNumber" = ? ORDER BY "LineNumber")sql"));
    lines.bindInt(1, entry.number);
    while (lines.step()) {
        entry.lines.push_back(Line{lines.columnText(0), lines.columnText(1), lines.columnText(2), std::int16_t(lines.columnInt(3)),
            Currency::fromUnits(lines.columnInt(4))});
    }
}

} // namespace

int Entry::units() const
{
    return std::accumulate(lines.begin(), lines.end(), 0, [](int sum, const Line& line) { return sum + line.quantity; });
}

void install(Store& store)
{
    store.exec(QString::fromUtf8(kCreateSales));
    store.exec(QString::fromUtf8(kCreateLines));
    store.exec(QString::fromUtf8(kCreateDayIndex));
    store.exec(QString::fromUtf8(kCreateCloses));
}

bool installed(Store& store)
{
    static const QStringList closesColumns{
        QStringLiteral("CloseNumber"), QStringLiteral("ClosedAt"), QStringLiteral("BusinessDate"), QStringLiteral("LastSaleNumber")};
    return hasColumns(store, kSalesTable, salesColumns()) && hasColumns(store, kLinesTable, linesColumns())
        && hasColumns(store, kClosesTable, closesColumns);
}

std::int64_t record(Store& store, const Entry& entry)
{
    store.beforeWrite(kSalesTable.toString());
    Statement sale = store.prepare(QStringLiteral(
        R"sql(INSERT INTO "SalesJournal" ("Kind", "SoldAt", "BusinessDate", "Cashier", "Subtotal", "Tax", "Total", "AmountTendered", "Change")
              VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?))sql"));
    sale.bindText(1, entry.kind);
    sale.bindText(2, isoTime(entry.at));
    sale.bindText(3, entry.businessDate.toString(Qt::ISODate));
    bindText(sale, 4, entry.cashier);
    sale.bindInt(5, entry.subtotal.units());
    sale.bindInt(6, entry.tax.units());
    sale.bindInt(7, entry.total.units());
    sale.bindInt(8, entry.amountTendered.units());
    sale.bindInt(9, entry.change.units());
    sale.step();
    Statement number = store.prepare(QStringLiteral("SELECT last_insert_rowid()"));
    number.step();
    const std::int64_t saleNumber = number.columnInt(0);

    if (entry.lines.empty())
        return saleNumber;
    Statement line = store.prepare(QStringLiteral(
        R"sql(INSERT INTO "SalesJournalLines" ("SaleNumber", "LineNumber", "Code", "ProductName", "Category", "Quantity", "LineTotal")
              VALUES (?, ?, ?, ?, ?, ?, ?))sql"));
    int lineNumber = 0;
    for (const Line& each : entry.lines) {
        store.beforeWrite(kLinesTable.toString());
        line.reset();
        line.bindInt(1, saleNumber);
        line.bindInt(2, ++lineNumber);
        bindText(line, 3, each.code);
        bindText(line, 4, each.name);
        bindText(line, 5, each.category);
        line.bindInt(6, each.quantity);
        line.bindInt(7, each.lineTotal.units());
        line.step();
    }
    return saleNumber;
}

std::optional<Entry> entry(Store& store, std::int64_t number)
{
    Statement row = store.prepare(QStringLiteral("SELECT %1 FROM \"SalesJournal\" WHERE \"SaleNumber\" = ?").arg(QString::fromUtf8(kSalesColumns)));
    row.bindInt(1, number);
    if (!row.step())
        return std::nullopt;
    Entry found = readEntry(row);
    readLines(store, found);
    return found;
}

std::optional<Entry> last(Store& store, QStringView kind)
{
    Statement row = store.prepare(
        QStringLiteral("SELECT %1 FROM \"SalesJournal\" WHERE \"Kind\" = ? ORDER BY \"SaleNumber\" DESC LIMIT 1").arg(QString::fromUtf8(kSalesColumns)));
    row.bindText(1, kind.toString());
    if (!row.step())
        return std::nullopt;
    Entry found = readEntry(row);
    readLines(store, found);
    return found;
}

std::vector<Entry> ofDay(Store& store, const QDate& businessDate, bool withLines)
{
    Statement rows = store.prepare(QStringLiteral("SELECT %1 FROM \"SalesJournal\" WHERE \"BusinessDate\" = ? ORDER BY \"SaleNumber\"")
                                       .arg(QString::fromUtf8(kSalesColumns)));
    rows.bindText(1, businessDate.toString(Qt::ISODate));
    std::vector<Entry> entries;
    while (rows.step())
        entries.push_back(readEntry(rows));
    if (withLines) {
        for (Entry& each : entries)
            readLines(store, each);
    }
    return entries;
}

std::vector<Entry> sinceLastClose(Store& store, bool withLines)
{
    const std::int64_t after = lastClose(store).value_or(Close{}).lastEntry;
    Statement rows = store.prepare(
        QStringLiteral("SELECT %1 FROM \"SalesJournal\" WHERE \"SaleNumber\" > ? ORDER BY \"SaleNumber\"").arg(QString::fromUtf8(kSalesColumns)));
    rows.bindInt(1, after);
    std::vector<Entry> entries;
    while (rows.step())
        entries.push_back(readEntry(rows));
    if (withLines) {
        for (Entry& each : entries)
            readLines(store, each);
    }
    return entries;
}

Close recordClose(Store& store, const QDateTime& at, const QDate& businessDate)
{
    Close close;
    close.at = QDateTime(at.date(), QTime(at.time().hour(), at.time().minute(), at.time().second()));
    close.businessDate = businessDate;
    {
        Statement lastNumber = store.prepare(QStringLiteral("SELECT coalesce(max(\"SaleNumber\"), 0) FROM \"SalesJournal\""));
        lastNumber.step();
        close.lastEntry = lastNumber.columnInt(0);
    }
    store.beforeWrite(kClosesTable.toString());
    Statement insert = store.prepare(
        QStringLiteral("INSERT INTO \"DayCloses\" (\"ClosedAt\", \"BusinessDate\", \"LastSaleNumber\") VALUES (?, ?, ?)"));
    insert.bindText(1, isoTime(close.at));
    insert.bindText(2, businessDate.toString(Qt::ISODate));
    insert.bindInt(3, close.lastEntry);
    insert.step();
    Statement number = store.prepare(QStringLiteral("SELECT last_insert_rowid()"));
    number.step();
    close.number = number.columnInt(0);
    return close;
}

std::optional<Close> lastClose(Store& store)
{
    Statement row = store.prepare(QStringLiteral(
        "SELECT \"CloseNumber\", \"ClosedAt\", \"BusinessDate\", \"LastSaleNumber\" FROM \"DayCloses\" ORDER BY \"CloseNumber\" DESC LIMIT 1"));
    if (!row.step())
        return std::nullopt;
    return Close{row.columnInt(0), QDateTime::fromString(row.columnText(1), Qt::ISODate), QDate::fromString(row.columnText(2), Qt::ISODate),
        row.columnInt(3)};
}

} // namespace store::journal
