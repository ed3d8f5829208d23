#pragma once

#include "characternumbering.h"
#include "gxtdocument.h"
#include "stringentry.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quillet {

// Text forms of a GXT file for version control, diffs, spreadsheets and scripts, all UTF-8.
// A flat file keeps the forms it always had; a file of tables names its layout and width
// first, then each table before its entries:
//
//  - txt:  flat: "[NAME]" on one line, the value on the next, one entry after another.
//          Tables: a first line "{layout tabled 16}" or "{layout hashed 8}", then a line
//          "{table NAME}" before each table's entries. A value's line breaks are written as
//          the escape of their unit ("⟨000A⟩"), which reads back as the same unit.
//  - csv:  RFC 4180. Flat: the header row "name,value". Tables: a first row
//          "layout,hashed,8", the header "table,name,value", then one row an entry; a table
//          is the run of rows that name it, and a table without entries is a row of its
//          name alone.
//  - json: flat: an array of {"name": ..., "value": ...}. Tables: {"layout": "hashed",
//          "bits": 8, "tables": [{"name": "MAIN", "entries": [{"name", "value"}...]}...]}.
//
// Values are written as the character numbering shows them, escapes included, and read
// back through the same numbering, so an export followed by an import gives back the very
// units of the file.
enum class ExchangeFormat { Txt, Csv, Json };

std::optional<ExchangeFormat> exchangeFormatFromName(const QString &name);
// From a file name's extension; nothing when it names none of the three.
std::optional<ExchangeFormat> exchangeFormatFromPath(const QString &path);
QString exchangeFormatName(ExchangeFormat format);

class ExchangeWriter
{
public:
    // False, with a reason naming the entry, when the form cannot hold the document (a
    // line break in a txt name, say, or a table name twice in csv). `numbering` is the one
    // the values were decoded with.
    bool write(const GxtDocumentData &data, ExchangeFormat format, const CharacterNumbering &numbering,
               QByteArray &out);
    // A flat table in Windows-1252.
    bool write(const std::vector<StringEntry> &rows, ExchangeFormat format, QByteArray &out);
    QString errorString() const { return m_error; }

private:
    QString m_error;
};

class ExchangeReader
{
public:
    // The numbering a source of that layout is read in; the layout's default when empty or
    // when it gives nothing.
    using NumberingFor = std::function<std::shared_ptr<const CharacterNumbering>(GxtLayout)>;

    // False, with a reason naming the line (txt, csv) or the element (json) and the entry,
    // when the source is malformed or holds an entry the layout it names cannot store.
    // Values come back as the numbering shows the units they encode to.
    bool read(const QByteArray &source, ExchangeFormat format, GxtDocumentData &out,
              const NumberingFor &numberingFor = {});
    // A flat source in Windows-1252.
    bool read(const QByteArray &source, ExchangeFormat format, std::vector<StringEntry> &rows);
    QString errorString() const { return m_error; }

    // The numbering the last read used.
    std::shared_ptr<const CharacterNumbering> numbering() const { return m_numbering; }

private:
    struct Builder;
    bool readTxt(const QByteArray &source, Builder &builder);
    bool readCsv(const QByteArray &source, Builder &builder);
    bool readJson(const QByteArray &source, Builder &builder);
    bool fail(const QString &reason);

    QString m_error;
    std::shared_ptr<const CharacterNumbering> m_numbering;
};

} // namespace quillet
