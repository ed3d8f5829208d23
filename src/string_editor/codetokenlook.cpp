#include "codetokenlook.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>

namespace quillet {

namespace {

constexpr qreal Padding = 2.0;

QFont tokenFont(const QTextDocument *document)
{
    QFont font = document->defaultFont();
    font.setItalic(true);
    return font;
}

} // namespace

QSizeF CodeTokenLook::intrinsicSize(QTextDocument *document, int, const QTextFormat &format)
{
    const QFontMetricsF metrics(tokenFont(document));
    return {metrics.horizontalAdvance(format.stringProperty(CodeProperty)) + 2 * Padding, metrics.height()};
}

void CodeTokenLook::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int,
                               const QTextFormat &format)
{
    // Colours that are no colour code's, so that a token never reads as coloured text.
    painter->save();
    painter->setPen(QColor(0x70, 0x90, 0xB0));
    painter->setBrush(QColor(0x24, 0x30, 0x48));
    painter->drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter->setFont(tokenFont(document));
    painter->setPen(QColor(0x9C, 0xDC, 0xFE));
    painter->drawText(rect.adjusted(Padding, 0, -Padding, 0), Qt::AlignCenter, format.stringProperty(CodeProperty));
    painter->restore();
}

} // namespace quillet
