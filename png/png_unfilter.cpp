// Reconstruction of one filtered row. The portable loops are the reference;
// the SSE2 loops (every x86 processor this program runs on has SSE2) give
// identical bytes and are checked against them.
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "png/png_rows.h"

namespace png_internal {
namespace {

inline uint8_t PaethAdd(uint8_t x, int a, int b, int c) {
  int pa = std::abs(b - c);
  int pb = std::abs(a - c);
  int pc = std::abs(a + b - 2 * c);
  int predicted = pb < pa ? b : a;
  int smallest = pb < pa ? pb : pa;
  if (pc < smallest) predicted = c;
  return uint8_t(x + predicted);
}

// Continues a row from byte `from` with the portable formulas. The rows
// have their zero pad in front, so the bytes bpp to the left exist.
void UnfilterTail(uint32_t filterType, const uint8_t* src, uint8_t* dst, const uint8_t* prev,
                  size_t from, size_t n, uint32_t bpp) {
  const uint8_t* left = dst - bpp;
  const uint8_t* upLeft = prev - bpp;
  switch (filterType) {
    case 0:
      if (n > from) std::memcpy(dst + from, src + from, n - from);
      break;
    case 1:
      for (size_t i = from; i < n; ++i) dst[i] = uint8_t(src[i] + left[i]);
      break;
    case 2:
      for (size_t i = from; i < n; ++i) dst[i] = uint8_t(src[i] + prev[i]);
      break;
    case 3:
      for (size_t i = from; i < n; ++i) dst[i] = uint8_t(src[i] + ((left[i] + prev[i]) >> 1));
      break;
    case 4:
      for (size_t i = from; i < n; ++i) dst[i] = PaethAdd(src[i], left[i], prev[i], upLeft[i]);
      break;
  }
}

#if defined(__SSE2__)

inline __m128i Load32(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtsi32_si128(v);
}
inline void Store32(uint8_t* p, __m128i v) {
  int32_t w = _mm_cvtsi128_si32(v);
  std::memcpy(p, &w, 4);
}

// Pixels of 3 or 4 bytes go through the low 32 bits of a register, pixels
// of 6 or 8 bytes through the low 64. Lanes past the pixel's own bytes
// carry values that are overwritten by the next pixel or the tail.
template <uint32_t B>
struct PixelLanes {
  static constexpr size_t kWidth = B <= 4 ? 4 : 8;
  static __m128i Load(const uint8_t* p) {
    if constexpr (kWidth == 4) return Load32(p);
    else return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  }
  static void Store(uint8_t* p, __m128i v) {
    if constexpr (kWidth == 4) Store32(p, v);
    else _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  }
};

void UpSse2(const uint8_t* src, uint8_t* dst, const uint8_t* prev, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_add_epi8(x, b));
  }
  for (; i < n; ++i) dst[i] = uint8_t(src[i] + prev[i]);
}

// One Sub block of 16 bytes of 4- or 8-byte pixels: a running sum over the
// block, then the pixel before it (repeated in carry) added to all.
template <uint32_t B>
inline __m128i SubBlockSse2(__m128i x, __m128i carry) {
  if constexpr (B == 4) x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
  x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
  return _mm_add_epi8(x, carry);
}

template <uint32_t B>
size_t SubBlocksSse2(const uint8_t* src, uint8_t* dst, size_t n) {
  __m128i carry = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i x = SubBlockSse2<B>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), carry);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), x);
    if constexpr (B == 4) carry = _mm_shuffle_epi32(x, 0xFF);
    else carry = _mm_unpackhi_epi64(x, x);
  }
  return i;
}

template <uint32_t B>
size_t SubPixelsSse2(const uint8_t* src, uint8_t* dst, size_t n) {
  using L = PixelLanes<B>;
  __m128i a = _mm_setzero_si128();
  size_t i = 0;
  for (; i + L::kWidth <= n; i += B) {
    a = _mm_add_epi8(a, L::Load(src + i));
    L::Store(dst + i, a);
  }
  return i;
}

template <uint32_t B>
size_t AverageSse2(const uint8_t* src, uint8_t* dst, const uint8_t* prev, size_t n) {
  using L = PixelLanes<B>;
  const __m128i one = _mm_set1_epi8(1);
  __m128i a = _mm_setzero_si128();
  size_t i = 0;
  for (; i + L::kWidth <= n; i += B) {
    __m128i b = L::Load(prev + i);
    // pavgb rounds up; taking away the lost low bit gives (a + b) div 2.
    __m128i average = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    a = _mm_add_epi8(average, L::Load(src + i));
    L::Store(dst + i, a);
  }
  return i;
}

