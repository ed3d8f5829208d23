#include "gxtfile.h"

#include "codepage.h"
#include "stringtable.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace quillet {

namespace {

constexpr int ProgressStep = 50;

// Calls the end hook on every way out of a file operation, so that no caller is ever left
// marked busy.
class OperationScope
{
public:
    explicit OperationScope(const FileOperationHooks &hooks)
        : m_hooks(hooks)
    {
        if (m_hooks.begin)
            m_hooks.begin();
    }
    ~OperationScope()
    {
        if (m_hooks.end)
            m_hooks.end();
    }
    OperationScope(const OperationScope &) = delete;
    OperationScope &operator=(const OperationScope &) = delete;

private:
    const FileOperationHooks &m_hooks;
};

void setMaximum(const FileOperationHooks &hooks, double maximum)
{
    if (hooks.setProgressMaximum)
        hooks.setProgressMaximum(maximum);
}

void advance(const FileOperationHooks &hooks, double by)
{
    if (hooks.advance)
        hooks.advance(by);
}

qint32 readInt32(const char *p)
{
    return qFromLittleEndian<qint32>(p);
}

void writeInt32(char *p, qint32 value)
{
    qToLittleEndian<qint32>(value, p);
}

// A name field: every zero byte goes wherever it stands, then surrounding spaces.
QString decodeName(const char *field, const CodePage &page)
{
    QChar buffer[GxtLimits::MaxNameLength];
    int length = 0;
    for (int i = 0; i < GxtLimits::MaxNameLength; ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte != 0)
            buffer[length++] = page.decode(byte);
    }
    int first = 0;
    while (first < length && buffer[first] == QLatin1Char(' '))
        ++first;
    while (length > first && buffer[length - 1] == QLatin1Char(' '))
        --length;
    return QString(buffer + first, length - first);
}

bool looksLikeLaterVariant(QByteArrayView data)
{
    const QByteArrayView tabl("TABL");
    return (data.size() >= 4 && data.first(4) == tabl) || (data.size() >= 8 && data.sliced(4, 4) == tabl);
}

} // namespace

QString describeEntry(int position, const QString &name)
{
    return QStringLiteral("entry %1 (%2)").arg(position).arg(name);
}

namespace {

// The bytes of a file held whole in memory.
class MemoryBytes
{
public:
    explicit MemoryBytes(QByteArrayView data)
        : m_data(data)
    {
    }
    // Memory hands out any stretch at once; the reader asks in chunks no larger than this.
    static constexpr qint64 ChunkBytes = std::numeric_limits<qint64>::max() / 4;

    qint64 size() const { return m_data.size(); }
    // `length` bytes from `position`, which lie inside the file; valid until the next call.
    const char *at(qint64 position, qint64 /*length*/) const { return m_data.data() + position; }
    QString errorString() const { return {}; }

private:
    QByteArrayView m_data;
};

// The bytes of an open file, read a window at a time as the reader moves through them, so
// that a load never holds the file's bytes beside the whole of the table they become: for
// the largest table they were a third of what opening it added to the editor's peak.
class FileBytes
{
public:
    FileBytes(QFile &file, qint64 size)
        : m_file(file)
        , m_size(size)
    {
    }
    static constexpr qint64 ChunkBytes = 64 * 1024;

    qint64 size() const { return m_size; }
    // `length` bytes from `position`, which lie inside the file; valid until the next call.
    // Null when the file cannot be read, or holds fewer bytes than it did when opened.
    const char *at(qint64 position, qint64 length)
    {
        if (position >= m_start && position + length <= m_start + m_window.size())
            return m_window.constData() + (position - m_start);
        const qint64 count = std::min(std::max(length, WindowBytes), m_size - position);
        m_window.resize(count);
        m_start = position;
        if (!m_file.seek(position) || m_file.read(m_window.data(), count) != count) {
            m_window.clear();
            m_error = m_file.error() != QFileDevice::NoError
                ? m_file.errorString()
                : QStringLiteral("the file became shorter while it was read");
            return nullptr;
        }
        return m_window.constData();
    }
    QString errorString() const { return m_error; }

private:
    static constexpr qint64 WindowBytes = 256 * 1024;

