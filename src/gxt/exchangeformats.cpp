#include "exchangeformats.h"

#include "entryrules.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringDecoder>

namespace quillet {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// What a line-based form cannot hold, named for the message; empty when it can.
QString unsuitableCharacter(const QString &text, bool lineBreaksAllowed)
{
    for (QChar c : text) {
        if (c.unicode() == 0)
            return QStringLiteral("a character of code 0");
        if (!lineBreaksAllowed && isLineBreak(c))
            return QStringLiteral("a line break");
    }
    return {};
}

// A txt value keeps to its line: a line break is written as the escape of its unit, which
// encodes back to that unit. Empty when the numbering has no unit for it.
std::optional<QString> oneLineValue(const QString &value, const CharacterNumbering &numbering)
{
    if (!value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString out;
    out.reserve(value.size() + 10);
    for (QChar c : value) {
        if (!isLineBreak(c)) {
            out += c;
            continue;
        }
        const quint16 unit = numbering.glyphOf(c.unicode());
        if (unit == 0)
            return std::nullopt;
        out += QChar(CharacterNumbering::EscapeOpen);
        out += QStringLiteral("%1").arg(unit, 4, 16, QLatin1Char('0')).toUpper();
        out += QChar(CharacterNumbering::EscapeClose);
    }
    return out;
}

QByteArray csvField(const QString &text)
{
    const bool quote = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r');
    if (!quote)
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

// A JSON string with the escapes JSON requires; lone surrogates too, which UTF-8 cannot hold.
void appendJsonString(QByteArray &out, const QString &text)
{
    out += '"';
    QString plain;
    auto flush = [&] {
        out += plain.toUtf8();
        plain.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool pairStart = QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (pairStart) {
            plain += text[i];
            plain += text[++i];
            continue;
        }
        const char *escape = nullptr;
        switch (c) {
        case u'"': escape = "\\\""; break;
        case u'\\': escape = "\\\\"; break;
        case u'\n': escape = "\\n"; break;
        case u'\r': escape = "\\r"; break;
        case u'\t': escape = "\\t"; break;
        case u'\b': escape = "\\b"; break;
        case u'\f': escape = "\\f"; break;
        default: break;
        }
        if (escape) {
            flush();
            out += escape;
        } else if (c < 0x20 || QChar::isSurrogate(c)) {
            flush();
            out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0')).toLatin1();
        } else {
            plain += QChar(c);
        }
    }
    flush();
    out += '"';
}

void appendJsonEntry(QByteArray &out, const StringEntry &row)
{
    out += "{\"name\": ";
    appendJsonString(out, row.name);
    out += ", \"value\": ";
    appendJsonString(out, row.value);
    out += '}';
}

void appendJsonEntries(QByteArray &out, const std::vector<StringEntry> &rows, const QByteArray &indent)
{
    out += '[';
    for (size_t i = 0; i < rows.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        out += indent + "    ";
        appendJsonEntry(out, rows[i]);
    }
    if (!rows.empty())
        out += '\n' + indent;
    out += ']';
}

int lineOfOffset(const QByteArray &source, qsizetype offset)
{
    return int(source.left(offset).count('\n')) + 1;
}

// Decodes UTF-8 strictly; on a bad sequence names the line it stands on.
bool decodeUtf8(const QByteArray &source, QString &text, QString &error)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    text = decoder.decode(source);
    if (!decoder.hasError())
        return true;
    qsizetype start = 0;
    int line = 1;
    while (start <= source.size()) {
        qsizetype end = source.indexOf('\n', start);
        if (end < 0)
            end = source.size();
        QStringDecoder lineDecoder(QStringDecoder::Utf8);
        const QString decoded = lineDecoder.decode(QByteArrayView(source).sliced(start, end - start));
        if (lineDecoder.hasError())
            break;
        start = end + 1;
        ++line;
    }
    error = QStringLiteral("line %1: the text is not valid UTF-8").arg(line);
    return false;
}

QString lineAt(int line)
{
    return QStringLiteral("line %1").arg(line);
}

// The layout and width a txt header or a csv layout row names; a reason when it names none.
QString parseLayout(const QString &name, const QString &bitsText, GxtLayout &layout, int &bits)
{
    const std::optional<GxtLayout> named = layoutFromName(name);
    if (!named)
        return QStringLiteral("\"%1\" is no layout; the layouts are flat, tabled and hashed").arg(name.left(20));
    bool ok = false;
    bits = bitsText.toInt(&ok);
    if (!ok || (bits != 8 && bits != 16))
        return QStringLiteral("\"%1\" is no text width; a GXT file has 8- or 16-bit texts").arg(bitsText.left(20));
    if (bits == 8 && *named != GxtLayout::Hashed)
        return QStringLiteral("the %1 layout has 16-bit texts").arg(name);
    layout = *named;
    return {};
}

} // namespace

std::optional<ExchangeFormat> exchangeFormatFromName(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("txt"))
        return ExchangeFormat::Txt;
    if (lower == QLatin1String("csv"))
        return ExchangeFormat::Csv;
    if (lower == QLatin1String("json"))
        return ExchangeFormat::Json;
    return std::nullopt;
}

