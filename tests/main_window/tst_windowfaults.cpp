// The main window against failing disks and hostile start-up arguments. Save and Save As
// meet folders the user may not write, folders in the file's place, vanished folders and
// disks that fill up half-way; after each, every file around keeps every byte, no temporary
// file stays, the user is told which file and why, the table still counts as changed and
// the window is fully usable. Start-up meets folders, pipes, unreadable, empty, random and
// huge files and paths too long for the system: the editor starts, says what it could not
// open, and works.
//
// Faults that would touch the test process itself (a lowered file size limit, a dropped
// user id) run in a fresh copy of this program started with --run-case: a whole window of
// its own, set up and driven exactly as in-process cases are, reporting back through its
// standard output.
#include "testfiles.h"
#include "windowdriver.h"

#include "filecommands.h"
#include "filelocation.h"
#include "findcommands.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "stringcommands.h"
#include "translationcommands.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;
using namespace testfiles;
using testfiles::Row;
using testfiles::Rows;

namespace {

constexpr char ChildSwitch[] = "--run-case";
// Ends a child that blocks; a watchdog, not a measure of speed.
constexpr int WatchdogSeconds = 300;

// ---- Files ----

// The table the user works on: large enough that a disk filling up stops its save part of
// the way, well past any write buffer.
Rows workRows()
{
    Rows rows;
    for (int i = 0; i < 2000; ++i)
        rows.append({QStringLiteral("K%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("~r~text number %1").arg(i)});
    return rows;
}

// The change that makes the table worth saving.
const Row Change{QStringLiteral("NEW"), QStringLiteral("changed")};

Rows changedRows()
{
    return workRows() << Change;
}

// What some other file at a save's target holds: small, and unlike the table saved.
const Rows OtherRows{{QStringLiteral("A1"), QStringLiteral("Hi")}, {QStringLiteral("B"), QString()}};

bool setMode(const QString &path, int mode)
{
    return chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

int modeOf(const QString &path)
{
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Everything under `root`, with the kind, permission bits and contents of each entry, links
// unfollowed: two snapshots are equal only if not a byte, a bit or a temporary file changed.
QStringList snapshot(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString entry = QDir(root).relativeFilePath(path) + QStringLiteral(" %1 ").arg(modeOf(path), 4, 8, QLatin1Char('0'));
        if (info.isSymLink())
            entry += QStringLiteral("link to ") + QFile::symLinkTarget(path);
        else if (info.isDir())
            entry += QStringLiteral("folder");
        else
            entry += QString::fromLatin1(QCryptographicHash::hash(readFile(path), QCryptographicHash::Md5).toHex());
        entries.append(entry);
    }
    entries.sort();
    return entries;
}

// A path longer than the system lets one call name (PATH_MAX): folders made one inside the
// other through folder handles, and a sound table at the bottom. Returns its whole path.
QString makeDeepFile(const QString &base, qsizetype length, const QByteArray &bytes)
{
    int folder = open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY);
    QString path = base;
    const QByteArray fileName = "t.gxt";
    while (folder >= 0 && path.size() + 1 + fileName.size() < length) {
        const qsizetype room = length - path.size() - 2 - fileName.size();
        const QByteArray name(qBound(qsizetype(1), room, qsizetype(200)), 'd');
        const int next = mkdirat(folder, name.constData(), 0755) == 0 ? openat(folder, name.constData(), O_RDONLY | O_DIRECTORY) : -1;
        close(folder);
        folder = next;
        path += QLatin1Char('/') + QString::fromLatin1(name);
    }
    if (folder < 0)
        return {};
    const int file = openat(folder, fileName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    close(folder);
    const bool ok = file >= 0 && write(file, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (file >= 0)
        close(file);
    return ok ? path + QLatin1Char('/') + QString::fromLatin1(fileName) : QString();
}

// Removes what makeDeepFile made; QDir cannot, as it names every entry by its whole path.
void removeTreeAt(int parent, const char *name)
{
    const int folder = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (folder < 0) {
        unlinkat(parent, name, 0);
        return;
    }
    if (DIR *entries = fdopendir(folder)) {
        while (const dirent *entry = readdir(entries)) {
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                removeTreeAt(dirfd(entries), entry->d_name);
        }
        closedir(entries);
    } else {
        close(folder);
    }
    unlinkat(parent, name, AT_REMOVEDIR);
}

// ---- Faults a child takes on ----

// ---- One case: a window, what is done to it, and what it shows afterwards ----

enum class Command { Start, Save, SaveAs };

struct Case {
    Command command = Command::Start;
    QString open;               // Start: the argument; saves: the file opened first ("": untitled)
    QString target;             // what the save dialog answers ("": Cancel)
    bool ordinaryUser = false;  // the case runs as uid 65534
    qint64 fileSizeLimit = -1;  // >= 0: no file may grow past this many bytes
    bool expectMessage = false; // a message box is expected, and answered with OK

    bool needsChild() const { return ordinaryUser || fileSizeLimit >= 0; }
};

QDataStream &operator<<(QDataStream &out, const Case &c)
{
    return out << qint32(c.command) << c.open << c.target << c.ordinaryUser << c.fileSizeLimit << c.expectMessage;
}

QDataStream &operator>>(QDataStream &in, Case &c)
{
    qint32 command = 0;
    in >> command >> c.open >> c.target >> c.ordinaryUser >> c.fileSizeLimit >> c.expectMessage;
    c.command = Command(command);
    return in;
}

struct Report {
    QString problem; // why the case could not run; empty when it ran
    bool prepared = false; // false: the system would not let the fault be set up
    bool opened = false;   // saves: the file to work on was open before the fault
    bool saved = false;    // what Save returned
    bool stringsChanged = false;
    bool fileOperation = true;
    bool rowsKept = false; // the table's rows are those of before the command
    int rowCount = -1;
    QString currentFile;
    QString titleBefore; // before the command
    QString title;
    QStringList disabledCommands; // menus and menu items found disabled
    bool listUsable = false;      // lvStrings shown and enabled, lvBlank hidden
    bool cursorNormal = false;
    int progress = -1;
    QStringList messages; // "icon|text" of every message box the command showed
    QStringList warnings; // the editor's own lines on standard error
    int unexpected = -1;  // questions asked with no answer prepared
    bool answersUsed = false;
    bool addWorks = false; // afterwards, Add puts a row in
    bool newWorks = false; // and New empties the table, after asking about the change
};

QDataStream &operator<<(QDataStream &out, const Report &r)
{
    return out << r.problem << r.prepared << r.opened << r.saved << r.stringsChanged << r.fileOperation << r.rowsKept
               << r.rowCount << r.currentFile << r.titleBefore << r.title << r.disabledCommands << r.listUsable
               << r.cursorNormal << r.progress << r.messages << r.warnings << r.unexpected << r.answersUsed
               << r.addWorks << r.newWorks;
}

QDataStream &operator>>(QDataStream &in, Report &r)
{
    return in >> r.problem >> r.prepared >> r.opened >> r.saved >> r.stringsChanged >> r.fileOperation >> r.rowsKept
           >> r.rowCount >> r.currentFile >> r.titleBefore >> r.title >> r.disabledCommands >> r.listUsable
           >> r.cursorNormal >> r.progress >> r.messages >> r.warnings >> r.unexpected >> r.answersUsed
           >> r.addWorks >> r.newWorks;
}

template<typename T>
QByteArray encode(const T &value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << value;
    return bytes.toBase64();
}

template<typename T>
T decode(const QByteArray &base64)
{
    T value;
    QDataStream in(QByteArray::fromBase64(base64));
    in >> value;
    return value;
}

QStringList *capturedWarnings = nullptr;
QtMessageHandler previousHandler = nullptr;

void captureEditorWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && capturedWarnings && text.startsWith(QLatin1String("quillet: ")))
        capturedWarnings->append(text);
    else if (previousHandler)
        previousHandler(type, context, text);
}

void recordState(frmMain &w, Report &r)
{
    const DocumentController &controller = w.controller();
    r.stringsChanged = controller.StringsChanged();
    r.fileOperation = controller.FileOperation();
    r.rowCount = w.table().count();
    r.currentFile = controller.CurrentFile();
    r.title = w.windowTitle();
    for (const char *name : {"mnuFile", "mnuStrings"}) {
        const QMenu *menu = windowdriver::menu(w, name);
        if (!menu->isEnabled() || !menu->menuAction()->isEnabled())
            r.disabledCommands.append(menu->objectName());
        for (QAction *action : menu->actions()) {
            // Undo, Redo and Find Next wait for something to take back or look for.
            const QString item = action->objectName();
            const bool waits = item == QLatin1String("mnuStrings_Undo")   ? !controller.undoStack().canUndo()
                               : item == QLatin1String("mnuStrings_Redo") ? !controller.undoStack().canRedo()
                               : item.startsWith(QLatin1String("mnuStrings_Find")) && item != QLatin1String("mnuStrings_Find")
                                   ? !w.findCommands().findDialog()
                               // What works on a reference waits for one.
                               : item == QLatin1String("mnuFile_CloseReference") || item.endsWith(QLatin1String("Untranslated"))
                                       || item == QLatin1String("mnuStrings_AddMissing")
                                   ? !w.translationCommands().reference()
                                   : false;
            if (!action->isEnabled() && !waits)
                r.disabledCommands.append(item);
        }
    }
    const QTreeView *list = windowdriver::list(w);
    r.listUsable = list->isVisible() && list->isEnabled() && windowdriver::control<QTreeView>(w, "lvBlank")->isHidden();
    r.cursorNormal = !QGuiApplication::overrideCursor();
    r.progress = windowdriver::control<QProgressBar>(w, "ProgressBar")->value();
}

// Runs the case in this process. `beforeCommand` changes the files around the open table
// once it is loaded, as another program might; cases run in a child take none.
Report runScenario(const Case &c, const std::function<void()> &beforeCommand = {})
{
    Report r;
    ScriptedUserDialogs dialogs;
    MemorySettingsStore settings;
    QStringList warnings;
    capturedWarnings = &warnings;
    previousHandler = qInstallMessageHandler(captureEditorWarnings);
    auto restore = qScopeGuard([] {
        qInstallMessageHandler(previousHandler);
        capturedWarnings = nullptr;
    });
    auto applyFault = [&c] {
        return (!c.ordinaryUser || becomeAnOrdinaryUser()) && (c.fileSizeLimit < 0 || limitFileSize(c.fileSizeLimit));
    };

    frmMain w(&dialogs, &settings);
    w.stringCommands().setDialogRunner([](frmStrings &dialog) {
        QTest::keyClicks(dialog.txtName(), QStringLiteral("added"));
        QTest::keyClicks(dialog.txtValue(), QStringLiteral("~g~more"));
        dialog.cmdOk_Click();
    });

    if (c.command == Command::Start) {
        if (!(r.prepared = applyFault()))
            return r;
        if (c.expectMessage)
            dialogs.setNextAnswer(QMessageBox::Ok);
        w.Form_Load(c.open);
    } else {
        w.Form_Load(c.open);
        r.opened = w.controller().CurrentFile() == c.open && dialogs.messages.isEmpty();
        if (c.open.isEmpty())
            windowdriver::addEntries(w, workRows());
        windowdriver::addEntry(w, Change.name, Change.value);
        const QStringList rowsBefore = windowdriver::rows(w);
        r.titleBefore = w.windowTitle();
        if (c.command == Command::SaveAs || c.open.isEmpty())
            dialogs.setNextFileName(c.target);
        if (c.expectMessage)
            dialogs.setNextAnswer(QMessageBox::Ok);
        if (beforeCommand)
            beforeCommand();
        if (!(r.prepared = applyFault()))
            return r;
        if (c.command == Command::Save)
            r.saved = w.fileCommands().mnuFile_Save_Click();
        else
            windowdriver::item(w, "mnuFile_SaveAs")->trigger();
        r.rowsKept = windowdriver::rows(w) == rowsBefore;
    }
    recordState(w, r);
    for (const UserDialogs::Message &message : std::as_const(dialogs.messages))
        r.messages.append(QStringLiteral("%1|%2").arg(int(message.icon)).arg(message.text));
    r.warnings = warnings;

    // Usable: Add puts a row in, and New, after asking about that change, empties the table.
    const int rows = w.table().count();
    windowdriver::item(w, "mnuStrings_Add")->trigger();
    r.addWorks = w.table().count() == rows + 1 && w.controller().StringsChanged()
                 && windowdriver::selected(w) == QLatin1String("ADDED=~g~more");
    dialogs.setNextAnswer(QMessageBox::No);
    windowdriver::item(w, "mnuFile_New")->trigger();
    r.newWorks = w.table().count() == 0 && w.controller().CurrentFile().isEmpty()
                 && w.windowTitle() == QLatin1String("Quillet - Untitled")
                 && !dialogs.messages.isEmpty() && dialogs.messages.constLast().title == QLatin1String("Save Changes?");
    r.unexpected = dialogs.unexpected;
    r.answersUsed = dialogs.allAnswersUsed();
    return r;
}

// The child's side of --run-case: runs the case and writes the report, then ends at once. A
// sanitizer build's leak check at exit would fail in a process that has given up root, as
// it may no longer inspect itself.
[[noreturn]] void runCaseInChild(int argc, char *argv[])
{
    alarm(WatchdogSeconds);
    QApplication app(argc, argv);
    const Report report = runScenario(decode<Case>(argv[2]));
    const QByteArray line = "REPORT " + encode(report) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
    _exit(0);
}

Report runCase(const Case &c, const std::function<void()> &beforeCommand = {})
{
    if (!c.needsChild())
        return runScenario(c, beforeCommand);
    Report report;
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QString::fromLatin1(ChildSwitch), QString::fromLatin1(encode(c))});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    if (!child.waitForFinished(WatchdogSeconds * 1000)) {
        child.kill();
        child.waitForFinished(-1);
        report.problem = QStringLiteral("the child did not finish");
        return report;
    }
    const QByteArray output = child.readAllStandardOutput();
    const qsizetype at = output.lastIndexOf("REPORT ");
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || at < 0) {
        report.problem = QStringLiteral("the child ended with status %1, code %2: %3")
                             .arg(child.exitStatus())
                             .arg(child.exitCode())
                             .arg(QString::fromLocal8Bit(output));
        return report;
    }
    return decode<Report>(output.mid(at + 7).trimmed());
}

QString messageText(const QString &recorded)
{
    return recorded.section(QLatin1Char('|'), 1);
}

int messageIcon(const QString &recorded)
{
    return recorded.section(QLatin1Char('|'), 0, 0).toInt();
}

// The window after whatever went wrong: idle, every command on, the list in reach, and the
// table still workable.
void expectUsable(const Report &r)
{
    QVERIFY(!r.fileOperation);
    QCOMPARE(r.disabledCommands, QStringList());
    QVERIFY(r.listUsable);
    QVERIFY(r.cursorNormal);
    QCOMPARE(r.progress, 0);
    QVERIFY(r.addWorks);
    QVERIFY(r.newWorks);
    QCOMPARE(r.unexpected, 0);
    QVERIFY(r.answersUsed);
}

// ---- The real editor, watched from inside by the start-up probe plugin ----

struct EditorRun {
    QString problem;
    int exitCode = -1;
    QStringList probe; // the probe's lines
    QString errors;    // standard error
};

EditorRun runEditor(const QStringList &arguments, bool ordinaryUser, const QString &folder = QString())
{
    EditorRun run;
    QProcess editor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(QUILLET_PROBE_PLUGIN_DIR));
    environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("quilletprobe"));
    editor.setProcessEnvironment(environment);
    editor.setChildProcessModifier([ordinaryUser] {
        alarm(WatchdogSeconds);
        if (ordinaryUser && !becomeAnOrdinaryUser())
            _exit(121);
    });
    if (!folder.isEmpty())
        editor.setWorkingDirectory(folder);
    editor.start(QStringLiteral(QUILLET_EXECUTABLE), arguments);
    if (!editor.waitForFinished(WatchdogSeconds * 1000)) {
        editor.kill();
        editor.waitForFinished(-1);
        run.problem = QStringLiteral("the editor did not end");
    } else if (editor.exitStatus() != QProcess::NormalExit) {
        run.problem = QStringLiteral("the editor crashed");
    }
    run.exitCode = editor.exitCode();
    run.probe = QString::fromUtf8(editor.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromLocal8Bit(editor.readAllStandardError());
    return run;
}

