#include "characternumbering.h"

#include "codepage.h"
#include "gxtformat.h"
#include "keyhash.h"
#include "unitscan.h"

#include <QStringDecoder>

namespace quillet {

namespace {

// The game's Western European glyphs from 0x80 on; 0xB0 is "¡" in the flat layout only.
constexpr char16_t WesternHigh[] = u"ÀÁÂÄÆÇÈÉÊËÌÍÎÏÒÓÔÖÙÚÛÜßàáâäæçèéêëìíîïòóôöùúûüÑñ¿";
constexpr quint16 WesternFirstHigh = 0x80;
constexpr quint16 WesternAcute = 0xB1;

// The games' own numberings keep ASCII where ASCII is, and the control units (line breaks,
// tabs) that real texts hold as themselves, so that they read and type as what they are.
void mapAsciiAndControls(CharacterNumbering &numbering)
{
    for (quint16 g = 0x01; g <= 0x7E; ++g)
        numbering.map(g, g);
}

// `invertedExclamation`: 0xB0 in the flat game; the later games draw "¡" where ASCII has
// "^", which they then cannot show.
std::shared_ptr<CharacterNumbering> makeWestern(quint16 invertedExclamation)
{
    auto numbering = std::make_shared<CharacterNumbering>(QStringLiteral("western"));
    numbering->setTitle(QStringLiteral("Game (Western European)"));
    mapAsciiAndControls(*numbering);
    for (qsizetype i = 0; WesternHigh[i] != 0; ++i)
        numbering->map(WesternHigh[i], quint16(WesternFirstHigh + i));
    numbering->map(U'\u00B4', WesternAcute);
    numbering->map(U'\u00A1', invertedExclamation);
    return numbering;
}

bool parseHex(QStringView text, uint &value)
{
    if (text.isEmpty() || text.size() > 8)
        return false;
    bool ok = false;
    value = text.toUInt(&ok, 16);
    return ok;
}

QString quoted(QStringView line)
{
    return QStringLiteral("\"%1\"").arg(line.left(40));
}

Result parseLines(const QStringList &lines, const QString &name, const CharacterNumbering &base,
                  std::shared_ptr<CharacterNumbering> &numbering)
{
    numbering = std::make_shared<CharacterNumbering>(name);
    for (uint g = 1; g <= 0xFFFF; ++g) {
        if (const char32_t c = base.characterOf(quint16(g)))
            numbering->map(c, quint16(g));
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = QStringView(lines[i]).trimmed();
        const QString where = QStringLiteral("line %1").arg(i + 1);
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        uint character = 0;
        uint glyph = 0;
        if (equals < 0 || !parseHex(line.left(equals).trimmed(), character)
            || !parseHex(line.mid(equals + 1).trimmed(), glyph)) {
            return Result::failure(QStringLiteral("%1: expected UUUU=GGGG, a character's code and its glyph number "
                                                  "in hex, but found %2")
                                       .arg(where, quoted(line)));
        }
        if (character == 0 || character > 0x10FFFF || QChar::isSurrogate(character)) {
            return Result::failure(QStringLiteral("%1: %2 is not the code of a character")
                                       .arg(where, line.left(equals).trimmed().toString()));
        }
        if (glyph == 0)
            return Result::failure(QStringLiteral("%1: glyph 0 ends a text and can show no character").arg(where));
        if (glyph > 0xFFFF)
            return Result::failure(QStringLiteral("%1: the glyph number %2 is wider than 16 bits").arg(where).arg(glyph, 0, 16));
        numbering->map(char32_t(character), quint16(glyph));
    }
    return {};
}

Result parseGrid(QStringList lines, const QString &name, std::shared_ptr<CharacterNumbering> &numbering)
{
    constexpr int Rows = 14;
    constexpr int Columns = 16;
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.size() != Rows) {
        return Result::failure(QStringLiteral("a character grid has %1 lines of %2 cells, but this one has %3 lines")
                                   .arg(Rows)
                                   .arg(Columns)
                                   .arg(lines.size()));
    }
    std::vector<char32_t> cells(Rows * Columns, 0);
    QHash<char32_t, int> uses;
    for (int r = 0; r < Rows; ++r) {
        const QStringList row = lines[r].split(u'\t');
        if (row.size() != Columns) {
            return Result::failure(QStringLiteral("line %1: expected %2 cells separated by tabs, but found %3")
                                       .arg(r + 1)
                                       .arg(Columns)
                                       .arg(row.size()));
        }
        for (int c = 0; c < Columns; ++c) {
            const QList<uint> codes = row[c].toUcs4();
            if (codes.size() > 1) {
                return Result::failure(QStringLiteral("line %1, cell %2: expected one character, but found %3")
                                           .arg(r + 1)
                                           .arg(c + 1)
                                           .arg(quoted(row[c])));
            }
            if (codes.size() == 1) {
                cells[size_t(r * Columns + c)] = char32_t(codes.front());
                ++uses[char32_t(codes.front())];
            }
        }
    }
    numbering = std::make_shared<CharacterNumbering>(name);
    for (int i = 0; i < Rows * Columns; ++i) {
        const char32_t c = cells[size_t(i)];
        // The filler stands in every unused cell; a real character has one glyph.
        if (c != 0 && uses.value(c) == 1)
            numbering->map(c, quint16(0x20 + i));
    }
    return {};
}

} // namespace

