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

} // namespace

const KeyHash &KeyHash::crc32()
{
    static const KeyHash hash("crc32", "CRC-32 (third game)", crc32Upper);
    return hash;
}

const std::vector<const KeyHash *> &KeyHash::all()
{
    static const std::vector<const KeyHash *> hashes{&crc32()};
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