// ---- Hostile start-up arguments ----

enum class Hostile {
    Folder,
    NamedPipe,
    Device,
    UnreadableFile,
    FileInALockedFolder,
    EmptyFile,
    RandomBytes,
    HugeSparseFile,
    VeryLongPath,
    OverlongName,
    LinkLoop,
};

QByteArray randomBytes()
{
    std::mt19937 generator(20240611); // its output, unlike the distributions', is fixed by the standard
    QByteArray bytes(4096, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(generator() & 0xFF);
    return bytes;
}

// A temporary folder for one hostile argument. The path too long for the system lies in a
// tree ("deep") that QTemporaryDir cannot remove by path, so it goes first, folder by folder.
class HostileFolder
{
public:
    QString path() const { return m_dir.path(); }
    ~HostileFolder()
    {
        const int folder = open(QFile::encodeName(m_dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        removeTreeAt(folder, "deep");
        close(folder);
    }

private:
    QTemporaryDir m_dir;
};

// Makes what the argument names under `dir`, and returns the argument; empty on failure.
QString prepareHostile(Hostile hostile, const QString &dir)
{
    const QByteArray sound = written(workRows());
    const QString file = QDir(dir).filePath(QStringLiteral("t.gxt"));
    switch (hostile) {
    case Hostile::Folder: {
        const QString folder = QDir(dir).filePath(QStringLiteral("folder.gxt"));
        return QDir().mkpath(folder) ? folder : QString();
    }
    case Hostile::NamedPipe:
        // Opened, it would hold start-up until some writer came.
        return mkfifo(QFile::encodeName(file).constData(), 0644) == 0 ? file : QString();
    case Hostile::Device:
        return QStringLiteral("/dev/zero"); // never ends
    case Hostile::UnreadableFile:
        return writeFile(file, sound, 0000) ? file : QString();
    case Hostile::FileInALockedFolder: {
        const QString locked = QDir(dir).filePath(QStringLiteral("locked"));
        const QString inside = QDir(locked).filePath(QStringLiteral("t.gxt"));
        return QDir().mkpath(locked) && writeFile(inside, sound) && setMode(locked, 0700) ? inside : QString();
    }
    case Hostile::EmptyFile:
        return writeFile(file, QByteArray()) ? file : QString();
    case Hostile::RandomBytes:
        return writeFile(file, randomBytes()) ? file : QString();
    case Hostile::HugeSparseFile: {
        QFile huge(file);
        return huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30) ? file : QString();
    }
    case Hostile::VeryLongPath:
    {
        const QString deep = QDir(dir).filePath(QStringLiteral("deep"));
        return QDir().mkpath(deep) ? makeDeepFile(deep, 5000, sound) : QString();
    }
    case Hostile::OverlongName:
        return QDir(dir).filePath(QString(300, QLatin1Char('n')) + QStringLiteral(".gxt"));
    case Hostile::LinkLoop: {
        const QString a = QDir(dir).filePath(QStringLiteral("a.gxt"));
        const QString b = QDir(dir).filePath(QStringLiteral("b.gxt"));
        return QFile::link(b, a) && QFile::link(a, b) ? a : QString();
    }
    }
    return {};
}

// The reason the reader gives for the random bytes, found once by reading them.
QString randomBytesReason()
{
    QString error;
    testfiles::readRows(randomBytes(), &error);
    return error;
}

enum class Fault {
    Cancelled,
    ReadOnlyFolder,
    ReadOnlyFile,
    FolderInPlace,
    MissingFolder,
    DiskFull,
    DiskFullThroughALink,
};

} // namespace

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(Hostile)
Q_DECLARE_METATYPE(Fault)

class TestWindowFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedSavesLoseNothing_data();
    void failedSavesLoseNothing();
    void savesKeepLinksAndPermissions_data();
    void savesKeepLinksAndPermissions();
    void hostileStartArguments_data();
    void hostileStartArguments();
    void editorStartsWithHostileArguments_data();
    void editorStartsWithHostileArguments();
    void editorStartsWhateverTheArguments_data();
    void editorStartsWhateverTheArguments();
};

