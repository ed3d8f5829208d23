#include "gxtbytes.h"
#include "testfiles.h"

#include "fileio.h"
#include "gxtdocumentfile.h"
#include "stringtable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <tuple>

using namespace quillet;
using gxtbytes::Record;

namespace {

const QByteArray WorkedExample = QByteArray::fromHex("544B4559"
                                                     "18000000"
                                                     "00000000"
                                                     "4131000000000000"
                                                     "06000000"
                                                     "4200000000000000"
                                                     "54444154"
                                                     "08000000"
                                                     "480069000000"
                                                     "0000");

std::vector<StringEntry> rowsOf(std::initializer_list<std::pair<const char *, const char *>> list)
{
    std::vector<StringEntry> rows;
    for (const auto &[name, value] : list)
        rows.push_back({QString::fromUtf8(name), QString::fromUtf8(value)});
    return rows;
}

QByteArray build(const std::vector<StringEntry> &rows)
{
    return testfiles::written(rows);
}

std::vector<StringEntry> parse(const QByteArray &bytes, QString *error = nullptr)
{
    return testfiles::readRows(bytes, error);
}

// A flat document of these rows, as the editor holds it.
void fill(GxtDocument &document, const std::vector<StringEntry> &rows)
{
    GxtDocumentData data;
    data.tables.push_back({mainTableName(), rows});
    document.assign(std::move(data), nullptr);
}

// What a save of these rows refuses, or nothing.
QString refusal(const std::vector<StringEntry> &rows)
{
    GxtDocumentData data;
    data.tables.push_back({mainTableName(), rows});
    RawDocument raw;
    return encodeDocumentData(data, *CharacterNumbering::windows1252(), raw).errorString();
}

bool rawInWriterOrder(const QByteArray &bytes)
{
    RawDocument raw;
    return readGxt(bytes, raw) && isInWriterOrder(raw.layout, raw.tables.front().entries);
}

// Records what the hooks see, in order, so that the progress steps can be checked exactly.
struct HookLog {
    QStringList events;
    double value = 0;
    FileOperationHooks hooks()
    {
        FileOperationHooks h;
        h.begin = [this] { events << QStringLiteral("begin"); };
        h.end = [this] { events << QStringLiteral("end"); };
        h.setProgressMaximum = [this](double m) { events << QStringLiteral("max %1").arg(m); };
        h.advance = [this](double by) {
            value += by;
            events << QStringLiteral("value %1").arg(value);
        };
        h.resetProgress = [this] {
            value = 0;
            events << QStringLiteral("reset");
        };
        return h;
    }
};

std::vector<StringEntry> numberedRows(int count)
{
    std::vector<StringEntry> rows;
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        rows.push_back({QStringLiteral("K%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("v%1").arg(i)});
    return rows;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestGxtFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workedExampleIsWrittenByteForByteWhicheverRowComesFirst()
    {
        QCOMPARE(build(rowsOf({{"A1", "Hi"}, {"B", ""}})), WorkedExample);
        QCOMPARE(build(rowsOf({{"B", ""}, {"A1", "Hi"}})), WorkedExample);
        QCOMPARE(parse(WorkedExample), rowsOf({{"A1", "Hi"}, {"B", ""}}));
    }

    void emptyTableIsSixteenBytes()
    {
        const QByteArray empty = QByteArray("TKEY") + gxtbytes::int32(0) + "TDAT" + gxtbytes::int32(0);
        QCOMPARE(build({}), empty);
        QString error;
        QVERIFY(parse(empty, &error).empty());
        QVERIFY(error.isEmpty());
    }

    void nameFieldsAreCleanedOfZerosAndSpaces_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("name");
        QTest::newRow("zero inside") << QByteArray::fromHex("4142004344000000") << QStringLiteral("ABCD");
        QTest::newRow("spaces around") << QByteArray::fromHex("2020414220202020") << QStringLiteral("AB");
        QTest::newRow("zeros first") << QByteArray::fromHex("0041004200000000") << QStringLiteral("AB");
        QTest::newRow("eight characters") << QByteArray("ABCDEFGH") << QStringLiteral("ABCDEFGH");
        QTest::newRow("all zero") << QByteArray(8, '\0') << QString();
        QTest::newRow("inner space kept") << QByteArray("A B") << QStringLiteral("A B");
    }
    void nameFieldsAreCleanedOfZerosAndSpaces()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, name);
        const auto rows = parse(gxtbytes::file({{0, field}}, gxtbytes::text("x")));
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0].name, name);
    }

    void eightCharacterNameHasNoZeroByte()
    {
        const QByteArray bytes = build(rowsOf({{"ABCDEFGH", "v"}}));
        QCOMPARE(bytes.mid(12, 8), QByteArray("ABCDEFGH"));
        QCOMPARE(parse(bytes), rowsOf({{"ABCDEFGH", "v"}}));
    }

    void everySixteenBitUnitIsKept()
    {
        // 41 01 is no A with its high byte dropped, and 00 01 no character of code 0 that a
        // save would turn into a terminator: each is a unit of its own, shown as an escape
        // and written back as it was.
        QByteArray data = QByteArray::fromHex("4101" "0001" "4200" "0000");
        const QByteArray original = gxtbytes::file({{0, "M"}, {0, "N"}, {4, "P"}}, data);
        const auto rows = parse(original);
        QCOMPARE(rows[0].value, QStringLiteral("⟨0141⟩⟨0100⟩B"));
        QCOMPARE(rows[1].value, rows[0].value);
        QCOMPARE(rows[2].value, QStringLiteral("B"));
        const QByteArray saved = build(rows);
        QCOMPARE(parse(saved), rows);
        QCOMPARE(saved.mid(16 + 36, 8), QByteArray::fromHex("4101" "0001" "4200" "0000"));
    }

    void sharedOverlappingAndOutOfOrderOffsets()
    {
        // Texts: "Hello" at 0, its suffix "llo" at 4, "Z" at 12; records out of name order.
        const QByteArray data = gxtbytes::text("Hello") + gxtbytes::text("Z");
        const QByteArray bytes = gxtbytes::file({{12, "ZED"}, {0, "B"}, {4, "A"}, {0, "C"}}, data);
        const auto rows = parse(bytes);
        QCOMPARE(rows, rowsOf({{"ZED", "Z"}, {"B", "Hello"}, {"A", "llo"}, {"C", "Hello"}}));

        // Saving writes them in name order with consecutive offsets: a different layout.
        const QByteArray saved = build(rows);
        QCOMPARE(saved, build(rowsOf({{"A", "llo"}, {"B", "Hello"}, {"C", "Hello"}, {"ZED", "Z"}})));
        QCOMPARE(saved.mid(8, 4), gxtbytes::int32(0));
        QCOMPARE(saved.mid(20, 4), gxtbytes::int32(8));
        QCOMPARE(saved.mid(32, 4), gxtbytes::int32(20));
        QCOMPARE(saved.mid(44, 4), gxtbytes::int32(32));
        QCOMPARE(saved.size(), 16 + 48 + 8 + 12 + 12 + 4);
    }

    void writerOrderIsByCharacterCodeAndStable()
    {
        const auto rows = parse(build(rowsOf({{"b", "1"}, {"B", "2"}, {"a", "3"}, {"A", "4"}, {"_", "5"}, {"AB", "6"},
                                              {"B", "7"}})));
        QStringList order;
        for (const auto &r : rows)
            order << r.name + r.value;
        QCOMPARE(order, (QStringList{"A4", "AB6", "B2", "B7", "_5", "a3", "b1"}));
        QVERIFY(rawInWriterOrder(build(rows)));
        QVERIFY(!rawInWriterOrder(gxtbytes::file({{0, "b"}, {0, "a"}}, gxtbytes::text(""))));

        // More rows sharing a name than an insertion sort handles: the order must still be
        // the table's (an unstable sort keeps small runs in order by chance).
        std::vector<StringEntry> many;
        for (int i = 0; i < 40; ++i)
            many.push_back({i % 2 ? QStringLiteral("SAME") : QStringLiteral("Z%1").arg(i), QString::number(i)});
        QStringList values;
        for (const auto &r : parse(build(many))) {
            if (r.name == QLatin1String("SAME"))
                values << r.value;
        }
        QStringList expected;
        for (int i = 1; i < 40; i += 2)
            expected << QString::number(i);
        QCOMPARE(values, expected);
    }

    void everyByteRoundTripsInNamesAndTexts()
    {
        // 255 bytes: in texts as one value, in names eight at a time.
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all += char(b);
        QList<Record> records;
        for (int i = 0; i < all.size(); i += 8) {
            QByteArray field = all.mid(i, 8);
            // A name field loses surrounding spaces; keep the space (0x20) inside the name.
            if (field.startsWith(' ') || field.endsWith(' '))
                field = field.left(1) == " " ? QByteArray("A") + field.left(7) : field.left(7) + "A";
            records.append({0, field});
        }
        const QByteArray original = gxtbytes::file(records, gxtbytes::text(all));
        const auto rows = parse(original);
        QCOMPARE(rows.size(), size_t(records.size()));
        QCOMPARE(rows[0].value.size(), qsizetype(255));
        QCOMPARE(rows[0].value.at(0x80 - 1), QChar(0x20AC)); // the euro sign: this is Windows-1252
        QCOMPARE(rows[0].value.at(0x81 - 1), QChar(0x81));   // an undefined byte survives as itself

        const auto again = parse(build(rows));
        QCOMPARE(again.size(), rows.size());
        for (const auto &r : again)
            QCOMPARE(r.value, rows[0].value);
        // Every byte of every name comes back: compare the written name fields with ours.
        const QByteArray saved = build(again);
        QSet<QByteArray> fieldsWritten;
        for (size_t i = 0; i < again.size(); ++i)
            fieldsWritten.insert(saved.mid(8 + 12 * qsizetype(i) + 4, 8));
        for (const Record &r : records)
            QVERIFY2(fieldsWritten.contains(r.nameField.leftJustified(8, '\0')), r.nameField.toHex().constData());
    }

    void loadProgressSteps_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("49") << 49 << QStringList{"begin", "max 147", "end"};
        QTest::newRow("50") << 50 << QStringList{"begin", "max 150", "value 50", "value 150", "end"};
        QTest::newRow("100") << 100
                             << QStringList{"begin", "max 300", "value 50", "value 100", "value 200", "value 300", "end"};
        QTest::newRow("empty") << 0 << QStringList{"begin", "max 0", "end"};
    }
    void loadProgressSteps()
    {
        QFETCH(int, count);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, build(numberedRows(count))));
        GxtDocument document;
        HookLog log;
        QVERIFY(LoadGxt(path, document, {}, log.hooks()));
        QCOMPARE(log.events, expected);
        QCOMPARE(document.table(0)->count(), count);
    }

    void saveProgressSteps()
    {
        QTemporaryDir dir;
        GxtDocument document;
        fill(document, numberedRows(50));
        HookLog log;
        QVERIFY(SaveGxt(dir.filePath(QStringLiteral("t.gxt")), document, log.hooks()));
        QCOMPARE(log.events, (QStringList{"begin", "max 150", "value 0", "value 50", "value 150", "reset", "end"}));
    }

    void loadSortsByNameAndKeepsTheDirection()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, gxtbytes::file({{0, "B"}, {0, "c"}, {0, "A"}}, gxtbytes::text("x"))));
        GxtDocument document;
        StringTable &table = *document.table(0);
        table.setSortKey(StringTable::ByValue);
        table.setSortOrder(StringTable::Descending);
        QVERIFY(LoadGxt(path, document));
        QVERIFY(table.isSorted());
        QCOMPARE(table.sortKey(), int(StringTable::ByName));
        QCOMPARE(table.sortOrder(), int(StringTable::Descending));
        QCOMPARE(table.name(1), QStringLiteral("c"));
        QCOMPARE(table.name(3), QStringLiteral("A"));
        QCOMPARE(table.value(1), QStringLiteral("x"));
    }

    void entryLimitAtLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, build(numberedRows(GxtLimits::MaxEntries))));
        GxtDocument document;
        const StringTable &table = *document.table(0);
        QVERIFY(LoadGxt(path, document));
        QCOMPARE(table.count(), 32766);

        // One more record: refused before any row is read, and the open table stays.
        QList<Record> records;
        for (int i = 0; i < 32767; ++i)
            records.append({0, "N"});
        QVERIFY(writeAll(path, gxtbytes::file(records, gxtbytes::text(""))));
        HookLog log;
        const Result result = LoadGxt(path, document, {}, log.hooks());
        QVERIFY(!result);
        QCOMPARE(result.errorString(), QStringLiteral("the file has 32767 entries; at most 32766 can be loaded"));
        QCOMPARE(table.count(), 32766);
        QCOMPARE(log.events, (QStringList{"begin", "end"}));
    }

    void largeFilesLoadFromDiskAsTheReaderReadsThem()
    {
        // A load reads the file a window at a time. Texts longer than a window, texts across
        // the windows' edges, high bytes, and (second round) shared, overlapping and
        // out-of-order offsets all come out as the reader gives them from memory.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.gxt"));
        for (const bool tangled : {false, true}) {
            QByteArray data;
            auto addText = [&data](int units, char first) {
                const qint32 offset = qint32(data.size());
                for (int u = 0; u < units; ++u) {
                    data += char(first + u % 23);
                    data += u % 97 == 5 ? '\x01' : '\0';
                }
                data += QByteArray(2, '\0');
                return offset;
            };
            QList<Record> records{{addText(300000, 'a'), "HUGE"}};
            for (int i = 0; i < 3000; ++i)
                records.append({addText(40 + (i * 37) % 400, 'A'), "N" + QByteArray::number(i)});
            if (tangled) {
                records.append({records[0].offset + 2 * 1000, "INSIDE"});
                records.append({records[7].offset, "SHARED"});
                records.prepend({records[2500].offset, "FIRST"});
            }
            const QByteArray bytes = gxtbytes::file(records, data);
            QVERIFY(writeAll(path, bytes));

            QString error;
            const std::vector<StringEntry> expected = parse(bytes, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            GxtDocument document;
            const Result result = LoadGxt(path, document);
            QVERIFY2(result, qPrintable(result.errorString()));
            const StringTable &table = *document.table(0);
            auto ordinal = [](std::vector<StringEntry> rows) {
                std::sort(rows.begin(), rows.end(), [](const StringEntry &a, const StringEntry &b) {
                    return std::tie(a.name, a.value) < std::tie(b.name, b.value);
                });
                return rows;
            };
            QVERIFY(ordinal(table.rows()) == ordinal(expected));
        }
    }

    void damagedFilesFailWithAReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray okText = gxtbytes::text("Hi");
        QTest::newRow("empty file") << QByteArray() << "the file is 0 bytes long; a GXT file has at least 8";
        QTest::newRow("7 bytes") << QByteArray("TKEY\0\0\0", 7) << "the file is 7 bytes long; a GXT file has at least 8";
        QTest::newRow("K negative") << gxtbytes::file({{0, "A"}}, okText, -12) << "the TKEY size -12 is negative";
        QTest::newRow("K not a multiple of 12")
            << gxtbytes::file({{0, "A"}}, okText, 13) << "the TKEY size 13 is not a multiple of 12";
        QTest::newRow("K past the end") << gxtbytes::file({{0, "A"}}, okText, 1200)
                                        << "the TKEY size 1200 reaches past the end of the file (34 bytes)";
        QTest::newRow("offset negative") << gxtbytes::file({{0, "A"}, {-2, "B"}}, okText)
                                         << "entry 2 (B): the text offset -2 is negative";
        QTest::newRow("offset past the end") << gxtbytes::file({{0, "A"}, {6, "B"}}, okText)
                                             << "entry 2 (B): the text offset 6 lies past the end of the file (46 bytes)";
        QTest::newRow("no terminator") << gxtbytes::file({{0, "A"}}, QByteArray("H\0i\0", 4))
                                       << "entry 1 (A): the text at offset 0 has no terminator before the end of the file";
        QTest::newRow("odd byte at the end") << gxtbytes::file({{0, "A"}}, QByteArray("H\0\0", 3))
                                             << "entry 1 (A): the text at offset 0 has no terminator before the end of the file";
        QTest::newRow("no text block") << (QByteArray("TKEY") + gxtbytes::int32(12) + gxtbytes::int32(0) + "NAME0000")
                                       << "entry 1 (NAME0000): the text offset 0 lies past the end of the file (20 bytes)";
        QTest::newRow("TABL behind a version") << (gxtbytes::int32(0x00100004) + "TABL" + gxtbytes::int32(0))
                                               << "the file lists no tables; a GXT file of tables has a MAIN table first";
        QTest::newRow("unknown tag, no table") << (QByteArray("GXT!") + gxtbytes::int32(5))
                                               << "it is not a GXT file: it starts with no tag of a layout Quillet knows "
                                                  "(TKEY or TABL), and read as a flat table it fails: the TKEY size 5 is "
                                                  "not a multiple of 12";
    }
    void damagedFilesFailWithAReason()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.gxt"));
        QVERIFY(writeAll(path, bytes));

        GxtDocument document;
        StringTable &table = *document.table(0);
        table.assign(rowsOf({{"KEEP", "me"}, {"ALSO", "this"}}));
        table.setSortOrder(StringTable::Descending);
        HookLog log;
        const Result result = LoadGxt(path, document, {}, log.hooks());
        QVERIFY(!result);
        QCOMPARE(result.errorString(), reason);
        // Nothing the caller had is lost, and the operation is over.
        QCOMPARE(table.rows(), rowsOf({{"KEEP", "me"}, {"ALSO", "this"}}));
        QVERIFY(!table.isSorted());
        QCOMPARE(log.events.last(), QStringLiteral("end"));
    }

    void missingFileAndFolderFail()
    {
        QTemporaryDir dir;
        GxtDocument document;
        HookLog log;
        Result result = LoadGxt(dir.filePath(QStringLiteral("absent.gxt")), document, {}, log.hooks());
        QVERIFY(!result);
        QVERIFY(!result.errorString().isEmpty());
        QCOMPARE(log.events, (QStringList{"begin", "end"}));
        result = LoadGxt(dir.path(), document);
        QCOMPARE(result.errorString(), QStringLiteral("it is a folder, not a file"));
        // A device never ends; it must be refused rather than read.
        result = LoadGxt(QStringLiteral("/dev/zero"), document);
        QCOMPARE(result.errorString(), QStringLiteral("it is not a regular file"));
    }

    void overlappingTextsCannotBlowUp()
    {
        // 30000 records each starting one unit further into one long text: decoding them
        // all would mean about 10^9 characters from a file of 480 KB.
        QList<Record> records;
        for (int i = 0; i < 30000; ++i)
            records.append({2 * i, "N"});
        QString error;
        parse(gxtbytes::file(records, gxtbytes::text(QByteArray(60000, 'a'))), &error);
        QVERIFY2(error.contains(QStringLiteral("overlap")), qPrintable(error));
    }

    void valueAndNameLimitsAtSave_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("longest value") << "MAX" << QString(32766, u'x') << "";
        QTest::newRow("value too long") << "MAX" << QString(32767, u'x')
                                        << "entry 2 (MAX): the value has 32767 characters; a GXT text holds at most 32766";
        QTest::newRow("escapes count as one unit") << "ESC" << QString(32765, u'x') + "⟨0100⟩" << "";
        QTest::newRow("name too long") << "NINECHARS" << ""
                                       << "entry 2 (NINECHARS): the name \"NINECHARS\" has 9 characters; a GXT name "
                                          "holds at most 8";
        QTest::newRow("snowman") << "A" << "snow ☃ man"
                                 << "entry 2 (A): the value holds the character '☃' (U+2603), which the character "
                                    "numbering windows-1252 cannot store";
        QTest::newRow("outside the plane") << "A" << "\U0001F600"
                                           << "entry 2 (A): the value holds the character '\U0001F600' (U+1F600), which "
                                              "the character numbering windows-1252 cannot store";
        QTest::newRow("code zero") << "A" << QStringLiteral("a") + QChar(0) + "b"
                                   << "entry 2 (A): the value holds a character of code 0, which would end the text early";
        QTest::newRow("escape of zero") << "A" << "a⟨0000⟩"
                                        << "entry 2 (A): the value holds ⟨0000⟩, the unit 0, which would end the text early";
        QTest::newRow("euro and accents") << "EURO" << "5 €, naïve" << "";
        // C1 controls have no byte, but for the five bytes the code page leaves undefined,
        // which stand for themselves.
        QTest::newRow("U+0080") << "A" << QStringLiteral("\u0080")
                                << "entry 2 (A): the value holds the character U+0080, which the character numbering windows-1252 "
                                   "cannot store";
        QTest::newRow("U+009F") << "A" << QStringLiteral("\u009F")
                                << "entry 2 (A): the value holds the character U+009F, which the character numbering windows-1252 "
                                   "cannot store";
        QTest::newRow("undefined bytes") << "A" << QStringLiteral("\u0081\u008D\u008F\u0090\u009D") << "";
        // Written as given; the flat reader trims it, as the layout always has.
        QTest::newRow("name with a space first") << " A" << "" << "";
    }
    void valueAndNameLimitsAtSave()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, refusal);
        const std::vector<StringEntry> rows{{QString(), QString()}, {name, value}};
        QCOMPARE(::refusal(rows), refusal);
        if (refusal.isEmpty())
            QCOMPARE(parse(build(rows)), (std::vector<StringEntry>{rows[0], {name.trimmed(), value}}));
    }

    void failedSaveLeavesTheFileAndTheTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, WorkedExample));
        GxtDocument document;
        StringTable &table = *document.table(0);
        table.assign(rowsOf({{"B", "2"}, {"A", "☃"}}));
        HookLog log;
        const Result result = SaveGxt(path, document, log.hooks());
        QVERIFY(!result);
        QVERIFY(result.errorString().contains(QStringLiteral("U+2603")));
        QCOMPARE(readAll(path), WorkedExample);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t.gxt")});
        QCOMPARE(log.events, (QStringList{"begin", "end"}));
        QCOMPARE(table.name(1), QStringLiteral("B"));
    }

    void saveReplacesALongerFileExactlyAndLeavesTheTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, QByteArray(5000, 'z')));
        GxtDocument document;
        StringTable &table = *document.table(0);
        table.assign(rowsOf({{"B", ""}, {"A1", "Hi"}}));
        table.setSortKey(StringTable::ByValue);
        table.setSortOrder(StringTable::Descending);
        table.setSorted(true);
        const auto before = table.rows();
        QVERIFY(SaveGxt(path, document));
        QCOMPARE(readAll(path), WorkedExample);
        QCOMPARE(table.rows(), before);
        QCOMPARE(table.sortKey(), int(StringTable::ByValue));
        QCOMPARE(table.sortOrder(), int(StringTable::Descending));
    }

    void aSaveThatDoesNotReadBackKeepsTheOldFile()
    {
        // The check sees what the new file holds before it replaces anything: a file that
        // does not read back as the table stops the save, and the old file stays.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, WorkedExample));
        QByteArray seen;
        const Result refused = writeFileAtomically(path, build(rowsOf({{"A", "new"}})), [&seen](const QByteArray &bytes) {
            seen = bytes;
            RawDocument expected;
            readGxt(WorkedExample, expected);
            return verifyGxt(bytes, inWriterOrder(expected));
        });
        QVERIFY(!refused);
        QCOMPARE(refused.errorString(), QStringLiteral("the file written does not read back as the table: table MAIN "
                                                       "holds 1 entries instead of 2; the save was stopped"));
        QCOMPARE(seen, build(rowsOf({{"A", "new"}})));
        QCOMPARE(readAll(path), WorkedExample);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t.gxt")});
    }

    void saveToAMissingFolderFails()
    {
        QTemporaryDir dir;
        GxtDocument document;
        HookLog log;
        const Result result = SaveGxt(dir.filePath(QStringLiteral("no/such/t.gxt")), document, log.hooks());
        QVERIFY(!result);
        QVERIFY(!result.errorString().isEmpty());
        QCOMPARE(log.events.last(), QStringLiteral("end"));
    }
};

QTEST_GUILESS_MAIN(TestGxtFile)
#include "tst_gxtfile.moc"
