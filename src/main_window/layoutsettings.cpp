#include "layoutsettings.h"

#include "characternumbering.h"
#include "fileio.h"
#include "filelocation.h"
#include "gxtformat.h"
#include "recentfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace quillet {

namespace {
const QString KeyNamesGroup = QStringLiteral("Key Names");
const QString KeyNamesKey = QStringLiteral("File");
const QString ReferencesGroup = QStringLiteral("References");

QString absolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString referenceKey(const QString &file)
{
    return QString::fromLatin1(QCryptographicHash::hash(file.toUtf8(), QCryptographicHash::Sha1).toHex());
}
} // namespace

QString LayoutSettings::referenceFile(const QString &path) const
{
    if (path.isEmpty())
        return {};
    const QString file = absolute(path);
    const QString stored = m_store.value(ReferencesGroup, referenceKey(file), QString());
    // The file's own path stands before the reference's, so a digest that two paths share
    // still gives each only its own.
    const QString own = file + QLatin1Char('|');
    return stored.startsWith(own) ? stored.mid(own.size()) : QString();
}

void LayoutSettings::rememberReference(const QString &path, const QString &reference)
{
    if (path.isEmpty())
        return;
    const QString file = absolute(path);
    m_store.setValue(ReferencesGroup, referenceKey(file),
                     reference.isEmpty() ? QString() : file + QLatin1Char('|') + absolute(reference));
}

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
