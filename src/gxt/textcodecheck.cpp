#include "textcodecheck.h"

#include "entryrules.h"
#include "gxtformat.h"
#include "keyhash.h"
#include "textcodes.h"

#include <QHash>

#include <algorithm>

namespace quillet {

Game gameOf(const GxtFormat &format, const KeyHash *hash)
{
    switch (format.traits().encoding) {
    case TextEncoding::Utf8:
        return Game::Fifth;
    case TextEncoding::Glyphs:
        break;
    }
    if (!format.storesHashes())
        return format.hasTables() ? Game::Second : Game::First;
    // The third and fourth games share the hashed layout; only the key hash tells them.
    const KeyHash *by = hash ? hash : format.traits().hash;
    return by == &KeyHash::oneAtATime() ? Game::Fourth : Game::Third;
}

QList<TextCode> textCodesOf(QStringView text, QList<qsizetype> *strayTildes)
{
    QList<TextCode> codes;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i].unicode() != TextCodes::Tilde) {
            ++i;
            continue;
        }
        const qsizetype length = TextCodes::codeAt(text, i);
        if (length == 0) {
            if (strayTildes)
                strayTildes->append(i);
            ++i;
            continue;
        }
        qsizetype whole = length;
        // "~k~" names the key of the action in the code right after it: the two are one.
        if (text.sliced(i, length) == u"~k~")
            whole += TextCodes::codeAt(text, i + length);
        codes.append(TextCode{i, whole, text.sliced(i, whole).toString()});
        i += whole;
    }
    return codes;
}

TextCodeCheck::TextCodeCheck(Game game)
    : m_game(game)
{
}

bool TextCodeCheck::knowsCodeSet() const
{
    return m_game != Game::Fourth;
}

