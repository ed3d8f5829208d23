#pragma once

#include "characternumbering.h"
#include "entryrules.h"
#include "gxtlayout.h"
#include "keynames.h"
#include "rawgxt.h"
#include "result.h"
#include "stringentry.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace quillet {

class StringTable;

// A document's tables as plain data, for the text forms and for building a document whole.
struct GxtTableData {
    QString name;
    std::vector<StringEntry> rows;

    friend bool operator==(const GxtTableData &, const GxtTableData &) = default;
};

struct GxtDocumentData {
    GxtLayout layout = GxtLayout::Flat;
    int bits = 16;
    std::vector<GxtTableData> tables;

    friend bool operator==(const GxtDocumentData &, const GxtDocumentData &) = default;
};

// A raw document as a user reads it: texts through `numbering`, hashed keys through `names`.
// The raw texts are taken, and decoded where they lie where they can be.
GxtDocumentData decodeRawDocument(RawDocument &&raw, const CharacterNumbering &numbering, const KeyNames &names);

// Keys and units for the writer, as GxtDocument::toRaw() gives them, from plain data.
Result encodeDocumentData(const GxtDocumentData &data, const CharacterNumbering &numbering, RawDocument &out);

// The open GXT file: its layout, its text width and its tables in file order, each a
// StringTable of names and values as the user reads them. A flat file is a document of one
// table. Texts are the file's glyph numbers underneath: switching the character numbering
// or the key names shows them anew without changing a unit, and so without marking the
// document as changed.
//
// The document knows whether it changed since it was opened or saved, from its tables'
// own signals and its table commands.
class GxtDocument : public QObject
{
    Q_OBJECT

public:
    // An untitled flat document of one empty table, in the flat layout's default numbering.
    explicit GxtDocument(QObject *parent = nullptr);
    ~GxtDocument() override;

    GxtLayout layout() const { return m_layout; }
    int bits() const { return m_bits; }
    // Whether the document is a table of tables, whose tables a user can move between.
    bool hasTables() const { return m_layout != GxtLayout::Flat; }

    int tableCount() const { return int(m_tables.size()); }
    // A document always has a table 0; a table's object lives until the table goes.
    StringTable *table(int index) const;
    QString tableName(int index) const;
    // The first table of that name, or -1.
    int indexOfTable(const QString &name) const;
    int indexOfTable(const StringTable *table) const;
    qsizetype entryCount() const;

    // Table commands. The caller checks names (tableNameProblem); table 0, MAIN, stays.
    // Returns the index of the new table: `index`, or the end when -1.
    int addTable(const QString &name, std::vector<StringEntry> rows = {}, int index = -1);
    void renameTable(int index, const QString &name);
    // The rows the table held.
    std::vector<StringEntry> removeTable(int index);
    // Why a table may not take `name` (the one at `except` aside), or empty when it may.
    QString tableNameProblem(const QString &name, int except = -1) const;

    std::shared_ptr<const CharacterNumbering> numbering() const { return m_numbering; }
    void setNumbering(std::shared_ptr<const CharacterNumbering> numbering);
    // The names known for hashed keys: a loaded list and the names typed into this document.
    const KeyNames &keyNames() const { return m_effectiveNames; }
    void setKeyNames(const KeyNames &names);
    void rememberKeyName(const QString &name);

    EntryRules rules() const { return EntryRules(m_layout, m_bits, *m_numbering); }

    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // Replaces everything at once, without marking a change; each table shows sorted by
    // Name in `sortOrder`.
    void assign(GxtDocumentData data, std::shared_ptr<const CharacterNumbering> numbering,
                const KeyNames &names = {}, int sortOrder = 0);
    // New: an empty flat table in the default numbering; table 0 keeps its sort settings.
    void clear();

    GxtDocumentData data() const;
    // Keys and units for the writer; fails, naming the table and the entry, on the first
    // entry the document's layout, width and numbering cannot store.
    Result toRaw(RawDocument &out) const;

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // A table is about to go: a view that shows it must let go of it now.
    void tableAboutToBeRemoved(int index);
    // Tables added, removed, renamed, or all replaced.
    void tablesChanged();
    // Texts or hashed names are shown anew.
    void redisplayed();

private:
    struct Table {
        QString name;
        std::unique_ptr<StringTable> rows;
    };
    StringTable *makeTable();
    void markModified() { setModified(true); }
    void redisplay(const CharacterNumbering &from, const CharacterNumbering &to);
    void renameKeys();
    void removeTablesFrom(int first);

    GxtLayout m_layout = GxtLayout::Flat;
    int m_bits = 16;
    std::vector<Table> m_tables;
    std::shared_ptr<const CharacterNumbering> m_numbering;
    KeyNames m_loadedNames;
    KeyNames m_typedNames;
    KeyNames m_effectiveNames;
    bool m_modified = false;
};

} // namespace quillet
