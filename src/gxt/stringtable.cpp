#include "stringtable.h"

#include <algorithm>
#include <numeric>

namespace quillet {

StringTable::StringTable(QObject *parent)
    : QObject(parent)
{
}

StringTable::~StringTable() = default;

int StringTable::checkedIndex(int position) const
{
    Q_ASSERT_X(position >= 1 && position <= count(), "StringTable", "position out of range");
    return position - 1;
}

const StringEntry &StringTable::entry(int position) const
{
    return m_rows[size_t(checkedIndex(position))];
}

void StringTable::setName(int position, const QString &name)
{
    const int row = checkedIndex(position);
    m_rows[size_t(row)].name = name;
    Q_EMIT rowChanged(row);
}

void StringTable::setValue(int position, const QString &value)
{
    const int row = checkedIndex(position);
    m_rows[size_t(row)].value = value;
    Q_EMIT rowChanged(row);
}

int StringTable::addRow(const QString &name, int position)
{
    return addRow(StringEntry{name, QString()}, position);
}

int StringTable::addRow(const StringEntry &entry, int position)
{
    int row = position == 0 ? count() : position - 1;
    Q_ASSERT_X(row >= 0 && row <= count(), "StringTable::addRow", "position out of range");
    row = std::clamp(row, 0, count());
    Q_EMIT rowsAboutToBeInserted(row, row);
    m_rows.insert(m_rows.begin() + row, entry);
    Q_EMIT rowsInserted(row, row);
    if (!m_sorted)
        return row + 1;

    // Follow the row through the permutation: its text may well be repeated elsewhere.
    const QList<int> newRowOfOld = sortRows();
    return (newRowOfOld.isEmpty() ? row : newRowOfOld[row]) + 1;
}

void StringTable::removeRow(int position)
{
    const int row = checkedIndex(position);
    Q_EMIT rowsAboutToBeRemoved(row, row);
    m_rows.erase(m_rows.begin() + row);
    Q_EMIT rowsRemoved(row, row);
}

void StringTable::clear()
{
    assign({});
}

void StringTable::assign(std::vector<StringEntry> rows)
{
    Q_EMIT aboutToBeReset();
    m_rows = std::move(rows);
    if (m_sorted && m_rows.size() > 1) {
        // Sorting before the reset saves the views a second pass over the rows.
        const QSignalBlocker quiet(this);
        sortRows();
    }
    Q_EMIT reset();
}

void StringTable::assignSorted(std::vector<StringEntry> rows, int key)
{
    const bool changed = key != m_sortKey || !m_sorted;
    m_sortKey = key;
    m_sorted = true;
    assign(std::move(rows));
    if (changed)
        Q_EMIT sortSettingsChanged();
}

void StringTable::setSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    if (m_sorted)
        sortRows();
    Q_EMIT sortSettingsChanged();
}

void StringTable::setSortKey(int key)
{
    if (key == m_sortKey)
        return;
    m_sortKey = key;
    if (m_sorted)
        sortRows();
    Q_EMIT sortSettingsChanged();
}

void StringTable::setSortOrder(int order)
{
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    if (m_sorted)
        sortRows();
    Q_EMIT sortSettingsChanged();
}

int StringTable::compareForDisplay(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded : QString::compare(a, b, Qt::CaseSensitive);
}

QList<int> StringTable::sortRows()
{
    const size_t n = m_rows.size();
    if (n < 2)
        return {};
    const bool byValue = m_sortKey == ByValue;
    const bool descending = m_sortOrder != Ascending;
    auto column = [&](size_t row) -> const QString & {
        return byValue ? m_rows[row].value : m_rows[row].name;
    };

    // Folding each text once beats folding it on every comparison by a wide margin.
    std::vector<QString> folded(n);
    for (size_t i = 0; i < n; ++i)
        folded[i] = column(i).toCaseFolded();

    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        int c = QString::compare(folded[size_t(a)], folded[size_t(b)], Qt::CaseSensitive);
        if (c == 0)
            c = QString::compare(column(size_t(a)), column(size_t(b)), Qt::CaseSensitive);
        return descending ? c > 0 : c < 0;
    });

    bool unchanged = true;
    for (size_t i = 0; i < n && unchanged; ++i)
        unchanged = order[i] == int(i);
    if (unchanged)
        return {};

    Q_EMIT aboutToBeReordered();
    std::vector<StringEntry> sorted;
    sorted.reserve(n);
    QList<int> newRowOfOld(static_cast<qsizetype>(n));
    for (size_t i = 0; i < n; ++i) {
        newRowOfOld[order[i]] = int(i);
        sorted.push_back(std::move(m_rows[size_t(order[i])]));
    }
    m_rows = std::move(sorted);
    Q_EMIT reordered(newRowOfOld);
    return newRowOfOld;
}

} // namespace quillet
