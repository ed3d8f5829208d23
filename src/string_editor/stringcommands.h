#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quillet {

class StringTable;
class UserDialogs;
class frmStrings;

// The Strings menu's Add, Edit and Delete, for the main window to call from its menu items,
// shortcuts, pop-up menu and double-click. Each Add and Edit works on a newly created
// editor dialog, shown modally over `owner`; the dialog writes the row and reports the
// change itself. Positions count from 1 in the table's current order; 0 means no row is
// selected.
class StringCommands
{
public:
    // `markStringsChanged` sets the main window's StringsChanged.
    StringCommands(StringTable &table, UserDialogs &dialogs, std::function<void()> markStringsChanged);

    // How a prepared dialog is shown: exec() unless replaced. A test puts its own steps here
    // to work the dialog while it is open, without a modal loop of its own.
    using DialogRunner = std::function<void(frmStrings &)>;
    void setDialogRunner(DialogRunner run);

    // Each returns where the written row stands now, or 0 when nothing was written.
    int add(QWidget *owner);
    int edit(QWidget *owner, int selectedPosition);
    // Asks first; true when the row was removed. A removal marks the table as changed.
    bool remove(QWidget *owner, int selectedPosition);

    static QString deleteQuestion(const QString &name);

private:
    bool isRow(int position) const;
    int run(frmStrings &dialog);

    StringTable &m_table;
    UserDialogs &m_dialogs;
    std::function<void()> m_markStringsChanged;
    DialogRunner m_run;
};

} // namespace quillet
