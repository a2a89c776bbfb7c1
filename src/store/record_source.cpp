#include "store/record_source.h"

#include "store/error.h"
#include "store/statement.h"
#include "store/store.h"

#include <sqlite3.h>

#include <QStringList>

#include <algorithm>
#include <cstring>

namespace store {
namespace {

QString quoted(QStringView identifier)
{
    QString out = identifier.toString();
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

// Rows are found by the key the store gives each of them, which is never handed out twice: a
// row set read before another source deleted a row can never reach a row added after it.
QString keyColumn()
{
    return quoted(schema::kRowKey);
}

// QString::toUpper of a UTF-8 text; plain ASCII, by far the most common, in one pass.
QString upperOfUtf8(const char* text, qsizetype size)
{
    QString out(size, Qt::Uninitialized);
    QChar* to = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80)
            return QString::fromUtf8(text, size).toUpper();
        to[i] = QChar(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
    }
    return out;
}

const TableDef& tableOrThrow(const QString& table)
{
    const TableDef* def = schema::table(table);
    if (!def)
        throw Error(ErrorKind::IO, QStringLiteral("The store has no table %1").arg(table));
    return *def;
}

} // namespace

RecordSource::RecordSource(Store& store, const QString& name, const QString& table, QObject* parent)
    : QObject(parent), m_store(store), m_name(name), m_table(&tableOrThrow(table)), m_columns(m_table->fields.size())
{
    setObjectName(name);
    QStringList columns;
    for (const FieldDef& field : m_table->fields)
        columns << quoted(field.name);
    m_selectSql = QStringLiteral("SELECT %1, %2 FROM %3").arg(keyColumn(), columns.join(QStringLiteral(", ")), quoted(m_table->name));
    readRows();
    setPosition(m_keys.empty() ? Position::AtEnd : Position::OnRow, 0);
    m_store.attach(this);
}

RecordSource::~RecordSource()
{
    m_store.forget(this);
}

Statement& RecordSource::cached(std::unique_ptr<Statement>& slot, const QString& sql)
{
    if (!slot)
        slot = std::make_unique<Statement>(m_store.prepare(sql));
    slot->reset();
    return *slot;
}

bool RecordSource::isCurrent() const
{
    return m_store.versions(m_table->qName()) == m_seen;
}

int RecordSource::findUpperCase(int index, const QString& upper) const
{
    if (index < 0 || std::size_t(index) >= m_columns)
        throw Error(ErrorKind::NoSuchField, QStringLiteral("%1 has no field number %2").arg(m_table->qName()).arg(index));
    if (m_upperIndex.size() != m_columns)
        m_upperIndex.resize(m_columns);
    std::unique_ptr<QHash<QString, int>>& slot = m_upperIndex[std::size_t(index)];
    if (!slot) {
        slot = std::make_unique<QHash<QString, int>>();
        slot->reserve(recordCount());
        const Type type = m_table->fields[std::size_t(index)].type;
        // From the last row to the first, so that the first row of equal texts is the one kept.
        for (int row = recordCount() - 1; row >= 0; --row) {
            const Cell& cell = m_cells[cellIndex(row, index)];
            if (cell.kind == Cell::Null)
                continue;
            // A text field's stored text is its text: read it straight from the row set.
            QString key = (type == Type::Text && cell.kind == Cell::Text)
                ? upperOfUtf8(m_arena.data() + cell.text.offset, qsizetype(cell.text.size))
                : cellValue(cell, type).toText().toUpper();
            slot->insert(std::move(key), row);
        }
    }
    const auto found = slot->constFind(upper);
    return found == slot->cend() ? -1 : *found;
}

void RecordSource::moveTo(int row)
{
    dropEdit();
    if (row >= 0 && row < recordCount())
        setPosition(Position::OnRow, row);
    else
        setPosition(Position::AtEnd, recordCount());
    Q_EMIT currentChanged();
}

void RecordSource::readRows()
{
    dropIndexes();
    // Taken before the read: a commit by another program while reading is read again next time.
    const Store::Versions versions = m_store.versions(m_table->qName());
    // A read that fails part-way leaves a row set that is read again at the next refresh.
    m_seen = Store::Versions{0, -1};
    Statement select = m_store.prepare(m_selectSql + QStringLiteral(" ORDER BY ") + keyColumn());
    m_keys.clear();
    m_cells.clear();
    m_arena.clear();
    while (select.step()) {
        m_keys.push_back(select.columnInt(0));
        for (std::size_t c = 0; c < m_columns; ++c)
            m_cells.push_back(readCell(select, int(c) + 1));
    }
    m_seen = versions;
}

RecordSource::Cell RecordSource::readCell(const Statement& select, int column)
{
    Cell cell;
    switch (select.columnType(column)) {
    case SQLITE_INTEGER:
        cell.kind = Cell::Int;
        cell.i = select.columnInt(column);
        break;
    case SQLITE_FLOAT:
        cell.kind = Cell::Real;
        cell.d = select.columnDouble(column);
        break;
    case SQLITE_NULL:
        cell.kind = Cell::Null;
        cell.i = 0;
        break;
    default: {
        int size = 0;
        const char* text = select.columnUtf8(column, &size);
        cell.kind = Cell::Text;
        cell.text = {std::uint32_t(m_arena.size()), std::uint32_t(size)};
        m_arena.append(text, std::size_t(size));
        break;
    }
    }
    return cell;
}

bool RecordSource::sameCell(const Cell& cell, const Statement& select, int column) const
{
    switch (select.columnType(column)) {
    case SQLITE_INTEGER:
        return cell.kind == Cell::Int && cell.i == select.columnInt(column);
    case SQLITE_FLOAT:
        return cell.kind == Cell::Real && cell.d == select.columnDouble(column);
    case SQLITE_NULL:
        return cell.kind == Cell::Null;
    default: {
        int size = 0;
        const char* text = select.columnUtf8(column, &size);
        return cell.kind == Cell::Text && cell.text.size == std::uint32_t(size)
            && std::memcmp(m_arena.data() + cell.text.offset, text, std::size_t(size)) == 0;
    }
    }
}

void RecordSource::failRowGone() const
{
    throw Error(ErrorKind::NoCurrentRow, QStringLiteral("Record is deleted: the current row of %1 is no longer in the store").arg(m_name));
}

// Runs one write of this source's table, the store told first (the unit of work, the table's
// version, the write hook). Answers the table's versions as they were before the write.
Store::Versions RecordSource::runWrite(Statement& write)
{
    m_store.noteTouched(this);
    const Store::Versions before = m_store.versions(m_table->qName());
    m_store.beforeWrite(m_table->qName());
    write.step();
    return before;
}

// After a write of our own: a row set that was current before it is current after it too. Only
// our own table version moves on; the file's stays as read before the write, so that a commit
// another program made meanwhile is read at the next refresh.
void RecordSource::keepCurrent(const Store::Versions& before)
{
    if (before == m_seen)
        m_seen = Store::Versions{m_store.tableVersion(m_table->qName()), before.file};
}

void RecordSource::setPosition(Position position, int index)
{
    m_position = position;
    m_index = index;
}

void RecordSource::dropEdit()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_bufferSet.clear();
}