CharacterNumbering::CharacterNumbering(const QString &name)
    : m_name(name)
    , m_plain(0x10000, 0)
    , m_bmpToGlyph(0x10000, 0)
{
}

std::shared_ptr<const CharacterNumbering> CharacterNumbering::windows1252()
{
    static const std::shared_ptr<const CharacterNumbering> numbering = [] {
        auto made = std::make_shared<CharacterNumbering>(QStringLiteral("windows-1252"));
        made->setTitle(QStringLiteral("Windows-1252"));
        const CodePage &page = CodePage::windows1252();
        for (int b = 1; b < 256; ++b)
            made->map(page.decode(uchar(b)).unicode(), quint16(b));
        return made;
    }();
    return numbering;
}

std::shared_ptr<const CharacterNumbering> CharacterNumbering::unicode()
{
    static const std::shared_ptr<const CharacterNumbering> numbering = [] {
        auto made = std::make_shared<CharacterNumbering>(QStringLiteral("unicode"));
        made->setTitle(QStringLiteral("Unicode"));
        // The C1 controls, private-use and unassigned code points draw nothing a reader
        // could tell: where a file holds them they are glyph numbers of another numbering
        // (Windows-1252's "™" is 0x99, an Asian font's glyphs reach 0xE780), and show as
        // escapes rather than as nothing.
        for (char32_t c = 1; c <= 0xFFFF; ++c) {
            const QChar::Category category = QChar::category(c);
            if (QChar::isSurrogate(c) || (c >= 0x7F && c <= 0x9F) || category == QChar::Other_PrivateUse
                || category == QChar::Other_NotAssigned)
                continue;
            made->map(c, quint16(c));
        }
        made->m_pairs = true;
        return made;
    }();
    return numbering;
}

std::shared_ptr<const CharacterNumbering> CharacterNumbering::russianMobile()
{
    static const std::shared_ptr<const CharacterNumbering> numbering = [] {
        auto made = std::make_shared<CharacterNumbering>(QStringLiteral("russian-mobile"));
        made->setTitle(QStringLiteral("Russian (third game, mobile)"));
        mapAsciiAndControls(*made);
        for (quint16 k = 0; k < 32; ++k) {
            made->map(char32_t(0x0410 + k), quint16(0x80 + k));
            made->map(char32_t(0x0430 + k), quint16(0xA0 + k));
        }
        return made;
    }();
    return numbering;
}

std::shared_ptr<const CharacterNumbering> CharacterNumbering::western(const GxtFormat &format)
{
    // One numbering per place of "¡" the games use, shared by every format that puts it there.
    static const std::shared_ptr<const CharacterNumbering> flat = makeWestern(0xB0);
    static const std::shared_ptr<const CharacterNumbering> later = makeWestern(0x5E);
    const quint16 at = format.traits().invertedExclamation;
    return at == 0xB0 ? flat : at == 0x5E ? later : makeWestern(at);
}

