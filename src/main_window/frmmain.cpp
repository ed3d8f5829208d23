// The window itself: its controls as defined, the commands' wiring, the list's selection by
// entry identity, and how the string list answers the mouse and the keys.
#include "frmmain.h"

#include "appidentity.h"
#include "displayorder.h"
#include "filecommands.h"
#include "filelocation.h"
#include "findcommands.h"
#include "gxtdocument.h"
#include "gxtformat.h"
#include "listcolumns.h"
#include "numberingchoice.h"
#include "numberingcommands.h"
#include "stringcommands.h"
#include "stringlistproxy.h"
#include "stringtable.h"
#include "stringtablemodel.h"
#include "tablecommands.h"
#include "ui_frmmain.h"
#include "userdialogs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace quillet {

namespace {

// The pop-up menu opens only when the right button comes up within this many pixels of
// where it went down, in each direction, the limit included: a drag is no click.
constexpr int PopupTolerance = 5;

EntryId idOf(const QModelIndex &index)
{
    return index.isValid() ? index.data(StringTableModel::EntryIdRole).value<EntryId>() : 0;
}

} // namespace

frmMain::frmMain(UserDialogs *dialogs, SettingsStore *settings, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::frmMain>())
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_controller(new DocumentController(*settings, this))
    , m_model(new StringTableModel(this))
    , m_proxy(new StringListProxy(this))
    , m_blankModel(new StringTableModel(this))
    , m_blankProxy(new StringListProxy(this))
{
    m_ui->setupUi(this);
    // A fixed frame without a maximise box; the client area below the menu bar keeps its
    // 665 x 456 pixels, whatever height the style gives the menu bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowIcon(applicationIcon());

    // The .ui format holds whole point sizes only. Where Comic Sans MS is missing, font
    // substitution tends to pick a cursive italic face; the system's own font reads better.
    QTreeView *list = m_ui->lvStrings;
    QFont listFont = list->font();
    listFont.setPointSizeF(8.25);
    if (!QFontDatabase::hasFamily(listFont.family()))
        listFont.setFamilies({QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    list->setFont(listFont);

    m_model->setRules(m_controller->rules());
    m_model->setTable(m_controller->document().table(0));
    m_proxy->setSourceModel(m_model);
    m_blankModel->setRules(m_controller->rules());
    m_blankProxy->setSourceModel(m_blankModel);
    // Both lists get the Name column that lvStrings' font needs, so that they line up.
    const int nameWidth = nameColumnWidth(*list);
    setUpList(list, m_proxy, nameWidth);
    setUpList(m_ui->lvBlank, m_blankProxy, nameWidth);
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);

    // The header's clicks sort through the list's proxy, as the list's own rule says.
    QHeaderView *header = list->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        lvStrings_ColumnClick(m_model->headerData(section, Qt::Horizontal).toString());
    });
    connect(m_proxy, &StringListProxy::sortSettingsChanged, this, &frmMain::showSortIndicator);
    showSortIndicator();

    m_fileCommands = new FileCommands(*this, *m_controller, *m_dialogs, *m_settings, m_ui->mnuFile, m_ui->mnuFile_Exit);
    m_stringCommands = new StringCommands(*this, *m_controller, *m_dialogs);
    m_tableCommands = new TableCommands(*this, *m_controller, *m_dialogs, m_ui->mnuTables, m_ui->mnuTables_Rename,
                                        m_ui->mnuTables_Delete);
    m_findCommands = new FindCommands(*this, *m_controller, *m_dialogs, m_ui->mnuStrings);
    // The numbering in use, for the whole time the window is open.
    m_numberingStatus = new QLabel(this);
    m_numberingStatus->setObjectName(QStringLiteral("lblNumbering"));
    m_numberingStatus->setTextFormat(Qt::PlainText);
    m_ui->statusBar->addPermanentWidget(m_numberingStatus);
    NumberingActions numberingActions;
    numberingActions.builtIn = {{NumberingChoice::Windows1252, m_ui->mnuFile_Numbering_Windows1252},
                                {NumberingChoice::Western, m_ui->mnuFile_Numbering_Western},
                                {NumberingChoice::Unicode, m_ui->mnuFile_Numbering_Unicode},
                                {NumberingChoice::RussianMobile, m_ui->mnuFile_Numbering_RussianMobile}};
    numberingActions.fromFile = m_ui->mnuFile_Numbering_FromFile;
    numberingActions.crc32 = m_ui->mnuFile_KeyHash_Crc32;
    numberingActions.oneAtATime = m_ui->mnuFile_KeyHash_OneAtATime;
    numberingActions.keyHashBox = m_ui->mnuFile_KeyHashBox;
    m_numberingCommands =
        new NumberingCommands(*this, *m_controller, *m_dialogs, *m_settings, numberingActions, m_numberingStatus);
    m_fileCommands->fillNewLayoutMenu(m_ui->mnuFile_NewLayoutMenu);

    const Ui::frmMain &ui = *m_ui;
    connect(ui.mnuFile_New, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_New_Click);
    connect(ui.mnuFile_Open, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_Open_Click);
    connect(ui.mnuFile_Save, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_Save_Click);
    connect(ui.mnuFile_SaveAs, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_SaveAs_Click);
    connect(ui.mnuFile_Exit, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_Exit_Click);
    connect(ui.mnuFile_KeyNames, &QAction::triggered, m_numberingCommands, &NumberingCommands::mnuFile_KeyNames_Click);
    connect(ui.mnuStrings_Add, &QAction::triggered, m_stringCommands, &StringCommands::mnuStrings_Add_Click);
    connect(ui.mnuStrings_Edit, &QAction::triggered, m_stringCommands, &StringCommands::mnuStrings_Edit_Click);
    connect(ui.mnuStrings_Delete, &QAction::triggered, m_stringCommands, &StringCommands::mnuStrings_Delete_Click);
    connect(ui.mnuTables_GoTo, &QAction::triggered, m_tableCommands, &TableCommands::mnuTables_GoTo_Click);
    connect(ui.mnuTables_Next, &QAction::triggered, m_tableCommands, &TableCommands::mnuTables_Next_Click);
    connect(ui.mnuTables_Previous, &QAction::triggered, m_tableCommands, &TableCommands::mnuTables_Previous_Click);
    connect(ui.mnuTables_Add, &QAction::triggered, m_tableCommands, &TableCommands::mnuTables_Add_Click);
    connect(ui.mnuTables_Rename, &QAction::triggered, m_tableCommands, &TableCommands::mnuTables_Rename_Click);
    connect(ui.mnuTables_Delete, &QAction::triggered, m_tableCommands, &TableCommands::mnuTables_Delete_Click);

    connectController();
    setAcceptDrops(true);
    m_tableCommands->update();
    // The title stays the form's until start-up has opened a file or started an untitled
    // table: a title that names a file says that the file is open.
}

