#include "stringtable.h"

namespace quillet {

StringTable::StringTable(const RawName &name, QObject *parent)
    : QObject(parent)
{
    m_data.name = name;
}

StringTable::~StringTable() = default;

const StringEntry &StringTable::at(int row) const
{
    Q_ASSERT_X(row >= 0 && row < count(), "StringTable::at", "row out of range");
    return m_data.entries[size_t(row)];
}

int StringTable::rowOf(EntryId id) const
{
    if (id == 0)
        return -1;
    if (!m_rowsValid) {
        m_rows.clear();
        m_rows.reserve(count());
        for (int row = 0; row < count(); ++row)
            m_rows.insert(m_data.entries[size_t(row)].id, row);
        m_rowsValid = true;
    }
    return m_rows.value(id, -1);
}

const StringEntry *StringTable::find(EntryId id) const
{
    const int row = rowOf(id);
    return row < 0 ? nullptr : &m_data.entries[size_t(row)];
}

void StringTable::insert(int row, const StringEntry &entry)
{
    Q_ASSERT_X(row >= 0 && row <= count(), "StringTable::insert", "row out of range");
    Q_EMIT entriesAboutToBeInserted(row, row);
    m_data.entries.insert(m_data.entries.begin() + row, entry);
    m_rowsValid = false;
    Q_EMIT entriesInserted(row, row);
}

StringEntry StringTable::take(int row)
{
    Q_ASSERT_X(row >= 0 && row < count(), "StringTable::take", "row out of range");
    Q_EMIT entriesAboutToBeRemoved(row, row);
    StringEntry entry = std::move(m_data.entries[size_t(row)]);
    m_data.entries.erase(m_data.entries.begin() + row);
    m_rowsValid = false;
    Q_EMIT entriesRemoved(row, row);
    return entry;
}

void StringTable::replace(int row, const StringEntry &entry)
{
    Q_ASSERT_X(row >= 0 && row < count(), "StringTable::replace", "row out of range");
    StringEntry &held = m_data.entries[size_t(row)];
    if (held.sameContent(entry))
        return;
    held.name = entry.name;
    held.hash = entry.hash;
    held.units = entry.units;
    Q_EMIT entryChanged(row);
}

void StringTable::assign(std::vector<StringEntry> entries)
{
    Q_EMIT aboutToBeReset();
    m_data.entries = std::move(entries);
    m_rowsValid = false;
    Q_EMIT reset();
}

void StringTable::setName(const RawName &name)
{
    if (m_data.name == name)
        return;
    m_data.name = name;
    Q_EMIT renamed();
}

} // namespace quillet
