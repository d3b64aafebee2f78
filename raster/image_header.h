// The layout of an ImageBuffer: one heap block, a 32-byte header followed by
// the pixel rows. Shared by the raster library and the PNG decoder.
#pragma once

#include <cstdint>

constexpr uint32_t kImageHeaderType = 7;
constexpr uint32_t kImageHeaderSize = 32;
constexpr uint32_t kShortHeaderSize = 4;

struct ImageHeader {
  uint32_t type;           // kImageHeaderType
  uint32_t bytesPerPixel;  // 1, 2 or 4
  uint32_t width;          // pixels per row, at least 1
  uint32_t height;         // rows, at least 1
  uint32_t pitch;          // bytes from one row start to the next
  uint32_t reserved0;
  uint32_t reserved1[2];
};
static_assert(sizeof(ImageHeader) == kImageHeaderSize, "ImageHeader is 32 bytes");

// The largest pixel area (pitch x height) of an image that either writer
// makes: 256 MiB, an 8192 x 8192 picture at 4 bytes a pixel, twice an 8K
// screen. Larger requests are refused before anything is allocated, so a
// small input can never ask for gigabytes.
constexpr uint64_t kMaxImagePixelBytes = uint64_t(1) << 28;

// The older 4-byte form, recognised by a first 32-bit word other than 7:
// bits 0-2 bytes per pixel (0: the target's), bits 3-15 width, then height.
struct ShortImageHeader {
  uint16_t bppAndWidth;
  uint16_t height;
};
static_assert(sizeof(ShortImageHeader) == kShortHeaderSize, "short header is 4 bytes");

// An image block: a header, then the pixel rows. Declared and never defined,
// so the compiler tells an image apart from any other pointer.
struct ImageBuffer;
inline const ImageHeader* HeaderOf(const ImageBuffer* image) {
  return reinterpret_cast<const ImageHeader*>(image);
}
inline ImageHeader* HeaderOf(ImageBuffer* image) { return reinterpret_cast<ImageHeader*>(image); }
