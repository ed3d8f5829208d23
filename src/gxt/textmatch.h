#pragma once

#include "result.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringView>

namespace quillet {

struct TextSearch;

// A search made ready to run over many texts: the pattern compiled once, and the rule that a
// match stays out of the text codes ("~r~", "~k~~PED_FIREWEAPON~") unless the search looks
// inside them. A replacement of "weapon" must not turn a button prompt into "~PED_FIREarme~",
// and a one-letter search must not hit the letter of "~r~". Matches never span a code either:
// text on both sides of a code is two pieces of text, not one.
class TextMatcher
{
public:
    explicit TextMatcher(const TextSearch &search);

    // False for an empty search and for a regular expression that does not compile; the
    // second says why in errorString().
    bool isValid() const { return m_valid; }
    QString errorString() const { return m_error; }

    bool inNames() const { return m_inNames; }
    bool inValues() const { return m_inValues; }

    struct Match {
        qsizetype start = 0;
        qsizetype length = 0;
        // Group 0 is the whole match; the expression's groups follow.
        QStringList groups;
    };
    // Every match in `text`, in order, none empty and none overlapping.
    QList<Match> matchesIn(const QString &text) const;
    bool matchesText(const QString &text) const;
    // An entry matches when the name or the value does, where the search looks.
    bool matches(const QString &name, const QString &value) const;
    bool valueMatches(const QString &value) const { return m_inValues && matchesText(value); }
    // `text` with every match replaced by `with`; for a regular expression "\1" to "\99"
    // stand for its groups, "\0" for the whole match and "\\" for a backslash.
    QString replacedIn(const QString &text, const QString &with, qsizetype *count = nullptr) const;

private:
    QString expanded(const QString &with, const Match &match) const;

    QRegularExpression m_expression;
    bool m_valid = false;
    bool m_regular = false;
    bool m_insideCodes = false;
    bool m_inNames = true;
    bool m_inValues = true;
    QString m_error;
};

// The pieces of `text` that are no text code, as [start, end) pairs; a text without codes is
// one piece. A tilde that starts no code belongs to the text around it.
QList<std::pair<qsizetype, qsizetype>> textOutsideCodes(QStringView text);

// Success when `after` keeps the text codes of `before` whole: as many "~" and as many codes.
// A tilde added or lost, or two half codes joined into one, is a code the game reads wrong or
// a text it may crash on.
Result keepsTextCodes(QStringView before, QStringView after);

} // namespace quillet
