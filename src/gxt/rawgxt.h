#pragma once

#include "fileoperationhooks.h"
#include "gxtlayout.h"
#include "result.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace quillet {

// A GXT file as its bytes hold it, before any character numbering or key names give it a
// meaning: keys as bytes or hashes, texts as units (glyph numbers of the game's font). Each
// unit is kept in one QChar of `units`, whatever it is; the reader keeps every unit, so a
// read followed by a write loses nothing.

// A key or table name field: up to 8 bytes, no zero byte among them.
class RawName
{
public:
    RawName() = default;
    // Takes at most the first 8 bytes; a zero byte ends the name as in a C string.
    static RawName fromBytes(QByteArrayView bytes);

    QByteArrayView bytes() const { return QByteArrayView(m_bytes.data(), m_length); }
    qsizetype size() const { return m_length; }
    bool isEmpty() const { return m_length == 0; }
    // The 8-byte field: the name, then zero bytes.
    const std::array<char, 8> &field() const { return m_bytes; }

    friend bool operator==(const RawName &a, const RawName &b) { return a.bytes() == b.bytes(); }
    friend bool operator<(const RawName &a, const RawName &b)
    {
        return std::lexicographical_compare(a.m_bytes.begin(), a.m_bytes.begin() + a.m_length, b.m_bytes.begin(),
                                            b.m_bytes.begin() + b.m_length,
                                            [](char x, char y) { return uchar(x) < uchar(y); });
    }

private:
    std::array<char, 8> m_bytes{};
    quint8 m_length = 0;
};

struct RawEntry {
    RawName key;       // flat and tabled
    quint32 hash = 0;  // hashed
    QString units;     // one unit per QChar, without the terminator

    friend bool operator==(const RawEntry &, const RawEntry &) = default;
};

struct RawTable {
    RawName name;
    std::vector<RawEntry> entries;

    friend bool operator==(const RawTable &, const RawTable &) = default;
};

struct RawDocument {
    GxtLayout layout = GxtLayout::Flat;
    int bits = 16; // 8 only in the hashed layout
    std::vector<RawTable> tables;

    friend bool operator==(const RawDocument &, const RawDocument &) = default;
};

// Reads the bytes of a whole GXT file of any layout. A damaged file fails with a reason
// that names the table and the entry where the damage was found, and `out` is left empty.
// Warnings name what the game would only warn about (a table whose block repeats another
// name than its record).
Result readGxt(QByteArrayView data, RawDocument &out, const FileOperationHooks &hooks = {});

// The same from a file on disk, read a window at a time rather than whole.
Result readGxtFile(const QString &path, RawDocument &out, const FileOperationHooks &hooks = {});

// Writes a document as the game ships its layout: tables MAIN first, then by name; keys in
// the order the game searches them (equal keys keep their order); texts one after another
// in key order with fresh offsets and exact sizes; in the tabled and hashed layouts every
// table block on a 4-byte boundary. Refuses, writing nothing, what the layout cannot hold:
// a zero unit inside a text, a unit wider than the texts, no MAIN table first, sizes past
// 32 bits.
Result writeGxt(const RawDocument &document, QByteArray &out, const FileOperationHooks &hooks = {});

// The order in which the writer puts a table's entries, for one layout: flat keys by the
// character codes of their Windows-1252 characters, tabled keys by their bytes, hashed keys
// by their hash as an unsigned number.
bool writerOrderLess(GxtLayout layout, const RawEntry &a, const RawEntry &b);
bool isInWriterOrder(GxtLayout layout, const std::vector<RawEntry> &entries);

// The document as the writer would lay it out: tables and entries in writer order. What a
// save followed by a read gives back, and so what a save is checked against.
RawDocument inWriterOrder(const RawDocument &document);

// How messages name a key: its Windows-1252 characters, or "#" and the hash in hex.
QString describeRawKey(GxtLayout layout, const RawEntry &entry);
// "entry 3 (NAME)", or "table TAB, entry 3 (NAME)" in a document of tables.
QString describeEntry(int position, const QString &name);
QString describeEntry(GxtLayout layout, const QString &table, int position, const QString &name);

// What the game would trip on in a document that reads well: repeated keys in a table,
// keys out of the order the game searches them, more tables than the hashed game keeps.
QStringList gameWarnings(const RawDocument &document);

} // namespace quillet
