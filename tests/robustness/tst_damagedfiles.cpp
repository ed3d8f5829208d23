// Damaged, truncated, hostile and later-variant files: each either loads or fails with a
// reason, leaves the open table alone when it fails, and never makes the reader allocate
// by what the file claims rather than by what it holds.
#include "testfiles.h"
#include "childprocess.h"
#include "gxtbytes.h"
#include "gxtroundtrip.h"
#include "variantfiles.h"

#include "gxtfile.h"
#include "stringtable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

namespace {

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

std::vector<StringEntry> sortedCopy(std::vector<StringEntry> rows)
{
    std::sort(rows.begin(), rows.end(), [](const StringEntry &a, const StringEntry &b) {
        return std::pair(a.name, a.value) < std::pair(b.name, b.value);
    });
    return rows;
}

const std::vector<StringEntry> KeptRows{{QStringLiteral("KEEP"), QStringLiteral("me")},
                                        {QStringLiteral("ALSO"), QStringLiteral("this")}};

// Loads `bytes` from a file through LoadGxt into a table that already holds rows, and
// checks what every caller relies on. Returns the reader's verdict for further checks.
struct LoadCheck {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("swept.gxt"));

    // Empty when all is well, otherwise what went wrong.
    QString run(const QByteArray &bytes)
    {
        if (!writeFile(path, bytes))
            return QStringLiteral("cannot write the test file");
        StringTable table;
        table.assign(KeptRows);
        int begun = 0;
        int ended = 0;
        FileOperationHooks hooks;
        hooks.begin = [&] { ++begun; };
        hooks.end = [&] { ++ended; };
        const GxtLoadResult result = LoadGxt(path, table, hooks);
        if (begun != 1 || ended != 1)
            return QStringLiteral("the load began %1 and ended %2 times").arg(begun).arg(ended);

        GxtReader reader;
        std::vector<StringEntry> rows;
        const bool readable = reader.read(bytes, rows);
        if (result.ok != readable)
            return QStringLiteral("LoadGxt and the reader disagree about the file");
        if (!result.ok) {
            if (result.errorString.isEmpty() || result.errorString != reader.errorString())
                return QStringLiteral("the load failed with '%1'").arg(result.errorString);
            if (table.rows() != KeptRows)
                return QStringLiteral("a failed load changed the open table");
            return {};
        }
        if (sortedCopy(table.rows()) != sortedCopy(rows))
            return QStringLiteral("the loaded table differs from what the reader read");
        return {};
    }
};

// The table behind the sweeps: names of every kind a field allows, texts with colour codes
// and bytes above 0x7F, an empty text and a repeated name.
std::vector<StringEntry> sweepTable()
{
    std::vector<StringEntry> rows{
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
        rows.push_back({QStringLiteral("K%1").arg(i, 2, 10, QLatin1Char('0')), QString(i % 7, QLatin1Char(char('a' + i % 26)))});
    return rows;
}

// Where a byte of a sound file stands.
enum class Region { Tag, KeySize, Offset, NameField, DataHeader, Texts };

Region regionOf(qsizetype position, qsizetype keySize, int *record)
{
    if (position < 4)
        return Region::Tag;
    if (position < 8)
        return Region::KeySize;
    if (position < 8 + keySize) {
        *record = int((position - 8) / 12);
        return (position - 8) % 12 < 4 ? Region::Offset : Region::NameField;
    }
    if (position < 16 + keySize)
        return Region::DataHeader;
    return Region::Texts;
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

const QString LaterVariant = QStringLiteral("the file looks like a later variant of the GXT format (a table of tables, "
                                            "tagged TABL), which this editor does not read");

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
    StringTable table;
    const GxtLoadResult result = LoadGxt(path, table);
    std::printf("%s\n", result.ok ? "loaded" : qPrintable(result.errorString));
    return 0;
}

} // namespace

class TestDamagedFiles : public QObject
{
    Q_OBJECT

private slots:
    void everyPrefixOfASoundFileFailsWithAReason()
    {
        const std::vector<StringEntry> rows = sweepTable();
        const QByteArray whole = written(rows);
        LoadCheck load;
        for (qsizetype length = 0; length <= whole.size(); ++length) {
            const QByteArray prefix = whole.first(length);
            const auto outcome = gxtroundtrip::check(prefix);
            QVERIFY2(outcome.broken.isEmpty(), qPrintable(QStringLiteral("%1 bytes: %2").arg(length).arg(outcome.broken)));
            // The writer's file ends with the terminator of its last text, so only the whole
            // file is whole.
            QVERIFY2(outcome.loaded == (length == whole.size()), qPrintable(QStringLiteral("%1 bytes").arg(length)));
            const QString loadProblem = load.run(prefix);
            QVERIFY2(loadProblem.isEmpty(), qPrintable(QStringLiteral("%1 bytes: %2").arg(length).arg(loadProblem)));
        }
        std::vector<StringEntry> back;
        QVERIFY(GxtReader().read(whole, back));
        std::vector<StringEntry> expected = rows;
        gxtroundtrip::sortAsTheWriterDoes(expected);
        QCOMPARE(back, expected);
        qInfo("swept %lld prefixes", qlonglong(whole.size() + 1));
    }

