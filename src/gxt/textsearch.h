#pragma once

#include "entryrules.h"
#include "stringentry.h"
#include "textmatch.h"

#include <QString>

#include <functional>
#include <vector>

namespace quillet {

class GxtDocument;

// What Find looks for: a piece of text in an entry's name, its value or either, as the user
// reads them: a value in its source form, colour codes and escapes included. By default a
// value's text codes are no text to find: only `insideCodes` looks into them.
struct TextSearch {
    enum Where { NamesAndValues = 0, Names = 1, Values = 2 };

    QString text;
    bool matchCase = false;
    Where where = NamesAndValues;
    bool wholeWords = false;
    // `text` is a QRegularExpression pattern, and a replacement may name its groups.
    bool regularExpression = false;
    bool insideCodes = false;

    bool isEmpty() const { return text.isEmpty(); }
    bool inNames() const { return where != Values; }
    bool inValues() const { return where != Names; }

    // Compiled once for a whole search; see TextMatcher.
    TextMatcher matcher() const { return TextMatcher(*this); }
};

// An entry of a document found: its table's index and its identity.
struct SearchHit {
    int table = -1;
    EntryId entry = 0;
    // The search went past the document's end (or, backwards, its start) to get here.
    bool wrapped = false;

    explicit operator bool() const { return table >= 0; }
};

// The rows (in file order) of a table of the document as the list shows them.
using ListOrder = std::function<std::vector<int>(int table)>;

// The next entry that matches after `from` in table `table` (none: before its first row),
// going through the rest of that table in list order, then the following tables in file
// order and round to where it started, which it reaches last. Backwards it goes the other
// way; from none it starts at the table's last row. Nothing when no entry matches.
SearchHit findInDocument(const GxtDocument &document, const EntryRules &rules, const TextSearch &search, int table,
                         EntryId from, bool backwards, const ListOrder &orderOf);

} // namespace quillet
