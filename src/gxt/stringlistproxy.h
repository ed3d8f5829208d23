#pragma once

#include "displayorder.h"

#include <QAbstractProxyModel>
#include <QString>

#include <functional>
#include <vector>

namespace quillet {

class StringTableModel;

// The list's order over a StringTableModel in file order: sorted by Name or by Value, up or
// down, by the one display order (displayorder.h), equal texts in their file order either
// way. The sort settings are the list's, not a table's: showing another table keeps them.
//
// A proxy of its own rather than a QSortFilterProxyModel: it compares rows by the model's
// sort keys directly, without making two indexes for every comparison, and finds a table
// already in order in one pass, which is what a table of hashed keys shown by their hashes
// is. Rows that change move to their places as they change; views and their selections
// follow, as with any proxy.
//
// It filters too: the list shows only the rows whose text in some column holds the filter
// text (letter case aside) and that the row filter keeps. A row that changes is asked
// again, so an entry the user just translated leaves a list of the untranslated ones.
// Sorting and filtering are one pass over the rows, and the sort keys are the model's
// either way: a filter costs a test of each row, not a second model.
class StringListProxy : public QAbstractProxyModel
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
    // What a view's sorting asks for: by that column in that direction.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Whether the list shows a source row; null keeps every row.
    using RowFilter = std::function<bool(int sourceRow)>;
    void setRowFilter(RowFilter filter);
    // Text that some column of a shown row holds, letter case aside; empty shows every row.
    void setFilterText(const QString &text);
    QString filterText() const { return m_filterText; }
    bool isFiltering() const { return !m_filterText.isEmpty() || m_rowFilter != nullptr; }
    bool accepts(int sourceRow) const;
    // The row filter's answers may have changed: the rows follow, the views' selections
    // staying with the entries that are still shown.
    void refilter();

    // The file-order row of a list row, and back; -1 for none.
    int sourceRow(int row) const;
    int listRow(int sourceRow) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;

Q_SIGNALS:
    // `Sorted`, `SortKey` or `SortOrder` changed, whether or not any row moved.
    void sortSettingsChanged();

private:
    // Whether source row `a` stands before source row `b` in the list's order.
    bool before(int a, int b) const;
    // Every row in order, as a reset of the list.
    void rebuild();
    // Every row in order, the views' selections and current rows following their entries.
    void reorder();
    void sortRows();
    void indexPositions();
    // A shown row `row` was given another text or status, at list row `at`: it leaves the
    // list, or moves to its place where its sort text may have changed. Returns its list
    // row afterwards, -1 when it left.
    int followChange(int row, int at, bool mayMove);
    // A hidden row now accepted comes into the list at its place.
    void showRow(int row);
    // Where source row `row` belongs among the list's rows, counted as if the row at list
    // position `skip` (its own, or -1) were not there.
    int placeOf(int row, int skip) const;

    void sourceRowsInserted(const QModelIndex &parent, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex &parent, int first, int last);
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);

    StringTableModel *m_model = nullptr;
    std::vector<int> m_rows;      // by list row: the source row
    std::vector<int> m_positions; // by source row: the list row
    RowFilter m_rowFilter;
    QString m_filterText;
    bool m_sorted = true;
    int m_sortKey = ByName;
    int m_sortOrder = Ascending;
};

} // namespace quillet
