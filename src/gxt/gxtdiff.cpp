#include "gxtdiff.h"

#include "gxtformat.h"
#include "hashtext.h"
#include "jsontext.h"
#include "keyhash.h"

#include <QHash>

#include <algorithm>

namespace quillet {

namespace {

QString layoutText(const RawDocument &data)
{
    return QStringLiteral("%1, %2-bit texts").arg(data.format->id()).arg(data.bits);
}

QString entriesText(size_t count)
{
    return count == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(count);
}

// Which tables of each side stand for the same table: the k-th of a name on one side is the
// k-th of that name on the other.
std::vector<int> occurrences(const std::vector<RawTable> &tables)
{
    std::vector<int> occurrence(tables.size());
    QHash<QByteArray, int> seen;
    for (size_t t = 0; t < tables.size(); ++t)
        occurrence[t] = seen[tables[t].name.bytes().toByteArray()]++;
    return occurrence;
}

struct Row {
    QString shown; // the key as its side shows it
    QString value;
};

struct KeyedRows {
    // Each key's rows in record order, keys in the order they first appear.
    QHash<QString, std::vector<Row>> rows;
    QStringList order;
};

// Keys by what they stand for: by name, or by hash when either side stores hashes, a
// named key then standing for its hash under `hash`.
KeyedRows keyed(const RawTable &table, const EntryRules &rules, const KeyHash *hash)
{
    KeyedRows out;
    const bool byHash = hash != nullptr;
    for (const StringEntry &entry : table.entries) {
        Row row{rules.keyText(entry), rules.valueText(entry)};
        QString id = row.shown;
        if (byHash) {
            const quint32 value = rules.format().storesHashes() ? entry.hash : (*hash)(entry.name.bytes());
            id = hashText(value);
        }
        auto &list = out.rows[id];
        if (list.empty())
            out.order.append(id);
        list.push_back(std::move(row));
    }
    return out;
}

bool isHashShown(const QString &name)
{
    return parseHashText(name).has_value();
}

void diffTable(const QString &tableName, const RawTable &before, const EntryRules &beforeRules, const RawTable &after,
               const EntryRules &afterRules, const KeyHash *hash, std::vector<GxtDifference> &out)
{
    const KeyedRows a = keyed(before, beforeRules, hash);
    const KeyedRows b = keyed(after, afterRules, hash);
    std::vector<GxtDifference> found;
    auto compare = [&](const QString &id) {
        const std::vector<Row> none;
        const auto ia = a.rows.constFind(id);
        const auto ib = b.rows.constFind(id);
        const std::vector<Row> &ra = ia == a.rows.cend() ? none : *ia;
        const std::vector<Row> &rb = ib == b.rows.cend() ? none : *ib;
        // A name where either side knows one, rather than the hash.
        QString shown = !ra.empty() ? ra.front().shown : rb.front().shown;
        if (isHashShown(shown) && !rb.empty() && !isHashShown(rb.front().shown))
            shown = rb.front().shown;
        for (size_t k = 0; k < std::max(ra.size(), rb.size()); ++k) {
            if (k >= rb.size())
                found.push_back({GxtDifference::EntryRemoved, tableName, shown, ra[k].value, {}});
            else if (k >= ra.size())
                found.push_back({GxtDifference::EntryAdded, tableName, shown, {}, rb[k].value});
            else if (ra[k].value != rb[k].value)
                found.push_back({GxtDifference::EntryChanged, tableName, shown, ra[k].value, rb[k].value});
        }
    };
    for (const QString &id : a.order)
        compare(id);
    for (const QString &id : b.order) {
        if (!a.rows.contains(id))
            compare(id);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const GxtDifference &x, const GxtDifference &y) { return x.key < y.key; });
    out.insert(out.end(), found.begin(), found.end());
}

} // namespace

std::vector<GxtDifference> diffDocuments(const RawDocument &before, const EntryRules &beforeRules,
                                         const RawDocument &after, const EntryRules &afterRules)
{
    std::vector<GxtDifference> out;
    if (layoutText(before) != layoutText(after))
        out.push_back({GxtDifference::Layout, {}, {}, layoutText(before), layoutText(after)});
    // The hash keys are matched by when either side stores hashes: that side's.
    const KeyHash *hash = before.format->storesHashes() ? beforeRules.hash()
                          : after.format->storesHashes() ? afterRules.hash()
                                                          : nullptr;

    const std::vector<int> occurrenceA = occurrences(before.tables);
    const std::vector<int> occurrenceB = occurrences(after.tables);
    auto findIn = [](const std::vector<RawTable> &tables, const std::vector<int> &occurrence, const RawName &name,
                     int k) -> const RawTable * {
        for (size_t t = 0; t < tables.size(); ++t) {
            if (occurrence[t] == k && tables[t].name == name)
                return &tables[t];
        }
        return nullptr;
    };
    for (size_t t = 0; t < before.tables.size(); ++t) {
        const RawTable &table = before.tables[t];
        const QString name = beforeRules.tableText(table.name);
        const RawTable *other = findIn(after.tables, occurrenceB, table.name, occurrenceA[t]);
        if (other)
            diffTable(name, table, beforeRules, *other, afterRules, hash, out);
        else
            out.push_back({GxtDifference::TableRemoved, name, {}, entriesText(table.entries.size()), {}});
    }
    for (size_t t = 0; t < after.tables.size(); ++t) {
        const RawTable &table = after.tables[t];
        if (!findIn(before.tables, occurrenceA, table.name, occurrenceB[t]))
            out.push_back({GxtDifference::TableAdded, afterRules.tableText(table.name), {}, {}, entriesText(table.entries.size())});
    }
    return out;
}

QString formatDifference(const GxtDifference &d, bool showTable)
{
    const QString key = showTable ? QStringLiteral("%1/%2").arg(d.table, d.key) : d.key;
    switch (d.kind) {
    case GxtDifference::Layout:
        return QStringLiteral("layout: %1 -> %2").arg(d.before, d.after);
    case GxtDifference::TableAdded:
        return QStringLiteral("table added: %1, %2").arg(d.table, d.after);
    case GxtDifference::TableRemoved:
        return QStringLiteral("table removed: %1, %2").arg(d.table, d.before);
    case GxtDifference::EntryAdded:
        return QStringLiteral("added: %1 = %2").arg(key, jsonQuoted(d.after));
    case GxtDifference::EntryRemoved:
        return QStringLiteral("removed: %1 = %2").arg(key, jsonQuoted(d.before));
    case GxtDifference::EntryChanged:
        return QStringLiteral("changed: %1 = %2 -> %3").arg(key, jsonQuoted(d.before), jsonQuoted(d.after));
    }
    return {};
}

} // namespace quillet
