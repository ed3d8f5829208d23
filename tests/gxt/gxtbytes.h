#pragma once

// Builds GXT files byte by byte, independently of the writer, so that tests can make
// layouts the writer never produces: shared or out-of-order offsets, odd name fields,
// damaged sizes.
#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <optional>

namespace gxtbytes {

inline QByteArray int32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

struct Record {
    qint32 offset;
    QByteArray nameField; // padded with zeros to 8 bytes
};

// Text of Latin-1 bytes as units (byte, 0) plus the terminator.
inline QByteArray text(const QByteArray &latin1)
{
    QByteArray out;
    for (char c : latin1) {
        out += c;
        out += '\0';
    }
    out += QByteArray(2, '\0');
    return out;
}

// keySize overrides K, to make damaged files.
inline QByteArray file(const QList<Record> &records, const QByteArray &data, std::optional<qint32> keySize = {})
{
    QByteArray out("TKEY");
    out += int32(keySize.value_or(qint32(12 * records.size())));
    for (const Record &r : records) {
        out += int32(r.offset);
        out += r.nameField.leftJustified(8, '\0', true);
    }
    out += "TDAT";
    out += int32(qint32(data.size()));
    out += data;
    return out;
}

} // namespace gxtbytes
