#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace quillet {

// How a hashed key whose name is unknown is shown and typed: "#" and the hash's eight
// upper-case hex digits ("#1CBF88DC"). The one formatter and parser of that text.
QString hashText(quint32 hash);
// The hash that `text` spells, in either letter case; nothing when it spells none.
std::optional<quint32> parseHashText(QStringView text);

} // namespace quillet
