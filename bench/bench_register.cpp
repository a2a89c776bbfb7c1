// The till over a catalogue of 32,767 products. Enter, for the product in the last row: the
// real cash register window from the key press to the line recorded, beside the same look-up
// and the same five writes made with plain SQLite calls on a second connection to the same file,
// finding the product through an index on its code and writing in one transaction. End, on a
// sale of 20 lines, and a receipt written as a PDF file.
#include "bench_main.h"
#include "catalogue.h"

#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "register/cash_register_window.h"
#include "register/windows.h"
#include "store/record_source.h"
#include "support/scripted_services.h"
#include "ui/digits_only_edit.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QTextDocument>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Lines rung up before the stock, the day's counters and the open sale are put back, outside
// the timing: far below what the 16-bit counters and the stock of 1000 can take.
constexpr int kLinesPerReset = 200;



bool exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "%s: %s\n", sql, error ? error : "?");
    sqlite3_free(error);
    return false;
}

// How SQLite reads a query, one line per step of its plan.
std::string queryPlan(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* plan = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &plan, nullptr) != SQLITE_OK)
        return "(no plan)";
    while (sqlite3_step(plan) == SQLITE_ROW)
        out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3))) + "; ";
    sqlite3_finalize(plan);
    return out;
}

// The state every run starts from: the last product's stock full, the day's counters and the
// tallies at zero, no open sale and no sold lines; a tally row and the index on the product code.
void resetStore(sqlite3* db)
{
    exec(db,
        "BEGIN;"
        "UPDATE tblProductQuantity SET QuantityOnHand = 1000, QuantitySold = 0 WHERE rowid = (SELECT max(rowid) FROM tblProductQuantity);"
        "UPDATE tblDailySale SET totalItems = 0;"
        "UPDATE tblCathegory SET NumberOfDays = 0, Meat = 0, Bakery = 0, Frozen = 0, Vegetable = 0, Beverage = 0, Fruits = 0, Dairy = 0,"
        " Grain = 0, Grocery = 0, Miscelaneous = 0, Health = 0, Cleaning = 0;"
        "DELETE FROM tblReceipt;"
        "DELETE FROM daillySale;"
        "COMMIT;");
}

void prepareStore()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Catalogue& c = catalogue();
    sqlite3* db = openPlain(c.path);
    const std::string recordSourceRead = "SELECT rowid, \"Code\", \"ProductName\", \"ProductPrice\", \"VPrice\", \"ProdCathegory\" FROM \"tblProductPrice\" ORDER BY rowid";
    const std::string before = queryPlan(db, recordSourceRead);
    exec(db, "CREATE INDEX IF NOT EXISTS ProductPriceByCode ON tblProductPrice(Code);");
    exec(db, "INSERT INTO tblCathegory (NumberOfDays) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM tblCathegory);");
    const std::string after = queryPlan(db, recordSourceRead);
    // The index serves the plain look-up only: the record sources still read the table in order.
    std::fprintf(stderr, "record-source read of tblProductPrice: before the index: %s after: %s\n", before.c_str(), after.c_str());
    std::fprintf(stderr, "plain look-up: %s\n", queryPlan(db, "SELECT rowid FROM tblProductPrice WHERE Code = 'P32766'").c_str());
    resetStore(db);
    sqlite3_close(db);
}

// An application context over the catalogue's store, with the dialog double.
struct Till {
    QTemporaryDir root;
    platform::Platform platform{platform::Drives(root.path())};
    testing::ScriptedServices ui;
    app::FixedClock clock{QDate(2026, 12, 10), QTime(14, 5, 9)};
    app::AppInfo info;
    app::WindowManager windows;
    app::Context context{*catalogue().store, ui, platform, windows, clock, info, QLocale(QLocale::English, QLocale::UnitedStates)};

    Till()
    {
        ui.setFailOnUnexpected(false);
        windows.setContext(context);
        cashregister::registerWindows(windows);
    }

    cashregister::CashRegisterWindow* open()
    {
        auto* window = static_cast<cashregister::CashRegisterWindow*>(windows.show(QString::fromLatin1(cashregister::CashRegisterWindow::kName)));
        window->CashierTime->stop();
        window->txtQuantity->setText(QStringLiteral("1"));
        return window;
    }

