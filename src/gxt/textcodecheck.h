#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace quillet {

class EntryRules;
class GxtFormat;
class KeyHash;

// The games of the series, as their text codes and limits differ. Told from a document's
// format and the hash its keys are read by (the third and fourth games share a layout).
enum class Game { First, Second, Third, Fourth, Fifth };
Game gameOf(const GxtFormat &format, const KeyHash *hash);

// One text code of a text, in the order the game meets it. "~k~~NAME~" (the key bound to an
// action) is one code: the action name is what a translation must keep, not the "~k~".
struct TextCode {
    qsizetype position = 0; // in units (or characters) of the text
    qsizetype length = 0;
    QString text;           // "~r~", "~k~~PED_FIREWEAPON~"

    friend bool operator==(const TextCode &a, const TextCode &b) { return a.text == b.text; }
};

// The codes of a text in order. Works alike on units and on the characters they read as:
// the game reads codes by the ASCII values of the units whatever the numbering, and
// EntryRules shows them as ASCII. `strayTildes`, when given, receives the positions of the
// "~" that open or close no code.
QList<TextCode> textCodesOf(QStringView text, QList<qsizetype> *strayTildes = nullptr);

// What a check finds wrong with one text. Messages say what, never where: the caller names
// the entry ("T/KEY: ...").
struct TextProblem {
    enum class Kind {
        UnbalancedTilde, // a "~" that opens or closes no code: the game may crash on it
        UnknownCode,     // a code the game does not know (case-sensitive)
        CodesDiffer,     // other codes, another count or another order than the reference's
        EdgeWhitespace,  // a space, tab or line break at the start or the end
        TooLong,         // longer than the game draws
        Unstorable,      // a character the document's numbering cannot store
    };
    Kind kind;
    QString message;

    friend bool operator==(const TextProblem &a, const TextProblem &b)
    {
        return a.kind == b.kind && a.message == b.message;
    }
};

// The checks of one game's texts: which codes it knows, how long a text it draws. Cheap to
// make and to copy; a check of one text costs one pass over it (two with a reference).
class TextCodeCheck
{
public:
    explicit TextCodeCheck(Game game);
    static TextCodeCheck of(const GxtFormat &format, const KeyHash *hash) { return TextCodeCheck(gameOf(format, hash)); }

    Game game() const { return m_game; }
    // Whether the game's codes are known at all: false for the fourth game, whose codes no
    // fact we have lists, so that no code of it is called unknown.
    bool knowsCodeSet() const;
    // Whether the game knows `code` ("~r~", "~k~~PED_FIREWEAPON~", "~HUD_COLOUR_RED~").
    bool knowsCode(QStringView code) const;
    // The most units a text may have before the game fails to draw it; 0 for no limit known.
    int maxLength() const;

    // The problems of a text of units, as a file holds it, against the units of the
    // reference's text of the same key when there is one. In a fixed order: unbalanced "~",
    // unknown codes, codes differing, whitespace, length.
    std::vector<TextProblem> checkUnits(QStringView units, std::optional<QStringView> reference = std::nullopt) const;
    // The same for a text as a user reads and types it, under `rules`: a character the
    // numbering cannot store (or any other reason the rules refuse it) comes first, and the
    // rest are checked on the units it encodes to; a text that cannot be encoded is checked
    // as characters.
    std::vector<TextProblem> checkValue(const QString &value, const EntryRules &rules,
                                        std::optional<QStringView> reference = std::nullopt) const;

    // Why the codes of `units` differ from those of `reference` ("~1~ missing, ~r~ added",
    // "~n~ 2 times instead of 3", "in another order: ~g~ ~r~ instead of ~r~ ~g~"); empty when
    // they agree. Line breaks ("~n~") count by number only, since a translation breaks its
    // lines where its own words fall; every other code counts by number and order.
    static QString codesDifference(QStringView units, QStringView reference);
    // The same test without the words, for a status computed per entry as the user types.
    static bool codesDiffer(QStringView units, QStringView reference);

    // "third game": how messages name the game.
    QString gameName() const;

private:
    Game m_game;
};

// "codes differ from the reference: ~1~ missing": the message of a CodesDiffer problem.
QString codesDifferMessage(const QString &difference);

} // namespace quillet