void RecordSource::refresh()
{
    dropEdit();
    if (!isCurrent())
        readRows();
    setPosition(m_keys.empty() ? Position::AtEnd : Position::OnRow, 0);
    Q_EMIT rowsReloaded();
    Q_EMIT currentChanged();
}

void RecordSource::moveFirst()
{
    dropEdit();
    setPosition(m_keys.empty() ? Position::AtEnd : Position::OnRow, 0);
    Q_EMIT currentChanged();
}

void RecordSource::moveNext()
{
    if (m_position == Position::AtEnd)
        throw Error(ErrorKind::NoCurrentRow, QStringLiteral("No current record: %1 is at its end").arg(m_name));
    dropEdit();
    const int next = m_position == Position::OnRow ? m_index + 1 : m_index;
    if (next < recordCount())
        setPosition(Position::OnRow, next);
    else
        setPosition(Position::AtEnd, recordCount());
    Q_EMIT currentChanged();
}

void RecordSource::requireCurrentRow(const char* operation) const
{
    if (m_position != Position::OnRow)
        throw Error(ErrorKind::NoCurrentRow,
            QStringLiteral("No current record: %1 of %2 has no current row").arg(QLatin1String(operation), m_name));
}

int RecordSource::fieldIndex(QStringView fieldName) const
{
    const int index = m_table->fieldIndex(fieldName);
    if (index < 0)
        throw Error(ErrorKind::NoSuchField,
            QStringLiteral("Item not found in this collection: %1 has no field %2").arg(m_table->qName(), fieldName.toString()));
    return index;
}

