#include "keyhash.h"

#include <array>

namespace quillet {

namespace {

const std::array<quint32, 256> &crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

quint32 crc32Upper(QByteArrayView name)
{
    const auto &table = crcTable();
    quint32 crc = 0xFFFFFFFFu;
    for (char c : name) {
        const uchar upper = (c >= 'a' && c <= 'z') ? uchar(c - 32) : uchar(c);
        crc = table[(crc ^ upper) & 0xFF] ^ (crc >> 8);
    }
    return crc;
}

quint32 oneAtATimeLower(QByteArrayView name)
{
    quint32 h = 0;
    for (char c : name) {
        h += uchar((c >= 'A' && c <= 'Z') ? c + 32 : c);
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

} // namespace

const KeyHash &KeyHash::crc32()
{
    static const KeyHash hash("crc32", "CRC-32 (third game)", "third game", 200, "", crc32Upper);
    return hash;
}

const KeyHash &KeyHash::oneAtATime()
{
    static const KeyHash hash("one-at-a-time", "One-at-a-time (fourth and fifth games)", "fourth game", 0,
                              "unicode", oneAtATimeLower);
    return hash;
}

const std::vector<const KeyHash *> &KeyHash::all()
{
    // The first is the one evidence that decides nothing falls back to.
    static const std::vector<const KeyHash *> hashes{&crc32(), &oneAtATime()};
    return hashes;
}

const KeyHash *KeyHash::byId(const QString &id)
{
    for (const KeyHash *hash : all()) {
        if (hash->id() == id)
            return hash;
    }
    return nullptr;
}

} // namespace quillet
