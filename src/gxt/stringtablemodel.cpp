#include "stringtablemodel.h"

#include "stringtable.h"

namespace quillet {

StringTableModel::StringTableModel(StringTable *table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
    connectTable();
}

void StringTableModel::setTable(StringTable *table)
{
    if (table == m_table)
        return;
    beginResetModel();
    disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    connectTable();
    endResetModel();
}

void StringTableModel::connectTable()
{
    StringTable *table = m_table;
    connect(table, &StringTable::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows(QModelIndex(), first, last); });
    connect(table, &StringTable::rowsInserted, this, [this] { endInsertRows(); });
    connect(table, &StringTable::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows(QModelIndex(), first, last); });
    connect(table, &StringTable::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(table, &StringTable::rowChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, NameColumn), index(row, ValueColumn)); });
    connect(table, &StringTable::aboutToBeReset, this, [this] { beginResetModel(); });
    connect(table, &StringTable::reset, this, [this] { endResetModel(); });
    connect(table, &StringTable::aboutToBeReordered, this, [this] { Q_EMIT layoutAboutToBeChanged(); });
    connect(table, &StringTable::reordered, this, &StringTableModel::onReordered);
}

int StringTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table->count();
}

int StringTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant StringTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    const StringEntry &entry = m_table->entry(index.row() + 1);
    return index.column() == NameColumn ? entry.name : entry.value;
}

QVariant StringTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == NameColumn)
        return QStringLiteral("Name");
    if (section == ValueColumn)
        return QStringLiteral("Value");
    return {};
}

void StringTableModel::onReordered(const QList<int> &newRowOfOld)
{
    // Selections and the current row follow their entries through a sort.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(this->index(newRowOfOld.value(index.row(), index.row()), index.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

} // namespace quillet
