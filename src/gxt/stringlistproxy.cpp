#include "stringlistproxy.h"

#include "stringtablemodel.h"

#include <algorithm>
#include <numeric>

namespace quillet {

StringListProxy::StringListProxy(QObject *parent)
    : QAbstractProxyModel(parent)
{
}

void StringListProxy::setSourceModel(QAbstractItemModel *model)
{
    beginResetModel();
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    m_model = qobject_cast<StringTableModel *>(model);
    Q_ASSERT_X(m_model || !model, "StringListProxy", "the list shows a StringTableModel");
    QAbstractProxyModel::setSourceModel(model);
    if (m_model) {
        connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
        connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
            sortRows();
            endResetModel();
        });
        connect(m_model, &QAbstractItemModel::rowsInserted, this, &StringListProxy::sourceRowsInserted);
        connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &StringListProxy::sourceRowsAboutToBeRemoved);
        connect(m_model, &QAbstractItemModel::rowsRemoved, this, &StringListProxy::sourceRowsRemoved);
        connect(m_model, &QAbstractItemModel::dataChanged, this, &StringListProxy::sourceDataChanged);
        // The model announces its own reorderings as resets; any other's is taken whole.
        connect(m_model, &QAbstractItemModel::layoutChanged, this, &StringListProxy::reorder);
        connect(m_model, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    }
    sortRows();
    endResetModel();
}

bool StringListProxy::before(int a, int b) const
{
    if (m_sorted) {
        const int c = m_model->compareRows(a, b, m_sortKey);
        if (c != 0)
            return m_sortOrder == Ascending ? c < 0 : c > 0;
    }
    // Equal texts, or no sort: the file's order.
    return a < b;
}

void StringListProxy::indexPositions()
{
    // By every row the source has now, some of which the list may not show yet.
    const size_t count = m_model ? size_t(m_model->rowCount()) : 0;
    m_positions.assign(std::max(count, m_rows.size()), -1);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const int row = m_rows[i];
        if (row >= 0 && size_t(row) < m_positions.size())
            m_positions[size_t(row)] = int(i);
    }
}

bool StringListProxy::accepts(int sourceRow) const
{
    if (m_rowFilter && !m_rowFilter(sourceRow))
        return false;
    if (m_filterText.isEmpty())
        return true;
    const int columns = m_model->columnCount();
    for (int column = 0; column < columns; ++column) {
        if (m_model->text(sourceRow, column).contains(m_filterText, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void StringListProxy::setRowFilter(RowFilter filter)
{
    m_rowFilter = std::move(filter);
    reorder();
}

void StringListProxy::setFilterText(const QString &text)
{
    if (text == m_filterText)
        return;
    m_filterText = text;
    reorder();
}

void StringListProxy::refilter()
{
    reorder();
}

void StringListProxy::sortRows()
{
    const int count = m_model ? m_model->rowCount() : 0;
    m_rows.resize(size_t(count));
    std::iota(m_rows.begin(), m_rows.end(), 0);
    if (count > 0 && isFiltering())
        m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(), [this](int row) { return !accepts(row); }), m_rows.end());
    const auto less = [this](int a, int b) { return before(a, b); };
    // A table often stands in its list's order already: one pass tells.
    if (m_sorted && !std::is_sorted(m_rows.begin(), m_rows.end(), less))
        std::sort(m_rows.begin(), m_rows.end(), less);
    indexPositions();
}

void StringListProxy::rebuild()
{
    beginResetModel();
    sortRows();
    endResetModel();
}

void StringListProxy::reorder()
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sources;
    sources.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        sources.push_back(index.row() >= 0 && size_t(index.row()) < m_rows.size() ? m_rows[size_t(index.row())] : -1);
    sortRows();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int source = sources[size_t(i)];
        after.append(source >= 0 && size_t(source) < m_positions.size()
                         ? createIndex(m_positions[size_t(source)], before[i].column())
                         : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void StringListProxy::setSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    reorder();
    Q_EMIT sortSettingsChanged();
}

void StringListProxy::setSortKey(int key)
{
    key = key == ByValue ? ByValue : ByName;
    if (key == m_sortKey)
        return;
    m_sortKey = key;
    if (m_sorted)
        reorder();
    Q_EMIT sortSettingsChanged();
}

void StringListProxy::setSortOrder(int order)
{
    order = order == Descending ? Descending : Ascending;
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    if (m_sorted)
        reorder();
    Q_EMIT sortSettingsChanged();
}

void StringListProxy::sort(int column, Qt::SortOrder order)
{
    if (column < 0) {
        setSorted(false);
        return;
    }
    const bool changed = !m_sorted || column != m_sortKey || order != (m_sortOrder == Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_sorted = true;
    m_sortKey = column == ByValue ? ByValue : ByName;
    m_sortOrder = order == Qt::AscendingOrder ? Ascending : Descending;
    if (changed) {
        reorder();
        Q_EMIT sortSettingsChanged();
    }
}

int StringListProxy::sourceRow(int row) const
{
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)] : -1;
}

int StringListProxy::listRow(int sourceRow) const
{
    return sourceRow >= 0 && size_t(sourceRow) < m_positions.size() ? m_positions[size_t(sourceRow)] : -1;
}

QModelIndex StringListProxy::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || size_t(row) >= m_rows.size() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex StringListProxy::parent(const QModelIndex &) const
{
    return {};
}

int StringListProxy::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StringListProxy::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_model ? 0 : m_model->columnCount();
}

