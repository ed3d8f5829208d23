#pragma once

#include "colourcodes.h"

#include <QList>
#include <QString>

#include <vector>

namespace quillet {

// One thing Design View shows: a character in its colour, or a token that stands for a text
// code Design View has no look for ("~n~", "~1~", "~k~~PED_FIREWEAPON~", "~h~", a code it does
// not know). A token shows as its code's own text but is one piece: the user can move it or
// take it away, never edit it into other letters.
struct DesignChar {
    QChar ch;
    QRgb colour;
    QString code; // a token's code; empty for a character

    bool isToken() const { return !code.isEmpty(); }
    // A token has no colour of its own that the source keeps.
    friend bool operator==(const DesignChar &a, const DesignChar &b)
    {
        if (a.isToken() || b.isToken())
            return a.code == b.code;
        return a.ch == b.ch && sameColour(a.colour, b.colour);
    }
};
using DesignText = QList<DesignChar>;

// A token's code written out as characters in its colour, as BuildDesignView shows codes it
// does not know.
ColouredText expandTokens(const DesignText &text);

// A value's source text as Design View shows it, with where in the source each shown thing
// came from. What the user did not change in Design View keeps its source form: switching
// views without an edit gives the source back as it was, a repeated or trailing colour code
// included, and an edit rewrites only the span the user changed, through BuildSourceView,
// leaving the codes around it where they were.
class DesignSource
{
public:
    explicit DesignSource(const QString &source);

    const QString &source() const { return m_source; }
    const DesignText &shown() const { return m_shown; }
    // The source once the user has turned shown() into `edited`.
    QString sourceAfter(const DesignText &edited) const;

private:
    // For each shown item, and once more for the end: the colour codes before it
    // [runStart, textStart), its own source [textStart, textEnd), and the colour the text is
    // in after those codes.
    struct Piece {
        qsizetype runStart;
        qsizetype textStart;
        qsizetype textEnd;
        QRgb colour;
    };
    QStringView runOf(qsizetype item) const;
    // Whether a character from shown item `item` on takes the colour on before it: one comes
    // before any colour code.
    bool needsColourAt(qsizetype item) const;

    QString m_source;
    DesignText m_shown;
    std::vector<Piece> m_pieces;
};

} // namespace quillet
