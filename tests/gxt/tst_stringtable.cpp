// A table in file order, the identities of its entries, the list's model that follows it,
// the proxy that sorts it, and Find across the tables of a document.
#include "gxtdocument.h"
#include "stringlistproxy.h"
#include "stringtable.h"
#include "stringtablemodel.h"
#include "textsearch.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <numeric>

using namespace quillet;
using namespace Qt::StringLiterals;

namespace {

StringEntry entry(QByteArrayView name, const QString &units, EntryId id = 0)
{
    StringEntry e;
    e.id = id;
    e.name = RawName::fromBytes(name);
    e.units = units;
    return e;
}

QStringList namesOf(const StringTable &table)
{
    QStringList out;
    for (const StringEntry &e : table.entries())
        out << QString::fromLatin1(e.name.bytes());
    return out;
}

// Characters whose order trips a sort: case pairs, letters whose folding is not a plain
// shift, characters outside the Basic Multilingual Plane and long shared beginnings. Each is
// one glyph of a numbering of the test's own; glyph 1 is shown by none and reads as an escape.
const QString TrickyCharacters = QString::fromUcs4(U"aAb_~r\u00e9\u00c9\u00df\u1e9e\u03a3\u03c2\u0130\uff61\U00010400\U00010428 t");

const CharacterNumbering &trickyNumbering()
{
    static const CharacterNumbering numbering = [] {
        CharacterNumbering made(QStringLiteral("tricky"));
        const QList<uint> characters = TrickyCharacters.toUcs4();
        for (qsizetype i = 0; i < characters.size(); ++i)
            made.map(char32_t(characters[i]), quint16(0x20 + i));
        return made;
    }();
    return numbering;
}

StringEntry randomEntry(QRandomGenerator &random)
{
    static const QList<QByteArray> names{"a", "A", "ab", "AB", "B", "_", "\xE9", "\xC9", "\xDF", "SAME", "same", ""};
    QString units;
    for (int i = random.bounded(6); i > 0; --i) {
        const int glyph = random.bounded(int(TrickyCharacters.toUcs4().size()) + 1);
        units += QChar(char16_t(glyph == 0 ? 1 : 0x1F + glyph));
    }
    return entry(names[random.bounded(int(names.size()))], units);
}

// The list's order written the plain way: folded text, then character codes, and equal
// texts keep their order in the file, whichever the direction.
std::vector<int> referenceOrder(const StringTableModel &model, int column, int order)
{
    std::vector<int> rows(size_t(model.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const QString x = model.text(a, column);
        const QString y = model.text(b, column);
        int c = QString::compare(x.toCaseFolded(), y.toCaseFolded(), Qt::CaseSensitive);
        if (c == 0)
            c = QString::compare(x, y, Qt::CaseSensitive);
        return order == Descending ? c > 0 : c < 0;
    });
    return rows;
}

std::vector<int> listOrder(const StringListProxy &proxy)
{
    std::vector<int> rows;
    for (int r = 0; r < proxy.rowCount(); ++r)
        rows.push_back(proxy.sourceRow(r));
    return rows;
}

} // namespace

class TestStringTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsStayInFileOrderAndIdentitiesFollowThem()
    {
        StringTable table(RawName::fromBytes("MAIN"));
        QSignalSpy inserted(&table, &StringTable::entriesInserted);
        QSignalSpy changed(&table, &StringTable::entryChanged);
        table.append(entry("B", u"2"_s, 10));
        table.append(entry("A", u"1"_s, 11));
        table.insert(0, entry("B", u"0"_s, 12)); // names may repeat
        QCOMPARE(namesOf(table), (QStringList{"B", "B", "A"}));
        QCOMPARE(inserted.last(), (QVariantList{0, 0}));
        QCOMPARE(table.rowOf(10), 1);
        QCOMPARE(table.rowOf(12), 0);
        QCOMPARE(table.rowOf(0), -1);
        QCOMPARE(table.rowOf(99), -1);

        // Another key and text, the identity stays; the same content announces nothing.
        table.replace(1, entry("C", u"new"_s, 77));
        QCOMPARE(table.at(1).id, EntryId(10));
        QCOMPARE(namesOf(table), (QStringList{"B", "C", "A"}));
        QCOMPARE(changed.size(), 1);
        table.replace(1, entry("C", u"new"_s));
        QCOMPARE(changed.size(), 1);

        const StringEntry taken = table.take(0);
        QCOMPARE(taken.id, EntryId(12));
        QCOMPARE(table.rowOf(12), -1);
        QCOMPARE(table.rowOf(11), 1);
        QVERIFY(table.find(11) && table.find(11)->units == u"1"_s);
        table.assign({entry("Z", {}, 5)});
        QCOMPARE(table.rowOf(11), -1);
        QCOMPARE(table.rowOf(5), 0);
    }

    void documentsGiveEveryEntryAnIdentityOfItsOwn()
    {
        GxtDocument document;
        RawDocument raw;
        raw.format = GxtFormat::byId(QStringLiteral("tabled"));
        raw.tables.resize(2);
        raw.tables[0].name = mainTableRawName();
        raw.tables[0].entries = {entry("A", {}), entry("A", {})};
        raw.tables[1].name = RawName::fromBytes("T");
        raw.tables[1].entries = {entry("A", {})};
        QSet<EntryId> seen;
        auto collect = [&] {
            for (int t = 0; t < document.tableCount(); ++t) {
                for (const StringEntry &e : document.table(t)->entries()) {
                    QVERIFY(e.id != 0);
                    QVERIFY2(!seen.contains(e.id), "an identity was given twice");
                    seen.insert(e.id);
                }
            }
        };
        RawDocument copy = raw;
        document.assign(std::move(copy));
        collect();
        // Identities outlive the tables that had them: a command that puts an old table
        // back must not meet its entries' identities on others.
        document.clear();
        QCOMPARE(document.tableCount(), 1);
        document.assign(std::move(raw));
        collect();
        std::unique_ptr<StringTable> made = document.makeTable(RawName::fromBytes("NEW"), {entry("X", {}, 3)});
        QVERIFY(made->at(0).id != 3);
        QVERIFY(!seen.contains(made->at(0).id));
        seen.insert(made->at(0).id);
        QCOMPARE(seen.size(), 7);
    }

    void listFollowsEveryChange_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("sorted");
        QTest::newRow("by name, ascending") << int(ByName) << int(Ascending) << true;
        QTest::newRow("by name, descending") << int(ByName) << int(Descending) << true;
        QTest::newRow("by value, ascending") << int(ByValue) << int(Ascending) << true;
        QTest::newRow("by value, descending") << int(ByValue) << int(Descending) << true;
        QTest::newRow("not sorted: file order") << int(ByValue) << int(Descending) << false;
    }
    void listFollowsEveryChange()
    {
        QFETCH(int, key);
        QFETCH(int, order);
        QFETCH(bool, sorted);
        const EntryRules rules(*GxtFormat::byId(QStringLiteral("tabled")), 16, trickyNumbering());
        StringTable table;
        StringTableModel model;
        model.setRules(rules);
        model.setTable(&table);
        StringListProxy proxy;
        proxy.setSourceModel(&model);
        proxy.setSorted(sorted);
        proxy.setSortKey(key);
        proxy.setSortOrder(order);
        QAbstractItemModelTester modelTester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);

        QRandomGenerator random(uint(7 + key * 2 + order));
        EntryId nextId = 1;
        for (int step = 0; step < 300; ++step) {
            const int rows = table.count();
            const int what = random.bounded(10);
            if (what < 4 || rows < 3) {
                StringEntry made = randomEntry(random);
                made.id = nextId++;
                table.insert(random.bounded(rows + 1), made);
            } else if (what < 6) {
                table.take(random.bounded(rows));
            } else if (what < 9) {
                table.replace(random.bounded(rows), randomEntry(random));
            } else {
                std::vector<StringEntry> fresh;
                for (int i = random.bounded(40); i > 0; --i) {
                    fresh.push_back(randomEntry(random));
                    fresh.back().id = nextId++;
                }
                table.assign(std::move(fresh));
            }
            // The model shows the table row for row, decoded; the list is its sorted view.
            QCOMPARE(model.rowCount(), table.count());
            for (int row = 0; row < table.count(); ++row) {
                QCOMPARE(model.idAt(row), table.at(row).id);
                QCOMPARE(model.index(row, 1).data().toString(), rules.valueText(table.at(row)));
                QCOMPARE(model.index(row, 0).data(StringTableModel::EntryIdRole).value<EntryId>(), table.at(row).id);
            }
            std::vector<int> expected(size_t(table.count()));
            std::iota(expected.begin(), expected.end(), 0);
            if (sorted)
                expected = referenceOrder(model, key, order);
            QVERIFY2(listOrder(proxy) == expected, qPrintable(QStringLiteral("step %1").arg(step)));
            for (int row = 0; row < table.count(); ++row)
                QCOMPARE(proxy.sourceRow(proxy.listRow(row)), row);
        }
    }

    void sortSettingsAndWhatFollowsThem()
    {
        const EntryRules rules(*GxtFormat::byId(QStringLiteral("flat")), 16, *CharacterNumbering::windows1252());
        StringTable table;
        table.assign({entry("b", u"3"_s, 1), entry("C", u"1"_s, 2), entry("a", u"2"_s, 3), entry("B", u"4"_s, 4)});
        StringTableModel model;
        model.setRules(rules);
        model.setTable(&table);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Name"_s);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"Value"_s);
        StringListProxy proxy;
        proxy.setSourceModel(&model);
        auto shown = [&] {
            QStringList names;
            for (int r = 0; r < proxy.rowCount(); ++r)
                names << proxy.index(r, 0).data().toString();
            return names;
        };
        // Sorted by name, ascending, from the start: letter case aside first, then by code.
        QVERIFY(proxy.isSorted());
        QCOMPARE(shown(), (QStringList{"a", "B", "b", "C"}));

        QSignalSpy settings(&proxy, &StringListProxy::sortSettingsChanged);
        QPersistentModelIndex selected = proxy.index(0, 0); // "a"
        proxy.setSortKey(ByValue);
        QCOMPARE(shown(), (QStringList{"C", "a", "b", "B"}));
        QCOMPARE(selected.data().toString(), u"a"_s);
        QCOMPARE(selected.row(), 1);
        proxy.setSortKey(ByValue);
        QCOMPARE(settings.size(), 1);
        // Off: the file's order, whatever the key and the direction.
        proxy.setSorted(false);
        proxy.setSortOrder(Descending);
        QCOMPARE(shown(), (QStringList{"b", "C", "a", "B"}));
        QCOMPARE(settings.size(), 3);
        proxy.setSorted(true);
        QCOMPARE(shown(), (QStringList{"B", "b", "a", "C"}));

        // Another table keeps the list's settings; a table that goes takes its rows along.
        auto other = std::make_unique<StringTable>();
        other->assign({entry("X", u"1"_s, 9), entry("Y", u"2"_s, 8)});
        model.setTable(other.get());
        QCOMPARE(shown(), (QStringList{"Y", "X"}));
        QCOMPARE(proxy.sortKey(), int(ByValue));
        QCOMPARE(model.rowOf(8), 1);
        other.reset();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.table());
    }

    // Find goes through the rest of the table in list order, then the following tables, and
    // round to where it started; backwards the other way.
    void findWrapsRoundTheDocument_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("from"); // a row in file order; -1: no entry
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<int>("foundTable"); // -1: nothing
        QTest::addColumn<int>("foundRow");
        QTest::addColumn<bool>("wrapped");
        QTest::newRow("forwards from no entry") << "hit" << 0 << -1 << false << 0 << 0 << false;
        QTest::newRow("backwards from no entry starts at the last row") << "hit" << 0 << -1 << true << 0 << 1 << false;
        QTest::newRow("past a table without a match") << "hit" << 0 << 1 << false << 2 << 0 << false;
        QTest::newRow("backwards past a table without a match") << "hit" << 2 << 0 << true << 0 << 1 << false;
        QTest::newRow("backwards from the first entry wraps to the last") << "hit" << 0 << 0 << true << 2 << 1 << true;
        QTest::newRow("forwards from the last entry wraps to the first") << "hit" << 2 << 1 << false << 0 << 0 << true;
        QTest::newRow("the only match is where it started") << "only" << 1 << 0 << false << 1 << 0 << true;
        QTest::newRow("backwards, the only match is where it started") << "only" << 1 << 0 << true << 1 << 0 << true;
        QTest::newRow("names are searched too") << "KEY" << 0 << -1 << false << 2 << 1 << false;
        QTest::newRow("nothing matches") << "absent" << 1 << 0 << false << -1 << -1 << false;
    }
    void findWrapsRoundTheDocument()
    {
        QFETCH(QString, text);
        QFETCH(int, table);
        QFETCH(int, from);
        QFETCH(bool, backwards);
        QFETCH(int, foundTable);
        QFETCH(int, foundRow);
        QFETCH(bool, wrapped);
        RawDocument raw;
        raw.format = GxtFormat::byId(QStringLiteral("tabled"));
        raw.tables.resize(3);
        raw.tables[0] = {mainTableRawName(), {entry("A", u"a hit"_s), entry("B", u"hit b"_s)}};
        raw.tables[1] = {RawName::fromBytes("T1"), {entry("C", u"only"_s), entry("D", u"miss"_s)}};
        raw.tables[2] = {RawName::fromBytes("T2"), {entry("E", u"HIT"_s), entry("KEY", u"hit"_s)}};
        GxtDocument document;
        document.assign(std::move(raw));
        const EntryRules rules(document.format(), 16, *CharacterNumbering::windows1252());
        TextSearch search;
        search.text = text;
        const ListOrder fileOrder = [&document](int t) {
            std::vector<int> rows(size_t(document.table(t)->count()));
            std::iota(rows.begin(), rows.end(), 0);
            return rows;
        };
        const EntryId start = from < 0 ? 0 : document.table(table)->at(from).id;
        const SearchHit hit = findInDocument(document, rules, search, table, start, backwards, fileOrder);
        QCOMPARE(hit.table, foundTable);
        if (foundTable >= 0)
            QCOMPARE(document.table(hit.table)->rowOf(hit.entry), foundRow);
        QCOMPARE(hit.wrapped, wrapped);
    }
};

QTEST_GUILESS_MAIN(TestStringTable)
#include "tst_stringtable.moc"
