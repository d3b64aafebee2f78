// Conversion of one reconstructed row to Pixel32, one loop per colour type
// and bit depth. Grey up to 8 bits and palette images go through a table
// of the pixel each sample value becomes.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__)
#include <tmmintrin.h>
#define POMARELO_SSSE3 1
#endif

#include "png/png_rows.h"

namespace png_internal {
namespace {

inline uint32_t Pixel(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
  return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

// Samples below 8 bits, most significant first; only `count` are taken, so
// the spare bits at the end of the row produce nothing.
template <uint32_t Depth>
void ConvertPacked(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t* lookup,
                   const PngContext*) {
  constexpr uint32_t kPerByte = 8 / Depth;
  constexpr uint32_t kMask = (1u << Depth) - 1;
  uint32_t whole = count / kPerByte;
  for (uint32_t i = 0; i < whole; ++i) {
    uint32_t byte = row[i];
    for (uint32_t s = 0; s < kPerByte; ++s) {
      out[s] = lookup[(byte >> (8 - Depth * (s + 1))) & kMask];
    }
    out += kPerByte;
  }
  uint32_t rest = count - whole * kPerByte;
  for (uint32_t s = 0; s < rest; ++s) {
    out[s] = lookup[(row[whole] >> (8 - Depth * (s + 1))) & kMask];
  }
}

void ConvertIndexed8(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t* lookup,
                     const PngContext*) {
  for (uint32_t i = 0; i < count; ++i) out[i] = lookup[row[i]];
}

void ConvertGrey16(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t*,
                   const PngContext* context) {
  const bool keyed = context->hasTransparency;
  const uint32_t key = context->transparentGrey;
  for (uint32_t i = 0; i < count; ++i, row += 2) {
    uint32_t v = (uint32_t(row[0]) << 8) | row[1];
    uint32_t alpha = keyed && v == key ? 0 : 255;
    out[i] = Pixel(alpha, row[0], row[0], row[0]);
  }
}

template <uint32_t SampleBytes>
void ConvertGreyAlpha(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t*,
                      const PngContext*) {
  for (uint32_t i = 0; i < count; ++i, row += 2 * SampleBytes) {
    uint32_t grey = row[0];
    out[i] = Pixel(row[SampleBytes], grey, grey, grey);
  }
}

void ConvertRgb8(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t*,
                 const PngContext* context) {
  // A key of 256 or more can never equal an 8-bit sample; the comparison
  // uses all 16 bits as stored.
  const bool keyed = context->hasTransparency && context->transparentRed < 256 &&
                     context->transparentGreen < 256 && context->transparentBlue < 256;
  const uint32_t key = Pixel(255, context->transparentRed & 0xFF,
                             context->transparentGreen & 0xFF, context->transparentBlue & 0xFF);
  for (uint32_t i = 0; i < count; ++i, row += 3) {
    uint32_t value = Pixel(255, row[0], row[1], row[2]);
    if (keyed && value == key) value &= 0x00FFFFFFu;
    out[i] = value;
  }
}

void ConvertRgb16(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t*,
                  const PngContext* context) {
  const bool keyed = context->hasTransparency;
  for (uint32_t i = 0; i < count; ++i, row += 6) {
    uint32_t value = Pixel(255, row[0], row[2], row[4]);
    if (keyed && ((uint32_t(row[0]) << 8) | row[1]) == context->transparentRed &&
        ((uint32_t(row[2]) << 8) | row[3]) == context->transparentGreen &&
        ((uint32_t(row[4]) << 8) | row[5]) == context->transparentBlue) {
      value &= 0x00FFFFFFu;
    }
    out[i] = value;
  }
}

void ConvertRgba8(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t*,
                  const PngContext*) {
  uint32_t i = 0;
#if defined(__SSE2__)
  // Bytes R, G, B, A become the word 0xAARRGGBB (memory B, G, R, A): red
  // and blue trade places, green and alpha stay.
  const __m128i greenAlpha = _mm_set1_epi32(int32_t(0xFF00FF00u));
  const __m128i lowByte = _mm_set1_epi32(0xFF);
  for (; i + 4 <= count; i += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + size_t(i) * 4));
    __m128i kept = _mm_and_si128(v, greenAlpha);
    __m128i red = _mm_and_si128(v, lowByte);
    __m128i blue = _mm_and_si128(_mm_srli_epi32(v, 16), lowByte);
    __m128i result = _mm_or_si128(kept, _mm_or_si128(_mm_slli_epi32(red, 16), blue));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), result);
  }
