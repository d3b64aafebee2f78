// The plain pixel routines per pixel size: store, read and fill a span. They
// address the target through the context's row table.
#include <cstring>

#include "raster/blend.h"
#include "raster/raster_internal.h"

namespace {

template <typename Pixel>
void PutPixel(DrawContext* context, int32_t x, int32_t y, uint32_t colour) {
  const Pixel value = static_cast<Pixel>(colour);
  std::memcpy(context->rows[y] + static_cast<size_t>(x) * sizeof(Pixel), &value, sizeof(Pixel));
}

template <typename Pixel>
uint32_t GetPixel(DrawContext* context, int32_t x, int32_t y) {
  Pixel value;
  std::memcpy(&value, context->rows[y] + static_cast<size_t>(x) * sizeof(Pixel), sizeof(Pixel));
  return value;
}

template <typename Pixel>
void FillSpan(uint8_t* address, uint32_t colour, int32_t count) {
  const Pixel value = static_cast<Pixel>(colour);
  for (int32_t i = 0; i < count; ++i) {
    std::memcpy(address + static_cast<size_t>(i) * sizeof(Pixel), &value, sizeof(Pixel));
  }
}

}  // namespace

void PutPixel32(DrawContext* context, int32_t x, int32_t y, uint32_t colour) {
  PutPixel<uint32_t>(context, x, y, colour);
}

namespace {

struct PixelRoutines {
  PutPixelRoutine put;
  GetPixelRoutine get;
  FillSpanRoutine fill;
};

// Chosen per pixel size, the same for every thread.
constexpr PixelRoutines kRoutines[4] = {
    {PutPixel<uint8_t>, GetPixel<uint8_t>, FillSpan<uint8_t>},
    {PutPixel<uint16_t>, GetPixel<uint16_t>, FillSpan<uint16_t>},
    {nullptr, nullptr, nullptr},
    {PutPixel32, GetPixel<uint32_t>, FillSpan<uint32_t>},
};

}  // namespace

void ChoosePixelRoutines(DrawContext* context) {
  int32_t index = context->targetBytesPerPixel - 1;
  if (index < 0 || index > 3 || !kRoutines[index].put) index = 3;
  context->putPixel = kRoutines[index].put;
  context->getPixel = kRoutines[index].get;
  context->fillSpan = kRoutines[index].fill;
  context->routinesBytesPerPixel = context->targetBytesPerPixel;

  // The flag says a faster path is in use; keep it true to the choice made
  // at start-up without writing the shared word when nothing changes.
  ScreenMode* mode = CurrentScreenMode();
  if (mode && !(mode->flags.load(std::memory_order_relaxed) & kSimdAvailable) &&
      ActiveBlendIsSimd()) {
    mode->flags.fetch_or(kSimdAvailable, std::memory_order_relaxed);
  }
}
