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

// Writes the units of `bytes` at `out`, which has room for as many units as there are bytes
// (no sequence gives more units than it has bytes); returns the end.
char16_t *decodeAt(QByteArrayView bytes, char16_t *out)
{
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar b = s[i];
        if (b < 0x80) {
            *out++ = b;
            ++i;
            continue;
        }
        char32_t code = 0;
        const int length = sequenceAt(s, n, i, code);
        if (length == 0) {
            *out++ = char16_t(KeptByte + b);
            ++i;
            continue;
        }
        if (code > 0xFFFF) {
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        } else {
            *out++ = char16_t(code);
        }
        i += length;
    }
    return out;
}

} // namespace

// The units are written straight into a string of the bytes' length and cut to what they
// took: appending a unit at a time cost more than the decoding itself.
QString decode(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    QString out(n, Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    const qsizetype units = decodeAt(bytes, begin) - begin;
    out.truncate(units);
    // Texts of three bytes a character (Chinese, Japanese) would otherwise keep twice the
    // room they use for as long as the document lives.
    if (units < n / 2)
        out.squeeze();
    return out;
}

void decode(QByteArrayView bytes, QString &out)
{
    out.resize(bytes.size());
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    out.truncate(decodeAt(bytes, begin) - begin);
}

namespace {

// The bytes `units` write as; `kept` says whether any is a kept byte, `broken` whether any is
// a unit 0 or a lone surrogate that stands for no byte.
qint64 measure(QStringView units, bool &kept, bool &broken)
{
    qint64 length = 0;
    kept = false;
    broken = false;
    const qsizetype n = units.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = units[i].unicode();
        if (u < 0x80) {
            length += 1;
            broken = broken || u == 0;
        } else if (u < 0x800) {
            length += 2;
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(units[i + 1].unicode())) {
            length += 4;
            ++i;
        } else if (isKeptByte(u)) {
            length += 1;
            kept = true;
        } else if (QChar::isSurrogate(u)) {
            broken = true;
        } else {
            length += 3;
        }
    }
    return length;
}

} // namespace

qint64 byteLength(QStringView units)
{
    bool kept = false;
    bool broken = false;
    return measure(units, kept, broken);
}

qint64 byteLength(QStringView units, bool &writable)
{
    bool kept = false;
    bool broken = false;
    const qint64 length = measure(units, kept, broken);
    // Kept bytes that might spell a character once written need the whole check.
    writable = !broken && (!kept || whyNotWritable(units).isEmpty());
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
