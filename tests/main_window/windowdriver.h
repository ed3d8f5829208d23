#pragma once

// The window as a user meets it: its controls by their names in Qt's object tree, the list's
// rows in the order it shows them, and changes made as the Strings commands make them, so
// that the undo history holds every one.
#include "documentcommands.h"
#include "documentcontroller.h"
#include "filelocation.h"
#include "frmmain.h"
#include "stringtable.h"
#include "testfiles.h"
#include "userdialogs.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace windowdriver {

template<typename T>
T *control(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("the window has no %s", name);
    return found;
}

inline QAction *item(const quillet::frmMain &w, const char *name)
{
    return control<QAction>(w, name);
}
inline QMenu *menu(const quillet::frmMain &w, const char *name)
{
    return control<QMenu>(w, name);
}
inline QTreeView *list(const quillet::frmMain &w)
{
    return control<QTreeView>(w, "lvStrings");
}

// The list's rows top to bottom: each row's Name, or "NAME=value".
inline QStringList names(const quillet::frmMain &w)
{
    QStringList shown;
    const QAbstractItemModel *model = list(w)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, 0).data().toString();
    return shown;
}
inline QStringList rows(const quillet::frmMain &w)
{
    QStringList shown;
    const QAbstractItemModel *model = list(w)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, 0).data().toString() + QLatin1Char('=') + model->index(row, 1).data().toString();
    return shown;
}

inline QString tableShown(const quillet::frmMain &w)
{
    return w.controller().document().tableName(w.shownTable());
}

// The selected entry as "NAME=value"; empty when none is selected.
inline QString selected(const quillet::frmMain &w)
{
    const quillet::StringEntry *entry = w.table().find(w.selectedEntry());
    if (!entry)
        return {};
    const quillet::EntryRules &rules = w.controller().rules();
    return rules.keyText(*entry) + QLatin1Char('=') + rules.valueText(*entry);
}
inline QString selectedName(const quillet::frmMain &w)
{
    return selected(w).section(QLatin1Char('='), 0, 0);
}

// Selects the first row that shows `name`, as a click on it does; false when none does.
inline bool select(const quillet::frmMain &w, const QString &name)
{
    QTreeView *view = list(w);
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == name) {
            view->setCurrentIndex(model->index(row, 0));
            return true;
        }
    }
    return false;
}

inline quillet::StringEntry newEntry(quillet::frmMain &w, const QString &name, const QString &value)
{
    quillet::DocumentController &controller = w.controller();
    quillet::StringEntry entry;
    if (!controller.rules().encode(name, value, entry))
        qFatal("a test entry does not encode: %s", qPrintable(name));
    entry.id = controller.document().newEntryId();
    return entry;
}

// Adds an entry at the end of the shown table's file order as Add does, through a command
// the history keeps: the document counts as changed from then on. `units`, when given, go
// into the file as they are, whatever a user could type.
inline quillet::EntryId addEntry(quillet::frmMain &w, const QString &name, const QString &value,
                                 const QString *units = nullptr)
{
    quillet::StringEntry entry = newEntry(w, name, units ? QString() : value);
    if (units)
        entry.units = *units;
    w.controller().push(new quillet::EntriesCommand(QStringLiteral("Add ") + name,
                                                    {quillet::EntryChange{&w.table(), std::nullopt, entry, -1}}));
    return entry.id;
}

// Many entries added as one step, in the order given.
inline void addEntries(quillet::frmMain &w, const testfiles::Rows &rows)
{
    std::vector<quillet::EntryChange> changes;
    for (const testfiles::Row &row : rows)
        changes.push_back({&w.table(), std::nullopt, newEntry(w, row.name, row.value), -1});
    w.controller().push(new quillet::EntriesCommand(QStringLiteral("Add"), std::move(changes)));
}

// A window of its own for each test: a scratch folder, dialogs answered by the test and
// settings that are not the user's. `start` makes the window, `finish` checks no question
// came that the test did not expect.
struct WindowFixture {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<quillet::ScriptedUserDialogs> dialogs;
    std::unique_ptr<quillet::MemorySettingsStore> settings;
    std::unique_ptr<quillet::frmMain> w;

    // The folder and the stores, for settings a test gives before the window reads them.
    void prepare()
    {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = std::make_unique<quillet::ScriptedUserDialogs>();
        settings = std::make_unique<quillet::MemorySettingsStore>();
    }
    void start()
    {
        if (!dir)
            prepare();
        w = std::make_unique<quillet::frmMain>(dialogs.get(), settings.get());
    }
    void finish()
    {
        w.reset();
        QCOMPARE(dialogs->unexpected, 0);
        dir.reset();
    }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir->filePath(name);
        if (!testfiles::writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

} // namespace windowdriver
