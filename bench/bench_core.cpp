// The core's costs beside the cost of merely moving the bytes: load and save of a whole
// table against reading or writing its file and converting every character once, and
// the re-sort that a header click asks of the table.
#include "benchcase.h"
#include "benchsupport.h"
#include "stringtable.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <unistd.h>

#include <cstring>

using namespace quillet;

namespace quilletbench {

namespace {

// LoadGxt as the editor calls it, into the empty table of a fresh window.
class LoadSession : public Session
{
public:
    explicit LoadSession(const BenchTable &table)
        : m_table(table)
        , m_hooks(editorHooks(m_progress))
    {
        hasUntimedSteps = true;
    }
    void prepare() override { m_target = std::make_unique<StringTable>(); }
    bool run(QString &error) override
    {
        const GxtLoadResult result = LoadGxt(m_table.path, *m_target, m_hooks);
        if (!result.ok || m_target->count() != int(m_table.rows.size())) {
            error = QStringLiteral("the load failed: %1").arg(result.errorString);
            return false;
        }
        return true;
    }
    // Freeing the table is the next open's business, not this one's.
    void tidy() override { m_target.reset(); }

private:
    const BenchTable &m_table;
    ProgressState m_progress;
    FileOperationHooks m_hooks;
    std::unique_ptr<StringTable> m_target;
};

// The least a load can do: read the file and decode every character of every name and
// text once, in one call, from the low bytes gathered into one buffer. The buffers are
// made once and reused: on this machine a fresh page costs some 20 microseconds to map,
// and a floor that paid for pages it need not take would flatter every ratio.
class LoadFloorSession : public Session
{
public:
    explicit LoadFloorSession(const BenchTable &table)
        : m_table(table)
        , m_decoder("windows-1252", QStringDecoder::Flag::Stateless)
        , m_data(table.fileSize, '\0')
    {
        const qint64 entries = qint64(table.rows.size());
        const qint64 units = (table.fileSize - 16 - 12 * entries) / 2;
        m_low = QByteArray(entries * 8 + units, '\0');
        m_text = QString(m_low.size(), QChar(u' '));
    }
    bool valid() const { return m_decoder.isValid(); }
    bool run(QString &error) override
    {
        QFile file(m_table.path);
        if (!file.open(QIODevice::ReadOnly) || file.read(m_data.data(), m_data.size()) != m_data.size()) {
            error = QStringLiteral("%1: %2").arg(m_table.path, file.errorString());
            return false;
        }
        file.close();
        const char *bytes = m_data.constData();
        const qint64 keySize = qFromLittleEndian<qint32>(bytes + 4);
        const qint64 entries = keySize / 12;
        const qint64 textBase = 16 + keySize;
        const qint64 units = (m_data.size() - textBase) / 2;
        char *out = m_low.data();
        for (qint64 i = 0; i < entries; ++i, out += 8)
            std::memcpy(out, bytes + 12 + 12 * i, 8);
        const char *unit = bytes + textBase;
        for (qint64 u = 0; u < units; ++u)
            out[u] = unit[2 * u];
        const QChar *end = m_decoder.appendToBuffer(m_text.data(), m_low);
        return end - m_text.constData() == m_low.size();
    }

private:
    const BenchTable &m_table;
    QStringDecoder m_decoder;
    QByteArray m_data;
    QByteArray m_low;
    QString m_text;
};

// SaveGxt as the editor calls it: the table sorted by Name, over a file that exists,
// replaced atomically.
class SaveSession : public Session
{
public:
    explicit SaveSession(const BenchTable &table)
        : m_table(table)
        , m_hooks(editorHooks(m_progress))
        , m_path(workFolder() + QStringLiteral("/save-%1.gxt").arg(QLatin1String(table.shape.label)))
    {
        m_source.assignSorted(table.rows, StringTable::ByName);
        QFile::copy(table.path, m_path);
    }
    bool run(QString &error) override
    {
        const GxtSaveResult result = SaveGxt(m_path, m_source, m_hooks);
        if (!result.ok) {
            error = QStringLiteral("the save failed: %1").arg(result.errorString);
            return false;
        }
        if (QFileInfo(m_path).size() != m_table.fileSize) {
            error = QStringLiteral("the saved file has %1 bytes, not %2").arg(QFileInfo(m_path).size()).arg(m_table.fileSize);
            return false;
        }
        return true;
    }

private:
    const BenchTable &m_table;
    ProgressState m_progress;
    FileOperationHooks m_hooks;
    StringTable m_source;
    QString m_path;
};

// The least a save can do: encode every name and text once and write as many bytes as
// the file has, as durably as the save does (QSaveFile syncs the data before its rename).
// The buffer is reused, as the load floor's are.
class SaveFloorSession : public Session
{
public:
    explicit SaveFloorSession(const BenchTable &table)
        : m_table(table)
        , m_encoder("windows-1252", QStringEncoder::Flag::Stateless)
        , m_path(workFolder() + QStringLiteral("/floor-%1.bin").arg(QLatin1String(table.shape.label)))
        , m_bytes(table.fileSize, '\0')
    {
    }
    bool valid() const { return m_encoder.isValid(); }
    bool run(QString &error) override
    {
        char *out = m_bytes.data();
        for (const StringEntry &row : m_table.rows) {
            out = m_encoder.appendToBuffer(out, row.name);
            out = m_encoder.appendToBuffer(out, row.value);
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
    const BenchTable &m_table;
    QStringEncoder m_encoder;
    QString m_path;
    QByteArray m_bytes;
};

// A header click in the core: the table re-sorted by one column while sorted, the other
// column's order restored between runs.
class SortSession : public Session
{
public:
    SortSession(const BenchTable &table, int key)
        : m_key(key)
        , m_other(key == StringTable::ByName ? StringTable::ByValue : StringTable::ByName)
    {
        hasUntimedSteps = true;
        m_target.assignSorted(table.rows, StringTable::ByName);
    }
    void prepare() override { m_target.setSortKey(m_other); }
    bool run(QString &) override
    {
        m_target.setSortKey(m_key);
        return true;
    }

private:
    StringTable m_target;
    int m_key;
    int m_other;
};

template<typename S, typename... Args>
std::function<std::unique_ptr<Session>(QString &)> starter(const BenchTable &table, Args... args)
{
    return [&table, args...](QString &error) -> std::unique_ptr<Session> {
        auto session = std::make_unique<S>(table, args...);
        if constexpr (requires { session->valid(); }) {
            if (!session->valid()) {
                error = QStringLiteral("this Qt has no windows-1252 converter");
                return nullptr;
            }
        }
        return session;
    };
}

} // namespace

void registerCoreCases()
{
    std::vector<BenchCase> &cases = benchCases();
    using Target = BenchCase::Target;
    for (const BenchTable *table : {&largestTable(), &mainTable()}) {
        const std::string label = table->shape.label;
        cases.push_back({"load/" + label, "load_floor/" + label, Target::RatioToFloor, 3.0, table,
                         starter<LoadSession>(*table)});
        cases.push_back({"load_floor/" + label, {}, Target::None, 0, table, starter<LoadFloorSession>(*table)});
        cases.push_back({"save/" + label, "save_floor/" + label, Target::RatioToFloor, 3.0, table,
                         starter<SaveSession>(*table)});
        cases.push_back({"save_floor/" + label, {}, Target::None, 0, table, starter<SaveFloorSession>(*table)});
    }
    // No target of their own: they are the core's share of the window's 25 ms.
    const BenchTable &largest = largestTable();
    cases.push_back({"sort_by_value/largest", {}, Target::None, 0, nullptr,
                     starter<SortSession>(largest, int(StringTable::ByValue))});
    cases.push_back({"sort_by_name/largest", {}, Target::None, 0, nullptr,
                     starter<SortSession>(largest, int(StringTable::ByName))});
}

} // namespace quilletbench
