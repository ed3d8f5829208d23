// The main window driven headless: start-up, the File commands with every answer of the
// save prompt, failures, the busy state of a load or save, and the string list's mouse,
// header and keyboard behaviour. Dialogs answer from a script; settings live in memory.
#include "testfiles.h"
#include "windowdriver.h"

#include "commandline.h"
#include "filecommands.h"
#include "filelocation.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "listcolumns.h"
#include "recentfiles.h"
#include "stringcommands.h"
#include "stringlistproxy.h"
#include "stringtablemodel.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

using namespace quillet;
using namespace windowdriver;

namespace {

testfiles::Rows entries(int count)
{
    testfiles::Rows rows;
    for (int i = count; i >= 1; --i)
        rows.append({QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("value %1").arg(i)});
    return rows;
}

// One more unit than a text of the file can hold: a change that every save refuses.
const QString TooLong(32767, u'x');

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void definition();
    void commandLine_data();
    void commandLine();
    void ignoredLineIsOneLine();
    void listColumns_data();
    void listColumns();
    void startup_data();
    void startup();
    void savePrompt_data();
    void savePrompt();
    void saveCommands();
    void failedOpen_data();
    void failedOpen();
    void everyUnitSurvivesOpenAndSave();
    void busyDuringFileOperations_data();
    void busyDuringFileOperations();
    void rememberedFolder();
    void recentFilesList_data();
    void recentFilesList();
    void recentFilesMenu();
    void shortcuts();
    void columnClicks_data();
    void columnClicks();
    void openSortsByNameInTheListsDirection_data();
    void openSortsByNameInTheListsDirection();
    void popup_data();
    void popup();
    void doubleClickRunsEdit();
    void typingJumpsToName();
    void keysOfTheList_data();
    void keysOfTheList();
    void dropRefusesOtherFiles();
    void stringCommands_data();
    void stringCommands();
    void deleteMarksTheTableChanged();

private:
    QString writeTable(const QString &name, const testfiles::Rows &rows)
    {
        const QString path = m_dir->filePath(name);
        if (!testfiles::writeFile(path, testfiles::written(rows)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QStringList names() const { return windowdriver::names(*w); }
    bool changed() const { return w->controller().StringsChanged(); }
    QString currentFile() const { return w->controller().CurrentFile(); }
    QAction *item(const char *name) const { return windowdriver::item(*w, name); }
    QMenu *menu(const char *name) const { return windowdriver::menu(*w, name); }
    QTreeView *list() const { return windowdriver::list(*w); }
    QTreeView *blank() const { return control<QTreeView>(*w, "lvBlank"); }
    QProgressBar *progressBar() const { return control<QProgressBar>(*w, "ProgressBar"); }
    // A change the history keeps: an entry added, whose value a save refuses when `unsavable`.
    void markChanged(bool unsavable = false)
    {
        addEntry(*w, QStringLiteral("NEW"), QStringLiteral("new"), unsavable ? &TooLong : nullptr);
    }
    bool drop(const QString &path)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w.get(), &dropped);
        QCoreApplication::processEvents();
        return true;
    }
    // The File menu's items between Save As's separator and Exit, as "caption|status tip".
    QStringList recentItems() const
    {
        QStringList shown;
        const QList<QAction *> items = menu("mnuFile")->actions();
        for (qsizetype i = items.indexOf(item("mnuFile_Sep3")) + 1; i < items.indexOf(item("mnuFile_Exit")); ++i)
            shown << (items[i]->isSeparator() ? QStringLiteral("-") : items[i]->text() + '|' + items[i]->statusTip());
        return shown;
    }
    QAction *recentItem(const QString &caption) const
    {
        for (QAction *action : menu("mnuFile")->actions()) {
            if (action->text() == caption)
                return action;
        }
        return nullptr;
    }
    void activate()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void expectNormalState()
    {
        QVERIFY(!w->controller().FileOperation());
        QVERIFY(list()->isVisible() && list()->isEnabled());
        QVERIFY(blank()->isHidden());
        QVERIFY(menu("mnuFile")->isEnabled() && menu("mnuStrings")->isEnabled());
        // Undo, Redo and Find Next wait for something to take back or look for.
        // What works on a reference waits for one.
        const QList<QAction *> waiting{item("mnuStrings_Undo"), item("mnuStrings_Redo"), item("mnuStrings_FindNext"),
                                       item("mnuStrings_FindPrevious"), item("mnuFile_CloseReference"),
                                       item("mnuStrings_NextUntranslated"), item("mnuStrings_PreviousUntranslated"),
                                       item("mnuStrings_AddMissing")};
        for (QAction *action : menu("mnuFile")->actions() + menu("mnuEdit")->actions() + menu("mnuStrings")->actions())
            QVERIFY2(action->isEnabled() || waiting.contains(action), qPrintable(action->objectName()));
        QCOMPARE(item("mnuStrings_Undo")->isEnabled(), w->controller().undoStack().canUndo());
        QCOMPARE(item("mnuStrings_Redo")->isEnabled(), w->controller().undoStack().canRedo());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(progressBar()->value(), 0);
        // No empty frame where the progress bar was.
        QVERIFY(progressBar()->isHidden());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedUserDialogs> dialogs;
    std::unique_ptr<MemorySettingsStore> settings;
    std::unique_ptr<frmMain> w;
    QStringList editorCaptions;
    std::function<void(frmStrings &)> editorScript;
};

void TestFrmMain::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    dialogs = std::make_unique<ScriptedUserDialogs>();
    settings = std::make_unique<MemorySettingsStore>();
    w = std::make_unique<frmMain>(dialogs.get(), settings.get());
    // The editor dialog is worked by the test's script; without one it is cancelled.
    editorCaptions.clear();
    editorScript = nullptr;
    w->stringCommands().setDialogRunner([this](frmStrings &dialog) {
        editorCaptions.append(dialog.windowTitle());
        if (editorScript)
            editorScript(dialog);
        else
            dialog.cmdCancel_Click();
    });
}

void TestFrmMain::cleanup()
{
    w.reset();
    QCOMPARE(dialogs->unexpected, 0);
}

void TestFrmMain::definition()
{
    QCOMPARE(w->windowTitle(), QStringLiteral("Brindle - Quillet"));
    w->Form_Load(QString());
    // Without a remembered size it opens at its design size; tst_windowsize resizes it.
    QCOMPARE(w->centralWidget()->size(), QSize(665, 456));
    QVERIFY(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(w->windowIcon().availableSizes().contains(QSize(32, 32)));
    // The stand-in list covers exactly the string list, with the same columns.
    for (QTreeView *view : {list(), blank()}) {
        // Below the filter bar.
        QCOMPARE(view->geometry(), QRect(8, 36, 649, 412));
        QCOMPARE(view->model()->columnCount(), 2);
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
        QCOMPARE(view->header()->sectionSize(0), list()->header()->sectionSize(0));
        QCOMPARE(view->header()->sectionSize(0) + view->header()->sectionSize(1), view->viewport()->width());
    }
    // After start-up: the stand-in list is disabled and out of sight, no right press waits.
    QVERIFY(blank()->isHidden() && !blank()->isEnabled() && list()->isVisible());
    QCOMPARE(QPoint(w->mouseDownX(), w->mouseDownY()), QPoint(-1, -1));

    auto items = [](QMenu *shown) {
        QStringList rows;
        for (QAction *action : shown->actions())
            rows << QStringLiteral("%1|%2|%3").arg(action->objectName(), action->text(), action->shortcut().toString());
        return rows;
    };
    QCOMPARE(w->menuBar()->actions(), QList<QAction *>({menu("mnuFile")->menuAction(), menu("mnuEdit")->menuAction(),
                                                        menu("mnuTables")->menuAction(), menu("mnuStrings")->menuAction()}));
    // The Tables menu is for files of tables only.
    QVERIFY(!menu("mnuTables")->menuAction()->isVisible());
    QCOMPARE(menu("mnuFile")->title(), QStringLiteral("&File"));
    QCOMPARE(menu("mnuStrings")->title(), QStringLiteral("&Strings"));
    QCOMPARE(items(menu("mnuFile")),
             QStringList({"mnuFile_New|&New...|Ctrl+N", "|New &Layout|", "mnuFile_Sep1||", "mnuFile_Open|&Open...|Ctrl+O",
                          "mnuFile_Save|&Save|Ctrl+S", "mnuFile_SaveAs|Save &As...|", "mnuFile_Sep4||",
                          "mnuFile_Export|&Export...|", "mnuFile_Import|&Import...|", "mnuFile_SepTranslation||",
                          "mnuFile_OpenReference|Open &Reference...|Ctrl+Shift+O", "mnuFile_CloseReference|Close Re&ference|",
                          "mnuFile_ExportTranslation|Export &Translation...|",
                          "mnuFile_ImportTranslation|I&mport Translation...|", "mnuFile_Sep2||",
                          "|&Character Numbering|", "|&Key Names|", "mnuFile_Sep3||", "mnuFile_Exit|E&xit|"}));
    QCOMPARE(menu("mnuEdit")->title(), QStringLiteral("&Edit"));
    QCOMPARE(items(menu("mnuEdit")), QStringList({"mnuEdit_Copy|&Copy|Ctrl+C", "mnuEdit_Paste|&Paste|Ctrl+V",
                                                  "mnuEdit_Filter|&Filter|Ctrl+L"}));
    QCOMPARE(items(menu("mnuStrings")),
             QStringList({"mnuStrings_Add|&Add String|Ctrl+A", "mnuStrings_Edit|&Edit|Ctrl+E", "mnuStrings_Sep1||",
                          "mnuStrings_Delete|&Delete|Ctrl+D", "mnuStrings_Sep2||", "mnuStrings_Undo|&Undo|Ctrl+Z",
                          "mnuStrings_Redo|&Redo|Ctrl+Y", "mnuStrings_Sep3||", "mnuStrings_Find|&Find...|Ctrl+F",
                          "mnuStrings_FindNext|Find &Next|F3", "mnuStrings_FindPrevious|Find &Previous|Shift+F3",
                          "mnuStrings_Replace|Repla&ce...|Ctrl+H", "mnuStrings_SepTranslation||",
                          "mnuStrings_NextUntranslated|Nex&t Untranslated|F8",
                          "mnuStrings_PreviousUntranslated|Previous Untrans&lated|Shift+F8",
                          "mnuStrings_AddMissing|Add &Missing Entry|Ctrl+M"}));
    QVERIFY(item("mnuFile_Sep1")->isSeparator() && item("mnuStrings_Sep1")->isSeparator());
}

void TestFrmMain::commandLine_data()
{
    // Run in a folder that holds "-name.gxt"; "-none.gxt" is not there.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("ignored");
    const int run = CommandLine::Run, help = CommandLine::ShowHelp, version = CommandLine::ShowVersion;
    QTest::newRow("nothing") << QStringList() << run << "" << QStringList();
    QTest::newRow("a file") << QStringList{"t.gxt"} << run << "t.gxt" << QStringList();
    QTest::newRow("two files") << QStringList{"a.gxt", "b.gxt"} << run << "a.gxt" << QStringList{"b.gxt"};
    QTest::newRow("unknown option") << QStringList{"--bogus"} << run << "" << QStringList{"--bogus"};
    QTest::newRow("options round a file") << QStringList{"--bogus", "a.gxt", "-x", "b"} << run << "a.gxt"
                                          << QStringList{"--bogus", "-x", "b"};
    QTest::newRow("dash-named file that exists") << QStringList{"-name.gxt"} << run << "-name.gxt" << QStringList();
    QTest::newRow("dash-named file that does not") << QStringList{"-none.gxt"} << run << "" << QStringList{"-none.gxt"};
    QTest::newRow("-- ends options") << QStringList{"--", "-none.gxt", "--version"} << run << "-none.gxt"
                                     << QStringList{"--version"};
    QTest::newRow("a lone dash is a file") << QStringList{"-"} << run << "-" << QStringList();
    QTest::newRow("--version beside a file") << QStringList{"a.gxt", "--version"} << version << "a.gxt" << QStringList();
    QTest::newRow("-v") << QStringList{"-v"} << version << "" << QStringList();
    QTest::newRow("-h beside an unknown option") << QStringList{"--bogus", "-h"} << help << "" << QStringList{"--bogus"};
    QTest::newRow("-help") << QStringList{"-help"} << help << "" << QStringList();
}

void TestFrmMain::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, file);
    QFETCH(QStringList, ignored);
    QVERIFY(QFile(m_dir->filePath(QStringLiteral("-name.gxt"))).open(QIODevice::WriteOnly));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });

    const CommandLine parsed = parseCommandLine(QStringList{"quillet"} + arguments);
    QCOMPARE(int(parsed.action), action);
    QCOMPARE(parsed.argument, file);
    QCOMPARE(parsed.ignored, ignored);
    if (action == CommandLine::ShowVersion)
        QCOMPARE(parsed.text, QStringLiteral("quillet 1.03\n"));
    else if (action == CommandLine::ShowHelp)
        QVERIFY(parsed.text.startsWith(QStringLiteral("Usage: quillet [options] [file]")));
    else if (ignored.isEmpty())
        QCOMPARE(parsed.text, QString());
    else
        QCOMPARE(parsed.text, "quillet: ignoring " + ignored.join(' ') + '\n');
}