Value RecordSource::field(QStringView fieldName) const
{
    return field(fieldIndex(fieldName));
}

Value RecordSource::field(int index) const
{
    if (index < 0 || std::size_t(index) >= m_columns)
        throw Error(ErrorKind::NoSuchField, QStringLiteral("%1 has no field number %2").arg(m_table->qName()).arg(index));
    if (m_editMode != EditMode::None)
        return m_buffer[std::size_t(index)];
    requireCurrentRow("reading a field");
    return cellValue(m_cells[cellIndex(m_index, index)], m_table->fields[std::size_t(index)].type);
}

Value RecordSource::valueAt(int row, int index) const
{
    if (row < 0 || row >= recordCount())
        throw Error(ErrorKind::NoCurrentRow, QStringLiteral("%1 has no row %2").arg(m_name).arg(row));
    if (index < 0 || std::size_t(index) >= m_columns)
        throw Error(ErrorKind::NoSuchField, QStringLiteral("%1 has no field number %2").arg(m_table->qName()).arg(index));
    return cellValue(m_cells[cellIndex(row, index)], m_table->fields[std::size_t(index)].type);
}

Value RecordSource::cellValue(const Cell& cell, Type type) const
{
    switch (cell.kind) {
    case Cell::Null:
        return Value();
    case Cell::Int:
        return storedInteger(cell.i, type);
    case Cell::Real:
        return storedReal(cell.d, type);
    case Cell::Text:
        return storedText(QString::fromUtf8(m_arena.data() + cell.text.offset, qsizetype(cell.text.size)), type);
    }
    return Value();
}

RecordSource::Cell RecordSource::cellFromValue(const Value& value)
{
    Cell cell;
    switch (value.kind()) {
    case Value::Kind::Null:
        cell.kind = Cell::Null;
        cell.i = 0;
        break;
    case Value::Kind::Whole:
        cell.kind = Cell::Int;
        cell.i = value.toWhole();
        break;
    case Value::Kind::Currency:
        cell.kind = Cell::Int;
        cell.i = value.toCurrency().units();
        break;
    case Value::Kind::Boolean:
        cell.kind = Cell::Int;
        cell.i = value.toBool() ? 1 : 0;
        break;
    case Value::Kind::Number:
        cell.kind = Cell::Real;
        cell.d = value.toNumber();
        break;
    case Value::Kind::Text:
    case Value::Kind::Date: {
        const QByteArray utf8 = value.toText().toUtf8();
        cell.kind = Cell::Text;
        cell.text = {std::uint32_t(m_arena.size()), std::uint32_t(utf8.size())};
        m_arena.append(utf8.constData(), std::size_t(utf8.size()));
        break;
    }
    }
    return cell;
}

void RecordSource::bindValue(Statement& statement, int index, const Value& value) const
{
    switch (value.kind()) {
    case Value::Kind::Null: statement.bindNull(index); break;
    case Value::Kind::Whole: statement.bindInt(index, value.toWhole()); break;
    case Value::Kind::Currency: statement.bindInt(index, value.toCurrency().units()); break;
    case Value::Kind::Boolean: statement.bindInt(index, value.toBool() ? 1 : 0); break;
    case Value::Kind::Number: statement.bindDouble(index, value.toNumber()); break;
    case Value::Kind::Text:
    case Value::Kind::Date: statement.bindText(index, value.toText()); break;
    }
}

