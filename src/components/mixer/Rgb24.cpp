#include "Rgb24.h"

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZORVIK_RGB24_SSSE3 1
#endif

namespace Rgb24 {
namespace {

void unpackScalar(const uchar* in, QRgb* out, int n)
{
    for (int i = 0; i < n; ++i, in += 3)
        out[i] = 0xff000000u | (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
}

#if defined(ZORVIK_RGB24_SSSE3)

bool haveSsse3()
{
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}

// Eight pixels a step: each 16-byte load holds four pixels (and four bytes of the next), which
// one byte shuffle places into 32-bit lanes. Returns the pixels done.
__attribute__((target("ssse3"))) int unpackSsse3(const uchar* in, QRgb* out, int n)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32(int(0xff000000u));
    int i = 0;
    // The second load of a step reads bytes 12 .. 27 past the step's start.
    for (; 3 * i + 28 <= 3 * n; i += 8) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * i));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * i + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(_mm_shuffle_epi8(lo, order), alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_or_si128(_mm_shuffle_epi8(hi, order), alpha));
    }
    return i;
}

#endif

} // namespace

void unpack(const uchar* in, QRgb* out, int n)
{
    int done = 0;
#if defined(ZORVIK_RGB24_SSSE3)
    if (haveSsse3())
        done = unpackSsse3(in, out, n);
#endif
    unpackScalar(in + 3 * done, out + done, n - done);
}

} // namespace Rgb24
