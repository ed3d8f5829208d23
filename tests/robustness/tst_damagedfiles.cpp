// Damaged, truncated and hostile files of every layout, and the layouts real files have:
// each either loads or fails with a reason that names the table and the entry, leaves the
// open document alone when it fails, and never makes the reader allocate by what the file
// claims rather than by what it holds. What loads keeps every unit through a load and a
// save.
#include "testfiles.h"
#include "childprocess.h"
#include "gxtbytes.h"
#include "gxtroundtrip.h"
#include "layoutbytes.h"
#include "variantfiles.h"

#include "gxtdocumentfile.h"
#include "stringtable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>

#if defined(__SANITIZE_ADDRESS__)
#define QUILLET_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLET_ASAN 1
#endif
#endif
#ifdef QUILLET_ASAN
#include <atomic>
// From the sanitizer runtime, which both GCC and clang link in; GCC ships no header for them.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void *, size_t),
                                                         void (*onFree)(const volatile void *));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void *pointer);
#endif

using namespace quillet;
using namespace testfiles;
using gxtbytes::Record;
using layoutbytes::Part;
using layoutbytes::Span;

Q_DECLARE_METATYPE(layoutbytes::File)
Q_DECLARE_METATYPE(quillet::RawDocument)

namespace {

// The entries one table of a document holds, and a text the reader lets through however
// long: what a format's reader may give, its writer takes and the sweeps compare.
constexpr int MaxEntries = 32766;
constexpr int MaxValueLength = 32766;

const GxtFormat &flatFormat()
{
    return testfiles::format(QStringLiteral("flat"));
}
const GxtFormat &tabledFormat()
{
    return testfiles::format(QStringLiteral("tabled"));
}
const GxtFormat &hashedFormat()
{
    return testfiles::format(QStringLiteral("hashed"));
}

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString unitsOf(std::initializer_list<char16_t> units)
{
    QString out;
    for (char16_t u : units)
        out += QChar(u);
    return out;
}

// What a failed load must leave alone: a hashed document of two tables, unlike anything a
// swept file holds.
RawDocument keptData()
{
    return testfiles::raw(RowDocument{QStringLiteral("hashed"), 8,
                                      {{mainTableName(), {{s("KEEP"), s("me")}, {s("ALSO"), s("this")}}},
                                       {s("MISS1"), {{s("#0000ABCD"), s("x")}}}}});
}

// A document as a failed load must leave it: the same tables, the very table objects, and
// every entry with the identity it had.
struct Kept {
    RawDocument raw;
    std::vector<const StringTable *> tables;
    std::vector<EntryId> ids;

    explicit Kept(const GxtDocument &document)
        : raw(document.toRaw())
    {
        for (int t = 0; t < document.tableCount(); ++t) {
            tables.push_back(document.table(t));
            for (const StringEntry &entry : document.table(t)->entries())
                ids.push_back(entry.id);
        }
    }
    friend bool operator==(const Kept &a, const Kept &b)
    {
        return a.raw == b.raw && a.tables == b.tables && a.ids == b.ids;
    }
};

// Loads `bytes` from a file through LoadGxt into a document that already holds tables, and
// checks what every caller relies on; empty when all is well, otherwise what went wrong.
struct LoadCheck {
    // The sweeps write thousands of files; on a disk that flushes every truncated file as
    // it closes, they would wait on the disk rather than test the reader. Memory, when the
    // system has a folder of it.
    QTemporaryDir dir{QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/quillet-sweep-XXXXXX")
                                                                          : QDir::tempPath() + QStringLiteral("/quillet-sweep-XXXXXX")};
    QString path = dir.filePath(QStringLiteral("swept.gxt"));

