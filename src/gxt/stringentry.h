#pragma once

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <array>

namespace quillet {

// A key or table name field as the file holds it: up to 8 bytes, no zero byte among them.
class RawName
{
public:
    static constexpr int Capacity = 8;

    RawName() = default;
    // Takes at most the first 8 bytes; a zero byte ends the name as in a C string.
    static RawName fromBytes(QByteArrayView bytes)
    {
        RawName name;
        const qsizetype limit = std::min<qsizetype>(bytes.size(), Capacity);
        while (name.m_length < limit && bytes[name.m_length] != 0) {
            name.m_bytes[name.m_length] = bytes[name.m_length];
            ++name.m_length;
        }
        return name;
    }

    QByteArrayView bytes() const { return QByteArrayView(m_bytes.data(), m_length); }
    qsizetype size() const { return m_length; }
    bool isEmpty() const { return m_length == 0; }
    // The 8-byte field: the name, then zero bytes.
    const std::array<char, Capacity> &field() const { return m_bytes; }

    friend bool operator==(const RawName &a, const RawName &b) { return a.bytes() == b.bytes(); }
    // By unsigned bytes, a prefix first: the order the game searches tabled keys in.
    friend bool operator<(const RawName &a, const RawName &b)
    {
        return std::lexicographical_compare(a.m_bytes.begin(), a.m_bytes.begin() + a.m_length, b.m_bytes.begin(),
                                            b.m_bytes.begin() + b.m_length,
                                            [](char x, char y) { return uchar(x) < uchar(y); });
    }

private:
    std::array<char, Capacity> m_bytes{};
    quint8 m_length = 0;
};

// An entry's identity: unique among the entries a document has had, for as long as the
// document lives. 0 is no entry.
using EntryId = quint32;

// One entry of a table: its identity, its key and its text as the file's units, glyph
// numbers of the game's font, one to a QChar, without the terminator. A key is a name
// (formats that store names) or a hash (formats that store hashes); what it shows as, and
// what the units show as, is for whoever shows them to decide. Entries that share a text
// in the file share one string.
struct StringEntry {
    EntryId id = 0;
    RawName name;     // formats that store names
    quint32 hash = 0; // formats that store hashes
    QString units;

    // The same key and text, whatever their identities: what a file can tell apart.
    bool sameContent(const StringEntry &other) const
    {
        return name == other.name && hash == other.hash && units == other.units;
    }
    bool sameKey(const StringEntry &other) const { return name == other.name && hash == other.hash; }
};

} // namespace quillet
