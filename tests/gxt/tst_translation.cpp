// The translator's workbench in the core: text-code checks per game, a translation's status
// against its reference, and the round trips through PO and XLIFF.
#include "characternumbering.h"
#include "entryrules.h"
#include "gxtformat.h"
#include "keyhash.h"
#include "poexchange.h"
#include "textcodecheck.h"
#include "translationexchange.h"
#include "translationpair.h"
#include "translationstatus.h"
#include "xliffexchange.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quillet;

Q_DECLARE_METATYPE(quillet::Game)
Q_DECLARE_METATYPE(quillet::TranslationFormat)

namespace {

struct Layout {
    const char *format;
    int bits;
    const KeyHash *hash;
};

const Layout Layouts[] = {
    {"flat", 16, nullptr},
    {"tabled", 16, nullptr},
    {"hashed", 8, &KeyHash::crc32()},
    {"hashed", 16, &KeyHash::oneAtATime()},
    {"hashed-single", 16, &KeyHash::oneAtATime()},
    {"gxt2", 8, &KeyHash::oneAtATime()},
};

void addLayoutRows(bool withFormats = false)
{
    if (withFormats)
        QTest::addColumn<TranslationFormat>("form");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("bits");
    QTest::addColumn<const void *>("hash");
    for (const Layout &layout : Layouts) {
        const QString tag = QStringLiteral("%1-%2%3").arg(QLatin1String(layout.format)).arg(layout.bits)
                                .arg(layout.hash ? u'-' + layout.hash->id() : QString());
        if (!withFormats) {
            QTest::newRow(qPrintable(tag)) << QString::fromLatin1(layout.format) << layout.bits
                                           << static_cast<const void *>(layout.hash);
            continue;
        }
        for (const auto &[form, name] : {std::pair(TranslationFormat::Po, "po"), std::pair(TranslationFormat::Pot, "pot"),
                                         std::pair(TranslationFormat::Xliff, "xliff")}) {
            QTest::newRow(qPrintable(tag + u' ' + QLatin1String(name)))
                << form << QString::fromLatin1(layout.format) << layout.bits << static_cast<const void *>(layout.hash);
        }
    }
}

translationpair::Pair pairOf(const QString &format, int bits, const void *hash)
{
    translationpair::Options options;
    options.format = format;
    options.bits = bits;
    options.hash = static_cast<const KeyHash *>(hash);
    return translationpair::make(options);
}

std::vector<const RawTable *> tablesOf(const RawDocument &document)
{
    std::vector<const RawTable *> tables;
    for (const RawTable &table : document.tables)
        tables.push_back(&table);
    return tables;
}

} // namespace

class TranslationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codeProblems_data();
    void codeProblems();
    void status_data() { addLayoutRows(); }
    void status();
    void statusAcrossFormats();
    void progressText();
    void roundTrip_data() { addLayoutRows(true); }
    void roundTrip();
    void importFillsIn_data();
    void importFillsIn();
    void badFiles_data();
    void badFiles();
};

