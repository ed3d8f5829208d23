#pragma once

#include "result.h"
#include "translationstatus.h"

#include <QString>

#include <memory>

namespace quillet {

class DocumentController;

// The file a translator works from, open beside the document: read as an open reads any
// file (its own layout, numbering and key hash), never changed, and held as the reference
// comparison that gives each entry of the document its reference text and status.
class ReferenceDocument
{
public:
    // Reads `path` as `controller` would open it, for comparison with the controller's
    // document; null, with the reason in `result`, when it does not read.
    static std::unique_ptr<ReferenceDocument> open(const QString &path, DocumentController &controller, Result &result);

    QString path() const { return m_path; }
    const TranslationStatus &status() const { return m_status; }
    // The document's layout or key hash changed: its keys compare anew.
    void followDocument(const DocumentController &controller);

private:
    ReferenceDocument(QString path, TranslationStatus status);

    QString m_path;
    TranslationStatus m_status;
};

} // namespace quillet
