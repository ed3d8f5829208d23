#include "listdelegate.h"

#include "stringtablemodel.h"

#include <QApplication>
#include <QStyle>

namespace quillet {

void ListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(StringTableModel::MissingRole).toBool()) {
        option->font.setItalic(true);
        option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Disabled, QPalette::Text));
        return;
    }
    if (index.column() == StringTableModel::NameColumn
        && !index.data(StringTableModel::ProblemsRole).toStringList().isEmpty()) {
        const QStyle *style = option->widget ? option->widget->style() : QApplication::style();
        option->icon = style->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, option->widget);
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(option->fontMetrics.height() - 2, option->fontMetrics.height() - 2);
    }
}

} // namespace quillet