    QString run(const QByteArray &bytes)
    {
        if (!writeFile(path, bytes))
            return QStringLiteral("cannot write the test file");
        GxtDocument document;
        document.assign(keptData());
        const Kept before(document);
        int begun = 0;
        int ended = 0;
        FileOperationHooks hooks;
        hooks.begin = [&] { ++begun; };
        hooks.end = [&] { ++ended; };
        const Result result = LoadGxt(path, document, hooks);
        if (begun != 1 || ended != 1)
            return QStringLiteral("the load began %1 and ended %2 times").arg(begun).arg(ended);

        RawDocument raw;
        const Result read = readGxt(bytes, raw);
        // The file is read a window at a time; it must read exactly as the bytes in memory.
        RawDocument fromFile;
        const Result readFromFile = readGxtFile(path, fromFile);
        if (readFromFile.ok() != read.ok() || readFromFile.errorString() != read.errorString()
            || readFromFile.warnings() != read.warnings() || !(fromFile == raw)) {
            return QStringLiteral("the file read a window at a time differs from its bytes read at once: '%1' / '%2'")
                .arg(readFromFile.errorString(), read.errorString());
        }
        if (result.ok() != read.ok())
            return QStringLiteral("LoadGxt and the reader disagree about the file");
        if (!result) {
            if (result.errorString().isEmpty() || result.errorString() != read.errorString())
                return QStringLiteral("the load failed with '%1'").arg(result.errorString());
            if (!(Kept(document) == before))
                return QStringLiteral("a failed load changed the open document");
            return {};
        }
        if (result.warnings() != read.warnings())
            return QStringLiteral("the load's warnings differ from the reader's");
        // A file of tables leaves the texts of its later tables in its bytes until something
        // asks for them; what they are then is what the reader read.
        for (int t = 1; t < document.tableCount(); ++t) {
            if (document.table(t)->count() > 0 && !document.table(t)->hasPendingTexts())
                return QStringLiteral("table %1's texts were read before anything asked for them").arg(t + 1);
        }
        // Every entry in the file's order, as the reader read it.
        if (!(document.toRaw() == raw))
            return QStringLiteral("the loaded document differs from what the reader read");
        return {};
    }
};

// The flat table behind the prefix sweep: names of every kind a field allows, texts with
// colour codes and bytes above 0x7F, an empty text and a repeated name.
Rows sweepTable()
{
    Rows rows{
        {s("A1"), s("Hi")},
        {s("B"), s("")},
        {s("INTRO"), s("~r~Stop ~w~right there!")},
        {s("EIGHTCHR"), s("eight")},
        {s("CAFÉ"), s("5 €, naïve")},
        {s("A B"), s("inner space")},
        {s("REPEAT"), s("first")},
        {s("REPEAT"), s("second")},
    };
    for (int i = 0; i < 52; ++i) // past 50 rows, so the progress steps run too
        rows.append({QStringLiteral("K%1").arg(i, 2, 10, QLatin1Char('0')), QString(i % 7, QLatin1Char(char('a' + i % 26)))});
    return rows;
}

RawDocument flatRaw(const Rows &rows)
{
    return testfiles::raw(RowDocument{QStringLiteral("flat"), 16, {{mainTableName(), rows}}});
}

// The sample tables with what real tables hold besides: a text that repeats, the game's
// Western letters, units no numbering shows, and more than 50 entries in one table.
RawDocument richDocument(const GxtFormat &format, int bits)
{
    QList<variantfiles::Table> tables = variantfiles::sampleTables();
    tables[0].entries.append({"REPEAT", QStringLiteral("~r~Stop!")});
    tables[0].entries.append({"ACCENT", unitsOf({u'd', 0x9D, u'r', 0x5E, 0xAD, 0xB1})});
    tables[0].entries.append({"WIDE", bits == 8 ? unitsOf({0xFF, 0x01}) : unitsOf({0xE780, 0x27E8, 0xFFFF, 0xD800})});
    for (int i = 0; i < 52; ++i)
        tables[1].entries.append({"M1_" + QByteArray::number(10 + i), QString(i % 5, QLatin1Char(char('a' + i % 26)))});
    return variantfiles::document(tables, format, bits);
}

// The sample tables, small enough to damage every byte of.
RawDocument smallDocument(const GxtFormat &format, int bits)
{
    QList<variantfiles::Table> tables = variantfiles::sampleTables();
    tables[0].entries.append({"ACCENT", unitsOf({0x9D, 0x5E, bits == 8 ? char16_t(0xFF) : char16_t(0xE780)})});
    return variantfiles::document(tables, format, bits);
}

QString nameOf(const layoutbytes::File &file, int table)
{
    return nameFromBytes(RawName::fromBytes(file.tables[table].name).bytes());
}

// How a failure names the place of damage in `table`: flat files have entries only.
bool namesTable(const layoutbytes::File &file, int table, const QString &reason)
{
    if (file.flat())
        return reason.startsWith(QStringLiteral("entry ")) || reason.startsWith(QStringLiteral("the "));
    const QString prefix = QStringLiteral("table ") + nameOf(file, table);
    return reason.startsWith(prefix + u':') || reason.startsWith(prefix + QStringLiteral(", entry "));
}

// The reader's warning about a block that repeats another name than its record.
QString blockWarning(const RawName &record, const RawName &block)
{
    return QStringLiteral("table %1: its block is named '%2'; the game warns about that")
        .arg(nameFromBytes(record.bytes()), nameFromBytes(block.bytes()));
}

// Every value a byte is set to in the sweep: the telling ones, and its neighbours.
QList<quint8> tellingValues(quint8 original)
{
    QList<quint8> values;
    for (int v : {0x00, 0xFF, 0x7F, 0x80, original - 1, original + 1}) {
        const auto byte = quint8(v & 0xFF);
        if (byte != original && !values.contains(byte))
            values.append(byte);
    }
    return values;
}

// The end of the last byte a file of tables needs: what follows is padding or trailing.
qsizetype neededEnd(const QList<Span> &spans)
{
    qsizetype end = 0;
    for (const Span &span : spans) {
        if (span.part != Part::Gap)
            end = std::max(end, span.end);
    }
    return end;
}

QRegularExpression exactly(const QString &text)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(QRegularExpression::escape(text)));
}

qint64 addressSpaceInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
}

#ifdef QUILLET_ASAN
// The sanitizer's allocator tells every allocation and release; the peak of the bytes in
// use is then measured exactly, in the process itself.
std::atomic<qint64> liveBytes{0};
std::atomic<qint64> peakBytes{0};

void onAllocate(const volatile void *, size_t size)
{
    const qint64 now = liveBytes += qint64(size);
    qint64 peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

void onRelease(const volatile void *pointer)
{
    liveBytes -= qint64(__sanitizer_get_allocated_size(pointer));
}
#endif

// Empty when loading the file at `path` (which `work` does) never holds more than
// `budget` bytes of heap at once.
QString staysWithin(qint64 budget, const QString &path, const std::function<void()> &work)
{
#ifdef QUILLET_ASAN
    Q_UNUSED(path);
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(onAllocate, onRelease) != 0;
    if (!installed)
        return QStringLiteral("cannot install the allocation hooks");
    peakBytes = liveBytes.load();
    const qint64 start = liveBytes.load();
    work();
    const qint64 used = peakBytes.load() - start;
    if (used > budget)
        return QStringLiteral("the load held %1 bytes at its peak; the budget is %2").arg(used).arg(budget);
    return {};
#else
    // Without the sanitizer, a fresh copy of this program loads the file with its address
    // space capped just above what it uses at that point (see loadWithinCap). A fresh one,
    // because a forked child of this threaded process may allocate in an arena that already
    // holds address space, out of the cap's sight.
    Q_UNUSED(work);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--load-within"), QString::number(budget), path});
    if (!child.waitForFinished(60000))
        return QStringLiteral("the capped load did not finish: ") + child.errorString();
    const QString output = QString::fromUtf8(child.readAllStandardOutput() + child.readAllStandardError());
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        return {};
    return QStringLiteral("the capped load of %1 bytes ended with %2: %3").arg(budget).arg(child.exitCode()).arg(output);
#endif
}

// The other half of staysWithin: runs in a program of its own, caps its address space, makes
// sure the cap stops an allocation of twice the budget, then loads. Exit status 0 when the
// load ended by itself, whether it loaded the file or refused it.
int loadWithinCap(qint64 budget, const QString &path)
{
    // Large blocks come fresh from the system rather than from free heap space.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // The numberings are made once per program, ahead of any load, and are no cost of one.
    (void)CharacterNumbering::defaultFor(flatFormat());
    (void)CharacterNumbering::defaultFor(hashedFormat());
    const qint64 cap = addressSpaceInUse() + budget;
    const rlimit limit{rlim_t(cap), rlim_t(cap)};
    if (cap <= budget || setrlimit(RLIMIT_AS, &limit) != 0) {
        std::fprintf(stderr, "cannot cap the address space\n");
        return 3;
    }
    static void *volatile probe = nullptr; // volatile, so the compiler keeps the call
    probe = std::malloc(size_t(2 * budget));
    if (probe) {
        std::fprintf(stderr, "the cap did not stop an allocation of twice the budget\n");
        return 4;
    }
    GxtDocument document;
    const Result result = LoadGxt(path, document);
    std::printf("%s\n", result ? "loaded" : qPrintable(result.errorString()));
    return 0;
}

} // namespace

