#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace Ui {
class frmStrings;
}

namespace quillet {

class GxtDocument;
class StringTable;
class UserDialogs;
class ValueEdit;

// The dialog in which one entry is added or updated. The caption of cmdOk is its only sign
// of the mode: "&Update" rewrites the row at RenameElement, anything else appends a row.
// A commit checks the entry against what the document can store, writes it into the table
// and re-sorts it; the document notices the change itself. A cancel writes nothing.
class frmStrings : public QDialog
{
    Q_OBJECT

public:
    enum View { SourceView = 0, DesignView = 1 };

    // `table` is one of `document`'s tables, the one the entry goes into.
    frmStrings(GxtDocument &document, StringTable &table, UserDialogs &dialogs, QWidget *owner = nullptr);
    ~frmStrings() override;

    // Position, counted from 1 in the table's current order, of the row an update rewrites.
    int RenameElement = 0;

    QLineEdit *txtName() const;
    ValueEdit *txtValue() const;
    QComboBox *comboTextStyle() const;
    QRadioButton *OptView(int index) const;
    QPushButton *cmdOk() const;
    QPushButton *cmdCancel() const;
    QLabel *lblStringName() const;

    // Puts the value box into the view of that index: 0 Source View, any other Design View.
    // The content is converted only when the view it is in actually changes, since a
    // second Design View conversion would reset every colour to grey.
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

    // Where the row the commit wrote stands after the re-sort; 0 until a commit succeeds.
    int writtenPosition() const { return m_writtenPosition; }

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
    bool nameKeyPress(QKeyEvent *event);
    bool takesHashes() const;
    void insertIntoName(const QString &typed);
    // In a table of hashed keys each hash stands once; true when the name's is taken.
    bool refuseTakenHash(const QString &name);
    bool refuseUnsavable(const QString &name, const QString &value);
    // True when the commit may go on: `name` is new, or the user keeps both entries.
    // `editedPosition` is the row an update rewrites, 0 for an added row.
    bool confirmRepeatedName(const QString &name, int editedPosition);

    std::unique_ptr<Ui::frmStrings> m_ui;
    GxtDocument &m_document;
    StringTable &m_table;
    UserDialogs &m_dialogs;
    View m_shownView = SourceView;
    int m_writtenPosition = 0;
};

} // namespace quillet
