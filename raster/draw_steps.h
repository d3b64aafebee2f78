// The steps a pixel set on the screen takes without a call, the primitive lock protocol among
// them, and PixelSetOnScreen, which takes them. The snowfall sets 10001 pixels a frame, so its
// particle loop includes this header to have them inline; the library's insides come with it,
// which is why raster.h does not include it.
#pragma once

#include <cstring>

#include "raster/raster.h"
#include "raster/screen_state.h"

void PutPixel32(DrawContext* context, int32_t x, int32_t y, uint32_t colour);

// A target's rows follow one another at its pitch, so the address needs no look-up in the
// row table, which is one more cache miss at large sizes.
inline uint8_t* PixelAddress32(const DrawContext* context, uint32_t x, uint32_t y) {
  return context->rows[0] + static_cast<size_t>(y) * static_cast<size_t>(context->targetPitch) +
         4 * static_cast<size_t>(x);
}

inline void ApplyRelative(DrawContext* context, int32_t flags, float* x1, float* y1, float* x2,
                          float* y2) {
  const int32_t relative = flags & 7;
  if (relative == 2 || relative == 3 || relative == 5) {
    *x1 += context->lastX;
    *y1 += context->lastY;
  }
  if (x2 && (relative == 1 || relative == 3)) {
    *x2 += *x1;
    *y2 += *y1;
  }
  if (x2) {
    context->lastX = *x2;
    context->lastY = *y2;
  } else {
    context->lastX = *x1;
    context->lastY = *y1;
  }
}

// ---- the primitive lock protocol ---------------------------------------------
// The lock is a pair of bits that both threads change; with the off-screen driver it excludes
// nothing. A primitive only ever sets or clears both, in a byte of their own, so without lock
// hooks each change is one plain store: it leaves the byte as an atomic read-modify-write
// would, but does not wait for the pixel stores before it to reach memory, which 10001 pixel
// sets a frame would each pay as a cache miss. A driver with hooks gets the read-modify-write,
// which decides alone which thread calls them.

inline void CallDriverLock(ScreenMode* mode) {
  if (mode->driver && mode->driver->lock) mode->driver->lock(mode);
}

inline void CallDriverUnlock(ScreenMode* mode) {
  if (mode->driver && mode->driver->unlock) mode->driver->unlock(mode);
}

inline bool DriverHasLockHooks(const ScreenMode* mode) {
  return mode->driver && (mode->driver->lock || mode->driver->unlock);
}

constexpr uint8_t kBothLockBits = kLockHeld | kAutoLock;

// `hooks`: DriverHasLockHooks(mode).
[[gnu::always_inline]] inline void BeginDrawOn(ScreenMode* mode, bool hooks) {
  uint8_t bits = mode->lockBits.load(std::memory_order_acquire);
  if (bits & kBothLockBits) return;
  if (!hooks) {
    mode->lockBits.store(kBothLockBits, std::memory_order_release);
    return;
  }
  do {
    if (bits & kBothLockBits) return;
  } while (!mode->lockBits.compare_exchange_weak(bits, kBothLockBits, std::memory_order_acq_rel,
                                                 std::memory_order_acquire));
  CallDriverLock(mode);
}

// Drawing reaches the frame buffer (rows are marked only then).
inline bool OnFrameBuffer(const DrawContext* context, const ScreenMode* mode) {
  return context->rows != nullptr && context->rows[0] == mode->frameBuffer &&
         !(context->contextFlags & kTargetIsImage);
}

// Clears both lock bits; true when the lock was held (by the given bit).
inline bool ReleaseLockBits(ScreenMode* mode, uint8_t heldBit) {
  const uint8_t before = mode->lockBits.fetch_and(0, std::memory_order_acq_rel);
  return (before & heldBit) != 0;
}

[[gnu::always_inline]] inline void EndDrawOn(ScreenMode* mode, bool hooks) {
  if (!(mode->lockBits.load(std::memory_order_acquire) & kAutoLock)) return;
  if (!hooks) {
    mode->lockBits.store(0, std::memory_order_release);
    return;
  }
  if (ReleaseLockBits(mode, kAutoLock)) CallDriverUnlock(mode);
}

