#pragma once

// The record of the hashed layouts, files of tables and files of one table alike: {text
// offset, key hash}, both little-endian, kept in ascending hash order for the game's binary
// search.
#include "gxtformat.h"
#include "tableblocks.h"

#include <QtEndian>

namespace quillet {

class HashRecordFormat : public GxtFormat
{
public:
    using GxtFormat::GxtFormat;

    void readRecord(const char *record, StringEntry &entry, qint64 &textOffset) const override
    {
        textOffset = qFromLittleEndian<quint32>(record);
        entry.hash = qFromLittleEndian<quint32>(record + 4);
    }

    void writeRecord(char *record, const StringEntry &entry, qint64 textOffset) const override
    {
        qToLittleEndian<quint32>(quint32(textOffset), record);
        qToLittleEndian<quint32>(entry.hash, record + 4);
    }

    bool keyLess(const StringEntry &a, const StringEntry &b) const override { return a.hash < b.hash; }

    std::vector<int> entryOrder(const std::vector<StringEntry> &entries) const override { return orderByHash(entries); }
};

} // namespace quillet
