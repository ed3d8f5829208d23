#pragma once

#include "stringentry.h"

#include <QDialog>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace Ui {
class frmStrings;
}

namespace quillet {

class DesignSource;
class EntryRules;
class ControlPlaces;
class NameValidator;
class StringTable;
class UserDialogs;
class ValueEdit;

// The dialog in which one entry is added or updated. The caption of cmdOk is its only sign
// of the mode: "&Update" rewrites the entry RenameElement names, anything else adds one. A
// commit checks the entry against what the document can store (the rules' one rule) and
// closes with the entry as keys and units (committedEntry()); whoever opened the dialog
// hands it to a command. The dialog itself writes nothing. A cancel gives nothing.
class frmStrings : public QDialog
{
    Q_OBJECT

public:
    enum View { SourceView = 0, DesignView = 1 };
    // The size the controls were placed for, at which the dialog opens unless told
    // otherwise, and the least it shrinks to with every control still in reach.
    static const QSize DesignSize;
    static const QSize MinimumSize;

    // `table` is the table the entry goes into, `rules` how its keys and texts read; both
    // must outlive the dialog.
    frmStrings(const EntryRules &rules, const StringTable &table, UserDialogs &dialogs, QWidget *owner = nullptr);
    ~frmStrings() override;

    // The identity of the entry an update rewrites; 0 for an added one.
    EntryId RenameElement = 0;
    // Puts an entry's name and value into the boxes as they read, for an update; a name
    // longer than a typed one stays whole.
    void showEntry(const StringEntry &entry);

    // Shows, above the value, the entry's text in the reference the translator works from:
    // read-only, as the source view shows it, codes and all. The dialog grows by the box.
    void showReference(const QString &text);
    bool showsReference() const { return m_referenceHeight > 0; }
    // How much taller than its own design the dialog is for the reference: 0 without one.
    int referenceHeight() const { return m_referenceHeight; }
    QPlainTextEdit *txtReference() const;

    QLineEdit *txtName() const;
    ValueEdit *txtValue() const;
    QComboBox *comboTextStyle() const;
    QRadioButton *OptView(int index) const;
    QPushButton *cmdOk() const;
    QPushButton *cmdCancel() const;
    QLabel *lblStringName() const;
    QLabel *lblTextStyle() const;

    // Puts the value box into the view of that index: 0 Source View, any other Design View.
    // The content is converted only when the view it is in actually changes: Design View
    // keeps the source it was built from, and gives back that source where the user
    // changed nothing.
    void OptView_Click(int index);
    View shownView() const { return m_shownView; }
    // The conversions of the whole value box, whatever view it is in.
    void BuildDesignView();
    void BuildSourceView();

    void cmdOk_Click();
    void cmdCancel_Click();
    void comboTextStyle_Click();
    // Key handlers: the code of a typed character, set to 0 to type nothing.
    void txtName_KeyPress(char16_t &keyAscii);
    void txtValue_KeyPress(char16_t &keyAscii);

    // What a commit made of the boxes: the entry's key and units (and, for an update, its
    // identity), and the name as typed; nothing until a commit succeeds.
    const std::optional<StringEntry> &committedEntry() const { return m_committed; }
    QString committedName() const { return m_committedName; }

    // Text pasted into the name box goes through the key filter and the typed length limit.
    void pasteIntoName(const QString &text);
    // The name box's standard context menu with its Paste going through pasteIntoName.
    QMenu *createNameContextMenu();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    static void fitCaption(QWidget *control);
    void applyViewLook(View view);
    static bool altGraph(const QKeyEvent *event);
    // A key that must type nothing into either box, whatever text it carries.
    static bool typesNothing(const QKeyEvent *event);
    bool nameKeyPress(QKeyEvent *event);
    // Enter commits, Shift+Enter breaks the line; true when the key was taken.
    bool valueKeyPress(QKeyEvent *event);
    bool takesHashes() const;
    // The entry an update rewrites; 0 while the dialog adds one, whatever RenameElement says.
    EntryId updatedEntry() const;
    // Inserts the longest start of `typed` that keeps a name the box takes.
    void insertIntoName(const QString &typed);
    // In a table of hashed keys each hash stands once; true when the name's is taken.
    bool refuseTakenHash(const StringEntry &entry, const QString &name);
    bool refuseUnsavable(const QString &name, const QString &value, StringEntry &entry);
    // True when the commit may go on: the key is new to the table, or the user keeps both
    // entries.
    bool confirmRepeatedName(const StringEntry &entry, const QString &name);

    std::unique_ptr<Ui::frmStrings> m_ui;
    const EntryRules &m_rules;
    const StringTable &m_table;
    UserDialogs &m_dialogs;
    NameValidator *m_nameValidator;
    ControlPlaces *m_places;
    int m_referenceHeight = 0;
    View m_shownView = SourceView;
    // While Design View shows: the source text it shows and where each shown thing came from.
    std::unique_ptr<DesignSource> m_design;
    std::optional<StringEntry> m_committed;
    QString m_committedName;
};

} // namespace quillet
