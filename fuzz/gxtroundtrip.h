#pragma once

// The promise the reader, the writer and the document make about any bytes at all, checked
// in one place for the fuzzer and the test suite's sweeps.
//
// 1. readGxt either refuses with a non-empty reason and leaves its document empty, or gives
//    a RawDocument R. A reason that names an entry of a file of tables names its table too.
// 2. R is what the layout can hold: flat files give one table named MAIN, files of tables
//    give MAIN first; 8-bit texts only in the hashed layout; no table over 32766 entries; no
//    unit 0 in a text (it ends the text); no unit over 0xFF in an 8-bit file; no flat key
//    with a space at either end (the flat reader drops zero bytes and surrounding spaces
//    from a key field, so a key is clean after one read).
// 3. writeGxt(R) refuses only what the layout cannot hold, and for R that is two things: a
//    file past 2^31 - 1 bytes, and a text longer than 32766 units, which the refusal names
//    (table and entry, the first in file order). Shared texts make the first possible from
//    a small file, since the writer gives every entry its own copy of its text; it is refused
//    from the sizes alone, before the writer looks at a unit. The size is worked out here
//    from the layout (headers, records, texts with their terminators, blocks and the file's
//    end on a 4-byte boundary in files of tables), and a refusal must come exactly when it
//    is too large; a file written must have exactly that size. Its progress never passes its
//    maximum, nor does the reader's.
// 4. readGxt(W) of the written bytes W gives back inWriterOrder(R) exactly: every unit, key,
//    hash and table name, tables MAIN first and then by name, entries in the order the
//    game searches them, equal keys in R's order. It gives no warning (the writer repeats a
//    table's own name in its block), verifyGxt agrees, and writeGxt of it gives W again
//    byte for byte (a fixed point). What legitimately differs between the input and W is
//    only what no reader keeps: record and table order, where texts stand and whether they
//    are shared or overlap, padding, gaps and trailing bytes, and a block's repeated name.
// 5. As a user reads it: a document that takes R gives R back (toRaw), every entry with an
//    identity of its own; and every key and text, shown through EntryRules and typed back,
//    is the very key and units it was shown from. The numberings: the format's own, and one
//    of windows-1252 and the game's Western numbering of either kind, taken by the input's
//    length; names are known for some hashes. A unit that a numbering cannot show is an
//    escape that encodes back to that very unit, and a hashed key shows as its hash, or as
//    a known name that hashes back to it. EntryRules refuses exactly one thing the reader
//    can give: a text longer than 32766 units. Nothing else it refuses can come from the
//    reader: flat keys with a space at either end are gone after the read, every name byte
//    has a Windows-1252 character, and every unit of an 8-bit file fits.
//
// Points 3 to 5 are skipped for an input whose written file would pass `writeBudget` bytes
// (32 MiB unless the caller says otherwise): the fuzzer stops at any allocation over 64 MB,
// shared texts let a few kilobytes ask for far more, and showing every entry costs as much
// as writing it. The refusal past 2^31 - 1 bytes is checked whatever the budget, since it
// allocates nothing.
#include "characternumbering.h"
#include "codepage.h"
#include "entryrules.h"
#include "gxtdocument.h"
#include "gxtdocumentfile.h"
#include "gxtformat.h"
#include "keynames.h"
#include "rawgxt.h"
#include "stringtable.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace gxtroundtrip {

using namespace quillet;

inline constexpr qint64 DefaultWriteBudget = qint64(32) << 20;

// Hooks that check the progress contract: the value never passes the maximum, and nothing
// advances before a maximum is set.
struct ProgressCheck {
    double maximum = -1;
    double value = 0;
    bool broken = false;
    FileOperationHooks hooks()
    {
        FileOperationHooks h;
        h.setProgressMaximum = [this](double m) {
            maximum = m;
            value = 0;
        };
        h.advance = [this](double by) {
            value += by;
            broken = broken || by < 0 || maximum < 0 || value > maximum;
        };
        h.resetProgress = [this] { value = 0; };
        return h;
    }
};

