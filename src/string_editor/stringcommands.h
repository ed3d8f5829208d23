#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quillet {

class EditHistory;
class GxtDocument;
class StringTable;
class UserDialogs;
class frmStrings;

// The Strings menu's Add, Edit and Delete, for the main window to call from its menu items,
// shortcuts, pop-up menu and double-click. Each Add and Edit works on a newly created
// editor dialog, shown modally over `owner`; the dialog writes the row, and the document
// notices the change. They work on the table the window shows. Positions count from 1 in
// that table's current order; 0 means no row is selected.
class StringCommands
{
public:
    // Works on `document`'s table 0 until setTable() names another.
    StringCommands(GxtDocument &document, UserDialogs &dialogs);
    void setTable(StringTable *table) { m_table = table; }
    StringTable &table() const { return *m_table; }
    // Where Add, Edit and Delete are recorded for Undo; without one they only write.
    void setHistory(EditHistory *history) { m_history = history; }

    // How a prepared dialog is shown: exec() unless replaced. A test puts its own steps here
    // to work the dialog while it is open, without a modal loop of its own.
    using DialogRunner = std::function<void(frmStrings &)>;
    void setDialogRunner(DialogRunner run);

    // Each returns where the written row stands now, or 0 when nothing was written.
    int add(QWidget *owner);
    int edit(QWidget *owner, int selectedPosition);
    // Asks first; true when the row was removed.
    bool remove(QWidget *owner, int selectedPosition);

    static QString deleteQuestion(const QString &name);

private:
    bool isRow(int position) const;
    int run(frmStrings &dialog);

    GxtDocument &m_document;
    StringTable *m_table;
    UserDialogs &m_dialogs;
    DialogRunner m_run;
    EditHistory *m_history = nullptr;
};

} // namespace quillet
