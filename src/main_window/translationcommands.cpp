#include "translationcommands.h"

#include "appidentity.h"
#include "displayorder.h"
#include "documentcontroller.h"
#include "exchangerequests.h"
#include "filelocation.h"
#include "frmmain.h"
#include "gxtdocument.h"
#include "layoutsettings.h"
#include "stringlistproxy.h"
#include "stringtable.h"
#include "stringtablemodel.h"
#include "documentcommands.h"
#include "tablecomparison.h"
#include "translationexchange.h"
#include "userdialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTimer>

namespace quillet {

namespace {

const QString ReferenceFilter = QStringLiteral("GXT Files (*.gxt *.gxt2);;All Files (*)");
// The first is what a name without an extension becomes.
const QString ExportTranslationFilter =
    QStringLiteral("PO File (*.po);;PO Template (*.pot);;XLIFF 1.2 (*.xlf);;All Files (*)");
const QString ImportTranslationFilter = QStringLiteral("Translations (*.po *.pot *.xlf *.xliff);;All Files (*)");

// How long the status bar says what F8 or a reference had to say.
constexpr int MessageMs = 6000;

// What the status filter offers, as it names them, in the order of StatusFilter.
const char *const StatusFilterTexts[] = {"All entries", "Untranslated", "Missing", "Codes differ", "Extra",
                                         "With problems"};

bool needsTranslation(ListStatus status)
{
    return status == ListStatus::Untranslated || status == ListStatus::Missing;
}

} // namespace

TranslationCommands::TranslationCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs,
                                         SettingsStore &settings, QMenu *fileMenu, QAction *fileBefore,
                                         QMenu *editMenu, QMenu *stringsMenu, QLineEdit *filter,
                                         QComboBox *statusFilter, QLabel *progress)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_filter(filter)
    , m_statusFilter(statusFilter)
    , m_progress(progress)
{
    const auto item = [this](QMenu *menu, QAction *before, const char *name, const QString &text,
                             const QKeySequence &key = {}) {
        auto *action = new QAction(text, menu);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        menu->insertAction(before, action);
        return action;
    };
    QAction *separator = new QAction(fileMenu);
    separator->setSeparator(true);
    separator->setObjectName(QStringLiteral("mnuFile_SepTranslation"));
    fileMenu->insertAction(fileBefore, separator);
    mnuFile_OpenReference = item(fileMenu, fileBefore, "mnuFile_OpenReference", QStringLiteral("Open &Reference..."),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    mnuFile_CloseReference = item(fileMenu, fileBefore, "mnuFile_CloseReference", QStringLiteral("Close Re&ference"));
    mnuFile_ExportTranslation =
        item(fileMenu, fileBefore, "mnuFile_ExportTranslation", QStringLiteral("Export &Translation..."));
    mnuFile_ImportTranslation =
        item(fileMenu, fileBefore, "mnuFile_ImportTranslation", QStringLiteral("I&mport Translation..."));
    mnuEdit_Filter = item(editMenu, nullptr, "mnuEdit_Filter", QStringLiteral("&Filter"), QKeySequence(Qt::CTRL | Qt::Key_L));
    stringsMenu->addSeparator()->setObjectName(QStringLiteral("mnuStrings_SepTranslation"));
    mnuStrings_NextUntranslated = item(stringsMenu, nullptr, "mnuStrings_NextUntranslated",
                                       QStringLiteral("Nex&t Untranslated"), QKeySequence(Qt::Key_F8));
    mnuStrings_PreviousUntranslated = item(stringsMenu, nullptr, "mnuStrings_PreviousUntranslated",
                                           QStringLiteral("Previous Untrans&lated"), QKeySequence(Qt::SHIFT | Qt::Key_F8));
    mnuStrings_AddMissing = item(stringsMenu, nullptr, "mnuStrings_AddMissing", QStringLiteral("Add &Missing Entry"),
                                 QKeySequence(Qt::CTRL | Qt::Key_M));

    connect(mnuFile_OpenReference, &QAction::triggered, this, &TranslationCommands::mnuFile_OpenReference_Click);
    connect(mnuFile_CloseReference, &QAction::triggered, this, &TranslationCommands::mnuFile_CloseReference_Click);
    connect(mnuFile_ExportTranslation, &QAction::triggered, this, &TranslationCommands::mnuFile_ExportTranslation_Click);
    connect(mnuFile_ImportTranslation, &QAction::triggered, this, &TranslationCommands::mnuFile_ImportTranslation_Click);
    connect(mnuEdit_Filter, &QAction::triggered, this, &TranslationCommands::mnuEdit_Filter_Click);
    connect(mnuStrings_NextUntranslated, &QAction::triggered, this, [this] { nextUntranslated(false); });
    connect(mnuStrings_PreviousUntranslated, &QAction::triggered, this, [this] { nextUntranslated(true); });

    for (const char *text : StatusFilterTexts)
        m_statusFilter->addItem(QString::fromLatin1(text));
    connect(m_statusFilter, &QComboBox::currentIndexChanged, this, &TranslationCommands::applyStatusFilter);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_window.listProxy().setFilterText(text);
    });
    m_filter->installEventFilter(this);

    // A new document has a reference of its own or none; an open brings back its own.
    connect(&m_controller, &DocumentController::documentReset, this, &TranslationCommands::dropReference);
    connect(&m_controller, &DocumentController::currentFileChanged, this, [this](const QString &path) {
        if (m_reference && !path.isEmpty())
            m_controller.layoutSettings().rememberReference(path, m_reference->path());
    });
    // Keys read by another hash compare anew.
    connect(&m_controller, &DocumentController::rulesChanged, this, [this] {
        if (!m_reference)
            return;
        m_reference->followDocument(m_controller);
        showReferenceColumn();
    });
    connect(&m_controller.undoStack(), &QUndoStack::indexChanged, this, &TranslationCommands::countLater);
    update();
    showProgress();
}