std::shared_ptr<const CharacterNumbering> CharacterNumbering::defaultFor(const GxtFormat &format, const KeyHash *hash)
{
    const QString name = format.traits().gameByHash && hash && !hash->numbering().isEmpty()
        ? hash->numbering()
        : QString::fromLatin1(format.traits().numbering);
    if (name == QLatin1String("windows-1252"))
        return windows1252();
    if (name == QLatin1String("unicode"))
        return unicode();
    if (name == QLatin1String("russian-mobile"))
        return russianMobile();
    return western(format);
}

void CharacterNumbering::unmapGlyph(quint16 glyph)
{
    m_runKnown = false;
    m_keepsAscii = -1;
    const char32_t old = characterOf(glyph);
    if (old == 0)
        return;
    m_toCharacter[glyph] = 0;
    m_plain[glyph] = 0;
    if (glyphOf(old) == glyph) {
        if (old <= 0xFFFF)
            m_bmpToGlyph[old] = 0;
        else
            m_otherToGlyph.remove(old);
    }
}

void CharacterNumbering::findShownRun() const
{
    m_shown.assign(m_toCharacter.size(), 0);
    for (size_t g = 1; g < m_toCharacter.size(); ++g) {
        const char32_t c = m_toCharacter[g];
        m_shown[g] = c != 0 && c != EscapeOpen ? 1 : 0;
    }
    const auto shows = [this](uint glyph) { return glyph < m_shown.size() && m_shown[glyph] != 0; };
    uint low = u'A';
    uint high = u'A';
    if (shows(low)) {
        while (shows(low - 1))
            --low;
        while (shows(high + 1))
            ++high;
    }
    // No run at all: an empty one, which nothing lies within.
    m_runLow = shows(u'A') ? char16_t(low) : char16_t(1);
    m_runHigh = shows(u'A') ? char16_t(high) : char16_t(0);
    // The next run above it: a game font's accented letters, past a gap of a glyph or two.
    m_run2Low = m_runLow;
    m_run2High = m_runHigh;
    if (m_runLow <= m_runHigh) {
        uint next = uint(m_runHigh) + 1;
        while (next < m_shown.size() && !shows(next))
            ++next;
        if (next < m_shown.size()) {
            uint end = next;
            while (shows(end + 1))
                ++end;
            m_run2Low = char16_t(next);
            m_run2High = char16_t(end);
        }
    }
    m_runKnown = true;
}

bool CharacterNumbering::showsEvery(QStringView units) const
{
    if (!m_runKnown)
        findShownRun();
    const char16_t *const p = units.utf16();
    const qsizetype n = units.size();
    if (m_runLow <= m_runHigh && UnitScan::allWithinEither(p, n, m_runLow, m_runHigh, m_run2Low, m_run2High))
        return true;
    const size_t known = m_shown.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] < known && m_shown[p[i]] != 0)
            continue;
        if (m_pairs && i + 1 < n && QChar::isHighSurrogate(p[i]) && QChar::isLowSurrogate(p[i + 1])) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

bool CharacterNumbering::keepsAscii() const
{
    if (m_keepsAscii < 0) {
        m_keepsAscii = 1;
        for (size_t g = 1; g < m_toCharacter.size() && m_keepsAscii; ++g) {
            const char32_t c = m_toCharacter[g];
            if (c >= 0x21 && c <= 0x7E && c != g)
                m_keepsAscii = 0;
        }
    }
    return m_keepsAscii == 1;
}

