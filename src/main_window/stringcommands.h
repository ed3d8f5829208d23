#pragma once

#include "stringentry.h"

#include <QObject>
#include <QString>

#include <functional>

namespace quillet {

class DocumentController;
class UserDialogs;
class frmMain;
class frmStrings;

// The Strings menu's Add, Edit and Delete, reached from the menu items, their shortcuts, the
// pop-up menu, the list's keys and a double-click. Each works on the table the window shows
// and its selected entry; Add and Edit show a newly created editor dialog modally over the
// window and hand what it commits to a command, which the history keeps.
class StringCommands : public QObject
{
    Q_OBJECT

public:
    StringCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs);

    // How a prepared dialog is shown: exec() unless replaced. A test puts its own steps here
    // to work the dialog while it is open, without a modal loop of its own.
    using DialogRunner = std::function<void(frmStrings &)>;
    void setDialogRunner(DialogRunner run);

    // Each returns the entry written, or 0 when nothing was.
    EntryId add();
    EntryId edit();
    // Asks first; true when the entry was deleted.
    bool remove();

    static QString deleteQuestion(const QString &name);

public Q_SLOTS:
    void mnuStrings_Add_Click() { add(); }
    void mnuStrings_Edit_Click() { edit(); }
    void mnuStrings_Delete_Click() { remove(); }

private:
    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    DialogRunner m_run;
};

} // namespace quillet