void TranslationTest::codeProblems_data()
{
    QTest::addColumn<Game>("game");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reference"); // "-": none
    QTest::addColumn<QStringList>("problems");

    const QString none = QStringLiteral("-");
    QTest::newRow("clean") << Game::Third << "~r~Go~w~ now ~1~" << none << QStringList();
    QTest::newRow("button prompt is one code")
        << Game::Third << "Press ~k~~PED_FIREWEAPON~" << "Appuie ~k~~PED_FIREWEAPON~" << QStringList();
    QTest::newRow("button prompt with another action")
        << Game::Third << "Press ~k~~PED_FIREarme~" << "Press ~k~~PED_FIREWEAPON~"
        << QStringList{"codes differ from the reference: ~k~~PED_FIREWEAPON~ missing, ~k~~PED_FIREarme~ added"};
    QTest::newRow("stray tilde") << Game::First << "50~ off" << none << QStringList{"unbalanced ~ at character 3"};
    QTest::newRow("two stray tildes") << Game::First << "~~" << none << QStringList{"unbalanced ~ at characters 1, 2"};
    QTest::newRow("code of another game") << Game::Third << "~B~bold~B~" << none
                                           << QStringList{"the third game does not know the code ~B~"};
    QTest::newRow("bold in the first game") << Game::First << "~B~bold~B~" << none << QStringList();
    QTest::newRow("bold in the second game") << Game::Second << "~B~bold~B~" << none << QStringList();
    QTest::newRow("codes are case-sensitive") << Game::Second << "~R~red" << none
                                               << QStringList{"the second game does not know the code ~R~"};
    QTest::newRow("fifth game's own codes") << Game::Fifth << "~HUD_COLOUR_RED~~a_1~~INPUT_JUMP~~bold~" << none
                                             << QStringList();
    QTest::newRow("fifth game's numbered placeholder needs digits")
        << Game::Fifth << "~a_x~" << none << QStringList{"the fifth game does not know the code ~a_x~"};
    QTest::newRow("the fourth game's codes are not listed") << Game::Fourth << "~zz~" << none << QStringList();
    QTest::newRow("placeholder missing") << Game::Third << "Pay" << "Pay ~1~"
                                         << QStringList{"codes differ from the reference: ~1~ missing"};
    QTest::newRow("colour twice too often") << Game::Third << "~r~a~r~b~r~" << "~r~a"
                                            << QStringList{"codes differ from the reference: ~r~ added 2 times"};
    QTest::newRow("line breaks move freely") << Game::Third << "~r~one~n~two" << "~n~~r~one two" << QStringList();
    QTest::newRow("line break count") << Game::Third << "a~n~b~n~c" << "a~n~b"
                                      << QStringList{"codes differ from the reference: ~n~ added"};
    QTest::newRow("order") << Game::Third << "~g~a ~r~b" << "~r~a ~g~b"
                           << QStringList{"codes differ from the reference: in another order: ~g~ ~r~ instead of ~r~ ~g~"};
    QTest::newRow("space at the end") << Game::Third << "Hi " << none << QStringList{"whitespace at the end"};
    QTest::newRow("line break at the start") << Game::Third << "\nHi" << none << QStringList{"whitespace at the start"};
    QTest::newRow("512 is the limit") << Game::Third << QString(512, u'a') << none << QStringList();
    QTest::newRow("513 is too long") << Game::Third << QString(513, u'a') << none
                                     << QStringList{"the text has 513 characters; the third game fails on texts longer "
                                                    "than about 512"};
    QTest::newRow("no limit in the second game") << Game::Second << QString(2000, u'a') << none << QStringList();
    QTest::newRow("every problem in its order")
        << Game::Third << " ~Q~ 5~" << "~1~"
        << QStringList{"unbalanced ~ at character 7", "the third game does not know the code ~Q~",
                       "codes differ from the reference: ~1~ missing, ~Q~ added", "whitespace at the start"};
}

void TranslationTest::codeProblems()
{
    QFETCH(Game, game);
    QFETCH(QString, text);
    QFETCH(QString, reference);
    std::optional<QStringView> against;
    if (reference != u"-")
        against = QStringView(reference);
    QStringList found;
    for (const TextProblem &problem : TextCodeCheck(game).checkUnits(text, against))
        found.append(problem.message);
    QTEST(found, "problems");
    if (against)
        QCOMPARE(TextCodeCheck::codesDiffer(text, *against), !TextCodeCheck::codesDifference(text, *against).isEmpty());
}

