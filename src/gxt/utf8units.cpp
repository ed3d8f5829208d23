#include "utf8units.h"

#include "unitescape.h"

namespace quillet::Utf8Units {

namespace {

constexpr char16_t KeptByte = 0xDC00;

bool isKeptByte(char16_t u)
{
    return u >= 0xDC80 && u <= 0xDCFF;
}

// The length of the well-formed sequence that starts at `i`, and its code point; 0 for none.
int sequenceAt(const uchar *s, qsizetype n, qsizetype i, char32_t &code)
{
    const uchar b = s[i];
    if (b < 0x80) {
        code = b;
        return 1;
    }
    int length = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        code = b & 0x1F;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        code = b & 0x0F;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        code = b & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > n)
        return 0;
    for (int k = 1; k < length; ++k) {
        const uchar c = s[i + k];
        if ((c & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (c & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        char32_t code = 0;
        const int length = sequenceAt(s, n, i, code);
        if (length == 0) {
            out += QChar(char16_t(KeptByte + s[i]));
            ++i;
            continue;
        }
        if (code > 0xFFFF) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i += length;
    }
    return out;
}

qint64 byteLength(QStringView units)
{
    qint64 length = 0;
    const qsizetype n = units.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = units[i].unicode();
        if (u < 0x80)
            length += 1;
        else if (u < 0x800)
            length += 2;
        else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(units[i + 1].unicode())) {
            length += 4;
            ++i;
        } else if (isKeptByte(u))
            length += 1;
        else if (QChar::isSurrogate(u))
            length += 0;
        else
            length += 3;
    }
    return length;
}

char *write(QStringView units, char *out)
{
    const qsizetype n = units.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = units[i].unicode();
        char32_t code = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(units[i + 1].unicode())) {
            code = QChar::surrogateToUcs4(u, units[++i].unicode());
        } else if (isKeptByte(u)) {
            *out++ = char(u - KeptByte);
            continue;
        } else if (QChar::isSurrogate(u)) {
            continue;
        }
        if (code < 0x80) {
            *out++ = char(code);
        } else if (code < 0x800) {
            *out++ = char(0xC0 | (code >> 6));
            *out++ = char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            *out++ = char(0xE0 | (code >> 12));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
            *out++ = char(0x80 | (code & 0x3F));
        } else {
            *out++ = char(0xF0 | (code >> 18));
            *out++ = char(0x80 | ((code >> 12) & 0x3F));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
            *out++ = char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

QString whyNotWritable(QStringView units)
{
    bool kept = false;
    const qsizetype n = units.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = units[i].unicode();
        if (u == 0)
            return QStringLiteral("a unit 0, which would end it early");
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(units[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (isKeptByte(u)) {
            kept = true;
            continue;
        }
        if (QChar::isSurrogate(u))
            return QStringLiteral("%1, half of a character that UTF-8 cannot hold alone").arg(UnitEscape::of(u));
    }
    if (kept) {
        // Kept bytes next to each other may spell a character once written: they must read
        // back as what they are.
        QByteArray bytes(byteLength(units), '\0');
        write(units, bytes.data());
        if (decode(bytes) != units)
            return QStringLiteral("kept bytes (escapes from %1 to %2) that would read back as a character")
                .arg(UnitEscape::of(0xDC80), UnitEscape::of(0xDCFF));
    }
    return {};
}

} // namespace quillet::Utf8Units