// One Paeth pixel at byte `at`; a (the pixel to the left) and c (the one
// above it) are carried in 16-bit lanes from pixel to pixel.
template <uint32_t B>
inline void PaethPixelSse2(const uint8_t* src, uint8_t* dst, const uint8_t* prev, size_t at,
                           __m128i& a, __m128i& c) {
  using L = PixelLanes<B>;
  const __m128i zero = _mm_setzero_si128();
  __m128i b = _mm_unpacklo_epi8(L::Load(prev + at), zero);
  __m128i x = _mm_unpacklo_epi8(L::Load(src + at), zero);
  __m128i towardB = _mm_sub_epi16(b, c);  // p - a
  __m128i towardA = _mm_sub_epi16(a, c);  // p - b
  __m128i sum = _mm_add_epi16(towardA, towardB);  // p - c
  __m128i pa = _mm_max_epi16(towardB, _mm_sub_epi16(zero, towardB));
  __m128i pb = _mm_max_epi16(towardA, _mm_sub_epi16(zero, towardA));
  __m128i pc = _mm_max_epi16(sum, _mm_sub_epi16(zero, sum));
  // b where pb < pa, then c where pc is below both; ties keep a, then b.
  __m128i takeB = _mm_cmpgt_epi16(pa, pb);
  __m128i predicted = _mm_xor_si128(a, _mm_and_si128(takeB, _mm_xor_si128(a, b)));
  __m128i takeC = _mm_cmpgt_epi16(_mm_min_epi16(pa, pb), pc);
  predicted = _mm_xor_si128(predicted, _mm_and_si128(takeC, _mm_xor_si128(predicted, c)));
  a = _mm_and_si128(_mm_add_epi16(predicted, x), _mm_set1_epi16(0xFF));
  L::Store(dst + at, _mm_packus_epi16(a, a));
  c = b;
}

template <uint32_t B>
size_t PaethSse2(const uint8_t* src, uint8_t* dst, const uint8_t* prev, size_t n) {
  __m128i a = _mm_setzero_si128();
  __m128i c = _mm_setzero_si128();
  size_t i = 0;
  for (; i + PixelLanes<B>::kWidth <= n; i += B) PaethPixelSse2<B>(src, dst, prev, i, a, c);
  return i;
}

// Paeth for 4- and 8-byte pixels. Where the row above repeats its pixel (b equals c) pa is
// 0 and the predictor is a, so a 16-byte block under a flat one is a Sub block: plain or
// transparent backgrounds go at Sub's speed. Other blocks take the pixel loop.
template <uint32_t B>
size_t PaethFlatSse2(const uint8_t* src, uint8_t* dst, const uint8_t* prev, size_t n) {
  static_assert(B == 4 || B == 8, "whole pixels in 16 bytes");
  using L = PixelLanes<B>;
  const __m128i zero = _mm_setzero_si128();
  __m128i a = zero;  // 16-bit lanes
  __m128i c = zero;  // c is prev[i - B]: the zero pad in front of the first pixel
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
    __m128i upLeft = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i - B));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(up, upLeft)) != 0xFFFF) {
      for (size_t k = 0; k < 16; k += B) PaethPixelSse2<B>(src, dst, prev, i + k, a, c);
      continue;
    }
    __m128i packed = _mm_packus_epi16(a, a);
    __m128i carry = B == 4 ? _mm_shuffle_epi32(packed, 0) : _mm_unpacklo_epi64(packed, packed);
    __m128i x = SubBlockSse2<B>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), carry);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), x);
    a = _mm_unpacklo_epi8(_mm_srli_si128(x, 16 - B), zero);
    c = _mm_unpacklo_epi8(_mm_srli_si128(up, 16 - B), zero);
  }
  for (; i + L::kWidth <= n; i += B) PaethPixelSse2<B>(src, dst, prev, i, a, c);
  return i;
}

template <uint32_t B>
size_t UnfilterSse2(uint32_t filterType, const uint8_t* src, uint8_t* dst, const uint8_t* prev,
                    size_t n) {
  switch (filterType) {
    case 1:
      if constexpr (B == 4 || B == 8) return SubBlocksSse2<B>(src, dst, n);
      else return SubPixelsSse2<B>(src, dst, n);
    case 3:
      return AverageSse2<B>(src, dst, prev, n);
    case 4:
      if constexpr (B == 4 || B == 8) return PaethFlatSse2<B>(src, dst, prev, n);
      else return PaethSse2<B>(src, dst, prev, n);
  }
  return 0;
}

#endif  // __SSE2__

}  // namespace

void UnfilterRowPortable(uint32_t filterType, const uint8_t* src, uint8_t* dst,
                         const uint8_t* prev, size_t n, uint32_t bytesPerPixel) {
  UnfilterTail(filterType, src, dst, prev, 0, n, bytesPerPixel);
}

void UnfilterRow(uint32_t filterType, const uint8_t* src, uint8_t* dst, const uint8_t* prev,
                 size_t n, uint32_t bytesPerPixel) {
  size_t done = 0;
#if defined(__SSE2__)
  if (filterType == 2) {
    UpSse2(src, dst, prev, n);
    return;
  }
  if (filterType != 0) {
    switch (bytesPerPixel) {
      case 3: done = UnfilterSse2<3>(filterType, src, dst, prev, n); break;
      case 4: done = UnfilterSse2<4>(filterType, src, dst, prev, n); break;
      case 6: done = UnfilterSse2<6>(filterType, src, dst, prev, n); break;
      case 8: done = UnfilterSse2<8>(filterType, src, dst, prev, n); break;
    }
  }
#endif
  UnfilterTail(filterType, src, dst, prev, done, n, bytesPerPixel);
}

}  // namespace png_internal
