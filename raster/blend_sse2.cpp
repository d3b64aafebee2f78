// The 32-bit blend with SSE2: four pixels per step in 16-bit lanes.
//
// Per channel the blend is d + floor((s - d) * a / 256), which equals
// ((d << 8) + (s - d) * a) >> 8 with the true sum inside 0..65280. Taken
// modulo 2^16 in a 16-bit lane the sum is therefore exact, and a logical
// shift gives the result.
#include "raster/blend.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

// 32-bit Windows keeps the stack only 4-byte aligned; spilled vectors need 16.
#if defined(__i386__)
#define POMARELO_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define POMARELO_REALIGN_STACK
#endif

namespace {

inline __m128i BlendHalf(__m128i s, __m128i d) {
  const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
  const __m128i sum = _mm_add_epi16(_mm_slli_epi16(d, 8), _mm_mullo_epi16(_mm_sub_epi16(s, d), a));
  return _mm_srli_epi16(sum, 8);
}

inline __m128i BlendFour(__m128i s, __m128i d) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = BlendHalf(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
  const __m128i high = BlendHalf(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
  return _mm_packus_epi16(low, high);
}

inline void BlendOne(const uint8_t* s, uint8_t* d) {
  uint32_t sp, dp;
  std::memcpy(&sp, s, 4);
  std::memcpy(&dp, d, 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i r = BlendHalf(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(sp)), zero),
                              _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(dp)), zero));
  dp = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(r, r)));
  std::memcpy(d, &dp, 4);
}

void BlendRow(const uint8_t* s, uint8_t* d, int32_t width) {
  int32_t x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x));
    const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x + 16));
    const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * x));
    const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * x + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x), BlendFour(s0, d0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x + 16), BlendFour(s1, d1));
  }
  if (x + 4 <= width) {
    const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x));
    const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x), BlendFour(s0, d0));
    x += 4;
  }
  for (; x < width; ++x) BlendOne(s + 4 * x, d + 4 * x);
}

POMARELO_REALIGN_STACK
void AlphaBlend32Sse2(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                      int32_t sourcePitch, int32_t destinationPitch, int32_t, void*, intptr_t) {
  for (int32_t y = 0; y < height; ++y) {
    BlendRow(source + static_cast<intptr_t>(y) * sourcePitch,
             destination + static_cast<intptr_t>(y) * destinationPitch, width);
  }
}

}  // namespace

const PutRoutine kAlphaBlend32Sse2 = AlphaBlend32Sse2;

#else

const PutRoutine kAlphaBlend32Sse2 = nullptr;

#endif
