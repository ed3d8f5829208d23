#pragma once

#include "rawgxt.h"
#include "result.h"
#include "stringentry.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace quillet {

class GxtFormat;
class KeyHash;
class StringTable;
struct PendingTexts;

// The open GXT file: its format, its text width, the hash its keys are read by, and its
// tables in file order. A file of one table (flat) is a document of one table, MAIN. Each
// table holds the file's keys and units with an identity per entry; what they read as is
// decided where they are shown (EntryRules), so choosing another character numbering or
// other key names changes nothing here.
//
// Tables are objects that live as long as the table does: a table taken out of the
// document (by a command that can put it back) keeps its entries and their identities.
class GxtDocument : public QObject
{
    Q_OBJECT

public:
    // An untitled document: one empty table in the format of new documents.
    explicit GxtDocument(QObject *parent = nullptr);
    ~GxtDocument() override;

    const GxtFormat &format() const { return *m_format; }
    int bits() const { return m_bits; }
    // The hash hashed keys are read by; null for a format of names.
    const KeyHash *keyHash() const { return m_hash; }
    // Reads the keys by another hash: no key changes, only the names they show by.
    void setKeyHash(const KeyHash *hash);
    // Whether the document is a table of tables, whose tables a user moves between.
    bool hasTables() const;

    int tableCount() const { return int(m_tables.size()); }
    // A document always has a table 0.
    StringTable *table(int index) const;
    int indexOf(const StringTable *table) const;
    // The first table of that name, or -1.
    int indexOfTable(const QString &name) const;
    QString tableName(int index) const;
    qsizetype entryCount() const;

    // A fresh identity for an entry made in this document.
    EntryId newEntryId() { return m_nextId++; }
    // A table of this document's, not yet in it, its entries given identities.
    std::unique_ptr<StringTable> makeTable(const RawName &name, std::vector<StringEntry> entries = {});

    // Why no table may take `name` (the one at `except` aside): the format's table name
    // rule, and no name twice.
    Result checkTableName(const QString &name, int except = -1) const;

    // Table changes, for the commands that undo them. Table 0, MAIN, stays.
    void insertTable(int index, std::unique_ptr<StringTable> table);
    std::unique_ptr<StringTable> takeTable(int index);
    void renameTable(int index, const RawName &name);

    // Replaces everything at once with what a reader gave, every entry given an identity.
    // `pending`, by table, holds the texts a reader left in the file's bytes (none: all read).
    void assign(RawDocument &&raw, std::vector<std::unique_ptr<PendingTexts>> pending = {});
    // New: an untitled document again, a flat table or an empty one of `format` (its MAIN
    // table alone, its own width and hash).
    void clear();
    void clear(const GxtFormat &format);

    // The tables as plain data, in file order, for the writer: no copy of any entry.
    std::vector<const RawTable *> rawTables() const;
    // A copy of everything as plain data; texts stay shared with the document's.
    RawDocument toRaw() const;

Q_SIGNALS:
    void aboutToBeReset();
    void reset();
    void tableAboutToBeInserted(int index);
    void tableInserted(int index);
    // A view that shows it must let go of it now.
    void tableAboutToBeRemoved(int index);
    void tableRemoved(int index);
    void tableRenamed(int index);
    void keyHashChanged();

private:
    void replaceTables(const GxtFormat &format, int bits, const KeyHash *hash, std::vector<RawTable> &&tables,
                       std::vector<std::unique_ptr<PendingTexts>> pending = {});

    const GxtFormat *m_format;
    int m_bits = 16;
    const KeyHash *m_hash = nullptr;
    std::vector<std::unique_ptr<StringTable>> m_tables;
    EntryId m_nextId = 1;
};

} // namespace quillet
