// Writes the fuzzer's seed corpus into the folder given as the only argument: sound tables
// made by our own writer, layouts only other tools make (shared, overlapping and
// out-of-order texts, odd name fields, high bytes in units), damaged files and files of
// the later variants. Every seed is made here, so no outside file ever enters the corpus.
#include "gxtbytes.h"
#include "variantfiles.h"

#include "gxtfile.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <vector>

using namespace quillet;
using gxtbytes::Record;

namespace {

int failures = 0;

void put(const QDir &dir, const char *name, const QByteArray &bytes)
{
    QFile file(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".gxt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "gxt_seed_corpus: %s: %s\n", qPrintable(file.fileName()), qPrintable(file.errorString()));
        ++failures;
    }
}

QByteArray written(const std::vector<StringEntry> &rows)
{
    GxtWriter writer;
    QByteArray out;
    if (!writer.build(rows, out)) {
        std::fprintf(stderr, "gxt_seed_corpus: the writer refused a seed: %s\n", qPrintable(writer.errorString()));
        ++failures;
    }
    return out;
}

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
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

    // Sound tables, as the writer makes them.
    put(dir, "empty", written({}));
    put(dir, "two_entries", written({{s("A1"), s("Hi")}, {s("B"), s("")}}));
    put(dir, "colour_codes",
        written({{s("INTRO"), s("~r~Stop ~w~right ~g~there!")},
                 {s("HELP_01"), s("Press ~k~ to jump")},
                 {s("EMPTY"), s("")}}));
    put(dir, "full_names", written({{s("ABCDEFGH"), s("eight")}, {s("A B"), s("inner space")}, {s("_"), s("x")}}));
    put(dir, "code_page",
        written({{s("EURO"), s("5 €, naïve, ½, ÿ")}, {s("CTRL"), s("\x01\t\x7f")}, {s("É"), s("“quotes”")}}));
    put(dir, "repeated_names", written({{s("SAME"), s("first")}, {s("SAME"), s("second")}, {s("same"), s("lower")}}));
    std::vector<StringEntry> many;
    for (int i = 0; i < 120; ++i)
        many.push_back({QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0')), QString(i % 17, QLatin1Char('a' + i % 26))});
    put(dir, "progress_steps", written(many));

    // Layouts of other tools: the reader accepts them, the writer never makes them.
    const QByteArray hi = gxtbytes::text("Hi");
    put(dir, "shared_offsets", gxtbytes::file({{0, "A"}, {0, "B"}, {6, "C"}}, hi + gxtbytes::text("Yo")));
    put(dir, "out_of_order", gxtbytes::file({{6, "ZED"}, {0, "ALPHA"}}, hi + gxtbytes::text("Yo")));
    put(dir, "overlapping", gxtbytes::file({{0, "WHOLE"}, {4, "TAIL"}}, gxtbytes::text("Hello")));
    put(dir, "gaps_and_trailer", gxtbytes::file({{4, "A"}}, QByteArray("gap!") + hi + "trailing bytes"));
    put(dir, "odd_name_fields",
        gxtbytes::file({{0, QByteArray("\0A\0B\0\0\0\0", 8)}, {0, "  AB    "}, {0, QByteArray("AB\0CD\0\0\0", 8)}}, hi));
    put(dir, "high_bytes", gxtbytes::file({{0, "HIGH"}}, QByteArray("A\x01" "B\xff" "\0\x01" "C\0" "\0\0", 10)));
    put(dir, "other_tags", "ABCD" + gxtbytes::int32(12) + gxtbytes::int32(0) + "NAME\0\0\0\0" + "XXXX"
                                + gxtbytes::int32(0) + QByteArray(2, '\0'));

    // Damaged files.
    put(dir, "truncated_header", QByteArray("TKEY\x0c\0", 6));
    put(dir, "key_size_odd", gxtbytes::file({{0, "A"}}, hi, 13));
    put(dir, "key_size_negative", gxtbytes::file({{0, "A"}}, hi, -12));
    put(dir, "key_size_huge", gxtbytes::file({{0, "A"}}, hi, 0x7ffffff8));
    put(dir, "offset_negative", gxtbytes::file({{0, "A"}, {-2, "B"}}, hi));
    put(dir, "offset_past_end", gxtbytes::file({{0, "A"}, {0x7ffffffe, "B"}}, hi));
    put(dir, "no_terminator", gxtbytes::file({{0, "A"}}, QByteArray("H\0i\0", 4)));
    put(dir, "odd_last_byte", gxtbytes::file({{0, "A"}}, QByteArray("H\0\0", 3)));
    put(dir, "no_text_block", "TKEY" + gxtbytes::int32(12) + gxtbytes::int32(0) + "NAME0000");

    // Later variants.
    const auto tables = variantfiles::sampleTables();
    put(dir, "variant_tabl_first", variantfiles::tableOfTables(tables, false));
    put(dir, "variant_versioned_8bit", variantfiles::tableOfTables(tables, true, 8));
    put(dir, "variant_versioned_16bit", variantfiles::tableOfTables(tables, true, 16));

    return failures == 0 ? 0 : 1;
}
