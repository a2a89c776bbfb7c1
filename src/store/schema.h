#pragma once

#include "store/value.h"

#include <QString>
#include <QStringView>

#include <span>

namespace store {

struct FieldDef {
    const char16_t* name;
    Type type;
};

struct TableDef {
    const char16_t* name;
    std::span<const FieldDef> fields;
    // The version of the store's layout that brought the table in (older stores are upgraded).
    int since = 1;

    QString qName() const { return QString::fromUtf16(name); }
    // The index of a field, found without regard to letter case; -1 when there is none.
    int fieldIndex(QStringView fieldName) const;
};

// The store's tables, declared once: every table, every field with its type; the eleven tables the
// screens keep, then the reports the store carries with them (the layout of the receipt). New rows hold 0 in
// whole-number, number and currency fields, false in true/false fields, and null in text and
// date fields.
namespace schema {

std::span<const TableDef> tables();
// The table of that name (exact spelling, as stored); nullptr when there is none.
const TableDef* table(QStringView name);

// The twelve category words in the order the product screens offer them; each names a
// whole-number column of tblCathegory.
std::span<const char16_t* const> categoryWords();
// January .. December: the money columns of YearSales and LastYearSales.
std::span<const char16_t* const> monthNames();

// The value a new row holds in a field of this type.
Value defaultValue(Type type);

// Identifies a store file: SQLite's application id in the file header ("POS1").
inline constexpr std::int32_t kApplicationId = 0x504F5331;
// 1: the eleven tables; 2: the table of reports, holding the receipt's layout; 3: every row
// carries a key of the store's own; 4: the sales journal (journal.h) and the day's report.
inline constexpr int kSchemaVersion = 4;

// The column, first in every table, holding each row's key: an INTEGER PRIMARY KEY
// AUTOINCREMENT, so a key is never handed out twice and survives VACUUM. Rows keep the order of
// their keys, the order in which they were added. The key is the store's own business: it is not
// one of a table's fields, and no record source, query source or window shows it.
inline constexpr QStringView kRowKey = u"RowKey";

// The table of reports: one row per report, its name and its layout.
inline constexpr QStringView kReportsTable = u"Reports";
// The receipt printed at every completed sale.
inline constexpr QStringView kReceiptReport = u"rptReceipt";
// The receipt's layout a new store starts with (see the receipt's renderer for its form).
QString defaultReceiptLayout();
// The report printed when the day is closed, made from the sales journal.
inline constexpr QStringView kDayReport = u"rptDayReport";
// The day's report's layout a new store starts with (see the day report's renderer for its form).
QString defaultDayReportLayout();

} // namespace schema
} // namespace store
