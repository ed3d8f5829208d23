#include "testfiles.h"

#include "gxtdiff.h"

#include <QTest>

using namespace quillet;
using testfiles::RowDocument;

Q_DECLARE_METATYPE(testfiles::RowDocument)

namespace {

const QString tabled = QStringLiteral("tabled");
const QString hashed = QStringLiteral("hashed");

RowDocument doc(const QString &format, int bits, std::vector<testfiles::RowTable> tables)
{
    return RowDocument{format, bits, std::move(tables)};
}

// The differences between two documents, each read in its rows' numbering.
std::vector<GxtDifference> diff(const RowDocument &before, const RowDocument &after)
{
    const RawDocument a = testfiles::raw(before);
    const RawDocument b = testfiles::raw(after);
    return diffDocuments(a, EntryRules::of(a, testfiles::rowNumbering(*a.format)), b,
                         EntryRules::of(b, testfiles::rowNumbering(*b.format)));
}

QStringList linesOf(const RowDocument &before, const RowDocument &after)
{
    const bool showTables = before.format != QLatin1String("flat") || after.format != QLatin1String("flat");
    QStringList lines;
    for (const GxtDifference &d : diff(before, after))
        lines.append(formatDifference(d, showTables));
    return lines;
}

} // namespace

class TestGxtDiff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void differences_data()
    {
        QTest::addColumn<RowDocument>("before");
        QTest::addColumn<RowDocument>("after");
        QTest::addColumn<QStringList>("expected");

        const auto base = doc(tabled, 16, {{"MAIN", {{"B", "2"}, {"A", "1"}, {"REP", "x"}, {"REP", "y"}}},
                                           {"GONE", {{"K", "k"}}},
                                           {"KEEP", {{"Z", "same"}}}});
        // The order of tables and keys is the writer's business, not a difference.
        QTest::newRow("reordered") << base
                                   << doc(tabled, 16, {{"MAIN", {{"A", "1"}, {"REP", "x"}, {"B", "2"}, {"REP", "y"}}},
                                                       {"KEEP", {{"Z", "same"}}},
                                                       {"GONE", {{"K", "k"}}}})
                                   << QStringList();
        QTest::newRow("tables and keys")
            << base
            << doc(tabled, 16, {{"MAIN", {{"C", "say \"hi\"⟨000A⟩now"}, {"B", "2!"}, {"A", "1"}, {"REP", "x"}}},
                                {"KEEP", {{"Z", "same"}}},
                                {"NEW", {}}})
            << QStringList{QStringLiteral("changed: MAIN/B = \"2\" -> \"2!\""),
                           QStringLiteral("added: MAIN/C = \"say \\\"hi\\\"\\nnow\""),
                           QStringLiteral("removed: MAIN/REP = \"y\""), QStringLiteral("table removed: GONE, 1 entry"),
                           QStringLiteral("table added: NEW, 0 entries")};
        // A table that repeats is matched by its place among those of its name.
        QTest::newRow("repeated table")
            << doc(tabled, 16, {{"MAIN", {}}, {"T", {{"A", "1"}}}, {"T", {{"A", "2"}}}})
            << doc(tabled, 16, {{"MAIN", {}}, {"T", {{"A", "1"}}}})
            << QStringList{QStringLiteral("table removed: T, 1 entry")};
        // A name matches the hash it stands for, and shows as the name.
        QTest::newRow("tabled against hashed")
            << doc(tabled, 16, {{"MAIN", {{"YES", "Oui"}, {"NO", "Non"}}}})
            << doc(hashed, 8, {{"MAIN", {{"#1CBF88DC", "Oui"}, {"#01234567", "x"}}}})
            << QStringList{QStringLiteral("layout: tabled, 16-bit texts -> hashed, 8-bit texts"),
                           QStringLiteral("added: MAIN/#01234567 = \"x\""), QStringLiteral("removed: MAIN/NO = \"Non\"")};
        QTest::newRow("flat shows no table")
            << doc("flat", 16, {{"MAIN", {{"A", "1\t\n\x01"}}}}) << doc("flat", 16, {{"MAIN", {{"A", "1"}}}})
            << QStringList{QStringLiteral("changed: A = \"1\\t\\n\\u0001\" -> \"1\"")};
    }
    void differences()
    {
        QFETCH(RowDocument, before);
        QFETCH(RowDocument, after);
        QFETCH(QStringList, expected);
        QCOMPARE(linesOf(before, after), expected);
        // Each difference has its mirror the other way round, so the count holds too.
        QCOMPARE(diff(after, before).size(), size_t(expected.size()));
    }
};

QTEST_GUILESS_MAIN(TestGxtDiff)
#include "tst_gxtdiff.moc"
