// Writes the fuzzer's seed corpus into the folder given as the only argument: sound files of
// all three layouts made by our own writer, layouts only other tools and the game's own
// files have (shared, overlapping and out-of-order texts, padding inside and outside a
// table's texts, blocks at odd offsets, odd name fields, every kind of unit), and damaged
// files. Every seed is made here, so no outside file ever enters the corpus.
#include "gxtbytes.h"
#include "layoutbytes.h"
#include "variantfiles.h"

#include "characternumbering.h"
#include "entryrules.h"
#include "gxtformat.h"
#include "rawgxt.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <vector>

using namespace quillet;
using layoutbytes::Shape;

namespace {

int failures = 0;

void put(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name + QStringLiteral(".gxt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "gxt_seed_corpus: %s: %s\n", qPrintable(file.fileName()), qPrintable(file.errorString()));
        ++failures;
    }
}

void put(const QDir &dir, const char *name, const QByteArray &bytes)
{
    put(dir, QString::fromLatin1(name), bytes);
}

QByteArray written(const RawDocument &raw)
{
    QByteArray out;
    const Result result = writeGxt(raw, out);
    if (!result) {
        std::fprintf(stderr, "gxt_seed_corpus: the writer refused a seed: %s\n", qPrintable(result.errorString()));
        ++failures;
    }
    return out;
}

const GxtFormat &format(const char *id)
{
    return *GxtFormat::byId(QString::fromLatin1(id));
}

// A flat table of (name, value) rows typed in Windows-1252, as the editor saves it.
QByteArray writtenFlat(const std::vector<std::pair<QString, QString>> &rows)
{
    RawDocument raw;
    raw.format = &format("flat");
    raw.tables.push_back({mainTableRawName(), {}});
    const EntryRules rules(*raw.format, 16, *CharacterNumbering::windows1252());
    for (const auto &[name, value] : rows) {
        StringEntry entry;
        const Result result = rules.encode(name, value, entry);
        if (!result) {
            std::fprintf(stderr, "gxt_seed_corpus: a seed does not encode: %s\n", qPrintable(result.errorString()));
            ++failures;
        }
        raw.tables.front().entries.push_back(entry);
    }
    return written(raw);
}

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString units(std::initializer_list<char16_t> list)
{
    QString out;
    for (char16_t u : list)
        out += QChar(u);
    return out;
}

// The sample tables, with texts that repeat, units of the game's Western letters, and units
// no numbering shows, as real tables have.
QList<variantfiles::Table> richTables(int bits)
{
    QList<variantfiles::Table> tables = variantfiles::sampleTables();
    tables[0].entries.append({"REPEAT", QStringLiteral("~r~Stop!")});
    tables[0].entries.append({"ACCENT", units({u'd', 0x9D, u'r', 0x5E, 0xAD, 0xB1})});
    tables[0].entries.append({"WIDE", bits == 8 ? units({0xFF, 0x01, 0x7F}) : units({0xE780, 0x27E8, 0xFFFF, 0xD800})});
    tables[2].entries.append({"M2_02", QStringLiteral("Collect the package.")});
    return tables;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gxt_seed_corpus FOLDER\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "gxt_seed_corpus: cannot make %s\n", argv[1]);
        return 1;
    }

    // Flat: sound tables, as the writer makes them.
    put(dir, "empty", writtenFlat({}));
    put(dir, "two_entries", writtenFlat({{s("A1"), s("Hi")}, {s("B"), s("")}}));
    put(dir, "colour_codes",
        writtenFlat({{s("INTRO"), s("~r~Stop ~w~right ~g~there!")},
                     {s("HELP_01"), s("Press ~k~ to jump")},
                     {s("EMPTY"), s("")}}));
    put(dir, "full_names", writtenFlat({{s("ABCDEFGH"), s("eight")}, {s("A B"), s("inner space")}, {s("_"), s("x")}}));
    put(dir, "code_page",
        writtenFlat({{s("EURO"), s("5 €, naïve, ½, ÿ")}, {s("CTRL"), s("\x01\t\x7f")}, {s("É"), s("“quotes”")}}));
    put(dir, "repeated_names", writtenFlat({{s("SAME"), s("first")}, {s("SAME"), s("second")}, {s("same"), s("lower")}}));
    std::vector<std::pair<QString, QString>> many;
    for (int i = 0; i < 120; ++i)
        many.push_back({QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0')), QString(i % 17, QLatin1Char(char('a' + i % 26)))});
    put(dir, "progress_steps", writtenFlat(many));

    // Flat: layouts of other tools, which the reader accepts and the writer never makes.
    const QByteArray hi = gxtbytes::text("Hi");
    put(dir, "shared_offsets", gxtbytes::file({{0, "A"}, {0, "B"}, {6, "C"}}, hi + gxtbytes::text("Yo")));
    put(dir, "out_of_order", gxtbytes::file({{6, "ZED"}, {0, "ALPHA"}}, hi + gxtbytes::text("Yo")));
    put(dir, "overlapping", gxtbytes::file({{0, "WHOLE"}, {4, "TAIL"}}, gxtbytes::text("Hello")));
    put(dir, "gaps_and_trailer", gxtbytes::file({{4, "A"}}, QByteArray("gap!") + hi + "trailing bytes"));
    put(dir, "odd_name_fields",
        gxtbytes::file({{0, QByteArray("\0A\0B\0\0\0\0", 8)}, {0, "  AB    "}, {0, QByteArray("AB\0CD\0\0\0", 8)}}, hi));
    put(dir, "high_units", gxtbytes::file({{0, "HIGH"}}, QByteArray("A\x01" "B\xff" "\0\x01" "C\0" "\0\0", 10)));
    put(dir, "other_tags", "ABCD" + gxtbytes::int32(12) + gxtbytes::int32(0) + "NAME\0\0\0\0" + "XXXX"
                                + gxtbytes::int32(0) + QByteArray(2, '\0'));

    // Flat: damaged files.
    put(dir, "truncated_header", QByteArray("TKEY\x0c\0", 6));
    put(dir, "key_size_odd", gxtbytes::file({{0, "A"}}, hi, 13));
    put(dir, "key_size_negative", gxtbytes::file({{0, "A"}}, hi, -12));
    put(dir, "key_size_huge", gxtbytes::file({{0, "A"}}, hi, 0x7ffffff8));
    put(dir, "offset_negative", gxtbytes::file({{0, "A"}, {-2, "B"}}, hi));
    put(dir, "offset_past_end", gxtbytes::file({{0, "A"}, {0x7ffffffe, "B"}}, hi));
    put(dir, "no_terminator", gxtbytes::file({{0, "A"}}, QByteArray("H\0i\0", 4)));
    put(dir, "odd_last_byte", gxtbytes::file({{0, "A"}}, QByteArray("H\0\0", 3)));
    put(dir, "no_text_block", "TKEY" + gxtbytes::int32(12) + gxtbytes::int32(0) + "NAME0000");

    // Tables: each layout as the writer makes it, and as the game's files and other tools
    // lay it out.
    const struct {
        const char *name;
        const GxtFormat &format;
        int bits;
    } layouts[] = {{"tabled", format("tabled"), 16}, {"hashed16", format("hashed"), 16}, {"hashed8", format("hashed"), 8}};
    const struct {
        const char *name;
        Shape shape;
    } shapes[] = {
        {"texts_reversed", {true, false, 0, 4, 0, false, {}}},
        {"shared_texts", {false, true, 0, 4, 0, false, {}}},
        {"padding_inside", {false, false, 3, 4, 0, false, {}}},
        {"odd_offsets", {false, false, 0, 1, 3, false, {}}},
        {"blocks_reversed", {true, true, 2, 4, 0, true, "trailing"}},
    };
    for (const auto &l : layouts) {
        const QString prefix = QString::fromLatin1(l.name) + u'_';
        const RawDocument rich = variantfiles::document(richTables(l.bits), l.format, l.bits);
        put(dir, prefix + QStringLiteral("written"), written(rich));
        put(dir, prefix + QStringLiteral("main_only"), written(variantfiles::document(richTables(l.bits).first(1), l.format, l.bits)));
        put(dir, prefix + QStringLiteral("record_order"), layoutbytes::build(layoutbytes::fromRaw(rich)));
        for (const auto &shaped : shapes)
            put(dir, prefix + QString::fromLatin1(shaped.name), layoutbytes::build(layoutbytes::fromRaw(inWriterOrder(rich), shaped.shape)));

        layoutbytes::File file = layoutbytes::fromRaw(rich);
        layoutbytes::File renamed = file;
        renamed.tables[1].blockName = QByteArray("OTHER");
        put(dir, prefix + QStringLiteral("block_named_otherwise"), layoutbytes::build(renamed));
        layoutbytes::File overlapping = file;
        overlapping.tables[1].records[1].offset = overlapping.tables[1].records[0].offset + l.bits / 8 * 3;
        put(dir, prefix + QStringLiteral("overlapping"), layoutbytes::build(overlapping));

        // Damage.
        layoutbytes::File damaged = file;
        damaged.tablSize = 13;
        put(dir, prefix + QStringLiteral("tabl_size_odd"), layoutbytes::build(damaged));
        damaged = file;
        // Records for as many tables as the file holds bytes, less than a block for each.
        damaged.tablSize = 12 * (layoutbytes::build(file).size() / 20);
        put(dir, prefix + QStringLiteral("too_many_tables"), layoutbytes::build(damaged));
        damaged = file;
        damaged.tables[2].offset = 0xFFFFFFF0;
        put(dir, prefix + QStringLiteral("table_past_end"), layoutbytes::build(damaged));
        damaged = file;
        damaged.tables[1].offset = 8;
        put(dir, prefix + QStringLiteral("table_into_tabl"), layoutbytes::build(damaged));
        damaged = file;
        damaged.tables[0].keySize = damaged.recordSize() + 1;
        put(dir, prefix + QStringLiteral("key_size_odd"), layoutbytes::build(damaged));
        damaged = file;
        damaged.tables[1].dataSize = 0x7fffffff;
        put(dir, prefix + QStringLiteral("data_size_huge"), layoutbytes::build(damaged));
        damaged = file;
        damaged.tables[0].data.chop(l.bits / 8);
        put(dir, prefix + QStringLiteral("no_terminator"), layoutbytes::build(damaged));
        damaged = file;
        std::swap(damaged.tables[0].name, damaged.tables[1].name);
        put(dir, prefix + QStringLiteral("no_main_first"), layoutbytes::build(damaged));
        damaged = file;
        damaged.tables.clear();
        put(dir, prefix + QStringLiteral("no_tables"), layoutbytes::build(damaged));
    }
    layoutbytes::File header = layoutbytes::fromRaw(variantfiles::document(variantfiles::sampleTables(), format("hashed"), 8));
    header.bits = 7;
    put(dir, "hashed_bits_7", layoutbytes::build(header));
    header.bits = 16;
    header.version = 3;
    put(dir, "hashed_version_3", layoutbytes::build(header));

    // More tables than the hashed game keeps: the reader takes them, and so must the writer.
    QList<variantfiles::Table> crowd{{"MAIN", {{"YES", QStringLiteral("Yes")}}}};
    for (int t = 0; t < format("hashed").traits().gameMaxTables + 1; ++t)
        crowd.append({QByteArray("T") + QByteArray::number(t), {}});
    put(dir, "hashed_many_tables", written(variantfiles::document(crowd, format("hashed"), 8)));

    return failures == 0 ? 0 : 1;
}