void TestWindowFaults::failedSavesLoseNothing_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("untitled"); // Save: the table has no file yet, so Save asks for one
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("reason"); // in the message; "" when none is expected
    const QString permission = QStringLiteral("Permission denied");
    const QString notWritable = QStringLiteral("is not writable");
    const QString folder = QStringLiteral("refers to a directory");
    const QString missing = QStringLiteral("No such file or directory");
    const QString full = qt_error_string(EFBIG);
    for (const auto &[command, name] : {std::pair{Command::Save, "Save"}, std::pair{Command::SaveAs, "Save As"}}) {
        auto row = [&](const char *situation) -> QTestData & {
            return QTest::addRow("%s, %s", name, situation) << command << false;
        };
        row("read-only folder") << Fault::ReadOnlyFolder << permission;
        row("read-only file") << Fault::ReadOnlyFile << notWritable;
        row("a folder in the file's place") << Fault::FolderInPlace << folder;
        row("missing folder") << Fault::MissingFolder << missing;
        row("disk full half-way") << Fault::DiskFull << full;
        row("disk full half-way, through a link") << Fault::DiskFullThroughALink << full;
    }
    QTest::newRow("Save As, dialog cancelled") << Command::SaveAs << false << Fault::Cancelled << QString();
    QTest::newRow("Save untitled, dialog cancelled") << Command::Save << true << Fault::Cancelled << QString();
    QTest::newRow("Save untitled, read-only folder") << Command::Save << true << Fault::ReadOnlyFolder << permission;
    QTest::newRow("Save untitled, missing folder") << Command::Save << true << Fault::MissingFolder << missing;
    QTest::newRow("Save untitled, over a file, disk full half-way") << Command::Save << true << Fault::DiskFull << full;
}

