#include "exchangeformats.h"

#include "gxtformat.h"
#include "jsontext.h"
#include "keyhash.h"
#include "layoutheader.h"
#include "unitescape.h"

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
// encodes back to that unit. Nothing when the numbering has no unit for it.
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
        UnitEscape::append(out, unit);
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

void appendJsonEntries(QByteArray &out, const RawTable &table, const EntryRules &rules, const QByteArray &indent)
{
    out += '[';
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const StringEntry &entry = table.entries[i];
        out += i == 0 ? "\n" : ",\n";
        out += indent + "    {\"name\": " + jsonQuoted(rules.keyText(entry)).toUtf8() + ", \"value\": "
               + jsonQuoted(rules.valueText(entry)).toUtf8() + '}';
    }
    if (!table.entries.empty())
        out += '\n' + indent;
    out += ']';
}

int lineOfOffset(const QByteArray &source, qsizetype offset)
{
    return int(source.left(offset).count('\n')) + 1;
}

// Decodes UTF-8 strictly; on a bad sequence names the line it stands on.
Result decodeUtf8(const QByteArray &source, QString &text)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    text = decoder.decode(source);
    if (!decoder.hasError())
        return {};
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
    return Result::failure(QStringLiteral("line %1: the text is not valid UTF-8").arg(line));
}

QString lineAt(int line)
{
    return QStringLiteral("line %1").arg(line);
}

// Gathers the tables a source names and applies the one rule to each entry as it comes,
// so that a refusal names where the entry stands in the source.
struct Builder {
    const NumberingFor &numberingFor;
    RawDocument data;
    std::shared_ptr<const CharacterNumbering> numbering;
    std::optional<EntryRules> rules;
    QString error;

    bool fail(const QString &where, const QString &reason)
    {
        error = where.isEmpty() ? reason : QStringLiteral("%1: %2").arg(where, reason);
        return false;
    }

    bool hasLayout() const { return rules.has_value(); }
    bool hasTables() const { return data.format && data.format->hasTables(); }
    QString tableName() const { return rules->tableText(data.tables.back().name); }

    void setLayout(const LayoutHeader &header)
    {
        const GxtFormat &format = *header.format;
        data.format = &format;
        data.bits = format.takesBits(header.bits) ? header.bits : format.defaultBits();
        data.hash = format.storesHashes() ? (header.hash ? header.hash : format.traits().hash) : nullptr;
        if (numberingFor)
            numbering = numberingFor(format, data.hash);
        if (!numbering)
            numbering = CharacterNumbering::defaultFor(format, data.hash);
        rules.emplace(format, data.bits, *numbering, data.hash);
        if (!format.hasTables())
            data.tables.push_back({mainTableRawName(), {}});
    }

    bool startTable(const QString &name, const QString &where)
    {
        if (data.tables.empty() && name != mainTableName()) {
            return fail(where, QStringLiteral("the first table is \"%1\"; a GXT file of tables lists its %2 table first")
                                   .arg(name.left(40), mainTableName()));
        }
        RawTable table;
        const Result named = rules->encodeTableName(name, table.name);
        if (!named)
            return fail(where, named.errorString());
        data.tables.push_back(std::move(table));
        return true;
    }

    // `where` names the line; an empty one means a json element, whose position is the
    // entry's own.
    bool addEntry(const QString &name, const QString &value, const QString &where)
    {
        RawTable &table = data.tables.back();
        const int position = int(table.entries.size() + 1);
        const QString entryWhere = where.isEmpty()
            ? (hasTables() ? QStringLiteral("table %1, ").arg(tableName()) : QString())
                  + QStringLiteral("element %1 (%2)").arg(position).arg(name)
            : QStringLiteral("%1: %2").arg(where, describeEntry(*data.format, tableName(), position, name));
        if (position > data.format->traits().maxEntries) {
            return fail(entryWhere, QStringLiteral("the table has more than %1 entries, the most a GXT table holds")
                                        .arg(data.format->traits().maxEntries));
        }
        StringEntry entry;
        const Result encoded = rules->encode(name, value, entry);
        if (!encoded)
            return fail(entryWhere, encoded.errorString());
        table.entries.push_back(std::move(entry));
        return true;
    }

    bool finish(const QString &where)
    {
        if (data.tables.empty()) {
            return fail(where, QStringLiteral("the %1 layout needs a %2 table first, but the source holds no tables")
                                   .arg(data.format->id(), mainTableName()));
        }
        return true;
    }
};

bool readTxt(const QByteArray &source, Builder &builder);
bool readCsv(const QByteArray &source, Builder &builder);
bool readJson(const QByteArray &source, Builder &builder);

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

