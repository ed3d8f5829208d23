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
#include "listdelegate.h"
#include "numberingchoice.h"
#include "numberingcommands.h"
#include "stringcommands.h"
#include "stringlistproxy.h"
#include "stringtable.h"
#include "stringtablemodel.h"
#include "tablecommands.h"
#include "translationcommands.h"
#include "ui_frmmain.h"
#include "userdialogs.h"
#include "windowplaces.h"
#include "windowsettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
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
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace quillet {

namespace {

// The pop-up menu opens only when the right button comes up within this many pixels of
// where it went down, in each direction, the limit included: a drag is no click.
constexpr int PopupTolerance = 5;

// How long start-up waits for the window system to put the window on the screen before it
// goes on without: a window opened on another desktop may not be shown until the user goes
// there, and a file named on the command line must open all the same.
constexpr int ExposeWaitMs = 2000;

QString countOf(int count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

EntryId idOf(const QModelIndex &index)
{
    return index.isValid() ? index.data(StringTableModel::EntryIdRole).value<EntryId>() : 0;
}

} // namespace

const QSize frmMain::DesignClientSize(665, 456);
const QSize frmMain::MinimumClientSize(360, 180);

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
    // The lists fill the client area whatever its size; at the opening size they stand
    // exactly where the form puts them.
    centralWidget()->setMinimumSize(MinimumClientSize);
    auto *places = new ControlPlaces(centralWidget(), DesignClientSize);
    places->add(m_ui->txtFilter, Follow::Width);
    places->add(m_ui->cboStatusFilter, Follow::Right);
    places->add(m_ui->lvStrings, Follow::Width | Follow::Height);
    places->add(m_ui->lvBlank, Follow::Width | Follow::Height);
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
    // Both lists get the Name column that lvStrings' font needs, so that they line up; a
    // width the user gave it in an earlier window stands instead.
    m_chosenNameWidth = rememberedWidth(*m_settings, WindowSetting::NameColumn).value_or(0);
    setUpList(list, m_proxy, 0);
    setUpList(m_ui->lvBlank, m_blankProxy, 0);
    fitColumns(nameColumnWidth(*list));
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    list->setItemDelegate(new ListDelegate(list));

    // The header's clicks sort through the list's proxy, as the list's own rule says.
    QHeaderView *header = list->header();
    connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        // Only the user's drag counts as a choice; the window's own fitting does not.
        if (section != StringTableModel::NameColumn || m_fittingColumns)
            return;
        m_chosenNameWidth = size;
        const QScopedValueRollback<bool> fitting(m_fittingColumns, true);
        m_ui->lvBlank->header()->resizeSection(StringTableModel::NameColumn, size);
    });
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        lvStrings_ColumnClick(m_model->headerData(section, Qt::Horizontal).toString());
    });
    connect(m_proxy, &StringListProxy::sortSettingsChanged, this, &frmMain::showSortIndicator);
    showSortIndicator();

    m_fileCommands = new FileCommands(*this, *m_controller, *m_dialogs, *m_settings, m_ui->mnuFile, m_ui->mnuFile_Exit);
    m_stringCommands = new StringCommands(*this, *m_controller, *m_dialogs, *m_settings);
    m_tableCommands = new TableCommands(*this, *m_controller, *m_dialogs, m_ui->mnuTables, m_ui->mnuTables_Rename,
                                        m_ui->mnuTables_Delete);
    m_findCommands = new FindCommands(*this, *m_controller, *m_dialogs, m_ui->mnuStrings);
    setUpStatusBar();
    m_translationCommands = new TranslationCommands(*this, *m_controller, *m_dialogs, *m_settings, m_ui->mnuFile,
                                                    m_ui->mnuFile_Sep2, m_ui->mnuEdit, m_ui->mnuStrings,
                                                    m_ui->txtFilter, m_ui->cboStatusFilter, m_translationStatus);
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
    connect(ui.mnuFile_Export, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_Export_Click);
    connect(ui.mnuFile_Import, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_Import_Click);
    connect(ui.mnuEdit_Copy, &QAction::triggered, m_stringCommands, &StringCommands::mnuEdit_Copy_Click);
    connect(ui.mnuEdit_Paste, &QAction::triggered, m_stringCommands, &StringCommands::mnuEdit_Paste_Click);
    connect(ui.mnuFile_Exit, &QAction::triggered, m_fileCommands, &FileCommands::mnuFile_Exit_Click);
    connect(ui.mnuFile_KeyNames, &QAction::triggered, m_numberingCommands, &NumberingCommands::mnuFile_KeyNames_Click);
    connect(ui.mnuStrings_Add, &QAction::triggered, m_stringCommands, &StringCommands::mnuStrings_Add_Click);
    connect(ui.mnuStrings_Edit, &QAction::triggered, m_stringCommands, &StringCommands::mnuStrings_Edit_Click);
    connect(ui.mnuStrings_Delete, &QAction::triggered, m_stringCommands, &StringCommands::mnuStrings_Delete_Click);
    connect(m_translationCommands->mnuStrings_AddMissing, &QAction::triggered, m_stringCommands,
            &StringCommands::mnuStrings_AddMissing_Click);
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

