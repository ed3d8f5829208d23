#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;

namespace quillet {

class SettingsStore;

// Where the files last opened or saved live in the per-user settings store, beside the
// remembered folder: group "Recent Files", keys "File1" to "File4", most recent first, each
// an absolute path. The store can only write texts, so a list shorter than four leaves the
// keys after it empty; the first empty or missing key ends the list. "Numbering1" to
// "Numbering4" hold the character numbering each file was last shown in (a
// NumberingChoice), so that a file opens again as its user last read it; it goes with
// the file as the list changes, and is forgotten when the file falls off.
namespace RecentFilesSetting {
inline constexpr char Group[] = "Recent Files";
inline constexpr char KeyPrefix[] = "File";
inline constexpr char NumberingPrefix[] = "Numbering";
inline constexpr int Count = 4;
} // namespace RecentFilesSetting

// The remembered files, most recent first: at most four, no two naming the same absolute
// path, none empty, however the store was left.
QStringList GetRecentFiles(const SettingsStore &store);
// Puts `path` at the front, taking it out of where it stood before; the oldest falls off.
void AddRecentFile(SettingsStore &store, const QString &path);
void RemoveRecentFile(SettingsStore &store, const QString &path);
// The numbering remembered for a file of the list; empty when none is, or the file is not
// in the list.
QString RecentFileNumbering(const SettingsStore &store, const QString &path);
// Remembers it for a file of the list; a file that is not in it remembers nothing.
void SetRecentFileNumbering(SettingsStore &store, const QString &path, const QString &choice);

// "&1 name.gxt": the menu item of the file at `position` (from 1), its name shown as written.
QString RecentFileCaption(int position, const QString &path);

// The remembered files as items of the File menu, above `before` and followed by a
// separator of their own; without remembered files neither is in the menu. The items in use
// are the menu's own actions, so whatever enables and disables the menu's items reaches them
// too. Choosing one calls `open` with its path.
class RecentFilesMenu : public QObject
{
    Q_OBJECT

public:
    RecentFilesMenu(QMenu *menu, QAction *before, SettingsStore &store, std::function<void(const QString &)> open);

    void add(const QString &path);
    void remove(const QString &path);
private:
    // Shows the list as the store holds it. The items stay the same actions, taken out of
    // the menu while unused rather than deleted: one may be the very item whose choice led
    // here.
    void refresh();

    QMenu *m_menu;
    QAction *m_before;
    SettingsStore &m_store;
    QList<QAction *> m_items;
    QAction *m_separator;
};

} // namespace quillet