QString exchangeFormatName(ExchangeFormat form)
{
    switch (form) {
    case ExchangeFormat::Txt:
        return QStringLiteral("txt");
    case ExchangeFormat::Csv:
        return QStringLiteral("csv");
    case ExchangeFormat::Json:
        return QStringLiteral("json");
    }
    return {};
}

Result writeExchange(const RawDocument &document, const EntryRules &rules, ExchangeFormat form, QByteArray &out)
{
    out.clear();
    const GxtFormat &format = *document.format;
    const bool flat = !format.hasTables();
    if (flat && document.tables.size() != 1)
        return Result::failure(QStringLiteral("a GXT file of one table holds exactly one table, not %1").arg(document.tables.size()));
    const QString formName = exchangeFormatName(form);
    auto refuse = [&](const QString &what, const QString &problem, const QString &instead) {
        out.clear();
        return Result::failure(QStringLiteral("%1 holds %2, which the %3 form cannot hold; export as %4 instead")
                                   .arg(what, problem, formName, instead));
    };

    if (form == ExchangeFormat::Json) {
        if (&format == &GxtFormat::untitled()) {
            appendJsonEntries(out, document.tables.front(), rules, QByteArray());
            out += '\n';
            return {};
        }
        out += "{\n";
        LayoutHeader::of(document).writeJson(out, "    ");
        out += "    \"tables\": [";
        for (size_t t = 0; t < document.tables.size(); ++t) {
            out += t == 0 ? "\n" : ",\n";
            out += "        {\"name\": " + jsonQuoted(rules.tableText(document.tables[t].name)).toUtf8() + ", \"entries\": ";
            appendJsonEntries(out, document.tables[t], rules, "        ");
            out += '}';
        }
        out += document.tables.empty() ? "]\n}\n" : "\n    ]\n}\n";
        return {};
    }

    const bool csv = form == ExchangeFormat::Csv;
    // A file of one table in a layout other than the flat one names its layout, and its
    // entries follow as a flat file's do.
    const bool named = &format != &GxtFormat::untitled();
    if (named) {
        const QStringList words = LayoutHeader::of(document).words();
        out += csv ? "layout," + words.join(u',').toUtf8() + "\r\n" : "{layout " + words.join(u' ').toUtf8() + "}\n";
    }
    if (csv)
        out += flat ? "name,value\r\n" : "table,name,value\r\n";
    QSet<QString> tableNames;
    for (const RawTable &table : document.tables) {
        const QString tableName = rules.tableText(table.name);
        if (!flat) {
            const QString problem = unsuitableCharacter(tableName, csv);
            if (!problem.isEmpty())
                return refuse(QStringLiteral("the table name \"%1\"").arg(tableName), problem, QStringLiteral("json"));
            if (csv && tableNames.contains(tableName)) {
                return refuse(QStringLiteral("the file"), QStringLiteral("two tables named \"%1\"").arg(tableName),
                              QStringLiteral("txt or json"));
            }
            tableNames.insert(tableName);
            if (csv && table.entries.empty())
                out += (tableName.isEmpty() ? QByteArray("\"\"") : csvField(tableName)) + "\r\n";
            else if (!csv)
                out += "{table " + tableName.toUtf8() + "}\n";
        }
        const QByteArray tableField = flat ? QByteArray() : csvField(tableName) + ',';
        for (size_t i = 0; i < table.entries.size(); ++i) {
            const StringEntry &entry = table.entries[i];
            const QString name = rules.keyText(entry);
            const QString value = rules.valueText(entry);
            const QString where = describeEntry(format, tableName, int(i + 1), name);
            const QString nameProblem = unsuitableCharacter(name, csv);
            if (!nameProblem.isEmpty())
                return refuse(QStringLiteral("%1: the name").arg(where), nameProblem, QStringLiteral("json"));
            if (value.contains(QChar(0)))
                return refuse(QStringLiteral("%1: the value").arg(where), QStringLiteral("a character of code 0"), QStringLiteral("json"));
            if (csv) {
                out += tableField + csvField(name) + ',' + csvField(value) + "\r\n";
                continue;
            }
            const std::optional<QString> line = oneLineValue(value, rules.numbering());
            if (!line)
                return refuse(QStringLiteral("%1: the value").arg(where), QStringLiteral("a line break"), QStringLiteral("json"));
            out += '[' + name.toUtf8() + "]\n" + line->toUtf8() + '\n';
        }
    }
    return {};
}

