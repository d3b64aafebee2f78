// The byte- and pixel-at-a-time routines that define reconstruction,
// conversion and storing, and the image build made of them alone. The fast
// build (png_build.cpp) must give the same blocks.
#include <cstdlib>
#include <cstring>

#include "png/png.h"
#include "png/png_internal.h"
#include "raster/image_header.h"

using namespace png_internal;

namespace {

int PaethPredictor(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a);
  int pb = std::abs(p - b);
  int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  if (pb <= pc) return b;
  return c;
}

void StoreWord(uint8_t* at, uint32_t value) { std::memcpy(at, &value, 4); }

uint32_t Pixel(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
  return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

}  // namespace

bool PngUnfilterByte(uint8_t* byte, uint32_t filterType, uint32_t k, uint32_t rowIndex,
                     uint32_t rowBytes, uint32_t bytesPerPixel) {
  bool hasLeft = k >= bytesPerPixel;
  bool hasUp = rowIndex > 0;
  int a = hasLeft ? byte[-ptrdiff_t(bytesPerPixel)] : 0;
  int b = hasUp ? byte[-ptrdiff_t(rowBytes)] : 0;
  int c = hasLeft && hasUp ? byte[-ptrdiff_t(rowBytes) - ptrdiff_t(bytesPerPixel)] : 0;
  int add;
  switch (filterType) {
    case 0: add = 0; break;
    case 1: add = a; break;
    case 2: add = b; break;
    case 3: add = (a + b) / 2; break;
    case 4: add = PaethPredictor(a, b, c); break;
    default: return false;
  }
  *byte = uint8_t(*byte + add);
  return true;
}

void PngStorePixelShortHeader(void* output, uint32_t x, uint32_t y, uint32_t pixel,
                              uint32_t width, uint32_t /*height*/) {
  uint8_t* block = static_cast<uint8_t*>(output);
  StoreWord(block + kShortHeaderSize + (size_t(y) * width + x) * 4, pixel);
}

void PngStorePixelImage(void* output, uint32_t x, uint32_t y, uint32_t pixel, uint32_t width,
                        uint32_t /*height*/) {
  size_t pitch = (size_t(width) * 4 + 31) & ~size_t(31);
  uint8_t* block = static_cast<uint8_t*>(output);
  StoreWord(block + kImageHeaderSize + size_t(y) * pitch + size_t(x) * 4, pixel);
}

void PngStorePixelRgbaBottomUp(void* output, uint32_t x, uint32_t y, uint32_t pixel,
                               uint32_t width, uint32_t height) {
  uint32_t swapped = (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
  uint8_t* block = static_cast<uint8_t*>(output);
  StoreWord(block + ((size_t(height) - 1 - y) * width + x) * 4, swapped);
}

void PngConvertPixel(const PngContext* context, void* output, const uint8_t* pixelBytes,
                     PngStorePixelRoutine store, uint32_t* x, uint32_t y, uint32_t columnStep) {
  const uint8_t* p = pixelBytes;
  const uint32_t depth = context->bitDepth;
  const bool keyed = context->hasTransparency;
  uint32_t value = 0;
  switch (context->colourType) {
    case 0:
    case 3:
      if (depth == 16) {
        uint32_t v = (uint32_t(p[0]) << 8) | p[1];
        uint32_t alpha = keyed && v == context->transparentGrey ? 0 : 255;
        value = Pixel(alpha, p[0], p[0], p[0]);
        break;
      }
      // One byte holds 8 / depth samples, the most significant bits first;
      // those past the end of the row are spare bits and are not stored.
      for (uint32_t shift = 8; shift >= depth; shift -= depth) {
        uint32_t v = (p[0] >> (shift - depth)) & ((1u << depth) - 1);
        uint32_t pixel;
        if (context->colourType == 0) {
          uint32_t alpha = keyed && v == context->transparentGrey ? 0 : 255;
          uint32_t grey = v * (255 / ((1u << depth) - 1));
          pixel = Pixel(alpha, grey, grey, grey);
        } else {
          const uint8_t* rgb = context->palette[v];
          pixel = Pixel(keyed ? context->paletteAlpha[v] : 255, rgb[0], rgb[1], rgb[2]);
        }
        if (*x < context->width) store(output, *x, y, pixel, context->width, context->height);
        *x += columnStep;
        if (shift == depth) break;
      }
      return;
    case 4:
      value = depth == 16 ? Pixel(p[2], p[0], p[0], p[0]) : Pixel(p[1], p[0], p[0], p[0]);
      break;
    case 2: {
      uint32_t r, g, b;
      if (depth == 16) {
        r = (uint32_t(p[0]) << 8) | p[1];
        g = (uint32_t(p[2]) << 8) | p[3];
        b = (uint32_t(p[4]) << 8) | p[5];
        value = Pixel(255, p[0], p[2], p[4]);
      } else {
        r = p[0];
        g = p[1];
        b = p[2];
        value = Pixel(255, r, g, b);
      }
      if (keyed && r == context->transparentRed && g == context->transparentGreen &&
          b == context->transparentBlue) {
        value &= 0x00FFFFFFu;
      }
      break;
    }
    case 6:
      value = depth == 16 ? Pixel(p[6], p[0], p[2], p[4]) : Pixel(p[3], p[0], p[1], p[2]);
      break;
    default:
      return;
  }
  if (*x < context->width) store(output, *x, y, value, context->width, context->height);
  *x += columnStep;
}

void* PngBuildImageBytewise(PngContext* context, int32_t target) {
  if (!context->ready || !RawDataMatchesHeader(context)) return nullptr;
  OutputLayout layout;
  if (!LayoutFor(context, target, &layout)) return nullptr;
  uint8_t* work = static_cast<uint8_t*>(std::calloc(context->dataSize, 1));
  if (!work) return nullptr;
  std::memcpy(work, context->data, context->dataSize);
  uint8_t* output = AllocateOutput(context, layout, true);
  if (!output) {
    std::free(work);
    return nullptr;
  }
  const uint32_t bpp = context->bytesPerPixel;
  size_t offset = 0;
  uint32_t byteCounter = 0;
  for (int pass = 1; pass <= kPngPassCount; ++pass) {
    const Pass* geometry = PassOf(context, pass);
    if (!geometry) break;
    uint32_t rowBytes = uint32_t(PngRowBytes(context, pass));
    if (rowBytes == 0) continue;
    uint32_t rows = PassRows(context, *geometry);
    for (uint32_t i = 0; i < rows; ++i) {
      uint32_t y = geometry->startRow + i * geometry->rowStep;
      uint32_t x = geometry->startColumn;
      uint32_t filterType = work[offset++];
      for (uint32_t k = 0; k + 1 < rowBytes; ++k, ++offset) {
        // The filter-type byte of each row sits between two rows' data, so
        // "the byte above" is rowBytes back, the same for every row.
        if (!PngUnfilterByte(work + offset, filterType, k, i, rowBytes, bpp)) {
          std::free(work);
          std::free(output);
          return nullptr;
        }
        if (++byteCounter == bpp) {
          byteCounter = 0;
          PngConvertPixel(context, output, work + offset + 1 - bpp, layout.store, &x, y,
                          geometry->columnStep);
        }
      }
    }
  }
  std::free(work);
  return output;
}
