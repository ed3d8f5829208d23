#include "frmfind.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillet {

frmFind::frmFind(QWidget *owner)
    : QDialog(owner)
    , m_txtFind(new QLineEdit(this))
    , m_lblReplace(new QLabel(QStringLiteral("Replace &with:"), this))
    , m_txtReplace(new QLineEdit(this))
    , m_chkMatchCase(new QCheckBox(QStringLiteral("Match &case"), this))
    , m_chkWholeWords(new QCheckBox(QStringLiteral("Whole w&ords"), this))
    , m_chkRegularExpression(new QCheckBox(QStringLiteral("Regular e&xpression"), this))
    , m_chkInsideCodes(new QCheckBox(QStringLiteral("&Inside text codes"), this))
    , m_cboLookIn(new QComboBox(this))
    , m_lblValuesOnly(new QLabel(QStringLiteral("Replace changes values only, never names, which are keys. "
                                                "Replace All changes every table."),
                                 this))
    , m_cmdFindNext(new QPushButton(QStringLiteral("&Find Next"), this))
    , m_cmdFindPrevious(new QPushButton(QStringLiteral("Find &Previous"), this))
    , m_cmdReplace(new QPushButton(QStringLiteral("&Replace"), this))
    , m_cmdReplaceAll(new QPushButton(QStringLiteral("Replace &All"), this))
    , m_cmdClose(new QPushButton(QStringLiteral("Close"), this))
    , m_lblStatus(new QLabel(this))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    m_cboLookIn->addItems({QStringLiteral("Names and Values"), QStringLiteral("Names"), QStringLiteral("Values")});
    m_lblStatus->setTextFormat(Qt::PlainText);
    m_lblStatus->setWordWrap(true);
    m_lblValuesOnly->setWordWrap(true);

    auto *findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(m_txtFind);
    m_lblReplace->setBuddy(m_txtReplace);
    auto *lookInLabel = new QLabel(QStringLiteral("&Look in:"), this);
    lookInLabel->setBuddy(m_cboLookIn);

    auto *fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_txtFind, 0, 1);
    fields->addWidget(m_lblReplace, 1, 0);
    fields->addWidget(m_txtReplace, 1, 1);
    fields->addWidget(lookInLabel, 2, 0);
    fields->addWidget(m_cboLookIn, 2, 1);
    auto *options = new QGridLayout;
    options->addWidget(m_chkMatchCase, 0, 0);
    options->addWidget(m_chkWholeWords, 0, 1);
    options->addWidget(m_chkRegularExpression, 1, 0);
    options->addWidget(m_chkInsideCodes, 1, 1);
    m_chkInsideCodes->setToolTip(QStringLiteral("Also find and replace inside text codes such as ~r~ or "
                                                "~k~~PED_FIREWEAPON~"));
    fields->addLayout(options, 3, 1);
    fields->addWidget(m_lblValuesOnly, 4, 0, 1, 2);
    fields->addWidget(m_lblStatus, 5, 0, 1, 2);
    fields->setColumnMinimumWidth(1, 220);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {m_cmdFindNext, m_cmdFindPrevious, m_cmdReplace, m_cmdReplaceAll, m_cmdClose}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    // Enter in either box finds the next match.
    m_cmdFindNext->setDefault(true);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // F3 and Shift+F3 work here as in the window.
    auto *next = new QAction(this);
    next->setShortcut(Qt::Key_F3);
    auto *previous = new QAction(this);
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    addActions({next, previous});

    const auto find = [this](bool backwards) {
        if (!search().isEmpty())
            Q_EMIT findRequested(backwards);
    };
    connect(next, &QAction::triggered, this, [find] { find(false); });
    connect(previous, &QAction::triggered, this, [find] { find(true); });
    connect(m_cmdFindNext, &QPushButton::clicked, this, [find] { find(false); });
    connect(m_cmdFindPrevious, &QPushButton::clicked, this, [find] { find(true); });
    connect(m_cmdReplace, &QPushButton::clicked, this, [this] {
        if (m_replacing && search().inValues() && !search().isEmpty())
            Q_EMIT replaceRequested();
    });
    connect(m_cmdReplaceAll, &QPushButton::clicked, this, [this] {
        if (m_replacing && search().inValues() && !search().isEmpty())
            Q_EMIT replaceAllRequested();
    });
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    const auto changed = [this] {
        // A pattern that cannot run says why at once, and stays said until it can.
        setStatus(searchProblem());
        updateButtons();
        Q_EMIT searchChanged();
    };
    connect(m_txtFind, &QLineEdit::textChanged, this, changed);
    for (QCheckBox *option : {m_chkMatchCase, m_chkWholeWords, m_chkRegularExpression, m_chkInsideCodes})
        connect(option, &QCheckBox::toggled, this, changed);
    connect(m_cboLookIn, &QComboBox::currentIndexChanged, this, changed);
    setMode(false);
}

void frmFind::setMode(bool replace)
{
    m_replacing = replace;
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    for (QWidget *part : std::initializer_list<QWidget *>{m_lblReplace, m_txtReplace, m_lblValuesOnly, m_cmdReplace,
                                                          m_cmdReplaceAll})
        part->setVisible(replace);
    updateButtons();
}

void frmFind::showFind(bool replace)
{
    setMode(replace);
    show();
    raise();
    activateWindow();
    m_txtFind->setFocus();
    m_txtFind->selectAll();
}

void frmFind::updateButtons()
{
    const TextSearch wanted = search();
    const bool runs = !wanted.isEmpty() && searchProblem().isEmpty();
    m_cmdFindNext->setEnabled(runs);
    m_cmdFindPrevious->setEnabled(runs);
    // A search in names alone finds keys, and Replace leaves keys alone.
    const bool replaceable = m_replacing && runs && wanted.inValues();
    m_cmdReplace->setEnabled(replaceable);
    m_cmdReplaceAll->setEnabled(replaceable);
}

TextSearch frmFind::search() const
{
    TextSearch wanted;
    wanted.text = m_txtFind->text();
    wanted.matchCase = m_chkMatchCase->isChecked();
    wanted.where = TextSearch::Where(std::clamp(m_cboLookIn->currentIndex(), 0, 2));
    wanted.wholeWords = m_chkWholeWords->isChecked();
    wanted.regularExpression = m_chkRegularExpression->isChecked();
    wanted.insideCodes = m_chkInsideCodes->isChecked();
    return wanted;
}

QString frmFind::searchProblem() const
{
    const TextSearch wanted = search();
    if (wanted.isEmpty() || !wanted.regularExpression)
        return QString();
    return wanted.matcher().errorString();
}

QString frmFind::replacement() const
{
    return m_txtReplace->text();
}

void frmFind::setStatus(const QString &text)
{
    m_lblStatus->setText(text);
}

QString frmFind::status() const
{
    return m_lblStatus->text();
}

} // namespace quillet
