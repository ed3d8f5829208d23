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
    // The import of one text form, asking nothing first; false, having said why, when it did
    // not read.
    bool importFile(const QString &path);
    // The export of the whole document to `path`; false, having said why, when nothing was
    // written.
    bool exportFile(const QString &path);
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
    // File, "Export...": the whole document, every table, as a text form the chosen file's
    // extension names (txt, csv or json), written all at once or not at all.
    void mnuFile_Export_Click();
    // File, "Import...": a text form read into a new untitled document, after the save
    // prompt; one that does not read says where and leaves the open document as it was.
    void mnuFile_Import_Click();
    void mnuFile_Exit_Click();
    // One of the File menu's recent files, by its path.
    void mnuFile_Recent_Click(const QString &path);

private:
    QString askForSavePath();
    bool writeTable(const QString &path);
    void tellFailure(const QString &text);
    // What a load had to say, in the status bar and in a note beside the window; `done` says
    // what became of the file ("opened").
    void tellWarnings(const QString &path, const QStringList &warnings, const QString &done = QStringLiteral("opened"));
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
