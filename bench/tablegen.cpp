#include "tablegen.h"

#include "keyhash.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>


namespace quilletbench {

const char *layoutId(Layout layout)
{
    switch (layout) {
    case Layout::Flat:
        return "flat";
    case Layout::Tabled:
        return "tabled";
    case Layout::Hashed:
        return "hashed";
    case Layout::HashedSingle:
        return "hashed-single";
    case Layout::Gxt2:
        return "gxt2";
    }
    return "";
}

namespace {

// The key of a generated name under the game's hash: the product's own, which the tests
// check against the facts of the formats.
quint32 keyHash(const std::string &name, KeyHashKind kind)
{
    const quillet::KeyHash &hash = kind == KeyHashKind::OneAtATime ? quillet::KeyHash::oneAtATime() : quillet::KeyHash::crc32();
    return hash(QByteArrayView(name.data(), qsizetype(name.size())));
}

bool isHashed(Layout layout)
{
    return layout == Layout::Hashed || layout == Layout::HashedSingle || layout == Layout::Gxt2;
}

// std::mt19937 is specified to the bit; the standard distributions are not, so the few we
// need are written out here and a file comes out the same with any standard library.
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
    template<typename T>
    void shuffle(std::vector<T> &items)
    {
        for (size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[size_t(below(int(i)))]);
    }

private:
    std::mt19937 m_engine;
};

using Units = std::u16string;

// The game's Western European glyphs from 0x80 on, as the facts of the format list them;
// "¡" is 0xB0 in the flat game and 0x5E in the later ones. Written out here rather than
// taken from the core, so that the files do not depend on the code they measure.
char16_t westernGlyph(char32_t c, Layout layout)
{
    static const std::u32string_view High = U"ÀÁÂÄÆÇÈÉÊËÌÍÎÏÒÓÔÖÙÚÛÜßàáâäæçèéêëìíîïòóôöùúûüÑñ¿";
    if (c >= 0x20 && c <= 0x7E)
        return char16_t(c);
    if (c == U'¡')
        return layout == Layout::Flat ? 0xB0 : 0x5E;
    if (c == U'´')
        return 0xB1;
    const size_t at = High.find(c);
    return at == std::u32string_view::npos ? u'?' : char16_t(0x80 + at);
}

// A character as a Windows-1252 value, which the fourth game's Western texts use for every
// unit up to 0xFF.
char16_t windows1252Value(char32_t c)
{
    switch (c) {
    case U'€':
        return 0x80;
    case U'…':
        return 0x85;
    case U'™':
        return 0x99;
    case U'œ':
        return 0x9C;
    default:
        return c <= 0xFF ? char16_t(c) : u'?';
    }
}

Units toUnits(std::u32string_view text, Script script, Layout layout)
{
    Units units;
    for (char32_t c : text) {
        switch (script) {
        case Script::GameFont:
            units += westernGlyph(c, layout);
            break;
        case Script::Windows1252:
            units += windows1252Value(c);
            break;
        case Script::Unicode:
            // The words are all in the Basic Multilingual Plane.
            units += char16_t(c);
            break;
        }
    }
    return units;
}

// Words of game text in the five Western European languages, and its markup: colour codes,
// the line break, number and button placeholders. The fifth game's texts add Russian and
// Chinese or Japanese words, and its own codes.
struct Vocabulary {
    std::vector<Units> plain;
    std::vector<Units> accented;
    std::vector<Units> codes;
    std::vector<Units> cyrillic;
    std::vector<Units> cjk;
};

const Vocabulary &vocabulary(Script script, Layout layout)
{
    static std::array<Vocabulary, 4> cache;
    static std::array<bool, 4> made{};
    // The tabled and hashed layouts share the font of the later games.
    const size_t slot = script == Script::GameFont ? (layout == Layout::Flat ? 0 : 1) : script == Script::Windows1252 ? 2 : 3;
    if (made[slot])
        return cache[slot];
    Vocabulary &v = cache[slot];
    const auto unitsOf = [script, layout](std::u32string_view text) { return toUnits(text, script, layout); };
    for (std::u32string_view w :
         {U"the", U"a", U"to", U"you", U"of", U"and", U"your", U"is", U"in", U"it", U"get", U"go", U"back", U"car",
          U"money", U"mission", U"follow", U"him", U"drive", U"house", U"gang", U"respect", U"weapon", U"police",
          U"run", U"now", U"here", U"press", U"button", U"left", U"right", U"map", U"marker", U"reach",
          U"destination", U"time", U"out", U"passed", U"failed", U"cash", U"bonus", U"radio", U"station",
          U"street", U"bridge", U"safe", U"saved", U"game", U"you've", U"ain't", U"homie", U"crew", U"la", U"le",
          U"de", U"und", U"die", U"der", U"el", U"con", U"per", U"il"}) {
        v.plain.push_back(unitsOf(w));
    }
    for (std::u32string_view w :
         {U"café", U"señor", U"Müller", U"naïve", U"Straße", U"¿qué?", U"¡vamos!", U"déjà", U"derrière", U"JÄGER",
          U"MÚSICA", U"prossimità", U"été", U"über", U"Öl", U"año", U"größer", U"perché", U"l´arma", U"Ça",
          U"Ñandú", U"mañana", U"fenêtre", U"Kräfte", U"véhicule", U"città", U"dirección", U"Polizei-Einsätze"}) {
        v.accented.push_back(unitsOf(w));
    }
    if (script != Script::GameFont) {
        // Signs the game's font lacks but Windows-1252 and Unicode have.
        for (std::u32string_view w : {U"Cola™", U"©2008", U"Radio®", U"œuvre", U"…"})
            v.accented.push_back(unitsOf(w));
    }
    if (script == Script::Unicode) {
        // The fifth game's codes: colours first, as makeValue takes its first seven.
        for (std::u32string_view w : {U"~r~", U"~g~", U"~b~", U"~y~", U"~p~", U"~o~", U"~c~", U"~s~", U"~h~", U"~n~",
                                      U"~a~", U"~1~", U"~a_1~", U"~INPUT_ATTACK~", U"~BLIP_GANG_VEHICLE~",
                                      U"~HUD_COLOUR_GREEN~", U"~bold~", U"~italic~"}) {
            v.codes.push_back(unitsOf(w));
        }
        for (std::u32string_view w : {U"машина", U"деньги", U"миссия", U"полиция", U"Лос-Сантос", U"ограбление",
                                      U"банда", U"оружие", U"провалена", U"пройдена", U"садитесь", U"Франклин",
                                      U"вертолёт", U"ЖИЗНЬ", U"Ещё", U"уровень", U"розыска"}) {
            v.cyrillic.push_back(unitsOf(w));
        }
        for (std::u32string_view w : {U"任务", U"失败", U"警察", U"金钱", U"车辆", U"洛圣都", U"抢劫", U"武器", U"直升机",
                                      U"通缉", U"等级", U"ミッション", U"失敗", U"車", U"警察官", U"お金", U"ロスサントス",
                                      U"강도", U"경찰"}) {
            v.cjk.push_back(unitsOf(w));
        }
    } else {
        for (std::u32string_view w : {U"~r~", U"~w~", U"~y~", U"~g~", U"~b~", U"~p~", U"~h~", U"~s~", U"~n~", U"~1~",
                                      U"~k~~PED_FIREWEAPON~", U"~k~~VEHICLE_ENTER_EXIT~"}) {
            v.codes.push_back(unitsOf(w));
        }
    }
    made[slot] = true;
    return v;
}

// A text of an Asian release: glyph numbers of its own font, above the Western ones, with
// the same codes and placeholders in ASCII; with `privateUse`, a few from 0xE000 to 0xE780,
// where the fourth game's Asian fonts put some of theirs.
Units makeWideValue(Random &random, int length, bool privateUse)
{
    static const std::array<Units, 3> Codes{u"~n~", u"~1~", u"~r~"};
    Units value;
    value.reserve(size_t(length) + 4);
    while (int(value.size()) < length) {
        if (random.chance(0.03))
            value += Codes[size_t(random.below(int(Codes.size())))];
        else if (privateUse && random.chance(0.02))
            value += char16_t(random.between(0xE000, 0xE780));
        else
            value += char16_t(random.between(0x100, 0x950));
    }
    value.resize(size_t(length));
    return value;
}

// The units of a byte that is not UTF-8 in a GXT2 text, as the fifth game's reader keeps it.
constexpr char16_t KeptByte = 0xDC00;

Units makeValue(Random &random, int length, const FileShape &shape, bool wide = false)
{
    if (wide)
        return makeWideValue(random, length, shape.script == Script::Windows1252);
    const Vocabulary &v = vocabulary(shape.script, shape.layout);
    // The fifth game's texts: most in a Western language, some Russian, some Chinese or
    // Japanese, which sets no spaces between its words.
    enum { Western, Russian, Asian } language = Western;
    if (shape.script == Script::Unicode) {
        const double pick = random.unit();
        language = pick < 0.7 ? Western : pick < 0.85 ? Russian : Asian;
    }
    Units value;
    value.reserve(size_t(length) + 24);
    if (random.chance(0.3))
        value += v.codes[size_t(random.below(7))]; // a colour first
    bool first = true;
    while (int(value.size()) < length) {
        if (!first && language != Asian)
            value += u' ';
        first = false;
        if (random.chance(0.06))
            value += v.codes[size_t(random.below(int(v.codes.size())))];
        const std::vector<Units> &words = language == Russian ? v.cyrillic
            : language == Asian                               ? v.cjk
            : random.chance(shape.accentedShare)              ? v.accented
                                                              : v.plain;
        Units word = words[size_t(random.below(int(words.size())))];
        if (random.chance(0.1) && word[0] >= u'a' && word[0] <= u'z')
            word[0] = char16_t(word[0] - u'a' + u'A');
        value += word;
        if (random.chance(0.08))
            value += language == Asian ? (random.chance(0.5) ? u'。' : u'，') : random.chance(0.5) ? u'.' : u',';
    }
    value.resize(size_t(length));
    if (shape.strayByteShare > 0 && random.chance(shape.strayByteShare)) {
        // A Windows-1252 "é" between ASCII letters, which no UTF-8 sequence takes in.
        value += u" caf";
        value += char16_t(KeptByte + 0xE9);
        value += u's';
    }
    return value;
}

// Lengths of `count` texts averaging `shape.meanValueLength`, the long ones included.
std::vector<int> textLengths(Random &random, const FileShape &shape, int count)
{
    std::vector<int> lengths(size_t(count), 0);
    std::vector<bool> isLong(size_t(count), false);
    double longTotal = 0;
    for (int i = 0; i < shape.longValues && i < count; ++i) {
        int at = random.below(count);
        while (isLong[size_t(at)])
            at = (at + 1) % count;
        isLong[size_t(at)] = true;
        lengths[size_t(at)] = random.between(shape.longValueMin, shape.longValueMax);
        longTotal += lengths[size_t(at)];
    }
    std::vector<double> raw(size_t(count), 0.0);
    double rawTotal = 0;
    for (int i = 0; i < count; ++i) {
        if (!isLong[size_t(i)]) {
            raw[size_t(i)] = std::min(random.exponential(1.0), 12.0);
            rawTotal += raw[size_t(i)];
        }
    }
    const int shortCount = count - std::min(shape.longValues, count);
    constexpr int Minimum = 2;
    const double wanted = shape.meanValueLength * count - longTotal;
    const double scale = shortCount > 0 && rawTotal > 0 ? (wanted - Minimum * shortCount) / rawTotal : 0.0;
    for (int i = 0; i < count; ++i) {
        if (!isLong[size_t(i)])
            lengths[size_t(i)] = Minimum + int(std::lround(raw[size_t(i)] * scale));
    }
    return lengths;
}

// Mission and menu prefixes in the style of the game's keys and table names.
constexpr std::array<const char *, 32> Prefixes = {
    "FEM", "MAIN", "INT", "CAT", "RACE", "HELP", "SWE", "RYD", "SMO", "TRU", "GAR", "CESA", "ZERO", "WUZ", "MTG", "STAT",
    "BET", "CRASH", "DES", "FARL", "LA", "SF", "LV", "HEI", "ROM", "BRU", "JAC", "NIK", "PAC", "MIC", "ELI", "FRA"};
constexpr char KeyChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

std::string makeKey(Random &random, size_t longest)
{
    std::string name = Prefixes[size_t(random.below(int(Prefixes.size())))];
    if (random.chance(0.8))
        name += '_';
    const size_t total = size_t(random.between(int(std::min(name.size() + 1, longest)), int(longest)));
    while (name.size() < total)
        name += KeyChars[random.below(int(sizeof KeyChars) - 1)];
    name.resize(std::min(name.size(), longest));
    return name;
}

struct Record {
    std::string key; // flat and tabled
    quint32 hash = 0; // hashed layouts
    qint64 offset = 0;
};

struct TableBytes {
    std::string name;
    std::vector<Record> records; // in the game's search order
    QByteArray data;             // the TDAT data
};

// UTF-8, a kept byte written as itself, each text ended by one zero byte.
void appendUtf8(QByteArray &data, const Units &units)
{
    for (size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        if (u >= KeptByte + 0x80 && u <= KeptByte + 0xFF) {
            data.append(char(u - KeptByte));
        } else if (u < 0x80) {
            data.append(char(u));
        } else if (u < 0x800) {
            data.append(char(0xC0 | (u >> 6)));
            data.append(char(0x80 | (u & 0x3F)));
        } else {
            data.append(char(0xE0 | (u >> 12)));
            data.append(char(0x80 | ((u >> 6) & 0x3F)));
            data.append(char(0x80 | (u & 0x3F)));
        }
    }
    data.append('\0');
}

void appendUnits(QByteArray &data, const Units &units, int bits, Layout layout)
{
    if (layout == Layout::Gxt2) {
        appendUtf8(data, units);
        return;
    }
    for (char16_t u : units) {
        if (bits == 16) {
            data.append(char(u & 0xFF));
            data.append(char(u >> 8));
        } else {
            data.append(char(u));
        }
    }
    data.append(bits == 16 ? 2 : 1, '\0');
}

// One table: keys first, then texts in the order they were written, which follows the
// keys in runs (a mission's lines) whose order is shuffled; some records point at an
// earlier record's text, and some texts are left over with no record. Hashed records stand
// in hash order unless `inSearchOrder` is false, when they stay in name order.
TableBytes makeTable(Random &random, const FileShape &shape, const std::string &name, int count,
                     const std::vector<int> &lengths, size_t &nextLength, bool wide, bool inSearchOrder = true)
{
    TableBytes table;
    table.name = name;
    const bool hashed = isHashed(shape.layout);
    const size_t longest = shape.layout == Layout::Flat ? 8 : hashed ? 15 : 7;
    // The fourth game names many of a mission table's keys after the table (T_01, T_02...).
    const bool keysByTable = shape.layout == Layout::Hashed && shape.hash == KeyHashKind::OneAtATime;
    std::set<std::string> keys;
    std::unordered_set<quint32> hashes;
    while (int(keys.size()) < count) {
        std::string key;
        if (keysByTable && random.chance(0.05)) {
            const int number = random.below(100);
            key = name + '_' + char('0' + number / 10) + char('0' + number % 10);
        } else {
            key = makeKey(random, longest);
        }
        if (keys.count(key))
            continue;
        if (hashed) {
            const quint32 hash = keyHash(key, shape.hash);
            if (!hashes.insert(hash).second)
                continue;
        }
        keys.insert(key);
    }
    std::vector<Record> byName;
    byName.reserve(keys.size());
    for (const std::string &key : keys) {
        Record record;
        record.key = key;
        if (hashed)
            record.hash = keyHash(key, shape.hash);
        byName.push_back(record);
    }

    // The order the texts were written in: runs of keys in name order, the runs shuffled.
    std::vector<std::pair<int, int>> runs;
    for (int at = 0; at < count;) {
        const int length = std::min(count - at, random.between(1, 40));
        runs.emplace_back(at, length);
        at += length;
    }
    random.shuffle(runs);
    std::vector<int> written;
    written.reserve(size_t(count));
    for (const auto &[at, length] : runs) {
        for (int i = at; i < at + length; ++i)
            written.push_back(i);
    }
    for (size_t k = 0; k < written.size(); ++k) {
        Record &record = byName[size_t(written[k])];
        const int length = lengths[nextLength++ % lengths.size()];
        if (k > 0 && random.chance(shape.sharedShare)) {
            record.offset = byName[size_t(written[size_t(random.below(int(k)))])].offset;
            continue;
        }
        if (random.chance(shape.orphanShare))
            appendUnits(table.data, makeValue(random, random.between(4, 60), shape, wide), shape.bits, shape.layout);
        record.offset = table.data.size();
        appendUnits(table.data, makeValue(random, length, shape, wide), shape.bits, shape.layout);
    }
    if (hashed && inSearchOrder) {
        std::sort(byName.begin(), byName.end(), [](const Record &a, const Record &b) { return a.hash < b.hash; });
    }
    table.records = std::move(byName);
    return table;
}

void putInt32(QByteArray &out, qint64 value, bool bigEndian = false)
{
    char bytes[4];
    if (bigEndian)
        qToBigEndian<qint32>(qint32(value), bytes);
    else
        qToLittleEndian<qint32>(qint32(value), bytes);
    out.append(bytes, 4);
}

void putField(QByteArray &out, const std::string &name)
{
    char field[8] = {};
    std::memcpy(field, name.data(), std::min<size_t>(name.size(), 8));
    out.append(field, 8);
}

void padTo4(QByteArray &out)
{
    while (out.size() % 4 != 0)
        out.append('\0');
}

// Splits `total` entries over `tables` tables, MAIN taking `mainEntries`, the others
// unevenly: many short mission tables and a few long ones.
std::vector<int> splitEntries(int total, int tables, int mainEntries, unsigned seed)
{
    Random random(seed);
    std::vector<double> weights(size_t(tables - 1));
    double sum = 0;
    for (double &w : weights) {
        w = random.exponential(1.0) + 0.1;
        sum += w;
    }
    const int rest = total - mainEntries;
    std::vector<int> sizes{mainEntries};
    int given = 0;
    for (double w : weights) {
        sizes.push_back(std::max(4, int(std::lround(w / sum * rest))));
        given += sizes.back();
    }
    // What rounding left over goes to the largest mission table.
    auto largest = std::max_element(sizes.begin() + 1, sizes.end());
    *largest += rest - given;
    return sizes;
}

// Mission table names: at most 7 characters, unique, in the game's order (MAIN first, the
// rest by name).
std::vector<std::string> tableNames(int tables, unsigned seed)
{
    Random random(seed);
    std::set<std::string> names;
    while (int(names.size()) < tables - 1) {
        std::string name = Prefixes[size_t(random.below(int(Prefixes.size())))];
        name += char('0' + random.between(1, 9));
        if (random.chance(0.3))
            name += char('A' + random.below(4));
        if (name != "MAIN" && name.size() <= 7)
            names.insert(name);
    }
    std::vector<std::string> ordered{"MAIN"};
    ordered.insert(ordered.end(), names.begin(), names.end());
    return ordered;
}

} // namespace

