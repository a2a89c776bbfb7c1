#pragma once

#include "store/value.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace store {

class Store;

// Read-only rows of one SQL query (or of a whole table, given by its name), for grids and charts,
// in the query's order. Refresh runs the query again.
class QuerySource : public QObject {
    Q_OBJECT
public:
    // `source` is an SQL text that reads (SELECT or WITH ... SELECT), or a table name, read as
    // every field of it in the table's order. A text that would write is refused with Error(IO).
    QuerySource(Store& store, const QString& name, const QString& source, QObject* parent = nullptr);

    const QString& name() const { return m_name; }
    const QString& sql() const { return m_sql; }

    void refresh();
    int recordCount() const { return int(m_rows.size()); }
    bool atEnd() const { return m_cursor >= recordCount(); }
    void moveFirst();
    void moveNext();

    const QStringList& fieldNames() const { return m_fieldNames; }
    int fieldIndex(QStringView fieldName) const; // throws Error(NoSuchField)
    Value field(QStringView fieldName) const;    // throws Error(NoCurrentRow) / Error(NoSuchField)
    // Any row by position, for grids.
    const Value& value(int row, int column) const { return m_rows[std::size_t(row)][std::size_t(column)]; }

Q_SIGNALS:
    void rowsReloaded();
    void currentChanged();

private:
    static QString tableSql(const QString& table);

    Store& m_store;
    QString m_name;
    QString m_sql;
    QStringList m_fieldNames;
    std::vector<std::vector<Value>> m_rows;
    int m_cursor = 0;
};

} // namespace store