    void close()
    {
        windows.unload(QString::fromLatin1(cashregister::CashRegisterWindow::kName));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

void Register_EnterLastProduct(benchmark::State& state)
{
    prepareStore();
    Till till;
    sqlite3* db = openPlain(catalogue().path);
    cashregister::CashRegisterWindow* window = till.open();
    const QString code = Catalogue::lastCode();
    int lines = 0;
    for (auto _ : state) {
        if (lines == kLinesPerReset) {
            state.PauseTiming();
            till.close();
            resetStore(db);
            window = till.open();
            lines = 0;
            state.ResumeTiming();
        }
        window->txtProductCode->setText(code);
        QTest::keyClick(window->txtProductCode, Qt::Key_Return);
        ++lines;
        if (!till.ui.boxes().empty()) {
            state.SkipWithError(qPrintable(QStringLiteral("the till showed \"%1\"").arg(till.ui.boxes().back().text)));
            break;
        }
    }
    till.close();
    resetStore(db);
    sqlite3_close(db);
}

// Opening the till over the whole catalogue: its record sources read, its two reference lists
// filled, its layout made; and unloading it again.
void Register_OpenAndUnload(benchmark::State& state)
{
    prepareStore();
    Till till;
    for (auto _ : state) {
        till.open();
        till.close();
    }
}

// A printer that takes the document and does nothing with it: what is measured is the till's
// own work.
class AcceptingPrinter final : public platform::Printer {
public:
    platform::PrintOutcome print(const QTextDocument& document, const QString&) override
    {
        benchmark::DoNotOptimize(document.characterCount());
        return {platform::PrintOutcome::Where::Printer, QStringLiteral("none")};
    }
};

constexpr int kLinesPerSale = 20;
constexpr int kSalesPerReset = 40; // 800 units of the 1000 in stock

// End on a sale of 20 lines over the whole catalogue: the tax, the figures written, the amount
// tendered, the day's takings, the receipt filled from its layout and laid out as a document, and
// tblReceipt emptied. The lines are rung up outside the timing.
void Register_CompleteSaleOf20Lines(benchmark::State& state)
{
    prepareStore();
    Till till;
    till.platform.setPrinter(std::make_unique<AcceptingPrinter>());
    sqlite3* db = openPlain(catalogue().path);
    exec(db, "UPDATE tblTax SET Tax = 0.06");
    cashregister::CashRegisterWindow* window = till.open();
    const QString code = Catalogue::lastCode();
    int sales = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (sales == kSalesPerReset) {
            till.close();
            resetStore(db);
            window = till.open();
            sales = 0;
        }
        window->txtProductCode->setText(code);
        for (int line = 0; line < kLinesPerSale; ++line)
            QTest::keyClick(window->txtProductCode, Qt::Key_Return);
        till.ui.answerInput(QStringLiteral("9999999"));
        state.ResumeTiming();

        QTest::keyClick(window->txtProductCode, Qt::Key_End);
        ++sales;
        if (!till.ui.boxes().empty() && till.ui.boxes().back().kind == testing::ShownBox::Kind::Message) {
            state.SkipWithError(qPrintable(QStringLiteral("the till showed \"%1\"").arg(till.ui.boxes().back().text)));
            break;
        }
    }
    till.close();
    exec(db, "UPDATE tblTax SET Tax = 0");
    resetStore(db);
    sqlite3_close(db);
}

// A computer with no printer set up.
class NoPrinterSetUp final : public platform::PrintService {
public:
    QString defaultPrinter() override { return {}; }
    platform::PrinterState state(const QString&) override { return {}; }
    platform::JobAnswer submit(const QString&, const QString&, const QString&) override { return {}; }
    void cancel(const QString&, int) override {}
};

// A receipt of 20 lines written as a PDF file, as when no printer is set up: how long the cashier
// waits for it, the print service's thread included.
void Receipt_WriteAsPdf(benchmark::State& state)
{
    QTemporaryDir folder;
    platform::SystemPrinter printer(folder.path(), std::make_shared<NoPrinterSetUp>());
    QString html = QStringLiteral("<table width=\"100%\">");
    for (int line = 0; line < kLinesPerSale; ++line)
        html += QStringLiteral("<tr><td>P%1</td><td>Product %1</td><td align=\"right\">1</td><td align=\"right\">$9.99</td></tr>").arg(line);
    html += QStringLiteral("</table><p>Total $199.80</p>");
    QTextDocument receipt;
    receipt.setHtml(html);
    for (auto _ : state)
        benchmark::DoNotOptimize(printer.print(receipt, QStringLiteral("Receipt")));
    state.counters["files"] = double(QDir(folder.path()).entryList(QDir::Files).size());
}

void PlainSqlite_EnterLastProduct(benchmark::State& state)
{
    prepareStore();
    sqlite3* db = openPlain(catalogue().path);
    const char* const sql[] = {
        "SELECT rowid, Code, ProductName, ProductPrice, ProdCathegory FROM tblProductPrice WHERE Code = ?1",
        "SELECT QuantityOnHand, QuantitySold FROM tblProductQuantity WHERE rowid = ?1",
        "INSERT INTO tblReceipt (Code, ProdName, pQty, ProdPrice) VALUES (?1, ?2, ?3, ?4)",
        "UPDATE tblProductQuantity SET QuantityOnHand = ?1, QuantitySold = ?2 WHERE rowid = ?3",
        "UPDATE tblDailySale SET totalItems = totalItems + ?1 WHERE rowid = (SELECT min(rowid) FROM tblDailySale)",
        "INSERT INTO daillySale (Codigo, Nome_Produto, Quantidade, Preco) VALUES (?1, ?2, ?3, ?4)",
    };
    sqlite3_stmt* find = nullptr;
    sqlite3_stmt* stock = nullptr;
    sqlite3_stmt* receipt = nullptr;
    sqlite3_stmt* takeStock = nullptr;
    sqlite3_stmt* dayCount = nullptr;
    sqlite3_stmt* soldLine = nullptr;
    sqlite3_stmt** statements[] = {&find, &stock, &receipt, &takeStock, &dayCount, &soldLine};
    for (int i = 0; i < 6; ++i) {
        if (sqlite3_prepare_v2(db, sql[i], -1, statements[i], nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            return;
        }
    }
    // The tally column depends on the product's category: one statement per category met.
    std::map<std::string, sqlite3_stmt*> tallies;
    const QByteArray code = Catalogue::lastCode().toUtf8();
    const int quantity = 1;
    int lines = 0;
    for (auto _ : state) {
        if (lines == kLinesPerReset) {
            state.PauseTiming();
            resetStore(db);
            lines = 0;
            state.ResumeTiming();
        }
        exec(db, "BEGIN");
        sqlite3_bind_text(find, 1, code.constData(), int(code.size()), SQLITE_STATIC);
        if (sqlite3_step(find) != SQLITE_ROW) {
            state.SkipWithError("the product was not found");
            break;
        }
        const sqlite3_int64 row = sqlite3_column_int64(find, 0);
        const std::string name(reinterpret_cast<const char*>(sqlite3_column_text(find, 2)));
        const sqlite3_int64 price = sqlite3_column_int64(find, 3);
        const std::string category(reinterpret_cast<const char*>(sqlite3_column_text(find, 4)));
        sqlite3_reset(find);

        sqlite3_bind_int64(stock, 1, row);
        sqlite3_step(stock);
        const int onHand = sqlite3_column_int(stock, 0);
        const int sold = sqlite3_column_int(stock, 1);
        sqlite3_reset(stock);
        if (quantity > onHand) {
            state.SkipWithError("out of stock");
            break;
        }

        sqlite3_bind_text(receipt, 1, code.constData(), int(code.size()), SQLITE_STATIC);
        sqlite3_bind_text(receipt, 2, name.c_str(), int(name.size()), SQLITE_STATIC);
        sqlite3_bind_int(receipt, 3, quantity);
        sqlite3_bind_int64(receipt, 4, price * quantity);
        sqlite3_step(receipt);
        sqlite3_reset(receipt);

        sqlite3_bind_int(takeStock, 1, onHand - quantity);
        sqlite3_bind_int(takeStock, 2, sold + quantity);
        sqlite3_bind_int64(takeStock, 3, row);
        sqlite3_step(takeStock);
        sqlite3_reset(takeStock);

        sqlite3_bind_int(dayCount, 1, quantity);
        sqlite3_step(dayCount);
        sqlite3_reset(dayCount);

        sqlite3_bind_text(soldLine, 1, code.constData(), int(code.size()), SQLITE_STATIC);
        sqlite3_bind_text(soldLine, 2, name.c_str(), int(name.size()), SQLITE_STATIC);
        sqlite3_bind_int(soldLine, 3, quantity);
        sqlite3_bind_int64(soldLine, 4, price * quantity);
        sqlite3_step(soldLine);
        sqlite3_reset(soldLine);

        sqlite3_stmt*& tally = tallies[category];
        if (!tally) {
            const std::string update = "UPDATE tblCathegory SET \"" + category + "\" = \"" + category
                + "\" + ?1 WHERE rowid = (SELECT min(rowid) FROM tblCathegory)";
            sqlite3_prepare_v2(db, update.c_str(), -1, &tally, nullptr);
        }
        sqlite3_bind_int(tally, 1, quantity);
        sqlite3_step(tally);
        sqlite3_reset(tally);

        if (!exec(db, "COMMIT")) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        ++lines;
    }
    for (sqlite3_stmt** statement : statements)
        sqlite3_finalize(*statement);
    for (auto& [category, tally] : tallies)
        sqlite3_finalize(tally);
    resetStore(db);
    sqlite3_close(db);
}

} // namespace

BENCHMARK(Register_EnterLastProduct)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainSqlite_EnterLastProduct)->Unit(benchmark::kMillisecond);
BENCHMARK(Register_OpenAndUnload)->Unit(benchmark::kMillisecond);
BENCHMARK(Register_CompleteSaleOf20Lines)->Unit(benchmark::kMillisecond);
BENCHMARK(Receipt_WriteAsPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // The window needs a display; without one it is drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