void RecordSource::edit()
{
    requireCurrentRow("edit");
    // Start from the row as it is stored now, which another record source may have changed.
    Statement& select = cached(m_selectOne, m_selectSql + QStringLiteral(" WHERE ") + keyColumn() + QStringLiteral(" = ?"));
    select.bindInt(1, m_keys[std::size_t(m_index)]);
    if (!select.step())
        failRowGone();
    m_buffer.assign(m_columns, Value());
    m_bufferSet.assign(m_columns, false);
    for (std::size_t c = 0; c < m_columns; ++c) {
        Cell& kept = m_cells[cellIndex(m_index, int(c))];
        if (!sameCell(kept, select, int(c) + 1)) {
            // The row set takes the stored value, and a lookup built on the old one is dropped.
            kept = readCell(select, int(c) + 1);
            if (c < m_upperIndex.size())
                m_upperIndex[c].reset();
        }
        m_buffer[c] = cellValue(kept, m_table->fields[c].type);
    }
    // Done with the row: a statement left on it would hold a read transaction open.
    select.reset();
    m_editMode = EditMode::Editing;
}

void RecordSource::addNew()
{
    m_buffer.clear();
    for (const FieldDef& field : m_table->fields)
        m_buffer.push_back(schema::defaultValue(field.type));
    m_bufferSet.assign(m_columns, false);
    m_editMode = EditMode::Adding;
}

void RecordSource::setField(QStringView fieldName, const Value& value)
{
    const int index = fieldIndex(fieldName);
    if (m_editMode == EditMode::None)
        throw Error(ErrorKind::NoCurrentRow, QStringLiteral("Update or CancelUpdate without AddNew or Edit: setting %1 of %2").arg(fieldName.toString(), m_name));
    const Type type = m_table->fields[std::size_t(index)].type;
    Value converted;
    try {
        converted = value.convertedTo(type, m_store.locale());
    } catch (const Error& e) {
        throw Error(ErrorKind::Conversion,
            QStringLiteral("Data type conversion error: %1 of %2 (%3) cannot take \"%4\": %5")
                .arg(QString::fromUtf16(m_table->fields[std::size_t(index)].name), m_table->qName(), typeName(type), value.display(), e.message()));
    }
    m_buffer[std::size_t(index)] = converted;
    m_bufferSet[std::size_t(index)] = true;
}

void RecordSource::cancelUpdate()
{
    dropEdit();
}

void RecordSource::update()
{
    if (m_editMode == EditMode::None)
        throw Error(ErrorKind::NoCurrentRow, QStringLiteral("Update or CancelUpdate without AddNew or Edit: %1").arg(m_name));
    // A write that fails drops the row being written, so that nothing goes on reading values
    // the store never took.
    try {
        writeBuffer();
    } catch (...) {
        dropEdit();
        throw;
    }
    dropEdit();
    Q_EMIT currentChanged();
}

void RecordSource::writeBuffer()
{
    if (m_editMode == EditMode::Adding) {
        if (!m_insert) {
            QStringList columns;
            QStringList marks;
            for (const FieldDef& field : m_table->fields) {
                columns << quoted(field.name);
                marks << QStringLiteral("?");
            }
            m_insert = std::make_unique<Statement>(m_store.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(quoted(m_table->name), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))));
        }
        Statement& insert = *m_insert;
        insert.reset();
        for (std::size_t c = 0; c < m_columns; ++c)
            bindValue(insert, int(c) + 1, m_buffer[c]);
        const Store::Versions before = runWrite(insert);
        dropIndexes();
        // The key is the row id: SQLite hands it out.
        m_keys.push_back(sqlite3_last_insert_rowid(m_store.handle()));
        for (std::size_t c = 0; c < m_columns; ++c)
            m_cells.push_back(cellFromValue(m_buffer[c]));
        keepCurrent(before);
        return;
    }

    requireCurrentRow("update");
    if (std::find(m_bufferSet.begin(), m_bufferSet.end(), true) != m_bufferSet.end()) {
        std::unique_ptr<Statement>& slot = m_updates[m_bufferSet];
        if (!slot) {
            QStringList assignments;
            for (std::size_t c = 0; c < m_columns; ++c) {
                if (m_bufferSet[c])
                    assignments << quoted(m_table->fields[c].name) + QStringLiteral(" = ?");
            }
            slot = std::make_unique<Statement>(m_store.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                    .arg(quoted(m_table->name), assignments.join(QStringLiteral(", ")), keyColumn())));
        }
        Statement& write = *slot;
        write.reset();
        int bind = 1;
        for (std::size_t c = 0; c < m_columns; ++c) {
            if (m_bufferSet[c])
                bindValue(write, bind++, m_buffer[c]);
        }
        write.bindInt(bind, m_keys[std::size_t(m_index)]);
        const Store::Versions before = runWrite(write);
        if (sqlite3_changes(m_store.handle()) == 0)
            failRowGone();
        for (std::size_t c = 0; c < m_columns; ++c) {
            if (m_bufferSet[c]) {
                m_cells[cellIndex(m_index, int(c))] = cellFromValue(m_buffer[c]);
                if (c < m_upperIndex.size())
                    m_upperIndex[c].reset();
            }
        }
        keepCurrent(before);
    }
}