void TestFrmMain::ignoredLineIsOneLine()
{
    // Each ignored argument stays told apart from the next, and none breaks the line.
    QCOMPARE(parseCommandLine({"quillet", "a", "b c", "x\ny", ""}).text,
             QStringLiteral("quillet: ignoring \"b c\" \"x?y\" \"\"\n"));
}

void TestFrmMain::listColumns_data()
{
    QTest::addColumn<QString>("family"); // "": the window's own list, in the font it chose
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("the list's font") << "" << 0.0 << false;
    QTest::newRow("sans, 8.25 points") << "DejaVu Sans" << 8.25 << false;
    QTest::newRow("serif, 13 points, bold") << "DejaVu Serif" << 13.0 << true;
    QTest::newRow("mono, 10 points") << "DejaVu Sans Mono" << 10.0 << false;
    QTest::newRow("sans, 21.5 points") << "DejaVu Sans" << 21.5 << false;
}

// The Name column holds the widest eight-character name without cutting it short, as
// the view itself measures what a name needs; the Value column takes the rest, scroll bar
// or not.
void TestFrmMain::listColumns()
{
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    testfiles::Rows rows;
    for (QChar c : QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"))
        rows.append({QString(8, c), QStringLiteral("v")});
    const std::shared_ptr<const CharacterNumbering> numbering = CharacterNumbering::windows1252();
    const EntryRules rules(GxtFormat::untitled(), 16, *numbering);
    StringTable table;
    StringTableModel model;
    model.setRules(rules);
    model.setTable(&table);
    QTreeView other;
    QTreeView *view = list();
    if (family.isEmpty()) {
        w->Form_Load(writeTable(QStringLiteral("t.gxt"), rows));
    } else {
        w->Form_Load(QString());
        QFont font(family);
        font.setPointSizeF(points);
        font.setBold(bold);
        other.setFont(font);
        other.setRootIsDecorated(false);
        other.setModel(&model);
        other.resize(400, 200);
        fitListColumns(other, nameColumnWidth(other));
        std::vector<StringEntry> entries;
        for (const testfiles::Row &row : std::as_const(rows)) {
            StringEntry entry;
            QVERIFY(rules.encode(row.name, row.value, entry));
            entries.push_back(entry);
        }
        table.assign(entries);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        view = &other;
    }
    const QHeaderView *header = view->header();
    // QTreeView's own measure, public through the base class.
    const int needed = static_cast<const QAbstractItemView *>(view)->sizeHintForColumn(0);
    QVERIFY2(header->sectionSize(0) >= needed, qPrintable(QStringLiteral("%1 < %2").arg(header->sectionSize(0)).arg(needed)));
    QVERIFY2(header->sectionSize(0) <= needed + 1, qPrintable(QStringLiteral("%1 > %2").arg(header->sectionSize(0)).arg(needed)));
    QTRY_VERIFY(view->verticalScrollBar()->isVisible());
    QTRY_COMPARE(header->sectionSize(0) + header->sectionSize(1), view->viewport()->width());
    QVERIFY(!view->horizontalScrollBar()->isVisible());
}

void TestFrmMain::startup_data()
{
    // In arguments, DIR stands for a folder holding t.gxt, ab (a table too) and bad.gxt.
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("opened"); // file name, or "" for an untitled table
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("failureShown");
    QTest::newRow("no argument") << "" << "" << "" << false;
    QTest::newRow("two quotes") << "\"\"" << "" << "" << false;
    QTest::newRow("quoted path") << "\"DIR/t.gxt\"" << "t.gxt" << "" << false;
    QTest::newRow("path as the shell passes it") << "DIR/t.gxt" << "t.gxt" << "" << false;
    QTest::newRow("two-character name, relative") << "ab" << "ab" << "" << false;
    QTest::newRow("missing file") << "DIR/none.gxt" << "" << "none.gxt: no such file" << false;
    QTest::newRow("folder") << "DIR" << "" << ": not a file" << false;
    QTest::newRow("damaged file") << "DIR/bad.gxt" << "" << "" << true;
}

void TestFrmMain::startup()
{
    QFETCH(QString, argument);
    QFETCH(QString, opened);
    QFETCH(QString, warning);
    QFETCH(bool, failureShown);
    writeTable(QStringLiteral("t.gxt"), entries(3));
    writeTable(QStringLiteral("ab"), entries(2));
    QFile bad(m_dir->filePath(QStringLiteral("bad.gxt")));
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("TKEY\x07\0\0\0", 8) == 8);
    bad.close();
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });

    if (failureShown)
        dialogs->setNextAnswer(QMessageBox::Ok);
    if (warning.isEmpty())
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^quillet: ")));
    else
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
    w->Form_Load(argument.replace(QStringLiteral("DIR"), m_dir->path()));

    QCOMPARE(currentFile(), opened.isEmpty() ? QString() : m_dir->filePath(opened));
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - ") + (opened.isEmpty() ? QStringLiteral("Untitled") : opened));
    QCOMPARE(w->table().count(), opened == QLatin1String("t.gxt") ? 3 : opened.isEmpty() ? 0 : 2);
    QVERIFY(!changed());
    QCOMPARE(dialogs->messages.size(), failureShown ? 1 : 0);
    if (failureShown)
        QVERIFY(dialogs->messages[0].text.contains(m_dir->filePath(QStringLiteral("bad.gxt"))));
    expectNormalState();
}

