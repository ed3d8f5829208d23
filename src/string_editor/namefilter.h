#pragma once

#include "gxtformat.h"

#include <QString>
#include <QValidator>

namespace quillet {

// The name box's key filter: a lower-case ASCII letter becomes upper case; digits, upper-case
// letters, '_' and Backspace (8) pass; every other code becomes 0, which types nothing.
char16_t filterNameKey(char16_t code);

// Pasted text goes through the same filter character by character: refused characters are
// dropped rather than refusing the whole paste, and Backspace has no meaning in a paste.
// Where `hashes` allows, '#' passes too.
QString filterPastedName(const QString &text, bool hashes = false);

// The name box's check, by the format's own rule for typed names (NameRule::checkTyped): a
// name that breaks the rule is refused whole, so a key press or a paste that would make one
// types nothing. It changes no character of what it checks.
class NameValidator : public QValidator
{
    Q_OBJECT

public:
    NameValidator(const NameRule &rule, QObject *parent = nullptr);

    // A name read from a file may be longer than a typed one; the box keeps it whole.
    void setKeptLength(qsizetype length) { m_keptLength = length; }
    bool takesHashText() const { return m_rule.takesHashText; }

    State validate(QString &input, int &pos) const override;

private:
    NameRule m_rule;
    qsizetype m_keptLength = 0;
};

} // namespace quillet
