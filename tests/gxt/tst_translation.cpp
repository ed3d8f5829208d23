// The translator's workbench in the core: text-code checks per game, a translation's status
// against its reference, and the round trips through PO and XLIFF.
#include "characternumbering.h"
#include "entryrules.h"
#include "gxtformat.h"
#include "keyhash.h"
#include "textcodecheck.h"
#include "translationpair.h"
#include "translationstatus.h"

#include <QTest>

using namespace quillet;

Q_DECLARE_METATYPE(quillet::Game)

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

void addLayoutRows()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("bits");
    QTest::addColumn<const void *>("hash");
    for (const Layout &layout : Layouts) {
        const QString tag = QStringLiteral("%1-%2%3").arg(QLatin1String(layout.format)).arg(layout.bits)
                                .arg(layout.hash ? u'-' + layout.hash->id() : QString());
        QTest::newRow(qPrintable(tag)) << QString::fromLatin1(layout.format) << layout.bits
                                       << static_cast<const void *>(layout.hash);
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

QTEST_GUILESS_MAIN(TranslationTest)
#include "tst_translation.moc"
