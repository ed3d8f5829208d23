#include "poexchange.h"

namespace quillet {

Result writePo(const std::vector<TranslationUnit> &, bool, QByteArray &out)
{
    out.clear();
    return Result::failure(QStringLiteral("PO files are not written yet"));
}

Result readPo(const QByteArray &, const QString &fileName, std::vector<TranslatedText> &out)
{
    out.clear();
    return Result::failure(QStringLiteral("%1: PO files are not read yet").arg(fileName));
}

} // namespace quillet
