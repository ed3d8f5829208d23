#include "numberingchoice.h"

#include "fileio.h"
#include "gxtformat.h"

#include <QFileInfo>

namespace quillet::NumberingChoice {

const QStringList &builtIn()
{
    static const QStringList choices{Windows1252, Western, Unicode, RussianMobile};
    return choices;
}

bool isMapFile(const QString &choice)
{
    return !choice.isEmpty() && !builtIn().contains(choice);
}

Result resolve(const QString &choice, const GxtFormat &format, std::shared_ptr<const CharacterNumbering> &out,
               const KeyHash *hash)
{
    if (choice.isEmpty()) {
        out = CharacterNumbering::defaultFor(format, hash);
        return {};
    }
    if (choice == Windows1252) {
        out = CharacterNumbering::windows1252();
        return {};
    }
    if (choice == Western) {
        out = CharacterNumbering::western(format);
        return {};
    }
    if (choice == Unicode) {
        out = CharacterNumbering::unicode();
        return {};
    }
    if (choice == RussianMobile) {
        out = CharacterNumbering::russianMobile();
        return {};
    }
    QByteArray text;
    Result read = readFileBytes(choice, text);
    if (!read)
        return read.within(choice);
    return resolveMap(choice, text, format, out, hash);
}

Result resolveMap(const QString &path, const QByteArray &text, const GxtFormat &format,
                  std::shared_ptr<const CharacterNumbering> &out, const KeyHash *hash)
{
    return CharacterNumbering::fromMap(text, QFileInfo(path).fileName(), *CharacterNumbering::defaultFor(format, hash), out)
        .within(path);
}

} // namespace quillet::NumberingChoice
