#include "layoutheader.h"

#include "gxtformat.h"
#include "jsontext.h"
#include "keyhash.h"
#include "rawgxt.h"

#include <QJsonObject>
#include <QJsonValue>

namespace quillet {

namespace {

const QString Single = QStringLiteral("single");
const QString BigEndian = QStringLiteral("big-endian");

QString layoutWords()
{
    QStringList words;
    for (const GxtFormat *format : GxtFormat::all()) {
        if (!words.contains(format->layoutWord()))
            words.append(format->layoutWord());
    }
    return words.join(QStringLiteral(", "));
}

QString hashWords()
{
    QStringList words;
    for (const KeyHash *hash : KeyHash::all())
        words.append(hash->id());
    return words.join(QStringLiteral(" or "));
}

// The format of a layout word and its flags, with the width and hash checked against it.
QString resolve(LayoutHeader &header, const QString &layout, const QString &bitsText, const QString &hashText,
                bool single, bool bigEndian)
{
    const GxtFormat *named = GxtFormat::byLayout(layout, false, false);
    if (!named && !GxtFormat::byLayout(layout, true, false) && !GxtFormat::byLayout(layout, false, true))
        return QStringLiteral("\"%1\" is no layout; the layouts are %2").arg(layout.left(20), layoutWords());
    const GxtFormat *format = GxtFormat::byLayout(layout, single, bigEndian);
    if (!format) {
        return QStringLiteral("the %1 layout has no %2")
            .arg(layout, single ? QStringLiteral("files of one table") : QStringLiteral("big-endian files"));
    }
    bool ok = false;
    const int bits = bitsText.toInt(&ok);
    if (!ok || (bits != 8 && bits != 16))
        return QStringLiteral("\"%1\" is no text width; a GXT file has 8- or 16-bit texts").arg(bitsText.left(20));
    if (!format->takesBits(bits))
        return QStringLiteral("the %1 layout has %2-bit texts").arg(layout).arg(format->defaultBits());
    const KeyHash *hash = format->traits().hash;
    if (!hashText.isEmpty()) {
        if (!format->storesHashes())
            return QStringLiteral("the %1 layout stores key names, not hashes, so it takes no hash").arg(layout);
        hash = KeyHash::byId(hashText);
        if (!hash)
            return QStringLiteral("\"%1\" is no key hash; the hashes are %2").arg(hashText.left(20), hashWords());
    }
    header.format = format;
    header.bits = bits;
    header.hash = hash;
    return {};
}

} // namespace

LayoutHeader LayoutHeader::of(const RawDocument &document)
{
    return {document.format, document.bits, document.format->storesHashes() ? document.hash : nullptr};
}

QString LayoutHeader::parseWords(const QStringList &words)
{
    if (words.size() < 2)
        return QStringLiteral("expected the layout and the texts' width, such as {layout hashed 8}");
    QString hashWord;
    bool single = false;
    bool bigEndian = false;
    for (qsizetype i = 2; i < words.size(); ++i) {
        const QString &word = words[i];
        if (word == Single && !single)
            single = true;
        else if (word == BigEndian && !bigEndian)
            bigEndian = true;
        else if (KeyHash::byId(word) && hashWord.isEmpty())
            hashWord = word;
        else
            return QStringLiteral("\"%1\" is none of a key hash (%2), single or big-endian").arg(word.left(20), hashWords());
    }
    return resolve(*this, words[0], words[1], hashWord, single, bigEndian);
}

QStringList LayoutHeader::words() const
{
    QStringList out{format->layoutWord(), QString::number(bits)};
    if (format->storesHashes() && hash)
        out.append(hash->id());
    if (format->traits().single)
        out.append(Single);
    if (format->traits().bigEndian)
        out.append(BigEndian);
    return out;
}

QString LayoutHeader::parseJson(const QJsonObject &object, int &known)
{
    known = 0;
    const QJsonValue layout = object.value(QLatin1String("layout"));
    const QJsonValue bitsValue = object.value(QLatin1String("bits"));
    const QJsonValue hashValue = object.value(QLatin1String("hash"));
    const QJsonValue single = object.value(QLatin1String("single"));
    const QJsonValue order = object.value(QLatin1String("byte-order"));
    if (!layout.isString())
        return QStringLiteral("\"layout\" is not a string");
    ++known;
    if (!bitsValue.isUndefined() && !bitsValue.isDouble())
        return QStringLiteral("\"bits\" is not a number");
    if (!hashValue.isUndefined() && !hashValue.isString())
        return QStringLiteral("\"hash\" is not a string");
    if (!single.isUndefined() && !single.isBool())
        return QStringLiteral("\"single\" is not true or false");
    const QString orderText = order.toString();
    if (!order.isUndefined() && orderText != QLatin1String("big") && orderText != QLatin1String("little"))
        return QStringLiteral("\"byte-order\" is not \"big\" or \"little\"");
    known += int(!bitsValue.isUndefined()) + int(!hashValue.isUndefined()) + int(!single.isUndefined()) + int(!order.isUndefined());
    const GxtFormat *plain = GxtFormat::byLayout(layout.toString(), single.toBool(), orderText == QLatin1String("big"));
    const QString width = bitsValue.isUndefined() ? QString::number(plain ? plain->defaultBits() : 16) : QString::number(bitsValue.toDouble());
    return resolve(*this, layout.toString(), width, hashValue.toString(), single.toBool(), orderText == QLatin1String("big"));
}

void LayoutHeader::writeJson(QByteArray &out, const QByteArray &indent) const
{
    out += indent + "\"layout\": " + jsonQuoted(format->layoutWord()).toUtf8() + ",\n";
    out += indent + "\"bits\": " + QByteArray::number(bits) + ",\n";
    if (format->storesHashes() && hash)
        out += indent + "\"hash\": " + jsonQuoted(hash->id()).toUtf8() + ",\n";
    if (format->traits().single)
        out += indent + "\"single\": true,\n";
    if (format->traits().bigEndian)
        out += indent + "\"byte-order\": \"big\",\n";
}

} // namespace quillet
