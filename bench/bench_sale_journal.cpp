// Completing a sale of 20 lines over a catalogue of 32,767 products, with the sales journal and
// without it, in the same run. Both make the till's booking step by step as End makes it, through
// the same record sources and the same functions: the tender written into the sale's first line,
// the day's takings, the sale read from its lines, the open sale emptied, the receipt filled from
// its layout, one commit, and the receipt laid out as a document and handed to a printer. With the
// journal, the sale's entry (each line's category looked up in the catalogue) is written inside
// the same unit before it commits. The lines are rung up outside the timing.
#include "bench_main.h"
#include "catalogue.h"

#include "platform/printer.h"
#include "register/receipt.h"
#include "store/convert.h"
#include "store/journal.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextDocument>

#include <chrono>
#include <cstdint>
#include <exception>
#include <stdexcept>

namespace {

constexpr int kLinesPerSale = 20;

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

// The till's record sources on the catalogue's store, made once as the window makes them.
struct Booking {
    store::Store& store = *catalogue().store;
    store::RecordSource receipt{store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt")};
    store::RecordSource day{store, QStringLiteral("DatatblDailySale"), QStringLiteral("tblDailySale")};
    store::RecordSource prices{store, QStringLiteral("DatatblPPrice"), QStringLiteral("tblProductPrice")};
    AcceptingPrinter printer;
    QLocale locale{QLocale::English, QLocale::UnitedStates};
    const QDateTime at{QDate(2026, 12, 10), QTime(14, 5, 9)};
    const store::Currency price = store::Currency::fromUnits(12500 + Catalogue::kProducts - 1);

    // The open sale as End finds it once the amount is tendered: 20 lines of the last product,
    // the first holding the cashier, the subtotal, the tax and the total.
    void ringUp()
    {
        store::UnitOfWork unit(store);
        const store::Currency subtotal = store::Currency::fromUnits(price.units() * kLinesPerSale);
        for (int line = 0; line < kLinesPerSale; ++line) {
            receipt.addNew();
            receipt.setField(u"Code", Catalogue::lastCode());
            receipt.setField(u"ProdName", QStringLiteral("Product number %1").arg(Catalogue::kProducts - 1));
            receipt.setField(u"pQty", 1);
            receipt.setField(u"ProdPrice", price);
            if (line == 0) {
                receipt.setField(u"Cashier", QStringLiteral("Maria Silva"));
                receipt.setField(u"Subtotal", subtotal);
                receipt.setField(u"Tax", store::Currency());
                receipt.setField(u"Total", subtotal);
            }
            receipt.update();
        }
        unit.commit();
        receipt.refresh();
    }

    // Books the sale and prints its receipt; the journal's number, or 0 without the journal.
    std::int64_t complete(bool withJournal)
    {
        namespace convert = store::convert;
        std::int64_t number = 0;
        cashregister::PrintableReceipt printable;
        {
            store::UnitOfWork money(store);
            receipt.moveFirst();
            const store::Currency total = receipt.field(u"Total").toCurrency();
            receipt.edit();
            receipt.setField(u"Change", store::Currency());
            receipt.setField(u"AmountTendered", total);
            receipt.update();
            day.edit();
            day.setField(u"DailySale", convert::add(day.field(u"DailySale").toCurrency(), total));
            day.update();
            cashregister::ReceiptSale sale = cashregister::saleInReceiptTable(store, at);
            receipt.refresh();
            receipt.moveFirst();
            while (!receipt.atEnd()) {
                receipt.remove();
                receipt.moveNext();
            }
            if (withJournal) {
                const store::Value date = day.field(u"tDate");
                sale.number = store::journal::record(store, cashregister::journalEntry(sale, prices, date.isNull() ? at.date() : date.toDate()));
                number = sale.number;
            }
            printable = cashregister::printableReceipt(store, sale, locale);
            money.commit();
        }
        receipt.refresh();
        QTextDocument document;
        document.setHtml(printable.html);
        printer.print(document, printable.name);
        return number;
    }
};

void completeSale(benchmark::State& state, bool withJournal)
{
    Booking till;
    std::int64_t lastNumber = store::journal::last(till.store).value_or(store::journal::Entry{}).number;
    for (auto _ : state) {
        state.PauseTiming();
        try {
            till.ringUp();
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        state.ResumeTiming();

        std::int64_t number = 0;
        try {
            number = till.complete(withJournal);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        if (till.receipt.recordCount() != 0) {
            state.SkipWithError("the open sale was not emptied");
            break;
        }
        if (withJournal && number <= lastNumber) {
            state.SkipWithError("the sale did not take a new number in the journal");
            break;
        }
        lastNumber = number > 0 ? number : lastNumber;
    }
}

// The booking as it was before the journal: the baseline.
void Sale_CompleteOf20Lines_WithoutJournal(benchmark::State& state)
{
    completeSale(state, false);
}

// The booking as the till makes it now.
void Sale_CompleteOf20Lines_WithJournal(benchmark::State& state)
{
    completeSale(state, true);
}

// The two in turn, sale after sale, on the same store at the same moment, so that the machine's
// load and the store's growth weigh on both alike: the time reported is the sale with the
// journal; the counters give the mean of each and their ratio (the goal: at most 1.2).
void Sale_CompleteOf20Lines_InTurn(benchmark::State& state)
{
    Booking till;
    std::int64_t lastNumber = store::journal::last(till.store).value_or(store::journal::Entry{}).number;
    std::chrono::duration<double, std::milli> without{0};
    std::chrono::duration<double, std::milli> with{0};
    std::int64_t sales = 0;
    for (auto _ : state) {
        std::chrono::duration<double, std::milli> timed[2]{};
        try {
            // Which goes first changes from one sale to the next.
            for (int turn = 0; turn < 2; ++turn) {
                const bool withJournal = (turn + sales) % 2 == 1;
                till.ringUp();
                const auto start = std::chrono::steady_clock::now();
                const std::int64_t number = till.complete(withJournal);
                timed[withJournal ? 1 : 0] = std::chrono::steady_clock::now() - start;
                if (till.receipt.recordCount() != 0)
                    throw std::runtime_error("the open sale was not emptied");
                if (withJournal && number <= lastNumber)
                    throw std::runtime_error("the sale did not take a new number in the journal");
                lastNumber = withJournal ? number : lastNumber;
            }
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        state.SetIterationTime(timed[1].count() / 1000.0);
        without += timed[0];
        with += timed[1];
        ++sales;
    }
    if (sales > 0) {
        state.counters["without_ms"] = without.count() / double(sales);
        state.counters["with_ms"] = with.count() / double(sales);
        state.counters["ratio"] = with.count() / without.count();
    }
}

} // namespace

BENCHMARK(Sale_CompleteOf20Lines_WithoutJournal)->Unit(benchmark::kMillisecond);
BENCHMARK(Sale_CompleteOf20Lines_WithJournal)->Unit(benchmark::kMillisecond);
BENCHMARK(Sale_CompleteOf20Lines_InTurn)->Unit(benchmark::kMillisecond)->UseManualTime();

int main(int argc, char** argv)
{
    // The receipt is laid out as a document; without a display it is drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
