#include "gxtbytes.h"

#include "codepage.h"
#include "exchangeformats.h"
#include "gxtfile.h"

#include <QRandomGenerator>
#include <QTest>

using namespace quillet;

namespace {

std::vector<StringEntry> rowsOf(std::initializer_list<std::pair<QString, QString>> list)
{
    std::vector<StringEntry> rows;
    for (const auto &[name, value] : list)
        rows.push_back({name, value});
    return rows;
}

QByteArray exported(const std::vector<StringEntry> &rows, ExchangeFormat format)
{
    ExchangeWriter writer;
    QByteArray out;
    if (!writer.write(rows, format, out))
        qWarning() << writer.errorString();
    return out;
}

std::vector<StringEntry> imported(const QByteArray &source, ExchangeFormat format, QString *error = nullptr)
{
    ExchangeReader reader;
    std::vector<StringEntry> rows;
    const bool ok = reader.read(source, format, rows);
    if (error)
        *error = ok ? QString() : reader.errorString();
    return rows;
}

QByteArray gxtOf(const std::vector<StringEntry> &rows)
{
    GxtWriter writer;
    QByteArray out;
    writer.build(rows, out);
    return out;
}

} // namespace

class TestExchangeFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writtenForms()
    {
        const auto rows = rowsOf({{"B", "say \"hi\", ~r~now"}, {"A1", ""}, {"C", "Café €"}});
        QCOMPARE(exported(rows, ExchangeFormat::Txt),
                 QByteArray("[B]\nsay \"hi\", ~r~now\n[A1]\n\n[C]\nCaf\xC3\xA9 \xE2\x82\xAC\n"));
        QCOMPARE(exported(rows, ExchangeFormat::Csv),
                 QByteArray("name,value\r\nB,\"say \"\"hi\"\", ~r~now\"\r\nA1,\r\nC,Caf\xC3\xA9 \xE2\x82\xAC\r\n"));
        const QByteArray json = exported(rowsOf({{"N", QString(QChar(0)) + "x\ny"}}), ExchangeFormat::Json);
        QVERIFY2(json.contains(R"("value": "\u0000x\ny")"), json.constData());
        QVERIFY(json.contains(R"("name": "N")"));
    }

    void txtAndCsvRefuseWhatTheyCannotHold()
    {
        ExchangeWriter writer;
        QByteArray out;
        QVERIFY(!writer.write(rowsOf({{"OK", "fine"}, {"BR", "two\nlines"}}), ExchangeFormat::Txt, out));
        QCOMPARE(writer.errorString(),
                 QStringLiteral("entry 2 (BR): the value holds a line break, which the txt form cannot hold; export as json instead"));
        QVERIFY(out.isEmpty());
        QVERIFY(!writer.write(rowsOf({{"Z", QString(QChar(0))}}), ExchangeFormat::Csv, out));
        QVERIFY(writer.errorString().contains(QStringLiteral("a character of code 0")));
        // A csv field holds line breaks.
        QVERIFY(writer.write(rowsOf({{"BR", "two\r\nlines"}}), ExchangeFormat::Csv, out));
    }

    void everyFormRoundTrips_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("txt") << int(ExchangeFormat::Txt);
        QTest::newRow("csv") << int(ExchangeFormat::Csv);
        QTest::newRow("json") << int(ExchangeFormat::Json);
    }
    void everyFormRoundTrips()
    {
        QFETCH(int, format);
        const auto f = ExchangeFormat(format);
        // Every Windows-1252 character, repeated names, empty values, quotes, brackets,
        // commas and leading spaces in values.
        QString all;
        for (int b = 1; b < 256; ++b)
            all += CodePage::windows1252().decode(static_cast<unsigned char>(b));
        if (f == ExchangeFormat::Txt)
            all.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
        auto rows = rowsOf({{"Z", all}, {"A", ""}, {"A", "[A]"}, {"Q\"", ", \"x\""}, {"A]B", "  lead"}, {"", "no name"}});
        QCOMPARE(imported(exported(rows, f), f), rows);

        // Export of a loaded file, then import, writes the same bytes as a load and a save.
        QList<gxtbytes::Record> records{{12, "ZED"}, {0, "B"}, {4, "A"}, {0, "B"}};
        const QByteArray original = gxtbytes::file(records, gxtbytes::text("Hello") + gxtbytes::text("Z"));
        GxtReader reader;
        std::vector<StringEntry> loaded;
        QVERIFY(reader.read(original, loaded));
        QCOMPARE(gxtOf(imported(exported(loaded, f), f)), gxtOf(loaded));
    }

    void jsonKeepsCodeZeroSoTheRoundTripHolds()
    {
        // The unit 00 01 loads as a character of code 0; of the three forms only json holds it.
        GxtReader reader;
        std::vector<StringEntry> loaded;
        QVERIFY(reader.read(gxtbytes::file({{0, "N"}}, QByteArray::fromHex("4100000142000000")), loaded));
        QCOMPARE(loaded[0].value, QString(QStringLiteral("A")) + QChar(0) + QStringLiteral("B"));
        QCOMPARE(gxtOf(imported(exported(loaded, ExchangeFormat::Json), ExchangeFormat::Json)), gxtOf(loaded));
    }

    void badSourcesNameWhereTheyAreWrong_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("error");
        const int txt = int(ExchangeFormat::Txt), csv = int(ExchangeFormat::Csv), json = int(ExchangeFormat::Json);
        QTest::newRow("txt text before a name") << txt << QByteArray("[A]\nx\n\nstray\n")
                                                << "line 4: expected an entry's name in brackets, such as [NAME], but found \"stray\"";
        QTest::newRow("txt name without value") << txt << QByteArray("[A]\nx\n[B]\n")
                                                << "line 3: the entry [B] has no value line after it";
        QTest::newRow("txt long name") << txt << QByteArray("[A]\nx\r\n[NINECHARS]\r\ny\r\n")
                                       << "line 3: the name \"NINECHARS\" has 9 characters; a GXT name holds at most 8";
        QTest::newRow("txt bad utf-8") << txt << QByteArray("[A]\nok\n[B]\n\xFF\xFE\n") << "line 4: the text is not valid UTF-8";
        QTest::newRow("txt character outside the code page")
            << txt << QByteArray("[A]\n\xE2\x98\x83\n")
            << "line 1: the value of A holds the character '\xE2\x98\x83' (U+2603), which Windows-1252 cannot store";
        QTest::newRow("txt name with spaces") << txt << QByteArray("[ A]\nx\n")
                                              << "line 1: the name \" A\" begins or ends with a space, which a GXT file drops";
        QTest::newRow("csv no header") << csv << QByteArray("A,b\r\n") << "line 1: expected the header row name,value";
        QTest::newRow("csv three fields") << csv << QByteArray("name,value\r\nA,b\r\n\"B\nC\",d,e\r\n")
                                          << "line 3: expected 2 fields (name,value) but found 3";
        QTest::newRow("csv open quote") << csv << QByteArray("name,value\nA,\"never closed\n") << "line 2: a quoted field is never closed";
        QTest::newRow("csv stray quote") << csv << QByteArray("name,value\nA,b\"c\n")
                                         << "line 2: a quote stands inside a field that is not quoted";
        QTest::newRow("json not an array") << json << QByteArray("{}") << "expected an array of {\"name\": ..., \"value\": ...} objects";
        QTest::newRow("json syntax") << json << QByteArray("[\n{\"name\": \"A\",\n \"value\": }]") << "line 3: object is missing after a comma";
        QTest::newRow("json extra key") << json << QByteArray(R"([{"name":"A","value":"b"},{"name":"B","value":"c","x":1}])")
                                        << "element 2: expected an object with exactly the two strings \"name\" and \"value\"";
        QTest::newRow("json number") << json << QByteArray(R"([{"name":"A","value":5}])")
                                     << "element 1: expected an object with exactly the two strings \"name\" and \"value\"";
        QTest::newRow("json zero in name") << json << QByteArray(R"([{"name":"A\u0000","value":""}])")
                                           << "element 1: the name holds a character of code 0, which a GXT file drops";
    }
    void badSourcesNameWhereTheyAreWrong()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, source);
        QFETCH(QString, error);
        QString actual;
        QVERIFY(imported(source, ExchangeFormat(format), &actual).empty());
        QCOMPARE(actual, error);
    }

    void lenientWhereItIsSafe()
    {
        // A byte-order mark, CRLF endings, blank lines between entries, no final newline.
        const auto rows = imported("\xEF\xBB\xBF[A]\r\none\r\n\r\n[B]\r\ntwo", ExchangeFormat::Txt);
        QCOMPARE(rows, rowsOf({{"A", "one"}, {"B", "two"}}));
        QCOMPARE(imported("name,value\nA,one", ExchangeFormat::Csv), rowsOf({{"A", "one"}}));
        QCOMPARE(exchangeFormatFromPath(QStringLiteral("x/t.JSON")), ExchangeFormat::Json);
        QVERIFY(!exchangeFormatFromPath(QStringLiteral("t.gxt")));
    }

    void randomTablesRoundTripThroughEveryForm()
    {
        QRandomGenerator random(1234);
        const CodePage &page = CodePage::windows1252();
        for (int round = 0; round < 50; ++round) {
            std::vector<StringEntry> rows;
            const int count = random.bounded(0, 40);
            for (int i = 0; i < count; ++i) {
                StringEntry e;
                const int nameLength = random.bounded(1, 9);
                for (int c = 0; c < nameLength; ++c)
                    e.name += page.decode(static_cast<unsigned char>(random.bounded(0x21, 256)));
                const int valueLength = random.bounded(0, 80);
                for (int c = 0; c < valueLength; ++c)
                    e.value += page.decode(static_cast<unsigned char>(random.bounded(0x0E, 256)));
                rows.push_back(e);
            }
            for (auto f : {ExchangeFormat::Txt, ExchangeFormat::Csv, ExchangeFormat::Json})
                QCOMPARE(imported(exported(rows, f), f), rows);
        }
    }
};

QTEST_GUILESS_MAIN(TestExchangeFormats)
#include "tst_exchangeformats.moc"
