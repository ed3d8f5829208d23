#include "keynames.h"

#include "codepage.h"

#include <QStringDecoder>

#include <array>

namespace quillet {

namespace {

const std::array<quint32, 256> &crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

bool isHashText(const QString &name)
{
    if (name.size() != 9 || !name.startsWith(u'#'))
        return false;
    for (qsizetype i = 1; i < 9; ++i) {
        if (!isxdigit(name[i].toLatin1()) || name[i].unicode() > 0x7F)
            return false;
    }
    return true;
}

} // namespace

quint32 keyHash(QByteArrayView name)
{
    const auto &table = crcTable();
    quint32 crc = 0xFFFFFFFFu;
    for (char c : name) {
        const uchar upper = (c >= 'a' && c <= 'z') ? uchar(c - 32) : uchar(c);
        crc = table[(crc ^ upper) & 0xFF] ^ (crc >> 8);
    }
    return crc;
}

QString KeyNames::whyNotAName(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("a key needs a name");
    if (name.startsWith(u'#'))
        return QStringLiteral("only # and eight hex digits may begin with #");
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c <= 0x20 || c >= 0x7F) {
            return QStringLiteral("a key's name is made of ASCII letters, digits and signs, without spaces, "
                                  "but it holds %1")
                .arg(CodePage::describe(name, i));
        }
    }
    return {};
}

Result KeyNames::fromText(const QByteArray &text, KeyNames &out)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(text);
    if (decoder.hasError())
        return Result::failure(QStringLiteral("the name list is not valid UTF-8 text"));
    KeyNames names;
    const QStringList lines = decoded.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QString why = whyNotAName(line);
        if (!why.isEmpty())
            return Result::failure(QStringLiteral("line %1: \"%2\" is not a key name: %3").arg(i + 1).arg(line.left(40), why));
        names.add(line);
    }
    out = std::move(names);
    return {};
}

void KeyNames::add(const QString &name)
{
    const QString upper = name.toUpper();
    const quint32 hash = keyHash(upper.toLatin1());
    if (!m_names.contains(hash))
        m_names.insert(hash, upper);
}

void KeyNames::merge(const KeyNames &other)
{
    for (auto it = other.m_names.cbegin(); it != other.m_names.cend(); ++it) {
        if (!m_names.contains(it.key()))
            m_names.insert(it.key(), it.value());
    }
}

QString KeyNames::hashText(quint32 hash)
{
    // Written out by hand: a load names every key of a hashed file this way, and arg() with
    // toUpper() took half of the whole load's time.
    static constexpr char16_t Digits[] = u"0123456789ABCDEF";
    QString text(9, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    out[0] = u'#';
    for (int i = 8; i >= 1; --i, hash >>= 4)
        out[i] = Digits[hash & 0xF];
    return text;
}

QString KeyNames::nameOf(quint32 hash) const
{
    const auto it = m_names.constFind(hash);
    return it != m_names.cend() ? it.value() : hashText(hash);
}

std::optional<quint32> KeyNames::hashOf(const QString &name)
{
    if (isHashText(name)) {
        // Eight hex digits, checked above; read in place, since a save asks this of every
        // key of a hashed file and a copy of the digits took most of its time.
        quint32 hash = 0;
        for (qsizetype i = 1; i < 9; ++i) {
            const char16_t c = name[i].unicode();
            hash = hash << 4 | quint32(c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10);
        }
        return hash;
    }
    if (!whyNotAName(name).isEmpty())
        return std::nullopt;
    return keyHash(name.toLatin1());
}

} // namespace quillet