frmMain::~frmMain()
{
    // The list lets go of the document's tables before the controller that owns them goes.
    m_model->setTable(nullptr);
}

void frmMain::connectController()
{
    GxtDocument &document = m_controller->document();
    // Nothing shows a table that is about to go: the model lets go first.
    connect(&document, &GxtDocument::aboutToBeReset, this, [this] { m_model->setTable(nullptr); });
    connect(m_controller, &DocumentController::documentReset, this, &frmMain::documentWasReset);
    connect(m_controller, &DocumentController::rulesChanged, this, [this] {
        // Shown anew; the entry the user was on stays selected and in sight.
        const EntryId selected = selectedEntry();
        m_model->setRules(m_controller->rules());
        m_blankModel->setRules(m_controller->rules());
        showEntry(&table(), selected);
    });
    connect(m_controller, &DocumentController::currentFileChanged, this, &frmMain::showTitle);
    connect(m_controller, &DocumentController::fileOperationChanged, this,
            [this](bool running) { setFileCommandsEnabled(!running); });
    connect(&document, &GxtDocument::tableAboutToBeRemoved, this, [this](int index) {
        // A table that goes must not stay in the list: the one before it takes its place.
        if (m_controller->document().table(index) == m_model->table())
            showTable(index - 1);
    });
    for (auto signal : {&GxtDocument::tableInserted, &GxtDocument::tableRemoved, &GxtDocument::tableRenamed}) {
        connect(&document, signal, this, [this] {
            m_tableCommands->update();
            showTitle();
        });
    }
}

void frmMain::documentWasReset()
{
    // A hashed key without a known name shows as its hash, one character longer.
    const bool hashes = m_controller->document().format().storesHashes();
    const int width = nameColumnWidth(*m_ui->lvStrings, hashes ? 9 : 8);
    fitListColumns(*m_ui->lvStrings, width);
    fitListColumns(*m_ui->lvBlank, width);
    m_model->setRules(m_controller->rules());
    m_blankModel->setRules(m_controller->rules());
    m_model->setTable(nullptr);
    showTable(0);
}

void frmMain::setUpList(QTreeView *list, StringListProxy *proxy, int nameWidth)
{
    list->setModel(proxy);
    list->header()->setSectionsMovable(false);
    fitListColumns(*list, nameWidth);
}

int frmMain::shownTable() const
{
    return m_controller->document().indexOf(m_model->table());
}

StringTable &frmMain::table() const
{
    StringTable *shown = m_model->table();
    return shown ? *shown : *m_controller->document().table(0);
}