bool StringListProxy::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_rows.empty();
}

QModelIndex StringListProxy::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!m_model || !proxyIndex.isValid() || proxyIndex.model() != this || size_t(proxyIndex.row()) >= m_rows.size())
        return {};
    return m_model->index(m_rows[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex StringListProxy::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!m_model || !sourceIndex.isValid() || sourceIndex.model() != m_model
        || size_t(sourceIndex.row()) >= m_positions.size())
        return {};
    const int row = m_positions[size_t(sourceIndex.row())];
    return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

int StringListProxy::placeOf(int row, int skip) const
{
    // The list's rows but the skipped one are in order; a binary search among them.
    const int count = int(m_rows.size()) - (skip >= 0 ? 1 : 0);
    const auto rowAt = [&](int k) { return m_rows[size_t(skip >= 0 && k >= skip ? k + 1 : k)]; };
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (before(rowAt(middle), row))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

void StringListProxy::sourceRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    const int added = last - first + 1;
    // The rows after them in the file move down; their places in the list stay.
    for (int &row : m_rows) {
        if (row >= first)
            row += added;
    }
    indexPositions();
    for (int row = first; row <= last; ++row)
        showRow(row);
}

void StringListProxy::showRow(int row)
{
    if (!accepts(row))
        return;
    const int at = placeOf(row, -1);
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(m_rows.begin() + at, row);
    indexPositions();
    endInsertRows();
}

void StringListProxy::sourceRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    // From the bottom of the list up, a run of list rows at a time.
    std::vector<int> gone;
    for (int row = first; row <= last; ++row) {
        if (size_t(row) < m_positions.size() && m_positions[size_t(row)] >= 0)
            gone.push_back(m_positions[size_t(row)]);
    }
    std::sort(gone.begin(), gone.end());
    while (!gone.empty()) {
        const int end = gone.back();
        int start = end;
        gone.pop_back();
        while (!gone.empty() && gone.back() == start - 1) {
            --start;
            gone.pop_back();
        }
        beginRemoveRows(QModelIndex(), start, end);
        m_rows.erase(m_rows.begin() + start, m_rows.begin() + end + 1);
        endRemoveRows();
    }
}

void StringListProxy::sourceRowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    const int removed = last - first + 1;
    for (int &row : m_rows) {
        if (row > last)
            row -= removed;
    }
    indexPositions();
}

void StringListProxy::sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    const bool mayMove = m_sorted && topLeft.column() <= m_sortKey && m_sortKey <= bottomRight.column();
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        if (size_t(row) >= m_positions.size())
            continue;
        if (m_positions[size_t(row)] < 0) {
            // Hidden by the filter until now: it may be what the filter looks for.
            if (isFiltering())
                showRow(row);
            continue;
        }
        const int at = followChange(row, m_positions[size_t(row)], mayMove);
        if (at >= 0)
            Q_EMIT dataChanged(index(at, topLeft.column()), index(at, bottomRight.column()), roles);
    }
}

int StringListProxy::followChange(int row, int at, bool mayMove)
{
    if (isFiltering() && !accepts(row)) {
        beginRemoveRows(QModelIndex(), at, at);
        m_rows.erase(m_rows.begin() + at);
        indexPositions();
        endRemoveRows();
        return -1;
    }
    if (!mayMove)
        return at;
    // Out of its place among the others, it moves to where it now belongs: `target` among
    // the rows without it, which is before the old row `destination`.
    const int target = placeOf(row, at);
    if (target != at) {
        const int destination = target > at ? target + 1 : target;
        beginMoveRows(QModelIndex(), at, at, QModelIndex(), destination);
        m_rows.erase(m_rows.begin() + at);
        m_rows.insert(m_rows.begin() + target, row);
        indexPositions();
        endMoveRows();
    }
    return target;
}

} // namespace quillet
