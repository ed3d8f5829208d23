// The editor window's own costs, headless: the open of a file until the list shows it, the
// start-up with a file, a switch between two tables of a document, a header click's
// re-sort and an editor commit, each until the list has painted; and, in child
// processes, what an open file costs in memory and how long the whole editor takes to
// start with one.
#include "benchcase.h"
#include "benchsupport.h"

#include "displayorder.h"
#include "filecommands.h"
#include "filelocation.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "stringcommands.h"
#include "stringlistproxy.h"
#include "stringtable.h"
#include "userdialogs.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QTreeView>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

using namespace quillet;

namespace quilletbench {

namespace {

// Counts the paints of the list, which is how "the list shows it" is told.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// The editor's main window as the editor makes it, with scripted dialogs and settings in
// memory, shown on the offscreen screen.
class EditorWindow
{
public:
    // Started as the editor starts without a file, unless `started` is false: then the
    // window is made but not yet shown, for a start-up to be timed.
    explicit EditorWindow(bool started = true)
        : m_window(&m_dialogs, &m_settings)
    {
        list()->viewport()->installEventFilter(&m_paints);
        if (!started)
            return;
        m_window.Form_Load(QString());
        QString ignored;
        waitUntilListPainted(0, ignored);
    }

    frmMain &window() { return m_window; }
    QTreeView *list() const { return m_window.findChild<QTreeView *>(QStringLiteral("lvStrings")); }
    ScriptedUserDialogs &dialogs() { return m_dialogs; }
    int paints() const { return m_paints.paints; }

    // Lets the events run until the list has painted since `paintsBefore`.
    bool waitUntilListPainted(int paintsBefore, QString &error)
    {
        QElapsedTimer timer;
        timer.start();
        while (m_paints.paints == paintsBefore) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (timer.elapsed() > 5000) {
                error = QStringLiteral("the list did not paint within 5 s");
                return false;
            }
        }
        return true;
    }

    // File, Open, with the open dialog answering `path`, until the list shows the table.
    bool open(const QString &path, int expectedRows, QString &error)
    {
        const int before = m_paints.paints;
        m_dialogs.setNextFileName(path);
        m_window.fileCommands().mnuFile_Open_Click();
        return waitUntilShown(before, expectedRows, error);
    }

    // Form_Load with the file as the command line's argument, until the list shows it.
    bool start(const QString &path, int expectedRows, QString &error)
    {
        const int before = m_paints.paints;
        m_window.Form_Load(path);
        return waitUntilShown(before, expectedRows, error);
    }

    // Until the list has painted since `paintsBefore`, and then it must show the first
    // table of the file, sorted by Name.
    bool waitUntilShown(int paintsBefore, int expectedRows, QString &error)
    {
        if (!waitUntilListPainted(paintsBefore, error))
            return false;
        const StringTable &table = m_window.table();
        const StringListProxy &proxy = m_window.listProxy();
        if (table.count() != expectedRows || proxy.rowCount() != expectedRows || !proxy.isSorted()
            || proxy.sortKey() != ByName || !list()->isVisible() || m_dialogs.unexpected != 0) {
            error = QStringLiteral("the open did not leave %1 rows shown sorted by Name").arg(expectedRows);
            return false;
        }
        return true;
    }

