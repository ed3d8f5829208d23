#include "gxtformat.h"

#include "codepage.h"
#include "formats/registry.h"
#include "hashtext.h"
#include "keyhash.h"

#include <algorithm>
#include <numeric>

namespace quillet {

bool NameRule::isTypedCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
}

QString NameRule::whyNotAHashedName(QStringView name, qsizetype *badIndex)
{
    if (name.isEmpty())
        return QStringLiteral("a key needs a name");
    if (name.startsWith(u'#')) {
        if (badIndex)
            *badIndex = 0;
        return QStringLiteral("only # and eight hex digits may begin with #");
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c > 0x20 && c < 0x7F)
            continue;
        if (badIndex)
            *badIndex = i;
        return QStringLiteral("a key's name is made of ASCII letters, digits and signs, without spaces, but it holds %1")
            .arg(CodePage::describe(name, i));
    }
    return {};
}

Result NameRule::checkStored(QStringView name, const QString &what, qsizetype *badIndex) const
{
    if (fieldLength == 0) {
        // Only a hash is stored: any name the hash can be taken of, or the hash itself.
        if (takesHashText && parseHashText(name))
            return {};
        const QString why = whyNotAHashedName(name, badIndex);
        if (why.isEmpty())
            return {};
        return Result::failure(QStringLiteral("the %1 \"%2\" is no key: %3").arg(what, name.toString(), why));
    }
    if (name.size() > fieldLength) {
        return Result::failure(QStringLiteral("the %1 \"%2\" has %3 characters; a GXT %1 holds at most %4")
                                   .arg(what, name.toString())
                                   .arg(name.size())
                                   .arg(fieldLength));
    }
    QByteArray bytes;
    qsizetype bad = -1;
    if (!nameToBytes(name, bytes, &bad)) {
        if (badIndex)
            *badIndex = bad;
        if (name[bad].unicode() == 0)
            return Result::failure(QStringLiteral("the %1 holds a character of code 0, which a GXT file drops").arg(what));
        return Result::failure(QStringLiteral("the %1 holds the character %2, which Windows-1252 cannot store")
                                   .arg(what, CodePage::describe(name, bad)));
    }
    return {};
}

NameRule::Typed NameRule::checkTyped(QStringView name, qsizetype keptLength) const
{
    if (name.isEmpty())
        return Typed::Intermediate;
    if (takesHashText && name.startsWith(u'#')) {
        if (name.size() > 9)
            return Typed::Invalid;
        for (qsizetype i = 1; i < name.size(); ++i) {
            const char16_t c = name[i].unicode();
            if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
                return Typed::Invalid;
        }
        return name.size() == 9 ? Typed::Acceptable : Typed::Intermediate;
    }
    if (!std::all_of(name.begin(), name.end(), isTypedCharacter))
        return Typed::Invalid;
    if (name.size() > typedLength && name.size() > keptLength)
        return Typed::Invalid;
    return Typed::Acceptable;
}

GxtFormat::GxtFormat(const FormatTraits &traits)
    : m_traits(traits)
{
}

GxtFormat::~GxtFormat() = default;

QString GxtFormat::unstorableText(QStringView) const
{
    return {};
}

std::vector<int> GxtFormat::entryOrder(const std::vector<StringEntry> &entries) const
{
    std::vector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    // Stable: entries with equal keys keep the order the table gave them.
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return keyLess(entries[size_t(a)], entries[size_t(b)]); });
    return order;
}

std::vector<int> GxtFormat::tableOrder(const std::vector<const RawTable *> &tables) const
{
    std::vector<int> order(tables.size());
    std::iota(order.begin(), order.end(), 0);
    if (m_traits.hasTables && order.size() > 1) {
        std::stable_sort(order.begin() + 1, order.end(),
                         [&](int a, int b) { return tables[size_t(a)]->name < tables[size_t(b)]->name; });
    }
    return order;
}

QString GxtFormat::keyText(const StringEntry &entry) const
{
    return storesHashes() ? hashText(entry.hash) : nameFromBytes(entry.name.bytes());
}

QString GxtFormat::game(const KeyHash *hash) const
{
    if (m_traits.gameByHash && hash)
        return hash->game();
    return QString::fromLatin1(m_traits.game);
}

const GxtFormat *GxtFormat::byLayout(const QString &layout, bool single, bool bigEndian)
{
    for (const GxtFormat *format : all()) {
        const FormatTraits &t = format->traits();
        if (format->layoutWord() == layout && t.single == single && t.bigEndian == bigEndian)
            return format;
    }
    return nullptr;
}

const std::vector<const GxtFormat *> &GxtFormat::all()
{
    return registeredFormats();
}

const GxtFormat *GxtFormat::byId(const QString &id)
{
    for (const GxtFormat *format : all()) {
        if (format->id() == id)
            return format;
    }
    return nullptr;
}

const GxtFormat *GxtFormat::detect(QByteArrayView head)
{
    for (const GxtFormat *format : all()) {
        if (format->recognises(head))
            return format;
    }
    return nullptr;
}

const GxtFormat &GxtFormat::untitled()
{
    return *all().front();
}

QString describeEntry(int position, const QString &name)
{
    return QStringLiteral("entry %1 (%2)").arg(position).arg(name);
}

QString describeEntry(const GxtFormat &format, const QString &table, int position, const QString &name)
{
    if (!format.hasTables())
        return describeEntry(position, name);
    return QStringLiteral("table %1, %2").arg(table, describeEntry(position, name));
}

} // namespace quillet
