// The per-thread drawing context: made on a thread's first call, brought up to date lazily
// when the mode has changed, and pointed at a target through its row table.
#include <cstring>

#include "raster/allocation.h"
#include "raster/raster_internal.h"

namespace {

bool EnsureRowCapacity(DrawContext* context, int32_t height) {
  if (height <= context->rowCapacity) return true;
  void* grown = RasterReallocate(context->rows, static_cast<size_t>(height) * sizeof(uint8_t*));
  if (!grown) return false;
  context->rows = static_cast<uint8_t**>(grown);
  context->rowCapacity = height;
  return true;
}

void ReinitialiseContext(DrawContext* context, const ScreenMode* mode) {
  RasterFree(context->rows);
  std::memset(context, 0, sizeof(*context));
  context->modeId = mode->id;
  context->savedScreenView[0] = 0;
  context->savedScreenView[1] = 0;
  context->savedScreenView[2] = mode->width;
  context->savedScreenView[3] = mode->height;
  context->rows =
      static_cast<uint8_t**>(RasterAllocate(static_cast<size_t>(mode->height) * sizeof(uint8_t*)));
  context->rowCapacity = context->rows ? mode->height : 0;
  context->foreground = (mode->depth >= 5 && mode->depth <= 8) ? 15 : mode->colourMask;
  context->background = mode->colourMask & 0xFF000000u;
  context->contextFlags = kReselectScreen;
  SelectTarget(context, nullptr);
  SelectPixelRoutines(context, context->foreground);
}

// Whoever frees the context's slot (a thread that ends without RasterThreadEnd, the
// runtime's shutdown) frees its row table with it.
void ReleaseDrawContext(void* block) {
  auto* context = static_cast<DrawContext*>(block);
  RasterFree(context->rows);
  context->rows = nullptr;
}

}  // namespace

// Every context that comes to own a row table passes through here first.
DrawContext* RenewDrawContext(DrawContext* context, const ScreenMode* mode) {
  static const bool releaseSet = (ThreadContextSetRelease(kDrawSlot, ReleaseDrawContext), true);
  (void)releaseSet;
  ReinitialiseContext(context, mode);
  if (!context->rows) {
    context->modeId = 0;  // try again on the next call
    return nullptr;
  }
  return context;
}

bool SelectNewTarget(DrawContext* context, const ImageBuffer* image) {
  const ScreenMode* mode = CurrentScreenMode();
  if (!mode) return false;

  if (!image) {
    if (context->contextFlags & (kReselectScreen | kTargetIsImage)) {
      if (!EnsureRowCapacity(context, mode->height)) return false;
      context->viewX = context->savedScreenView[0];
      context->viewY = context->savedScreenView[1];
      context->viewWidth = context->savedScreenView[2];
      context->viewHeight = context->savedScreenView[3];
      context->targetBytesPerPixel = mode->bytesPerPixel;
      context->targetPitch = mode->pitch;
      uint8_t* page = mode->pages[context->workPage];
      for (int32_t y = 0; y < mode->height; ++y) {
        context->rows[y] = page + static_cast<size_t>(y) * mode->pitch;
      }
      context->contextFlags &= ~(kReselectScreen | kTargetIsImage);
      SelectPixelRoutines(context, context->foreground);
    }
    context->target = nullptr;
    return true;
  }

  // A short header without a pixel size is drawn at the screen's; one that names its size at
  // that size, as its rows are only that wide and a wider pixel would write past the block.
  ImageInfo info;
  if (!ReadImageInfo(image, mode->bytesPerPixel, &info)) return false;
  const bool sameImage = image == context->target && (context->contextFlags & kTargetIsImage) &&
                         info.width == context->targetWidth &&
                         info.height == context->targetHeight &&
                         info.pitch == context->targetPitch &&
                         info.bytesPerPixel == context->targetBytesPerPixel;
  if (!sameImage) {
    if (!EnsureRowCapacity(context, info.height)) return false;
    if (!(context->contextFlags & (kTargetIsImage | kReselectScreen))) {
      context->savedScreenView[0] = context->viewX;
      context->savedScreenView[1] = context->viewY;
      context->savedScreenView[2] = context->viewWidth;
      context->savedScreenView[3] = context->viewHeight;
    }
    context->viewX = 0;
    context->viewY = 0;
    context->viewWidth = info.width;
    context->viewHeight = info.height;
    context->targetBytesPerPixel = info.bytesPerPixel;
    context->targetPitch = info.pitch;
    context->targetWidth = info.width;
    context->targetHeight = info.height;
    uint8_t* pixels = const_cast<uint8_t*>(info.pixels);
    for (int32_t y = 0; y < info.height; ++y) {
      context->rows[y] = pixels + static_cast<size_t>(y) * info.pitch;
    }
    context->contextFlags |= kTargetIsImage;
    SelectPixelRoutines(context, context->foreground);
  }
  context->target = image;
  return true;
}

void RasterThreadEnd() { ThreadContextFree(kDrawSlot); }