std::optional<ExchangeFormat> exchangeFormatFromPath(const QString &path)
{
    return exchangeFormatFromName(QFileInfo(path).suffix());
}

QString exchangeFormatName(ExchangeFormat format)
{
    switch (format) {
    case ExchangeFormat::Txt:
        return QStringLiteral("txt");
    case ExchangeFormat::Csv:
        return QStringLiteral("csv");
    case ExchangeFormat::Json:
        return QStringLiteral("json");
    }
    return {};
}

bool ExchangeWriter::write(const GxtDocumentData &data, ExchangeFormat format, const CharacterNumbering &numbering,
                           QByteArray &out)
{
    m_error.clear();
    out.clear();
    const GxtLayout layout = data.layout;
    const bool flat = layout == GxtLayout::Flat;
    const int bits = layout == GxtLayout::Hashed ? data.bits : 16;
    if (flat && data.tables.size() != 1) {
        m_error = QStringLiteral("a flat GXT file holds exactly one table, not %1").arg(data.tables.size());
        return false;
    }
    const QString form = exchangeFormatName(format);
    auto refuse = [&](const QString &what, const QString &problem, const QString &instead) {
        m_error = QStringLiteral("%1 holds %2, which the %3 form cannot hold; export as %4 instead")
                      .arg(what, problem, form, instead);
        out.clear();
        return false;
    };

    if (format == ExchangeFormat::Json) {
        if (flat) {
            appendJsonEntries(out, data.tables.front().rows, QByteArray());
            out += '\n';
            return true;
        }
        out += "{\n    \"layout\": \"" + layoutName(layout).toLatin1() + "\",\n    \"bits\": " + QByteArray::number(bits)
               + ",\n    \"tables\": [";
        for (size_t t = 0; t < data.tables.size(); ++t) {
            out += t == 0 ? "\n" : ",\n";
            out += "        {\"name\": ";
            appendJsonString(out, data.tables[t].name);
            out += ", \"entries\": ";
            appendJsonEntries(out, data.tables[t].rows, "        ");
            out += '}';
        }
        out += data.tables.empty() ? "]\n}\n" : "\n    ]\n}\n";
        return true;
    }

    const bool csv = format == ExchangeFormat::Csv;
    if (!flat) {
        out += csv ? "layout," + layoutName(layout).toLatin1() + ',' + QByteArray::number(bits) + "\r\ntable,name,value\r\n"
                   : "{layout " + layoutName(layout).toLatin1() + ' ' + QByteArray::number(bits) + "}\n";
    } else if (csv) {
        out += "name,value\r\n";
    }
    QSet<QString> tableNames;
    for (const GxtTableData &table : data.tables) {
        if (!flat) {
            const QString problem = unsuitableCharacter(table.name, csv);
            if (!problem.isEmpty())
                return refuse(QStringLiteral("the table name \"%1\"").arg(table.name), problem, QStringLiteral("json"));
            if (csv && tableNames.contains(table.name)) {
                return refuse(QStringLiteral("the file"), QStringLiteral("two tables named \"%1\"").arg(table.name),
                              QStringLiteral("txt or json"));
            }
            tableNames.insert(table.name);
            if (csv && table.rows.empty())
                out += (table.name.isEmpty() ? QByteArray("\"\"") : csvField(table.name)) + "\r\n";
            else if (!csv)
                out += "{table " + table.name.toUtf8() + "}\n";
        }
        const QByteArray tableField = flat ? QByteArray() : csvField(table.name) + ',';
        for (size_t i = 0; i < table.rows.size(); ++i) {
            const StringEntry &row = table.rows[i];
            const QString where = describeEntry(layout, table.name, int(i + 1), row.name);
            const QString nameProblem = unsuitableCharacter(row.name, csv);
            if (!nameProblem.isEmpty())
                return refuse(QStringLiteral("%1: the name").arg(where), nameProblem, QStringLiteral("json"));
            if (row.value.contains(QChar(0)))
                return refuse(QStringLiteral("%1: the value").arg(where), QStringLiteral("a character of code 0"), QStringLiteral("json"));
            if (csv) {
                out += tableField + csvField(row.name) + ',' + csvField(row.value) + "\r\n";
                continue;
            }
            const std::optional<QString> value = oneLineValue(row.value, numbering);
            if (!value)
                return refuse(QStringLiteral("%1: the value").arg(where), QStringLiteral("a line break"), QStringLiteral("json"));
            out += '[' + row.name.toUtf8() + "]\n" + value->toUtf8() + '\n';
        }
    }
    return true;
}

