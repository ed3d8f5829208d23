#pragma once

// Scans over text units that run for every text of a file: where a text ends, and whether
// all its units lie in one range. Eight units a step where the processor has SSE2 (every
// x86-64 one does), one at a time elsewhere; both give the same answers.
#include <QtGlobal>

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::UnitScan {

// Where the first zero unit of `n` little-endian 16-bit units at `units` lies, or `n`.
inline qint64 firstZero(const char *units, qint64 n)
{
    qint64 u = 0;
#if defined(__SSE2__) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    const __m128i zero = _mm_setzero_si128();
    for (; u + 8 <= n; u += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + 2 * u));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(x, zero));
        if (mask != 0)
            return u + __builtin_ctz(unsigned(mask)) / 2;
    }
#endif
    while (u < n && (units[2 * u] != 0 || units[2 * u + 1] != 0))
        ++u;
    return u;
}

// Whether every one of `n` units lies in [low, high].
inline bool allWithin(const char16_t *units, qsizetype n, char16_t low, char16_t high)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    // Moved down by `low`, a unit in range is at most high - low; a saturating subtraction
    // of that leaves zero exactly for those.
    const __m128i base = _mm_set1_epi16(short(low));
    const __m128i span = _mm_set1_epi16(short(high - low));
    __m128i outside = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i));
        outside = _mm_or_si128(outside, _mm_subs_epu16(_mm_sub_epi16(x, base), span));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) != 0xFFFF)
        return false;
#endif
    for (; i < n; ++i) {
        if (char16_t(units[i] - low) > char16_t(high - low))
            return false;
    }
    return true;
}

// Whether every one of `n` units lies in [low, high] or in [low2, high2].
inline bool allWithinEither(const char16_t *units, qsizetype n, char16_t low, char16_t high, char16_t low2,
                            char16_t high2)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i base = _mm_set1_epi16(short(low));
    const __m128i span = _mm_set1_epi16(short(high - low));
    const __m128i base2 = _mm_set1_epi16(short(low2));
    const __m128i span2 = _mm_set1_epi16(short(high2 - low2));
    const __m128i zero = _mm_setzero_si128();
    __m128i outside = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i));
        // A lane is outside both ranges where both saturated differences are non-zero.
        const __m128i in = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(x, base), span), zero);
        const __m128i in2 = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(x, base2), span2), zero);
        outside = _mm_or_si128(outside, _mm_andnot_si128(_mm_or_si128(in, in2), _mm_set1_epi16(-1)));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, zero)) != 0xFFFF)
        return false;
#endif
    for (; i < n; ++i) {
        if (char16_t(units[i] - low) > char16_t(high - low) && char16_t(units[i] - low2) > char16_t(high2 - low2))
            return false;
    }
    return true;
}

} // namespace quillet::UnitScan
