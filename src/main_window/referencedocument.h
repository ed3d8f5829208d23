#pragma once

#include "characternumbering.h"
#include "entryrules.h"
#include "gxtdocument.h"
#include "result.h"

#include <QString>

#include <memory>
#include <optional>

namespace quillet {

class DocumentController;
class StringTable;

// The file a translator works from, open beside the document: read as an open reads any
// file (its own layout, numbering and key hash), shown through rules of its own, and never
// changed. The document's entries are compared with it table by table, key by key.
class ReferenceDocument
{
public:
    ReferenceDocument();
    ~ReferenceDocument();
    ReferenceDocument(const ReferenceDocument &) = delete;
    ReferenceDocument &operator=(const ReferenceDocument &) = delete;

    // Reads `path` as `controller` would open it. On failure nothing here changes: a
    // reference open before stays open.
    Result open(const QString &path, DocumentController &controller);
    void close();
    bool isOpen() const { return m_rules.has_value(); }

    QString path() const { return m_path; }
    const GxtDocument &document() const { return *m_document; }
    // Valid while the reference is open.
    const EntryRules &rules() const { return *m_rules; }
    // The reference's table of the name `name` has in `rules`' reading; for a file of one
    // table, its only one. Null when it has none.
    const StringTable *tableFor(const QString &name) const;

private:
    std::unique_ptr<GxtDocument> m_document;
    std::shared_ptr<const CharacterNumbering> m_numbering;
    std::optional<EntryRules> m_rules;
    QString m_path;
};

} // namespace quillet
