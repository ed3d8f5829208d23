#include "frmstrings.h"

#include "colourcodes.h"
#include "designtext.h"
#include "entryrules.h"
#include "hashtext.h"
#include "namefilter.h"
#include "stringtable.h"
#include "ui_frmstrings.h"
#include "userdialogs.h"
#include "valueedit.h"
#include "windowplaces.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <algorithm>

namespace quillet {

const QSize frmStrings::DesignSize(370, 174);
const QSize frmStrings::MinimumSize(280, 140);

frmStrings::frmStrings(const EntryRules &rules, const StringTable &table, UserDialogs &dialogs, QWidget *owner)
    : QDialog(owner)
    , m_ui(std::make_unique<Ui::frmStrings>())
    , m_rules(rules)
    , m_table(table)
    , m_dialogs(dialogs)
    , m_nameValidator(new NameValidator(rules.format().keyRule(), this))
    , m_places(nullptr)
{
    m_ui->setupUi(this);
    txtName()->setValidator(m_nameValidator);
    // A title bar, window menu, maximise and close box, and no help button. The dialog opens
    // at the size its controls were placed for and may grow or shrink from there; the value
    // box takes what it gains.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    resize(DesignSize);
    setMinimumSize(MinimumSize);
    // A name box never narrower than at the design size: a name of seven letters fits.
    txtName()->setMinimumWidth(txtName()->width());
    auto *places = new ControlPlaces(this, DesignSize);
    m_places = places;
    places->add(txtName(), Follow::Width);
    places->add(OptView(DesignView), Follow::Right);
    places->add(OptView(SourceView), Follow::Right);
    places->add(txtValue(), Follow::Width | Follow::Height);
    places->add(cmdOk(), Follow::Right | Follow::Bottom);
    places->add(cmdCancel(), Follow::Right | Follow::Bottom);

    // A form file holds whole point sizes only.
    QFont valueFont = txtValue()->font();
    valueFont.setFamily(QStringLiteral("Courier New"));
    valueFont.setStyleHint(QFont::TypeWriter);
    valueFont.setPointSizeF(9.75);
    txtValue()->setFont(valueFont);

    // The places of the controls are fixed to the pixel, but the default dialog font differs
    // from desktop to desktop: a caption that would be cut off gets a smaller font instead.
    for (QWidget *captioned : std::initializer_list<QWidget *>{lblStringName(), m_ui->lblTextStyle, OptView(SourceView),
                                                                OptView(DesignView), cmdOk(), cmdCancel()})
        fitCaption(captioned);

    for (int i = 0; i < comboTextStyle()->count(); ++i)
        comboTextStyle()->setItemData(i, 0);

    // Every way text can enter the name box passes the key filter: typing and pasting are
    // filtered below, while dropping and input methods, which could not be, are off.
    txtName()->setAcceptDrops(false);
    txtName()->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtName()->installEventFilter(this);
    txtValue()->installEventFilter(this);

    connect(cmdOk(), &QPushButton::clicked, this, &frmStrings::cmdOk_Click);
    connect(cmdCancel(), &QPushButton::clicked, this, &frmStrings::cmdCancel_Click);
    connect(comboTextStyle(), &QComboBox::currentIndexChanged, this, &frmStrings::comboTextStyle_Click);
    for (int index : {SourceView, DesignView}) {
        // Keyboard selection toggles, a mouse click clicks: either way the view follows,
        // and a click on the selected option after a failed commit shows its view again.
        connect(OptView(index), &QRadioButton::toggled, this, [this, index](bool checked) {
            if (checked)
                OptView_Click(index);
        });
        connect(OptView(index), &QRadioButton::clicked, this, [this, index] { OptView_Click(index); });
    }

    // The reference's box shows only where there is a reference to show; a translation keeps
    // its codes by the reference's, so it reads in the source view's letters.
    m_ui->lblReference->hide();
    txtReference()->hide();
    txtReference()->setFont(valueFont);
    txtReference()->setFocusPolicy(Qt::ClickFocus);

    applyViewLook(SourceView);
    txtName()->setFocus();
    Form_Load();
}

frmStrings::~frmStrings() = default;

void frmStrings::fitCaption(QWidget *control)
{
    QFont font = control->font();
    while (control->sizeHint().width() > control->width() && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        control->setFont(font);
    }
}

QLineEdit *frmStrings::txtName() const { return m_ui->txtName; }
QPlainTextEdit *frmStrings::txtReference() const { return m_ui->txtReference; }
ValueEdit *frmStrings::txtValue() const { return m_ui->txtValue; }
QComboBox *frmStrings::comboTextStyle() const { return m_ui->comboTextStyle; }
QRadioButton *frmStrings::OptView(int index) const { return index == SourceView ? m_ui->OptView_0 : m_ui->OptView_1; }
QPushButton *frmStrings::cmdOk() const { return m_ui->cmdOk; }
QPushButton *frmStrings::cmdCancel() const { return m_ui->cmdCancel; }
QLabel *frmStrings::lblStringName() const { return m_ui->lblStringName; }
QLabel *frmStrings::lblTextStyle() const { return m_ui->lblTextStyle; }

void frmStrings::Form_Load()
{
    comboTextStyle()->setCurrentIndex(0);
}

void frmStrings::showEntry(const StringEntry &entry)
{
    const QString name = m_rules.keyText(entry);
    m_nameValidator->setKeptLength(name.size());
    txtName()->setText(name);
    txtValue()->setValue(m_rules.valueText(entry));
}

void frmStrings::showReference(const QString &text)
{
    txtReference()->setPlainText(text);
    if (m_referenceHeight > 0)
        return;
    // A band above the value box, where the form has the value's top edge.
    const QRect label = m_ui->lblReference->geometry();
    const QRect box = txtReference()->geometry();
    m_referenceHeight = box.bottom() + 1 - label.top() + 4;
    m_places->insertBand(label.top(), m_referenceHeight);
    m_ui->lblReference->setGeometry(label);
    txtReference()->setGeometry(box);
    m_places->add(m_ui->lblReference, Follow::Width);
    m_places->add(txtReference(), Follow::Width);
    m_ui->lblReference->show();
    txtReference()->show();
    setMinimumSize(MinimumSize + QSize(0, m_referenceHeight));
    resize(size() + QSize(0, m_referenceHeight));
    m_places->place();
}

void frmStrings::applyViewLook(View view)
{
    comboTextStyle()->setEnabled(view == DesignView);
    if (view == DesignView)
        txtValue()->setViewColours(ColourTable::designBackground(), ColourTable::defaultColour());
    else
        txtValue()->setViewColours(ColourTable::sourceBackground(), ColourTable::sourceText());
}

void frmStrings::OptView_Click(int index)
{
    const View view = index == SourceView ? SourceView : DesignView;
    if (view == m_shownView) {
        applyViewLook(view);
        return;
    }
    if (view == SourceView)
        BuildSourceView();
    else
        BuildDesignView();
}

void frmStrings::BuildDesignView()
{
    m_design = std::make_unique<DesignSource>(txtValue()->value());
    applyViewLook(DesignView);
    txtValue()->setDesignText(m_design->shown());
    m_shownView = DesignView;
}

void frmStrings::BuildSourceView()
{
    // Colours are read in the look of the view they were made in: text without a colour of
    // its own shows, and so counts, in that view's text colour. Only what the user changed
    // is written anew.
    const DesignText edited = txtValue()->designText();
    const QString source = m_design ? m_design->sourceAfter(edited) : quillet::BuildSourceView(expandTokens(edited));
    m_design.reset();
    applyViewLook(SourceView);
    txtValue()->setColouredValue(colouredText(source, ColourTable::sourceText()));
    m_shownView = SourceView;
}

void frmStrings::cmdOk_Click()
{
    if (!OptView(SourceView)->isChecked())
        OptView_Click(SourceView);

    const QString name = txtName()->text();
    if (std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c == u' '; })) {
        m_dialogs.message(this, {QStringLiteral("Name cannot be blank!"), QString(), QMessageBox::Ok,
                                 QMessageBox::NoIcon, QMessageBox::NoButton});
        txtName()->setFocus();
        return;
    }
    const QString value = txtValue()->value();
    StringEntry entry;
    if (refuseUnsavable(name, value, entry) || refuseTakenHash(entry, name))
        return;
    if (!confirmRepeatedName(entry, name)) {
        txtName()->setFocus();
        return;
    }
    // An update keeps the entry's identity; the caller's command gives an added one its own.
    entry.id = updatedEntry();
    m_committed = entry;
    m_committedName = name;
    accept();
}

