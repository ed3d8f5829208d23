#pragma once

#include <QObject>
#include <QTextObjectInterface>

namespace quillet {

// How a token of Design View looks in the value box: its code's own text in a box of its
// own colours, one character of the document, so that the caret steps over it whole and no
// key types into it.
class CodeTokenLook : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    // The object type of a token's character format, and the property that holds its code.
    static constexpr int ObjectType = QTextFormat::UserObject + 1;
    static constexpr int CodeProperty = QTextFormat::UserProperty + 1;

    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument *document, int position, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override;
};

} // namespace quillet
