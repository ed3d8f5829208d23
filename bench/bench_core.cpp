// The core's costs beside the cost of merely moving the bytes: load and save of whole files
// against reading or writing them and converting every text once, the save's read-back
// check on its own, and the re-sort that a header click asks of a table.
#include "benchcase.h"
#include "benchsupport.h"
#include "characternumbering.h"
#include "displayorder.h"
#include "entryrules.h"
#include "fileio.h"
#include "gxtdocumentfile.h"
#include "gxtformat.h"
#include "hashtext.h"
#include "stringlistproxy.h"
#include "stringtable.h"
#include "stringtablemodel.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QtEndian>

#include <unistd.h>

#include <cstring>
#include <optional>

using namespace quillet;

namespace quilletbench {

namespace {

// Where one table's records and texts lie in a file of ours (no checks: the files are
// made by the generator or the writer, and the reader has taken each of them).
struct Block {
    qint64 keysAt = 0;
    qint64 count = 0;
    qint64 dataStart = 0;
    qint64 dataEnd = 0;
};

const GxtFormat &formatOf(Layout layout)
{
    return *GxtFormat::byId(QLatin1String(layoutId(layout)));
}

bool hashedKeys(Layout layout)
{
    return layout != Layout::Flat && layout != Layout::Tabled;
}

std::vector<Block> blocksOf(const char *bytes, qint64 size, Layout layout)
{
    std::vector<Block> blocks;
    if (layout == Layout::Gxt2) {
        // Records of {hash, offset from the start of the file}, the texts to the file's end.
        Block block;
        block.keysAt = 8;
        block.count = qFromLittleEndian<quint32>(bytes + 4);
        block.dataStart = 16 + 8 * block.count;
        block.dataEnd = size;
        blocks.push_back(block);
        return blocks;
    }
    const int recordSize = hashedKeys(layout) ? 8 : 12;
    auto blockAt = [&](qint64 p) {
        Block block;
        const qint64 keySize = qFromLittleEndian<qint32>(bytes + p + 4);
        block.keysAt = p + 8;
        block.count = keySize / recordSize;
        const qint64 dataHeader = block.keysAt + keySize;
        block.dataStart = dataHeader + 8;
        block.dataEnd = layout == Layout::Flat ? size : block.dataStart + qFromLittleEndian<qint32>(bytes + dataHeader + 4);
        return block;
    };
    if (layout == Layout::Flat || layout == Layout::HashedSingle) {
        blocks.push_back(blockAt(layout == Layout::Flat ? 0 : 4));
        return blocks;
    }
    const qint64 base = layout == Layout::Hashed ? 4 : 0;
    const qint64 count = qFromLittleEndian<qint32>(bytes + base + 4) / 12;
    for (qint64 t = 0; t < count; ++t) {
        const qint64 at = qFromLittleEndian<quint32>(bytes + base + 8 + 12 * t + 8);
        blocks.push_back(blockAt(t == 0 ? at : at + 8));
    }
    return blocks;
}

// The document a benchmark saves: the file loaded as the editor loads it.
bool loadDocument(const BenchTable &table, GxtDocument &document, QString &error)
{
    const Result loaded = LoadGxt(table.path, document);
    if (!loaded) {
        error = QStringLiteral("%1: %2").arg(table.path, loaded.errorString());
        return false;
    }
    return true;
}

// LoadGxt as the editor calls it, into a fresh document, with the editor's hooks: the
// progress, and waiting events let through every 50 entries.
class LoadSession : public Session
{
public:
    // `quiet`: without any hooks, to tell what letting the events through costs.
    explicit LoadSession(const BenchTable &table, bool quiet = false)
        : m_table(table)
        , m_hooks(quiet ? FileOperationHooks() : editorHooks(m_progress))
    {
        hasUntimedSteps = true;
    }
    void prepare() override { m_target = std::make_unique<GxtDocument>(); }
    bool run(QString &error) override
    {
        const Result result = LoadGxt(m_table.path, *m_target, m_hooks);
        if (!result || m_target->tableCount() != m_table.tableCount || m_target->entryCount() != m_table.entries) {
            error = QStringLiteral("the load failed: %1").arg(result.errorString());
            return false;
        }
        return true;
    }
    // Freeing the document is the next open's business, not this one's.
    void tidy() override { m_target.reset(); }

private:
    const BenchTable &m_table;
    ProgressState m_progress;
    FileOperationHooks m_hooks;
    std::unique_ptr<GxtDocument> m_target;
};

// The least a load can do: read the file whole, copy every record's key or hash once, and
// turn every unit of every table's texts into its character through a lookup table, in one
// pass over the text data (terminators and left-over texts included), into one buffer.
// What it leaves out is what a table of rows costs: a string per name and per text, the
// hashes' names, the sort into Name order, the escapes of units the numbering does not
// show, and the waiting events. The buffers are made once and reused: on this machine a
// fresh page costs some 20 microseconds to map, and a floor that paid for pages it need
// not take would flatter every ratio.
class LoadFloorSession : public Session
{
public:
    explicit LoadFloorSession(const BenchTable &table)
        : m_table(table)
        , m_data(table.fileSize, '\0')
        , m_characters(0x10000, u'\uFFFD')
    {
        const std::shared_ptr<const CharacterNumbering> numbering = CharacterNumbering::defaultFor(formatOf(table.layout));
        for (quint32 g = 1; g <= 0xFFFF; ++g) {
            const char32_t c = numbering->characterOf(quint16(g));
            if (c != 0 && c <= 0xFFFF)
                m_characters[g] = char16_t(c);
        }
        QFile file(table.path);
        if (file.open(QIODevice::ReadOnly))
            file.read(m_data.data(), m_data.size());
        qint64 units = 0;
        qint64 records = 0;
        for (const Block &block : blocksOf(m_data.constData(), m_data.size(), table.layout)) {
            units += (block.dataEnd - block.dataStart) / (table.bits / 8);
            records += block.count;
        }
        m_text.resize(units + 8 * records);
        m_hashes.resize(size_t(records));
    }
    bool run(QString &error) override
    {
        QFile file(m_table.path);
        if (!file.open(QIODevice::ReadOnly) || file.read(m_data.data(), m_data.size()) != m_data.size()) {
            error = QStringLiteral("%1: %2").arg(m_table.path, file.errorString());
            return false;
        }
        file.close();
        const char *bytes = m_data.constData();
        const bool hashed = hashedKeys(m_table.layout);
        char16_t *out = reinterpret_cast<char16_t *>(m_text.data());
        quint32 *hash = m_hashes.data();
        if (m_table.layout == Layout::Gxt2) {
            // The hashes, then every byte of the texts decoded from UTF-8 in one pass (no
            // numbering: UTF-8 says which character each is).
            const Block block = blocksOf(bytes, m_data.size(), m_table.layout).front();
            const char *record = bytes + block.keysAt;
            for (qint64 i = 0; i < block.count; ++i, record += 8)
                *hash++ = qFromLittleEndian<quint32>(record);
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            QChar *end = decoder.appendToBuffer(reinterpret_cast<QChar *>(out),
                                                QByteArrayView(bytes + block.dataStart, block.dataEnd - block.dataStart));
            return reinterpret_cast<char16_t *>(end) <= reinterpret_cast<char16_t *>(m_text.data()) + m_text.size();
        }
        for (const Block &block : blocksOf(bytes, m_data.size(), m_table.layout)) {
            const char *record = bytes + block.keysAt;
            if (hashed) {
                for (qint64 i = 0; i < block.count; ++i, record += 8)
                    *hash++ = qFromLittleEndian<quint32>(record + 4);
            } else {
                // Key bytes are ASCII in practice; a name is its bytes widened.
                for (qint64 i = 0; i < block.count; ++i, record += 12) {
                    for (int k = 0; k < 8; ++k)
                        *out++ = char16_t(uchar(record[4 + k]));
                }
            }
            const char *unit = bytes + block.dataStart;
            const char *end = bytes + block.dataEnd;
            if (m_table.bits == 16) {
                for (; unit + 1 < end; unit += 2)
                    *out++ = m_characters[qFromLittleEndian<quint16>(unit)];
            } else {
                for (; unit < end; ++unit)
                    *out++ = m_characters[uchar(*unit)];
            }
        }
        return out <= reinterpret_cast<char16_t *>(m_text.data()) + m_text.size();
    }

private:
    const BenchTable &m_table;
    QByteArray m_data;
    std::vector<char16_t> m_characters;
    QString m_text;
    std::vector<quint32> m_hashes;
};

// The least a load that gives a user rows could cost: what LoadFloorSession does, but into
// one string per name and one per text, as any table of rows holds them (a hashed key's
// name is its "#XXXXXXXX"). No sort, no escapes, no events, no checks.
class LoadRowsFloorSession : public Session
{
public:
    explicit LoadRowsFloorSession(const BenchTable &table)
        : m_table(table)
        , m_data(table.fileSize, '\0')
        , m_characters(0x10000, u'\uFFFD')
    {
        const std::shared_ptr<const CharacterNumbering> numbering = CharacterNumbering::defaultFor(formatOf(table.layout));
        for (quint32 g = 1; g <= 0xFFFF; ++g) {
            const char32_t c = numbering->characterOf(quint16(g));
            if (c != 0 && c <= 0xFFFF)
                m_characters[g] = char16_t(c);
        }
    }
    bool run(QString &error) override
    {
        QFile file(m_table.path);
        if (!file.open(QIODevice::ReadOnly) || file.read(m_data.data(), m_data.size()) != m_data.size()) {
            error = QStringLiteral("%1: %2").arg(m_table.path, file.errorString());
            return false;
        }
        file.close();
        const char *bytes = m_data.constData();
        const bool hashed = hashedKeys(m_table.layout);
        const int unitBytes = m_table.bits / 8;
        m_rows.clear();
        if (m_table.layout == Layout::Gxt2) {
            // A string per name and per text, each text decoded from UTF-8 as it is copied.
            const Block block = blocksOf(bytes, m_data.size(), m_table.layout).front();
            const char *record = bytes + block.keysAt;
            const char *end = bytes + block.dataEnd;
            for (qint64 i = 0; i < block.count; ++i, record += 8) {
                Row row;
                row.name = hashText(qFromLittleEndian<quint32>(record));
                const char *start = bytes + qFromLittleEndian<quint32>(record + 4);
                const void *zero = std::memchr(start, 0, size_t(end - start));
                const char *stop = zero ? static_cast<const char *>(zero) : end;
                row.value = QString::fromUtf8(start, stop - start);
                m_rows.push_back(std::move(row));
            }
            return !m_rows.empty();
        }
        for (const Block &block : blocksOf(bytes, m_data.size(), m_table.layout)) {
            const char *record = bytes + block.keysAt;
            for (qint64 i = 0; i < block.count; ++i, record += hashed ? 8 : 12) {
                Row row;
                if (hashed) {
                    row.name = hashText(qFromLittleEndian<quint32>(record + 4));
                } else {
                    const char *key = record + 4;
                    row.name = QString::fromLatin1(key, qsizetype(qstrnlen(key, 8)));
                }
                const qint64 offset = hashed ? qFromLittleEndian<quint32>(record) : qFromLittleEndian<qint32>(record);
                const char *start = bytes + block.dataStart + offset;
                const char *end = bytes + block.dataEnd;
                qsizetype length = 0;
                if (unitBytes == 2) {
                    while (start + 2 * length + 1 < end && (start[2 * length] || start[2 * length + 1]))
                        ++length;
                } else {
                    while (start + length < end && start[length])
                        ++length;
                }
                row.value.resize(length);
                char16_t *out = reinterpret_cast<char16_t *>(row.value.data());
                for (qsizetype u = 0; u < length; ++u)
                    out[u] = m_characters[unitBytes == 2 ? qFromLittleEndian<quint16>(start + 2 * u) : uchar(start[u])];
                m_rows.push_back(std::move(row));
            }
        }
        return !m_rows.empty();
    }

private:
    struct Row {
        QString name;
        QString value;
    };
    const BenchTable &m_table;
    QByteArray m_data;
    std::vector<char16_t> m_characters;
    std::vector<Row> m_rows;
};

// How a benchmarked save writes: SaveGxt itself (built, written, read back and checked,
// then renamed over the old file), the same without the read-back check, or only the
// bytes built in memory.
enum class SaveKind { Verified, Unverified, BuildOnly };

// A save as the editor makes it, over a file that exists, replaced atomically; the
// document is the file loaded as the editor loads it.
class SaveSession : public Session
{
public:
    SaveSession(const BenchTable &table, SaveKind kind)
        : m_table(table)
        , m_kind(kind)
        , m_hooks(editorHooks(m_progress))
        , m_path(workFolder() + QStringLiteral("/save-%1.gxt").arg(QString::fromStdString(table.label)))
    {
        QFile::remove(m_path);
        m_ready = loadDocument(table, m_document, m_error) && QFile::copy(table.path, m_path);
    }
    bool ready(QString &error) const
    {
        error = m_error;
        return m_ready;
    }
    bool run(QString &error) override
    {
        Result result;
        QByteArray bytes;
        switch (m_kind) {
        case SaveKind::Verified:
            result = SaveGxt(m_path, m_document, m_hooks);
            break;
        case SaveKind::Unverified:
            result = buildGxt(m_document, bytes, m_hooks);
            if (result)
                result = writeFileAtomically(m_path, bytes);
            break;
        case SaveKind::BuildOnly:
            result = buildGxt(m_document, bytes, m_hooks);
            if (result && bytes.size() != m_table.savedSize)
                result = Result::failure(QStringLiteral("the build gave %1 bytes").arg(bytes.size()));
            break;
        }
        if (!result) {
            error = QStringLiteral("the save failed: %1").arg(result.errorString());
            return false;
        }
        if (m_kind != SaveKind::BuildOnly && QFileInfo(m_path).size() != m_table.savedSize) {
            error = QStringLiteral("the saved file has %1 bytes, not %2").arg(QFileInfo(m_path).size()).arg(m_table.savedSize);
            return false;
        }
        return true;
    }

private:
    const BenchTable &m_table;
    SaveKind m_kind;
    ProgressState m_progress;
    FileOperationHooks m_hooks;
    GxtDocument m_document;
    QString m_path;
    QString m_error;
    bool m_ready = false;
};

// The save's check on its own: the bytes a save writes read back and compared with the
// document as the writer lays it out.
class VerifySession : public Session
{
public:
    explicit VerifySession(const BenchTable &table)
    {
        GxtDocument document;
        m_ready = loadDocument(table, document, m_error);
        if (m_ready) {
            const Result built = buildGxt(document, m_bytes);
            if (!built) {
                m_error = built.errorString();
                m_ready = false;
            }
        }
        m_expected = inWriterOrder(document.toRaw());
    }
    bool ready(QString &error) const
    {
        error = m_error;
        return m_ready;
    }
    bool run(QString &error) override
    {
        const Result checked = verifyGxt(m_bytes, m_expected);
        if (!checked)
            error = checked.errorString();
        return bool(checked);
    }

private:
    QByteArray m_bytes;
    RawDocument m_expected;
    QString m_error;
    bool m_ready = false;
};

// A text's UTF-16 units as UTF-8 at `out`, a kept byte (0xDC80-0xDCFF) as itself; returns the end.
char *putUtf8(QStringView units, char *out)
{
    const qsizetype n = units.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = units[i].unicode();
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(units[i + 1].unicode())) {
            const char32_t c = QChar::surrogateToUcs4(u, units[++i].unicode());
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            *out++ = char(u - 0xDC00);
        } else {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// The least a save can do: put every text of the document, as the units it holds, into the
// bytes of the file at its place (as UTF-8 in GXT2), and write as many bytes as the save writes, as durably as
// the save does (QSaveFile syncs the data before its rename). The records and headers, which
// hold no text, stay as first built; the buffer is reused, as the load floor's are.
class SaveFloorSession : public Session
{
public:
    explicit SaveFloorSession(const BenchTable &table)
        : m_table(table)
        , m_path(workFolder() + QStringLiteral("/floor-%1.bin").arg(QString::fromStdString(table.label)))
    {
        GxtDocument document;
        m_ready = loadDocument(table, document, m_error);
        if (m_ready) {
            const Result built = buildGxt(document, m_bytes);
            m_ready = built.ok();
            m_error = built.errorString();
        }
        if (!m_ready)
            return;
        // The document's texts in the order the file holds them.
        RawDocument raw;
        if (!readGxt(m_bytes, raw)) {
            m_ready = false;
            m_error = QStringLiteral("the built file does not read");
            return;
        }
        const std::vector<Block> blocks = blocksOf(m_bytes.constData(), m_bytes.size(), table.layout);
        for (size_t t = 0; t < raw.tables.size(); ++t) {
            m_tables.push_back({blocks[t].dataStart, {}});
            for (const StringEntry &entry : raw.tables[t].entries)
                m_tables.back().texts.push_back(entry.units);
        }
    }
    bool ready(QString &error) const
    {
        error = m_error;
        return m_ready;
    }
    bool run(QString &error) override
    {
        const bool wide = m_table.bits == 16;
        const bool utf8 = m_table.layout == Layout::Gxt2;
        for (const TableTexts &table : m_tables) {
            char *out = m_bytes.data() + table.dataStart;
            for (const QString &units : table.texts) {
                if (utf8) {
                    out = putUtf8(units, out) + 1; // the terminator stays zero
                } else if (wide) {
                    qToLittleEndian<quint16>(units.utf16(), units.size(), out);
                    out += 2 * units.size() + 2; // the terminator stays zero
                } else {
                    for (QChar unit : units)
                        *out++ = char(unit.unicode());
                    ++out;
                }
            }
        }
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(m_bytes) != m_bytes.size()
            || !file.flush() || ::fdatasync(file.handle()) != 0) {
            error = QStringLiteral("%1: %2").arg(m_path, file.errorString());
            return false;
        }
        return true;
    }

private:
    struct TableTexts {
        qint64 dataStart;
        std::vector<QString> texts;
    };
    const BenchTable &m_table;
    QString m_path;
    QByteArray m_bytes;
    std::vector<TableTexts> m_tables;
    QString m_error;
    bool m_ready = false;
};

// The list as the window has it, without the window: a loaded file's first table under the
// model and its proxy.
class ListSession : public Session
{
public:
    explicit ListSession(const BenchTable &table)
    {
        hasUntimedSteps = true;
        m_ready = loadDocument(table, m_document, m_error);
        m_rules.emplace(m_document.format(), m_document.bits(), *CharacterNumbering::defaultFor(m_document.format()),
                        m_document.keyHash());
        m_model.setRules(*m_rules);
        m_model.setTable(m_document.table(0));
        m_proxy.setSourceModel(&m_model);
    }
    bool ready(QString &error) const
    {
        error = m_error;
        return m_ready;
    }

protected:
    GxtDocument m_document;
    std::optional<EntryRules> m_rules;
    StringTableModel m_model;
    StringListProxy m_proxy;
    QString m_error;
    bool m_ready = false;
};

// A keystroke in the filter box: the list's proxy over the table, sorted by name, filtered by
// the two characters typed so far, after the first; its cost is what typing costs per key.
class FilterSession : public ListSession
{
public:
    using ListSession::ListSession;
    void prepare() override { m_proxy.setFilterText(QStringLiteral("e")); }
    bool run(QString &error) override
    {
        m_proxy.setFilterText(QStringLiteral("er"));
        if (m_proxy.rowCount() >= m_model.rowCount()) {
            error = QStringLiteral("the filter left every row");
            return false;
        }
        return true;
    }
};

// A header click in the core: the list's proxy over the table re-sorted by one column while
// sorted by the other, the other column's order restored between runs.
class SortSession : public ListSession
{
public:
    SortSession(const BenchTable &table, int key)
        : ListSession(table)
        , m_key(key)
        , m_other(key == ByName ? ByValue : ByName)
    {
    }
    void prepare() override { m_proxy.setSortKey(m_other); }
    bool run(QString &) override
    {
        m_proxy.setSortKey(m_key);
        return true;
    }

private:
    int m_key;
    int m_other;
};

// The tool's check of a file, as a user runs it: a whole process, from its start to its exit.
class ToolCheckSession : public Session
{
public:
    explicit ToolCheckSession(const BenchTable &table)
        : m_path(table.path)
    {
    }
    bool run(QString &error) override
    {
        QProcess tool;
        tool.start(QStringLiteral(QUILLET_TOOL), {QStringLiteral("check"), m_path});
        if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
            error = QStringLiteral("the check failed: %1").arg(QString::fromLocal8Bit(tool.readAllStandardError()));
            return false;
        }
        return true;
    }

private:
    QString m_path;
};

template<typename S, typename... Args>
std::function<std::unique_ptr<Session>(QString &)> starter(const BenchTable &table, Args... args)
{
    return [&table, args...](QString &error) -> std::unique_ptr<Session> {
        auto session = std::make_unique<S>(table, args...);
        if constexpr (requires { session->ready(error); }) {
            if (!session->ready(error))
                return nullptr;
        }
        return session;
    };
}

} // namespace