class TestDamagedFiles : public QObject
{
    Q_OBJECT

private slots:
    void everyPrefixFailsWithAReasonUntilWhole_data()
    {
        QTest::addColumn<layoutbytes::File>("file");
        QTest::addColumn<RawDocument>("document"); // what the whole file holds
        const RawDocument flat = inWriterOrder(flatRaw(sweepTable()));
        QTest::newRow("flat, as written") << layoutbytes::fromRaw(flat) << flat;
        for (const auto &[name, layout, bits] : {std::tuple("tabled", &tabledFormat(), 16),
                                                 std::tuple("hashed", &hashedFormat(), 16),
                                                 std::tuple("8-bit hashed", &hashedFormat(), 8)}) {
            const RawDocument rich = inWriterOrder(richDocument(*layout, bits));
            QTest::addRow("%s, as written", name) << layoutbytes::fromRaw(rich) << rich;
            QTest::addRow("%s, blocks reversed, shared texts, padding inside and after", name)
                << layoutbytes::fromRaw(rich, {true, true, 4, 4, 0, true, "trailing"}) << rich;
            const RawDocument unordered = richDocument(*layout, bits);
            QTest::addRow("%s, records and texts in no order, blocks at odd offsets", name)
                << layoutbytes::fromRaw(unordered, {true, false, 0, 1, 5, false, {}}) << unordered;
        }
    }
    void everyPrefixFailsWithAReasonUntilWhole()
    {
        QFETCH(layoutbytes::File, file);
        QFETCH(RawDocument, document);
        QList<Span> spans;
        const QByteArray whole = layoutbytes::build(file, &spans);
        const qsizetype needed = neededEnd(spans);
        RawDocument original;
        QVERIFY(readGxt(whole, original));
        QVERIFY(original == document);
        LoadCheck load;
        for (qsizetype length = 0; length <= whole.size(); ++length) {
            const QByteArray prefix = whole.first(length);
            const auto outcome = gxtroundtrip::check(prefix);
            const QString where = QStringLiteral("%1 of %2 bytes").arg(length).arg(whole.size());
            QVERIFY2(outcome.broken.isEmpty(), qPrintable(where + QStringLiteral(": ") + outcome.broken));
            // Only what no size counts may be missing: padding and bytes after the end.
            QVERIFY2(outcome.loaded == (length >= needed), qPrintable(where + QStringLiteral(": ") + outcome.readError));
            if (outcome.loaded)
                QVERIFY2(outcome.raw == original, qPrintable(where));
            const QString loadProblem = load.run(prefix);
            QVERIFY2(loadProblem.isEmpty(), qPrintable(where + QStringLiteral(": ") + loadProblem));
        }
    }

