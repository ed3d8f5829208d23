#include "entryrules.h"

#include "codepage.h"
#include "keynames.h"

namespace quillet {

QString nameFromBytes(QByteArrayView bytes)
{
    const CodePage &page = CodePage::windows1252();
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = page.decode(uchar(bytes[i]));
    return text;
}

bool nameToBytes(const QString &name, QByteArray &bytes, qsizetype *badIndex)
{
    const CodePage &page = CodePage::windows1252();
    bytes.resize(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        unsigned char byte = 0;
        if (name[i].unicode() == 0 || !page.encode(name[i], byte)) {
            if (badIndex)
                *badIndex = i;
            return false;
        }
        bytes[i] = char(byte);
    }
    return true;
}

namespace {

Result fieldName(const QString &name, const QString &what, QByteArray &bytes, qsizetype *badIndex)
{
    if (name.size() > GxtLimits::MaxNameLength) {
        return Result::failure(QStringLiteral("the %1 \"%2\" has %3 characters; a GXT %1 holds at most %4")
                                   .arg(what, name)
                                   .arg(name.size())
                                   .arg(GxtLimits::MaxNameLength));
    }
    qsizetype bad = -1;
    if (!nameToBytes(name, bytes, &bad)) {
        if (badIndex)
            *badIndex = bad;
        if (name[bad].unicode() == 0)
            return Result::failure(QStringLiteral("the %1 holds a character of code 0, which a GXT file drops").arg(what));
        return Result::failure(QStringLiteral("the %1 holds the character %2, which Windows-1252 cannot store")
                                   .arg(what, CodePage::describe(name, bad)));
    }
    return {};
}

} // namespace

EntryRules::EntryRules(GxtLayout layout, int bits, const CharacterNumbering &numbering)
    : m_layout(layout)
    , m_bits(layout == GxtLayout::Hashed ? bits : 16)
    , m_numbering(numbering)
{
}

Result EntryRules::encodeName(const QString &name, RawEntry &entry, qsizetype *badIndex) const
{
    if (m_layout == GxtLayout::Hashed) {
        const std::optional<quint32> hash = KeyNames::hashOf(name);
        if (!hash) {
            return Result::failure(QStringLiteral("the name \"%1\" is no key: %2")
                                       .arg(name, KeyNames::whyNotAName(name)));
        }
        entry.hash = *hash;
        return {};
    }
    QByteArray bytes;
    Result result = fieldName(name, QStringLiteral("name"), bytes, badIndex);
    if (!result)
        return result;
    entry.key = RawName::fromBytes(bytes);
    return {};
}

Result EntryRules::encodeValue(const QString &value, QString &units, qsizetype *badIndex) const
{
    const quint16 widest = m_bits == 8 ? 0xFF : 0xFFFF;
    qsizetype bad = -1;
    if (!m_numbering.encode(value, units, &bad, widest)) {
        if (badIndex)
            *badIndex = bad;
        const QStringView rest = QStringView(value).mid(bad);
        QString one;
        if (rest.front().unicode() == 0)
            return Result::failure(QStringLiteral("the value holds a character of code 0, which would end the text early"));
        if (rest.size() >= 6 && rest.front().unicode() == CharacterNumbering::EscapeOpen
            && m_numbering.encode(rest.first(6), one) && one.size() == 1) {
            return Result::failure(QStringLiteral("the value holds %1, a unit that does not fit the 8-bit texts of "
                                                  "this file")
                                       .arg(rest.first(6)));
        }
        if (rest.size() >= 6 && rest.startsWith(QString(QChar(CharacterNumbering::EscapeOpen)) + QLatin1String("0000"))) {
            return Result::failure(QStringLiteral("the value holds %1, the unit 0, which would end the text early")
                                       .arg(rest.first(6)));
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
                                   .arg(character, m_numbering.name()));
    }
    if (units.size() > GxtLimits::MaxValueLength) {
        return Result::failure(QStringLiteral("the value has %1 characters; a GXT text holds at most %2")
                                   .arg(units.size())
                                   .arg(GxtLimits::MaxValueLength));
    }
    return {};
}

Result EntryRules::encode(const StringEntry &entry, RawEntry &out) const
{
    Result result = encodeName(entry.name, out);
    if (!result)
        return result;
    return encodeValue(entry.value, out.units);
}

Result EntryRules::checkName(const QString &name, qsizetype *badIndex) const
{
    RawEntry scratch;
    return encodeName(name, scratch, badIndex);
}

Result EntryRules::checkValue(const QString &value, qsizetype *badIndex) const
{
    QString units;
    return encodeValue(value, units, badIndex);
}

Result EntryRules::check(const StringEntry &entry) const
{
    RawEntry scratch;
    return encode(entry, scratch);
}

Result EntryRules::encodeTableName(const QString &name, RawName &out) const
{
    QByteArray bytes;
    Result result = fieldName(name, QStringLiteral("table name"), bytes, nullptr);
    if (result)
        out = RawName::fromBytes(bytes);
    return result;
}

} // namespace quillet
