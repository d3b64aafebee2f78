// The 32-bit blend with SSE2: four pixels per step in 16-bit lanes. Per channel
// d + floor((s - d) * a / 256) = ((d << 8) + (s - d) * a) >> 8 with the true sum inside
// 0..65280, so the sum taken modulo 2^16 in a 16-bit lane is exact.
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

// Four pixels without unpacking: blue and red sit in the low bytes of the
// 16-bit lanes of (pixel AND 0x00FF00FF), green and alpha in those of
// (pixel >> 8). Each lane computes (d << 8) + (s - d) * a, whose high byte
// is the result, and the two halves are merged back by masks.
inline __m128i BlendFour(__m128i s, __m128i d) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i highBytes = _mm_set1_epi16(static_cast<short>(0xFF00));
  // Each pixel's alpha into both of its 16-bit lanes.
  const __m128i alpha = _mm_srli_epi32(s, 24);
  const __m128i a = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
  const __m128i blueRed = _mm_add_epi16(
      _mm_slli_epi16(d, 8),
      _mm_mullo_epi16(_mm_sub_epi16(_mm_and_si128(s, lowBytes), _mm_and_si128(d, lowBytes)), a));
  const __m128i greenAlpha = _mm_add_epi16(
      _mm_and_si128(d, highBytes),
      _mm_mullo_epi16(_mm_sub_epi16(_mm_srli_epi16(s, 8), _mm_srli_epi16(d, 8)), a));
  return _mm_or_si128(_mm_srli_epi16(blueRed, 8), _mm_and_si128(greenAlpha, highBytes));
}

// With a = 255 the blend of a channel is s - 1 where s > d and s otherwise
// (d + floor(255 (s - d) / 256)); byte arithmetic does that for four pixels
// in three steps. The saver's backdrop is mostly opaque.
inline __m128i BlendFourOpaque(__m128i s, __m128i d) {
  return _mm_sub_epi8(s, _mm_min_epu8(_mm_subs_epu8(s, d), _mm_set1_epi8(1)));
}

inline bool AllOpaque(__m128i s) {
  const __m128i filled = _mm_or_si128(s, _mm_set1_epi32(0x00FFFFFF));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(filled, _mm_set1_epi32(-1))) == 0xFFFF;
}

inline __m128i Blend(__m128i s, __m128i d) {
  return AllOpaque(s) ? BlendFourOpaque(s, d) : BlendFour(s, d);
}

inline void BlendOne(const uint8_t* s, uint8_t* d) {
  uint32_t sp, dp;
  std::memcpy(&sp, s, 4);
  std::memcpy(&dp, d, 4);
  const __m128i r = BlendFour(_mm_cvtsi32_si128(static_cast<int>(sp)),
                              _mm_cvtsi32_si128(static_cast<int>(dp)));
  dp = static_cast<uint32_t>(_mm_cvtsi128_si32(r));
  std::memcpy(d, &dp, 4);
}

void BlendRow(const uint8_t* s, uint8_t* d, int32_t width) {
  int32_t x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x));
    const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x + 16));
    const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * x));
    const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * x + 16));
    // One test for both vectors: an opaque stretch costs one branch per 8 pixels.
    if (AllOpaque(_mm_and_si128(s0, s1))) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x), BlendFourOpaque(s0, d0));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x + 16), BlendFourOpaque(s1, d1));
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x), Blend(s0, d0));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x + 16), Blend(s1, d1));
    }
  }
  if (x + 4 <= width) {
    const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x));
    const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x), Blend(s0, d0));
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