// ---- a pixel set by the direct path ------------------------------------------
// The call the snowfall makes 10001 times a frame: a colour given, on the screen the context
// already draws to with the 32-bit store, through a view from its corner, under a driver
// without lock hooks. There the general path's steps up to the rounding only confirm what the
// context holds, so PixelSet and PixelSetOnScreen take the rest themselves, calling nothing.
// PixelSetOnScreen is inline because out of line its call and arguments (on the stack in the
// i686 build) made the saver's frame dearer. The blend in use plays no part: the 32-bit store
// is the same whichever it is, and a faster blend forced in later raises kSimdAvailable at the
// next choice of routines, which every put makes before it reads the flag.
[[gnu::always_inline]] inline bool SetsScreenPixelDirectly(const DrawContext* context,
                                                          const ScreenMode* mode,
                                                          const ImageBuffer* target,
                                                          int32_t flags) {
  return !target && flags >= 0 && context->modeId == mode->id &&
         !(context->contextFlags & (kReselectScreen | kTargetIsImage)) &&
         context->targetBytesPerPixel == 4 && context->routinesBytesPerPixel == 4 &&
         context->putPixel == PutPixel32 && context->viewX == 0 && context->viewY == 0 &&
         !DriverHasLockHooks(mode);
}

constexpr uint64_t kNoScreenPixel = ~uint64_t{0};

// The PackPoint of the pixel set, or kNoScreenPixel where the point lies outside the clip.
[[gnu::always_inline]] inline uint64_t SetScreenPixelDirectly(DrawContext* context,
                                                             ScreenMode* mode, float x, float y,
                                                             uint32_t colour, int32_t flags) {
  context->target = nullptr;
  ApplyRelative(context, flags, &x, &y, nullptr, nullptr);
  // The view starts at the screen's corner, so the transformed point is inside the clip
  // exactly when the rounded one lies within the view's size, and then it is that point.
  uint32_t column, row;
  if (!RoundsInto(x, context->viewWidth, &column) || !RoundsInto(y, context->viewHeight, &row)) {
    return kNoScreenPixel;
  }
  uint8_t* const pixel = PixelAddress32(context, column, row);
  BeginDrawOn(mode, false);
  std::memcpy(pixel, &colour, 4);
  if (OnFrameBuffer(context, mode)) mode->dirtyLines[row].store(1, std::memory_order_relaxed);
  EndDrawOn(mode, false);
  return PackPoint(static_cast<int32_t>(column), static_cast<int32_t>(row));
}

// PixelSet, telling the caller which pixel it set where that costs nothing: kPixelSetOnScreen
// with *point = PackPoint(x, y) where the direct path set one of the screen's 32-bit pixels;
// kPixelSetNone where that path set none (the point lay outside the clip); kPixelSetElsewhere
// where the general path drew (another target, pixel size or routine), and the caller works
// out the pixel itself (RoundsInto).
constexpr int32_t kPixelSetOnScreen = 1;
constexpr int32_t kPixelSetNone = 0;
constexpr int32_t kPixelSetElsewhere = -1;

// PixelSet by the general path, for PixelSetOnScreen: kPixelSetElsewhere.
int32_t PixelSetElsewhere(ImageBuffer* target, float x, float y, uint32_t colour, int32_t flags,
                          int32_t useBackground);

[[gnu::always_inline]] inline int32_t PixelSetOnScreen(ImageBuffer* target, float x, float y,
                                                      uint32_t colour, int32_t flags,
                                                      int32_t useBackground, uint32_t* point) {
  ScreenMode* mode = CurrentScreenMode();
  auto* context = static_cast<DrawContext*>(ThreadContextBlockIfMade(kDrawSlot));
  if (!mode || !context || !SetsScreenPixelDirectly(context, mode, target, flags)) {
    return PixelSetElsewhere(target, x, y, colour, flags, useBackground);
  }
  const uint64_t set = SetScreenPixelDirectly(context, mode, x, y, colour, flags);
  if (set == kNoScreenPixel) return kPixelSetNone;
  *point = static_cast<uint32_t>(set);
  return kPixelSetOnScreen;
}

