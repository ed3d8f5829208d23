#include "layoutsettings.h"

#include "characternumbering.h"
#include "fileio.h"
#include "filelocation.h"
#include "gxtformat.h"

namespace quillet {

namespace {
const QString NumberingGroup = QStringLiteral("Character Numbering");
const QString KeyNamesGroup = QStringLiteral("Key Names");
const QString KeyNamesKey = QStringLiteral("File");
} // namespace

QString LayoutSettings::numberingChoice(const GxtFormat &format) const
{
    const QString fallback = CharacterNumbering::defaultFor(format)->name();
    const QString stored = m_store.value(NumberingGroup, format.id(), fallback);
    return stored.isEmpty() ? fallback : stored;
}

void LayoutSettings::rememberNumbering(const GxtFormat &format, const QString &choice)
{
    m_store.setValue(NumberingGroup, format.id(), choice);
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
    return read.within(path);
}

} // namespace quillet
