#include "textmatch.h"

#include "textcodes.h"
#include "textsearch.h"

namespace quillet {

namespace {

struct CodeCount {
    qsizetype tildes = 0;
    qsizetype codes = 0;
};

CodeCount countCodes(QStringView text)
{
    CodeCount count;
    for (qsizetype i = 0; i < text.size();) {
        if (const qsizetype length = TextCodes::codeAt(text, i)) {
            ++count.codes;
            count.tildes += 2;
            i += length;
        } else {
            count.tildes += text[i].unicode() == TextCodes::Tilde ? 1 : 0;
            ++i;
        }
    }
    return count;
}

} // namespace

QList<std::pair<qsizetype, qsizetype>> textOutsideCodes(QStringView text)
{
    QList<std::pair<qsizetype, qsizetype>> pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (const qsizetype length = TextCodes::codeAt(text, i)) {
            if (i > start)
                pieces.append({start, i});
            i += length;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size() || pieces.isEmpty())
        pieces.append({start, text.size()});
    return pieces;
}

Result keepsTextCodes(QStringView before, QStringView after)
{
    const CodeCount was = countCodes(before);
    const CodeCount is = countCodes(after);
    if (was.tildes != is.tildes)
        return Result::failure(QStringLiteral("the replacement would break its text codes (%1 \"~\" before, %2 after)")
                                   .arg(was.tildes)
                                   .arg(is.tildes));
    if (was.codes != is.codes)
        return Result::failure(QStringLiteral("the replacement would break its text codes (%1 codes before, %2 after)")
                                   .arg(was.codes)
                                   .arg(is.codes));
    return {};
}

TextMatcher::TextMatcher(const TextSearch &search)
    : m_regular(search.regularExpression)
    , m_insideCodes(search.insideCodes)
    , m_inNames(search.inNames())
    , m_inValues(search.inValues())
{
    if (search.text.isEmpty())
        return;
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!search.matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    QString pattern = search.regularExpression ? search.text : QRegularExpression::escape(search.text);
    if (search.regularExpression) {
        // The user's pattern on its own, so that the place of a fault counts in what they typed.
        const QRegularExpression typed(pattern, options);
        if (!typed.isValid()) {
            m_error = QStringLiteral("Invalid regular expression: %1 (at character %2).")
                          .arg(typed.errorString())
                          .arg(typed.patternErrorOffset() + 1);
            return;
        }
    }
    // A word is letters, digits and underscores of any script ("JÄGER" is one word).
    if (search.wholeWords)
        pattern = QStringLiteral("(?<!\\w)(?:%1)(?!\\w)").arg(pattern);
    m_expression = QRegularExpression(pattern, options);
    m_valid = m_expression.isValid();
    if (!m_valid)
        m_error = QStringLiteral("Invalid regular expression: %1.").arg(m_expression.errorString());
}

QList<TextMatcher::Match> TextMatcher::matchesIn(const QString &text) const
{
    QList<Match> found;
    if (!m_valid)
        return found;
    const QList<std::pair<qsizetype, qsizetype>> pieces =
        m_insideCodes ? QList<std::pair<qsizetype, qsizetype>>{{0, text.size()}} : textOutsideCodes(text);
    for (const auto &[start, end] : pieces) {
        // Each piece on its own, so that no match reaches into a code.
        const QString piece = start == 0 && end == text.size() ? text : text.mid(start, end - start);
        QRegularExpressionMatchIterator it = m_expression.globalMatch(piece);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            if (match.capturedLength() == 0)
                continue;
            found.append({start + match.capturedStart(), match.capturedLength(), match.capturedTexts()});
        }
    }
    return found;
}

bool TextMatcher::matchesText(const QString &text) const
{
    if (!m_valid)
        return false;
    if (m_insideCodes || !TextCodes::holdsTilde(text)) {
        // The common case without a scan for codes; an empty match is no match.
        QRegularExpressionMatchIterator it = m_expression.globalMatch(text);
        while (it.hasNext()) {
            if (it.next().capturedLength() > 0)
                return true;
        }
        return false;
    }
    return !matchesIn(text).isEmpty();
}

bool TextMatcher::matches(const QString &name, const QString &value) const
{
    return (m_inNames && matchesText(name)) || (m_inValues && matchesText(value));
}

QString TextMatcher::expanded(const QString &with, const Match &match) const
{
    if (!m_regular)
        return with;
    QString out;
    const qsizetype groups = match.groups.size();
    for (qsizetype i = 0; i < with.size(); ++i) {
        const QChar c = with[i];
        if (c != u'\\' || i + 1 == with.size()) {
            out += c;
            continue;
        }
        const QChar next = with[i + 1];
        if (next == u'\\') {
            out += next;
            ++i;
        } else if (next.isDigit() && next.unicode() < 0x80) {
            qsizetype group = next.unicode() - u'0';
            i += 1;
            // Two digits where the expression has that many groups, as Qt's own replace reads them.
            if (i + 1 < with.size() && with[i + 1].unicode() >= u'0' && with[i + 1].unicode() <= u'9') {
                const qsizetype two = group * 10 + (with[i + 1].unicode() - u'0');
                if (two < groups) {
                    group = two;
                    ++i;
                }
            }
            if (group < groups)
                out += match.groups[group];
        } else {
            out += c;
        }
    }
    return out;
}

QString TextMatcher::replacedIn(const QString &text, const QString &with, qsizetype *count) const
{
    const QList<Match> found = matchesIn(text);
    if (count)
        *count = found.size();
    if (found.isEmpty())
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    for (const Match &match : found) {
        out += QStringView(text).sliced(at, match.start - at);
        out += expanded(with, match);
        at = match.start + match.length;
    }
    out += QStringView(text).sliced(at);
    return out;
}

} // namespace quillet
