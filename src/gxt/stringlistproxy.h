#pragma once

#include "displayorder.h"

#include <QSortFilterProxyModel>

namespace quillet {

class StringTableModel;

// The list's order over a StringTableModel in file order: sorted by Name or by Value, up or
// down, by the one display order (displayorder.h). The sort settings are the list's, not a
// table's: showing another table keeps them. Equal texts keep their file order.
class StringListProxy : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(bool Sorted READ isSorted WRITE setSorted NOTIFY sortSettingsChanged)
    Q_PROPERTY(int SortKey READ sortKey WRITE setSortKey NOTIFY sortSettingsChanged)
    Q_PROPERTY(int SortOrder READ sortOrder WRITE setSortOrder NOTIFY sortSettingsChanged)

public:
    explicit StringListProxy(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *model) override;
    StringTableModel *tableModel() const { return m_model; }

    bool isSorted() const { return m_sorted; }
    void setSorted(bool sorted);
    int sortKey() const { return m_sortKey; }
    void setSortKey(int key);
    int sortOrder() const { return m_sortOrder; }
    void setSortOrder(int order);

    // The file-order row of a list row, and back; -1 for none.
    int sourceRow(int row) const;
    int listRow(int sourceRow) const;

Q_SIGNALS:
    // `Sorted`, `SortKey` or `SortOrder` changed, whether or not any row moved.
    void sortSettingsChanged();

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    void applySort();

    StringTableModel *m_model = nullptr;
    bool m_sorted = true;
    int m_sortKey = ByName;
    int m_sortOrder = Ascending;
};

} // namespace quillet
