#include "review/query_grid.h"

#include "store/query_source.h"
#include "store/value.h"
#include "ui/named.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace review {

QueryModel::QueryModel(store::QuerySource& source, std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns))
{
    findFields();
    connect(&m_source, &store::QuerySource::rowsReloaded, this, [this] {
        beginResetModel();
        findFields();
        endResetModel();
    });
}

void QueryModel::findFields()
{
    m_fieldIndexes.clear();
    for (const Column& column : m_columns)
        m_fieldIndexes.push_back(m_source.fieldIndex(column.field));
}

int QueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_source.recordCount();
}

int QueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_source.recordCount())
        return QVariant();
    const std::size_t column = std::size_t(index.column());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        const store::Value& value = m_source.value(index.row(), m_fieldIndexes[column]);
        const Column& shown = m_columns[column];
        return shown.format && !value.isNull() ? shown.format(value) : value.display();
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[column].alignment);
    return QVariant();
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section < int(m_columns.size()) ? QVariant(m_columns[std::size_t(section)].caption) : QVariant();
    return QVariant();
}

Qt::ItemFlags QueryModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

NavigationBar::NavigationBar(store::QuerySource& source, const QString& captionText, QWidget* parent)
    : QFrame(parent), m_source(source)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    caption = ui::makeNamed<QLabel>(QStringLiteral("caption"), captionText, this);
    caption->setAlignment(Qt::AlignCenter);
    const auto makeButton = [this](const QString& name, const QString& symbol, const QString& readAs) {
        auto* button = ui::makeNamed<QPushButton>(name, symbol, this);
        button->setAccessibleName(readAs);
        button->setToolTip(readAs);
        button->setFixedWidth(36);
        return button;
    };
    cmdFirst = makeButton(QStringLiteral("cmdFirst"), QStringLiteral("|<"), QStringLiteral("First"));
    cmdPrevious = makeButton(QStringLiteral("cmdPrevious"), QStringLiteral("<"), QStringLiteral("Previous"));
    cmdNext = makeButton(QStringLiteral("cmdNext"), QStringLiteral(">"), QStringLiteral("Next"));
    cmdLast = makeButton(QStringLiteral("cmdLast"), QStringLiteral(">|"), QStringLiteral("Last"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(cmdFirst);
    layout->addWidget(cmdPrevious);
    layout->addWidget(caption, 1);
    layout->addWidget(cmdNext);
    layout->addWidget(cmdLast);

    connect(cmdFirst, &QPushButton::clicked, this, [this] { moveTo(0); });
    connect(cmdPrevious, &QPushButton::clicked, this, [this] { moveTo(m_row - 1); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { moveTo(m_row + 1); });
    connect(cmdLast, &QPushButton::clicked, this, [this] { moveTo(m_source.recordCount() - 1); });
    connect(&m_source, &store::QuerySource::rowsReloaded, this, &NavigationBar::reloaded);
}

void NavigationBar::moveTo(int row)
{
    row = std::clamp(row, 0, std::max(0, m_source.recordCount() - 1));
    // Walked every time: the source may have been moved by other hands since the last move.
    m_source.moveFirst();
    for (int i = 0; i < row; ++i)
        m_source.moveNext();
    const bool moved = row != m_row;
    m_row = row;
    if (moved)
        Q_EMIT currentRowChanged(m_row);
}

void NavigationBar::reloaded()
{
    // A source read again stands on its first row.
    m_row = 0;
    Q_EMIT currentRowChanged(m_row);
}

} // namespace review