void TestFrmMain::savePrompt_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("proceeds");
    QTest::addColumn<bool>("written"); // whether a.gxt, the open file, was saved
    for (const char *command : {"New", "Open", "Close", "Drop"}) {
        auto row = [&](const char *situation) -> QTestData & {
            return QTest::addRow("%s, %s", command, situation) << QString::fromLatin1(command)
                                                               << QString::fromLatin1(situation);
        };
        row("unchanged") << true << false;
        row("Cancel") << false << false;
        row("No") << true << false;
        row("Yes") << true << true;
        row("Yes, untitled, save dialog cancelled") << false << false;
        row("Yes, the write fails") << false << false;
    }
}

void TestFrmMain::savePrompt()
{
    QFETCH(QString, command);
    QFETCH(QString, situation);
    QFETCH(bool, proceeds);
    QFETCH(bool, written);
    const QString a = writeTable(QStringLiteral("a.gxt"), entries(3));
    const QString b = writeTable(QStringLiteral("b.gxt"), {{QStringLiteral("B1"), QStringLiteral("b")}});
    const QByteArray before = testfiles::readFile(a);
    const bool untitled = situation.contains(QLatin1String("untitled"));
    w->Form_Load(untitled ? QString() : a);
    if (situation != QLatin1String("unchanged"))
        markChanged(situation.contains(QLatin1String("fails")));
    const QString titleBefore = w->windowTitle();

    if (situation == QLatin1String("Cancel"))
        dialogs->setNextAnswer(QMessageBox::Cancel);
    else if (situation == QLatin1String("No"))
        dialogs->setNextAnswer(QMessageBox::No);
    else if (situation.startsWith(QLatin1String("Yes")))
        dialogs->setNextAnswer(QMessageBox::Yes);
    if (situation.contains(QLatin1String("fails")))
        dialogs->setNextAnswer(QMessageBox::Ok);
    if (untitled)
        dialogs->setNextFileName(QString());
    if (command == QLatin1String("Open") && proceeds)
        dialogs->setNextFileName(b);

    bool closed = false;
    if (command == QLatin1String("New"))
        item("mnuFile_New")->trigger();
    else if (command == QLatin1String("Open"))
        item("mnuFile_Open")->trigger();
    else if (command == QLatin1String("Close"))
        closed = w->close();
    else
        QVERIFY(drop(b));

    QVERIFY(dialogs->allAnswersUsed());
    if (situation != QLatin1String("unchanged")) {
        const UserDialogs::Message &prompt = dialogs->messages.value(0);
        QCOMPARE(prompt.text, QStringLiteral("Current File has changed. Do you want to save changes?"));
        QCOMPARE(prompt.title, QStringLiteral("Save Changes?"));
        QCOMPARE(prompt.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(prompt.icon, QMessageBox::Warning);
        QCOMPARE(prompt.defaultButton, QMessageBox::Yes);
    } else {
        QVERIFY(dialogs->messages.isEmpty());
    }
    QCOMPARE(testfiles::readFile(a) != before, written);
    if (situation.contains(QLatin1String("fails"))) {
        QCOMPARE(dialogs->messages.size(), 2);
        QVERIFY(dialogs->messages[1].text.startsWith(QStringLiteral("Could not save ") + a));
    }
    if (!proceeds) {
        QVERIFY(w->isVisible() && !closed);
        QVERIFY(names().contains(QStringLiteral("NEW")) && changed());
        QCOMPARE(currentFile(), untitled ? QString() : a);
        QCOMPARE(w->windowTitle(), titleBefore);
        QVERIFY(dialogs->openRequests.isEmpty());
    } else if (command == QLatin1String("Close")) {
        QVERIFY(closed && !w->isVisible());
    } else {
        QVERIFY(!changed());
        const bool isNew = command == QLatin1String("New");
        QCOMPARE(names(), isNew ? QStringList() : QStringList({"B1"}));
        QCOMPARE(currentFile(), isNew ? QString() : b);
        QCOMPARE(w->windowTitle(), isNew ? QStringLiteral("Quillet - Untitled") : QStringLiteral("Quillet - b.gxt"));
    }
}

void TestFrmMain::saveCommands()
{
    const QString first = m_dir->filePath(QStringLiteral("first.gxt"));
    const QString second = m_dir->filePath(QStringLiteral("second.gxt"));
    auto saved = [](const QString &path) {
        QString error;
        const testfiles::Rows rows = testfiles::readRows(testfiles::readFile(path), &error);
        return error.isEmpty() ? int(rows.size()) : -1;
    };
    w->Form_Load(QString());
    markChanged();

    // The first Save of an untitled table asks where; the title then names that file.
    dialogs->setNextFileName(first);
    QVERIFY(w->fileCommands().mnuFile_Save_Click());
    const UserDialogs::FileRequest request = dialogs->saveRequests.value(0);
    QCOMPARE(request.title, QStringLiteral("Select Location for File"));
    QCOMPARE(request.filter, QStringLiteral("GXT File (*.gxt);;All Files (*)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("gxt"));
    QCOMPARE(request.initialFolder, QCoreApplication::applicationDirPath());
    QVERIFY(request.confirmOverwrite && !request.mustExist);
    QCOMPARE(saved(first), 1);
    QCOMPARE(currentFile(), first);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - first.gxt"));
    QVERIFY(!changed());

    // Later Saves write without asking.
    markChanged();
    item("mnuFile_Save")->trigger();
    QCOMPARE(dialogs->saveRequests.size(), 1);
    QCOMPARE(saved(first), 2);

    // Save As moves the table to the new file, and later Saves follow it.
    dialogs->setNextFileName(second);
    item("mnuFile_SaveAs")->trigger();
    QCOMPARE(dialogs->saveRequests.value(1).fileName, QStringLiteral("first.gxt"));
    markChanged();
    item("mnuFile_Save")->trigger();
    QCOMPARE(saved(first), 2);
    QCOMPARE(saved(second), 3);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - second.gxt"));
    // Saving does not move the remembered folder.
    QCOMPARE(settings->value(QStringLiteral("Main"), QStringLiteral("File Location"), QStringLiteral("unset")),
             QStringLiteral("unset"));

    // A cancelled Save As stays silent.
    dialogs->setNextFileName(QString());
    item("mnuFile_SaveAs")->trigger();
    QVERIFY(dialogs->messages.isEmpty());

    // A failed Save says why, keeps the change and leaves the file as it was.
    const QByteArray before = testfiles::readFile(second);
    markChanged(true);
    dialogs->setNextAnswer(QMessageBox::Ok);
    QVERIFY(!w->fileCommands().mnuFile_Save_Click());
    QCOMPARE(dialogs->messages.size(), 1);
    const QString said = dialogs->messages[0].text;
    QVERIFY2(said.contains(second) && said.contains(QStringLiteral("a GXT text holds at most 32766")), qPrintable(said));
    QVERIFY(said.endsWith(QStringLiteral("The file on disk is as it was.")));
    QVERIFY(changed());
    QCOMPARE(testfiles::readFile(second), before);

    // A failed Save As tells it too, and the table still belongs to the file it had.
    const QString nowhere = m_dir->filePath(QStringLiteral("missing/x.gxt"));
    item("mnuStrings_Undo")->trigger();
    dialogs->setNextFileName(nowhere);
    dialogs->setNextAnswer(QMessageBox::Ok);
    item("mnuFile_SaveAs")->trigger();
    QCOMPARE(dialogs->messages.size(), 2);
    QVERIFY(dialogs->messages[1].text.startsWith(QStringLiteral("Could not save ") + nowhere));
    QVERIFY(dialogs->messages[1].text.endsWith(QStringLiteral("Nothing was written.")));
    QCOMPARE(currentFile(), second);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - second.gxt"));
    expectNormalState();
}

void TestFrmMain::failedOpen_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: the file is gone by the time it is read
    QTest::addColumn<QString>("reason");
    QTest::newRow("damaged") << QByteArray("TKEY\x0d\0\0\0", 8) << "not a multiple of 12";
    QTest::newRow("vanished") << QByteArray() << "No such file";
}

void TestFrmMain::failedOpen()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString good = writeTable(QStringLiteral("good.gxt"), entries(3));
    const QString bad = m_dir->filePath(QStringLiteral("bad.gxt"));
    if (!bytes.isEmpty()) {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    w->Form_Load(good);
    w->lvStrings_ColumnClick(QStringLiteral("Name"));
    markChanged();
    const QStringList rowsBefore = rows(*w);
    dialogs->setNextAnswer(QMessageBox::No);
    dialogs->setNextAnswer(QMessageBox::Ok);
    dialogs->setNextFileName(bad);
    item("mnuFile_Open")->trigger();

    QCOMPARE(dialogs->messages.size(), 2);
    const QString message = dialogs->messages[1].text;
    QVERIFY2(message.startsWith(QStringLiteral("Could not open ") + bad) && message.contains(reason), qPrintable(message));
    QCOMPARE(rows(*w), rowsBefore);
    QCOMPARE(w->listProxy().sortOrder(), int(Descending));
    QCOMPARE(currentFile(), good);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - good.gxt"));
    QVERIFY(changed());
    expectNormalState();
}

void TestFrmMain::everyUnitSurvivesOpenAndSave()
{
    // One entry "A" whose text unit 00 E8 is a glyph beyond every built-in numbering: it
    // opens without a word, shows as an escape, and a save writes it back as it was.
    QByteArray bytes("TKEY\x0c\0\0\0\0\0\0\0A\0\0\0\0\0\0\0TDAT\x06\0\0\0\x00\xE8\x42\0\0\0", 34);
    const QString path = m_dir->filePath(QStringLiteral("odd.gxt"));
    QVERIFY(testfiles::writeFile(path, bytes));
    w->Form_Load(path);
    QCOMPARE(currentFile(), path);
    QCOMPARE(dialogs->messages.size(), 0);
    QCOMPARE(rows(*w), QStringList{QStringLiteral("A=⟨E800⟩B")});
    QVERIFY(testfiles::writeFile(path, QByteArray()));
    QVERIFY(w->fileCommands().mnuFile_Save_Click());
    QCOMPARE(testfiles::readFile(path), bytes);
}

void TestFrmMain::busyDuringFileOperations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("load at start-up") << "start-up";
    QTest::newRow("load by Open") << "open";
    QTest::newRow("load by a recent file") << "recent";
    QTest::newRow("save") << "save";
}

void TestFrmMain::busyDuringFileOperations()
{
    QFETCH(QString, operation);
    const QString big = writeTable(QStringLiteral("big.gxt"), entries(120));
    if (operation != QLatin1String("start-up")) {
        w->Form_Load(operation == QLatin1String("save") || operation == QLatin1String("recent") ? big : QString());
        if (operation == QLatin1String("recent"))
            item("mnuFile_New")->trigger();
        activate();
    }
    struct {
        bool fileOperation = false, visible = false, listHidden = false, listDisabled = false;
        bool commandsDisabled = false, waitCursor = false, closed = true, dropTaken = true, progressShown = false;
        int maximum = 0;
    } seen;
    QSignalSpy newCommand(item("mnuFile_New"), &QAction::triggered);
    // Runs inside the first pass of event processing that the operation makes; at start-up
    // that is after the wait for the window to be on the screen.
    std::function<void()> look = [&] {
        if (!w->windowHandle() || !w->windowHandle()->isExposed()) {
            QTimer::singleShot(0, w.get(), look);
            return;
        }
        seen.progressShown = progressBar()->isVisible();
        seen.fileOperation = w->controller().FileOperation();
        seen.visible = w->isVisible();
        seen.listHidden = list()->isHidden() && blank()->isVisible();
        seen.listDisabled = !list()->isEnabled();
        seen.commandsDisabled = !menu("mnuFile")->isEnabled() && !menu("mnuStrings")->isEnabled();
        for (QAction *action : menu("mnuFile")->actions() + menu("mnuEdit")->actions() + menu("mnuStrings")->actions())
            seen.commandsDisabled = seen.commandsDisabled && !action->isEnabled();
        seen.waitCursor = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        seen.maximum = progressBar()->maximum();
        seen.closed = w->close();
        seen.dropTaken = drop(big);
        QTest::keyClick(w.get(), Qt::Key_N, Qt::ControlModifier);
        // A paste would change the document under the load or the save.
        QGuiApplication::clipboard()->setText(QStringLiteral("[PASTED]\nx\n"));
        QTest::keyClick(list(), Qt::Key_V, Qt::ControlModifier);
        for (Qt::Key key : {Qt::Key_Delete, Qt::Key_F2, Qt::Key_Return})
            QTest::keyClick(list(), key);
    };
    QTimer::singleShot(0, w.get(), look);
    if (operation == QLatin1String("start-up")) {
        w->Form_Load(big);
    } else if (operation == QLatin1String("open")) {
        dialogs->setNextFileName(big);
        item("mnuFile_Open")->trigger();
    } else if (operation == QLatin1String("recent")) {
        QAction *recent = recentItem(QStringLiteral("&1 big.gxt"));
        QVERIFY(recent);
        recent->trigger(); // disabled, with the others, while it loads
    } else {
        markChanged();
        list()->setCurrentIndex(list()->model()->index(0, 0)); // a row for the keys to act on
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
    }

    QVERIFY(seen.fileOperation && seen.visible && seen.progressShown);
    QVERIFY(!seen.closed && !seen.dropTaken);
    QCOMPARE(newCommand.count(), 0); // Ctrl+N did not get through
    QCOMPARE(editorCaptions, QStringList()); // nor the list's keys (a Delete would have asked)
    QVERIFY(seen.commandsDisabled);
    QCOMPARE(seen.maximum, operation == QLatin1String("save") ? 363 : 360);
    if (operation == QLatin1String("save")) {
        QVERIFY(seen.listDisabled);
    } else {
        QVERIFY(seen.listHidden && seen.waitCursor);
    }
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - big.gxt"));
    QCOMPARE(w->table().count(), operation == QLatin1String("save") ? 121 : 120);
    expectNormalState();
}

void TestFrmMain::rememberedFolder()
{
    const QString folder = m_dir->filePath(QStringLiteral("tables"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/t.gxt");
    QVERIFY(testfiles::writeFile(path, testfiles::written(testfiles::Rows())));
    w->Form_Load(path);
    QCOMPARE(settings->value(QStringLiteral("Main"), QStringLiteral("File Location"), QString()), folder + QLatin1Char('/'));

    dialogs->setNextFileName(QString());
    item("mnuFile_Open")->trigger();
    const UserDialogs::FileRequest request = dialogs->openRequests.value(0);
    QCOMPARE(request.initialFolder, folder + QLatin1Char('/'));
    QCOMPARE(request.title, QStringLiteral("Select GXT File"));
    QCOMPARE(request.filter, QStringLiteral("GXT Files (*.gxt *.gxt2);;All Files (*)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("gxt"));
    QVERIFY(request.mustExist && request.fileName.isEmpty());
    QCOMPARE(currentFile(), path); // the cancelled dialog changed nothing

    // A remembered folder that has since gone sends every dialog to the application folder.
    QVERIFY(QDir(folder).removeRecursively());
    dialogs->setNextFileName(QString());
    item("mnuFile_Open")->trigger();
    dialogs->setNextFileName(QString());
    item("mnuFile_SaveAs")->trigger();
    QCOMPARE(dialogs->openRequests.value(1).initialFolder, QCoreApplication::applicationDirPath());
    QCOMPARE(dialogs->saveRequests.value(0).initialFolder, QCoreApplication::applicationDirPath());
}

void TestFrmMain::recentFilesList_data()
{
    // Paths are in DIR; "+x" adds x, "-x" removes it. "stored" is what the settings held.
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("most recent first") << QStringList() << QStringList{"+a", "+b", "+c"} << QStringList{"c", "b", "a"};
    QTest::newRow("again moves to the front") << QStringList() << QStringList{"+a", "+b", "+c", "+a"}
                                              << QStringList{"a", "c", "b"};
    QTest::newRow("the fifth pushes the oldest out") << QStringList() << QStringList{"+a", "+b", "+c", "+d", "+e"}
                                                     << QStringList{"e", "d", "c", "b"};
    QTest::newRow("the same file by other paths") << QStringList() << QStringList{"+a", "+sub/../a", "+.//a"}
                                                  << QStringList{"a"};
    QTest::newRow("remove from the middle") << QStringList() << QStringList{"+a", "+b", "+c", "+d", "-c"}
                                            << QStringList{"d", "b", "a"};
    QTest::newRow("remove, then add four") << QStringList() << QStringList{"+a", "+b", "-a", "+c", "+d", "+e"}
                                           << QStringList{"e", "d", "c", "b"};
    QTest::newRow("settings with repeats and a gap") << QStringList{"a", "sub/../a", "", "b"} << QStringList()
                                                     << QStringList{"a"};
}

void TestFrmMain::recentFilesList()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    const QString dir = m_dir->path() + QLatin1Char('/');
    for (int i = 0; i < stored.size(); ++i)
        settings->setValue(QStringLiteral("Recent Files"), QStringLiteral("File%1").arg(i + 1),
                           stored[i].isEmpty() ? QString() : dir + stored[i]);
    for (const QString &step : std::as_const(steps)) {
        if (step.startsWith('+'))
            AddRecentFile(*settings, dir + step.mid(1));
        else
            RemoveRecentFile(*settings, dir + step.mid(1));
    }
    QStringList paths;
    for (const QString &name : std::as_const(expected))
        paths << dir + name;
    QCOMPARE(GetRecentFiles(*settings), paths);
}

// Files opened and saved come into the File menu, stay there for the next window, open
// from it after the save prompt, and leave it when they no longer open.
void TestFrmMain::recentFilesMenu()
{
    const QString a = writeTable(QStringLiteral("a.gxt"), entries(1));
    const QString b = writeTable(QStringLiteral("R&D.gxt"), entries(2));
    const QString c = m_dir->filePath(QStringLiteral("c.gxt"));
    w->Form_Load(QString());
    QCOMPARE(recentItems(), QStringList());
    w->Form_Load(a);
    dialogs->setNextFileName(b);
    item("mnuFile_Open")->trigger();
    dialogs->setNextFileName(c);
    item("mnuFile_SaveAs")->trigger();
    const QStringList three{"&1 c.gxt|" + c, "&2 R&&D.gxt|" + b, "&3 a.gxt|" + a, "-"};
    QCOMPARE(recentItems(), three);
    QCOMPARE(menu("mnuFile")->actions().constLast(), item("mnuFile_Exit"));

    // The next window finds them in the settings.
    w = std::make_unique<frmMain>(dialogs.get(), settings.get());
    w->Form_Load(QString());
    QCOMPARE(recentItems(), three);

    // A change is asked about first: Cancel opens nothing, No opens the file.
    markChanged();
    dialogs->setNextAnswer(QMessageBox::Cancel);
    recentItem("&3 a.gxt")->trigger();
    QCOMPARE(currentFile(), QString());
    dialogs->setNextAnswer(QMessageBox::No);
    recentItem("&3 a.gxt")->trigger();
    QCOMPARE(currentFile(), a);
    QCOMPARE(names(), QStringList{"N0001"});
    QCOMPARE(dialogs->messages.size(), 2);
    QCOMPARE(recentItems(), QStringList({"&1 a.gxt|" + a, "&2 c.gxt|" + c, "&3 R&&D.gxt|" + b, "-"}));

    // A file that has gone says so, and leaves the list; the table stays as it was.
    QVERIFY(QFile::remove(c));
    dialogs->setNextAnswer(QMessageBox::Ok);
    recentItem("&2 c.gxt")->trigger();
    QVERIFY(dialogs->messages.last().text.startsWith("Could not open " + c + ": "));
    QCOMPARE(currentFile(), a);
    QCOMPARE(recentItems(), QStringList({"&1 a.gxt|" + a, "&2 R&&D.gxt|" + b, "-"}));
    expectNormalState();
}

void TestFrmMain::shortcuts()
{
    w->Form_Load(QString());
    activate();
    const QList<QPair<Qt::Key, const char *>> keys = {
        {Qt::Key_N, "mnuFile_New"},    {Qt::Key_O, "mnuFile_Open"},    {Qt::Key_S, "mnuFile_Save"},
        {Qt::Key_A, "mnuStrings_Add"}, {Qt::Key_E, "mnuStrings_Edit"}, {Qt::Key_D, "mnuStrings_Delete"}};
    for (const auto &[key, name] : keys) {
        QSignalSpy triggered(item(name), &QAction::triggered);
        if (key == Qt::Key_O || key == Qt::Key_S)
            dialogs->setNextFileName(QString()); // they ask for a file; the answer is Cancel
        QTest::keyClick(list(), key, Qt::ControlModifier);
        QVERIFY2(triggered.count() == 1, name);
    }
}

void TestFrmMain::columnClicks_data()
{
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<int>("order"); // of Name, before the clicks
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expectedOrder");
    QTest::addColumn<QString>("rows");
    const int asc = Ascending, desc = Descending;
    QTest::newRow("Name asc, Value") << true << asc << QList<int>{1} << 1 << asc << "BCA";
    QTest::newRow("Name asc, Value twice") << true << asc << QList<int>{1, 1} << 1 << desc << "ACB";
    QTest::newRow("Name asc, Value three times") << true << asc << QList<int>{1, 1, 1} << 1 << asc << "BCA";
    QTest::newRow("Name desc, Value") << true << desc << QList<int>{1} << 1 << asc << "BCA";
    QTest::newRow("Name desc, Value, Name") << true << desc << QList<int>{1, 0} << 0 << asc << "ABC";
    QTest::newRow("Name asc, Name") << true << asc << QList<int>{0} << 0 << desc << "CBA";
    QTest::newRow("unsorted list keeps its rows") << false << asc << QList<int>{1, 1} << 1 << desc << "BAC";
}

void TestFrmMain::columnClicks()
{
    QFETCH(bool, sorted);
    QFETCH(int, order);
    QFETCH(QList<int>, clicks);
    QFETCH(int, key);
    QFETCH(int, expectedOrder);
    QFETCH(QString, rows);
    w->Form_Load(QString());
    // Added in this order, which is the file's.
    addEntry(*w, QStringLiteral("B"), QStringLiteral("x"));
    addEntry(*w, QStringLiteral("A"), QStringLiteral("z"));
    addEntry(*w, QStringLiteral("C"), QStringLiteral("y"));
    StringListProxy &proxy = w->listProxy();
    proxy.setSortOrder(order);
    proxy.setSorted(sorted);
    QHeaderView *header = list()->header();
    for (int column : clicks) {
        const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(proxy.sortKey(), key);
    QCOMPARE(proxy.sortOrder(), expectedOrder);
    QCOMPARE(names().join(QString()), rows);
    QCOMPARE(header->isSortIndicatorShown(), sorted);
    if (sorted) {
        QCOMPARE(header->sortIndicatorSection(), key);
        QCOMPARE(header->sortIndicatorOrder(), expectedOrder == Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
}

// A file opens shown by Name, whatever column the list was sorted by, in the direction the
// list had; New keeps the list's order as it was.
void TestFrmMain::openSortsByNameInTheListsDirection_data()
{
    QTest::addColumn<QStringList>("clicks"); // on the headers, before the open
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("rows");
    QTest::newRow("as the list starts") << QStringList() << int(Ascending) << "ABC";
    QTest::newRow("sorted by Value") << QStringList{"Value"} << int(Ascending) << "ABC";
    QTest::newRow("sorted by Value, down") << QStringList{"Value", "Value"} << int(Descending) << "CBA";
    QTest::newRow("sorted by Name, down") << QStringList{"Name"} << int(Descending) << "CBA";
}

void TestFrmMain::openSortsByNameInTheListsDirection()
{
    QFETCH(QStringList, clicks);
    QFETCH(int, order);
    QFETCH(QString, rows);
    w->Form_Load(QString());
    for (const QString &caption : clicks)
        w->lvStrings_ColumnClick(caption);
    const int keyBefore = w->listProxy().sortKey();
    w->fileCommands().mnuFile_New_Click();
    QCOMPARE(w->listProxy().sortKey(), keyBefore);
    const QString path = writeTable(QStringLiteral("t.gxt"), {{"B", "z"}, {"C", "x"}, {"A", "y"}});
    QVERIFY(w->fileCommands().OpenGxtFile(path));
    StringListProxy &proxy = w->listProxy();
    QVERIFY(proxy.isSorted());
    QCOMPARE(proxy.sortKey(), int(ByName));
    QCOMPARE(proxy.sortOrder(), order);
    QCOMPARE(names().join(QString()), rows);
}

void TestFrmMain::popup_data()
{
    QTest::addColumn<Qt::MouseButton>("released");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("shown");
    QTest::newRow("same point") << Qt::RightButton << QPoint(0, 0) << true;
    QTest::newRow("5 pixels right and down") << Qt::RightButton << QPoint(5, 5) << true;
    QTest::newRow("5 pixels left and up") << Qt::RightButton << QPoint(-5, -5) << true;
    QTest::newRow("6 pixels across") << Qt::RightButton << QPoint(6, 0) << false;
    QTest::newRow("6 pixels down") << Qt::RightButton << QPoint(0, 6) << false;
    QTest::newRow("left release") << Qt::LeftButton << QPoint(0, 0) << false;
}

void TestFrmMain::popup()
{
    QFETCH(Qt::MouseButton, released);
    QFETCH(QPoint, offset);
    QFETCH(bool, shown);
    w->Form_Load(QString());
    QWidget *viewport = list()->viewport();
    const QPoint press(100, 100);
    QTest::mousePress(viewport, Qt::RightButton, {}, press);
    QCOMPARE(QPoint(w->mouseDownX(), w->mouseDownY()), press);

    // Whatever pops up chooses Edit by its access key, as a user would.
    QWidget *popup = nullptr;
    QSignalSpy edit(item("mnuStrings_Edit"), &QAction::triggered);
    QTimer::singleShot(0, w.get(), [&] {
        popup = QApplication::activePopupWidget();
        if (popup)
            QTest::keyClick(popup, Qt::Key_E);
    });
    QTest::mouseRelease(viewport, released, {}, press + offset);
    QCoreApplication::processEvents();
    QCOMPARE(popup != nullptr, shown);
    if (shown)
        QCOMPARE(popup, static_cast<QWidget *>(menu("mnuStrings")));
    QCOMPARE(edit.count(), shown ? 1 : 0);
    QCOMPARE(QPoint(w->mouseDownX(), w->mouseDownY()), QPoint(-1, -1));
}

void TestFrmMain::doubleClickRunsEdit()
{
    w->Form_Load(writeTable(QStringLiteral("t.gxt"), entries(3)));
    QSignalSpy edit(item("mnuStrings_Edit"), &QAction::triggered);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
    QCoreApplication::processEvents();
    QCOMPARE(edit.count(), 1);
    // Edit then finds the row under the pointer selected.
    QCOMPARE(list()->currentIndex().row(), 0);
    QCOMPARE(editorCaptions, QStringList{QStringLiteral("Edit String")});
}

void TestFrmMain::typingJumpsToName()
{
    // A1's Value starts with what is typed; only the Name column may match.
    w->Form_Load(writeTable(QStringLiteral("t.gxt"), {{QStringLiteral("A1"), QStringLiteral("qu_pass too")},
                                                     {QStringLiteral("QU_PASS"), QStringLiteral("x")},
                                                     {QStringLiteral("Z9"), QStringLiteral("y")}}));
    list()->setCurrentIndex(list()->model()->index(0, 1));
    QTest::keyClicks(list(), QStringLiteral("qu_p"));
    QCOMPARE(list()->currentIndex().row(), 1);
    QCOMPARE(selectedName(*w), QStringLiteral("QU_PASS"));
}

void TestFrmMain::keysOfTheList_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("command"); // "": the key runs nothing
    QTest::newRow("Return") << Qt::Key_Return << Qt::KeyboardModifiers() << "Edit";
    QTest::newRow("keypad Enter") << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier) << "Edit";
    QTest::newRow("F2") << Qt::Key_F2 << Qt::KeyboardModifiers() << "Edit";
    QTest::newRow("Delete") << Qt::Key_Delete << Qt::KeyboardModifiers() << "Delete";
    QTest::newRow("Shift+Delete") << Qt::Key_Delete << Qt::KeyboardModifiers(Qt::ShiftModifier) << "";
}

// The keys work on the row that typing has just jumped to.
void TestFrmMain::keysOfTheList()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, command);
    w->Form_Load(writeTable(QStringLiteral("t.gxt"), entries(3)));
    activate();
    QTest::keyClicks(list(), QStringLiteral("n0002"));
    QCOMPARE(selectedName(*w), QStringLiteral("N0002"));
    QString edited;
    editorScript = [&edited](frmStrings &dialog) {
        edited = dialog.txtName()->text();
        dialog.cmdCancel_Click();
    };
    if (command == QLatin1String("Delete"))
        dialogs->setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(list(), key, modifiers);

    QCOMPARE(edited, command == QLatin1String("Edit") ? QStringLiteral("N0002") : QString());
    QCOMPARE(names(), command == QLatin1String("Delete") ? QStringList({"N0001", "N0003"})
                                                         : QStringList({"N0001", "N0002", "N0003"}));
    QCOMPARE(dialogs->messages.size(), command == QLatin1String("Delete") ? 1 : 0);
}

// Add, Edit and Delete from each of the places they are reached, on a loaded table.
void TestFrmMain::stringCommands_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("menu") << "menu";
    QTest::newRow("shortcut") << "shortcut";
    QTest::newRow("pop-up") << "popup";
}

void TestFrmMain::stringCommands()
{
    QFETCH(QString, how);
    w->Form_Load(writeTable(QStringLiteral("t.gxt"), entries(3))); // N0001..N0003
    activate();
    auto run = [&](const char *name, Qt::Key key) {
        if (how == QLatin1String("menu")) {
            item(name)->trigger();
        } else if (how == QLatin1String("shortcut")) {
            QTest::keyClick(list(), key, Qt::ControlModifier);
        } else {
            QTimer::singleShot(0, w.get(), [key] {
                if (QWidget *popup = QApplication::activePopupWidget())
                    QTest::keyClick(popup, key);
            });
            QTest::mousePress(list()->viewport(), Qt::RightButton, {}, QPoint(300, 300));
            QTest::mouseRelease(list()->viewport(), Qt::RightButton, {}, QPoint(300, 300));
        }
        QCoreApplication::processEvents();
    };

    // Add: a new name lands where the sort by Name puts it, and is selected.
    editorScript = [](frmStrings &dialog) {
        QTest::keyClicks(dialog.txtName(), QStringLiteral("n0002a"));
        QTest::keyClicks(dialog.txtValue(), QStringLiteral("~r~added"));
        dialog.cmdOk_Click();
    };
    run("mnuStrings_Add", Qt::Key_A);
    QCOMPARE(editorCaptions, QStringList{QStringLiteral("Add String")});
    QCOMPARE(names(), (QStringList{"N0001", "N0002", "N0002A", "N0003"}));
    QCOMPARE(selected(*w), QStringLiteral("N0002A=~r~added"));
    QCOMPARE(list()->currentIndex().row(), 2);
    QVERIFY(changed());

    // Edit the selected row: renaming it moves it, and it stays selected.
    editorScript = [](frmStrings &dialog) {
        QCOMPARE(dialog.txtName()->text(), QStringLiteral("N0002A"));
        QCOMPARE(dialog.txtValue()->value(), QStringLiteral("~r~added"));
        dialog.txtName()->setText(QStringLiteral("A"));
        dialog.cmdOk_Click();
    };
    run("mnuStrings_Edit", Qt::Key_E);
    QCOMPARE(editorCaptions.last(), QStringLiteral("Edit String"));
    QCOMPARE(names(), (QStringList{"A", "N0001", "N0002", "N0003"}));
    QCOMPARE(selectedName(*w), QStringLiteral("A"));
    QCOMPARE(list()->currentIndex().row(), 0);

    // Delete after the question; No keeps the row.
    dialogs->setNextAnswer(QMessageBox::No);
    run("mnuStrings_Delete", Qt::Key_D);
    QCOMPARE(w->table().count(), 4);
    dialogs->setNextAnswer(QMessageBox::Yes);
    run("mnuStrings_Delete", Qt::Key_D);
    QCOMPARE(names(), (QStringList{"N0001", "N0002", "N0003"}));
    QCOMPARE(dialogs->messages.last().text, QStringLiteral("Are you sure you wish to delete the string 'A'?"));
}

void TestFrmMain::deleteMarksTheTableChanged()
{
    const QString path = writeTable(QStringLiteral("t.gxt"), entries(2));
    w->Form_Load(path);
    list()->setCurrentIndex(list()->model()->index(0, 0));
    dialogs->setNextAnswer(QMessageBox::Yes);
    w->stringCommands().mnuStrings_Delete_Click();
    QVERIFY(changed());
    // Closing now asks, and No leaves the file as it was.
    const QByteArray before = testfiles::readFile(path);
    dialogs->setNextAnswer(QMessageBox::No);
    QVERIFY(w->close());
    QCOMPARE(dialogs->messages.last().title, QStringLiteral("Save Changes?"));
    QCOMPARE(testfiles::readFile(path), before);
}

void TestFrmMain::dropRefusesOtherFiles()
{
    w->Form_Load(QString());
    const QString text = m_dir->filePath(QStringLiteral("notes.txt"));
    QFile(text).open(QIODevice::WriteOnly);
    // Drops on the list reach the window only while the list takes none itself.
    QVERIFY(!list()->viewport()->acceptDrops() && !list()->acceptDrops());
    QVERIFY(!drop(text));
    QVERIFY(!drop(m_dir->filePath(QStringLiteral("absent.gxt"))));
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - Untitled"));
    // The fifth game's tables are taken by their own extension.
    const QString gxt2 = m_dir->filePath(QStringLiteral("global.GXT2"));
    QVERIFY(testfiles::writeFile(gxt2, testfiles::written(testfiles::RowDocument{"gxt2", 8, {{"MAIN", {{"#00000001", "ünë"}}}}})));
    QVERIFY(drop(gxt2));
    QCoreApplication::processEvents();
    QCOMPARE(currentFile(), gxt2);
    QCOMPARE(rows(*w), QStringList{QStringLiteral("#00000001=ünë")});
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
