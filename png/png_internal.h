// What the decoder's stages share: the pass table and the output layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "png/png.h"

namespace png_internal {

struct Pass {
  uint32_t startRow;
  uint32_t startColumn;
  uint32_t rowStep;
  uint32_t columnStep;
};

// Pass p (1-based) of the context's image, or null when p is out of range.
const Pass* PassOf(const PngContext* context, int pass);
uint32_t PassWidth(const PngContext* context, const Pass& pass);
uint32_t PassRows(const PngContext* context, const Pass& pass);

// Where the pixels of one output block go.
struct OutputLayout {
  size_t blockSize;
  size_t headerSize;
  size_t pitch;  // bytes from one row to the next, in image row order
  bool bottomUp;
  bool swapRedBlue;  // memory order R, G, B, A instead of B, G, R, A
  PngStorePixelRoutine store;
};

// False for an unknown target or sizes that can't be represented (every
// size is kept below 2^32 and below what the address space can hold) or
// exceed the raster library's image limit (kMaxImagePixelBytes).
bool LayoutFor(const PngContext* context, int32_t target, OutputLayout* layout);
// Allocates the block (zero-filled or not) and writes its header; the rest
// is left for the build to write. Null on failure.
uint8_t* AllocateOutput(const PngContext* context, const OutputLayout& layout, bool zeroFill);
void WriteOutputHeader(const PngContext* context, const OutputLayout& layout, uint8_t* block);
inline uint8_t* OutputRow(uint8_t* block, const OutputLayout& layout, uint32_t height,
                          uint32_t y) {
  size_t row = layout.bottomUp ? height - 1 - y : y;
  return block + layout.headerSize + row * layout.pitch;
}

// True when rawSize bytes can be allocated and can come out of
// compressedSize bytes of zlib data at all.
bool InflationPossible(uint64_t rawSize, uint64_t compressedSize);

// Every step of PngParse but the inflation: `data` holds the joined IDAT
// data afterwards and `ready` stays clear.
bool ParseLeavingImageDataDeflated(PngContext* context);
// Inflates and builds the image for target in one go, choosing the way that
// needs the least memory; the result is the block PngInflate followed by
// PngBuildImage gives.
void* InflateAndBuild(PngContext* context, int32_t target);

// The header table: colour type and bit depth pairs, methods, non-zero size.
bool HeaderValuesAllowed(const PngContext& context);
// Bytes of one complete pixel (1 for samples below 8 bits).
uint32_t BytesPerPixelOf(const PngContext& context);

// The parse has produced exactly the raw data the header describes.
bool RawDataMatchesHeader(const PngContext* context);

}  // namespace png_internal