void RecordSource::remove()
{
    requireCurrentRow("delete");
    dropEdit();
    Statement& erase = cached(m_delete, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(m_table->name), keyColumn()));
    erase.bindInt(1, m_keys[std::size_t(m_index)]);
    const Store::Versions before = runWrite(erase);
    m_removedKey = m_keys[std::size_t(m_index)];
    if (sqlite3_changes(m_store.handle()) == 0)
        failRowGone();
    dropIndexes();
    m_keys.erase(m_keys.begin() + m_index);
    const auto first = m_cells.begin() + std::ptrdiff_t(cellIndex(m_index, 0));
    m_cells.erase(first, first + std::ptrdiff_t(m_columns));
    keepCurrent(before);
    setPosition(Position::OnRemoved, m_index);
    Q_EMIT currentChanged();
}

void RecordSource::removeAll()
{
    if (m_keys.empty()) {
        setPosition(Position::AtEnd, 0);
        return;
    }
    dropEdit();
    // When the table's rows up to the last key held are the rows held, key for key, one statement
    // deletes them. Otherwise (a row deleted or added by another source or program meanwhile)
    // they go one by one, each found by its key, as removing row after row does.
    const std::int64_t last = m_keys.back();
    bool same = true;
    {
        Statement keys = m_store.prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE %1 <= ? ORDER BY %1").arg(keyColumn(), quoted(m_table->name)));
        keys.bindInt(1, last);
        auto held = m_keys.begin();
        while (same && keys.step()) {
            same = held != m_keys.end() && *held == keys.columnInt(0);
            ++held;
        }
        same = same && held == m_keys.end();
    }
    if (!same) {
        moveFirst();
        while (!atEnd()) {
            remove();
            moveNext();
        }
        return;
    }
    Statement erase = m_store.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 <= ?").arg(quoted(m_table->name), keyColumn()));
    erase.bindInt(1, last);
    const Store::Versions before = runWrite(erase);
    dropIndexes();
    m_keys.clear();
    m_cells.clear();
    m_arena.clear();
    keepCurrent(before);
    setPosition(Position::AtEnd, 0);
    Q_EMIT currentChanged();
}

void RecordSource::dropStatements()
{
    m_selectOne.reset();
    m_insert.reset();
    m_delete.reset();
    m_updates.clear();
}

void RecordSource::reloadAfterRollback()
{
    const Position position = m_position;
    const int index = m_index;
    dropEdit();
    readRows();
    const auto removed = std::find(m_keys.begin(), m_keys.end(), m_removedKey);
    if (m_keys.empty() || position == Position::AtEnd)
        setPosition(Position::AtEnd, recordCount());
    else if (position == Position::OnRemoved && removed != m_keys.end())
        setPosition(Position::OnRow, int(removed - m_keys.begin()));
    else if (position == Position::OnRow && index < recordCount())
        setPosition(Position::OnRow, index);
    else
        setPosition(position == Position::OnRemoved ? Position::OnRemoved : Position::AtEnd, std::min(index, recordCount()));
    Q_EMIT rowsReloaded();
    Q_EMIT currentChanged();
}

} // namespace store