bool frmStrings::confirmRepeatedName(const StringEntry &entry, const QString &name)
{
    // An entry that keeps its own key makes no second entry, even where a file already
    // repeats that key; such files stay editable as they are.
    const EntryId updated = updatedEntry();
    const StringEntry *edited = updated ? m_table.find(updated) : nullptr;
    if (edited && edited->sameKey(entry))
        return true;
    const std::vector<StringEntry> &entries = m_table.entries();
    if (std::none_of(entries.cbegin(), entries.cend(), [&](const StringEntry &other) { return other.sameKey(entry); }))
        return true;
    // The game finds only one of two entries of a key, so a second is made on purpose only.
    const UserDialogs::Message question{QStringLiteral("An entry named '") + name
                                            + QStringLiteral("' already exists. Keep both?"),
                                        QString(), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                                        QMessageBox::No};
    return m_dialogs.message(this, question) == QMessageBox::Yes;
}

bool frmStrings::refuseUnsavable(const QString &name, const QString &value, StringEntry &entry)
{
    // The same rule a save and an import apply: what passes here can be saved, so a commit
    // never leaves the user with a table the next save refuses.
    qsizetype bad = -1;
    Result checked = m_rules.encodeKey(name, entry, &bad);
    QWidget *box = txtName();
    if (checked) {
        checked = m_rules.encodeValue(value, entry.units, &bad);
        box = txtValue();
    }
    if (checked)
        return false;
    QString reason = checked.errorString();
    reason[0] = reason[0].toUpper();
    // A character can be replaced; a length or a form can only be changed.
    reason += bad >= 0 ? QStringLiteral(". Remove it or put another character in its place.") : QStringLiteral(".");
    m_dialogs.message(this, {reason, QString(), QMessageBox::Ok, QMessageBox::Warning, QMessageBox::NoButton});
    if (box == txtValue() && bad >= 0) {
        // Show the user where it is: the box holds the value character for character.
        const qsizetype length = value.at(bad).isHighSurrogate() && bad + 1 < value.size() ? 2 : 1;
        QTextCursor cursor = txtValue()->textCursor();
        cursor.setPosition(int(bad));
        cursor.setPosition(int(bad + length), QTextCursor::KeepAnchor);
        txtValue()->setTextCursor(cursor);
    }
    box->setFocus();
    return true;
}