bool ExchangeWriter::write(const std::vector<StringEntry> &rows, ExchangeFormat format, QByteArray &out)
{
    GxtDocumentData data;
    data.tables.push_back({mainTableName(), rows});
    return write(data, format, *CharacterNumbering::windows1252(), out);
}

// Gathers the tables a source names and applies the one rule to each entry as it comes,
// so that a refusal names where the entry stands in the source.
struct ExchangeReader::Builder {
    const NumberingFor &numberingFor;
    QString &error;
    GxtDocumentData data;
    std::shared_ptr<const CharacterNumbering> numbering;
    std::optional<EntryRules> rules;

    bool fail(const QString &where, const QString &reason)
    {
        error = where.isEmpty() ? reason : QStringLiteral("%1: %2").arg(where, reason);
        return false;
    }

    bool hasLayout() const { return rules.has_value(); }
    bool hasTables() const { return data.layout != GxtLayout::Flat; }

    void setLayout(GxtLayout layout, int bits)
    {
        data.layout = layout;
        data.bits = layout == GxtLayout::Hashed ? bits : 16;
        if (numberingFor)
            numbering = numberingFor(layout);
        if (!numbering)
            numbering = CharacterNumbering::defaultFor(layout);
        rules.emplace(layout, data.bits, *numbering);
        if (layout == GxtLayout::Flat)
            data.tables.push_back({mainTableName(), {}});
    }

    bool startTable(const QString &name, const QString &where)
    {
        if (data.tables.empty() && name != mainTableName()) {
            return fail(where, QStringLiteral("the first table is \"%1\"; a GXT file of tables lists its %2 table first")
                                   .arg(name.left(40), mainTableName()));
        }
        RawName scratch;
        const Result named = rules->encodeTableName(name, scratch);
        if (!named)
            return fail(where, named.errorString());
        data.tables.push_back({name, {}});
        return true;
    }

    // `where` names the line; an empty one means a json element, whose position is the
    // entry's own.
    bool addEntry(StringEntry entry, const QString &where)
    {
        GxtTableData &table = data.tables.back();
        const int position = int(table.rows.size() + 1);
        const QString entryWhere = where.isEmpty()
            ? (hasTables() ? QStringLiteral("table %1, ").arg(table.name) : QString())
                  + QStringLiteral("element %1 (%2)").arg(position).arg(entry.name)
            : QStringLiteral("%1: %2").arg(where, describeEntry(data.layout, table.name, position, entry.name));
        if (position > GxtLimits::MaxEntries) {
            return fail(entryWhere, QStringLiteral("the table has more than %1 entries, the most a GXT table holds")
                                        .arg(GxtLimits::MaxEntries));
        }
        RawEntry raw;
        const Result encoded = rules->encode(entry, raw);
        if (!encoded)
            return fail(entryWhere, encoded.errorString());
        // As a load of the file would show it, so that an import shows what the file holds.
        entry.value = numbering->decode(raw.units);
        table.rows.push_back(std::move(entry));
        return true;
    }

