#pragma once

#include "stringentry.h"

#include <QString>

namespace quillet {

class GxtDocument;

// What Find looks for: a piece of text in a row's name, its value or either. A value is
// searched in its source form, colour codes and escapes included, as the table holds it.
struct TextSearch {
    enum Where { NamesAndValues = 0, Names = 1, Values = 2 };

    QString text;
    bool matchCase = false;
    Where where = NamesAndValues;

    bool isEmpty() const { return text.isEmpty(); }
    Qt::CaseSensitivity caseSensitivity() const { return matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive; }
    bool inNames() const { return where != Values; }
    bool inValues() const { return where != Names; }

    bool matches(const StringEntry &row) const;
    // Replace works on values only: names are keys, and a replaced key would be another entry.
    bool valueMatches(const QString &value) const;
    // The value with every occurrence of the text replaced by `with`.
    QString replacedIn(const QString &value, const QString &with) const;
};

// A row of a document: its table's index and its position there, counted from 1 in the
// table's current order.
struct SearchHit {
    int table = -1;
    int position = 0;
    // The search went past the document's end (or, backwards, its start) to get here.
    bool wrapped = false;

    explicit operator bool() const { return table >= 0; }
};

// The next row that matches after `position` in table `table` (0: before its first row),
// going through the rest of that table, then the following tables in file order and round
// to where it started, which it reaches last. Backwards it goes the other way; from 0 it
// starts at the table's last row. Nothing when no row of the document matches.
SearchHit findInDocument(const GxtDocument &document, const TextSearch &search, int table, int position,
                         bool backwards = false);

} // namespace quillet
