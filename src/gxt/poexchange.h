#pragma once

#include "result.h"
#include "translationexchange.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quillet {

// gettext PO, read and written by GNU libgettextpo: a header declaring UTF-8, then one
// message per unit, msgctxt its context, msgid its source, msgstr its target (empty where
// untranslated), its notes as extracted comments ("#."). What we write passes
// `msgfmt --check`.
//
// `isTemplate`: a .pot, every msgstr empty.
Result writePo(const std::vector<TranslationUnit> &units, bool isTemplate, QByteArray &out);

// Every message of `bytes` but the header and obsolete ones, with the line its message
// starts on. A file that does not parse fails naming `fileName` and the line; so does a
// message with plural forms, which no GXT text has.
Result readPo(const QByteArray &bytes, const QString &fileName, std::vector<TranslatedText> &out);

} // namespace quillet
