#pragma once

#include "colourcodes.h"
#include "designtext.h"

#include <QTextEdit>

class QMimeData;

namespace quillet {

// The editor's value box. A line break of a value (LF, the unit the game breaks a line at)
// shows as a line of its own; a carriage return, which the game draws as nothing useful,
// shows as a visible symbol, so that "\r\n" shows as the symbol at a line's end. Both come
// back as the same characters when the value is read back. Through that, and by reading
// the raw text rather than the box's plain-text rendering (which turns a no-break space
// into a space), a value read from a file comes back exactly as it went in.
class ValueEdit : public QTextEdit
{
    Q_OBJECT

public:
    explicit ValueEdit(QWidget *parent = nullptr);

    static constexpr char16_t CarriageReturnSymbol = 0x240D; // shown for "\r"
    static QString toBoxText(const QString &value);
    static QString fromBoxText(const QString &boxText);

    // The value as stored, and each of its characters with the colour it shows in; a
    // character without a colour of its own counts as the box's text colour. A token counts
    // as its code's characters.
    QString value() const;
    ColouredText colouredValue() const;
    // What the box shows, tokens as tokens: one item for each position of the box.
    DesignText designText() const;
    // Replaces the whole content as setColouredValue does, tokens shown as tokens.
    void setDesignText(const DesignText &text);
    // Replaces the whole content, leaves the caret at the start, and starts a fresh undo
    // history: undoing into the other view's form would show the wrong form.
    void setColouredValue(const ColouredText &text);
    void setValue(const QString &value) { setColouredValue(colouredText(value, textColour())); }

    // Background and the colour of text that has none of its own (an empty box in Design
    // View types in the default grey, not in black on black).
    void setViewColours(QRgb background, QRgb text);
    QRgb backgroundColour() const;
    QRgb textColour() const;

protected:
    // The box's characters from `from` up to `to`, tokens as tokens.
    DesignText designText(int from, int to) const;

    // Only plain text comes in, in the colour at the caret; its line breaks stay what they are.
    void insertFromMimeData(const QMimeData *source) override;
    // What goes out is the value's own characters.
    QMimeData *createMimeDataFromSelection() const override;
};

} // namespace quillet
