// The File commands, the open sequence, the save prompt and closing: when a table is read
// or written, what the user is asked first, and what the window shows afterwards.
#include "frmmain.h"

#include "appidentity.h"
#include "commandline.h"
#include "filelocation.h"
#include "recentfiles.h"
#include "userdialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

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

void frmMain::Form_Load(const QString &argument)
{
    MouseDownX = -1;
    MouseDownY = -1;
    lvBlank->setEnabled(false);
    // On the screen before any file is read: a long load shows its progress.
    show();

    const StartupFile startup = resolveStartupArgument(argument);
    if (!startup.warning.isEmpty())
        qWarning().noquote() << startup.warning;
    // A file that failed to open has been reported; the editor then starts as without one.
    if (startup.path.isEmpty() || !OpenGxtFile(startup.path))
        mnuFile_New_Click();
    lvStrings->setFocus();
}

bool frmMain::OpenGxtFile(const QString &path)
{
    const bool hadFocus = lvStrings->hasFocus();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The list stays out of sight, and so out of reach, while the table may change under it.
    lvBlank->show();
    lvStrings->hide();

    const Result result = LoadGxt(path, m_document, loadOptions(), fileOperationHooks());

    // Whatever became of the load, the window is back to normal; a failed load has left the
    // table as it was, and everything else is only changed below, after a success.
    QGuiApplication::restoreOverrideCursor();
    lvStrings->show();
    lvBlank->hide();
    if (hadFocus)
        lvStrings->setFocus();
    ProgressBar->setValue(0);
    if (!result) {
        tellFailure(QStringLiteral("Could not open %1: %2").arg(QDir::toNativeSeparators(path), result.errorString()));
        return false;
    }

    showTable(0);
    m_history.clear();
    SaveFileLocation(*m_settings, path);
    m_recentFiles->add(path);
    CurrentFile = path;
    StringsChanged = false;
    SetWindowTitle(path);
    return true;
}

void frmMain::SetWindowTitle(const QString &path)
{
    setWindowTitle(m_document.hasTables() ? WindowTitle(path, m_document.tableName(shownTable())) : WindowTitle(path));
}

void frmMain::showTitle()
{
    SetWindowTitle(CurrentFile.isEmpty() ? QStringLiteral("Untitled") : CurrentFile);
}

void frmMain::tellFailure(const QString &text)
{
    m_dialogs->message(this, {text, QString::fromLatin1(AppIdentity::Title), QMessageBox::Ok,
                              QMessageBox::Critical, QMessageBox::Ok});
}

bool frmMain::PromptSaveChanges()
{
    if (!StringsChanged)
        return true;
    const UserDialogs::Message prompt{QStringLiteral("Current File has changed. Do you want to save changes?"),
                                      QStringLiteral("Save Changes?"),
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Warning, QMessageBox::Yes};
    switch (m_dialogs->message(this, prompt)) {
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

void frmMain::mnuFile_New_Click()
{
    if (!PromptSaveChanges())
        return;
    CurrentFile.clear();
    m_document.clear();
    m_history.clear();
    showTable(0);
    lvStrings->show();
    lvBlank->hide();
    SetWindowTitle(QStringLiteral("Untitled"));
    // An empty table holds nothing that could be lost.
    m_document.setModified(false);
    StringsChanged = false;
}

void frmMain::mnuFile_Open_Click()
{
    if (!PromptSaveChanges())
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select GXT File");
    request.filter = OpenFilter;
    request.defaultSuffix = DefaultSuffix;
    request.initialFolder = GetFileLocation(*m_settings);
    request.mustExist = true;
    const QString path = m_dialogs->openFileName(this, request);
    if (!path.isEmpty())
        OpenGxtFile(path);
}

void frmMain::mnuFile_Recent_Click(const QString &path)
{
    if (FileOperation || !PromptSaveChanges())
        return;
    // A file that no longer opens has been reported, and leaves the list.
    if (!OpenGxtFile(path))
        m_recentFiles->remove(path);
}

QString frmMain::askForSavePath()
{
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Location for File");
    request.filter = SaveFilter;
    request.defaultSuffix = DefaultSuffix;
    request.initialFolder = GetFileLocation(*m_settings);
    request.fileName = QFileInfo(CurrentFile).fileName();
    request.confirmOverwrite = true;
    return m_dialogs->saveFileName(this, request);
}

bool frmMain::writeTable(const QString &path)
{
    const bool existed = QFileInfo(path).isFile();
    const Result result = SaveGxt(path, m_document, fileOperationHooks());
    if (!result) {
        // Only a file that was there can be "as it was"; a new name simply was not written.
        const QString outcome = existed ? QStringLiteral("The file on disk is as it was.")
                                        : QStringLiteral("Nothing was written.");
        tellFailure(QStringLiteral("Could not save %1: %2\n\n%3")
                        .arg(QDir::toNativeSeparators(path), result.errorString(), outcome));
        return false;
    }
    CurrentFile = path;
    m_recentFiles->add(path);
    // The title names the file that the next Save writes.
    SetWindowTitle(path);
    m_history.setClean();
    m_document.setModified(false);
    StringsChanged = false;
    return true;
}

bool frmMain::mnuFile_Save_Click()
{
    const ListDisabled outOfReach(lvStrings);
    const QString path = CurrentFile.isEmpty() ? askForSavePath() : CurrentFile;
    return !path.isEmpty() && writeTable(path);
}

void frmMain::mnuFile_SaveAs_Click()
{
    const ListDisabled outOfReach(lvStrings);
    const QString path = askForSavePath();
    if (!path.isEmpty())
        writeTable(path);
}

void frmMain::mnuFile_Exit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // During a load or a save the table is half read or half written; nothing can be saved
    // or kept at that point, so the window stays, without a word.
    if (FileOperation || !PromptSaveChanges()) {
        event->ignore();
        return;
    }
    // The editor ends with this window: every other one goes first. Guarded pointers, as
    // closing one window may delete another.
    QList<QPointer<QWidget>> others;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            others.append(window);
    }
    for (const QPointer<QWidget> &window : others) {
        if (window)
            window->close();
    }
    event->accept();
}

QString frmMain::droppedGxtFile(const QMimeData *mime) const
{
    if (FileOperation || !mime->hasUrls())
        return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    const QString path = urls.constFirst().toLocalFile();
    return path.endsWith(QStringLiteral(".gxt"), Qt::CaseInsensitive) && QFileInfo(path).isFile() ? path : QString();
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedGxtFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    const QString path = droppedGxtFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The drag ends first: a save prompt inside the drop would hold up the program the file
    // came from until it is answered.
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            if (!FileOperation && PromptSaveChanges())
                OpenGxtFile(path);
        },
        Qt::QueuedConnection);
}

} // namespace quillet