void frmMain::showTable(int index)
{
    GxtDocument &document = m_controller->document();
    index = std::clamp(index, 0, document.tableCount() - 1);
    StringTable *next = document.table(index);
    if (next != m_model->table()) {
        // The list's sort settings are the proxy's: the next table shows in the order the
        // user chose for the last one.
        m_model->setTable(next);
        QTreeView *list = m_ui->lvStrings;
        list->clearSelection();
        list->setCurrentIndex(QModelIndex());
        list->scrollToTop();
    }
    m_tableCommands->update();
    showTitle();
}

EntryId frmMain::selectedEntry() const
{
    const QModelIndexList rows = m_ui->lvStrings->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : idOf(rows.constFirst());
}

void frmMain::showEntry(StringTable *table, EntryId entry)
{
    const int index = m_controller->document().indexOf(table);
    if (index < 0)
        return;
    showTable(index);
    if (entry == 0)
        return;
    const int sourceRow = m_model->rowOf(entry);
    if (sourceRow < 0)
        return;
    const QModelIndex shown = m_proxy->mapFromSource(m_model->index(sourceRow, StringTableModel::NameColumn));
    QTreeView *list = m_ui->lvStrings;
    list->setCurrentIndex(shown);
    list->scrollTo(shown);
}

std::vector<int> frmMain::listOrder(int tableIndex) const
{
    const StringTable &shown = *m_controller->document().table(tableIndex);
    if (&shown == m_model->table()) {
        std::vector<int> rows(static_cast<size_t>(m_proxy->rowCount()));
        for (int row = 0; row < m_proxy->rowCount(); ++row)
            rows[size_t(row)] = m_proxy->sourceRow(row);
        return rows;
    }
    std::vector<int> rows;
    const EntryRules &rules = m_controller->rules();
    const int column = m_proxy->sortKey();
    auto textOf = [&](int row) {
        const StringEntry &entry = shown.at(row);
        return column == ByValue ? rules.valueText(entry) : rules.keyText(entry);
    };
    if (m_proxy->isSorted())
        return displayOrder(shown.count(), textOf, SortOrder(m_proxy->sortOrder()));
    rows.resize(size_t(shown.count()));
    for (int row = 0; row < shown.count(); ++row)
        rows[size_t(row)] = row;
    return rows;
}

QWidget *frmMain::listWidget() const
{
    return m_ui->lvStrings;
}

void frmMain::beginLoad()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The list stays out of sight, and so out of reach, while the document may change under it.
    m_ui->lvBlank->show();
    m_ui->lvStrings->hide();
}

void frmMain::endLoad()
{
    QGuiApplication::restoreOverrideCursor();
    showList();
    m_ui->ProgressBar->setValue(0);
}

void frmMain::showList()
{
    m_ui->lvStrings->show();
    m_ui->lvBlank->hide();
}

void frmMain::showTitle()
{
    const QString file = m_controller->CurrentFile();
    const QString path = file.isEmpty() ? QStringLiteral("Untitled") : file;
    const GxtDocument &document = m_controller->document();
    setWindowTitle(document.hasTables() ? WindowTitle(path, document.tableName(std::max(0, shownTable())))
                                        : WindowTitle(path));
}

void frmMain::setFileCommandsEnabled(bool enabled)
{
    // A disabled menu still lets its items' shortcuts through, so the items go too, down
    // into the submenus.
    std::function<void(QMenu *)> setMenu = [&](QMenu *menu) {
        menu->setEnabled(enabled);
        menu->menuAction()->setEnabled(enabled);
        const QList<QAction *> items = menu->actions();
        for (QAction *item : items) {
            item->setEnabled(enabled);
            if (item->menu())
                setMenu(item->menu());
        }
    };
    for (QMenu *menu : {m_ui->mnuFile, m_ui->mnuStrings})
        setMenu(menu);
    m_tableCommands->update();
    // Undo, Redo and Find Next come back only where there is something to take back or look for.
    m_findCommands->update();
}

FileOperationHooks frmMain::fileOperationHooks()
{
    FileOperationHooks hooks;
    QProgressBar *bar = m_ui->ProgressBar;
    hooks.setProgressMaximum = [bar](double maximum) {
        // A range of 0..0 turns the bar into a busy animation that would never stop.
        bar->setMaximum(std::max(1, qRound(maximum)));
    };
    // The bar repaints itself at once whenever its value moves a percent: for the largest
    // table that was 72 repaints in one open, more than the load itself cost. It follows the
    // value at most every 40 ms. The waiting events run at the first step and then at most
    // every 10 ms: asking the event loop every 50 entries cost a file of 59,000 entries a
    // tenth of its whole open, and a window that answers within 10 ms is as quick as any.
    struct Shown {
        double value = 0;
        QElapsedTimer since;
        QElapsedTimer events;
    };
    auto shown = std::make_shared<Shown>();
    hooks.advance = [bar, shown](double by) {
        if (!shown->since.isValid())
            shown->value = bar->value();
        shown->value += by;
        if (!shown->since.isValid() || shown->since.elapsed() >= 40) {
            bar->setValue(qRound(shown->value));
            shown->since.start();
        }
        if (!shown->events.isValid() || shown->events.elapsed() >= 10) {
            QCoreApplication::processEvents();
            shown->events.start();
        }
    };
    hooks.resetProgress = [bar, shown] {
        shown->value = 0;
        bar->setValue(0);
    };
    return hooks;
}