// The pair's states were decided as it was made; the status must find every one of them.
void TranslationTest::status()
{
    QFETCH(QString, format);
    QFETCH(int, bits);
    QFETCH(const void *, hash);
    const translationpair::Pair pair = pairOf(format, bits, hash);
    TranslationStatus status(pair.english, nullptr);
    status.setDocument(*pair.translation.format, pair.translation.hash);
    const std::vector<const RawTable *> tables = tablesOf(pair.translation);
    QCOMPARE(status.count(tables), pair.counts);
    QVERIFY(pair.counts.missing > 0 && pair.counts.untranslated > 0 && pair.counts.codesDiffer > 0);

    const auto numbering = CharacterNumbering::defaultFor(*pair.translation.format, pair.translation.hash);
    KeyNames names; // the generator's key names, so that hashed keys read as the pair records them
    for (const QString &context : pair.states.keys())
        names.add(context.section(u'/', -1));
    const EntryRules rules = EntryRules::of(pair.translation, *numbering, &names);
    int seen = 0;
    for (const RawTable *table : tables) {
        for (const StringEntry &entry : table->entries) {
            const QString key = format == u"flat" || !pair.translation.format->hasTables()
                ? rules.keyText(entry)
                : rules.tableText(table->name) + u'/' + rules.keyText(entry);
            QVERIFY2(pair.states.contains(key), qPrintable(key));
            QCOMPARE(status.stateOf(table->name, entry), pair.states.value(key));
            ++seen;
        }
        for (const MissingEntry &missing : status.missingEntries(table->name, table->entries)) {
            const QString key = pair.translation.format->hasTables()
                ? rules.tableText(table->name) + u'/' + rules.keyText(missing.entry)
                : rules.keyText(missing.entry);
            QCOMPARE(pair.states.value(key), TranslationState::Missing);
            // Filled in as it is, a missing entry is an untranslated one.
            QCOMPARE(status.stateOf(table->name, missing.entry), TranslationState::Untranslated);
        }
    }
    QCOMPARE(seen, int(pair.counts.wanted() + pair.counts.extra - pair.counts.missing));
}

// A reference of another format and numbering: tabled names against hashed keys and back,
// a flat file against a file of tables' MAIN.
void TranslationTest::statusAcrossFormats()
{
    translationpair::Options options;
    options.format = QStringLiteral("tabled");
    const translationpair::Pair named = translationpair::make(options);
    options.format = QStringLiteral("hashed");
    const translationpair::Pair hashed = translationpair::make(options);
    QCOMPARE(hashed.counts, named.counts); // the same draws, keys stored otherwise

    // The hashed translation against the tabled English, and the tabled one against hashed.
    TranslationStatus byName(named.english, nullptr);
    byName.setDocument(*hashed.translation.format, hashed.translation.hash);
    QCOMPARE(byName.count(tablesOf(hashed.translation)), hashed.counts);
    TranslationStatus byHash(hashed.english, nullptr);
    byHash.setDocument(*named.translation.format, named.translation.hash);
    QCOMPARE(byHash.count(tablesOf(named.translation)), named.counts);
    // A name cannot be made from a hash: the tabled table cannot take the missing ones.
    const RawTable &main = named.translation.tables.front();
    const std::vector<MissingEntry> missing = byHash.missingEntries(main.name, main.entries);
    QVERIFY(!missing.empty());
    QVERIFY(std::none_of(missing.begin(), missing.end(), [](const MissingEntry &m) { return m.placeable; }));

    // A flat translation of MAIN alone: its one table stands for MAIN, the rest are missing.
    RawDocument flat;
    flat.format = GxtFormat::byId(QStringLiteral("flat"));
    flat.tables.push_back(named.translation.tables.front());
    flat.tables.front().name = RawName::fromBytes("WHATEVER");
    TranslationStatus ofMain(named.english, nullptr);
    ofMain.setDocument(*flat.format, nullptr);
    const TranslationCounts counts = ofMain.count(tablesOf(flat));
    QCOMPARE(counts.wanted() + counts.extra - counts.missing, qsizetype(flat.tables.front().entries.size()));
    qsizetype englishEntries = 0;
    for (const RawTable &table : named.english.tables)
        englishEntries += qsizetype(table.entries.size());
    QCOMPARE(counts.wanted(), englishEntries);
}

