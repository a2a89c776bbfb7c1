#pragma once

#include <functional>

class QString;

namespace store {
class RecordSource;
class Value;
}

namespace catalogue {

// True when the field holds exactly this text: letter case and blanks count and nothing is
// trimmed. A field with no value holds no text, not even the empty one.
bool holds(const store::Value& field, const QString& text);

// Walks a record source from its first row to the first row that `matches`, or to its last row
// when none does; the caller tells a find from a miss by testing the row it stands on once more.
// Rows are counted in a 16-bit whole number: a table of more than 32,767 rows makes the scan
// throw store::Error(Conversion), and so does moving past the end of `beside`.
void scan(store::RecordSource& source, const std::function<bool()>& matches);

// The same walk over a product's two tables in step: the stock row beside each price row is the
// one at the same position, so both sources end on the rows of one product.
void pairedScan(store::RecordSource& prices, store::RecordSource& stock, const std::function<bool()>& matches);

} // namespace catalogue