// Files: tables/t.gxt is the target. Save works on it; Save As works on open/open.gxt and
// names tables/t.gxt in its dialog. Through a link, tables/t.gxt links to real/t.gxt.
void TestWindowFaults::failedSavesLoseNothing()
{
    QFETCH(Command, command);
    QFETCH(bool, untitled);
    QFETCH(Fault, fault);
    QFETCH(QString, reason);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(setMode(temp.path(), 0755)); // an ordinary user must reach the folders inside
    const QString tables = temp.filePath(QStringLiteral("tables"));
    const QString openFolder = temp.filePath(QStringLiteral("open"));
    QVERIFY(QDir().mkpath(tables) && QDir().mkpath(openFolder));
    QString target = QDir(tables).filePath(QStringLiteral("t.gxt"));
    QString file = target; // the regular file behind the target
    const bool saveAs = command == Command::SaveAs;
    const QByteArray oldBytes = written(saveAs || untitled ? OtherRows : workRows());
    Case c;
    c.command = command;
    c.expectMessage = fault != Fault::Cancelled;

    if (fault == Fault::DiskFullThroughALink) {
        const QString real = temp.filePath(QStringLiteral("real"));
        QVERIFY(QDir().mkpath(real));
        file = QDir(real).filePath(QStringLiteral("t.gxt"));
        QVERIFY(QFile::link(QStringLiteral("../real/t.gxt"), target));
    }
    if (fault == Fault::FolderInPlace && saveAs) {
        QVERIFY(QDir().mkpath(target));
        QVERIFY(writeFile(QDir(target).filePath(QStringLiteral("inside.txt")), "keep"));
    } else {
        QVERIFY(writeFile(file, oldBytes, fault == Fault::ReadOnlyFile ? 0444 : 0666));
    }
    if (saveAs) {
        c.open = QDir(openFolder).filePath(QStringLiteral("open.gxt"));
        QVERIFY(writeFile(c.open, written(workRows())));
    } else if (!untitled) {
        c.open = target;
    }
    if (fault == Fault::MissingFolder && (saveAs || untitled))
        target = QDir(tables).filePath(QStringLiteral("no/such/t.gxt"));
    c.target = fault == Fault::Cancelled ? QString() : target;
    c.ordinaryUser = fault == Fault::ReadOnlyFolder || fault == Fault::ReadOnlyFile;
    if (fault == Fault::DiskFull || fault == Fault::DiskFullThroughALink)
        c.fileSizeLimit = written(changedRows()).size() / 2;
    // The ordinary user meets the one obstacle: the folder, or the file.
    if (fault == Fault::ReadOnlyFolder || fault == Fault::ReadOnlyFile)
        QVERIFY(setMode(tables, fault == Fault::ReadOnlyFolder ? 0555 : 0777));
    auto reopen = qScopeGuard([&] { setMode(tables, 0755); }); // so that the clean-up may look inside

    // A Save works on the file it opened; what happens to that file afterwards happens
    // behind the editor's back, as another program or an unplugged disk would do it.
    QStringList before = snapshot(temp.path());
    std::function<void()> behindItsBack;
    if (fault == Fault::FolderInPlace && !saveAs) {
        behindItsBack = [&] {
            QVERIFY(QFile::remove(target));
            QVERIFY(QDir().mkpath(target));
            QVERIFY(writeFile(QDir(target).filePath(QStringLiteral("inside.txt")), "keep"));
            before = snapshot(temp.path());
        };
    } else if (fault == Fault::MissingFolder && !saveAs && !untitled) {
        behindItsBack = [&] {
            QVERIFY(QDir(tables).removeRecursively());
            before = snapshot(temp.path());
        };
    }
    const Report r = runCase(c, behindItsBack);
    QVERIFY2(r.problem.isEmpty(), qPrintable(r.problem));
    if (!r.prepared)
        QSKIP("this system does not let the test switch to an ordinary user (uid 65534) or limit file sizes");
    QVERIFY(r.opened);

    // Nothing lost, nothing left behind: every byte, bit, link and folder as before.
    QCOMPARE(snapshot(temp.path()), before);
    if (QFileInfo::exists(file) && !QFileInfo(file).isDir())
        QCOMPARE(readFile(file), oldBytes);
    if (fault == Fault::DiskFullThroughALink)
        QCOMPARE(QFile::symLinkTarget(QDir(tables).filePath(QStringLiteral("t.gxt"))), file);

    // The user learns which file and why, once.
    if (reason.isEmpty()) {
        QCOMPARE(r.messages, QStringList());
    } else {
        QCOMPARE(r.messages.size(), 1);
        const QString text = messageText(r.messages[0]);
        qInfo("%s", qPrintable(text));
        QVERIFY2(text.startsWith(QStringLiteral("Could not save %1: ").arg(QDir::toNativeSeparators(target))), qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
        QCOMPARE(messageIcon(r.messages[0]), int(QMessageBox::Critical));
    }
    QCOMPARE(r.warnings, QStringList());

    // The change is still there and still counts as unsaved; the table belongs to the file
    // it belonged to before.
    QVERIFY(!r.saved);
    QVERIFY(r.rowsKept);
    QVERIFY(r.stringsChanged);
    QCOMPARE(r.currentFile, c.open);
    QCOMPARE(r.title, r.titleBefore);
    expectUsable(r);
}

void TestWindowFaults::savesKeepLinksAndPermissions_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("link"); // what tables/t.gxt links to; "" for a plain file
    QTest::addColumn<int>("mode");     // of the file before and after
    QTest::newRow("Save through a relative link") << Command::Save << "../real/t.gxt" << 0644;
    QTest::newRow("Save through an absolute link") << Command::Save << "REAL" << 0640;
    QTest::newRow("Save As onto a link") << Command::SaveAs << "../real/t.gxt" << 0644;
    QTest::newRow("Save keeps 0640") << Command::Save << "" << 0640;
    QTest::newRow("Save keeps 0604") << Command::Save << "" << 0604;
    QTest::newRow("Save As over a 0600 file keeps it") << Command::SaveAs << "" << 0600;
}

