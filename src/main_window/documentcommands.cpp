#include "documentcommands.h"

#include "codepage.h"
#include "gxtdocument.h"
#include "stringtable.h"

#include <algorithm>

namespace quillet {

EntriesCommand::EntriesCommand(const QString &text, std::vector<EntryChange> changes)
    : DocumentCommand(text)
    , m_changes(std::move(changes))
{
}

bool EntriesCommand::apply(EntryChange &change, bool forwards)
{
    StringTable &table = *change.table;
    const std::optional<StringEntry> &from = forwards ? change.before : change.after;
    const std::optional<StringEntry> &to = forwards ? change.after : change.before;
    if (!from) {
        if (!to)
            return false;
        const int row = change.row < 0 || change.row > table.count() ? table.count() : change.row;
        table.insert(row, *to);
        return true;
    }
    const int row = table.rowOf(from->id);
    if (row < 0)
        return false;
    if (to) {
        table.replace(row, *to);
    } else {
        change.row = row;
        table.take(row);
    }
    return true;
}

void EntriesCommand::redo()
{
    m_touched = {};
    for (EntryChange &change : m_changes) {
        // An entry that is not where the history left it was changed outside the history,
        // and stays as it is.
        if (apply(change, true) && !m_touched.table)
            m_touched = {change.table, change.after ? change.after->id : 0};
    }
}

void EntriesCommand::undo()
{
    m_touched = {};
    // Backwards, so that every deleted entry goes back to the very row it left.
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it)
        apply(*it, false);
    const EntryChange &first = m_changes.front();
    m_touched = {first.table, first.before ? first.before->id : 0};
}

AddTableCommand::AddTableCommand(GxtDocument &document, std::unique_ptr<StringTable> table)
    : DocumentCommand(QStringLiteral("Add Table %1").arg(nameFromBytes(table->name().bytes())))
    , m_document(document)
    , m_table(table.get())
    , m_held(std::move(table))
{
}

AddTableCommand::~AddTableCommand() = default;

void AddTableCommand::redo()
{
    if (!m_held)
        return;
    const int index = m_index > 0 ? m_index : m_document.tableCount();
    m_document.insertTable(index, std::move(m_held));
    m_index = m_document.indexOf(m_table);
    m_touched = {m_table, 0};
}

void AddTableCommand::undo()
{
    const int index = m_document.indexOf(m_table);
    if (index <= 0)
        return;
    m_index = index;
    m_held = m_document.takeTable(index);
    m_touched = {m_document.table(index - 1), 0};
}

RenameTableCommand::RenameTableCommand(GxtDocument &document, StringTable *table, const QString &name)
    : DocumentCommand(QStringLiteral("Rename Table %1").arg(nameFromBytes(table->name().bytes())))
    , m_document(document)
    , m_table(table)
    , m_from(nameFromBytes(table->name().bytes()))
    , m_to(name)
{
}

void RenameTableCommand::rename(const QString &name)
{
    const int index = m_document.indexOf(m_table);
    if (index <= 0)
        return;
    QByteArray bytes;
    if (!nameToBytes(name, bytes))
        return;
    m_document.renameTable(index, RawName::fromBytes(bytes));
    m_touched = {m_table, 0};
}

void RenameTableCommand::redo()
{
    rename(m_to);
}

void RenameTableCommand::undo()
{
    rename(m_from);
}

DeleteTableCommand::DeleteTableCommand(GxtDocument &document, StringTable *table)
    : DocumentCommand(QStringLiteral("Delete Table %1").arg(nameFromBytes(table->name().bytes())))
    , m_document(document)
    , m_table(table)
{
}

DeleteTableCommand::~DeleteTableCommand() = default;

void DeleteTableCommand::redo()
{
    const int index = m_document.indexOf(m_table);
    if (index <= 0)
        return;
    m_index = index;
    m_held = m_document.takeTable(index);
    // The table before it takes its place in the list, as in the file's order.
    m_touched = {m_document.table(index - 1), 0};
}

void DeleteTableCommand::undo()
{
    if (!m_held)
        return;
    m_document.insertTable(m_index, std::move(m_held));
    m_touched = {m_table, 0};
}

} // namespace quillet
