#pragma once

#include <QString>
#include <QStringView>

namespace quillet {

// The visible escape of one text unit: "⟨", four upper-case hex digits, "⟩" ("⟨E780⟩").
// A unit that a character numbering cannot show is shown this way and typed back this way,
// so every unit of a file survives being shown, edited and saved. The one codec of it:
// the numberings, the text forms and the editor all go through here.
namespace UnitEscape {
inline constexpr char16_t Open = u'\u27E8';
inline constexpr char16_t Close = u'\u27E9';
inline constexpr qsizetype Length = 6;

// The unit that the escape at `i` stands for, or -1 when none starts there.
int unitAt(QStringView text, qsizetype i);
// Writes the escape of `unit` at `out`, which has room for Length units; returns the end.
char16_t *write(char16_t *out, char16_t unit);
void append(QString &text, char16_t unit);
QString of(char16_t unit);
} // namespace UnitEscape

} // namespace quillet
