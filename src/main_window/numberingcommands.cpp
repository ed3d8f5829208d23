#include "numberingcommands.h"

#include "appidentity.h"
#include "documentcontroller.h"
#include "filelocation.h"
#include "frmmain.h"
#include "keyhash.h"
#include "keyhashbox.h"
#include "numberingchoice.h"
#include "userdialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace quillet {

namespace {
const QString MapFilter = QStringLiteral("Character Maps (*.txt *.map *.tsv);;All Files (*)");
const QString NameListFilter = QStringLiteral("Name Lists (*.txt *.ini);;All Files (*)");
} // namespace

NumberingCommands::NumberingCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs,
                                     SettingsStore &settings, const NumberingActions &actions, QLabel *status)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_actions(actions)
    , m_status(status)
    , m_numberings(new QActionGroup(this))
    , m_hashes(new QActionGroup(this))
{
    for (const auto &[choice, action] : m_actions.builtIn) {
        m_numberings->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice = choice] { mnuFile_Numbering_Click(choice); });
    }
    m_numberings->addAction(m_actions.fromFile);
    connect(m_actions.fromFile, &QAction::triggered, this, &NumberingCommands::mnuFile_Numbering_FromFile_Click);
    for (auto [action, hash] : {std::pair(m_actions.crc32, &KeyHash::crc32()), std::pair(m_actions.oneAtATime, &KeyHash::oneAtATime())}) {
        m_hashes->addAction(action);
        connect(action, &QAction::triggered, this, [this, hash = hash] { mnuFile_KeyHash_Click(*hash); });
    }
    connect(m_actions.keyHashBox, &QAction::triggered, this, &NumberingCommands::mnuFile_KeyHashBox_Click);
    connect(&m_controller, &DocumentController::rulesChanged, this, &NumberingCommands::showChoices);
    connect(&m_controller, &DocumentController::documentReset, this, &NumberingCommands::showChoices);
    showChoices();
}

KeyHashBox *NumberingCommands::keyHashBox() const
{
    return m_keyHashBox;
}

void NumberingCommands::showChoices()
{
    const QString choice = m_controller.numberingChoice();
    const auto builtIn = m_actions.builtIn.find(choice);
    const bool map = builtIn == m_actions.builtIn.end();
    (map ? m_actions.fromFile : builtIn->second)->setChecked(true);
    // The map in use is named where it is chosen, as the built-in ones are.
    m_actions.fromFile->setText(map ? QStringLiteral("&From File (%1)...").arg(QFileInfo(choice).fileName())
                                    : QStringLiteral("&From File..."));
    if (m_status)
        m_status->setText(m_controller.numbering()->title());

    const KeyHash *hash = m_controller.document().keyHash();
    m_actions.crc32->setEnabled(hash != nullptr);
    m_actions.oneAtATime->setEnabled(hash != nullptr);
    m_actions.crc32->setChecked(hash == &KeyHash::crc32());
    m_actions.oneAtATime->setChecked(hash == &KeyHash::oneAtATime());
    if (!hash) {
        // Neither is checked for keys stored by name.
        m_hashes->setExclusive(false);
        m_actions.crc32->setChecked(false);
        m_actions.oneAtATime->setChecked(false);
        m_hashes->setExclusive(true);
    }
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
    showChoices();
}

void NumberingCommands::mnuFile_Numbering_Click(const QString &choice)
{
    if (m_controller.FileOperation()) {
        showChoices();
        return;
    }
    applyNumbering(choice);
}

void NumberingCommands::mnuFile_Numbering_FromFile_Click()
{
    if (m_controller.FileOperation()) {
        showChoices();
        return;
    }
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Character Map");
    request.filter = MapFilter;
    request.initialFolder = GetFileLocation(m_settings);
    request.mustExist = true;
    const QString path = m_dialogs.openFileName(&m_window, request);
    if (path.isEmpty()) {
        showChoices();
        return;
    }
    applyNumbering(path);
}

void NumberingCommands::mnuFile_KeyHash_Click(const KeyHash &hash)
{
    if (!m_controller.FileOperation())
        m_controller.setKeyHash(hash);
    showChoices();
}

void NumberingCommands::mnuFile_KeyHashBox_Click()
{
    if (!m_keyHashBox)
        m_keyHashBox = new KeyHashBox(m_controller, &m_window);
    m_keyHashBox->show();
    m_keyHashBox->raise();
    m_keyHashBox->activateWindow();
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
    if (!read) {
        tellFailure(QStringLiteral("Could not read the name list %1").arg(QDir::toNativeSeparators(read.errorString())));
        return;
    }
    // Lines that are no names cost the user nothing but those lines; a note says so.
    if (!read.warnings().isEmpty()) {
        m_dialogs.note(&m_window, {QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), read.warnings().join(u'\n')),
                                   QString::fromLatin1(AppIdentity::Title), QMessageBox::Ok, QMessageBox::Information,
                                   QMessageBox::Ok});
    }
}

} // namespace quillet