    QFile &m_file;
    qint64 m_size;
    QByteArray m_window;
    qint64 m_start = 0;
    QString m_error;
};

struct ReadOutcome {
    QString error;
    int alteredUnits = 0;
    QStringList alteredEntries;
};

// The reader itself, over the bytes of a file in memory or on disk.
template<typename Bytes>
bool readRows(Bytes &source, std::vector<StringEntry> &rows, const FileOperationHooks &hooks, ReadOutcome &outcome)
{
    auto fail = [&outcome](const QString &reason) {
        outcome.error = reason;
        return false;
    };
    const qint64 size = source.size();
    const qint64 headSize = std::min<qint64>(size, 8);
    const char *head = source.at(0, headSize);
    if (!head)
        return fail(source.errorString());
    if (looksLikeLaterVariant(QByteArrayView(head, headSize))) {
        return fail(QStringLiteral("the file looks like a later variant of the GXT format (a table of "
                                   "tables, tagged TABL), which this editor does not read"));
    }
    if (size < 8)
        return fail(QStringLiteral("the file is %1 bytes long; a GXT file has at least 8").arg(size));

    const qint64 keySize = readInt32(head + 4);
    if (keySize < 0)
        return fail(QStringLiteral("the TKEY size %1 is negative").arg(keySize));
    if (keySize % 12 != 0)
        return fail(QStringLiteral("the TKEY size %1 is not a multiple of 12").arg(keySize));
    if (8 + keySize > size) {
        return fail(QStringLiteral("the TKEY size %1 reaches past the end of the file (%2 bytes)")
                        .arg(keySize)
                        .arg(size));
    }
    const qint64 entryCount = keySize / 12;
    if (entryCount > GxtLimits::MaxEntries) {
        return fail(QStringLiteral("the file has %1 entries; at most %2 can be loaded")
                        .arg(entryCount)
                        .arg(GxtLimits::MaxEntries));
    }

    setMaximum(hooks, double(keySize) / 4.0);
    const CodePage &page = CodePage::windows1252();

    // First pass, the records.
    const char *records = source.at(8, keySize);
    if (!records)
        return fail(source.errorString());
    std::vector<qint32> offsets(static_cast<size_t>(entryCount));
    rows.resize(size_t(entryCount));
    for (qint64 i = 0; i < entryCount; ++i) {
        const char *record = records + 12 * i;
        offsets[size_t(i)] = readInt32(record);
        rows[size_t(i)].name = decodeName(record + 4, page);
        if ((i + 1) % ProgressStep == 0)
            advance(hooks, ProgressStep);
    }

    // Second pass, the texts. Records may share an offset; they then share one string.
    // Texts may also overlap, so the units read in all are bounded by the file's own size:
    // a damaged or hostile file cannot make the reader decode more than it could hold.
    const qint64 textBase = 16 + keySize;
    const qint64 unitBudget = size + (qint64(1) << 20);
    const qint64 chunkUnits = Bytes::ChunkBytes / 2;
    qint64 unitsRead = 0;
    // firstAtOffset[i]: the first record with record i's offset. Files as writers make them
    // have rising offsets and share nothing, and then the table is not needed at all.
    bool sharing = false;
    for (qint64 i = 1; i < entryCount && !sharing; ++i)
        sharing = offsets[size_t(i)] <= offsets[size_t(i - 1)];
    std::vector<int> firstAtOffset;
    std::vector<int> alteredAt; // altered units of each text read, for the records sharing it
    if (sharing) {
        std::vector<quint64> keys(static_cast<size_t>(entryCount));
        for (qint64 i = 0; i < entryCount; ++i)
            keys[size_t(i)] = (quint64(quint32(offsets[size_t(i)])) << 32) | quint64(i);
        std::sort(keys.begin(), keys.end());
        firstAtOffset.resize(size_t(entryCount));
        alteredAt.resize(size_t(entryCount));
        for (size_t k = 0, first = 0; k < keys.size(); ++k) {
            if (k == 0 || (keys[k] >> 32) != (keys[k - 1] >> 32))
                first = size_t(keys[k] & 0xffffffffu);
            firstAtOffset[size_t(keys[k] & 0xffffffffu)] = int(first);
        }
    }
    for (qint64 i = 0; i < entryCount; ++i) {
        const int position = int(i + 1);
        StringEntry &row = rows[size_t(i)];
        const qint32 offset = offsets[size_t(i)];
        auto where = [&] { return describeEntry(position, row.name); };
        if (offset < 0)
            return fail(QStringLiteral("%1: the text offset %2 is negative").arg(where()).arg(offset));
        const qint64 start = textBase + offset;
        if (start >= size) {
            return fail(QStringLiteral("%1: the text offset %2 lies past the end of the file (%3 bytes)")
                            .arg(where())
                            .arg(offset)
                            .arg(size));
        }

        int alteredUnits = 0;
        const qint64 first = sharing ? firstAtOffset[size_t(i)] : i;
        if (first == i) {
            // The text's length first, chunk by chunk, up to its terminator.
            const qint64 available = (size - start) / 2;
            qint64 length = 0;
            bool terminated = false;
            while (!terminated && length < available) {
                const qint64 count = std::min(available - length, chunkUnits);
                const char *units = source.at(start + 2 * length, 2 * count);
                if (!units)
                    return fail(source.errorString());
                qint64 u = 0;
                while (u < count && (units[2 * u] != 0 || units[2 * u + 1] != 0))
                    ++u;
                length += u;
                terminated = u < count;
            }
            unitsRead += length + 1;
            if (!terminated) {
                return fail(QStringLiteral("%1: the text at offset %2 has no terminator before the end of "
                                           "the file")
                                .arg(where())
                                .arg(offset));
            }
            if (unitsRead > unitBudget) {
                return fail(QStringLiteral("%1: the texts overlap so much that they would hold more "
                                           "characters than the file (%2 bytes) could; the file is damaged")
                                .arg(where())
                                .arg(size));
            }
            QString text(length, Qt::Uninitialized);
            QChar *out = text.data();
            for (qint64 done = 0; done < length;) {
                const qint64 count = std::min(length - done, chunkUnits);
                const char *units = source.at(start + 2 * done, 2 * count);
                if (!units)
                    return fail(source.errorString());
                for (qint64 u = 0; u < count; ++u) {
                    alteredUnits += units[2 * u + 1] != 0;
                    out[done + u] = page.decode(static_cast<unsigned char>(units[2 * u]));
                }
                done += count;
            }
            row.value = std::move(text);
            if (sharing)
                alteredAt[size_t(i)] = alteredUnits;
        } else {
            // Records that share an offset share one string.
            row.value = rows[size_t(first)].value;
            alteredUnits = alteredAt[size_t(first)];
        }
        if (alteredUnits) {
            outcome.alteredUnits += alteredUnits;
            outcome.alteredEntries.append(where());
        }
        if (position % ProgressStep == 0)
            advance(hooks, 2 * ProgressStep);
    }
    return true;
}

// Opens a file that may be a GXT file: a regular file of a size a GXT file can have.
bool openGxtFile(const QString &path, QFile &file, QString &error)
{
    // Only a regular file has an end: a named pipe would hold the open until some writer
    // came, and a device such as /dev/zero never ends.
    const QFileInfo info(path);
    if (info.isDir()) {
        error = QStringLiteral("it is a folder, not a file");
        return false;
    }
    if (info.exists() && !info.isFile()) {
        error = QStringLiteral("it is not a regular file");
        return false;
    }
    // No GXT file can reach past its 32-bit offsets; refusing larger files keeps a stray
    // disk image from being read into memory.
    constexpr qint64 LargestGxt = (qint64(1) << 31) + (qint64(1) << 20);
    if (info.size() > LargestGxt) {
        error = QStringLiteral("the file is %1 bytes long, more than a GXT file can be").arg(info.size());
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool GxtReader::read(QByteArrayView data, std::vector<StringEntry> &rows, const FileOperationHooks &hooks)
{
    rows.clear();
    MemoryBytes source(data);
    ReadOutcome outcome;
    const bool ok = readRows(source, rows, hooks, outcome);
    m_error = outcome.error;
    m_alteredUnits = outcome.alteredUnits;
    m_alteredEntries = outcome.alteredEntries;
    return ok;
}

bool GxtWriter::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool isInWriterOrder(const std::vector<StringEntry> &rows)
{
    return std::is_sorted(rows.begin(), rows.end(), [](const StringEntry &a, const StringEntry &b) {
        return QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
    });
}

bool GxtWriter::build(const std::vector<StringEntry> &rows, QByteArray &out, const FileOperationHooks &hooks)
{
    m_error.clear();
    out.clear();
    const CodePage &page = CodePage::windows1252();
    const qint64 n = qint64(rows.size());

    // Every limit is checked before a single byte exists, so a refused save writes nothing.
    qint64 textSize = 0;
    for (qint64 i = 0; i < n; ++i) {
        const StringEntry &row = rows[size_t(i)];
        const QString where = describeEntry(int(i + 1), row.name);
        if (row.name.size() > GxtLimits::MaxNameLength) {
            return fail(QStringLiteral("%1: the name has %2 characters; a GXT name holds at most %3")
                            .arg(where)
                            .arg(row.name.size())
                            .arg(GxtLimits::MaxNameLength));
        }
        if (row.value.size() > GxtLimits::MaxValueLength) {
            return fail(QStringLiteral("%1: the text has %2 characters; a GXT text holds at most %3")
                            .arg(where)
                            .arg(row.value.size())
                            .arg(GxtLimits::MaxValueLength));
        }
        for (const QString *text : {&row.name, &row.value}) {
            unsigned char byte = 0;
            for (qsizetype c = 0; c < text->size(); ++c) {
                if (!page.encode(text->at(c), byte)) {
                    return fail(QStringLiteral("%1: the %2 holds the character %3, which Windows-1252 cannot "
                                               "store")
                                    .arg(where, text == &row.name ? QStringLiteral("name") : QStringLiteral("text"),
                                         CodePage::describe(*text, c)));
                }
            }
        }
        textSize += 2 * (row.value.size() + 1);
    }
    const qint64 keySize = 12 * n;
    if (keySize > std::numeric_limits<qint32>::max() || textSize > std::numeric_limits<qint32>::max()
        || 16 + keySize + textSize > std::numeric_limits<qint32>::max()) {
        return fail(QStringLiteral("the table is too large for a GXT file (%1 entries, %2 bytes of text)")
                        .arg(n)
                        .arg(textSize));
    }

    setMaximum(hooks, double(3 * n));

    // Ascending character codes; a stable sort keeps rows with equal names in table order.
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return QString::compare(rows[size_t(a)].name, rows[size_t(b)].name, Qt::CaseSensitive) < 0;
    });
    advance(hooks, 0);

    QByteArray bytes(16 + keySize + textSize, Qt::Uninitialized);
    char *p = bytes.data();
    std::memcpy(p, "TKEY", 4);
    writeInt32(p + 4, qint32(keySize));
    char *record = p + 8;
    qint32 offset = 0;
    for (qint64 i = 0; i < n; ++i) {
        const StringEntry &row = rows[size_t(order[size_t(i)])];
        writeInt32(record, offset);
        unsigned char byte = 0;
        for (int c = 0; c < GxtLimits::MaxNameLength; ++c) {
            byte = 0;
            if (c < row.name.size())
                page.encode(row.name.at(c), byte);
            record[4 + c] = char(byte);
        }
        record += 12;
        offset += qint32(2 * (row.value.size() + 1));
        if ((i + 1) % ProgressStep == 0)
            advance(hooks, ProgressStep);
    }
    std::memcpy(record, "TDAT", 4);
    writeInt32(record + 4, qint32(textSize));
    char *text = record + 8;
    for (qint64 i = 0; i < n; ++i) {
        const QString &value = rows[size_t(order[size_t(i)])].value;
        unsigned char byte = 0;
        for (QChar c : value) {
            page.encode(c, byte);
            *text++ = char(byte);
            *text++ = 0;
        }
        *text++ = 0;
        *text++ = 0;
        if ((i + 1) % ProgressStep == 0)
            advance(hooks, 2 * ProgressStep);
    }
    Q_ASSERT(text == bytes.data() + bytes.size());
    if (hooks.resetProgress)
        hooks.resetProgress();
    out = std::move(bytes);
    return true;
}

bool GxtWriter::write(const std::vector<StringEntry> &rows, QIODevice &device, const FileOperationHooks &hooks)
{
    QByteArray bytes;
    if (!build(rows, bytes, hooks))
        return false;
    if (device.write(bytes) != bytes.size())
        return fail(device.errorString().isEmpty() ? QStringLiteral("could not write the file") : device.errorString());
    return true;
}

bool readFileBytes(const QString &path, QByteArray &data, QString &error)
{
    QFile file;
    if (!openGxtFile(path, file, error))
        return false;
    data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

GxtLoadResult LoadGxt(const QString &path, StringTable &table, const FileOperationHooks &hooks)
{
    GxtLoadResult result;
    OperationScope scope(hooks);

    QFile file;
    if (!openGxtFile(path, file, result.errorString))
        return result;
    std::vector<StringEntry> rows;
    ReadOutcome outcome;
    {
        FileBytes source(file, file.size());
        if (!readRows(source, rows, hooks, outcome)) {
            result.errorString = outcome.error;
            return result;
        }
    }
    file.close();
    // Only a complete, sound table replaces what the caller had.
    table.assignSorted(std::move(rows), StringTable::ByName);
    result.ok = true;
    result.alteredUnitCount = outcome.alteredUnits;
    result.alteredEntries = outcome.alteredEntries;
    return result;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString &error)
{
#ifdef Q_OS_UNIX
    // QSaveFile gives the new file the old one's permissions as QFileInfo reports them, and
    // those mix in what the current user may do: root's save turned 0444 into 0644, and
    // anyone's save of a file writable through its group gained the owner's write bit.
    // The exact bits go onto the new file before it takes the old one's place. stat()
    // follows a link to the file the save will replace.
    struct stat old {};
    const bool replacesAFile = ::stat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode);
#endif
    // Unbuffered: QSaveFile::commit() (Qt 6.4) does not notice when the flush of buffered
    // bytes fails, so a table small enough to sit in the buffer replaced the old file with
    // an empty one on a full disk, and the save said it had succeeded.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = file.errorString();
        return false;
    }
    // A write that fills the disk stops short without a reason ("Unknown error"); writing
    // the rest then fails with the system's own, such as "No space left on device".
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + done, bytes.size() - done);
        if (count <= 0) {
            error = file.errorString();
            file.cancelWriting();
            return false;
        }
        done += count;
    }
#ifdef Q_OS_UNIX
    if (replacesAFile && ::fchmod(file.handle(), old.st_mode & 07777) != 0) {
        error = qt_error_string(errno);
        file.cancelWriting();
        return false;
    }
#endif
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

GxtSaveResult SaveGxt(const QString &path, const StringTable &table, const FileOperationHooks &hooks)
{
    GxtSaveResult result;
    OperationScope scope(hooks);

    GxtWriter writer;
    QByteArray bytes;
    if (!writer.build(table.rows(), bytes, hooks)) {
        result.errorString = writer.errorString();
        return result;
    }
    result.ok = writeFileAtomically(path, bytes, result.errorString);
    return result;
}

} // namespace quillet
