#include "recentfiles.h"

#include "filelocation.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMenu>

namespace quillet {

namespace {

QString group()
{
    return QString::fromLatin1(RecentFilesSetting::Group);
}

QString key(int position)
{
    return QString::fromLatin1(RecentFilesSetting::KeyPrefix) + QString::number(position);
}

QString numberingKey(int position)
{
    return QString::fromLatin1(RecentFilesSetting::NumberingPrefix) + QString::number(position);
}

// Two ways of naming one file count as one: a relative path, "..", a doubled '/'.
QString absolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The numbering remembered for each file, by the file's place in the store.
QHash<QString, QString> numberings(const SettingsStore &settings)
{
    QHash<QString, QString> out;
    for (int position = 1; position <= RecentFilesSetting::Count; ++position) {
        const QString path = settings.value(group(), key(position), QString());
        if (path.isEmpty())
            break;
        const QString choice = settings.value(group(), numberingKey(position), QString());
        if (!choice.isEmpty() && !out.contains(absolute(path)))
            out.insert(absolute(path), choice);
    }
    return out;
}

void store(SettingsStore &settings, const QStringList &paths, const QHash<QString, QString> &choices)
{
    // Each write goes to disk at once; reopening the file at the top changes nothing.
    for (int position = 1; position <= RecentFilesSetting::Count; ++position) {
        const QString path = paths.value(position - 1);
        if (settings.value(group(), key(position), QString()) != path)
            settings.setValue(group(), key(position), path);
        const QString choice = choices.value(path);
        if (settings.value(group(), numberingKey(position), QString()) != choice)
            settings.setValue(group(), numberingKey(position), choice);
    }
}

} // namespace

QStringList GetRecentFiles(const SettingsStore &settings)
{
    QStringList paths;
    for (int position = 1; position <= RecentFilesSetting::Count; ++position) {
        const QString path = settings.value(group(), key(position), QString());
        if (path.isEmpty())
            break;
        const QString file = absolute(path);
        if (!paths.contains(file))
            paths.append(file);
    }
    return paths;
}

void AddRecentFile(SettingsStore &settings, const QString &path)
{
    const QString file = absolute(path);
    QStringList paths = GetRecentFiles(settings);
    paths.removeAll(file);
    paths.prepend(file);
    store(settings, paths.mid(0, RecentFilesSetting::Count), numberings(settings));
}

void RemoveRecentFile(SettingsStore &settings, const QString &path)
{
    QStringList paths = GetRecentFiles(settings);
    if (paths.removeAll(absolute(path)) > 0)
        store(settings, paths, numberings(settings));
}

QString RecentFileNumbering(const SettingsStore &settings, const QString &path)
{
    return numberings(settings).value(absolute(path));
}

void SetRecentFileNumbering(SettingsStore &settings, const QString &path, const QString &choice)
{
    const QString file = absolute(path);
    const QStringList paths = GetRecentFiles(settings);
    if (!paths.contains(file))
        return;
    QHash<QString, QString> choices = numberings(settings);
    choices.insert(file, choice);
    store(settings, paths, choices);
}

QString RecentFileCaption(int position, const QString &path)
{
    // A single '&' would make the next letter the item's access key and vanish itself.
    QString name = QFileInfo(path).fileName();
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(position).arg(name);
}

RecentFilesMenu::RecentFilesMenu(QMenu *menu, QAction *before, SettingsStore &settings,
                                 std::function<void(const QString &)> open)
    : QObject(menu)
    , m_menu(menu)
    , m_before(before)
    , m_store(settings)
    , m_separator(new QAction(menu))
{
    for (int position = 1; position <= RecentFilesSetting::Count; ++position) {
        auto *item = new QAction(menu);
        item->setObjectName(QStringLiteral("mnuFile_Recent%1").arg(position));
        // The path is read when the item is chosen: the list may have moved since it was shown.
        connect(item, &QAction::triggered, this, [item, open] { open(item->data().toString()); });
        m_items.append(item);
    }
    m_separator->setSeparator(true);
    m_separator->setObjectName(QStringLiteral("mnuFile_SepRecent"));
    refresh();
}

void RecentFilesMenu::add(const QString &path)
{
    AddRecentFile(m_store, path);
    refresh();
}

void RecentFilesMenu::remove(const QString &path)
{
    RemoveRecentFile(m_store, path);
    refresh();
}

void RecentFilesMenu::refresh()
{
    const QStringList paths = GetRecentFiles(m_store);
    for (QAction *item : std::as_const(m_items))
        m_menu->removeAction(item);
    m_menu->removeAction(m_separator);
    if (paths.isEmpty())
        return;
    for (int i = 0; i < paths.size(); ++i) {
        QAction *item = m_items.at(i);
        const QString &path = paths.at(i);
        item->setText(RecentFileCaption(i + 1, path));
        item->setData(path);
        item->setStatusTip(QDir::toNativeSeparators(path));
        item->setToolTip(QDir::toNativeSeparators(path));
        // Out of the menu, it missed whatever last enabled or disabled the menu's items.
        item->setEnabled(m_before->isEnabled());
        m_menu->insertAction(m_before, item);
    }
    m_separator->setEnabled(m_before->isEnabled());
    m_menu->insertAction(m_before, m_separator);
}

} // namespace quillet
