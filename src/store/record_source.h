#pragma once

#include "store/schema.h"
#include "store/store.h"
#include "store/value.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace store {

class Store;

// A named cursor over one table of the store, owned by one window.
//
// It keeps the row set read at its last refresh, in the table's natural order (the order rows
// were added), so that scans are quick; rows added, changed or removed through another record
// source are seen after the next refresh. Opening a record source reads the table and puts the
// cursor on the first row.
//
// Cursor rules:
// - refresh and move first put the cursor on the first row, or at the end when there are none;
// - move next from the last row goes to the end;
// - after add new and update, the new row is the last of the row set and the cursor stays on the
//   row that was current before add new;
// - after delete, the cursor stands on the removed position, which has no current row; move next
//   goes on to the row that followed it.
//
// Reading or setting a field, edit, update and delete with no current row throw
// Error(NoCurrentRow); a field the table does not have, Error(NoSuchField). Field names are
// found without regard to letter case.
class RecordSource : public QObject {
    Q_OBJECT
public:
    enum class EditMode { None, Editing, Adding };

    RecordSource(Store& store, const QString& name, const QString& table, QObject* parent = nullptr);
    ~RecordSource() override;

    const QString& name() const { return m_name; }
    const TableDef& table() const { return *m_table; }
    Store& store() const { return m_store; }

    void refresh();
    int recordCount() const { return int(m_keys.size()); }
    bool atEnd() const { return m_position == Position::AtEnd || m_keys.empty(); }
    bool hasCurrentRow() const { return m_position == Position::OnRow; }
    void moveFirst();
    void moveNext();

    // While an edit or add new is under way, a field reads the row being written (so a new row
    // reads its defaults); otherwise the current row.
    Value field(QStringView fieldName) const;
    Value field(int fieldIndex) const;
    // Any row of the row set by position, without moving the cursor (for bound lists).
    Value valueAt(int row, int fieldIndex) const;
    // The first row of the row set whose field holds a text that, upper-cased, equals `upper`;
    // -1 when there is none. The same answer as a scan from the first row, kept between calls
    // while the row set does not change.
    int findUpperCase(int fieldIndex, const QString& upper) const;
    // Puts the cursor on a row of the row set (at the end when past the last).
    void moveTo(int row);

    // The field's index in the table; throws Error(NoSuchField).
    int fieldIndex(QStringView fieldName) const;

    // Starts changing the current row, loaded as it is stored now.
    void edit();
    // Starts a new row holding every field's default.
    void addNew();
    // Sets a field of the row being edited or added, converted to the field's type; throws
    // Error(Conversion) for a value the field cannot take, and Error(NoCurrentRow) when no edit
    // or add new was started.
    void setField(QStringView fieldName, const Value& value);
    // Writes the row being edited (only the fields that were set) or appends the row being added.
    void update();
    // Drops a started edit or add new.
    void cancelUpdate();
    // Removes the current row from the table at once.
    void remove();
    // Removes every row the source holds, as moving first and then removing the current row and
    // moving next until at end does, and ends at end. Rows written to the table since the source
    // read it, by others, stay.
    void removeAll();

    EditMode editMode() const { return m_editMode; }

    // Called by the store after a unit of work this source wrote in was rolled back: the row set
    // is read again, the cursor keeps its position.
    void reloadAfterRollback();
    // Called by the store before it lets go of its connection: the statements the source keeps
    // are finalized, and prepared again when next needed.
    void dropStatements();

Q_SIGNALS:
    // After every move, refresh and update: bound controls repaint.
    void currentChanged();
    // After refresh: bound lists rebuild.
    void rowsReloaded();

private:
    // A stored cell: a number, or text kept as UTF-8 in the row set's arena.
    struct Cell {
        enum Kind : std::uint8_t { Null, Int, Real, Text };
        union {
            std::int64_t i;
            double d;
            struct { std::uint32_t offset, size; } text;
        };
        Kind kind = Null;
    };

    void readRows();
    void writeBuffer();
    Store::Versions runWrite(class Statement& write);
    void keepCurrent(const Store::Versions& before);
    Cell readCell(const class Statement& select, int column);
    bool sameCell(const Cell& cell, const class Statement& select, int column) const;
    void requireCurrentRow(const char* operation) const;
    [[noreturn]] void failRowGone() const;
    Value cellValue(const Cell& cell, Type type) const;
    Cell cellFromValue(const Value& value);
    void bindValue(class Statement& statement, int index, const Value& value) const;
    std::size_t cellIndex(int row, int fieldIndex) const { return std::size_t(row) * m_columns + std::size_t(fieldIndex); }

    Store& m_store;
    QString m_name;
    const TableDef* m_table;
    std::size_t m_columns;
    QString m_selectSql;

    // OnRow: m_index is the current row. OnRemoved: the current row was deleted and m_index is
    // the row that followed it (or the row count).
    enum class Position { OnRow, AtEnd, OnRemoved };

    void setPosition(Position position, int index);
    void dropEdit();
    // The key of the row the source deleted last: a rollback that brings the row back puts the
    // cursor on it again.
    std::int64_t m_removedKey = 0;

    // Statements prepared once and kept while the source is open: the read of one row for edit,
    // the insert, the delete, and one update per set of fields written.
    class Statement& cached(std::unique_ptr<class Statement>& slot, const QString& sql);
    std::unique_ptr<class Statement> m_selectOne;
    std::unique_ptr<class Statement> m_insert;
    std::unique_ptr<class Statement> m_delete;
    std::map<std::vector<bool>, std::unique_ptr<class Statement>> m_updates;

    // The versions of the table when the row set was last brought in line with it.
    Store::Versions m_seen;
    bool isCurrent() const;
    // The first row of each upper-cased text, per field, built when first asked.
    mutable std::vector<std::unique_ptr<QHash<QString, int>>> m_upperIndex;
    void dropIndexes() { m_upperIndex.clear(); }

    // The store's key of every row of the row set.
    // Deques: a row deleted at either end (the first row, deleted row after row, say) moves none
    // of the others.
    std::deque<std::int64_t> m_keys;
    std::deque<Cell> m_cells;
    std::string m_arena;
    Position m_position = Position::AtEnd;
    int m_index = 0;

    EditMode m_editMode = EditMode::None;
    std::vector<Value> m_buffer;
    std::vector<bool> m_bufferSet;
};

} // namespace store
