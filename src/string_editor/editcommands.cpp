#include "editcommands.h"

#include "gxtdocument.h"
#include "stringtable.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace quillet {

EditHistory::EditHistory(GxtDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
    // cleanChanged comes after the command's own changes, which have marked the document
    // as changed; the history then has the last word.
    connect(&m_stack, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (!m_restarting)
            m_document.setModified(!clean);
    });
    // A table that goes leaves its slot empty: a later table may well be made at the same
    // address, and must not be taken for it.
    connect(&m_document, &GxtDocument::tableAboutToBeRemoved, this, [this](int index) {
        const StringTable *gone = m_document.table(index);
        for (const std::weak_ptr<TableSlot> &weak : m_slots) {
            if (const TableHandle slot = weak.lock(); slot && slot->table == gone)
                slot->table = nullptr;
        }
        if (m_touchedTable == gone)
            touch(nullptr, 0);
    });
}

EditHistory::~EditHistory()
{
    // The stack empties itself as it goes; whoever listens to it may be going too.
    m_stack.blockSignals(true);
}

TableHandle EditHistory::handle(StringTable *table)
{
    std::erase_if(m_slots, [](const std::weak_ptr<TableSlot> &slot) { return slot.expired(); });
    for (const std::weak_ptr<TableSlot> &weak : m_slots) {
        if (TableHandle slot = weak.lock(); slot->table == table)
            return slot;
    }
    auto slot = std::make_shared<TableSlot>(TableSlot{table});
    m_slots.push_back(slot);
    return slot;
}

void EditHistory::track(const TableHandle &slot)
{
    m_slots.push_back(slot);
}

void EditHistory::clear()
{
    m_stack.clear();
    m_stack.setClean();
    touch(nullptr, 0);
}

void EditHistory::restart()
{
    m_restarting = true;
    const bool unsaved = m_document.isModified();
    m_stack.clear();
    // No state of the new history is the saved one.
    if (unsaved)
        m_stack.resetClean();
    m_restarting = false;
    touch(nullptr, 0);
}

void EditHistory::touch(StringTable *table, int position)
{
    m_touchedTable = table;
    m_touchedPosition = position;
}

int applyRowEdits(StringTable &table, const std::vector<const RowEdit *> &edits, bool forwards)
{
    const auto from = [forwards](const RowEdit *edit) -> const std::optional<StringEntry> & {
        return forwards ? edit->before : edit->after;
    };
    const auto to = [forwards](const RowEdit *edit) -> const std::optional<StringEntry> & {
        return forwards ? edit->after : edit->before;
    };
    // A row written unsorted stays where it is; the table is put in order once, at the end.
    const bool sorted = table.isSorted();
    table.setSorted(false);

    QHash<std::pair<QString, QString>, QList<const RowEdit *>> wanted;
    for (const RowEdit *edit : edits) {
        if (const std::optional<StringEntry> &row = from(edit))
            wanted[{row->name, row->value}].append(edit);
    }
    // From the end, so that a removed row moves none of those still to be looked at.
    for (int position = table.count(); position >= 1 && !wanted.isEmpty(); --position) {
        const StringEntry &row = table.entry(position);
        const auto found = wanted.find({row.name, row.value});
        if (found == wanted.end())
            continue;
        const RowEdit *edit = found->takeLast();
        if (found->isEmpty())
            wanted.erase(found);
        if (const std::optional<StringEntry> &next = to(edit))
            table.setEntry(position, *next);
        else
            table.removeRow(position);
    }
    // Whatever is left in `wanted` was changed outside the history since; it stays as it is.
    for (const RowEdit *edit : edits) {
        if (!from(edit) && to(edit))
            table.addRow(*to(edit));
    }

    int position = 0;
    const auto follow = QObject::connect(&table, &StringTable::reordered, [&position](const QList<int> &newRowOfOld) {
        position = newRowOfOld.value(position - 1, position - 1) + 1;
    });
    if (!edits.empty() && to(edits.back())) {
        const StringEntry &last = *to(edits.back());
        const auto &rows = table.rows();
        const auto it = std::find(rows.cbegin(), rows.cend(), last);
        position = it == rows.cend() ? 0 : int(it - rows.cbegin()) + 1;
    }
    table.setSorted(sorted);
    QObject::disconnect(follow);
    return position;
}