FileShape largestShape()
{
    return {"largest", Layout::Flat, 16, {32766}, 60.0, 6, 2000, 6000, 0.02, 0.005, 0.15, 20240601u};
}

FileShape mainShape()
{
    // 16 + 12 × 2650 + 2 × (characters + 2650) bytes ≈ 220 KB at about 34 characters a value.
    return {"main", Layout::Flat, 16, {2650}, 35.0, 2, 1500, 3000, 0.02, 0.005, 0.15, 20240602u};
}

FileShape oneEntryShape()
{
    return {"one", Layout::Flat, 16, {1}, 60.0, 0, 0, 0, 0.0, 0.0, 0.15, 20240603u};
}

FileShape hashedShape(int bits)
{
    // 17,000 records of 8 bytes and about 595,000 text units: 1.34 MB at 16 bits a unit,
    // 0.73 MB at 8.
    FileShape shape{bits == 8 ? "hashed8" : "hashed16", Layout::Hashed, bits, splitEntries(17000, 127, 4600, 7u),
                    35.0, 8, 1000, 3000, 0.02, 0.005, 0.15, 20240604u};
    return shape;
}

FileShape tabledShape()
{
    // 4,750 records of 12 bytes and about 175,000 units of 16 bits: 410 KB.
    return {"tabled", Layout::Tabled, 16, splitEntries(4750, 79, 2000, 8u), 36.0, 3, 1000, 2500, 0.02, 0.005, 0.15,
            20240605u};
}

