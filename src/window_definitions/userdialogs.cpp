#include "userdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>

namespace quillet {

UserDialogs::~UserDialogs() = default;

std::unique_ptr<QMessageBox> QtUserDialogs::messageBox(QWidget *parent, const Message &message)
{
    auto box = std::make_unique<QMessageBox>(
        message.icon, message.title.isEmpty() ? QApplication::applicationDisplayName() : message.title, QString(),
        message.buttons, parent);
    // Before the text goes in: the box decides how to read a text when it is set.
    box->setTextFormat(Qt::PlainText);
    box->setText(message.text);
    if (message.defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(message.defaultButton);
    return box;
}

QMessageBox::StandardButton QtUserDialogs::message(QWidget *parent, const Message &message)
{
    return QMessageBox::StandardButton(messageBox(parent, message)->exec());
}

void QtUserDialogs::note(QWidget *parent, const Message &message)
{
    QMessageBox *box = messageBox(parent, message).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

namespace {

QString runFileDialog(QWidget *parent, const UserDialogs::FileRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title, request.initialFolder, request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen && request.mustExist ? QFileDialog::ExistingFile
                                                                             : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtUserDialogs::openFileName(QWidget *parent, const FileRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::saveFileName(QWidget *parent, const FileRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtUserDialogs::askText(QWidget *parent, const TextRequest &request)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(request.title.isEmpty() ? QApplication::applicationDisplayName() : request.title);
    dialog.setLabelText(request.label);
    dialog.setTextValue(request.text);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QMessageBox::StandardButton ScriptedUserDialogs::message(QWidget *, const Message &message)
{
    messages.append(message);
    if (m_answers.isEmpty()) {
        ++unexpected;
        return message.buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
    }
    return m_answers.takeFirst();
}

QString ScriptedUserDialogs::nextFileName()
{
    if (m_fileNames.isEmpty()) {
        ++unexpected;
        return {};
    }
    return m_fileNames.takeFirst();
}

QString ScriptedUserDialogs::openFileName(QWidget *, const FileRequest &request)
{
    openRequests.append(request);
    return nextFileName();
}

QString ScriptedUserDialogs::saveFileName(QWidget *, const FileRequest &request)
{
    saveRequests.append(request);
    return nextFileName();
}

std::optional<QString> ScriptedUserDialogs::askText(QWidget *, const TextRequest &request)
{
    textRequests.append(request);
    if (m_texts.isEmpty()) {
        ++unexpected;
        return std::nullopt;
    }
    return m_texts.takeFirst();
}

} // namespace quillet
