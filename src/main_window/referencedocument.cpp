#include "referencedocument.h"

#include "documentcontroller.h"
#include "stringtable.h"

namespace quillet {

ReferenceDocument::ReferenceDocument()
    : m_document(std::make_unique<GxtDocument>())
{
}

ReferenceDocument::~ReferenceDocument() = default;

Result ReferenceDocument::open(const QString &path, DocumentController &controller)
{
    // Read into a document of its own first: a reference that does not read leaves the one
    // shown before in place.
    auto document = std::make_unique<GxtDocument>();
    std::shared_ptr<const CharacterNumbering> numbering;
    const Result read = controller.readBeside(path, *document, numbering);
    if (!read)
        return read;
    m_rules.reset();
    m_document = std::move(document);
    m_numbering = std::move(numbering);
    m_rules.emplace(m_document->format(), m_document->bits(), *m_numbering, m_document->keyHash(), &controller.keyNames());
    m_path = path;
    return read;
}

void ReferenceDocument::close()
{
    m_rules.reset();
    m_document = std::make_unique<GxtDocument>();
    m_numbering.reset();
    m_path.clear();
}

const StringTable *ReferenceDocument::tableFor(const QString &name) const
{
    if (!isOpen())
        return nullptr;
    // A file of one table sits beside any one table: a flat translation of a flat original,
    // or one table of a file of tables.
    if (!m_document->hasTables())
        return m_document->table(0);
    const int index = m_document->indexOfTable(name);
    return index >= 0 ? m_document->table(index) : nullptr;
}

} // namespace quillet
