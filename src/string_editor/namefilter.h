#pragma once

#include <QString>

namespace quillet {

// A name the user types holds at most this many characters. The file has room for eight,
// so a name read from a file may be one longer; such a name is kept whole when it is edited.
inline constexpr int TypedNameLimit = 7;

// The name box's key filter: a lower-case ASCII letter becomes upper case; digits, upper-case
// letters, '_' and Backspace (8) pass; every other code becomes 0, which types nothing.
char16_t filterNameKey(char16_t code);

// Pasted text goes through the same filter character by character: refused characters are
// dropped rather than refusing the whole paste, and Backspace has no meaning in a paste.
QString filterPastedName(const QString &text);

// What of `insertion` fits into a name of `currentLength` characters whose `selectedLength`
// characters it replaces, under the typed limit. Never negative.
int nameRoom(qsizetype currentLength, qsizetype selectedLength);

// A key of a hashed document may also be typed as "#" and eight hex digits: its hash.
inline constexpr int TypedHashLength = 9;

// What of `typed` (each character through the key filter already, and '#' where `hashes`
// allows it) goes into the name `text` in place of its `selected` characters at `start`:
// the longest start of it that keeps a name the box takes.
QString admitIntoName(const QString &text, qsizetype start, qsizetype selected, const QString &typed, bool hashes);

} // namespace quillet
