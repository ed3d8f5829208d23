#pragma once

#include <vector>

namespace quillet {

class GxtFormat;

// Every format Quillet reads and writes, in the order their first bytes are tried; the
// first is the format of a new document.
const std::vector<const GxtFormat *> &registeredFormats();

} // namespace quillet
