#include "colourcodes.h"

namespace quillet {

const std::array<ColourCode, ColourTable::Size> &ColourTable::rows()
{
    static const std::array<ColourCode, Size> table{{
        {'y', "Yellow", 0x0000FFFFu},
        {'w', "Grey (default)", 0x00C8C8C8u},
        {'h', "Highlight (white)", 0x00FFFFFFu},
        {'r', "Red", 0x000000FFu},
        {'g', "Green", 0x0000FF00u},
        {'b', "Blue", 0x00FF0000u},
        {'p', "Purple", 0x00FF0080u},
    }};
    return table;
}

const ColourCode *ColourTable::codeAt(QStringView text)
{
    if (text.size() < 3 || text[0] != u'~' || text[2] != u'~')
        return nullptr;
    // Only ASCII letters fold: whatever a locale thinks, no other letter spells a code.
    char16_t letter = text[1].unicode();
    if (letter >= u'A' && letter <= u'Z')
        letter = char16_t(letter + (u'a' - u'A'));
    for (const ColourCode &row : rows()) {
        if (letter == char16_t(row.letter))
            return &row;
    }
    return nullptr;
}

const ColourCode *ColourTable::byColour(QRgb colour)
{
    for (const ColourCode &row : rows()) {
        if (sameColour(row.rgb(), colour))
            return &row;
    }
    return nullptr;
}

const ColourCode *ColourTable::byName(const QString &name)
{
    for (const ColourCode &row : rows()) {
        if (name == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

ColouredText BuildDesignView(const QString &source)
{
    ColouredText design;
    design.reserve(source.size());
    QRgb current = ColourTable::defaultColour();
    const QStringView text(source);
    for (qsizetype i = 0; i < text.size();) {
        if (const ColourCode *code = ColourTable::codeAt(text.sliced(i))) {
            current = code->rgb();
            i += 3;
        } else {
            design.append({text[i], current});
            ++i;
        }
    }
    return design;
}

QString BuildSourceView(const ColouredText &design)
{
    QString source;
    if (design.isEmpty())
        return source;
    source.reserve(design.size());
    // Starting from black, which is no code's colour, gives a first character in any table
    // colour but grey its code; grey is what the game assumes anyway.
    QRgb current = sameColour(design.constFirst().colour, ColourTable::defaultColour())
        ? ColourTable::defaultColour()
        : ColourTable::sourceText();
    for (const ColouredChar &c : design) {
        if (!sameColour(c.colour, current)) {
            if (const ColourCode *code = ColourTable::byColour(c.colour)) {
                source += code->code();
                current = c.colour;
            }
        }
        source += c.ch;
    }
    return source;
}

ColouredText colouredText(const QString &text, QRgb colour)
{
    ColouredText result;
    result.reserve(text.size());
    for (QChar c : text)
        result.append({c, colour});
    return result;
}

QString plainText(const ColouredText &text)
{
    QString result;
    result.reserve(text.size());
    for (const ColouredChar &c : text)
        result += c.ch;
    return result;
}

} // namespace quillet
