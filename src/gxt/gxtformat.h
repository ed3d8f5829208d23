#pragma once

#include "rawgxt.h"
#include "result.h"
#include "stringentry.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

namespace quillet {

class ByteSource;
class FileProgress;
class KeyHash;
struct ReadOptions;

// What a format's reader reads with: the progress to report, and the read's options.
struct ReadContext {
    FileProgress &progress;
    const ReadOptions &options;
};

// Whether a format stores each key's name, or only a hash of it.
enum class KeyKind { Name, Hash };

// How the keys or the table names of a format are named: what a file or a text form may
// hold, and what a user types into a name box. The one place each format's name rule lives.
struct NameRule {
    // Bytes of the name field; 0 when the format stores no name at all, only a hash.
    int fieldLength = 8;
    // The most characters a user types; a longer name read from a file stays as it is. A
    // hashed key has no length of its own (the fourth game's are often longer than 8).
    int typedLength = 7;
    static constexpr int NoLimit = 1 << 20;
    // Whether "#" and eight hex digits stand for a hash, typed or in a text form.
    bool takesHashText = false;

    // What a file or a text form may hold: up to fieldLength Windows-1252 characters, none
    // of code 0; or, where the name is hashed, ASCII letters, digits and signs without
    // spaces, not starting with "#" unless it is a hash's text. `what` names the name in
    // the reason ("name", "table name"); `badIndex` is set where a character breaks it.
    Result checkStored(QStringView name, const QString &what, qsizetype *badIndex = nullptr) const;

    // What the name box makes of a name as it is typed. Acceptable: a name of 1 to
    // typedLength of A-Z, 0-9 and _, or a hash's whole text where one is taken; Intermediate:
    // on the way to one (empty, or part of a hash's text); Invalid: anything else, except a
    // name no longer than `keptLength` (the length a name read from a file had), which a
    // user may shorten and edit without losing it.
    enum class Typed { Acceptable, Intermediate, Invalid };
    Typed checkTyped(QStringView name, qsizetype keptLength = 0) const;

    // A-Z, 0-9 and _: the characters the game's names use and the name box takes.
    static bool isTypedCharacter(QChar c);
    // Why `name` cannot be hashed as a key's name (empty when it can): ASCII letters,
    // digits and signs, no space, and no "#" first.
    static QString whyNotAHashedName(QStringView name, qsizetype *badIndex = nullptr);
};

// What a format is, for every part of the editor that must know: the one description per
// format. Reader, writer, text forms, comparisons, checks and the editor ask it instead of
// telling formats apart themselves. A format is registered in gxtformat.cpp; adding one is
// a description with its reader and writer pieces, and one line there.
// How a format's texts are stored: units of the game's font, one a glyph number (8 or 16
// bits), or UTF-8, which a reader decodes into UTF-16 units, a byte that is not UTF-8
// standing as the lone surrogate 0xDC00 + the byte so that it is kept and shown.
enum class TextEncoding { Glyphs, Utf8 };

struct FormatTraits {
    const char *id = "";     // unique: "flat", "hashed-single", "gxt2-be"
    const char *title = "";  // how messages and menus name it
    const char *layout = ""; // the word of the text forms and the tool: "flat", "hashed", "gxt2"
    bool single = false;     // the text forms' "single": a hashed file of one table
    bool bigEndian = false;  // the text forms' "byte-order": "big"
    const char *game = "";   // the game whose files these are, as messages name it
    // Whether the game is told by the key hash rather than the layout (the third and fourth
    // games' files have the same bytes).
    bool gameByHash = false;
    TextEncoding encoding = TextEncoding::Glyphs;
    const char *extension = "gxt"; // of the files
    KeyKind keys = KeyKind::Name;
    const KeyHash *hash = nullptr; // the hash a hashed format's files use
    int recordSize = 12;           // bytes of one entry's record
    bool takes8BitTexts = false;   // 16-bit texts always; 8-bit ones too where true
    bool hasTables = false;        // a table of named tables, MAIN first
    int blockAlignment = 1;        // table blocks start on a multiple of this
    int maxEntries = 32766;        // entries of one table this editor loads and saves
    int maxValueLength = 32766;    // units of one text
    int gameMaxTables = 0;         // tables the game keeps; 0 when it sets no limit
    NameRule keyRule;
    NameRule tableRule;
    const char *numbering = "western"; // the character numbering its files open in
    // Where the game's Western European font of this format draws "¡".
    quint16 invertedExclamation = 0x5E;
};

class GxtFormat
{
public:
    explicit GxtFormat(const FormatTraits &traits);
    virtual ~GxtFormat();
    GxtFormat(const GxtFormat &) = delete;
    GxtFormat &operator=(const GxtFormat &) = delete;

