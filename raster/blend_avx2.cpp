// The 32-bit blend with AVX2: eight pixels per step in 16-bit lanes, the
// same arithmetic as the SSE2 version (see there). Compiled for AVX2 on its
// own; it runs only where the processor reports AVX2.
#include "raster/blend.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstring>

#if defined(__i386__)
#define POMARELO_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define POMARELO_REALIGN_STACK
#endif

#define POMARELO_AVX2 __attribute__((target("avx2")))

namespace {

POMARELO_AVX2 inline __m256i BlendEight(__m256i s, __m256i d) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  const __m256i highBytes = _mm256_set1_epi16(static_cast<short>(0xFF00));
  // Each pixel's alpha byte into both of its 16-bit lanes.
  const __m256i alphaSpread = _mm256_setr_epi8(
      3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1,
      3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
  const __m256i a = _mm256_shuffle_epi8(s, alphaSpread);
  const __m256i blueRed = _mm256_add_epi16(
      _mm256_slli_epi16(d, 8),
      _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_and_si256(s, lowBytes),
                                          _mm256_and_si256(d, lowBytes)), a));
  const __m256i greenAlpha = _mm256_add_epi16(
      _mm256_and_si256(d, highBytes),
      _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_srli_epi16(s, 8), _mm256_srli_epi16(d, 8)), a));
  return _mm256_or_si256(_mm256_srli_epi16(blueRed, 8), _mm256_and_si256(greenAlpha, highBytes));
}

// All eight pixels opaque: s - 1 where s > d, else s (see the SSE2 version).
POMARELO_AVX2 inline __m256i BlendEightOpaque(__m256i s, __m256i d) {
  return _mm256_sub_epi8(s, _mm256_min_epu8(_mm256_subs_epu8(s, d), _mm256_set1_epi8(1)));
}

POMARELO_AVX2 inline bool AllOpaque(__m256i s) {
  const __m256i filled = _mm256_or_si256(s, _mm256_set1_epi32(0x00FFFFFF));
  return _mm256_movemask_epi8(_mm256_cmpeq_epi32(filled, _mm256_set1_epi32(-1))) == -1;
}

POMARELO_AVX2 inline __m256i Blend(__m256i s, __m256i d) {
  return AllOpaque(s) ? BlendEightOpaque(s, d) : BlendEight(s, d);
}

POMARELO_AVX2 inline void BlendOne(const uint8_t* s, uint8_t* d) {
  uint32_t sp, dp;
  std::memcpy(&sp, s, 4);
  std::memcpy(&dp, d, 4);
  const __m256i r = BlendEight(_mm256_castsi128_si256(_mm_cvtsi32_si128(static_cast<int>(sp))),
                               _mm256_castsi128_si256(_mm_cvtsi32_si128(static_cast<int>(dp))));
  dp = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(r)));
  std::memcpy(d, &dp, 4);
}

POMARELO_AVX2 void BlendRow(const uint8_t* s, uint8_t* d, int32_t width) {
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x));
    const __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x + 32));
    const __m256i d0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 4 * x));
    const __m256i d1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 4 * x + 32));
    // One test for both vectors: an opaque stretch costs one branch per 16 pixels.
    if (AllOpaque(_mm256_and_si256(s0, s1))) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x), BlendEightOpaque(s0, d0));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x + 32), BlendEightOpaque(s1, d1));
    } else {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x), Blend(s0, d0));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x + 32), Blend(s1, d1));
    }
  }
  if (x + 8 <= width) {
    const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x));
    const __m256i d0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 4 * x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x), Blend(s0, d0));
    x += 8;
  }
  for (; x < width; ++x) BlendOne(s + 4 * x, d + 4 * x);
}

POMARELO_AVX2 POMARELO_REALIGN_STACK
void AlphaBlend32Avx2(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                      int32_t sourcePitch, int32_t destinationPitch, int32_t, void*, intptr_t) {
  for (int32_t y = 0; y < height; ++y) {
    BlendRow(source + static_cast<intptr_t>(y) * sourcePitch,
             destination + static_cast<intptr_t>(y) * destinationPitch, width);
  }
  _mm256_zeroupper();
}

}  // namespace

const PutRoutine kAlphaBlend32Avx2 = AlphaBlend32Avx2;

#else

const PutRoutine kAlphaBlend32Avx2 = nullptr;

#endif
