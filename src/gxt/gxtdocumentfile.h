#pragma once

// Loading and saving a whole document: the file, the layouts' reader and writer, and the
// numbering and key names that give the units and hashes their meaning.
#include "characternumbering.h"
#include "fileoperationhooks.h"
#include "gxtdocument.h"
#include "keynames.h"
#include "rawgxt.h"
#include "result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace quillet {

struct LoadOptions {
    // The numbering a file of each layout is read in; the layout's default when empty or
    // when it gives nothing.
    std::function<std::shared_ptr<const CharacterNumbering>(GxtLayout)> numberingFor;
    // Names for the hashes of a hashed file.
    KeyNames keyNames;

    std::shared_ptr<const CharacterNumbering> numbering(GxtLayout layout) const;
};

// Loads the file at `path` into `document`, every table shown sorted by Name in the
// direction its first table had. On failure the document is left exactly as it was.
// Warnings name what the game would only warn about.
Result LoadGxt(const QString &path, GxtDocument &document, const LoadOptions &options = {},
               const FileOperationHooks &hooks = {});
// The same from the bytes of a file.
Result loadGxtBytes(QByteArrayView bytes, GxtDocument &document, const LoadOptions &options = {},
                    const FileOperationHooks &hooks = {});

// Saves `document` to `path` in its own layout and width, atomically. Before the new file
// takes the old one's place, its bytes are read back and must hold the same tables, keys
// and units as the document; otherwise the save fails and the old file stays. The
// document's rows and their order are not touched.
Result SaveGxt(const QString &path, const GxtDocument &document, const FileOperationHooks &hooks = {});

// The bytes a save writes; `raw`, when given, receives the document as the file holds it.
Result buildGxt(const GxtDocument &document, QByteArray &bytes, const FileOperationHooks &hooks = {},
                RawDocument *raw = nullptr);

// Whether `bytes` read back as exactly `expected` (in writer order), and if not, where not.
Result verifyGxt(QByteArrayView bytes, const RawDocument &expected);

} // namespace quillet