namespace {

bool isDigits(QStringView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool earlyGamesKnow(QStringView inner, Game game)
{
    static const QStringList common{QStringLiteral("n"), QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("k"),
                                    QStringLiteral("r"), QStringLiteral("g"), QStringLiteral("b"), QStringLiteral("y"),
                                    QStringLiteral("p"), QStringLiteral("l"), QStringLiteral("w"), QStringLiteral("s"),
                                    QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("d"), QStringLiteral("<"),
                                    QStringLiteral(">"), QStringLiteral("z")};
    if (common.contains(inner))
        return true;
    if (game == Game::First || game == Game::Second)
        return inner == u"B";
    static const QStringList third{QStringLiteral("]"), QStringLiteral("A"), QStringLiteral("c"), QStringLiteral("K")};
    return third.contains(inner);
}

bool fifthGameKnows(QStringView inner)
{
    static const QStringList plain{QStringLiteral("r"),    QStringLiteral("g"),      QStringLiteral("b"),
                                   QStringLiteral("y"),    QStringLiteral("p"),      QStringLiteral("o"),
                                   QStringLiteral("c"),    QStringLiteral("f"),      QStringLiteral("t"),
                                   QStringLiteral("s"),    QStringLiteral("h"),      QStringLiteral("bold"),
                                   QStringLiteral("italic"), QStringLiteral("ws"),   QStringLiteral("a"),
                                   QStringLiteral("1")};
    if (plain.contains(inner))
        return true;
    for (const QStringView prefix : {QStringView(u"HUD_COLOUR_"), QStringView(u"BLIP_"), QStringView(u"INPUT_")}) {
        if (inner.startsWith(prefix) && inner.size() > prefix.size())
            return true;
    }
    // The numbered placeholders "~a_N~" and "~1_N~".
    return (inner.startsWith(u"a_") || inner.startsWith(u"1_")) && isDigits(inner.sliced(2));
}

bool isEdgeSpace(char16_t u)
{
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == 0xA0 || u == 0x3000;
}

QString timesText(int n)
{
    return n == 1 ? QString() : QStringLiteral(" %1 times").arg(n);
}

// Codes by how often each comes, in the order each first comes.
struct CodeCount {
    QStringList order;
    QHash<QString, int> count;
    QStringList sequence; // every code but the line break, in order

    explicit CodeCount(const QList<TextCode> &codes)
    {
        for (const TextCode &code : codes) {
            if (!count.contains(code.text))
                order.append(code.text);
            ++count[code.text];
            if (code.text != u"~n~")
                sequence.append(code.text);
        }
    }
};

} // namespace

bool TextCodeCheck::knowsCode(QStringView code) const
{
    if (!knowsCodeSet())
        return true;
    if (code.size() < 3 || code.front() != u'~' || code.back() != u'~')
        return false;
    if (m_game != Game::Fifth && code.startsWith(u"~k~~") && code.size() > 5)
        return true; // the key of any action the game has
    const QStringView inner = code.sliced(1, code.size() - 2);
    return m_game == Game::Fifth ? fifthGameKnows(inner) : earlyGamesKnow(inner, m_game);
}

int TextCodeCheck::maxLength() const
{
    return m_game == Game::Third ? 512 : 0;
}

QString codesDifferMessage(const QString &difference)
{
    return QStringLiteral("codes differ from the reference: ") + difference;
}

bool TextCodeCheck::codesDiffer(QStringView units, QStringView reference)
{
    // Texts without a "~" have no codes: the common case costs one scan each.
    const bool mine = TextCodes::holdsTilde(units);
    if (mine != TextCodes::holdsTilde(reference))
        return !textCodesOf(mine ? units : reference).isEmpty();
    if (!mine)
        return false;
    const CodeCount a(textCodesOf(units));
    const CodeCount b(textCodesOf(reference));
    return a.sequence != b.sequence || a.count.value(QStringLiteral("~n~")) != b.count.value(QStringLiteral("~n~"));
}

QString TextCodeCheck::codesDifference(QStringView units, QStringView reference)
{
    const CodeCount mine(textCodesOf(units));
    const CodeCount theirs(textCodesOf(reference));
    QStringList parts;
    for (const QString &code : theirs.order) {
        const int short_ = theirs.count.value(code) - mine.count.value(code);
        if (short_ > 0)
            parts.append(code + QStringLiteral(" missing") + timesText(short_));
    }
    for (const QString &code : mine.order) {
        const int extra = mine.count.value(code) - theirs.count.value(code);
        if (extra > 0)
            parts.append(code + QStringLiteral(" added") + timesText(extra));
    }
    if (!parts.isEmpty())
        return parts.join(QStringLiteral(", "));
    if (mine.sequence != theirs.sequence) {
        return QStringLiteral("in another order: %1 instead of %2")
            .arg(mine.sequence.join(u' '), theirs.sequence.join(u' '));
    }
    return {};
}

std::vector<TextProblem> TextCodeCheck::checkUnits(QStringView units, std::optional<QStringView> reference) const
{
    std::vector<TextProblem> problems;
    QList<qsizetype> stray;
    const QList<TextCode> codes = TextCodes::holdsTilde(units) ? textCodesOf(units, &stray) : QList<TextCode>();
    if (!stray.isEmpty()) {
        problems.push_back({TextProblem::Kind::UnbalancedTilde,
                            stray.size() == 1
                                ? QStringLiteral("unbalanced ~ at character %1").arg(stray.front() + 1)
                                : QStringLiteral("unbalanced ~ at characters %1").arg([&] {
                                      QStringList at;
                                      for (const qsizetype i : stray)
                                          at.append(QString::number(i + 1));
                                      return at.join(QStringLiteral(", "));
                                  }())});
    }
    QStringList unknown;
    for (const TextCode &code : codes) {
        if (!knowsCode(code.text) && !unknown.contains(code.text))
            unknown.append(code.text);
    }
    for (const QString &code : std::as_const(unknown)) {
        problems.push_back({TextProblem::Kind::UnknownCode,
                            QStringLiteral("the %1 does not know the code %2").arg(gameName(), code)});
    }
    if (reference) {
        const QString difference = codesDifference(units, *reference);
        if (!difference.isEmpty())
            problems.push_back({TextProblem::Kind::CodesDiffer, codesDifferMessage(difference)});
    }
    if (!units.isEmpty()) {
        const bool front = isEdgeSpace(units.front().unicode());
        const bool back = isEdgeSpace(units.back().unicode());
        if (front || back) {
            problems.push_back({TextProblem::Kind::EdgeWhitespace,
                                front && back ? QStringLiteral("whitespace at the start and the end")
                                              : front ? QStringLiteral("whitespace at the start")
                                                      : QStringLiteral("whitespace at the end")});
        }
    }
    if (maxLength() > 0 && units.size() > maxLength()) {
        problems.push_back({TextProblem::Kind::TooLong,
                            QStringLiteral("the text has %1 characters; the %2 fails on texts longer than about %3")
                                .arg(units.size())
                                .arg(gameName())
                                .arg(maxLength())});
    }
    return problems;
}

std::vector<TextProblem> TextCodeCheck::checkValue(const QString &value, const EntryRules &rules,
                                                   std::optional<QStringView> reference) const
{
    QString units;
    const Result encoded = rules.encodeValue(value, units);
    if (encoded)
        return checkUnits(units, reference);
    std::vector<TextProblem> problems{{TextProblem::Kind::Unstorable, encoded.errorString()}};
    for (TextProblem &problem : checkUnits(value, reference))
        problems.push_back(std::move(problem));
    return problems;
}

QString TextCodeCheck::gameName() const
{
    switch (m_game) {
    case Game::First:
        return QStringLiteral("first game");
    case Game::Second:
        return QStringLiteral("second game");
    case Game::Third:
        return QStringLiteral("third game");
    case Game::Fourth:
        return QStringLiteral("fourth game");
    case Game::Fifth:
        break;
    }
    return QStringLiteral("fifth game");
}

} // namespace quillet
