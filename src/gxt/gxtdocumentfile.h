#pragma once

// Loading and saving a whole document: the file, and the format's reader and writer.
#include "fileoperationhooks.h"
#include "gxtdocument.h"
#include "rawgxt.h"
#include "stringtable.h"
#include "result.h"

#include <QByteArray>
#include <QString>

namespace quillet {

// Loads the file at `path` into `document`. On failure the document is left exactly as it
// was. Warnings name what the game would only warn about.
Result LoadGxt(const QString &path, GxtDocument &document, const FileOperationHooks &hooks = {});

// What a load reads before a document takes it: the file's content, with the texts of a
// file of tables from the second table on left in the file's bytes, to be read when first
// needed. The reader has checked every text all the same.
struct LoadedFile {
    RawDocument raw;
    std::vector<std::unique_ptr<PendingTexts>> pending;
};
// With `salvage`, entries that point outside their table's texts are left out and listed
// there rather than failing the read.
Result readForLoad(const QString &path, LoadedFile &out, const FileOperationHooks &hooks = {},
                   SalvageReport *salvage = nullptr);
// The same from the bytes of a file.
Result loadGxtBytes(QByteArrayView bytes, GxtDocument &document, const FileOperationHooks &hooks = {});

// Saves `document` to `path` in its own format and width, atomically. Before the new file
// takes the old one's place, its bytes are read back and must hold the same tables, keys and
// units as the document; otherwise the save fails and the old file stays. The document is
// not touched.
Result SaveGxt(const QString &path, const GxtDocument &document, const FileOperationHooks &hooks = {});

// The bytes a save writes.
Result buildGxt(const GxtDocument &document, QByteArray &bytes, const FileOperationHooks &hooks = {});

// Whether `bytes` read back as exactly `expected`, which is in writer order, and if not,
// where not.
Result verifyGxt(QByteArrayView bytes, const RawDocument &expected);
// The same against a document's tables, which the writer put in its order.
Result verifyGxt(QByteArrayView bytes, const GxtDocument &document);

} // namespace quillet
