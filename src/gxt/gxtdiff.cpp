#include "gxtdiff.h"

#include "keynames.h"

#include <QHash>

#include <algorithm>

namespace quillet {

namespace {

QString layoutText(const GxtDocumentData &data)
{
    const int bits = data.layout == GxtLayout::Hashed ? data.bits : 16;
    return QStringLiteral("%1, %2-bit texts").arg(layoutName(data.layout)).arg(bits);
}

QString entriesText(size_t count)
{
    return count == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(count);
}

// Which tables of each side stand for the same table: the k-th of a name on one side is the
// k-th of that name on the other.
std::vector<int> occurrences(const std::vector<GxtTableData> &tables)
{
    std::vector<int> occurrence(tables.size());
    QHash<QString, int> seen;
    for (size_t t = 0; t < tables.size(); ++t)
        occurrence[t] = seen[tables[t].name]++;
    return occurrence;
}

struct KeyedRows {
    // Each key's rows in record order, keys in the order they first appear.
    QHash<QString, std::vector<const StringEntry *>> rows;
    QStringList order;
};

KeyedRows keyed(const std::vector<StringEntry> &rows, bool byHash)
{
    KeyedRows out;
    for (const StringEntry &row : rows) {
        QString id = row.name;
        if (byHash) {
            if (const std::optional<quint32> hash = KeyNames::hashOf(row.name))
                id = KeyNames::hashText(*hash);
        }
        auto &list = out.rows[id];
        if (list.empty())
            out.order.append(id);
        list.push_back(&row);
    }
    return out;
}

bool isHashShown(const QString &name)
{
    return name.startsWith(u'#');
}

void diffTable(const GxtTableData &before, const GxtTableData &after, bool byHash, std::vector<GxtDifference> &out)
{
    const KeyedRows a = keyed(before.rows, byHash);
    const KeyedRows b = keyed(after.rows, byHash);
    std::vector<GxtDifference> found;
    auto compare = [&](const QString &id) {
        const std::vector<const StringEntry *> none;
        const auto ia = a.rows.constFind(id);
        const auto ib = b.rows.constFind(id);
        const std::vector<const StringEntry *> &ra = ia == a.rows.cend() ? none : *ia;
        const std::vector<const StringEntry *> &rb = ib == b.rows.cend() ? none : *ib;
        // A name where either side knows one, rather than the hash.
        QString shown = !ra.empty() ? ra.front()->name : rb.front()->name;
        if (isHashShown(shown) && !rb.empty() && !isHashShown(rb.front()->name))
            shown = rb.front()->name;
        for (size_t k = 0; k < std::max(ra.size(), rb.size()); ++k) {
            if (k >= rb.size())
                found.push_back({GxtDifference::EntryRemoved, before.name, shown, ra[k]->value, {}});
            else if (k >= ra.size())
                found.push_back({GxtDifference::EntryAdded, before.name, shown, {}, rb[k]->value});
            else if (ra[k]->value != rb[k]->value)
                found.push_back({GxtDifference::EntryChanged, before.name, shown, ra[k]->value, rb[k]->value});
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

QString quotedText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

} // namespace

std::vector<GxtDifference> diffDocuments(const GxtDocumentData &before, const GxtDocumentData &after)
{
    std::vector<GxtDifference> out;
    if (layoutText(before) != layoutText(after))
        out.push_back({GxtDifference::Layout, {}, {}, layoutText(before), layoutText(after)});
    const bool byHash = before.layout == GxtLayout::Hashed || after.layout == GxtLayout::Hashed;

    const std::vector<int> occurrenceA = occurrences(before.tables);
    const std::vector<int> occurrenceB = occurrences(after.tables);
    auto findIn = [](const std::vector<GxtTableData> &tables, const std::vector<int> &occurrence, const QString &name,
                     int k) -> const GxtTableData * {
        for (size_t t = 0; t < tables.size(); ++t) {
            if (occurrence[t] == k && tables[t].name == name)
                return &tables[t];
        }
        return nullptr;
    };
    for (size_t t = 0; t < before.tables.size(); ++t) {
        const GxtTableData &table = before.tables[t];
        const GxtTableData *other = findIn(after.tables, occurrenceB, table.name, occurrenceA[t]);
        if (other)
            diffTable(table, *other, byHash, out);
        else
            out.push_back({GxtDifference::TableRemoved, table.name, {}, entriesText(table.rows.size()), {}});
    }
    for (size_t t = 0; t < after.tables.size(); ++t) {
        const GxtTableData &table = after.tables[t];
        if (!findIn(before.tables, occurrenceA, table.name, occurrenceB[t]))
            out.push_back({GxtDifference::TableAdded, table.name, {}, {}, entriesText(table.rows.size())});
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
        return QStringLiteral("added: %1 = %2").arg(key, quotedText(d.after));
    case GxtDifference::EntryRemoved:
        return QStringLiteral("removed: %1 = %2").arg(key, quotedText(d.before));
    case GxtDifference::EntryChanged:
        return QStringLiteral("changed: %1 = %2 -> %3").arg(key, quotedText(d.before), quotedText(d.after));
    }
    return {};
}

} // namespace quillet