FileShape fourthShape()
{
    // 50,000 records of 8 bytes and about 1.3 million units of 16 bits: some 3 MB.
    FileShape shape{"fourth524", Layout::Hashed, 16, splitEntries(50000, 524, 6000, 10u), 25.0, 12, 1000, 3000,
                    0.02, 0.005, 0.15, 20240607u};
    shape.wideTableShare = 0.2;
    shape.hash = KeyHashKind::OneAtATime;
    shape.script = Script::Windows1252;
    shape.mainUnordered = true;
    return shape;
}

FileShape fourthSingleShape()
{
    FileShape shape{"fourth_single", Layout::HashedSingle, 16, {2000}, 40.0, 2, 1000, 2000, 0.02, 0.005, 0.15,
                    20240608u};
    shape.hash = KeyHashKind::OneAtATime;
    shape.script = Script::Windows1252;
    shape.mainUnordered = true;
    return shape;
}

FileShape gxt2Shape()
{
    // Shipped GXT2 files share no text and leave none over; files a tool has rewritten may,
    // and a reader takes them, so a few of each are here too.
    FileShape shape{"gxt2", Layout::Gxt2, 8, {3500}, 45.0, 3, 1000, 2500, 0.01, 0.003, 0.15, 20240609u};
    shape.hash = KeyHashKind::OneAtATime;
    shape.script = Script::Unicode;
    shape.mainUnordered = true;
    shape.strayByteShare = 0.003;
    return shape;
}

