#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quillet {

// UTF-8 texts as units (UTF-16 code units), losing nothing: a byte that does not stand in a
// well-formed UTF-8 sequence becomes the lone surrogate 0xDC00 + the byte, which no
// well-formed text holds, and writes back as that byte. What the fifth game's files keep.
namespace Utf8Units {
QString decode(QByteArrayView bytes);
// The bytes `units` write as; a unit that UTF-8 cannot hold counts as nothing (see below).
qint64 byteLength(QStringView units);
// Writes the bytes of `units` at `out`; returns the end.
char *write(QStringView units, char *out);
// Why `units` cannot be written so that they read back the same (a unit 0, a lone
// surrogate that stands for no byte, kept bytes that would read back as a character);
// empty when they can.
QString whyNotWritable(QStringView units);
} // namespace Utf8Units

} // namespace quillet
