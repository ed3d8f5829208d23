#include "numberingcommands.h"

#include "appidentity.h"
#include "documentcontroller.h"
#include "filelocation.h"
#include "frmmain.h"
#include "numberingchoice.h"
#include "userdialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>

namespace quillet {

namespace {
const QString MapFilter = QStringLiteral("Character Maps (*.txt *.map *.tsv);;All Files (*)");
const QString NameListFilter = QStringLiteral("Name Lists (*.txt *.ini);;All Files (*)");
} // namespace

NumberingCommands::NumberingCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs,
                                     SettingsStore &settings, QAction *windows1252, QAction *western, QAction *fromFile)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_windows1252(windows1252)
    , m_western(western)
    , m_fromFile(fromFile)
    , m_group(new QActionGroup(this))
{
    for (QAction *choice : {m_windows1252, m_western, m_fromFile})
        m_group->addAction(choice);
    connect(&m_controller, &DocumentController::rulesChanged, this, &NumberingCommands::showNumberingChoice);
    connect(&m_controller, &DocumentController::documentReset, this, &NumberingCommands::showNumberingChoice);
    showNumberingChoice();
}

void NumberingCommands::showNumberingChoice()
{
    const QString choice = m_controller.numberingChoice();
    QAction *shown = choice == NumberingChoice::Windows1252 ? m_windows1252
                     : choice == NumberingChoice::Western   ? m_western
                                                            : m_fromFile;
    shown->setChecked(true);
}

void NumberingCommands::tellFailure(const QString &text)
{
    m_dialogs.message(&m_window,
                      {text, QString::fromLatin1(AppIdentity::Title), QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok});
}

void NumberingCommands::applyNumbering(const QString &choice)
{
    const Result made = m_controller.setNumberingChoice(choice);
    if (!made)
        tellFailure(QStringLiteral("Could not read the character map %1").arg(QDir::toNativeSeparators(made.errorString())));
    showNumberingChoice();
}

void NumberingCommands::mnuFile_Numbering_Windows1252_Click()
{
    if (!m_controller.FileOperation())
        applyNumbering(NumberingChoice::Windows1252);
}

void NumberingCommands::mnuFile_Numbering_Western_Click()
{
    if (!m_controller.FileOperation())
        applyNumbering(NumberingChoice::Western);
}

void NumberingCommands::mnuFile_Numbering_FromFile_Click()
{
    if (m_controller.FileOperation())
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Character Map");
    request.filter = MapFilter;
    request.initialFolder = GetFileLocation(m_settings);
    request.mustExist = true;
    const QString path = m_dialogs.openFileName(&m_window, request);
    if (path.isEmpty()) {
        showNumberingChoice();
        return;
    }
    applyNumbering(path);
}

void NumberingCommands::mnuFile_KeyNames_Click()
{
    if (m_controller.FileOperation())
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Key Name List");
    request.filter = NameListFilter;
    request.initialFolder = GetFileLocation(m_settings);
    request.mustExist = true;
    const QString path = m_dialogs.openFileName(&m_window, request);
    if (path.isEmpty())
        return;
    const Result read = m_controller.loadKeyNames(path);
    if (!read)
        tellFailure(QStringLiteral("Could not read the name list %1").arg(QDir::toNativeSeparators(read.errorString())));
}

} // namespace quillet
