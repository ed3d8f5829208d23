#include "stringtable.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

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

// Folds `text` into `out`, which has room for text.size() units, exactly as
// QString::toCaseFolded() folds it: no character of the Basic Multilingual Plane folds to
// a different length, so unit by unit. False for a text with surrogate pairs, which is
// left to Qt.
bool foldInto(std::u16string_view text, char16_t *out)
{
    const std::array<char16_t, 256> &latin = latinFolds();
    for (const char16_t c : text) {
        if (c < 256)
            *out++ = latin[c];
        else if (QChar::isSurrogate(c))
            return false;
        else
            *out++ = char16_t(QChar::toCaseFolded(char32_t(c)));
    }
    return true;
}

// The first four units of a text as one number that compares as the units do; a text
// that ends early is padded with zeros, so equal heads still need the whole texts.
quint64 headOf(std::u16string_view units, size_t from)
{
    quint64 head = 0;
    for (size_t i = from; i < from + 4; ++i)
        head = (head << 16) | (i < units.size() ? quint64(units[i]) : 0);
    return head;
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

    // Each text is folded once, into one buffer: folding on every comparison, or a string
    // of its own per row, would cost more than the sort itself.
    size_t total = 0;
    for (size_t i = 0; i < n; ++i)
        total += size_t(column(i).size());
    size_t capacity = total;
    std::unique_ptr<char16_t[]> foldedUnits(new char16_t[std::max<size_t>(capacity, 1)]);
    std::vector<size_t> foldedStart(n + 1);
    size_t used = 0;
    size_t unfolded = total; // units of the texts not folded yet
    for (size_t i = 0; i < n; ++i) {
        foldedStart[i] = used;
        const std::u16string_view text = unitsOf(column(i));
        unfolded -= text.size();
        if (foldInto(text, foldedUnits.get() + used)) {
            used += text.size();
            continue;
        }
        // Surrogate pairs, left to Qt; the buffer grows if what it gives is longer.
        const QString byQt = column(i).toCaseFolded();
        const std::u16string_view units = unitsOf(byQt);
        if (used + units.size() + unfolded > capacity) {
            capacity = used + units.size() + unfolded;
            std::unique_ptr<char16_t[]> larger(new char16_t[capacity]);
            std::copy(foldedUnits.get(), foldedUnits.get() + used, larger.get());
            foldedUnits = std::move(larger);
        }
        std::copy(units.begin(), units.end(), foldedUnits.get() + used);
        used += units.size();
    }
    foldedStart[n] = used;
    auto folded = [&](int row) {
        return std::u16string_view(foldedUnits.get() + foldedStart[size_t(row)],
                                   foldedStart[size_t(row) + 1] - foldedStart[size_t(row)]);
    };

    // The order: folded text, then the text itself by character code, then the row's
    // place, which keeps equal rows in the order they had. Most comparisons end on the
    // heads of the folded texts without touching the texts.
    std::vector<SortItem> items(n);
    for (size_t i = 0; i < n; ++i)
        items[i] = {headOf(folded(int(i)), 0), headOf(folded(int(i)), 4), int(i)};
    auto before = [&](const SortItem &a, const SortItem &b) {
        if (a.head0 != b.head0)
            return (a.head0 < b.head0) != descending;
        if (a.head1 != b.head1)
            return (a.head1 < b.head1) != descending;
        const std::u16string_view fa = folded(a.row);
        const std::u16string_view fb = folded(b.row);
        // Equal heads of texts that both fill them: the first eight units are equal.
        const size_t skip = fa.size() >= 8 && fb.size() >= 8 ? 8 : 0;
        int c = fa.substr(skip).compare(fb.substr(skip));
        if (c == 0)
            c = unitsOf(column(size_t(a.row))).compare(unitsOf(column(size_t(b.row))));
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
