// The tabled and hashed layouts, the character numberings and the key names: what the game's
// files hold comes back unit for unit, however it is shown.
#include "testfiles.h"

#include "gxtdocumentfile.h"
#include "stringtable.h"

#include <QTest>
#include <QtEndian>

using namespace quillet;

Q_DECLARE_METATYPE(GxtLayout)

namespace {

GxtDocumentData sampleDocument(GxtLayout layout, int bits)
{
    GxtDocumentData data;
    data.layout = layout;
    data.bits = bits;
    const bool hashed = layout == GxtLayout::Hashed;
    data.tables.push_back({"MAIN",
                           {{"ZED", "Bonjour, JÄGER ~r~prossimità"},
                            {"ABC", ""},
                            {"ABC", "twice"},
                            {hashed ? "#80000000" : "LOW", "⟨00FF⟩¿qué?"},
                            {hashed ? "#7FFFFFFF" : "HIGH", "~g~¡Olé!"}}});
    if (layout != GxtLayout::Flat) {
        data.tables.push_back({"ZTAB", {{"K", "z"}}});
        data.tables.push_back({"ATAB", {{"K", "a"}, {"J", "¡Olé!"}}});
    }
    return data;
}

quint32 u32At(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripsUnitForUnit_data()
    {
        QTest::addColumn<GxtLayout>("layout");
        QTest::addColumn<int>("bits");
        QTest::newRow("flat") << GxtLayout::Flat << 16;
        QTest::newRow("tabled") << GxtLayout::Tabled << 16;
        QTest::newRow("hashed 16") << GxtLayout::Hashed << 16;
        QTest::newRow("hashed 8") << GxtLayout::Hashed << 8;
    }
    void roundTripsUnitForUnit()
    {
        QFETCH(GxtLayout, layout);
        QFETCH(int, bits);
        const GxtDocumentData data = sampleDocument(layout, bits);
        const auto numbering = CharacterNumbering::western(layout);
        const QByteArray bytes = testfiles::written(data, *numbering);

        RawDocument raw;
        QVERIFY(readGxt(bytes, raw));
        QCOMPARE(raw.layout, layout);
        QCOMPARE(raw.bits, bits);
        // A second write of what was read gives the same bytes: nothing moved or changed.
        QByteArray again;
        QVERIFY(writeGxt(raw, again));
        QCOMPARE(again, bytes);

        // Through a document and every numbering and back, the units stay.
        for (const auto &shownIn : {CharacterNumbering::windows1252(), numbering}) {
            GxtDocument document;
            LoadOptions options;
            options.numberingFor = [&shownIn](GxtLayout) { return shownIn; };
            QVERIFY(loadGxtBytes(bytes, document, options));
            QByteArray saved;
            QVERIFY2(buildGxt(document, saved), qPrintable(shownIn->name()));
            QCOMPARE(saved, bytes);
        }

        // Read in the numbering it was written in, the text is the text.
        const GxtDocumentData back = decodeRawDocument(std::move(raw), *numbering, {});
        QCOMPARE(back.tables.front().rows.back().value.isEmpty(), false);
        QVERIFY(std::any_of(back.tables.front().rows.begin(), back.tables.front().rows.end(),
                            [](const StringEntry &e) { return e.value == QStringLiteral("Bonjour, JÄGER ~r~prossimità"); }));
    }

    void writerLaysOutAsTheGameShipsIt()
    {
        const QByteArray tabled = testfiles::written(sampleDocument(GxtLayout::Tabled, 16), *CharacterNumbering::western(GxtLayout::Tabled));
        QCOMPARE(tabled.left(4), QByteArray("TABL"));
        QCOMPARE(u32At(tabled, 4), 36u);
        // MAIN first, then by name; every block on a 4-byte boundary; other blocks repeat
        // their name before TKEY.
        QCOMPARE(tabled.mid(8, 8), QByteArray("MAIN\0\0\0\0", 8));
        QCOMPARE(tabled.mid(20, 8), QByteArray("ATAB\0\0\0\0", 8));
        QCOMPARE(tabled.mid(32, 8), QByteArray("ZTAB\0\0\0\0", 8));
        for (int t = 0; t < 3; ++t) {
            const quint32 at = u32At(tabled, 16 + 12 * t);
            QCOMPARE(at % 4, 0u);
            QCOMPARE(tabled.mid(at + (t ? 8 : 0), 4), QByteArray("TKEY"));
        }
        RawDocument raw;
        QVERIFY(readGxt(tabled, raw));
        QStringList keys;
        for (const RawEntry &e : raw.tables.front().entries)
            keys << QString::fromLatin1(e.key.bytes());
        QCOMPARE(keys, (QStringList{"ABC", "ABC", "HIGH", "LOW", "ZED"}));
        QCOMPARE(raw.tables.front().entries[1].units.size(), 5); // equal keys keep their order

        const QByteArray hashed = testfiles::written(sampleDocument(GxtLayout::Hashed, 8), *CharacterNumbering::western(GxtLayout::Hashed));
        QCOMPARE(hashed.left(8), QByteArray("\x04\0\x08\0TABL", 8));
        QVERIFY(readGxt(hashed, raw));
        // Hashes in ascending unsigned order: 0x7FFFFFFF before 0x80000000.
        std::vector<quint32> hashes;
        for (const RawEntry &e : raw.tables.front().entries)
            hashes.push_back(e.hash);
        QVERIFY(std::is_sorted(hashes.begin(), hashes.end()));
        QVERIFY(std::find(hashes.begin(), hashes.end(), 0x7FFFFFFFu) < std::find(hashes.begin(), hashes.end(), 0x80000000u));
        QCOMPARE(hashes.back(), std::max(0x80000000u, keyHash("ZED")));
    }

    void keyHashesAndNames()
    {
        QCOMPARE(keyHash("YES"), 0x1CBF88DCu);
        QCOMPARE(keyHash("yes"), 0x1CBF88DCu);
        QCOMPARE(keyHash("#01234567"), 0xEA28B0ABu);
        QCOMPARE(KeyNames::hashOf("#1cbf88dc"), std::optional<quint32>(0x1CBF88DCu));
        QCOMPARE(KeyNames::hashOf("yes"), std::optional<quint32>(0x1CBF88DCu));
        QVERIFY(!KeyNames::hashOf("#1CBF88D"));
        QVERIFY(!KeyNames::hashOf("TWO WORDS"));

        KeyNames names;
        QVERIFY(KeyNames::fromText("\xEF\xBB\xBFyes\n# a comment\n\n  NO  \r\n", names));
        QCOMPARE(names.nameOf(0x1CBF88DC), QStringLiteral("YES"));
        QCOMPARE(names.nameOf(0x00000001), QStringLiteral("#00000001"));
        const Result bad = KeyNames::fromText("OK\nTWO WORDS\n", names);
        QCOMPARE(bad.errorString(), QStringLiteral("line 2: \"TWO WORDS\" is not a key name: a key's name is made of "
                                                   "ASCII letters, digits and signs, without spaces, but it holds ' ' "
                                                   "(U+0020)"));
    }

    void westernNumberingPlacesTheInvertedExclamation()
    {
        const auto flat = CharacterNumbering::western(GxtLayout::Flat);
        const auto tabled = CharacterNumbering::western(GxtLayout::Tabled);
        QCOMPARE(flat->decode(u"\x5E\xB0\x83\x96\xB1"), QStringLiteral("^¡Äß´"));
        QCOMPARE(tabled->decode(u"\x5E\xB0"), QStringLiteral("¡⟨00B0⟩"));
        QString units;
        qsizetype bad = -1;
        QVERIFY(!tabled->encode(u"a^b", units, &bad));
        QCOMPARE(bad, 2 - 1);
        // Windows-1252 reads the same units as the wrong letters, which is why the game's
        // own numbering exists.
        QCOMPARE(CharacterNumbering::windows1252()->decode(u"J\x83GER"), QStringLiteral("JƒGER"));
        QCOMPARE(tabled->decode(u"J\x83GER"), QStringLiteral("JÄGER"));
    }

    void mapFiles_data()
    {
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("text");  // shown for the units below, when the map reads
        QTest::addColumn<QString>("units");
        QTest::newRow("over the default") << QByteArray("# Polish\n0104=0083\n\n017C = 01F4\n") << ""
                                          << "Ąßż⟨0100⟩" << QString::fromUtf16(u"\x83\x96\x1F4\x100");
        QTest::newRow("line form, bad line") << QByteArray("0104=0083\nnonsense\n") << "line 2: expected UUUU=GGGG, a "
                                                "character's code and its glyph number in hex, but found \"nonsense\""
                                             << "" << "";
        QTest::newRow("glyph 0") << QByteArray("0041=0\n") << "line 1: glyph 0 ends a text and can show no character"
                                 << "" << "";
        QTest::newRow("glyph too wide") << QByteArray("0041=10000\n")
                                        << "line 1: the glyph number 10000 is wider than 16 bits" << "" << "";
        QTest::newRow("a surrogate") << QByteArray("D800=0041\n") << "line 1: D800 is not the code of a character"
                                     << "" << "";
        QByteArray grid;
        for (int r = 0; r < 14; ++r) {
            QStringList cells;
            for (int c = 0; c < 16; ++c)
                cells << (r == 0 && c == 1 ? QStringLiteral("Ж") : r == 13 ? QStringLiteral("□") : QString(QChar(0x20 + 16 * r + c)));
            grid += cells.join(u'\t').toUtf8() + "\n";
        }
        QTest::newRow("grid") << grid << "" << "Ж⟨00F5⟩A" << QString::fromUtf16(u"\x21\xF5\x41");
        QTest::newRow("grid, short row") << grid.replace("\tA\t", "\t") << "line 3: expected 16 cells separated by "
                                                                          "tabs, but found 15" << "" << "";
    }
    void mapFiles()
    {
        QFETCH(QByteArray, map);
        QFETCH(QString, problem);
        QFETCH(QString, text);
        QFETCH(QString, units);
        std::shared_ptr<const CharacterNumbering> numbering;
        const Result read = CharacterNumbering::fromMap(map, "pl.txt", *CharacterNumbering::western(GxtLayout::Tabled), numbering);
        QCOMPARE(read.errorString(), problem);
        if (!problem.isEmpty())
            return;
        QCOMPARE(numbering->name(), QStringLiteral("pl.txt"));
        // What the units show, and the other way round: a glyph whose character moved
        // elsewhere shows as its escape, and still encodes to itself.
        QString decodedUnits;
        QVERIFY(numbering->encode(numbering->decode(units), decodedUnits));
        QCOMPARE(decodedUnits, units);
        QCOMPARE(numbering->decode(units), text);
        // A character whose glyph went to another is refused rather than written as that one.
        QString scratch;
        if (!map.contains('\t'))
            QVERIFY(!numbering->encode(u"Ä", scratch));
    }

    void eightBitTextsRefuseWideGlyphs()
    {
        std::shared_ptr<const CharacterNumbering> wide;
        QVERIFY(CharacterNumbering::fromMap("3042=0100\n", "jp", *CharacterNumbering::western(GxtLayout::Hashed), wide));
        const EntryRules sixteen(GxtLayout::Hashed, 16, *wide);
        const EntryRules eight(GxtLayout::Hashed, 8, *wide);
        QVERIFY(sixteen.checkValue("あ"));
        qsizetype bad = -1;
        QCOMPARE(eight.checkValue("aあ", &bad).errorString(),
                 QStringLiteral("the value holds the character 'あ' (U+3042), whose glyph 0x100 does not fit the 8-bit "
                                "texts of this file"));
        QCOMPARE(bad, 1);
        QCOMPARE(eight.checkValue("⟨0100⟩").errorString(),
                 QStringLiteral("the value holds ⟨0100⟩, a unit that does not fit the 8-bit texts of this file"));
    }

    void switchingNumberingsAndNamesChangesNothingUnderneath()
    {
        GxtDocumentData data = sampleDocument(GxtLayout::Hashed, 16);
        const QByteArray bytes = testfiles::written(data, *CharacterNumbering::western(GxtLayout::Hashed));
        GxtDocument document;
        QVERIFY(loadGxtBytes(bytes, document));
        QCOMPARE(document.tableName(0), QStringLiteral("MAIN"));
        auto names = [&document] {
            QStringList list;
            for (const StringEntry &e : document.table(0)->rows())
                list << e.name;
            return list;
        };
        QVERIFY(names().contains(KeyNames::hashText(keyHash("ABC"))));

        document.setNumbering(CharacterNumbering::windows1252());
        KeyNames known;
        known.add("abc");
        document.setKeyNames(known);
        QVERIFY(names().contains(QStringLiteral("ABC")));
        QVERIFY(!document.isModified());
        QByteArray saved;
        QVERIFY(buildGxt(document, saved));
        QCOMPARE(saved, bytes);

        // A real edit is a change; setting what a row already holds is none.
        document.table(0)->setValue(1, document.table(0)->value(1));
        QVERIFY(!document.isModified());
        document.table(0)->setValue(1, "new");
        QVERIFY(document.isModified());
    }

    void tableCommandsAndNames()
    {
        GxtDocument document;
        QVERIFY(loadGxtBytes(testfiles::written(sampleDocument(GxtLayout::Tabled, 16)), document));
        QCOMPARE(document.tableNameProblem("ZTAB"), QStringLiteral("a table named 'ZTAB' already exists"));
        QCOMPARE(document.tableNameProblem("ZTAB", document.indexOfTable("ZTAB")), QString());
        QCOMPARE(document.tableNameProblem("NINECHARS"),
                 QStringLiteral("the table name \"NINECHARS\" has 9 characters; a GXT table name holds at most 8"));
        const int added = document.addTable("NEW", {{"A", "1"}});
        QVERIFY(document.isModified());
        document.renameTable(added, "AAA");
        const std::vector<StringEntry> rows = document.removeTable(document.indexOfTable("AAA"));
        QCOMPARE(rows, (std::vector<StringEntry>{{"A", "1"}}));
        // A document whose first table is no MAIN cannot be written as tables.
        GxtDocumentData noMain = sampleDocument(GxtLayout::Tabled, 16);
        noMain.tables.front().name = "FIRST";
        RawDocument raw;
        QVERIFY(encodeDocumentData(noMain, *CharacterNumbering::western(GxtLayout::Tabled), raw));
        QByteArray out;
        QCOMPARE(writeGxt(raw, out).errorString(), QStringLiteral("a GXT file of tables needs its MAIN table first"));
    }
};

QTEST_GUILESS_MAIN(TestLayouts)
#include "tst_layouts.moc"
