#include "valueedit.h"

#include "codetokenlook.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <limits>

namespace quillet {

ValueEdit::ValueEdit(QWidget *parent)
    : QTextEdit(parent)
{
    setAcceptRichText(false);
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
    document()->documentLayout()->registerHandler(CodeTokenLook::ObjectType, new CodeTokenLook(this));
    // Text typed after a token takes the token's format: it must not take its code too. On a
    // selection the format set would be the selection's, the token's own included.
    connect(this, &QTextEdit::currentCharFormatChanged, this, [this](const QTextCharFormat &format) {
        if (format.objectType() != CodeTokenLook::ObjectType || textCursor().hasSelection())
            return;
        QTextCharFormat plain;
        plain.setForeground(format.foreground());
        setCurrentCharFormat(plain);
    });
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
    return expandTokens(designText());
}

DesignText ValueEdit::designText() const
{
    return designText(0, std::numeric_limits<int>::max());
}

DesignText ValueEdit::designText(int from, int to) const
{
    DesignText result;
    const QRgb plain = textColour();
    const QTextDocument *doc = document();
    const auto colourOf = [plain](const QTextCharFormat &format) {
        const QBrush brush = format.foreground();
        return brush.style() == Qt::NoBrush ? plain : brush.color().rgb();
    };
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        // The line break is the character that starts this block, in the colour it was put
        // in with.
        const int breakAt = block.position() - 1;
        if (block != doc->begin() && breakAt >= from && breakAt < to)
            result.append({QChar(u'\n'), colourOf(block.charFormat()), QString()});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QRgb colour = colourOf(format);
            const bool tokens = format.objectType() == CodeTokenLook::ObjectType;
            const QString code = tokens ? format.stringProperty(CodeTokenLook::CodeProperty) : QString();
            const QString text = fragment.text();
            for (qsizetype i = 0; i < text.size(); ++i) {
                const int at = fragment.position() + int(i);
                if (at < from || at >= to)
                    continue;
                const QChar c = text[i];
                if (tokens && c == QChar::ObjectReplacementCharacter)
                    result.append({c, colour, code});
                else
                    result.append({fromBoxText(QString(c)).at(0), colour, QString()});
            }
        }
    }
    return result;
}

void ValueEdit::setColouredValue(const ColouredText &text)
{
    DesignText design;
    design.reserve(text.size());
    for (const ColouredChar &c : text)
        design.append({c.ch, c.colour, QString()});
    setDesignText(design);
}

void ValueEdit::setDesignText(const DesignText &text)
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
        const DesignChar &at = text[start];
        QTextCharFormat format;
        format.setForeground(QColor::fromRgb(at.colour));
        if (at.isToken()) {
            format.setObjectType(CodeTokenLook::ObjectType);
            format.setProperty(CodeTokenLook::CodeProperty, at.code);
            format.setToolTip(at.code);
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
            ++start;
            continue;
        }
        qsizetype end = start + 1;
        while (end < text.size() && !text[end].isToken() && sameColour(text[end].colour, at.colour))
            ++end;
        QString run;
        run.reserve(end - start);
        for (qsizetype i = start; i < end; ++i)
            run += text[i].ch;
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
    // A token goes out as its code, so that it pastes back as the code it stands for.
    const QTextCursor cursor = textCursor();
    auto *mime = new QMimeData;
    mime->setText(plainText(expandTokens(designText(cursor.selectionStart(), cursor.selectionEnd()))));
    return mime;
}

} // namespace quillet