RowsCommand::RowsCommand(EditHistory &history, const QString &text, std::vector<RowEdit> edits, State state)
    : QUndoCommand(text)
    , m_history(history)
    , m_edits(std::move(edits))
    , m_skipRedo(state == AlreadyDone)
{
}

void RowsCommand::undo()
{
    apply(false);
}

void RowsCommand::redo()
{
    if (m_skipRedo) {
        m_skipRedo = false;
        return;
    }
    apply(true);
}

void RowsCommand::apply(bool forwards)
{
    // Table by table, in the order they come first.
    std::vector<TableHandle> tables;
    for (const RowEdit &edit : m_edits) {
        if (std::find(tables.cbegin(), tables.cend(), edit.table) == tables.cend())
            tables.push_back(edit.table);
    }
    m_history.touch(nullptr, 0);
    for (const TableHandle &slot : tables) {
        std::vector<const RowEdit *> edits;
        for (const RowEdit &edit : m_edits) {
            if (edit.table == slot)
                edits.push_back(&edit);
        }
        if (!slot->table)
            continue;
        const int position = applyRowEdits(*slot->table, edits, forwards);
        if (!m_history.touchedTable())
            m_history.touch(slot->table, m_edits.size() == 1 ? position : 0);
    }
}

AddTableCommand::AddTableCommand(EditHistory &history, const QString &name)
    : QUndoCommand(QStringLiteral("Add Table %1").arg(name))
    , m_history(history)
    , m_slot(std::make_shared<TableSlot>())
    , m_name(name)
{
    m_history.track(m_slot);
}

void AddTableCommand::redo()
{
    GxtDocument &document = m_history.document();
    m_index = document.addTable(m_name, std::move(m_rows), m_index);
    m_rows.clear();
    m_slot->table = document.table(m_index);
    m_history.touch(m_slot->table, 0);
}

void AddTableCommand::undo()
{
    GxtDocument &document = m_history.document();
    const int index = document.indexOfTable(m_slot->table);
    if (index <= 0)
        return;
    // Whatever was added to it since has been taken back already; the rows are kept all
    // the same, should anything else have put rows there.
    m_rows = document.removeTable(index);
    m_history.touch(document.table(index - 1), 0);
}

RenameTableCommand::RenameTableCommand(EditHistory &history, int index, const QString &name)
    : QUndoCommand(QStringLiteral("Rename Table %1").arg(history.document().tableName(index)))
    , m_history(history)
    , m_slot(history.handle(history.document().table(index)))
    , m_from(history.document().tableName(index))
    , m_to(name)
{
}

void RenameTableCommand::rename(const QString &name)
{
    GxtDocument &document = m_history.document();
    const int index = document.indexOfTable(m_slot->table);
    if (index <= 0)
        return;
    document.renameTable(index, name);
    m_history.touch(m_slot->table, 0);
}

void RenameTableCommand::undo()
{
    rename(m_from);
}

void RenameTableCommand::redo()
{
    rename(m_to);
}

DeleteTableCommand::DeleteTableCommand(EditHistory &history, int index)
    : QUndoCommand(QStringLiteral("Delete Table %1").arg(history.document().tableName(index)))
    , m_history(history)
    , m_slot(history.handle(history.document().table(index)))
    , m_name(history.document().tableName(index))
    , m_index(index)
{
}

void DeleteTableCommand::redo()
{
    GxtDocument &document = m_history.document();
    const int index = document.indexOfTable(m_slot->table);
    if (index <= 0)
        return;
    m_index = index;
    m_rows = document.removeTable(index);
    m_history.touch(document.table(index - 1), 0);
}

void DeleteTableCommand::undo()
{
    GxtDocument &document = m_history.document();
    // A new object holds the table now; the slot, which every command about this table
    // shares, follows it.
    m_index = document.addTable(m_name, std::move(m_rows), m_index);
    m_rows.clear();
    m_slot->table = document.table(m_index);
    m_history.touch(m_slot->table, 0);
}

} // namespace quillet