void registerCoreCases()
{
    std::vector<BenchCase> &cases = benchCases();
    using Target = BenchCase::Target;
    for (const char *label : {"largest", "largest_writer", "main", "hashed16", "hashed8", "tabled", "asian524", "fourth524",
                              "fourth_single", "gxt2"}) {
        const BenchTable &table = benchTable(label);
        const std::string name = label;
        // The largest flat table's load must come within twice its floor of rows; the
        // others keep the three times they were measured against before.
        const double limit = name == "largest" ? 2.0 : 3.0;
        cases.push_back({"load/" + name, "load_floor_rows/" + name, Target::RatioToFloor, limit, &table,
                         starter<LoadSession>(table)});
        cases.push_back({"load_floor_rows/" + name, "load_floor/" + name, Target::None, 0, &table,
                         starter<LoadRowsFloorSession>(table)});
        cases.push_back({"load_floor/" + name, {}, Target::None, 0, &table, starter<LoadFloorSession>(table)});
        if (table.writerOrder)
            continue; // saved, it is the very file the other one saves to
        cases.push_back({"save/" + name, "save_floor/" + name, Target::RatioToFloor, 3.0, &table,
                         starter<SaveSession>(table, SaveKind::Verified)});
        cases.push_back({"save_unverified/" + name, "save_floor/" + name, Target::None, 0, &table,
                         starter<SaveSession>(table, SaveKind::Unverified)});
        cases.push_back({"verify/" + name, {}, Target::None, 0, &table, starter<VerifySession>(table)});
        cases.push_back({"save_floor/" + name, {}, Target::None, 0, &table, starter<SaveFloorSession>(table)});
    }
    for (const char *label : {"largest", "hashed16"}) {
        const BenchTable &table = benchTable(label);
        cases.push_back({std::string("load_without_events/") + label, {}, Target::None, 0, &table,
                         starter<LoadSession>(table, true)});
    }
    const BenchTable &hashed = benchTable("hashed16");
    cases.push_back({"build/hashed16", {}, Target::None, 0, &hashed, starter<SaveSession>(hashed, SaveKind::BuildOnly)});
    // No target of their own: they are the core's share of the window's 25 ms.
    const BenchTable &largest = benchTable("largest");
    cases.push_back({"sort_by_value/largest", {}, Target::None, 0, nullptr, starter<SortSession>(largest, int(ByValue))});
    cases.push_back({"sort_by_name/largest", {}, Target::None, 0, nullptr, starter<SortSession>(largest, int(ByName))});
    cases.push_back({"filter_keystroke/largest", {}, Target::None, 0, nullptr, starter<FilterSession>(largest)});
    // The tool's check of the largest flat table against its run on an empty table, which is
    // what starting the tool costs.
    cases.push_back({"tool_check/largest", "tool_check/empty", Target::RatioToFloor, 3.0, &largest,
                     starter<ToolCheckSession>(largest)});
    const BenchTable &empty = benchTable("empty");
    cases.push_back({"tool_check/empty", {}, Target::None, 0, &empty, starter<ToolCheckSession>(empty)});
}

} // namespace quilletbench
