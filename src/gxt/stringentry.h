#pragma once

#include <QString>

namespace quillet {

// One entry of a GXT table: its key and its text. Rows carry nothing else; in particular
// the text offset lives only in the file and is computed afresh at every save.
struct StringEntry {
    QString name;
    QString value;

    friend bool operator==(const StringEntry &, const StringEntry &) = default;
};

} // namespace quillet
