#include "exchangeformats.h"

#include "entryrules.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace quillet {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

QString formatName(ExchangeFormat format)
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

// What a line-based form cannot hold, named for the message; empty when it can.
QString unsuitableCharacter(const QString &text, bool lineBreaksAllowed)
{
    for (QChar c : text) {
        if (c.unicode() == 0)
            return QStringLiteral("a character of code 0");
        if (!lineBreaksAllowed && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            return QStringLiteral("a line break");
    }
    return {};
}

QByteArray csvField(const QString &text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
                       || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quote)
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + quoted.toUtf8() + '"';
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

bool ExchangeWriter::write(const std::vector<StringEntry> &rows, ExchangeFormat format, QByteArray &out)
{
    m_error.clear();
    out.clear();
    if (format == ExchangeFormat::Json) {
        QJsonArray array;
        for (const StringEntry &row : rows)
            array.append(QJsonObject{{QStringLiteral("name"), row.name}, {QStringLiteral("value"), row.value}});
        out = QJsonDocument(array).toJson(QJsonDocument::Indented);
        return true;
    }

    const bool csv = format == ExchangeFormat::Csv;
    if (csv)
        out += "name,value\r\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const StringEntry &row = rows[i];
        for (const QString *text : {&row.name, &row.value}) {
            const QString problem = unsuitableCharacter(*text, csv);
            if (!problem.isEmpty()) {
                m_error = QStringLiteral("%1: the %2 holds %3, which the %4 form cannot hold; export as json instead")
                              .arg(describeEntry(int(i + 1), row.name),
                                   text == &row.name ? QStringLiteral("name") : QStringLiteral("value"), problem,
                                   formatName(format));
                out.clear();
                return false;
            }
        }
        if (csv)
            out += csvField(row.name) + ',' + csvField(row.value) + "\r\n";
        else
            out += '[' + row.name.toUtf8() + "]\n" + row.value.toUtf8() + '\n';
    }
    return true;
}

bool ExchangeReader::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool ExchangeReader::checkEntry(const StringEntry &entry, const QString &where)
{
    const EntryRules rules(GxtLayout::Flat, 16, *CharacterNumbering::windows1252());
    const Result checked = rules.check(entry);
    if (!checked)
        return fail(QStringLiteral("%1: %2").arg(where, checked.errorString()));
    return true;
}

bool ExchangeReader::read(const QByteArray &source, ExchangeFormat format, std::vector<StringEntry> &rows)
{
    m_error.clear();
    rows.clear();
    const QByteArray body = source.startsWith(Utf8Bom) ? source.mid(Utf8Bom.size()) : source;
    bool ok = false;
    switch (format) {
    case ExchangeFormat::Txt:
        ok = readTxt(body, rows);
        break;
    case ExchangeFormat::Csv:
        ok = readCsv(body, rows);
        break;
    case ExchangeFormat::Json:
        ok = readJson(body, rows);
        break;
    }
    if (!ok)
        rows.clear();
    return ok;
}

bool ExchangeReader::readTxt(const QByteArray &source, std::vector<StringEntry> &rows)
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

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const int lineNumber = int(i + 1);
        if (line.trimmed().isEmpty())
            continue;
        if (line.size() < 2 || !line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']'))) {
            return fail(QStringLiteral("line %1: expected an entry's name in brackets, such as [NAME], but found \"%2\"")
                            .arg(lineNumber)
                            .arg(line.left(40)));
        }
        StringEntry entry{line.mid(1, line.size() - 2), QString()};
        if (i + 1 >= lines.size())
            return fail(QStringLiteral("line %1: the entry [%2] has no value line after it").arg(lineNumber).arg(entry.name));
        entry.value = lines[++i];
        if (!checkEntry(entry, QStringLiteral("line %1").arg(lineNumber)))
            return false;
        rows.push_back(std::move(entry));
    }
    return true;
}

bool ExchangeReader::readCsv(const QByteArray &source, std::vector<StringEntry> &rows)
{
    QString text;
    if (!decodeUtf8(source, text, m_error))
        return false;

    // RFC 4180: fields separated by commas, records by CRLF (a bare LF is taken too);
    // a quoted field may hold commas, line breaks and doubled quotes.
    QList<QStringList> records;
    QList<int> recordLines;
    QStringList fields;
    QString field;
    int line = 1;
    int recordLine = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool atRecordStart = true;
    while (i < n) {
        if (atRecordStart) {
            recordLine = line;
            atRecordStart = false;
        }
        QChar c = text[i];
        if (c == QLatin1Char('"') && field.isEmpty()) {
            const int quoteLine = line;
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
                return fail(QStringLiteral("line %1: a quoted field is never closed").arg(quoteLine));
            if (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
                return fail(QStringLiteral("line %1: a quoted field is followed by text before the next comma").arg(line));
            continue;
        }
        if (c == QLatin1Char(',')) {
            fields.append(field);
            field.clear();
            ++i;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++i;
            fields.append(field);
            field.clear();
            records.append(fields);
            recordLines.append(recordLine);
            fields.clear();
            ++line;
            atRecordStart = true;
            continue;
        }
        if (c == QLatin1Char('"'))
            return fail(QStringLiteral("line %1: a quote stands inside a field that is not quoted").arg(line));
        field += c;
        ++i;
    }
    if (!atRecordStart) {
        fields.append(field);
        records.append(fields);
        recordLines.append(recordLine);
    }

    if (records.isEmpty() || records.first() != QStringList{QStringLiteral("name"), QStringLiteral("value")})
        return fail(QStringLiteral("line 1: expected the header row name,value"));
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QStringList &record = records[r];
        const QString where = QStringLiteral("line %1").arg(recordLines[r]);
        if (record.size() != 2) {
            return fail(QStringLiteral("%1: expected 2 fields (name,value) but found %2")
                            .arg(where)
                            .arg(record.size()));
        }
        StringEntry entry{record[0], record[1]};
        if (!checkEntry(entry, where))
            return false;
        rows.push_back(std::move(entry));
    }
    return true;
}

bool ExchangeReader::readJson(const QByteArray &source, std::vector<StringEntry> &rows)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(source, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return fail(QStringLiteral("line %1: %2")
                        .arg(lineOfOffset(source, parseError.offset))
                        .arg(parseError.errorString()));
    }
    if (!document.isArray())
        return fail(QStringLiteral("expected an array of {\"name\": ..., \"value\": ...} objects"));
    const QJsonArray array = document.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString where = QStringLiteral("element %1").arg(i + 1);
        const QJsonValue element = array[i];
        const QJsonObject object = element.toObject();
        if (!element.isObject() || object.size() != 2 || !object.value(QLatin1String("name")).isString()
            || !object.value(QLatin1String("value")).isString()) {
            return fail(QStringLiteral("%1: expected an object with exactly the two strings \"name\" and \"value\"")
                            .arg(where));
        }
        StringEntry entry{object.value(QLatin1String("name")).toString(), object.value(QLatin1String("value")).toString()};
        if (!checkEntry(entry, where))
            return false;
        rows.push_back(std::move(entry));
    }
    return true;
}

} // namespace quillet