    void everyByteSetToTellingValues_data()
    {
        QTest::addColumn<QByteArray>("sound");
        QTest::newRow("the writer's layout")
            << written({{s("A1"), s("Hi")}, {s("B"), s("")}, {s("CAFÉ"), s("~r~Go €")}, {s("EIGHTCHR"), s("x")}});
        // Records out of order, two sharing a text, one starting inside another's text,
        // high bytes in units, a gap and bytes after the last text.
        QTest::newRow("other tools' layout")
            << gxtbytes::file({{10, "ZED"}, {0, " PAD  "}, {10, "SHARED"}, {14, "INSIDE"}},
                              QByteArray("A\x01" "B\0" "\0\0" "??", 8) + gxtbytes::text("Tail") + "after");
    }
    void everyByteSetToTellingValues()
    {
        QFETCH(QByteArray, sound);
        std::vector<StringEntry> original;
        QVERIFY(GxtReader().read(sound, original));
        const qsizetype keySize = 12 * qsizetype(original.size());

        LoadCheck load;
        int files = 0;
        for (qsizetype position = 0; position < sound.size(); ++position) {
            for (quint8 value : tellingValues(quint8(sound[position]))) {
                QByteArray bytes = sound;
                bytes[position] = char(value);
                ++files;
                const QString where = QStringLiteral("byte %1 set to 0x%2").arg(position).arg(value, 2, 16, QLatin1Char('0'));
                const auto outcome = gxtroundtrip::check(bytes);
                QVERIFY2(outcome.broken.isEmpty(), qPrintable(where + QStringLiteral(": ") + outcome.broken));
                const QString loadProblem = load.run(bytes);
                QVERIFY2(loadProblem.isEmpty(), qPrintable(where + QStringLiteral(": ") + loadProblem));

                // What a damaged byte may change depends on where it stands.
                std::vector<StringEntry> got;
                const bool loaded = GxtReader().read(bytes, got);
                int record = -1;
                switch (regionOf(position, keySize, &record)) {
                case Region::Tag:
                case Region::DataHeader:
                    // The reader checks neither tag nor the text size.
                    QVERIFY2(loaded && got == original, qPrintable(where));
                    break;
                case Region::NameField:
                    QVERIFY2(loaded && got.size() == original.size(), qPrintable(where));
                    for (size_t i = 0; i < got.size(); ++i) {
                        QCOMPARE(got[i].value, original[i].value);
                        if (int(i) != record)
                            QCOMPARE(got[i].name, original[i].name);
                    }
                    break;
                case Region::Offset:
                    if (loaded) {
                        QCOMPARE(got.size(), original.size());
                        for (size_t i = 0; i < got.size(); ++i) {
                            QCOMPARE(got[i].name, original[i].name);
                            if (int(i) != record)
                                QCOMPARE(got[i].value, original[i].value);
                        }
                    }
                    break;
                case Region::Texts:
                    if (loaded) {
                        QCOMPARE(got.size(), original.size());
                        for (size_t i = 0; i < got.size(); ++i)
                            QCOMPARE(got[i].name, original[i].name);
                    }
                    break;
                case Region::KeySize:
                    break; // a smaller multiple of 12 is a sound, shorter table
                }
            }
        }
        qInfo("swept %d files with one byte changed", files);
    }