void TranslationTest::progressText()
{
    TranslationCounts counts;
    counts.translated = 4097;
    counts.codesDiffer = 23;
    counts.untranslated = 600;
    counts.missing = 41;
    counts.extra = 9;
    QCOMPARE(translationProgressText(counts), QStringLiteral("4,120 of 4,761 translated, 23 with codes differing"));
    QCOMPARE(translationProgressText({}), QStringLiteral("0 of 0 translated, 0 with codes differing"));
}

namespace {

// The translation with a key held twice, which every exchange must still tell apart.
RawDocument withTwin(const RawDocument &document)
{
    RawDocument twin = document;
    std::vector<StringEntry> &entries = twin.tables.front().entries;
    StringEntry copy = entries.front();
    copy.units = QStringLiteral("twin ~r~text");
    entries.insert(entries.begin() + 1, copy);
    return twin;
}

struct Reading {
    std::shared_ptr<const CharacterNumbering> numbering;
    KeyNames names;
};

void nameKeys(const translationpair::Pair &pair, KeyNames &names)
{
    for (const QString &context : pair.states.keys())
        names.add(context.section(u'/', -1));
}

} // namespace

// Out and back without an edit, every layout and every form: not one unit of any entry
// changes, a code, a line-break unit or a glyph the numbering cannot show included. The
// PO passes msgfmt --check.
void TranslationTest::roundTrip()
{
    QFETCH(TranslationFormat, form);
    QFETCH(QString, format);
    QFETCH(int, bits);
    QFETCH(const void *, hash);
    const translationpair::Pair pair = pairOf(format, bits, hash);
    const RawDocument document = withTwin(pair.translation);
    const auto numbering = CharacterNumbering::defaultFor(*document.format, document.hash);
    KeyNames names;
    nameKeys(pair, names);
    // Half the layouts with names known for their hashes, half as "#XXXXXXXX".
    const bool named = (format.size() + bits) % 2 == 0;
    const EntryRules rules = EntryRules::of(document, *numbering, named ? &names : nullptr);
    TranslationStatus status(pair.english, nullptr);
    status.setDocument(*document.format, document.hash);

    QByteArray bytes;
    const Result written = writeTranslation(form, document, rules, &status, bytes);
    QVERIFY2(written, qPrintable(written.errorString()));
    std::vector<TranslatedText> texts;
    const Result read = readTranslation(form, bytes, QStringLiteral("t"), texts);
    QVERIFY2(read, qPrintable(read.errorString()));
    const std::vector<TranslationUnit> units = translationUnits(document, rules, form == TranslationFormat::Pot ? nullptr : &status);
    QCOMPARE(texts.size(), units.size());
    std::vector<TranslationChange> changes;
    const Result placed = placeTranslations(texts, QStringLiteral("t"), document, rules, changes);
    QVERIFY2(placed, qPrintable(placed.errorString()));
    QCOMPARE(changes.size(), size_t(0));
    // Every target read back is the text written, so that an edit of any of them would land.
    for (size_t i = 0; i < texts.size(); ++i) {
        QCOMPARE(texts[i].context, units[i].context);
        QCOMPARE(texts[i].target, form == TranslationFormat::Pot ? QString() : units[i].target);
    }
    // Each target, imported over an entry emptied of its text, gives that entry's units back.
    RawDocument emptied = document;
    for (RawTable &table : emptied.tables) {
        for (StringEntry &entry : table.entries)
            entry.units = QStringLiteral("-");
    }
    if (form != TranslationFormat::Pot) {
        QVERIFY(placeTranslations(texts, QStringLiteral("t"), emptied, rules, changes));
        applyTranslationChanges(emptied, changes);
        for (size_t t = 0; t < document.tables.size(); ++t) {
            for (size_t e = 0; e < document.tables[t].entries.size(); ++e) {
                const StringEntry &entry = document.tables[t].entries[e];
                if (status.stateOf(document.tables[t].name, entry) != TranslationState::Untranslated)
                    QCOMPARE(emptied.tables[t].entries[e].units, entry.units);
            }
        }
    }
    const QString msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
    if (form == TranslationFormat::Xliff || msgfmt.isEmpty())
        return;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.po"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QProcess check;
    check.start(msgfmt, {QStringLiteral("--check"), QStringLiteral("-o"), QStringLiteral("/dev/null"), path});
    QVERIFY(check.waitForFinished(60000));
    QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());
}

