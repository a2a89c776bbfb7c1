#pragma once

#include <QAbstractTableModel>
#include <QFrame>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace store {
class QuerySource;
class Value;
}

namespace review {

// The rows of a query source as a read-only table: one column per field named, with its caption
// and the way its values are shown. The table follows the source when it is read again.
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString caption;
        QString field;
        // The text a value is shown as; an empty function shows it as stored.
        std::function<QString(const store::Value&)> format;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    // Throws store::Error(NoSuchField) for a field the query does not return.
    QueryModel(store::QuerySource& source, std::vector<Column> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void findFields();

    store::QuerySource& m_source;
    std::vector<Column> m_columns;
    std::vector<int> m_fieldIndexes;
};

// A query source shown as a bar with a caption and buttons for its first, previous, next and
// last row. The bar keeps the source's cursor on the row it says is current: a query source
// moves only forward, so a move back starts again from the first row.
class NavigationBar : public QFrame {
    Q_OBJECT
public:
    NavigationBar(store::QuerySource& source, const QString& caption, QWidget* parent = nullptr);

    // The row the source's cursor is on; 0 when the source has no row.
    int currentRow() const { return m_row; }
    // Puts the cursor on a row, kept between the first and the last.
    void moveTo(int row);

    QLabel* caption;
    QPushButton* cmdFirst;
    QPushButton* cmdPrevious;
    QPushButton* cmdNext;
    QPushButton* cmdLast;

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    void reloaded();

    store::QuerySource& m_source;
    int m_row = 0;
};

} // namespace review