    void everyByteSetToTellingValues_data()
    {
        QTest::addColumn<layoutbytes::File>("sound");
        QTest::addColumn<RawDocument>("document"); // what the sound file holds
        QTest::addColumn<bool>("asWritten");       // the writer makes exactly these bytes
        const RawDocument flat =
            inWriterOrder(flatRaw({{s("A1"), s("Hi")}, {s("B"), s("")}, {s("CAFÉ"), s("~r~Go €")}, {s("EIGHTCHR"), s("x")}}));
        QTest::newRow("flat, the writer's layout") << layoutbytes::fromRaw(flat) << flat << true;
        // Records out of order, two sharing a text, one starting inside another's text,
        // high bytes in units, a gap and bytes after the last text.
        layoutbytes::File otherTools;
        otherTools.format = &flatFormat();
        otherTools.tables.append(layoutbytes::table("", {{10, "ZED", 0}, {0, " PAD  ", 0}, {10, "SHARED", 0}, {14, "INSIDE", 0}},
                                                QByteArray("A\x01" "B\0" "\0\0" "??", 8) + gxtbytes::text("Tail") + "after"));
        RawDocument otherToolsHold = flatRaw({});
        for (const auto &[key, units] : {std::pair("ZED", u"ail"), std::pair("PAD", u"\u0141B"), std::pair("SHARED", u"ail"),
                                         std::pair("INSIDE", u"l")})
            otherToolsHold.tables[0].entries.push_back({0, RawName::fromBytes(key), 0, QString::fromUtf16(units)});
        QTest::newRow("flat, other tools' layout") << otherTools << otherToolsHold << false;

        for (const auto &[name, layout, bits] : {std::tuple("tabled", &tabledFormat(), 16),
                                                 std::tuple("hashed", &hashedFormat(), 16),
                                                 std::tuple("8-bit hashed", &hashedFormat(), 8)}) {
            const RawDocument small = smallDocument(*layout, bits);
            QTest::addRow("%s, the writer's layout", name) << layoutbytes::fromRaw(inWriterOrder(small)) << inWriterOrder(small) << true;
            // As the game's files and other tools have it: texts in another order than the
            // keys and shared, zero units inside D, blocks at odd offsets, and a block that
            // repeats another name than its record.
            layoutbytes::File shaped = layoutbytes::fromRaw(small, {true, true, 2, 1, 3, false, {}});
            shaped.tables[2].blockName = QByteArray("MISS9");
            QTest::addRow("%s, other tools' layout", name) << shaped << small << false;
        }
    }
    void everyByteSetToTellingValues()
    {
        QFETCH(layoutbytes::File, sound);
        QFETCH(RawDocument, document);
        QFETCH(bool, asWritten);
        QList<Span> spans;
        const QByteArray bytes = layoutbytes::build(sound, &spans);
        RawDocument original;
        const Result read = readGxt(bytes, original);
        QVERIFY2(read, qPrintable(read.errorString()));
        QVERIFY(original == document);
        if (asWritten) {
            // The builder lays files out as the writer does, so that its map of the bytes
            // is a map of the writer's own files.
            QByteArray byWriter;
            QVERIFY(writeGxt(original, byWriter));
            QCOMPARE(bytes, byWriter);
        }

        LoadCheck load;
        int files = 0;
        for (qsizetype position = 0; position < bytes.size(); ++position) {
            const Span span = layoutbytes::spanAt(spans, position);
            for (quint8 value : tellingValues(quint8(bytes[position]))) {
                QByteArray damaged = bytes;
                damaged[position] = char(value);
                ++files;
                const QString where = QStringLiteral("byte %1 set to 0x%2").arg(position).arg(value, 2, 16, QLatin1Char('0'));
                const auto outcome = gxtroundtrip::check(damaged);
                QVERIFY2(outcome.broken.isEmpty(), qPrintable(where + QStringLiteral(": ") + outcome.broken));
                const QString loadProblem = load.run(damaged);
                QVERIFY2(loadProblem.isEmpty(), qPrintable(where + QStringLiteral(": ") + loadProblem));

                // What a damaged byte may change depends on what it is.
                const bool loaded = outcome.loaded;
                const RawDocument &got = outcome.raw;
                const QString why = where + QStringLiteral(": ") + outcome.readError;
                const bool flat = sound.flat();
                switch (span.part) {
                case Part::Header:
                    QVERIFY2(!loaded && outcome.readError.startsWith(QStringLiteral("the header gives")), qPrintable(why));
                    break;
                case Part::TablTag:
                    QVERIFY2(!loaded || got.format == &flatFormat(), qPrintable(where));
                    break;
                case Part::TablSize:
                    // The whole records the size holds: fewer tables, or the same ones when the
                    // size only grew by a few bytes.
                    if (loaded) {
                        QVERIFY2(got.tables.size() <= original.tables.size(), qPrintable(where));
                        QVERIFY(std::equal(got.tables.begin(), got.tables.end(), original.tables.begin()));
                    }
                    break;
                case Part::TableName: {
                    const RawName renamed = RawName::fromBytes(damaged.sliced(span.begin, 8));
                    if (span.table == 0) {
                        QVERIFY2(loaded == (renamed.bytes() == QByteArrayView("MAIN")), qPrintable(why));
                        break;
                    }
                    // The record names the table; a block that repeats another name is warned of.
                    RawDocument expected = original;
                    expected.tables[size_t(span.table)].name = renamed;
                    QVERIFY2(loaded && got == expected, qPrintable(why));
                    const RawName block = RawName::fromBytes(sound.tables[span.table].blockName.value_or(sound.tables[span.table].name));
                    QCOMPARE(outcome.warnings.contains(blockWarning(renamed, block)), !(renamed == block));
                    break;
                }
                case Part::BlockName: {
                    const RawName repeated = RawName::fromBytes(damaged.sliced(span.begin, 8));
                    const RawName &name = original.tables[size_t(span.table)].name;
                    QVERIFY2(loaded && got == original, qPrintable(why));
                    QCOMPARE(outcome.warnings.contains(blockWarning(name, repeated)), !(repeated == name));
                    break;
                }
                case Part::TableOffset:
                    if (!loaded) {
                        QVERIFY2(namesTable(sound, span.table, outcome.readError), qPrintable(why));
                    } else {
                        for (size_t t = 0; t < got.tables.size(); ++t) {
                            if (int(t) != span.table)
                                QVERIFY2(got.tables[t] == original.tables[t], qPrintable(where));
                        }
                    }
                    break;
                case Part::KeyTag:
                case Part::DataTag:
                    // The flat layout's tags are never read.
                    if (flat)
                        QVERIFY2(loaded && got == original, qPrintable(why));
                    else
                        QVERIFY2(!loaded && namesTable(sound, span.table, outcome.readError), qPrintable(why));
                    break;
                case Part::KeySize:
                    // A smaller multiple of the record size reads as a shorter table.
                    if (!loaded)
                        QVERIFY2(namesTable(sound, span.table, outcome.readError), qPrintable(why));
                    break;
                case Part::DataSize:
                    // Not read in the flat layout; in the others, a size that still ends
                    // past the texts changes nothing.
                    if (flat || loaded)
                        QVERIFY2(loaded && got == original, qPrintable(why));
                    else
                        QVERIFY2(namesTable(sound, span.table, outcome.readError), qPrintable(why));
                    break;
                case Part::RecordOffset: {
                    const StringEntry &entry = original.tables[size_t(span.table)].entries[size_t(span.record)];
                    if (!loaded) {
                        const QString named = describeEntry(*sound.format, nameOf(sound, span.table), span.record + 1,
                                                            sound.format->keyText(entry));
                        QVERIFY2(outcome.readError.startsWith(named + QStringLiteral(": ")), qPrintable(why));
                        break;
                    }
                    // Only that entry's text may change.
                    RawDocument expected = original;
                    expected.tables[size_t(span.table)].entries[size_t(span.record)].units =
                        got.tables[size_t(span.table)].entries[size_t(span.record)].units;
                    QVERIFY2(got == expected, qPrintable(where));
                    break;
                }
                case Part::RecordKey: {
                    // Only that entry's key may change.
                    QVERIFY2(loaded, qPrintable(why));
                    RawDocument expected = original;
                    StringEntry &entry = expected.tables[size_t(span.table)].entries[size_t(span.record)];
                    const StringEntry &damagedEntry = got.tables[size_t(span.table)].entries[size_t(span.record)];
                    entry.name = damagedEntry.name;
                    entry.hash = damagedEntry.hash;
                    QVERIFY2(got == expected, qPrintable(where));
                    break;
                }
                case Part::Texts:
                    // Keys stay; texts of other tables stay.
                    if (!loaded) {
                        QVERIFY2(namesTable(sound, span.table, outcome.readError), qPrintable(why));
                        break;
                    }
                    QCOMPARE(got.tables.size(), original.tables.size());
                    for (size_t t = 0; t < got.tables.size(); ++t) {
                        QCOMPARE(got.tables[t].entries.size(), original.tables[t].entries.size());
                        if (int(t) != span.table) {
                            QVERIFY2(got.tables[t] == original.tables[t], qPrintable(where));
                            continue;
                        }
                        for (size_t i = 0; i < got.tables[t].entries.size(); ++i) {
                            QVERIFY(got.tables[t].entries[i].name == original.tables[t].entries[i].name);
                            QCOMPARE(got.tables[t].entries[i].hash, original.tables[t].entries[i].hash);
                        }
                    }
                    break;
                case Part::Gap:
                    // Padding, gaps and trailing bytes are never read.
                    QVERIFY2(loaded && got == original && outcome.warnings == read.warnings(), qPrintable(why));
                    break;
                }
            }
        }
        qInfo("swept %d files with one byte changed", files);
    }

