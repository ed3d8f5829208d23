#pragma once

#include "userdialogs.h"

#include <QString>

namespace quillet {

class SettingsStore;

// The file dialogs of File, Export... / Import... and of the translations': one shape for all
// of them, so that they start in the folder last used and propose the same names.

// An export's: the open file's own name without an extension (the filter chosen gives it
// one, and so the form), "Untitled" for a new table; replacing a file is asked first.
UserDialogs::FileRequest exportRequest(const QString &title, const QString &filter, const QString &suffix,
                                       const SettingsStore &settings, const QString &currentFile);
// An import's: a file that exists.
UserDialogs::FileRequest importRequest(const QString &title, const QString &filter, const QString &suffix,
                                       const SettingsStore &settings);

} // namespace quillet
