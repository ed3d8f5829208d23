#include "stringtable.h"

#include <QtEndian>

#include <algorithm>

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
    settle();
    return m_data.entries[size_t(row)];
}

void StringTable::setPendingTexts(std::unique_ptr<PendingTexts> pending)
{
    if (pending && (pending->starts.size() != m_data.entries.size() || pending->lengths.size() != m_data.entries.size()
                    || pending->sharedWith.size() != m_data.entries.size() || !pending->bytes))
        pending.reset();
    m_pending = std::move(pending);
}

void StringTable::fillPendingTexts() const
{
    const std::unique_ptr<PendingTexts> pending = std::move(m_pending);
    const char *bytes = pending->bytes->constData();
    const qint64 size = pending->bytes->size();
    std::vector<StringEntry> &entries = m_data.entries;
    // The reader checked every text; what it found is read again from the same bytes.
    for (size_t i = 0; i < entries.size(); ++i) {
        if (pending->sharedWith[i] >= 0)
            continue;
        const qint64 start = pending->starts[i];
        const qint64 length = std::clamp<qint64>(pending->lengths[i], 0, std::max<qint64>(0, (size - start) / pending->unitBytes));
        QString text(length, Qt::Uninitialized);
        char16_t *out = reinterpret_cast<char16_t *>(text.data());
        if (pending->unitBytes == 2) {
            qFromLittleEndian<quint16>(bytes + start, length, out);
        } else {
            for (qint64 u = 0; u < length; ++u)
                out[u] = char16_t(uchar(bytes[start + u]));
        }
        entries[i].units = std::move(text);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const int shared = pending->sharedWith[i];
        if (shared >= 0 && size_t(shared) < entries.size())
            entries[i].units = entries[size_t(shared)].units;
    }
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
    if (row < 0)
        return nullptr;
    settle();
    return &m_data.entries[size_t(row)];
}

void StringTable::insert(int row, const StringEntry &entry)
{
    Q_ASSERT_X(row >= 0 && row <= count(), "StringTable::insert", "row out of range");
    settle();
    Q_EMIT entriesAboutToBeInserted(row, row);
    m_data.entries.insert(m_data.entries.begin() + row, entry);
    m_rowsValid = false;
    Q_EMIT entriesInserted(row, row);
}

StringEntry StringTable::take(int row)
{
    Q_ASSERT_X(row >= 0 && row < count(), "StringTable::take", "row out of range");
    settle();
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
    settle();
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
    m_pending.reset();
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