    bool finish(const QString &where)
    {
        if (data.tables.empty()) {
            return fail(where, QStringLiteral("the %1 layout needs a %2 table first, but the source holds no tables")
                                   .arg(layoutName(data.layout), mainTableName()));
        }
        return true;
    }
};

bool ExchangeReader::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool ExchangeReader::read(const QByteArray &source, ExchangeFormat format, GxtDocumentData &out,
                          const NumberingFor &numberingFor)
{
    m_error.clear();
    m_numbering.reset();
    Builder builder{numberingFor, m_error, {}, {}, {}};
    const QByteArray body = source.startsWith(Utf8Bom) ? source.mid(Utf8Bom.size()) : source;
    bool ok = false;
    switch (format) {
    case ExchangeFormat::Txt:
        ok = readTxt(body, builder);
        break;
    case ExchangeFormat::Csv:
        ok = readCsv(body, builder);
        break;
    case ExchangeFormat::Json:
        ok = readJson(body, builder);
        break;
    }
    if (!ok)
        return false;
    out = std::move(builder.data);
    m_numbering = builder.numbering;
    return true;
}

bool ExchangeReader::read(const QByteArray &source, ExchangeFormat format, std::vector<StringEntry> &rows)
{
    GxtDocumentData data;
    const bool ok = read(source, format, data, [](GxtLayout) { return CharacterNumbering::windows1252(); });
    if (ok && data.layout != GxtLayout::Flat)
        return fail(QStringLiteral("the source holds a %1 file of tables, not a flat table").arg(layoutName(data.layout)));
    rows = ok ? std::move(data.tables.front().rows) : std::vector<StringEntry>();
    return ok;
}

bool ExchangeReader::readTxt(const QByteArray &source, Builder &builder)
{
    QString text;
    if (!decodeUtf8(source, text, m_error))
        return false;
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line break ends the last line; it does not start an empty one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }

    const QString layoutOpen = QStringLiteral("{layout ");
    const QString tableOpen = QStringLiteral("{table ");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const int lineNumber = int(i + 1);
        const QString where = lineAt(lineNumber);
        if (line.trimmed().isEmpty())
            continue;
        const bool braced = line.endsWith(u'}');
        if (!builder.hasLayout()) {
            if (braced && line.startsWith(layoutOpen)) {
                const QStringList words = line.mid(layoutOpen.size(), line.size() - layoutOpen.size() - 1).split(u' ');
                GxtLayout layout = GxtLayout::Flat;
                int bits = 16;
                const QString problem = words.size() == 2 ? parseLayout(words[0], words[1], layout, bits)
                                                          : QStringLiteral("expected {layout NAME BITS}, such as "
                                                                           "{layout hashed 8}");
                if (!problem.isEmpty())
                    return builder.fail(where, problem);
                builder.setLayout(layout, bits);
                continue;
            }
            builder.setLayout(GxtLayout::Flat, 16);
        }
        if (braced && line.startsWith(tableOpen)) {
            if (!builder.hasTables()) {
                return builder.fail(where, QStringLiteral("a {table NAME} line needs a first line that names a layout "
                                                          "of tables, such as {layout tabled 16}"));
            }
            if (!builder.startTable(line.mid(tableOpen.size(), line.size() - tableOpen.size() - 1), where))
                return false;
            continue;
        }
        if (line.size() < 2 || !line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']'))) {
            return builder.fail(where, QStringLiteral("expected an entry's name in brackets, such as [NAME], but found \"%1\"")
                                           .arg(line.left(40)));
        }
        if (builder.data.tables.empty())
            return builder.fail(where, QStringLiteral("an entry stands before the first {table NAME} line"));
        StringEntry entry{line.mid(1, line.size() - 2), QString()};
        if (i + 1 >= lines.size())
            return builder.fail(where, QStringLiteral("the entry [%1] has no value line after it").arg(entry.name));
        entry.value = lines[++i];
        if (!builder.addEntry(std::move(entry), where))
            return false;
    }
    if (!builder.hasLayout())
        builder.setLayout(GxtLayout::Flat, 16);
    return builder.finish(lineAt(1));
}

