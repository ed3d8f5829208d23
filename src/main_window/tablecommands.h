#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;

namespace quillet {

class DocumentController;
class UserDialogs;
class frmMain;
class frmTables;

// The Tables menu of a document of tables: moving between tables, and adding, renaming and
// deleting them. MAIN, which every such file lists first, can be neither renamed nor deleted.
class TableCommands : public QObject
{
    Q_OBJECT

public:
    TableCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, QMenu *tablesMenu,
                  QAction *renameItem, QAction *deleteItem);

    // How the Go to Table dialog is shown: exec() unless a test replaces it.
    using TablesDialogRunner = std::function<void(frmTables &)>;
    void setTablesDialogRunner(TablesDialogRunner run) { m_runTablesDialog = std::move(run); }

    // The menu is there only for a document of tables, its items usable only when no file
    // operation runs, and MAIN stays.
    void update();

public Q_SLOTS:
    void mnuTables_GoTo_Click();
    void mnuTables_Next_Click();
    void mnuTables_Previous_Click();
    void mnuTables_Add_Click();
    void mnuTables_Rename_Click();
    void mnuTables_Delete_Click();

private:
    bool usable() const;
    // A table name typed by the user, checked; nothing when cancelled.
    std::optional<QString> askTableName(const QString &title, const QString &proposed, int except);

    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    QMenu *m_menu;
    QAction *m_rename;
    QAction *m_delete;
    TablesDialogRunner m_runTablesDialog;
};

} // namespace quillet
