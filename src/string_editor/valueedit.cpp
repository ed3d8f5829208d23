#include "valueedit.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace quillet {

ValueEdit::ValueEdit(QWidget *parent)
    : QTextEdit(parent)
{
    setAcceptRichText(false);
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
}

QString ValueEdit::toBoxText(const QString &value)
{
    // A line feed goes in as it is: the box's cursor makes a new line of it. A carriage
    // return would make one too, and then read back as a line feed.
    QString box = value;
    box.replace(u'\r', QChar(CarriageReturnSymbol));
    return box;
}

QString ValueEdit::fromBoxText(const QString &boxText)
{
    // A selection's text holds its lines' ends as paragraph separators.
    QString value = boxText;
    for (QChar &c : value) {
        if (c == QChar::ParagraphSeparator)
            c = u'\n';
        else if (c == QChar(CarriageReturnSymbol))
            c = u'\r';
    }
    return value;
}

QString ValueEdit::value() const
{
    return plainText(colouredValue());
}

ColouredText ValueEdit::colouredValue() const
{
    ColouredText result;
    const QRgb plain = textColour();
    const QTextDocument *doc = document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block != doc->begin()) {
            // The line break is the character that starts this block, in the colour it was
            // put in with.
            const QBrush brush = block.charFormat().foreground();
            result.append({QChar(u'\n'), brush.style() == Qt::NoBrush ? plain : brush.color().rgb()});
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QBrush brush = fragment.charFormat().foreground();
            const QRgb colour = brush.style() == Qt::NoBrush ? plain : brush.color().rgb();
            const QString text = fromBoxText(fragment.text());
            for (QChar c : text)
                result.append({c, colour});
        }
    }
    return result;
}

void ValueEdit::setColouredValue(const ColouredText &text)
{
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();

    QTextCharFormat plainFormat;
    plainFormat.setForeground(QColor::fromRgb(textColour()));
    cursor.setBlockCharFormat(plainFormat);

    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start + 1;
        while (end < text.size() && sameColour(text[end].colour, text[start].colour))
            ++end;
        QString run;
        run.reserve(end - start);
        for (qsizetype i = start; i < end; ++i)
            run += text[i].ch;
        QTextCharFormat format;
        format.setForeground(QColor::fromRgb(text[start].colour));
        cursor.insertText(toBoxText(run), format);
        start = end;
    }
    doc->setUndoRedoEnabled(true);

    cursor.setPosition(0);
    setTextCursor(cursor);
    if (text.isEmpty())
        setCurrentCharFormat(plainFormat);
}

void ValueEdit::setViewColours(QRgb background, QRgb text)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor::fromRgb(background));
    colours.setColor(QPalette::Text, QColor::fromRgb(text));
    setPalette(colours);
}

QRgb ValueEdit::backgroundColour() const
{
    return palette().color(QPalette::Base).rgb();
}

QRgb ValueEdit::textColour() const
{
    return palette().color(QPalette::Text).rgb();
}

void ValueEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || isReadOnly())
        return;
    QString text;
    if (source->hasText())
        text = source->text();
    else if (source->hasHtml())
        text = QTextDocumentFragment::fromHtml(source->html()).toRawText();
    if (text.isEmpty())
        return;
    // Line breaks stay what they are: "\r\n" is two characters of a value.
    QTextCursor cursor = textCursor();
    cursor.insertText(toBoxText(text));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *ValueEdit::createMimeDataFromSelection() const
{
    auto *mime = new QMimeData;
    mime->setText(fromBoxText(textCursor().selectedText()));
    return mime;
}

} // namespace quillet
