#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;

namespace quillet {

// The file system as the editor and the tool meet it: reading only what can be a table,
// and replacing a file all at once or not at all. Used for GXT files and text forms alike.

// Opens for reading a file that may be a GXT file: a regular file of a size a GXT file can
// have. A folder, a device or a pipe is refused, since it has no end to read to.
Result openReadableFile(const QString &path, QFile &file);

// Reads a whole file that passes openReadableFile.
Result readFileBytes(const QString &path, QByteArray &data);

// Replaces the file at `path` with `bytes` all at once, through a link to the file it
// points at and keeping the old file's permission bits; on failure the old file keeps its
// bytes and no temporary file stays behind.
//
// `verify`, when given, sees the bytes as they were read back from the new file before it
// takes the old one's place; a failure it returns stops the save there.
Result writeFileAtomically(const QString &path, const QByteArray &bytes,
                           const std::function<Result(const QByteArray &)> &verify = {});

} // namespace quillet