void TestWindowFaults::savesKeepLinksAndPermissions()
{
    QFETCH(Command, command);
    QFETCH(QString, link);
    QFETCH(int, mode);
    QTemporaryDir temp;
    const QString tables = temp.filePath(QStringLiteral("tables"));
    const QString real = temp.filePath(QStringLiteral("real"));
    QVERIFY(QDir().mkpath(tables) && QDir().mkpath(real));
    const QString target = QDir(tables).filePath(QStringLiteral("t.gxt"));
    const QString file = link.isEmpty() ? target : QDir(real).filePath(QStringLiteral("t.gxt"));
    const bool saveAs = command == Command::SaveAs;
    QVERIFY(writeFile(file, written(saveAs ? OtherRows : workRows()), mode));
    if (!link.isEmpty())
        QVERIFY(QFile::link(link == QLatin1String("REAL") ? file : link, target));
    const QString linkBefore = QFile::symLinkTarget(target);
    Case c;
    c.command = command;
    c.open = saveAs ? temp.filePath(QStringLiteral("open.gxt")) : target;
    c.target = target;
    if (saveAs)
        QVERIFY(writeFile(c.open, written(workRows())));
    const QStringList tablesBefore = QDir(tables).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const QStringList realBefore = QDir(real).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);

    const Report r = runCase(c);
    QVERIFY2(r.problem.isEmpty(), qPrintable(r.problem));
    QVERIFY(r.opened);
    QCOMPARE(r.messages, QStringList());
    QCOMPARE(readFile(file), written(changedRows()));
    QCOMPARE(QString::number(modeOf(file), 8), QString::number(mode, 8));
    QCOMPARE(QFileInfo(target).isSymLink(), !link.isEmpty());
    QCOMPARE(QFile::symLinkTarget(target), linkBefore);
    QCOMPARE(QDir(tables).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), tablesBefore);
    QCOMPARE(QDir(real).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), realBefore);
    // The table belongs to the path the user gave, the link itself, and is saved.
    QCOMPARE(r.currentFile, target);
    QCOMPARE(r.title, QStringLiteral("Quillet - t.gxt"));
    QVERIFY(!r.stringsChanged);
    QVERIFY(r.rowsKept);
    if (!saveAs)
        QVERIFY(r.saved);
    expectUsable(r);
}

