#pragma once

#include "stringentry.h"

#include <QObject>
#include <QString>
#include <QUndoCommand>
#include <QUndoStack>

#include <memory>
#include <optional>
#include <vector>

namespace quillet {

class GxtDocument;
class StringTable;

// A table as the history knows it. Deleting a table and undoing that makes a new
// StringTable object; every command that refers to the table holds this one slot, which
// the table commands point at whichever object holds the table now, and which points
// nowhere while the table is gone.
struct TableSlot {
    StringTable *table = nullptr;
};
using TableHandle = std::shared_ptr<TableSlot>;

// One row's change: nothing before is an added row, nothing after a deleted one.
struct RowEdit {
    TableHandle table;
    std::optional<StringEntry> before;
    std::optional<StringEntry> after;
};

// The Undo and Redo history of one document. Rows have no identity of their own and the
// tables re-sort, so a command finds its rows by content: rows that are equal are
// interchangeable, and whichever is found is the right one.
//
// The document's unsaved mark follows the history: undoing back to what was opened or
// saved leaves nothing to save.
class EditHistory : public QObject
{
    Q_OBJECT

public:
    explicit EditHistory(GxtDocument &document, QObject *parent = nullptr);
    ~EditHistory() override;

    GxtDocument &document() const { return m_document; }
    QUndoStack &stack() { return m_stack; }
    const QUndoStack &stack() const { return m_stack; }

    // The one slot of a table of the document, made on first use.
    TableHandle handle(StringTable *table);
    // A slot made by a command that makes its table.
    void track(const TableHandle &slot);

    void push(QUndoCommand *command) { m_stack.push(command); }
    void undo() { m_stack.undo(); }
    void redo() { m_stack.redo(); }
    // A document opened or started anew: nothing to take back, nothing to save.
    void clear();
    // The texts were shown anew (another numbering, other key names): the commands' texts
    // would no longer find their rows, so the history starts again, and whatever was unsaved
    // stays unsaved.
    void restart();
    // The document was saved.
    void setClean() { m_stack.setClean(); }

    // The table and the row (0: none) that the last command run left its mark on, for the
    // window to show.
    StringTable *touchedTable() const { return m_touchedTable; }
    int touchedPosition() const { return m_touchedPosition; }
    void touch(StringTable *table, int position);

private:
    GxtDocument &m_document;
    QUndoStack m_stack;
    std::vector<std::weak_ptr<TableSlot>> m_slots;
    bool m_restarting = false;
    StringTable *m_touchedTable = nullptr;
    int m_touchedPosition = 0;
};

// Added, edited, deleted and replaced rows, in one or more tables. A command made after
// the change was already written (the editor dialog writes its row) skips its first redo.
class RowsCommand : public QUndoCommand
{
public:
    enum State { ToDo, AlreadyDone };
    RowsCommand(EditHistory &history, const QString &text, std::vector<RowEdit> edits, State state = ToDo);

    void undo() override;
    void redo() override;

private:
    void apply(bool forwards);

    EditHistory &m_history;
    std::vector<RowEdit> m_edits;
    bool m_skipRedo;
};

class AddTableCommand : public QUndoCommand
{
public:
    AddTableCommand(EditHistory &history, const QString &name);
    void undo() override;
    void redo() override;
    // Where the table stands in the document after a redo.
    int index() const { return m_index; }

private:
    EditHistory &m_history;
    TableHandle m_slot;
    QString m_name;
    int m_index = -1;
    std::vector<StringEntry> m_rows;
};

class RenameTableCommand : public QUndoCommand
{
public:
    RenameTableCommand(EditHistory &history, int index, const QString &name);
    void undo() override;
    void redo() override;

private:
    void rename(const QString &name);

    EditHistory &m_history;
    TableHandle m_slot;
    QString m_from;
    QString m_to;
};

class DeleteTableCommand : public QUndoCommand
{
public:
    DeleteTableCommand(EditHistory &history, int index);
    void undo() override;
    void redo() override;

private:
    EditHistory &m_history;
    TableHandle m_slot;
    QString m_name;
    int m_index;
    std::vector<StringEntry> m_rows;
};

// Writes `edits` (all of one table) into `table`: each "before" row found by content
// becomes its "after" row or goes, each row without a "before" is added, and the table is
// put in order once at the end. Returns where the last "after" row stands then, or 0.
int applyRowEdits(StringTable &table, const std::vector<const RowEdit *> &edits, bool forwards);

} // namespace quillet
