#include "findcommands.h"

#include "documentcommands.h"
#include "documentcontroller.h"
#include "frmfind.h"
#include "frmmain.h"
#include "gxtformat.h"
#include "stringtable.h"
#include "textsearch.h"
#include "userdialogs.h"

#include <QAction>
#include <QMenu>

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

} // namespace

FindCommands::FindCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, QMenu *stringsMenu)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
{
    const auto item = [stringsMenu](const char *name, const QString &text, const QList<QKeySequence> &keys) {
        QAction *action = stringsMenu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        return action;
    };
    stringsMenu->addSeparator()->setObjectName(QStringLiteral("mnuStrings_Sep2"));
    mnuStrings_Undo = item("mnuStrings_Undo", QStringLiteral("&Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    mnuStrings_Redo = item("mnuStrings_Redo", QStringLiteral("&Redo"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    stringsMenu->addSeparator()->setObjectName(QStringLiteral("mnuStrings_Sep3"));
    mnuStrings_Find = item("mnuStrings_Find", QStringLiteral("&Find..."), {QKeySequence(Qt::CTRL | Qt::Key_F)});
    mnuStrings_FindNext = item("mnuStrings_FindNext", QStringLiteral("Find &Next"), {QKeySequence(Qt::Key_F3)});
    mnuStrings_FindPrevious =
        item("mnuStrings_FindPrevious", QStringLiteral("Find &Previous"), {QKeySequence(Qt::SHIFT | Qt::Key_F3)});
    mnuStrings_Replace = item("mnuStrings_Replace", QStringLiteral("Repla&ce..."), {QKeySequence(Qt::CTRL | Qt::Key_H)});

    connect(mnuStrings_Undo, &QAction::triggered, this, &FindCommands::mnuStrings_Undo_Click);
    connect(mnuStrings_Redo, &QAction::triggered, this, &FindCommands::mnuStrings_Redo_Click);
    connect(mnuStrings_Find, &QAction::triggered, this, &FindCommands::mnuStrings_Find_Click);
    connect(mnuStrings_FindNext, &QAction::triggered, this, &FindCommands::mnuStrings_FindNext_Click);
    connect(mnuStrings_FindPrevious, &QAction::triggered, this, &FindCommands::mnuStrings_FindPrevious_Click);
    connect(mnuStrings_Replace, &QAction::triggered, this, &FindCommands::mnuStrings_Replace_Click);

    QUndoStack &stack = m_controller.undoStack();
    for (auto signal : {&QUndoStack::canUndoChanged, &QUndoStack::canRedoChanged})
        connect(&stack, signal, this, &FindCommands::update);
    connect(&stack, &QUndoStack::indexChanged, this, &FindCommands::update);
    update();
}

void FindCommands::update()
{
    const QUndoStack &stack = m_controller.undoStack();
    const bool free = !m_controller.FileOperation();
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

void FindCommands::showTouched(int commandIndex)
{
    const auto *command = dynamic_cast<const DocumentCommand *>(m_controller.undoStack().command(commandIndex));
    if (!command)
        return;
    const CommandTouch touched = command->touched();
    m_window.showEntry(touched.table, touched.entry);
}

void FindCommands::mnuStrings_Undo_Click()
{
    QUndoStack &stack = m_controller.undoStack();
    if (m_controller.FileOperation() || !stack.canUndo())
        return;
    stack.undo();
    // The command taken back is the one the stack's index now stands at.
    showTouched(stack.index());
}

void FindCommands::mnuStrings_Redo_Click()
{
    QUndoStack &stack = m_controller.undoStack();
    if (m_controller.FileOperation() || !stack.canRedo())
        return;
    stack.redo();
    showTouched(stack.index() - 1);
}

void FindCommands::showFindDialog(bool replace)
{
    if (m_controller.FileOperation())
        return;
    if (!m_find) {
        m_find = new frmFind(&m_window);
        connect(m_find, &frmFind::findRequested, this, &FindCommands::findMatch);
        connect(m_find, &frmFind::replaceRequested, this, &FindCommands::replaceSelected);
        connect(m_find, &frmFind::replaceAllRequested, this, &FindCommands::replaceAll);
        connect(m_find, &frmFind::searchChanged, this, &FindCommands::update);
    }
    m_find->showFind(replace);
    update();
}

bool FindCommands::findMatch(bool backwards)
{
    if (m_controller.FileOperation() || !m_find)
        return false;
    const TextSearch search = m_find->search();
    if (search.isEmpty())
        return false;
    if (const QString problem = m_find->searchProblem(); !problem.isEmpty()) {
        m_find->setStatus(problem);
        return false;
    }
    const SearchHit hit =
        findInDocument(m_controller.document(), m_controller.rules(), search, m_window.shownTable(),
                       m_window.selectedEntry(), backwards, [this](int table) { return m_window.listOrder(table); });
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
    m_window.showEntry(m_controller.document().table(hit.table), hit.entry);
    return true;
}

bool FindCommands::refuseReplacement(const StringTable &table, int row, const QString &before, const QString &value)
{
    // Codes first: a broken code is the fault a user cannot see in the list afterwards.
    Result fits = keepsTextCodes(before, value);
    if (fits)
        fits = m_controller.rules().checkValue(value);
    if (fits)
        return false;
    const GxtDocument &document = m_controller.document();
    const QString where = describeEntry(document.format(), document.tableName(document.indexOf(&table)), row + 1,
                                        m_controller.rules().keyText(table.at(row)));
    m_dialogs.message(&m_window, {QStringLiteral("Nothing was replaced: in %1, %2.").arg(where, fits.errorString()),
                                  m_find->windowTitle(), QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok});
    return true;
}

void FindCommands::replaceSelected()
{
    if (m_controller.FileOperation() || !m_find)
        return;
    const TextSearch search = m_find->search();
    if (search.isEmpty() || !search.inValues())
        return;
    const TextMatcher matcher = search.matcher();
    if (!matcher.isValid()) {
        m_find->setStatus(matcher.errorString());
        return;
    }
    StringTable &table = m_window.table();
    const EntryRules &rules = m_controller.rules();
    const int row = table.rowOf(m_window.selectedEntry());
    if (row >= 0) {
        const StringEntry &before = table.at(row);
        const QString value = rules.valueText(before);
        if (matcher.valueMatches(value)) {
            const QString replaced = matcher.replacedIn(value, m_find->replacement());
            if (refuseReplacement(table, row, value, replaced))
                return;
            StringEntry after = before;
            if (rules.encodeValue(replaced, after.units) && !after.sameContent(before)) {
                m_controller.push(new EntriesCommand(QStringLiteral("Replace"), {EntryChange{&table, before, after, -1}}));
                m_window.showEntry(&table, before.id);
            }
        }
    }
    findMatch(false);
}

void FindCommands::replaceAll()
{
    if (m_controller.FileOperation() || !m_find)
        return;
    const TextSearch search = m_find->search();
    if (search.isEmpty() || !search.inValues())
        return;
    const TextMatcher matcher = search.matcher();
    if (!matcher.isValid()) {
        m_find->setStatus(matcher.errorString());
        return;
    }
    const EntryRules &rules = m_controller.rules();
    GxtDocument &document = m_controller.document();
    // Every new value is checked before any is written: one that the document cannot store,
    // or whose codes it would break, stops them all. The first change is the first match in
    // the list's order, which is what an undo selects.
    std::vector<EntryChange> changes;
    for (int t = 0; t < document.tableCount(); ++t) {
        StringTable &table = *document.table(t);
        bool any = false;
        for (int row = 0; row < table.count() && !any; ++row)
            any = matcher.valueMatches(rules.valueText(table.at(row)));
        if (!any)
            continue;
        for (int row : m_window.listOrder(t)) {
            const StringEntry &entry = table.at(row);
            const QString value = rules.valueText(entry);
            if (!matcher.valueMatches(value))
                continue;
            StringEntry after = entry;
            const QString replaced = matcher.replacedIn(value, m_find->replacement());
            if (refuseReplacement(table, row, value, replaced) || !rules.encodeValue(replaced, after.units))
                return;
            if (!after.sameContent(entry))
                changes.push_back(EntryChange{&table, entry, after, -1});
        }
    }
    if (changes.empty()) {
        m_find->setStatus(QStringLiteral("No value holds \"%1\".").arg(search.text));
        return;
    }
    const qsizetype count = qsizetype(changes.size());
    m_controller.push(new EntriesCommand(QStringLiteral("Replace All"), std::move(changes)));
    m_find->setStatus(count == 1 ? QStringLiteral("Replaced 1 value.") : QStringLiteral("Replaced %1 values.").arg(count));
}

} // namespace quillet
