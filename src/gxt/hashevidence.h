#pragma once

#include <vector>

namespace quillet {

class KeyHash;
class KeyNames;
struct RawDocument;

// Which key hash a file's keys were made by, from evidence, since the bytes of the third and
// fourth games' files cannot tell: a list of key names the user has loaded decides where any
// of its names are keys of the file under one hash more than under the other; otherwise the
// keys a mission table's name gives (T_00..T_99, T_0..T_99, T00..T99, T0..T99, T_A..T_Z,
// TA..TZ for every table T) that are keys of the file. Ties go to the format's own hash.
const KeyHash &chooseKeyHash(const RawDocument &document, const KeyNames *names = nullptr);

// How many of the keys each hash of KeyHash::all() finds, in that order, by each kind of
// evidence: what chooseKeyHash decides by.
struct HashEvidence {
    std::vector<int> byNames;
    std::vector<int> byTableNames;
};
HashEvidence weighKeyHashes(const RawDocument &document, const KeyNames *names = nullptr);

} // namespace quillet
