// The image build: reconstructs the raw data a row at a time into two small row buffers,
// so the whole image is never copied, and converts each row straight into the output.
// For top-down images without interlace the decode entry inflates into the output block
// itself, placed so that writing image row y never reaches raw row y + 1, and converts in
// place: one block instead of two halves the memory the decode touches.
#include <climits>
#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "png/png.h"
#include "png/png_internal.h"
#include "png/png_rows.h"

using namespace png_internal;

namespace {

struct BuildState {
  const PngContext* context;
  OutputLayout layout;
  uint8_t* output;
  uint8_t* rowMemory;  // zero row, two reconstruction rows, the pixel row
  uint8_t* zeroRow;
  uint8_t* rows[2];
  uint32_t* pixels;  // one converted row of an interlaced pass
  RowConverter converter;
};

void ReleaseRows(BuildState* state) {
  std::free(state->rowMemory);
  state->rowMemory = nullptr;
}

// The largest row of any pass, with room for the zero pad in front. The
// sizes are summed in 64 bits: on a 32-bit machine three rows of a very
// wide image must not wrap around to a small block.
bool AllocateRows(BuildState* state, size_t maxDataBytes, uint32_t maxPassWidth, bool interlaced) {
  uint64_t rowSize = kRowPad + ((uint64_t(maxDataBytes) + 15) & ~uint64_t(15)) + 16;
  uint64_t pixelBytes = interlaced ? (uint64_t(maxPassWidth) * 4 + 15) & ~uint64_t(15) : 0;
  uint64_t total = 3 * rowSize + pixelBytes + 16;
  if (total > SIZE_MAX) return false;
  // Zero-filled: the pads and the zero row must read 0.
  state->rowMemory = static_cast<uint8_t*>(std::calloc(size_t(total), 1));
  if (!state->rowMemory) return false;
  state->zeroRow = state->rowMemory + kRowPad;
  state->rows[0] = state->zeroRow + size_t(rowSize);
  state->rows[1] = state->rows[0] + size_t(rowSize);
  uintptr_t pixelStart =
      reinterpret_cast<uintptr_t>(state->rowMemory + 3 * size_t(rowSize) + 15) & ~uintptr_t(15);
  state->pixels = reinterpret_cast<uint32_t*>(pixelStart);
  return true;
}

void StoreRow(BuildState* state, const uint8_t* row, uint32_t y, uint32_t count,
              const Pass& pass) {
  const PngContext* context = state->context;
  uint8_t* rowStart = OutputRow(state->output, state->layout, context->height, y);
  uint32_t* target = reinterpret_cast<uint32_t*>(rowStart);
  // The bytes behind the row's last pixel are zero.
  size_t pixelBytes = size_t(context->width) * 4;
  if (state->layout.pitch > pixelBytes) {
    std::memset(rowStart + pixelBytes, 0, state->layout.pitch - pixelBytes);
  }
  if (pass.columnStep == 1) {
    state->converter.convert(row, count, target, state->converter.lookup, context);
    if (state->layout.swapRedBlue) SwapRedBlue(target, count);
    return;
  }
  state->converter.convert(row, count, state->pixels, state->converter.lookup, context);
  if (state->layout.swapRedBlue) SwapRedBlue(state->pixels, count);
  for (uint32_t i = 0, x = pass.startColumn; i < count; ++i, x += pass.columnStep) {
    target[x] = state->pixels[i];
  }
}

bool BuildPasses(BuildState* state, const uint8_t* raw) {
  const PngContext* context = state->context;
  size_t offset = 0;
  for (int p = 1; p <= kPngPassCount; ++p) {
    const Pass* pass = PassOf(context, p);
    if (!pass) break;
    size_t rowBytes = size_t(PngRowBytes(context, p));
    if (rowBytes == 0) continue;
    uint32_t rows = PassRows(context, *pass);
    uint32_t count = PassWidth(context, *pass);
    size_t dataBytes = rowBytes - 1;
    const uint8_t* previous = state->zeroRow;
    for (uint32_t i = 0; i < rows; ++i) {
      uint32_t filterType = raw[offset];
      if (filterType > 4) return false;
      uint8_t* current = state->rows[i & 1];
      UnfilterRow(filterType, raw + offset + 1, current, previous, dataBytes,
                  context->bytesPerPixel);
      StoreRow(state, current, pass->startRow + i * pass->rowStep, count, *pass);
      previous = current;
      offset += rowBytes;
    }
  }
  return true;
}

// The largest row of any pass, and the widest pass in pixels.
void LargestRow(const PngContext* context, size_t* maxDataBytes, uint32_t* maxPassWidth) {
  *maxDataBytes = 0;
  *maxPassWidth = 0;
  for (int p = 1; p <= kPngPassCount; ++p) {
    const Pass* pass = PassOf(context, p);
    if (!pass) break;
    uint64_t rowBytes = PngRowBytes(context, p);
    if (rowBytes > *maxDataBytes + 1) *maxDataBytes = size_t(rowBytes - 1);
    if (PassWidth(context, *pass) > *maxPassWidth) *maxPassWidth = PassWidth(context, *pass);
  }
}

bool PrepareState(PngContext* context, int32_t target, BuildState* state) {
  *state = BuildState();
  state->context = context;
  if (!LayoutFor(context, target, &state->layout)) return false;
  size_t maxDataBytes;
  uint32_t maxPassWidth;
  LargestRow(context, &maxDataBytes, &maxPassWidth);
  if (!AllocateRows(state, maxDataBytes, maxPassWidth, context->interlaceMethod == 1)) return false;
  PrepareConverter(context, &state->converter);
  return true;
}

// Inflates the gathered data into the output block at rawStart and builds
// the image over it. The gathered data is released in every case.
void* InflateIntoOutput(PngContext* context, int32_t target) {
  BuildState state;
  uint8_t* gathered = context->data;
  uLong gatheredSize = context->dataSize;
  context->data = nullptr;
  context->dataSize = 0;
  uint64_t expected = PngRawSize(context);
  bool prepared = PrepareState(context, target, &state);
  uint64_t rowBytes = PngRowBytes(context, 1);
  uint64_t height = context->height;
  const OutputLayout& layout = state.layout;
  // Row y of the image ends at header + pitch (y + 1); raw row y + 1 starts
  // at rawStart + rowBytes (y + 1). Where the pitch is the larger, the raw
  // data starts late enough to stay ahead; where the raw rows are larger,
  // the block grows to hold them and shrinks when the build is done.
  uint64_t rawStart = layout.headerSize + (layout.pitch > rowBytes ? (layout.pitch - rowBytes) * height : 0);
  uint64_t blockSize = rawStart + expected + 1;  // one byte to tell a stream that runs long
  if (blockSize < layout.blockSize) blockSize = layout.blockSize;
  uint8_t* block = nullptr;
  bool built = false;
  if (prepared && gathered && InflationPossible(expected, gatheredSize) && blockSize <= SIZE_MAX &&
      blockSize <= ULONG_MAX) {
    block = static_cast<uint8_t*>(std::malloc(size_t(blockSize)));
    uLongf produced = uLongf(expected + 1);
    if (block && uncompress(block + rawStart, &produced, gathered, gatheredSize) == Z_OK &&
        produced == expected) {
      std::free(gathered);
      gathered = nullptr;
      state.output = block;
      built = BuildPasses(&state, block + rawStart);
    }
  }
  std::free(gathered);
  if (prepared) ReleaseRows(&state);
  if (!built) {
    std::free(block);
    return nullptr;
  }
  WriteOutputHeader(context, layout, block);
  if (blockSize - layout.blockSize > layout.blockSize / 8) {
    // A large spare tail (16-bit samples: raw rows twice the pixel rows) is given back; a
    // small one is kept, as shrinking a large block can cost more than it saves (the heap
    // may serve the next one from fresh pages). If the shrink fails, the block still serves.
    void* smaller = std::realloc(block, layout.blockSize);
    if (smaller) block = static_cast<uint8_t*>(smaller);
  }
  return block;
}

}  // namespace

namespace png_internal {

void* InflateAndBuild(PngContext* context, int32_t target) {
  OutputLayout layout;
  if (!LayoutFor(context, target, &layout)) return nullptr;
  if (context->interlaceMethod == 0 && !layout.bottomUp) return InflateIntoOutput(context, target);
  if (!PngInflate(context)) return nullptr;
  context->ready = true;
  return PngBuildImage(context, target);
}

}  // namespace png_internal

void* PngBuildImage(PngContext* context, int32_t target) {
  if (!context || !context->ready || !RawDataMatchesHeader(context)) return nullptr;
  BuildState state;
  if (!PrepareState(context, target, &state)) return nullptr;
  // No zero fill: the build writes every pixel and every byte behind a row.
  state.output = AllocateOutput(context, state.layout, false);
  bool built = state.output && BuildPasses(&state, context->data);
  ReleaseRows(&state);
  if (!built) {
    std::free(state.output);
    return nullptr;
  }
  return state.output;
}
