#pragma once

#include <QString>
#include <QStringList>

class QJsonObject;

namespace quillet {

class GxtFormat;
class KeyHash;
struct RawDocument;

// What the first line of a text form says about the GXT file it stands for: the layout
// word, the texts' width, and for hashed keys the hash; "single" for the fourth game's
// files of one table and "big-endian" for the consoles' GXT2. A flat file needs none of it.
//
//   txt   {layout hashed 16 one-at-a-time single}
//   csv   layout,gxt2,8,one-at-a-time,big-endian
//   json  {"layout": "gxt2", "bits": 8, "hash": "one-at-a-time", "byte-order": "big", ...}
//
// The hash may be left out; it is then the format's own (CRC-32 for hashed files, which is
// what every header written before the fourth game was known said).
struct LayoutHeader {
    const GxtFormat *format = nullptr;
    int bits = 16;
    const KeyHash *hash = nullptr;

    static LayoutHeader of(const RawDocument &document);

    // The words after "layout": the layout word, the width, then the flags in any order.
    // A reason when they name no format.
    QString parseWords(const QStringList &words);
    QStringList words() const;

    // The header's fields of a json object; `known` counts the fields it took, so the
    // caller can refuse any it does not know.
    QString parseJson(const QJsonObject &object, int &known);
    void writeJson(QByteArray &out, const QByteArray &indent) const;
};

} // namespace quillet
