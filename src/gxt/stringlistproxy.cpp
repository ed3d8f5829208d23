#include "stringlistproxy.h"

#include "stringtablemodel.h"

namespace quillet {

StringListProxy::StringListProxy(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
}

void StringListProxy::setSourceModel(QAbstractItemModel *model)
{
    m_model = qobject_cast<StringTableModel *>(model);
    Q_ASSERT_X(m_model || !model, "StringListProxy", "the list shows a StringTableModel");
    QSortFilterProxyModel::setSourceModel(model);
    applySort();
}

void StringListProxy::applySort()
{
    if (m_sorted)
        sort(m_sortKey, m_sortOrder == Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    else
        sort(-1);
}

void StringListProxy::setSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    applySort();
    Q_EMIT sortSettingsChanged();
}

void StringListProxy::setSortKey(int key)
{
    key = key == ByValue ? ByValue : ByName;
    if (key == m_sortKey)
        return;
    m_sortKey = key;
    if (m_sorted)
        applySort();
    Q_EMIT sortSettingsChanged();
}

void StringListProxy::setSortOrder(int order)
{
    order = order == Descending ? Descending : Ascending;
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    if (m_sorted)
        applySort();
    Q_EMIT sortSettingsChanged();
}

int StringListProxy::sourceRow(int row) const
{
    const QModelIndex source = mapToSource(index(row, 0));
    return source.isValid() ? source.row() : -1;
}

int StringListProxy::listRow(int sourceRow) const
{
    if (!m_model)
        return -1;
    const QModelIndex shown = mapFromSource(m_model->index(sourceRow, 0));
    return shown.isValid() ? shown.row() : -1;
}

bool StringListProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const int c = m_model->compareRows(left.row(), right.row(), left.column());
    if (c != 0)
        return c < 0;
    // Equal texts by their place in the file. The stable sort of a whole table would keep
    // them so, but a row inserted or changed later is put in by a binary search, which
    // would stand it before or after all its equals. Going down, the proxy asks with the
    // rows swapped, so the file's order is asked for the other way round.
    return sortOrder() == Qt::AscendingOrder ? left.row() < right.row() : left.row() > right.row();
}

} // namespace quillet
