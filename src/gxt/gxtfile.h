#pragma once

#include "stringentry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QIODevice;

namespace quillet {

class StringTable;

// Limits of what a GXT file can hold, as this editor reads and writes it.
namespace GxtLimits {
inline constexpr int MaxEntries = 32766;
inline constexpr int MaxNameLength = 8;
inline constexpr int MaxValueLength = 32766;
} // namespace GxtLimits

// How a file operation shows itself. Loading and saving run on the UI thread; `advance`
// adds to the progress value and lets the waiting window events run once, which happens
// every 50 entries (and once after the save's sort). Every hook may be left empty.
struct FileOperationHooks {
    std::function<void()> begin;
    std::function<void()> end; // runs whether the operation succeeded or not
    std::function<void(double)> setProgressMaximum;
    std::function<void(double)> advance;
    std::function<void()> resetProgress;
};

// Reads the bytes of a whole GXT file. Rows come back in record order. A damaged file
// fails with a reason that names what is wrong and the entry where it was found.
class GxtReader
{
public:
    bool read(QByteArrayView data, std::vector<StringEntry> &rows, const FileOperationHooks &hooks = {});

    QString errorString() const { return m_error; }

    // Text units the reader could not keep as they were: a non-zero high byte is dropped,
    // and a unit 00 xx becomes a character of code 0 that a save writes as a terminator.
    int alteredUnitCount() const { return m_alteredUnits; }
    // "entry 3 (NAME)" for each entry that holds such units, in record order.
    QStringList alteredEntries() const { return m_alteredEntries; }

private:
    QString m_error;
    int m_alteredUnits = 0;
    QStringList m_alteredEntries;
};

// Writes a table in the GXT layout: records in ascending character-code order of Name
// (equal names keep their order), texts in the same order, fresh offsets, exact sizes.
// Nothing is written when a row breaks a limit or holds a character the code page lacks.
class GxtWriter
{
public:
    // Builds the file's bytes; false (and no bytes) when the rows cannot be saved.
    bool build(const std::vector<StringEntry> &rows, QByteArray &out, const FileOperationHooks &hooks = {});
    // Builds the bytes and writes them to an open device.
    bool write(const std::vector<StringEntry> &rows, QIODevice &device, const FileOperationHooks &hooks = {});

    QString errorString() const { return m_error; }

private:
    bool fail(const QString &reason);

    QString m_error;
};

struct GxtLoadResult {
    bool ok = false;
    QString errorString;
    int alteredUnitCount = 0;
    QStringList alteredEntries;
};

struct GxtSaveResult {
    bool ok = false;
    QString errorString;
};

// Loads the file at `path` into `table` and shows it sorted by Name in the table's current
// direction. On failure the table is left exactly as it was.
GxtLoadResult LoadGxt(const QString &path, StringTable &table, const FileOperationHooks &hooks = {});

// Saves `table` to `path` atomically: on failure the file on disk keeps its old bytes and
// no temporary file stays behind. The table's rows and their order are not touched.
GxtSaveResult SaveGxt(const QString &path, const StringTable &table, const FileOperationHooks &hooks = {});

// Reads a whole file that may be a GXT file: a regular file of a size a GXT file can have.
bool readFileBytes(const QString &path, QByteArray &data, QString &error);

// Replaces the file at `path` with `bytes` all at once, through a link to the file it
// points at and keeping the old file's permission bits; on failure the old file keeps
// its bytes and no temporary file stays behind.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString &error);

// Whether the records already stand in the order the writer gives them.
bool isInWriterOrder(const std::vector<StringEntry> &rows);

// "entry 3 (NAME)": how messages point at a row, by its 1-based position.
QString describeEntry(int position, const QString &name);

} // namespace quillet
