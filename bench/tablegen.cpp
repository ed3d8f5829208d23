#include "tablegen.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <unordered_set>

namespace quilletbench {

namespace {

// std::mt19937 is specified to the bit; the standard distributions are not, so the few we
// need are written out here and a table comes out the same with any standard library.
class Random
{
public:
    explicit Random(unsigned seed)
        : m_engine(seed)
    {
    }
    // [0, 1)
    double unit() { return double(m_engine() >> 5) / double(1u << 27); }
    int below(int n) { return int(unit() * n); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return unit() < p; }
    // Exponential with the given mean: many short texts, a tail of longer ones.
    double exponential(double mean) { return -mean * std::log(1.0 - unit()); }

private:
    std::mt19937 m_engine;
};

// Mission and menu prefixes in the style of a game's keys.
const std::array<const char *, 24> NamePrefixes = {
    "FEM", "MAIN", "INT", "CAT", "RACE", "HELP", "SWE", "RYD", "SMO", "TRU", "GAR", "CESA",
    "ZERO", "WUZ", "MTG", "STAT", "BET", "CRASH", "DES", "FARL", "LA", "SF", "LV", "HEI"};
const char NameChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

QString makeName(Random &random)
{
    QString name = QString::fromLatin1(NamePrefixes[size_t(random.below(int(NamePrefixes.size())))]);
    if (random.chance(0.8))
        name += QLatin1Char('_');
    const int total = random.between(std::min(int(name.size()) + 1, 8), 8);
    while (name.size() < total)
        name += QLatin1Char(NameChars[random.below(int(sizeof NameChars) - 1)]);
    return name.left(8);
}

// Plain words, words with Windows-1252 letters beyond ASCII, and punctuation of the code
// page's upper half (curly quotes, dashes, the euro sign), as translated game text has.
const QStringList &words()
{
    static const QStringList list = [] {
        QStringList w = QStringLiteral(
                            "the a to you of and your is in it get go back car money mission "
                            "follow him drive house gang respect weapon police run now here "
                            "press button left right map marker reach destination time out "
                            "passed failed cash bonus cleaner radio station street bridge "
                            "safe saved game the you've ain't homie crew")
                            .split(QLatin1Char(' '));
        w += QStringList{QStringLiteral("café"), QStringLiteral("señor"), QStringLiteral("Müller"),
                         QStringLiteral("naïve"), QStringLiteral("Straße"), QStringLiteral("€500"),
                         QStringLiteral("“now”"), QStringLiteral("it’s"), QStringLiteral("—"),
                         QStringLiteral("¡vamos!"), QStringLiteral("¿qué?"), QStringLiteral("déjà"),
                         QStringLiteral("100°"), QStringLiteral("…"), QStringLiteral("Œuvre"),
                         QStringLiteral("½"), QStringLiteral("©")};
        return w;
    }();
    return list;
}

const std::array<const char *, 7> ColourCodes = {"~y~", "~w~", "~h~", "~r~", "~g~", "~b~", "~p~"};

QString makeValue(Random &random, int length)
{
    const QStringList &vocabulary = words();
    QString value;
    value.reserve(length + 16);
    if (random.chance(0.3))
        value += QLatin1String(ColourCodes[size_t(random.below(int(ColourCodes.size())))]);
    bool first = true;
    while (value.size() < length) {
        if (!first)
            value += QLatin1Char(' ');
        first = false;
        if (random.chance(0.06))
            value += QLatin1String(ColourCodes[size_t(random.below(int(ColourCodes.size())))]);
        QString word = vocabulary[random.below(int(vocabulary.size()))];
        if (random.chance(0.1))
            word[0] = word[0].toUpper();
        value += word;
        if (random.chance(0.08))
            value += QLatin1Char(random.chance(0.5) ? '.' : ',');
    }
    value.truncate(length);
    return value;
}

} // namespace

TableShape largestShape()
{
    return {"largest", 32766, 60.0, 6, 2000, 6000, 0.01, 20240601u};
}

TableShape mainShape()
{
    // 16 + 12 × 2650 + 2 × (characters + 2650) bytes ≈ 220 KB at about 34 characters a value.
    return {"main", 2650, 34.5, 2, 1500, 3000, 0.005, 20240602u};
}

TableShape oneEntryShape()
{
    return {"one", 1, 60.0, 0, 0, 0, 0.0, 20240603u};
}

std::vector<quillet::StringEntry> generateTable(const TableShape &shape)
{
    Random random(shape.seed);
    const int n = shape.entries;

    // Lengths first, so that the mean comes out as asked whatever the long values take.
    std::vector<int> lengths(static_cast<size_t>(n));
    std::vector<bool> isLong(static_cast<size_t>(n), false);
    for (int i = 0; i < shape.longValues && i < n; ++i) {
        int at = random.below(n);
        while (isLong[size_t(at)])
            at = (at + 1) % n;
        isLong[size_t(at)] = true;
        lengths[size_t(at)] = random.between(shape.longValueMin, shape.longValueMax);
    }
    double longTotal = 0;
    std::vector<double> raw(static_cast<size_t>(n), 0.0);
    double rawTotal = 0;
    for (int i = 0; i < n; ++i) {
        if (isLong[size_t(i)]) {
            longTotal += lengths[size_t(i)];
            continue;
        }
        raw[size_t(i)] = std::min(random.exponential(1.0), 12.0);
        rawTotal += raw[size_t(i)];
    }
    const int shortCount = n - std::min(shape.longValues, n);
    const double wanted = shape.meanValueLength * n - longTotal;
    const int minimum = 2;
    const double scale = shortCount > 0 ? (wanted - minimum * shortCount) / rawTotal : 0.0;
    for (int i = 0; i < n; ++i) {
        if (!isLong[size_t(i)])
            lengths[size_t(i)] = minimum + int(std::lround(raw[size_t(i)] * scale));
    }

    std::vector<quillet::StringEntry> rows;
    rows.reserve(size_t(n));
    std::unordered_set<QString> used;
    for (int i = 0; i < n; ++i) {
        QString name;
        if (!rows.empty() && random.chance(shape.repeatedNameShare)) {
            name = rows[size_t(random.below(int(rows.size())))].name;
        } else {
            do
                name = makeName(random);
            while (used.count(name));
        }
        used.insert(name);
        rows.push_back({name, makeValue(random, lengths[size_t(i)])});
    }
    return rows;
}

} // namespace quilletbench
