#pragma once

#include <QString>
#include <QStringView>

namespace quillet {

// A text as a JSON string, quotes included: the one writer of JSON strings, for the json
// text form and for the values the tool prints. It escapes what JSON requires (quotes,
// backslashes, control characters) and what UTF-8 cannot hold (a lone surrogate), and
// nothing else, so a reader of JSON gets the very text back.
QString jsonQuoted(QStringView text);

} // namespace quillet
