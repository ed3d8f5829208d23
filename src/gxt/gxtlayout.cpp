#include "gxtlayout.h"

namespace quillet {

QString layoutName(GxtLayout layout)
{
    switch (layout) {
    case GxtLayout::Flat:
        return QStringLiteral("flat");
    case GxtLayout::Tabled:
        return QStringLiteral("tabled");
    case GxtLayout::Hashed:
        return QStringLiteral("hashed");
    }
    return {};
}

std::optional<GxtLayout> layoutFromName(const QString &name)
{
    for (GxtLayout layout : {GxtLayout::Flat, GxtLayout::Tabled, GxtLayout::Hashed}) {
        if (name == layoutName(layout))
            return layout;
    }
    return std::nullopt;
}

std::optional<GxtLayout> detectLayout(QByteArrayView head)
{
    if (head.size() >= 4 && head.first(4) == QByteArrayView("TKEY"))
        return GxtLayout::Flat;
    if (head.size() >= 4 && head.first(4) == QByteArrayView("TABL"))
        return GxtLayout::Tabled;
    if (head.size() >= 8 && head[0] == 4 && head[1] == 0 && (head[2] == 8 || head[2] == 16) && head[3] == 0
        && head.sliced(4, 4) == QByteArrayView("TABL"))
        return GxtLayout::Hashed;
    return std::nullopt;
}

} // namespace quillet