void TranslationTest::importFillsIn_data()
{
    QTest::addColumn<TranslationFormat>("form");
    QTest::newRow("po") << TranslationFormat::Po;
    QTest::newRow("xliff") << TranslationFormat::Xliff;
}

// A translator's pass: every untranslated and missing entry given a text; the import makes
// exactly those changes, the missing ones as new entries, and the counts move with them.
void TranslationTest::importFillsIn()
{
    QFETCH(TranslationFormat, form);
    const translationpair::Pair pair = pairOf(QStringLiteral("hashed"), 16, &KeyHash::crc32());
    const auto numbering = CharacterNumbering::defaultFor(*pair.translation.format, pair.translation.hash);
    const EntryRules rules = EntryRules::of(pair.translation, *numbering);
    TranslationStatus status(pair.english, nullptr);
    status.setDocument(*pair.translation.format, pair.translation.hash);
    std::vector<TranslationUnit> units = translationUnits(pair.translation, rules, &status);
    int filled = 0;
    int added = 0;
    // The table the translation lacks altogether: its entries cannot be placed, and stay empty.
    const QString lost = rules.tableText(pair.english.tables.back().name) + u'/';
    for (TranslationUnit &unit : units) {
        if (unit.state != TranslationState::Untranslated && unit.state != TranslationState::Missing)
            continue;
        if (unit.context.startsWith(lost))
            continue;
        // Its own words, its source's codes in their order.
        unit.target = translationpair::translate(unit.source);
        ++filled;
        added += unit.state == TranslationState::Missing;
    }
    QByteArray bytes;
    QVERIFY(form == TranslationFormat::Xliff ? writeXliff(units, bytes) : writePo(units, false, bytes));
    std::vector<TranslatedText> texts;
    QVERIFY(readTranslation(form, bytes, QStringLiteral("t"), texts));
    std::vector<TranslationChange> changes;
    const Result placed = placeTranslations(texts, QStringLiteral("t"), pair.translation, rules, changes);
    QVERIFY2(placed, qPrintable(placed.errorString()));
    const qsizetype lostTable = qsizetype(pair.english.tables.back().entries.size());
    QCOMPARE(qsizetype(changes.size()), qsizetype(filled));
    QCOMPARE(std::count_if(changes.begin(), changes.end(), [](const TranslationChange &c) { return c.row < 0; }),
             qsizetype(added));
    RawDocument after = pair.translation;
    applyTranslationChanges(after, changes);
    const TranslationCounts counts = status.count(tablesOf(after));
    QCOMPARE(counts.untranslated, qsizetype(0));
    QCOMPARE(counts.missing, lostTable);
    QCOMPARE(counts.codesDiffer, pair.counts.codesDiffer);
    QCOMPARE(counts.done(), pair.counts.done() + filled);
}

