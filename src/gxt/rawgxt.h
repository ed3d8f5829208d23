#pragma once

#include "fileoperationhooks.h"
#include "result.h"
#include "stringentry.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quillet {

class GxtFormat;
class KeyHash;

// A GXT file's content as plain data, before any character numbering or key names give it a
// meaning: what a reader gives, a writer takes, and the text forms and comparisons work on.
// Every unit of every text is kept, so a read followed by a write loses nothing. Entries
// read from a file have no identity (id 0) until a document takes them.
struct RawTable {
    RawName name;
    std::vector<StringEntry> entries;

    // The same name and entries, key for key and unit for unit, in the same order.
    friend bool operator==(const RawTable &a, const RawTable &b)
    {
        return a.name == b.name
            && std::equal(a.entries.begin(), a.entries.end(), b.entries.begin(), b.entries.end(),
                          [](const StringEntry &x, const StringEntry &y) { return x.sameContent(y); });
    }
};

struct RawDocument {
    const GxtFormat *format = nullptr;
    int bits = 16;
    // The hash hashed keys are read by; null for formats that store names.
    const KeyHash *hash = nullptr;
    std::vector<RawTable> tables;

    friend bool operator==(const RawDocument &a, const RawDocument &b)
    {
        return a.format == b.format && a.bits == b.bits && a.hash == b.hash && a.tables == b.tables;
    }
};

// What a reader does with each text instead of keeping it, for a caller that only needs to
// look at the texts once (a check): the reader then reads and checks every text as always,
// hands its units over, and leaves the entries' units empty. Shared texts are handed over
// once per entry.
class TextInspector
{
public:
    virtual ~TextInspector();
    // The text of entry `entry` (in record order) of table `table` (in file order); the
    // units are valid until the call returns.
    virtual void inspect(int table, int entry, QStringView units) = 0;
};

// Where each text lies in the file, for a caller that keeps the file's bytes and fills the
// texts in when they are first needed: the reader reads and checks every text as always, but
// leaves the units of tables from the second on empty and says where they are instead.
class TextPlacement
{
public:
    virtual ~TextPlacement();
    // Entry `entry` (in record order) of table `table`: `length` units from byte `start`,
    // each `unitBytes` wide; or, where `sharedWith` is not -1, the very text of that entry.
    virtual void place(int table, int entry, qint64 start, qint64 length, int unitBytes, int sharedWith) = 0;
};

// Entries a salvaging read left out, by table: those whose text offsets point outside their
// table's texts, which no reader can give a text to. A user who needs to repair such a file
// can open it without them.
struct SalvageReport {
    struct Table {
        QString name;
        int entries = 0;
    };
    std::vector<Table> tables;

    int total() const;
    // "3 entries of table MAIN point outside its texts and cannot be read." for every table.
    QString description() const;
};

// What a read does besides reading: who looks at the texts instead of keeping them, who
// keeps the file's bytes and wants to know where the later tables' texts lie, and whether
// entries that point outside their texts are left out (and counted) rather than refused.
struct ReadOptions {
    TextInspector *inspector = nullptr;
    TextPlacement *placement = nullptr;
    SalvageReport *salvage = nullptr;
};

// Reads the bytes of a whole GXT file of any format Quillet knows. A damaged file fails
// with a reason that names the table and the entry where the damage was found, and `out`
// is left empty. Warnings name what the game would only warn about.
Result readGxt(QByteArrayView data, RawDocument &out, const FileOperationHooks &hooks = {},
               const ReadOptions &options = {});

// The same from a file on disk, read a window at a time rather than whole.
Result readGxtFile(const QString &path, RawDocument &out, const FileOperationHooks &hooks = {},
                   const ReadOptions &options = {});

// Writes a document as the game ships its format (see GxtFormat::write). Refuses, writing
// nothing and before it copies a text, what the format cannot hold.
Result writeGxt(const RawDocument &document, QByteArray &out, const FileOperationHooks &hooks = {});

// The document as the writer lays it out: tables and entries in writer order. What a save
// followed by a read gives back, and so what a save is checked against.
RawDocument inWriterOrder(const RawDocument &document);

// "entry 3 (NAME)", or "table TAB, entry 3 (NAME)" in a document of tables: how every
// message names an entry. Positions count from 1 in the table's file order.
QString describeEntry(int position, const QString &name);
QString describeEntry(const GxtFormat &format, const QString &table, int position, const QString &name);

} // namespace quillet
