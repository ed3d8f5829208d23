#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>

#include <array>

namespace quillet {

// Windows-1252, the one-byte code page of GXT key and table names. The tables are filled
// once from Qt's own converters; looking a byte up beats a converter call per name by far,
// and a single-byte code page is exactly a table.
class CodePage
{
public:
    static const CodePage &windows1252();

    QChar decode(unsigned char byte) const { return m_toUnicode[byte]; }
    // False when the character has no byte in the code page.
    bool encode(QChar c, unsigned char &byte) const
    {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            byte = static_cast<unsigned char>(u);
            return true;
        }
        return encodeHigh(u, byte);
    }

    // "'ア' (U+30A2)": how the character at `index` is named in messages; a surrogate
    // pair is named by the one character it makes.
    static QString describe(QStringView text, qsizetype index);

private:
    CodePage();
    bool encodeHigh(char16_t u, unsigned char &byte) const;

    std::array<QChar, 256> m_toUnicode{};
    // Sorted (unicode, byte) pairs of the bytes 0x80..0xFF, searched when encoding.
    std::array<std::pair<char16_t, unsigned char>, 128> m_fromUnicodeHigh{};
};

// A name field's bytes as the characters they stand for, and back; false when a character
// has no Windows-1252 byte or is the character 0 (badIndex says which).
QString nameFromBytes(QByteArrayView bytes);
bool nameToBytes(QStringView name, QByteArray &bytes, qsizetype *badIndex = nullptr);

} // namespace quillet