// The bytes the writer must make of `document`, as the layout lays them out.
inline qint64 writtenSize(const RawDocument &document)
{
    const QString id = document.format->id();
    const bool hashed = id == QLatin1String("hashed");
    const qint64 unitBytes = document.bits / 8;
    const qint64 recordSize = hashed ? 8 : 12;
    auto aligned = [](qint64 p) { return (p + 3) / 4 * 4; };
    auto blockSize = [&](const RawTable &table) {
        qint64 size = 16 + recordSize * qint64(table.entries.size());
        for (const StringEntry &entry : table.entries)
            size += unitBytes * (entry.units.size() + 1);
        return size;
    };
    if (document.tables.empty())
        return 0;
    if (id == QLatin1String("flat"))
        return blockSize(document.tables.front());
    // Blocks in the writer's order, MAIN first and then by name: their alignment depends on it.
    std::vector<const RawTable *> ordered;
    for (const RawTable &table : document.tables)
        ordered.push_back(&table);
    std::stable_sort(ordered.begin() + 1, ordered.end(), [](const RawTable *a, const RawTable *b) { return a->name < b->name; });
    qint64 p = (hashed ? 4 : 0) + 8 + 12 * qint64(ordered.size());
    for (size_t t = 0; t < ordered.size(); ++t)
        p = aligned(p) + (t > 0 ? 8 : 0) + blockSize(*ordered[t]);
    return aligned(p);
}

// Names the game's files use, so that a hashed key can show as a known name too.
inline const KeyNames &sampleKeyNames()
{
    static const KeyNames names = [] {
        KeyNames made;
        for (const char *name : {"INTRO", "FM1_A", "EMPTY", "YES", "NO", "M1_01", "M1_02", "M2_01", "A1", "B", "MAIN"})
            made.add(QString::fromLatin1(name));
        return made;
    }();
    return names;
}

// Where two raw documents first differ, for a finding's message.
inline QString firstDifference(const RawDocument &got, const RawDocument &expected)
{
    if (got.format != expected.format || got.bits != expected.bits || got.hash != expected.hash)
        return QStringLiteral("the format, width or hash");
    if (got.tables.size() != expected.tables.size())
        return QStringLiteral("%1 tables instead of %2").arg(got.tables.size()).arg(expected.tables.size());
    for (size_t t = 0; t < got.tables.size(); ++t) {
        const RawTable &a = got.tables[t];
        const RawTable &b = expected.tables[t];
        if (!(a.name == b.name))
            return QStringLiteral("the name of table %1").arg(t + 1);
        if (a.entries.size() != b.entries.size())
            return QStringLiteral("the entry count of table %1").arg(t + 1);
        for (size_t i = 0; i < a.entries.size(); ++i) {
            if (!a.entries[i].sameContent(b.entries[i]))
                return QStringLiteral("table %1, entry %2").arg(t + 1).arg(i + 1);
        }
    }
    return QStringLiteral("nothing");
}

struct Outcome {
    bool loaded = false;  // the reader accepted the bytes
    bool saved = false;   // and the writer wrote them
    QString readError;    // the reader's reason, when it refused
    RawDocument raw;      // what the reader gave
    QStringList warnings; // the reader's warnings
    QString broken;       // empty, or which promise was broken
};

// What the reader gave, against point 2.
inline QString shapeProblem(const RawDocument &raw)
{
    if (!raw.format)
        return QStringLiteral("a document of no format");
    const bool flat = !raw.format->hasTables();
    if (!raw.format->takesBits(raw.bits))
        return QStringLiteral("a %1 document of %2 bits").arg(raw.format->id()).arg(raw.bits);
    if ((raw.hash != nullptr) != raw.format->storesHashes())
        return QStringLiteral("a %1 document with a hash it does not need, or without one").arg(raw.format->id());
    if (raw.tables.empty() || (flat && raw.tables.size() != 1))
        return QStringLiteral("%1 tables in a %2 document").arg(raw.tables.size()).arg(raw.format->id());
    if (!(raw.tables.front().name == mainTableRawName()))
        return QStringLiteral("the first table is not MAIN");
    const char16_t widest = raw.bits == 8 ? 0xFF : 0xFFFF;
    for (const RawTable &table : raw.tables) {
        if (table.entries.size() > size_t(raw.format->traits().maxEntries))
            return QStringLiteral("a table of %1 entries").arg(table.entries.size());
        for (const StringEntry &entry : table.entries) {
            if (entry.id != 0)
                return QStringLiteral("an entry read from a file has an identity");
            for (QChar unit : entry.units) {
                if (unit.unicode() == 0 || unit.unicode() > widest)
                    return QStringLiteral("a text holds the unit %1").arg(unit.unicode());
            }
            const QByteArrayView key = entry.name.bytes();
            if (flat && !key.isEmpty() && (key.front() == ' ' || key.back() == ' '))
                return QStringLiteral("a flat key kept a surrounding space");
        }
    }
    return {};
}