bool frmStrings::refuseTakenHash(const StringEntry &entry, const QString &name)
{
    if (!takesHashes())
        return false;
    const EntryId updated = updatedEntry();
    const std::vector<StringEntry> &entries = m_table.entries();
    for (size_t row = 0; row < entries.size(); ++row) {
        const StringEntry &other = entries[row];
        if (other.hash != entry.hash || (updated != 0 && other.id == updated))
            continue;
        m_dialogs.message(this, {QStringLiteral("The key %1 has the hash %2, which entry %3 (%4) of this table has "
                                                "already. A table holds each hashed key once.")
                                     .arg(name, hashText(entry.hash))
                                     .arg(row + 1)
                                     .arg(m_rules.keyText(other)),
                                 QString(), QMessageBox::Ok, QMessageBox::Warning, QMessageBox::NoButton});
        txtName()->setFocus();
        return true;
    }
    return false;
}

void frmStrings::cmdCancel_Click()
{
    reject();
}

void frmStrings::comboTextStyle_Click()
{
    if (const ColourCode *row = ColourTable::byName(comboTextStyle()->currentText())) {
        QTextCharFormat colour;
        colour.setForeground(QColor::fromRgb(row->rgb()));
        // Pasted or typed text never is a link, but a colour choice makes sure of it.
        colour.setAnchor(false);
        // On a selection this colours it; at a bare caret it colours what is typed next.
        txtValue()->mergeCurrentCharFormat(colour);
    }
    if (comboTextStyle()->currentIndex() != 0) {
        comboTextStyle()->setCurrentIndex(0);
        txtValue()->setFocus();
    }
}

void frmStrings::txtName_KeyPress(char16_t &keyAscii)
{
    keyAscii = filterNameKey(keyAscii);
}

void frmStrings::txtValue_KeyPress(char16_t &keyAscii)
{
    if (keyAscii == 13 || keyAscii == 10) {
        keyAscii = 0;
        cmdOk_Click();
    }
}

EntryId frmStrings::updatedEntry() const
{
    return cmdOk()->text() == QLatin1String("&Update") ? RenameElement : 0;
}

