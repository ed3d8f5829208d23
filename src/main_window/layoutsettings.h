#pragma once

#include "keynames.h"
#include "result.h"

#include <QString>

namespace quillet {

class GxtFormat;
class SettingsStore;

// What the editor remembers about the files it opens: the character numbering each recent
// file was shown in (see recentfiles.h), and the list of names for hashed keys.
//
// In the settings store: group "Key Names", key "File", the path of the name list; group
// "References", keyed by a digest of a file's absolute path (a path holds characters that
// settings files read as groups), "FILE|REFERENCE": the reference a translator last had open
// beside that file.
class LayoutSettings
{
public:
    explicit LayoutSettings(SettingsStore &store)
        : m_store(store)
    {
    }

    // A NumberingChoice remembered for the file at `path`; empty when none is.
    QString numberingChoice(const QString &path) const;
    // Remembered while the file is among the recent ones.
    void rememberNumbering(const QString &path, const QString &choice);

    // The reference remembered for the file at `path`; empty when none is.
    QString referenceFile(const QString &path) const;
    // An empty `reference` forgets it.
    void rememberReference(const QString &path, const QString &reference);

    QString keyNamesFile() const;
    void rememberKeyNamesFile(const QString &path);
    // A name list file; one that cannot be read fails with the file and the reason.
    static Result readKeyNames(const QString &path, KeyNames &out);

private:
    SettingsStore &m_store;
};

} // namespace quillet