void frmMain::setUpStatusBar()
{
    QStatusBar *bar = m_ui->statusBar;
    auto label = [this, bar](const char *name) {
        auto *shown = new QLabel(this);
        shown->setObjectName(QLatin1String(name));
        // Table names and warnings come from files.
        shown->setTextFormat(Qt::PlainText);
        // A narrow window cuts the status bar's texts short rather than be held wide by them.
        shown->setMinimumWidth(1);
        bar->addWidget(shown);
        return shown;
    };
    m_entriesStatus = label("lblEntries");
    showEntryCount();
    // The translation's progress, while a reference is open.
    m_translationStatus = label("lblTranslation");
    m_translationStatus->hide();
    m_tableStatus = label("lblTable");
    m_formatStatus = label("lblFormat");
    m_modifiedStatus = label("lblModified");
    m_modifiedStatus->setText(QStringLiteral("Modified"));
    m_modifiedStatus->hide();
    m_warningsStatus = label("lblWarnings");
    m_warningsStatus->hide();

    // The progress bar shows only while a load or a save runs, at the height of the labels,
    // so that the status bar does not grow and shrink the list with it.
    QProgressBar *progress = m_ui->ProgressBar;
    bar->addPermanentWidget(progress);
    progress->setFixedSize(160, m_entriesStatus->sizeHint().height());
    progress->hide();
    // The numbering in use, for the whole time the window is open.
    m_numberingStatus = new QLabel(this);
    m_numberingStatus->setObjectName(QStringLiteral("lblNumbering"));
    m_numberingStatus->setTextFormat(Qt::PlainText);
    m_numberingStatus->setMinimumWidth(1);
    bar->addPermanentWidget(m_numberingStatus);

    // Counted from the list's rows against the table's, so that rows a filter hides would
    // show as such. The proxy may tell of a change before the model has made it: the count
    // follows both.
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(m_proxy, signal, this, &frmMain::showEntryCount);
        connect(m_model, signal, this, &frmMain::showEntryCount);
    }
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &frmMain::showEntryCount);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &frmMain::showEntryCount);
}

void frmMain::showEntryCount()
{
    // The table's own entries; the reference's that it lacks are counted on their own.
    const int all = m_model->tableRows();
    int missing = 0;
    for (int row = all; row < m_model->rowCount(); ++row) {
        if (m_proxy->listRow(row) >= 0)
            ++missing;
    }
    const int shown = m_proxy->rowCount() - missing;
    QString text = shown == all ? countOf(all, "entry", "entries")
                                : QStringLiteral("%1 of %2").arg(shown).arg(countOf(all, "entry", "entries"));
    if (missing > 0)
        text += QStringLiteral(", %1 missing").arg(missing);
    m_entriesStatus->setText(text);
}

void frmMain::showDocumentStatus()
{
    const GxtDocument &document = m_controller->document();
    m_tableStatus->setVisible(document.hasTables());
    if (document.hasTables())
        m_tableStatus->setText(QStringLiteral("Table ") + document.tableName(std::max(0, shownTable())));
    const GxtFormat &format = document.format();
    m_formatStatus->setText(QStringLiteral("%1, %2").arg(format.title(), format.game(document.keyHash())));
    m_modifiedStatus->setVisible(m_controller->StringsChanged());
}

