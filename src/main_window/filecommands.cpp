#include "filecommands.h"

#include "appidentity.h"
#include "commandline.h"
#include "documentcontroller.h"
#include "exchangeformats.h"
#include "exchangerequests.h"
#include "fileio.h"
#include "filelocation.h"
#include "frmmain.h"
#include "gxtformat.h"
#include "keyhash.h"
#include "recentfiles.h"
#include "stringlistproxy.h"
#include "translationcommands.h"
#include "userdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

namespace quillet {

namespace {

// Qt reads a filter as "label (patterns)"; both dialogs offer the same two. "All Files" is
// "*" here: "*.*" would hide every file without a dot in its name.
const QString OpenFilter = QStringLiteral("GXT Files (*.gxt *.gxt2);;All Files (*)");

// The text forms, each by its extension; the first is what a name without one becomes.
const QString ExportFilter = QStringLiteral("Text (*.txt);;CSV (*.csv);;JSON (*.json)");
const QString ImportFilter = QStringLiteral("Text Forms (*.txt *.csv *.json);;All Files (*)");

// A save offers the extension of the document's own kind of file.
QString saveFilter(const GxtFormat &format)
{
    return QString::fromLatin1(format.traits().extension) == QLatin1String("gxt2")
        ? QStringLiteral("GXT2 File (*.gxt2);;All Files (*)")
        : QStringLiteral("GXT File (*.gxt);;All Files (*)");
}

// Each kind of file the series ships, as File, New Layout offers them.
struct NewLayout {
    const char *objectName;
    const char *text;
    const char *format;
    const KeyHash &(*hash)();
};
const NewLayout NewLayouts[] = {
    {"mnuFile_New_Flat", "&Flat (first game)", "flat", nullptr},
    {"mnuFile_New_Tabled", "&Tables (second game)", "tabled", nullptr},
    {"mnuFile_New_Hashed", "Tables, hashed keys (t&hird game)", "hashed", &KeyHash::crc32},
    {"mnuFile_New_HashedFourth", "Tables, hashed keys (f&ourth game)", "hashed", &KeyHash::oneAtATime},
    {"mnuFile_New_HashedSingle", "One table, hashed keys (fourth &game)", "hashed-single", &KeyHash::oneAtATime},
    {"mnuFile_New_Gxt2", "GXT&2 (fifth game)", "gxt2", &KeyHash::oneAtATime},
    {"mnuFile_New_Gxt2BigEndian", "GXT2, &big-endian (fifth game, consoles)", "gxt2-be", &KeyHash::oneAtATime},
};

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
    Result result = m_controller.open(path, m_window.fileOperationHooks());
    m_opening = false;
    // Whatever became of the load, the window is back to normal; a failed load has left the
    // document as it was.
    m_window.endLoad();
    if (!result && !m_controller.salvageOffer().isEmpty()) {
        // A damaged file its owner needs to repair: it opens without what cannot be read,
        // if the user agrees, and nothing is written until they save.
        const UserDialogs::Message question{
            QStringLiteral("%1\n\n%2 Open the file without them?")
                .arg(QDir::toNativeSeparators(path), m_controller.salvageOffer()),
            QString::fromLatin1(AppIdentity::Title), QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning,
            QMessageBox::No};
        if (m_dialogs.message(&m_window, question) != QMessageBox::Yes) {
            if (hadFocus)
                list->setFocus();
            return false;
        }
        m_window.beginLoad();
        m_opening = true;
        result = m_controller.open(path, m_window.fileOperationHooks(), true);
        m_opening = false;
        m_window.endLoad();
    }
    if (hadFocus)
        list->setFocus();
    if (!result) {
        tellFailure(QStringLiteral("Could not open %1: %2").arg(QDir::toNativeSeparators(path), result.errorString()));
        return false;
    }
    SaveFileLocation(m_settings, path);
    remember(path);
    tellWarnings(path, result.warnings());
    m_window.translationCommands().reopenRemembered();
    return true;
}

void FileCommands::remember(const QString &path)
{
    m_recentFiles->add(path);
    m_controller.layoutSettings().rememberNumbering(path, m_controller.numberingChoice());
}

void FileCommands::fillNewLayoutMenu(QMenu *menu)
{
    for (const NewLayout &layout : NewLayouts) {
        const GxtFormat *format = GxtFormat::byId(QString::fromLatin1(layout.format));
        if (!format)
            continue;
        QAction *item = menu->addAction(QString::fromLatin1(layout.text));
        item->setObjectName(QString::fromLatin1(layout.objectName));
        const KeyHash *hash = layout.hash ? &layout.hash() : nullptr;
        connect(item, &QAction::triggered, this, [this, format, hash] { mnuFile_NewLayout_Click(*format, hash); });
    }
}

void FileCommands::tellFailure(const QString &text)
{
    m_dialogs.message(&m_window,
                      {text, QString::fromLatin1(AppIdentity::Title), QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok});
}

void FileCommands::tellWarnings(const QString &path, const QStringList &warnings, const QString &done)
{
    m_window.showLoadWarnings(warnings);
    if (warnings.isEmpty())
        return;
    QString text = QStringLiteral("%1 %2, with %3:\n")
                       .arg(QFileInfo(path).fileName(), done,
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

void FileCommands::mnuFile_NewLayout_Click(const GxtFormat &format, const KeyHash *hash)
{
    if (m_controller.FileOperation() || !PromptSaveChanges())
        return;
    m_controller.newDocument(format, hash);
    m_window.showList();
}

void FileCommands::mnuFile_Open_Click()
{
    if (m_controller.FileOperation() || !PromptSaveChanges())
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select GXT File");
    request.filter = OpenFilter;
    request.defaultSuffix = QStringLiteral("gxt");
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
    const GxtFormat &format = m_controller.document().format();
    request.filter = saveFilter(format);
    request.defaultSuffix = QString::fromLatin1(format.traits().extension);
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
    remember(path);
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

void FileCommands::mnuFile_Export_Click()
{
    if (m_controller.FileOperation())
        return;
    const UserDialogs::FileRequest request =
        exportRequest(QStringLiteral("Export"), ExportFilter, QStringLiteral("txt"), m_settings, m_controller.CurrentFile());
    const QString path = m_dialogs.saveFileName(&m_window, request);
    if (!path.isEmpty())
        exportFile(path);
}

bool FileCommands::exportFile(const QString &path)
{
    const bool existed = QFileInfo(path).isFile();
    const std::optional<ExchangeFormat> form = exchangeFormatFromPath(path);
    Result result;
    if (!form) {
        // A name that reads as another kind of file (a .gxt, say) is not filled with text.
        const QString suffix = QFileInfo(path).suffix();
        result = Result::failure(suffix.isEmpty() ? QStringLiteral("the name has no extension; an export writes a .txt, .csv or .json file")
                                                  : QStringLiteral("the name has the extension .%1; an export writes a .txt, "
                                                                   ".csv or .json file")
                                                        .arg(suffix));
    }
    QByteArray text;
    if (result)
        result = writeExchange(m_controller.document().toRaw(), m_controller.rules(), *form, text);
    if (result)
        result = writeFileAtomically(path, text);
    if (!result) {
        const QString outcome =
            existed ? QStringLiteral("The file on disk is as it was.") : QStringLiteral("Nothing was written.");
        tellFailure(QStringLiteral("Could not export %1: %2\n\n%3")
                        .arg(QDir::toNativeSeparators(path), result.errorString(), outcome));
        return false;
    }
    return true;
}

void FileCommands::mnuFile_Import_Click()
{
    if (m_controller.FileOperation() || !PromptSaveChanges())
        return;
    const UserDialogs::FileRequest request = importRequest(QStringLiteral("Import"), ImportFilter, QStringLiteral("txt"), m_settings);
    const QString path = m_dialogs.openFileName(&m_window, request);
    if (!path.isEmpty())
        importFile(path);
}

bool FileCommands::importFile(const QString &path)
{
    // The form its extension names; a source of another name is read as txt, as the tool does.
    const ExchangeFormat form = exchangeFormatFromPath(path).value_or(ExchangeFormat::Txt);
    QByteArray text;
    Result read = readFileBytes(path, text);
    RawDocument raw;
    std::shared_ptr<const CharacterNumbering> numbering;
    if (read) {
        read = readExchange(
            text, form, raw,
            [this](const GxtFormat &format, const KeyHash *hash) { return m_controller.numberingFor(format, hash); },
            &numbering);
    }
    if (!read) {
        tellFailure(QStringLiteral("Could not import %1: %2").arg(QDir::toNativeSeparators(path), read.errorString()));
        return false;
    }
    m_opening = true;
    const Result imported = m_controller.importDocument(std::move(raw), numbering);
    m_opening = false;
    m_window.showList();
    SaveFileLocation(m_settings, path);
    tellWarnings(path, imported.warnings(), QStringLiteral("imported"));
    return true;
}

void FileCommands::mnuFile_Exit_Click()
{
    m_window.close();
}

} // namespace quillet
