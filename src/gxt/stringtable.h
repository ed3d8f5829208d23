#pragma once

#include "rawgxt.h"
#include "stringentry.h"

#include <QByteArray>
#include <QHash>
#include <QObject>

#include <memory>
#include <vector>

namespace quillet {

// Texts of a table that are still in the file's bytes, where a reader found them: filled in
// when an entry's text is first asked for, so that opening a file of many tables reads into
// strings only the texts of the tables shown.
struct PendingTexts {
    std::shared_ptr<const QByteArray> bytes;
    int unitBytes = 2;
    // By entry in record order: where its text starts and how many units it has, or the
    // entry whose text it shares (-1: none).
    std::vector<qint64> starts;
    std::vector<qint64> lengths;
    std::vector<int> sharedWith;
};

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
    const RawTable &data() const
    {
        settle();
        return m_data;
    }

    int count() const { return int(m_data.entries.size()); }
    bool isEmpty() const { return m_data.entries.empty(); }
    const std::vector<StringEntry> &entries() const
    {
        settle();
        return m_data.entries;
    }
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
    // The entries' texts are `pending`'s, to be read from the file's bytes when first needed.
    void setPendingTexts(std::unique_ptr<PendingTexts> pending);
    bool hasPendingTexts() const { return m_pending != nullptr; }

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
    // Fills in the texts still in the file's bytes, without a word: nothing has read them yet.
    void settle() const
    {
        if (m_pending)
            fillPendingTexts();
    }
    void fillPendingTexts() const;

    // Texts are part of what the table holds even before they are filled in.
    mutable RawTable m_data;
    mutable std::unique_ptr<PendingTexts> m_pending;
    // Identity to row, built when first asked for after entries came or went.
    mutable QHash<EntryId, int> m_rows;
    mutable bool m_rowsValid = false;
};

} // namespace quillet
