#pragma once

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringView>

#include <array>

namespace quillet {

// Windows colour integers are 0x00BBGGRR, red in the low byte; Qt's QRgb is 0xAARRGGBB.
constexpr QRgb rgbFromWindowsColour(quint32 bgr)
{
    return 0xff000000u | ((bgr & 0xffu) << 16) | (bgr & 0xff00u) | ((bgr >> 16) & 0xffu);
}

constexpr quint32 windowsColourFromRgb(QRgb rgb)
{
    return ((rgb & 0xffu) << 16) | (rgb & 0xff00u) | ((rgb >> 16) & 0xffu);
}

// Colours are compared without their alpha: a colour read back from a text format may
// come with any alpha, and the game knows none.
constexpr bool sameColour(QRgb a, QRgb b)
{
    return (a & 0xffffffu) == (b & 0xffffffu);
}

struct ColourCode {
    char letter;            // the code is '~', letter, '~'
    const char *name;       // as the colour list shows it
    quint32 windowsColour;  // 0x00BBGGRR

    QString code() const { return QStringLiteral("~%1~").arg(QLatin1Char(letter)); }
    QString colourName() const { return QString::fromLatin1(name); }
    QRgb rgb() const { return rgbFromWindowsColour(windowsColour); }
};

// The seven colour codes of the game, in the order in which every lookup tries them.
class ColourTable
{
public:
    static constexpr int Size = 7;
    static const std::array<ColourCode, Size> &rows();

    // Grey: the colour of all text before the first code.
    static constexpr QRgb defaultColour() { return rgbFromWindowsColour(0x00C8C8C8u); }
    // The colours of the two views, neither of them a code's colour.
    static constexpr QRgb designBackground() { return rgbFromWindowsColour(0x00000000u); }
    static constexpr QRgb sourceBackground() { return rgbFromWindowsColour(0x00FFFFFFu); }
    static constexpr QRgb sourceText() { return rgbFromWindowsColour(0x00000000u); }

    // The row whose code the three characters at the start of `text` spell, letter case
    // aside; nullptr when fewer than three characters remain or they are no code.
    static const ColourCode *codeAt(QStringView text);
    // The first row of that colour, or nullptr when the colour is none of the table's.
    static const ColourCode *byColour(QRgb colour);
    // The row of that colour name, compared exactly; nullptr for any other text.
    static const ColourCode *byName(const QString &name);
};

struct ColouredChar {
    QChar ch;
    QRgb colour;

    friend bool operator==(const ColouredChar &a, const ColouredChar &b)
    {
        return a.ch == b.ch && sameColour(a.colour, b.colour);
    }
};
using ColouredText = QList<ColouredChar>;

// Source form (text with colour codes) to Design form (each character in the colour of
// the last code before it, the codes themselves gone).
ColouredText BuildDesignView(const QString &source);
// Design form back to source text: a code wherever the colour changes to one of the
// table's, in lower case; colours outside the table get no code.
QString BuildSourceView(const ColouredText &design);

// Every character in one colour, as text set by code or shown in Source View is.
ColouredText colouredText(const QString &text, QRgb colour);
QString plainText(const ColouredText &text);

} // namespace quillet