void TestWindowFaults::hostileStartArguments_data()
{
    QTest::addColumn<Hostile>("hostile");
    QTest::addColumn<bool>("ordinaryUser");
    QTest::addColumn<bool>("messageBox"); // told in a message box, rather than on standard error
    QTest::addColumn<QString>("reason");
    const QString notAFile = QStringLiteral("not a file");
    const QString tooLong = qt_error_string(ENAMETOOLONG);
    QTest::newRow("a folder") << Hostile::Folder << false << false << notAFile;
    QTest::newRow("a named pipe") << Hostile::NamedPipe << false << false << notAFile;
    QTest::newRow("a device that never ends") << Hostile::Device << false << false << notAFile;
    QTest::newRow("an unreadable file") << Hostile::UnreadableFile << true << true << qt_error_string(EACCES);
    QTest::newRow("a file in a folder the user may not enter") << Hostile::FileInALockedFolder << true << false
                                                               << qt_error_string(EACCES);
    QTest::newRow("an empty file") << Hostile::EmptyFile << false << true << "the file is 0 bytes long";
    QTest::newRow("random bytes") << Hostile::RandomBytes << false << true << randomBytesReason();
    QTest::newRow("a 3 GiB file") << Hostile::HugeSparseFile << false << true << "more than a GXT file can be";
    QTest::newRow("a path of 5000 characters") << Hostile::VeryLongPath << false << false << tooLong;
    QTest::newRow("a name of 300 bytes") << Hostile::OverlongName << false << false << tooLong;
    QTest::newRow("a loop of links") << Hostile::LinkLoop << false << false << qt_error_string(ELOOP);
}

