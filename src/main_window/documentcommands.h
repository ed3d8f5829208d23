#pragma once

#include "stringentry.h"

#include <QString>
#include <QUndoCommand>

#include <memory>
#include <optional>
#include <vector>

namespace quillet {

class GxtDocument;
class StringTable;

// Where a command left its mark, for the window to show after an undo or a redo: a table,
// and the entry in it to select (0: none).
struct CommandTouch {
    StringTable *table = nullptr;
    EntryId entry = 0;
};

// Every change to a document goes through one of these commands, so that the undo stack
// knows every change and the document's unsaved mark is the stack's clean state. A command
// holds what it changes, finds entries by their identity, and applies its change in redo().
class DocumentCommand : public QUndoCommand
{
public:
    using QUndoCommand::QUndoCommand;
    // After redo() or undo(): what the window shows.
    CommandTouch touched() const { return m_touched; }

protected:
    CommandTouch m_touched;
};

// One entry's change: no `before` is an entry added, no `after` an entry deleted. `row` is
// where in the table's file order an added entry goes (the end when -1); for a deleted one
// the command records where it stood, so that undo puts it back there.
struct EntryChange {
    StringTable *table = nullptr;
    std::optional<StringEntry> before;
    std::optional<StringEntry> after;
    int row = -1;
};

// Added, edited, deleted and replaced entries, in one or more tables, as one step. The
// window shows the first changed entry after it runs.
class EntriesCommand : public DocumentCommand
{
public:
    EntriesCommand(const QString &text, std::vector<EntryChange> changes);

    void redo() override;
    void undo() override;

    const std::vector<EntryChange> &changes() const { return m_changes; }

private:
    // Applies `to` in place of `from` for one change; false when the entry was not where
    // the command expects it (something changed the table outside the history).
    static bool apply(EntryChange &change, bool forwards);

    std::vector<EntryChange> m_changes;
};

class AddTableCommand : public DocumentCommand
{
public:
    AddTableCommand(GxtDocument &document, std::unique_ptr<StringTable> table);
    ~AddTableCommand() override;
    void redo() override;
    void undo() override;
    StringTable *table() const { return m_table; }

private:
    GxtDocument &m_document;
    StringTable *m_table;
    // The table while it is not in the document.
    std::unique_ptr<StringTable> m_held;
    int m_index = -1;
};

class RenameTableCommand : public DocumentCommand
{
public:
    RenameTableCommand(GxtDocument &document, StringTable *table, const QString &name);
    void redo() override;
    void undo() override;

private:
    void rename(const QString &name);

    GxtDocument &m_document;
    StringTable *m_table;
    QString m_from;
    QString m_to;
};

class DeleteTableCommand : public DocumentCommand
{
public:
    DeleteTableCommand(GxtDocument &document, StringTable *table);
    ~DeleteTableCommand() override;
    void redo() override;
    void undo() override;

private:
    GxtDocument &m_document;
    StringTable *m_table;
    std::unique_ptr<StringTable> m_held;
    int m_index = -1;
};

} // namespace quillet
