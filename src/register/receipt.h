#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <stdexcept>

namespace store {
class Store;
}

namespace cashregister {

// The receipt. Its layout is kept in the store, in the row named rptReceipt of the table of
// reports, so that a store can carry its own receipt; a new store starts with ours.
//
// A layout is HTML (as far as Qt's rich text goes) in which:
// - {{Field}} stands for a field of the first row of tblReceipt, where a completed sale keeps its
//   figures: Subtotal, Tax, Total, AmountTendered, Change and Cashier;
// - {{#lines}} ... {{/lines}} is repeated for every row of tblReceipt, in order, and inside it
//   {{Field}} reads that row: Code, ProdName, pQty and ProdPrice;
// - {{Date}} and {{Time}} are the date and time of printing, in the staff's medium date and long
//   time formats.
// Field names may be written in any letter case. Amounts are shown in the staff's currency format,
// text exactly as stored (never read as markup), and a field without a value as nothing.

// A layout that cannot be printed: none in the store, or one that names what is not there.
class ReceiptLayoutError : public std::runtime_error {
public:
    explicit ReceiptLayoutError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// The receipt of the sale in tblReceipt, as HTML, from the layout the store holds and the rows
// tblReceipt holds now. Throws ReceiptLayoutError, or store::Error when the store cannot be read.
QString renderReceipt(store::Store& store, const QDateTime& printedAt, const QLocale& locale);

// The receipt as it is printed: from the store's layout, or, when that cannot be used (none,
// blank, or naming what is not there), from the program's own, so that the customer still gets a
// receipt. `problem` then says what is wrong with the store's layout. Throws store::Error when
// the store cannot be read.
struct PrintableReceipt {
    QString html;
    QString problem;
};
PrintableReceipt printableReceipt(store::Store& store, const QDateTime& printedAt, const QLocale& locale);

// Fills a layout from the rows tblReceipt holds now (see above).
QString fillReceiptLayout(store::Store& store, const QString& layout, const QDateTime& printedAt, const QLocale& locale);

} // namespace cashregister