    void clickHeader(int section)
    {
        QHeaderView *header = list()->header();
        const QPoint middle(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
    }

private:
    ScriptedUserDialogs m_dialogs;
    MemorySettingsStore m_settings;
    frmMain m_window;
    PaintCounter m_paints;
};

// File, Open of the table into an editor showing an empty one, until the list shows it.
class OpenSession : public Session
{
public:
    explicit OpenSession(const BenchTable &table)
        : m_table(table)
    {
        hasUntimedSteps = true;
    }
    void prepare() override
    {
        m_editor.window().fileCommands().mnuFile_New_Click();
        QCoreApplication::processEvents();
    }
    bool run(QString &error) override { return m_editor.open(m_table.path, m_table.firstTableRows, error); }

private:
    const BenchTable &m_table;
    EditorWindow m_editor;
};

// The editor's start-up with a file, in this process: a window made as main() makes it
// (untimed), then Form_Load with the file until the list shows it. What the whole process
// adds to this, the start of Qt and the window system, is measured apart (startup/...).
class StartupSession : public Session
{
public:
    explicit StartupSession(const BenchTable &table)
        : m_table(table)
    {
        hasUntimedSteps = true;
    }
    void prepare() override { m_editor = std::make_unique<EditorWindow>(false); }
    bool run(QString &error) override { return m_editor->start(m_table.path, m_table.firstTableRows, error); }
    void tidy() override
    {
        m_editor.reset();
        QCoreApplication::processEvents();
    }

private:
    const BenchTable &m_table;
    std::unique_ptr<EditorWindow> m_editor;
};

// A switch between MAIN and the largest other table of a document, back and forth, until
// the list has painted the table switched to.
class SwitchSession : public Session
{
public:
    explicit SwitchSession(const BenchTable &table)
        : m_indices{0, table.largestOtherTable}
    {
        QString error;
        m_ready = table.largestOtherTable > 0 && m_editor.open(table.path, table.firstTableRows, error);
    }
    bool ready() const { return m_ready; }
    bool run(QString &error) override
    {
        m_next = 1 - m_next;
        const int index = m_indices[size_t(m_next)];
        const int before = m_editor.paints();
        frmMain &window = m_editor.window();
        window.showTable(index);
        if (!m_editor.waitUntilListPainted(before, error))
            return false;
        const StringTable *shown = window.controller().document().table(index);
        if (&window.table() != shown || m_editor.list()->model()->rowCount() != shown->count()) {
            error = QStringLiteral("the list does not show table %1").arg(index);
            return false;
        }
        return true;
    }

private:
    EditorWindow m_editor;
    std::array<int, 2> m_indices;
    int m_next = 0;
    bool m_ready = false;
};

// A click on a column header while the list is sorted by the other column, until the list
// shows the new order.
class HeaderClickSession : public Session
{
public:
    HeaderClickSession(const BenchTable &table, int key)
        : m_key(key)
    {
        hasUntimedSteps = true;
        QString error;
        m_ready = m_editor.open(table.path, table.firstTableRows, error);
    }
    bool ready() const { return m_ready; }
    void prepare() override
    {
        const int other = m_key == ByName ? ByValue : ByName;
        if (m_editor.window().listProxy().sortKey() != other) {
            const int before = m_editor.paints();
            m_editor.clickHeader(other);
            QString ignored;
            m_editor.waitUntilListPainted(before, ignored);
        }
        QCoreApplication::processEvents();
    }
    bool run(QString &error) override
    {
        const int before = m_editor.paints();
        m_editor.clickHeader(m_key);
        if (!m_editor.waitUntilListPainted(before, error))
            return false;
        const StringListProxy &proxy = m_editor.window().listProxy();
        if (proxy.sortKey() != m_key || proxy.sortOrder() != Ascending) {
            error = QStringLiteral("the click did not sort by the clicked column");
            return false;
        }
        return true;
    }

private:
    EditorWindow m_editor;
    int m_key;
    bool m_ready = false;
};

// Edit on a row in the middle of the list, through the window's own Strings command and
// editor dialog, renamed there so that the re-sort moves it to one end. What is timed is
// the commit: from the press of Update until the list has painted the row in its place
// (the window selects it and scrolls to it); making the dialog is not counted.
class CommitSession : public Session
{
public:
    explicit CommitSession(const BenchTable &table)
    {
        hasUntimedSteps = true;
        QString error;
        m_ready = m_editor.open(table.path, table.firstTableRows, error);
        m_editor.window().stringCommands().setDialogRunner([this](frmStrings &dialog) {
            // Earlier runs left entries of this name: the commit asks, and the user keeps both.
            const QString name = newName();
            const StringTable &shown = m_editor.window().table();
            const StringEntry *edited = shown.find(dialog.RenameElement);
            if (edited && nameOf(*edited) != name
                && std::any_of(shown.entries().cbegin(), shown.entries().cend(),
                               [&](const StringEntry &entry) { return nameOf(entry) == name; }))
                m_editor.dialogs().setNextAnswer(QMessageBox::Yes);
            dialog.txtName()->setText(name);
            m_clock.start();
            dialog.cmdOk_Click();
        });
    }
    bool ready() const { return m_ready; }
    void prepare() override
    {
        QTreeView *list = m_editor.list();
        const QModelIndex middle = list->model()->index(m_editor.window().table().count() / 2, 0);
        const int before = m_editor.paints();
        list->setCurrentIndex(middle);
        list->scrollTo(middle);
        QString ignored;
        m_editor.waitUntilListPainted(before, ignored);
    }
    bool run(QString &error) override
    {
        frmMain &window = m_editor.window();
        const int before = m_editor.paints();
        window.stringCommands().mnuStrings_Edit_Click();
        if (!m_editor.waitUntilListPainted(before, error))
            return false;
        measuredSeconds = double(m_clock.nsecsElapsed()) / 1e9;
        // The written entry is selected, and stands among the entries of its name at its end
        // of the list (earlier runs left entries of the same name there).
        QTreeView *list = m_editor.list();
        const int current = list->currentIndex().row();
        const int neighbour = m_toTop ? current - 1 : current + 1;
        auto shownName = [&](int row) { return list->model()->index(row, 0).data().toString(); };
        const bool atItsEnd = neighbour < 0 || neighbour >= list->model()->rowCount() || shownName(neighbour) == newName();
        if (!window.controller().StringsChanged() || !window.listProxy().isSorted() || current < 0
            || shownName(current) != newName() || !atItsEnd || m_editor.dialogs().unexpected != 0
            || !m_editor.dialogs().allAnswersUsed()) {
            error = QStringLiteral("the commit did not move the row to its place");
            return false;
        }
        return true;
    }
    void tidy() override
    {
        m_toTop = !m_toTop;
        m_editor.window().controller().undoStack().setClean();
    }

private:
    QString newName() const { return m_toTop ? QStringLiteral("A") : QStringLiteral("ZZZZZZZ"); }
    QString nameOf(const StringEntry &entry) { return m_editor.window().controller().rules().keyText(entry); }

