// The Tables menu of a document of tables: moving between tables, and adding, renaming and
// deleting them. MAIN, which every such file lists first, can be neither renamed nor deleted.
#include "frmmain.h"

#include "editcommands.h"
#include "frmtables.h"
#include "stringtable.h"
#include "userdialogs.h"

#include <QRegularExpression>

namespace quillet {

namespace {

// The names the game's tables have: up to seven of A-Z, 0-9 and '_'.
QString whyNotATableName(const QString &name)
{
    static const QRegularExpression form(QStringLiteral("^[A-Z0-9_]{1,7}$"));
    if (!form.match(name).hasMatch())
        return QStringLiteral("A table's name is 1 to 7 characters of A to Z, 0 to 9 and _.");
    return {};
}

} // namespace

std::optional<QString> frmMain::askTableName(const QString &title, const QString &proposed, int except)
{
    QString text = proposed;
    for (;;) {
        const std::optional<QString> answer = m_dialogs->askText(this, {title, QStringLiteral("Table name:"), text});
        if (!answer)
            return std::nullopt;
        const QString name = answer->trimmed().toUpper();
        QString problem = whyNotATableName(name);
        if (problem.isEmpty()) {
            problem = m_document.tableNameProblem(name, except);
            if (!problem.isEmpty())
                problem = problem.left(1).toUpper() + problem.mid(1) + QLatin1Char('.');
        }
        if (problem.isEmpty())
            return name;
        m_dialogs->message(this, {problem, title, QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok});
        text = *answer;
    }
}

void frmMain::mnuTables_GoTo_Click()
{
    if (FileOperation || !m_document.hasTables())
        return;
    frmTables dialog(m_document, shownTable(), this);
    m_runTablesDialog(dialog);
    if (dialog.result() == QDialog::Accepted && dialog.chosenTable() >= 0)
        showTable(dialog.chosenTable());
}

void frmMain::mnuTables_Next_Click()
{
    if (FileOperation || !m_document.hasTables())
        return;
    showTable((shownTable() + 1) % m_document.tableCount());
}

void frmMain::mnuTables_Previous_Click()
{
    if (FileOperation || !m_document.hasTables())
        return;
    const int count = m_document.tableCount();
    showTable((shownTable() + count - 1) % count);
}

void frmMain::mnuTables_Add_Click()
{
    if (FileOperation || !m_document.hasTables())
        return;
    const std::optional<QString> name = askTableName(QStringLiteral("Add Table"), QString(), -1);
    if (!name)
        return;
    auto *command = new AddTableCommand(m_history, *name);
    m_history.push(command);
    showTable(command->index());
}

void frmMain::mnuTables_Rename_Click()
{
    const int shown = shownTable();
    if (FileOperation || !m_document.hasTables() || shown <= 0)
        return;
    const std::optional<QString> name = askTableName(QStringLiteral("Rename Table"), m_document.tableName(shown), shown);
    if (name && *name != m_document.tableName(shown))
        m_history.push(new RenameTableCommand(m_history, shown, *name));
}

void frmMain::mnuTables_Delete_Click()
{
    const int shown = shownTable();
    if (FileOperation || !m_document.hasTables() || shown <= 0)
        return;
    const int entries = m_table->count();
    const UserDialogs::Message question{
        QStringLiteral("Are you sure you wish to delete the table '%1' and its %2?")
            .arg(m_document.tableName(shown),
                 entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(entries)),
        QStringLiteral("Delete Table?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::No};
    if (m_dialogs->message(this, question) != QMessageBox::Yes)
        return;
    // The table before it takes its place in the list, as in the file's order.
    m_history.push(new DeleteTableCommand(m_history, shown));
    showTable(shown - 1);
}

} // namespace quillet