    void hugeClaimsFailFastWithoutAllocating_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason"); // empty: the file loads
        const QByteArray hi = gxtbytes::text("Hi");
        QTest::newRow("TKEY size near 2 GB") << gxtbytes::file({{0, "A"}}, hi, 0x7ffffff8)
                                             << "the TKEY size 2147483640 reaches past the end of the file (34 bytes)";
        QTest::newRow("TKEY size of the entry limit")
            << gxtbytes::file({{0, "A"}}, hi, 12 * GxtLimits::MaxEntries)
            << "the TKEY size 393192 reaches past the end of the file (34 bytes)";
        QTest::newRow("TKEY size most negative") << gxtbytes::file({{0, "A"}}, hi, qint32(0x80000000))
                                                 << "the TKEY size -2147483648 is negative";
        QTest::newRow("text offset near 2 GB") << gxtbytes::file({{0, "A"}, {0x7ffffffe, "B"}}, hi)
                                               << "entry 2 (B): the text offset 2147483646 lies past the end of the "
                                                  "file (46 bytes)";
        QList<Record> farAway;
        for (int i = 0; i < 1000; ++i)
            farAway.append({0x7fff0000 + 2 * i, "FAR"});
        QTest::newRow("a thousand offsets near 2 GB")
            << gxtbytes::file(farAway, hi)
            << "entry 1 (FAR): the text offset 2147418112 lies past the end of the file (12022 bytes)";
        QTest::newRow("text without end up to the last byte")
            << gxtbytes::file({{0, "A"}}, QByteArray(4000, 'x')) << "entry 1 (A): the text at offset 0 has no terminator "
                                                                   "before the end of the file";
        // The reader never looks at the TDAT size, so a claim there costs nothing at all.
        QByteArray bigData = gxtbytes::file({{0, "A"}}, hi);
        bigData.replace(12 + 12, 4, gxtbytes::int32(0x7fffffff));
        QTest::newRow("TDAT size near 2 GB") << bigData << QString();
    }
    void hugeClaimsFailFastWithoutAllocating()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        LoadCheck load;
        QVERIFY(writeFile(load.path, bytes));
        // Some times the file, and room for the load's own bookkeeping; far below what
        // trusting any of the claims would take.
        const qint64 budget = 16 * bytes.size() + (1 << 20);
        const QString problem = staysWithin(budget, load.path, [&] {
            StringTable table;
            LoadGxt(load.path, table);
        });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QString loadProblem = load.run(bytes);
        QVERIFY2(loadProblem.isEmpty(), qPrintable(loadProblem));
        GxtReader reader;
        std::vector<StringEntry> rows;
        QCOMPARE(reader.read(bytes, rows), reason.isEmpty());
        QCOMPARE(reader.errorString(), reason);
    }

    void laterVariantsAreNamedAsSuch_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const auto tables = variantfiles::sampleTables();
        QTest::newRow("TABL first, three tables") << variantfiles::tableOfTables(tables, false);
        QTest::newRow("TABL first, main table only") << variantfiles::tableOfTables(tables.first(1), false);
        QTest::newRow("TABL first, no tables") << variantfiles::tableOfTables({}, false);
        QTest::newRow("version header, 8-bit texts") << variantfiles::tableOfTables(tables, true, 8);
        QTest::newRow("version header, 16-bit texts") << variantfiles::tableOfTables(tables, true, 16);
        QTest::newRow("version header, main table only") << variantfiles::tableOfTables(tables.first(1), true, 8);
    }
    void laterVariantsAreNamedAsSuch()
    {
        QFETCH(QByteArray, bytes);
        const qsizetype tagEnd = bytes.indexOf("TABL") + 4;
        QVERIFY(tagEnd == 4 || tagEnd == 8);
        LoadCheck load;
        // Whole, and cut anywhere once the tag is there: a half-downloaded variant file is
        // still named for what it is.
        for (qsizetype length = 0; length <= bytes.size(); ++length) {
            const QByteArray prefix = bytes.first(length);
            GxtReader reader;
            std::vector<StringEntry> rows;
            QVERIFY(!reader.read(prefix, rows));
            if (length >= tagEnd)
                QCOMPARE(reader.errorString(), LaterVariant);
            else
                QVERIFY2(!reader.errorString().isEmpty() && reader.errorString() != LaterVariant,
                         qPrintable(reader.errorString()));
            const QString loadProblem = load.run(prefix);
            QVERIFY2(loadProblem.isEmpty(), qPrintable(loadProblem));
        }
        // The TKEY blocks inside are sound: it is only the table of tables that is refused.
        const qsizetype inner = bytes.indexOf("TKEY");
        if (inner > 0 && (tagEnd == 4 || bytes.at(2) == 16)) { // 16-bit texts: the block reads as a file of its own
            std::vector<StringEntry> rows;
            QVERIFY(GxtReader().read(bytes.sliced(inner), rows));
            QVERIFY(!rows.empty());
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
                StringTable table;
                table.assign(KeptRows);
                const GxtLoadResult result = LoadGxt(path, table);
                if (table.rows() != KeptRows)
                    _exit(6);
                return (result.ok ? QByteArray("loaded") : result.errorString.toUtf8());
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