void frmMain::showLoadWarnings(const QStringList &warnings)
{
    m_warningsStatus->setVisible(!warnings.isEmpty());
    m_warningsStatus->setText(countOf(int(warnings.size()), "warning", "warnings"));
    // A tool tip guesses rich text from its text: escaped, a key "<b>" in a warning stays
    // a key.
    QStringList lines;
    for (const QString &warning : warnings)
        lines << warning.toHtmlEscaped();
    m_warningsStatus->setToolTip(warnings.isEmpty() ? QString() : QStringLiteral("<p style='white-space:pre'>")
                                                                          + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>"));
}

void frmMain::connectController()
{
    GxtDocument &document = m_controller->document();
    // Nothing shows a table that is about to go: the model lets go first.
    connect(&document, &GxtDocument::aboutToBeReset, this, [this] { m_model->setTable(nullptr); });
    connect(m_controller, &DocumentController::documentReset, this, &frmMain::documentWasReset);
    connect(m_controller, &DocumentController::rulesChanged, this, [this] {
        // Shown anew; the entries the user was on stay selected and in sight.
        const std::vector<EntryId> selected = selectedEntries();
        m_model->setRules(m_controller->rules());
        m_blankModel->setRules(m_controller->rules());
        selectEntries(&table(), selected);
        // A hash tells the game.
        showDocumentStatus();
    });
    connect(m_controller, &DocumentController::currentFileChanged, this, &frmMain::showTitle);
    connect(m_controller, &DocumentController::fileOperationChanged, this, [this](bool running) {
        setFileCommandsEnabled(!running);
        m_ui->ProgressBar->setVisible(running);
    });
    connect(m_controller, &DocumentController::stringsChangedChanged, m_modifiedStatus, &QWidget::setVisible);
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
    fitColumns(nameColumnWidth(*m_ui->lvStrings, hashes ? 9 : 8));
    m_model->setRules(m_controller->rules());
    m_blankModel->setRules(m_controller->rules());
    m_model->setTable(nullptr);
    showLoadWarnings({});
    showTable(0);
    showDocumentStatus();
}

void frmMain::setUpList(QTreeView *list, StringListProxy *proxy, int nameWidth)
{
    list->setModel(proxy);
    list->header()->setSectionsMovable(false);
    if (nameWidth > 0)
        fitListColumns(*list, nameWidth);
}

void frmMain::fitColumns(int fittedNameWidth)
{
    const QScopedValueRollback<bool> fitting(m_fittingColumns, true);
    const int width = m_chosenNameWidth > 0 ? m_chosenNameWidth : fittedNameWidth;
    fitListColumns(*m_ui->lvStrings, width);
    fitListColumns(*m_ui->lvBlank, width);
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
    showDocumentStatus();
}

EntryId frmMain::selectedEntry() const
{
    const QItemSelectionModel *selection = m_ui->lvStrings->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), current.parent()))
        return idOf(current);
    const std::vector<EntryId> all = selectedEntries();
    return all.empty() ? 0 : all.front();
}

std::vector<EntryId> frmMain::selectedEntries() const
{
    // The selection model lists rows in the order they were selected.
    QModelIndexList rows = m_ui->lvStrings->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<EntryId> entries;
    entries.reserve(size_t(rows.size()));
    for (const QModelIndex &row : std::as_const(rows))
        entries.push_back(idOf(row));
    return entries;
}

void frmMain::selectEntries(StringTable *table, const std::vector<EntryId> &entries)
{
    const int index = m_controller->document().indexOf(table);
    if (index < 0)
        return;
    showTable(index);
    QTreeView *list = m_ui->lvStrings;
    QItemSelection selection;
    QModelIndex first;
    const int lastColumn = m_proxy->columnCount() - 1;
    for (EntryId entry : entries) {
        const int sourceRow = m_model->rowOf(entry);
        if (sourceRow < 0)
            continue;
        const QModelIndex shown = m_proxy->mapFromSource(m_model->index(sourceRow, StringTableModel::NameColumn));
        selection.select(shown, shown.siblingAtColumn(lastColumn));
        if (!first.isValid())
            first = shown;
    }
    if (!first.isValid()) {
        list->clearSelection();
        return;
    }
    list->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(first);
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
    // Said outright: the list would read a Ctrl still held from the shortcut that ran the
    // command as a toggle of the row.
    list->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(shown);
}

