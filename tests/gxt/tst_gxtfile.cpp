#include "gxtbytes.h"
#include "testfiles.h"

#include "fileio.h"
#include "radixsort.h"
#include "gxtdocumentfile.h"
#include "stringtable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <tuple>

using namespace quillet;
using gxtbytes::Record;
using testfiles::Rows;

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

Rows rowsOf(std::initializer_list<std::pair<const char *, const char *>> list)
{
    Rows rows;
    for (const auto &[name, value] : list)
        rows.append({QString::fromUtf8(name), QString::fromUtf8(value)});
    return rows;
}

QByteArray build(const Rows &rows)
{
    return testfiles::written(rows);
}

Rows parse(const QByteArray &bytes, QString *error = nullptr)
{
    return testfiles::readRows(bytes, error);
}

testfiles::RowDocument flat(const Rows &rows)
{
    return {QStringLiteral("flat"), 16, {{mainTableName(), rows}}};
}

// A flat document of these rows, as the editor holds it.
void fill(GxtDocument &document, const Rows &rows)
{
    document.assign(testfiles::raw(flat(rows)));
}

// The rows a document's first table holds, in its order.
Rows rowsIn(const GxtDocument &document)
{
    return testfiles::rowsOf(document.toRaw(), *CharacterNumbering::windows1252()).tables.front().rows;
}

// What typing these rows in refuses, or nothing.
QString refusal(const Rows &rows)
{
    RawDocument raw;
    return testfiles::encode(flat(rows), *CharacterNumbering::windows1252(), raw).errorString();
}

