// Whole-row routines of the fast image build: reconstruction of one
// filtered row and conversion of one reconstructed row to Pixel32. Each
// gives exactly what PngUnfilterByte and PngConvertPixel give byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "png/png.h"

namespace png_internal {

// Row buffers keep this many zero bytes in front of their first byte, so
// that "the byte bytesPerPixel to the left" of the first pixel reads 0.
constexpr size_t kRowPad = 16;

// dst[i] = src[i] + predictor(dst[i - bpp], prev[i], prev[i - bpp]) for i < n.
// filterType must be 0 to 4; prev is an all-zero row for the first row of a
// pass; dst and prev have kRowPad zero bytes in front; bpp is 1 to 8.
void UnfilterRow(uint32_t filterType, const uint8_t* src, uint8_t* dst, const uint8_t* prev,
                 size_t n, uint32_t bytesPerPixel);

// The same, with the portable loops only (the reference for any SIMD path).
void UnfilterRowPortable(uint32_t filterType, const uint8_t* src, uint8_t* dst,
                         const uint8_t* prev, size_t n, uint32_t bytesPerPixel);

// Converts the `count` pixels of a reconstructed row to 0xAARRGGBB values.
using ConvertRowRoutine = void (*)(const uint8_t* row, uint32_t count, uint32_t* out,
                                   const uint32_t* lookup, const PngContext* context);

struct RowConverter {
  ConvertRowRoutine convert;
  uint32_t lookup[256];  // index or sample value to pixel, for the types that use it
};

void PrepareConverter(const PngContext* context, RowConverter* converter);

// 0xAARRGGBB to 0xAABBGGRR for count pixels, in place.
void SwapRedBlue(uint32_t* pixels, uint32_t count);

}  // namespace png_internal
