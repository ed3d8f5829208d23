#include "stringtable.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quillet {

StringTable::StringTable(QObject *parent)
    : QObject(parent)
{
}

StringTable::~StringTable() = default;

void StringTable::settle() const
{
    if (!m_sortPending)
        return;
    // The table itself is never const: only this object's reading of it is.
    auto *self = const_cast<StringTable *>(this);
    self->m_sortPending = false;
    const QSignalBlocker quiet(self);
    self->sortRows();
}

int StringTable::checkedIndex(int position) const
{
    settle();
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
    if (m_rows[size_t(row)].name == name)
        return;
    m_rows[size_t(row)].name = name;
    Q_EMIT rowChanged(row);
}

void StringTable::setValue(int position, const QString &value)
{
    const int row = checkedIndex(position);
    if (m_rows[size_t(row)].value == value)
        return;
    m_rows[size_t(row)].value = value;
    Q_EMIT rowChanged(row);
}

void StringTable::setEntry(int position, const StringEntry &entry)
{
    const int row = checkedIndex(position);
    if (m_rows[size_t(row)] == entry)
        return;
    m_rows[size_t(row)] = entry;
    Q_EMIT rowChanged(row);
}

int StringTable::addRow(const QString &name, int position)
{
    return addRow(StringEntry{name, QString()}, position);
}

