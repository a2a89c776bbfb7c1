#include "store/query_source.h"

#include "store/error.h"
#include "store/schema.h"
#include "store/statement.h"
#include "store/store.h"

#include <sqlite3.h>

namespace store {
namespace {

// The field type a query column carries: the type of the table field it comes from, else what
// its declared type says.
std::optional<Type> columnType(const Statement& statement, int column)
{
    if (const TableDef* table = schema::table(statement.columnOriginTable(column))) {
        const int index = table->fieldIndex(statement.columnOriginName(column));
        if (index >= 0)
            return table->fields[std::size_t(index)].type;
    }
    const QString decl = statement.columnDeclType(column).toUpper();
    if (decl == u"CURRENCY")
        return Type::Currency;
    if (decl == u"SMALLINT")
        return Type::Whole;
    if (decl == u"DATE")
        return Type::Date;
    return std::nullopt;
}

Value readValue(const Statement& statement, int column, std::optional<Type> type)
{
    switch (statement.columnType(column)) {
    case SQLITE_NULL:
        return Value();
    case SQLITE_INTEGER:
        return storedInteger(statement.columnInt(column), type);
    case SQLITE_FLOAT:
        return storedReal(statement.columnDouble(column), type);
    default:
        return storedText(statement.columnText(column), type);
    }
}

} // namespace

QuerySource::QuerySource(Store& store, const QString& name, const QString& source, QObject* parent)
    : QObject(parent), m_store(store), m_name(name)
{
    setObjectName(name);
    const QString trimmed = source.trimmed();
    if (trimmed.startsWith(u"SELECT", Qt::CaseInsensitive) || trimmed.startsWith(u"WITH", Qt::CaseInsensitive))
        m_sql = source; // kept as given, blanks and all
    else
        m_sql = tableSql(trimmed);
    refresh();
}

// A table's rows in their order: exactly the table's fields (never the store's row key), or
// every column of a table the store does not know.
QString QuerySource::tableSql(const QString& table)
{
    const auto quoted = [](QStringView identifier) { return u'"' + identifier.toString().replace(u'"', QStringLiteral("\"\"")) + u'"'; };
    const TableDef* def = schema::table(table);
    if (!def)
        return QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoted(table));
    QStringList fields;
    for (const FieldDef& field : def->fields)
        fields << quoted(field.name);
    return QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(fields.join(QStringLiteral(", ")), quoted(def->name), quoted(schema::kRowKey));
}

void QuerySource::refresh()
{
    Statement query = m_store.prepare(m_sql);
    // A query source only reads: a statement that would write (WITH ... DELETE, for one) is
    // refused before it runs.
    if (!sqlite3_stmt_readonly(query.handle()))
        throw Error(ErrorKind::IO, QStringLiteral("%1 only reads the store, and its query would change it: %2").arg(m_name, m_sql));
    const int columns = query.columnCount();
    m_fieldNames.clear();
    std::vector<std::optional<Type>> types;
    for (int c = 0; c < columns; ++c) {
        m_fieldNames << query.columnName(c);
        types.push_back(columnType(query, c));
    }
    m_rows.clear();
    while (query.step()) {
        std::vector<Value> row;
        row.reserve(std::size_t(columns));
        for (int c = 0; c < columns; ++c)
            row.push_back(readValue(query, c, types[std::size_t(c)]));
        m_rows.push_back(std::move(row));
    }
    m_cursor = 0;
    Q_EMIT rowsReloaded();
    Q_EMIT currentChanged();
}

void QuerySource::moveFirst()
{
    m_cursor = 0;
    Q_EMIT currentChanged();
}

void QuerySource::moveNext()
{
    if (atEnd())
        throw Error(ErrorKind::NoCurrentRow, QStringLiteral("No current record: %1 is at its end").arg(m_name));
    ++m_cursor;
    Q_EMIT currentChanged();
}

int QuerySource::fieldIndex(QStringView fieldName) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (fieldName.compare(m_fieldNames.at(i), Qt::CaseInsensitive) == 0)
            return i;
    }
    throw Error(ErrorKind::NoSuchField, QStringLiteral("Item not found in this collection: %1 has no field %2").arg(m_name, fieldName.toString()));
}

Value QuerySource::field(QStringView fieldName) const
{
    const int index = fieldIndex(fieldName);
    if (atEnd())
        throw Error(ErrorKind::NoCurrentRow, QStringLiteral("No current record: %1 has no current row").arg(m_name));
    return m_rows[std::size_t(m_cursor)][std::size_t(index)];
}

} // namespace store
