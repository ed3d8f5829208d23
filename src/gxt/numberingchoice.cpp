#include "numberingchoice.h"

#include "fileio.h"
#include "gxtformat.h"

#include <QFileInfo>

namespace quillet::NumberingChoice {

bool isMapFile(const QString &choice)
{
    return !choice.isEmpty() && choice != Windows1252 && choice != Western;
}

Result resolve(const QString &choice, const GxtFormat &format, std::shared_ptr<const CharacterNumbering> &out)
{
    if (choice.isEmpty()) {
        out = CharacterNumbering::defaultFor(format);
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
    QByteArray text;
    Result read = readFileBytes(choice, text);
    if (!read)
        return read.within(choice);
    return resolveMap(choice, text, format, out);
}

Result resolveMap(const QString &path, const QByteArray &text, const GxtFormat &format,
                  std::shared_ptr<const CharacterNumbering> &out)
{
    return CharacterNumbering::fromMap(text, QFileInfo(path).fileName(), *CharacterNumbering::defaultFor(format), out)
        .within(path);
}

} // namespace quillet::NumberingChoice
