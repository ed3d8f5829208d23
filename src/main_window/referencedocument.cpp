#include "referencedocument.h"

#include "documentcontroller.h"
#include "gxtdocument.h"

namespace quillet {

ReferenceDocument::ReferenceDocument(QString path, TranslationStatus status)
    : m_path(std::move(path))
    , m_status(std::move(status))
{
}

std::unique_ptr<ReferenceDocument> ReferenceDocument::open(const QString &path, DocumentController &controller,
                                                           Result &result)
{
    GxtDocument document;
    std::shared_ptr<const CharacterNumbering> numbering;
    result = controller.readBeside(path, document, numbering);
    if (!result)
        return nullptr;
    // Every text read now, once: the comparison reads all of them.
    TranslationStatus status(document.toRaw(), std::move(numbering), &controller.keyNames());
    std::unique_ptr<ReferenceDocument> reference(new ReferenceDocument(path, std::move(status)));
    reference->followDocument(controller);
    return reference;
}

void ReferenceDocument::followDocument(const DocumentController &controller)
{
    m_status.setDocument(controller.document().format(), controller.document().keyHash());
}

} // namespace quillet
