#pragma once

// A real-shaped pair of tables, made up for the translator's workbench: an English table and
// a translation of it, as a translator's work in progress looks. Several tables (MAIN first,
// the others by name); entries in the order the game searches them; texts with colour codes,
// placeholders, button prompts and line breaks, accented letters, a line-break unit and
// glyph numbers no Western numbering shows. The translation has most entries translated
// (codes kept in order), some untranslated (the very English units), some missing, some
// extra, some with codes changed, a table it lacks and a table of its own.
//
// Every state is decided here by construction and recorded, never found by the code under
// test: `states` and `counts` are what the status, lint and the exchanges must agree with.
// bytesOf() lays a document out as real files are, texts out of key order and shared.
//
//   const translationpair::Pair pair = translationpair::make({"hashed", 16});
//   pair.english, pair.translation         RawDocuments of the same format
//   pair.states.value("MAIN/E00_004")       TranslationState of that entry
#include "gxtformat.h"
#include "keyhash.h"
#include "layoutbytes.h"
#include "rawgxt.h"
#include "textcodes.h"
#include "translationstatus.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace translationpair {

struct Options {
    QString format = QStringLiteral("tabled"); // a format's id
    int bits = 16;
    int tables = 6;            // of the English file, MAIN included (1 for a file of one table)
    int entriesPerTable = 120;
    unsigned seed = 7;
    // The hash of a hashed format's keys; the format's own when null.
    const quillet::KeyHash *hash = nullptr;
};

struct Pair {
    quillet::RawDocument english;
    quillet::RawDocument translation;
    // By the translation's "TABLE/KEY" (the key's name, even where the file stores a hash),
    // the state of every entry of the translation and of every entry it lacks.
    QHash<QString, quillet::TranslationState> states;
    quillet::TranslationCounts counts;
};

// A small deterministic generator, the same on every platform.
class Random
{
public:
    explicit Random(unsigned seed)
        : m_state(seed * 2654435761u + 1)
    {
    }
    unsigned next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return int(next() % unsigned(n)); }

private:
    unsigned m_state;
};

// The English words, and the made-up language the translation is in: every word differs
// from its English one, so a translated text never equals its original by chance.
inline const QStringList &englishWords()
{
    static const QStringList words{QStringLiteral("the"),   QStringLiteral("weapon"), QStringLiteral("car"),
                                   QStringLiteral("mission"), QStringLiteral("passed"), QStringLiteral("press"),
                                   QStringLiteral("to"),    QStringLiteral("enter"),  QStringLiteral("money"),
                                   QStringLiteral("police"), QStringLiteral("drive"), QStringLiteral("safe"),
                                   QStringLiteral("house"), QStringLiteral("gang"),   QStringLiteral("respect")};
    return words;
}
inline QString translatedWord(const QString &english)
{
    QString word = english;
    std::reverse(word.begin(), word.end());
    return word + QStringLiteral("o");
}

// Units of one English text: words, now and then a code, an accented glyph, a line-break
// unit or a glyph no Western numbering shows.
inline QString englishText(Random &random, const quillet::GxtFormat &format, int bits)
{
    const bool unicode = format.traits().encoding == quillet::TextEncoding::Utf8 || format.traits().hash == &quillet::KeyHash::oneAtATime();
    static const QStringList codes{QStringLiteral("~r~"), QStringLiteral("~g~"), QStringLiteral("~w~"), QStringLiteral("~1~"),
                                   QStringLiteral("~a~"), QStringLiteral("~n~"), QStringLiteral("~s~")};
    QString text;
    const int words = 1 + random.below(9);
    for (int w = 0; w < words; ++w) {
        if (w > 0)
            text += u' ';
        const int roll = random.below(40);
        if (roll < 4)
            text += codes[random.below(int(codes.size()))];
        else if (roll == 4)
            text += QStringLiteral("~k~~PED_FIREWEAPON~");
        if (roll == 5) // "É": the early games' font has it at 0x87, the later games' Unicode
            text += QChar(char16_t(unicode ? 0xC9 : 0x87));
        if (roll == 6 && w > 0)
            text += QChar(char16_t(0x0A));
        if (roll == 7) // a glyph of an Asian font, or a byte the fifth game's UTF-8 lacked
            text += QChar(char16_t(unicode ? 0xDC8F : (bits == 8 ? 0xC5 : 0x0950)));
        text += englishWords()[random.below(int(englishWords().size()))];
    }
    return text;
}

// The translation of `english`: every word between the codes translated, the codes kept.
inline QString translate(const QString &english)
{
    QString out;
    QString word;
    auto flush = [&] {
        if (word.isEmpty())
            return;
        out += englishWords().contains(word) ? translatedWord(word) : word;
        word.clear();
    };
    for (qsizetype i = 0; i < english.size();) {
        const qsizetype code = quillet::TextCodes::codeAt(english, i);
        if (code > 0) {
            flush();
            out += english.sliced(i, code);
            i += code;
            continue;
        }
        const QChar c = english[i++];
        if (c >= u'a' && c <= u'z') {
            word += c;
        } else {
            flush();
            out += c;
        }
    }
    flush();
    return out;
}

