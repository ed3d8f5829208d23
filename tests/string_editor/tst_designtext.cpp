// Design View's source keeping: with no edit the source comes back as it was, an edit
// rewrites only what it changed, and codes Design View has no look for are tokens.
#include "designtext.h"
#include "viewcases.h"

#include <QRandomGenerator>
#include <QTest>

using namespace quillet;

namespace {

QRgb colourOf(QChar letter)
{
    return letter == u'-' ? ColourTable::defaultColour() : rgbOfCode(letter);
}

QString tokensOf(const DesignText &text)
{
    QStringList codes;
    for (const DesignChar &c : text) {
        if (c.isToken())
            codes << c.code;
    }
    return codes.join(u'|');
}

} // namespace

class TestDesignText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutAnEditNothingChanges_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("tokens");
        QTest::newRow("a leading grey code") << "~w~That showed them" << "";
        QTest::newRow("a repeated code") << "~r~~r~double" << "";
        QTest::newRow("a trailing code") << "Trailing ~r~" << "";
        QTest::newRow("upper case") << "~R~a~G~" << "";
        QTest::newRow("a key prompt is one token") << "Press ~k~~PED_FIREWEAPON~!" << "~k~~PED_FIREWEAPON~";
        QTest::newRow("line breaks and numbers") << "~1~ of ~1~~n~done" << "~1~|~1~|~n~";
        QTest::newRow("highlight is a token") << "~h~bright ~r~red" << "~h~";
        QTest::newRow("unknown and upper-case codes") << "~x~ ~K~ ~zz~" << "~x~|~K~|~zz~";
        QTest::newRow("a k alone") << "~k~ then" << "~k~";
        QTest::newRow("stray tildes") << "~~r~a ~r" << "";
        QTest::newRow("a code read before a colour in it") << "~x~r~a" << "~x~";
        QTest::newRow("empty") << "" << "";
        for (const ViewCase &c : viewCases())
            QTest::addRow("view case: %s", c.name) << c.source << QString(c.source == "~x~ ~" ? "~x~" : c.source.contains("~h~") ? "~h~" : "");
    }
    void withoutAnEditNothingChanges()
    {
        QFETCH(QString, source);
        QFETCH(QString, tokens);
        const DesignSource design(source);
        QCOMPARE(tokensOf(design.shown()), tokens);
        QCOMPARE(design.sourceAfter(design.shown()), source);
        // A copy of what is shown, colour for colour, is no edit either.
        DesignText same;
        for (const DesignChar &c : design.shown())
            same.append({c.ch, c.colour, c.code});
        QCOMPARE(design.sourceAfter(same), source);
    }

    // An edit of what Design View shows: `remove` items at `at` taken away, then `insert`
    // put there in the colour of `colour` ('-' grey); or with `recolour`, the items
    // [at, at + remove) recoloured.
    void anEditRewritesOnlyItsSpan_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("remove");
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("recolour");
        QTest::addColumn<QString>("expected");
        QTest::newRow("appended after a leading grey") << "~w~That" << 4 << 0 << " one" << "-" << false << "~w~That one";
        QTest::newRow("appended to a doubled code") << "~r~~r~double" << 6 << 0 << "!" << "r" << false
                                                    << "~r~~r~double!";
        QTest::newRow("first letter taken") << "~r~~r~double" << 0 << 1 << "" << "-" << false << "~r~~r~ouble";
        QTest::newRow("space before a trailing code") << "Trailing ~r~" << 8 << 1 << "" << "-" << false
                                                      << "Trailing~r~";
        QTest::newRow("grey typed at the end") << "Trailing ~r~" << 9 << 0 << "x" << "-" << false << "Trailing x~r~";
        QTest::newRow("red typed at the end") << "Trailing ~r~" << 9 << 0 << "x" << "r" << false << "Trailing ~r~x";
        QTest::newRow("recoloured in the middle") << "~r~Hello ~G~world" << 1 << 2 << "" << "b" << true
                                                  << "~r~H~b~el~r~lo ~G~world";
        QTest::newRow("a word after a prompt") << "~y~Press ~k~~PED_FIREWEAPON~ to ~r~fire" << 11 << 4 << "shoot"
                                               << "r" << false << "~y~Press ~k~~PED_FIREWEAPON~ to ~r~shoot";
        QTest::newRow("typed at the start in its colour") << "~r~Hello" << 0 << 0 << "X" << "r" << false << "~r~XHello";
        QTest::newRow("typed at the start in another") << "~r~Hello" << 0 << 0 << "X" << "g" << false
                                                       << "~g~X~r~Hello";
        QTest::newRow("grey before a code") << "a~r~b" << 1 << 0 << "X" << "-" << false << "aX~r~b";
        QTest::newRow("red after a code") << "a~r~b" << 1 << 0 << "X" << "r" << false << "a~r~Xb";
        QTest::newRow("a token taken away") << "a~n~b" << 1 << 1 << "" << "-" << false << "ab";
        QTest::newRow("after a highlight") << "~h~bright" << 7 << 0 << "!" << "-" << false << "~h~bright!";
        QTest::newRow("everything recoloured") << "~W~Hi" << 0 << 2 << "" << "r" << true << "~r~Hi";
        QTest::newRow("a word between two codes") << "a~r~b~g~c" << 1 << 1 << "" << "-" << false << "a~g~c";
        QTest::newRow("the last coloured letter") << "ab~r~c" << 2 << 1 << "" << "-" << false << "ab";
        QTest::newRow("an upper-case code after the edit") << "~Y~ab~R~cd" << 1 << 1 << "X" << "g" << false
                                                           << "~Y~a~g~X~R~cd";
        QTest::newRow("a colour the text after relied on") << "~r~abc" << 1 << 1 << "" << "g" << true
                                                           << "~r~a~g~b~r~c";
        QTest::newRow("line broken in a coloured line") << "~g~ab~n~cd" << 1 << 0 << "\n" << "g" << false
                                                        << "~g~a\nb~n~cd";
    }
    void anEditRewritesOnlyItsSpan()
    {
        QFETCH(QString, source);
        QFETCH(int, at);
        QFETCH(int, remove);
        QFETCH(QString, insert);
        QFETCH(QString, colour);
        QFETCH(bool, recolour);
        QFETCH(QString, expected);
        const DesignSource design(source);
        DesignText edited = design.shown();
        QVERIFY(at + remove <= edited.size());
        if (recolour) {
            for (int i = at; i < at + remove; ++i)
                edited[i].colour = colourOf(colour[0]);
        } else {
            edited.remove(at, remove);
            for (qsizetype i = 0; i < insert.size(); ++i)
                edited.insert(at + i, {insert[i], colourOf(colour[0]), QString()});
        }
        const QString after = design.sourceAfter(edited);
        QCOMPARE(after, expected);
        // What the new source shows is what the user made.
        QCOMPARE(DesignSource(after).shown(), edited);
    }

    // Random texts of letters, colour codes and tokens, edited at random: the new source
    // shows exactly what the user made, and the source before the edit's first change stays.
    void randomEditsShowWhatTheUserMade()
    {
        QRandomGenerator random(16);
        const QStringList pieces{"a", "b", " ", "\n", "~r~", "~G~", "~w~", "~y~", "~n~", "~1~", "~k~~PED_X~", "~h~"};
        const QList<QRgb> colours{rgbOfCode('r'), rgbOfCode('g'), rgbOfCode('w'), rgbOfCode('y'), rgbOfCode('b')};
        for (int n = 0; n < 2000; ++n) {
            QString source;
            for (int i = int(random.bounded(12)); i > 0; --i)
                source += pieces[random.bounded(int(pieces.size()))];
            const DesignSource design(source);
            DesignText edited = design.shown();
            const int at = int(random.bounded(int(edited.size()) + 1));
            const int span = int(random.bounded(int(edited.size()) - at + 1));
            switch (random.bounded(3)) {
            case 0:
                for (int i = at; i < at + span; ++i)
                    edited[i].colour = colours[random.bounded(int(colours.size()))];
                break;
            case 1: edited.remove(at, span); break;
            default:
                for (int i = int(random.bounded(3)); i >= 0; --i)
                    edited.insert(at, {QChar(u'x'), colours[random.bounded(int(colours.size()))], QString()});
            }
            const QString after = design.sourceAfter(edited);
            QVERIFY2(DesignSource(after).shown() == edited, qPrintable(source + " -> " + after));
            qsizetype same = 0;
            while (same < edited.size() && same < design.shown().size() && edited[same] == design.shown()[same])
                ++same;
            // The source of the unchanged items in front is kept, codes and all: the shortest
            // start of the source that shows them.
            qsizetype front = 0;
            while (DesignSource(source.left(front)).shown() != design.shown().mid(0, same))
                ++front;
            QVERIFY2(after.startsWith(source.left(front)), qPrintable(source + " -> " + after));
        }
    }
};

QTEST_GUILESS_MAIN(TestDesignText)
#include "tst_designtext.moc"
