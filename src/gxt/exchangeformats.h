#pragma once

#include "characternumbering.h"
#include "entryrules.h"
#include "rawgxt.h"
#include "result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quillet {

// Text forms of a GXT file for version control, diffs, spreadsheets and scripts, all UTF-8.
// A flat file keeps the forms it always had; any other file names its layout first (see
// layoutheader.h: layout, width, hash, "single", "big-endian"), then a file of tables names
// each table before its entries, and a file of one table lists its entries as a flat one:
//
//  - txt:  flat: "[NAME]" on one line, the value on the next, one entry after another.
//          Others: a first line "{layout tabled 16}" or "{layout hashed 8 crc32}", then for
//          tables a line "{table NAME}" before each table's entries. A value's line breaks
//          are written as the escape of their unit ("⟨000A⟩"), which reads back as the same
//          unit.
//  - csv:  RFC 4180. Flat: the header row "name,value". Others: a first row
//          "layout,hashed,8,crc32"; then tables have the header "table,name,value" and one
//          row an entry (a table is the run of rows that name it, and a table without
//          entries is a row of its name alone), a file of one table "name,value".
//  - json: flat: an array of {"name": ..., "value": ...}. Others: {"layout": "hashed",
//          "bits": 8, "hash": "crc32", "tables": [{"name": "MAIN", "entries": [{"name",
//          "value"}...]}...]}, one table for a file of one table.
//
// Values are written as the character numbering shows them, escapes included, and read
// back through the same numbering straight into units, so an export followed by an import
// gives back the very units of the file.
enum class ExchangeFormat { Txt, Csv, Json };

std::optional<ExchangeFormat> exchangeFormatFromName(const QString &name);
// From a file name's extension; nothing when it names none of the three.
std::optional<ExchangeFormat> exchangeFormatFromPath(const QString &path);
QString exchangeFormatName(ExchangeFormat form);

// `document` as `form`, keys and texts read through `rules`. Fails, naming the entry, when
// the form cannot hold the document (a line break in a txt name, say, or a table name twice
// in csv).
Result writeExchange(const RawDocument &document, const EntryRules &rules, ExchangeFormat form, QByteArray &out);

// A document from a text form, in the format it names, each entry encoded once through the
// numbering and checked by the one rule as it comes. Fails, naming the line (txt, csv) or
// the element (json) and the entry, when the source is malformed or holds an entry the
// format cannot store. `numbering`, when given, receives the numbering used.
Result readExchange(const QByteArray &source, ExchangeFormat form, RawDocument &out, const NumberingFor &numberingFor = {},
                    std::shared_ptr<const CharacterNumbering> *numbering = nullptr);

} // namespace quillet
