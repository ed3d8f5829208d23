#include "stringcommands.h"

#include "documentcommands.h"
#include "documentcontroller.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "stringtable.h"
#include "userdialogs.h"

#include <QPushButton>
#include <QRadioButton>

namespace quillet {

StringCommands::StringCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
    , m_run([](frmStrings &dialog) { dialog.exec(); })
{
}

void StringCommands::setDialogRunner(DialogRunner run)
{
    m_run = run ? std::move(run) : DialogRunner([](frmStrings &dialog) { dialog.exec(); });
}

EntryId StringCommands::add()
{
    if (m_controller.FileOperation())
        return 0;
    StringTable &table = m_window.table();
    frmStrings dialog(m_controller.rules(), table, m_dialogs, &m_window);
    dialog.setWindowTitle(QStringLiteral("Add String"));
    dialog.cmdOk()->setText(QStringLiteral("&Add"));
    dialog.OptView_Click(frmStrings::SourceView);
    m_run(dialog);
    if (dialog.result() != QDialog::Accepted || !dialog.committedEntry())
        return 0;
    StringEntry added = *dialog.committedEntry();
    added.id = m_controller.document().newEntryId();
    m_controller.rememberKeyName(dialog.committedName());
    // A new entry goes at the end of the file's order; the list shows it where its sort puts it.
    m_controller.push(new EntriesCommand(QStringLiteral("Add %1").arg(m_controller.rules().keyText(added)),
                                         {EntryChange{&table, std::nullopt, added, -1}}));
    m_window.showEntry(&table, added.id);
    return added.id;
}

EntryId StringCommands::edit()
{
    if (m_controller.FileOperation())
        return 0;
    StringTable &table = m_window.table();
    const StringEntry *selected = table.find(m_window.selectedEntry());
    if (!selected)
        return 0;
    const StringEntry before = *selected;
    frmStrings dialog(m_controller.rules(), table, m_dialogs, &m_window);
    dialog.setWindowTitle(QStringLiteral("Edit String"));
    dialog.showEntry(before);
    dialog.OptView(frmStrings::SourceView)->setChecked(true);
    dialog.OptView_Click(frmStrings::SourceView);
    dialog.cmdOk()->setText(QStringLiteral("&Update"));
    dialog.RenameElement = before.id;
    m_run(dialog);
    if (dialog.result() != QDialog::Accepted || !dialog.committedEntry())
        return 0;
    const StringEntry after = *dialog.committedEntry();
    m_controller.rememberKeyName(dialog.committedName());
    // An update that changes nothing has nothing to take back.
    if (!after.sameContent(before)) {
        m_controller.push(new EntriesCommand(QStringLiteral("Edit %1").arg(m_controller.rules().keyText(before)),
                                             {EntryChange{&table, before, after, -1}}));
    }
    m_window.showEntry(&table, before.id);
    return before.id;
}

QString StringCommands::deleteQuestion(const QString &name)
{
    return QStringLiteral("Are you sure you wish to delete the string '") + name + QStringLiteral("'?");
}

bool StringCommands::remove()
{
    if (m_controller.FileOperation())
        return false;
    StringTable &table = m_window.table();
    const StringEntry *selected = table.find(m_window.selectedEntry());
    if (!selected)
        return false;
    const StringEntry gone = *selected;
    const QString name = m_controller.rules().keyText(gone);
    const UserDialogs::Message question{deleteQuestion(name), QStringLiteral("Delete String?"),
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes};
    if (m_dialogs.message(&m_window, question) != QMessageBox::Yes)
        return false;
    m_controller.push(new EntriesCommand(QStringLiteral("Delete %1").arg(name), {EntryChange{&table, gone, std::nullopt, -1}}));
    return true;
}

} // namespace quillet
