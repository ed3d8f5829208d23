#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace quillet {

class DocumentController;
class StringTable;
class UserDialogs;
class frmFind;
class frmMain;

// The Strings menu's Undo, Redo, Find and Replace: the items for them, and how a search goes
// through the document's tables in the list's order and a replacement into its values. Undo
// and Redo show the entry the command changed.
class FindCommands : public QObject
{
    Q_OBJECT

public:
    // The items go at the end of `stringsMenu`.
    FindCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, QMenu *stringsMenu);

    // The Find and Replace dialog; null until Find or Replace first shows it.
    frmFind *findDialog() const { return m_find; }
    // Undo, Redo and Find Next usable only where there is something to take back or look for.
    void update();

    QAction *mnuStrings_Undo;
    QAction *mnuStrings_Redo;
    QAction *mnuStrings_Find;
    QAction *mnuStrings_FindNext;
    QAction *mnuStrings_FindPrevious;
    QAction *mnuStrings_Replace;

public Q_SLOTS:
    void mnuStrings_Undo_Click();
    void mnuStrings_Redo_Click();
    void mnuStrings_Find_Click() { showFindDialog(false); }
    void mnuStrings_FindNext_Click() { findMatch(false); }
    void mnuStrings_FindPrevious_Click() { findMatch(true); }
    void mnuStrings_Replace_Click() { showFindDialog(true); }

private:
    void showFindDialog(bool replace);
    // Shows where the command last run or taken back left its mark.
    void showTouched(int commandIndex);
    // True when it selected a match.
    bool findMatch(bool backwards);
    void replaceSelected();
    void replaceAll();
    // True, after saying why, when `value` cannot take the place of `before` in the entry at
    // `row` of `table`: the document cannot store it, or it breaks the entry's text codes.
    bool refuseReplacement(const StringTable &table, int row, const QString &before, const QString &value);

    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    frmFind *m_find = nullptr;
};

} // namespace quillet