Result readExchange(const QByteArray &source, ExchangeFormat form, RawDocument &out, const NumberingFor &numberingFor,
                    std::shared_ptr<const CharacterNumbering> *numbering)
{
    out = RawDocument();
    Builder builder{numberingFor, {}, {}, {}, {}};
    const QByteArray body = source.startsWith(Utf8Bom) ? source.mid(Utf8Bom.size()) : source;
    bool ok = false;
    switch (form) {
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
        return Result::failure(builder.error);
    out = std::move(builder.data);
    if (numbering)
        *numbering = builder.numbering;
    return {};
}

namespace {

bool readTxt(const QByteArray &source, Builder &builder)
{
    QString text;
    const Result decoded = decodeUtf8(source, text);
    if (!decoded)
        return builder.fail(QString(), decoded.errorString());
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
                LayoutHeader header;
                const QString problem = header.parseWords(words);
                if (!problem.isEmpty())
                    return builder.fail(where, problem);
                builder.setLayout(header);
                continue;
            }
            builder.setLayout({&GxtFormat::untitled(), 16, nullptr});
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
        const QString name = line.mid(1, line.size() - 2);
        if (i + 1 >= lines.size())
            return builder.fail(where, QStringLiteral("the entry [%1] has no value line after it").arg(name));
        if (!builder.addEntry(name, lines[++i], where))
            return false;
    }
    if (!builder.hasLayout())
        builder.setLayout({&GxtFormat::untitled(), 16, nullptr});
    return builder.finish(lineAt(1));
}

bool readCsv(const QByteArray &source, Builder &builder)
{
    QString text;
    const Result decoded = decodeUtf8(source, text);
    if (!decoded)
        return builder.fail(QString(), decoded.errorString());

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
    if (!records.isEmpty() && records.first().fields.size() >= 3 && records.first().fields[0] == QLatin1String("layout")) {
        LayoutHeader header;
        const QString problem = header.parseWords(records.first().fields.mid(1));
        if (!problem.isEmpty())
            return builder.fail(lineAt(records.first().line), problem);
        builder.setLayout(header);
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
        builder.setLayout({&GxtFormat::untitled(), 16, nullptr});
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
            if (builder.data.tables.empty() || builder.tableName() != tableName) {
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
        if (!builder.addEntry(rec.fields[expected - 2], rec.fields[expected - 1], where))
            return false;
    }
    return builder.finish(lineAt(records.first().line));
}

bool readJson(const QByteArray &source, Builder &builder)
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
            if (!builder.addEntry(object.value(QLatin1String("name")).toString(),
                                  object.value(QLatin1String("value")).toString(), QString()))
                return false;
        }
        return true;
    };

    if (document.isArray()) {
        builder.setLayout({&GxtFormat::untitled(), 16, nullptr});
        return readEntries(document.array(), QString());
    }
    const QString shape = QStringLiteral("expected an array of {\"name\": ..., \"value\": ...} objects, or an object "
                                         "{\"layout\": ..., \"bits\": ..., \"tables\": [...]}");
    const QJsonObject top = document.object();
    const QJsonValue tablesValue = top.value(QLatin1String("tables"));
    if (!document.isObject() || !tablesValue.isArray())
        return builder.fail(QString(), shape);
    LayoutHeader header;
    int known = 0;
    const QString problem = header.parseJson(top, known);
    if (!problem.isEmpty())
        return builder.fail(QString(), problem);
    if (top.size() != known + 1) {
        for (auto it = top.begin(); it != top.end(); ++it) {
            static const QStringList fields{"layout", "bits", "hash", "single", "byte-order", "tables"};
            if (!fields.contains(it.key()))
                return builder.fail(QString(), QStringLiteral("\"%1\" is no field of a GXT file's object").arg(it.key().left(40)));
        }
    }
    builder.setLayout(header);
    const GxtFormat *layout = header.format;
    const QJsonArray tables = tablesValue.toArray();
    if (!layout->hasTables() && tables.size() != 1)
        return builder.fail(QString(), QStringLiteral("a GXT file of one table holds exactly one table, not %1").arg(tables.size()));
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const QString where = QStringLiteral("tables element %1").arg(t + 1);
        const QJsonObject table = tables[t].toObject();
        if (!tables[t].isObject() || table.size() != 2 || !table.value(QLatin1String("name")).isString()
            || !table.value(QLatin1String("entries")).isArray()) {
            return builder.fail(where, QStringLiteral("expected an object with exactly the string \"name\" and the array "
                                                      "\"entries\""));
        }
        const QString name = table.value(QLatin1String("name")).toString();
        if (layout->hasTables() && !builder.startTable(name, where))
            return false;
        const QString prefix = !layout->hasTables() ? QString() : QStringLiteral("table %1, ").arg(name);
        if (!readEntries(table.value(QLatin1String("entries")).toArray(), prefix))
            return false;
    }
    return builder.finish(QStringLiteral("tables"));
}

} // namespace

} // namespace quillet
