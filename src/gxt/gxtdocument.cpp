#include "gxtdocument.h"

#include "codepage.h"
#include "gxtformat.h"
#include "stringtable.h"

namespace quillet {

GxtDocument::GxtDocument(QObject *parent)
    : QObject(parent)
    , m_format(&GxtFormat::untitled())
{
    m_tables.push_back(makeTable(mainTableRawName()));
}

GxtDocument::~GxtDocument() = default;

void GxtDocument::setKeyHash(const KeyHash *hash)
{
    if (!m_format->storesHashes() || !hash || hash == m_hash)
        return;
    m_hash = hash;
    Q_EMIT keyHashChanged();
}

bool GxtDocument::hasTables() const
{
    return m_format->hasTables();
}

StringTable *GxtDocument::table(int index) const
{
    Q_ASSERT(index >= 0 && index < tableCount());
    return m_tables[size_t(index)].get();
}

int GxtDocument::indexOf(const StringTable *table) const
{
    for (int i = 0; i < tableCount(); ++i) {
        if (m_tables[size_t(i)].get() == table)
            return i;
    }
    return -1;
}

int GxtDocument::indexOfTable(const QString &name) const
{
    for (int i = 0; i < tableCount(); ++i) {
        if (tableName(i) == name)
            return i;
    }
    return -1;
}

QString GxtDocument::tableName(int index) const
{
    return nameFromBytes(table(index)->name().bytes());
}

qsizetype GxtDocument::entryCount() const
{
    qsizetype total = 0;
    for (const auto &table : m_tables)
        total += table->count();
    return total;
}

std::unique_ptr<StringTable> GxtDocument::makeTable(const RawName &name, std::vector<StringEntry> entries)
{
    for (StringEntry &entry : entries)
        entry.id = newEntryId();
    auto table = std::make_unique<StringTable>(name);
    table->assign(std::move(entries));
    return table;
}

Result GxtDocument::checkTableName(const QString &name, int except) const
{
    if (name.isEmpty())
        return Result::failure(QStringLiteral("a table needs a name"));
    Result fits = m_format->tableRule().checkStored(name, QStringLiteral("table name"));
    if (!fits)
        return fits;
    for (int i = 0; i < tableCount(); ++i) {
        if (i != except && tableName(i) == name)
            return Result::failure(QStringLiteral("a table named '%1' already exists").arg(name));
    }
    return {};
}

void GxtDocument::insertTable(int index, std::unique_ptr<StringTable> table)
{
    if (index < 1 || index > tableCount())
        index = tableCount();
    Q_EMIT tableAboutToBeInserted(index);
    m_tables.insert(m_tables.begin() + index, std::move(table));
    Q_EMIT tableInserted(index);
}

std::unique_ptr<StringTable> GxtDocument::takeTable(int index)
{
    Q_ASSERT(index > 0 && index < tableCount());
    Q_EMIT tableAboutToBeRemoved(index);
    std::unique_ptr<StringTable> table = std::move(m_tables[size_t(index)]);
    m_tables.erase(m_tables.begin() + index);
    Q_EMIT tableRemoved(index);
    return table;
}

void GxtDocument::renameTable(int index, const RawName &name)
{
    Q_ASSERT(index > 0 && index < tableCount());
    if (table(index)->name() == name)
        return;
    table(index)->setName(name);
    Q_EMIT tableRenamed(index);
}

void GxtDocument::replaceTables(const GxtFormat &format, int bits, const KeyHash *hash, std::vector<RawTable> &&tables,
                                std::vector<std::unique_ptr<PendingTexts>> pending)
{
    Q_EMIT aboutToBeReset();
    m_format = &format;
    m_bits = format.takesBits(bits) ? bits : format.defaultBits();
    m_hash = format.storesHashes() ? (hash ? hash : format.traits().hash) : nullptr;
    std::vector<std::unique_ptr<StringTable>> made;
    made.reserve(tables.size());
    for (size_t t = 0; t < tables.size(); ++t) {
        made.push_back(makeTable(tables[t].name, std::move(tables[t].entries)));
        if (t < pending.size() && pending[t])
            made.back()->setPendingTexts(std::move(pending[t]));
    }
    if (made.empty())
        made.push_back(makeTable(mainTableRawName()));
    // The old tables go only once nothing shows them any more.
    m_tables.swap(made);
    Q_EMIT reset();
}

void GxtDocument::assign(RawDocument &&raw, std::vector<std::unique_ptr<PendingTexts>> pending)
{
    replaceTables(raw.format ? *raw.format : GxtFormat::untitled(), raw.bits, raw.hash, std::move(raw.tables),
                  std::move(pending));
    raw = RawDocument();
}

void GxtDocument::clear()
{
    clear(GxtFormat::untitled());
}

void GxtDocument::clear(const GxtFormat &format)
{
    replaceTables(format, format.defaultBits(), nullptr, {});
}

std::vector<const RawTable *> GxtDocument::rawTables() const
{
    std::vector<const RawTable *> tables;
    tables.reserve(m_tables.size());
    for (const auto &table : m_tables)
        tables.push_back(&table->data());
    return tables;
}

RawDocument GxtDocument::toRaw() const
{
    RawDocument raw;
    raw.format = m_format;
    raw.bits = m_bits;
    raw.hash = m_hash;
    for (const auto &table : m_tables)
        raw.tables.push_back(table->data());
    return raw;
}

} // namespace quillet