// The first text in file order over the format's longest, as messages name it; empty for none.
inline QString firstTooLong(const RawDocument &raw)
{
    const int longest = raw.format->traits().maxValueLength;
    for (const RawTable &table : raw.tables) {
        for (size_t i = 0; i < table.entries.size(); ++i) {
            if (table.entries[i].units.size() > longest)
                return describeEntry(*raw.format, nameFromBytes(table.name.bytes()), int(i + 1),
                                     raw.format->keyText(table.entries[i]));
        }
    }
    return {};
}

// Point 5 for one numbering.
inline QString documentProblem(const RawDocument &raw, const CharacterNumbering &numbering, const KeyNames &names)
{
    auto in = [&numbering] { return QStringLiteral(" (numbering %1)").arg(numbering.name()); };
    const EntryRules rules = EntryRules::of(raw, numbering, &names);
    const int longest = raw.format->traits().maxValueLength;
    for (size_t t = 0; t < raw.tables.size(); ++t) {
        const RawTable &table = raw.tables[t];
        for (size_t i = 0; i < table.entries.size(); ++i) {
            const StringEntry &entry = table.entries[i];
            const QString where = QStringLiteral("table %1, entry %2").arg(t + 1).arg(i + 1);
            StringEntry back;
            const Result typed = rules.encode(rules.keyText(entry), rules.valueText(entry), back);
            if (entry.units.size() > longest) {
                if (typed)
                    return QStringLiteral("a text over %1 units was taken").arg(longest) + in();
                if (!typed.errorString().startsWith(QStringLiteral("the value has ")))
                    return QStringLiteral("a text over the limit was refused as: ") + typed.errorString() + in();
                continue;
            }
            if (!typed)
                return QStringLiteral("%1 as shown was refused: %2").arg(where, typed.errorString()) + in();
            if (!back.sameContent(entry))
                return QStringLiteral("%1 shown and typed back changed").arg(where) + in();
        }
    }
    return {};
}

// Point 5 through a document.
inline QString modelProblem(const RawDocument &raw)
{
    GxtDocument document;
    RawDocument copy = raw;
    document.assign(std::move(copy));
    QSet<EntryId> ids;
    for (int t = 0; t < document.tableCount(); ++t) {
        for (const StringEntry &entry : document.table(t)->entries()) {
            if (entry.id == 0 || ids.contains(entry.id))
                return QStringLiteral("a document gave an entry no identity, or one twice");
            ids.insert(entry.id);
        }
    }
    if (!(document.toRaw() == raw))
        return QStringLiteral("a document changed %1").arg(firstDifference(document.toRaw(), raw));
    return {};
}

