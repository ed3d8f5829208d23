#include "stringtable.h"
#include "stringtablemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace quillet;

namespace {

QStringList names(const StringTable &table)
{
    QStringList out;
    for (int i = 1; i <= table.count(); ++i)
        out << table.name(i);
    return out;
}

void fill(StringTable &table, const QList<std::pair<QString, QString>> &rows)
{
    for (const auto &[name, value] : rows)
        table.setValue(table.addRow(name), value);
}

// The display order written the plain way: folded text, then character codes, and equal
// rows keep their order.
std::vector<StringEntry> referenceSort(std::vector<StringEntry> rows, int key, int order)
{
    auto text = [key](const StringEntry &e) { return key == StringTable::ByValue ? e.value : e.name; };
    std::stable_sort(rows.begin(), rows.end(), [&](const StringEntry &a, const StringEntry &b) {
        int c = QString::compare(text(a).toCaseFolded(), text(b).toCaseFolded(), Qt::CaseSensitive);
        if (c == 0)
            c = QString::compare(text(a), text(b), Qt::CaseSensitive);
        return order == StringTable::Descending ? c > 0 : c < 0;
    });
    return rows;
}

// Texts that stress the order: case pairs, letters whose folding is not a plain shift,
// U+0000, surrogate pairs, and long shared beginnings.
QString trickyText(QRandomGenerator &random)
{
    static const QStringList pieces = {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("_"), QStringLiteral("~r~"), QStringLiteral("\u00e9"), QStringLiteral("\u00c9"),
                                       QStringLiteral("\u00df"), QStringLiteral("\u1e9e"), QStringLiteral("\u03a3"), QStringLiteral("\u03c2"), QStringLiteral("\u0130"),
                                       QString(QChar(u'\0')), QStringLiteral("\uff61"), QString::fromUcs4(U"\U00010400"),
                                       QString::fromUcs4(U"\U00010428"), QStringLiteral("the car ")};
    QString text;
    const int count = random.bounded(6);
    for (int i = 0; i < count; ++i)
        text += pieces[random.bounded(int(pieces.size()))];
    return text;
}

} // namespace

class TestStringTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void positionsCountFromOneAndNamesMayRepeat()
    {
        StringTable table;
        QCOMPARE(table.addRow(QStringLiteral("B")), 1);
        QCOMPARE(table.addRow(QStringLiteral("A")), 2);
        QCOMPARE(table.addRow(QStringLiteral("B"), 1), 1);
        table.setValue(1, QStringLiteral("first"));
        QCOMPARE(names(table), (QStringList{"B", "B", "A"}));
        QCOMPARE(table.value(1), QStringLiteral("first"));
        QCOMPARE(table.value(2), QString());
        table.removeRow(2);
        QCOMPARE(names(table), (QStringList{"B", "A"}));
        table.clear();
        QCOMPARE(table.count(), 0);
    }

    void sortSettingsReorderOnlyWhileSorted()
    {
        StringTable table;
        fill(table, {{"b", "3"}, {"C", "1"}, {"a", "2"}, {"B", "4"}});
        // Off: changing the key or the order leaves the rows where they are.
        table.setSortKey(StringTable::ByValue);
        table.setSortOrder(StringTable::Descending);
        QCOMPARE(names(table), (QStringList{"b", "C", "a", "B"}));
        table.setSorted(true);
        QCOMPARE(names(table), (QStringList{"B", "b", "a", "C"}));
        table.setSortOrder(StringTable::Ascending);
        QCOMPARE(names(table), (QStringList{"C", "a", "b", "B"}));
        table.setSortKey(StringTable::ByName);
        // Case-insensitive first, then by character code: "B" before "b".
        QCOMPARE(names(table), (QStringList{"a", "B", "b", "C"}));
        // Turning sorting off leaves the rows; adding then appends at the end.
        table.setSorted(false);
        QCOMPARE(table.addRow(QStringLiteral("A")), 5);
        QCOMPARE(names(table), (QStringList{"a", "B", "b", "C", "A"}));
        // Added while sorted: the row goes to its place and its position is returned.
        table.setSorted(true);
        QCOMPARE(table.addRow(QStringLiteral("Ba")), 5);
        QCOMPARE(names(table), (QStringList{"A", "a", "B", "b", "Ba", "C"}));
    }

    void sortIsStableForEqualKeys()
    {
        StringTable table;
        fill(table, {{"X", "2"}, {"X", "1"}, {"A", "9"}, {"X", "0"}});
        table.setSorted(true);
        QCOMPARE(table.value(2), QStringLiteral("2"));
        QCOMPARE(table.value(3), QStringLiteral("1"));
        QCOMPARE(table.value(4), QStringLiteral("0"));
        table.setSortOrder(StringTable::Descending);
        QCOMPARE(table.value(1), QStringLiteral("2"));
        QCOMPARE(table.value(4), QStringLiteral("9"));
    }

    void sortFollowsFoldedTextThenCodesThenPlace()
    {
        QRandomGenerator random(6);
        for (int round = 0; round < 40; ++round) {
            std::vector<StringEntry> rows;
            for (int i = 0; i < 60; ++i)
                rows.push_back({trickyText(random), trickyText(random)});
            StringTable table;
            table.assign(rows);
            for (int step = 0; step < 4; ++step) {
                const int key = random.bounded(2);
                const int order = random.bounded(2);
                const std::vector<StringEntry> expected = referenceSort(table.rows(), key, order);
                table.setSorted(false);
                table.setSortKey(key);
                table.setSortOrder(order);
                table.setSorted(true);
                QVERIFY2(table.rows() == expected, qPrintable(QStringLiteral("round %1, step %2").arg(round).arg(step)));
            }
        }
    }

    void modelFollowsEveryChange()
    {
        StringTable table;
        StringTableModel model(&table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        fill(table, {{"B", "2"}, {"A", "1"}, {"C", "0"}});
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("1"));

        // A selection kept as a persistent index follows its entry through a sort.
        QPersistentModelIndex selected = model.index(1, 0);
        QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
        table.setSorted(true);
        QCOMPARE(layout.size(), 1);
        QCOMPARE(selected.row(), 0);
        QCOMPARE(selected.data().toString(), QStringLiteral("A"));
        table.setSortOrder(StringTable::Descending);
        QCOMPARE(selected.row(), 2);

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        table.setValue(1, QStringLiteral("new"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("new"));

        table.removeRow(1);
        QCOMPARE(model.rowCount(), 2);
        table.assignSorted({{QStringLiteral("Z"), QString()}, {QStringLiteral("Y"), QString()}}, StringTable::ByName);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Z"));
        table.clear();
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStringTable)
#include "tst_stringtable.moc"