FileShape asianShape()
{
    // 59,000 records of 8 bytes and about 1.7 million units of 16 bits: some 3.5 MB.
    FileShape shape{"asian524", Layout::Hashed, 16, splitEntries(59000, 524, 6000, 9u), 28.0, 12, 1000, 3000,
                    0.02, 0.005, 0.15, 20240606u};
    shape.wideTableShare = 0.5;
    return shape;
}

QByteArray generateFile(const FileShape &shape)
{
    Random random(shape.seed);
    const int total = std::accumulate(shape.tableSizes.begin(), shape.tableSizes.end(), 0);
    const std::vector<int> lengths = textLengths(random, shape, std::max(total, 1));
    size_t nextLength = 0;
    const int tableCount = int(shape.tableSizes.size());
    const bool ofTables = shape.layout == Layout::Tabled || shape.layout == Layout::Hashed;
    const std::vector<std::string> names = ofTables ? tableNames(tableCount, shape.seed + 1) : std::vector<std::string>{"MAIN"};
    std::vector<TableBytes> tables;
    // Every other table after MAIN is wide, up to the shape's share.
    const int wideTables = int(std::lround(shape.wideTableShare * tableCount));
    for (int t = 0; t < tableCount; ++t) {
        const bool wide = t > 0 && t % 2 == 0 && t / 2 <= wideTables;
        tables.push_back(makeTable(random, shape, names[size_t(t)], shape.tableSizes[size_t(t)], lengths, nextLength,
                                   wide, !(t == 0 && shape.mainUnordered)));
    }

    QByteArray out;
    if (shape.layout == Layout::Gxt2) {
        // One table: the records, each text's offset from the start of the file, the file's
        // size, then the texts.
        const TableBytes &table = tables.front();
        const bool big = shape.bigEndian;
        const char *tag = big ? "GXT2" : "2TXG";
        const qint64 textsAt = 16 + 8 * qint64(table.records.size());
        out.append(tag, 4);
        putInt32(out, qint64(table.records.size()), big);
        for (const Record &record : table.records) {
            putInt32(out, qint64(record.hash), big);
            putInt32(out, textsAt + record.offset, big);
        }
        out.append(tag, 4);
        putInt32(out, textsAt + table.data.size(), big);
        out.append(table.data);
        return out;
    }
    const bool hashed = isHashed(shape.layout);
    const int recordSize = hashed ? 8 : 12;
    auto putKeys = [&](const TableBytes &table) {
        out.append("TKEY", 4);
        putInt32(out, recordSize * qint64(table.records.size()));
        for (const Record &record : table.records) {
            putInt32(out, record.offset);
            if (hashed)
                putInt32(out, qint64(record.hash));
            else
                putField(out, record.key);
        }
        out.append("TDAT", 4);
        putInt32(out, table.data.size());
        out.append(table.data);
    };
    if (hashed) {
        char header[4];
        qToLittleEndian<quint16>(4, header);
        qToLittleEndian<quint16>(quint16(shape.bits), header + 2);
        out.append(header, 4);
    }
    if (!ofTables) {
        putKeys(tables.front());
        return out;
    }
    out.append("TABL", 4);
    putInt32(out, 12 * qint64(tables.size()));
    const qsizetype directory = out.size();
    for (const TableBytes &table : tables) {
        putField(out, table.name);
        putInt32(out, 0); // the offset, filled in below
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        padTo4(out);
        qToLittleEndian<quint32>(quint32(out.size()), out.data() + directory + 12 * qsizetype(t) + 8);
        if (t > 0)
            putField(out, tables[t].name);
        putKeys(tables[t]);
    }
    padTo4(out);
    return out;
}

} // namespace quilletbench