inline Outcome check(QByteArrayView input, qint64 writeBudget = DefaultWriteBudget, const KeyNames &names = sampleKeyNames())
{
    Outcome outcome;
    auto fail = [&](const QString &what) {
        outcome.broken = what;
        return outcome;
    };

    // 1. The read.
    RawDocument &raw = outcome.raw;
    ProgressCheck readProgress;
    const Result read = readGxt(input, raw, readProgress.hooks());
    outcome.warnings = read.warnings();
    if (!read) {
        outcome.readError = read.errorString();
        if (outcome.readError.isEmpty())
            return fail(QStringLiteral("the reader refused without a reason"));
        if (!(raw == RawDocument()))
            return fail(QStringLiteral("the reader refused but left a document"));
        const GxtFormat *format = GxtFormat::detect(input.first(std::min<qsizetype>(input.size(), 8)));
        const bool ofTables = format && format->hasTables();
        if (ofTables && outcome.readError.contains(QStringLiteral("entry ")) && !outcome.readError.startsWith(QStringLiteral("table ")))
            return fail(QStringLiteral("a reason names an entry but not its table: ") + outcome.readError);
        return outcome;
    }
    outcome.loaded = true;
    if (!read.errorString().isEmpty())
        return fail(QStringLiteral("the reader accepted but left an error: ") + read.errorString());
    if (readProgress.broken)
        return fail(QStringLiteral("the load's progress passed its maximum"));

    // 2. What the reader gives.
    const QString shape = shapeProblem(raw);
    if (!shape.isEmpty())
        return fail(QStringLiteral("the reader gave what no file holds: ") + shape);

    // 3. What the writer refuses: a file past 2^31 - 1 bytes, from the sizes alone, and a
    // text past the longest, and nothing else.
    const qint64 size = writtenSize(raw);
    QByteArray written;
    if (size > std::numeric_limits<qint32>::max()) {
        const Result refused = writeGxt(raw, written);
        if (refused)
            return fail(QStringLiteral("the writer wrote a file of %1 bytes").arg(size));
        if (!refused.errorString().contains(QStringLiteral("too large")) || !written.isEmpty())
            return fail(QStringLiteral("the writer refused a file too large otherwise, or left bytes: ") + refused.errorString());
        return outcome;
    }
    if (size > writeBudget)
        return outcome;

    // 5. As a user reads it: in the format's own numbering, and in one of the others, taken
    // by the input's length so that every one has its share of the inputs.
    const std::shared_ptr<const CharacterNumbering> others[] = {CharacterNumbering::windows1252(),
                                                                CharacterNumbering::western(*GxtFormat::byId(QStringLiteral("flat"))),
                                                                CharacterNumbering::western(*GxtFormat::byId(QStringLiteral("tabled")))};
    const std::shared_ptr<const CharacterNumbering> numbering = CharacterNumbering::defaultFor(*raw.format);
    const std::shared_ptr<const CharacterNumbering> &other = others[size_t(input.size()) % 3];
    QString problem = documentProblem(raw, *numbering, names);
    if (problem.isEmpty() && other != numbering)
        problem = documentProblem(raw, *other, names);
    if (problem.isEmpty())
        problem = modelProblem(raw);
    if (!problem.isEmpty())
        return fail(problem);

    // 3. The write.
    ProgressCheck writeProgress;
    const Result wrote = writeGxt(raw, written, writeProgress.hooks());
    const QString tooLong = firstTooLong(raw);
    if (!tooLong.isEmpty()) {
        if (wrote)
            return fail(QStringLiteral("the writer wrote a text over the longest"));
        if (!wrote.errorString().startsWith(tooLong + QStringLiteral(": the value has ")) || !written.isEmpty())
            return fail(QStringLiteral("a text over the longest was refused as: ") + wrote.errorString());
        return outcome;
    }
    if (!wrote)
        return fail(QStringLiteral("the writer refused what the reader gave: ") + wrote.errorString());
    outcome.saved = true;
    if (written.size() != size)
        return fail(QStringLiteral("the writer wrote %1 bytes where the layout takes %2").arg(written.size()).arg(size));
    if (writeProgress.broken)
        return fail(QStringLiteral("the save's progress passed its maximum"));

    // 4. The read back.
    const RawDocument expected = inWriterOrder(raw);
    RawDocument back;
    const Result again = readGxt(written, back);
    if (!again)
        return fail(QStringLiteral("the writer's own file does not read back: ") + again.errorString());
    if (!again.warnings().isEmpty())
        return fail(QStringLiteral("the writer's own file reads with a warning: ") + again.warnings().join(u' '));
    if (!(back == expected))
        return fail(QStringLiteral("a save and a read changed %1").arg(firstDifference(back, expected)));
    const Result verified = verifyGxt(written, expected);
    if (!verified)
        return fail(QStringLiteral("the save's own check refuses the written file: ") + verified.errorString());
    QByteArray rewritten;
    const Result second = writeGxt(back, rewritten);
    if (!second)
        return fail(QStringLiteral("the writer refused its own file's document: ") + second.errorString());
    if (rewritten != written)
        return fail(QStringLiteral("a second save of the same document wrote other bytes"));
    return outcome;
}

} // namespace gxtroundtrip
