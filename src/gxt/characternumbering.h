#pragma once

#include "result.h"
#include "unitescape.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

namespace quillet {

class GxtFormat;
class KeyHash;

// How the units of a text (glyph numbers of the game's font) become the characters a user
// reads and types, and back.
//
// Decoding keeps everything: a unit the numbering does not show becomes a visible escape,
// "⟨" four upper-case hex digits "⟩" ("⟨E780⟩"), which encodes back to the very same unit;
// so does any unit shown as "⟨" itself. Encoding refuses a character the numbering lacks,
// so a typed character never turns silently into another glyph.
class CharacterNumbering
{
public:
    static constexpr char16_t EscapeOpen = UnitEscape::Open;
    static constexpr char16_t EscapeClose = UnitEscape::Close;

    // Each byte is its Windows-1252 character: what the flat layout has always been read as.
    static std::shared_ptr<const CharacterNumbering> windows1252();
    // A unit is its own code point, a surrogate pair the character it makes: the fourth
    // game's Western texts and the fifth game's, which are UTF-8 in the file.
    static std::shared_ptr<const CharacterNumbering> unicode();
    // The third game's mobile Russian release: А to Я at 0x80 to 0x9F, а to я at 0xA0 to 0xBF.
    static std::shared_ptr<const CharacterNumbering> russianMobile();
    // The game's own Western European numbering, which differs between the formats only in
    // where it puts "¡" (the format says where).
    static std::shared_ptr<const CharacterNumbering> western(const GxtFormat &format);
    // The numbering a format's files open in: the one its description names, or where the
    // format is shared by games told apart by their key hash, the one `hash`'s game uses.
    static std::shared_ptr<const CharacterNumbering> defaultFor(const GxtFormat &format, const KeyHash *hash = nullptr);

    // A numbering from a map file's text, in one of the two forms modders use:
    //  - one mapping a line, "UUUU=GGGG": a character's Unicode code and its glyph number,
    //    both in hex, over `base` (only what differs from it is listed); blank lines and
    //    lines starting with '#' or ';' are skipped;
    //  - a grid of 14 lines of 16 tab-separated cells, the cell at row r and column c
    //    holding the character of glyph 0x20 + 16r + c; a character that fills more than one
    //    cell marks cells as unused.
    // A malformed map fails with a reason that names the line.
    static Result fromMap(const QByteArray &text, const QString &name, const CharacterNumbering &base,
                          std::shared_ptr<const CharacterNumbering> &out);

    // "windows-1252", "western", or the map's name as given: what settings and the tool's
    // --charmap store.
    QString name() const { return m_name; }
    // How menus, the status bar and messages name it: "Windows-1252", "Game (Western
    // European)", or the map's name.
    QString title() const { return m_title.isEmpty() ? m_name : m_title; }
    void setTitle(const QString &title) { m_title = title; }

    QString decode(QStringView units) const;

    // False when `text` holds a character this numbering lacks, one whose glyph is above
    // `widest`, or an escape of the unit 0; `badIndex` then tells where.
    bool encode(QStringView text, QString &units, qsizetype *badIndex = nullptr, quint16 widest = 0xFFFF) const;

    // Whether every unit of `units` shows as a character of its own, none as an escape.
    bool showsEvery(QStringView units) const;
    // Whether no glyph shows as a character from "!" to "~" but the glyph of that very
    // value: then a text's codes and the rest can be told apart alike in units and in
    // characters. True of every built-in numbering; a map that moves ASCII may not be.
    bool keepsAscii() const;

    // The glyph of one character; 0 when the numbering lacks it.
    quint16 glyphOf(char32_t character) const;
    // The character of one glyph; 0 when the numbering does not show it.
    char32_t characterOf(quint16 glyph) const
    {
        return glyph < m_toCharacter.size() ? m_toCharacter[glyph] : 0;
    }

    // A numbering of this name with no glyphs yet; fill it with map().
    explicit CharacterNumbering(const QString &name);
    // Shows `glyph` as `character`, and takes `character` off any glyph that showed it before,
    // so that every glyph keeps one character and every character one glyph.
    void map(char32_t character, quint16 glyph);
    void unmapGlyph(quint16 glyph);

private:
    // The run of glyphs round 'A' that all show and the next run above it, which most texts
    // keep within, and which glyphs show at all: found when first asked for, and again after
    // the numbering changes.
    void findShownRun() const;

    // Whether a surrogate pair of units shows as the character it makes.
    bool m_pairs = false;
    QString m_name;
    QString m_title;
    std::vector<char32_t> m_toCharacter;  // by glyph; 0 where no character is shown
    // By glyph, for every glyph: the one UTF-16 unit it shows as, or 0 where it shows as an
    // escape or a surrogate pair. Decoding a text is then one look-up a unit.
    std::vector<char16_t> m_plain;
    std::vector<quint16> m_bmpToGlyph;    // by character of the Basic Multilingual Plane
    QHash<char32_t, quint16> m_otherToGlyph;
    mutable std::vector<quint8> m_shown; // by glyph: 1 where it shows as a character, with the run
    mutable bool m_runKnown = false;
    mutable int m_keepsAscii = -1;
    mutable char16_t m_runLow = 0;
    mutable char16_t m_runHigh = 0;
    mutable char16_t m_run2Low = 0;
    mutable char16_t m_run2High = 0;
};

// The numbering files of a format are read in, as a caller has chosen it; null when it has
// none to give (the format's own is then taken, or the caller has said why not).
using NumberingFor = std::function<std::shared_ptr<const CharacterNumbering>(const GxtFormat &, const KeyHash *)>;

} // namespace quillet
