#pragma once

#include <QStyledItemDelegate>

namespace quillet {

// How the string list draws what the model says of an entry beside its reference: a
// warning sign before the Name of an entry whose text has problems (the Name's tool tip
// lists them), and the reference's entries that the table lacks in grey italics.
class ListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace quillet
