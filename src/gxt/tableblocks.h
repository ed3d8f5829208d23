#pragma once

// The pieces that formats built of TKEY/TDAT blocks share: reading and writing one block
// of records and texts, and the TABL table of tables. Internal to the formats' readers and
// writers; each format's own file says where these pieces go and what its records hold.
#include "bytesource.h"
#include "fileoperationhooks.h"
#include "gxtformat.h"
#include "result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace quillet {

// Where one table's block lies in the file.
struct TableBlock {
    qint64 keysAt = 0;    // first record
    qint64 count = 0;     // records
    qint64 dataStart = 0; // first byte of the texts
    qint64 dataEnd = 0;   // where texts must have ended
};

// A reader over a file's bytes that fails with one reason and keeps what the game would
// only warn about.
class BlockReader
{
public:
    BlockReader(ByteSource &source, ReadContext &context);

    qint64 size() const { return m_size; }
    FileProgress &progress() { return m_context.progress; }
    // `length` bytes from `position`, which the caller has made sure lie in the file; null,
    // with the reason kept, when they cannot be read.
    const char *at(qint64 position, qint64 length);
    bool fail(const QString &reason);
    const QString &error() const { return m_error; }
    void warn(const QString &warning) { m_warnings.append(warning); }
    const QStringList &warnings() const { return m_warnings; }

    // A block's tag and size at `p`: the size must be a whole number of records and lie in
    // the file.
    bool readBlockHeader(const QString &where, const char *tag, qint64 p, int recordSize, qint64 &size);

    // The records and texts of one block. Entries that share an offset share one string;
    // texts are read in the order they stand in the file, so that a file read a window at a
    // time is read front to back even where its records are in another order than its texts.
    // `tableIndex` is the table's place in the file, for the inspector; `table` its name, for
    // the reasons, which also say where its texts must end: the end of the file, where a
    // format's texts are bounded by nothing else, or the end of the table's texts.
    enum class TextsEnd { File, Table };
    bool readEntries(const GxtFormat &format, int tableIndex, const RawName &table, const TableBlock &block,
                     int unitBytes, std::vector<StringEntry> &entries, TextsEnd end);

    // The records and texts of a table whose texts are UTF-8, each ended by a zero byte,
    // at offsets from the start of the file: from `textsStart` to the file's end.
    bool readUtf8Entries(const GxtFormat &format, const TableBlock &block, qint64 textsStart,
                         std::vector<StringEntry> &entries);

private:
    QString where(const GxtFormat &format, const RawName &table, qint64 i, const StringEntry &entry) const;
    // Reads `count` records at `keysAt`, and leaves out, where the read salvages, those whose
    // offsets lie outside [low, high): false, with the reason naming the first such entry,
    // where it does not.
    bool readRecords(const GxtFormat &format, const RawName &table, qint64 keysAt, qint64 count, qint64 low,
                     qint64 high, std::vector<StringEntry> &entries, std::vector<qint64> &offsets,
                     const std::function<QString()> &outsideWhat);

    ByteSource &m_source;
    ReadContext &m_context;
    FileProgress &m_progress;
    // The text an inspector is shown, in place of one string per text.
    QString m_scratch;
    const qint64 m_size;
    // Texts may overlap, so the units read in all are bounded by the file's own size: a
    // damaged or hostile file cannot make the reader decode more than it could hold.
    const qint64 m_unitBudget;
    qint64 m_unitsRead = 0;
    QString m_error;
    QStringList m_warnings;
};

// A TABL block at `base` and the table blocks it lists: a MAIN table first, then the
// others, each of which repeats its name before its TKEY block.
bool readTableOfTables(BlockReader &reader, const GxtFormat &format, qint64 base, int bits, RawDocument &out);

// Every text of `table` checked for what `bits`-bit texts of the format can hold (no unit 0,
// none too wide, none too long), and the size of its text data; fails naming the entry.
Result measureTexts(const GxtFormat &format, const RawTable &table, int bits, qint64 &dataSize);
// The bytes of every text of the tables, with their terminators, added up without looking
// at a unit: what a save checks first.
qint64 textBytes(const RawTable &table, int bits);

// Where each entry of a table of hashed keys goes when written: by hash as an unsigned
// number, equal hashes in the table's order. The order the game searches such a table in.
std::vector<int> orderByHash(const std::vector<StringEntry> &entries);

// Writes one TKEY/TDAT block of `table` at `p`, its entries in `order`; returns the end.
char *writeBlock(const GxtFormat &format, const RawTable &table, const std::vector<int> &order, int bits,
                 qint64 dataSize, char *p, FileProgress &progress);

// A whole file of one table: `header` (the bytes before TKEY), then the table's block.
Result writeOneTableFile(const GxtFormat &format, QByteArrayView header, int bits, const RawTable &table,
                         QByteArray &out, FileProgress &progress);

// A whole file of tables: `header` (the bytes before TABL), the TABL block, then every
// table's block in the format's table order, each on the format's block alignment.
Result writeTableOfTables(const GxtFormat &format, QByteArrayView header, int bits,
                          const std::vector<const RawTable *> &tables, QByteArray &out, FileProgress &progress);

// The largest file the format's 32-bit sizes and offsets allow.
inline constexpr qint64 LargestGxtFile = 0x7FFFFFFF;
QString tooLargeReason(qint64 entries, qint64 bytes);

} // namespace quillet
