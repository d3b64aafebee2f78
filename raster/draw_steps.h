// The steps a pixel set on the screen takes without a call (the primitive lock protocol among
// them), and the coordinate rounding that the primitives and their callers share. The
// snowfall sets 10001 pixels a frame, one call each, so these are inline.
#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void PutPixel32(DrawContext* context, int32_t x, int32_t y, uint32_t colour);

constexpr int32_t kCoordinateLimit = 1 << 30;

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

// A double truncated toward zero; out of range, and for NaN, INT32_MIN, as
// SSE2's conversion gives it. RoundsInto refuses that with the negatives.
inline int32_t TruncateToInt32(double value) {
#if defined(__SSE2__)
  return _mm_cvttsd_si32(_mm_set_sd(value));
#else
  return value > -2147483649.0 && value < 2147483648.0 ? static_cast<int32_t>(value) : INT32_MIN;
#endif
}

// The sum with 0.5 is taken in double, where it is exact for every float; in float it would
// round 0.49999997 up to 1. The truncating conversion completes the rounding without trunc();
// it is undefined out of range, so the sum is clamped first (for a whole limit, trunc(s) >
// limit exactly when s > limit, and likewise below). NaN fails every comparison and ends at
// the far negative limit, which is clipped.
inline int32_t RoundCoordinate(float v) {
  const double value = v;
  const double shifted = v > 0 ? value + 0.5 : value - 0.5;
  if (!(shifted > -static_cast<double>(kCoordinateLimit))) return -kCoordinateLimit;
  if (shifted > static_cast<double>(kCoordinateLimit)) return kCoordinateLimit;
  return TruncateToInt32(shifted);
}

// Whether RoundCoordinate(v) lies in [0, limit), for a limit of at most kCoordinateLimit, and
// which value it is then. Above -0.5, rounding half away from zero is v + 0.5 (exact in
// double) truncated. Two comparisons instead of the clamps: the limit is compared after the
// truncation the pixel needs anyway (for s > 0, s < limit exactly when trunc(s) < limit), and
// a sum of 2^31 or more truncates to INT32_MIN and is refused with the negatives.
inline bool RoundsInto(float v, int32_t limit, uint32_t* rounded) {
  const double shifted = static_cast<double>(v) + 0.5;
  if (!(shifted > 0.0)) return false;
  const int32_t whole = TruncateToInt32(shifted);
  if (whole < 0 || whole >= limit) return false;
  *rounded = static_cast<uint32_t>(whole);
  return true;
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

