#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace quillet {

class DocumentController;
class GxtFormat;
class KeyHash;
class RecentFilesMenu;
class SettingsStore;
class UserDialogs;
class frmMain;

// The File menu's commands, the open sequence and the save prompt: when a document is read
// or written, what the user is asked first, and what the window shows afterwards.
class FileCommands : public QObject
{
    Q_OBJECT

public:
    // The recent files go into `fileMenu`, above `exitItem`.
    FileCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, SettingsStore &settings,
                 QMenu *fileMenu, QAction *exitItem);

    // Start-up: the file the command line's argument names, or an untitled table.
    void startWith(const QString &argument);
    // The whole open of one file; false, having said why, when it did not open.
    bool OpenGxtFile(const QString &path);
    // Asks about unsaved changes: true means go on, false means stop.
    bool PromptSaveChanges();
    // File, "New Layout": an item for each kind of file the series ships.
    void fillNewLayoutMenu(QMenu *menu);

public Q_SLOTS:
    void mnuFile_New_Click();
    // New, an empty document of `format` whose keys (where hashed) read by `hash`.
    void mnuFile_NewLayout_Click(const GxtFormat &format, const KeyHash *hash);
    void mnuFile_Open_Click();
    // True when the document was written.
    bool mnuFile_Save_Click();
    void mnuFile_SaveAs_Click();
    void mnuFile_Exit_Click();
    // One of the File menu's recent files, by its path.
    void mnuFile_Recent_Click(const QString &path);

private:
    QString askForSavePath();
    bool writeTable(const QString &path);
    void tellFailure(const QString &text);
    void tellWarnings(const QString &path, const QStringList &warnings);
    // The file joins the recent ones, with the numbering it shows in.
    void remember(const QString &path);

    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    SettingsStore &m_settings;
    RecentFilesMenu *m_recentFiles;
    // While a file opens: it shows by Name, in the direction the list had.
    bool m_opening = false;
};

} // namespace quillet
