#include "gxtdocument.h"

#include "stringtable.h"

#include <QHash>

namespace quillet {

GxtDocumentData decodeRawDocument(RawDocument &&raw, const CharacterNumbering &numbering, const KeyNames &names)
{
    GxtDocumentData data;
    data.layout = raw.layout;
    data.bits = raw.layout == GxtLayout::Hashed ? raw.bits : 16;
    data.tables.reserve(raw.tables.size());
    // Entries that share a text in the file share one string here too.
    QHash<const QChar *, QString> shared;
    for (RawTable &rawTable : raw.tables) {
        GxtTableData table;
        table.name = nameFromBytes(rawTable.name.bytes());
        table.rows.resize(rawTable.entries.size());
        for (size_t i = 0; i < rawTable.entries.size(); ++i) {
            RawEntry &entry = rawTable.entries[i];
            StringEntry &row = table.rows[i];
            row.name = raw.layout == GxtLayout::Hashed ? names.nameOf(entry.hash) : nameFromBytes(entry.key.bytes());
            if (entry.units.isDetached()) {
                row.value = std::move(entry.units);
                numbering.decodeInPlace(row.value);
                continue;
            }
            const QChar *key = entry.units.constData();
            auto it = shared.constFind(key);
            if (it == shared.cend())
                it = shared.insert(key, numbering.decode(entry.units));
            row.value = it.value();
        }
        data.tables.push_back(std::move(table));
    }
    return data;
}

GxtDocument::GxtDocument(QObject *parent)
    : QObject(parent)
    , m_numbering(CharacterNumbering::defaultFor(GxtLayout::Flat))
{
    m_tables.push_back({mainTableName(), std::unique_ptr<StringTable>(makeTable())});
}

GxtDocument::~GxtDocument() = default;

StringTable *GxtDocument::makeTable()
{
    auto *table = new StringTable;
    connect(table, &StringTable::rowsInserted, this, &GxtDocument::markModified);
    connect(table, &StringTable::rowsRemoved, this, &GxtDocument::markModified);
    connect(table, &StringTable::rowChanged, this, &GxtDocument::markModified);
    return table;
}

StringTable *GxtDocument::table(int index) const
{
    Q_ASSERT(index >= 0 && index < tableCount());
    return m_tables[size_t(index)].rows.get();
}

QString GxtDocument::tableName(int index) const
{
    Q_ASSERT(index >= 0 && index < tableCount());
    return m_tables[size_t(index)].name;
}

int GxtDocument::indexOfTable(const QString &name) const
{
    for (int i = 0; i < tableCount(); ++i) {
        if (m_tables[size_t(i)].name == name)
            return i;
    }
    return -1;
}

int GxtDocument::indexOfTable(const StringTable *table) const
{
    for (int i = 0; i < tableCount(); ++i) {
        if (m_tables[size_t(i)].rows.get() == table)
            return i;
    }
    return -1;
}

qsizetype GxtDocument::entryCount() const
{
    qsizetype total = 0;
    for (const Table &table : m_tables)
        total += table.rows->count();
    return total;
}

QString GxtDocument::tableNameProblem(const QString &name, int except) const
{
    if (name.isEmpty())
        return QStringLiteral("a table needs a name");
    RawName scratch;
    const Result fits = rules().encodeTableName(name, scratch);
    if (!fits)
        return fits.errorString();
    for (int i = 0; i < tableCount(); ++i) {
        if (i != except && m_tables[size_t(i)].name == name)
            return QStringLiteral("a table named '%1' already exists").arg(name);
    }
    return {};
}

int GxtDocument::addTable(const QString &name, std::vector<StringEntry> rows, int index)
{
    if (index < 1 || index > tableCount())
        index = tableCount();
    StringTable *table = makeTable();
    table->setSortOrder(m_tables.front().rows->sortOrder());
    table->assignSorted(std::move(rows), StringTable::ByName);
    m_tables.insert(m_tables.begin() + index, Table{name, std::unique_ptr<StringTable>(table)});
    Q_EMIT tablesChanged();
    markModified();
    return index;
}

void GxtDocument::renameTable(int index, const QString &name)
{
    Q_ASSERT(index > 0 && index < tableCount());
    if (m_tables[size_t(index)].name == name)
        return;
    m_tables[size_t(index)].name = name;
    Q_EMIT tablesChanged();
    markModified();
}

std::vector<StringEntry> GxtDocument::removeTable(int index)
{
    Q_ASSERT(index > 0 && index < tableCount());
    Q_EMIT tableAboutToBeRemoved(index);
    std::vector<StringEntry> rows = m_tables[size_t(index)].rows->rows();
    m_tables.erase(m_tables.begin() + index);
    Q_EMIT tablesChanged();
    markModified();
    return rows;
}

void GxtDocument::removeTablesFrom(int first)
{
    for (int i = tableCount() - 1; i >= first; --i) {
        Q_EMIT tableAboutToBeRemoved(i);
        m_tables.erase(m_tables.begin() + i);
    }
}

void GxtDocument::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

void GxtDocument::assign(GxtDocumentData data, std::shared_ptr<const CharacterNumbering> numbering,
                         const KeyNames &names, int sortOrder)
{
    if (data.tables.empty())
        data.tables.push_back({mainTableName(), {}});
    // Table 0 stays the same object, so that whatever shows it may keep showing it.
    removeTablesFrom(1);
    m_layout = data.layout;
    m_bits = data.layout == GxtLayout::Hashed ? data.bits : 16;
    m_numbering = numbering ? std::move(numbering) : CharacterNumbering::defaultFor(m_layout);
    m_loadedNames = names;
    m_typedNames = KeyNames();
    m_effectiveNames = names;
    for (size_t i = 0; i < data.tables.size(); ++i) {
        GxtTableData &source = data.tables[i];
        StringTable *table = i == 0 ? m_tables.front().rows.get() : makeTable();
        table->setSortOrder(sortOrder);
        // The first table is shown at once; the others are sorted when first shown.
        if (i == 0)
            table->assignSorted(std::move(source.rows), StringTable::ByName);
        else
            table->assignSortedLater(std::move(source.rows), StringTable::ByName);
        if (i == 0)
            m_tables.front().name = source.name;
        else
            m_tables.push_back({source.name, std::unique_ptr<StringTable>(table)});
    }
    Q_EMIT tablesChanged();
    setModified(false);
}

void GxtDocument::clear()
{
    removeTablesFrom(1);
    m_layout = GxtLayout::Flat;
    m_bits = 16;
    m_numbering = CharacterNumbering::defaultFor(m_layout);
    m_loadedNames = m_typedNames = m_effectiveNames = KeyNames();
    m_tables.front().name = mainTableName();
    // The list keeps its sort settings across New.
    m_tables.front().rows->clear();
    Q_EMIT tablesChanged();
    setModified(false);
}

GxtDocumentData GxtDocument::data() const
{
    GxtDocumentData data;
    data.layout = m_layout;
    data.bits = m_bits;
    for (const Table &table : m_tables)
        data.tables.push_back({table.name, table.rows->rows()});
    return data;
}

namespace {

// The one way a document's tables become keys and units, whatever holds them.
template<typename NameAt, typename RowsAt>
Result encodeTables(GxtLayout layout, int bits, const CharacterNumbering &numbering, size_t count, NameAt nameAt,
                    RowsAt rowsAt, RawDocument &out)
{
    out = RawDocument();
    out.layout = layout;
    out.bits = layout == GxtLayout::Hashed ? bits : 16;
    const EntryRules rules(layout, out.bits, numbering);
    out.tables.resize(count);
    for (size_t t = 0; t < count; ++t) {
        const QString &tableName = nameAt(t);
        RawTable &raw = out.tables[t];
        Result named = rules.encodeTableName(tableName, raw.name);
        if (!named) {
            out = RawDocument();
            return named;
        }
        const std::vector<StringEntry> &rows = rowsAt(t);
        raw.entries.resize(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            Result encoded = rules.encode(rows[i], raw.entries[i]);
            if (!encoded) {
                const QString where = describeEntry(layout, tableName, int(i + 1), rows[i].name);
                out = RawDocument();
                return Result::failure(QStringLiteral("%1: %2").arg(where, encoded.errorString()));
            }
        }
    }
    return {};
}

} // namespace

Result encodeDocumentData(const GxtDocumentData &data, const CharacterNumbering &numbering, RawDocument &out)
{
    return encodeTables(
        data.layout, data.bits, numbering, data.tables.size(), [&](size_t t) -> const QString & { return data.tables[t].name; },
        [&](size_t t) -> const std::vector<StringEntry> & { return data.tables[t].rows; }, out);
}

Result GxtDocument::toRaw(RawDocument &out) const
{
    return encodeTables(
        m_layout, m_bits, *m_numbering, m_tables.size(), [this](size_t t) -> const QString & { return m_tables[t].name; },
        [this](size_t t) -> const std::vector<StringEntry> & { return m_tables[t].rows->rows(); }, out);
}

void GxtDocument::redisplay(const CharacterNumbering &from, const CharacterNumbering &to)
{
    for (Table &table : m_tables) {
        std::vector<StringEntry> rows = table.rows->rows();
        QString units;
        for (StringEntry &row : rows) {
            // Every value in the document encodes: the load decoded it and every change was
            // checked. Should one not, it stays as it is rather than be lost.
            if (from.encode(row.value, units))
                row.value = to.decode(units);
        }
        table.rows->assign(std::move(rows));
    }
}

void GxtDocument::setNumbering(std::shared_ptr<const CharacterNumbering> numbering)
{
    if (!numbering || numbering == m_numbering)
        return;
    const std::shared_ptr<const CharacterNumbering> old = m_numbering;
    m_numbering = std::move(numbering);
    redisplay(*old, *m_numbering);
    Q_EMIT redisplayed();
}

void GxtDocument::renameKeys()
{
    if (m_layout != GxtLayout::Hashed)
        return;
    for (Table &table : m_tables) {
        std::vector<StringEntry> rows = table.rows->rows();
        for (StringEntry &row : rows) {
            if (const std::optional<quint32> hash = KeyNames::hashOf(row.name))
                row.name = m_effectiveNames.nameOf(*hash);
        }
        table.rows->assign(std::move(rows));
    }
    Q_EMIT redisplayed();
}

void GxtDocument::setKeyNames(const KeyNames &names)
{
    m_loadedNames = names;
    m_effectiveNames = m_typedNames;
    m_effectiveNames.merge(m_loadedNames);
    renameKeys();
}

void GxtDocument::rememberKeyName(const QString &name)
{
    if (m_layout != GxtLayout::Hashed || !KeyNames::whyNotAName(name).isEmpty())
        return;
    m_typedNames.add(name);
    m_effectiveNames.add(name);
}

} // namespace quillet
