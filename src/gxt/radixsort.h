#pragma once

// Sorting plain unsigned numbers: record places by text offset, hashes to look keys up in.
// Every open sorts tens of thousands of them, and a comparison sort of such numbers spends
// most of its time on branches it mispredicts; a radix sort of the digits the largest one
// has does not branch on the values at all.
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <bit>
#include <type_traits>
#include <vector>

namespace quillet {

template<typename T>
void sortNumbers(std::vector<T> &values)
{
    static_assert(std::is_unsigned_v<T>);
    const size_t n = values.size();
    if (n < 256) {
        std::sort(values.begin(), values.end());
        return;
    }
    const T largest = *std::max_element(values.begin(), values.end());
    const int bits = int(sizeof(T) * 8) - std::countl_zero(largest);
    constexpr int DigitBits = 11;
    constexpr size_t Digits = size_t(1) << DigitBits;
    std::vector<T> next(n);
    for (int shift = 0; shift < bits; shift += DigitBits) {
        std::array<size_t, Digits + 1> starts{};
        for (const T value : values)
            ++starts[((value >> shift) & (Digits - 1)) + 1];
        for (size_t d = 1; d < starts.size(); ++d)
            starts[d] += starts[d - 1];
        for (const T value : values)
            next[starts[(value >> shift) & (Digits - 1)]++] = value;
        values.swap(next);
    }
}

} // namespace quillet
