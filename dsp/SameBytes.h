// Whether two blocks of bytes are equal, for the memos that compare a key of a few dozen bytes
// with the last one at every control step: inline and with one test at the end, where a call
// of the library's compare costs more than the comparison itself. Forced inline: the link-time
// inliner's budget shifts with unrelated changes, and once left it a call (1.5 % more
// instructions on a plain 16-voice patch).
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

__attribute__((always_inline)) inline bool sameBytes(const void* a, const void* b, size_t n) {
    const auto* p = static_cast<const unsigned char*>(a);
    const auto* q = static_cast<const unsigned char*>(b);
    __m128i diff = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 16 <= n; i += 16)
        diff = _mm_or_si128(
            diff, _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + i))));
    uint32_t rest = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t x, y;
        std::memcpy(&x, p + i, 4);
        std::memcpy(&y, q + i, 4);
        rest |= x ^ y;
    }
    for (; i < n; ++i) rest |= static_cast<uint32_t>(p[i] ^ q[i]);
    return _mm_movemask_epi8(_mm_cmpeq_epi8(diff, _mm_setzero_si128())) == 0xFFFF && rest == 0;
}
