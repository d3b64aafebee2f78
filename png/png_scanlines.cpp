// Scanline geometry (passes, row bytes, raw size), the inflation of the
// gathered image data and the layout of the three output forms.
#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "png/png.h"
#include "png/png_internal.h"
#include "raster/image_header.h"

namespace png_internal {

const Pass kAdam7[kPngPassCount] = {
    {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
    {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1},
};
const Pass kWholeImage = {0, 0, 1, 1};

// Deflate emits at least two bits (a length and a distance code) per copy of at most 258
// bytes, so a byte of zlib data inflates to at most 258 * 4 = 1032. The slack only keeps
// the bound generous for tiny streams; it never admits a large buffer.
constexpr uint64_t kMaxInflationRatio = 1032;
constexpr uint64_t kInflationSlack = 1032;

bool InflationPossible(uint64_t rawSize, uint64_t compressedSize) {
  // One byte of room is added to tell a stream that runs long; the whole
  // buffer must stay addressable and its size a 32-bit value.
  if (rawSize >= UINT32_MAX || rawSize >= SIZE_MAX) return false;
  return rawSize <= compressedSize * kMaxInflationRatio + kInflationSlack;
}

const Pass* PassOf(const PngContext* context, int pass) {
  if (pass < 1 || pass > kPngPassCount) return nullptr;
  if (context->interlaceMethod == 1) return &kAdam7[pass - 1];
  return pass == 1 ? &kWholeImage : nullptr;
}

uint32_t PassWidth(const PngContext* context, const Pass& pass) {
  if (context->width <= pass.startColumn) return 0;
  return uint32_t((uint64_t(context->width) + pass.columnStep - pass.startColumn - 1) /
                  pass.columnStep);
}

uint32_t PassRows(const PngContext* context, const Pass& pass) {
  if (context->height <= pass.startRow) return 0;
  return uint32_t((uint64_t(context->height) + pass.rowStep - pass.startRow - 1) / pass.rowStep);
}

static uint32_t SamplesPerPixel(uint8_t colourType) {
  switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

bool HeaderValuesAllowed(const PngContext& c) {
  if (c.width == 0 || c.height == 0) return false;
  bool depthAllowed = false;
  switch (c.colourType) {
    case 0:
      depthAllowed = c.bitDepth == 1 || c.bitDepth == 2 || c.bitDepth == 4 || c.bitDepth == 8 ||
                     c.bitDepth == 16;
      break;
    case 3:
      depthAllowed = c.bitDepth == 1 || c.bitDepth == 2 || c.bitDepth == 4 || c.bitDepth == 8;
      break;
    case 2:
    case 4:
    case 6:
      depthAllowed = c.bitDepth == 8 || c.bitDepth == 16;
      break;
    default:
      return false;
  }
  return depthAllowed && c.compressionMethod == 0 && c.filterMethod == 0 &&
         c.interlaceMethod <= 1;
}

uint32_t BytesPerPixelOf(const PngContext& context) {
  uint32_t perSample = context.bitDepth >= 8 ? context.bitDepth / 8u : 1u;
  return perSample * SamplesPerPixel(context.colourType);
}

bool RawDataMatchesHeader(const PngContext* context) {
  // Also guards the build against a context filled in by hand: the row
  // loops rely on a valid header and its bytes per pixel.
  return context->data && HeaderValuesAllowed(*context) &&
         context->bytesPerPixel == BytesPerPixelOf(*context) &&
         uint64_t(context->dataSize) == PngRawSize(context);
}

bool LayoutFor(const PngContext* context, int32_t target, OutputLayout* layout) {
  uint64_t width = context->width;
  uint64_t height = context->height;
  uint64_t rowBytes = width * 4;
  OutputLayout result = {};
  switch (target) {
    case PngTarget::ShortHeaderImage:
      // The header keeps the width in 13 bits and the height in 16.
      if (width >= 8192 || height >= 65536) return false;
      result.headerSize = kShortHeaderSize;
      result.store = PngStorePixelShortHeader;
      break;
    case PngTarget::Image:
      result.headerSize = kImageHeaderSize;
      rowBytes = (rowBytes + 31) & ~uint64_t(31);
      result.store = PngStorePixelImage;
      break;
    case PngTarget::RgbaBottomUp:
      result.bottomUp = true;
      result.swapRedBlue = true;
      result.store = PngStorePixelRgbaBottomUp;
      break;
    default:
      return false;
  }
  // The raster library's limit holds for every form: a 1-bit image's output is 32 times its
  // raw data, so a stream of about 130 KB could otherwise ask for 4 GiB.
  if (rowBytes * height > kMaxImagePixelBytes) return false;
  uint64_t blockSize = result.headerSize + rowBytes * height;
  if (rowBytes > UINT32_MAX || blockSize > UINT32_MAX || blockSize > SIZE_MAX) return false;
  result.pitch = size_t(rowBytes);
  result.blockSize = size_t(blockSize);
  *layout = result;
  return true;
}

void WriteOutputHeader(const PngContext* context, const OutputLayout& layout, uint8_t* block) {
  uint32_t width = context->width;
  uint32_t height = context->height;
  if (layout.headerSize == kImageHeaderSize) {
    ImageHeader header = {kImageHeaderType, 4, width, height, uint32_t(layout.pitch), 0, {0, 0}};
    std::memcpy(block, &header, sizeof header);
  } else if (layout.headerSize == kShortHeaderSize) {
    ShortImageHeader header = {uint16_t(4 | (width << 3)), uint16_t(height)};
    std::memcpy(block, &header, sizeof header);
  }
}

uint8_t* AllocateOutput(const PngContext* context, const OutputLayout& layout, bool zeroFill) {
  void* memory = zeroFill ? std::calloc(layout.blockSize, 1) : std::malloc(layout.blockSize);
  uint8_t* block = static_cast<uint8_t*>(memory);
  if (block) WriteOutputHeader(context, layout, block);
  return block;
}

}  // namespace png_internal

using namespace png_internal;

uint64_t PngRowBytes(const PngContext* context, int pass) {
  const Pass* geometry = PassOf(context, pass);
  if (!geometry) return 0;
  uint64_t width = PassWidth(context, *geometry);
  if (width == 0) return 0;
  return 1 + (width * context->bitDepth + 7) / 8 * SamplesPerPixel(context->colourType);
}

uint64_t PngRawSize(const PngContext* context) {
  // Row bytes reach 2^35 and rows 2^32, so a pass can exceed 2^64: such a size, or a sum
  // past it, is reported as UINT64_MAX, which no buffer can have, instead of wrapping.
  uint64_t total = 0;
  for (int pass = 1; pass <= kPngPassCount; ++pass) {
    const Pass* geometry = PassOf(context, pass);
    if (!geometry) break;
    uint64_t rows = PassRows(context, *geometry);
    uint64_t rowBytes = PngRowBytes(context, pass);
    if (rowBytes != 0 && rows > (UINT64_MAX - total) / rowBytes) return UINT64_MAX;
    total += rows * rowBytes;
  }
  return total;
}

bool PngInflate(PngContext* context) {
  uint8_t* gathered = context->data;
  uLong gatheredSize = context->dataSize;
  context->data = nullptr;
  context->dataSize = 0;
  uint64_t expected = PngRawSize(context);
  uint8_t* raw = nullptr;
  uLongf produced = 0;
  bool inflated = false;
  if (gathered && InflationPossible(expected, gatheredSize)) {
    // One byte of room beyond the expected size is enough to tell a stream
    // that runs long (zlib then reports a full buffer or a longer length);
    // uncompress writes every byte that is later read, so no zero fill.
    uLongf capacity = uLongf(expected + 1);
    raw = static_cast<uint8_t*>(std::malloc(size_t(capacity)));
    if (raw) {
      produced = capacity;
      inflated = uncompress(raw, &produced, gathered, gatheredSize) == Z_OK && produced == expected;
    }
  }
  std::free(gathered);
  if (!inflated) {
    std::free(raw);
    return false;
  }
  context->data = raw;
  context->dataSize = uint32_t(produced);
  return true;
}
