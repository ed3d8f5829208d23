#pragma once

#include "stringentry.h"

#include <QList>
#include <QObject>

#include <vector>

namespace quillet {

// The one store of the entries of the open table. Rows are addressed by their position,
// counted from 1 in the current order; names may repeat. The order follows the list
// semantics users know from the editor's list: rows stay where they were added while
// `Sorted` is off, and follow one column in one direction while it is on.
//
// The table announces every change through its signals so that a view can show it without
// keeping a copy. The signals speak in 0-based rows, as Qt's item models do.
class StringTable : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Sorted READ isSorted WRITE setSorted NOTIFY sortSettingsChanged)
    Q_PROPERTY(int SortKey READ sortKey WRITE setSortKey NOTIFY sortSettingsChanged)
    Q_PROPERTY(int SortOrder READ sortOrder WRITE setSortOrder NOTIFY sortSettingsChanged)

public:
    enum SortKey { ByName = 0, ByValue = 1 };
    enum SortOrder { Ascending = 0, Descending = 1 };

    explicit StringTable(QObject *parent = nullptr);
    ~StringTable() override;

    int count() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }

    // Positions count from 1; a position outside 1..count() is a programming error.
    const StringEntry &entry(int position) const;
    QString name(int position) const { return entry(position).name; }
    QString value(int position) const { return entry(position).value; }
    // Setting what a row already holds changes nothing and announces nothing.
    void setName(int position, const QString &name);
    void setValue(int position, const QString &value);
    // Name and value at once, announced as one change.
    void setEntry(int position, const StringEntry &entry);

    // Adds a row with an empty value at `position` (the end when 0) and returns the
    // position it ends up at: with `Sorted` on, the row moves to its place in the order.
    int addRow(const QString &name, int position = 0);
    int addRow(const StringEntry &entry, int position = 0);
    void removeRow(int position);
    void clear();

    // Replaces every row at once; with `Sorted` on the new rows are put in order first.
    void assign(std::vector<StringEntry> rows);
    // Replaces every row and turns `Sorted` on with `key`, in one reset: a freshly loaded
    // table is shown sorted without a second pass over its rows.
    void assignSorted(std::vector<StringEntry> rows, int key);
    // The same, but the rows are put in order only when first read by position: a table of a
    // hundred that is never shown is never sorted.
    void assignSortedLater(std::vector<StringEntry> rows, int key);

    bool isSorted() const { return m_sorted; }
    void setSorted(bool sorted);
    int sortKey() const { return m_sortKey; }
    void setSortKey(int key);
    int sortOrder() const { return m_sortOrder; }
    void setSortOrder(int order);

    const std::vector<StringEntry> &rows() const
    {
        settle();
        return m_rows;
    }

    // The order in which the list shows rows when sorted: case-insensitive first, so that
    // "abc" stands beside "ABC", then by character code so that the order is total.
    static int compareForDisplay(const QString &a, const QString &b);

Q_SIGNALS:
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved(int first, int last);
    void rowChanged(int row);
    void aboutToBeReset();
    void reset();
    void aboutToBeReordered();
    // newRowOfOld[i] is where the row that stood at i stands now.
    void reordered(const QList<int> &newRowOfOld);
    // `Sorted`, `SortKey` or `SortOrder` changed, whether or not any row moved.
    void sortSettingsChanged();

private:
    // Returns where each row went, or nothing when the order was already right.
    QList<int> sortRows();
    int checkedIndex(int position) const;
    // Sorts rows whose sort was put off, without a word: nothing has read them in order yet.
    void settle() const;

    std::vector<StringEntry> m_rows;
    bool m_sorted = false;
    bool m_sortPending = false;
    int m_sortKey = ByName;
    int m_sortOrder = Ascending;
};

} // namespace quillet
