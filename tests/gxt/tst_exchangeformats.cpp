#include "codepage.h"
#include "exchangeformats.h"
#include "jsontext.h"
#include "keyhash.h"
#include "keynames.h"
#include "testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

using namespace quillet;
using testfiles::RowDocument;
using testfiles::Rows;

namespace {

QString units(std::initializer_list<char16_t> list)
{
    QString s;
    for (char16_t u : list)
        s += QChar(u);
    return s;
}

// Texts a real file may hold and a text form may trip on: line breaks alone and in pairs,
// units no numbering shows, the unit that shows as the escape's own bracket, quotes, commas
// and lines that look like the forms' own markers.
QStringList awkwardTexts(const GxtFormat &format, int bits)
{
    QStringList texts{QStringLiteral("Hi \"there\", [x] ~r~!"), units({0x0A}), units({0x41, 0x0D, 0x42}),
                      units({0x0D, 0x0A, 0x43}), units({0x01, 0x7F, 0x80, 0x81, 0xB5, 0xFF}),
                      QStringLiteral("{table MAIN}"), QStringLiteral("[A]"), QStringLiteral("  spaced  "),
                      QString(), units({0x90, 0x83, 0x5E})};
    if (format.widestUnit(bits) > 0xFF)
        texts += units({0x100, 0x27E8, 0xE780, 0xFFFD});
    // UTF-8 texts: bytes that are not UTF-8, kept; a character beyond the 16-bit units.
    if (format.traits().encoding == TextEncoding::Utf8)
        texts += units({0xDCFF, 0x41, 0xDC80, 0xD83D, 0xDE00});
    return texts;
}

StringEntry keyed(QByteArrayView key, const QString &text)
{
    StringEntry entry;
    entry.name = RawName::fromBytes(key);
    entry.units = text;
    return entry;
}

StringEntry hashedEntry(quint32 hash, const QString &text)
{
    StringEntry entry;
    entry.hash = hash;
    entry.units = text;
    return entry;
}

// A document of every layout as the writer makes it, with repeated keys, an empty table and
// table names the forms must quote.
RawDocument sampleDocument(const GxtFormat &format, int bits, const KeyHash *hash = nullptr)
{
    RawDocument raw;
    raw.format = &format;
    raw.bits = bits;
    raw.hash = hash ? hash : format.traits().hash;
    const bool hashed = format.storesHashes();
    const QStringList texts = awkwardTexts(format, bits);
    RawTable main;
    main.name = RawName::fromBytes("MAIN");
    const QList<QByteArray> keys{"A", "B,\"Q", "]K[", "REP", "REP", "", "L\xE9N"};
    const QList<quint32> hashes{KeyHash::crc32()("YES"), 0x01234567, 0xFFFFFFFF, 0x0000BEEF, 0x0000BEEF, 7, 8};
    for (qsizetype i = 0; i < texts.size(); ++i) {
        main.entries.push_back(hashed ? hashedEntry(hashes[i % hashes.size()] + quint32(i / hashes.size()), texts[i])
                                      : keyed(keys[i % keys.size()] + QByteArray(int(i / keys.size()), 'x'), texts[i]));
    }
    raw.tables.push_back(main);
    if (format.hasTables()) {
        RawTable extra;
        extra.name = RawName::fromBytes("A,B \"C\"");
        extra.entries.push_back(hashed ? hashedEntry(KeyHash::crc32()("YES"), texts[0]) : keyed("T ", texts[0]));
        raw.tables.push_back(extra);
        RawTable empty;
        empty.name = RawName::fromBytes("EMPTY");
        raw.tables.push_back(empty);
    }
    return inWriterOrder(raw);
}

std::shared_ptr<const CharacterNumbering> numberingNamed(const QString &name, const GxtFormat &format)
{
    if (name == QLatin1String("windows-1252"))
        return CharacterNumbering::windows1252();
    if (name == QLatin1String("map")) {
        // A line break at its own glyph, the escape's bracket as a character, a letter moved.
        std::shared_ptr<const CharacterNumbering> made;
        const Result parsed = CharacterNumbering::fromMap("0104=0083\n000A=00B5\n27E8=0090\n", QStringLiteral("test.map"),
                                                          *CharacterNumbering::defaultFor(format), made);
        if (!parsed)
            qFatal("the test map is refused: %s", qPrintable(parsed.errorString()));
        return made;
    }
    return CharacterNumbering::defaultFor(format);
}

// A document of rows as a form, keys and texts read through `numbering` (the format's own
// when none is given) and `names`.
QByteArray exported(const RowDocument &document, ExchangeFormat form, const CharacterNumbering *numbering = nullptr,
                    const KeyNames *names = nullptr)
{
    const CharacterNumbering &shownIn = numbering ? *numbering : testfiles::rowNumbering(testfiles::format(document.format));
    RawDocument raw;
    Result result = testfiles::encode(document, shownIn, raw, names);
    QByteArray out;
    if (result)
        result = writeExchange(raw, EntryRules::of(raw, shownIn, names), form, out);
    if (!result)
        qWarning() << result.errorString();
    return out;
}

QByteArray exported(const Rows &rows, ExchangeFormat form)
{
    return exported(RowDocument{QStringLiteral("flat"), 16, {{mainTableName(), rows}}}, form);
}

// A form read back as rows, in the numbering the reader chose; empty when it refuses.
RowDocument importedDocument(const QByteArray &source, ExchangeFormat form, QString *error = nullptr,
                             const NumberingFor &numberingFor = {}, const KeyNames *names = nullptr)
{
    RawDocument raw;
    std::shared_ptr<const CharacterNumbering> numbering;
    // The rows' own numbering unless a case names another.
    const NumberingFor rowsIn = numberingFor ? numberingFor : NumberingFor(testfiles::rowNumberingFor);
    const Result read = readExchange(source, form, raw, rowsIn, &numbering);
    if (error)
        *error = read.errorString();
    return read ? testfiles::rowsOf(raw, *numbering, names) : RowDocument{QString(), 16, {}};
}

Rows imported(const QByteArray &source, ExchangeFormat form, QString *error = nullptr)
{
    const RowDocument document = importedDocument(source, form, error);
    return document.tables.empty() ? Rows() : document.tables.front().rows;
}

} // namespace

class TestExchangeFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writtenForms()
    {
        const RowDocument doc{"hashed", 8, {{"MAIN", {{"YES", "say \"hi\", ~r~now"}, {"#01234567", ""}}}, {"EMPTY", {}}, {"X,Y", {{"NO", "Café"}}}}};
        KeyNames names;
        names.add(QStringLiteral("yes"));
        names.add(QStringLiteral("no"));
        const CharacterNumbering &western = *CharacterNumbering::western(testfiles::format("hashed"));
        QCOMPARE(exported(doc, ExchangeFormat::Txt, &western, &names),
                 QByteArray("{layout hashed 8 crc32}\n{table MAIN}\n[YES]\nsay \"hi\", ~r~now\n[#01234567]\n\n{table EMPTY}\n"
                            "{table X,Y}\n[NO]\nCaf\xC3\xA9\n"));
        QCOMPARE(exported(doc, ExchangeFormat::Csv, &western, &names),
                 QByteArray("layout,hashed,8,crc32\r\ntable,name,value\r\nMAIN,YES,\"say \"\"hi\"\", ~r~now\"\r\nMAIN,#01234567,\r\n"
                            "EMPTY\r\n\"X,Y\",NO,Caf\xC3\xA9\r\n"));
        QCOMPARE(exported(doc, ExchangeFormat::Json, &western, &names),
                 QByteArray("{\n    \"layout\": \"hashed\",\n    \"bits\": 8,\n    \"hash\": \"crc32\",\n    \"tables\": [\n"
                            "        {\"name\": \"MAIN\", \"entries\": [\n"
                            "            {\"name\": \"YES\", \"value\": \"say \\\"hi\\\", ~r~now\"},\n"
                            "            {\"name\": \"#01234567\", \"value\": \"\"}\n        ]},\n"
                            "        {\"name\": \"EMPTY\", \"entries\": []},\n"
                            "        {\"name\": \"X,Y\", \"entries\": [\n"
                            "            {\"name\": \"NO\", \"value\": \"Caf\xC3\xA9\"}\n        ]}\n    ]\n}\n"));
        // Without the names, a hashed key shows as its hash.
        QVERIFY(exported(doc, ExchangeFormat::Txt, &western).contains("[#1CBF88DC]\n"));
        // A flat table keeps the forms it always had.
        const Rows rows{{"B", "x\ny"}, {"A1", ""}};
        QCOMPARE(exported(rows, ExchangeFormat::Txt), QByteArray("[B]\nx\xE2\x9F\xA8" "000A\xE2\x9F\xA9y\n[A1]\n\n"));
        QCOMPARE(exported(rows, ExchangeFormat::Csv), QByteArray("name,value\r\nB,\"x\ny\"\r\nA1,\r\n"));
        QCOMPARE(exported(rows, ExchangeFormat::Json),
                 QByteArray("[\n    {\"name\": \"B\", \"value\": \"x\\ny\"},\n    {\"name\": \"A1\", \"value\": \"\"}\n]\n"));
    }

    void formsRefuseWhatTheyCannotHold()
    {
        RawDocument raw = testfiles::raw(RowDocument{"flat", 16, {{"MAIN", {{"OK", "fine"}, {"B\nR", "x"}}}}});
        const EntryRules rules = EntryRules::of(raw, *CharacterNumbering::windows1252());
        QByteArray out;
        Result result = writeExchange(raw, rules, ExchangeFormat::Txt, out);
        QCOMPARE(result.errorString(), QStringLiteral("entry 2 (B\nR): the name holds a line break, which the txt form "
                                                      "cannot hold; export as json instead"));
        QVERIFY(out.isEmpty());
        QVERIFY(writeExchange(raw, rules, ExchangeFormat::Json, out));
        // A table is a run of csv rows, so two tables of one name cannot be told apart there.
        raw = testfiles::raw(RowDocument{"tabled", 16, {{"MAIN", {}}, {"T", {{"A", "1"}}}, {"T", {{"B", "2"}}}}});
        result = writeExchange(raw, rules, ExchangeFormat::Csv, out);
        QCOMPARE(result.errorString(), QStringLiteral("the file holds two tables named \"T\", which the csv form cannot "
                                                      "hold; export as txt or json instead"));
        QVERIFY(out.isEmpty());
        QVERIFY(writeExchange(raw, rules, ExchangeFormat::Txt, out));
    }

    // Export then import gives back the bytes a load and a save give, whatever the format,
    // the width, the numbering and the form.
    void exportThenImportIsLossFree_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("hash");
        QTest::addColumn<QString>("numbering");
        QTest::addColumn<int>("form");
        const QList<std::tuple<const char *, const char *, int, const char *>> formats{
            {"flat", "flat", 16, ""},
            {"tabled", "tabled", 16, ""},
            {"hashed16", "hashed", 16, ""},
            {"hashed8", "hashed", 8, ""},
            {"fourth", "hashed", 16, "one-at-a-time"},
            {"single", "hashed-single", 16, ""},
            {"single8 crc32", "hashed-single", 8, "crc32"},
            {"gxt2", "gxt2", 8, ""},
            {"gxt2-be", "gxt2-be", 8, ""}};
        for (const auto &[name, format, bits, hash] : formats) {
            for (const char *numbering : {"default", "windows-1252", "map"}) {
                for (auto form : {ExchangeFormat::Txt, ExchangeFormat::Csv, ExchangeFormat::Json}) {
                    QTest::addRow("%s %s %s", name, numbering, qPrintable(exchangeFormatName(form)))
                        << QString::fromLatin1(format) << bits << QString::fromLatin1(hash) << QString::fromLatin1(numbering)
                        << int(form);
                }
            }
        }
    }
    void exportThenImportIsLossFree()
    {
        QFETCH(QString, format);
        QFETCH(int, bits);
        QFETCH(QString, hash);
        QFETCH(QString, numbering);
        QFETCH(int, form);
        const GxtFormat &f = testfiles::format(format);
        const auto chosen = numberingNamed(numbering, f);
        const KeyHash *keyHash = hash.isEmpty() ? f.traits().hash : KeyHash::byId(hash);
        QByteArray bytes;
        const Result built = writeGxt(sampleDocument(f, bits, keyHash), bytes);
        QVERIFY2(built, qPrintable(built.errorString()));
        RawDocument loaded;
        QVERIFY(readGxt(bytes, loaded));
        // The bytes do not tell the hash; the user or the evidence does.
        loaded.hash = keyHash;
        QByteArray saved;
        QVERIFY(writeGxt(loaded, saved));
        KeyNames names;
        names.add(QStringLiteral("yes"));

        QByteArray text;
        const Result wrote = writeExchange(loaded, EntryRules::of(loaded, *chosen, &names), ExchangeFormat(form), text);
        QVERIFY2(wrote, qPrintable(wrote.errorString()));
        RawDocument back;
        std::shared_ptr<const CharacterNumbering> used;
        const Result read = readExchange(text, ExchangeFormat(form), back, [&](const GxtFormat &, const KeyHash *) { return chosen; }, &used);
        QVERIFY2(read, qPrintable(read.errorString()));
        QCOMPARE(used, chosen);
        QVERIFY(back == loaded);
        QByteArray again;
        QVERIFY(writeGxt(back, again));
        QCOMPARE(again, saved);
    }

    // A carriage return alone ends a csv record unless the field is quoted.
    void csvQuotesALoneCarriageReturn_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("bits");
        QTest::newRow("flat") << "flat" << 16;
        QTest::newRow("tabled") << "tabled" << 16;
        QTest::newRow("hashed8") << "hashed" << 8;
    }
    void csvQuotesALoneCarriageReturn()
    {
        QFETCH(QString, format);
        QFETCH(int, bits);
        const RowDocument doc{format, bits, {{"MAIN", {{"CR", "a\rb"}, {"LAST", "\r"}}}}};
        KeyNames names;
        names.add(QStringLiteral("CR"));
        names.add(QStringLiteral("LAST"));
        const QByteArray csv = exported(doc, ExchangeFormat::Csv, CharacterNumbering::windows1252().get(), &names);
        QVERIFY2(csv.contains("CR,\"a\rb\"\r\n") && csv.endsWith("LAST,\"\r\"\r\n"), csv.constData());
        QString error;
        const RowDocument back = importedDocument(
            csv, ExchangeFormat::Csv, &error, [](const GxtFormat &, const KeyHash *) { return CharacterNumbering::windows1252(); }, &names);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(back == doc);
    }

    void badSourcesNameWhereTheyAreWrong_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("error");
        const int txt = int(ExchangeFormat::Txt), csv = int(ExchangeFormat::Csv), json = int(ExchangeFormat::Json);
        QTest::newRow("txt text before a name") << txt << QByteArray("[A]\nx\n\nstray\n")
                                                << "line 4: expected an entry's name in brackets, such as [NAME], but found \"stray\"";
        QTest::newRow("txt name without value") << txt << QByteArray("[A]\nx\n[B]\n") << "line 3: the entry [B] has no value line after it";
        QTest::newRow("txt long name") << txt << QByteArray("[A]\nx\r\n[NINECHARS]\r\ny\r\n")
                                       << "line 3: entry 2 (NINECHARS): the name \"NINECHARS\" has 9 characters; a GXT name holds at most 8";
        QTest::newRow("txt bad utf-8") << txt << QByteArray("[A]\nok\n[B]\n\xFF\xFE\n") << "line 4: the text is not valid UTF-8";
        QTest::newRow("txt code 0") << txt << QByteArrayLiteral("[A]\nok\n[Z]\nx\0y\n")
                                    << "line 3: entry 2 (Z): the value holds a character of code 0, which would end the text early";
        QTest::newRow("txt table in a flat file") << txt << QByteArray("[A]\nx\n{table B}\n")
                                                  << "line 3: a {table NAME} line needs a first line that names a layout of tables, such as {layout tabled 16}";
        QTest::newRow("txt 8-bit tabled") << txt << QByteArray("{layout tabled 8}\n") << "line 1: the tabled layout has 16-bit texts";
        QTest::newRow("txt no MAIN first") << txt << QByteArray("{layout tabled 16}\n{table INTRO}\n[A]\nx\n")
                                           << "line 2: the first table is \"INTRO\"; a GXT file of tables lists its MAIN table first";
        QTest::newRow("txt entry before a table") << txt << QByteArray("{layout hashed 16}\n[A]\nx\n")
                                                  << "line 2: an entry stands before the first {table NAME} line";
        QTest::newRow("txt no tables") << txt << QByteArray("{layout hashed 16}\n")
                                       << "line 1: the hashed layout needs a MAIN table first, but the source holds no tables";
        QTest::newRow("txt wide glyph in 8 bits") << txt << QByteArray("{layout hashed 8 crc32}\n{table MAIN}\n[A]\nok\n[B]\n\xE2\x9F\xA8" "0100\xE2\x9F\xA9\n")
                                                  << "line 5: table MAIN, entry 2 (B): the value holds ⟨0100⟩, a unit that does not fit the 8-bit texts of this file";
        QTest::newRow("txt hashed key with a space") << txt << QByteArray("{layout hashed 16}\n{table MAIN}\n[A B]\nx\n")
                                                     << "line 3: table MAIN, entry 1 (A B): the name \"A B\" is no key: a key's name is made of ASCII letters, digits and signs, without spaces, but it holds ' ' (U+0020)";
        // The first line's words name one format, its width and its hash.
        QTest::newRow("txt single tabled") << txt << QByteArray("{layout tabled 16 single}\n") << "line 1: the tabled layout has no files of one table";
        QTest::newRow("txt big-endian hashed") << txt << QByteArray("{layout hashed 16 big-endian}\n") << "line 1: the hashed layout has no big-endian files";
        QTest::newRow("txt no such hash") << txt << QByteArray("{layout hashed 16 md5}\n")
                                          << "line 1: \"md5\" is none of a key hash (crc32 or one-at-a-time), single or big-endian";
        QTest::newRow("txt hash twice") << txt << QByteArray("{layout hashed 16 crc32 one-at-a-time}\n")
                                        << "line 1: \"one-at-a-time\" is none of a key hash (crc32 or one-at-a-time), single or big-endian";
        QTest::newRow("txt hash of names") << txt << QByteArray("{layout tabled 16 crc32}\n")
                                           << "line 1: the tabled layout stores key names, not hashes, so it takes no hash";
        QTest::newRow("txt 16-bit gxt2") << txt << QByteArray("{layout gxt2 16}\n") << "line 1: the gxt2 layout has 8-bit texts";
        QTest::newRow("txt no width") << txt << QByteArray("{layout gxt2}\n")
                                      << "line 1: expected the layout and the texts' width, such as {layout hashed 8}";
        QTest::newRow("txt table in a file of one table") << txt << QByteArray("{layout gxt2 8}\n{table MAIN}\n")
                                                          << "line 2: a {table NAME} line needs a first line that names a layout of tables, such as {layout tabled 16}";
        QTest::newRow("txt gxt2 glyph escape that is a letter")
            << txt << QByteArray("{layout gxt2 8}\n[A]\n\xE2\x9F\xA8" "DCC3\xE2\x9F\xA9\xE2\x9F\xA8" "DCA9\xE2\x9F\xA9\n")
            << "line 2: entry 1 (A): the value holds kept bytes (escapes from ⟨DC80⟩ to ⟨DCFF⟩) that would read back as a character";
        QTest::newRow("json single not a flag") << json << QByteArray(R"({"layout":"hashed","single":"yes","tables":[]})")
                                                << "\"single\" is not true or false";
        QTest::newRow("json byte order") << json << QByteArray(R"({"layout":"gxt2","byte-order":"middle","tables":[]})")
                                         << "\"byte-order\" is not \"big\" or \"little\"";
        QTest::newRow("json unknown field") << json << QByteArray(R"({"layout":"gxt2","tables":[],"colour":1})")
                                            << "\"colour\" is no field of a GXT file's object";
        QTest::newRow("json two tables of one") << json << QByteArray(R"({"layout":"gxt2","tables":[{"name":"MAIN","entries":[]},{"name":"B","entries":[]}]})")
                                                << "a GXT file of one table holds exactly one table, not 2";
        QTest::newRow("csv no header") << csv << QByteArray("A,b\r\n") << "line 1: expected the header row name,value, or a layout row such as layout,hashed,8";
        QTest::newRow("csv tables header") << csv << QByteArray("layout,tabled,16\r\nname,value\r\n") << "line 2: expected the header row table,name,value";
        QTest::newRow("csv three fields") << csv << QByteArray("name,value\r\nA,b\r\n\"B\nC\",d,e\r\n")
                                          << "line 3: expected 2 fields (name,value) but found 3";
        QTest::newRow("csv open quote") << csv << QByteArray("name,value\nA,\"never closed\n") << "line 2: a quoted field is never closed";
        QTest::newRow("csv stray quote") << csv << QByteArray("name,value\nA,b\"c\n") << "line 2: a quote stands inside a field that is not quoted";
        QTest::newRow("csv code 0") << csv << QByteArrayLiteral("layout,tabled,16\ntable,name,value\nMAIN,A,ok\nMAIN,Z,\"x\0y\"\n")
                                    << "line 4: table MAIN, entry 2 (Z): the value holds a character of code 0, which would end the text early";
        QTest::newRow("csv no MAIN first") << csv << QByteArray("layout,hashed,8\ntable,name,value\nX,A,b\n")
                                           << "line 3: the first table is \"X\"; a GXT file of tables lists its MAIN table first";
        QTest::newRow("csv table split") << csv << QByteArray("layout,tabled,16\ntable,name,value\nMAIN,A,1\nT,B,2\nMAIN,C,3\n")
                                         << "line 5: the table \"MAIN\" has rows on line 3 already, and other tables' rows between; keep each table's rows together";
        QTest::newRow("csv bad width") << csv << QByteArray("layout,hashed,12\n") << "line 1: \"12\" is no text width; a GXT file has 8- or 16-bit texts";
        QTest::newRow("json not a shape") << json << QByteArray("{}")
                                          << "expected an array of {\"name\": ..., \"value\": ...} objects, or an object {\"layout\": ..., \"bits\": ..., \"tables\": [...]}";
        QTest::newRow("json syntax") << json << QByteArray("[\n{\"name\": \"A\",\n \"value\": }]") << "line 3: object is missing after a comma";
        QTest::newRow("json extra key") << json << QByteArray(R"([{"name":"A","value":"b"},{"name":"B","value":"c","x":1}])")
                                        << "element 2: expected an object with exactly the two strings \"name\" and \"value\"";
        QTest::newRow("json code 0") << json << QByteArray(R"([{"name":"A","value":"x\u0000y"}])")
                                     << "element 1 (A): the value holds a character of code 0, which would end the text early";
        QTest::newRow("json table element") << json << QByteArray(R"({"layout":"tabled","tables":[{"name":"MAIN","entries":[]},{"name":"B"}]})")
                                            << "tables element 2: expected an object with exactly the string \"name\" and the array \"entries\"";
        QTest::newRow("json entry of a table")
            << json << QByteArray(R"({"layout":"hashed","bits":16,"tables":[{"name":"MAIN","entries":[{"name":"A","value":"ok"},{"name":"B","value":"x\u0000"}]}]})")
            << "table MAIN, element 2 (B): the value holds a character of code 0, which would end the text early";
        QTest::newRow("json no MAIN first") << json << QByteArray(R"({"layout":"tabled","bits":16,"tables":[{"name":"X","entries":[]}]})")
                                            << "tables element 1: the first table is \"X\"; a GXT file of tables lists its MAIN table first";
        QTest::newRow("json no tables") << json << QByteArray(R"({"layout":"hashed","bits":8,"tables":[]})")
                                        << "tables: the hashed layout needs a MAIN table first, but the source holds no tables";
    }
    void badSourcesNameWhereTheyAreWrong()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, source);
        QFETCH(QString, error);
        RawDocument data;
        QCOMPARE(readExchange(source, ExchangeFormat(format), data).errorString(), error);
        QVERIFY(data == RawDocument());
    }

    void lenientWhereItIsSafe()
    {
        // A byte-order mark, CRLF endings, blank lines between entries, no final newline.
        const Rows rows{{"A", "one"}, {"B", "two"}};
        QCOMPARE(imported("\xEF\xBB\xBF[A]\r\none\r\n\r\n[B]\r\ntwo", ExchangeFormat::Txt), rows);
        QCOMPARE(imported("name,value\nA,one\n\nB,two", ExchangeFormat::Csv), rows);
        // An escape in a source reads as the character the numbering shows for its unit.
        QCOMPARE(imported("[A]\n\xE2\x9F\xA8" "006F\xE2\x9F\xA9ne\n[B]\ntwo\n", ExchangeFormat::Txt), rows);
        QCOMPARE(exchangeFormatFromPath(QStringLiteral("x/t.JSON")), ExchangeFormat::Json);
        QVERIFY(!exchangeFormatFromPath(QStringLiteral("t.gxt")));
    }

    void randomFlatTablesRoundTripThroughEveryForm()
    {
        QRandomGenerator random(1234);
        const CodePage &page = CodePage::windows1252();
        for (int round = 0; round < 30; ++round) {
            Rows rows;
            const int count = random.bounded(0, 40);
            for (int i = 0; i < count; ++i) {
                testfiles::Row e;
                const int nameLength = random.bounded(1, 9);
                for (int c = 0; c < nameLength; ++c)
                    e.name += page.decode(static_cast<unsigned char>(random.bounded(0x21, 256)));
                const int valueLength = random.bounded(0, 80);
                for (int c = 0; c < valueLength; ++c)
                    e.value += page.decode(static_cast<unsigned char>(random.bounded(0x01, 256)));
                rows.append(e);
            }
            for (auto f : {ExchangeFormat::Txt, ExchangeFormat::Csv, ExchangeFormat::Json})
                QCOMPARE(imported(exported(rows, f), f), rows);
        }
    }

    // The one writer of JSON strings: what JSON requires escaped, and nothing else, so that
    // a reader of JSON gets the very text back.
    void jsonStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << "abc" << "\"abc\"";
        QTest::newRow("quotes and backslash") << "say \"hi\" \\ now" << "\"say \\\"hi\\\" \\\\ now\"";
        QTest::newRow("a slash stays") << "a/b" << "\"a/b\"";
        QTest::newRow("named controls") << "\n\r\t\b\f" << "\"\\n\\r\\t\\b\\f\"";
        QTest::newRow("other controls") << QStringLiteral("\u0001\u001F\u007F") + QChar(0) << "\"\\u0001\\u001f\\u007f\\u0000\"";
        QTest::newRow("letters beyond ASCII stay") << "é€あ\u0080" << "\"é€あ\u0080\"";
        QTest::newRow("a surrogate pair stays") << "\U0001F600" << "\"\U0001F600\"";
        QTest::newRow("a lone high surrogate") << QString(QChar(0xD800)) + "x" << "\"\\ud800x\"";
        QTest::newRow("a lone low surrogate") << "x" + QString(QChar(0xDC00)) << "\"x\\udc00\"";
        QTest::newRow("a pair the wrong way round") << QString(QChar(0xDC00)) + QChar(0xD800) << "\"\\udc00\\ud800\"";
        QTest::newRow("a high surrogate last") << "\U0001F600" + QString(QChar(0xD83D)) << "\"\U0001F600\\ud83d\"";
    }
    void jsonStrings()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        const QString written = jsonQuoted(text);
        QCOMPARE(written, quoted);
        // Read by JSON as the text itself: UTF-8 cannot carry a lone surrogate unescaped.
        QJsonParseError error{};
        const QJsonDocument parsed = QJsonDocument::fromJson("[" + written.toUtf8() + "]", &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        QCOMPARE(parsed.array().at(0).toString(), text);
    }
};

QTEST_GUILESS_MAIN(TestExchangeFormats)
#include "tst_exchangeformats.moc"
