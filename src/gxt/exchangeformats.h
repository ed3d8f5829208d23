#pragma once

#include "stringentry.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace quillet {

// Text forms of a table for version control, diffs, spreadsheets and scripts, all UTF-8:
//  - txt:  "[NAME]" on one line, the value on the next, one entry after another;
//  - csv:  RFC 4180 with the header row "name,value";
//  - json: an array of {"name": ..., "value": ...}.
enum class ExchangeFormat { Txt, Csv, Json };

std::optional<ExchangeFormat> exchangeFormatFromName(const QString &name);
// From a file name's extension; nothing when it names none of the three.
std::optional<ExchangeFormat> exchangeFormatFromPath(const QString &path);

class ExchangeWriter
{
public:
    // False, with a reason naming the entry, when the format cannot hold a row.
    bool write(const std::vector<StringEntry> &rows, ExchangeFormat format, QByteArray &out);
    QString errorString() const { return m_error; }

private:
    QString m_error;
};

class ExchangeReader
{
public:
    // False, with a reason naming the line (txt, csv) or the element (json), when the
    // source is malformed or holds an entry that a GXT file cannot keep as it is.
    bool read(const QByteArray &source, ExchangeFormat format, std::vector<StringEntry> &rows);
    QString errorString() const { return m_error; }

private:
    bool readTxt(const QByteArray &source, std::vector<StringEntry> &rows);
    bool readCsv(const QByteArray &source, std::vector<StringEntry> &rows);
    bool readJson(const QByteArray &source, std::vector<StringEntry> &rows);
    bool checkEntry(const StringEntry &entry, const QString &where);
    bool fail(const QString &reason);

    QString m_error;
};

} // namespace quillet
