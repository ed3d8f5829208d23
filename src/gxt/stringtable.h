#pragma once

#include "rawgxt.h"
#include "stringentry.h"

#include <QHash>
#include <QObject>

#include <vector>

namespace quillet {

// One table of a document: its name and its entries in file order, each with its identity.
// It holds the file's units and keys and nothing decoded: how they read is for whoever shows
// them. Every change is announced, in 0-based rows of file order as Qt's item models count,
// so that a view follows without keeping a copy; a view's own order (sorted by Name, say) is
// the view's.
class StringTable : public QObject
{
    Q_OBJECT

public:
    explicit StringTable(const RawName &name = RawName(), QObject *parent = nullptr);
    ~StringTable() override;

    const RawName &name() const { return m_data.name; }
    // Its name and entries as plain data, for the writer and the text forms.
    const RawTable &data() const { return m_data; }

    int count() const { return int(m_data.entries.size()); }
    bool isEmpty() const { return m_data.entries.empty(); }
    const std::vector<StringEntry> &entries() const { return m_data.entries; }
    // `row` must lie in 0..count()-1.
    const StringEntry &at(int row) const;
    // The row of the entry of that identity; -1 when the table has none.
    int rowOf(EntryId id) const;
    const StringEntry *find(EntryId id) const;

    // `row` in 0..count(); the entry keeps the identity it carries.
    void insert(int row, const StringEntry &entry);
    void append(const StringEntry &entry) { insert(count(), entry); }
    StringEntry take(int row);
    // Gives the entry at `row` another key and text; its identity stays. Nothing is
    // announced when nothing changes.
    void replace(int row, const StringEntry &entry);
    // Every entry at once.
    void assign(std::vector<StringEntry> entries);
    void setName(const RawName &name);

Q_SIGNALS:
    void entriesAboutToBeInserted(int first, int last);
    void entriesInserted(int first, int last);
    void entriesAboutToBeRemoved(int first, int last);
    void entriesRemoved(int first, int last);
    void entryChanged(int row);
    void aboutToBeReset();
    void reset();
    void renamed();

private:
    RawTable m_data;
    // Identity to row, built when first asked for after entries came or went.
    mutable QHash<EntryId, int> m_rows;
    mutable bool m_rowsValid = false;
};

} // namespace quillet
