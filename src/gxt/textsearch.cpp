#include "textsearch.h"

#include "gxtdocument.h"
#include "stringtable.h"

#include <algorithm>

namespace quillet {

SearchHit findInDocument(const GxtDocument &document, const EntryRules &rules, const TextSearch &search, int table,
                         EntryId from, bool backwards, const ListOrder &orderOf)
{
    const int tables = document.tableCount();
    const TextMatcher matcher = search.matcher();
    if (!matcher.isValid() || table < 0 || table >= tables)
        return {};
    auto matches = [&](const StringTable &t, int row) {
        const StringEntry &entry = t.at(row);
        return matcher.matches(search.inNames() ? rules.keyText(entry) : QString(),
                               search.inValues() ? rules.valueText(entry) : QString());
    };
    // The first match in list order of rows `order[begin..end)`, or of its reverse going back.
    auto scan = [&](int t, const std::vector<int> &order, qsizetype begin, qsizetype end, bool wrapped) -> SearchHit {
        const StringTable &shown = *document.table(t);
        if (!backwards) {
            for (qsizetype k = begin; k < end; ++k) {
                if (matches(shown, order[size_t(k)]))
                    return {t, shown.at(order[size_t(k)]).id, wrapped};
            }
        } else {
            for (qsizetype k = end - 1; k >= begin; --k) {
                if (matches(shown, order[size_t(k)]))
                    return {t, shown.at(order[size_t(k)]).id, wrapped};
            }
        }
        return {};
    };

    const std::vector<int> startOrder = orderOf(table);
    const StringTable &start = *document.table(table);
    const int startRow = start.rowOf(from);
    qsizetype at = -1;
    if (startRow >= 0)
        at = std::find(startOrder.begin(), startOrder.end(), startRow) - startOrder.begin();
    const qsizetype size = qsizetype(startOrder.size());
    // "No entry" stands before the first row going forwards, after the last going backwards.
    if (at < 0)
        at = backwards ? size : -1;

    if (SearchHit hit = backwards ? scan(table, startOrder, 0, at, false) : scan(table, startOrder, at + 1, size, false))
        return hit;
    for (int k = 1; k < tables; ++k) {
        const int t = backwards ? (table - k + tables) % tables : (table + k) % tables;
        const bool wrapped = backwards ? table - k < 0 : table + k >= tables;
        // A table is put in list order only where something in it matches.
        const StringTable &other = *document.table(t);
        bool any = false;
        for (int row = 0; row < other.count() && !any; ++row)
            any = matches(other, row);
        if (!any)
            continue;
        const std::vector<int> order = orderOf(t);
        if (SearchHit hit = scan(t, order, 0, qsizetype(order.size()), wrapped))
            return hit;
    }
    // Round to where it started, which it reaches last.
    return backwards ? scan(table, startOrder, std::max<qsizetype>(at, 0), size, true)
                     : scan(table, startOrder, 0, std::min(at + 1, size), true);
}

} // namespace quillet