    void hostileSizesAndOffsets_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QRegularExpression>("reason"); // empty: the file loads
        QTest::addColumn<QString>("warning");           // of a file that loads

        // Flat.
        const QByteArray hi = gxtbytes::text("Hi");
        QTest::newRow("TKEY size near 2 GB")
            << gxtbytes::file({{0, "A"}}, hi, 0x7ffffff8)
            << exactly("the TKEY size 2147483640 reaches past the end of the file (34 bytes)") << QString();
        QTest::newRow("TKEY size of the entry limit")
            << gxtbytes::file({{0, "A"}}, hi, 12 * MaxEntries)
            << exactly("the TKEY size 393192 reaches past the end of the file (34 bytes)") << QString();
        QTest::newRow("TKEY size most negative")
            << gxtbytes::file({{0, "A"}}, hi, qint32(0x80000000)) << exactly("the TKEY size -2147483648 is negative")
            << QString();
        QTest::newRow("text offset near 2 GB")
            << gxtbytes::file({{0, "A"}, {0x7ffffffe, "B"}}, hi)
            << exactly("entry 2 (B): the text offset 2147483646 lies past the end of the file (46 bytes)") << QString();
        QList<Record> farAway;
        for (int i = 0; i < 1000; ++i)
            farAway.append({0x7fff0000 + 2 * i, "FAR"});
        QTest::newRow("a thousand offsets near 2 GB")
            << gxtbytes::file(farAway, hi)
            << exactly("entry 1 (FAR): the text offset 2147418112 lies past the end of the file (12022 bytes)")
            << QString();
        QTest::newRow("text without end up to the last byte")
            << gxtbytes::file({{0, "A"}}, QByteArray(4000, 'x'))
            << exactly("entry 1 (A): the text at offset 0 has no terminator before the end of the file") << QString();
        QList<Record> tooMany(MaxEntries + 1, Record{0, "K"});
        QTest::newRow("one entry more than a table holds")
            << gxtbytes::file(tooMany, hi) << exactly("the file has 32767 entries; at most 32766 can be loaded")
            << QString();
        // A text longer than a value may be, and longer than the window the file is read
        // by: the file loads and saves, and the document refuses it (gxtroundtrip::check
        // holds it to that).
        QTest::newRow("a text longer than a value holds")
            << gxtbytes::file({{0, "LONG"}}, layoutbytes::text(QString(40000, u'x')))
            << QRegularExpression() << QString();
        // The reader never looks at the TDAT size of a flat file, so a claim there costs
        // nothing at all.
        QByteArray bigData = gxtbytes::file({{0, "A"}}, hi);
        bigData.replace(12 + 12, 4, gxtbytes::int32(0x7fffffff));
        QTest::newRow("flat TDAT size near 2 GB") << bigData << QRegularExpression() << QString();

