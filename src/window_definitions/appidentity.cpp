#include "appidentity.h"

// The icon is compiled into this static library; nothing would pull its resource object
// into the executable unless something called its initialiser, so the icon does.
static void initialiseIconResource()
{
    Q_INIT_RESOURCE(quillet);
}

namespace quillet {

QIcon applicationIcon()
{
    initialiseIconResource();
    return QIcon(QStringLiteral(":/quillet/quillet.png"));
}

} // namespace quillet
