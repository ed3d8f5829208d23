#include "layoutsettings.h"

#include "fileio.h"
#include "filelocation.h"

#include <QFileInfo>

namespace quillet {

namespace {
const QString NumberingGroup = QStringLiteral("Character Numbering");
const QString KeyNamesGroup = QStringLiteral("Key Names");
const QString KeyNamesKey = QStringLiteral("File");
} // namespace

QString LayoutSettings::numberingChoice(GxtLayout layout) const
{
    const QString fallback = CharacterNumbering::defaultFor(layout)->name();
    const QString stored = m_store.value(NumberingGroup, layoutName(layout), fallback);
    return stored.isEmpty() ? fallback : stored;
}

void LayoutSettings::rememberNumbering(GxtLayout layout, const QString &choice)
{
    m_store.setValue(NumberingGroup, layoutName(layout), choice);
}

Result LayoutSettings::numberingFor(const QString &choice, GxtLayout layout,
                                    std::shared_ptr<const CharacterNumbering> &out)
{
    if (choice == Windows1252) {
        out = CharacterNumbering::windows1252();
        return {};
    }
    if (choice == Western) {
        out = CharacterNumbering::western(layout);
        return {};
    }
    QByteArray text;
    Result read = readFileBytes(choice, text);
    if (read)
        read = CharacterNumbering::fromMap(text, QFileInfo(choice).fileName(), *CharacterNumbering::defaultFor(layout), out);
    if (!read)
        return Result::failure(QStringLiteral("%1: %2").arg(choice, read.errorString()));
    return read;
}

QString LayoutSettings::keyNamesFile() const
{
    return m_store.value(KeyNamesGroup, KeyNamesKey, QString());
}

void LayoutSettings::rememberKeyNamesFile(const QString &path)
{
    m_store.setValue(KeyNamesGroup, KeyNamesKey, path);
}

Result LayoutSettings::readKeyNames(const QString &path, KeyNames &out)
{
    QByteArray text;
    Result read = readFileBytes(path, text);
    if (read)
        read = KeyNames::fromText(text, out);
    if (!read)
        return Result::failure(QStringLiteral("%1: %2").arg(path, read.errorString()));
    return read;
}

} // namespace quillet
