#include "gxtdiff.h"

#include <QTest>

using namespace quillet;

Q_DECLARE_METATYPE(quillet::GxtDocumentData)

namespace {

GxtDocumentData doc(GxtLayout layout, int bits, std::vector<GxtTableData> tables)
{
    return GxtDocumentData{layout, bits, std::move(tables)};
}

QStringList linesOf(const GxtDocumentData &before, const GxtDocumentData &after)
{
    const bool showTables = before.layout != GxtLayout::Flat || after.layout != GxtLayout::Flat;
    QStringList lines;
    for (const GxtDifference &d : diffDocuments(before, after))
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
        QTest::addColumn<GxtDocumentData>("before");
        QTest::addColumn<GxtDocumentData>("after");
        QTest::addColumn<QStringList>("expected");
        const auto tabled = GxtLayout::Tabled;
        const auto hashed = GxtLayout::Hashed;

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
            << doc(tabled, 16, {{"MAIN", {{"C", "say \"hi\"\nnow"}, {"B", "2!"}, {"A", "1"}, {"REP", "x"}}},
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
            << doc(GxtLayout::Flat, 16, {{"MAIN", {{"A", "1\t\x01"}}}}) << doc(GxtLayout::Flat, 16, {{"MAIN", {{"A", "1"}}}})
            << QStringList{QStringLiteral("changed: A = \"1\\t\\u0001\" -> \"1\"")};
    }
    void differences()
    {
        QFETCH(GxtDocumentData, before);
        QFETCH(GxtDocumentData, after);
        QFETCH(QStringList, expected);
        QCOMPARE(linesOf(before, after), expected);
        // Each difference has its mirror the other way round, so the count holds too.
        QCOMPARE(diffDocuments(after, before).size(), size_t(expected.size()));
    }
};

QTEST_GUILESS_MAIN(TestGxtDiff)
#include "tst_gxtdiff.moc"