// A flat document of one entry whose text is `units`, whatever they are.
RawDocument oneText(const QString &units)
{
    RawDocument raw = testfiles::raw(flat({{"A", ""}}));
    raw.tables.front().entries.front().units = units;
    return raw;
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

Rows numberedRows(int count)
{
    Rows rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append({QStringLiteral("K%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("v%1").arg(i)});
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
        // The game reads a name as a C string: what follows its first zero is not the name.
        QTest::newRow("zero inside") << QByteArray("HEY\0\0USE", 8) << QStringLiteral("HEY");
        QTest::newRow("spaces around") << QByteArray::fromHex("2020414220202020") << QStringLiteral("AB");
        QTest::newRow("zero first") << QByteArray::fromHex("0041004200000000") << QString();
        QTest::newRow("eight characters") << QByteArray("ABCDEFGH") << QStringLiteral("ABCDEFGH");
        QTest::newRow("all zero") << QByteArray(8, '\0') << QString();
        QTest::newRow("inner space kept") << QByteArray("A B") << QStringLiteral("A B");
    }
    void nameFieldsAreCleanedOfZerosAndSpaces()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, name);
        const auto rows = parse(gxtbytes::file({{0, field}}, gxtbytes::text("x")));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].name, name);
        // A save writes the name the game reads, and nothing of what followed it.
        const QByteArray again = build(rows);
        QCOMPARE(again.mid(12, 8), (name.toLatin1() + QByteArray(8, '\0')).left(8));
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

    // The order the game searches keys in: in a flat file by the Windows-1252 characters'
    // codes (so the bytes 0x80 to 0x9F, whose characters lie far above 0xFF, sort after
    // every other byte), in a tabled file by bytes; equal keys keep the table's order.
    void writerOrderOfKeys_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("order"); // name and value, as written
        const QStringList cases{"b", "B", "a", "A", "_", "AB", "B"};
        QTest::newRow("letter case and signs") << "flat" << cases << QStringList{"A4", "AB6", "B2", "B7", "_5", "a3", "b1"};
        QTest::newRow("tabled, the same") << "tabled" << cases << QStringList{"A4", "AB6", "B2", "B7", "_5", "a3", "b1"};
        const QStringList high{"X€", "X\u0081", "XŒ", "XŸ", "X\u00A0", "Xÿ"};
        QTest::newRow("flat: character codes, not bytes")
            << "flat" << high << QStringList{"X\u00812", "X\u00A05", "Xÿ6", "XŒ3", "XŸ4", "X€1"};
        QTest::newRow("tabled: bytes") << "tabled" << high
                                       << QStringList{"X€1", "X\u00812", "XŒ3", "XŸ4", "X\u00A05", "Xÿ6"};
        // More equal keys than an insertion sort takes in one run: an unstable sort keeps
        // small runs in order by chance.
        QStringList many;
        QStringList manyOrder;
        for (int i = 0; i < 40; ++i)
            many << (i % 2 ? "SAME" : "Z");
        for (int i = 1; i < 40; i += 2)
            manyOrder << QStringLiteral("SAME%1").arg(i + 1);
        for (int i = 0; i < 40; i += 2)
            manyOrder << QStringLiteral("Z%1").arg(i + 1);
        QTest::newRow("equal keys keep their order") << "flat" << many << manyOrder;
    }
    void writerOrderOfKeys()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, names);
        QFETCH(QStringList, order);
        testfiles::RowDocument document{format, 16, {{mainTableName(), {}}}};
        for (qsizetype i = 0; i < names.size(); ++i)
            document.tables[0].rows.append({names[i], QString::number(i + 1)});
        const QByteArray bytes = testfiles::written(document, *CharacterNumbering::windows1252());
        QStringList written;
        RawDocument raw;
        QVERIFY(readGxt(bytes, raw));
        const testfiles::RowDocument shown = testfiles::rowsOf(raw, *CharacterNumbering::windows1252());
        for (const testfiles::Row &row : shown.tables[0].rows)
            written << row.name + row.value;
        QCOMPARE(written, order);
        // What the writer wrote is in the order it writes: nothing to move the second time.
        QVERIFY(inWriterOrder(raw) == raw);
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
        QCOMPARE(rows.size(), records.size());
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
        for (qsizetype i = 0; i < again.size(); ++i)
            fieldsWritten.insert(saved.mid(8 + 12 * i + 4, 8));
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
        QVERIFY(LoadGxt(path, document, log.hooks()));
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

    void loadKeepsTheFilesOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, gxtbytes::file({{0, "B"}, {0, "c"}, {0, "A"}}, gxtbytes::text("x"))));
        GxtDocument document;
        QVERIFY(LoadGxt(path, document));
        QCOMPARE(rowsIn(document), rowsOf({{"B", "x"}, {"c", "x"}, {"A", "x"}}));
        // Entries that share a text in the file share one string, not three copies.
        const StringTable &table = *document.table(0);
        QVERIFY(table.at(0).units.isSharedWith(table.at(2).units));
    }

    void entryLimitAtLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, build(numberedRows(32766))));
        GxtDocument document;
        QVERIFY(LoadGxt(path, document));
        const StringTable &table = *document.table(0);
        QCOMPARE(table.count(), 32766);

        // One more record: refused before any row is read, and the open table stays.
        QList<Record> records;
        for (int i = 0; i < 32767; ++i)
            records.append({0, "N"});
        QVERIFY(writeAll(path, gxtbytes::file(records, gxtbytes::text(""))));
        HookLog log;
        const Result result = LoadGxt(path, document, log.hooks());
        QVERIFY(!result);
        QCOMPARE(result.errorString(), QStringLiteral("the file has 32767 entries; at most 32766 can be loaded"));
        QCOMPARE(document.table(0), &table);
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

            RawDocument expected;
            const Result read = readGxt(bytes, expected);
            QVERIFY2(read, qPrintable(read.errorString()));
            GxtDocument document;
            const Result result = LoadGxt(path, document);
            QVERIFY2(result, qPrintable(result.errorString()));
            QVERIFY(document.toRaw() == expected);
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
                                               << "it is not a GXT file: it starts with no tag of a format Quillet knows "
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
        fill(document, rowsOf({{"KEEP", "me"}, {"ALSO", "this"}}));
        const StringTable *table = document.table(0);
        const EntryId first = table->at(0).id;
        HookLog log;
        const Result result = LoadGxt(path, document, log.hooks());
        QVERIFY(!result);
        QCOMPARE(result.errorString(), reason);
        // Nothing the caller had is lost, not even the table object, and the operation is over.
        QCOMPARE(document.table(0), table);
        QCOMPARE(table->at(0).id, first);
        QCOMPARE(rowsIn(document), rowsOf({{"KEEP", "me"}, {"ALSO", "this"}}));
        QCOMPARE(log.events.last(), QStringLiteral("end"));
    }

    void missingFileAndFolderFail()
    {
        QTemporaryDir dir;
        GxtDocument document;
        HookLog log;
        Result result = LoadGxt(dir.filePath(QStringLiteral("absent.gxt")), document, log.hooks());
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
        (void)parse(gxtbytes::file(records, gxtbytes::text(QByteArray(60000, 'a'))), &error);
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
                                    "numbering Windows-1252 cannot store";
        QTest::newRow("outside the plane") << "A" << "\U0001F600"
                                           << "entry 2 (A): the value holds the character '\U0001F600' (U+1F600), which "
                                              "the character numbering Windows-1252 cannot store";
        QTest::newRow("code zero") << "A" << QStringLiteral("a") + QChar(0) + "b"
                                   << "entry 2 (A): the value holds a character of code 0, which would end the text early";
        QTest::newRow("escape of zero") << "A" << "a⟨0000⟩"
                                        << "entry 2 (A): the value holds ⟨0000⟩, the unit 0, which would end the text early";
        QTest::newRow("euro and accents") << "EURO" << "5 €, naïve" << "";
        // C1 controls have no byte, but for the five bytes the code page leaves undefined,
        // which stand for themselves.
        QTest::newRow("U+0080") << "A" << QStringLiteral("\u0080")
                                << "entry 2 (A): the value holds the character U+0080, which the character numbering Windows-1252 "
                                   "cannot store";
        QTest::newRow("U+009F") << "A" << QStringLiteral("\u009F")
                                << "entry 2 (A): the value holds the character U+009F, which the character numbering Windows-1252 "
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
        const Rows rows{{QString(), QString()}, {name, value}};
        QCOMPARE(::refusal(rows), refusal);
        if (refusal.isEmpty())
            QCOMPARE(parse(build(rows)), (Rows{rows[0], {name.trimmed(), value}}));
        // The writer refuses a text too long by itself, whatever put it in the document.
        if (refusal.contains(QStringLiteral("the value has"))) {
            RawDocument raw = testfiles::raw(flat({rows[0], {name, QString()}}));
            raw.tables[0].entries[1].units = value;
            QByteArray out;
            QCOMPARE(writeGxt(raw, out).errorString(), refusal);
            QVERIFY(out.isEmpty());
        }
    }

    void failedSaveLeavesTheFileAndTheTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, WorkedExample));
        GxtDocument document;
        RawDocument raw = oneText(QString(32767, u'x'));
        raw.tables[0].entries.insert(raw.tables[0].entries.begin(), testfiles::raw(flat({{"B", "2"}})).tables[0].entries[0]);
        document.assign(std::move(raw));
        const RawDocument before = document.toRaw();
        HookLog log;
        const Result result = SaveGxt(path, document, log.hooks());
        QCOMPARE(result.errorString(), QStringLiteral("entry 2 (A): the value has 32767 characters; a GXT text holds at most 32766"));
        QCOMPARE(readAll(path), WorkedExample);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t.gxt")});
        // Refused before the progress was even set up.
        QCOMPARE(log.events, (QStringList{"begin", "end"}));
        QVERIFY(document.toRaw() == before);
    }

    void saveReplacesALongerFileExactlyAndLeavesTheTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeAll(path, QByteArray(5000, 'z')));
        GxtDocument document;
        fill(document, rowsOf({{"B", ""}, {"A1", "Hi"}}));
        const RawDocument before = document.toRaw();
        QVERIFY(SaveGxt(path, document));
        QCOMPARE(readAll(path), WorkedExample);
        // The file is in the writer's order; the document stays in its own.
        QVERIFY(document.toRaw() == before);
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
            if (!readGxt(WorkedExample, expected))
                return Result::failure(QStringLiteral("the worked example does not read"));
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

    // Every open sorts record places by offset and hashes to look keys up in; a sort that
    // lost, doubled or misplaced a number would read texts in the wrong order or miss keys.
    // Sizes on both sides of the comparison sort's cut-off, and largest numbers whose
    // highest bit falls on each side of a digit's edge.
    void numbersSortAsAComparisonSortWould_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("bits");
        for (int count : {255, 256, 5000})
            for (int bits : {1, 11, 12, 22, 23, 33, 47, 64})
                QTest::addRow("%d numbers of %d bits", count, bits) << count << bits;
    }
    void numbersSortAsAComparisonSortWould()
    {
        QFETCH(int, count);
        QFETCH(int, bits);
        QRandomGenerator random(quint32(count * 131 + bits));
        const quint64 mask = bits == 64 ? ~quint64(0) : (quint64(1) << bits) - 1;
        std::vector<quint64> wide(static_cast<size_t>(count));
        for (quint64 &value : wide)
            value = random.generate64() & mask;
        wide[size_t(count / 2)] = mask; // the highest bit set somewhere
        wide[0] = wide[size_t(count - 1)]; // a number twice
        std::vector<quint64> expected = wide;
        std::sort(expected.begin(), expected.end());
        sortNumbers(wide);
        QVERIFY(wide == expected);
        if (bits <= 32) {
            std::vector<quint32> narrow(expected.rbegin(), expected.rend());
            sortNumbers(narrow);
            QVERIFY(std::equal(narrow.begin(), narrow.end(), expected.begin(), expected.end()));
        }
    }
};

QTEST_GUILESS_MAIN(TestGxtFile)
#include "tst_gxtfile.moc"