#endif
  for (; i < count; ++i) {
    const uint8_t* p = row + size_t(i) * 4;
    out[i] = Pixel(p[3], p[0], p[1], p[2]);
  }
}

#if defined(POMARELO_SSSE3)
// The same with one byte shuffle for four pixels, where the processor has
// SSSE3 (chosen at run time: the Windows build assumes only SSE2).
__attribute__((target("ssse3"))) void ConvertRgba8Ssse3(const uint8_t* row, uint32_t count,
                                                         uint32_t* out, const uint32_t* lookup,
                                                         const PngContext* context) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
  uint32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + size_t(i) * 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_shuffle_epi8(v, order));
  }
  if (i < count) ConvertRgba8(row + size_t(i) * 4, count - i, out + i, lookup, context);
}

bool HasSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}
#endif

ConvertRowRoutine Rgba8Converter() {
#if defined(POMARELO_SSSE3)
  static const bool ssse3 = HasSsse3();
  if (ssse3) return ConvertRgba8Ssse3;
#endif
  return ConvertRgba8;
}

void ConvertRgba16(const uint8_t* row, uint32_t count, uint32_t* out, const uint32_t*,
                   const PngContext*) {
  for (uint32_t i = 0; i < count; ++i, row += 8) out[i] = Pixel(row[6], row[0], row[2], row[4]);
}

void FillLookup(const PngContext* context, uint32_t* lookup) {
  const uint32_t depth = context->bitDepth;
  const uint32_t values = 1u << (depth < 8 ? depth : 8);
  for (uint32_t v = 0; v < 256; ++v) {
    if (v >= values) {
      lookup[v] = 0;
    } else if (context->colourType == 3) {
      const uint8_t* rgb = context->palette[v];
      uint32_t alpha = context->hasTransparency ? context->paletteAlpha[v] : 255;
      lookup[v] = Pixel(alpha, rgb[0], rgb[1], rgb[2]);
    } else {
      uint32_t alpha = context->hasTransparency && v == context->transparentGrey ? 0 : 255;
      uint32_t grey = v * (255 / (values - 1));
      lookup[v] = Pixel(alpha, grey, grey, grey);
    }
  }
}

}  // namespace

void PrepareConverter(const PngContext* context, RowConverter* converter) {
  const bool wide = context->bitDepth == 16;
  switch (context->colourType) {
    case 0:
    case 3:
      if (wide) {
        converter->convert = ConvertGrey16;
        return;
      }
      FillLookup(context, converter->lookup);
      switch (context->bitDepth) {
        case 1: converter->convert = ConvertPacked<1>; return;
        case 2: converter->convert = ConvertPacked<2>; return;
        case 4: converter->convert = ConvertPacked<4>; return;
        default: converter->convert = ConvertIndexed8; return;
      }
    case 2: converter->convert = wide ? ConvertRgb16 : ConvertRgb8; return;
    case 4: converter->convert = wide ? ConvertGreyAlpha<2> : ConvertGreyAlpha<1>; return;
    default: converter->convert = wide ? ConvertRgba16 : Rgba8Converter(); return;
  }
}

void SwapRedBlue(uint32_t* pixels, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t p = pixels[i];
    pixels[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
  }
}

}  // namespace png_internal