        // Files of tables: the sample tables, with one claim made hostile.
        for (const auto &[name, layout, bits] : {std::tuple("tabled", &tabledFormat(), 16),
                                                 std::tuple("hashed", &hashedFormat(), 16),
                                                 std::tuple("8-bit hashed", &hashedFormat(), 8)}) {
            const RawDocument sample = variantfiles::document(variantfiles::sampleTables(), *layout, bits);
            const layoutbytes::File sound = layoutbytes::fromRaw(sample);
            QList<Span> spans;
            const QByteArray soundBytes = layoutbytes::build(sound, &spans);
            const qsizetype size = soundBytes.size();
            const qsizetype tablEnd = (sound.hashed() ? 4 : 0) + 8 + 36;
            const int recordSize = sound.recordSize();
            auto row = [&](const char *what, const std::function<void(layoutbytes::File &)> &damage,
                           const QString &reason, const QString &warning = {}) {
                layoutbytes::File file = sound;
                damage(file);
                QTest::addRow("%s: %s", name, what)
                    << layoutbytes::build(file) << (reason.isEmpty() ? QRegularExpression() : exactly(reason)) << warning;
            };
            row("TABL size near 2 GB", [](layoutbytes::File &f) { f.tablSize = 0x7ffffff8; },
                QStringLiteral("the TABL size 2147483640 reaches past the end of the file (%1 bytes)").arg(size));
            row("TABL size negative", [](layoutbytes::File &f) { f.tablSize = -12; },
                QStringLiteral("the TABL size -12 is negative"));
            // As some mods' files have it: the blocks start where the whole records end.
            row("TABL size 4 bytes too large", [](layoutbytes::File &f) { f.tablSize = 12 * 3 + 4; }, QString(),
                QStringLiteral("the TABL size 40 is not a multiple of 12; the 3 whole records it holds are read"));
            row("TABL size of one record and a bit", [](layoutbytes::File &f) { f.tablSize = 13; }, QString(),
                QStringLiteral("the TABL size 13 is not a multiple of 12; the 1 whole record it holds is read"));
            // Records for as many tables as the file holds bytes, less than 16 bytes for each.
            const qsizetype claimed = size / 20;
            row("more tables than the file could hold", [claimed](layoutbytes::File &f) { f.tablSize = 12 * claimed; },
                QStringLiteral("the TABL block lists %1 tables, more than the rest of the file (%2 bytes) could hold")
                    .arg(claimed)
                    .arg(size - (tablEnd - 36 + 12 * claimed)));
            row("no tables", [](layoutbytes::File &f) { f.tables.clear(); },
                QStringLiteral("the file lists no tables; a GXT file of tables has a MAIN table first"));
            row("no MAIN first", [](layoutbytes::File &f) { std::swap(f.tables[0].name, f.tables[1].name); },
                QStringLiteral("the first table is 'MISS1'; a GXT file of tables lists its MAIN table first"));
            row("table offset past the end", [](layoutbytes::File &f) { f.tables[2].offset = 0xFFFFFFF0; },
                QStringLiteral("table MISS2: the offset 4294967280 lies past the end of the file (%1 bytes)").arg(size));
            row("table offset into the TABL block", [](layoutbytes::File &f) { f.tables[1].offset = 8; },
                QStringLiteral("table MISS1: the offset 8 points into the TABL block, which ends at %1").arg(tablEnd));
            row("table offset at the file's last bytes", [size](layoutbytes::File &f) { f.tables[1].offset = size - 4; },
                QStringLiteral("table MISS1: the file ends inside the table's name"));
            row("TKEY size near 2 GB", [](layoutbytes::File &f) { f.tables[0].keySize = 0x7ffffff8; },
                QStringLiteral("table MAIN: the TKEY size 2147483640 reaches past the end of the file (%1 bytes)").arg(size));
            row("TKEY size not a multiple of a record", [&](layoutbytes::File &f) { f.tables[0].keySize = 20; },
                QStringLiteral("table MAIN: the TKEY size 20 is not a multiple of %1").arg(recordSize));
            row("TKEY size negative", [&](layoutbytes::File &f) { f.tables[1].keySize = -recordSize; },
                QStringLiteral("table MISS1: the TKEY size %1 is negative").arg(-recordSize));
            row("TDAT size near 2 GB", [](layoutbytes::File &f) { f.tables[1].dataSize = 0x7fffffff; },
                QStringLiteral("table MISS1: the TDAT size 2147483647 reaches past the end of the file (%1 bytes)").arg(size));
            row("TDAT size negative", [](layoutbytes::File &f) { f.tables[2].dataSize = -2; },
                QStringLiteral("table MISS2: the TDAT size -2 is negative"));
            qsizetype dataTagAt = 0;
            for (const Span &span : spans) {
                if (span.part == Part::DataTag && span.table == 1)
                    dataTagAt = span.begin;
            }
            row("TDAT tag missing", [](layoutbytes::File &f) { f.tables[1].dataTag = "TDAX"; },
                QStringLiteral("table MISS1: expected the tag TDAT at offset %1").arg(dataTagAt));
            const QString firstKey = layout->keyText(sample.tables[0].entries[0]);
            row("text offset near 4 GB", [](layoutbytes::File &f) { f.tables[0].records[0].offset = 0xFFFFFFFE; },
                layout == &tabledFormat()
                    ? QStringLiteral("table MAIN, entry 1 (INTRO): the text offset -2 is negative")
                    : QStringLiteral("table MAIN, entry 1 (%1): the text offset 4294967294 lies past the end of the "
                                     "table's texts (%2 bytes)")
                          .arg(firstKey)
                          .arg(sound.tables[0].data.size()));
            row("text without a terminator", [&](layoutbytes::File &f) { f.tables[2].data.chop(bits / 8); },
                QStringLiteral("table MISS2, entry 1 (%1): the text at offset 0 has no terminator before the end of "
                               "the table's texts")
                    .arg(layout->keyText(sample.tables[2].entries[0])));
            row("a block that repeats another name", [](layoutbytes::File &f) { f.tables[1].blockName = "OTHER"; },
                QString(), QStringLiteral("table MISS1: its block is named 'OTHER'; the game warns about that"));
            row("blocks in reverse order at odd offsets, with bytes after them", [](layoutbytes::File &f) {
                f.blockOrder = {2, 1, 0};
                f.alignment = 1;
                f.tables[1].gapBefore = 3;
                f.trailing = "trailing";
            }, QString());
            if (sound.hashed()) {
                row("a header of 7 bits", [](layoutbytes::File &f) { f.bits = 7; },
                    QStringLiteral("the header gives 7 bits per character; a GXT file has 8 or 16"));
                row("a header of 264 bits", [](layoutbytes::File &f) { f.bits = 0x108; },
                    QStringLiteral("the header gives 264 bits per character; a GXT file has 8 or 16"));
                row("a header of version 3", [](layoutbytes::File &f) { f.version = 3; },
                    QStringLiteral("the header gives the version 3; a hashed GXT file has version 4"));
            }
        }

        // One entry more than a table of tables holds.
        layoutbytes::File crowded;
        crowded.format = &hashedFormat();
        crowded.tables.append(layoutbytes::table("MAIN", QList<layoutbytes::Record>(MaxEntries + 1), QByteArray(2, '\0')));
        QTest::newRow("hashed: one entry more than a table holds")
            << layoutbytes::build(crowded) << exactly("table MAIN: the table has 32767 entries; at most 32766 can be loaded")
            << QString();

        // Texts that overlap so that reading each to its end would take far more than the file.
        layoutbytes::File overlapping;
        overlapping.tables.append(layoutbytes::table("MAIN", {}, layoutbytes::text(QString(40000, u'x'))));
        for (int i = 0; i < 20000; ++i)
            overlapping.tables[0].records.append({2 * i, "K" + QByteArray::number(i), 0});
        QTest::newRow("tabled: texts overlapping without end")
            << layoutbytes::build(overlapping)
            << QRegularExpression(QStringLiteral("^table MAIN, entry \\d+ \\(K\\d+\\): the texts overlap so much that "
                                                 "they would hold more characters than the file \\(\\d+ bytes\\) could; "
                                                 "the file is damaged$"))
            << QString();

        layoutbytes::File long8;
        long8.format = &hashedFormat();
        long8.bits = 8;
        long8.tables.append(layoutbytes::table("MAIN", {{0, {}, 1}}, layoutbytes::text(QString(70000, u'x'), 8)));
        QTest::newRow("8-bit hashed: a text longer than a value holds") << layoutbytes::build(long8) << QRegularExpression()
                                                                        << QString();