// The same translation with its codes changed: its first code other than a line break
// dropped, or where it has none a colour added.
inline QString withCodesChanged(const QString &translated)
{
    for (qsizetype i = 0; i < translated.size(); ++i) {
        const qsizetype code = quillet::TextCodes::codeAt(translated, i);
        if (code == 0)
            continue;
        if (translated.sliced(i, code) != u"~n~")
            return translated.first(i) + translated.sliced(i + code);
        i += code - 1;
    }
    return QStringLiteral("~y~") + translated;
}

inline quillet::StringEntry keyed(const quillet::GxtFormat &format, const quillet::KeyHash *hash, const QString &name)
{
    quillet::StringEntry entry;
    if (format.storesHashes())
        entry.hash = (*hash)(name.toLatin1());
    else
        entry.name = quillet::RawName::fromBytes(name.toLatin1());
    return entry;
}

inline void sortForTheGame(const quillet::GxtFormat &format, std::vector<quillet::StringEntry> &entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const quillet::StringEntry &a, const quillet::StringEntry &b) { return format.keyLess(a, b); });
}

inline Pair make(const Options &options)
{
    using quillet::TranslationState;
    const quillet::GxtFormat &format = *quillet::GxtFormat::byId(options.format);
    const quillet::KeyHash *hash = format.storesHashes() ? (options.hash ? options.hash : format.traits().hash) : nullptr;
    const int tables = format.hasTables() ? std::max(2, options.tables) : 1;
    Random random(options.seed);
    Pair pair;
    for (quillet::RawDocument *document : {&pair.english, &pair.translation}) {
        document->format = &format;
        document->bits = options.bits;
        document->hash = hash;
    }
    auto tableName = [](int t) { return t == 0 ? QStringLiteral("MAIN") : QStringLiteral("TB%1").arg(t, 3, 10, QChar(u'0')); };
    auto record = [&](const QString &table, const QString &key, TranslationState state) {
        pair.states.insert(format.hasTables() ? table + u'/' + key : key, state);
        pair.counts.add(state);
    };
    for (int t = 0; t < tables; ++t) {
        quillet::RawTable english;
        quillet::RawTable translation;
        english.name = translation.name = quillet::RawName::fromBytes(tableName(t).toLatin1());
        // The last table is one the translation has not started: every entry of it missing.
        const bool tableMissing = format.hasTables() && t == tables - 1;
        for (int i = 0; i < options.entriesPerTable; ++i) {
            const QString key = QStringLiteral("E%1_%2").arg(t, 2, 10, QChar(u'0')).arg(i, 3, 10, QChar(u'0'));
            quillet::StringEntry original = keyed(format, hash, key);
            original.units = englishText(random, format, options.bits);
            english.entries.push_back(original);
            const int roll = random.below(100);
            if (tableMissing || roll < 6) {
                record(tableName(t), key, TranslationState::Missing);
                continue;
            }
            quillet::StringEntry translated = original;
            TranslationState state = TranslationState::Translated;
            if (roll < 18) {
                state = TranslationState::Untranslated;
            } else if (roll < 24) {
                translated.units = withCodesChanged(translate(original.units));
                state = TranslationState::CodesDiffer;
            } else {
                translated.units = translate(original.units);
            }
            record(tableName(t), key, state);
            translation.entries.push_back(translated);
            if (roll >= 97) { // an entry of the translator's own beside it
                const QString extraKey = QStringLiteral("X%1_%2").arg(t, 2, 10, QChar(u'0')).arg(i, 3, 10, QChar(u'0'));
                quillet::StringEntry extra = keyed(format, hash, extraKey);
                extra.units = translate(englishText(random, format, options.bits));
                record(tableName(t), extraKey, TranslationState::Extra);
                translation.entries.push_back(extra);
            }
        }
        sortForTheGame(format, english.entries);
        sortForTheGame(format, translation.entries);
        pair.english.tables.push_back(std::move(english));
        if (!tableMissing)
            pair.translation.tables.push_back(std::move(translation));
    }
    if (format.hasTables()) { // a table of the translator's own, after the others by name
        quillet::RawTable own;
        own.name = quillet::RawName::fromBytes("ZOWN");
        for (int i = 0; i < 5; ++i) {
            const QString key = QStringLiteral("ZOWN_%1").arg(i);
            quillet::StringEntry extra = keyed(format, hash, key);
            extra.units = translate(englishText(random, format, options.bits));
            own.entries.push_back(extra);
            record(QStringLiteral("ZOWN"), key, TranslationState::Extra);
        }
        sortForTheGame(format, own.entries);
        pair.translation.tables.push_back(std::move(own));
    }
    return pair;
}

// A document's bytes as real files lay them out: texts in the reverse order of their keys,
// equal texts stored once.
inline QByteArray bytesOf(const quillet::RawDocument &document)
{
    layoutbytes::Shape shape;
    shape.textsReversed = true;
    shape.shareTexts = true;
    return layoutbytes::build(layoutbytes::fromRaw(document, shape));
}

} // namespace translationpair