void TranslationTest::badFiles_data()
{
    QTest::addColumn<TranslationFormat>("form");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");

    const QByteArray header = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
    QTest::newRow("po syntax") << TranslationFormat::Po << header + "msgctxt \"MAIN/A\"\nmsgid \"x\"\nmsgstr \"y\n"
                               << "f.po: line 7: end-of-line within string"; // gettext's own line and words
    QTest::newRow("po unknown table")
        << TranslationFormat::Po << header + "msgctxt \"MAIN/A\"\nmsgid \"x\"\nmsgstr \"y\"\n\nmsgctxt \"NOPE/A\"\nmsgid \"x\"\nmsgstr \"y\"\n"
        << "f.po: line 8: \"NOPE/A\" names no table of the document";
    QTest::newRow("po unstorable")
        << TranslationFormat::Po << header + "msgctxt \"MAIN/A\"\nmsgid \"x\"\nmsgstr \"\xc4\x85\"\n"
        << "f.po: line 4: the translation of MAIN/A cannot be stored: the value holds the character";
    QTest::newRow("po twice")
        << TranslationFormat::Po << header + "msgctxt \"MAIN/A\"\nmsgid \"x\"\nmsgstr \"y\"\n\nmsgctxt \"MAIN/A\"\nmsgid \"z\"\nmsgstr \"y\"\n"
        << "f.po: line 8: \"MAIN/A\" is translated on line 4 already";
    QTest::newRow("po plural")
        << TranslationFormat::Po << header + "msgctxt \"MAIN/A\"\nmsgid \"x\"\nmsgid_plural \"xs\"\nmsgstr[0] \"y\"\n"
        << "f.po: line 4: the message has plural forms";
    QTest::newRow("po other charset")
        << TranslationFormat::Po << QByteArray("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n")
        << "f.po: line 1: the file is in iso-8859-1";
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<xliff version=\"1.2\"><file><body>\n";
    QTest::newRow("xliff not closed") << TranslationFormat::Xliff << xml + "<trans-unit id=\"MAIN/A\">\n<target>y</trans-unit>\n"
                                      << "f.xlf: line 4: Opening and ending tag mismatch";
    QTest::newRow("xliff without id") << TranslationFormat::Xliff << xml + "\n<trans-unit><target>y</target></trans-unit></body></file></xliff>"
                                      << "f.xlf: line 4: a <trans-unit> has no id";
    QTest::newRow("xliff unstorable")
        << TranslationFormat::Xliff << xml + "<trans-unit id=\"MAIN/A\"><target>~r~\xc4\x85</target></trans-unit></body></file></xliff>"
        << "f.xlf: line 3: the translation of MAIN/A cannot be stored";
    QTest::newRow("xliff unknown key kind")
        << TranslationFormat::Xliff << xml + "<trans-unit id=\"MAIN/toolongname\"><target>a</target></trans-unit></body></file></xliff>"
        << "f.xlf: line 3: \"MAIN/toolongname\" cannot be placed";
    QTest::newRow("not xliff") << TranslationFormat::Xliff << QByteArray("<html/>") << "f.xlf: line 1: the file is not XLIFF";
}

// A file that does not read, or holds what the document cannot take, names the file and
// the line, and changes nothing: not the document, not the file on disk.
void TranslationTest::badFiles()
{
    QFETCH(TranslationFormat, form);
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    RawDocument document;
    document.format = GxtFormat::byId(QStringLiteral("tabled"));
    RawTable main;
    main.name = mainTableRawName();
    StringEntry a;
    a.name = RawName::fromBytes("A");
    a.units = QStringLiteral("x");
    main.entries.push_back(a);
    document.tables.push_back(main);
    const auto numbering = CharacterNumbering::defaultFor(*document.format);
    const EntryRules rules = EntryRules::of(document, *numbering);

    QTemporaryDir dir;
    const QString path = dir.filePath(form == TranslationFormat::Po ? QStringLiteral("f.po") : QStringLiteral("f.xlf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    std::vector<TranslationChange> changes{TranslationChange{}};
    const Result imported = importTranslation(path, document, rules, changes);
    QVERIFY(!imported);
    QVERIFY2(imported.errorString().startsWith(dir.filePath(error)), qPrintable(imported.errorString()));
    QVERIFY(changes.empty());
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), text);
}

QTEST_GUILESS_MAIN(TranslationTest)
#include "tst_translation.moc"
