#pragma once

#include "keynames.h"
#include "result.h"

#include <QString>

namespace quillet {

class GxtFormat;
class SettingsStore;

// What the editor remembers about the formats it opens: the character numbering each format
// is shown in, and the list of names for hashed keys.
//
// In the settings store: group "Character Numbering", one key per format ("flat", "tabled",
// "hashed"), each "windows-1252", "western" or the path of a map file; group "Key Names",
// key "File", the path of the name list.
class LayoutSettings
{
public:
    explicit LayoutSettings(SettingsStore &store)
        : m_store(store)
    {
    }

    // A NumberingChoice; the format's own numbering's when none is remembered.
    QString numberingChoice(const GxtFormat &format) const;
    void rememberNumbering(const GxtFormat &format, const QString &choice);

    QString keyNamesFile() const;
    void rememberKeyNamesFile(const QString &path);
    // A name list file; one that cannot be read fails with the file and the reason.
    static Result readKeyNames(const QString &path, KeyNames &out);

private:
    SettingsStore &m_store;
};

} // namespace quillet
