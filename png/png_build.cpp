// The image build: reconstructs the raw data a row at a time into two small
// row buffers (the context's data stays as inflated, so no working copy of
// the whole image is needed) and converts each row straight into the
// output block with the loop for its colour type and depth.
#include <cstdlib>
#include <cstring>

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

size_t RoundUp16(size_t n) { return (n + 15) & ~size_t(15); }

// The largest row of any pass, with room for the zero pad in front.
bool AllocateRows(BuildState* state, size_t maxDataBytes, uint32_t maxPassWidth, bool interlaced) {
  size_t rowSize = kRowPad + RoundUp16(maxDataBytes) + 16;
  size_t pixelBytes = interlaced ? RoundUp16(size_t(maxPassWidth) * 4) : 0;
  // Zero-filled: the pads and the zero row must read 0.
  state->rowMemory = static_cast<uint8_t*>(std::calloc(3 * rowSize + pixelBytes + 16, 1));
  if (!state->rowMemory) return false;
  state->zeroRow = state->rowMemory + kRowPad;
  state->rows[0] = state->zeroRow + rowSize;
  state->rows[1] = state->rows[0] + rowSize;
  uintptr_t pixelStart = reinterpret_cast<uintptr_t>(state->rowMemory + 3 * rowSize + 15) & ~uintptr_t(15);
  state->pixels = reinterpret_cast<uint32_t*>(pixelStart);
  return true;
}

// Converts one reconstructed row of a pass into output row y.
void StoreRow(BuildState* state, const uint8_t* row, uint32_t y, uint32_t count,
              const Pass& pass) {
  const PngContext* context = state->context;
  uint32_t* target = reinterpret_cast<uint32_t*>(OutputRow(state->output, state->layout, context->height, y));
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

bool BuildPasses(BuildState* state) {
  const PngContext* context = state->context;
  const uint8_t* raw = context->data;
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

}  // namespace

void* PngBuildImage(PngContext* context, int32_t target) {
  if (!context || !context->ready || !RawDataMatchesHeader(context)) return nullptr;
  BuildState state = {};
  state.context = context;
  if (!LayoutFor(context, target, &state.layout)) return nullptr;
  // The widest pass is the first one of a non-interlaced image; of an
  // interlaced one, a later pass may be wider than pass 1.
  size_t maxDataBytes = 0;
  uint32_t maxPassWidth = 0;
  for (int p = 1; p <= kPngPassCount; ++p) {
    const Pass* pass = PassOf(context, p);
    if (!pass) break;
    uint64_t rowBytes = PngRowBytes(context, p);
    if (rowBytes > maxDataBytes + 1) maxDataBytes = size_t(rowBytes - 1);
    if (PassWidth(context, *pass) > maxPassWidth) maxPassWidth = PassWidth(context, *pass);
  }
  if (!AllocateRows(&state, maxDataBytes, maxPassWidth, context->interlaceMethod == 1)) return nullptr;
  // Every pixel is written exactly once below, so only the header and the
  // bytes behind each row need zeroing.
  state.output = AllocateOutput(context, state.layout, false);
  if (!state.output) {
    ReleaseRows(&state);
    return nullptr;
  }
  PrepareConverter(context, &state.converter);
  bool built = BuildPasses(&state);
  ReleaseRows(&state);
  if (!built) {
    std::free(state.output);
    return nullptr;
  }
  return state.output;
}