void CharacterNumbering::map(char32_t character, quint16 glyph)
{
    m_runKnown = false;
    m_keepsAscii = -1;
    if (glyph == 0 || character == 0)
        return;
    unmapGlyph(glyph);
    // A character keeps one glyph: the glyph it had shows nothing now, or decoding it and
    // encoding again would give another glyph.
    if (const quint16 previous = glyphOf(character))
        unmapGlyph(previous);
    if (glyph >= m_toCharacter.size())
        m_toCharacter.resize(size_t(glyph) + 1, 0);
    m_toCharacter[glyph] = character;
    m_plain[glyph] = character <= 0xFFFF && character != EscapeOpen ? char16_t(character) : 0;
    if (character <= 0xFFFF)
        m_bmpToGlyph[character] = glyph;
    else
        m_otherToGlyph.insert(character, glyph);
}

quint16 CharacterNumbering::glyphOf(char32_t character) const
{
    if (character <= 0xFFFF)
        return m_bmpToGlyph[character];
    return m_otherToGlyph.value(character, 0);
}

Result CharacterNumbering::fromMap(const QByteArray &text, const QString &name, const CharacterNumbering &base,
                                   std::shared_ptr<const CharacterNumbering> &out)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(text);
    if (decoder.hasError())
        return Result::failure(QStringLiteral("the character map is not valid UTF-8 text"));
    QStringList lines = decoded.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    std::shared_ptr<CharacterNumbering> numbering;
    const bool grid = decoded.contains(u'\t');
    Result result = grid ? parseGrid(lines, name, numbering) : parseLines(lines, name, base, numbering);
    if (result)
        out = std::move(numbering);
    return result;
}

QString CharacterNumbering::decode(QStringView units) const
{
    const qsizetype n = units.size();
    const auto pairAt = [&](qsizetype i) {
        return m_pairs && i + 1 < n && units[i].isHighSurrogate() && units[i + 1].isLowSurrogate();
    };
    qsizetype length = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = units[i].unicode();
        if (m_plain[u]) {
            ++length;
            continue;
        }
        if (pairAt(i)) {
            length += 2;
            ++i;
            continue;
        }
        const char32_t c = characterOf(u);
        length += c == 0 || c == EscapeOpen ? 6 : 2;
    }
    QString text(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < n; ++i) {
        const QChar u = units[i];
        if (pairAt(i)) {
            *out++ = u.unicode();
            *out++ = units[++i].unicode();
            continue;
        }
        const char32_t c = characterOf(u.unicode());
        if (c == 0 || c == EscapeOpen) {
            out = UnitEscape::write(out, u.unicode());
        } else if (c > 0xFFFF) {
            *out++ = QChar::highSurrogate(c);
            *out++ = QChar::lowSurrogate(c);
        } else {
            *out++ = char16_t(c);
        }
    }
    return text;
}

bool CharacterNumbering::encode(QStringView text, QString &units, qsizetype *badIndex, quint16 widest) const
{
    units.resize(text.size());
    char16_t *out = reinterpret_cast<char16_t *>(units.data());
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    const quint16 *toGlyph = m_bmpToGlyph.data();
    auto refuse = [&](qsizetype at) {
        if (badIndex)
            *badIndex = at;
        units.clear();
        return false;
    };
    qsizetype n = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        // Most characters are neither an escape nor half of a surrogate pair: one look-up.
        if (c != EscapeOpen && !QChar::isSurrogate(c)) {
            const quint16 glyph = toGlyph[c];
            if (glyph == 0 || glyph > widest)
                return refuse(i);
            out[n++] = char16_t(glyph);
            continue;
        }
        if (c == EscapeOpen) {
            const int unit = UnitEscape::unitAt(text, i);
            if (unit > 0 && unit <= widest) {
                out[n++] = char16_t(unit);
                i += 5;
                continue;
            }
            if (unit == 0 || unit > widest)
                return refuse(i);
        }
        char32_t character = c;
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            if (m_pairs) {
                // The pair is its own two units.
                out[n++] = c;
                out[n++] = in[++i];
                continue;
            }
            character = QChar::surrogateToUcs4(c, in[i + 1]);
        }
        const quint16 glyph = glyphOf(character);
        if (glyph == 0 || glyph > widest)
            return refuse(i);
        out[n++] = char16_t(glyph);
        if (character > 0xFFFF)
            ++i;
    }
    units.truncate(n);
    return true;
}

} // namespace quillet
