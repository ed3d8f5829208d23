// The window itself: its controls as defined, the commands' wiring, and how the string
// list answers the mouse. The File commands are in filecommands.cpp.
#include "frmmain.h"

#include "appidentity.h"
#include "filelocation.h"
#include "frmtables.h"
#include "listcolumns.h"
#include "recentfiles.h"

#include <QAction>
#include <QElapsedTimer>
#include <QActionGroup>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLayout>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>

namespace quillet {

namespace {

// The pop-up menu opens only when the right button comes up within this many pixels of
// where it went down, in each direction, the limit included: a drag is no click.
constexpr int PopupTolerance = 5;

} // namespace

frmMain::frmMain(UserDialogs *dialogs, SettingsStore *settings, QWidget *parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_layoutSettings(*settings)
    , m_table(m_document.table(0))
    , m_model(m_table)
    , m_blankModel(&m_blankTable)
    , m_commands(m_document, *dialogs)
    , m_history(m_document)
{
    setupUi(this);
    // A fixed frame without a maximise box; the client area below the menu bar keeps its
    // 665 x 456 pixels, whatever height the style gives the menu bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowIcon(applicationIcon());

    // The .ui format holds whole point sizes only. Where Comic Sans MS is missing, font
    // substitution tends to pick a cursive italic face; the system's own font reads better.
    QFont listFont = lvStrings->font();
    listFont.setPointSizeF(8.25);
    if (!QFontDatabase::hasFamily(listFont.family()))
        listFont.setFamilies({QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    lvStrings->setFont(listFont);

    // Both lists get the Name column that lvStrings' font needs, so that they line up.
    const int nameWidth = nameColumnWidth(*lvStrings);
    setUpList(lvStrings, &m_model, nameWidth);
    setUpList(lvBlank, &m_blankModel, nameWidth);
    lvStrings->installEventFilter(this);
    lvStrings->viewport()->installEventFilter(this);

    // The header's clicks sort through the table, as the list's own rule says, rather than
    // through the view's sorting, which would keep a second order beside the table's.
    QHeaderView *header = lvStrings->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        lvStrings_ColumnClick(m_model.headerData(section, Qt::Horizontal).toString());
    });
    m_sortIndicatorFollows = connect(m_table, &StringTable::sortSettingsChanged, this, &frmMain::showSortIndicator);
    showSortIndicator();

    connect(&m_document, &GxtDocument::modifiedChanged, this, [this](bool modified) { StringsChanged = modified; });
    connect(&m_document, &GxtDocument::tablesChanged, this, [this] {
        // A hashed key without a known name shows as its hash, one character longer.
        const int width = nameColumnWidth(*lvStrings, m_document.layout() == GxtLayout::Hashed ? 9 : 8);
        fitListColumns(*lvStrings, width);
        fitListColumns(*lvBlank, width);
        updateTablesMenu();
        showTitle();
        showNumberingChoice();
    });
    connect(&m_document, &GxtDocument::redisplayed, this, &frmMain::showNumberingChoice);
    // A table that goes must not stay in the list: MAIN, which never goes, takes its place.
    connect(&m_document, &GxtDocument::tableAboutToBeRemoved, this, [this](int index) {
        if (m_document.table(index) == m_table)
            showTable(0);
    });

    m_numberingGroup = new QActionGroup(this);
    for (QAction *choice : {mnuFile_Numbering_Windows1252, mnuFile_Numbering_Western, mnuFile_Numbering_FromFile})
        m_numberingGroup->addAction(choice);
    m_runTablesDialog = [](frmTables &dialog) { dialog.exec(); };

    setAcceptDrops(true);
    connectCommands();
    setUpEditCommands();
    updateTablesMenu();
    showNumberingChoice();
    m_recentFiles = new RecentFilesMenu(mnuFile, mnuFile_Exit, *m_settings,
                                        [this](const QString &path) { mnuFile_Recent_Click(path); });
}

frmMain::~frmMain() = default;

void frmMain::showTable(int index)
{
    StringTable *table = m_document.table(index);
    if (table != m_table) {
        // The next table shows in the order the user chose for the last one.
        table->setSortKey(m_table->sortKey());
        table->setSortOrder(m_table->sortOrder());
        table->setSorted(m_table->isSorted());
        disconnect(m_sortIndicatorFollows);
        m_table = table;
        m_model.setTable(table);
        m_commands.setTable(table);
        m_sortIndicatorFollows = connect(m_table, &StringTable::sortSettingsChanged, this, &frmMain::showSortIndicator);
        showSortIndicator();
        lvStrings->clearSelection();
        lvStrings->setCurrentIndex(QModelIndex());
        lvStrings->scrollToTop();
    }
    updateTablesMenu();
    showTitle();
}

void frmMain::updateTablesMenu()
{
    const bool tables = m_document.hasTables();
    mnuTables->menuAction()->setVisible(tables);
    // A hidden menu keeps its items' shortcuts alive; while a file operation runs, or for a
    // flat file, they go too.
    const bool usable = tables && !FileOperation;
    mnuTables->menuAction()->setEnabled(usable);
    mnuTables->setEnabled(usable);
    const bool notMain = shownTable() > 0;
    for (QAction *item : mnuTables->actions())
        item->setEnabled(usable && (notMain || (item != mnuTables_Rename && item != mnuTables_Delete)));
}

void frmMain::setUpList(QTreeView *list, StringTableModel *model, int nameWidth)
{
    list->setModel(model);
    list->header()->setSectionsMovable(false);
    fitListColumns(*list, nameWidth);
}

void frmMain::connectCommands()
{
    connect(mnuFile_New, &QAction::triggered, this, &frmMain::mnuFile_New_Click);
    connect(mnuFile_Open, &QAction::triggered, this, &frmMain::mnuFile_Open_Click);
    connect(mnuFile_Save, &QAction::triggered, this, &frmMain::mnuFile_Save_Click);
    connect(mnuFile_SaveAs, &QAction::triggered, this, &frmMain::mnuFile_SaveAs_Click);
    connect(mnuFile_Exit, &QAction::triggered, this, &frmMain::mnuFile_Exit_Click);
    connect(mnuStrings_Add, &QAction::triggered, this, &frmMain::mnuStrings_Add_Click);
    connect(mnuStrings_Edit, &QAction::triggered, this, &frmMain::mnuStrings_Edit_Click);
    connect(mnuStrings_Delete, &QAction::triggered, this, &frmMain::mnuStrings_Delete_Click);
    connect(mnuFile_KeyNames, &QAction::triggered, this, &frmMain::mnuFile_KeyNames_Click);
    connect(mnuFile_Numbering_Windows1252, &QAction::triggered, this, &frmMain::mnuFile_Numbering_Windows1252_Click);
    connect(mnuFile_Numbering_Western, &QAction::triggered, this, &frmMain::mnuFile_Numbering_Western_Click);
    connect(mnuFile_Numbering_FromFile, &QAction::triggered, this, &frmMain::mnuFile_Numbering_FromFile_Click);
    connect(mnuTables_GoTo, &QAction::triggered, this, &frmMain::mnuTables_GoTo_Click);
    connect(mnuTables_Next, &QAction::triggered, this, &frmMain::mnuTables_Next_Click);
    connect(mnuTables_Previous, &QAction::triggered, this, &frmMain::mnuTables_Previous_Click);
    connect(mnuTables_Add, &QAction::triggered, this, &frmMain::mnuTables_Add_Click);
    connect(mnuTables_Rename, &QAction::triggered, this, &frmMain::mnuTables_Rename_Click);
    connect(mnuTables_Delete, &QAction::triggered, this, &frmMain::mnuTables_Delete_Click);
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
    for (QMenu *menu : {mnuFile, mnuStrings})
        setMenu(menu);
    updateTablesMenu();
    // Undo and Redo come back only where there is something to take back.
    updateEditCommands();
}

FileOperationHooks frmMain::fileOperationHooks()
{
    FileOperationHooks hooks;
    hooks.begin = [this] {
        FileOperation = true;
        setFileCommandsEnabled(false);
    };
    hooks.end = [this] {
        FileOperation = false;
        setFileCommandsEnabled(true);
    };
    hooks.setProgressMaximum = [this](double maximum) {
        // A range of 0..0 turns the bar into a busy animation that would never stop.
        ProgressBar->setMaximum(std::max(1, qRound(maximum)));
    };
    // The bar repaints itself at once whenever its value moves a percent: for the largest
    // table that was 72 repaints in one open, more than the load itself cost. It follows the
    // value at most every 40 ms; the waiting events still run at every step.
    struct Shown {
        double value = 0;
        QElapsedTimer since;
    };
    auto shown = std::make_shared<Shown>();
    hooks.advance = [this, shown](double by) {
        if (!shown->since.isValid())
            shown->value = ProgressBar->value();
        shown->value += by;
        if (!shown->since.isValid() || shown->since.elapsed() >= 40) {
            ProgressBar->setValue(qRound(shown->value));
            shown->since.start();
        }
        QCoreApplication::processEvents();
    };
    hooks.resetProgress = [this, shown] {
        shown->value = 0;
        ProgressBar->setValue(0);
    };
    return hooks;
}

int frmMain::selectedPosition() const
{
    const QModelIndexList rows = lvStrings->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.constFirst().row() + 1;
}

// The written row may have moved in the re-sort; the user keeps sight of it.
void frmMain::selectPosition(int position)
{
    if (position < 1)
        return;
    const QModelIndex index = m_model.index(position - 1, StringTableModel::NameColumn);
    lvStrings->setCurrentIndex(index);
    lvStrings->scrollTo(index);
}

void frmMain::mnuStrings_Add_Click()
{
    selectPosition(m_commands.add(this));
}

void frmMain::mnuStrings_Edit_Click()
{
    selectPosition(m_commands.edit(this, selectedPosition()));
}

void frmMain::mnuStrings_Delete_Click()
{
    m_commands.remove(this, selectedPosition());
}

void frmMain::lvStrings_ColumnClick(const QString &caption)
{
    const bool name = caption == QLatin1String("Name");
    const int key = m_table->sortKey();
    if ((name && key == StringTable::ByName) || (caption == QLatin1String("Value") && key == StringTable::ByValue)) {
        m_table->setSortOrder(m_table->sortOrder() == StringTable::Ascending ? StringTable::Descending
                                                                             : StringTable::Ascending);
    } else {
        m_table->setSortKey(name ? StringTable::ByName : StringTable::ByValue);
        m_table->setSortOrder(StringTable::Ascending);
    }
}

void frmMain::showSortIndicator()
{
    // While the table keeps its rows unsorted, an arrow would claim an order they lack.
    QHeaderView *header = lvStrings->header();
    header->setSortIndicatorShown(m_table->isSorted());
    header->setSortIndicator(m_table->sortKey(),
                             m_table->sortOrder() == StringTable::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lvStrings && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (QAction *command = listKeyCommand(key)) {
            // Through the menu item, which a load or a save has disabled meanwhile.
            if (!FileOperation)
                command->trigger();
            return true;
        }
        // Typing jumps to a matching Name. The view searches the column of its current
        // cell, which a click on a Value makes the Value column; move it back to Name.
        const QModelIndex current = lvStrings->currentIndex();
        if (current.isValid() && !key->text().isEmpty() && key->text().at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            lvStrings->selectionModel()->setCurrentIndex(current.siblingAtColumn(StringTableModel::NameColumn),
                                                         QItemSelectionModel::NoUpdate);
        }
    }
    if (watched == lvStrings->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            // The second press of a double-click arrives as the double-click itself.
            lvStrings_MouseDown(mouse->button(), mouse->position().toPoint());
            if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
                // lvStrings_DblClick. Queued, so that the list has taken the click before
                // Edit reads its selection.
                QMetaObject::invokeMethod(mnuStrings_Edit, &QAction::trigger, Qt::QueuedConnection);
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
        return mnuStrings_Edit;
    case Qt::Key_Delete:
        return mnuStrings_Delete;
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
        mnuStrings->exec(globalPosition);
    return popup;
}

} // namespace quillet
