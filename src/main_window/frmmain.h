#pragma once

#include "editcommands.h"
#include "gxtdocument.h"
#include "gxtdocumentfile.h"
#include "layoutsettings.h"
#include "stringcommands.h"
#include "stringtable.h"
#include "stringtablemodel.h"
#include "ui_frmmain.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <optional>

class QActionGroup;
class QKeyEvent;
class QMimeData;

namespace quillet {

class RecentFilesMenu;
class SettingsStore;
class UserDialogs;
class frmFind;
class frmTables;

// The editor's one document window. It owns the open table, shows it in `lvStrings`, runs
// the File commands around the core's LoadGxt and SaveGxt, and asks before a change is
// lost. Its controls and menu items are the members of Ui::frmMain, by their own names.
//
// Loading and saving run on this thread and let events through every 50 entries; what
// keeps those events away from the table is `FileOperation`, the disabled menus and their
// commands, and the list being hidden (load) or disabled (save) meanwhile.
class frmMain : public QMainWindow, public Ui::frmMain
{
    Q_OBJECT

public:
    // Every message box and file dialog goes through `dialogs`; the remembered folder lives
    // in `settings`. Both must outlive the window.
    frmMain(UserDialogs *dialogs, SettingsStore *settings, QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: shows the window, then opens the file that the command line's argument
    // names, or starts an untitled table.
    void Form_Load(const QString &argument);

    // The open document, and the one of its tables that the list shows.
    GxtDocument &document() { return m_document; }
    const GxtDocument &document() const { return m_document; }
    StringTable &table() { return *m_table; }
    const StringTable &table() const { return *m_table; }
    // Shows the document's table at `index`: the list, the commands and the title follow;
    // the sort column and direction stay, and nothing is selected.
    void showTable(int index);
    int shownTable() const { return m_document.indexOfTable(m_table); }
    // How the Go to Table dialog is shown: exec() unless a test replaces it.
    using TablesDialogRunner = std::function<void(frmTables &)>;
    void setTablesDialogRunner(TablesDialogRunner run) { m_runTablesDialog = std::move(run); }
    // The file the table belongs to; empty while the table is untitled.
    QString currentFile() const { return CurrentFile; }
    // Where the right button last went down on the list, in pixels; -1 when no press waits.
    int mouseDownX() const { return MouseDownX; }
    int mouseDownY() const { return MouseDownY; }
    // The Add, Edit and Delete commands; tests replace how their dialog is run.
    StringCommands &stringCommands() { return m_commands; }
    // The selected row's position, counted from 1; 0 when no row is selected.
    int selectedPosition() const;
    // Undo and Redo of the open document.
    EditHistory &history() { return m_history; }
    // The Find and Replace dialog; null until Find or Replace first shows it.
    frmFind *findDialog() const { return m_find; }

    // The Strings menu's Undo, Redo, Find and Replace items, made in findcommands.cpp.
    QAction *mnuStrings_Undo = nullptr;
    QAction *mnuStrings_Redo = nullptr;
    QAction *mnuStrings_Find = nullptr;
    QAction *mnuStrings_FindNext = nullptr;
    QAction *mnuStrings_FindPrevious = nullptr;
    QAction *mnuStrings_Replace = nullptr;

    // True when the document has changed since it was opened or saved; it follows the
    // document's own record of its changes.
    bool StringsChanged = false;
    // True while a load or a save runs.
    bool FileOperation = false;

public Q_SLOTS:
    void mnuFile_New_Click();
    void mnuFile_Open_Click();
    // True when the table was written.
    bool mnuFile_Save_Click();
    void mnuFile_SaveAs_Click();
    void mnuFile_Exit_Click();
    void mnuFile_KeyNames_Click();
    void mnuFile_Numbering_Windows1252_Click();
    void mnuFile_Numbering_Western_Click();
    void mnuFile_Numbering_FromFile_Click();
    void mnuTables_GoTo_Click();
    void mnuTables_Next_Click();
    void mnuTables_Previous_Click();
    void mnuTables_Add_Click();
    void mnuTables_Rename_Click();
    void mnuTables_Delete_Click();
    // One of the File menu's recent files, by its path.
    void mnuFile_Recent_Click(const QString &path);
    void mnuStrings_Add_Click();
    void mnuStrings_Edit_Click();
    void mnuStrings_Delete_Click();
    void mnuStrings_Undo_Click();
    void mnuStrings_Redo_Click();
    void mnuStrings_Find_Click();
    void mnuStrings_FindNext_Click();
    void mnuStrings_FindPrevious_Click();
    void mnuStrings_Replace_Click();
    void lvStrings_ColumnClick(const QString &caption);

protected:
    // Form_Unload: every request to close the window comes here.
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpList(QTreeView *list, StringTableModel *model, int nameWidth);
    void connectCommands();
    FileOperationHooks fileOperationHooks();
    void setFileCommandsEnabled(bool enabled);
    // The Tables menu is there only for a document of tables, and MAIN stays.
    void updateTablesMenu();
    void showNumberingChoice();
    LoadOptions loadOptions();
    void applyNumbering(const QString &choice);
    // A table name typed by the user, checked; nothing when cancelled.
    std::optional<QString> askTableName(const QString &title, const QString &proposed, int except);

    bool OpenGxtFile(const QString &path);
    bool PromptSaveChanges();
    void SetWindowTitle(const QString &path);
    // The title for the open file, with the shown table's name in a document of tables.
    void showTitle();
    QString askForSavePath();
    bool writeTable(const QString &path);
    void tellFailure(const QString &text);
    QString droppedGxtFile(const QMimeData *mime) const;

    // The Strings command that a key pressed in the list runs: Enter and F2 edit the selected
    // row, Delete deletes it; nullptr for every other key.
    QAction *listKeyCommand(const QKeyEvent *key) const;
    void lvStrings_MouseDown(Qt::MouseButton button, const QPoint &position);
    // True when it showed the pop-up menu.
    bool lvStrings_MouseUp(Qt::MouseButton button, const QPoint &position, const QPoint &globalPosition);
    void showSortIndicator();
    void selectPosition(int position);

    // Undo, Redo, Find and Replace (findcommands.cpp).
    void setUpEditCommands();
    void updateEditCommands();
    void showFindDialog(bool replace);
    // Shows the table and row that the last Undo or Redo changed.
    void showTouched();
    // True when it selected a match.
    bool findMatch(bool backwards);
    void replaceSelected();
    void replaceAll();
    // True, after saying why, when `value` cannot go into the entry at `position`.
    bool refuseReplacement(int table, int position, const QString &value);

    UserDialogs *m_dialogs;
    SettingsStore *m_settings;
    LayoutSettings m_layoutSettings;
    // The name list for hashed keys, read from the remembered file when first needed.
    std::optional<KeyNames> m_keyNames;
    QActionGroup *m_numberingGroup = nullptr;
    TablesDialogRunner m_runTablesDialog;
    GxtDocument m_document;
    StringTable *m_table;
    StringTableModel m_model;
    QMetaObject::Connection m_sortIndicatorFollows;
    // lvBlank shows an empty table of its own, so that its columns are exactly lvStrings'.
    StringTable m_blankTable;
    StringTableModel m_blankModel;
    StringCommands m_commands;
    RecentFilesMenu *m_recentFiles = nullptr; // owned by mnuFile
    EditHistory m_history;
    frmFind *m_find = nullptr;

    QString CurrentFile;
    int MouseDownX = -1;
    int MouseDownY = -1;
};

} // namespace quillet
