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

POMARELO_AVX2 inline __m256i BlendHalf(__m256i s, __m256i d) {
  const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
  const __m256i sum =
      _mm256_add_epi16(_mm256_slli_epi16(d, 8), _mm256_mullo_epi16(_mm256_sub_epi16(s, d), a));
  return _mm256_srli_epi16(sum, 8);
}

// Unpacking and packing both work within 128-bit halves, so the pixel
// order comes out as it went in.
POMARELO_AVX2 inline __m256i BlendEight(__m256i s, __m256i d) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = BlendHalf(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero));
  const __m256i high = BlendHalf(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero));
  return _mm256_packus_epi16(low, high);
}

POMARELO_AVX2 inline __m128i BlendHalf128(__m128i s, __m128i d) {
  const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
  const __m128i sum = _mm_add_epi16(_mm_slli_epi16(d, 8), _mm_mullo_epi16(_mm_sub_epi16(s, d), a));
  return _mm_srli_epi16(sum, 8);
}

POMARELO_AVX2 inline void BlendOne(const uint8_t* s, uint8_t* d) {
  uint32_t sp, dp;
  std::memcpy(&sp, s, 4);
  std::memcpy(&dp, d, 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i r = BlendHalf128(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(sp)), zero),
                                 _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(dp)), zero));
  dp = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(r, r)));
  std::memcpy(d, &dp, 4);
}

POMARELO_AVX2 void BlendRow(const uint8_t* s, uint8_t* d, int32_t width) {
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x));
    const __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x + 32));
    const __m256i d0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 4 * x));
    const __m256i d1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 4 * x + 32));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x), BlendEight(s0, d0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x + 32), BlendEight(s1, d1));
  }
  if (x + 8 <= width) {
    const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x));
    const __m256i d0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 4 * x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x), BlendEight(s0, d0));
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
