#include "stringcommands.h"

#include "editcommands.h"
#include "frmstrings.h"
#include "gxtdocument.h"
#include "stringtable.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quillet {

StringCommands::StringCommands(GxtDocument &document, UserDialogs &dialogs)
    : m_document(document)
    , m_table(document.table(0))
    , m_dialogs(dialogs)
    , m_run([](frmStrings &dialog) { dialog.exec(); })
{
}

void StringCommands::setDialogRunner(DialogRunner run)
{
    m_run = run ? std::move(run) : DialogRunner([](frmStrings &dialog) { dialog.exec(); });
}

bool StringCommands::isRow(int position) const
{
    return position >= 1 && position <= m_table->count();
}

int StringCommands::run(frmStrings &dialog)
{
    m_run(dialog);
    return dialog.result() == QDialog::Accepted ? dialog.writtenPosition() : 0;
}

int StringCommands::add(QWidget *owner)
{
    frmStrings dialog(m_document, *m_table, m_dialogs, owner);
    dialog.setWindowTitle(QStringLiteral("Add String"));
    dialog.cmdOk()->setText(QStringLiteral("&Add"));
    dialog.OptView_Click(frmStrings::SourceView);
    const int position = run(dialog);
    // The dialog has written the row; the history takes it as done.
    if (position > 0 && m_history) {
        const StringEntry added = m_table->entry(position);
        m_history->push(new RowsCommand(*m_history, QStringLiteral("Add %1").arg(added.name),
                                        {{m_history->handle(m_table), std::nullopt, added}}, RowsCommand::AlreadyDone));
    }
    return position;
}

int StringCommands::edit(QWidget *owner, int selectedPosition)
{
    if (!isRow(selectedPosition))
        return 0;
    frmStrings dialog(m_document, *m_table, m_dialogs, owner);
    dialog.setWindowTitle(QStringLiteral("Edit String"));
    // The box takes the name whole: a name read from a file may be one character longer
    // than a typed one.
    dialog.txtName()->setText(m_table->name(selectedPosition));
    dialog.txtValue()->setValue(m_table->value(selectedPosition));
    dialog.OptView(frmStrings::SourceView)->setChecked(true);
    dialog.OptView_Click(frmStrings::SourceView);
    dialog.cmdOk()->setText(QStringLiteral("&Update"));
    dialog.RenameElement = selectedPosition;
    const StringEntry before = m_table->entry(selectedPosition);
    const int position = run(dialog);
    // An update that changed nothing has nothing to take back.
    if (position > 0 && m_history && m_table->entry(position) != before) {
        m_history->push(new RowsCommand(*m_history, QStringLiteral("Edit %1").arg(before.name),
                                        {{m_history->handle(m_table), before, m_table->entry(position)}},
                                        RowsCommand::AlreadyDone));
    }
    return position;
}

QString StringCommands::deleteQuestion(const QString &name)
{
    return QStringLiteral("Are you sure you wish to delete the string '") + name + QStringLiteral("'?");
}

bool StringCommands::remove(QWidget *owner, int selectedPosition)
{
    if (!isRow(selectedPosition))
        return false;
    const UserDialogs::Message question{deleteQuestion(m_table->name(selectedPosition)), QStringLiteral("Delete String?"),
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes};
    if (m_dialogs.message(owner, question) != QMessageBox::Yes)
        return false;
    if (!m_history) {
        m_table->removeRow(selectedPosition);
        return true;
    }
    const StringEntry gone = m_table->entry(selectedPosition);
    m_history->push(new RowsCommand(*m_history, QStringLiteral("Delete %1").arg(gone.name),
                                    {{m_history->handle(m_table), gone, std::nullopt}}));
    return true;
}

} // namespace quillet
