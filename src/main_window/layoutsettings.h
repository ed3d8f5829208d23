#pragma once

#include "characternumbering.h"
#include "gxtlayout.h"
#include "keynames.h"
#include "result.h"

#include <QString>

#include <memory>

namespace quillet {

class SettingsStore;

// What the editor remembers about the layouts it opens: the character numbering each layout
// is shown in, and the list of names for hashed keys.
//
// In the settings store: group "Character Numbering", one key per layout ("flat", "tabled",
// "hashed"), each "windows-1252", "western" or the path of a map file; group "Key Names",
// key "File", the path of the name list.
class LayoutSettings
{
public:
    static inline const QString Windows1252 = QStringLiteral("windows-1252");
    static inline const QString Western = QStringLiteral("western");

    explicit LayoutSettings(SettingsStore &store)
        : m_store(store)
    {
    }

    // "windows-1252", "western" or a map file's path; the layout's default when none is
    // remembered.
    QString numberingChoice(GxtLayout layout) const;
    void rememberNumbering(GxtLayout layout, const QString &choice);

    // The numbering a choice stands for in a layout. A map is read over the layout's default
    // numbering; one that cannot be read fails with the file and the reason.
    static Result numberingFor(const QString &choice, GxtLayout layout,
                               std::shared_ptr<const CharacterNumbering> &out);

    QString keyNamesFile() const;
    void rememberKeyNamesFile(const QString &path);
    static Result readKeyNames(const QString &path, KeyNames &out);

private:
    SettingsStore &m_store;
};

} // namespace quillet
