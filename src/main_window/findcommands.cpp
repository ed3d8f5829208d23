// Undo and Redo, Find and Replace: the Strings menu's items for them, and how a search goes
// through the document's tables and a replacement into its values.
#include "frmmain.h"

#include "frmfind.h"
#include "textsearch.h"
#include "userdialogs.h"

#include <QAction>

namespace quillet {

namespace {

// A command's text as a menu shows it: an '&' in an entry's name is no mnemonic.
QString menuText(const QString &verb, const QString &what)
{
    if (what.isEmpty())
        return verb;
    QString shown = what;
    return verb + QLatin1Char(' ') + shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// A table shows in the order the user chose for the last one (see showTable). A search, or
// an undo that shows where it changed a row, goes to a row in that order: in any other,
// the row would move as the table shows.
void orderTablesAs(GxtDocument &document, const StringTable &shown)
{
    for (int t = 0; t < document.tableCount(); ++t) {
        StringTable *table = document.table(t);
        if (table == &shown)
            continue;
        table->setSortKey(shown.sortKey());
        table->setSortOrder(shown.sortOrder());
        table->setSorted(shown.isSorted());
    }
}

} // namespace

void frmMain::setUpEditCommands()
{
    m_commands.setHistory(&m_history);

    const auto item = [this](const char *name, const QString &text, const QList<QKeySequence> &keys) {
        QAction *action = mnuStrings->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        return action;
    };
    mnuStrings->addSeparator()->setObjectName(QStringLiteral("mnuStrings_Sep2"));
    mnuStrings_Undo = item("mnuStrings_Undo", QStringLiteral("&Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    mnuStrings_Redo = item("mnuStrings_Redo", QStringLiteral("&Redo"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuStrings->addSeparator()->setObjectName(QStringLiteral("mnuStrings_Sep3"));
    mnuStrings_Find = item("mnuStrings_Find", QStringLiteral("&Find..."), {QKeySequence(Qt::CTRL | Qt::Key_F)});
    mnuStrings_FindNext = item("mnuStrings_FindNext", QStringLiteral("Find &Next"), {QKeySequence(Qt::Key_F3)});
    mnuStrings_FindPrevious =
        item("mnuStrings_FindPrevious", QStringLiteral("Find &Previous"), {QKeySequence(Qt::SHIFT | Qt::Key_F3)});
    mnuStrings_Replace = item("mnuStrings_Replace", QStringLiteral("Re&place..."), {QKeySequence(Qt::CTRL | Qt::Key_H)});

    connect(mnuStrings_Undo, &QAction::triggered, this, &frmMain::mnuStrings_Undo_Click);
    connect(mnuStrings_Redo, &QAction::triggered, this, &frmMain::mnuStrings_Redo_Click);
    connect(mnuStrings_Find, &QAction::triggered, this, &frmMain::mnuStrings_Find_Click);
    connect(mnuStrings_FindNext, &QAction::triggered, this, &frmMain::mnuStrings_FindNext_Click);
    connect(mnuStrings_FindPrevious, &QAction::triggered, this, &frmMain::mnuStrings_FindPrevious_Click);
    connect(mnuStrings_Replace, &QAction::triggered, this, &frmMain::mnuStrings_Replace_Click);

    QUndoStack &stack = m_history.stack();
    for (auto signal : {&QUndoStack::canUndoChanged, &QUndoStack::canRedoChanged})
        connect(&stack, signal, this, &frmMain::updateEditCommands);
    connect(&stack, &QUndoStack::indexChanged, this, &frmMain::updateEditCommands);
    // Texts shown anew no longer read as the history recorded them.
    connect(&m_document, &GxtDocument::redisplayed, &m_history, &EditHistory::restart);
    updateEditCommands();
}

void frmMain::updateEditCommands()
{
    const QUndoStack &stack = m_history.stack();
    const bool free = !FileOperation;
    mnuStrings_Undo->setEnabled(free && stack.canUndo());
    mnuStrings_Undo->setText(menuText(QStringLiteral("&Undo"), stack.canUndo() ? stack.undoText() : QString()));
    mnuStrings_Redo->setEnabled(free && stack.canRedo());
    mnuStrings_Redo->setText(menuText(QStringLiteral("&Redo"), stack.canRedo() ? stack.redoText() : QString()));
    mnuStrings_Find->setEnabled(free);
    mnuStrings_Replace->setEnabled(free);
    const bool searchText = m_find && !m_find->search().isEmpty();
    mnuStrings_FindNext->setEnabled(free && searchText);
    mnuStrings_FindPrevious->setEnabled(free && searchText);
    if (m_find)
        m_find->setEnabled(free);
}

void frmMain::showTouched()
{
    const int index = m_document.indexOfTable(m_history.touchedTable());
    if (index < 0)
        return;
    showTable(index);
    selectPosition(m_history.touchedPosition());
}

void frmMain::mnuStrings_Undo_Click()
{
    if (FileOperation || !m_history.stack().canUndo())
        return;
    orderTablesAs(m_document, *m_table);
    m_history.undo();
    showTouched();
}

void frmMain::mnuStrings_Redo_Click()
{
    if (FileOperation || !m_history.stack().canRedo())
        return;
    orderTablesAs(m_document, *m_table);
    m_history.redo();
    showTouched();
}

void frmMain::showFindDialog(bool replace)
{
    if (FileOperation)
        return;
    if (!m_find) {
        m_find = new frmFind(this);
        connect(m_find, &frmFind::findRequested, this, &frmMain::findMatch);
        connect(m_find, &frmFind::replaceRequested, this, &frmMain::replaceSelected);
        connect(m_find, &frmFind::replaceAllRequested, this, &frmMain::replaceAll);
        connect(m_find, &frmFind::searchChanged, this, &frmMain::updateEditCommands);
    }
    m_find->showFind(replace);
    updateEditCommands();
}

void frmMain::mnuStrings_Find_Click()
{
    showFindDialog(false);
}

void frmMain::mnuStrings_Replace_Click()
{
    showFindDialog(true);
}

void frmMain::mnuStrings_FindNext_Click()
{
    findMatch(false);
}

void frmMain::mnuStrings_FindPrevious_Click()
{
    findMatch(true);
}

bool frmMain::findMatch(bool backwards)
{
    if (FileOperation || !m_find)
        return false;
    const TextSearch search = m_find->search();
    if (search.isEmpty())
        return false;
    orderTablesAs(m_document, *m_table);
    const SearchHit hit = findInDocument(m_document, search, shownTable(), selectedPosition(), backwards);
    if (!hit) {
        m_find->setStatus(QStringLiteral("Cannot find \"%1\".").arg(search.text));
        // F3 from the window: the answer is in the dialog, so the dialog shows.
        if (!m_find->isVisible())
            m_find->showFind(m_find->replacing());
        return false;
    }
    m_find->setStatus(!hit.wrapped ? QString()
                      : backwards  ? QStringLiteral("Passed the start and went on from the end.")
                                   : QStringLiteral("Passed the end and went on from the start."));
    showTable(hit.table);
    selectPosition(hit.position);
    return true;
}

bool frmMain::refuseReplacement(int table, int position, const QString &value)
{
    const Result fits = m_document.rules().checkValue(value);
    if (fits)
        return false;
    const QString where = describeEntry(m_document.layout(), m_document.tableName(table), position,
                                        m_document.table(table)->name(position));
    m_dialogs->message(this, {QStringLiteral("Nothing was replaced: in %1, %2.").arg(where, fits.errorString()),
                              m_find->windowTitle(), QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok});
    return true;
}

void frmMain::replaceSelected()
{
    if (FileOperation || !m_find)
        return;
    const TextSearch search = m_find->search();
    if (search.isEmpty() || !search.inValues())
        return;
    const int position = selectedPosition();
    if (position > 0 && search.valueMatches(m_table->value(position))) {
        const StringEntry before = m_table->entry(position);
        const StringEntry after{before.name, search.replacedIn(before.value, m_find->replacement())};
        if (refuseReplacement(shownTable(), position, after.value))
            return;
        if (after != before) {
            m_history.push(new RowsCommand(m_history, QStringLiteral("Replace"),
                                           {{m_history.handle(m_table), before, after}}));
            selectPosition(m_history.touchedPosition());
        }
    }
    findMatch(false);
}

void frmMain::replaceAll()
{
    if (FileOperation || !m_find)
        return;
    const TextSearch search = m_find->search();
    if (search.isEmpty() || !search.inValues())
        return;
    // Every new value is checked before any is written: one that the document cannot store
    // stops them all.
    std::vector<RowEdit> edits;
    for (int t = 0; t < m_document.tableCount(); ++t) {
        const StringTable &table = *m_document.table(t);
        TableHandle slot;
        for (int position = 1; position <= table.count(); ++position) {
            const StringEntry &row = table.entry(position);
            if (!search.valueMatches(row.value))
                continue;
            const StringEntry after{row.name, search.replacedIn(row.value, m_find->replacement())};
            if (after == row)
                continue;
            if (refuseReplacement(t, position, after.value))
                return;
            if (!slot)
                slot = m_history.handle(m_document.table(t));
            edits.push_back({slot, row, after});
        }
    }
    if (edits.empty()) {
        m_find->setStatus(QStringLiteral("No value holds \"%1\".").arg(search.text));
        return;
    }
    const qsizetype count = qsizetype(edits.size());
    m_history.push(new RowsCommand(m_history, QStringLiteral("Replace All"), std::move(edits)));
    m_find->setStatus(count == 1 ? QStringLiteral("Replaced 1 value.") : QStringLiteral("Replaced %1 values.").arg(count));
}

} // namespace quillet