void frmMain::Form_Load(const QString &argument)
{
    MouseDownX = -1;
    MouseDownY = -1;
    m_ui->lvBlank->setEnabled(false);
    // On the screen before any file is read: a long load shows its progress.
    show();
    m_fileCommands->startWith(argument);
    m_ui->lvStrings->setFocus();
}

void frmMain::lvStrings_ColumnClick(const QString &caption)
{
    const bool name = caption == QLatin1String("Name");
    const int key = m_proxy->sortKey();
    if ((name && key == ByName) || (caption == QLatin1String("Value") && key == ByValue)) {
        m_proxy->setSortOrder(m_proxy->sortOrder() == Ascending ? Descending : Ascending);
    } else {
        m_proxy->setSortKey(name ? ByName : ByValue);
        m_proxy->setSortOrder(Ascending);
    }
}

void frmMain::showSortIndicator()
{
    // While the list keeps its rows unsorted, an arrow would claim an order they lack.
    QHeaderView *header = m_ui->lvStrings->header();
    header->setSortIndicatorShown(m_proxy->isSorted());
    header->setSortIndicator(m_proxy->sortKey(),
                             m_proxy->sortOrder() == Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // During a load or a save the document is half read or half written; nothing can be
    // saved or kept at that point, so the window stays, without a word.
    if (m_controller->FileOperation() || !m_fileCommands->PromptSaveChanges()) {
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
    if (m_controller->FileOperation() || !mime->hasUrls())
        return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    const QString path = urls.constFirst().toLocalFile();
    const bool named = path.endsWith(QStringLiteral(".gxt"), Qt::CaseInsensitive)
        || path.endsWith(QStringLiteral(".gxt2"), Qt::CaseInsensitive);
    return named && QFileInfo(path).isFile() ? path : QString();
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
            if (!m_controller->FileOperation() && m_fileCommands->PromptSaveChanges())
                m_fileCommands->OpenGxtFile(path);
        },
        Qt::QueuedConnection);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    QTreeView *list = m_ui->lvStrings;
    if (watched == list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (QAction *command = listKeyCommand(key)) {
            // Through the menu item, which a load or a save has disabled meanwhile.
            if (!m_controller->FileOperation())
                command->trigger();
            return true;
        }
        // Typing jumps to a matching Name. The view searches the column of its current
        // cell, which a click on a Value makes the Value column; move it back to Name.
        const QModelIndex current = list->currentIndex();
        if (current.isValid() && !key->text().isEmpty() && key->text().at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            list->selectionModel()->setCurrentIndex(current.siblingAtColumn(StringTableModel::NameColumn),
                                                    QItemSelectionModel::NoUpdate);
        }
    }
    if (watched == list->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            // The second press of a double-click arrives as the double-click itself.
            lvStrings_MouseDown(mouse->button(), mouse->position().toPoint());
            if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
                // lvStrings_DblClick. Queued, so that the list has taken the click before
                // Edit reads its selection.
                QMetaObject::invokeMethod(m_ui->mnuStrings_Edit, &QAction::trigger, Qt::QueuedConnection);
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            // The pop-up menu took this click: the list must not act on a release whose
            // command has already run, or it would undo the selection the command made.
            if (lvStrings_MouseUp(mouse->button(), mouse->position().toPoint(), mouse->globalPosition().toPoint()))
                return true;
            break;
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QAction *frmMain::listKeyCommand(const QKeyEvent *key) const
{
    // The keypad's Enter carries the keypad modifier; any other modifier makes another key.
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return nullptr;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        return m_ui->mnuStrings_Edit;
    case Qt::Key_Delete:
        return m_ui->mnuStrings_Delete;
    default:
        return nullptr;
    }
}

void frmMain::lvStrings_MouseDown(Qt::MouseButton button, const QPoint &position)
{
    if (button != Qt::RightButton)
        return;
    MouseDownX = position.x();
    MouseDownY = position.y();
}

bool frmMain::lvStrings_MouseUp(Qt::MouseButton button, const QPoint &position, const QPoint &globalPosition)
{
    const bool popup = button == Qt::RightButton && std::abs(MouseDownX - position.x()) <= PopupTolerance
                       && std::abs(MouseDownY - position.y()) <= PopupTolerance;
    MouseDownX = -1;
    MouseDownY = -1;
    if (popup)
        m_ui->mnuStrings->exec(globalPosition);
    return popup;
}

} // namespace quillet
