#include "listcolumns.h"

#include "stringtablemodel.h"

#include <QHeaderView>
#include <QStyle>
#include <QTextLayout>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace quillet {

int nameColumnWidth(const QTreeView &list, int characters)
{
    // Measured as the view lays an item's text out: whole names, since fractional advances
    // do not add up to eight rounded ones, and with the overhang of a glyph such as a bold
    // W, which an advance leaves out.
    qreal widest = 0;
    auto measure = [&](char16_t from, char16_t to) {
        for (char16_t c = from; c <= to; ++c) {
            QTextLayout layout(QString(characters, QChar(c)), list.font());
            layout.beginLayout();
            const QTextLine line = layout.createLine();
            layout.endLayout();
            widest = std::max(widest, line.naturalTextWidth());
        }
    };
    measure(u'A', u'Z');
    measure(u'0', u'9');
    measure(u'_', u'_');
    // The view draws an item's text inside the style's focus frame margin and one pixel
    // more on either side, and cuts short a text wider than what is left.
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return int(std::ceil(widest)) + 2 * margin;
}

void fitListColumns(QTreeView &list, int nameWidth)
{
    QHeaderView *header = list.header();
    header->resizeSection(StringTableModel::NameColumn, nameWidth);
    // Beside a reference, the value and the reference's text share what the Name leaves.
    if (header->count() > StringTableModel::ReferenceColumn)
        header->resizeSection(StringTableModel::ValueColumn, std::max(nameWidth, (list.viewport()->width() - nameWidth) / 2));
    header->setStretchLastSection(true);
}

} // namespace quillet
