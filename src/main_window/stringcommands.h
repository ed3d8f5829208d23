#pragma once

#include "result.h"
#include "stringentry.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace quillet {

class DocumentController;
class EntryRules;
class SettingsStore;
class StringTable;
class UserDialogs;
class frmMain;
class frmStrings;

// The Strings menu's Add, Edit and Delete, reached from the menu items, their shortcuts, the
// pop-up menu, the list's keys and a double-click, and the Edit menu's Copy and Paste. Each
// works on the table the window shows: Edit on its selected entry, Delete and Copy on every
// selected one. Add and Edit show a newly created editor dialog modally over the window (at
// the size the user last left it) and hand what it commits to a command, which the history
// keeps; a Delete or a Paste of many entries is one command.
//
// The clipboard holds entries in the txt text form of a flat file, "[NAME]" and the value on
// the next line, whatever the document's layout: what the tool's export writes, readable in
// any text editor, and what Paste reads back into any table.
class StringCommands : public QObject
{
    Q_OBJECT

public:
    StringCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, SettingsStore &settings);

    // How a prepared dialog is shown: exec() unless replaced. A test puts its own steps here
    // to work the dialog while it is open, without a modal loop of its own.
    using DialogRunner = std::function<void(frmStrings &)>;
    void setDialogRunner(DialogRunner run);

    // Each returns the entry written, or 0 when nothing was. Edit on a row of a missing
    // entry fills it in.
    EntryId add();
    EntryId edit();
    // Strings, "Add Missing Entry": the reference's entry on the list's current row, which the
    // table lacks, added under its key with the editor dialog prefilled with the reference's
    // text and showing it; one step in the history.
    EntryId addMissing();
    // Asks first; true when the entries were deleted.
    bool remove();
    // The selected entries onto the clipboard; false when none is selected or they have no
    // text form (a name with a line break), which is then said.
    bool copy();
    // The clipboard's entries into the table shown, asking once about names the table holds
    // already; the entries pasted, none when nothing was.
    std::vector<EntryId> paste();

    static QString deleteQuestion(const QString &name);
    static QString deleteQuestion(int count);
    // The text form of `entries`, as Copy puts it on the clipboard.
    static QByteArray clipboardText(const std::vector<StringEntry> &entries, const EntryRules &rules,
                                    QString *error = nullptr);

public Q_SLOTS:
    void mnuStrings_Add_Click() { add(); }
    void mnuStrings_Edit_Click() { edit(); }
    void mnuStrings_AddMissing_Click() { addMissing(); }
    void mnuStrings_Delete_Click() { remove(); }
    void mnuEdit_Copy_Click() { copy(); }
    void mnuEdit_Paste_Click() { paste(); }

private:
    // Shows the dialog at the remembered size, runs it, and remembers the size it was left at.
    void run(frmStrings &dialog);
    // The entry's text in the reference, above the value, where there is one.
    void showReference(frmStrings &dialog, const StringTable &table, const StringEntry &entry);
    // The clipboard's text as entries of the table shown, encoded by the document's rules.
    Result readPasted(const QString &text, std::vector<StringEntry> &entries) const;
    void tell(const QString &text, int icon);

    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    SettingsStore &m_settings;
    DialogRunner m_run;
};

} // namespace quillet
