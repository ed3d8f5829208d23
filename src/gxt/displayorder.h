#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace quillet {

// The order the list shows a table's entries in, when sorted by a column: the text as the
// user reads it, letter case aside first, so that "abc" stands beside "ABC", then by
// character code, so that the order is total. Entries whose texts are the same keep their
// order in the file, whichever direction the list is sorted in. The list's proxy and Find
// both go by this one order.
enum SortKey { ByName = 0, ByValue = 1 };
enum SortOrder { Ascending = 0, Descending = 1 };

int compareForDisplay(QStringView a, QStringView b);

// Sort keys of one column of a table, kept row by row so that one row can change without
// the rest being read again: the first eight units of each text folded, which decide most
// comparisons; the whole texts are read only where those agree.
class DisplayKeys
{
public:
    using TextOf = std::function<QString(int row)>;

    DisplayKeys() = default;
    // Keys of `count` rows, whose texts `textOf` gives.
    void build(int count, const TextOf &textOf);
    bool isBuilt() const { return m_built; }
    void clear();

    // Follow the table: a row inserted at `row`, removed, or given another text.
    void insert(int row);
    void remove(int row);
    void update(int row);

    // compareForDisplay of the two rows' texts.
    int compare(int a, int b) const;

private:
    struct Head {
        quint64 first;
        quint64 second;
    };
    static Head headOf(const QString &text);
    // The whole text of a row, read once when a comparison first needs it.
    const QString &textAt(int row) const;

    std::vector<Head> m_heads;
    mutable std::vector<QString> m_texts;
    mutable std::vector<bool> m_known;
    TextOf m_textOf;
    bool m_built = false;
};

// The rows of a table in display order: `count` rows whose texts `textOf` gives.
std::vector<int> displayOrder(int count, const DisplayKeys::TextOf &textOf, SortOrder order);

} // namespace quillet
