#include "tablecommands.h"

#include "codepage.h"
#include "documentcommands.h"
#include "documentcontroller.h"
#include "frmmain.h"
#include "frmtables.h"
#include "gxtformat.h"
#include "stringtable.h"
#include "userdialogs.h"

#include <QAction>
#include <QMenu>

namespace quillet {

TableCommands::TableCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, QMenu *tablesMenu,
                             QAction *renameItem, QAction *deleteItem)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
    , m_menu(tablesMenu)
    , m_rename(renameItem)
    , m_delete(deleteItem)
    , m_runTablesDialog([](frmTables &dialog) { dialog.exec(); })
{
}

bool TableCommands::usable() const
{
    return m_controller.document().hasTables() && !m_controller.FileOperation();
}

void TableCommands::update()
{
    const bool tables = m_controller.document().hasTables();
    m_menu->menuAction()->setVisible(tables);
    // A hidden menu keeps its items' shortcuts alive; while a file operation runs, or for a
    // flat file, they go too.
    const bool enabled = usable();
    m_menu->menuAction()->setEnabled(enabled);
    m_menu->setEnabled(enabled);
    const bool notMain = m_window.shownTable() > 0;
    for (QAction *item : m_menu->actions())
        item->setEnabled(enabled && (notMain || (item != m_rename && item != m_delete)));
}

std::optional<QString> TableCommands::askTableName(const QString &title, const QString &proposed, int except)
{
    const NameRule &rule = m_controller.document().format().tableRule();
    QString text = proposed;
    for (;;) {
        const std::optional<QString> answer = m_dialogs.askText(&m_window, {title, QStringLiteral("Table name:"), text});
        if (!answer)
            return std::nullopt;
        const QString name = answer->trimmed().toUpper();
        QString problem;
        if (rule.checkTyped(name) != NameRule::Typed::Acceptable) {
            problem = QStringLiteral("A table's name is 1 to %1 characters of A to Z, 0 to 9 and _.").arg(rule.typedLength);
        } else if (const Result fits = m_controller.document().checkTableName(name, except); !fits) {
            const QString reason = fits.errorString();
            problem = reason.left(1).toUpper() + reason.mid(1) + QLatin1Char('.');
        }
        if (problem.isEmpty())
            return name;
        m_dialogs.message(&m_window, {problem, title, QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok});
        text = *answer;
    }
}

void TableCommands::mnuTables_GoTo_Click()
{
    if (!usable())
        return;
    frmTables dialog(m_controller.document(), m_window.shownTable(), &m_window);
    m_runTablesDialog(dialog);
    if (dialog.result() == QDialog::Accepted && dialog.chosenTable() >= 0)
        m_window.showTable(dialog.chosenTable());
}

void TableCommands::mnuTables_Next_Click()
{
    if (!usable())
        return;
    m_window.showTable((m_window.shownTable() + 1) % m_controller.document().tableCount());
}

void TableCommands::mnuTables_Previous_Click()
{
    if (!usable())
        return;
    const int count = m_controller.document().tableCount();
    m_window.showTable((m_window.shownTable() + count - 1) % count);
}

void TableCommands::mnuTables_Add_Click()
{
    if (!usable())
        return;
    const std::optional<QString> name = askTableName(QStringLiteral("Add Table"), QString(), -1);
    if (!name)
        return;
    QByteArray bytes;
    if (!nameToBytes(*name, bytes))
        return;
    auto *command = new AddTableCommand(m_controller.document(), m_controller.document().makeTable(RawName::fromBytes(bytes)));
    m_controller.push(command);
    m_window.showEntry(command->table(), 0);
}

void TableCommands::mnuTables_Rename_Click()
{
    const int shown = m_window.shownTable();
    if (!usable() || shown <= 0)
        return;
    GxtDocument &document = m_controller.document();
    const std::optional<QString> name = askTableName(QStringLiteral("Rename Table"), document.tableName(shown), shown);
    if (name && *name != document.tableName(shown))
        m_controller.push(new RenameTableCommand(document, document.table(shown), *name));
}

void TableCommands::mnuTables_Delete_Click()
{
    const int shown = m_window.shownTable();
    if (!usable() || shown <= 0)
        return;
    GxtDocument &document = m_controller.document();
    const int entries = document.table(shown)->count();
    const UserDialogs::Message question{
        QStringLiteral("Are you sure you wish to delete the table '%1' and its %2?")
            .arg(document.tableName(shown),
                 entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(entries)),
        QStringLiteral("Delete Table?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::No};
    if (m_dialogs.message(&m_window, question) != QMessageBox::Yes)
        return;
    // The table before it takes its place in the list, as in the file's order.
    m_controller.push(new DeleteTableCommand(document, document.table(shown)));
}

} // namespace quillet
