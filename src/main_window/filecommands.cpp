#include "filecommands.h"

#include "appidentity.h"
#include "commandline.h"
#include "documentcontroller.h"
#include "filelocation.h"
#include "frmmain.h"
#include "recentfiles.h"
#include "stringlistproxy.h"
#include "userdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace quillet {

namespace {

// Qt reads a filter as "label (patterns)"; both dialogs offer the same two. "All Files" is
// "*" here: "*.*" would hide every file without a dot in its name.
const QString OpenFilter = QStringLiteral("GXT File (*.gxt);;All Files (*)");
const QString SaveFilter = OpenFilter;
const QString DefaultSuffix = QStringLiteral("gxt");

// Keeps the list out of reach while a save runs, and gives it back with the keyboard focus.
class ListDisabled
{
public:
    explicit ListDisabled(QWidget *list)
        : m_list(list)
        , m_hadFocus(list->hasFocus())
    {
        m_list->setEnabled(false);
    }
    ~ListDisabled()
    {
        m_list->setEnabled(true);
        if (m_hadFocus)
            m_list->setFocus();
    }
    ListDisabled(const ListDisabled &) = delete;
    ListDisabled &operator=(const ListDisabled &) = delete;

private:
    QWidget *m_list;
    bool m_hadFocus;
};

} // namespace

FileCommands::FileCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs,
                           SettingsStore &settings, QMenu *fileMenu, QAction *exitItem)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_recentFiles(new RecentFilesMenu(fileMenu, exitItem, settings,
                                        [this](const QString &path) { mnuFile_Recent_Click(path); }))
{
    // Before the window shows the new document's first table, so that it is sorted once, by
    // Name. Only an open does this; New keeps the list's order.
    connect(&m_controller, &DocumentController::documentReset, this, [this] {
        if (!m_opening)
            return;
        m_window.listProxy().setSortKey(ByName);
        m_window.listProxy().setSorted(true);
    });
}

void FileCommands::startWith(const QString &argument)
{
    const StartupFile startup = resolveStartupArgument(argument);
    if (!startup.warning.isEmpty())
        qWarning().noquote() << startup.warning;
    // A file that failed to open has been reported; the editor then starts as without one.
    if (startup.path.isEmpty() || !OpenGxtFile(startup.path))
        mnuFile_New_Click();
}

bool FileCommands::OpenGxtFile(const QString &path)
{
    QWidget *list = m_window.listWidget();
    const bool hadFocus = list->hasFocus();
    m_window.beginLoad();
    m_opening = true;
    const Result result = m_controller.open(path, m_window.fileOperationHooks());
    m_opening = false;
    // Whatever became of the load, the window is back to normal; a failed load has left the
    // document as it was.
    m_window.endLoad();
    if (hadFocus)
        list->setFocus();
    if (!result) {
        tellFailure(QStringLiteral("Could not open %1: %2").arg(QDir::toNativeSeparators(path), result.errorString()));
        return false;
    }
    SaveFileLocation(m_settings, path);
    m_recentFiles->add(path);
    tellWarnings(path, result.warnings());
    return true;
}

void FileCommands::tellFailure(const QString &text)
{
    m_dialogs.message(&m_window,
                      {text, QString::fromLatin1(AppIdentity::Title), QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok});
}

void FileCommands::tellWarnings(const QString &path, const QStringList &warnings)
{
    if (warnings.isEmpty())
        return;
    QString text = QStringLiteral("%1 opened, with %2:\n")
                       .arg(QFileInfo(path).fileName(),
                            warnings.size() == 1 ? QStringLiteral("a warning") : QStringLiteral("%1 warnings").arg(warnings.size()));
    for (const QString &warning : warnings)
        text += QStringLiteral("\n• ") + warning;
    // Once the window has shown the file: a note beside it, not a question in its way.
    const UserDialogs::Message note{text, QStringLiteral("Opened with Warnings"), QMessageBox::Ok,
                                    QMessageBox::Information, QMessageBox::Ok};
    QMetaObject::invokeMethod(
        this, [this, note] { m_dialogs.note(&m_window, note); }, Qt::QueuedConnection);
}

bool FileCommands::PromptSaveChanges()
{
    if (!m_controller.StringsChanged())
        return true;
    const UserDialogs::Message prompt{QStringLiteral("Current File has changed. Do you want to save changes?"),
                                      QStringLiteral("Save Changes?"),
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning,
                                      QMessageBox::Yes};
    switch (m_dialogs.message(&m_window, prompt)) {
    case QMessageBox::Yes:
        // A save that did not happen stops the asking command: going on would lose the very
        // changes the user has just asked to keep.
        return mnuFile_Save_Click();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void FileCommands::mnuFile_New_Click()
{
    if (m_controller.FileOperation() || !PromptSaveChanges())
        return;
    m_controller.newDocument();
    m_window.showList();
}

void FileCommands::mnuFile_Open_Click()
{
    if (m_controller.FileOperation() || !PromptSaveChanges())
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select GXT File");
    request.filter = OpenFilter;
    request.defaultSuffix = DefaultSuffix;
    request.initialFolder = GetFileLocation(m_settings);
    request.mustExist = true;
    const QString path = m_dialogs.openFileName(&m_window, request);
    if (!path.isEmpty())
        OpenGxtFile(path);
}

void FileCommands::mnuFile_Recent_Click(const QString &path)
{
    if (m_controller.FileOperation() || !PromptSaveChanges())
        return;
    // A file that no longer opens has been reported, and leaves the list.
    if (!OpenGxtFile(path))
        m_recentFiles->remove(path);
}

QString FileCommands::askForSavePath()
{
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Location for File");
    request.filter = SaveFilter;
    request.defaultSuffix = DefaultSuffix;
    request.initialFolder = GetFileLocation(m_settings);
    request.fileName = QFileInfo(m_controller.CurrentFile()).fileName();
    request.confirmOverwrite = true;
    return m_dialogs.saveFileName(&m_window, request);
}

bool FileCommands::writeTable(const QString &path)
{
    const bool existed = QFileInfo(path).isFile();
    const Result result = m_controller.save(path, m_window.fileOperationHooks());
    if (!result) {
        // Only a file that was there can be "as it was"; a new name simply was not written.
        const QString outcome =
            existed ? QStringLiteral("The file on disk is as it was.") : QStringLiteral("Nothing was written.");
        tellFailure(QStringLiteral("Could not save %1: %2\n\n%3")
                        .arg(QDir::toNativeSeparators(path), result.errorString(), outcome));
        return false;
    }
    m_recentFiles->add(path);
    return true;
}

bool FileCommands::mnuFile_Save_Click()
{
    if (m_controller.FileOperation())
        return false;
    const ListDisabled outOfReach(m_window.listWidget());
    const QString current = m_controller.CurrentFile();
    const QString path = current.isEmpty() ? askForSavePath() : current;
    return !path.isEmpty() && writeTable(path);
}

void FileCommands::mnuFile_SaveAs_Click()
{
    if (m_controller.FileOperation())
        return;
    const ListDisabled outOfReach(m_window.listWidget());
    const QString path = askForSavePath();
    if (!path.isEmpty())
        writeTable(path);
}

void FileCommands::mnuFile_Exit_Click()
{
    m_window.close();
}

} // namespace quillet
