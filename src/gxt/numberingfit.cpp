#include "numberingfit.h"

#include "characternumbering.h"
#include "gxtformat.h"
#include "numberingchoice.h"
#include "rawgxt.h"
#include "unitescape.h"
#include "unitscan.h"

namespace quillet {

namespace {

struct Fit {
    qsizetype letters = 0;
    qsizetype unshown = 0;
};

// A letter beside `c` of the same script: "café" reads as French in the game's numbering,
// while the same units read "cafЮ" in the Russian one, a Cyrillic letter among Latin ones.
bool isLetterBeside(const CharacterNumbering &numbering, char16_t unit, char32_t c)
{
    const char32_t n = numbering.characterOf(unit);
    return n != 0 && QChar::isLetter(n) && QChar::script(n) == QChar::script(c);
}

Fit fitOf(const CharacterNumbering &numbering, const std::vector<const RawTable *> &tables, qsizetype unitLimit)
{
    Fit fit;
    qsizetype seen = 0;
    for (const RawTable *table : tables) {
        for (const StringEntry &entry : table->entries) {
            const QString &units = entry.units;
            seen += units.size();
            // Text of printable ASCII shows alike under every built-in numbering.
            if (UnitScan::allWithin(reinterpret_cast<const char16_t *>(units.utf16()), units.size(), 0x20, 0x7E))
                continue;
            for (qsizetype i = 0; i < units.size(); ++i) {
                const char16_t u = units[i].unicode();
                if (u < 0x20)
                    continue; // a control unit, a code rather than a glyph
                const char32_t c = numbering.characterOf(u);
                if (c == 0 || c == UnitEscape::Open)
                    ++fit.unshown;
                if (u > 0x7F && c != 0 && QChar::isLetter(c)
                    && ((i > 0 && isLetterBeside(numbering, units[i - 1].unicode(), c))
                        || (i + 1 < units.size() && isLetterBeside(numbering, units[i + 1].unicode(), c))))
                    ++fit.letters;
            }
            if (seen >= unitLimit)
                return fit;
        }
    }
    return fit;
}

} // namespace

QString bestNumbering(const GxtFormat &format, const std::vector<const RawTable *> &tables, const KeyHash *hash,
                      qsizetype unitLimit)
{
    // The format's own first, so that it wins a tie.
    const QString own = CharacterNumbering::defaultFor(format, hash)->name();
    QStringList candidates{own};
    for (const QString &choice : NumberingChoice::builtIn()) {
        if (choice != own)
            candidates.append(choice);
    }
    QString best;
    Fit bestFit;
    for (const QString &choice : candidates) {
        std::shared_ptr<const CharacterNumbering> numbering;
        if (!NumberingChoice::resolve(choice, format, numbering, hash))
            continue;
        const Fit fit = fitOf(*numbering, tables, unitLimit);
        if (best.isEmpty() || fit.letters > bestFit.letters
            || (fit.letters == bestFit.letters && fit.unshown < bestFit.unshown)) {
            best = choice;
            bestFit = fit;
        }
    }
    return best;
}

} // namespace quillet