bool ExchangeReader::readCsv(const QByteArray &source, Builder &builder)
{
    QString text;
    if (!decodeUtf8(source, text, m_error))
        return false;

    // RFC 4180: fields separated by commas, records by CRLF (a bare LF or CR is taken too);
    // a quoted field may hold commas, line breaks and doubled quotes.
    struct Record {
        QStringList fields;
        int line = 1;
        bool quoted = false; // whether any field was quoted: a blank line is not
    };
    QList<Record> records;
    Record record;
    QString field;
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool atRecordStart = true;
    while (i < n) {
        if (atRecordStart) {
            record.line = line;
            atRecordStart = false;
        }
        QChar c = text[i];
        if (c == QLatin1Char('"') && field.isEmpty()) {
            const int quoteLine = line;
            record.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                c = text[i];
                if (c == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
                ++i;
            }
            if (!closed)
                return builder.fail(lineAt(quoteLine), QStringLiteral("a quoted field is never closed"));
            if (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
                return builder.fail(lineAt(line), QStringLiteral("a quoted field is followed by text before the next comma"));
            continue;
        }
        if (c == QLatin1Char(',')) {
            record.fields.append(field);
            field.clear();
            ++i;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++i;
            record.fields.append(field);
            field.clear();
            records.append(std::move(record));
            record = Record();
            ++line;
            atRecordStart = true;
            continue;
        }
        if (c == QLatin1Char('"'))
            return builder.fail(lineAt(line), QStringLiteral("a quote stands inside a field that is not quoted"));
        field += c;
        ++i;
    }
    if (!atRecordStart) {
        record.fields.append(field);
        records.append(std::move(record));
    }
    // Blank lines hold nothing; a quoted empty field is a table's empty name.
    records.removeIf([](const Record &r) { return !r.quoted && r.fields == QStringList{QString()}; });

    const QStringList flatHeader{QStringLiteral("name"), QStringLiteral("value")};
    const QStringList tablesHeader{QStringLiteral("table"), QStringLiteral("name"), QStringLiteral("value")};
    qsizetype r = 0;
    if (!records.isEmpty() && records.first().fields.size() == 3 && records.first().fields[0] == QLatin1String("layout")) {
        GxtLayout layout = GxtLayout::Flat;
        int bits = 16;
        const QString problem = parseLayout(records.first().fields[1], records.first().fields[2], layout, bits);
        if (!problem.isEmpty())
            return builder.fail(lineAt(records.first().line), problem);
        builder.setLayout(layout, bits);
        r = 1;
    }
    const QStringList &header = builder.hasLayout() && builder.hasTables() ? tablesHeader : flatHeader;
    if (r >= records.size() || records[r].fields != header) {
        const int headerLine = r < records.size() ? records[r].line : (r > 0 ? records[0].line + 1 : 1);
        if (!builder.hasLayout()) {
            return builder.fail(lineAt(headerLine), QStringLiteral("expected the header row name,value, or a layout row "
                                                                   "such as layout,hashed,8"));
        }
        return builder.fail(lineAt(headerLine), QStringLiteral("expected the header row %1").arg(header.join(u',')));
    }
    if (!builder.hasLayout())
        builder.setLayout(GxtLayout::Flat, 16);
    const bool tables = builder.hasTables();

    // The tables in the order their runs of rows stand in.
    QHash<QString, int> tableLine;
    for (++r; r < records.size(); ++r) {
        const Record &rec = records[r];
        const QString where = lineAt(rec.line);
        const int expected = tables ? 3 : 2;
        if (tables && rec.fields.size() == 1) {
            // A table's name alone: the table, even without entries.
        } else if (rec.fields.size() != expected) {
            return builder.fail(where, QStringLiteral("expected %1 fields (%2) but found %3")
                                           .arg(expected)
                                           .arg(header.join(u','))
                                           .arg(rec.fields.size()));
        }
        if (tables) {
            const QString &tableName = rec.fields[0];
            if (builder.data.tables.empty() || builder.data.tables.back().name != tableName) {
                if (const auto seen = tableLine.constFind(tableName); seen != tableLine.cend()) {
                    return builder.fail(where, QStringLiteral("the table \"%1\" has rows on line %2 already, and other "
                                                              "tables' rows between; keep each table's rows together")
                                                   .arg(tableName.left(40), QString::number(*seen)));
                }
                tableLine.insert(tableName, rec.line);
                if (!builder.startTable(tableName, where))
                    return false;
            }
            if (rec.fields.size() == 1)
                continue;
        }
        if (!builder.addEntry({rec.fields[expected - 2], rec.fields[expected - 1]}, where))
            return false;
    }
    return builder.finish(lineAt(records.first().line));
}

bool ExchangeReader::readJson(const QByteArray &source, Builder &builder)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(source, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return builder.fail(lineAt(lineOfOffset(source, parseError.offset)), parseError.errorString());

    // The entries of one table, each an object of exactly the two strings.
    auto readEntries = [&](const QJsonArray &array, const QString &tablePrefix) {
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QJsonValue element = array[i];
            const QJsonObject object = element.toObject();
            if (!element.isObject() || object.size() != 2 || !object.value(QLatin1String("name")).isString()
                || !object.value(QLatin1String("value")).isString()) {
                return builder.fail(QStringLiteral("%1element %2").arg(tablePrefix).arg(i + 1),
                                    QStringLiteral("expected an object with exactly the two strings \"name\" and "
                                                   "\"value\""));
            }
            if (!builder.addEntry({object.value(QLatin1String("name")).toString(),
                                   object.value(QLatin1String("value")).toString()},
                                  QString()))
                return false;
        }
        return true;
    };

    if (document.isArray()) {
        builder.setLayout(GxtLayout::Flat, 16);
        return readEntries(document.array(), QString());
    }
    const QString shape = QStringLiteral("expected an array of {\"name\": ..., \"value\": ...} objects, or an object "
                                         "{\"layout\": ..., \"bits\": ..., \"tables\": [...]}");
    const QJsonObject top = document.object();
    const QJsonValue layoutValue = top.value(QLatin1String("layout"));
    const QJsonValue bitsValue = top.value(QLatin1String("bits"));
    const QJsonValue tablesValue = top.value(QLatin1String("tables"));
    if (!document.isObject() || !layoutValue.isString() || !tablesValue.isArray()
        || !(bitsValue.isUndefined() || bitsValue.isDouble()) || top.size() != (bitsValue.isUndefined() ? 2 : 3))
        return builder.fail(QString(), shape);
    GxtLayout layout = GxtLayout::Flat;
    int bits = 16;
    const QString problem = parseLayout(layoutValue.toString(),
                                        bitsValue.isUndefined() ? QStringLiteral("16") : QString::number(bitsValue.toDouble()),
                                        layout, bits);
    if (!problem.isEmpty())
        return builder.fail(QString(), problem);
    builder.setLayout(layout, bits);
    const QJsonArray tables = tablesValue.toArray();
    if (layout == GxtLayout::Flat && tables.size() != 1)
        return builder.fail(QString(), QStringLiteral("a flat GXT file holds exactly one table, not %1").arg(tables.size()));
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const QString where = QStringLiteral("tables element %1").arg(t + 1);
        const QJsonObject table = tables[t].toObject();
        if (!tables[t].isObject() || table.size() != 2 || !table.value(QLatin1String("name")).isString()
            || !table.value(QLatin1String("entries")).isArray()) {
            return builder.fail(where, QStringLiteral("expected an object with exactly the string \"name\" and the array "
                                                      "\"entries\""));
        }
        const QString name = table.value(QLatin1String("name")).toString();
        if (layout != GxtLayout::Flat && !builder.startTable(name, where))
            return false;
        const QString prefix = layout == GxtLayout::Flat ? QString() : QStringLiteral("table %1, ").arg(name);
        if (!readEntries(table.value(QLatin1String("entries")).toArray(), prefix))
            return false;
    }
    return builder.finish(QStringLiteral("tables"));
}

} // namespace quillet
