#include "filelocation.h"

#include <QFileInfo>
#include <QSettings>

namespace quillet {

namespace {

// '/' is the only folder separator on this platform, and paths from Qt's dialogs use it.
constexpr QChar FolderSeparator = QLatin1Char('/');

QString group()
{
    return QString::fromLatin1(FileLocationSetting::Group);
}

QString key()
{
    return QString::fromLatin1(FileLocationSetting::Key);
}

} // namespace

SettingsStore::~SettingsStore() = default;

QSettingsStore::QSettingsStore(const QString &organisation, const QString &application)
    : m_settings(std::make_unique<QSettings>(organisation, application))
{
}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::value(const QString &group, const QString &key, const QString &defaultValue) const
{
    return m_settings->value(group + QLatin1Char('/') + key, defaultValue).toString();
}

void QSettingsStore::setValue(const QString &group, const QString &key, const QString &value)
{
    m_settings->setValue(group + QLatin1Char('/') + key, value);
    // Written at once, so that a second editor started meanwhile already opens there.
    m_settings->sync();
}

QString GetFileLocation(const SettingsStore &store, const QString &applicationFolder)
{
    const QString stored = store.value(group(), key(), applicationFolder);
    // An empty text would name the working folder, which is not what was remembered.
    if (stored.isEmpty() || !QFileInfo(stored).isDir())
        return applicationFolder;
    return stored;
}

void SaveFileLocation(SettingsStore &store, const QString &path)
{
    const qsizetype separator = path.lastIndexOf(FolderSeparator);
    store.setValue(group(), key(), separator < 0 ? QString() : path.left(separator + 1));
}

QString WindowTitle(const QString &path)
{
    return QStringLiteral("Quillet - ") + path.mid(path.lastIndexOf(FolderSeparator) + 1);
}

QString WindowTitle(const QString &path, const QString &table)
{
    return WindowTitle(path) + QStringLiteral(" [") + table + QLatin1Char(']');
}

} // namespace quillet
