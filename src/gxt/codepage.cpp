#include "codepage.h"

#include <QStringDecoder>

#include <algorithm>

namespace quillet {

const CodePage &CodePage::windows1252()
{
    static const CodePage page;
    return page;
}

CodePage::CodePage()
{
    QStringDecoder decoder("windows-1252", QStringDecoder::Flag::Stateless);
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString s = decoder.isValid() ? decoder.decode(QByteArrayView(&byte, 1)) : QString();
        // The five bytes that Windows-1252 leaves undefined map to the C1 controls of the
        // same value, as Windows itself does; so does every byte if ICU is missing, which
        // then keeps Latin-1 and still round-trips every byte.
        const bool usable = s.size() == 1 && s[0] != QChar::ReplacementCharacter;
        m_toUnicode[size_t(b)] = usable ? s[0] : QChar(char16_t(b));
    }
    for (int b = 0x80; b < 0x100; ++b)
        m_fromUnicodeHigh[size_t(b - 0x80)] = {m_toUnicode[size_t(b)].unicode(), static_cast<unsigned char>(b)};
    std::sort(m_fromUnicodeHigh.begin(), m_fromUnicodeHigh.end());
}

bool CodePage::encodeHigh(char16_t u, unsigned char &byte) const
{
    const auto it = std::lower_bound(m_fromUnicodeHigh.begin(), m_fromUnicodeHigh.end(),
                                     std::pair<char16_t, unsigned char>(u, 0));
    if (it == m_fromUnicodeHigh.end() || it->first != u)
        return false;
    byte = it->second;
    return true;
}

QString CodePage::describe(QStringView text, qsizetype index)
{
    char32_t code = text.at(index).unicode();
    qsizetype length = 1;
    if (QChar::isHighSurrogate(code) && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        code = QChar::surrogateToUcs4(text.at(index), text.at(index + 1));
        length = 2;
    }
    const QString number = QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
    if (QChar::isPrint(code) && !QChar::isSurrogate(code))
        return QStringLiteral("'%1' (%2)").arg(text.mid(index, length).toString(), number);
    return number;
}

QString nameFromBytes(QByteArrayView bytes)
{
    const CodePage &page = CodePage::windows1252();
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = page.decode(uchar(bytes[i]));
    return text;
}

bool nameToBytes(QStringView name, QByteArray &bytes, qsizetype *badIndex)
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

} // namespace quillet