std::optional<QString> TranslationCommands::referenceText(const StringTable &table, const StringEntry &entry) const
{
    if (!m_reference)
        return std::nullopt;
    const TranslationStatus &status = m_reference->status();
    if (!status.referenceEntry(table.name(), entry))
        return std::nullopt;
    return status.referenceText(table.name(), entry);
}

void TranslationCommands::update()
{
    const bool free = !m_controller.FileOperation();
    const bool open = m_reference != nullptr;
    mnuFile_OpenReference->setEnabled(free);
    mnuFile_CloseReference->setEnabled(free && open);
    mnuFile_ExportTranslation->setEnabled(free);
    mnuFile_ImportTranslation->setEnabled(free);
    mnuEdit_Filter->setEnabled(free);
    mnuStrings_NextUntranslated->setEnabled(free && open);
    mnuStrings_PreviousUntranslated->setEnabled(free && open);
    mnuStrings_AddMissing->setEnabled(free && open);
    // The statuses need a reference; problems are the table's own.
    if (auto *items = qobject_cast<QStandardItemModel *>(m_statusFilter->model())) {
        for (int filter = Untranslated; filter <= Extra; ++filter)
            items->item(filter)->setEnabled(open);
    }
}

void TranslationCommands::mnuFile_OpenReference_Click()
{
    if (m_controller.FileOperation())
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Reference File");
    request.filter = ReferenceFilter;
    request.defaultSuffix = QStringLiteral("gxt");
    request.initialFolder = GetFileLocation(m_settings);
    request.mustExist = true;
    const QString path = m_dialogs.openFileName(&m_window, request);
    if (!path.isEmpty())
        openReference(path);
}

void TranslationCommands::tellFailure(const QString &text)
{
    m_dialogs.message(&m_window,
                      {text, QString::fromLatin1(AppIdentity::Title), QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok});
}

bool TranslationCommands::openReference(const QString &path)
{
    Result read;
    std::unique_ptr<ReferenceDocument> next = ReferenceDocument::open(path, m_controller, read);
    if (!next) {
        tellFailure(QStringLiteral("Could not open %1: %2").arg(QDir::toNativeSeparators(path), read.errorString()));
        return false;
    }
    // The list lets go of the reference shown before it goes.
    m_window.showReference(nullptr);
    m_reference = std::move(next);
    showReferenceColumn();
    m_controller.layoutSettings().rememberReference(m_controller.CurrentFile(), path);
    if (!read.warnings().isEmpty())
        m_window.statusBar()->showMessage(read.warnings().join(QStringLiteral("; ")), MessageMs);
    return true;
}

void TranslationCommands::showReferenceColumn()
{
    m_window.showReference(&m_reference->status());
    applyStatusFilter();
    update();
    countLater();
}

void TranslationCommands::dropReference()
{
    if (!m_reference)
        return;
    m_window.showReference(nullptr);
    m_reference.reset();
    m_lastTable = nullptr;
    m_lastEntry = 0;
    if (statusFilter() != WithProblems)
        setStatusFilter(AllEntries);
    update();
    showProgress();
}

void TranslationCommands::closeReference()
{
    if (m_controller.FileOperation() || !m_reference)
        return;
    dropReference();
    m_controller.layoutSettings().rememberReference(m_controller.CurrentFile(), QString());
}

void TranslationCommands::reopenRemembered()
{
    const QString remembered = m_controller.layoutSettings().referenceFile(m_controller.CurrentFile());
    if (remembered.isEmpty())
        return;
    Result read;
    std::unique_ptr<ReferenceDocument> next = ReferenceDocument::open(remembered, m_controller, read);
    if (!next) {
        // Said beside the file, not in its way: the file itself opened.
        m_window.statusBar()->showMessage(QStringLiteral("The reference %1 could not be opened: %2")
                                              .arg(QDir::toNativeSeparators(remembered), read.errorString()),
                                          MessageMs);
        return;
    }
    m_window.showReference(nullptr);
    m_reference = std::move(next);
    showReferenceColumn();
}