    EditorWindow m_editor;
    QElapsedTimer m_clock;
    bool m_toTop = true;
    bool m_ready = false;
};

// File, Character Numbering, from one numbering to the other on the largest table, until the
// list has painted its texts anew.
class NumberingSwitchSession : public Session
{
public:
    explicit NumberingSwitchSession(const BenchTable &table)
    {
        QString error;
        m_ready = m_editor.open(table.path, table.firstTableRows, error);
    }
    bool ready() const { return m_ready; }
    bool run(QString &error) override
    {
        m_western = !m_western;
        const char *item = m_western ? "mnuFile_Numbering_Western" : "mnuFile_Numbering_Windows1252";
        const int before = m_editor.paints();
        m_editor.window().findChild<QAction *>(QLatin1String(item))->trigger();
        if (!m_editor.waitUntilListPainted(before, error))
            return false;
        const QString wanted = m_western ? QStringLiteral("western") : QStringLiteral("windows-1252");
        if (m_editor.window().controller().numberingChoice() != wanted || m_editor.window().controller().StringsChanged()) {
            error = QStringLiteral("the switch did not show the table in %1").arg(wanted);
            return false;
        }
        return true;
    }

private:
    EditorWindow m_editor;
    bool m_western = false;
    bool m_ready = false;
};

template<typename S, typename... Args>
std::function<std::unique_ptr<Session>(QString &)> windowStarter(const BenchTable &table, Args... args)
{
    return [&table, args...](QString &error) -> std::unique_ptr<Session> {
        auto session = std::make_unique<S>(table, args...);
        if constexpr (requires { session->ready(); }) {
            if (!session->ready()) {
                error = QStringLiteral("the editor could not open %1").arg(table.path);
                return nullptr;
            }
        }
        return session;
    };
}

QString probeLine(const MemoryUse &use, double openMs)
{
    return QStringLiteral("probe peak_kib=%1 rss_kib=%2 open_ms=%3").arg(use.peakKiB).arg(use.residentKiB).arg(openMs);
}

} // namespace

void registerWindowCases()
{
    std::vector<BenchCase> &cases = benchCases();
    using Target = BenchCase::Target;
    for (const char *label : {"largest", "largest_writer", "hashed16", "asian524"}) {
        const BenchTable &table = benchTable(label);
        cases.push_back({std::string("window_open/") + label, {}, Target::Milliseconds, 100.0, &table,
                         windowStarter<OpenSession>(table)});
    }
    for (const char *label : {"largest", "largest_writer"}) {
        const BenchTable &table = benchTable(label);
        cases.push_back({std::string("window_startup/") + label, {}, Target::None, 0, &table,
                         windowStarter<StartupSession>(table)});
    }
    const BenchTable &hashed = benchTable("hashed16");
    cases.push_back({"window_switch/hashed16", {}, Target::Milliseconds, 25.0, nullptr,
                     windowStarter<SwitchSession>(hashed)});
    const BenchTable &largest = benchTable("largest");
    cases.push_back({"window_header_value/largest", {}, Target::Milliseconds, 25.0, nullptr,
                     windowStarter<HeaderClickSession>(largest, int(ByValue))});
    cases.push_back({"window_header_name/largest", {}, Target::Milliseconds, 25.0, nullptr,
                     windowStarter<HeaderClickSession>(largest, int(ByName))});
    cases.push_back({"window_numbering/largest", {}, Target::Milliseconds, 50.0, nullptr,
                     windowStarter<NumberingSwitchSession>(largest)});
    BenchCase commit{"window_commit/largest", {}, Target::Milliseconds, 25.0, nullptr,
                     windowStarter<CommitSession>(largest)};
    commit.timedBySession = true;
    cases.push_back(std::move(commit));
}

int runMemoryProbe(const QString &path, int rows)
{
    EditorWindow editor;
    double openMs = 0;
    if (!path.isEmpty()) {
        QString error;
        QElapsedTimer timer;
        timer.start();
        if (!editor.open(path, rows, error)) {
            std::fprintf(stderr, "quillet-bench: %s\n", qPrintable(error));
            return 1;
        }
        openMs = double(timer.nsecsElapsed()) / 1e6;
    }
    std::puts(qPrintable(probeLine(currentMemoryUse(), openMs)));
    return 0;
}

std::optional<ProbeResult> probeMemory(const QString &path, int rows, QString &error)
{
    QProcess child;
    QStringList arguments{QStringLiteral("--memory-probe"), path.isEmpty() ? QStringLiteral("-") : path,
                          QString::number(rows)};
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        error = QStringLiteral("the memory probe failed: %1").arg(QString::fromLocal8Bit(child.readAllStandardError()));
        return std::nullopt;
    }
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    const qsizetype at = output.indexOf(QLatin1String("probe "));
    if (at < 0) {
        error = QStringLiteral("the memory probe said nothing");
        return std::nullopt;
    }
    ProbeResult result;
    const QStringList fields = output.mid(at + 6).trimmed().split(QLatin1Char(' '));
    for (const QString &field : fields) {
        const QString key = field.section(QLatin1Char('='), 0, 0);
        const QString value = field.section(QLatin1Char('='), 1);
        if (key == QLatin1String("peak_kib"))
            result.memory.peakKiB = value.toLongLong();
        else if (key == QLatin1String("rss_kib"))
            result.memory.residentKiB = value.toLongLong();
        else if (key == QLatin1String("open_ms"))
            result.openMs = value.toDouble();
    }
    return result;
}

std::optional<double> timeEditorStart(const QString &path, int rows, QString &error)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(QUILLET_BENCH_PLUGIN_DIR));
    environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("quilletbenchwatch"));
    environment.insert(QStringLiteral("QUILLET_BENCH_ROWS"), QString::number(rows));
    // The editor remembers the folder of the file it opened; not in the user's settings.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), workFolder() + QStringLiteral("/config"));
    child.setProcessEnvironment(environment);
    const QStringList arguments = path.isEmpty() ? QStringList() : QStringList{path};
    QElapsedTimer timer;
    timer.start();
    child.start(QStringLiteral(QUILLET_EXECUTABLE), arguments);
    QByteArray said;
    while (!said.contains('\n') && child.waitForReadyRead(60000))
        said += child.readAllStandardOutput();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    child.waitForFinished(10000);
    if (!said.startsWith("painted")) {
        error = QStringLiteral("the editor did not show %1: %2 %3")
                    .arg(path, QString::fromLocal8Bit(said), QString::fromLocal8Bit(child.readAllStandardError()));
        return std::nullopt;
    }
    return ms;
}

} // namespace quilletbench
