// What the later games' files hold and how a user reads them: the fourth game's hash and
// files of one table, GXT2 in both byte orders, the numbering a file reads best in, and text
// codes that stay ASCII whatever the numbering. Byte layouts are checked where the game
// needs them exactly; everything else by reading back what was written.
#include "testfiles.h"

#include "gxtdocumentfile.h"
#include "hashevidence.h"
#include "hashtext.h"
#include "keyhash.h"
#include "keynames.h"
#include "numberingchoice.h"
#include "numberingfit.h"

#include <QTest>
#include <QtEndian>

using namespace quillet;

namespace {

const GxtFormat &format(const char *id)
{
    return testfiles::format(QString::fromLatin1(id));
}

StringEntry hashed(quint32 hash, const QString &units)
{
    StringEntry entry;
    entry.hash = hash;
    entry.units = units;
    return entry;
}

// The fourth game's file of one table, keys by one-at-a-time, with `entries`.
RawDocument singleTable(int bits, std::vector<StringEntry> entries)
{
    RawDocument document;
    document.format = &format("hashed-single");
    document.bits = bits;
    document.hash = &KeyHash::oneAtATime();
    RawTable table;
    table.name = mainTableRawName();
    table.entries = std::move(entries);
    document.tables.push_back(table);
    return document;
}

// A hashed document of tables whose keys are the names given, hashed by `hash`.
RawDocument keyedBy(const KeyHash &hash, const std::vector<std::pair<const char *, QStringList>> &tables,
                    const GxtFormat &of = format("hashed"))
{
    RawDocument raw;
    raw.format = &of;
    raw.bits = 16;
    raw.hash = &hash;
    for (const auto &[name, keys] : tables) {
        RawTable table;
        table.name = RawName::fromBytes(name);
        for (const QString &key : keys)
            table.entries.push_back(hashed(hash(key.toLatin1()), QStringLiteral("x")));
        raw.tables.push_back(std::move(table));
    }
    return raw;
}

QString unitsOf(std::initializer_list<char16_t> list)
{
    QString s;
    for (char16_t u : list)
        s += QChar(u);
    return s;
}

quint32 be32(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.constData() + at);
}
quint32 le32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestEveryGame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The facts file's check values, and the case each hash folds names to.
    void keyHashes_data()
    {
        QTest::addColumn<QString>("hash");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("value");
        QTest::newRow("crc32 YES") << "crc32" << "YES" << qint64(0x1CBF88DC);
        QTest::newRow("crc32 yes") << "crc32" << "yes" << qint64(0x1CBF88DC);
        QTest::newRow("crc32 of a hash's text") << "crc32" << "#01234567" << qint64(0xEA28B0AB);
        QTest::newRow("one-at-a-time yes") << "one-at-a-time" << "yes" << qint64(0xEBD19C80);
        QTest::newRow("one-at-a-time YES") << "one-at-a-time" << "YES" << qint64(0xEBD19C80);
        QTest::newRow("one-at-a-time roman13_03") << "one-at-a-time" << "roman13_03" << qint64(0xA61B0283);
        QTest::newRow("one-at-a-time ROMAN13_03") << "one-at-a-time" << "ROMAN13_03" << qint64(0xA61B0283);
    }
    void keyHashes()
    {
        QFETCH(QString, hash);
        QFETCH(QString, name);
        QFETCH(qint64, value);
        const KeyHash *function = KeyHash::byId(hash);
        QVERIFY(function);
        QCOMPARE(qint64((*function)(name.toLatin1())), value);
    }

    // Which hash a file's keys were made by, from what the file and the user's list say.
    void hashEvidence_data()
    {
        QTest::addColumn<QString>("madeBy");
        QTest::addColumn<QStringList>("names"); // a loaded list; empty: none
        QTest::addColumn<QString>("chosen");
        QTest::newRow("third game by its mission tables") << "crc32" << QStringList() << "crc32";
        QTest::newRow("fourth game by its mission tables") << "one-at-a-time" << QStringList() << "one-at-a-time";
        QTest::newRow("a list of the fourth game's names") << "one-at-a-time" << QStringList{"INTRO_1", "INTRO_2"} << "one-at-a-time";
        // The list is stronger evidence than the tables' names.
        QTest::newRow("a list that names more under the other hash")
            << "crc32" << QStringList{"OTHER_1", "OTHER_2", "OTHER_3", "OTHER_4"} << "one-at-a-time";
        QTest::newRow("a list that names nothing") << "one-at-a-time" << QStringList{"NOPE"} << "one-at-a-time";
    }
    void hashEvidence()
    {
        QFETCH(QString, madeBy);
        QFETCH(QStringList, names);
        QFETCH(QString, chosen);
        const KeyHash &by = *KeyHash::byId(madeBy);
        RawDocument raw = keyedBy(by, {{"MAIN", {"INTRO_1", "INTRO_2"}}, {"ROMAN1", {"ROMAN1_01", "ROMAN1_A", "ROMAN17"}},
                                       {"JOB", {"JOB_3", "JOB11"}}});
        // Keys of the other hash, which only a list can name.
        const KeyHash &other = &by == &KeyHash::crc32() ? KeyHash::oneAtATime() : KeyHash::crc32();
        for (const char *key : {"OTHER_1", "OTHER_2", "OTHER_3", "OTHER_4"})
            raw.tables[0].entries.push_back(hashed(other(key), QStringLiteral("y")));
        KeyNames list;
        for (const QString &name : names)
            list.add(name);
        // The bytes do not tell: a reader gives the format's own, and the evidence decides.
        raw.hash = format("hashed").traits().hash;
        QCOMPARE(chooseKeyHash(raw, names.isEmpty() ? nullptr : &list).id(), chosen);
    }

    void tiesGoToTheFormatsOwnHash()
    {
        RawDocument raw = keyedBy(KeyHash::crc32(), {{"MAIN", {"NOTHING", "TELLS"}}});
        QCOMPARE(&chooseKeyHash(raw), &KeyHash::crc32());
        raw.format = &format("hashed-single");
        QCOMPARE(&chooseKeyHash(raw), &KeyHash::oneAtATime());
    }

    // The numbering a file opens in, from its texts: letters beside letters, then the fewest
    // units it cannot show, then the format's own.
    void bestNumberings_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("hash");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("best");
        // "échoué" in the game's numbering: é is 0x9E, which Windows-1252 shows as ž.
        QTest::newRow("French flat") << "flat" << "" << unitsOf({0x9E, 'c', 'h', 'o', 'u', 0x9E}) << "western";
        QTest::newRow("plain ASCII flat") << "flat" << "" << "Hello" << "western";
        // The sample's French and Spanish, as the game's numbering stores them: the mobile
        // Russian numbering has letters for these units too, but Cyrillic among Latin ones.
        QTest::newRow("French and Spanish among ASCII")
            << "flat" << "" << unitsOf({'C', 'a', 'f', 0x9E, ' ', 'c', 'r', 0x9D, 'm', 'e', ' ', 0xAF, 0x9C, 'a', ' ', 's', 'e', 0xAE, 'o', 'r'})
            << "western";
        // Ä as Windows-1252 puts it, which the game's numbering has no glyph for.
        QTest::newRow("Windows-1252 letters") << "flat" << "" << unitsOf({'J', 0xC4, 'G', 'E', 'R'}) << "windows-1252";
        QTest::newRow("fourth game, Western") << "hashed" << "one-at-a-time" << unitsOf({'c', 'a', 'f', 0xE9}) << "unicode";
        // ™ at 0x99, which Unicode leaves as a control: Windows-1252 shows every unit.
        QTest::newRow("fourth game, a trade mark") << "hashed" << "one-at-a-time" << unitsOf({'X', 0x99, ' ', 'c', 'a', 'f', 0xE9}) << "windows-1252";
        // "Солнечно": the game's numbering has letters for most of these units too, but not
        // for ч (0xB7), which breaks its run of letters.
        QTest::newRow("mobile Russian") << "hashed" << "" << unitsOf({0x91, 0xAE, 0xAB, 0xAD, 0xA5, 0xB7, 0xAD, 0xAE})
                                        << "russian-mobile";
        QTest::newRow("third game, nothing to tell") << "hashed" << "" << "Ja" << "western";
        QTest::newRow("fourth game, nothing to tell") << "hashed" << "one-at-a-time" << "Ja" << "unicode";
        QTest::newRow("GXT2 Cyrillic") << "gxt2" << "" << QStringLiteral("Нет") << "unicode";
    }
    void bestNumberings()
    {
        QFETCH(QString, format);
        QFETCH(QString, hash);
        QFETCH(QString, units);
        QFETCH(QString, best);
        RawTable table;
        table.name = mainTableRawName();
        table.entries.push_back(hashed(1, units));
        table.entries.push_back(hashed(2, QStringLiteral("plain words beside it")));
        const GxtFormat &f = testfiles::format(format);
        QCOMPARE(bestNumbering(f, {&table}, hash.isEmpty() ? f.traits().hash : KeyHash::byId(hash)), best);
    }

    void builtInNumberingsReadTheirReleases()
    {
        // "ПОГОДА" as the mobile Russian release stores it.
        QCOMPARE(CharacterNumbering::russianMobile()->decode(unitsOf({0x8F, 0x8E, 0x83, 0x8E, 0x84, 0x80})), QStringLiteral("ПОГОДА"));
        QCOMPARE(CharacterNumbering::russianMobile()->decode(unitsOf({0xA0, 0xBF})), QStringLiteral("ая"));
        // A unit is its code point, beyond the 16 bits too; controls show as escapes.
        const auto unicode = CharacterNumbering::unicode();
        QCOMPARE(unicode->decode(unitsOf({0x41F, 0x4E2D, 0xD83D, 0xDE00})), QStringLiteral("П中😀"));
        QCOMPARE(unicode->decode(unitsOf({0x99})), QStringLiteral("⟨0099⟩"));
        QString units;
        QVERIFY(unicode->encode(QStringLiteral("😀"), units));
        QCOMPARE(units, unitsOf({0xD83D, 0xDE00}));
        // Line breaks and tabs read as themselves in the games' numberings.
        for (const auto &numbering : {CharacterNumbering::western(format("flat")), CharacterNumbering::russianMobile()})
            QCOMPARE(numbering->decode(unitsOf({'a', 0x0A, 0x09, 'b'})), QStringLiteral("a\n\tb"));
    }

    // Units inside ~...~ are ASCII whatever the numbering, both ways: a map that moves "y"
    // still reads 7E 79 7E as ~y~ and writes a typed ~y~ so.
    void textCodesStayAscii_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a colour") << unitsOf({'~', 'y', '~', 'y'}) << "~y~Ж";
        QTest::newRow("a key code") << unitsOf({'~', 'k', '~', '~', 'P', 'E', 'D', '_', 'y', '~'}) << "~k~~PED_y~";
        QTest::newRow("a lone tilde") << unitsOf({'~', 'y'}) << "~Ж";
        QTest::newRow("a code that is no code") << unitsOf({'~', ' ', 'y', '~'}) << "~ Ж~";
        // The ends of the characters a code may hold, each moved by the map outside codes.
        QTest::newRow("the first code character") << unitsOf({'~', '!', '~', '!'}) << "~!~Й";
        QTest::newRow("the last code character") << unitsOf({'~', '}', '~', '}'}) << "~}~Д";
    }
    void textCodesStayAscii()
    {
        QFETCH(QString, units);
        QFETCH(QString, shown);
        // A fan translation's map: Ж drawn where ASCII has y.
        std::shared_ptr<const CharacterNumbering> map;
        QVERIFY(CharacterNumbering::fromMap("0416=0079\n0419=0021\n0414=007D\n", QStringLiteral("ru.map"), *CharacterNumbering::western(format("tabled")), map));
        const EntryRules rules(format("tabled"), 16, *map, nullptr);
        QCOMPARE(rules.valueText(units), shown);
        QString back;
        const Result typed = rules.encodeValue(shown, back);
        QVERIFY2(typed, qPrintable(typed.errorString()));
        QCOMPARE(back, units);
    }

    // The writer checks a text's units several at a time: a unit it cannot store is refused
    // wherever it stands in the text, and a text of storable units is taken at every length.
    void writerChecksEveryUnit_data()
    {
        QTest::addColumn<char16_t>("bad");
        QTest::newRow("a unit 0") << char16_t(0);
        QTest::newRow("a unit above 8 bits") << char16_t(0x100);
        QTest::newRow("the highest unit") << char16_t(0xFFFF);
    }
    void writerChecksEveryUnit()
    {
        QFETCH(char16_t, bad);
        RawDocument document = singleTable(8, {hashed(0x10, QString())});
        QByteArray bytes;
        for (int length = 1; length <= 25; ++length) {
            QString &text = document.tables[0].entries[0].units;
            text = QString(length, QChar(0xFF));
            QVERIFY2(writeGxt(document, bytes), qPrintable(QStringLiteral("length %1").arg(length)));
            for (int at = 0; at < length; ++at) {
                text = QString(length, QLatin1Char('a'));
                text[at] = QChar(bad);
                QVERIFY2(!writeGxt(document, bytes), qPrintable(QStringLiteral("length %1, at %2").arg(length).arg(at)));
            }
        }
    }

    // Whether a numbering shows every unit of a text (the tool's check and the open's note
    // count the entries it does not) is worked out eight units at a time against two runs
    // of glyphs; it must answer as a unit-by-unit look at the numbering would, for a unit
    // of every value, at every place in and after the eight-unit steps.
    void showsEveryUnitAsTheNumberingDoes_data()
    {
        QTest::addColumn<QString>("numbering");
        QTest::addColumn<QString>("formatId");
        for (const char *name : {"western", "windows-1252", "unicode", "russian-mobile"})
            QTest::addRow("%s", name) << QString::fromLatin1(name) << QStringLiteral("tabled");
        QTest::newRow("western, flat") << QStringLiteral("western") << QStringLiteral("flat");
    }
    void showsEveryUnitAsTheNumberingDoes()
    {
        QFETCH(QString, numbering);
        QFETCH(QString, formatId);
        std::shared_ptr<const CharacterNumbering> chosen;
        QVERIFY(NumberingChoice::resolve(numbering, testfiles::format(formatId), chosen));
        const CharacterNumbering &n = *chosen;
        const auto shows = [&n](QStringView text) {
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (n.name() == QLatin1String("unicode") && i + 1 < text.size() && text[i].isHighSurrogate()
                    && text[i + 1].isLowSurrogate()) {
                    ++i;
                    continue;
                }
                const char32_t c = n.characterOf(text[i].unicode());
                if (c == 0 || c == CharacterNumbering::EscapeOpen)
                    return false;
            }
            return true;
        };
        // Letters and an accented glyph of every numbering around the unit looked at.
        const QString base = QStringLiteral("Abc") + QChar(0xA0) + QStringLiteral("defghijklmnopq");
        int differing = 0;
        for (uint unit = 1; unit <= 0xFFFF; unit += unit < 0x600 ? 1 : 0x3F) {
            for (int at : {0, 5, 7, 8, 15, 16, 19}) {
                QString text = base.left(20);
                text.resize(20, QLatin1Char('z'));
                text[at] = QChar(char16_t(unit));
                if (n.showsEvery(text) != shows(text) && differing++ < 5)
                    qWarning("unit %04X at %d: showsEvery says %d", unit, at, int(n.showsEvery(text)));
            }
        }
        QCOMPARE(differing, 0);
        // A pair split over two steps of eight.
        QString paired = base.left(7) + QChar(0xD83D) + QChar(0xDE00) + base;
        QCOMPARE(n.showsEvery(paired), shows(paired));
    }

    // Records go out in ascending hash order, which the game's binary search needs, in small
    // and large tables alike, whichever byte of the hash tells two keys apart.
    void recordsInHashOrder_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("shift");
        for (const int count : {5, 127, 128, 600})
            for (const int shift : {0, 8, 16, 24})
                QTest::addRow("%d entries, byte %d", count, shift / 8) << count << shift;
    }
    void recordsInHashOrder()
    {
        QFETCH(int, count);
        QFETCH(int, shift);
        // Keys alike but in one byte, given in a scrambled order.
        std::vector<StringEntry> entries;
        for (int i = 0; i < count; ++i) {
            const quint32 key = quint32(i * 97 % count);
            const int other = shift == 24 ? 0 : 24;
            const quint32 rest = 0x5A5A5A5Au & ~(0xFFu << shift) & ~(0xFFu << other);
            entries.push_back(hashed(rest | (key & 0xFF) << shift | (key >> 8) << other, QStringLiteral("t")));
        }
        const RawDocument document = singleTable(16, std::move(entries));
        QByteArray bytes;
        QVERIFY(writeGxt(document, bytes));
        // 04 00 10 00, TKEY and its size, then records of (offset, hash).
        for (int i = 1; i < count; ++i)
            QVERIFY2(le32(bytes, 12 + 8 * (i - 1) + 4) < le32(bytes, 12 + 8 * i + 4), qPrintable(QString::number(i)));
    }

    // The byte layouts the later games read, exactly: the fourth game's file of one table,
    // and GXT2 in both byte orders.
    void layoutsOfOneTable()
    {
        RawDocument single;
        single.format = &format("hashed-single");
        single.bits = 16;
        single.hash = &KeyHash::oneAtATime();
        RawTable table;
        table.name = mainTableRawName();
        table.entries = {hashed(0x20, QStringLiteral("B")), hashed(0x10, QStringLiteral("A"))};
        single.tables.push_back(table);
        QByteArray bytes;
        QVERIFY(writeGxt(single, bytes));
        QCOMPARE(bytes.toHex(), QByteArray("04001000" "544b455910000000" "0000000010000000" "0400000020000000"
                                           "5444415408000000" "41000000" "42000000"));

        for (const bool big : {false, true}) {
            RawDocument gxt2;
            gxt2.format = &format(big ? "gxt2-be" : "gxt2");
            gxt2.bits = 8;
            gxt2.hash = &KeyHash::oneAtATime();
            RawTable texts;
            texts.name = mainTableRawName();
            // A kept byte that is not UTF-8 goes back as itself.
            texts.entries = {hashed(0x20, QStringLiteral("é")), hashed(0x10, unitsOf({'A', 0xDCFF}))};
            gxt2.tables.push_back(texts);
            QVERIFY(writeGxt(gxt2, bytes));
            const auto u32 = [&](qsizetype at) { return big ? be32(bytes, at) : le32(bytes, at); };
            QCOMPARE(bytes.left(4), QByteArray(big ? "GXT2" : "2TXG"));
            QCOMPARE(u32(4), 2u);
            // Records in hash order, each text's offset from the start of the file.
            QCOMPARE(u32(8), 0x10u);
            QCOMPARE(u32(12), 32u);
            QCOMPARE(u32(16), 0x20u);
            QCOMPARE(u32(20), 35u);
            QCOMPARE(bytes.mid(24, 4), QByteArray(big ? "GXT2" : "2TXG"));
            QCOMPARE(u32(28), quint32(bytes.size()));
            QCOMPARE(bytes.mid(32), QByteArray("A\xFF\0\xC3\xA9\0", 6));
            RawDocument back;
            QVERIFY(readGxt(bytes, back));
            QCOMPARE(back.format, gxt2.format);
            QVERIFY(back == inWriterOrder(gxt2));
        }
    }

    // What shipped files do that the reader takes, with a warning where the game would.
    void realFilesQuirks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("warning"); // empty: none
        QTest::addColumn<QStringList>("texts");
        // GXT2 whose records are out of hash order: read as they stand.
        QByteArray gxt2("2TXG\x02\0\0\0" "\x20\0\0\0\x20\0\0\0" "\x10\0\0\0\x22\0\0\0" "2TXG\x24\0\0\0" "b\0a\0", 36);
        QTest::newRow("GXT2 records out of order") << gxt2 << QString() << QStringList{"b", "a"};
        // A fourth-game file of one table whose TDAT size leaves out the last terminator.
        const QByteArray shortData("\x04\0\x10\0TKEY\x08\0\0\0\0\0\0\0\x01\0\0\0TDAT\x02\0\0\0A\0\0\0", 32);
        QTest::newRow("TDAT short of its terminator")
            << shortData << "table MAIN: its TDAT size leaves out the last text's terminator; the game reads the text all the same"
            << QStringList{"A"};
    }
    void realFilesQuirks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, warning);
        QFETCH(QStringList, texts);
        RawDocument raw;
        const Result read = readGxt(bytes, raw);
        QVERIFY2(read, qPrintable(read.errorString()));
        QCOMPARE(read.warnings(), warning.isEmpty() ? QStringList() : QStringList{warning});
        QStringList got;
        for (const StringEntry &entry : raw.tables.front().entries)
            got << entry.units;
        QCOMPARE(got, texts);
        // A save writes what the game needs: in order, sizes exact; and it reads back alike.
        QByteArray saved;
        QVERIFY(writeGxt(raw, saved));
        RawDocument again;
        QVERIFY(readGxt(saved, again));
        QVERIFY(again == inWriterOrder(raw));
        QVERIFY(readGxt(saved, again).warnings().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEveryGame)
#include "tst_everygame.moc"