void TranslationCommands::mnuEdit_Filter_Click()
{
    m_filter->setFocus(Qt::ShortcutFocusReason);
    m_filter->selectAll();
}

bool TranslationCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // On to the rows the filter left, the first of them current where none is.
            m_window.focusList();
            return true;
        case Qt::Key_Escape:
            if (!m_filter->text().isEmpty()) {
                m_filter->clear();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

TranslationCommands::StatusFilter TranslationCommands::statusFilter() const
{
    return StatusFilter(std::max(0, m_statusFilter->currentIndex()));
}

void TranslationCommands::setStatusFilter(StatusFilter filter)
{
    m_statusFilter->setCurrentIndex(int(filter));
}

void TranslationCommands::applyStatusFilter()
{
    StringListProxy &proxy = m_window.listProxy();
    const StatusFilter filter = statusFilter();
    if (filter == AllEntries) {
        proxy.setRowFilter(nullptr);
        return;
    }
    const StringTableModel *model = proxy.tableModel();
    if (filter == WithProblems) {
        proxy.setRowFilter([model](int row) {
            return !model->isMissingRow(row) && !model->comparison().problems(row).isEmpty();
        });
        return;
    }
    ListStatus wanted = ListStatus::Untranslated;
    switch (filter) {
    case Missing:
        wanted = ListStatus::Missing;
        break;
    case CodesDiffer:
        wanted = ListStatus::CodesDiffer;
        break;
    case Extra:
        wanted = ListStatus::Extra;
        break;
    default:
        break;
    }
    proxy.setRowFilter([model, wanted](int row) { return model->status(row) == wanted; });
}

std::vector<TranslationCommands::ListRow> TranslationCommands::listRows(int index) const
{
    const StringTable &table = *m_controller.document().table(index);
    const EntryRules &rules = m_controller.rules();
    TableComparison comparison;
    comparison.set(&table, &rules, &m_reference->status());
    const int own = table.count();
    const int count = own + comparison.missingCount();
    // The list's own order, by the one display order: missing rows by their names among
    // the entries, and with no value of their own.
    const StringListProxy &proxy = m_window.listProxy();
    std::vector<int> order;
    if (proxy.isSorted()) {
        const int key = proxy.sortKey();
        order = displayOrder(
            count,
            [&](int row) {
                if (row >= own)
                    return key == ByValue ? QString() : comparison.missingName(row - own);
                return key == ByValue ? rules.valueText(table.at(row)) : rules.keyText(table.at(row));
            },
            SortOrder(proxy.sortOrder()));
    } else {
        order.resize(size_t(count));
        for (int row = 0; row < count; ++row)
            order[size_t(row)] = row;
    }
    std::vector<ListRow> rows;
    rows.reserve(order.size());
    for (int row : order)
        rows.push_back({row, row >= own || needsTranslation(comparison.status(row))});
    return rows;
}

bool TranslationCommands::nextUntranslated(bool backwards)
{
    if (m_controller.FileOperation() || !m_reference)
        return false;
    const GxtDocument &document = m_controller.document();
    const int tables = document.tableCount();
    const int shown = std::max(0, m_window.shownTable());
    // Where the search starts: the row the list is on, else the entry F8 last went to.
    int from = m_window.currentSourceRow();
    if (from < 0 && m_lastTable == &m_window.table() && m_lastEntry != 0)
        from = m_window.table().rowOf(m_lastEntry);

    const auto go = [&](int index, int row, bool wrapped) {
        StringTable *table = document.table(index);
        m_window.showListRow(table, row);
        m_lastTable = table;
        m_lastEntry = m_window.listProxy().tableModel()->idAt(row);
        m_window.statusBar()->showMessage(!wrapped  ? QString()
                                          : backwards ? QStringLiteral("Passed the start and went on from the end.")
                                                      : QStringLiteral("Passed the end and went on from the start."),
                                          MessageMs);
        return true;
    };
    const auto inOrder = [&](int index) {
        std::vector<ListRow> rows = listRows(index);
        if (backwards)
            std::reverse(rows.begin(), rows.end());
        return rows;
    };

    // The shown table after the current row, the other tables whole, then the shown table
    // again up to the current row, which may be the last one left.
    const std::vector<ListRow> here = inOrder(shown);
    qsizetype at = -1;
    for (qsizetype k = 0; k < qsizetype(here.size()) && from >= 0; ++k) {
        if (here[size_t(k)].row == from) {
            at = k;
            break;
        }
    }
    for (qsizetype k = at + 1; k < qsizetype(here.size()); ++k) {
        if (here[size_t(k)].needs)
            return go(shown, here[size_t(k)].row, false);
    }
    for (int step = 1; step < tables; ++step) {
        const int index = backwards ? shown - step : shown + step;
        const int wrappedIndex = (index % tables + tables) % tables;
        for (const ListRow &row : inOrder(wrappedIndex)) {
            if (row.needs)
                return go(wrappedIndex, row.row, index != wrappedIndex);
        }
    }
    for (qsizetype k = 0; k <= at; ++k) {
        if (here[size_t(k)].needs)
            return go(shown, here[size_t(k)].row, true);
    }
    m_window.statusBar()->showMessage(QStringLiteral("No entry is left untranslated or missing."), MessageMs);
    return false;
}

void TranslationCommands::countLater()
{
    if (m_countPending)
        return;
    m_countPending = true;
    QTimer::singleShot(0, this, [this] {
        m_countPending = false;
        showProgress();
    });
}

QString TranslationCommands::progressText() const
{
    if (!m_reference)
        return {};
    return translationProgressText(m_reference->status().count(m_controller.document().rawTables()));
}

void TranslationCommands::showProgress()
{
    const QString text = progressText();
    m_progress->setText(text);
    m_progress->setVisible(!text.isEmpty());
}

void TranslationCommands::mnuFile_ExportTranslation_Click()
{
    if (m_controller.FileOperation())
        return;
    const UserDialogs::FileRequest request = exportRequest(QStringLiteral("Export Translation"), ExportTranslationFilter,
                                                           QStringLiteral("po"), m_settings, m_controller.CurrentFile());
    const QString path = m_dialogs.saveFileName(&m_window, request);
    if (!path.isEmpty())
        exportTranslation(path);
}

void TranslationCommands::mnuFile_ImportTranslation_Click()
{
    if (m_controller.FileOperation())
        return;
    const UserDialogs::FileRequest request = importRequest(QStringLiteral("Import Translation"), ImportTranslationFilter,
                                                           QStringLiteral("po"), m_settings);
    const QString path = m_dialogs.openFileName(&m_window, request);
    if (!path.isEmpty())
        importTranslation(path);
}

bool TranslationCommands::exportTranslation(const QString &path)
{
    if (m_controller.FileOperation())
        return false;
    const bool existed = QFileInfo(path).isFile();
    // With a reference, what a translator translates from and what is done; without one, a
    // template of the file's own texts.
    const Result written = quillet::exportTranslation(path, m_controller.document().toRaw(), m_controller.rules(),
                                                      m_reference ? &m_reference->status() : nullptr);
    if (!written) {
        tellFailure(QStringLiteral("Could not export the translation: %1\n\n%2")
                        .arg(QDir::toNativeSeparators(written.errorString()),
                             existed ? QStringLiteral("The file on disk is as it was.")
                                     : QStringLiteral("Nothing was written.")));
        return false;
    }
    m_window.statusBar()->showMessage(
        QStringLiteral("Exported the translation to %1.").arg(QDir::toNativeSeparators(path)), MessageMs);
    return true;
}

bool TranslationCommands::importTranslation(const QString &path)
{
    if (m_controller.FileOperation())
        return false;
    GxtDocument &document = m_controller.document();
    std::vector<TranslationChange> changes;
    const Result read = quillet::importTranslation(path, document.toRaw(), m_controller.rules(), changes);
    if (!read) {
        tellFailure(QStringLiteral("Could not import the translation: %1\n\nNothing was changed.")
                        .arg(QDir::toNativeSeparators(read.errorString())));
        return false;
    }
    if (changes.empty()) {
        m_window.statusBar()->showMessage(QStringLiteral("The translation changes nothing."), MessageMs);
        return true;
    }
    // Every text in one step: Undo takes the whole import back.
    std::vector<EntryChange> steps;
    steps.reserve(changes.size());
    for (TranslationChange &change : changes) {
        StringTable *table = document.table(change.table);
        if (change.row >= 0) {
            steps.push_back({table, table->at(change.row), change.entry, -1});
        } else {
            change.entry.id = document.newEntryId();
            steps.push_back({table, std::nullopt, change.entry, -1});
        }
    }
    const qsizetype count = qsizetype(steps.size());
    StringTable *first = steps.front().table;
    const EntryId firstEntry = steps.front().after->id;
    m_controller.push(new EntriesCommand(QStringLiteral("Import Translation"), std::move(steps)));
    m_window.showEntry(first, firstEntry);
    SaveFileLocation(m_settings, path);
    m_window.statusBar()->showMessage(count == 1 ? QStringLiteral("Imported 1 text.")
                                                 : QStringLiteral("Imported %1 texts.").arg(count),
                                      MessageMs);
    return true;
}

} // namespace quillet
