// Find and Replace's matching on values as the user reads them: text codes are no text to
// find unless asked, whole words, regular expressions and their groups, and the check that
// a replacement keeps every code whole.
#include "textmatch.h"
#include "textsearch.h"

#include <QTest>

using namespace quillet;

namespace {

// Options as letters: c Match case, o Whole words, x Regular expression, i Inside text codes.
TextSearch searchFor(const QString &text, const QString &options)
{
    TextSearch search;
    search.text = text;
    search.where = TextSearch::Values;
    search.matchCase = options.contains(u'c');
    search.wholeWords = options.contains(u'o');
    search.regularExpression = options.contains(u'x');
    search.insideCodes = options.contains(u'i');
    return search;
}

} // namespace

class TestTextMatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replace_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("with");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("count");
        // The fault as it was met: a button prompt's action name is no word of the text.
        QTest::newRow("a key prompt keeps its action")
            << "~k~~PED_FIREWEAPON~ fires the Weapon" << "weapon" << "" << "arme" << "~k~~PED_FIREWEAPON~ fires the arme" << 1;
        QTest::newRow("inside text codes when asked")
            << "~k~~PED_FIREWEAPON~ weapon" << "weapon" << "i" << "ARME" << "~k~~PED_FIREARME~ ARME" << 2;
        QTest::newRow("one letter misses every code")
            << "~r~red ~R~rr~n~r~" << "r" << "" << "l" << "~r~led ~R~ll~n~l~" << 4;
        QTest::newRow("a code's letter inside codes") << "~r~red" << "r" << "ci" << "g" << "~g~ged" << 2;
        QTest::newRow("no match across a code") << "ab~r~cd" << "b~r~c" << "" << "X" << "ab~r~cd" << 0;
        QTest::newRow("a lone tilde is text") << "5 ~ 6 ~" << "~" << "" << "-" << "5 - 6 -" << 2;
        QTest::newRow("match case") << "Cat cat CAT" << "cat" << "c" << "dog" << "Cat dog CAT" << 1;
        QTest::newRow("whole words") << "cat catalog bobcat cat." << "cat" << "o" << "dog" << "dog catalog bobcat dog." << 2;
        QTest::newRow("whole words of any script") << "JÄGERS jäger" << "JÄGER" << "o" << "X" << "JÄGERS X" << 1;
        QTest::newRow("a word beside a code") << "~r~cat~n~cats" << "cat" << "o" << "dog" << "~r~dog~n~cats" << 1;
        QTest::newRow("groups swapped") << "one two ~r~three four" << "(\\w+) (\\w+)" << "x" << "\\2 \\1"
                                        << "two one ~r~four three" << 2;
        QTest::newRow("whole match and a backslash") << "foo" << "o+" << "x" << "[\\0\\\\]" << "f[oo\\]" << 1;
        QTest::newRow("a group past the last is nothing") << "ab" << "(a)" << "x" << "<\\1\\2\\12>" << "<aa2>b" << 1;
        QTest::newRow("ten groups read as two digits")
            << "abcdefghij" << "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)" << "x" << "\\10\\1" << "ja" << 1;
        QTest::newRow("backslashes are plain without an expression") << "a" << "a" << "" << "\\1" << "\\1" << 1;
        QTest::newRow("empty matches are none") << "abc" << "x*" << "x" << "-" << "abc" << 0;
        QTest::newRow("anchors hold in each piece of text") << "go ~n~go" << "^go" << "x" << "GO" << "GO ~n~GO" << 2;
        QTest::newRow("whole words as an expression") << "ab abc" << "a\\w" << "xo" << "X" << "X abc" << 1;
    }
    void replace()
    {
        QFETCH(QString, value);
        QFETCH(QString, find);
        QFETCH(QString, options);
        QFETCH(QString, with);
        QFETCH(QString, expected);
        QFETCH(int, count);
        const TextMatcher matcher = searchFor(find, options).matcher();
        QVERIFY2(matcher.isValid(), qPrintable(matcher.errorString()));
        qsizetype replaced = -1;
        QCOMPARE(matcher.replacedIn(value, with, &replaced), expected);
        QCOMPARE(replaced, qsizetype(count));
        QCOMPARE(matcher.valueMatches(value), count > 0);
        QCOMPARE(matcher.matchesIn(value).size(), qsizetype(count));
    }

    void whereItLooks()
    {
        TextSearch search = searchFor(QStringLiteral("key"), {});
        search.where = TextSearch::Names;
        QVERIFY(search.matcher().matches(QStringLiteral("MY_KEY"), QStringLiteral("x")));
        QVERIFY(!search.matcher().valueMatches(QStringLiteral("key")));
        search.where = TextSearch::Values;
        QVERIFY(!search.matcher().matches(QStringLiteral("MY_KEY"), QStringLiteral("x")));
        QVERIFY(!searchFor(QString(), {}).matcher().isValid());
    }

    void invalidExpression_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("at");
        QTest::newRow("unclosed group") << "ab(c" << "x" << "(at character 5)";
        QTest::newRow("as a whole word") << "ab(c" << "xo" << "(at character 5)";
        QTest::newRow("nothing to repeat") << "*a" << "x" << "(at character 1)";
    }
    void invalidExpression()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, options);
        QFETCH(QString, at);
        const TextMatcher matcher = searchFor(pattern, options).matcher();
        QVERIFY(!matcher.isValid());
        QVERIFY2(matcher.errorString().startsWith(QStringLiteral("Invalid regular expression: ")),
                 qPrintable(matcher.errorString()));
        QVERIFY2(matcher.errorString().endsWith(at + u'.'), qPrintable(matcher.errorString()));
        QVERIFY(!matcher.matchesText(pattern));
        QCOMPARE(matcher.replacedIn(QStringLiteral("ab(c"), QStringLiteral("x")), QStringLiteral("ab(c"));
        // Without "Regular expression" the same text is plain text.
        QVERIFY(searchFor(pattern, {}).matcher().matchesText(pattern));
    }

    void codesKeptWhole_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("kept");
        QTest::newRow("text around codes changed") << "~r~red~n~" << "~r~blue and more~n~" << true;
        QTest::newRow("a code for another") << "~r~red" << "~g~red" << true;
        QTest::newRow("a tilde added") << "fire" << "~ire" << false;
        QTest::newRow("a code added") << "a b" << "a~n~b" << false;
        QTest::newRow("a code taken away") << "a~n~b" << "ab" << false;
        QTest::newRow("half a code taken away") << "~r~red" << "r~red" << false;
        QTest::newRow("two stray tildes joined into a code") << "~a b~" << "~ab~" << false;
        QTest::newRow("a code split into stray tildes") << "~ab~" << "~a b~" << false;
        QTest::newRow("stray tildes stay stray") << "5 ~ 6" << "7 ~ 8" << true;
    }
    void codesKeptWhole()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, kept);
        const Result result = keepsTextCodes(before, after);
        QCOMPARE(bool(result), kept);
        if (!kept)
            QVERIFY2(result.errorString().contains(QStringLiteral("text codes")), qPrintable(result.errorString()));
    }
};

QTEST_GUILESS_MAIN(TestTextMatch)
#include "tst_textmatch.moc"
