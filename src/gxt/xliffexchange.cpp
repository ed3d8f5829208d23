#include "xliffexchange.h"

namespace quillet {

Result writeXliff(const std::vector<TranslationUnit> &, QByteArray &out)
{
    out.clear();
    return Result::failure(QStringLiteral("XLIFF files are not written yet"));
}

Result readXliff(const QByteArray &, const QString &fileName, std::vector<TranslatedText> &out)
{
    out.clear();
    return Result::failure(QStringLiteral("%1: XLIFF files are not read yet").arg(fileName));
}

} // namespace quillet
