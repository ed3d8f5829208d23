#include "hashevidence.h"

#include "gxtformat.h"
#include "keyhash.h"
#include "keynames.h"
#include "radixsort.h"
#include "rawgxt.h"

#include <QByteArray>

#include <algorithm>

namespace quillet {

namespace {

// The names a table's name gives its keys, as the game's mission tables name them.
std::vector<QByteArray> namesFromTable(QByteArrayView table)
{
    std::vector<QByteArray> names;
    const QByteArray t = table.toByteArray();
    auto two = [](int n) { return QByteArray::number(n).rightJustified(2, '0'); };
    for (int n = 0; n <= 99; ++n) {
        names.push_back(t + '_' + two(n));
        names.push_back(t + two(n));
        if (n < 10) {
            names.push_back(t + '_' + QByteArray::number(n));
            names.push_back(t + QByteArray::number(n));
        }
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        names.push_back(t + '_' + c);
        names.push_back(t + c);
    }
    return names;
}

} // namespace

HashEvidence weighKeyHashes(const RawDocument &document, const KeyNames *names)
{
    const std::vector<const KeyHash *> &hashes = KeyHash::all();
    HashEvidence evidence;
    evidence.byNames.assign(hashes.size(), 0);
    evidence.byTableNames.assign(hashes.size(), 0);
    std::vector<quint32> keys;
    for (const RawTable &table : document.tables) {
        for (const StringEntry &entry : table.entries)
            keys.push_back(entry.hash);
    }
    sortNumbers(keys);
    const auto isKey = [&keys](quint32 hash) { return std::binary_search(keys.begin(), keys.end(), hash); };

    if (names) {
        for (const QString &name : names->names()) {
            const QByteArray bytes = name.toLatin1();
            for (size_t h = 0; h < hashes.size(); ++h)
                evidence.byNames[h] += isKey((*hashes[h])(bytes)) ? 1 : 0;
        }
    }
    // Table by table until one hash is far ahead: a third-game file finds hundreds of its
    // keys under its own hash and none under the other.
    for (const RawTable &table : document.tables) {
        for (const QByteArray &name : namesFromTable(table.name.bytes())) {
            for (size_t h = 0; h < hashes.size(); ++h)
                evidence.byTableNames[h] += isKey((*hashes[h])(name)) ? 1 : 0;
        }
        const auto [low, high] = std::minmax_element(evidence.byTableNames.begin(), evidence.byTableNames.end());
        if (*high >= 32 && *low * 8 <= *high)
            break;
    }
    return evidence;
}

const KeyHash &chooseKeyHash(const RawDocument &document, const KeyNames *names)
{
    const KeyHash *own = document.format && document.format->traits().hash ? document.format->traits().hash
                                                                            : &KeyHash::crc32();
    if (!document.format || !document.format->storesHashes())
        return *own;
    const HashEvidence evidence = weighKeyHashes(document, names);
    const std::vector<const KeyHash *> &hashes = KeyHash::all();
    // The one with the most, where no other has as many; else the next kind of evidence.
    for (const std::vector<int> *counts : {&evidence.byNames, &evidence.byTableNames}) {
        const auto best = std::max_element(counts->begin(), counts->end());
        if (*best > 0 && std::count(counts->begin(), counts->end(), *best) == 1)
            return *hashes[size_t(best - counts->begin())];
    }
    return *own;
}

} // namespace quillet
