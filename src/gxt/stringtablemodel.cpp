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
    compareAnew();
    endResetModel();
}

void StringTableModel::setRules(const EntryRules &rules)
{
    beginResetModel();
    m_rules.emplace(rules);
    dropKeys();
    compareAnew();
    endResetModel();
}

void StringTableModel::setReference(const TranslationStatus *reference)
{
    beginResetModel();
    m_reference = reference;
    dropKeys();
    compareAnew();
    endResetModel();
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void StringTableModel::compareAnew()
{
    // Only inside a reset: the rows may all change.
    m_comparison.set(m_table, m_rules ? &*m_rules : nullptr, m_reference);
    m_missingRows = m_table ? m_comparison.missingCount() : 0;
}

void StringTableModel::updateMissingRows()
{
    if (!m_comparison.updateMissing())
        return;
    const int first = tableRows();
    if (m_missingRows > 0) {
        beginRemoveRows(QModelIndex(), first, first + m_missingRows - 1);
        for (DisplayKeys &keys : m_keys) {
            for (int row = first + m_missingRows - 1; row >= first; --row)
                keys.remove(row);
        }
        m_missingRows = 0;
        endRemoveRows();
    }
    const int now = m_comparison.missingCount();
    if (now > 0) {
        beginInsertRows(QModelIndex(), first, first + now - 1);
        m_missingRows = now;
        for (DisplayKeys &keys : m_keys) {
            for (int row = first; row < first + now; ++row)
                keys.insert(row);
        }
        endInsertRows();
    }
}

int StringTableModel::tableRows() const
{
    return m_table ? m_table->count() : 0;
}

const MissingEntry *StringTableModel::missingEntry(int row) const
{
    return isMissingRow(row) ? &m_comparison.missing(row - tableRows()) : nullptr;
}

ListStatus StringTableModel::status(int row) const
{
    if (isMissingRow(row))
        return ListStatus::Missing;
    return m_comparison.status(row);
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
        m_comparison.rowsInserted(first, last);
        for (DisplayKeys &keys : m_keys) {
            for (int row = first; row <= last; ++row)
                keys.insert(row);
        }
        endInsertRows();
        updateMissingRows();
    });
    connect(table, &StringTable::entriesAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows(QModelIndex(), first, last); });
    connect(table, &StringTable::entriesRemoved, this, [this](int first, int last) {
        m_comparison.rowsRemoved(first, last);
        for (DisplayKeys &keys : m_keys) {
            for (int row = last; row >= first; --row)
                keys.remove(row);
        }
        endRemoveRows();
        updateMissingRows();
    });
    connect(table, &StringTable::entryChanged, this, [this](int row) {
        m_comparison.rowChanged(row);
        for (DisplayKeys &keys : m_keys)
            keys.update(row);
        Q_EMIT dataChanged(index(row, NameColumn), index(row, columnCount() - 1));
        // A key given another name may stand beside another reference entry now.
        updateMissingRows();
    });
    connect(table, &StringTable::aboutToBeReset, this, [this] { beginResetModel(); });
    connect(table, &StringTable::reset, this, [this] {
        dropKeys();
        compareAnew();
        endResetModel();
    });
    // A table going away takes its rows with it.
    connect(table, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_table = nullptr;
        dropKeys();
        compareAnew();
        endResetModel();
    });
}

int StringTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : m_table->count() + m_missingRows;
}

int StringTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_reference ? 3 : 2;
}

QString StringTableModel::text(int row, int column) const
{
    if (!m_table || !m_rules || row < 0 || row >= rowCount())
        return {};
    if (row >= m_table->count()) {
        const int missing = row - m_table->count();
        if (column == NameColumn)
            return m_comparison.missingName(missing);
        return column == ReferenceColumn ? m_comparison.missing(missing).referenceText : QString();
    }
    const StringEntry &entry = m_table->at(row);
    switch (column) {
    case NameColumn:
        return m_rules->keyText(entry);
    case ReferenceColumn:
        return m_comparison.referenceText(row);
    default:
        return m_rules->valueText(entry);
    }
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
    const int row = index.row();
    switch (role) {
    case EntryIdRole:
        return QVariant::fromValue(idAt(row));
    case StatusRole:
        return int(status(row));
    case ProblemsRole:
        return isMissingRow(row) ? QStringList() : m_comparison.problems(row);
    case MissingRole:
        return isMissingRow(row);
    case Qt::ToolTipRole:
        // The Name says what is wrong with the entry; the texts show themselves whole.
        if (index.column() == NameColumn && !isMissingRow(row)) {
            const QStringList problems = m_comparison.problems(row);
            if (!problems.isEmpty())
                return problems.join(u'\n');
        }
        return text(row, index.column());
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(row, index.column());
    default:
        return {};
    }
}

QVariant StringTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == NameColumn)
        return QStringLiteral("Name");
    if (section == ValueColumn)
        return QStringLiteral("Value");
    if (section == ReferenceColumn && m_reference)
        return QStringLiteral("Reference");
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
