#include "stringtablemodel.h"

#include "stringtable.h"

namespace quillet {

StringTableModel::StringTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

StringTableModel::~StringTableModel() = default;

void StringTableModel::setTable(StringTable *table)
{
    if (table == m_table)
        return;
    beginResetModel();
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    dropKeys();
    if (m_table)
        connectTable();
    endResetModel();
}

void StringTableModel::setRules(const EntryRules &rules)
{
    beginResetModel();
    m_rules.emplace(rules);
    dropKeys();
    endResetModel();
}

void StringTableModel::dropKeys()
{
    for (DisplayKeys &keys : m_keys)
        keys.clear();
}

void StringTableModel::connectTable()
{
    StringTable *table = m_table;
    connect(table, &StringTable::entriesAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows(QModelIndex(), first, last); });
    connect(table, &StringTable::entriesInserted, this, [this](int first, int last) {
        for (DisplayKeys &keys : m_keys) {
            for (int row = first; row <= last; ++row)
                keys.insert(row);
        }
        endInsertRows();
    });
    connect(table, &StringTable::entriesAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows(QModelIndex(), first, last); });
    connect(table, &StringTable::entriesRemoved, this, [this](int first, int last) {
        for (DisplayKeys &keys : m_keys) {
            for (int row = last; row >= first; --row)
                keys.remove(row);
        }
        endRemoveRows();
    });
    connect(table, &StringTable::entryChanged, this, [this](int row) {
        for (DisplayKeys &keys : m_keys)
            keys.update(row);
        Q_EMIT dataChanged(index(row, NameColumn), index(row, ValueColumn));
    });
    connect(table, &StringTable::aboutToBeReset, this, [this] { beginResetModel(); });
    connect(table, &StringTable::reset, this, [this] {
        dropKeys();
        endResetModel();
    });
    // A table going away takes its rows with it.
    connect(table, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_table = nullptr;
        dropKeys();
        endResetModel();
    });
}

int StringTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : m_table->count();
}

int StringTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QString StringTableModel::text(int row, int column) const
{
    if (!m_table || !m_rules || row < 0 || row >= m_table->count())
        return {};
    const StringEntry &entry = m_table->at(row);
    return column == NameColumn ? m_rules->keyText(entry) : m_rules->valueText(entry);
}

EntryId StringTableModel::idAt(int row) const
{
    return m_table && row >= 0 && row < m_table->count() ? m_table->at(row).id : 0;
}

int StringTableModel::rowOf(EntryId id) const
{
    return m_table ? m_table->rowOf(id) : -1;
}

QVariant StringTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == EntryIdRole)
        return QVariant::fromValue(idAt(index.row()));
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    return text(index.row(), index.column());
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

DisplayKeys &StringTableModel::keys(int column) const
{
    DisplayKeys &keys = m_keys[column == ValueColumn ? 1 : 0];
    if (!keys.isBuilt())
        keys.build(rowCount(), [this, column](int row) { return text(row, column); });
    return keys;
}

int StringTableModel::compareRows(int a, int b, int column) const
{
    return keys(column).compare(a, b);
}

} // namespace quillet
