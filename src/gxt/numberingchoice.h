#pragma once

#include "characternumbering.h"
#include "result.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace quillet {

class GxtFormat;
class KeyHash;

// What a user chooses a character numbering by, in the window's menu and settings and in the
// tool's --charmap: "windows-1252", "western", or the path of a map file. The one place a
// choice becomes a numbering.
namespace NumberingChoice {
inline const QString Windows1252 = QStringLiteral("windows-1252");
inline const QString Western = QStringLiteral("western");
inline const QString Unicode = QStringLiteral("unicode");
inline const QString RussianMobile = QStringLiteral("russian-mobile");

// Every built-in choice, as the menu lists them.
const QStringList &builtIn();

// Whether a choice names a map file rather than a built-in numbering.
bool isMapFile(const QString &choice);

// The numbering `choice` stands for in files of `format`. A map file is read over the
// format's own numbering; one that cannot be read fails with the file and the reason.
// `hash`, where given, is the one the file's keys are read by, which tells the game where
// the format cannot.
Result resolve(const QString &choice, const GxtFormat &format, std::shared_ptr<const CharacterNumbering> &out,
               const KeyHash *hash = nullptr);
// The same for a map file whose text has been read already.
Result resolveMap(const QString &path, const QByteArray &text, const GxtFormat &format,
                  std::shared_ptr<const CharacterNumbering> &out, const KeyHash *hash = nullptr);
} // namespace NumberingChoice

} // namespace quillet