int StringTable::addRow(const StringEntry &entry, int position)
{
    settle();
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
    m_sortPending = false;
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

void StringTable::assignSortedLater(std::vector<StringEntry> rows, int key)
{
    const bool changed = key != m_sortKey || !m_sorted;
    Q_EMIT aboutToBeReset();
    m_rows = std::move(rows);
    m_sortKey = key;
    m_sorted = true;
    m_sortPending = m_rows.size() > 1;
    Q_EMIT reset();
    if (changed)
        Q_EMIT sortSettingsChanged();
}

void StringTable::setSorted(bool sorted)
{
    settle();
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    if (m_sorted)
        sortRows();
    Q_EMIT sortSettingsChanged();
}

void StringTable::setSortKey(int key)
{
    settle();
    if (key == m_sortKey)
        return;
    m_sortKey = key;
    if (m_sorted)
        sortRows();
    Q_EMIT sortSettingsChanged();
}

void StringTable::setSortOrder(int order)
{
    settle();
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

namespace {

std::u16string_view unitsOf(const QString &text)
{
    return {QStringView(text).utf16(), size_t(text.size())};
}

// Case folding of the code page's characters and the rest of Latin-1, looked up rather
// than asked of Qt for every character.
const std::array<char16_t, 256> &latinFolds()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> folds{};
        for (char32_t c = 0; c < 256; ++c)
            folds[c] = char16_t(QChar::toCaseFolded(c));
        return folds;
    }();
    return table;
}

// Folds one unit as QString::toCaseFolded() folds it. No character of the Basic
// Multilingual Plane folds to a different length, so outside surrogate pairs a text folds
// unit by unit; the caller leaves texts with surrogates to Qt.
char16_t foldUnit(char16_t c)
{
    return c < 256 ? latinFolds()[c] : char16_t(QChar::toCaseFolded(char32_t(c)));
}

// The first eight folded units of a text as two numbers that compare as the units do; a
// text that ends early is padded with zeros, so equal heads still need the whole texts.
std::array<quint64, 2> foldedHead(const QString &text)
{
    std::u16string_view units = unitsOf(text);
    const size_t n = std::min<size_t>(units.size(), 8);
    char16_t folded[8] = {};
    QString byQt;
    if (std::any_of(units.begin(), units.begin() + qsizetype(n), [](char16_t c) { return QChar::isSurrogate(c); })) {
        byQt = text.toCaseFolded();
        units = unitsOf(byQt);
        std::copy_n(units.begin(), std::min<size_t>(units.size(), 8), folded);
    } else {
        for (size_t i = 0; i < n; ++i)
            folded[i] = foldUnit(units[i]);
    }
    std::array<quint64, 2> head{0, 0};
    for (size_t i = 0; i < 8; ++i)
        head[i / 4] = (head[i / 4] << 16) | folded[i];
    return head;
}

// Compares the folded forms of two texts whose first `from` units fold alike, folding as
// it goes: most comparisons end within a few units, so folding every text in full first
// would cost more than it saves. A surrogate leaves the comparison to Qt.
int compareFolded(const QString &a, const QString &b, size_t from)
{
    const std::u16string_view x = unitsOf(a);
    const std::u16string_view y = unitsOf(b);
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = from; i < n; ++i) {
        if (QChar::isSurrogate(x[i]) || QChar::isSurrogate(y[i]))
            return QString::compare(a.toCaseFolded(), b.toCaseFolded(), Qt::CaseSensitive);
        if (x[i] == y[i])
            continue;
        const char16_t fx = foldUnit(x[i]);
        const char16_t fy = foldUnit(y[i]);
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    if (x.size() == y.size())
        return 0;
    // The longer text's rest decides only by being there, unless it holds surrogates,
    // whose folding Qt alone knows.
    const std::u16string_view rest = (x.size() > y.size() ? x : y).substr(n);
    if (std::any_of(rest.begin(), rest.end(), [](char16_t c) { return QChar::isSurrogate(c); }))
        return QString::compare(a.toCaseFolded(), b.toCaseFolded(), Qt::CaseSensitive);
    return x.size() < y.size() ? -1 : 1;
}

struct SortItem {
    quint64 head0;
    quint64 head1;
    int row;
};

} // namespace

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

    // The order: folded text, then the text itself by character code, then the row's
    // place, which keeps equal rows in the order they had. Most comparisons end on the
    // heads of the folded texts without touching the texts.
    std::vector<SortItem> items(n);
    for (size_t i = 0; i < n; ++i) {
        const std::array<quint64, 2> head = foldedHead(column(i));
        items[i] = {head[0], head[1], int(i)};
    }
    auto before = [&](const SortItem &a, const SortItem &b) {
        if (a.head0 != b.head0)
            return (a.head0 < b.head0) != descending;
        if (a.head1 != b.head1)
            return (a.head1 < b.head1) != descending;
        const QString &ta = column(size_t(a.row));
        const QString &tb = column(size_t(b.row));
        // Equal heads of texts that both fill them: the first eight units fold alike.
        int c = compareFolded(ta, tb, ta.size() >= 8 && tb.size() >= 8 ? 8 : 0);
        if (c == 0)
            c = unitsOf(ta).compare(unitsOf(tb));
        if (c == 0)
            return a.row < b.row;
        return descending ? c > 0 : c < 0;
    };
    std::sort(items.begin(), items.end(), before);

    bool unchanged = true;
    for (size_t i = 0; i < n && unchanged; ++i)
        unchanged = items[i].row == int(i);
    if (unchanged)
        return {};

    Q_EMIT aboutToBeReordered();
    QList<int> newRowOfOld(static_cast<qsizetype>(n));
    for (size_t i = 0; i < n; ++i)
        newRowOfOld[items[i].row] = int(i);
    // The rows move in place, cycle by cycle, rather than into a second table.
    for (size_t first = 0; first < n; ++first) {
        if (items[first].row == int(first))
            continue; // already in place, or placed by an earlier cycle
        StringEntry carried = std::move(m_rows[first]);
        size_t to = first;
        for (;;) {
            const size_t from = size_t(items[to].row);
            items[to].row = int(to);
            if (from == first) {
                m_rows[to] = std::move(carried);
                break;
            }
            m_rows[to] = std::move(m_rows[from]);
            to = from;
        }
    }
    Q_EMIT reordered(newRowOfOld);
    return newRowOfOld;
}

} // namespace quillet
