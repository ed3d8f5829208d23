#pragma once

#include "documentcontroller.h"
#include "fileoperationhooks.h"
#include "stringentry.h"
#include "stringtablemodel.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <vector>

class QEventLoop;
class QKeyEvent;
class QLabel;
class QMimeData;
class QTreeView;

namespace Ui {
class frmMain;
}

namespace quillet {

class FileCommands;
class FindCommands;
class NumberingCommands;
class SettingsStore;
class StringCommands;
class StringListProxy;
class StringTable;
class StringTableModel;
class TableCommands;
class TranslationCommands;
class UserDialogs;

// The editor's one document window. It shows the controller's document, one table at a
// time, in `lvStrings`: a model of the table in file order under the list's sorting proxy.
// The commands live in their groups (File, Strings, Tables, Find and Undo, Character
// Numbering); the window wires them to its menus, keeps the list's selection by entry
// identity, and answers the mouse, the keyboard and dropped files.
//
// Loading and saving run on this thread and let events through every 50 entries; what
// keeps those events away from the document is `FileOperation`, the disabled menu items,
// and the list being hidden (load) or disabled (save) meanwhile.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    // Every message box and file dialog goes through `dialogs`; what the editor remembers
    // lives in `settings`. Both must outlive the window.
    frmMain(UserDialogs *dialogs, SettingsStore *settings, QWidget *parent = nullptr);
    ~frmMain() override;

    // The client area below the menu bar and above the status bar that the window opens
    // with unless a size is remembered, and the least it shrinks to.
    static const QSize DesignClientSize;
    static const QSize MinimumClientSize;

    // Start-up: shows the window at its remembered size (or its opening size), waits until
    // it is on the screen, then opens the file that the command line's argument names, or
    // starts an untitled table. Whatever start-up has to say then shows over the window.
    void Form_Load(const QString &argument);

    DocumentController &controller() { return *m_controller; }
    const DocumentController &controller() const { return *m_controller; }

    FileCommands &fileCommands() { return *m_fileCommands; }
    StringCommands &stringCommands() { return *m_stringCommands; }
    NumberingCommands &numberingCommands() { return *m_numberingCommands; }
    TableCommands &tableCommands() { return *m_tableCommands; }
    FindCommands &findCommands() { return *m_findCommands; }
    TranslationCommands &translationCommands() { return *m_translationCommands; }

    // The index of the document's table that the list shows, and the table itself.
    int shownTable() const;
    StringTable &table() const;
    // Shows the document's table at `index`: the list, the commands and the title follow;
    // the sort column and direction stay, and nothing is selected.
    void showTable(int index);
    // The entry the list has selected in the table shown: the current row where it is
    // selected, else the first selected row the list shows; 0 when none is.
    EntryId selectedEntry() const;
    // Every selected entry of the table shown, in the order the list shows them.
    std::vector<EntryId> selectedEntries() const;
    // Shows `table` and selects its entry `entry` (nothing when 0), in sight.
    void showEntry(StringTable *table, EntryId entry);
    // Shows `table` and selects those of its entries, the first of them current and in sight.
    void selectEntries(StringTable *table, const std::vector<EntryId> &entries);
    // The rows (in file order) of a table as the list shows it in its present sort.
    std::vector<int> listOrder(int table) const;
    StringListProxy &listProxy() const { return *m_proxy; }

    // Shows every table beside its reference table (see StringTableModel::setReference):
    // the Reference column comes or goes, and the entries selected stay so.
    void showReference(const TranslationStatus *reference);
    // The model row of the list's current row, a missing row's included; -1 when none.
    int currentSourceRow() const;
    // Shows `table` and makes its model row `row` current and selected, in sight; a row the
    // filter hides is shown by clearing the filter.
    void showListRow(StringTable *table, int row);
    // The keyboard in the list, on its current row or else its first.
    void focusList();

    // Where the right button last went down on the list, in pixels; -1 when no press waits.
    int mouseDownX() const { return MouseDownX; }
    int mouseDownY() const { return MouseDownY; }

    // For the file commands: the list hidden behind lvBlank while a load runs, or kept out
    // of reach while a save runs, and the progress bar's hooks.
    void beginLoad();
    void endLoad();
    // lvStrings in its place, lvBlank gone.
    void showList();
    FileOperationHooks fileOperationHooks();
    QWidget *listWidget() const;
    // The title for the open file, with the shown table's name in a document of tables.
    void showTitle();
    void lvStrings_ColumnClick(const QString &caption);
    // What the open (or the import) of the document shown had to say, in the status bar
    // until the next document: a count, and the warnings themselves when the pointer rests
    // on it.
    void showLoadWarnings(const QStringList &warnings);

protected:
    // Form_Unload: every request to close the window comes here.
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpList(QTreeView *list, StringListProxy *proxy, int nameWidth);
    void setUpStatusBar();
    // The Name column's width, the user's where they chose one, and the Value column the rest.
    void fitColumns(int fittedNameWidth);
    void restoreWindowSize();
    void rememberWindowSize();
    void waitUntilExposed();
    void showEntryCount();
    void showDocumentStatus();
    void connectController();
    void documentWasReset();
    void setFileCommandsEnabled(bool enabled);
    void showSortIndicator();
    QString droppedGxtFile(const QMimeData *mime) const;

    // The Strings command that a key pressed in the list runs: Enter and F2 edit the selected
    // row, Delete deletes it; nullptr for every other key.
    QAction *listKeyCommand(const QKeyEvent *key) const;
    void lvStrings_MouseDown(Qt::MouseButton button, const QPoint &position);
    // True when it showed the pop-up menu.
    bool lvStrings_MouseUp(Qt::MouseButton button, const QPoint &position, const QPoint &globalPosition);

    std::unique_ptr<Ui::frmMain> m_ui;
    UserDialogs *m_dialogs;
    SettingsStore *m_settings;
    DocumentController *m_controller;
    StringTableModel *m_model;
    StringListProxy *m_proxy;
    // lvBlank shows an empty model of its own, so that its columns are exactly lvStrings'.
    StringTableModel *m_blankModel;
    StringListProxy *m_blankProxy;
    FileCommands *m_fileCommands;
    StringCommands *m_stringCommands;
    TableCommands *m_tableCommands;
    FindCommands *m_findCommands;
    TranslationCommands *m_translationCommands;
    NumberingCommands *m_numberingCommands;
    QLabel *m_numberingStatus = nullptr;
    QLabel *m_entriesStatus = nullptr;
    QLabel *m_translationStatus = nullptr;
    QLabel *m_tableStatus = nullptr;
    QLabel *m_formatStatus = nullptr;
    QLabel *m_modifiedStatus = nullptr;
    QLabel *m_warningsStatus = nullptr;
    // The Name column's width as the user dragged it (or as a former window left it); 0 while
    // the list fits it to the names.
    int m_chosenNameWidth = 0;
    bool m_fittingColumns = false;
    // While start-up waits for the window to be on the screen.
    QEventLoop *m_exposeWait = nullptr;

    int MouseDownX = -1;
    int MouseDownY = -1;
};

} // namespace quillet