std::vector<int> frmMain::listOrder(int tableIndex) const
{
    const StringTable &shown = *m_controller->document().table(tableIndex);
    // Every entry, whatever the filter hides, and none of the rows of missing entries.
    if (&shown == m_model->table() && !m_proxy->isFiltering()) {
        std::vector<int> rows;
        rows.reserve(size_t(shown.count()));
        for (int row = 0; row < m_proxy->rowCount(); ++row) {
            const int source = m_proxy->sourceRow(row);
            if (source < shown.count())
                rows.push_back(source);
        }
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

void frmMain::showReference(const TranslationStatus *reference)
{
    const std::vector<EntryId> selected = selectedEntries();
    m_model->setReference(reference);
    // The stand-in list has the same columns, and no rows.
    m_blankModel->setReference(reference);
    const bool hashes = m_controller->document().format().storesHashes();
    fitColumns(nameColumnWidth(*m_ui->lvStrings, hashes ? 9 : 8));
    selectEntries(&table(), selected);
    showEntryCount();
}

int frmMain::currentSourceRow() const
{
    const QModelIndex current = m_ui->lvStrings->currentIndex();
    return current.isValid() ? m_proxy->sourceRow(current.row()) : -1;
}

void frmMain::showListRow(StringTable *table, int row)
{
    const int index = m_controller->document().indexOf(table);
    if (index < 0)
        return;
    showTable(index);
    if (row < 0 || row >= m_model->rowCount())
        return;
    if (m_proxy->listRow(row) < 0) {
        m_ui->txtFilter->clear();
        m_translationCommands->setStatusFilter(TranslationCommands::AllEntries);
    }
    const int listRow = m_proxy->listRow(row);
    if (listRow < 0)
        return;
    const QModelIndex shown = m_proxy->index(listRow, StringTableModel::NameColumn);
    QTreeView *list = m_ui->lvStrings;
    list->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(shown);
}

void frmMain::focusList()
{
    QTreeView *list = m_ui->lvStrings;
    list->setFocus(Qt::OtherFocusReason);
    if (!list->currentIndex().isValid() && m_proxy->rowCount() > 0) {
        list->selectionModel()->setCurrentIndex(m_proxy->index(0, StringTableModel::NameColumn),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
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
    for (QMenu *menu : {m_ui->mnuFile, m_ui->mnuEdit, m_ui->mnuStrings})
        setMenu(menu);
    m_ui->txtFilter->setEnabled(enabled);
    m_ui->cboStatusFilter->setEnabled(enabled);
    m_tableCommands->update();
    m_translationCommands->update();
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
    // On the screen before any file is read: a long load shows its progress, and a file that
    // does not open says so over the window rather than on its own before the window.
    if (!isVisible()) {
        restoreWindowSize();
        if (rememberedFlag(*m_settings, WindowSetting::MainMaximized))
            showMaximized();
        else
            show();
        waitUntilExposed();
        // The window system has said how wide the frame is by now: the frame fits too.
        if (!isMaximized()) {
            resize(sizeWithinScreen(*this, size()));
            keepOnScreen(*this);
        }
    }
    m_fileCommands->startWith(argument);
    m_ui->lvStrings->setFocus();
}

void frmMain::restoreWindowSize()
{
    // The opening size is that of the client area: what the menu bar and the status bar
    // take depends on the style and the fonts, and a layout that has run says how much.
    if (const std::optional<QSize> remembered = rememberedSize(*m_settings, WindowSetting::MainSize)) {
        resize(sizeWithinScreen(*this, *remembered));
        return;
    }
    resize(DesignClientSize);
    layout()->activate();
    resize(sizeWithinScreen(*this, size() + DesignClientSize - centralWidget()->size()));
}

void frmMain::rememberWindowSize()
{
    const bool maximized = isMaximized();
    rememberFlag(*m_settings, WindowSetting::MainMaximized, maximized);
    // A maximised window remembers the size it goes back to; one that opened maximised and
    // never was smaller has none, and the size remembered before stays.
    const QSize normal = maximized ? normalGeometry().size() : size();
    if (!normal.isEmpty())
        rememberSize(*m_settings, WindowSetting::MainSize, normal);
    if (m_chosenNameWidth > 0)
        rememberWidth(*m_settings, WindowSetting::NameColumn, m_chosenNameWidth);
}

void frmMain::waitUntilExposed()
{
    QWindow *window = windowHandle();
    if (!window || window->isExposed())
        return;
    // Only the window system's events run meanwhile: a key or a click waits for the window
    // to be ready for it, and no command starts before start-up has opened the file.
    QEventLoop wait;
    m_exposeWait = &wait;
    window->installEventFilter(this);
    QTimer::singleShot(ExposeWaitMs, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    window->removeEventFilter(this);
    m_exposeWait = nullptr;
}

void frmMain::lvStrings_ColumnClick(const QString &caption)
{
    const bool name = caption == QLatin1String("Name");
    // The list sorts by Name or by Value; the reference's texts are there to read.
    if (!name && caption != QLatin1String("Value"))
        return;
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
    rememberWindowSize();
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
    if (m_exposeWait && watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed())
        m_exposeWait->quit();
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
