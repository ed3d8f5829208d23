#include "displayorder.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>

namespace quillet {

namespace {

std::u16string_view unitsOf(QStringView text)
{
    return {text.utf16(), size_t(text.size())};
}

// Case folding of Latin-1, looked up rather than asked of Qt for every character.
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
// unit by unit; texts with surrogates are left to Qt.
char16_t foldUnit(char16_t c)
{
    return c < 256 ? latinFolds()[c] : char16_t(QChar::toCaseFolded(char32_t(c)));
}

bool hasSurrogate(std::u16string_view units)
{
    return std::any_of(units.begin(), units.end(), [](char16_t c) { return QChar::isSurrogate(c); });
}

// Compares the folded forms of two texts whose first `from` units fold alike, folding as
// it goes: most comparisons end within a few units.
int compareFolded(QStringView a, QStringView b, size_t from)
{
    const std::u16string_view x = unitsOf(a);
    const std::u16string_view y = unitsOf(b);
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = from; i < n; ++i) {
        if (QChar::isSurrogate(x[i]) || QChar::isSurrogate(y[i]))
            return QString::compare(a.toString().toCaseFolded(), b.toString().toCaseFolded(), Qt::CaseSensitive);
        if (x[i] == y[i])
            continue;
        const char16_t fx = foldUnit(x[i]);
        const char16_t fy = foldUnit(y[i]);
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    if (x.size() == y.size())
        return 0;
    // The longer text's rest decides only by being there, unless it holds surrogates.
    if (hasSurrogate((x.size() > y.size() ? x : y).substr(n)))
        return QString::compare(a.toString().toCaseFolded(), b.toString().toCaseFolded(), Qt::CaseSensitive);
    return x.size() < y.size() ? -1 : 1;
}

} // namespace

int compareForDisplay(QStringView a, QStringView b)
{
    int c = compareFolded(a, b, 0);
    if (c == 0)
        c = unitsOf(a).compare(unitsOf(b));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

DisplayKeys::Head DisplayKeys::headOf(const QString &text)
{
    std::u16string_view units = unitsOf(text);
    const size_t n = std::min<size_t>(units.size(), 8);
    char16_t folded[8] = {};
    if (hasSurrogate(units.substr(0, n))) {
        const QString byQt = text.toCaseFolded();
        const std::u16string_view f = unitsOf(byQt);
        std::copy_n(f.begin(), std::min<size_t>(f.size(), 8), folded);
    } else {
        for (size_t i = 0; i < n; ++i)
            folded[i] = foldUnit(units[i]);
    }
    Head head{0, 0};
    for (size_t i = 0; i < 4; ++i)
        head.first = (head.first << 16) | folded[i];
    for (size_t i = 4; i < 8; ++i)
        head.second = (head.second << 16) | folded[i];
    return head;
}

void DisplayKeys::build(int count, const TextOf &textOf)
{
    m_textOf = textOf;
    // The whole texts are kept only once a comparison first needs one.
    m_texts.clear();
    m_known.clear();
    m_heads.resize(size_t(count));
    for (int row = 0; row < count; ++row)
        m_heads[size_t(row)] = headOf(textOf(row));
    m_built = true;
}

void DisplayKeys::clear()
{
    m_heads.clear();
    m_heads.shrink_to_fit();
    m_texts.clear();
    m_texts.shrink_to_fit();
    m_known.clear();
    m_built = false;
}

void DisplayKeys::insert(int row)
{
    if (!m_built)
        return;
    if (!m_texts.empty()) {
        m_texts.insert(m_texts.begin() + row, QString());
        m_known.insert(m_known.begin() + row, false);
    }
    m_heads.insert(m_heads.begin() + row, headOf(m_textOf(row)));
}

void DisplayKeys::remove(int row)
{
    if (!m_built)
        return;
    if (!m_texts.empty()) {
        m_texts.erase(m_texts.begin() + row);
        m_known.erase(m_known.begin() + row);
    }
    m_heads.erase(m_heads.begin() + row);
}

void DisplayKeys::update(int row)
{
    if (!m_built)
        return;
    if (!m_texts.empty()) {
        m_texts[size_t(row)] = QString();
        m_known[size_t(row)] = false;
    }
    m_heads[size_t(row)] = headOf(m_textOf(row));
}

int DisplayKeys::compare(int a, int b) const
{
    const Head &x = m_heads[size_t(a)];
    const Head &y = m_heads[size_t(b)];
    if (x.first != y.first)
        return x.first < y.first ? -1 : 1;
    if (x.second != y.second)
        return x.second < y.second ? -1 : 1;
    const QString &ta = textAt(a);
    const QString &tb = textAt(b);
    // Equal heads of texts that both fill them: their first eight units fold alike.
    int c = compareFolded(ta, tb, ta.size() >= 8 && tb.size() >= 8 ? 8 : 0);
    if (c == 0)
        c = unitsOf(ta).compare(unitsOf(tb));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

const QString &DisplayKeys::textAt(int row) const
{
    if (m_texts.empty()) {
        m_texts.assign(m_heads.size(), QString());
        m_known.assign(m_heads.size(), false);
    }
    if (!m_known[size_t(row)]) {
        m_texts[size_t(row)] = m_textOf(row);
        m_known[size_t(row)] = true;
    }
    return m_texts[size_t(row)];
}

std::vector<int> displayOrder(int count, const DisplayKeys::TextOf &textOf, SortOrder order)
{
    DisplayKeys keys;
    keys.build(count, textOf);
    std::vector<int> rows(static_cast<size_t>(count));
    std::iota(rows.begin(), rows.end(), 0);
    const bool descending = order == Descending;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const int c = keys.compare(a, b);
        return descending ? c > 0 : c < 0;
    });
    return rows;
}

} // namespace quillet