    const FormatTraits &traits() const { return m_traits; }
    QString id() const { return QString::fromLatin1(m_traits.id); }
    QString title() const { return QString::fromLatin1(m_traits.title); }
    KeyKind keyKind() const { return m_traits.keys; }
    bool storesHashes() const { return m_traits.keys == KeyKind::Hash; }
    bool hasTables() const { return m_traits.hasTables; }
    bool takesBits(int bits) const
    {
        if (m_traits.encoding == TextEncoding::Utf8)
            return bits == 8;
        return bits == 16 || (bits == 8 && m_traits.takes8BitTexts);
    }
    // The width of a new document's texts.
    int defaultBits() const { return m_traits.encoding == TextEncoding::Utf8 ? 8 : 16; }
    // The widest unit a document's texts hold: a glyph number of `bits`, or any UTF-16 unit.
    char16_t widestUnit(int bits) const
    {
        return m_traits.encoding == TextEncoding::Glyphs && bits == 8 ? 0xFF : 0xFFFF;
    }
    QString layoutWord() const { return QString::fromLatin1(m_traits.layout); }
    // The game whose files these are, told by `hash` where the bytes cannot tell.
    QString game(const KeyHash *hash) const;
    // The format of the text forms' layout word and flags; null for none.
    static const GxtFormat *byLayout(const QString &layout, bool single, bool bigEndian);
    const NameRule &keyRule() const { return m_traits.keyRule; }
    const NameRule &tableRule() const { return m_traits.tableRule; }

    // Whether a file's first bytes (up to 8) announce this format.
    virtual bool recognises(QByteArrayView head) const = 0;
    // Whether a file that no format recognises may still be of this one: true for a format
    // whose first tag is never read.
    virtual bool readsUntagged() const { return false; }

    // The whole file. On failure `out` may hold anything; the caller empties it.
    virtual Result read(ByteSource &source, RawDocument &out, ReadContext &context) const = 0;
    // The whole file as the game ships this format: tables in tableOrder(), keys in
    // entryOrder(), texts one after another with fresh offsets and exact sizes. Everything is
    // checked and measured before a byte is made: a refused document writes nothing, and
    // nothing is copied before the refusal.
    virtual Result write(int bits, const std::vector<const RawTable *> &tables, QByteArray &out,
                         FileProgress &progress) const = 0;

    // The record of one entry in a table block, for the readers and writers of formats that
    // share the TKEY/TDAT block.
    virtual void readRecord(const char *record, StringEntry &entry, qint64 &textOffset) const = 0;
    virtual void writeRecord(char *record, const StringEntry &entry, qint64 textOffset) const = 0;

    // Why a text of these units cannot be stored in this format, beyond what every format
    // refuses (a unit 0, one wider than the texts); empty when it can.
    virtual QString unstorableText(QStringView units) const;

    // The order the game searches a table's keys in.
    virtual bool keyLess(const StringEntry &a, const StringEntry &b) const = 0;
    // Where each entry goes when written: keys in keyLess order, equal keys as they were.
    virtual std::vector<int> entryOrder(const std::vector<StringEntry> &entries) const;
    // Where each table goes: MAIN first, then the others by name, in a format of tables.
    std::vector<int> tableOrder(const std::vector<const RawTable *> &tables) const;

    // A key as a message names it without any names known: its name, or its hash's text.
    QString keyText(const StringEntry &entry) const;

    static const std::vector<const GxtFormat *> &all();
    static const GxtFormat *byId(const QString &id);
    // The format the first bytes of a file announce; null for none Quillet knows. Eight
    // bytes decide every case; fewer may be too few.
    static const GxtFormat *detect(QByteArrayView head);
    // The format of a new document: a flat table.
    static const GxtFormat &untitled();

private:
    FormatTraits m_traits;
};

// The name of the table that every file of tables lists first.
inline QString mainTableName()
{
    return QStringLiteral("MAIN");
}
inline RawName mainTableRawName()
{
    return RawName::fromBytes("MAIN");
}

} // namespace quillet