bool frmStrings::takesHashes() const
{
    return m_rules.format().keyRule().takesHashText;
}

void frmStrings::insertIntoName(const QString &typed)
{
    QLineEdit *box = txtName();
    const qsizetype start = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    const QString text = box->text();
    const QString before = text.left(start);
    const QString after = text.mid(start + box->selectedText().size());
    for (qsizetype n = typed.size(); n > 0; --n) {
        QString candidate = before + typed.left(n) + after;
        int pos = 0;
        if (m_nameValidator->validate(candidate, pos) != QValidator::Invalid) {
            box->insert(typed.left(n));
            return;
        }
    }
}

void frmStrings::pasteIntoName(const QString &text)
{
    insertIntoName(filterPastedName(text, takesHashes()));
}

QMenu *frmStrings::createNameContextMenu()
{
    QMenu *menu = txtName()->createStandardContextMenu();
    // The box names its Paste item with its own translated caption, shortcut after a tab.
    const QString pasteCaption = QLineEdit::tr("&Paste");
    for (QAction *action : menu->actions()) {
        if (action->text().section(u'\t', 0, 0) != pasteCaption)
            continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this,
                [this] { pasteIntoName(QGuiApplication::clipboard()->text(QClipboard::Clipboard)); });
    }
    return menu;
}

bool frmStrings::altGraph(const QKeyEvent *event)
{
    // X11 and Wayland say GroupSwitch for AltGr; Windows sends it as Ctrl+Alt.
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    return modifiers.testFlag(Qt::GroupSwitchModifier)
        || (modifiers.testFlag(Qt::AltModifier) && modifiers.testFlag(Qt::ControlModifier));
}

bool frmStrings::typesNothing(const QKeyEvent *event)
{
    // Alt with a key is a command (a caption's mnemonic, or none at all); the boxes would
    // otherwise type its character. AltGr types characters of its own, and Alt with Enter,
    // Backspace and the like keeps its use.
    const QString text = event->text();
    return event->modifiers().testFlag(Qt::AltModifier) && !altGraph(event)
        && std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); });
}

bool frmStrings::nameKeyPress(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteIntoName(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
        return true;
    }
    if (typesNothing(event))
        return true;
    const QString text = event->text();
    // Shortcuts, movement and the keys with a use of their own (Backspace, Delete, Enter,
    // Escape, Tab) go to the box and the dialog as usual; the box types no control character.
    if (text.isEmpty() || ((event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) && !altGraph(event))
        || std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); })) {
        return false;
    }
    QString typed;
    for (QChar c : text) {
        char16_t code = c.unicode();
        // A hashed document's keys may be typed as their hash, "#" first.
        if (code != u'#' || !takesHashes())
            txtName_KeyPress(code);
        if (code != 0 && code != 8)
            typed += QChar(code);
    }
    // Keys come whole or not at all: half of what one key press typed is another name. The
    // box's validator refuses an insertion that breaks the rule.
    if (!typed.isEmpty())
        txtName()->insert(typed);
    return true;
}

bool frmStrings::valueKeyPress(QKeyEvent *event)
{
    if (typesNothing(event))
        return true;
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    // Shift+Enter breaks the line with the game's own line break, LF; the box's own
    // Shift+Enter would put in a line separator, which is no unit of a value.
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        QTextCursor cursor = txtValue()->textCursor();
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        cursor.insertBlock();
        cursor.endEditBlock();
        txtValue()->setTextCursor(cursor);
        txtValue()->ensureCursorVisible();
        return true;
    }
    char16_t code = 13;
    txtValue_KeyPress(code);
    return code == 0;
}

bool frmStrings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtName()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return nameKeyPress(static_cast<QKeyEvent *>(event));
        case QEvent::ContextMenu: {
            const std::unique_ptr<QMenu> menu(createNameContextMenu());
            menu->exec(static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        }
        case QEvent::MouseButtonRelease:
            // The X11 selection paste of the middle button.
            if (static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton
                && QGuiApplication::clipboard()->supportsSelection()) {
                pasteIntoName(QGuiApplication::clipboard()->text(QClipboard::Selection));
                return true;
            }
            break;
        default:
            break;
        }
    } else if (watched == txtValue() && event->type() == QEvent::KeyPress) {
        if (valueKeyPress(static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quillet
