#include "entryrules.h"

#include "codepage.h"
#include "unitescape.h"
#include "hashtext.h"
#include "keyhash.h"
#include "rawgxt.h"
#include "textcodes.h"

namespace quillet {

EntryRules::EntryRules(const GxtFormat &format, int bits, const CharacterNumbering &numbering, const KeyHash *hash,
                       const KeyNames *names)
    : m_format(format)
    , m_bits(format.takesBits(bits) ? bits : 16)
    , m_numbering(numbering)
    , m_hash(hash ? hash : format.traits().hash)
    , m_names(names)
{
}

EntryRules EntryRules::of(const RawDocument &document, const CharacterNumbering &numbering, const KeyNames *names)
{
    return EntryRules(*document.format, document.bits, numbering, document.hash, names);
}

QString EntryRules::keyText(const StringEntry &entry) const
{
    if (!m_format.storesHashes())
        return nameFromBytes(entry.name.bytes());
    if (m_names && m_hash) {
        const QString known = m_names->nameOf(*m_hash, entry.hash);
        if (!known.isEmpty())
            return known;
    }
    return hashText(entry.hash);
}

QString EntryRules::valueText(QStringView units) const
{
    const bool faithful = m_numbering.keepsAscii();
    if (faithful && !TextCodes::holdsTilde(units))
        return m_numbering.decode(units);
    QString text;
    text.reserve(units.size());
    // What lies between the codes, through the numbering. Where the numbering shows another
    // glyph as a code's character, that glyph shows as its escape, so that no code appears
    // in the text that the units do not hold.
    auto between = [&](QStringView part) {
        if (faithful) {
            text += m_numbering.decode(part);
            return;
        }
        for (qsizetype k = 0; k < part.size(); ++k) {
            const char16_t u = part[k].unicode();
            const char32_t c = m_numbering.characterOf(u);
            if (c >= 0x21 && c <= 0x7E && c != u)
                UnitEscape::append(text, u);
            else
                text += m_numbering.decode(part.sliced(k, 1));
        }
    };
    qsizetype from = 0;
    for (qsizetype i = 0; i < units.size();) {
        const qsizetype code = TextCodes::codeAt(units, i);
        if (code == 0) {
            ++i;
            continue;
        }
        between(units.sliced(from, i - from));
        text += units.sliced(i, code);
        i += code;
        from = i;
    }
    between(units.sliced(from));
    return text;
}

QString EntryRules::tableText(const RawName &name) const
{
    return nameFromBytes(name.bytes());
}

Result EntryRules::encodeKey(const QString &name, StringEntry &entry, qsizetype *badIndex) const
{
    Result fits = m_format.keyRule().checkStored(name, QStringLiteral("name"), badIndex);
    if (!fits)
        return fits;
    if (m_format.storesHashes()) {
        if (const std::optional<quint32> hash = parseHashText(name))
            entry.hash = *hash;
        else
            entry.hash = m_hash ? (*m_hash)(name.toLatin1()) : 0;
        return {};
    }
    QByteArray bytes;
    if (!nameToBytes(name, bytes, badIndex))
        return Result::failure(QStringLiteral("the name cannot be stored"));
    entry.name = RawName::fromBytes(bytes);
    return {};
}

Result EntryRules::encodeValue(const QString &value, QString &units, qsizetype *badIndex) const
{
    const quint16 widest = m_format.widestUnit(m_bits);
    qsizetype bad = -1;
    // The codes in ASCII, the rest through the numbering.
    bool encoded = true;
    if (!TextCodes::holdsTilde(value)) {
        encoded = m_numbering.encode(value, units, &bad, widest);
    } else {
        units.clear();
        QString part;
        qsizetype from = 0;
        auto between = [&](qsizetype to) {
            qsizetype at = -1;
            if (!m_numbering.encode(QStringView(value).sliced(from, to - from), part, &at, widest)) {
                bad = from + at;
                return false;
            }
            units += part;
            return true;
        };
        for (qsizetype i = 0; i < value.size() && encoded;) {
            const qsizetype code = TextCodes::codeAt(value, i);
            if (code == 0) {
                ++i;
                continue;
            }
            encoded = between(i);
            units += QStringView(value).sliced(i, code);
            i += code;
            from = i;
        }
        encoded = encoded && between(value.size());
        if (!encoded)
            units.clear();
    }
    if (!encoded) {
        if (badIndex)
            *badIndex = bad;
        const QStringView rest = QStringView(value).mid(bad);
        QString one;
        if (rest.front().unicode() == 0)
            return Result::failure(QStringLiteral("the value holds a character of code 0, which would end the text early"));
        const int escaped = UnitEscape::unitAt(rest, 0);
        if (escaped == 0) {
            return Result::failure(QStringLiteral("the value holds %1, the unit 0, which would end the text early")
                                       .arg(rest.first(UnitEscape::Length)));
        }
        if (escaped > widest) {
            return Result::failure(QStringLiteral("the value holds %1, a unit that does not fit the 8-bit texts of "
                                                  "this file")
                                       .arg(rest.first(UnitEscape::Length)));
        }
        const QString character = CodePage::describe(value, bad);
        if (m_numbering.encode(rest.first(rest.front().isHighSurrogate() && rest.size() > 1 ? 2 : 1), one)) {
            return Result::failure(QStringLiteral("the value holds the character %1, whose glyph 0x%2 does not fit "
                                                  "the 8-bit texts of this file")
                                       .arg(character)
                                       .arg(uint(one.front().unicode()), 0, 16));
        }
        return Result::failure(QStringLiteral("the value holds the character %1, which the character numbering %2 "
                                              "cannot store")
                                   .arg(character, m_numbering.title()));
    }
    if (units.size() > m_format.traits().maxValueLength) {
        return Result::failure(QStringLiteral("the value has %1 characters; a GXT text holds at most %2")
                                   .arg(units.size())
                                   .arg(m_format.traits().maxValueLength));
    }
    const QString unstorable = m_format.unstorableText(units);
    if (!unstorable.isEmpty())
        return Result::failure(QStringLiteral("the value holds %1").arg(unstorable));
    return {};
}

Result EntryRules::encode(const QString &name, const QString &value, StringEntry &out) const
{
    Result result = encodeKey(name, out);
    if (!result)
        return result;
    return encodeValue(value, out.units);
}

Result EntryRules::checkKey(const QString &name, qsizetype *badIndex) const
{
    StringEntry scratch;
    return encodeKey(name, scratch, badIndex);
}

Result EntryRules::checkValue(const QString &value, qsizetype *badIndex) const
{
    QString units;
    return encodeValue(value, units, badIndex);
}

Result EntryRules::encodeTableName(const QString &name, RawName &out) const
{
    Result fits = m_format.tableRule().checkStored(name, QStringLiteral("table name"));
    if (!fits)
        return fits;
    QByteArray bytes;
    if (!nameToBytes(name, bytes))
        return Result::failure(QStringLiteral("the table name cannot be stored"));
    out = RawName::fromBytes(bytes);
    return {};
}

} // namespace quillet
