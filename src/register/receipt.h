#pragma once

#include "store/value.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace store {
class RecordSource;
class Store;
namespace journal {
struct Entry;
}
}

namespace cashregister {

// The receipt. Its layout is kept in the store, in the row named rptReceipt of the table of
// reports, so that a store can carry its own receipt; a new store starts with ours.
//
// A layout is HTML (as far as Qt's rich text goes) in which:
// - {{Field}} stands for a field of the sale's first row, where a completed sale keeps its
//   figures: Subtotal, Tax, Total, AmountTendered, Change and Cashier;
// - {{#lines}} ... {{/lines}} is repeated for every row of the sale, in order, and inside it
//   {{Field}} reads that row: Code, ProdName, pQty and ProdPrice;
// - {{SaleNumber}} is the sale's number in the sales journal;
// - {{Date}} and {{Time}} are the date and time the sale was completed, in the staff's medium
//   date and long time formats.
// Field names may be written in any letter case. Amounts are shown in the staff's currency format,
// text exactly as stored (never read as markup), and a field without a value as nothing.
//
// Every receipt carries its sale's number: a layout that does not show {{SaleNumber}} gets a line
// "Sale No. n" at its top. A receipt printed again from the journal is the same receipt with a
// line at its very top that marks it as a copy, with the time it was printed again.

// A layout that cannot be printed: none in the store, or one that names what is not there.
class ReceiptLayoutError : public std::runtime_error {
public:
    explicit ReceiptLayoutError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// The sale a receipt is made from, read from the open sale (tblReceipt) or from the journal.
struct ReceiptSale {
    // The sale's number in the journal; 0 while it has none.
    std::int64_t number = 0;
    // When the sale was completed.
    QDateTime at;
    // Set when the receipt is printed again: the moment of the reprint.
    QDateTime reprintedAt;
    // The sale's rows as tblReceipt holds them, each with every field of tblReceipt in the table's
    // order: one per line of the sale, the first with the sale's figures.
    std::vector<std::vector<store::Value>> rows;

    bool isCopy() const { return reprintedAt.isValid(); }
};

// The sale in tblReceipt now, completed at `at`, without a number.
ReceiptSale saleInReceiptTable(store::Store& store, const QDateTime& at);
// A sale of the journal, as tblReceipt held it when it was completed.
ReceiptSale saleInJournal(const store::journal::Entry& entry);
// The journal's entry of `sale` (as tblReceipt holds it), of the business day `businessDate`: its
// figures from its first row, its lines each with its product's category as the catalogue
// (`prices`, on tblProductPrice) has it now, found by its code as item entry finds it, empty when
// there is no such product. Throws store::Error when a value cannot be read.
store::journal::Entry journalEntry(const ReceiptSale& sale, store::RecordSource& prices, const QDate& businessDate);

// The receipt of `sale`, as HTML, from the layout the store holds. Throws ReceiptLayoutError, or
// store::Error when the store cannot be read.
QString renderReceipt(store::Store& store, const ReceiptSale& sale, const QLocale& locale);

// The receipt as it is printed: from the store's layout, or, when that cannot be used (none,
// blank, or naming what is not there), from the program's own, so that the customer still gets a
// receipt. `problem` then says what is wrong with the store's layout. Throws store::Error when
// the store cannot be read.
struct PrintableReceipt {
    QString html;
    QString problem;
    // The name of the print job, and of the PDF file when the receipt is kept as one.
    QString name;
};
PrintableReceipt printableReceipt(store::Store& store, const ReceiptSale& sale, const QLocale& locale);

// Fills a layout with `sale` (see above), without the lines added at the top.
QString fillReceiptLayout(const QString& layout, const ReceiptSale& sale, const QLocale& locale);
// Fills a layout from the rows tblReceipt holds now.
QString fillReceiptLayout(store::Store& store, const QString& layout, const QDateTime& printedAt, const QLocale& locale);

} // namespace cashregister