        // A file larger than the window it is read by, its blocks and texts in reverse order:
        // read a window at a time, it must read as its bytes do.
        QList<variantfiles::Table> large{{"MAIN", {}}, {"MISS1", {}}, {"MISS2", {}}};
        for (int i = 0; i < 15000; ++i)
            large[i % 3].entries.append({"K" + QByteArray::number(i), QStringLiteral("text number %1 of the large file").arg(i)});
        QTest::newRow("tabled: larger than the reading window, everything reversed")
            << layoutbytes::build(layoutbytes::fromRaw(variantfiles::document(large, tabledFormat()),
                                                       {true, false, 0, 4, 0, true, {}}))
            << QRegularExpression() << QString();

        // Shared texts that the writer, giving each entry its own copy, cannot fit under 2 GB:
        // the file loads, and a save is refused before it allocates anything.
        layoutbytes::File shared;
        shared.format = &hashedFormat();
        for (const QByteArray &table : {QByteArray("MAIN"), QByteArray("SHARED")}) {
            shared.tables.append(layoutbytes::table(table, {}, layoutbytes::text(QString(MaxValueLength, u'x'))));
            for (int i = 0; i < MaxEntries; ++i)
                shared.tables.last().records.append({0, {}, quint32(i)});
        }
        QTest::newRow("hashed: shared texts past 2 GB when written") << layoutbytes::build(shared) << QRegularExpression()
                                                                     << QString();
    }
    void hostileSizesAndOffsets()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QRegularExpression, reason);
        QFETCH(QString, warning);
        LoadCheck load;
        QVERIFY(writeFile(load.path, bytes));
        // Some times the file, and room for the load's own bookkeeping; far below what
        // trusting any of the claims would take.
        const qint64 budget = 16 * bytes.size() + (1 << 20);
        const QString problem = staysWithin(budget, load.path, [&] {
            GxtDocument document;
            (void)LoadGxt(load.path, document);
        });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QString loadProblem = load.run(bytes);
        QVERIFY2(loadProblem.isEmpty(), qPrintable(loadProblem));

        const auto outcome = gxtroundtrip::check(bytes);
        QVERIFY2(outcome.broken.isEmpty(), qPrintable(outcome.broken));
        if (reason.pattern().isEmpty()) {
            QVERIFY2(outcome.loaded, qPrintable(outcome.readError));
            QCOMPARE(outcome.warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
        } else {
            QVERIFY2(reason.match(outcome.readError).hasMatch(), qPrintable(outcome.readError));
        }
    }

    // Whatever a file's texts hold, a load and a save keep every unit: a unit that the
    // numbering cannot show travels as an escape. The file's records and texts stand in
    // other orders than the writer's, so the save also puts them in order.
    void everyUnitSurvivesALoadAndSave_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QStringList>("texts"); // as units

        // The old reader dropped these high bytes and cut the text at the unit 0x0100.
        const QStringList highBytes{unitsOf({0x0141, 0xFF42, 0x0100, 0x0043}), unitsOf({0xE780, 0x3042, 0xFFFF})};
        // The escape's own brackets, text that looks like an escape, halves of a surrogate
        // pair, and units that Windows-1252 leaves undefined.
        const QStringList lookalikes{unitsOf({0x27E8, 0x0030, 0x0030, 0x0034, 0x0031, 0x27E9}),
                                     unitsOf({0xD83D, 0xDE00, 0xDFFF, 0xD800}),
                                     unitsOf({0x81, 0x8D, 0x8F, 0x90, 0x9D, 0x5E, 0xB0, 0xB1, 0x7F, 0x01})};
        QStringList every16;
        for (int first = 1; first <= 0xFFFF; first += 16384) {
            QString chunk;
            for (int u = first; u < std::min(first + 16384, 0x10000); ++u)
                chunk += QChar(char16_t(u));
            every16 << chunk;
        }
        QString every8;
        for (int u = 1; u <= 0xFF; ++u)
            every8 += QChar(char16_t(u));

        for (const char *name : {"flat", "tabled", "hashed"}) {
            const QString format = QString::fromLatin1(name);
            QTest::addRow("%s, high bytes", name) << format << 16 << highBytes;
            QTest::addRow("%s, escape lookalikes", name) << format << 16 << lookalikes;
            QTest::addRow("%s, every unit", name) << format << 16 << every16;
        }
        QTest::newRow("8-bit hashed, every unit") << "hashed" << 8 << QStringList{every8, unitsOf({0x5E, 0xFF})};
    }
    void everyUnitSurvivesALoadAndSave()
    {
        QFETCH(QString, format);
        QFETCH(int, bits);
        QFETCH(QStringList, texts);
        const GxtFormat &f = testfiles::format(format);
        RawDocument raw;
        raw.format = &f;
        raw.bits = bits;
        raw.hash = f.traits().hash;
        raw.tables.resize(f.hasTables() ? 2 : 1);
        raw.tables[0].name = RawName::fromBytes("MAIN");
        for (qsizetype i = 0; i < texts.size(); ++i) {
            StringEntry entry; // in reverse order of the texts
            if (f.storesHashes())
                entry.hash = quint32(0xFFFFFFFF - i);
            else
                entry.name = RawName::fromBytes(QByteArray("Z") + QByteArray::number(i));
            entry.units = texts[i];
            raw.tables[0].entries.insert(raw.tables[0].entries.begin(), entry);
        }
        if (f.hasTables()) {
            raw.tables[1].name = RawName::fromBytes("EXTRA");
            raw.tables[1].entries = raw.tables[0].entries;
        }
        QByteArray expected;
        QVERIFY(writeGxt(raw, expected));

        std::shared_ptr<const CharacterNumbering> custom;
        // A map that shows a glyph as the escape's own bracket and another as a character
        // beyond the 16-bit range.
        QVERIFY(CharacterNumbering::fromMap("27E8=0084\n1F600=0083\n", QStringLiteral("custom"),
                                            *CharacterNumbering::western(f), custom));
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("in.gxt"));
        QVERIFY(writeFile(source, layoutbytes::build(layoutbytes::fromRaw(raw, {true, false, 0, 4, 0, true, {}}))));
        int saves = 0;
        for (const auto &numbering : {CharacterNumbering::windows1252(), CharacterNumbering::western(flatFormat()),
                                      CharacterNumbering::western(tabledFormat()), custom}) {
            GxtDocument document;
            const Result loaded = LoadGxt(source, document);
            QVERIFY2(loaded, qPrintable(loaded.errorString()));
            // Every entry as the numbering shows it, typed back in as an edit would: the same
            // key and the same units, so nothing a save writes changes.
            const EntryRules rules(document.format(), document.bits(), *numbering, document.keyHash());
            for (int t = 0; t < document.tableCount(); ++t) {
                StringTable &table = *document.table(t);
                for (int row = 0; row < table.count(); ++row) {
                    StringEntry typed;
                    const Result encoded = rules.encode(rules.keyText(table.at(row)), rules.valueText(table.at(row)), typed);
                    QVERIFY2(encoded, qPrintable(numbering->name() + QStringLiteral(": ") + encoded.errorString()));
                    QVERIFY2(typed.sameContent(table.at(row)), qPrintable(numbering->name()));
                    table.replace(row, typed);
                }
            }
            const QString saved = dir.filePath(QStringLiteral("saved%1.gxt").arg(++saves));
            const Result result = SaveGxt(saved, document);
            QVERIFY2(result, qPrintable(numbering->name() + QStringLiteral(": ") + result.errorString()));
            QVERIFY2(readFile(saved) == expected, qPrintable(numbering->name()));
        }
    }

    void gameLayoutsLoadAndTheirPrefixesFail_data()
    {
        QTest::addColumn<int>("tables"); // how many of the sample tables; 0 fails
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("bits");
        QTest::newRow("TABL first, three tables") << 3 << "tabled" << 16;
        QTest::newRow("TABL first, main table only") << 1 << "tabled" << 16;
        QTest::newRow("TABL first, no tables") << 0 << "tabled" << 16;
        QTest::newRow("version header, 8-bit texts") << 3 << "hashed" << 8;
        QTest::newRow("version header, 16-bit texts") << 3 << "hashed" << 16;
        QTest::newRow("version header, main table only") << 1 << "hashed" << 8;
    }
    void gameLayoutsLoadAndTheirPrefixesFail()
    {
        QFETCH(int, tables);
        QFETCH(QString, format);
        QFETCH(int, bits);
        const GxtFormat &f = testfiles::format(format);
        const RawDocument sample = variantfiles::document(variantfiles::sampleTables().first(tables), f, bits);
        QList<Span> spans;
        const QByteArray bytes = layoutbytes::build(layoutbytes::fromRaw(sample), &spans);
        const qsizetype tagEnd = bytes.indexOf("TABL") + 4;
        QVERIFY(tagEnd == 4 || tagEnd == 8);
        LoadCheck load;
        // Cut short of its last text, the file fails; once its tag is there, as a file of
        // its layout. Only the padding after the last text may be missing.
        const qsizetype needed = neededEnd(spans);
        for (qsizetype length = 0; length <= bytes.size(); ++length) {
            const QByteArray prefix = bytes.first(length);
            RawDocument raw;
            const Result read = readGxt(prefix, raw);
            const QString where = QStringLiteral("%1 bytes: %2").arg(length).arg(read.errorString());
            QVERIFY2(read.ok() == (tables > 0 && length >= needed), qPrintable(where));
            if (read)
                QVERIFY2(raw == sample, qPrintable(where));
            else if (length >= tagEnd)
                QVERIFY2(!read.errorString().startsWith(QStringLiteral("it is not a GXT file")), qPrintable(where));
            const QString loadProblem = load.run(prefix);
            QVERIFY2(loadProblem.isEmpty(), qPrintable(loadProblem));
        }
        if (tables == 0) {
            RawDocument raw;
            QCOMPARE(readGxt(bytes, raw).errorString(),
                     QStringLiteral("the file lists no tables; a GXT file of tables has a MAIN table first"));
        }
        // The MAIN block of a tabled file is a flat file of its own.
        if (&f == &tabledFormat() && tables > 0) {
            RawDocument inner;
            QVERIFY(readGxt(bytes.sliced(bytes.indexOf("TKEY")), inner));
            QVERIFY(inner.tables.front() == sample.tables.front());
        }
    }

    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("path"); // empty: a named pipe the test makes
        QTest::newRow("named pipe") << QString();
        QTest::newRow("endless device") << QStringLiteral("/dev/zero");
    }
    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath(QStringLiteral("pipe.gxt"));
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        if (!QFileInfo::exists(path))
            QSKIP("this system has no such device");
        // Reading either would block for a writer or never end; the child's watchdog turns a
        // hang into a failure instead of a stuck test run.
        const childprocess::Result child = childprocess::run(
            [&] {
                GxtDocument document;
                document.assign(keptData());
                const Kept before(document);
                const Result result = LoadGxt(path, document);
                if (!(Kept(document) == before))
                    _exit(6);
                return (result ? QByteArray("loaded") : result.errorString().toUtf8());
            },
            30);
        QVERIFY2(child.ok(), qPrintable(child.describe()));
        QCOMPARE(QString::fromUtf8(child.output), QStringLiteral("it is not a regular file"));
    }

    void keptFuzzInputsStaySound()
    {
        const QDir kept(QStringLiteral(QUILLET_FUZZ_REGRESSIONS_DIR));
        const QStringList files = kept.entryList(QDir::Files);
        if (files.isEmpty())
            QSKIP("the fuzzer has not found anything to keep");
        for (const QString &name : files) {
            QFile file(kept.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const auto outcome = gxtroundtrip::check(file.readAll());
            QVERIFY2(outcome.broken.isEmpty(), qPrintable(name + QStringLiteral(": ") + outcome.broken));
        }
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--load-within") == 0)
        return loadWithinCap(QByteArray(argv[2]).toLongLong(), QString::fromLocal8Bit(argv[3]));
    QCoreApplication app(argc, argv);
    TestDamagedFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_damagedfiles.moc"
