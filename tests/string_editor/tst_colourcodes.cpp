// The colour codes, both view conversions and the name filter, as pure functions.
#include "colourcodes.h"
#include "namefilter.h"
#include "viewcases.h"

#include <QRandomGenerator>
#include <QTest>

using namespace quillet;

namespace {

// Design text written compactly: each character followed by the letter of its colour, a
// table code letter, 'k' black or 'o' orange (two colours outside the table).
QRgb colourOf(char letter)
{
    if (letter == 'k')
        return qRgb(0, 0, 0);
    if (letter == 'o')
        return qRgb(255, 128, 0);
    return rgbOfCode(QLatin1Char(letter));
}

ColouredText design(const QString &pairs)
{
    ColouredText text;
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        text.append({pairs[i], colourOf(char(pairs[i + 1].unicode()))});
    return text;
}

} // namespace

class TestColourCodes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableHoldsTheSevenCodesInOrder()
    {
        const QList<QString> codes{"~y~", "~w~", "~h~", "~r~", "~g~", "~b~", "~p~"};
        const QList<QString> names{"Yellow", "Grey (default)", "Highlight (white)", "Red", "Green", "Blue", "Purple"};
        const QList<QRgb> colours{qRgb(255, 255, 0), qRgb(200, 200, 200), qRgb(255, 255, 255), qRgb(255, 0, 0),
                                  qRgb(0, 255, 0),   qRgb(0, 0, 255),     qRgb(128, 0, 255)};
        const QList<quint32> windows{65535, 13158600, 16777215, 255, 65280, 16711680, 16711808};
        for (int i = 0; i < ColourTable::Size; ++i) {
            const ColourCode &row = ColourTable::rows()[size_t(i)];
            QCOMPARE(row.code(), codes[i]);
            QCOMPARE(row.colourName(), names[i]);
            QCOMPARE(row.rgb(), colours[i]);
            QCOMPARE(row.windowsColour, windows[i]);
            QCOMPARE(windowsColourFromRgb(row.rgb()), windows[i]);
            QCOMPARE(ColourTable::byName(names[i]), &row);
            QCOMPARE(ColourTable::byColour(colours[i]), &row);
            QCOMPARE(ColourTable::codeAt(codes[i].toUpper()), &row);
        }
        QCOMPARE(ColourTable::defaultColour(), qRgb(200, 200, 200));
        QVERIFY(!ColourTable::byName("Text Colour"));
        QVERIFY(!ColourTable::byName("red"));
        QVERIFY(!ColourTable::byColour(ColourTable::sourceText()));
        QVERIFY(!ColourTable::codeAt(u"~x~"));
        QVERIFY(!ColourTable::codeAt(u"~r"));
        QVERIFY(!ColourTable::codeAt(u"-r~"));
    }

    void designViewAndBack()
    {
        for (const ViewCase &c : viewCases()) {
            const ColouredText shown = BuildDesignView(c.source);
            QCOMPARE(plainText(shown), c.shown);
            for (qsizetype i = 0; i < shown.size(); ++i)
                QVERIFY2(shown[i].colour == rgbOfCode(c.colours[i]), c.name);
            QCOMPARE(BuildSourceView(shown), c.back);
        }
    }

    void sourceView_data()
    {
        QTest::addColumn<QString>("design");
        QTest::addColumn<QString>("source");
        QTest::newRow("non-table first, then grey") << "xkawbw" << "x~w~ab";
        QTest::newRow("non-table in the middle") << "arxobr" << "~r~axb";
        QTest::newRow("walk goes on after non-table") << "arxobg" << "~r~ax~g~b";
        QTest::newRow("all black") << "akbk" << "ab";
        QTest::newRow("white is highlight") << "ahbh" << "~h~ab";
        QTest::newRow("empty") << "" << "";
    }

    void sourceView()
    {
        QFETCH(QString, design);
        QFETCH(QString, source);
        QCOMPARE(BuildSourceView(::design(design)), source);
    }

    // Source, Design, Source gives the text back when every code is lower case, changes
    // the colour and has a character after it before the next code or the end.
    void roundTripOfWellFormedText()
    {
        QRandomGenerator random(4);
        const QString letters = "ywhrgbpaxY~ ";
        int checked = 0;
        for (int n = 0; n < 3000; ++n) {
            QString source;
            const int length = int(random.bounded(12));
            for (int i = 0; i < length; ++i)
                source += letters[random.bounded(int(letters.size()))];
            bool wellFormed = true;
            QRgb current = ColourTable::defaultColour();
            bool textSinceCode = true;
            for (qsizetype i = 0; i < source.size();) {
                if (const ColourCode *code = ColourTable::codeAt(QStringView(source).sliced(i))) {
                    wellFormed = wellFormed && textSinceCode && source[i + 1].isLower() && code->rgb() != current;
                    current = code->rgb();
                    textSinceCode = false;
                    i += 3;
                } else {
                    textSinceCode = true;
                    ++i;
                }
            }
            if (!wellFormed || !textSinceCode)
                continue;
            ++checked;
            QCOMPARE(BuildSourceView(BuildDesignView(source)), source);
        }
        QVERIFY(checked > 1000);
    }

    void nameKeyFilter()
    {
        for (int code = 0; code <= 0xffff; ++code) {
            const char16_t c = char16_t(code);
            char16_t expected = 0;
            if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == 8)
                expected = c;
            else if (c >= u'a' && c <= u'z')
                expected = char16_t(c - 32);
            QCOMPARE(int(filterNameKey(c)), int(expected));
        }
        QCOMPARE(filterPastedName(QString::fromUtf8("ab c-d.é_9\b\t")), QString("ABCD_9"));
        // '#' passes only where a key may be typed as its hash.
        QCOMPARE(filterPastedName(QStringLiteral("#1c-bf#")), QString("1CBF"));
        QCOMPARE(filterPastedName(QStringLiteral("#1c-bf#"), true), QString("#1CBF#"));
    }
};

QTEST_GUILESS_MAIN(TestColourCodes)
#include "tst_colourcodes.moc"
