#include "designtext.h"

#include "textcodes.h"

#include <optional>

namespace quillet {

namespace {

constexpr char16_t TokenCharacter = 0xFFFC; // QChar::ObjectReplacementCharacter

// A colour code Design View shows as a colour. "~h~" is none: the third game draws it as a
// lighter shade of whatever colour is on, not as white.
const ColourCode *shownColourAt(QStringView text)
{
    const ColourCode *code = ColourTable::codeAt(text);
    return code && code->letter != 'h' ? code : nullptr;
}

QString codeOf(QRgb colour)
{
    const ColourCode *code = ColourTable::byColour(colour);
    return code ? code->code() : QString();
}

// `text` as source, starting where the game draws in `colour`; `colour` becomes the colour
// the game draws in after it.
QString sourceOf(const DesignText &text, QRgb &colour)
{
    QString out;
    ColouredText run;
    const auto flush = [&] {
        if (run.isEmpty())
            return;
        QString source = quillet::BuildSourceView(run);
        // BuildSourceView assumes grey before the text: it codes a first character in any
        // table colour but grey. Where the colour before is another, say so or say less.
        const QRgb first = run.constFirst().colour;
        if (const ColourCode *code = ColourTable::byColour(first)) {
            const bool grey = sameColour(first, ColourTable::defaultColour());
            if (!grey && sameColour(first, colour))
                source.remove(0, code->code().size());
            else if (grey && !sameColour(colour, first))
                source.prepend(code->code());
        }
        out += source;
        for (const ColouredChar &c : run) {
            if (ColourTable::byColour(c.colour))
                colour = c.colour;
        }
        run.clear();
    };
    for (const DesignChar &c : text) {
        if (c.isToken()) {
            flush();
            out += c.code;
        } else {
            run.append({c.ch, c.colour});
        }
    }
    flush();
    return out;
}

} // namespace

ColouredText expandTokens(const DesignText &text)
{
    ColouredText out;
    out.reserve(text.size());
    for (const DesignChar &c : text) {
        if (c.isToken()) {
            for (QChar k : c.code)
                out.append({k, c.colour});
        } else {
            out.append({c.ch, c.colour});
        }
    }
    return out;
}

DesignSource::DesignSource(const QString &source)
    : m_source(source)
{
    const QStringView text(m_source);
    QRgb colour = ColourTable::defaultColour();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (const ColourCode *code = shownColourAt(text.sliced(i))) {
            colour = code->rgb();
            i += 3;
            continue;
        }
        qsizetype length = TextCodes::codeAt(text, i);
        if (length > 0) {
            // A key prompt is two codes that mean one thing.
            if (text.sliced(i, length) == u"~k~")
                length += TextCodes::codeAt(text, i + length);
            m_shown.append({QChar(TokenCharacter), colour, text.sliced(i, length).toString()});
        } else {
            length = 1;
            m_shown.append({text[i], colour, QString()});
        }
        m_pieces.push_back({runStart, i, i + length, colour});
        i += length;
        runStart = i;
    }
    m_pieces.push_back({runStart, text.size(), text.size(), colour});
}

bool DesignSource::needsColourAt(qsizetype item) const
{
    for (qsizetype k = item; k < m_shown.size(); ++k) {
        if (k > item && !runOf(k).isEmpty())
            return false;
        if (!m_shown[k].isToken())
            return true;
    }
    return false;
}

QStringView DesignSource::runOf(qsizetype item) const
{
    const Piece &piece = m_pieces[size_t(item)];
    return QStringView(m_source).sliced(piece.runStart, piece.textStart - piece.runStart);
}

QString DesignSource::sourceAfter(const DesignText &edited) const
{
    const qsizetype m = m_shown.size();
    const qsizetype n = edited.size();
    qsizetype p = 0;
    while (p < m && p < n && m_shown[p] == edited[p])
        ++p;
    if (p == m && p == n)
        return m_source;
    qsizetype q = 0;
    while (q < m - p && q < n - p && m_shown[m - 1 - q] == edited[n - 1 - q])
        ++q;
    // Shown items [p, e) became edited items [p, n - q).
    const qsizetype e = m - q;
    const DesignText middle = edited.mid(p, n - q - p);
    std::optional<QRgb> firstColour;
    for (const DesignChar &c : middle) {
        if (!c.isToken()) {
            firstColour = c.colour;
            break;
        }
    }
    const bool atEnd = e == m;
    const Piece &first = m_pieces[size_t(p)];
    const Piece &last = m_pieces[size_t(e)];
    const QStringView leading = runOf(p);
    const QStringView trailing = runOf(e);

    QString out = m_source.left(p == 0 ? 0 : m_pieces[size_t(p - 1)].textEnd);
    QRgb colour = p == 0 ? ColourTable::defaultColour() : m_pieces[size_t(p - 1)].colour;
    // The codes just before the change stay where the new text still wants their colour (or,
    // with no new text, where they colour what follows); the codes just after it always stay,
    // since what follows is unchanged.
    const bool keepLeading = !leading.isEmpty()
        && (firstColour ? sameColour(*firstColour, first.colour) : !atEnd && (p == e || trailing.isEmpty()));
    if (p == e) {
        // An insertion at one run of codes: before it in the colour it ends, after it otherwise.
        if (keepLeading) {
            out += leading;
            colour = first.colour;
            out += sourceOf(middle, colour);
        } else {
            out += sourceOf(middle, colour);
            out += leading;
            if (!leading.isEmpty())
                colour = first.colour;
        }
    } else {
        if (keepLeading) {
            out += leading;
            colour = first.colour;
        }
        out += sourceOf(middle, colour);
        out += trailing;
        if (!trailing.isEmpty())
            colour = last.colour;
    }
    // What follows was drawn in a colour; it still is, where a character of it comes before
    // any code of its own.
    if (!sameColour(colour, last.colour) && needsColourAt(e))
        out += codeOf(last.colour);
    out += QStringView(m_source).sliced(last.textStart);
    return out;
}

} // namespace quillet
