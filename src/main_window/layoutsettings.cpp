#include "layoutsettings.h"

#include "characternumbering.h"
#include "fileio.h"
#include "filelocation.h"
#include "gxtformat.h"
#include "recentfiles.h"

namespace quillet {

namespace {
const QString KeyNamesGroup = QStringLiteral("Key Names");
const QString KeyNamesKey = QStringLiteral("File");
} // namespace

QString LayoutSettings::numberingChoice(const QString &path) const
{
    return path.isEmpty() ? QString() : RecentFileNumbering(m_store, path);
}

void LayoutSettings::rememberNumbering(const QString &path, const QString &choice)
{
    if (!path.isEmpty())
        SetRecentFileNumbering(m_store, path, choice);
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