void TestWindowFaults::hostileStartArguments()
{
    QFETCH(Hostile, hostile);
    QFETCH(bool, ordinaryUser);
    QFETCH(bool, messageBox);
    QFETCH(QString, reason);
    QVERIFY(!reason.isEmpty());
    HostileFolder temp;
    QVERIFY(setMode(temp.path(), 0755));
    const QString argument = prepareHostile(hostile, temp.path());
    QVERIFY(!argument.isEmpty());
    Case c;
    c.open = argument;
    c.ordinaryUser = ordinaryUser;
    c.expectMessage = messageBox;

    const Report r = runCase(c);
    QVERIFY2(r.problem.isEmpty(), qPrintable(r.problem));
    if (!r.prepared)
        QSKIP("this system does not let the test switch to an ordinary user (uid 65534)");
    if (messageBox) {
        QCOMPARE(r.messages.size(), 1);
        const QString text = messageText(r.messages[0]);
        QVERIFY2(text.startsWith(QStringLiteral("Could not open %1: ").arg(QDir::toNativeSeparators(argument))), qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
        QCOMPARE(messageIcon(r.messages[0]), int(QMessageBox::Critical));
        QCOMPARE(r.warnings, QStringList());
    } else {
        QCOMPARE(r.messages, QStringList());
        QCOMPARE(r.warnings.size(), 1);
        QVERIFY2(r.warnings[0].startsWith(QStringLiteral("quillet: %1: ").arg(argument)), qPrintable(r.warnings[0]));
        QVERIFY2(r.warnings[0].contains(reason), qPrintable(r.warnings[0]));
    }
    // An untitled table, as without an argument.
    QCOMPARE(r.currentFile, QString());
    QCOMPARE(r.title, QStringLiteral("Quillet - Untitled"));
    QCOMPARE(r.rowCount, 0);
    QVERIFY(!r.stringsChanged);
    expectUsable(r);
}

void TestWindowFaults::editorStartsWithHostileArguments_data()
{
    QTest::addColumn<Hostile>("hostile");
    QTest::addColumn<bool>("ordinaryUser");
    QTest::addColumn<QString>("told"); // the message box's text, or the line on standard error
    QTest::newRow("a folder") << Hostile::Folder << false << "quillet: ARG: not a file";
    QTest::newRow("random bytes") << Hostile::RandomBytes << false << "Could not open ARG: " + randomBytesReason();
    QTest::newRow("an unreadable file") << Hostile::UnreadableFile << true
                                        << "Could not open ARG: " + qt_error_string(EACCES);
    QTest::newRow("a path of 5000 characters") << Hostile::VeryLongPath << false
                                               << "quillet: ARG: " + qt_error_string(ENAMETOOLONG);
}

// The editor itself, started as a user starts it but without a display. The probe plugin
// answers its message boxes and ends it once the window has settled; see startupprobe.cpp.
void TestWindowFaults::editorStartsWithHostileArguments()
{
    QFETCH(Hostile, hostile);
    QFETCH(bool, ordinaryUser);
    QFETCH(QString, told);
    HostileFolder temp;
    QVERIFY(setMode(temp.path(), 0755));
    const QString argument = prepareHostile(hostile, temp.path());
    QVERIFY(!argument.isEmpty());
    told.replace(QStringLiteral("ARG"), argument);

    const EditorRun run = runEditor({argument}, ordinaryUser);
    QVERIFY2(run.problem.isEmpty(), qPrintable(run.problem + QLatin1Char('\n') + run.errors));
    QVERIFY2(run.exitCode == 0, qPrintable(QString::number(run.exitCode) + QLatin1Char('\n') + run.errors));
    QStringList expected;
    if (told.startsWith(QLatin1String("quillet: ")))
        QVERIFY2(run.errors.contains(told + QLatin1Char(';')), qPrintable(run.errors));
    else
        expected << QStringLiteral("message %1 %2").arg(int(QMessageBox::Critical)).arg(told);
    expected << QStringLiteral("window Quillet - Untitled") << QStringLiteral("rows 0")
             << QStringLiteral("list shown, enabled") << QStringLiteral("commands all enabled");
    QCOMPARE(run.probe, expected);
}

void TestWindowFaults::editorStartsWhateverTheArguments_data()
{
    // Run in a folder holding t.gxt and -name.gxt, two-row tables, and big.gxt, whose load
    // lets events run while the window is on the screen.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("opened"); // "" for an untitled table
    QTest::addColumn<QString>("ignored"); // the line on standard error; "" for none
    QTest::addColumn<int>("rows");
    QTest::newRow("two files") << QStringList{"t.gxt", "b"} << "t.gxt" << "quillet: ignoring b" << 2;
    QTest::newRow("an unknown option") << QStringList{"--bogus"} << "" << "quillet: ignoring --bogus" << 0;
    QTest::newRow("a file named with a dash") << QStringList{"-name.gxt"} << "-name.gxt" << "" << 2;
    QTest::newRow("after --") << QStringList{"--", "-name.gxt"} << "-name.gxt" << "" << 2;
    // Qt takes its own options before the editor reads the rest.
    QTest::newRow("Qt's option") << QStringList{"-reverse", "t.gxt"} << "t.gxt" << "" << 2;
    QTest::newRow("a large table") << QStringList{"big.gxt"} << "big.gxt" << "" << 2000;
}

void TestWindowFaults::editorStartsWhateverTheArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, opened);
    QFETCH(QString, ignored);
    QFETCH(int, rows);
    QTemporaryDir temp;
    for (const char *name : {"t.gxt", "-name.gxt"})
        QVERIFY(writeFile(temp.filePath(QLatin1String(name)), written(OtherRows)));
    QVERIFY(writeFile(temp.filePath(QStringLiteral("big.gxt")), written(workRows())));

    const EditorRun run = runEditor(arguments, false, temp.path());
    QVERIFY2(run.problem.isEmpty(), qPrintable(run.problem + QLatin1Char('\n') + run.errors));
    QVERIFY2(run.exitCode == 0, qPrintable(QString::number(run.exitCode) + QLatin1Char('\n') + run.errors));
    const QStringList editorLines = run.errors.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^quillet: ")));
    QCOMPARE(editorLines, ignored.isEmpty() ? QStringList() : QStringList{ignored});
    QCOMPARE(run.probe, QStringList({QStringLiteral("window Quillet - ") + (opened.isEmpty() ? QStringLiteral("Untitled") : opened),
                                     QStringLiteral("rows %1").arg(rows),
                                     QStringLiteral("list shown, enabled"), QStringLiteral("commands all enabled")}));
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], ChildSwitch) == 0)
        runCaseInChild(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestWindowFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowfaults.moc"
