// The tabled and hashed formats, the character numberings, the key names and hashes, and the
// rules names are held to: what the game's files hold comes back unit for unit, however it
// is shown, and each rule that has one place answers as the files and the name box need.
#include "testfiles.h"

#include "gxtcheck.h"
#include "gxtdocumentfile.h"
#include "hashtext.h"
#include "keyhash.h"
#include "numberingchoice.h"
#include "stringtable.h"
#include "unitescape.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace quillet;
using testfiles::RowDocument;

Q_DECLARE_METATYPE(testfiles::RowDocument)

namespace {

RowDocument sampleDocument(const QString &format, int bits)
{
    RowDocument data{format, bits, {}};
    const bool hashed = format == QLatin1String("hashed");
    data.tables.push_back({"MAIN",
                           {{"ZED", "Bonjour, JÄGER ~r~prossimità"},
                            {"ABC", ""},
                            {"ABC", "twice"},
                            {hashed ? "#80000000" : "LOW", "⟨00FF⟩¿qué?"},
                            {hashed ? "#7FFFFFFF" : "HIGH", "~g~¡Olé!"}}});
    if (format != QLatin1String("flat")) {
        data.tables.push_back({"ZTAB", {{"K", "z"}}});
        data.tables.push_back({"ATAB", {{"K", "a"}, {"J", "¡Olé!"}}});
    }
    return data;
}

quint32 u32At(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint32 crc(const char *name)
{
    return KeyHash::crc32()(QByteArrayView(name));
}

const GxtFormat &format(const char *id)
{
    return testfiles::format(QString::fromLatin1(id));
}

// MAIN and `count` - 1 more tables, without entries.
RowDocument manyTables(const QString &format, int count)
{
    RowDocument document{format, 16, {{"MAIN", {}}}};
    for (int t = 1; t < count; ++t)
        document.tables.push_back({QStringLiteral("T%1").arg(t, 3, 10, QLatin1Char('0')), {}});
    return document;
}

} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripsUnitForUnit_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("bits");
        QTest::newRow("flat") << "flat" << 16;
        QTest::newRow("tabled") << "tabled" << 16;
        QTest::newRow("hashed 16") << "hashed" << 16;
        QTest::newRow("hashed 8") << "hashed" << 8;
    }
    void roundTripsUnitForUnit()
    {
        QFETCH(QString, format);
        QFETCH(int, bits);
        const RowDocument data = sampleDocument(format, bits);
        const auto numbering = CharacterNumbering::western(testfiles::format(format));
        const QByteArray bytes = testfiles::written(data, *numbering);

        RawDocument raw;
        QVERIFY(readGxt(bytes, raw));
        QCOMPARE(raw.format, &testfiles::format(format));
        QCOMPARE(raw.bits, bits);
        // A second write of what was read gives the same bytes: nothing moved or changed.
        QByteArray again;
        QVERIFY(writeGxt(raw, again));
        QCOMPARE(again, bytes);
        GxtDocument document;
        QVERIFY(loadGxtBytes(bytes, document));
        QVERIFY(buildGxt(document, again));
        QCOMPARE(again, bytes);

        // Shown through every numbering and typed back, the units stay.
        for (const auto &shownIn : {CharacterNumbering::windows1252(), numbering}) {
            const RowDocument shown = testfiles::rowsOf(raw, *shownIn);
            QVERIFY2(writeGxt(testfiles::raw(shown, *shownIn), again), qPrintable(shownIn->name()));
            QCOMPARE(again, bytes);
        }
        // Read in the numbering it was written in, the text is the text.
        const RowDocument back = testfiles::rowsOf(raw, *numbering);
        const testfiles::Rows &rows = back.tables.front().rows;
        QVERIFY(std::any_of(rows.begin(), rows.end(), [](const testfiles::Row &row) {
            return row.value == QStringLiteral("Bonjour, JÄGER ~r~prossimità");
        }));
    }

    void writerLaysOutAsTheGameShipsIt()
    {
        const QByteArray tabled = testfiles::written(sampleDocument("tabled", 16));
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
        for (const StringEntry &e : raw.tables.front().entries)
            keys << QString::fromLatin1(e.name.bytes());
        QCOMPARE(keys, (QStringList{"ABC", "ABC", "HIGH", "LOW", "ZED"}));
        QCOMPARE(raw.tables.front().entries[1].units.size(), 5); // equal keys keep their order

        const QByteArray hashed = testfiles::written(sampleDocument("hashed", 8));
        QCOMPARE(hashed.left(8), QByteArray("\x04\0\x08\0TABL", 8));
        QVERIFY(readGxt(hashed, raw));
        QCOMPARE(raw.hash, &KeyHash::crc32());
        // Hashes in ascending unsigned order: 0x7FFFFFFF before 0x80000000.
        std::vector<quint32> hashes;
        for (const StringEntry &e : raw.tables.front().entries)
            hashes.push_back(e.hash);
        QVERIFY(std::is_sorted(hashes.begin(), hashes.end()));
        QVERIFY(std::find(hashes.begin(), hashes.end(), 0x7FFFFFFFu) < std::find(hashes.begin(), hashes.end(), 0x80000000u));
        QCOMPARE(hashes.back(), std::max(0x80000000u, crc("ZED")));
    }

    // A key typed or imported for a hashed file: a name is hashed upper-cased, a hash's text
    // is that hash, and anything else is refused.
    void hashedKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("crc");   // the name's CRC-32 key hash; -1: not checked
        QTest::addColumn<qint64>("typed"); // the key it stands for; -1: refused
        QTest::newRow("check value") << "YES" << qint64(0x1CBF88DC) << qint64(0x1CBF88DC);
        QTest::newRow("upper-cased before hashing") << "yes" << qint64(0x1CBF88DC) << qint64(0x1CBF88DC);
        QTest::newRow("mixed case") << "yEs" << qint64(0x1CBF88DC) << qint64(0x1CBF88DC);
        QTest::newRow("a hash's text is not hashed") << "#01234567" << qint64(0xEA28B0AB) << qint64(0x01234567);
        QTest::newRow("a hash's text in lower case") << "#1cbf88dc" << qint64(-1) << qint64(0x1CBF88DC);
        QTest::newRow("longer than any name field") << "ROMAN13_03" << qint64(crc("ROMAN13_03")) << qint64(crc("ROMAN13_03"));
        // What else the rule refuses is in nameRules.
        QTest::newRow("seven digits") << "#1CBF88D" << qint64(-1) << qint64(-1);
    }
    void hashedKeys()
    {
        QFETCH(QString, name);
        QFETCH(qint64, crc);
        QFETCH(qint64, typed);
        if (crc >= 0)
            QCOMPARE(qint64(KeyHash::crc32()(name.toLatin1())), crc);
        const EntryRules rules(format("hashed"), 16, *CharacterNumbering::western(format("hashed")));
        StringEntry entry;
        const Result encoded = rules.encodeKey(name, entry);
        QCOMPARE(encoded.ok(), typed >= 0);
        if (typed >= 0)
            QCOMPARE(qint64(entry.hash), typed);
    }

    void hashTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("hash"); // -1: spells none
        QTest::newRow("upper case") << "#1CBF88DC" << qint64(0x1CBF88DC);
        QTest::newRow("lower case") << "#1cbf88dc" << qint64(0x1CBF88DC);
        QTest::newRow("zero") << "#00000000" << qint64(0);
        QTest::newRow("largest") << "#FFFFFFFF" << qint64(0xFFFFFFFF);
        QTest::newRow("seven digits") << "#1CBF88D" << qint64(-1);
        QTest::newRow("nine digits") << "#1CBF88DC0" << qint64(-1);
        QTest::newRow("no #") << "1CBF88DCA" << qint64(-1);
        QTest::newRow("a sign") << "#-1CBF88D" << qint64(-1);
        QTest::newRow("a space") << "# 1CBF88D" << qint64(-1);
        QTest::newRow("a letter past F") << "#1CBF88DG" << qint64(-1);
    }
    void hashTexts()
    {
        QFETCH(QString, text);
        QFETCH(qint64, hash);
        const std::optional<quint32> parsed = parseHashText(text);
        QCOMPARE(parsed.has_value(), hash >= 0);
        if (hash < 0)
            return;
        QCOMPARE(qint64(*parsed), hash);
        // And back: "#" and eight upper-case digits, which parse to the same hash.
        QCOMPARE(hashText(*parsed), text.toUpper());
        QCOMPARE(parseHashText(hashText(*parsed)), parsed);
    }

    // Lists as modders keep them: comments, blank lines, hashes beside names; a line that
    // cannot be a name is skipped and counted, never the whole list refused.
    void keyNameLists_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("warning");
        QTest::newRow("comments and blanks") << QByteArray("\xEF\xBB\xBFyes\n# a comment\n// another\n; and one\n\n  NO  \r\n")
                                             << QStringList{"YES", "NO"} << QString();
        QTest::newRow("hash beside the name") << QByteArray("YES #1CBF88DC\n#1CBF88DC NO\n")
                                              << QStringList{"YES", "NO"} << QString();
        QTest::newRow("a bare hash is no comment")
            << QByteArray("#1CBF88DC\nOK\n") << QStringList{"OK"}
            << QStringLiteral("1 of the list's lines is no key name and was left out (the first: line 1, \"#1CBF88DC\")");
        QTest::newRow("bad lines counted")
            << QByteArray("OK\nTWO WORDS\nA=B=C\nGOOD\n") << QStringList{"OK", "GOOD"}
            << QStringLiteral("2 of the list's lines are no key name and were left out (the first: line 2, \"TWO WORDS\")");
    }
    void keyNameLists()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, names);
        QFETCH(QString, warning);
        KeyNames read;
        const Result result = KeyNames::fromText(text, read);
        QVERIFY(result);
        QCOMPARE(read.names(), names);
        QCOMPARE(result.warnings().value(0), warning);
        // Each name is found under either hash, and a key of no known name shows its hash.
        for (const KeyHash *hash : KeyHash::all()) {
            for (const QString &name : names)
                QCOMPARE(read.nameOf(*hash, (*hash)(name.toLatin1())), name);
        }
        const EntryRules rules(format("hashed"), 8, *CharacterNumbering::western(format("hashed")), nullptr, &read);
        StringEntry unknown;
        unknown.hash = 1;
        QCOMPARE(rules.keyText(unknown), QStringLiteral("#00000001"));
    }

    void keyNameListsThatAreNoText()
    {
        KeyNames names;
        names.add(QStringLiteral("KEPT"));
        const Result bad = KeyNames::fromText("OK\n\xFF\xFE\n", names);
        QCOMPARE(bad.errorString(), QStringLiteral("the name list is not valid UTF-8 text"));
        QCOMPARE(names.names(), QStringList{"KEPT"}); // a refused list leaves the names as they were
    }

    // The one name rule of each format, for names read from files or text forms (stored)
    // and names typed into the name box (typed).
    void nameRules_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("tableName");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored"); // the refusal; empty: taken
        QTest::addColumn<int>("bad");        // where the refusal points; -1: nowhere
        QTest::addColumn<QString>("typed");  // A(cceptable), I(ntermediate) or X (invalid)
        QTest::addColumn<int>("kept");       // the length of the name the box started with
        const QString tooLong = QStringLiteral("the name \"%1\" has %2 characters; a GXT name holds at most 8");
        for (const char *f : {"flat", "tabled"}) {
            const QString id = QString::fromLatin1(f);
            QTest::addRow("%s: eight characters read", f) << id << false << "ABCDEFGH" << "" << -1 << "X" << 0;
            QTest::addRow("%s: eight kept from the file", f) << id << false << "ABCDEFGH" << "" << -1 << "A" << 8;
            QTest::addRow("%s: seven typed", f) << id << false << "ABCDEFG" << "" << -1 << "A" << 0;
            QTest::addRow("%s: nine", f) << id << false << "ABCDEFGHI" << tooLong.arg("ABCDEFGHI").arg(9) << -1 << "X" << 0;
            QTest::addRow("%s: Windows-1252", f) << id << false << "CAFÉ" << "" << -1 << "X" << 0;
            QTest::addRow("%s: no Windows-1252 character", f)
                << id << false << "A☃" << "the name holds the character '☃' (U+2603), which Windows-1252 cannot store" << 1
                << "X" << 0;
            QTest::addRow("%s: code 0", f) << id << false << QStringLiteral("A") + QChar(0)
                                           << "the name holds a character of code 0, which a GXT file drops" << 1 << "X" << 0;
            QTest::addRow("%s: no hash's text", f) << id << false << "#1CBF88DC" << tooLong.arg("#1CBF88DC").arg(9) << -1
                                                   << "X" << 0;
            QTest::addRow("%s: # is a character like any", f) << id << false << "#1CBF88D" << "" << -1 << "X" << 0;
            QTest::addRow("%s: empty", f) << id << false << "" << "" << -1 << "I" << 0;
        }
        const QString noKey = QStringLiteral("the name \"%1\" is no key: %2");
        // A hashed key has no length of its own, typed or read, in every hashed format.
        for (const char *f : {"hashed", "hashed-single", "gxt2"}) {
            QTest::addRow("%s: any length typed", f) << f << false << "ROMAN13_03" << "" << -1 << "A" << 0;
            QTest::addRow("%s: forty typed", f) << f << false << QString(40, u'K') << "" << -1 << "A" << 0;
        }
        QTest::newRow("hashed: a hash's text") << "hashed" << false << "#1CBF88DC" << "" << -1 << "A" << 0;
        QTest::newRow("hashed: on the way to a hash's text") << "hashed" << false << "#1CBF" << noKey.arg("#1CBF", "only # and eight hex digits may begin with #") << 0 << "I" << 0;
        QTest::newRow("hashed: a hash's text too long") << "hashed" << false << "#1CBF88DC0" << noKey.arg("#1CBF88DC0", "only # and eight hex digits may begin with #") << 0 << "X" << 0;
        QTest::newRow("hashed: lower-case hex read, not typed") << "hashed" << false << "#1cbf88dc" << "" << -1 << "X" << 0;
        QTest::newRow("hashed: ASCII only")
            << "hashed" << false << "CAFÉ"
            << noKey.arg("CAFÉ", "a key's name is made of ASCII letters, digits and signs, without spaces, but it holds 'É' (U+00C9)")
            << 3 << "X" << 0;
        QTest::newRow("hashed: no space")
            << "hashed" << false << "A B"
            << noKey.arg("A B", "a key's name is made of ASCII letters, digits and signs, without spaces, but it holds ' ' (U+0020)")
            << 1 << "X" << 0;
        QTest::newRow("hashed: empty") << "hashed" << false << "" << noKey.arg("", "a key needs a name") << -1 << "I" << 0;
        // Table names are stored by name in every format.
        QTest::newRow("hashed table: eight characters") << "hashed" << true << "ABCDEFGH" << "" << -1 << "X" << 0;
        QTest::newRow("hashed table: no hash's text")
            << "hashed" << true << "#1CBF88DC"
            << "the table name \"#1CBF88DC\" has 9 characters; a GXT table name holds at most 8" << -1 << "X" << 0;
    }
    void nameRules()
    {
        QFETCH(QString, format);
        QFETCH(bool, tableName);
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(int, bad);
        QFETCH(QString, typed);
        QFETCH(int, kept);
        const GxtFormat &f = testfiles::format(format);
        const NameRule &rule = tableName ? f.tableRule() : f.keyRule();
        qsizetype badIndex = -1;
        const Result checked = rule.checkStored(name, tableName ? QStringLiteral("table name") : QStringLiteral("name"), &badIndex);
        QCOMPARE(checked.errorString(), stored);
        QCOMPARE(badIndex, qsizetype(bad));
        const NameRule::Typed expected = typed == QLatin1String("A")   ? NameRule::Typed::Acceptable
                                         : typed == QLatin1String("I") ? NameRule::Typed::Intermediate
                                                                       : NameRule::Typed::Invalid;
        QCOMPARE(int(rule.checkTyped(name, kept)), int(expected));
    }

    // What the game would trip on in a file that reads well: the check's warnings.
    void gameWarnings_data()
    {
        QTest::addColumn<RowDocument>("document");
        QTest::addColumn<QStringList>("warnings");
        const QString outOfOrder = QStringLiteral("the keys are not in the order the game searches them: %1 stands before %2");
        QTest::newRow("flat: a key twice") << RowDocument{"flat", 16, {{"MAIN", {{"A", "1"}, {"A", "2"}, {"B", ""}}}}}
                                           << QStringList{"the key A appears 2 times; the game finds only one of them"};
        QTest::newRow("flat: out of order") << RowDocument{"flat", 16, {{"MAIN", {{"A", ""}, {"C", ""}, {"B", ""}}}}}
                                            << QStringList{outOfOrder.arg("C", "B")};
        // The flat game compares characters' codes: "€" (U+20AC) after "ÿ" (U+00FF).
        QTest::newRow("flat: by character codes") << RowDocument{"flat", 16, {{"MAIN", {{"X€", ""}, {"Xÿ", ""}}}}}
                                                  << QStringList{outOfOrder.arg("X€", "Xÿ")};
        QTest::newRow("flat: in order") << RowDocument{"flat", 16, {{"MAIN", {{"Xÿ", ""}, {"X€", ""}}}}} << QStringList();
        QTest::newRow("tabled: by bytes") << RowDocument{"tabled", 16, {{"MAIN", {{"X€", ""}, {"Xÿ", ""}}}}} << QStringList();
        QTest::newRow("tabled: a key twice, out of order, in a table")
            << RowDocument{"tabled", 16, {{"MAIN", {}}, {"T", {{"B", ""}, {"A", ""}, {"B", ""}}}}}
            << QStringList{"table T: the key B appears 2 times; the game finds only one of them",
                           "table T: " + outOfOrder.arg("B", "A")};
        QTest::newRow("hashed: by hash") << RowDocument{"hashed", 8, {{"MAIN", {{"#00000002", ""}, {"#00000001", ""}}}}}
                                         << QStringList{"table MAIN: " + outOfOrder.arg("#00000002", "#00000001")};
        QTest::newRow("tabled: a table twice")
            << RowDocument{"tabled", 16, {{"MAIN", {}}, {"T", {}}, {"U", {}}, {"T", {}}}}
            << QStringList{"the table T appears 2 times; the game finds only the first"};
        QTest::newRow("hashed: 200 tables") << manyTables("hashed", 200) << QStringList();
        QTest::newRow("hashed: 201 tables") << manyTables("hashed", 201)
                                            << QStringList{"the file has 201 tables; the game keeps at most 200"};
        QTest::newRow("tabled: 201 tables") << manyTables("tabled", 201) << QStringList();
    }
    void gameWarnings()
    {
        QFETCH(RowDocument, document);
        QFETCH(QStringList, warnings);
        const RawDocument raw = testfiles::raw(document, *CharacterNumbering::windows1252());
        const CheckReport report = checkDocument(raw, EntryRules::of(raw, *CharacterNumbering::windows1252()));
        QCOMPARE(report.warnings, warnings);
        // What the writer writes is what the game finds: no key warnings are left.
        QByteArray bytes;
        QVERIFY(writeGxt(raw, bytes));
        RawDocument saved;
        QVERIFY(readGxt(bytes, saved));
        for (const QString &warning : checkDocument(saved, EntryRules::of(saved, *CharacterNumbering::windows1252())).warnings)
            QVERIFY2(!warning.contains(QStringLiteral("order")), qPrintable(warning));
    }

    void westernNumberingPlacesTheInvertedExclamation()
    {
        const auto flat = CharacterNumbering::western(format("flat"));
        const auto tabled = CharacterNumbering::western(format("tabled"));
        QCOMPARE(flat->decode(u"\x5E\xB0\x83\x96\xB1"), QStringLiteral("^¡Äß´"));
        QCOMPARE(tabled->decode(u"\x5E\xB0"), QStringLiteral("¡⟨00B0⟩"));
        QCOMPARE(CharacterNumbering::western(format("hashed")), tabled);
        QString units;
        qsizetype bad = -1;
        QVERIFY(!tabled->encode(u"a^b", units, &bad));
        QCOMPARE(bad, 2 - 1);
        // Windows-1252 reads the same units as the wrong letters, which is why the game's
        // own numbering exists.
        QCOMPARE(CharacterNumbering::windows1252()->decode(u"J\x83GER"), QStringLiteral("JƒGER"));
        QCOMPARE(tabled->decode(u"J\x83GER"), QStringLiteral("JÄGER"));
        // The flat game draws the Western numbering too; Windows-1252 stays a choice.
        QCOMPARE(CharacterNumbering::defaultFor(format("flat")), CharacterNumbering::western(format("flat")));
        QCOMPARE(CharacterNumbering::defaultFor(format("hashed")), tabled);
    }

    // The escape every unit that a numbering cannot show travels as.
    void unitEscapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("unit"); // -1: no escape starts there
        QTest::newRow("the first unit") << "⟨0001⟩" << 0x0001;
        QTest::newRow("the escape's own bracket") << "⟨27E8⟩" << 0x27E8;
        QTest::newRow("the last unit") << "⟨FFFF⟩" << 0xFFFF;
        QTest::newRow("lower-case digits") << "⟨ffff⟩" << 0xFFFF;
        QTest::newRow("three digits") << "⟨FFF⟩" << -1;
        QTest::newRow("five digits") << "⟨FFFFF⟩" << -1;
        QTest::newRow("not hex") << "⟨00G0⟩" << -1;
        QTest::newRow("a sign") << "⟨+FFF⟩" << -1;
        QTest::newRow("not closed") << "⟨0041" << -1;
        QTest::newRow("closed by another bracket") << "⟨0041>" << -1;
    }
    void unitEscapes()
    {
        QFETCH(QString, text);
        QFETCH(int, unit);
        QCOMPARE(UnitEscape::unitAt(text, 0), unit);
        QCOMPARE(UnitEscape::unitAt(QStringLiteral("x") + text, 1), unit);
        QCOMPARE(UnitEscape::unitAt(text, 1), -1);
        if (unit < 0)
            return;
        QString written = QStringLiteral("a");
        UnitEscape::append(written, char16_t(unit));
        QCOMPARE(written, QStringLiteral("a") + text.toUpper());
        QCOMPARE(UnitEscape::unitAt(written, 1), unit);
        QCOMPARE(UnitEscape::of(char16_t(unit)), text.toUpper());
    }

    void mapFiles_data()
    {
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("text");  // shown for the units below, when the map reads
        QTest::addColumn<QString>("units");
        const QString overDefault = QString::fromUtf16(u"\x83\x96\x1F4\x100");
        QTest::newRow("over the default") << QByteArray("# Polish\n0104=0083\n\n017C = 01F4\n") << ""
                                          << "Ąßż⟨0100⟩" << overDefault;
        QTest::newRow("over the default, CRLF") << QByteArray("; Polish\r\n0104=0083\r\n\r\n017C = 01F4\r\n") << ""
                                                << "Ąßż⟨0100⟩" << overDefault;
        QTest::newRow("line form, bad line") << QByteArray("0104=0083\nnonsense\n") << "line 2: expected UUUU=GGGG, a "
                                                "character's code and its glyph number in hex, but found \"nonsense\""
                                             << "" << "";
        QTest::newRow("glyph 0") << QByteArray("0041=0\n") << "line 1: glyph 0 ends a text and can show no character"
                                 << "" << "";
        QTest::newRow("glyph too wide") << QByteArray("0041=10000\n")
                                        << "line 1: the glyph number 10000 is wider than 16 bits" << "" << "";
        QTest::newRow("a surrogate") << QByteArray("D800=0041\n") << "line 1: D800 is not the code of a character"
                                     << "" << "";
        QTest::newRow("not UTF-8") << QByteArray("0041=0041\n\xFF\n") << "the character map is not valid UTF-8 text"
                                   << "" << "";
        QByteArray grid;
        for (int r = 0; r < 14; ++r) {
            QStringList cells;
            for (int c = 0; c < 16; ++c)
                cells << (r == 0 && c == 1 ? QStringLiteral("Ж") : r == 13 ? QStringLiteral("□") : QString(QChar(0x20 + 16 * r + c)));
            grid += cells.join(u'\t').toUtf8() + "\n";
        }
        const QString gridUnits = QString::fromUtf16(u"\x21\xF5\x41");
        QTest::newRow("grid") << grid << "" << "Ж⟨00F5⟩A" << gridUnits;
        QTest::newRow("grid, CRLF") << QByteArray(grid).replace("\n", "\r\n") << "" << "Ж⟨00F5⟩A" << gridUnits;
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
        const Result read = CharacterNumbering::fromMap(map, "pl.txt", *CharacterNumbering::western(format("tabled")), numbering);
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

    // What the menu, the settings and --charmap choose a numbering by.
    void numberingChoices_data()
    {
        QTest::addColumn<QString>("choice"); // FOLDER/ stands for a folder of the test's
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("name");   // of the numbering chosen; empty when refused
        QTest::addColumn<QString>("problem");
        QTest::newRow("the format's own") << "" << "hashed" << "western" << "";
        QTest::newRow("the flat format's own") << "" << "flat" << "western" << "";
        QTest::newRow("windows-1252") << "windows-1252" << "hashed" << "windows-1252" << "";
        QTest::newRow("western") << "western" << "flat" << "western" << "";
        QTest::newRow("a map file") << "FOLDER/pl.map" << "tabled" << "pl.map" << "";
        QTest::newRow("a map file named like a numbering") << "FOLDER/western" << "tabled" << "western" << "";
        QTest::newRow("a missing map file") << "FOLDER/absent.map" << "tabled" << ""
                                            << "FOLDER/absent.map: No such file or directory";
        QTest::newRow("a malformed map file") << "FOLDER/bad.map" << "tabled" << ""
                                              << "FOLDER/bad.map: line 2: expected UUUU=GGGG, a character's code and its "
                                                 "glyph number in hex, but found \"nonsense\"";
        QTest::newRow("a folder") << "FOLDER" << "flat" << "" << "FOLDER: it is a folder, not a file";
    }
    void numberingChoices()
    {
        QFETCH(QString, choice);
        QFETCH(QString, format);
        QFETCH(QString, name);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("pl.map")), "0104=0083\n"));
        QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("western")), "0104=0083\n"));
        QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("bad.map")), "0104=0083\nnonsense\n"));
        choice.replace(QStringLiteral("FOLDER"), dir.path());
        problem.replace(QStringLiteral("FOLDER"), dir.path());
        std::shared_ptr<const CharacterNumbering> numbering;
        const Result resolved = NumberingChoice::resolve(choice, testfiles::format(format), numbering);
        QCOMPARE(resolved.errorString(), problem);
        if (!problem.isEmpty())
            return;
        QCOMPARE(numbering->name(), name);
        QCOMPARE(NumberingChoice::isMapFile(choice), choice.startsWith(dir.path()));
        // A map lies over the format's own numbering: "Ą" at 0x83, the rest as the game's.
        if (NumberingChoice::isMapFile(choice))
            QCOMPARE(numbering->decode(u"\x83\x96"), QStringLiteral("Ąß"));
    }

    void eightBitTextsRefuseWideGlyphs()
    {
        std::shared_ptr<const CharacterNumbering> wide;
        QVERIFY(CharacterNumbering::fromMap("3042=0100\n", "jp", *CharacterNumbering::western(format("hashed")), wide));
        const EntryRules sixteen(format("hashed"), 16, *wide);
        const EntryRules eight(format("hashed"), 8, *wide);
        QVERIFY(sixteen.checkValue("あ"));
        qsizetype bad = -1;
        QCOMPARE(eight.checkValue("aあ", &bad).errorString(),
                 QStringLiteral("the value holds the character 'あ' (U+3042), whose glyph 0x100 does not fit the 8-bit "
                                "texts of this file"));
        QCOMPARE(bad, 1);
        QCOMPARE(eight.checkValue("⟨0100⟩").errorString(),
                 QStringLiteral("the value holds ⟨0100⟩, a unit that does not fit the 8-bit texts of this file"));
    }

    void numberingsAndNamesChangeNothingUnderneath()
    {
        const QByteArray bytes = testfiles::written(sampleDocument("hashed", 16));
        GxtDocument document;
        QVERIFY(loadGxtBytes(bytes, document));
        QCOMPARE(document.tableName(0), QStringLiteral("MAIN"));
        KeyNames known;
        known.add("abc");
        auto names = [&document](const EntryRules &rules) {
            QStringList list;
            for (const StringEntry &e : document.table(0)->entries())
                list << rules.keyText(e);
            return list;
        };
        const EntryRules plain(document.format(), document.bits(), *CharacterNumbering::western(document.format()));
        const EntryRules named(document.format(), document.bits(), *CharacterNumbering::windows1252(), document.keyHash(), &known);
        QVERIFY(names(plain).contains(hashText(crc("ABC"))));
        QVERIFY(names(named).contains(QStringLiteral("ABC")));
        QVERIFY(!names(named).contains(hashText(crc("ABC"))));
        QByteArray saved;
        QVERIFY(buildGxt(document, saved));
        QCOMPARE(saved, bytes);
    }

    void tableCommandsAndNames()
    {
        GxtDocument document;
        QVERIFY(loadGxtBytes(testfiles::written(sampleDocument("tabled", 16)), document));
        QCOMPARE(document.checkTableName("ZTAB").errorString(), QStringLiteral("a table named 'ZTAB' already exists"));
        QCOMPARE(document.checkTableName("ZTAB", document.indexOfTable("ZTAB")).errorString(), QString());
        QCOMPARE(document.checkTableName("NINECHARS").errorString(),
                 QStringLiteral("the table name \"NINECHARS\" has 9 characters; a GXT table name holds at most 8"));
        QCOMPARE(document.checkTableName("").errorString(), QStringLiteral("a table needs a name"));

        QSignalSpy inserted(&document, &GxtDocument::tableInserted);
        StringEntry one;
        one.name = RawName::fromBytes("A");
        one.units = QStringLiteral("1");
        std::unique_ptr<StringTable> made = document.makeTable(RawName::fromBytes("NEW"), {one});
        StringTable *table = made.get();
        // Table 0, MAIN, stays first: an insertion before it goes to the end.
        document.insertTable(0, std::move(made));
        QCOMPARE(document.indexOf(table), 3);
        QCOMPARE(inserted.last().first().toInt(), 3);
        document.renameTable(3, RawName::fromBytes("AAA"));
        QCOMPARE(document.indexOfTable("AAA"), 3);
        std::unique_ptr<StringTable> taken = document.takeTable(3);
        QCOMPARE(taken.get(), table);
        QCOMPARE(taken->count(), 1);
        QCOMPARE(taken->at(0).units, QStringLiteral("1"));
        QCOMPARE(document.tableCount(), 3);

        // A document whose first table is no MAIN cannot be written as tables.
        RowDocument noMain = sampleDocument("tabled", 16);
        noMain.tables.front().name = "FIRST";
        QByteArray out;
        QCOMPARE(writeGxt(testfiles::raw(noMain), out).errorString(), QStringLiteral("a GXT file of tables needs its MAIN table first"));
    }
};

QTEST_GUILESS_MAIN(TestLayouts)
#include "tst_layouts.moc"
