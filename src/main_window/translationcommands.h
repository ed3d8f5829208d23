#pragma once

#include "referencedocument.h"
#include "stringentry.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;

namespace quillet {

class DocumentController;
class SettingsStore;
class StringTable;
class UserDialogs;
class frmMain;

// What a translator works with: a reference file open beside the document (File, Open
// Reference... and Close Reference), the list's filter box and status filter, the next
// entry that needs translating (F8), a missing entry filled in from the reference, the
// translation's progress in the status bar, and the translation exchanged with PO and
// XLIFF files (File, Export Translation... and Import Translation...).
class TranslationCommands : public QObject
{
    Q_OBJECT

public:
    // What the status filter offers, in its order.
    enum StatusFilter { AllEntries, Untranslated, Missing, CodesDiffer, Extra, WithProblems };

    // The items go into the window's menus: File after Import..., Edit and Strings at
    // their ends. `filter` and `statusFilter` stand above the list, `progress` in the
    // status bar.
    TranslationCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, SettingsStore &settings,
                        QMenu *fileMenu, QAction *fileBefore, QMenu *editMenu, QMenu *stringsMenu, QLineEdit *filter,
                        QComboBox *statusFilter, QLabel *progress);

    // The reference open beside the document; null when none is.
    const ReferenceDocument *reference() const { return m_reference.get(); }
    // The text `entry` of `table` has in the reference, as the reference reads; nothing
    // without a reference or where the reference has no such entry.
    std::optional<QString> referenceText(const StringTable &table, const StringEntry &entry) const;

    // Opens `path` as the reference; false, having said why, when it did not open, and then
    // whatever was shown before still is.
    bool openReference(const QString &path);
    void closeReference();
    // After the document opened from a file: the reference remembered for it, if any.
    void reopenRemembered();

    // Moves to the next entry (or the one before) in the list's order, across tables and
    // round, that is untranslated or missing; says so in the status bar when none is.
    bool nextUntranslated(bool backwards = false);
    void setStatusFilter(StatusFilter filter);
    StatusFilter statusFilter() const;

    bool exportTranslation(const QString &path);
    bool importTranslation(const QString &path);

    // The items usable only where they apply.
    void update();
    // Counts anew, once the events waiting now have run.
    void countLater();
    // "4,120 of 4,761 translated, 23 with codes differing"; empty without a reference.
    QString progressText() const;

    QAction *mnuFile_OpenReference;
    QAction *mnuFile_CloseReference;
    QAction *mnuFile_ExportTranslation;
    QAction *mnuFile_ImportTranslation;
    QAction *mnuEdit_Filter;
    QAction *mnuStrings_NextUntranslated;
    QAction *mnuStrings_PreviousUntranslated;
    QAction *mnuStrings_AddMissing;

public Q_SLOTS:
    void mnuFile_OpenReference_Click();
    void mnuFile_CloseReference_Click() { closeReference(); }
    void mnuFile_ExportTranslation_Click();
    void mnuFile_ImportTranslation_Click();
    void mnuEdit_Filter_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A row of a table as the list's model counts them (the reference's entries that the
    // table lacks after the table's own), and whether it needs translating.
    struct ListRow {
        int row = -1;
        bool needs = false;
    };
    // Every row of the table at `index`, filter or none, in the list's order.
    std::vector<ListRow> listRows(int index) const;
    // The reference dropped without a word, remembered still.
    void dropReference();
    void showReferenceColumn();
    void applyStatusFilter();
    void showProgress();
    void tellFailure(const QString &text);

    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    SettingsStore &m_settings;
    QLineEdit *m_filter;
    QComboBox *m_statusFilter;
    QLabel *m_progress;
    std::unique_ptr<ReferenceDocument> m_reference;
    bool m_countPending = false;
    // Where F8 last went, for the next F8 when the list has nothing selected (the entry it
    // went to may have left a filtered list once translated).
    StringTable *m_lastTable = nullptr;
    EntryId m_lastEntry = 0;
};

} // namespace quillet
