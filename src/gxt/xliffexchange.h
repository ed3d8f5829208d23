#pragma once

#include "result.h"
#include "translationexchange.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quillet {

// XLIFF 1.2 through QXmlStreamWriter and QXmlStreamReader: one <file>, one <trans-unit
// id="CONTEXT"> per unit with <source>, <target state="..."> and a <note> per problem. The
// states are XLIFF's: "needs-translation" (untranslated, missing), "translated",
// "needs-review-translation" (codes differ), "final" for an extra entry, which has no source
// of its own to be translated from. Text codes become inline placeholders, <ph id="N">~r~</ph>,
// so that CAT tools keep them whole; they read back as the same units.
Result writeXliff(const std::vector<TranslationUnit> &units, QByteArray &out);

// Every trans-unit with its target's text and the line the unit starts on; a unit without a
// target gives an empty text. XML that does not parse, or a unit without an id, fails
// naming `fileName` and the line.
Result readXliff(const QByteArray &bytes, const QString &fileName, std::vector<TranslatedText> &out);

} // namespace quillet
