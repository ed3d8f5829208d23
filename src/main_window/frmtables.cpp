#include "frmtables.h"

#include "gxtdocument.h"
#include "stringtable.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quillet {

namespace {
constexpr int IndexRole = Qt::UserRole;
}

frmTables::frmTables(const GxtDocument &document, int current, QWidget *owner)
    : QDialog(owner)
    , m_filter(new QLineEdit(this))
    , m_list(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("Go to Table"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    m_filter->setObjectName(QStringLiteral("txtFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Type to filter the tables"));
    m_filter->setClearButtonEnabled(true);
    m_list->setObjectName(QStringLiteral("lstTables"));
    m_list->setHeaderLabels({QStringLiteral("Table"), QStringLiteral("Entries")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);

    auto *label = new QLabel(QStringLiteral("&Table:"), this);
    label->setBuddy(m_filter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_filter);
    layout->addWidget(m_list);
    resize(300, 360);

    for (int i = 0; i < document.tableCount(); ++i) {
        auto *item = new QTreeWidgetItem(m_list, {document.tableName(i), QString::number(document.table(i)->count())});
        item->setData(0, IndexRole, i);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (i == current)
            m_list->setCurrentItem(item);
    }

    // Typing goes to the filter while the arrows move through the list.
    m_filter->installEventFilter(this);
    connect(m_filter, &QLineEdit::textChanged, this, &frmTables::filter);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { choose(item); });
    m_filter->setFocus();
}

void frmTables::filter(const QString &text)
{
    QTreeWidgetItem *firstShown = nullptr;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        const bool shown = item->text(0).contains(text.trimmed(), Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !firstShown)
            firstShown = item;
    }
    QTreeWidgetItem *current = m_list->currentItem();
    if (!current || current->isHidden())
        m_list->setCurrentItem(firstShown);
}

void frmTables::choose(QTreeWidgetItem *item)
{
    if (!item || item->isHidden())
        return;
    m_chosen = item->data(0, IndexRole).toInt();
    accept();
}

void frmTables::moveSelection(int by)
{
    QTreeWidgetItem *item = m_list->currentItem();
    QTreeWidgetItem *next = item;
    do {
        next = next ? (by > 0 ? m_list->itemBelow(next) : m_list->itemAbove(next)) : m_list->topLevelItem(0);
    } while (next && next->isHidden());
    if (next)
        m_list->setCurrentItem(next);
}

bool frmTables::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) {
            moveSelection(key->key() == Qt::Key_Down ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmTables::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        choose(m_list->currentItem());
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace quillet
