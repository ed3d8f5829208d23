#pragma once

// The examples of the view conversion that both the pure functions and the dialog must
// hold: a source text, what Design View shows of it (one colour letter per character, the
// letter of its code), and the source text that comes back.
#include "colourcodes.h"

#include <QList>
#include <QString>

struct ViewCase {
    const char *name;
    QString source, shown, colours, back;
};

inline const QList<ViewCase> &viewCases()
{
    static const QList<ViewCase> cases{
        {"upper-case code", "~Y~Hi", "Hi", "yy", "~y~Hi"},
        {"leading grey", "~w~Hi", "Hi", "ww", "Hi"},
        {"consecutive codes", "a~r~~g~b", "ab", "wg", "a~g~b"},
        {"repeated code", "~r~a~r~b", "ab", "rr", "~r~ab"},
        {"code to the same colour", "a~w~b", "ab", "ww", "ab"},
        {"trailing code", "ab~r~", "ab", "ww", "ab"},
        {"not codes", "~x~ ~", "~x~ ~", "wwwww", "~x~ ~"},
        {"code letter repeated", "~y~y~", "y~", "yy", "~y~y~"},
        {"tilde before code", "~~r~a", "~a", "wr", "~~r~a"},
        {"short", "~r", "~r", "ww", "~r"},
        {"empty", "", "", "", ""},
        {"every code", "~y~a~W~b~h~c~R~d~g~e~B~f~p~g", "abcdefg", "ywhrgbp", "~y~a~w~b~h~c~r~d~g~e~b~f~p~g"},
    };
    return cases;
}

inline QRgb rgbOfCode(QChar letter)
{
    return quillet::ColourTable::codeAt(QStringLiteral("~%1~").arg(letter))->rgb();
}
