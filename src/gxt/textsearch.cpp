#include "textsearch.h"

#include "gxtdocument.h"
#include "stringtable.h"

#include <algorithm>
#include <vector>

namespace quillet {

bool TextSearch::matches(const StringEntry &row) const
{
    if (text.isEmpty())
        return false;
    return (inNames() && row.name.contains(text, caseSensitivity()))
        || (inValues() && row.value.contains(text, caseSensitivity()));
}

bool TextSearch::valueMatches(const QString &value) const
{
    return !text.isEmpty() && inValues() && value.contains(text, caseSensitivity());
}

QString TextSearch::replacedIn(const QString &value, const QString &with) const
{
    if (text.isEmpty())
        return value;
    QString result = value;
    return result.replace(text, with, caseSensitivity());
}

SearchHit findInDocument(const GxtDocument &document, const TextSearch &search, int table, int position,
                         bool backwards)
{
    if (search.isEmpty() || table < 0 || table >= document.tableCount())
        return {};
    // The document's rows as one sequence, table after table in file order.
    std::vector<qsizetype> firstOf(size_t(document.tableCount()) + 1, 0);
    for (int t = 0; t < document.tableCount(); ++t)
        firstOf[size_t(t) + 1] = firstOf[size_t(t)] + document.table(t)->count();
    const qsizetype total = firstOf.back();
    if (total == 0)
        return {};
    const qsizetype tableSize = document.table(table)->count();
    position = std::clamp(position, 0, int(tableSize));
    // Where the search stands, as an index into the sequence; "no row" stands just before
    // the table's first row going forwards and just after its last going backwards.
    qsizetype start = firstOf[size_t(table)] + position - 1;
    if (position == 0 && backwards)
        start = firstOf[size_t(table)] + tableSize;

    for (qsizetype step = 1; step <= total; ++step) {
        const qsizetype unwrapped = backwards ? start - step : start + step;
        const qsizetype at = ((unwrapped % total) + total) % total;
        // The last table that starts at or before the row holds it; empty tables start
        // where the next one does and so are passed over.
        const int t = int(std::upper_bound(firstOf.cbegin(), firstOf.cend(), at) - firstOf.cbegin()) - 1;
        const int row = int(at - firstOf[size_t(t)]) + 1;
        if (search.matches(document.table(t)->entry(row)))
            return {t, row, unwrapped < 0 || unwrapped >= total};
    }
    return {};
}

} // namespace quillet
